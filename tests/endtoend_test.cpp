// The finished program: Kalvex32.exe started as its own process and driven
// from outside through its main dialog, against servers on loopback
// addresses only.
#include <gtest/gtest.h>

#include <cstdio>

#include "driver.h"
#include "harness.h"
#include "../app/helpview.h"

static void ExitThroughButton(HWND hDlg)
{
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED),
                 (LPARAM)GetDlgItem(hDlg, IDC_EXIT));
}

static bool StartsWith(const std::string &s, const std::string &prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

// The local server tells our own time, found right to within the half
// second that one answer allows, one an hour ahead, or one of ten years ago.  Wine, like Windows without the right to
// change the time, refuses to step the clock and never touches this
// computer's; a real Windows might obey.  The time before the release is
// never handed to the clock at all.
TEST(EndToEnd, TimeProbeSetsTheClockOrSaysWhyNot)
{
    if (!UnderWine())
        GTEST_SKIP() << "the real program would set this computer's clock";
    struct { int n; const char *offset, *second; } rows[] = {
        {1, "0", "\r\nClock left as it was: right to within "},
        {7, "3600", "\r\nClock not set: system error #1314 "},
        {8, "-315360000", "\r\nClock not set: the time received is earlier than this program's "
                          "release (" KX_RELEASE_DATE ")"},
    };
    for (auto &r : rows) {
        DeleteFileA("kalvex.err");
        Child server(ServerExe(), LoopAddr(r.n) + " -t 30 -o " + r.offset);
        ASSERT_TRUE(server.Started());
        WriteSettings({{"Host", LoopAddr(r.n)}, {"Service", "Time"}, {"AutoStart", "1"},
                       {"TZ", "GMT0"}});
        Child kalvex(KalvexExe());
        HWND hDlg = kalvex.WaitDialog();
        ASSERT_TRUE(hDlg != NULL);
        std::string shown;
        EXPECT_TRUE(PumpUntil([&] {
            shown = ItemText(hDlg, IDC_RESULTS);
            return StartsWith(shown, "Time from " + LoopAddr(r.n) + ": ");
        }, 10000)) << shown;
        SYSTEMTIME now;
        GetSystemTime(&now);
        std::string tail = " GMT" + std::string(r.second);
        const bool notSet = r.n != 1;
        if (r.offset[0] != '-')
            tail = std::to_string(now.wYear) + tail;
        EXPECT_NE(std::string::npos, shown.find(tail)) << shown;
        EXPECT_EQ("1", ItemText(hDlg, IDC_RECV));
        EXPECT_TRUE(StartsWith(WindowCaption(hDlg), KX_TITLE " online for "));
        ExitThroughButton(hDlg);
        EXPECT_EQ(0, kalvex.ExitCode());
        // a clock not set is one log record of the whole text
        std::string log = ReadWholeFile("kalvex.err");
        if (!notSet) {
            EXPECT_EQ("", log);
        } else {
            EXPECT_EQ(0u, log.rfind("\r\n\n")) << log;
            EXPECT_NE(std::string::npos, log.find(" -=- " + shown + " my IP = ")) << log;
        }
    }
}

TEST(EndToEnd, FirstStartWritesTheSettingsFile)
{
    ASSERT_FALSE(FileExists(IniPath()));
    Child kalvex(KalvexExe());
    HWND hDlg = kalvex.WaitDialog();
    ASSERT_TRUE(hDlg != NULL);
    // Opening reads the settings and writes nothing.
    EXPECT_EQ("60", ItemText(hDlg, IDC_INTERVAL));
    EXPECT_FALSE(FileExists(IniPath()));

    // Never the default host: that is a public server.
    SetDlgItemTextA(hDlg, IDC_HOST, LoopAddr(3).c_str());
    SetDlgItemTextA(hDlg, IDC_INTERVAL, "45");
    PostMessageA(hDlg, WM_COMMAND, IDC_START, 0);
    EXPECT_TRUE(PumpUntil([] { return FileExists(IniPath()); }, 10000));
    EXPECT_TRUE(PumpUntil([] { return Setting("Service") == "Kalv"; }, 10000));
    EXPECT_EQ(LoopAddr(3), Setting("Host"));
    EXPECT_EQ("45", Setting("Interval"));
    EXPECT_EQ("0", Setting("Autostart"));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, IDC_START)));

    ExitThroughButton(hDlg);
    EXPECT_EQ(0, kalvex.ExitCode());
}

