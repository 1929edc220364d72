/* The online meter: how long the program has been on line since its first
 * Start, what that costs, how many probes went out, and the limits that
 * minimize, alarm or stop after a number of probes or failed starts. */
#include "meter.h"

#include <float.h>
#include <stdlib.h>

#include "../app/format.h"
#include "../app/results.h"
#include "../app/seams.h"
#include "../app/text.h"
#include "../probe/services.h"
#include "settings.h"

/* The clock: set at the first timer step of the first Start, never reset. */
char szTime[20];
DWORD FirstTickCount, CurrentTickCount, tickcounter;
static int ihours, iminutes, iseconds;
/* Sleep is no time on line: the clock stands still from the suspend notice
 * to the resume notice, and every sleep so far is taken off. */
static DWORD dwAsleepMs;        /* all sleeps that have ended */
static DWORD dwSuspendTick;     /* when the sleep under way began */
static BOOL bAsleep;            /* a suspend notice has come and no resume yet */

/* The charge: the rate is taken at each Start, the amount at every step. */
float fHourly, fRatePerSecond, fCharge;
char szCharge[KX_CHARGE_LEN];

/* Counts and limits, set at Start and held until the next one. */
int iErrorCount, iErrMax = 3, iGoMin, iAlarmVal, iStopVal, bAutoStop;

/* A limit field's number; anything not above 0 turns the limit off. */
static int iLimit(HWND hDlg, int idField)
{
    int iValue = iDecimal(lpsTakeField(hDlg, idField));
    return iValue > 0 ? iValue : 0;
}

/* The rate as a plain decimal number: blanks, a sign, digits with a point
 * and an exponent.  Only that much of the text reaches the C library, which
 * would otherwise also take "inf", "nan" and hexadecimal forms; a value
 * beyond the float range is held at the largest float. */
static float fRateOf(LPCSTR lps)
{
    char szNumber[sizeof(szHourly)];
    int n = 0;
    while (bIsBlank(*lps))
        ++lps;
    const char *lpsStart = lps;
    if (*lps == '+' || *lps == '-')
        ++lps;
    int iDigits = 0;
    for (; bIsDigit(*lps); ++lps)
        ++iDigits;
    if (*lps == '.')
        for (++lps; bIsDigit(*lps); ++lps)
            ++iDigits;
    if (!iDigits)
        return 0.0f;
    if (*lps == 'e' || *lps == 'E') {
        const char *lpsExp = lps + 1;
        if (*lpsExp == '+' || *lpsExp == '-')
            ++lpsExp;
        if (bIsDigit(*lpsExp)) {
            while (bIsDigit(*lpsExp))
                ++lpsExp;
            lps = lpsExp;
        }
    }
    n = (int)(lps - lpsStart);
    if (n >= (int)sizeof(szNumber))
        n = (int)sizeof(szNumber) - 1;
    lstrcpynA(szNumber, lpsStart, n + 1);
    double dValue = atof(szNumber);
    if (dValue > FLT_MAX)
        return FLT_MAX;
    if (dValue < -FLT_MAX)
        return -FLT_MAX;
    return (float)dValue;
}

void vMeterReset(void)
{
    iErrorCount = 0;
    SentCount = 0;
    RecvCount = 0;
}

void vMeterReadLimits(HWND hDlg)
{
    iGoMin = iDecimal(lpsTakeField(hDlg, IDC_GOMIN));
    if (iGoMin <= 0)
        ShowWindow(hDlg, SW_MINIMIZE);

    iAlarmVal = iLimit(hDlg, IDC_ALARM);
    iStopVal = iLimit(hDlg, IDC_STOPVAL);

    fHourly = fRateOf(lpsTakeField(hDlg, IDC_RATE));
    if (fHourly > 0) {
        fRatePerSecond = (float)((long double)fHourly * (1.0L / 3600.0L));
    } else {
        fHourly = 0;
        fRatePerSecond = 0;
    }
}

