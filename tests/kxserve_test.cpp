// The local Daytime and Time servers that the demo and the end-to-end tests
// use in place of any outside host.
#include <gtest/gtest.h>

#include "driver.h"
#include "harness.h"

// Everything one connection to the address and port brings before the
// server hangs up; empty when nobody answers within the time given.
static std::string Fetch(const std::string &ip, u_short port, DWORD waitMs = 5000)
{
    std::string got;
    DWORD start = GetTickCount();
    do {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = inet_addr(ip.c_str());
        if (connect(s, (sockaddr *)&a, sizeof(a)) == 0) {
            char buf[256];
            int n;
            while ((n = recv(s, buf, sizeof(buf), 0)) > 0)
                got.append(buf, n);
            closesocket(s);
            return got;
        }
        closesocket(s);
        Sleep(100);
    } while (GetTickCount() - start < waitMs);
    return got;
}

static long long Seconds1900(const std::string &answer)
{
    const unsigned char *b = reinterpret_cast<const unsigned char *>(answer.data());
    return ((long long)b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
}

TEST(LocalServers, TellTheCurrentTimeOnBothPortsAndAnyOffset)
{
    Child server(ServerExe(), LoopAddr(1) + " -t 30");
    ASSERT_TRUE(server.Started());

    std::string now = TimeAnswerNow();
    std::string answer = Fetch(LoopAddr(1), 37);
    ASSERT_EQ(4u, answer.size());
    EXPECT_NEAR(Seconds1900(now), Seconds1900(answer), 3);

    // "Wed Jun  5 14:03:09 2024 UTC" and the line end, for today.
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    std::string line = Fetch(LoopAddr(1), 13);
    ASSERT_GE(line.size(), 30u) << line;
    EXPECT_EQ(" UTC\r\n", line.substr(line.size() - 6)) << line;
    EXPECT_NE(std::string::npos, line.find(" " + std::to_string(utc.wYear) + " ")) << line;

    // It keeps serving one client after another; another is told its offset.
    EXPECT_EQ(4u, Fetch(LoopAddr(1), 37).size());
    EXPECT_TRUE(server.Running());
    Child ahead(ServerExe(), LoopAddr(2) + " -o 3600 -t 30");
    answer = Fetch(LoopAddr(2), 37);
    ASSERT_EQ(4u, answer.size());
    EXPECT_NEAR(Seconds1900(TimeAnswerNow()) + 3600, Seconds1900(answer), 3);
}

TEST(LocalServers, StopWhenTheirTimeIsUpAndServeLoopbackOnly)
{
    Child timed(ServerExe(), LoopAddr(3) + " -t 1");
    EXPECT_EQ(0, timed.ExitCode(8000));

    // Refused before it listens anywhere: an address off this machine, none
    // at all, or an option it does not know.
    for (const char *args : {"10.1.2.3", "", "-x 127.0.0.1"}) {
        Child refused(ServerExe(), args);
        EXPECT_EQ(2, refused.ExitCode(8000)) << args;
    }

    // Its own port taken: it says so and ends.  (Windows itself would let
    // two listeners that both ask for reuse share the port.)
    if (UnderWine()) {
        LoopServer squatter(LoopAddr(4), 37);
        ASSERT_TRUE(squatter.Listening());
        Child blocked(ServerExe(), LoopAddr(4) + " -t 30");
        EXPECT_EQ(1, blocked.ExitCode(8000));
    }
}
