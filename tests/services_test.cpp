// The text services run end to end against small servers on loopback
// addresses, started by the dialog's own due step, with the notifications
// routed as the dialog routes them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe_support.h"
#include "../app/seams.h"
#include "../controller/pinger.h"

namespace {

std::string Pattern(size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (char)('A' + i % 23);
    return s;
}

ServerScript Says(const std::string &first, bool readRequest = false)
{
    ServerScript script;
    script.first = first;
    script.readRequest = readRequest;
    return script;
}

// A server of its own on LoopAddr(n) and a fresh stand-in window.
struct Probe {
    LoopServer srv;
    TestWindow w;
    std::string host;
    Probe(int n, u_short port, ServerScript script = ServerScript())
        : srv(LoopAddr(n), port, script), host(LoopAddr(n)) {}
};

// Starts the chosen service on host through the dialog's own due step;
// whether it started.
bool Launch(const TestWindow &w, int id, const std::string &host)
{
    CheckRadioButton(w.hWnd, IDC_KALV, IDC_USERS, id);
    SetDlgItemTextA(w.hWnd, IDC_HOST, host.c_str());
    const int before = SentCount;
    fake::tick = NextTickCount;
    Pinger(w.hWnd, WM_TIMER, 0, 0);
    return SentCount != before;
}

bool WaitFree(const int &flag, DWORD ms = 5000)
{
    return PumpUntil([&] { return flag == 0; }, ms);
}

}  // namespace

/* ---- Kalv ---- */

TEST(Kalv, ConnectsAndClosesRightAfterTheConnection)
{
    Probe p(1, KALV_PORT);
    ASSERT_TRUE(Launch(p.w, IDC_KALV, p.host));
    EXPECT_EQ(cli_sock, ps);
    ASSERT_TRUE(WaitFree(PingFlag));

    EXPECT_EQ("Socket Connected..", p.w.Results());
    EXPECT_NE(std::string::npos, WindowCaption(p.w.hWnd).find("@IP 127."));
    ASSERT_TRUE(p.srv.WaitDone());
    EXPECT_TRUE(p.srv.PeerClosed());
    EXPECT_EQ("", p.srv.Received());        // nothing sent
    EXPECT_EQ(0, RecvCount);
    EXPECT_FALSE(LogExists());
}

TEST(Kalv, FailedProbesLeaveTheServiceFree)
{
    TestWindow w;
    // Refused twice: free again each time for the next interval.
    for (int i = 1; i <= 2; ++i) {
        ASSERT_TRUE(Launch(w, IDC_KALV, LoopAddr(9)));   // nothing listens
        ASSERT_TRUE(WaitFree(PingFlag));
        EXPECT_EQ(Refused(), w.Results());
    }
    EXPECT_EQ(Record(KX_TITLE, Refused()) + Record(KX_TITLE, Refused()), LogText());
    EXPECT_EQ(0, RecvCount);

    // No socket at all: the start says so and the flag is never set.
    while (WSACleanup() == 0) {
    }
    EXPECT_FALSE(PingStart(LoopAddr(1).c_str()));
    EXPECT_EQ(INVALID_SOCKET, ps);
    WSADATA wsa;
    ASSERT_EQ(0, WSAStartup(0x0101, &wsa));
}

/* ---- DayTime ---- */

TEST(DayTime, ShowsTheDateLineWithItsLineEnd)
{
    Probe p(2, DAYTIME_PORT, Says("Mon Mar  4 12:34:56 2024\r\n"));
    ASSERT_TRUE(Launch(p.w, IDC_DAYTIME, p.host));
    EXPECT_EQ(cli_sock, ts);
    ASSERT_TRUE(WaitFree(DayTimeFlag));

    EXPECT_EQ("Time from " + p.host + ": Mon Mar  4 12:34:56 2024\r\n", p.w.Results());
    EXPECT_EQ(1, RecvCount);
    EXPECT_STREQ("1", szRecv);
    EXPECT_EQ("1", ItemText(p.w.hWnd, IDC_RECV));
    EXPECT_FALSE(LogExists());
    ASSERT_TRUE(p.srv.WaitDone());
    EXPECT_TRUE(p.srv.PeerClosed());
}

