/* The Time service: a server on port 37 speaks first with four bytes, the
 * seconds since 1900-01-01 UTC, most significant byte first.  We set the
 * computer's clock from them and show the time in the zone that the
 * TimeZone field names. */
#include "timesvc.h"

#include "../app/format.h"
#include "../app/results.h"
#include "../app/seams.h"
#include "../probe/connect.h"
#include "../probe/errtext.h"
#include "../probe/services.h"

int TimeFlag;       /* set by the dialog when TimeStart succeeds, cleared by TimeClose */

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

/* Seconds since 1900 as the signed instant since 1970.  The unsigned
 * subtraction wraps, so counts after the 2036 rollover (small numbers)
 * land at the top of the signed range, where they belong. */
static LONG tClockOf(u_long ulSince1900)
{
    DWORD dw = (DWORD)(ulSince1900 - KX_EPOCH_1900);

    return dw <= 0x7FFFFFFFUL ? (LONG)dw : -(LONG)(0xFFFFFFFFUL - dw) - 1;
}

int SetClockFromSeconds(LONG t)
{
    const TimeFields *ptm = LocalTimeOf(t);
    SYSTEMTIME st;

    /* an instant before the zone's 1970 has no local time to set */
    if (!ptm)
        return -1;
    st.wYear = (WORD)(ptm->iYear + 1900);
    st.wMonth = (WORD)(ptm->iMon + 1);
    st.wDayOfWeek = (WORD)ptm->iWday;
    st.wDay = (WORD)ptm->iMday;
    st.wHour = (WORD)ptm->iHour;
    st.wMinute = (WORD)ptm->iMin;
    st.wSecond = (WORD)ptm->iSec;
    st.wMilliseconds = 0;
    return pfnSetLocalTime(&st) == TRUE ? 0 : -1;
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
    case 'd': wnsprintfA(szPiece, KX_PIECE, "%02d", (int)ptm->iMday); break;
    case 'H': wnsprintfA(szPiece, KX_PIECE, "%02d", (int)ptm->iHour); break;
    case 'M': wnsprintfA(szPiece, KX_PIECE, "%02d", (int)ptm->iMin); break;
    case 'S': wnsprintfA(szPiece, KX_PIECE, "%02d", (int)ptm->iSec); break;
    case 'Y': wnsprintfA(szPiece, KX_PIECE, "%d", (int)((LONGLONG)ptm->iYear + 1900)); break;
    case 'Z':
        /* the names are four bytes: never read more of them than that */
        lstrcpynA(szPiece, ptm->bIsDst ? ZoneRules.szDstName : ZoneRules.szStdName,
                  sizeof(ZoneRules.szStdName));
        break;
    default:
        wnsprintfA(szPiece, KX_PIECE, "%%%c", cConv);
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

/* Shows the answer and counts it: the text tells the local time that the
 * clock was just set to. */
static void vShowTime(const TimeFields *tmClock)
{
    char szTimeText[256];

    FormatTimeText(tmClock, szTimeText, sizeof(szTimeText));
    iFormat(szResult, sizeof(szResult), "Time from %s: %s", szDestStr, szTimeText);
    vWriteResults(szResult, FALSE);
    vCountAnswer();
}

void TimeRead(void)
{
    u_long ulbuffer = 0;
    char szZone[40];    /* the TimeZone field holds at most 39 characters */
    const TimeFields *tmClock;
    LONG tClock;

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
        SetClockFromSeconds(tClock);
        /* An instant before 1970 in this zone has no local time: the clock
         * was left alone, and the answer is as good as none. */
        tmClock = LocalTimeOf(tClock);
        if (tmClock) {
            vShowTime(tmClock);
            return;
        }
    }
    iFormat(szResult, sizeof(szResult), "Time from %s didn't come in..", szDestStr);
    vWriteResults(szResult, TRUE);
}
