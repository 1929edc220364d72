// Test support; see harness.h.  Also the test programs' main().
#include "harness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "../app/seams.h"
#include "../controls/controls.h"
#include "../controller/pinger.h"
#include "../probe/connect.h"

// The real clock, in 100 ns since 1601: a test never sets it.
static ULONGLONG RealNow()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (ULONGLONG)ft.dwHighDateTime << 32 | ft.dwLowDateTime;
}

namespace fake {
DWORD tick = 1000000;
int beeps;
std::vector<SYSTEMTIME> clockSets;
BOOL clockResult = TRUE;
TIME_ZONE_INFORMATION tzi;
DWORD tzResult = TIME_ZONE_ID_UNKNOWN;
std::vector<HelpCall> helpCalls;

static DWORD WINAPI GetTick() { return tick; }
static BOOL WINAPI Beep(UINT) { ++beeps; return TRUE; }
LONGLONG clockAhead;

static void WINAPI GetClock(LPFILETIME pft)
{
    ULONGLONG ull = RealNow() + clockAhead;
    pft->dwLowDateTime = (DWORD)ull;
    pft->dwHighDateTime = (DWORD)(ull >> 32);
}
static BOOL WINAPI SetClock(const SYSTEMTIME *st)
{
    FILETIME ft;
    clockSets.push_back(*st);
    if (!clockResult)
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    else if (SystemTimeToFileTime(st, &ft))
        clockAhead = (LONGLONG)((ULONGLONG)ft.dwHighDateTime << 32 | ft.dwLowDateTime) - (LONGLONG)RealNow();
    return clockResult;
}
static DWORD WINAPI GetZone(LPTIME_ZONE_INFORMATION p) { *p = tzi; return tzResult; }
static BOOL WINAPI Help(HWND, LPCSTR file, UINT cmd, ULONG_PTR)
{
    helpCalls.push_back({file ? file : "", cmd});
    return TRUE;
}
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs, DWORD idleMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (!ghDlg || !IsDialogMessageA(ghDlg, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (done())
                return true;
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, idleMs, QS_ALLINPUT);
    }
}

std::string LoopAddr(int n)
{
    const char *base = getenv("KX_NET_BASE");
    int b = base ? atoi(base) : 10;
#ifdef _WIN64
    b += 40;    // the 32-bit build's tests may run beside ours: addresses of our own
#endif
    char sz[32];
    snprintf(sz, sizeof(sz), "127.0.0.%d", b + n);
    return sz;
}

std::string ReadWholeFile(const std::string &path)
{
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        s.append(buf, n);
    fclose(f);
    return s;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ItemText(HWND hWnd, int id)
{
    char sz[2048];
    sz[0] = 0;
    GetDlgItemTextA(hWnd, id, sz, sizeof(sz));
    return sz;
}

std::string WindowCaption(HWND hWnd)
{
    char sz[512];
    sz[0] = 0;
    GetWindowTextA(hWnd, sz, sizeof(sz));
    return sz;
}

std::string IniPath()
{
    char sz[MAX_PATH];
    GetWindowsDirectoryA(sz, sizeof(sz));
    return std::string(sz) + "\\KALVEX.INI";
}

std::string UserIniPath()
{
    char sz[MAX_PATH] = "";
    GetEnvironmentVariableA("APPDATA", sz, sizeof(sz));
    return std::string(sz) + "\\Kalvex32\\KALVEX.INI";
}

void RemoveUserIni()
{
    std::string path = UserIniPath();
    WritePrivateProfileStringA(NULL, NULL, NULL, path.c_str());
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.substr(0, path.rfind('\\')).c_str());
}

/* ---- The stand-in window ---- */

static TestWindow *pCurrent;

static LRESULT CALLBACK TestWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_HOST_RESOLVED:
        if (pCurrent) pCurrent->log.push_back({msg, wParam, lParam});
        vRouteHostResolved(wParam, lParam);
        return 0;
    case WM_SOCKET_EVENT:
        if (pCurrent) pCurrent->log.push_back({msg, wParam, lParam});
        vRouteSocketEvent(wParam, lParam);
        return 0;
    case WM_COMMAND:
        if (pCurrent) pCurrent->log.push_back({msg, wParam, lParam});
        return 0;
    case WM_TIMER:
        if (wParam == KX_AIM_TIMER_ID)
            vRouteAimedConnect();
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

