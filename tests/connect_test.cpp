// The connection engine against real sockets on loopback addresses: host
// parsing and lookup, connecting, the caption, failures and the close.
#include <gtest/gtest.h>

#include <string>

#include "probe_support.h"

namespace {

const u_short kPort = 23;

std::string NoResolve(const std::string &host, int code = 11001,
                      const char *words = "HOST NOT FOUND")
{
    return "Winsock error #" + std::to_string(code) + " " + words +
           ":\r\nNo Connection possible\r\nCouldn't resolve host name or address " + host +
           "\r\nPress help button..";
}

const WSADATA *StartedSockets()
{
    static WSADATA wsa;
    return WSAStartup(0x0101, &wsa) == 0 ? &wsa : nullptr;
}

}  // namespace

TEST(Connect, DottedHostConnectsWithoutLookup)
{
    LoopServer srv(LoopAddr(1), kPort);
    ASSERT_TRUE(srv.Listening());
    TestWindow w;
    lstrcpynA(szTime, "00:01:02", sizeof(szTime));

    SOCKET s = socConnect(LoopAddr(1).c_str(), kPort);
    ASSERT_NE(INVALID_SOCKET, s);
    EXPECT_EQ(cli_sock, s);
    EXPECT_EQ(LoopAddr(1), std::string(szDestStr));
    EXPECT_EQ((HANDLE)0, hWGHBN);
    EXPECT_EQ(inet_addr(LoopAddr(1).c_str()), ulinet);
    EXPECT_EQ("Resolving host address..", w.Results());

    ASSERT_TRUE(WaitForResults(w, "Socket Connected.."));
    ASSERT_FALSE(w.log.empty());
    EXPECT_EQ((UINT)WM_HOST_RESOLVED, w.log[0].msg);
    EXPECT_EQ((WPARAM)1, w.log[0].wParam);
    EXPECT_EQ((LPARAM)0, w.log[0].lParam);
    EXPECT_EQ(ulinet, srv_addr.sin_addr.s_addr);
    EXPECT_EQ(htons(kPort), srv_addr.sin_port);

    // The local address learnt from the connected socket names the caption.
    EXPECT_NE(INADDR_NONE, inet_addr(szMyIP));
    EXPECT_EQ(0, strncmp(szMyIP, "127.", 4)) << szMyIP;
    EXPECT_EQ(std::string(KX_TITLE " online for 00:01:02; @IP ") + szMyIP, WindowCaption(w.hWnd));
    EXPECT_EQ(WindowCaption(w.hWnd), std::string(szCaption));
    EXPECT_FALSE(LogExists());
    CloseSocket(s);
}

TEST(Connect, NamesAreLookedUpAsynchronously)
{
    TestWindow w;
    SOCKET s = socConnect("localhost", kPort);
    ASSERT_NE(INVALID_SOCKET, s);
    HANDLE hLookup = hWGHBN;
    EXPECT_NE((HANDLE)0, hLookup);
    EXPECT_EQ(INADDR_NONE, ulinet);
    EXPECT_FALSE(w.Saw(WM_HOST_RESOLVED));  // the answer comes later, as a message

    ASSERT_TRUE(PumpUntil([&] { return w.Saw(WM_HOST_RESOLVED); }));
    EXPECT_EQ((WPARAM)hLookup, w.log[0].wParam);
    EXPECT_EQ(0, WSAGETASYNCERROR(w.log[0].lParam));
    EXPECT_EQ(inet_addr("127.0.0.1"), srv_addr.sin_addr.s_addr);
    EXPECT_EQ("Connecting Socket..", w.Results());
    CloseSocket(s);
}

TEST(Connect, AllOnesAddressIsLookedUpAsAName)
{
    TestWindow w;
    SOCKET s = socConnect("255.255.255.255", kPort);
    ASSERT_NE(INVALID_SOCKET, s);
    EXPECT_EQ(INADDR_NONE, ulinet);
    HANDLE hLookup = hWGHBN;
    EXPECT_NE((HANDLE)0, hLookup);
    // Close the socket first, so that the answer cannot lead to any
    // connection attempt; only its arrival is of interest.
    closesocket(s);
    ASSERT_TRUE(PumpUntil([&] { return w.Saw(WM_HOST_RESOLVED); }));
    EXPECT_EQ((WPARAM)hLookup, w.log[0].wParam);
}

