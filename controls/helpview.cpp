#include "helpview.h"

/* TODO(issue 7) */
BOOL WINAPI HelpViewA(HWND, LPCSTR, UINT, ULONG_PTR) { return FALSE; }
HWND hHelpViewWindow(void) { return NULL; }
