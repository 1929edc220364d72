/* The settings file.  The dialog's fields are the settings while the program
 * runs; the file only carries them from one run to the next, so it is read
 * once when the dialog opens and written back whole at every Start.  Only
 * the host list is also written as soon as it changes. */
#include "settings.h"

#include <limits.h>

#include "hostlist.h"
#include "section.h"
#include "../app/format.h"
#include "meter.h"
#include "pinger.h"

#define SEC_DEFAULT "Default"
#define SEC_SPECIAL "Special"

int bAutoStart;             /* the Auto start check box as last read or saved */
char szService[25];         /* the Service setting, for the pre-selection */

/* Working copies of the fields, owned here, used only while reading or
 * writing.  Their sizes bound what the file can put into each field, and
 * what each field takes from the keyboard. */
static char szBuffer[KX_HOST_MAX + 1];      /* Host, and each host list entry when saving */
static char szHostList[KX_HOSTLIST_SIZE];   /* the HostList value while it is read or joined */
static char szUser[25];
static char szTZ[20];
static char szAlarm[5];
static char szGoMin[5];
static char szHourly[6];
static char szStop[5];
static char szNumber[12];   /* any int as "%d": the check boxes and Stop Value */

/* The text fields and the copies that keep them. */
static const struct {
    int id;
    int nSize;
} aTextFields[] = {
    { IDC_HOST, sizeof(szBuffer) }, { IDC_INTERVAL, sizeof(szTime) },
    { IDC_USER, sizeof(szUser) }, { IDC_TIMEZONE, sizeof(szTZ) },
    { IDC_GOMIN, sizeof(szGoMin) }, { IDC_ALARM, sizeof(szAlarm) },
    { IDC_STOPVAL, sizeof(szStop) }, { IDC_RATE, sizeof(szHourly) },
};
#define KX_NTEXTFIELDS ((int)(sizeof(aTextFields) / sizeof(aTextFields[0])))

int iDecimal(LPCSTR lps)
{
    while (bIsBlank(*lps))
        ++lps;
    BOOL bNegative = FALSE;
    if (*lps == '+' || *lps == '-')
        bNegative = *lps++ == '-';
    /* Counted as a negative number so that INT_MIN itself fits. */
    long long llValue = 0;
    while (*lps >= '0' && *lps <= '9') {
        if (llValue > -(long long)INT_MIN)
            break;                      /* already out of range: stop growing */
        llValue = llValue * 10 + (*lps++ - '0');
    }
    if (bNegative)
        return llValue >= -(long long)INT_MIN ? INT_MIN : (int)-llValue;
    return llValue > INT_MAX ? INT_MAX : (int)llValue;
}

/* Where the settings live: the bare name, that is the Windows folder, as
 * they always have.  A program run without administrator rights on current
 * Windows may not write there, and its settings would silently never be
 * saved; it keeps them in the user's application-data folder instead, and
 * takes a copy of the Windows folder's file along the first time.  From
 * then on the user's own file is the one, elevated or not: were the choice
 * made anew by the rights of the moment, settings saved in one file would
 * come back stale from the other. */
static char szIniFile[MAX_PATH];    /* chosen when the dialog opens (or at the first use), kept while it is open */

/* A path into a MAX_PATH buffer; FALSE when it had to be cut. */
static BOOL bFormatPath(char szPath[MAX_PATH], LPCSTR lpsFormat, LPCSTR lpsArg)
{
    return iFormat(szPath, MAX_PATH, lpsFormat, lpsArg) >= 0;
}

