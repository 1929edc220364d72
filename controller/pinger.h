/* The main dialog procedure and what it shares with the rest. */
#ifndef KALVEX_PINGER_H
#define KALVEX_PINGER_H

#include "../app/kalvex.h"

extern UINT_PTR iTimer;
extern DWORD Inter, NextTickCount;
extern int rIndex, adding;

extern "C" INT_PTR CALLBACK Pinger(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);

/* Hand one WM_HOST_RESOLVED to the engine, and one WM_SOCKET_EVENT to the
 * busy services in the fixed order; stale ones are dropped. */
void vRouteHostResolved(WPARAM wParam, LPARAM lParam);
void vRouteSocketEvent(WPARAM wParam, LPARAM lParam);
void vRouteAimedConnect(void);     /* the aim timer's tick */

#endif
