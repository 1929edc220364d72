/* A Time answer, read as the Time service reads it, and any 64-bit instant
 * through the local time, the time text and the clock.
 * Input: one byte of mode (how many of the four answer bytes the receive
 * hands out, 0 to 4, or 5 to 7 for a receive that fails; 8 and up: the
 * clock setter fails), the four answer bytes, the host text and a NUL,
 * the TimeZone field's text and a NUL, then an instant (8 bytes) and a
 * lateness in microseconds (4 bytes), little-endian; what is missing of
 * the last two counts as 0. */
#include <time.h>

#include "fakes.h"
#include "../../probe/connect.h"
#include "../../probe/services.h"
#include "../../timesvc/clockfit.h"
#include "../../timesvc/timesvc.h"

static const int aiRecvErrors[3] = {WSAEWOULDBLOCK, WSAECONNRESET, WSAENOTCONN};
static const long long llLastLocalSecond = 253402300799LL;     /* 9999-12-31 23:59:59 */

/* The C library's calendar, the second form of ours. */
static struct tm tmUtc(long long llSecs)
{
    time_t t = (time_t)llSecs;
    struct tm tm;
    if (!gmtime_r(&t, &tm))
        Fail("gmtime_r(%lld)", llSecs);
    return tm;
}

static bool bSameFields(const TimeFields &ours, const struct tm &tm)
{
    return ours.iSec == tm.tm_sec && ours.iMin == tm.tm_min && ours.iHour == tm.tm_hour
           && ours.iMday == tm.tm_mday && ours.iMon == tm.tm_mon && ours.iYear == tm.tm_year
           && ours.iWday == tm.tm_wday && ours.iYday == tm.tm_yday;
}

/* The clock was set to t plus lLateUs, in UTC, to the millisecond. */
static bool bClockAt(const SYSTEMTIME &st, long long t, long long llLateUs)
{
    long long llMs = t * 1000 + llLateUs / 1000;
    long long llMsOfSecond = (llMs % 1000 + 1000) % 1000;      /* before 1970 too */
    struct tm tm = tmUtc((llMs - llMsOfSecond) / 1000);
    return st.wYear == tm.tm_year + 1900 && st.wMonth == tm.tm_mon + 1 && st.wDay == tm.tm_mday
           && st.wDayOfWeek == tm.tm_wday && st.wHour == tm.tm_hour && st.wMinute == tm.tm_min
           && st.wSecond == tm.tm_sec && st.wMilliseconds == llMsOfSecond;
}

static long long llGetLE(const uint8_t *p, size_t n, size_t cb)
{
    unsigned long long ull = 0;
    for (size_t i = 0; i < cb && i < n; ++i)
        ull |= (unsigned long long)p[i] << (8 * i);
    return (long long)ull;
}

/* Any instant: a local time by the C library's calendar within the bounds,
 * none outside them; a text of at most 28 characters; the clock at the
 * instant plus the lateness, or untouched. */
static void vCheckInstant(long long t, DWORD dwLateUs)
{
    const TimeFields *ptm = LocalTimeOf(t);
    bool bInRange = t >= ZoneRules.lOffset && t <= llLastLocalSecond + ZoneRules.lOffset;
    if ((ptm != NULL) != bInRange)
        Fail("local time of %lld with offset %d: %p", t, (int)ZoneRules.lOffset, (const void *)ptm);
    size_t nSets = fake::clockSets.size();
    fake::clockResult = TRUE;
    int iSet = SetClockFromSeconds(t, dwLateUs);
    if (!ptm) {
        if (iSet != -1 || fake::clockSets.size() != nSets)
            Fail("clock set for %lld, which has no local time", t);
        return;
    }
    long long llStd = t - ZoneRules.lOffset;
    struct tm tmStd = tmUtc(llStd);
    int bDst = ZoneRules.bDaylight && IsDaylightTime(tmStd.tm_hour, tmStd.tm_yday, tmStd.tm_year + 1900);
    TimeFields tm = *LocalTimeOf(t);
    if (!bSameFields(tm, tmUtc(llStd + (bDst ? 3600 : 0))) || tm.bIsDst != bDst)
        Fail("local time of %lld (offset %d) is not the calendar's", t, (int)ZoneRules.lOffset);
    char szText[40];
    int iLen = FormatTimeText(&tm, szText, sizeof(szText));
    if (iLen < 25 || iLen > 28 || (int)strlen(szText) != iLen)
        Fail("time text \"%s\" for %lld", szText, t);
    if (iSet != 0 || fake::clockSets.size() != nSets + 1 || !fake::clockSets.back().bUtc
        || !bClockAt(fake::clockSets.back().st, t, dwLateUs))
        Fail("clock for %lld plus %u us", t, (unsigned)dwLateUs);
}