// Closed in the middle of a run, with a probe still waiting for its answer
// from a server that says nothing.
TEST(EndToEnd, CloseBoxDuringAProbeEndsTheProgramWithZero)
{
    ServerScript silent;
    silent.holdMs = 8000;
    LoopServer server(LoopAddr(5), 37, silent);
    ASSERT_TRUE(server.Listening());
    WriteSettings({{"Host", LoopAddr(5)}, {"Service", "Time"}, {"AutoStart", "1"}});
    Child kalvex(KalvexExe());
    HWND hDlg = kalvex.WaitDialog();
    ASSERT_TRUE(hDlg != NULL);
    EXPECT_TRUE(PumpUntil([&] { return server.Accepted() == 1; }, 10000));
    PostMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0, kalvex.ExitCode());
    EXPECT_TRUE(server.WaitDone());
    EXPECT_TRUE(server.PeerClosed() || server.PeerReset());
}

// Covered by another window or minimized, the first copy comes to the
// front where it was, and the second ends with 0 without a dialog.
TEST(EndToEnd, SecondStartFindsTheFirstAndEndsWithZero)
{
    Child first(KalvexExe());
    HWND hDlg = first.WaitDialog();
    ASSERT_TRUE(hDlg != NULL);
    RECT before, after;
    GetWindowRect(hDlg, &before);
    HWND hCover = CreateWindowA("STATIC", "cover", WS_POPUP | WS_VISIBLE, before.left, before.top,
                                before.right - before.left, before.bottom - before.top, NULL, NULL, NULL, NULL);
    SetForegroundWindow(hCover);
    ASSERT_EQ(hCover, GetForegroundWindow());
    {
        Child second(KalvexExe());
        EXPECT_EQ(0, second.ExitCode());
    }
    // Wine may carry that out after the second copy has ended.
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == hDlg; }, 20000));
    DestroyWindow(hCover);
    GetWindowRect(hDlg, &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    PostMessageA(hDlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(hDlg) != FALSE; }, 20000));
    {
        Child second(KalvexExe());
        EXPECT_EQ(0, second.ExitCode());
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(hDlg); }, 20000));
    GetWindowRect(hDlg, &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    EXPECT_EQ(1u, KalvexDialogs().size());
    EXPECT_TRUE(first.Running());
    ExitThroughButton(hDlg);
    EXPECT_EQ(0, first.ExitCode());
}

// Two copies let go at the same moment, fifty times over: each time one
// opens its dialog and the other ends with 0 without one.
TEST(EndToEnd, DoubleLaunchesGiveOneDialog)
{
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        Child a(KalvexExe(), "", "", SW_SHOWNORMAL, true), b(KalvexExe(), "", "", SW_SHOWNORMAL, true);
        ASSERT_TRUE(a.Started() && b.Started());
        a.Resume();
        b.Resume();
        ASSERT_TRUE(PumpUntil([&] { return a.Running() != b.Running(); }, 10000));
        const Child &first = a.Running() ? a : b, &second = a.Running() ? b : a;
        EXPECT_EQ(0, second.ExitCode(0));
        HWND hDlg = first.WaitDialog();
        ASSERT_TRUE(hDlg != NULL);
        EXPECT_EQ(1u, KalvexDialogs().size());
        ExitThroughButton(hDlg);
        EXPECT_EQ(0, first.ExitCode());
    }
}

// What a user can see of a freshly opened dialog.
static std::vector<std::string> Snapshot(HWND hDlg)
{
    std::vector<std::string> v = {WindowCaption(hDlg)};
    for (int id : {IDC_HOST, IDC_INTERVAL, IDC_TIMEZONE, IDC_RESULTS, IDC_SENT, IDC_RECV,
                   IDC_GOMIN, IDC_ALARM, IDC_STOPVAL, IDC_RATE})
        v.push_back(ItemText(hDlg, id));
    for (int id : {IDC_KALV, IDC_DAYTIME, IDC_TIME, IDC_AUTOSTART, IDC_AUTOSTOP})
        v.push_back(std::to_string(IsDlgButtonChecked(hDlg, id)));
    v.push_back(std::to_string(IsWindowEnabled(GetDlgItem(hDlg, IDC_START))));
    v.push_back(std::to_string(IsIconic(hDlg)) + std::to_string(IsWindowVisible(hDlg)));
    return v;
}

