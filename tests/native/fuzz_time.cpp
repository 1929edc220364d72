/* A Time answer, read as the Time service reads it.
 * Input: one byte of mode (how many of the four answer bytes the receive
 * hands out, 0 to 4, or 5 to 7 for a receive that fails; 8 and up: the
 * clock setter fails), the four answer bytes, the host text and a NUL,
 * then the TimeZone field's text. */
#include <time.h>

#include "fakes.h"
#include "../../probe/connect.h"
#include "../../probe/services.h"
#include "../../timesvc/timesvc.h"

static const int aiRecvErrors[3] = {WSAEWOULDBLOCK, WSAECONNRESET, WSAENOTCONN};

/* The local time the answer stands for, by the rules that TimeRead built. */
static bool bSameTime(const SYSTEMTIME &st, const TimeFields &tm)
{
    return st.wYear == tm.iYear + 1900 && st.wMonth == tm.iMon + 1 && st.wDay == tm.iMday
           && st.wDayOfWeek == tm.iWday && st.wHour == tm.iHour && st.wMinute == tm.iMin
           && st.wSecond == tm.iSec && st.wMilliseconds == 0;
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

    RecvCount = 0;
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

    /* The seconds since 1900, after 1970 by our own 32-bit arithmetic. */
    uint32_t ulCount = (uint32_t)data[1] << 24 | (uint32_t)data[2] << 16 | data[3] << 8 | data[4];
    const TimeFields *ptm = NULL;
    if (iMode == 4 && ulCount != 0)
        ptm = LocalTimeOf((LONG)(int32_t)(ulCount - 2208988800U));
    if (!ptm) {
        if (!fake::clockSets.empty() || RecvCount != 0)
            Fail("no time came, yet the clock was set or an answer counted");
        return 0;
    }

    char szText[64];
    FormatTimeText(ptm, szText, sizeof(szText));
    std::string sWhole = "Time from " + sHost.substr(0, sizeof(szDestStr) - 1) + ": " + szText;
    /* the time text leads, cut only by the end of szResult */
    size_t n = std::min(sWhole.size(), sizeof(szResult) - 1);
    if (strlen(szResult) < n || sWhole.compare(0, n, szResult, n) != 0)
        Fail("\"%s\" shown for \"%s\"", szResult, sWhole.c_str());
    if (RecvCount != 1 || fake::clockSets.size() != 1)
        Fail("%d answers counted, %zu clock settings", RecvCount, fake::clockSets.size());

    /* The clock gets the very time shown, or its UTC. */
    const fake::ClockSet &set = fake::clockSets[0];
    TimeFields tmUtc = {};
    if (set.bUtc) {
        time_t t = (time_t)(int32_t)(ulCount - 2208988800U);
        struct tm tm;
        gmtime_r(&t, &tm);
        tmUtc = {tm.tm_sec, tm.tm_min, tm.tm_hour, tm.tm_mday, tm.tm_mon, tm.tm_year, tm.tm_wday,
                 tm.tm_yday, 0};
    }
    if (!bSameTime(set.st, set.bUtc ? tmUtc : *ptm))
        Fail("clock set to %04u-%02u-%02u %02u:%02u:%02u for \"%s\"", set.st.wYear, set.st.wMonth,
             set.st.wDay, set.st.wHour, set.st.wMinute, set.st.wSecond, szResult);
    return 0;
}
