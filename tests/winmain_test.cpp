// Start-up run inside the test process: WinMain with a sockets start-up that
// the test decides, a watcher thread that answers the windows it opens, and
// a hook that records in which order they came and went.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "../app/seams.h"
#include "harness.h"
#include "../controls/controls.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

namespace {

int iStartups;                      // calls of the sockets start-up seam
WORD wAskedVersion;
int iStartupAnswer;                 // what the seam answers
std::vector<std::string> events;    // top-level windows created and destroyed

int PASCAL FakeStartup(WORD wVersion, LPWSADATA lpData)
{
    ++iStartups;
    wAskedVersion = wVersion;
    if (iStartupAnswer != 0)
        return iStartupAnswer;
    return WSAStartup(wVersion, lpData);
}

std::string ClassOf(HWND hWnd)
{
    char sz[64] = "";
    GetClassNameA(hWnd, sz, sizeof(sz));
    return sz;
}

LRESULT CALLBACK RecordWindows(int code, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = (HWND)wParam;
    if ((code == HCBT_CREATEWND || code == HCBT_DESTROYWND) &&
        !(GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
        std::string cls = ClassOf(hWnd);
        if (cls == "#32770" || cls == KX_CLASS_DIALOG)
            events.push_back((code == HCBT_CREATEWND ? "open " : "close ") + cls);
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

// Answers, from a thread of its own, what WinMain puts on the screen: OK for
// a message box, Exit for the main dialog.
struct Watcher {
    DWORD tid = GetCurrentThreadId();
    HANDLE hThread = NULL;
    volatile LONG stop = 0;
    std::string boxCaption, boxText, versionField;
    bool boxOwned = false, dialogSeen = false;
    bool forced = false;            // the dialog ignored Exit and was ended by force
    DWORD exitPosted = 0;

    Watcher() { hThread = CreateThread(NULL, 0, Run, this, 0, NULL); }
    ~Watcher() { Join(); }
    void Join()
    {
        if (!hThread)
            return;
        InterlockedExchange(&stop, 1);
        WaitForSingleObject(hThread, 10000);
        CloseHandle(hThread);
        hThread = NULL;
    }
    static DWORD WINAPI Run(LPVOID p)
    {
        auto *self = static_cast<Watcher *>(p);
        while (!self->stop) {
            EnumThreadWindows(self->tid, Answer, (LPARAM)self);
            // A dialog that does not end on Exit would hold the test until
            // its time runs out: end its loop and let the test say why.
            if (self->exitPosted && !self->forced && GetTickCount() - self->exitPosted > 10000) {
                self->forced = true;
                PostThreadMessageA(self->tid, WM_QUIT, 0, 0);
            }
            Sleep(20);
        }
        return 0;
    }
    static BOOL CALLBACK Answer(HWND hWnd, LPARAM lParam)
    {
        auto *self = reinterpret_cast<Watcher *>(lParam);
        if (!IsWindowVisible(hWnd))
            return TRUE;
        std::string cls = ClassOf(hWnd);
        if (cls == "#32770" && self->boxText.empty()) {
            self->boxCaption = WindowCaption(hWnd);
            self->boxText = ItemText(hWnd, 0xFFFF);
            self->boxOwned = GetWindow(hWnd, GW_OWNER) != NULL;
            PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        } else if (cls == KX_CLASS_DIALOG && GetDlgItem(hWnd, IDC_RESULTS) && !self->dialogSeen) {
            self->dialogSeen = true;
            self->versionField = ItemText(hWnd, IDC_WSVERSION);
            self->exitPosted = GetTickCount();
            PostMessageA(hWnd, WM_COMMAND, IDC_EXIT, 0);
        }
        return TRUE;
    }
};

struct Hook {
    HHOOK h = SetWindowsHookExA(WH_CBT, RecordWindows, NULL, GetCurrentThreadId());
    ~Hook() { UnhookWindowsHookEx(h); }
};

// Whether the sockets layer is up, without changing how often it was started.
bool SocketsUp()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return false;
    closesocket(s);
    return true;
}

int RunWinMain(const char *args = "", int show = SW_SHOWDEFAULT)
{
    char line[128];
    lstrcpynA(line, args, sizeof(line));
    return WinMain(GetModuleHandleA(NULL), NULL, line, show);
}

// WinMain run to its end with the watcher answering its windows, which the
// hook records; it returns 0 and its dialog ends on Exit.
struct WatchedRun : Watcher {
    explicit WatchedRun(const char *args = "", int show = SW_SHOWDEFAULT)
    {
        pfnWSAStartup = FakeStartup;
        {
            Hook hook;
            EXPECT_EQ(0, RunWinMain(args, show));
        }
        Join();
        EXPECT_FALSE(forced);
        EXPECT_TRUE(dialogSeen);
    }
};

// A window that looks to start-up like a dialog of some program.
struct Lookalike {
    HWND hWnd;
    Lookalike(const char *cls, const char *caption, bool minimized)
    {
        hWnd = CreateWindowA(cls, caption, WS_OVERLAPPEDWINDOW, 40, 50, 300, 200, NULL, NULL,
                             GetModuleHandleA(NULL), NULL);
        ShowWindow(hWnd, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
    }
    ~Lookalike() { DestroyWindow(hWnd); }
};

}  // namespace

TEST(WinMain, FailedSocketsStartShowsItsBoxBeforeTheDialogAndCleansUpOnce)
{
    iStartupAnswer = WSAVERNOTSUPPORTED;
    // One start-up more than the test program's own, so that a single
    // clean-up leaves the layer up and a second one would not.
    WSADATA wsa;
    ASSERT_EQ(0, WSAStartup(0x0101, &wsa));
    WatchedRun run;
    EXPECT_EQ(1, iStartups);
    EXPECT_EQ(0x0101, wAskedVersion);
    EXPECT_EQ("WSAStartup Error = 10092", run.boxText);
    EXPECT_EQ("Error", run.boxCaption);
    EXPECT_FALSE(run.boxOwned);
    std::vector<std::string> expected = {"open #32770", "close #32770", "open " KX_CLASS_DIALOG,
                                         "close " KX_CLASS_DIALOG};
    EXPECT_EQ(expected, events);
    EXPECT_EQ("", run.versionField);    // the failed start-up filled in nothing

    EXPECT_TRUE(SocketsUp());           // not cleaned up twice
    WSACleanup();
    EXPECT_FALSE(SocketsUp());          // but once
    EXPECT_EQ(WSANOTINITIALISED, WSAGetLastError());
    WSAStartup(0x0101, &wsa);
}

TEST(WinMain, StartsSocketsOpensTheDialogAndIgnoresItsArguments)
{
    WatchedRun run("/autostart -host 127.0.0.1", SW_HIDE);     // shown although asked to hide
    EXPECT_EQ(1, iStartups);
    EXPECT_TRUE(run.boxText.empty());
    std::vector<std::string> expected = {"open " KX_CLASS_DIALOG, "close " KX_CLASS_DIALOG};
    EXPECT_EQ(expected, events);
    EXPECT_FALSE(run.versionField.empty());     // the layer's own description
    EXPECT_FALSE(FileExists(IniPath()));    // no automatic start, so nothing saved
}

TEST(WinMain, RunningInstanceComesToTheFrontAndNothingElseStarts)
{
    pfnWSAStartup = FakeStartup;
    Hook hook;
    HANDLE hRunning = CreateMutexA(NULL, FALSE, KX_MUTEX_NAME);    // as the running copy holds it

    // The captions the dialog has while it is being set up, before its
    // first connection, and after one.  Bringing a covered copy to the
    // front is shown end to end.
    const char *const captions[] = {"Kalvex", KX_TITLE, KX_TITLE " online for 00:01:02; @IP 127.0.0.1"};
    for (const char *caption : captions) {
        Lookalike running(KX_CLASS_DIALOG, caption, true);
        ASSERT_TRUE(IsIconic(running.hWnd));
        EXPECT_EQ(0, RunWinMain());
        EXPECT_FALSE(IsIconic(running.hWnd)) << caption;
        EXPECT_EQ(running.hWnd, GetForegroundWindow()) << caption;
    }
    EXPECT_EQ(0, iStartups);

    // No start opened a window: all there was were the look-alikes.
    for (const std::string &e : events)
        EXPECT_TRUE(e == "open " KX_CLASS_DIALOG || e == "close " KX_CLASS_DIALOG) << e;
    EXPECT_EQ(2 * std::size(captions), events.size());
    CloseHandle(hRunning);
}

// Only a copy that holds the mutex runs; even a window just like its
// dialog does not make one.
TEST(WinMain, OnlyTheProgramsOwnDialogCountsAsRunning)
{
    // Gray dialogs of other titles, our title on another class, and a
    // dialog like ours of no running copy.
    Lookalike help(KX_CLASS_DIALOG, KX_TITLE " Help", true);
    Lookalike other(KX_CLASS_DIALOG, KX_TITLE "0", true);
    Lookalike plain("STATIC", KX_TITLE, true);
    Lookalike orphan(KX_CLASS_DIALOG, KX_TITLE, true);
    WatchedRun run;
    EXPECT_EQ(1, iStartups);
    EXPECT_TRUE(IsIconic(help.hWnd) && IsIconic(other.hWnd) && IsIconic(plain.hWnd) &&
                IsIconic(orphan.hWnd));
}