TEST(Connect, UnresolvableNameIsReportedAndLogged)
{
    TestWindow w;
    SOCKET s = socConnect("kx-nowhere.invalid", kPort);
    if (s != INVALID_SOCKET)
        PumpUntil([&] { return w.Saw(WM_HOST_RESOLVED); });
    EXPECT_EQ(NoResolve("kx-nowhere.invalid"), w.Results());
    EXPECT_EQ(Record(KX_TITLE, NoResolve("kx-nowhere.invalid")), LogText());
    EXPECT_EQ(0, CountEvents(w, FD_CONNECT));
    // The socket is closed with the failure.
    EXPECT_EQ(SOCKET_ERROR, send(cli_sock, "x", 1, 0));
    EXPECT_EQ(WSAENOTSOCK, WSAGetLastError());
}

TEST(Connect, RefusalIsReportedWithTheNotificationsCode)
{
    TestWindow w;
    SOCKET s = socConnect(LoopAddr(9).c_str(), kPort);     // nothing listens there
    ASSERT_NE(INVALID_SOCKET, s);
    ASSERT_TRUE(PumpUntil([&] { return CountEvents(w, FD_CONNECT) > 0; }));
    EXPECT_EQ(Refused(), w.Results());
    EXPECT_EQ(Record(KX_TITLE, Refused()), LogText());
    EXPECT_EQ("Unknown", std::string(szMyIP));
    EXPECT_EQ(KX_TITLE, WindowCaption(w.hWnd));

    // Whatever the sockets layer recorded last, the notification's code counts.
    cli_sock = socket(AF_INET, SOCK_STREAM, 0);
    WSASetLastError(WSAECONNREFUSED);
    EXPECT_EQ(-1, OnConnect(WSAMAKESELECTREPLY(FD_CONNECT, WSAETIMEDOUT)));
    EXPECT_EQ("Winsock error #10060 CONNECTION TIMED OUT:\r\nCouldn't connect socket.\r\nPress help button..",
              w.Results());
}

TEST(Connect, SocketThatCannotBeMadeIsReported)
{
    TestWindow w;
    // Before the sockets layer is started no socket can be made.
    while (WSACleanup() == 0) {
    }
    SOCKET s = socConnect(LoopAddr(1).c_str(), kPort);
    ASSERT_NE(nullptr, StartedSockets());
    EXPECT_EQ(INVALID_SOCKET, s);
    const std::string text =
        "Winsock error #10093 WSASTARTUP NOT PERFORMED YET:\r\nCouldn't create socket.\r\nPress help button..";
    EXPECT_EQ(text, w.Results());
    EXPECT_EQ(Record(KX_TITLE, text), LogText());
    PumpFor(100);
    EXPECT_FALSE(w.Saw(WM_HOST_RESOLVED));
}

TEST(Connect, UnknownLocalAddressStillLetsTheProbeGoOn)
{
    TestWindow w;
    lstrcpynA(szTime, "00:00:09", sizeof(szTime));
    // A socket that was never connected has no local address to give.
    cli_sock = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(0, OnConnect(WSAMAKESELECTREPLY(FD_CONNECT, 0)));
    EXPECT_STREQ("Local IP Unknown", szMyIP);
    EXPECT_EQ(KX_TITLE " online for 00:00:09; @IP Local IP Unknown", WindowCaption(w.hWnd));
    std::string shown = w.Results();
    EXPECT_EQ(0u, shown.find("Winsock error #")) << shown;
    EXPECT_NE(std::string::npos, shown.find(":\r\nCouldn't get local IP address...")) << shown;
    // Logged before the caption changed, with the address just learnt.
    EXPECT_EQ(Record(KX_TITLE, shown, "Local IP Unknown"), LogText());
    closesocket(cli_sock);
}