/* The Windows folder's settings file into szPath; FALSE when it does not fit. */
static BOOL bWindowsIniPath(char szPath[MAX_PATH])
{
    UINT n = GetWindowsDirectoryA(szPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return FALSE;
    int iAdded = iFormat(szPath + n, MAX_PATH - n, "\\%s", KX_INIFILE);
    return iAdded == (int)sizeof(KX_INIFILE);
}

static BOOL bWindowsFolderTakesIni(void)
{
    char szPath[MAX_PATH];
    if (!bWindowsIniPath(szPath))
        return FALSE;
    HANDLE h = CreateFileA(szPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;
    BOOL bExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(h);
    if (!bExisted)
        DeleteFileA(szPath);        /* only asked; a missing file means defaults */
    return TRUE;
}

LPCSTR lpsIniFile(void)
{
    if (szIniFile[0])
        return szIniFile;
    char szAppData[MAX_PATH], szDir[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("APPDATA", szAppData, MAX_PATH);
    BOOL bPerUser = n != 0 && n < MAX_PATH
        && bFormatPath(szDir, "%s\\Kalvex32", szAppData)
        && bFormatPath(szIniFile, "%s\\" KX_INIFILE, szDir);
    /* Looked for first: it is one cheap question, and it settles the rest. */
    DWORD dwAttributes = bPerUser ? GetFileAttributesA(szIniFile) : INVALID_FILE_ATTRIBUTES;
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return szIniFile;
    if (!bPerUser || bWindowsFolderTakesIni()) {
        lstrcpynA(szIniFile, KX_INIFILE, sizeof(szIniFile));
        return szIniFile;
    }
    CreateDirectoryA(szDir, NULL);

    char szOld[MAX_PATH];
    if (bWindowsIniPath(szOld))
        CopyFileA(szOld, szIniFile, TRUE);  /* never over the user's own */
    return szIniFile;
}

/* The [Default] section, read in one call while the dialog opens: each
 * profile call opens and checks the file anew, and ten of them were a
 * good part of the time the dialog took to come up.  Room for the longest
 * host list and the rest; a larger section is read key by key. */
static char szSection[2 * KX_HOSTLIST_SIZE];
static BOOL bSectionRead;           /* szSection holds the whole section */

/* A text setting; returns its length, as the profile calls do. */
static DWORD dwReadText(LPCSTR lpsKey, LPCSTR lpsDefault, LPSTR lpsBuf, DWORD nSize)
{
    if (!bSectionRead)
        return GetPrivateProfileStringA(SEC_DEFAULT, lpsKey, lpsDefault, lpsBuf, nSize, lpsIniFile());
    int n = iSectionValue(szSection, lpsKey, lpsBuf, (int)nSize);
    if (n < 0) {
        lstrcpynA(lpsBuf, lpsDefault, (int)nSize);
        n = lstrlenA(lpsBuf);
    }
    return (DWORD)n;
}


static void vWriteText(LPCSTR lpsKey, LPCSTR lpsValue)
{
    WritePrivateProfileStringA(SEC_DEFAULT, lpsKey, lpsValue, lpsIniFile());
}

static void vWriteNumber(LPCSTR lpsKey, int iValue)
{
    iFormat(szNumber, sizeof(szNumber), "%d", iValue);
    vWriteText(lpsKey, szNumber);
}

/* A field's text as it is used and saved: at most the buffer's length less
 * one, cut at its first control character.  A line break in a value would
 * end its line in the file and start keys, or a section, of its own. */
static void vFieldText(HWND hDlg, int idField, LPSTR lpsBuf, int nSize)
{
    lpsBuf[0] = '\0';
    GetDlgItemTextA(hDlg, idField, lpsBuf, nSize);
    iCutAtControl(lpsBuf);
}

/* A field as typed, saved under lpsKey. */
static void vSaveField(HWND hDlg, int idField, LPCSTR lpsKey, LPSTR lpsBuf, int nSize)
{
    vFieldText(hDlg, idField, lpsBuf, nSize);
    vWriteText(lpsKey, lpsBuf);
}

void vCutFieldsAtControls(HWND hDlg)
{
    char szField[KX_HOST_MAX + 1];  /* the largest field */
    for (int i = 0; i < KX_NTEXTFIELDS; i++) {
        szField[0] = '\0';
        int n = GetDlgItemTextA(hDlg, aTextFields[i].id, szField, sizeof(szField));
        if (iCutAtControl(szField) < n)
            SetDlgItemTextA(hDlg, aTextFields[i].id, szField);
    }
}

/* Each field takes no more than is kept and saved of it, so that what the
 * user sees is what runs and what comes back at the next start. */
static void vLimitFields(HWND hDlg)
{
    for (int i = 0; i < KX_NTEXTFIELDS; i++) {
        UINT uMsg = aTextFields[i].id == IDC_HOST ? CB_LIMITTEXT : EM_LIMITTEXT;
        SendDlgItemMessageA(hDlg, aTextFields[i].id, uMsg, (WPARAM)(aTextFields[i].nSize - 1), 0);
    }
}

/* The Interval as the program runs with it: never below 20 seconds.  Only a
 * text that gives less is replaced, so "45s" stays as the user typed it. */
static void vTakeInterval(void)
{
    iTimeVal = iIntervalOf(szTime);
    if (iDecimal(szTime) < KX_MIN_INTERVAL)
        lstrcpynA(szTime, "20", sizeof(szTime));
}

int iIntervalOf(LPCSTR lpsText)
{
    int i = iDecimal(lpsText);
    if (i < KX_MIN_INTERVAL)
        return KX_MIN_INTERVAL;
    /* Beyond this the interval in milliseconds no longer fits the due
     * test, and would come round as a short one. */
    if (i > KX_MAX_INTERVAL)
        return KX_MAX_INTERVAL;
    return i;
}

/* Fills the Host list from the HostList value. */
static void vFillHostList(HWND hDlg, DWORD dwLength)
{
    vDropCutName(szHostList, (int)dwLength, sizeof(szHostList));
    LPCSTR lpsRest = szHostList;
    while (bNextHostName(&lpsRest, szBuffer))
        SendDlgItemMessageA(hDlg, IDC_HOST, CB_ADDSTRING, 0, (LPARAM)szBuffer);
}

void vReadSettings(HWND hDlg)
{
    szIniFile[0] = '\0';           /* chosen anew for every opening */
    vLimitFields(hDlg);

    iErrMax = (int)GetPrivateProfileIntA(SEC_SPECIAL, "StopErrorCount", 3, lpsIniFile());
    DWORD dwSection = GetPrivateProfileSectionA(SEC_DEFAULT, szSection, sizeof(szSection), lpsIniFile());
    bSectionRead = dwSection < sizeof(szSection) - 2;

    dwReadText("Host", KX_DEFAULT_HOST, szBuffer, sizeof(szBuffer));
    SetDlgItemTextA(hDlg, IDC_HOST, szBuffer);

    DWORD dwLength = dwReadText("HostList", KX_DEFAULT_HOSTLIST, szHostList, sizeof(szHostList));
    vFillHostList(hDlg, dwLength);

    dwReadText("Interval", "60", szTime, sizeof(szTime));
    vTakeInterval();
    SetDlgItemTextA(hDlg, IDC_INTERVAL, szTime);

    /* Without a User the field starts empty.  The customary default of one
     * blank is not stripped by every profile implementation, so none is given. */
    dwReadText("User", "", szUser, sizeof(szUser));
    SetDlgItemTextA(hDlg, IDC_USER, szUser);
    dwReadText("TZ", "PST8PST", szTZ, sizeof(szTZ));
    SetDlgItemTextA(hDlg, IDC_TIMEZONE, szTZ);
    dwReadText("Alarm", "60", szAlarm, sizeof(szAlarm));
    SetDlgItemTextA(hDlg, IDC_ALARM, szAlarm);
    dwReadText("GoMin", "2", szGoMin, sizeof(szGoMin));
    SetDlgItemTextA(hDlg, IDC_GOMIN, szGoMin);
    dwReadText("Hourly Rate", "0", szHourly, sizeof(szHourly));
    SetDlgItemTextA(hDlg, IDC_RATE, szHourly);

    SetDlgItemTextA(hDlg, IDC_CHARGE, "$0.00");

    /* Read with other capitals than they are written with; the profile
     * calls match keys without regard to case. */
    bAutoStart = (int)GetPrivateProfileIntA(SEC_DEFAULT, "AutoStart", 0, lpsIniFile());
    CheckDlgButton(hDlg, IDC_AUTOSTART, bAutoStart ? BST_CHECKED : BST_UNCHECKED);
    bAutoStop = (int)GetPrivateProfileIntA(SEC_DEFAULT, "AutoStop", 0, lpsIniFile());
    CheckDlgButton(hDlg, IDC_AUTOSTOP, bAutoStop ? BST_CHECKED : BST_UNCHECKED);

    dwReadText("Stop Value", "0", szStop, sizeof(szStop));
    SetDlgItemTextA(hDlg, IDC_STOPVAL, szStop);

    dwReadText("Service", "Kalv", szService, sizeof(szService));
    bSectionRead = FALSE;
}

/* Joins the list's names into szHostList, each followed by ";"; returns
 * the value's length.  A name that is no host, or no longer fits the value,
 * is left out whole: cutting it would save a host name nobody entered. */
static int iJoinHostList(HWND hDlg)
{
    szHostList[0] = '\0';
    int iLength = 0;
    int iHostCount = (int)SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < iHostCount; ++i) {
        LRESULT lEntry = SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETLBTEXTLEN, i, 0);
        if (lEntry == CB_ERR || lEntry >= (LRESULT)sizeof(szBuffer))
            continue;
        szBuffer[0] = '\0';
        SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETLBTEXT, i, (LPARAM)szBuffer);
        szBuffer[sizeof(szBuffer) - 1] = '\0';
        iCutAtControl(szBuffer);
        bAppendHostName(szHostList, sizeof(szHostList), &iLength, szBuffer);
    }
    return iLength;
}

