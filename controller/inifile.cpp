#include "inifile.h"

#include "../app/format.h"
#include "../app/paths.h"
#include "../app/results.h"
#include "../app/text.h"

/* Where the settings live: the Windows folder, as they always have.  A
 * program run without administrator rights on current Windows may not
 * write there, and its settings would silently never be saved; it keeps
 * them in the user's application-data folder instead, and takes a copy of
 * the Windows folder's file along the first time.  From then on the user's
 * own file is the one, elevated or not: were the choice made anew by the
 * rights of the moment, settings saved in one file would come back stale
 * from the other.  Only a refusal moves the settings: a file that another
 * program holds open is still the one.
 * Paths are wide, so that a folder may be named in any script; the values
 * stay in the ANSI code page. */
static WCHAR wszIniFile[MAX_PATH];  /* chosen when the dialog opens (or at the first use), kept while it is open */
static BOOL bIniUnicode;            /* it begins with a byte-order mark */
static BOOL bIniNotRead;            /* it is there but could not be read: nothing is written to it this run */
static DWORD dwIniError;            /* and why not */

/* How long a file held by another program is waited for, in short steps,
 * before the settings open with their defaults.  Only such a hold passes:
 * any other error is reported at once, not after the wait. */
#define KX_READ_TRIES    40
#define KX_READ_PAUSE_MS 50

static BOOL bWindowsIniPath(WCHAR wszPath[MAX_PATH])
{
    WCHAR wszFolder[MAX_PATH];
    UINT n = GetWindowsDirectoryW(wszFolder, MAX_PATH);
    return n < MAX_PATH && bJoinPath(wszPath, wszFolder, (int)n, L"" KX_INIFILE);
}

static BOOL bHasByteOrderMark(const BYTE *pb, DWORD n)
{
    return (n >= 3 && pb[0] == 0xEF && pb[1] == 0xBB && pb[2] == 0xBF)
        || (n >= 2 && ((pb[0] == 0xFF && pb[1] == 0xFE) || (pb[0] == 0xFE && pb[1] == 0xFF)));
}

/* Reads the open file's first bytes, to know whether it is in Unicode, and
 * closes it; FALSE when they could not be read (GetLastError says why). */
static BOOL bReadFileStart(HANDLE h)
{
    BYTE abStart[3];
    DWORD n = 0;
    BOOL bRead = ReadFile(h, abStart, sizeof(abStart), &n, NULL);
    DWORD dwErr = GetLastError();
    CloseHandle(h);
    bIniUnicode = bRead && bHasByteOrderMark(abStart, n);
    SetLastError(dwErr);
    return bRead;
}

/* Whether the Windows folder refuses the settings file: only a denied
 * access says so.  A file that another program holds says nothing about
 * the folder.  *pbChecked: the answer also settled whether the file is
 * there and can be read, so that it need not be opened a second time. */
static BOOL bWindowsFolderRefuses(LPCWSTR lpwsPath, BOOL *pbChecked)
{
    *pbChecked = FALSE;
    HANDLE h = CreateFileW(lpwsPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        *pbChecked = bReadFileStart(h);
        return FALSE;
    }
    CloseHandle(h);
    DeleteFileW(lpwsPath);      /* only asked; a missing file means defaults */
    *pbChecked = TRUE;
    return FALSE;
}

/* Whether the chosen file can be read, and how it is written.  A missing
 * file is no settings; a file that is there but cannot be opened or read
 * is waited for a moment, since another program may have it open for a
 * short while only, and is otherwise left alone for this run. */
