/* The settings file.  The dialog's fields are the settings while the program
 * runs; the file only carries them from one run to the next, so it is read
 * once when the dialog opens and written back whole at every Start.  Only
 * the host list is also written as soon as it changes. */
#include "settings.h"

#include "hostlist.h"
#include "inifile.h"
#include "section.h"
#include "../app/format.h"
#include "../app/paths.h"
#include "../app/results.h"
#include "../app/text.h"
#include "meter.h"
#include "servicerows.h"

#define SEC_DEFAULT "Default"
#define SEC_SPECIAL "Special"

int bAutoStart;             /* the Auto start check box as last read or saved */
char szService[25];         /* the Service setting, for the pre-selection */
int iTimeVal;               /* the Interval in seconds as last read or saved: the schedule's pace */

/* The fields' texts as last read or saved, owned here; Start's limits are
 * taken from the same buffers.  Their sizes bound what the file can put
 * into each field, and what each field takes from the keyboard. */
char szAlarm[5], szGoMin[5], szStop[5], szHourly[6];
static char szInterval[20];
static char szBuffer[KX_HOST_MAX + 1];      /* Host, and each host list entry when saving */
static char szHostList[KX_HOSTLIST_SIZE];   /* the HostList value while it is read or joined */
static char szUser[25];
static char szTZ[20];
static char szNumber[12];   /* any int as "%d": the check boxes, Stop Value and StopErrorCount */

/* How a setting goes between the file and the dialog. */
enum {
    KX_FIELD,       /* a text field, saved as typed */
    KX_INTERVAL,    /* a text field; a value below 20 is shown and saved as "20" */
    KX_STOPVALUE,   /* a text field, saved as the number Start took from it */
    KX_HOSTS,       /* the Host box's list */
    KX_CHECK,       /* a check box, read as a profile integer */
    KX_SERVICE,     /* read for the pre-selection; saved from the radio buttons */
    KX_SPECIAL,     /* a number of section [Special], read as a profile integer and never written */
};

/* One row per setting, in the order in which Start saves them. */
static const struct {
    int id;                 /* the dialog control */
    int iKind;
    LPCSTR lpsKey;          /* found in any capitals, written in these */
    LPCSTR lpsDefault;
    LPSTR lpsBuf;
    int nSize;
    int *pbFlag;            /* a check box's state */
} aSettings[] = {
    { IDC_HOST,      KX_FIELD,    "Host",        KX_DEFAULT_HOST,     szBuffer,   sizeof(szBuffer),   NULL },
    { IDC_HOST,      KX_HOSTS,    "HostList",    KX_DEFAULT_HOSTLIST, szHostList, sizeof(szHostList), NULL },
    { IDC_INTERVAL,  KX_INTERVAL, "Interval",    "60",      szInterval, sizeof(szInterval), NULL },
    /* Without a User the field starts empty.  The customary default of one
     * blank is not stripped by every profile implementation, so none is given. */
    { IDC_USER,      KX_FIELD,    "User",        "",        szUser,    sizeof(szUser),    NULL },
    { IDC_TIMEZONE,  KX_FIELD,    "TZ",          "PST8PST", szTZ,      sizeof(szTZ),      NULL },
    { IDC_ALARM,     KX_FIELD,    "Alarm",       "60",      szAlarm,   sizeof(szAlarm),   NULL },
    { IDC_GOMIN,     KX_FIELD,    "GoMin",       "2",       szGoMin,   sizeof(szGoMin),   NULL },
    { IDC_AUTOSTART, KX_CHECK,    "Autostart",   "0",       szNumber,  sizeof(szNumber),  &bAutoStart },
    { IDC_AUTOSTOP,  KX_CHECK,    "Autostop",    "0",       szNumber,  sizeof(szNumber),  &bAutoStop },
    { IDC_STOPVAL,   KX_STOPVALUE,"Stop Value",  "0",       szStop,    sizeof(szStop),    NULL },
    { IDC_RATE,      KX_FIELD,    "Hourly Rate", "0",       szHourly,  sizeof(szHourly),  NULL },
    { 0,             KX_SERVICE,  "Service",     "Kalv",    szService, sizeof(szService), NULL },
    /* Set by hand in the file only: how many failed starts in a row stop a run. */
    { 0,             KX_SPECIAL,  "StopErrorCount", "3",    NULL,      0,                 &iErrMax },
};
#define KX_NSETTINGS ((int)(sizeof(aSettings) / sizeof(aSettings[0])))

