/* Zone texts, local time and the daylight rule.
 * Input: instant t (4 bytes, little-endian), the system zone's Bias and
 * StandardBias (4 each) and answer (1), an hour, a day of the year (2) and
 * a year (1) for the daylight rule alone, then the zone text. */
#include <ctype.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#include "fakes.h"
#include "../../timesvc/timesvc.h"

static int32_t iGet32(const uint8_t *p)
{
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24);
}

/* The C library's calendar, the second form of ours. */
static struct tm tmUtc(long long llSecs)
{
    time_t t = (time_t)llSecs;
    struct tm tm;
    gmtime_r(&t, &tm);
    return tm;
}

static void vCheckRules(const std::string &sText)
{
    CHECK_TEXT(ZoneRules.szStdName);
    CHECK_TEXT(ZoneRules.szDstName);
    if (ZoneRules.bDaylight != 0 && ZoneRules.bDaylight != 1)
        Fail("bDaylight %d", (int)ZoneRules.bDaylight);
    const char *lpsTZ = getenv("TZ");
    std::string sField = sText.substr(0, 39);
    if (sField.empty() ? lpsTZ != NULL : !lpsTZ || sField != lpsTZ)
        Fail("TZ is \"%s\" for \"%s\"", lpsTZ ? lpsTZ : "(none)", sText.c_str());
    if (!ZoneRules.szStdName[0]) {
        if (ZoneRules.szDstName[0])
            Fail("a system zone with a daylight name");
        return;
    }
    /* a zone read from the text: its own names, whole hours */
    if (strlen(ZoneRules.szStdName) != 3 || sText.compare(0, 3, ZoneRules.szStdName) != 0)
        Fail("standard name \"%s\" from \"%s\"", ZoneRules.szStdName, sText.c_str());
    if (ZoneRules.lOffset % 3600 != 0)
        Fail("offset %d from \"%s\"", (int)ZoneRules.lOffset, sText.c_str());
    size_t nDst = strlen(ZoneRules.szDstName);
    bool bLetters = std::all_of(ZoneRules.szDstName, ZoneRules.szDstName + nDst,
                                [](char c) { return isalpha((unsigned char)c) != 0; });
    if (ZoneRules.bDaylight ? nDst != 3 || !bLetters : nDst != 0)
        Fail("daylight name \"%s\" with bDaylight %d", ZoneRules.szDstName, (int)ZoneRules.bDaylight);
}

static void vCheckLocalTime(LONG t, size_t cchSmall)
{
    const TimeFields *ptm = LocalTimeOf(t);
    if ((ptm == NULL) != (t < ZoneRules.lOffset))
        Fail("local time of %d with offset %d: %p", (int)t, (int)ZoneRules.lOffset, (const void *)ptm);
    if (!ptm)
        return;

    if (ptm->iSec < 0 || ptm->iSec > 59 || ptm->iMin < 0 || ptm->iMin > 59 || ptm->iHour < 0
        || ptm->iHour > 23 || ptm->iMday < 1 || ptm->iMday > 31 || ptm->iMon < 0 || ptm->iMon > 11
        || ptm->iYear < 70 || ptm->iWday < 0 || ptm->iWday > 6 || ptm->iYday < 0 || ptm->iYday > 365
        || (ptm->bIsDst != 0 && ptm->bIsDst != 1))
        Fail("fields of %d (offset %d) out of range", (int)t, (int)ZoneRules.lOffset);

    /* Every fourth year a leap year is our calendar's rule, exact up to
     * 2099; only offsets of decades, which no zone has, go past it. */
    long long llStd = (long long)t - ZoneRules.lOffset;
    struct tm tmStd = tmUtc(llStd);
    if (tmStd.tm_year >= 199)
        return;
    int bDst = ZoneRules.bDaylight && IsDaylightTime(tmStd.tm_hour, tmStd.tm_yday, tmStd.tm_year + 1900);
    struct tm tm = tmUtc(llStd + (bDst ? 3600 : 0));
    if (ptm->iSec != tm.tm_sec || ptm->iMin != tm.tm_min || ptm->iHour != tm.tm_hour
        || ptm->iMday != tm.tm_mday || ptm->iMon != tm.tm_mon || ptm->iYear != tm.tm_year
        || ptm->iWday != tm.tm_wday || ptm->iYday != tm.tm_yday || ptm->bIsDst != bDst)
        Fail("fields of %d (offset %d, daylight %d) differ from the calendar's", (int)t,
             (int)ZoneRules.lOffset, (int)ZoneRules.bDaylight);

    /* The text against the fields, as the C library writes them. */
    char szExpected[64], szText[256];
    size_t n = strftime(szExpected, sizeof(szExpected), "%a %b %d %H:%M:%S %Y ", &tm);
    lstrcpynA(szExpected + n, bDst ? ZoneRules.szDstName : ZoneRules.szStdName, 4);
    int iLen = FormatTimeText(ptm, szText, sizeof(szText));
    if (iLen != (int)strlen(szText) || strcmp(szText, szExpected) != 0)
        Fail("time text \"%s\" (%d), expected \"%s\"", szText, iLen, szExpected);

    /* Too little room gives an empty text, never one cut or overrun. */
    char *lpsSmall = new char[cchSmall + 1];
    iLen = FormatTimeText(ptm, lpsSmall, (int)cchSmall + 1);
    if (iLen ? strcmp(lpsSmall, szExpected) != 0 : lpsSmall[0] != 0)
        Fail("time text in %zu bytes: \"%s\"", cchSmall + 1, lpsSmall);
    delete[] lpsSmall;
}