TEST(DayTime, EmptyReplyIsASuccessWithEmptyText)
{
    ServerScript closesAtOnce;
    closesAtOnce.holdMs = 0;
    Probe p(3, DAYTIME_PORT, closesAtOnce);
    ASSERT_TRUE(Launch(p.w, IDC_DAYTIME, p.host));
    ASSERT_TRUE(WaitForResults(p.w, "Socket Connected.."));
    ASSERT_TRUE(p.srv.WaitDone());
    // The bare close arrives as FD_CLOSE, which reads as FD_READ does.
    ASSERT_TRUE(WaitFree(DayTimeFlag));

    EXPECT_EQ(0, DayTimeFlag);
    EXPECT_EQ("Time from " + p.host + ": ", p.w.Results());
    EXPECT_EQ(1, RecvCount);
    EXPECT_FALSE(LogExists());
}

TEST(DayTime, FailingReceiveIsLogged)
{
    Probe p(4, DAYTIME_PORT);
    ASSERT_TRUE(Launch(p.w, IDC_DAYTIME, p.host));
    ASSERT_TRUE(WaitForResults(p.w, "Socket Connected.."));
    closesocket(ts);                        // the receive then fails for certain
    PostSocketEvent(p.w, ts, FD_READ);

    const std::string text = "Recv Winsock error #10038 DESCRIPTOR NOT A SOCKET; service probably not running";
    EXPECT_EQ(text, p.w.Results());
    EXPECT_EQ(Record(std::string(KX_TITLE " online for ") + szTime + "; @IP " + szMyIP, text, szMyIP),
              LogText());
    EXPECT_EQ(0, RecvCount);
    EXPECT_EQ(0, DayTimeFlag);
}

TEST(DayTime, WouldBlockLeavesReadingAndStillCloses)
{
    Probe p(5, DAYTIME_PORT);               // accepts and says nothing
    ASSERT_TRUE(Launch(p.w, IDC_DAYTIME, p.host));
    ASSERT_TRUE(WaitForResults(p.w, "Socket Connected.."));
    PostSocketEvent(p.w, ts, FD_READ);

    EXPECT_EQ("Reading", p.w.Results());
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(0, RecvCount);
    EXPECT_EQ(0, DayTimeFlag);
    ASSERT_TRUE(p.srv.WaitDone());
    EXPECT_TRUE(p.srv.PeerClosed());
}

/* ---- Quote and Users ---- */

TEST(Quote, LongReplyIsReadIn255BytesAndTheRestDrained)
{
    const std::string quote = Pattern(700);
    Probe p(6, QUOTE_PORT, Says(quote));
    // Started without its busy flag, so that the routing leaves the answer
    // waiting and the read can be run here, before the close reuses the buffer.
    ASSERT_TRUE(QuoteStart(p.host.c_str()));
    EXPECT_EQ(cli_sock, qs);
    ASSERT_TRUE(WaitForResults(p.w, "Socket Connected.."));
    ASSERT_TRUE(PumpUntil([&] { return Pending(qs) >= quote.size(); }));

    QuoteRead();
    EXPECT_EQ(255, bytes);
    EXPECT_EQ(quote.substr(0, 255), std::string(buffer));
    // The result text has room for 254 characters and is cut there.
    std::string want = "Quote from " + p.host + ": " + quote.substr(0, 255);
    EXPECT_EQ(want.substr(0, 254), p.w.Results());
    EXPECT_EQ(want.substr(0, 254), std::string(szResult));
    EXPECT_EQ(1, RecvCount);

    QuoteClose();
    EXPECT_EQ(0, QuoteFlag);
    EXPECT_LE(bytes, 0);                    // the other 445 bytes were read away
    EXPECT_FALSE(LogExists());
}

TEST(QuoteAndUsers, RepliesAreShownAndCountedButNeverLogged)
{
    {
        Probe p(7, QUOTE_PORT, Says("Carpe diem.\r\n"));
        ASSERT_TRUE(Launch(p.w, IDC_QUOTE, p.host));
        ASSERT_TRUE(WaitFree(QuoteFlag));
        EXPECT_EQ("Quote from " + p.host + ": Carpe diem.\r\n", p.w.Results());
    }
    {
        Probe p(1, USERS_PORT, Says("root     tty1\r\n"));
        ASSERT_TRUE(Launch(p.w, IDC_USERS, p.host));
        EXPECT_EQ(cli_sock, us);
        ASSERT_TRUE(WaitFree(UserFlag));
        EXPECT_EQ("Users from " + p.host + ": root     tty1\r\n", p.w.Results());
        EXPECT_EQ("2", ItemText(p.w.hWnd, IDC_RECV));
    }
    EXPECT_EQ(2, RecvCount);
    EXPECT_FALSE(LogExists());
}

