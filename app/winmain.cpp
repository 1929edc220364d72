#include "kalvex.h"

HINSTANCE hThisInst;    /* set by WinMain, read when the dialog is loaded */
HICON hIcon;            /* loaded by WinMain, destroyed by Exit */
WSADATA WSAData;        /* filled by the sockets start-up */

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    hThisInst = hInstance;  /* TODO(issue 7) */
    return 0;
}