/* Whether row i is a text field that the user types into. */
static BOOL bIsTextField(int i)
{
    return aSettings[i].iKind == KX_FIELD || aSettings[i].iKind == KX_INTERVAL
        || aSettings[i].iKind == KX_STOPVALUE;
}

/* ---- The profile calls ---- */

/* Every name and value crosses between the ANSI code page and the wide
 * profile calls here, as the ANSI calls would convert them.  The wide
 * copies are owned here, used only during one call. */
static WCHAR wszSectionName[16], wszKeyName[32], wszDefault[64];
static WCHAR wszValue[KX_HOSTLIST_SIZE];    /* the longest value, the host list */

#define KX_WIDEN(lps, wszBuf) lpwsWiden((lps), (wszBuf), (int)(sizeof(wszBuf) / sizeof((wszBuf)[0])))
static LPCWSTR lpwsWiden(LPCSTR lps, LPWSTR lpwsBuf, int cch)
{
    if (!lps)
        return NULL;
    if (!MultiByteToWideChar(CP_ACP, 0, lps, -1, lpwsBuf, cch))
        lpwsBuf[0] = L'\0';
    return lpwsBuf;
}

static DWORD dwProfileText(LPCSTR lpsKey, LPCSTR lpsDefault, LPSTR lpsBuf, DWORD nSize)
{
    if (nSize > KX_HOSTLIST_SIZE)
        nSize = KX_HOSTLIST_SIZE;
    DWORD n = GetPrivateProfileStringW(KX_WIDEN(SEC_DEFAULT, wszSectionName),
                                       KX_WIDEN(lpsKey, wszKeyName),
                                       KX_WIDEN(lpsDefault, wszDefault), wszValue, nSize, lpwsIniFile());
    return (DWORD)iNarrow(wszValue, (int)n, lpsBuf, (int)nSize);
}

static int iProfileInt(LPCSTR lpsSection, LPCSTR lpsKey, int iDefault)
{
    if (bIniFileNotRead())
        return iDefault;
    return (int)GetPrivateProfileIntW(KX_WIDEN(lpsSection, wszSectionName),
                                      KX_WIDEN(lpsKey, wszKeyName), iDefault, lpwsIniFile());
}

/* The first write of this save that failed, and why; nothing more is
 * tried after it, so the file stays as it was rather than half saved. */
static DWORD dwWriteError;

/* Nothing goes into a file that could not be read: it would replace the
 * user's settings with the defaults shown. */
static void vWriteText(LPCSTR lpsKey, LPCSTR lpsValue)
{
    if (bIniFileNotRead() || dwWriteError)
        return;
    if (!WritePrivateProfileStringW(KX_WIDEN(SEC_DEFAULT, wszSectionName), KX_WIDEN(lpsKey, wszKeyName),
                                    KX_WIDEN(lpsValue, wszValue), lpwsIniFile())) {
        dwWriteError = GetLastError();
        if (!dwWriteError)
            dwWriteError = ERROR_WRITE_FAULT;   /* failed all the same */
    }
}

/* A save that failed is said once, and the next save tries again. */
static void vEndSave(void)
{
    if (dwWriteError)
        vReportIniNotWritten(dwWriteError);
    dwWriteError = 0;
}

static void vWriteNumber(LPCSTR lpsKey, int iValue)
{
    iFormat(szNumber, sizeof(szNumber), "%d", iValue);
    vWriteText(lpsKey, szNumber);
}

/* ---- Reading ---- */

/* The [Default] section, read in one call while the dialog opens: each
 * profile call opens and checks the file anew, and ten of them were a
 * good part of the time the dialog took to come up.  Room for the longest
 * host list and the rest; a larger section, or a file in Unicode (whose
 * names the conversion to the ANSI code page could make look like ours),
 * is read key by key. */