TestWindow::TestWindow()
{
    static bool registered;
    HINSTANCE hInst = GetModuleHandleA(NULL);
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = TestWndProc;
        wc.hInstance = hInst;
        wc.lpszClassName = "KxTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    hWnd = CreateWindowA("KxTestWindow", KX_TITLE, WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                         NULL, NULL, hInst, NULL);
    struct { int id; const char *cls; DWORD style; } kids[] = {
        {IDC_RESULTS, "STATIC", 0}, {IDC_SENT, "STATIC", 0}, {IDC_RECV, "STATIC", 0},
        {IDC_USER, "EDIT", 0}, {IDC_TIMEZONE, "EDIT", 0}, {IDC_HOST, "EDIT", 0},
        {IDC_KALV, "BUTTON", BS_AUTORADIOBUTTON}, {IDC_DAYTIME, "BUTTON", BS_AUTORADIOBUTTON},
        {IDC_TIME, "BUTTON", BS_AUTORADIOBUTTON}, {IDC_QUOTE, "BUTTON", BS_AUTORADIOBUTTON},
        {IDC_FINGER, "BUTTON", BS_AUTORADIOBUTTON}, {IDC_USERS, "BUTTON", BS_AUTORADIOBUTTON},
    };
    int y = 0;
    for (auto &k : kids) {
        CreateWindowA(k.cls, "", WS_CHILD | WS_VISIBLE | k.style, 0, y, 300, 20, hWnd,
                      (HMENU)(INT_PTR)k.id, hInst, NULL);
        y += 22;
    }
    ghDlg = hWnd;
    lstrcpynA(szMyIP, "Unknown", sizeof(szMyIP));
    pCurrent = this;
}

TestWindow::~TestWindow()
{
    pCurrent = NULL;
    DestroyWindow(hWnd);
    if (ghDlg == hWnd)
        ghDlg = NULL;
}

bool TestWindow::Saw(UINT msg) const
{
    for (auto &m : log)
        if (m.msg == msg)
            return true;
    return false;
}

/* ---- Loopback servers ---- */

LoopServer::LoopServer(const std::string &ip, u_short port, ServerScript s, int conns)
    : script(s), maxConns(conns)
{
    listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener == INVALID_SOCKET)
        return;
    BOOL on = TRUE;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, (const char *)&on, sizeof(on));
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = inet_addr(ip.c_str());
    if (bind(listener, (sockaddr *)&a, sizeof(a)) != 0 || listen(listener, 5) != 0) {
        closesocket(listener);
        listener = INVALID_SOCKET;
        return;
    }
    hThread = CreateThread(NULL, 0, ThreadProc, this, 0, NULL);
}

LoopServer::~LoopServer()
{
    InterlockedExchange(&stop, 1);
    if (listener != INVALID_SOCKET)
        closesocket(listener);
    if (hThread) {
        WaitForSingleObject(hThread, 10000);
        CloseHandle(hThread);
    }
}

bool LoopServer::WaitDone(DWORD ms)
{
    if (!hThread)
        return false;
    DWORD start = GetTickCount();
    while (WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT) {
        if (GetTickCount() - start >= ms)
            return false;
        PumpFor(10);
    }
    return true;
}

DWORD WINAPI LoopServer::ThreadProc(LPVOID self)
{
    static_cast<LoopServer *>(self)->Run();
    return 0;
}

// Waits up to ms for the socket to become readable.
static bool Readable(SOCKET s, DWORD ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv = {(long)(ms / 1000), (long)((ms % 1000) * 1000)};
    return select(0, &set, NULL, NULL, &tv) > 0;
}

