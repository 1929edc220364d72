/* kxdrive: watches and ends a running Kalvex32 from outside, for scripts.
 *
 *   kxdrive wait TEXT SECONDS   waits until the Results field of Kalvex32's
 *                               dialog begins with TEXT; prints that field
 *                               and then the dialog's screen rectangle as
 *                               "left top width height"
 *   kxdrive exit SECONDS        presses Exit in every Kalvex32 dialog and
 *                               waits until all are gone
 *
 * Exits with 0 when done, 1 when the time ran out, 2 on a usage error. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../res/resource.h"
#include "../controls/controls.h"

/* The main dialog is the gray dialog that has the Results field. */
static BOOL CALLBACK bFindDialog(HWND hWnd, LPARAM lParam)
{
    char szClass[32] = "";
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (strcmp(szClass, KX_CLASS_DIALOG) != 0 || !GetDlgItem(hWnd, IDC_RESULTS) || !IsWindowVisible(hWnd))
        return TRUE;
    *(HWND *)lParam = hWnd;
    return FALSE;
}

static HWND hFindDialog(void)
{
    HWND hDlg = NULL;
    EnumWindows(bFindDialog, (LPARAM)&hDlg);
    return hDlg;
}

static int iWait(const char *szText, DWORD dwMs)
{
    char szResults[512] = "";
    DWORD dwStart = GetTickCount();
    for (;;) {
        HWND hDlg = hFindDialog();
        szResults[0] = 0;
        if (hDlg)
            GetDlgItemTextA(hDlg, IDC_RESULTS, szResults, sizeof(szResults));
        if (hDlg && strncmp(szResults, szText, strlen(szText)) == 0) {
            RECT r;
            GetWindowRect(hDlg, &r);
            printf("%s\n%ld %ld %ld %ld\n", szResults, r.left, r.top, r.right - r.left, r.bottom - r.top);
            return 0;
        }
        if (GetTickCount() - dwStart >= dwMs) {
            fprintf(stderr, "kxdrive: %s\n", hDlg ? szResults : "no Kalvex32 dialog");
            return 1;
        }
        Sleep(200);
    }
}

static int iExit(DWORD dwMs)
{
    DWORD dwStart = GetTickCount();
    HWND hDlg;
    while ((hDlg = hFindDialog()) != NULL) {
        PostMessageA(hDlg, WM_COMMAND, IDC_EXIT, 0);
        if (GetTickCount() - dwStart >= dwMs) {
            fprintf(stderr, "kxdrive: Kalvex32 did not end\n");
            return 1;
        }
        Sleep(200);
    }
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "wait") == 0)
        return iWait(argv[2], (DWORD)atol(argv[3]) * 1000);
    if (argc == 3 && strcmp(argv[1], "exit") == 0)
        return iExit((DWORD)atol(argv[2]) * 1000);
    fprintf(stderr, "usage: kxdrive wait TEXT SECONDS | kxdrive exit SECONDS\n");
    return 2;
}