/* Whatever the changeover dates: daylight time is off in deep winter and on
 * in high summer, and it changes only on a Sunday at 02:00 standard time,
 * coming in spring (March or April) and going in autumn (October or
 * November). */
static void vCheckDaylightRule(int iHour, int iYday, int iYear)
{
    struct tm tmJan = {};
    tmJan.tm_year = iYear - 1900;
    tmJan.tm_mday = 1;
    struct tm tmDay = tmUtc((long long)timegm(&tmJan) + iYday * 86400LL);
    int iMon = tmDay.tm_mon;
    int b = IsDaylightTime(iHour, iYday, iYear);
    if (b != 0 && b != 1)
        Fail("IsDaylightTime gives %d", b);
    if ((iMon <= 1 || iMon == 11) && b)
        Fail("daylight time on day %d of %d", iYday, iYear);
    if (iMon >= 4 && iMon <= 8 && !b)
        Fail("no daylight time on day %d of %d", iYday, iYear);
    if (iHour == 0 && iYday == 0)
        return;
    int bBefore = iHour ? IsDaylightTime(iHour - 1, iYday, iYear) : IsDaylightTime(23, iYday - 1, iYear);
    if (b == bBefore)
        return;
    bool bSeason = b ? (iMon == 2 || iMon == 3) : (iMon == 9 || iMon == 10);
    if (tmDay.tm_wday != 0 || iHour != 2 || !bSeason)
        Fail("daylight time %s at %02d:00 on day %d of %d", b ? "starts" : "ends", iHour, iYday, iYear);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 17)
        return 0;
    fake::Reset();
    static const DWORD adwZoneIds[4] = {TIME_ZONE_ID_UNKNOWN, TIME_ZONE_ID_STANDARD,
                                        TIME_ZONE_ID_DAYLIGHT, TIME_ZONE_ID_INVALID};
    fake::tzi.Bias = iGet32(data + 4);
    fake::tzi.StandardBias = iGet32(data + 8);
    fake::tzResult = adwZoneIds[data[12] % 4];
    std::string sText = TextOf(data + 17, size - 17);

    /* in a buffer of exactly its size, so that a read past it is caught */
    char *lpsText = new char[sText.size() + 1];
    memcpy(lpsText, sText.c_str(), sText.size() + 1);
    ApplyZoneText(lpsText);
    delete[] lpsText;
    vCheckRules(sText);
    vCheckLocalTime(iGet32(data), data[13] % 32);

    int iYear = 1970 + data[16] % 69;
    int iYday = (data[14] | data[15] << 8) % (iYear % 4 ? 365 : 366);
    vCheckDaylightRule(data[13] % 24, iYday, iYear);
    return 0;
}
