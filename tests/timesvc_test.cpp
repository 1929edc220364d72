// The time text, setting the clock, and the Time service against real
// servers on loopback port 37.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "harness.h"
#include "../app/results.h"
#include "../probe/connect.h"
#include "../probe/errtext.h"
#include "../probe/services.h"
#include "../controller/pinger.h"
#include "../timesvc/clockfit.h"
#include "../timesvc/timesvc.h"

TEST(TimeText, EveryConversionAndTheBufferBound)
{
    ApplyZoneText("EST5EDT");
    TimeFields tm = {5, 7, 9, 3, 11, 101, 0, 336, 0};     // Sun Dec 03 09:07:05 2001
    char sz[64];
    EXPECT_EQ(28, FormatTimeText(&tm, sz, sizeof(sz)));
    EXPECT_STREQ("Sun Dec 03 09:07:05 2001 EST", sz);
    tm.bIsDst = 1;
    FormatTimeText(&tm, sz, sizeof(sz));
    EXPECT_STREQ("Sun Dec 03 09:07:05 2001 EDT", sz);
    // Too small a buffer gives an empty text and nothing written beyond it.
    memset(sz, 'x', sizeof(sz));
    EXPECT_EQ(0, FormatTimeText(&tm, sz, 28));
    EXPECT_EQ(0, sz[0]);
    EXPECT_EQ('x', sz[28]);
    EXPECT_EQ(28, FormatTimeText(&tm, sz, 29));
    // Fields out of range never index past the name tables.
    TimeFields bad = {0, 0, 0, 1, 12, 70, -1, 0, 0};
    FormatTimeText(&bad, sz, sizeof(sz));
    EXPECT_STREQ("??? ??? 01 00:00:00 1970 EST", sz);
    // Four name bytes without a terminator are never read further.
    memcpy(ZoneRules.szStdName, "ABCD", 4);
    tm.bIsDst = 0;
    FormatTimeText(&tm, sz, sizeof(sz));
    EXPECT_STREQ("Sun Dec 03 09:07:05 2001 ABC", sz);
}

// The clock takes UTC whatever the zone, also on either side of 1970, with
// the lateness added, which may carry past 2100's 28 February.
TEST(Clock, SetToTheInstantInUtc)
{
    struct { const char *zone; LONGLONG t; DWORD lateUs; SYSTEMTIME utc; } rows[] = {
        {"EST5EDT", 4107542399LL, 1500000, {2100, 3, 1, 1, 0, 0, 0, 500}},
        {"GMT0", 0xFFFFFFFFLL, 999999, {2106, 2, 0, 7, 6, 28, 15, 999}},
        {"GMT0", 0x7FFFFFFF, 0, {2038, 1, 2, 19, 3, 14, 7, 0}},
        {"CET-1CEST", -3600, 0, {1969, 12, 3, 31, 23, 0, 0, 0}},   // local 1970-01-01 00:00
    };
    for (auto &r : rows) {
        ApplyZoneText(r.zone);
        EXPECT_EQ(0, SetClockFromSeconds(r.t, r.lateUs)) << r.zone;
        ASSERT_FALSE(fake::clockSets.empty());
        EXPECT_EQ(0, memcmp(&r.utc, &fake::clockSets.back(), sizeof(SYSTEMTIME))) << r.zone;
    }
    fake::clockResult = FALSE;
    EXPECT_EQ(-1, SetClockFromSeconds(0, 0));
    EXPECT_EQ((DWORD)ERROR_PRIVILEGE_NOT_HELD, GetLastError());
}