TEST(Connect, LogKeepsTheCaptionOfTheLastConnection)
{
    LoopServer srv(LoopAddr(2), kPort);
    ASSERT_TRUE(srv.Listening());
    TestWindow w;
    lstrcpynA(szTime, "00:00:05", sizeof(szTime));
    SOCKET s = socConnect(LoopAddr(2).c_str(), kPort);
    ASSERT_TRUE(WaitForResults(w, "Socket Connected.."));
    CloseSocket(s);
    std::string caption = WindowCaption(w.hWnd);
    std::string ip = szMyIP;

    lstrcpynA(szTime, "00:09:00", sizeof(szTime));    // time goes on; the caption keeps its moment
    s = socConnect(LoopAddr(9).c_str(), kPort);
    ASSERT_TRUE(PumpUntil([&] { return w.Results() == Refused(); }));
    EXPECT_EQ(Record(caption, Refused(), ip), LogText());
    EXPECT_EQ(KX_TITLE " online for 00:00:05; @IP " + ip, caption);
    CloseSocket(s);
}

TEST(Connect, LongHostTextIsCutSafely)
{
    TestWindow w;
    // As much as the Host box can deliver: 511 characters.
    std::string host(503, 'h');
    host += ".invalid";
    ASSERT_EQ(511u, host.size());

    SOCKET s = socConnect(host.c_str(), kPort);
    EXPECT_EQ(host.substr(0, 79), std::string(szDestStr));
    if (s != INVALID_SOCKET)
        PumpUntil([&] { return w.Saw(WM_HOST_RESOLVED); });

    // Whatever the lookup says, the message keeps its whole form and names
    // the host as far as the engine keeps it.
    std::string shown = w.Results();
    EXPECT_EQ(0u, shown.find("Winsock error #")) << shown;
    const std::string tail = "Couldn't resolve host name or address " + host.substr(0, 79) +
                             "\r\nPress help button..";
    ASSERT_GE(shown.size(), tail.size());
    EXPECT_EQ(tail, shown.substr(shown.size() - tail.size()));
    EXPECT_LE(shown.size(), 254u);
    EXPECT_EQ(Record(KX_TITLE, shown), LogText());
}

TEST(Connect, StrayLookupAnswersAreIgnored)
{
    ServerScript script;
    LoopServer srv(LoopAddr(3), kPort, script, 2);
    ASSERT_TRUE(srv.Listening());
    TestWindow w;
    SOCKET s = socConnect(LoopAddr(3).c_str(), kPort);
    ASSERT_NE(INVALID_SOCKET, s);
    // Late answers of lookups that no longer belong to the probe in flight,
    // one good and one failed, queued behind the probe's own.
    PostMessageA(w.hWnd, WM_HOST_RESOLVED, 0x5151, 0);
    PostMessageA(w.hWnd, WM_HOST_RESOLVED, 0x5152, WSAMAKEASYNCREPLY(0, WSAHOST_NOT_FOUND));
    ASSERT_TRUE(WaitForResults(w, "Socket Connected.."));
    PumpFor(300);

    EXPECT_EQ("Socket Connected..", w.Results());
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(1, CountEvents(w, FD_CONNECT));
    EXPECT_EQ(1, srv.Accepted());
    EXPECT_EQ(inet_addr(LoopAddr(3).c_str()), srv_addr.sin_addr.s_addr);
    // The socket is still usable: the failed stray did not close it.
    EXPECT_EQ(1, send(s, "x", 1, 0));
    CloseSocket(s);
}

TEST(Connect, ClosedProbeForgetsItsPendingLookup)
{
    TestWindow w;
    SOCKET s = socConnect("localhost", kPort);
    ASSERT_NE(INVALID_SOCKET, s);
    CloseSocket(s);                         // a Stop while the name is looked up
    EXPECT_EQ((HANDLE)0, hWGHBN);
    PumpFor(500);
    EXPECT_EQ("Resolving host address..", w.Results());
    EXPECT_EQ(0, CountEvents(w, FD_CONNECT));
    EXPECT_FALSE(LogExists());
}

