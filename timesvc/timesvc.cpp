/* The Time service: a server on port 37 speaks first with four bytes, the
 * seconds since 1900-01-01 UTC, most significant byte first.  We set the
 * computer's clock from them and show the time in the zone that the
 * TimeZone field names. */
#include "timesvc.h"

#include <math.h>

#include "clockfit.h"
#include "../app/format.h"
#include "../app/text.h"
#include "../app/results.h"
#include "../app/seams.h"
#include "../probe/connect.h"
#include "../probe/errtext.h"
#include "../probe/services.h"

int TimeFlag;       /* set by the dialog when TimeStart succeeds, cleared by TimeClose */

/* Seconds from 1601-01-01, where the system's file times start, to 1970 */
#define KX_EPOCH_1601 11644473600LL
#define KX_TICKS_PER_SEC 10000000ULL    /* file times count 100 ns */
#define KX_TICKS_PER_US 10ULL
#define KX_MS_PER_DAY 86400000LL
#define KX_MS_PER_HOUR 3600000LL

/* Our own English names: the text must not change with the user's locale. */
static const char szTimeFormat[] = "%a %b %d %H:%M:%S %Y %Z";
static const char *const aszDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
static const char *const aszMonNames[12] = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec",
};

/* The answers of one host are one server's: another host starts anew. */
BOOL TimeStart(LPCSTR szHost)
{
    ts = socConnect(szHost, TIME_PORT);
    if (ts == INVALID_SOCKET)
        return FALSE;
    ClockFitForHost(szDestStr);
    bAimConnect = TRUE;
    return TRUE;
}

/* After a sleep the counter may have stood still or run on while the
 * server's clock did the other: nothing learned before it holds, and a
 * probe under way spans it, so it is dropped too. */
void TimeResumed(void)
{
    ClockFitReset();
    if (TimeFlag)
        TimeClose();
}

void TimeClose(void)
{
    CloseSocket(ts);
    TimeFlag = 0;
}

/* Seconds since 1900 as the instant since 1970.  The 32 bits of the count
 * run out in 2036 and start again from 0: an answer can never lie before
 * 1970, so the counts below 1970's are the second era, 2036 to 2106. */
static LONGLONG tClockOf(u_long ulSince1900)
{
    LONGLONG ll = (LONGLONG)ulSince1900 - (LONGLONG)KX_EPOCH_1900;

    return ll >= 0 ? ll : ll + 0x100000000LL;
}

/* The first instant the clock may take: 00:00:00 UTC on the day this
 * version was released.  An answer before it cannot be the time: its
 * server's clock has started again at 1970 or 2000, as the clocks of small
 * devices without a battery do. */
static LONGLONG llReleaseFloor(void)
{
    SYSTEMTIME st = {KX_RELEASE_YEAR, KX_RELEASE_MONTH, 0, KX_RELEASE_DAY, 0, 0, 0, 0};
    ULARGE_INTEGER uli;
    FILETIME ft;

    /* a date the calendar cannot take would let any time through: none does */
    if (!SystemTimeToFileTime(&st, &ft))
        return 0x7FFFFFFFFFFFFFFFLL;
    uli.LowPart = ft.dwLowDateTime;
    uli.HighPart = ft.dwHighDateTime;
    return (LONGLONG)(uli.QuadPart / KX_TICKS_PER_SEC) - KX_EPOCH_1601;
}

/* The clock takes the instant itself, in UTC: Windows' own zone settings
 * then show it right in every zone and every week, whatever the TimeZone
 * text says.  The zone still decides whether there is a time at all: an
 * instant without local time there is neither shown nor set.  dwLateUs is
 * how long the instant has been past when the clock is set. */
int SetClockFromSeconds(LONGLONG t, DWORD dwLateUs)
{
    ULARGE_INTEGER uli;
    FILETIME ft;
    SYSTEMTIME st;

    /* a local time bounds t, so the file time below stays in 64 bits */
    if (!LocalTimeOf(t))
        return -1;
    uli.QuadPart = (ULONGLONG)(t + KX_EPOCH_1601) * KX_TICKS_PER_SEC
                   + (ULONGLONG)dwLateUs * KX_TICKS_PER_US;
    ft.dwLowDateTime = uli.LowPart;
    ft.dwHighDateTime = uli.HighPart;
    if (!FileTimeToSystemTime(&ft, &st))
        return -1;
    return pfnSetSystemTime(&st) == TRUE ? 0 : -1;
}

/* A name from a table, or "???" for a field out of its range, so that a
 * damaged record can never index past the table. */
static LPCSTR lpsNameOf(const char *const *apszNames, int cNames, LONG i)
{
    return i >= 0 && i < cNames ? apszNames[i] : "???";
}

/* Appends lps after the iLen characters at lpsOut; FALSE when it does not
 * fit with the terminator. */