// Waits up to ms, but not for a client that has closed already: a server
// that drips its answer must not hold up the next connection.
static void PauseWhileOpen(SOCKET s, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        char c;
        if (!Readable(s, 20))
            continue;
        if (recv(s, &c, 1, MSG_PEEK) <= 0)
            return;
        Sleep(20);
    }
}

void LoopServer::Run()
{
    for (int i = 0; i < maxConns && !stop; ++i) {
        while (!stop && !Readable(listener, 100)) {
        }
        if (stop)
            break;
        SOCKET c = accept(listener, NULL, NULL);
        if (c == INVALID_SOCKET)
            break;
        InterlockedIncrement(&accepted);
        char buf[1024];
        if (script.tellTime) {
            // seconds since 1900 of the real clock plus aheadMs, as a server reads it
            ULONGLONG ull = RealNow() + script.aheadMs * 10000 - 94354848000000000ULL;
            u_long ul = htonl((u_long)(ull / 10000000));
            readFraction = (double)(ull % 10000000) / 1e7;
            script.first.assign((const char *)&ul, 4);
        }
        if (script.readRequest) {
            DWORD start = GetTickCount();
            while (received.find("\r\n") == std::string::npos && GetTickCount() - start < 3000) {
                if (!Readable(c, 100))
                    continue;
                int n = recv(c, buf, sizeof(buf), 0);
                if (n <= 0)
                    break;
                received.append(buf, n);
            }
        }
        if (!script.first.empty())
            send(c, script.first.data(), (int)script.first.size(), 0);
        PauseWhileOpen(c, script.pauseMs);
        if (!script.second.empty())
            send(c, script.second.data(), (int)script.second.size(), 0);
        if (script.reset) {
            linger l = {1, 0};
            setsockopt(c, SOL_SOCKET, SO_LINGER, (const char *)&l, sizeof(l));
            closesocket(c);
            InterlockedIncrement(&served);
            continue;
        }
        DWORD start = GetTickCount();
        while (!stop && GetTickCount() - start < script.holdMs) {
            if (!Readable(c, 50))
                continue;
            int n = recv(c, buf, sizeof(buf), 0);
            if (n == 0) {
                peerClosed = true;
                break;
            }
            if (n < 0) {
                if (WSAGetLastError() == WSAECONNRESET)
                    peerReset = true;
                break;
            }
            received.append(buf, n);
        }
        closesocket(c);
        InterlockedIncrement(&served);
    }
}

/* ---- main ---- */

static char szWorkDir[MAX_PATH];

static void RemoveWorkDir()
{
    char pattern[MAX_PATH + 4];
    snprintf(pattern, sizeof(pattern), "%s\\*", szWorkDir);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string p = std::string(szWorkDir) + "\\" + fd.cFileName;
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(p.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    char tmp[MAX_PATH];
    GetTempPathA(sizeof(tmp), tmp);
    SetCurrentDirectoryA(tmp);
    RemoveDirectoryA(szWorkDir);
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);

    // Each test process works in a folder of its own (the error log lands in
    // the current folder) and never sees settings left by another test.
    char tmp[MAX_PATH];
    GetTempPathA(sizeof(tmp), tmp);
    snprintf(szWorkDir, sizeof(szWorkDir), "%skxtest-%lu", tmp, GetCurrentProcessId());
    RemoveWorkDir();        // what a test process of the same number left when it was killed
    CreateDirectoryA(szWorkDir, NULL);
    SetCurrentDirectoryA(szWorkDir);
    DeleteFileA(IniPath().c_str());
    RemoveUserIni();

    pfnGetTickCount = fake::GetTick;
    pfnMessageBeep = fake::Beep;
    pfnSetSystemTime = fake::SetClock;      // never the real clock
    pfnGetSystemTimeAsFileTime = fake::GetClock;
    pfnGetTimeZoneInformation = fake::GetZone;
    pfnWinHelp = fake::Help;

    WSADATA wsa;
    WSAStartup(0x0101, &wsa);
    vRegisterControls(GetModuleHandleA(NULL));

    int rc = RUN_ALL_TESTS();

    DeleteFileA(IniPath().c_str());
    RemoveUserIni();
    RemoveWorkDir();
    return rc;
}