// One Time probe against a server at LoopAddr(n) that sends `answer` (and
// `later` only once the probe has closed, so that one receive can never
// find it, however slow the machine); returns the Results text once closed.
static std::string Probe(TestWindow &w, int n, const std::string &answer,
                         const std::string &later = "")
{
    ServerScript script;
    script.first = answer;
    script.second = later;
    script.pauseMs = later.empty() ? 0 : 30000;
    LoopServer srv(LoopAddr(n), TIME_PORT, script);
    EXPECT_TRUE(srv.Listening());
    if (!TimeStart(LoopAddr(n).c_str()))
        return "start failed";
    TimeFlag = 1;       // as the dialog does after a successful start
    EXPECT_TRUE(PumpUntil([] { return TimeFlag == 0; }));
    return w.Results();
}

static const std::string kJuly4 = "\xB7\x67\x64\x40";      // 1997-07-04 12:00:00 UTC
static const std::string kJuly2027 = "\xEF\xD4\xA7\xC0";   // 2027-07-04 12:00:00 UTC
static const std::string kJuly2040 = "\x08\x49\x8B\x40";   // 2040-07-04 12:00:00 UTC

// The text after the first line, and whether the clock took the middle of
// the second received: one answer alone puts the server anywhere in it.
static std::string SecondLine(const std::string &shown)
{
    size_t at = shown.find("\r\n");
    return at == std::string::npos ? "" : shown.substr(at + 2);
}

static bool SetToTheMiddle(const SYSTEMTIME &st)
{
    return st.wMilliseconds >= 500 && st.wMilliseconds < 600;
}

static void ExpectNotCounted()
{
    EXPECT_TRUE(fake::clockSets.empty());
    EXPECT_EQ(0, RecvCount);
}

// The zone field shapes the text only: the clock always gets 2027-07-04
// 12:00:00 UTC, a Sunday.  An empty field takes the system's zone (8 hours
// west, on daylight time) without names, so the text ends with a space.
TEST(TimeService, TheZoneFieldShapesTheTextNeverTheClock)
{
    SYSTEMTIME utc = {2027, 7, 0, 4, 12, 0, 0, 0};
    struct { const char *zone, *shown; } rows[] = {
        {"PST8PST", "Sun Jul 04 05:00:00 2027 PST"},
        {"CET-1CEST", "Sun Jul 04 14:00:00 2027 CES"},
        {"", "Sun Jul 04 05:00:00 2027 "},
    };
    TestWindow w;
    fake::tzi.Bias = 480;
    fake::tzResult = TIME_ZONE_ID_DAYLIGHT;
    int n = 0;
    for (auto &r : rows) {
        // the field is read at every answer: an edit applies from the next
        SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, r.zone);
        ++n;
        fake::clockAhead = 0;
        std::string shown = Probe(w, n, kJuly2027);
        EXPECT_EQ("Time from " + LoopAddr(n) + ": " + r.shown, shown.substr(0, shown.find('\r')));
        EXPECT_EQ(0u, SecondLine(shown).find("Clock set ")) << shown;
        ASSERT_EQ((size_t)n, fake::clockSets.size());
        EXPECT_TRUE(SetToTheMiddle(fake::clockSets.back()));
        utc.wMilliseconds = fake::clockSets.back().wMilliseconds;
        EXPECT_EQ(0, memcmp(&utc, &fake::clockSets.back(), sizeof(utc))) << r.zone;
        EXPECT_EQ(std::to_string(n), ItemText(w.hWnd, IDC_RECV));
    }
    EXPECT_FALSE(FileExists(KX_LOGFILE));
    EXPECT_FALSE(FileExists(IniPath()));
}

// The records in the log: each begins with a blank line.
static size_t LogRecords()
{
    std::string log = ReadWholeFile(KX_LOGFILE);
    size_t n = 0;
    for (size_t at = log.find("\r\n\n"); at != std::string::npos; at = log.find("\r\n\n", at + 3))
        ++n;
    return n;
}

