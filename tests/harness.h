// Test support shared by every test file: fakes behind the program's seams,
// message pumping, a stand-in for the main dialog, and small TCP servers on
// loopback addresses.
#ifndef KALVEX_TEST_HARNESS_H
#define KALVEX_TEST_HARNESS_H

#include <functional>
#include <string>
#include <vector>

#include "../app/kalvex.h"

namespace fake {
extern DWORD tick;                          // what pfnGetTickCount returns
extern int beeps;                           // MessageBeep calls
extern std::vector<SYSTEMTIME> clockSets;   // SetSystemTime calls, in order
extern BOOL clockResult;                    // what the fake SetSystemTime answers; it
                                            // fails for want of the privilege
extern LONGLONG clockAhead;                 // the fake clock minus the real one, in 100 ns;
                                            // a successful fake setting moves it
extern TIME_ZONE_INFORMATION tzi;           // the zone the fake query reports
extern DWORD tzResult;                      // and its return value
struct HelpCall { std::string file; UINT command; };
extern std::vector<HelpCall> helpCalls;
}

// Runs the message loop for a while, or until the condition holds.  The
// condition is looked at after every message, and every `idleMs` while
// none comes.
void PumpFor(DWORD ms);
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000, DWORD idleMs = 5);

// "127.0.0.N" with N offset by KX_NET_BASE, so that test runs on one machine
// in different build folders never share an address, and by 40 more in the
// 64-bit build, so that the two builds' tests never do either (N < 40).
std::string LoopAddr(int n);

std::string ReadWholeFile(const std::string &path);
bool FileExists(const std::string &path);
std::string ItemText(HWND hWnd, int id);
std::string WindowCaption(HWND hWnd);
std::string IniPath();                      // the Windows directory's KALVEX.INI
std::string UserIniPath();                  // the per-user KALVEX.INI under %APPDATA%
void RemoveUserIni();                       // that file and its folder

// A plain window that stands in for the main dialog: it has the Results
// field and the counters, and routes the socket notifications as the dialog
// procedure does.  Creating it makes it ghDlg.
struct TestWindow {
    HWND hWnd = NULL;
    struct Msg { UINT msg; WPARAM wParam; LPARAM lParam; };
    std::vector<Msg> log;                   // socket, lookup and command messages seen
    TestWindow();
    ~TestWindow();
    std::string Results() const { return ItemText(hWnd, IDC_RESULTS); }
    bool Saw(UINT msg) const;
};

// A TCP server on one loopback address and port, run on a thread of its own.
// For each connection it accepts it optionally reads the request (up to CR LF),
// sends `first`, waits `pauseMs` (less once the client has closed), sends
// `second`, and then either resets the connection or reads until the client
// closes (at most `holdMs`).
struct ServerScript {
    bool readRequest = false;
    std::string first;
    DWORD pauseMs = 0;
    std::string second;
    bool reset = false;
    DWORD holdMs = 3000;
    bool tellTime = false;      // `first` is the Time answer at the accept, of a clock
    LONGLONG aheadMs = 0;       // this far ahead of the real one
};

class LoopServer {
public:
    LoopServer(const std::string &ip, u_short port, ServerScript script = ServerScript(), int maxConns = 1);
    ~LoopServer();
    bool Listening() const { return listener != INVALID_SOCKET; }
    bool WaitDone(DWORD ms = 5000);         // all connections served
    int Accepted() const { return accepted; }
    int Served() const { return served; }                // connections ended by the server
    std::string Received() const { return received; }   // after WaitDone
    bool PeerReset() const { return peerReset; }         // client closed with RST
    bool PeerClosed() const { return peerClosed; }       // client closed with FIN
    double ReadFraction() const { return readFraction; } // of its second, at the last Time answer
private:
    static DWORD WINAPI ThreadProc(LPVOID self);
    void Run();
    SOCKET listener = INVALID_SOCKET;
    HANDLE hThread = NULL;
    ServerScript script;
    int maxConns;
    volatile LONG accepted = 0, served = 0;
    volatile LONG stop = 0;
    std::string received;
    bool peerReset = false, peerClosed = false;
    volatile double readFraction = -1;
};

#endif
