/* The single output path: every outcome goes to the Results field, and the
 * failures also to the error log in the current directory (or, where that
 * takes no file, in the user's own folder). */
#include "results.h"

#include "format.h"
#include "paths.h"

/* The longest result text kept, in the field and in the log alike.  Callers
 * format into 255-character buffers, but a caller passing more must not
 * run past ours. */
#define KX_RESULT_MAX 255

/* Opened for reading and writing, shared with any reader, or made when it
 * is not there; an earlier record is never cut away.  Wide names reach any
 * folder, whatever the script of its name. */
static HANDLE hOpenLog(LPCWSTR lpwsPath)
{
    return CreateFileW(lpwsPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
}

/* The log of the current folder; where that folder takes no file (a
 * program folder that only administrators may write, say), the one in the
 * user's own folder, so that no failure goes unrecorded. */
static HANDLE hOpenAnyLog(void)
{
    HANDLE hLog = hOpenLog(L"" KX_LOGFILE);
    if (hLog != INVALID_HANDLE_VALUE)
        return hLog;
    WCHAR wszFolder[MAX_PATH], wszPath[MAX_PATH];
    if (!bUserFolder(wszFolder) || !bJoinPath(wszPath, wszFolder, lstrlenW(wszFolder), L"" KX_LOGFILE))
        return INVALID_HANDLE_VALUE;
    CreateDirectoryW(wszFolder, NULL);
    return hOpenLog(wszPath);
}

static void vAppendToLog(LPCSTR lpsResult)
{
    /* Open for every record and close again: the log is never held open
     * while the program waits, so it can be read or moved meanwhile. */
    HANDLE hLog = hOpenAnyLog();
    if (hLog == INVALID_HANDLE_VALUE)
        return;             /* a lost record must never disturb probing */

    SetFilePointer(hLog, 0, NULL, FILE_END);

    char szDlgCaption[KX_RESULT_MAX + 1];
    szDlgCaption[0] = '\0';
    GetWindowTextA(ghDlg, szDlgCaption, sizeof(szDlgCaption));

    /* Caption and result are both bounded to 255, the address to 39, so a
     * record needs 566 bytes at worst; the caption is really at most 79,
     * which keeps every record whole in 500. */
    char szError[500];
    int iLen = iFormat(szError, sizeof(szError), "\r\n\n%s -=- %.255s my IP = %s",
                       szDlgCaption, lpsResult, szMyIP);
    if (iLen < 0)
        iLen = lstrlenA(szError);      /* cut, but what there is goes in */

    DWORD cbWritten;
    WriteFile(hLog, szError, (DWORD)iLen, &cbWritten, NULL);
    CloseHandle(hLog);
}

void vWriteResults(LPCSTR lpsResult, int bErr)
{
    char szShown[KX_RESULT_MAX + 1];
    lstrcpynA(szShown, lpsResult, sizeof(szShown));
    SetDlgItemTextA(ghDlg, IDC_RESULTS, szShown);

    if (bErr)
        vAppendToLog(lpsResult);
}

void vWriteResultsW(LPCWSTR lpwsResult, int bErr)
{
    WCHAR wszShown[KX_RESULT_MAX + 1];
    lstrcpynW(wszShown, lpwsResult, KX_RESULT_MAX + 1);
    SetDlgItemTextW(ghDlg, IDC_RESULTS, wszShown);
    if (!bErr)
        return;
    char szLogged[4 * KX_RESULT_MAX + 1];   /* the longest characters of any code page */
    iNarrow(wszShown, lstrlenW(wszShown), szLogged, sizeof(szLogged));
    vAppendToLog(szLogged);
}

void vSendMyselfStop(void)
{
    /* Posted, not sent: the caller is usually inside a timer step, and the
     * Stop must run after that step has finished. */
    PostMessageA(ghDlg, WM_COMMAND, IDC_STOP, 0);
}