// A refused clock is a failure: the reason follows the time on a line of its
// own, and the whole text is one log record.  The answer still counts.
TEST(TimeService, AClockNotSetSaysWhyAndIsLogged)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "PST8PST");
    fake::clockResult = FALSE;
    std::string shown = Probe(w, 1, kJuly2027);
    std::string head = "Time from " + LoopAddr(1) + ": Sun Jul 04 05:00:00 2027 PST\r\n"
                       "Clock not set: system error #1314 ";
    ASSERT_EQ(head, shown.substr(0, head.size()));
    std::string reason = shown.substr(head.size());     // the system's own words
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(std::string::npos, reason.find_first_of("\r\n")) << reason;
    EXPECT_NE(' ', reason.back());
    EXPECT_EQ("1", ItemText(w.hWnd, IDC_RECV));
    std::string log = ReadWholeFile(KX_LOGFILE);
    EXPECT_EQ(0u, log.rfind("\r\n\n")) << log;
    EXPECT_NE(std::string::npos, log.find(" -=- " + shown + " my IP = ")) << log;
}

// Seconds since 1900 of the release day's first second, by the C library's
// calendar.
static ULONGLONG ReleaseSince1900()
{
    tm day = {};
    day.tm_year = KX_RELEASE_YEAR - 1900;
    day.tm_mon = KX_RELEASE_MONTH - 1;
    day.tm_mday = KX_RELEASE_DAY;
    return (ULONGLONG)_mkgmtime64(&day) + KX_EPOCH_1900;
}

// Four answer bytes of a count of seconds since 1900, modulo 2^32.
static std::string Answer(ULONGLONG since1900)
{
    u_long ul = htonl((u_long)(since1900 & 0xFFFFFFFFULL));
    return std::string((const char *)&ul, 4);
}

// No clock before the release: such an answer is shown with the reason and
// logged whole, and counts; from the release day's first second on, the
// clock is set.
TEST(TimeService, NoClockBeforeTheRelease)
{
    const std::string notSet = "\r\nClock not set: the time received is earlier than this "
                               "program's release (" KX_RELEASE_DATE ")";
    struct { const char *zone; std::string answer; const char *shown; } early[] = {
        {"PST8PST", kJuly4, "Fri Jul 04 05:00:00 1997 PST"},
        {"GMT0", "\x83\xAA\x7E\x80", "Thu Jan 01 00:00:00 1970 GMT"},
        {"GMT0", Answer(ReleaseSince1900() - 1), nullptr},
    };
    TestWindow w;
    int n = 0;
    for (auto &r : early) {
        SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, r.zone);
        ++n;
        std::string shown = Probe(w, n, r.answer);
        std::string head = "Time from " + LoopAddr(n) + ": ";
        EXPECT_EQ(head, shown.substr(0, head.size()));
        if (r.shown) {
            EXPECT_EQ(head + r.shown + notSet, shown);
        }
        EXPECT_EQ(notSet, shown.substr(shown.size() - notSet.size())) << shown;
        EXPECT_EQ((size_t)n, LogRecords());
        EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(" -=- " + shown + " my IP = "));
    }
    EXPECT_EQ(n, RecvCount);
    EXPECT_TRUE(fake::clockSets.empty());
    for (const std::string &answer : {Answer(ReleaseSince1900()), kJuly2040}) {
        ++n;
        EXPECT_EQ(0u, SecondLine(Probe(w, n, answer)).find("Clock set "));
    }
    ASSERT_EQ(2u, fake::clockSets.size());
    EXPECT_EQ(KX_RELEASE_DAY, fake::clockSets[0].wDay);
    EXPECT_EQ(0, fake::clockSets[0].wSecond);
    EXPECT_EQ(2040, fake::clockSets[1].wYear);
    EXPECT_EQ(3u, LogRecords());
}