TEST(QuoteAndUsers, FailuresAreShownButNeverLogged)
{
    const struct {
        int n;
        u_short port;
        int radio;
        int *flag;
        SOCKET *sock;
        void (*read)(void);
        const char *prefix;
    } cases[] = {
        {8, QUOTE_PORT, IDC_QUOTE, &QuoteFlag, &qs, QuoteRead, ""},
        {2, USERS_PORT, IDC_USERS, &UserFlag, &us, UserRead, "User "},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.port);
        Probe p(c.n, c.port);
        ASSERT_TRUE(Launch(p.w, c.radio, p.host));
        ASSERT_TRUE(WaitForResults(p.w, "Socket Connected.."));
        // Nothing there yet: the previous result comes back.
        lstrcpynA(szResult, "an earlier answer", sizeof(szResult));
        c.read();
        EXPECT_EQ("an earlier answer", p.w.Results());

        closesocket(*c.sock);
        PostSocketEvent(p.w, *c.sock, FD_READ);
        EXPECT_EQ(std::string(c.prefix) + "Recv Winsock error #10038 DESCRIPTOR NOT A SOCKET; service probably not running",
                  p.w.Results());
        EXPECT_EQ(0, *c.flag);
    }
    EXPECT_EQ(0, RecvCount);
    EXPECT_FALSE(LogExists());
}

/* ---- Finger ---- */

TEST(Finger, EmptyUserSendsCrLfAloneAndShowsTheReply)
{
    Probe p(3, FINGER_PORT, Says("Login: alice\r\n", true));
    ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
    EXPECT_EQ(cli_sock, fs);

    // The request goes out as soon as the connection stands.
    ASSERT_TRUE(WaitForResults(p.w, "Sent 2 bytes to " + p.host));
    EXPECT_EQ(2, SentCount);                // the probe and its request
    EXPECT_EQ("2", ItemText(p.w.hWnd, IDC_SENT));

    ASSERT_TRUE(WaitFree(FingerFlag));
    EXPECT_EQ("Fingered " + p.host + ", got Login: alice\r\n", p.w.Results());
    EXPECT_EQ(1, RecvCount);
    ASSERT_TRUE(p.srv.WaitDone());
    EXPECT_EQ("\r\n", p.srv.Received());
    EXPECT_FALSE(LogExists());
}

TEST(Finger, UserNameIsCutAt39Characters)
{
    Probe p(4, FINGER_PORT, Says("no such user\r\n", true));
    const std::string user = Pattern(60);
    SetDlgItemTextA(p.w.hWnd, IDC_USER, user.c_str());
    ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
    ASSERT_TRUE(WaitForResults(p.w, "Sent 41 bytes to " + p.host));
    ASSERT_TRUE(WaitFree(FingerFlag));
    ASSERT_TRUE(p.srv.WaitDone());
    EXPECT_EQ(user.substr(0, 39) + "\r\n", p.srv.Received());
}

TEST(Finger, ReceiveFailuresAreLogged)
{
    {
        Probe p(5, FINGER_PORT, Says("", true));   // reads the request, never answers
        SetDlgItemTextA(p.w.hWnd, IDC_USER, "bob");
        ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
        ASSERT_TRUE(WaitForResults(p.w, "Sent 5 bytes to " + p.host));
        PostSocketEvent(p.w, fs, FD_READ);
        EXPECT_EQ("Recv is blocking..", p.w.Results());
        EXPECT_NE(std::string::npos, LogText().find(" -=- Recv is blocking.. my IP = "));
        EXPECT_EQ(0, FingerFlag);
        ASSERT_TRUE(p.srv.WaitDone());
        EXPECT_EQ("bob\r\n", p.srv.Received());
    }
    {
        Probe p(6, FINGER_PORT, Says("", true));
        ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
        ASSERT_TRUE(WaitForResults(p.w, "Sent 2 bytes to " + p.host));
        closesocket(fs);
        PostSocketEvent(p.w, fs, FD_READ);
        const std::string text = "Recv Winsock error #10038 DESCRIPTOR NOT A SOCKET; finger probably not running";
        EXPECT_EQ(text, p.w.Results());
        EXPECT_NE(std::string::npos, LogText().find(" -=- " + text + " my IP = "));
    }
    EXPECT_EQ(0, RecvCount);
}