void vMeterTick(HWND hDlg)
{
    if (FirstTickCount == 0) {
        FirstTickCount = CurrentTickCount = pfnGetTickCount();
        if (bAsleep)
            dwSuspendTick = FirstTickCount;     /* the clock began on the way to sleep */
    }
    CurrentTickCount = pfnGetTickCount();
    /* Unsigned, so the difference stays right across the 49.7-day wrap. */
    tickcounter = ((bAsleep ? dwSuspendTick : CurrentTickCount) - FirstTickCount - dwAsleepMs) / 1000;

    ihours = (int)(tickcounter / 3600);
    iminutes = (int)(tickcounter - (DWORD)ihours * 3600) / 60;
    iseconds = (int)(tickcounter - (DWORD)ihours * 3600 - (DWORD)iminutes * 60);
    /* At most 1193 hours: "1193:02:47" fits szTime. */
    iFormat(szTime, sizeof(szTime), "%1.2d:%1.2d:%1.2d", ihours, iminutes, iseconds);
    SetDlgItemTextA(hDlg, IDC_TIMEONLINE, szTime);

    if (fRatePerSecond == 0) {
        SetDlgItemTextA(hDlg, IDC_CHARGE, "$0.00");
        return;
    }
    long double ldCharge = (long double)tickcounter * (long double)fRatePerSecond;
    fCharge = ldCharge > FLT_MAX ? FLT_MAX : (float)ldCharge;
    iFormat(szCharge, sizeof(szCharge), "$%3.2f", (double)fCharge);
    SetDlgItemTextA(hDlg, IDC_CHARGE, szCharge);
}

void vMeterSuspend(void)
{
    if (!bAsleep)
        dwSuspendTick = pfnGetTickCount();
    bAsleep = TRUE;
}

void vMeterResume(void)
{
    /* Failures before the wake say nothing of the network after it. */
    iErrorCount = 0;
    if (!bAsleep)
        return;
    bAsleep = FALSE;
    /* Before the first Start there is no clock to hold back. */
    if (FirstTickCount != 0)
        dwAsleepMs += pfnGetTickCount() - dwSuspendTick;
}

void vMeterProbeSent(HWND hDlg, BOOL bKalv)
{
    vCountRequest();
    /* Kalv gets no answer to count: its Received field follows Sent. */
    if (bKalv)
        SetDlgItemTextA(hDlg, IDC_RECV, szSent);
    iErrorCount = 0;
}

void vMeterFailedStart(void)
{
    /* Equality, so a limit of 0 or less never stops probing. */
    if (++iErrorCount == iErrMax)
        vSendMyselfStop();
}

static BOOL bMeterIntervalEnd(HWND hDlg)
{
    if (SentCount == iGoMin)
        ShowWindow(hDlg, SW_MINIMIZE);
    if (iAlarmVal != 0 && iAlarmVal == SentCount) {
        ShowWindow(hDlg, SW_RESTORE);
        pfnMessageBeep(0xFFFFFFFF);
    }
    if (iStopVal != 0 && iStopVal == SentCount && bAutoStop) {
        ShowWindow(hDlg, SW_RESTORE);
        pfnMessageBeep(0xFFFFFFFF);
        PostMessageA(hDlg, WM_COMMAND, IDC_STOP, 0);
        lstrcpynA(szResult, "Stopped as ordered..", sizeof(szResult));
        SetDlgItemTextA(hDlg, IDC_RESULTS, szResult);
        return TRUE;
    }
    return FALSE;
}

BOOL bMeterDueStep(HWND hDlg, int iOutcome)
{
    if (iOutcome == KX_STEP_SENT || iOutcome == KX_STEP_SENT_KALV)
        vMeterProbeSent(hDlg, iOutcome == KX_STEP_SENT_KALV);
    else if (iOutcome == KX_STEP_FAILED)
        vMeterFailedStart();
    /* The rules act on every due step, a step that sent nothing too. */
    return bMeterIntervalEnd(hDlg);
}
