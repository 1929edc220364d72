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

// DayTime, Quote and Users show each reply whole, line end and all.
TEST(Services, RepliesAreShownWholeAndCountedButNeverLogged)
{
    const struct { int radio; u_short port; SOCKET *sock; int *flag; const char *reply, *from; } cases[] = {
        {IDC_DAYTIME, DAYTIME_PORT, &ts, &DayTimeFlag, "Mon Mar  4 12:34:56 2024\r\n", "Time from "},
        {IDC_QUOTE, QUOTE_PORT, &qs, &QuoteFlag, "Carpe diem.\r\n", "Quote from "},
        {IDC_USERS, USERS_PORT, &us, &UserFlag, "root     tty1\r\n", "Users from "},
    };
    int n = 0;
    for (auto &c : cases) {
        Probe p(++n, c.port, Says(c.reply));
        ASSERT_TRUE(Launch(p.w, c.radio, p.host));
        EXPECT_EQ(cli_sock, *c.sock);
        ASSERT_TRUE(WaitFree(*c.flag));
        EXPECT_EQ(c.from + p.host + ": " + c.reply, p.w.Results());
        EXPECT_EQ(std::to_string(n), ItemText(p.w.hWnd, IDC_RECV));
        ASSERT_TRUE(p.srv.WaitDone());
        EXPECT_TRUE(p.srv.PeerClosed());
    }
    EXPECT_EQ(3, RecvCount);
    EXPECT_STREQ("3", szRecv);
    EXPECT_FALSE(LogExists());
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
    EXPECT_EQ("Time from " + p.host + ": ", p.w.Results());
    EXPECT_EQ(1, RecvCount);
    EXPECT_FALSE(LogExists());
}

/* ---- Quote ---- */

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

/* ---- Finger ---- */

// The request goes out once, as soon as the connection stands: for an empty
// user it is CR LF alone, and a second write notice sends nothing more.
TEST(Finger, EmptyUserSendsCrLfAloneOnceAndShowsTheReply)
{
    ServerScript late = Says("", true);
    late.pauseMs = 600;                     // answer late, so the probe stays open
    late.second = "Login: alice\r\n";
    Probe p(3, FINGER_PORT, late);
    ASSERT_TRUE(Launch(p.w, IDC_FINGER, p.host));
    EXPECT_EQ(cli_sock, fs);
    ASSERT_TRUE(WaitForResults(p.w, "Sent 2 bytes to " + p.host));
    PostSocketEvent(p.w, fs, FD_WRITE);
    ASSERT_TRUE(WaitFree(FingerFlag));

    EXPECT_EQ(2, SentCount);                // the probe and its one request
    EXPECT_EQ("2", ItemText(p.w.hWnd, IDC_SENT));
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

/* ---- Every reading service ---- */

// A read that finds nothing yet, and one whose receive fails, each end the
// probe; what they show is the service's own, and only DayTime and Finger,
// whose answers matter, log their failures.
TEST(Services, EmptyAndFailedReadsEndTheProbeAndLogWhereAnswersMatter)
{
    const std::string failed = "Recv Winsock error #10038 DESCRIPTOR NOT A SOCKET; ";
    const struct {
        int radio;
        u_short port;
        SOCKET *sock;
        int *flag;
        bool broken;
        std::string shown;
        bool logged;
    } cases[] = {
        {IDC_DAYTIME, DAYTIME_PORT, &ts, &DayTimeFlag, false, "Reading", false},
        {IDC_DAYTIME, DAYTIME_PORT, &ts, &DayTimeFlag, true, failed + "service probably not running", true},
        {IDC_QUOTE, QUOTE_PORT, &qs, &QuoteFlag, false, "an earlier answer", false},
        {IDC_QUOTE, QUOTE_PORT, &qs, &QuoteFlag, true, failed + "service probably not running", false},
        {IDC_USERS, USERS_PORT, &us, &UserFlag, false, "an earlier answer", false},
        {IDC_USERS, USERS_PORT, &us, &UserFlag, true, "User " + failed + "service probably not running", false},
        {IDC_FINGER, FINGER_PORT, &fs, &FingerFlag, false, "Recv is blocking..", true},
        {IDC_FINGER, FINGER_PORT, &fs, &FingerFlag, true, failed + "finger probably not running", true},
    };
    int n = 0;
    for (auto &c : cases) {
        SCOPED_TRACE(c.shown);
        DeleteFileA(KX_LOGFILE);
        Probe p(++n, c.port, Says("", c.radio == IDC_FINGER));     // says nothing
        ASSERT_TRUE(Launch(p.w, c.radio, p.host));
        ASSERT_TRUE(WaitForResults(p.w, c.radio == IDC_FINGER ? "Sent 2 bytes to " + p.host : "Socket Connected.."));
        lstrcpynA(szResult, "an earlier answer", sizeof(szResult));
        if (c.broken)
            closesocket(*c.sock);                   // the receive then fails for certain
        PostSocketEvent(p.w, *c.sock, FD_READ);
        EXPECT_EQ(c.shown, p.w.Results());
        EXPECT_EQ(0, *c.flag);
        const std::string caption = std::string(KX_TITLE " online for ") + szTime + "; @IP " + szMyIP;
        EXPECT_EQ(c.logged ? Record(caption, c.shown, szMyIP) : "", LogText());
        ASSERT_TRUE(p.srv.WaitDone());
        EXPECT_TRUE(p.srv.PeerClosed());
    }
    EXPECT_EQ(0, RecvCount);
}

/* ---- checksum ---- */

// The one's-complement sum over little-endian words, checked by what defines
// it: data followed by its sum sums to zero, an odd last byte is the low half
// of a word of its own, and every carry is folded back in.
TEST(Checksum, KnownValuesAndTheSumsOwnProperties)
{
    EXPECT_EQ(0x9D3B, checksum("abc", 3));
    EXPECT_EQ(0xFFFF, checksum("", 0));
    EXPECT_EQ(0xFFFF, checksum(nullptr, 0));

    std::vector<unsigned char> data(4097);
    unsigned x = 12345;
    for (auto &b : data) {
        x = x * 1103515245u + 12345u;
        b = (unsigned char)(x >> 16);
    }
    u_short odd = checksum(data.data(), (int)data.size());
    data.push_back(0);
    EXPECT_EQ(odd, checksum(data.data(), (int)data.size()));
    data.resize(4096);
    u_short c = checksum(data.data(), (int)data.size());
    data.push_back((unsigned char)(c & 0xFF));
    data.push_back((unsigned char)(c >> 8));
    EXPECT_EQ(0, checksum(data.data(), (int)data.size()));

    std::vector<unsigned char> ones(65536, 0xFF);      // the whole 64 KiB the sum is meant for
    EXPECT_EQ(0, checksum(ones.data(), (int)ones.size()));
}
