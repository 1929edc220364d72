/* What every part of Kalvex32 shares: the platform headers, the two socket
 * notification messages and the globals that more than one file touches.
 * Each global is defined in the file named beside it. */
#ifndef KALVEX_H
#define KALVEX_H

#include <windows.h>
#include <winsock.h>
#include "../res/resource.h"

#define WM_SOCKET_EVENT     (WM_USER + 1)
#define WM_HOST_RESOLVED    (WM_USER + 2)

/* Held by the running copy for its whole run, one per logon session. */
#define KX_MUTEX_NAME       "Local\\Kalvex32.Running"

extern HWND ghDlg;                  /* controller/pinger.cpp */
extern HINSTANCE hThisInst;         /* app/winmain.cpp */
extern HICON hIcon;                 /* app/winmain.cpp */
extern WSADATA WSAData;             /* app/winmain.cpp */

extern char szDest[512];            /* controller/pinger.cpp */
extern char szTime[20];             /* controller/meter.cpp */

#endif
