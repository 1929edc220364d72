#include "seams.h"
#include "helpview.h"

DWORD (WINAPI *pfnGetTickCount)(void) = GetTickCount;
BOOL (WINAPI *pfnSetSystemTime)(const SYSTEMTIME *) = SetSystemTime;
void (WINAPI *pfnGetSystemTimeAsFileTime)(LPFILETIME) = GetSystemTimeAsFileTime;
DWORD (WINAPI *pfnGetTimeZoneInformation)(LPTIME_ZONE_INFORMATION) = GetTimeZoneInformation;
BOOL (WINAPI *pfnMessageBeep)(UINT) = MessageBeep;
/* Our own viewer stands in for the system's help engine (see helpview.cpp). */
BOOL (WINAPI *pfnWinHelp)(HWND, LPCSTR, UINT, ULONG_PTR) = HelpViewA;
int (PASCAL *pfnWSAStartup)(WORD, LPWSADATA) = WSAStartup;