BOOL bHostListTakes(HWND hDlg, LPCSTR lpsName)
{
    if (!bIsListableHost(lpsName))
        return FALSE;
    int iLength = iJoinHostList(hDlg);
    return bAppendHostName(szHostList, sizeof(szHostList), &iLength, lpsName);
}

void vSaveHostList(HWND hDlg)
{
    iJoinHostList(hDlg);
    vWriteText("HostList", szHostList);
}

void vWriteSettings(HWND hDlg)
{
    vSaveField(hDlg, IDC_HOST, "Host", szBuffer, sizeof(szBuffer));
    vSaveHostList(hDlg);

    vFieldText(hDlg, IDC_INTERVAL, szTime, sizeof(szTime));
    vTakeInterval();
    vWriteText("Interval", szTime);

    vSaveField(hDlg, IDC_USER, "User", szUser, sizeof(szUser));
    vSaveField(hDlg, IDC_TIMEZONE, "TZ", szTZ, sizeof(szTZ));
    vSaveField(hDlg, IDC_ALARM, "Alarm", szAlarm, sizeof(szAlarm));
    vSaveField(hDlg, IDC_GOMIN, "GoMin", szGoMin, sizeof(szGoMin));

    bAutoStart = IsDlgButtonChecked(hDlg, IDC_AUTOSTART) == BST_CHECKED;
    vWriteNumber("Autostart", bAutoStart);
    bAutoStop = IsDlgButtonChecked(hDlg, IDC_AUTOSTOP) == BST_CHECKED;
    vWriteNumber("Autostop", bAutoStop);

    /* The number the limits were just taken with, not the text as typed. */
    vWriteNumber("Stop Value", iStopVal);

    vSaveField(hDlg, IDC_RATE, "Hourly Rate", szHourly, sizeof(szHourly));

    /* A hidden service keeps whatever the file said before. */
    if (IsDlgButtonChecked(hDlg, IDC_KALV) == BST_CHECKED)
        vWriteText("Service", "Kalv");
    if (IsDlgButtonChecked(hDlg, IDC_TIME) == BST_CHECKED)
        vWriteText("Service", "Time");
    if (IsDlgButtonChecked(hDlg, IDC_DAYTIME) == BST_CHECKED)
        vWriteText("Service", "DayTime");
}
