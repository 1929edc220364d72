/* What every part of Kalvex32 includes: the platform headers, the control
 * IDs, the two socket notification messages, the name of the one-copy
 * mutex, and the few globals that the output path and the probes share
 * without the dialog procedure's header.  Each global is defined in the
 * file named beside it. */
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
extern HICON hIcon;                 /* app/winmain.cpp */
extern WSADATA WSAData;             /* app/winmain.cpp */

extern char szDest[512];            /* controller/pinger.cpp */
extern char szTime[20];             /* controller/meter.cpp */
extern char szMyIP[40];             /* probe/connect.cpp */

/* The program's icon at the size the system draws small icons (title bar)
 * or large ones (taskbar, Alt+Tab), so that no picture is shrunk. */
HICON hLoadKalvexIcon(HINSTANCE hInst, BOOL bSmall);   /* app/icon.cpp */

#endif
