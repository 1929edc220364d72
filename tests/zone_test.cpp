// Zone texts, the daylight rule and local time.  Expected dates were worked
// out with an independent calendar, or come from the system's own calendar
// (FileTimeToSystemTime) inside the test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"
#include "../timesvc/timesvc.h"

// The time text of t in the current rules, or "none".
static std::string Show(LONGLONG t)
{
    const TimeFields *ptm = LocalTimeOf(t);
    if (!ptm)
        return "none";
    char sz[64];
    FormatTimeText(ptm, sz, sizeof(sz));
    return sz;
}

static void UseSystemZone(LONG biasMinutes, LONG stdBias, DWORD result)
{
    fake::tzi = TIME_ZONE_INFORMATION();
    fake::tzi.Bias = biasMinutes;
    fake::tzi.StandardBias = stdBias;
    fake::tzResult = result;
}

TEST(ZoneText, UsableTextsGiveNamesOffsetAndDaylight)
{
    struct { const char *text, *std; LONG offset; const char *dst; LONG daylight; } rows[] = {
        {"PST8PST", "PST", 28800, "PST", 1},   {"PST8PDT", "PST", 28800, "PDT", 1},
        {"PST+8", "PST", 28800, "", 0},        {"EST5EDT", "EST", 18000, "EDT", 1},
        {"est5edt", "est", 18000, "edt", 1},   {"CET-1CEST", "CET", -3600, "CES", 1},
        {"GMT0", "GMT", 0, "", 0},             {"PST8:30PDT", "PST", 28800, "PDT", 1},
        {"PST8 PDT", "PST", 28800, "PDT", 1},  {"PST8PD", "PST", 28800, "", 0},
        {"PST8P1", "PST", 28800, "", 0},       {"PST8", "PST", 28800, "", 0},
        {"JST-9JDTM3.2.0", "JST", -32400, "JDT", 1},
        // bytes above 127 are neither letters nor digits
        {"PST8\xC4PDT", "PST", 28800, "PDT", 1}, {"PST8\xC4\xD6\xDC", "PST", 28800, "", 0},
        // the hour counts whose seconds still fit 32 bits
        {"AAA596523", "AAA", 596523L * 3600, "", 0}, {"AAA-596523", "AAA", -596523L * 3600, "", 0},
        {"AAA+0000000000000000000000000000000001", "AAA", 3600, "", 0},
    };
    UseSystemZone(-600, 0, TIME_ZONE_ID_DAYLIGHT);     // must not be consulted
    for (auto &r : rows) {
        ApplyZoneText("XYZ-5ABC");                     // leftovers must not survive
        ApplyZoneText(r.text);
        EXPECT_STREQ(r.std, ZoneRules.szStdName) << r.text;
        EXPECT_EQ(r.offset, ZoneRules.lOffset) << r.text;
        EXPECT_STREQ(r.dst, ZoneRules.szDstName) << r.text;
        EXPECT_EQ(r.daylight, ZoneRules.bDaylight) << r.text;
    }
}

TEST(ZoneText, UnusableTextsTakeTheSystemZoneWithoutNames)
{
    // Hour counts whose seconds do not fit 32 bits are unusable too: the
    // system zone rather than a wrapped offset.
    const char *texts[] = {"PST+", "EST 5EDT", "CEST-2", "", "PS8PDT", "PST", "PSTX8", "P1T8", "\xC4ST8PDT",
                           "PS\xDF" "8", "AAA596524BBB", "AAA-596524", "AAA4294967296",
                           "AAA99999999999999999999999999999999999"};
    for (const char *t : texts) {
        ApplyZoneText("EST5EDT");
        UseSystemZone(480, 0, TIME_ZONE_ID_DAYLIGHT);
        ApplyZoneText(t);
        EXPECT_EQ(28800, ZoneRules.lOffset) << t;
        EXPECT_EQ(1, ZoneRules.bDaylight) << t;
        EXPECT_STREQ("", ZoneRules.szStdName) << t;
        EXPECT_STREQ("", ZoneRules.szDstName) << t;
    }
    // Daylight only when in effect right now; the standard bias is part of
    // the standard offset; a failing query, or a bias that cannot be a
    // zone's, means UTC without daylight.
    const struct { LONG bias, stdBias; DWORD result; LONG offset; int daylight; } zones[] = {
        {480, 0, TIME_ZONE_ID_STANDARD, 28800, 0}, {-60, 0, TIME_ZONE_ID_UNKNOWN, -3600, 0},
        {300, 60, TIME_ZONE_ID_DAYLIGHT, 21600, 1}, {480, 0, TIME_ZONE_ID_INVALID, 0, 0},
        {0x7FFFFFFF, 0x7FFFFFFF, TIME_ZONE_ID_STANDARD, 0, 0},
    };
    for (auto &z : zones) {
        ApplyZoneText("EST5EDT");
        UseSystemZone(z.bias, z.stdBias, z.result);
        ApplyZoneText("");
        EXPECT_EQ(z.offset, ZoneRules.lOffset) << z.bias;
        EXPECT_EQ(z.daylight, ZoneRules.bDaylight) << z.bias;
    }
    EXPECT_EQ("Thu Jan 01 00:00:00 1970 ", Show(0));
}