TEST(Connect, NameWithoutAddressIsNotFollowed)
{
    TestWindow w;
    // A host entry that carries no address at all.
    memset(sGetHostBuff[0], 0, sizeof(sGetHostBuff[0]));
    hostent *pHost = (hostent *)sGetHostBuff[0];
    char **list = (char **)(sGetHostBuff[0] + sizeof(hostent));
    pHost->h_addrtype = AF_INET;
    pHost->h_length = 4;
    pHost->h_addr_list = list;
    lstrcpynA(szDestStr, "empty.example", sizeof(szDestStr));
    cli_sock = socket(AF_INET, SOCK_STREAM, 0);
    srv_addr.sin_addr.s_addr = inet_addr("127.0.0.99");
    hWGHBN = (HANDLE)0x77;

    OnHostAddressResolution(0x77, 0);
    EXPECT_EQ(NoResolve("empty.example", 11004, "NO DATA OF REQUESTED TYPE"), w.Results());
    EXPECT_EQ(inet_addr("127.0.0.99"), srv_addr.sin_addr.s_addr);
    EXPECT_EQ(0, CountEvents(w, FD_CONNECT));
}

TEST(Connect, CloseDrainsUnreadDataAndEndsInOrder)
{
    ServerScript script;
    script.first = std::string(1000, 'q');
    LoopServer srv(LoopAddr(4), 13, script);
    ASSERT_TRUE(srv.Listening());
    TestWindow w;
    SOCKET s = socConnect(LoopAddr(4).c_str(), 13);
    ASSERT_TRUE(WaitForResults(w, "Socket Connected.."));
    ASSERT_TRUE(PumpUntil([&] { return Pending(s) >= 1000; }));

    buffer[255] = 'Z';                      // no receive may run past 255 bytes
    bytes = 12345;
    CloseSocket(s);
    EXPECT_EQ('Z', buffer[255]);
    EXPECT_LE(bytes, 0);                    // read until nothing was left
    ASSERT_TRUE(srv.WaitDone());
    EXPECT_TRUE(srv.PeerClosed());
    EXPECT_FALSE(srv.PeerReset());
    EXPECT_EQ("", srv.Received());
}

TEST(Connect, CloseOfAClosedSocketDoesNothingVisible)
{
    TestWindow w;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    closesocket(s);
    vWriteResults("as before", 0);
    CloseSocket(s);
    CloseSocket(s);
    CloseSocket(INVALID_SOCKET);
    EXPECT_EQ("as before", w.Results());
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(KX_TITLE, WindowCaption(w.hWnd));
}

namespace {

// A server that sends for as long as anyone listens.
struct Flood {
    SOCKET listener = INVALID_SOCKET;
    HANDLE hThread = NULL;
    static DWORD WINAPI Run(LPVOID p)
    {
        Flood *f = (Flood *)p;
        SOCKET c = accept(f->listener, NULL, NULL);
        if (c == INVALID_SOCKET)
            return 0;
        char block[4096];
        memset(block, 'f', sizeof(block));
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000 && send(c, block, sizeof(block), 0) > 0) {
        }
        closesocket(c);
        return 0;
    }
    explicit Flood(const std::string &ip, u_short port)
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = inet_addr(ip.c_str());
        BOOL on = TRUE;
        setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, (const char *)&on, sizeof(on));
        if (bind(listener, (sockaddr *)&a, sizeof(a)) == 0 && listen(listener, 1) == 0)
            hThread = CreateThread(NULL, 0, Run, this, 0, NULL);
    }
    ~Flood()
    {
        closesocket(listener);
        if (hThread) {
            WaitForSingleObject(hThread, 25000);
            CloseHandle(hThread);
        }
    }
};

}  // namespace

TEST(Connect, ServerThatNeverStopsSendingCannotHoldTheClose)
{
    Flood flood(LoopAddr(5), 17);
    ASSERT_TRUE(flood.hThread);
    TestWindow w;
    SOCKET s = socConnect(LoopAddr(5).c_str(), 17);
    ASSERT_TRUE(WaitForResults(w, "Socket Connected.."));
    ASSERT_TRUE(PumpUntil([&] { return Pending(s) > 0; }));
    DWORD start = GetTickCount();
    CloseSocket(s);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(SOCKET_ERROR, send(s, "x", 1, 0));    // closed for good
}
