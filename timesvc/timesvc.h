/* The Time service (port 37) and setting the computer's clock. */
#ifndef KALVEX_TIMESVC_H
#define KALVEX_TIMESVC_H

#include "../app/kalvex.h"
#include "zone.h"

/* Seconds from 1900-01-01 to 1970-01-01 */
#define KX_EPOCH_1900 2208988800UL

extern int TimeFlag;

BOOL TimeStart(LPCSTR szHost);
void TimeRead(void);
void TimeClose(void);
void TimeResumed(void);      /* a wake from sleep starts the estimate anew */
int SetClockFromSeconds(LONGLONG t, DWORD dwLateUs);
int FormatTimeText(const TimeFields *ptm, LPSTR lpsOut, int cchOut);

#endif