#define KX_SECTION_SIZE (2 * KX_HOSTLIST_SIZE)
static WCHAR wszSection[KX_SECTION_SIZE];
static char szSection[KX_SECTION_SIZE];
static BOOL bSectionRead;           /* szSection holds the whole section */

static void vReadSection(void)
{
    /* A file that could not be read gives the defaults, all of them, even
     * should it become readable meanwhile: it is not written either. */
    bSectionRead = bIniFileNotRead();
    szSection[0] = szSection[1] = '\0';
    if (bIniFileNotRead() || bIniFileUnicode())
        return;
    DWORD n = GetPrivateProfileSectionW(KX_WIDEN(SEC_DEFAULT, wszSectionName), wszSection,
                                        KX_SECTION_SIZE, lpwsIniFile());
    if (n >= KX_SECTION_SIZE - 2)
        return;
    int iBytes = n ? WideCharToMultiByte(CP_ACP, 0, wszSection, (int)n, szSection, KX_SECTION_SIZE - 2, NULL, NULL) : 0;
    if (n && !iBytes)
        return;
    szSection[iBytes] = szSection[iBytes + 1] = '\0';
    bSectionRead = TRUE;
}

/* A text setting; returns its length, as the profile calls do. */
static DWORD dwReadText(LPCSTR lpsKey, LPCSTR lpsDefault, LPSTR lpsBuf, DWORD nSize)
{
    if (!bSectionRead)
        return dwProfileText(lpsKey, lpsDefault, lpsBuf, nSize);
    int n = iSectionValue(szSection, lpsKey, lpsBuf, (int)nSize);
    if (n < 0) {
        lstrcpynA(lpsBuf, lpsDefault, (int)nSize);
        n = lstrlenA(lpsBuf);
    }
    return (DWORD)n;
}

/* The Interval as the program runs with it: never below 20 seconds.  Only a
 * text that gives less is replaced, so "45s" stays as the user typed it;
 * TRUE when it was replaced. */
