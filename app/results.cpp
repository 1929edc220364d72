/* The single output path: every outcome goes to the Results field, and the
 * failures also to the error log in the current directory. */
#include "results.h"

#include "format.h"
#include "../probe/connect.h"

/* The longest result text kept, in the field and in the log alike.  Callers
 * format into 255-character buffers, but a caller passing more must not
 * run past ours. */
#define KX_RESULT_MAX 255

static void vAppendToLog(LPCSTR lpsResult)
{
    /* Open for every record and close again: the log is never held open
     * while the program waits, so it can be read or moved meanwhile. */
    HFILE hLog = _lopen(KX_LOGFILE, OF_READWRITE);
    if (hLog == HFILE_ERROR)
        hLog = _lcreat(KX_LOGFILE, 0);
    if (hLog == HFILE_ERROR)
        return;             /* a lost record must never disturb probing */

    _llseek(hLog, 0, FILE_END);

    char szCaption[KX_RESULT_MAX + 1];
    szCaption[0] = '\0';
    GetWindowTextA(ghDlg, szCaption, sizeof(szCaption));

    /* Caption and result are both bounded to 255, the address to 39, so a
     * record needs 566 bytes at worst; the caption is really at most 79,
     * which keeps every record whole in 500. */
    char szError[500];
    int iLen = iFormat(szError, sizeof(szError), "\r\n\n%s -=- %.255s my IP = %s",
                       szCaption, lpsResult, szMyIP);
    if (iLen < 0)
        iLen = lstrlenA(szError);      /* cut, but what there is goes in */

    _lwrite(hLog, szError, (UINT)iLen);
    _lclose(hLog);
}

void vWriteResults(LPCSTR lpsResult, int bErr)
{
    char szCaption[KX_RESULT_MAX + 1];
    lstrcpynA(szCaption, lpsResult, sizeof(szCaption));
    SetDlgItemTextA(ghDlg, IDC_RESULTS, szCaption);

    if (bErr)
        vAppendToLog(lpsResult);
}

void vSendMyselfStop(void)
{
    /* Posted, not sent: the caller is usually inside a timer step, and the
     * Stop must run after that step has finished. */
    PostMessageA(ghDlg, WM_COMMAND, IDC_STOP, 0);
}
