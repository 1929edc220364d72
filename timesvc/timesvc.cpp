/* The Time service: a server on port 37 speaks first with four bytes, the
 * seconds since 1900-01-01 UTC, most significant byte first.  We set the
 * computer's clock from them and show the time in the zone that the
 * TimeZone field names. */
#include "timesvc.h"

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
/* A server tells the second it is in, cut to the whole second: on average
 * half a second has gone by already when it answers. */
#define KX_HALF_SECOND_US 500000UL

/* Our own English names: the text must not change with the user's locale. */
static const char szTimeFormat[] = "%a %b %d %H:%M:%S %Y %Z";
static const char *const aszDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
static const char *const aszMonNames[12] = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec",
};

BOOL TimeStart(LPCSTR szHost)
{
    ts = socConnect(szHost, TIME_PORT);
    return ts != INVALID_SOCKET;
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

/* Shows the answer and counts it, since an answer came either way.  A
 * clock that was not set is a failure: the user must not take the time
 * shown for the computer's own, so the reason (lpsNotSet) follows on a line
 * of its own and the whole text is logged. */
static void vShowTime(const TimeFields *tmClock, LPCSTR lpsNotSet)
{
    char szTimeText[256];
    int iLen;

    FormatTimeText(tmClock, szTimeText, sizeof(szTimeText));
    iLen = iFormat(szResult, sizeof(szResult), "Time from %s: %s", szDestStr, szTimeText);
    /* a long reason is cut at the end of the result, never beyond it */
    if (lpsNotSet && iLen >= 0)
        iFormat(szResult + iLen, (int)sizeof(szResult) - iLen, "\r\nClock not set: %s", lpsNotSet);
    vWriteResults(szResult, lpsNotSet != NULL);
    vCountAnswer();
}

void TimeRead(void)
{
    u_long ulbuffer = 0;
    char szZone[40];    /* the TimeZone field holds at most 39 characters */
    char szReason[256];
    LPCSTR lpsNotSet = NULL;
    const TimeFields *tmClock;
    LONGLONG tClock;

    SetDlgItemTextA(ghDlg, IDC_RESULTS, "Reading");
    if (WSAIsBlocking())
        WSACancelBlockingCall();

    /* One receive: whatever has not arrived by now is discarded by the close. */
    bytes = recv(ts, (char *)&ulbuffer, sizeof(ulbuffer), 0);
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
        /* The answer left the server half a second into its second, on
         * average, and has been under way half the round trip since. */
        if (tClock < llReleaseFloor()) {
            lpsNotSet = szTooEarly;
        } else if (SetClockFromSeconds(tClock, KX_HALF_SECOND_US + dwRoundTripUs / 2) != 0) {
            vSetterFailure(GetLastError(), szReason, sizeof(szReason));
            lpsNotSet = szReason;
        }
        /* An instant before 1970 in this zone has no local time: the clock
         * was left alone, and the answer is as good as none. */
        tmClock = LocalTimeOf(tClock);
        if (tmClock) {
            vShowTime(tmClock, lpsNotSet);
            return;
        }
    }
    iFormat(szResult, sizeof(szResult), "Time from %s didn't come in..", szDestStr);
    vWriteResults(szResult, TRUE);
}
