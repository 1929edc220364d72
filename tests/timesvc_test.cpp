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

TEST(Clock, SetToTheLocalTimeOfTheZone)
{
    ApplyZoneText("PST8PST");
    EXPECT_EQ(0, SetClockFromSeconds(868017600));          // 1997-07-04 12:00 UTC
    ASSERT_EQ(1u, fake::clockSets.size());
    const SYSTEMTIME &st = fake::clockSets[0];
    EXPECT_EQ(1997, st.wYear);
    EXPECT_EQ(7, st.wMonth);
    EXPECT_EQ(4, st.wDay);
    EXPECT_EQ(5, st.wDayOfWeek);
    EXPECT_EQ(5, st.wHour);
    EXPECT_EQ(0, st.wMinute);
    EXPECT_EQ(0, st.wSecond);
    EXPECT_EQ(0, st.wMilliseconds);
    fake::clockResult = FALSE;
    EXPECT_EQ(-1, SetClockFromSeconds(868017600));
    // No local time: the clock is left alone.
    fake::clockResult = TRUE;
    EXPECT_EQ(-1, SetClockFromSeconds(0));
    EXPECT_EQ(2u, fake::clockSets.size());
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

TEST(TimeService, AnswerSetsTheClockShowsTheTimeAndCounts)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "PST8PST");
    EXPECT_EQ("Time from " + LoopAddr(1) + ": Fri Jul 04 05:00:00 1997 PST", Probe(w, 1, kJuly4));
    ASSERT_EQ(1u, fake::clockSets.size());
    EXPECT_EQ(1997, fake::clockSets[0].wYear);
    EXPECT_EQ(7, fake::clockSets[0].wMonth);
    EXPECT_EQ(4, fake::clockSets[0].wDay);
    EXPECT_EQ(5, fake::clockSets[0].wDayOfWeek);
    EXPECT_EQ(5, fake::clockSets[0].wHour);
    EXPECT_EQ(0, fake::clockSets[0].wMinute);
    EXPECT_EQ("1", ItemText(w.hWnd, IDC_RECV));
    EXPECT_FALSE(FileExists(KX_LOGFILE));
    // A computer that refuses the clock change still sees the time.
    fake::clockResult = FALSE;
    EXPECT_EQ("Time from " + LoopAddr(2) + ": Fri Jul 04 05:00:00 1997 PST", Probe(w, 2, kJuly4));
    EXPECT_EQ(2u, fake::clockSets.size());
    EXPECT_EQ("2", ItemText(w.hWnd, IDC_RECV));
    EXPECT_FALSE(FileExists(KX_LOGFILE));
}

TEST(TimeService, EveryAnswerTakesTheZoneFieldAsItIsThen)
{
    TestWindow w;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "PST8PST");
    EXPECT_EQ("Time from " + LoopAddr(1) + ": Fri Jul 04 05:00:00 1997 PST", Probe(w, 1, kJuly4));
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "EST5EDT");
    EXPECT_EQ("Time from " + LoopAddr(2) + ": Fri Jul 04 08:00:00 1997 EDT", Probe(w, 2, kJuly4));
    ASSERT_EQ(2u, fake::clockSets.size());
    EXPECT_EQ(8, fake::clockSets[1].wHour);
    // An empty field: the system's zone (8 hours west, on daylight time),
    // no names, and the text ends with the space before the name.
    fake::tzi.Bias = 480;
    fake::tzResult = TIME_ZONE_ID_DAYLIGHT;
    SetDlgItemTextA(w.hWnd, IDC_TIMEZONE, "");
    EXPECT_EQ("Time from " + LoopAddr(3) + ": Fri Jul 04 05:00:00 1997 ", Probe(w, 3, kJuly4));
    EXPECT_EQ(5, fake::clockSets[2].wHour);
    EXPECT_EQ(3, RecvCount);
    EXPECT_FALSE(FileExists(IniPath()));
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