/* 00:00:00 UTC on the release day, by the C library's calendar. */
static long long llReleaseFloor()
{
    struct tm tm = {};
    tm.tm_year = KX_RELEASE_YEAR - 1900;
    tm.tm_mon = KX_RELEASE_MONTH - 1;
    tm.tm_mday = KX_RELEASE_DAY;
    return (long long)timegm(&tm);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    fake::Reset();
    int iMode = data[0] & 7;
    fake::clockResult = data[0] < 8;
    if (iMode <= 4)
        fake::answer.assign((const char *)data + 1, iMode);
    else
        fake::recvError = aiRecvErrors[iMode - 5];
    std::string sHost = TextOf(data + 5, size - 5);
    size_t iZone = std::min(size, 5 + sHost.size() + 1);
    fake::items[IDC_TIMEZONE] = TextOf(data + iZone, size - iZone);
    size_t iRest = std::min(size, iZone + fake::items[IDC_TIMEZONE].size() + 1);
    long long llInstant = llGetLE(data + iRest, size - iRest, 8);
    iRest = std::min(size, iRest + 8);
    DWORD dwLate = (DWORD)llGetLE(data + iRest, size - iRest, 4);

    RecvCount = 0;
    ClockFitReset();
    ULONGLONG ullClockBefore = fake::clockNow;
    if (!TimeStart(sHost.c_str()))
        Fail("TimeStart failed");
    TimeFlag = 1;
    TimeRead();
    TimeClose();

    CHECK_TEXT(szResult);
    CHECK_TEXT(szDestStr);
    if (fake::Item(IDC_RESULTS).size() >= sizeof(szResult))
        Fail("Results holds %zu characters", fake::Item(IDC_RESULTS).size());
    if (fake::log.size() >= 500 || (!fake::log.empty() && fake::log.compare(0, 3, "\r\n\n") != 0))
        Fail("log record of %zu bytes", fake::log.size());

    /* The instant: the counts below 1970's are the second era, to 2106. */
    uint32_t ulCount = (uint32_t)data[1] << 24 | (uint32_t)data[2] << 16 | data[3] << 8 | data[4];
    long long t = (long long)ulCount - 2208988800LL;
    if (t < 0)
        t += 0x100000000LL;
    const TimeFields *ptm = NULL;
    if (iMode == 4 && ulCount != 0)
        ptm = LocalTimeOf(t);
    if (!ptm) {
        if (!fake::clockSets.empty() || RecvCount != 0)
            Fail("no time came, yet the clock was set or an answer counted");
    } else {
        char szText[64];
        FormatTimeText(ptm, szText, sizeof(szText));
        std::string sWhole = "Time from " + sHost.substr(0, sizeof(szDestStr) - 1) + ": " + szText;
        /* the time text leads, cut only by the end of szResult */
        size_t n = std::min(sWhole.size(), sizeof(szResult) - 1);
        if (strlen(szResult) < n || sWhole.compare(0, n, szResult, n) != 0)
            Fail("\"%s\" shown for \"%s\"", szResult, sWhole.c_str());
        if (RecvCount != 1)
            Fail("%d answers counted", RecvCount);
        /* never a clock before the release; from it on, the middle of the
         * second received, unless the clock lay within it already (the
         * counter stands still here: the answer took no time) */
        if (t < llReleaseFloor()) {
            static const char szFloor[] = "\r\nClock not set: the time received is earlier than "
                                          "this program's release (" KX_RELEASE_DATE ")";
            size_t nText = strlen(szResult);
            if (!fake::clockSets.empty() || nText < sizeof(szFloor) - 1
                || strcmp(szResult + nText - (sizeof(szFloor) - 1), szFloor) != 0)
                Fail("\"%s\": clock set %zu times before the release", szResult, fake::clockSets.size());
        } else if (fake::clockSets.empty()) {
            long long llAhead = (long long)(ullClockBefore / 10) - (11644473600LL + t) * 1000000 - 500000;
            if (llAhead < -500001 || llAhead > 500001 || !strstr(szResult, "\r\nClock left as it was: right to within "))
                Fail("clock left %lld us off the middle: \"%s\"", llAhead, szResult);
        } else if (fake::clockSets.size() != 1 || !fake::clockSets[0].bUtc
                   || !bClockAt(fake::clockSets[0].st, t, 500000)
                   || (fake::clockResult && !strstr(szResult, ", to within 0.501 s"))) {
            Fail("clock for \"%s\"", szResult);
        }
    }

    /* the zone of this input, also when no answer came to apply it */
    ApplyZoneText(fake::Item(IDC_TIMEZONE).c_str());
    vCheckInstant(llInstant, dwLate);
    return 0;
}