TEST(Finger, RequestIsWrittenOncePerProbe)
{
    ServerScript late = Says("", true);
    late.pauseMs = 600;                     // answer late, so the probe stays open
    late.second = "ok\r\n";
    Probe p(7, FINGER_PORT, late);
    ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
    ASSERT_TRUE(WaitForResults(p.w, "Sent 2 bytes to " + p.host));
    PostSocketEvent(p.w, fs, FD_WRITE);     // a second write notification
    ASSERT_TRUE(WaitFree(FingerFlag));

    EXPECT_EQ(2, SentCount);                // the probe and its one request
    EXPECT_EQ("Fingered " + p.host + ", got ok\r\n", p.w.Results());
    ASSERT_TRUE(p.srv.WaitDone());
    EXPECT_EQ("\r\n", p.srv.Received());
}

TEST(Finger, FailedSendIsLoggedAndCountsNothing)
{
    TestWindow w;
    FingerFlag = 1;
    fs = cli_sock = socket(AF_INET, SOCK_STREAM, 0);   // never connected
    lstrcpynA(szDestStr, LoopAddr(8).c_str(), sizeof(szDestStr));
    FingerWrite();
    std::string shown = w.Results();
    EXPECT_EQ(0u, shown.find("Send Winsock error #")) << shown;
    EXPECT_EQ(Record(KX_TITLE, shown), LogText());
    EXPECT_EQ(0, SentCount);
    FingerClose();
}

TEST(Finger, LongestHostAndReplyStayWithinTheResult)
{
    const std::string reply = Pattern(300);
    Probe p(8, FINGER_PORT, Says(reply, true));
    ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
    ASSERT_TRUE(WaitForResults(p.w, "Sent 2 bytes to " + p.host));
    FingerFlag = 0;                         // keep the answer from the routing
    ASSERT_TRUE(PumpUntil([&] { return Pending(fs) >= reply.size(); }));

    // A host of the full 79 characters the engine keeps, and a full buffer.
    const std::string host(79, 'h');
    lstrcpynA(szDestStr, host.c_str(), sizeof(szDestStr));
    FingerRead();
    EXPECT_EQ(255, bytes);
    const std::string want = ("Fingered " + host + ", got " + reply.substr(0, 255)).substr(0, 254);
    EXPECT_EQ(want, p.w.Results());
    EXPECT_EQ(want, std::string(szResult));
    EXPECT_FALSE(LogExists());
    FingerClose();
}

/* ---- checksum ---- */

namespace {

// Straightforward one's-complement sum over little-endian words.
u_short Reference(const std::vector<unsigned char> &data)
{
    unsigned long long sum = 0;
    for (size_t i = 0; i < data.size(); i += 2) {
        unsigned lo = data[i];
        unsigned hi = i + 1 < data.size() ? data[i + 1] : 0;
        sum += lo | (hi << 8);
    }
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return (u_short)~sum;
}

}  // namespace

TEST(Checksum, KnownValues)
{
    EXPECT_EQ(0x9D3B, checksum("abc", 3));
    EXPECT_EQ(0xFFFF, checksum("", 0));
    EXPECT_EQ(0xFFFF, checksum(nullptr, 0));
}

TEST(Checksum, AgreesWithAnIndependentSumForOddAndEvenLengths)
{
    std::vector<unsigned char> data(4097);
    unsigned x = 12345;
    for (auto &b : data) {
        x = x * 1103515245u + 12345u;
        b = (unsigned char)(x >> 16);
    }
    std::vector<unsigned char> even(data.begin(), data.end() - 1);
    EXPECT_EQ(Reference(even), checksum(even.data(), (int)even.size()));
    EXPECT_EQ(Reference(data), checksum(data.data(), (int)data.size()));

    // The sum's defining property: data followed by its checksum sums to zero.
    u_short c = checksum(even.data(), (int)even.size());
    even.push_back((unsigned char)(c & 0xFF));
    even.push_back((unsigned char)(c >> 8));
    EXPECT_EQ(0, checksum(even.data(), (int)even.size()));

    // All ones over the whole 64 KiB the sum is meant for.
    std::vector<unsigned char> ones(65536, 0xFF);
    EXPECT_EQ(Reference(ones), checksum(ones.data(), (int)ones.size()));
}
