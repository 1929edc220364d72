#include "meter.h"

char szTime[20];
DWORD FirstTickCount, CurrentTickCount, tickcounter;
int ihours, iminutes, iseconds;
float fHourly, fRatePerSecond, fCharge;
char szCharge[8];
int iErrorCount, iErrMax = 3, iGoMin, iAlarmVal, iStopVal, bAutoStop;

/* TODO(issue 5) */
void vMeterReset(void) {}
void vMeterReadLimits(HWND) {}
void vMeterTick(HWND) {}
void vMeterProbeSent(HWND, BOOL) {}
void vMeterFailedStart(void) {}
void vMeterIntervalEnd(HWND) {}