static void vCheckIniFile(void)
{
    for (int iTry = 0;; ++iTry) {
        HANDLE h = CreateFileW(wszIniFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h != INVALID_HANDLE_VALUE && bReadFileStart(h))
            return;
        DWORD dwErr = GetLastError();
        if (dwErr == ERROR_FILE_NOT_FOUND || dwErr == ERROR_PATH_NOT_FOUND)
            return;
        BOOL bHeld = dwErr == ERROR_SHARING_VIOLATION || dwErr == ERROR_LOCK_VIOLATION;
        if (!bHeld || iTry == KX_READ_TRIES) {
            bIniNotRead = TRUE;
            dwIniError = dwErr;
            return;
        }
        Sleep(KX_READ_PAUSE_MS);
    }
}

static void vChooseIniFile(void)
{
    WCHAR wszWindows[MAX_PATH], wszDir[MAX_PATH];
    BOOL bWindows = bWindowsIniPath(wszWindows);
    BOOL bPerUser = bUserFolder(wszDir) && bJoinPath(wszIniFile, wszDir, lstrlenW(wszDir), L"" KX_INIFILE);
    /* Looked for first: it is one cheap question, and it settles the rest. */
    BOOL bChecked = FALSE;
    bIniUnicode = bIniNotRead = FALSE;
    if (bPerUser && bIsFile(wszIniFile)) {
        /* the user's own file */
    } else if (bWindows && (!bPerUser || !bWindowsFolderRefuses(wszWindows, &bChecked))) {
        lstrcpynW(wszIniFile, wszWindows, MAX_PATH);
    } else if (bPerUser) {
        CreateDirectoryW(wszDir, NULL);
        if (bWindows)
            CopyFileW(wszWindows, wszIniFile, TRUE);   /* never over the user's own */
    } else {
        lstrcpynW(wszIniFile, L"" KX_INIFILE, MAX_PATH);   /* the profile calls' own choice */
    }
    if (!bChecked)
        vCheckIniFile();
}

void vChooseIniFileAnew(void)
{
    wszIniFile[0] = L'\0';
    lpwsIniFile();
}

BOOL bIniFileNotRead(void)
{
    return bIniNotRead;
}

BOOL bIniFileUnicode(void)
{
    return bIniUnicode;
}

LPCWSTR lpwsIniFile(void)
{
    if (!wszIniFile[0])
        vChooseIniFile();
    return wszIniFile;
}

/* Appends the single-byte text to the wide one at iAt; returns the new length. */
static int iAppendWidened(LPWSTR lpwsBuf, int cchBuf, int iAt, LPCSTR lps)
{
    int n = MultiByteToWideChar(CP_ACP, 0, lps, -1, lpwsBuf + iAt, cchBuf - iAt);
    if (n == 0) {
        lpwsBuf[iAt] = L'\0';
        return iAt;
    }
    return iAt + n - 1;
}

/* Shows and logs lpsBefore, the file's path, then lpsAfter.  Logged as well
 * as shown: the first probe's word replaces it in the Results field at
 * once.  The path keeps its real letters, whatever the code page. */
static void vReportIniFile(LPCSTR lpsBefore, LPCSTR lpsAfter)
{
    WCHAR wszText[MAX_PATH + 400];
    const int cch = (int)(sizeof(wszText) / sizeof(wszText[0]));
    int n = iAppendWidened(wszText, cch, 0, lpsBefore);
    lstrcpynW(wszText + n, lpwsIniFile(), cch - n);
    n += lstrlenW(wszText + n);
    iAppendWidened(wszText, cch, n, lpsAfter);
    vWriteResultsW(wszText, 1);
}

static void vReportIniError(LPCSTR lpsBefore, DWORD dwError)
{
    char szAfter[300] = ": ";
    iSystemReason(dwError, szAfter + 2, sizeof(szAfter) - 2);
    vReportIniFile(lpsBefore, szAfter);
}

void vReportIniNotRead(void)
{
    vReportIniError("Settings not read from ", dwIniError);
}

void vReportIniNotSaved(void)
{
    vReportIniFile("Settings not saved: ", " could not be read");
}

void vReportIniNotWritten(DWORD dwError)
{
    vReportIniError("Settings not saved to ", dwError);
}
