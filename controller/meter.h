/* Time on line, online charge, probe counts and the limits that act on them. */
#ifndef KALVEX_METER_H
#define KALVEX_METER_H

#include "../app/kalvex.h"

/* Wide enough for "$" and any 32-bit float amount with two decimals, so a
 * charge of $1000.00 or more shows in full. */
#define KX_CHARGE_LEN 48

extern DWORD FirstTickCount, CurrentTickCount, tickcounter;
extern float fHourly, fRatePerSecond, fCharge;
extern char szCharge[KX_CHARGE_LEN];
extern int iErrorCount, iErrMax, iGoMin, iAlarmVal, iStopVal, bAutoStop;

void vMeterReset(void);                 /* Start: counters to zero */
void vMeterReadLimits(HWND hDlg);       /* Start: Minimize, Alarm, Stop, Rate */
void vMeterTick(HWND hDlg);             /* every timer step */
void vMeterProbeSent(HWND hDlg, BOOL bKalv);
void vMeterFailedStart(void);
/* The system goes to sleep; it wakes.  Only a sleep whose start was seen
 * is taken off the clock, once however many resume notices follow it; at
 * every wake the failed starts are counted anew. */
void vMeterSuspend(void);
void vMeterResume(void);
/* What a due step came to. */
enum { KX_STEP_NOTHING, KX_STEP_SENT, KX_STEP_SENT_KALV, KX_STEP_FAILED };
/* A due step's part of the meter: the probe or the failed start counted,
 * then minimize, alarm and automatic stop; TRUE when it has ordered the
 * stop. */
BOOL bMeterDueStep(HWND hDlg, int iOutcome);

#endif