// Counts from 1 up, which 32 bits reach again after 2036, run on to 2106;
// 2036 to 2038 read as before.
TEST(TimeService, TheSecondEraRunsTo2106)
{
    struct { const char *zone; std::string answer; const char *shown; } rows[] = {
        {"GMT0", "\xFF\xFF\xFF\xFF", "Thu Feb 07 06:28:15 2036 GMT"},
        {"GMT0", std::string("\0\0\0\1", 4), "Thu Feb 07 06:28:17 2036 GMT"},
        {"GMT0", Answer(61505151), "Tue Jan 19 03:14:07 2038 GMT"},
        {"GMT0", Answer(61505152), "Tue Jan 19 03:14:08 2038 GMT"},
        {"PST8PDT", kJuly2040, "Wed Jul 04 05:00:00 2040 PDT"},
        {"GMT0", Answer(2208988799ULL), "Sun Feb 07 06:28:15 2106 GMT"},
    };
    TestWindow w;
    int n = 0;
    for (auto &r : rows) {
        SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, r.zone);
        ++n;
        std::string shown = Probe(w, n, r.answer);
        EXPECT_EQ("Time from " + LoopAddr(n) + ": " + r.shown, shown.substr(0, shown.find('\r')));
        ASSERT_EQ((size_t)n, fake::clockSets.size());
        // the clock gets the middle of the second, the text the whole second
        EXPECT_EQ(atoi(r.shown + 20), fake::clockSets.back().wYear);
        EXPECT_TRUE(SetToTheMiddle(fake::clockSets.back()));
    }
    EXPECT_EQ(n, RecvCount);
    // Before 1970 in the zone there is no time to show or set.
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "PST8PST");
    EXPECT_EQ("Time from " + LoopAddr(7) + " didn't come in..", Probe(w, 7, "\x83\xAA\x7E\x80"));
    EXPECT_EQ((size_t)n, fake::clockSets.size());
    EXPECT_EQ(n, RecvCount);
    EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(LoopAddr(7) + " didn't come in.."));
}

TEST(TimeService, ShortOrZeroAnswersDidNotComeIn)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "GMT0");
    EXPECT_EQ("Time from " + LoopAddr(1) + " didn't come in..", Probe(w, 1, std::string(4, '\0')));
    EXPECT_EQ("Time from " + LoopAddr(2) + " didn't come in..", Probe(w, 2, "\xB7"));
    // One receive only: the fourth byte a moment later is too late.
    EXPECT_EQ("Time from " + LoopAddr(3) + " didn't come in..", Probe(w, 3, "\xB7\x67\x64", "\x40"));
    ExpectNotCounted();
    std::string log = ReadWholeFile(KX_LOGFILE);
    for (int n = 1; n <= 3; ++n)
        EXPECT_NE(std::string::npos, log.find("Time from " + LoopAddr(n) + " didn't come in.."));
}

// Read notices the probe did not ask for: the server has closed without a
// byte, or has not answered yet.
TEST(TimeService, ReadNoticesWithoutAnAnswer)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "GMT0");
    for (int n = 1; n <= 2; ++n) {
        ServerScript script;
        script.holdMs = n == 1 ? 0 : 3000;
        LoopServer srv(LoopAddr(n), TIME_PORT, script);
        ASSERT_TRUE(TimeStart(LoopAddr(n).c_str()));
        TimeFlag = 1;
        ASSERT_TRUE(PumpUntil([&] { return w.Results() == "Socket Connected.."; }));
        PumpFor(200);
        PostMessageA(w.hWnd, WM_SOCKET_EVENT, (WPARAM)ts, FD_READ);
        ASSERT_TRUE(PumpUntil([] { return TimeFlag == 0; }));
        if (n == 1)
            EXPECT_EQ("Time from " + LoopAddr(1) + " didn't come in..", w.Results());
        else
            EXPECT_EQ("Reading", w.Results());      // would block: no message
    }
    ExpectNotCounted();
    std::string log = ReadWholeFile(KX_LOGFILE);
    EXPECT_NE(std::string::npos, log.find(LoopAddr(1)));
    EXPECT_EQ(std::string::npos, log.find(LoopAddr(2)));
}

TEST(TimeService, FailedReceiveIsReportedAndLogged)
{
    TestWindow w;
    ts = INVALID_SOCKET;
    TimeRead();
    std::string expected = std::string("Recv ") + szSockErr(WSAENOTSOCK) +
                           "; service probably not running";
    EXPECT_EQ(expected, w.Results());
    EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(expected));
    ExpectNotCounted();
}