static BOOL bAppend(LPSTR lpsOut, int cchOut, int *piLen, LPCSTR lps)
{
    int cch = lstrlenA(lps);

    if (cch >= cchOut - *piLen)
        return FALSE;
    CopyMemory(lpsOut + *piLen, lps, cch);
    *piLen += cch;
    lpsOut[*piLen] = 0;
    return TRUE;
}

#define KX_PIECE 16     /* one conversion: at most 11 characters */

/* Writes one conversion (the letter after '%') of ptm into szPiece. */
static void vConvert(char cConv, const TimeFields *ptm, char szPiece[KX_PIECE])
{
    switch (cConv) {
    case 'a': lstrcpynA(szPiece, lpsNameOf(aszDayNames, 7, ptm->iWday), KX_PIECE); break;
    case 'b': lstrcpynA(szPiece, lpsNameOf(aszMonNames, 12, ptm->iMon), KX_PIECE); break;
    case 'd': iFormat(szPiece, KX_PIECE, "%02d", (int)ptm->iMday); break;
    case 'H': iFormat(szPiece, KX_PIECE, "%02d", (int)ptm->iHour); break;
    case 'M': iFormat(szPiece, KX_PIECE, "%02d", (int)ptm->iMin); break;
    case 'S': iFormat(szPiece, KX_PIECE, "%02d", (int)ptm->iSec); break;
    case 'Y': iFormat(szPiece, KX_PIECE, "%d", (int)((LONGLONG)ptm->iYear + 1900)); break;
    case 'Z':
        /* the names are four bytes: never read more of them than that */
        lstrcpynA(szPiece, ptm->bIsDst ? ZoneRules.szDstName : ZoneRules.szStdName,
                  sizeof(ZoneRules.szStdName));
        break;
    default:
        iFormat(szPiece, KX_PIECE, "%%%c", cConv);
        break;
    }
}

int FormatTimeText(const TimeFields *ptm, LPSTR lpsOut, int cchOut)
{
    char szPiece[KX_PIECE];
    int iLen = 0;
    LPCSTR p;

    if (!lpsOut || cchOut <= 0)
        return 0;
    lpsOut[0] = 0;
    if (!ptm)
        return 0;
    for (p = szTimeFormat; *p; ++p) {
        if (*p == '%' && p[1]) {
            vConvert(*++p, ptm, szPiece);
        } else {
            szPiece[0] = *p;
            szPiece[1] = 0;
        }
        if (!bAppend(lpsOut, cchOut, &iLen, szPiece)) {
            lpsOut[0] = 0;
            return 0;
        }
    }
    return iLen;
}

/* Why the clock was not set after a failed setter: the code and the
 * system's own words for it. */
static void vSetterFailure(DWORD dwErr, LPSTR lpsOut, int cchOut)
{
    char szWords[256];

    iSystemMessage(dwErr, szWords, sizeof(szWords));
    iFormat(lpsOut, cchOut, "system error #%d%s%s", (int)dwErr, szWords[0] ? " " : "", szWords);
}

static const char szTooEarly[] =
    "the time received is earlier than this program's release (" KX_RELEASE_DATE ")";

/* Whole milliseconds as seconds with three decimals; a day or an hour and
 * more in days, hours and minutes too, which a reader takes in at once. */
static void vFormatSeconds(LONGLONG llMs, LPSTR lpsOut, int cchOut)
{
    int iSec = (int)(llMs / 1000 % 60), iMs = (int)(llMs % 1000);
    int iMin = (int)(llMs / 60000 % 60), iHour = (int)(llMs / KX_MS_PER_HOUR % 24);

    if (llMs >= KX_MS_PER_DAY)
        iFormat(lpsOut, cchOut, "%d d %02d h %02d min %02d.%03d s", (int)(llMs / KX_MS_PER_DAY),
                iHour, iMin, iSec, iMs);
    else if (llMs >= KX_MS_PER_HOUR)
        iFormat(lpsOut, cchOut, "%d h %02d min %02d.%03d s", iHour, iMin, iSec, iMs);
    else
        iFormat(lpsOut, cchOut, "%d.%03d s", (int)(llMs / 1000), iMs);
}

/* How far the computer's clock is ahead of the estimate, read just after
 * the counter that the estimate is for. */
static double dOurClockMinus(const CLOCKESTIMATE *pce)
{
    FILETIME ft;
    ULARGE_INTEGER uli;

    pfnGetSystemTimeAsFileTime(&ft);
    uli.LowPart = ft.dwLowDateTime;
    uli.HighPart = ft.dwHighDateTime;
    return (double)((LONGLONG)(uli.QuadPart / KX_TICKS_PER_SEC) - KX_EPOCH_1601 - pce->llSec)
           + ((double)(uli.QuadPart % KX_TICKS_PER_SEC) / KX_TICKS_PER_SEC - pce->dFrac);
}

/* Steps the clock to the server's time only when it lies outside the
 * bound, so that a clock already right is never moved to and fro.  The
 * line lpsDone says what was done; returns FALSE, with the reason in
 * lpsDone, when the clock would not take the step. */
