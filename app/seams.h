/* The few platform calls that tests must replace: the tick count, the
 * clock setter, the zone query, and what a test cannot read back (the
 * beep, the help viewer, the sockets start-up result).  Production leaves
 * every pointer at the real function. */
#ifndef KALVEX_SEAMS_H
#define KALVEX_SEAMS_H

#include "kalvex.h"

extern DWORD (WINAPI *pfnGetTickCount)(void);
extern BOOL (WINAPI *pfnSetSystemTime)(const SYSTEMTIME *);   /* takes UTC */
extern void (WINAPI *pfnGetSystemTimeAsFileTime)(LPFILETIME);  /* the clock the setter moves */
extern DWORD (WINAPI *pfnGetTimeZoneInformation)(LPTIME_ZONE_INFORMATION);
extern BOOL (WINAPI *pfnMessageBeep)(UINT);
extern BOOL (WINAPI *pfnWinHelp)(HWND, LPCSTR, UINT, ULONG_PTR);
extern int (PASCAL *pfnWSAStartup)(WORD, LPWSADATA);

#endif