TEST(EndToEnd, CommandLineAndShowStateHaveNoEffect)
{
    SubFolder work("work");
    std::vector<std::string> plain;
    {
        Child kalvex(KalvexExe(), "", work.path);
        HWND hDlg = kalvex.WaitDialog();
        ASSERT_TRUE(hDlg != NULL);
        plain = Snapshot(hDlg);
        ExitThroughButton(hDlg);
        EXPECT_EQ(0, kalvex.ExitCode());
    }
    {
        Child kalvex(KalvexExe(), "/autostart -time " + LoopAddr(6) + " KALVEX.INI kalvex.err",
                     work.path, SW_SHOWMINNOACTIVE);
        HWND hDlg = kalvex.WaitDialog();
        ASSERT_TRUE(hDlg != NULL);
        EXPECT_EQ(plain, Snapshot(hDlg));
        // Posted commands are handled in turn: an automatic start asked for
        // at opening would have saved the settings before this Exit.
        ExitThroughButton(hDlg);
        EXPECT_EQ(0, kalvex.ExitCode());
    }
    EXPECT_FALSE(FileExists(work.File("KALVEX.INI")));
    EXPECT_FALSE(FileExists(work.File("kalvex.err")));
    EXPECT_FALSE(FileExists(IniPath()));
}

// The program and its help copied into a folder whose name the ANSI code
// page cannot spell, and started in a folder below it, named so too.
struct ForeignFolders {
    std::wstring dir, work;
    PROCESS_INFORMATION pi = {};
    ForeignFolders(const wchar_t *name, const wchar_t *workName)
    {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        dir = std::wstring(cwd) + L"\\" + name;
        work = dir + L"\\" + workName;
        CreateDirectoryW(dir.c_str(), NULL);
        CreateDirectoryW(work.c_str(), NULL);
        std::string exe = KalvexExe(), from = exe.substr(0, exe.rfind('\\') + 1);
        std::wstring wfrom(from.begin(), from.end());
        for (const wchar_t *f : {L"Kalvex32.exe", L"KALVEX.HLP"})
            CopyFileW((wfrom + f).c_str(), (dir + L"\\" + f).c_str(), FALSE);
    }
    ~ForeignFolders()
    {
        if (pi.hProcess) {
            TerminateProcess(pi.hProcess, 99);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        DeleteFileW((work + L"\\kalvex.err").c_str());
        RemoveDirectoryW(work.c_str());
        DeleteFileW((dir + L"\\Kalvex32.exe").c_str());
        DeleteFileW((dir + L"\\KALVEX.HLP").c_str());
        RemoveDirectoryW(dir.c_str());
    }
    HWND Start()
    {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        std::wstring exe = dir + L"\\Kalvex32.exe";
        if (!CreateProcessW(exe.c_str(), NULL, NULL, NULL, FALSE, 0, NULL, work.c_str(), &si, &pi))
            return NULL;
        std::vector<HWND> v;
        PumpUntil([&] { v = KalvexDialogs(pi.dwProcessId); return !v.empty() && IsWindowVisible(v[0]); }, 10000);
        return v.empty() ? NULL : v[0];
    }
    std::string Log() const
    {
        std::string s;
        FILE *f = _wfopen((work + L"\\kalvex.err").c_str(), L"rb");
        if (!f)
            return s;
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof(buf), f)) > 0;)
            s.append(buf, n);
        fclose(f);
        return s;
    }
};

// Help is found beside the program (not in the current folder), and the
// log of a refused probe is written in the program's current folder, not
// ours, whatever script they are named in.
TEST(EndToEnd, FoldersNamedOutsideTheCodePage)
{
    WriteSettings({{"Host", LoopAddr(4)}, {"Service", "Kalv"}, {"AutoStart", "1"}});
    ForeignFolders folder(L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b", L"\u0141ukasz");
    HWND hDlg = folder.Start();
    ASSERT_TRUE(hDlg != NULL);
    std::string log;
    EXPECT_TRUE(PumpUntil([&] {
        log = folder.Log();
        return log.find("Couldn't connect socket.") != std::string::npos;
    }, 10000)) << "Results: " << ItemText(hDlg, IDC_RESULTS);
    EXPECT_EQ(0u, log.find("\r\n\n" KX_TITLE " -=- ")) << log;
    EXPECT_NE(std::string::npos, log.find("10061")) << log;
    EXPECT_FALSE(FileExists("kalvex.err"));

    PostMessageA(hDlg, WM_COMMAND, IDC_HELPBTN, 0);
    HWND hHelp = NULL;
    ASSERT_TRUE(PumpUntil([&] { return (hHelp = FindWindowA("KalvexHelp", NULL)) != NULL; }, 10000));
    std::string text;
    EXPECT_TRUE(PumpUntil([&] { text = ItemText(hHelp, IDC_HELP_TEXT); return !text.empty(); }, 10000));
    EXPECT_EQ(0u, text.find("Kalvex32 Help\r\n=")) << text.substr(0, 300);

    ExitThroughButton(hDlg);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(folder.pi.hProcess, 10000));
}