TEST(ZoneText, SetsAndRemovesTheTZVariable)
{
    char sz[80];
    ApplyZoneText("CET-1CEST");
    ASSERT_EQ(9u, GetEnvironmentVariableA("TZ", sz, sizeof(sz)));
    EXPECT_STREQ("CET-1CEST", sz);
    ApplyZoneText("");
    EXPECT_EQ(0u, GetEnvironmentVariableA("TZ", sz, sizeof(sz)));
    EXPECT_EQ((DWORD)ERROR_ENVVAR_NOT_FOUND, GetLastError());
    // Longer than the TimeZone field can hold: only its 39 characters count.
    std::string longText = "EST5" + std::string(35, ' ') + "EDT";
    ApplyZoneText(longText.c_str());
    ASSERT_EQ(39u, GetEnvironmentVariableA("TZ", sz, sizeof(sz)));
    EXPECT_EQ(longText.substr(0, 39), sz);
    EXPECT_EQ(18000, ZoneRules.lOffset);
    EXPECT_EQ(0, ZoneRules.bDaylight);
}

// Seconds since 1970 of a UTC time, by the system's calendar.
static LONGLONG Utc(int y, int mo, int d, int h = 0, int mi = 0, int sec = 0)
{
    SYSTEMTIME st = {(WORD)y, (WORD)mo, 0, (WORD)d, (WORD)h, (WORD)mi, (WORD)sec, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULONGLONG u = ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
    return (LONGLONG)(u / 10000000ULL) - 11644473600LL;
}

// The second before and the second of changeovers under each rule: the
// first Sunday of April before 1987, the last before, and from 2007 the
// second Sunday of March to the first of November, 2006 keeping April and
// October.  Which Sunday it is in every year is DaylightRule's; these show
// the hour and the date that local time hands the rule.
TEST(LocalTime, ChangeoversToTheSecond)
{
    struct { const char *zone; LONGLONG t; const char *before, *at; } rows[] = {
        {"EST5EDT", 514969200, "Sun Apr 27 01:59:59 1986 EST", "Sun Apr 27 03:00:00 1986 EDT"},
        {"EST5EDT", 544604400, "Sun Apr 05 01:59:59 1987 EST", "Sun Apr 05 03:00:00 1987 EDT"},
        {"EST5EDT", 891759600, "Sun Apr 05 01:59:59 1998 EST", "Sun Apr 05 03:00:00 1998 EDT"},
        {"EST5EDT", 909295200, "Sun Oct 25 01:59:59 1998 EDT", "Sun Oct 25 02:00:00 1998 EDT"},
        {"EST5EDT", 909298800, "Sun Oct 25 02:59:59 1998 EDT", "Sun Oct 25 02:00:00 1998 EST"},
        {"PST8PDT", Utc(2006, 4, 2, 10), "Sun Apr 02 01:59:59 2006 PST", "Sun Apr 02 03:00:00 2006 PDT"},
        {"PST8PDT", Utc(2006, 10, 29, 10), "Sun Oct 29 02:59:59 2006 PDT", "Sun Oct 29 02:00:00 2006 PST"},
        {"PST8PDT", Utc(2007, 3, 11, 10), "Sun Mar 11 01:59:59 2007 PST", "Sun Mar 11 03:00:00 2007 PDT"},
        {"PST8PDT", Utc(2007, 11, 4, 10), "Sun Nov 04 02:59:59 2007 PDT", "Sun Nov 04 02:00:00 2007 PST"},
        {"PST8PDT", Utc(2024, 3, 10, 10), "Sun Mar 10 01:59:59 2024 PST", "Sun Mar 10 03:00:00 2024 PDT"},
        {"PST8PDT", Utc(2024, 11, 3, 10), "Sun Nov 03 02:59:59 2024 PDT", "Sun Nov 03 02:00:00 2024 PST"},
        {"PST8PDT", Utc(2099, 3, 8, 10), "Sun Mar 08 01:59:59 2099 PST", "Sun Mar 08 03:00:00 2099 PDT"},
        {"PST8PDT", Utc(2099, 11, 1, 10), "Sun Nov 01 02:59:59 2099 PDT", "Sun Nov 01 02:00:00 2099 PST"},
    };
    for (auto &r : rows) {
        ApplyZoneText(r.zone);
        EXPECT_EQ(r.before, Show(r.t - 1));
        EXPECT_EQ(r.at, Show(r.t));
    }
    // Weeks that moved in 2007 and 2006's same weeks, at 20:00 UTC.
    ApplyZoneText("PST8PDT");
    EXPECT_EQ("Tue Mar 20 13:00:00 2007 PDT", Show(Utc(2007, 3, 20, 20)));
    EXPECT_EQ("Tue Oct 30 13:00:00 2007 PDT", Show(Utc(2007, 10, 30, 20)));
    EXPECT_EQ("Wed Mar 15 12:00:00 2006 PST", Show(Utc(2006, 3, 15, 20)));
    EXPECT_EQ("Wed Nov 01 12:00:00 2006 PST", Show(Utc(2006, 11, 1, 20)));
}

// Instants as shown in their zone: daylight for every zone with a daylight
// name, the hour it adds carrying the date, leap days, the epoch and the
// ends of each era, 2100 being no leap year.  West of Greenwich the first
// hours have no local time; the extreme offsets still give sound ones, far
// east to the end of year 9999 and no further.
TEST(LocalTime, InstantsAsShownInTheirZone)
{
    const LONGLONG end9999 = Utc(9999, 12, 31, 23, 59, 59) - 596523LL * 3600;
    const struct { const char *zone; LONGLONG t; const char *shown; } rows[] = {
        {"PST8PST", 868017600, "Fri Jul 04 05:00:00 1997 PST"},
        {"PST8PST", 852379200, "Sat Jan 04 04:00:00 1997 PST"},
        {"CET-1CEST", 868968000, "Tue Jul 15 14:00:00 1997 CES"},
        {"EST5EDT", 899526600, "Sat Jul 04 00:30:00 1998 EDT"},
        {"GMT0", 0, "Thu Jan 01 00:00:00 1970 GMT"},
        {"GMT0", 0x7FFFFFFF, "Tue Jan 19 03:14:07 2038 GMT"},
        {"GMT0", -1, "none"},
        {"EST5EDT", 825595200, "Thu Feb 29 07:00:00 1996 EST"},
        {"EST5EDT", 825681600, "Fri Mar 01 07:00:00 1996 EST"},
        {"PST8PST", 28799, "none"},
        {"PST8PST", 28800, "Thu Jan 01 00:00:00 1970 PST"},
        {"PST8PDT", Utc(2040, 7, 4, 12), "Wed Jul 04 05:00:00 2040 PDT"},
        {"GMT0", Utc(2100, 2, 28, 23, 59, 59), "Sun Feb 28 23:59:59 2100 GMT"},
        {"GMT0", Utc(2100, 3, 1), "Mon Mar 01 00:00:00 2100 GMT"},
        {"EST5EDT", Utc(2104, 2, 29, 12), "Fri Feb 29 07:00:00 2104 EST"},
        {"GMT0", 0xFFFFFFFFLL, "Sun Feb 07 06:28:15 2106 GMT"},
        {"AAA596523", 596523L * 3600 - 1, "none"},
        {"AAA596523", 0x7FFFFFFF, "Thu Jan 01 00:14:07 1970 AAA"},
        {"AAA-596523", 0x7FFFFFFF, "Sun Feb 07 06:14:07 2106 AAA"},
        {"AAA-596523", end9999, "Fri Dec 31 23:59:59 9999 AAA"},
        {"AAA-596523", end9999 + 1, "none"},
        {"AAA-596523", 0x7FFFFFFFFFFFFFFFLL, "none"},
        {"AAA-596523", -0x7FFFFFFFFFFFFFFFLL - 1, "none"},
    };
    for (auto &r : rows) {
        ApplyZoneText(r.zone);
        EXPECT_EQ(r.shown, Show(r.t)) << r.zone << " " << r.t;
    }
}

// The fields beside the text: daylight, the days of the week and the year
// across the added hour and a leap year; an instant without a local time
// leaves the record as it was.
TEST(LocalTime, FieldsBesideTheText)
{
    ApplyZoneText("PST8PST");
    const TimeFields *ptm = LocalTimeOf(868017600);     // 1997-07-04 12:00 UTC
    ASSERT_TRUE(ptm);
    EXPECT_EQ(1, ptm->bIsDst);
    EXPECT_EQ(5, ptm->iWday);
    EXPECT_EQ(184, ptm->iYday);
    EXPECT_EQ(0, LocalTimeOf(852379200)->bIsDst);       // 1997-01-04 12:00 UTC
    TimeFields before = *LocalTimeOf(86400);
    EXPECT_EQ(nullptr, LocalTimeOf(0));
    EXPECT_EQ(0, memcmp(&before, ptm, sizeof(before)));
    ApplyZoneText("EST5EDT");
    ptm = LocalTimeOf(899526600);                       // 1998-07-04 04:30 UTC
    EXPECT_EQ(184, ptm->iYday);
    EXPECT_EQ(6, ptm->iWday);
    EXPECT_EQ(365, LocalTimeOf(852073200)->iYday);      // 1996-12-31 18:00 EST
}

// GMT0 against the system's calendar over the whole range, 1970 to 2106.
TEST(LocalTime, CalendarAgreesWithTheSystemAcrossTheRange)
{
    ApplyZoneText("GMT0");
    for (LONGLONG t = 0; t <= 0xFFFFFFFFLL; t += 7654321) {
        ULARGE_INTEGER u;
        u.QuadPart = (ULONGLONG)(t + 11644473600LL) * 10000000ULL;
        FILETIME ft = {u.LowPart, u.HighPart};
        SYSTEMTIME st;
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
        const TimeFields *ptm = LocalTimeOf(t);
        ASSERT_TRUE(ptm);
        EXPECT_EQ((std::vector<int>{st.wYear - 1900, st.wMonth - 1, st.wDay, st.wDayOfWeek, st.wHour,
                                    st.wMinute, st.wSecond}),
                  (std::vector<int>{ptm->iYear, ptm->iMon, ptm->iMday, ptm->iWday, ptm->iHour, ptm->iMin,
                                    ptm->iSec})) << t;
    }
}

// The changeover Sundays of every year, found with the system's calendar.
TEST(DaylightRule, ChangeoverSundaysOfEveryYear)
{
    auto yday = [](int y, int m, int d) { return (int)((Utc(y, m, d) - Utc(y, 1, 1)) / 86400); };
    auto sundayOnOrBefore = [](int y, int m, int d) {
        while ((Utc(y, m, d) / 86400 + 4) % 7)      // 1 January 1970 was a Thursday
            --d;
        return d;
    };
    for (int y = 1970; y <= 2106; ++y) {
        // the window's first and last month, and the last day of each
        // changeover week in them
        int sm = y >= 2007 ? 3 : 4, sd = y >= 2007 ? 14 : y >= 1987 ? 7 : 30;
        int em = y >= 2007 ? 11 : 10, ed = y >= 2007 ? 7 : 31;
        int s = yday(y, sm, sundayOnOrBefore(y, sm, sd)), e = yday(y, em, sundayOnOrBefore(y, em, ed));
        // around 02:00 of each changeover Sunday, and noon next to each month's edge
        const struct { int hour, day, on; } probes[] = {
            {23, s - 1, 0}, {1, s, 0}, {2, s, 1}, {0, s + 1, 1}, {23, e - 1, 1}, {1, e, 1}, {2, e, 0}, {0, e + 1, 0},
            {12, yday(y, sm, 1) - 1, 0}, {12, yday(y, sm + 1, 1), 1}, {12, yday(y, em, 1) - 1, 1},
            {12, yday(y, em + 1, 1), 0}};
        for (auto &p : probes)
            EXPECT_EQ(p.on, IsDaylightTime(p.hour, p.day, y)) << y << " " << p.day << " " << p.hour;
    }
    // 29 February counts as February, 1 March of a leap year as March.
    EXPECT_EQ(0, IsDaylightTime(12, 59, 1996));
    EXPECT_EQ(0, IsDaylightTime(12, 90, 1996));
}
