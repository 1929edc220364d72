#include "timesvc.h"

int TimeFlag;

/* TODO(issue 4) */
BOOL TimeStart(LPCSTR) { return FALSE; }
void TimeRead(void) {}
void TimeClose(void) {}
int SetClockFromSeconds(LONG) { return -1; }
int FormatTimeText(const TimeFields *, LPSTR, int) { return 0; }