// A server 0.25 s ahead of the real clock, asked again and again: each probe
// is aimed at the turn of its second that the estimate predicts, the clock
// is stepped only while it lies outside the bound, and the second line says
// which and how far the clock can then be trusted.
TEST(TimeService, AServerOffTheClockIsFollowedToWithinTheBound)
{
    const double ahead = 0.25, slack = 0.002;
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "GMT0");
    ServerScript script;
    script.tellTime = true;
    script.aheadMs = 250;
    script.holdMs = 500;
    LoopServer srv(LoopAddr(1), TIME_PORT, script, 9);
    double bound = 1;
    for (int i = 0; i < 8; ++i) {
        double before = fake::clockAhead / 1e7 - ahead;     // the clock's error
        size_t sets = fake::clockSets.size();
        DWORD start = GetTickCount();
        ASSERT_TRUE(TimeStart(LoopAddr(1).c_str()));
        TimeFlag = 1;
        ASSERT_TRUE(PumpUntil([] { return TimeFlag == 0; }));
        EXPECT_LT(GetTickCount() - start, 1300u) << i;      // held back under a second
        double turn = std::min(srv.ReadFraction(), 1 - srv.ReadFraction());
        EXPECT_LT(turn, bound + 0.03) << i;
        std::string line = SecondLine(w.Results());
        double step = 0, after = fake::clockAhead / 1e7 - ahead;
        char way[10] = "";
        if (sscanf(line.c_str(), "Clock left as it was: right to within %lf s", &bound) == 1) {
            EXPECT_EQ(sets, fake::clockSets.size());
            EXPECT_LE(fabs(before), bound + slack) << line;
        } else {
            ASSERT_EQ(3, sscanf(line.c_str(), "Clock set %lf s %9s to within %lf s", &step, way, &bound)) << line;
            EXPECT_EQ(sets + 1, fake::clockSets.size());
            EXPECT_NEAR(fabs(before - after), step, slack) << line;
            EXPECT_EQ(before < after ? "forward," : "back,", std::string(way)) << line;
            EXPECT_LE(fabs(after), bound + slack) << line;
        }
    }
    EXPECT_LT(bound, 0.1);
    // A probe closed while it waits for its aim never connects.
    PumpFor(300);       // well away from the turn just aimed at
    ASSERT_TRUE(TimeStart(LoopAddr(1).c_str()));
    TimeFlag = 1;
    EXPECT_TRUE(PumpUntil([] { return iProbeStage == KX_PROBE_AIMING; }, 1000));
    TimeClose();
    PumpFor(1100);
    EXPECT_EQ(8, srv.Accepted());
}

// What was learned of a server holds until the computer resumes from sleep
// or the Host text names another.
TEST(TimeService, AResumeOrAnotherHostStartsAnew)
{
    struct { WPARAM power; int host; bool kept; } rows[] = {
        {PBT_APMRESUMEAUTOMATIC, 0, false}, {PBT_APMRESUMESUSPEND, 0, false},
        {PBT_APMPOWERSTATUSCHANGE, 0, true}, {0, 2, false}, {0, 1, true},
    };
    TestWindow w;
    CLOCKESTIMATE ce;
    for (auto &r : rows) {
        ClockFitForHost(LoopAddr(1).c_str());
        double q = dCounterNow();
        iClockFitAdd(2000000000, q, q);
        if (r.power) {
            EXPECT_EQ(TRUE, Pinger(w.hWnd, WM_POWERBROADCAST, r.power, 0));
        }
        if (r.host) {
            ASSERT_TRUE(TimeStart(LoopAddr(r.host).c_str()));
            TimeClose();
        }
        EXPECT_EQ(r.kept, (bool)bClockFitAt(dCounterNow(), &ce)) << r.power << r.host;
    }
}