static BOOL bTakeInterval(void)
{
    iTimeVal = iIntervalOf(szInterval);
    if (iDecimal(szInterval) >= KX_MIN_INTERVAL)
        return FALSE;
    lstrcpynA(szInterval, "20", sizeof(szInterval));
    return TRUE;
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

/* Each field takes no more than is kept and saved of it, so that what the
 * user sees is what runs and what comes back at the next start. */
static void vLimitFields(HWND hDlg)
{
    for (int i = 0; i < KX_NSETTINGS; i++) {
        if (!bIsTextField(i))
            continue;
        UINT uMsg = aSettings[i].id == IDC_HOST ? CB_LIMITTEXT : EM_LIMITTEXT;
        SendDlgItemMessageA(hDlg, aSettings[i].id, uMsg, (WPARAM)(aSettings[i].nSize - 1), 0);
    }
}

void vReadSettings(HWND hDlg)
{
    vChooseIniFileAnew();
    if (bIniFileNotRead())
        vReportIniNotRead();
    vLimitFields(hDlg);

    vReadSection();
    for (int i = 0; i < KX_NSETTINGS; i++) {
        int id = aSettings[i].id;
        LPSTR lpsBuf = aSettings[i].lpsBuf;
        if (aSettings[i].iKind == KX_SPECIAL) {
            *aSettings[i].pbFlag = iProfileInt(SEC_SPECIAL, aSettings[i].lpsKey, iDecimal(aSettings[i].lpsDefault));
            continue;
        }
        if (aSettings[i].iKind == KX_CHECK) {
            /* Written with other capitals than the program reads them with
             * elsewhere; the profile calls match keys without regard to case. */
            *aSettings[i].pbFlag = iProfileInt(SEC_DEFAULT, aSettings[i].lpsKey, iDecimal(aSettings[i].lpsDefault));
            CheckDlgButton(hDlg, id, *aSettings[i].pbFlag ? BST_CHECKED : BST_UNCHECKED);
            continue;
        }
        DWORD dwLength = dwReadText(aSettings[i].lpsKey, aSettings[i].lpsDefault, lpsBuf,
                                    (DWORD)aSettings[i].nSize);
        if (aSettings[i].iKind == KX_HOSTS)
            vFillHostList(hDlg, dwLength);
        if (aSettings[i].iKind == KX_INTERVAL)
            bTakeInterval();
        if (bIsTextField(i))
            SetDlgItemTextA(hDlg, id, lpsBuf);
    }
    bSectionRead = FALSE;
    SetDlgItemTextA(hDlg, IDC_CHARGE, "$0.00");
}

/* ---- Writing ---- */

/* A field's text as it is used and saved: at most the buffer's length less
 * one, cut at its first control character.  A line break in a value would
 * end its line in the file and start keys, or a section, of its own. */
static void vFieldText(HWND hDlg, int idField, LPSTR lpsBuf, int nSize)
{
    lpsBuf[0] = '\0';
    GetDlgItemTextA(hDlg, idField, lpsBuf, nSize);
    iCutAtControl(lpsBuf);
}

LPCSTR lpsTakeField(HWND hDlg, int idField)
{
    for (int i = 0; i < KX_NSETTINGS; i++)
        if (aSettings[i].id == idField && bIsTextField(i)) {
            aSettings[i].lpsBuf[0] = '\0';
            GetDlgItemTextA(hDlg, idField, aSettings[i].lpsBuf, aSettings[i].nSize);
            return aSettings[i].lpsBuf;
        }
    return "";
}

void vCutFieldsAtControls(HWND hDlg)
{
    /* Not into the settings' own buffers: they keep what was last read or
     * saved until Start takes the fields. */
    char szField[KX_HOST_MAX + 1];  /* the largest field */
    for (int i = 0; i < KX_NSETTINGS; i++) {
        if (!bIsTextField(i))
            continue;
        int nSize = aSettings[i].nSize < (int)sizeof(szField) ? aSettings[i].nSize : (int)sizeof(szField);
        szField[0] = '\0';
        int n = GetDlgItemTextA(hDlg, aSettings[i].id, szField, nSize);
        if (iCutAtControl(szField) < n)
            SetDlgItemTextA(hDlg, aSettings[i].id, szField);
    }
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

static void vWriteHostList(HWND hDlg)
{
    iJoinHostList(hDlg);
    vWriteText("HostList", szHostList);
}

void vSaveHostList(HWND hDlg)
{
    vWriteHostList(hDlg);
    vEndSave();
}

void vWriteSettings(HWND hDlg)
{
    if (bIniFileNotRead())
        vReportIniNotSaved();
    for (int i = 0; i < KX_NSETTINGS; i++) {
        int id = aSettings[i].id;
        LPCSTR lpsKey = aSettings[i].lpsKey;
        LPSTR lpsBuf = aSettings[i].lpsBuf;
        switch (aSettings[i].iKind) {
        case KX_FIELD:
            vFieldText(hDlg, id, lpsBuf, aSettings[i].nSize);
            vWriteText(lpsKey, lpsBuf);
            break;
        case KX_INTERVAL:
            vFieldText(hDlg, id, lpsBuf, aSettings[i].nSize);
            /* The field shows what is saved and used, not a number that is not. */
            if (bTakeInterval())
                SetDlgItemTextA(hDlg, id, lpsBuf);
            vWriteText(lpsKey, lpsBuf);
            break;
        case KX_STOPVALUE:
            /* The number the limits were just taken with, not the text as typed. */
            vWriteNumber(lpsKey, iStopVal);
            break;
        case KX_HOSTS:
            vWriteHostList(hDlg);
            break;
        case KX_CHECK:
            *aSettings[i].pbFlag = IsDlgButtonChecked(hDlg, id) == BST_CHECKED;
            vWriteNumber(lpsKey, *aSettings[i].pbFlag);
            break;
        case KX_SERVICE: {
            /* A hidden service keeps whatever the file said before. */
            LPCSTR lpsService = lpsCheckedServiceName(hDlg);
            if (lpsService) {
                lstrcpynA(lpsBuf, lpsService, aSettings[i].nSize);
                vWriteText(lpsKey, lpsBuf);
            }
            break;
        }
        }
    }
    vEndSave();
}
