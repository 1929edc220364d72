/* A small help window of our own, called the way the system help engine is. */
#ifndef KALVEX_HELPVIEW_H
#define KALVEX_HELPVIEW_H

#include "../app/kalvex.h"

BOOL WINAPI HelpViewA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);
HWND hHelpViewWindow(void);

#endif
