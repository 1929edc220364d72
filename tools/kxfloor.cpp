/* kxfloor: the floors that scripts/bench.sh measures Kalvex32 against.
 * Built twice: with KX_FLOOR_TEMPLATE it shows Kalvex32's own dialog
 * template with the system's BUTTON and STATIC classes in place of ours
 * (kxfloor-template.rc); without it an empty dialog.  Either does nothing
 * else: no settings, no sockets, no classes of its own.  Closing the
 * window ends it. */
#include <windows.h>

static INT_PTR CALLBACK FloorProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hDlg, 0);
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    DialogBoxParamA(hInstance, "KALVEX", NULL, FloorProc, 0);
    return 0;
}