static BOOL bSteerClock(LPSTR lpsDone, int cchDone)
{
    CLOCKESTIMATE ce;
    char szStep[48], szBound[48];
    double dBehind;
    LONGLONG llMs;
    DWORD dwFracUs;

    if (!bClockFitAt(dCounterNow(), &ce))
        return TRUE;
    dBehind = -dOurClockMinus(&ce);
    /* inside the bound, the clock is as far from the server as from the
     * estimate and the bound together, and no further */
    if (fabs(dBehind) <= ce.dBound) {
        vFormatSeconds((LONGLONG)ceil((fabs(dBehind) + ce.dBound) * 1000), szBound, sizeof(szBound));
        iFormat(lpsDone, cchDone, "Clock left as it was: right to within %s", szBound);
        return TRUE;
    }
    /* the clock takes whole milliseconds: the nearest, and half of one more
     * in the bound */
    llMs = (LONGLONG)floor(ce.dFrac * 1000 + 0.5);
    dwFracUs = (DWORD)llMs * 1000;
    if (SetClockFromSeconds(ce.llSec, dwFracUs) != 0) {
        vSetterFailure(GetLastError(), lpsDone, cchDone);
        return FALSE;
    }
    vFormatSeconds((LONGLONG)floor(fabs(dBehind) * 1000 + 0.5), szStep, sizeof(szStep));
    vFormatSeconds((LONGLONG)ceil(ce.dBound * 1000 + 0.5), szBound, sizeof(szBound));
    iFormat(lpsDone, cchDone, "Clock set %s %s, to within %s", szStep,
            dBehind > 0 ? "forward" : "back", szBound);
    return TRUE;
}

/* Shows the answer and counts it, since an answer came either way.  The
 * second line says what became of the clock.  A clock that was not set is
 * a failure: the user must not take the time shown for the computer's own,
 * so the reason follows and the whole text is logged. */
static void vShowTime(const TimeFields *tmClock, LPCSTR lpsSecond, BOOL bNotSet)
{
    char szTimeText[256];
    int iLen;

    FormatTimeText(tmClock, szTimeText, sizeof(szTimeText));
    iLen = iFormat(szResult, sizeof(szResult), "Time from %s: %s", szDestStr, szTimeText);
    /* a long reason is cut at the end of the result, never beyond it */
    if (lpsSecond[0] && iLen >= 0)
        iFormat(szResult + iLen, (int)sizeof(szResult) - iLen, bNotSet ? "\r\nClock not set: %s" : "\r\n%s",
                lpsSecond);
    vWriteResults(szResult, bNotSet);
    vCountAnswer();
}

void TimeRead(void)
{
    u_long ulbuffer = 0;
    char szZone[40];    /* the TimeZone field holds at most 39 characters */
    char szSecond[256];
    BOOL bNotSet = FALSE;
    const TimeFields *ptm;
    TimeFields tmClock;
    LONGLONG tClock;
    double dQ1;

    SetDlgItemTextA(ghDlg, IDC_RESULTS, "Reading");
    if (WSAIsBlocking())
        WSACancelBlockingCall();

    /* One receive: whatever has not arrived by now is discarded by the close. */
    bytes = recv(ts, (char *)&ulbuffer, sizeof(ulbuffer), 0);
    dQ1 = dCounterNow();
    if (bytes == SOCKET_ERROR) {
        bytes = WSAGetLastError();
        if (bytes == WSAEWOULDBLOCK)
            return;
        iFormat(szResult, sizeof(szResult), "Recv %s; service probably not running",
                szSockErr(bytes));
        vWriteResults(szResult, TRUE);
        return;
    }

    if (bytes == (int)sizeof(ulbuffer) && ulbuffer != 0) {
        /* the field is read at every answer, so an edit applies from the next one */
        szZone[0] = 0;
        GetDlgItemTextA(ghDlg, IDC_TIMEZONE, szZone, sizeof(szZone));
        ApplyZoneText(szZone);
        tClock = tClockOf(ntohl(ulbuffer));
        /* An instant before 1970 in this zone has no local time: the clock
         * is left alone, and the answer is as good as none. */
        ptm = LocalTimeOf(tClock);
        if (ptm) {
            tmClock = *ptm;     /* setting the clock takes another local time */
            szSecond[0] = 0;
            if (tClock < llReleaseFloor()) {
                lstrcpynA(szSecond, szTooEarly, sizeof(szSecond));
                bNotSet = TRUE;
            } else {
                /* the server read its clock between the connect and now */
                iClockFitAdd(tClock, dConnectQ0, dQ1);
                bNotSet = !bSteerClock(szSecond, sizeof(szSecond));
            }
            vShowTime(&tmClock, szSecond, bNotSet);
            return;
        }
    }
    iFormat(szResult, sizeof(szResult), "Time from %s didn't come in..", szDestStr);
    vWriteResults(szResult, TRUE);
}
