/* kxfloor: the floors that scripts/bench.sh measures Kalvex32 against.
 * Built three times, each with its dialog: an empty one (kxfloor-empty.rc);
 * Kalvex32's own template with the system's BUTTON and STATIC classes in
 * place of ours (kxfloor-template.rc, written by CMakeLists.txt); and that
 * template again with KX_FLOOR_WINSOCK, which first starts Winsock 1.1 as
 * Kalvex32 must before its dialog.  None does anything else: no settings,
 * no sockets, no classes of its own.  Closing the window ends it. */
#include <windows.h>
#ifdef KX_FLOOR_WINSOCK
#include <winsock.h>
#endif

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
#ifdef KX_FLOOR_WINSOCK
    WSADATA WSAData;
    if (WSAStartup(0x0101, &WSAData) != 0)
        return 1;
#endif
    DialogBoxParamA(hInstance, "KALVEX", NULL, FloorProc, 0);
#ifdef KX_FLOOR_WINSOCK
    WSACleanup();
#endif
    return 0;
}
