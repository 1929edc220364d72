// The time text, setting the clock, and the Time service against real
// servers on loopback port 37.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "harness.h"
#include "../app/results.h"
#include "../probe/connect.h"
#include "../probe/errtext.h"
#include "../probe/services.h"
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

// The clock takes UTC whatever the zone, also on either side of 1970.
TEST(Clock, SetToTheInstantInUtc)
{
    struct { const char *zone; LONG t; SYSTEMTIME utc; } rows[] = {
        {"GMT0", 0x7FFFFFFF, {2038, 1, 2, 19, 3, 14, 7, 0}},
        {"CET-1CEST", -3600, {1969, 12, 3, 31, 23, 0, 0, 0}},   // local 1970-01-01 00:00
    };
    for (auto &r : rows) {
        ApplyZoneText(r.zone);
        EXPECT_EQ(0, SetClockFromSeconds(r.t)) << r.zone;
        ASSERT_FALSE(fake::clockSets.empty());
        EXPECT_EQ(0, memcmp(&r.utc, &fake::clockSets.back(), sizeof(SYSTEMTIME))) << r.zone;
    }
    fake::clockResult = FALSE;
    EXPECT_EQ(-1, SetClockFromSeconds(0));
    EXPECT_EQ((DWORD)ERROR_PRIVILEGE_NOT_HELD, GetLastError());
}

// One Time probe against a server at LoopAddr(n) that sends `answer` (and
// `later` half a second after it); returns the Results text once closed.
static std::string Probe(TestWindow &w, int n, const std::string &answer,
                         const std::string &later = "")
{
    ServerScript script;
    script.first = answer;
    script.second = later;
    script.pauseMs = later.empty() ? 0 : 500;
    LoopServer srv(LoopAddr(n), TIME_PORT, script);
    EXPECT_TRUE(srv.Listening());
    if (!TimeStart(LoopAddr(n).c_str()))
        return "start failed";
    TimeFlag = 1;       // as the dialog does after a successful start
    EXPECT_TRUE(PumpUntil([] { return TimeFlag == 0; }));
    return w.Results();
}

static const std::string kJuly4 = "\xB7\x67\x64\x40";      // 1997-07-04 12:00:00 UTC

static void ExpectNotCounted()
{
    EXPECT_TRUE(fake::clockSets.empty());
    EXPECT_EQ(0, RecvCount);
}

// The zone field shapes the text only: the clock always gets 1997-07-04
// 12:00:00 UTC, a Friday.  An empty field takes the system's zone (8 hours
// west, on daylight time) without names, so the text ends with a space.
TEST(TimeService, TheZoneFieldShapesTheTextNeverTheClock)
{
    const SYSTEMTIME utc = {1997, 7, 5, 4, 12, 0, 0, 0};
    struct { const char *zone, *shown; } rows[] = {
        {"PST8PST", "Fri Jul 04 05:00:00 1997 PST"},
        {"CET-1CEST", "Fri Jul 04 14:00:00 1997 CES"},
        {"", "Fri Jul 04 05:00:00 1997 "},
    };
    TestWindow w;
    fake::tzi.Bias = 480;
    fake::tzResult = TIME_ZONE_ID_DAYLIGHT;
    int n = 0;
    for (auto &r : rows) {
        // the field is read at every answer: an edit applies from the next
        SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, r.zone);
        ++n;
        EXPECT_EQ("Time from " + LoopAddr(n) + ": " + r.shown, Probe(w, n, kJuly4));
        ASSERT_EQ((size_t)n, fake::clockSets.size());
        EXPECT_EQ(0, memcmp(&utc, &fake::clockSets.back(), sizeof(utc))) << r.zone;
        EXPECT_EQ(std::to_string(n), ItemText(w.hWnd, IDC_RECV));
    }
    EXPECT_FALSE(FileExists(KX_LOGFILE));
    EXPECT_FALSE(FileExists(IniPath()));
}

// A refused clock is a failure: the reason follows the time on a line of its
// own, and the whole text is one log record.  The answer still counts.
TEST(TimeService, AClockNotSetSaysWhyAndIsLogged)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "PST8PST");
    fake::clockResult = FALSE;
    std::string shown = Probe(w, 1, kJuly4);
    std::string head = "Time from " + LoopAddr(1) + ": Fri Jul 04 05:00:00 1997 PST\r\n"
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

TEST(TimeService, TheRolloverOf2036AndAnswersWithoutLocalTime)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "GMT0");
    EXPECT_EQ("Time from " + LoopAddr(1) + ": Thu Feb 07 06:28:15 2036 GMT",
              Probe(w, 1, "\xFF\xFF\xFF\xFF"));
    EXPECT_EQ("Time from " + LoopAddr(2) + ": Thu Feb 07 06:28:17 2036 GMT",
              Probe(w, 2, std::string("\0\0\0\1", 4)));
    EXPECT_EQ("Time from " + LoopAddr(3) + ": Thu Jan 01 00:00:00 1970 GMT",
              Probe(w, 3, "\x83\xAA\x7E\x80"));
    EXPECT_EQ(3u, fake::clockSets.size());
    EXPECT_EQ(2036, fake::clockSets[1].wYear);
    // Before 1970 in the zone: the answer is as good as none and the clock
    // keeps its time.
    EXPECT_EQ("Time from " + LoopAddr(4) + " didn't come in..",
              Probe(w, 4, std::string("\x80\0\0\0", 4)));
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "PST8PST");
    EXPECT_EQ("Time from " + LoopAddr(5) + " didn't come in..", Probe(w, 5, "\x83\xAA\x7E\x80"));
    EXPECT_EQ(3u, fake::clockSets.size());
    EXPECT_EQ(3, RecvCount);
    EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(LoopAddr(5) + " didn't come in.."));
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
