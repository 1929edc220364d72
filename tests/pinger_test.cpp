// The main dialog from the program's own template, driven by messages:
// opening, the commands, the timer cycle under a fake clock, and the routing
// of socket notifications to the services against loopback servers.
#include <gtest/gtest.h>

#include <memory>
#include <algorithm>
#include <string>
#include <vector>

#include "kalvex_dialog.h"
#include "probe_support.h"
#include "../app/seams.h"
#include "../controller/meter.h"
#include "../controller/pinger.h"
#include "../controller/settings.h"
#include "../probe/connect.h"
#include "../probe/services.h"
#include "../timesvc/timesvc.h"

namespace {

const DWORD kT0 = 1000000;      // the fake tick count at the first step

// Pinger, once the settings it reads are written, unless those of an
// earlier dialog are to be read; the host never leaves the loopback network.
DLGPROC PingerReading(const std::string &host, bool bKeepSettings)
{
    if (!bKeepSettings) {
        WritePrivateProfileStringA("Default", "Host", host.c_str(), "KALVEX.INI");
        WritePrivateProfileStringA("Default", "HostList", (host + ";").c_str(), "KALVEX.INI");
    }
    return Pinger;
}

struct Dialog : KalvexDialog {
    explicit Dialog(const std::string &host = LoopAddr(1), bool bKeepSettings = false)
        : KalvexDialog(PingerReading(host, bKeepSettings))
    {
        PumpFor(50);    // the pre-selected radio's posted command
    }

    // Start with the test standing in for the one-second timer: each Step
    // is one timer message at a fake moment, `s` seconds after `base`.
    DWORD base = kT0;
    void Start() { StartAt(base); }
    void StartAt(DWORD tick)
    {
        fake::tick = tick;
        Command(IDC_START);
        KillTimer(hDlg, iTimer);
        PumpFor(50);    // the step that Start posts
    }
    void Step(double s)
    {
        fake::tick = base + (DWORD)(s * 1000);
        SendMessageA(hDlg, WM_TIMER, 0, 0);
    }
    void DueStep()
    {
        fake::tick = NextTickCount;
        SendMessageA(hDlg, WM_TIMER, 0, 0);
    }
};

// Kalv probes launched so far, letting each one run to its end: a probe to
// an address where nothing listens is refused and frees the service.
int LaunchedAfterStep(int &seen)
{
    bool launched = SentCount != seen;
    seen = SentCount;
    if (launched)
        PumpUntil([] { return !PingFlag; });
    return launched;
}

bool Connected(const Dialog &d)
{
    return ItemText(d.hDlg, IDC_RESULTS) == "Socket Connected..";
}

// The width of an icon's picture; 0 for no icon.
int IconWidth(HICON h)
{
    ICONINFO ii;
    BITMAP bm = {};
    if (!h || !GetIconInfo(h, &ii))
        return 0;
    GetObjectA(ii.hbmColor ? ii.hbmColor : ii.hbmMask, sizeof(bm), &bm);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return bm.bmWidth;
}

} // namespace

TEST(PingerOpen, InitialisesTitleAddressFieldsIconAndPlace)
{
    WSAStartup(0x0101, &WSAData);
    hIcon = CopyIcon(LoadIconA(NULL, IDI_APPLICATION));
    lstrcpynA(szMyIP, "stale", sizeof(szMyIP));
    Dialog d;
    ASSERT_TRUE(d.hDlg);
    EXPECT_EQ(d.hDlg, ghDlg);
    EXPECT_EQ(KX_TITLE, WindowCaption(d.hDlg));
    EXPECT_STREQ("Unknown", szMyIP);
    EXPECT_EQ(std::string(WSAData.szDescription), ItemText(d.hDlg, IDC_WSVERSION));
    EXPECT_EQ((LRESULT)hIcon, SendMessageA(d.hDlg, WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), IconWidth((HICON)SendMessageA(d.hDlg, WM_GETICON, ICON_BIG, 0)));
    EXPECT_EQ("$0.00", ItemText(d.hDlg, IDC_CHARGE));

    // Centred on the screen, its left edge on the nearest 8-pixel boundary.
    RECT rc;
    GetWindowRect(d.hDlg, &rc);
    EXPECT_NEAR(GetSystemMetrics(SM_CXSCREEN), rc.left + rc.right, 8);
    EXPECT_NEAR(GetSystemMetrics(SM_CYSCREEN), rc.top + rc.bottom, 1);
    EXPECT_EQ(0, rc.left % 8);
}

TEST(PingerOpen, PreselectsTheSavedServiceAndShowsItsField)
{
    struct Case { const char *saved; int radio; };
    const Case cases[] = {
        {"time", IDC_TIME}, {"TIME", IDC_TIME}, {"Time", IDC_TIME},
        {"daytime", IDC_DAYTIME}, {"DayTime", IDC_DAYTIME},
        {"Kalv", IDC_KALV}, {"Quote", IDC_KALV}, {"Finger", IDC_KALV},
        {"Users", IDC_KALV}, {"Day-Time", IDC_KALV}, {"Times", IDC_KALV}, {NULL, IDC_KALV},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.saved ? c.saved : "(no Service key)");
        WritePrivateProfileStringA("Default", "Service", c.saved, "KALVEX.INI");
        Dialog d;
        for (int r = IDC_KALV; r <= IDC_USERS; ++r)
            EXPECT_EQ(r == c.radio, d.Checked(r)) << r;
        bool bTime = c.radio == IDC_TIME;
        EXPECT_EQ(bTime, d.Shown(IDC_TIMEZONE));
        EXPECT_EQ(bTime, d.Shown(IDC_TZLABEL));
        EXPECT_FALSE(d.Shown(IDC_USER));
        EXPECT_FALSE(d.Shown(IDC_USERLABEL));
    }
}

TEST(PingerOpen, AutoStartProbesAtOnce)
{
    LoopServer srv(LoopAddr(1), KALV_PORT);
    ASSERT_TRUE(srv.Listening());
    WritePrivateProfileStringA("Default", "AutoStart", "1", "KALVEX.INI");
    Dialog d(LoopAddr(1));
    EXPECT_TRUE(PumpUntil([&] { return srv.Accepted() == 1; }, 20000));
    EXPECT_FALSE(d.Enabled(IDC_START));
    EXPECT_EQ(1, SentCount);
}

// A due step without a host starts, counts and logs nothing: an empty host
// would otherwise probe this computer itself.
TEST(PingerOpen, AutoStartWithoutAHostAsksForOne)
{
    WritePrivateProfileStringA("Default", "AutoStart", "1", "KALVEX.INI");
    Dialog d("");
    EXPECT_FALSE(d.Enabled(IDC_START));
    EXPECT_EQ("Enter a host to probe..", ItemText(d.hDlg, IDC_RESULTS));
    d.Set(IDC_HOST, "   ");
    SetDlgItemTextA(d.hDlg, IDC_RESULTS, "");
    d.Step(1);                  // always due
    EXPECT_EQ("Enter a host to probe..", ItemText(d.hDlg, IDC_RESULTS));
    PumpFor(100);
    EXPECT_EQ(0, SentCount);
    EXPECT_EQ(0, iErrorCount);
    EXPECT_EQ(0, PingFlag);
    EXPECT_FALSE(FileExists(KX_LOGFILE));
}

TEST(PingerCommands, ServiceChoiceShowsOnlyItsOwnField)
{
    Dialog d;
    struct Case { int radio; bool tz, user; };
    const Case cases[] = {
        {IDC_FINGER, false, true}, {IDC_TIME, true, false}, {IDC_KALV, false, false},
        {IDC_FINGER, false, true}, {IDC_DAYTIME, false, false}, {IDC_TIME, true, false},
        {IDC_QUOTE, false, false}, {IDC_TIME, true, false}, {IDC_USERS, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.radio);
        d.Command(c.radio);
        EXPECT_EQ(c.tz, d.Shown(IDC_TIMEZONE));
        EXPECT_EQ(c.tz, d.Shown(IDC_TZLABEL));
        EXPECT_EQ(c.user, d.Shown(IDC_USER));
        EXPECT_EQ(c.user, d.Shown(IDC_USERLABEL));
    }
    // A real click on a radio button does the same.
    SendDlgItemMessageA(d.hDlg, IDC_TIME, BM_CLICK, 0, 0);
    PumpFor(20);
    EXPECT_TRUE(d.Checked(IDC_TIME));
    EXPECT_TRUE(d.Shown(IDC_TIMEZONE));
}

std::string Saved(const char *key = "HostList")
{
    char sz[5000] = "";
    GetPrivateProfileStringA("Default", key, "<missing>", sz, sizeof(sz), "KALVEX.INI");
    return sz;
}

// A name is listed, and saved at once, only if it comes back from the file
// as itself; anything else beeps and changes nothing.
TEST(PingerCommands, AddHostListsOnlyNamesThatComeBackWhole)
{
    Dialog d;
    d.SetHosts({"b.example"});
    for (const char *refused : {"a;b.example", "a b.example", " ", "a\tb", "a.example\r\n", ""}) {
        int beeps = fake::beeps;
        d.Set(IDC_HOST, refused);
        d.Command(IDC_ADDHOST);
        EXPECT_EQ(beeps + 1, fake::beeps) << refused;
        EXPECT_EQ(std::vector<std::string>{"b.example"}, d.HostList()) << refused;
    }
    EXPECT_EQ(LoopAddr(1) + ";", Saved());     // as the dialog found it

    d.Set(IDC_HOST, "a.example");
    d.Command(IDC_ADDHOST);
    d.Command(IDC_ADDHOST);                     // a name listed twice is no harm
    EXPECT_EQ((std::vector<std::string>{"a.example", "a.example", "b.example"}), d.HostList());
    EXPECT_EQ("a.example;a.example;b.example;", Saved());
}

// The saved list has room for 4,095 characters: a name that would not fit
// whole is refused rather than dropped at the next save.
TEST(PingerCommands, AddHostRefusesANameTheFullListCannotHold)
{
    Dialog d;
    std::vector<std::string> hosts;
    for (char c = 'a'; c <= 'p'; ++c)           // 16 names of 253 and ";": 4,064
        hosts.push_back(std::string(253, c));
    d.SetHosts(hosts);
    d.Set(IDC_HOST, std::string(30, 'z'));  // 31 more: exactly full
    d.Command(IDC_ADDHOST);
    EXPECT_EQ(0, fake::beeps);
    d.Set(IDC_HOST, "y");
    d.Command(IDC_ADDHOST);
    EXPECT_EQ(1, fake::beeps);
    EXPECT_EQ(17, d.HostCount());
    EXPECT_EQ(4095u, Saved().size());
}

// Remove takes the entry equal to the text, or else the next that begins
// with it in any case, searched from the second entry on and round to the
// first last; the first entry is then shown and the list saved.
TEST(PingerCommands, RemoveHostUsesTheListsOwnSearchAndSelectsTheFirst)
{
    using Hosts = std::vector<std::string>;
    const Hosts abc = {"alpha.example", "alpine.example", "beta.example"},
                tens = {"10.0.0.1", "10.0.0.10", "10.0.0.100"};
    const struct { Hosts before; const char *text; Hosts after; } cases[] = {
        {abc, "zeta.example", abc},
        {abc, "AL", {"alpha.example", "beta.example"}},
        {{"alpha.example", "beta.example"}, "Alpha.Example", {"beta.example"}},
        {tens, "10.0.0.1", {"10.0.0.10", "10.0.0.100"}},
        {tens, "10.0.0.1\r\n", {"10.0.0.10", "10.0.0.100"}},
        {{"10.0.0.10", "10.0.0.100"}, "10.0.0.10", {"10.0.0.100"}},
    };
    Dialog d;
    for (auto &c : cases) {
        SCOPED_TRACE(c.text);
        d.SetHosts(c.before);
        d.Set(IDC_HOST, c.text);
        d.Command(IDC_REMOVEHOST);
        EXPECT_EQ(c.after, d.HostList());
        EXPECT_EQ(c.after[0], ItemText(d.hDlg, IDC_HOST));
        std::string saved;
        for (auto &h : c.after)
            saved += h + ";";
        if (c.after != c.before) {
            EXPECT_EQ(saved, Saved());
        }
    }
}

// What "+" lists and what Start saves comes back whole at the next opening,
// a host name of the longest DNS allows included, without Start in between.
TEST(PingerCommands, LongHostAndListEditSurviveExit)
{
    const std::string longHost = std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                                 std::string(63, 'c') + "." + std::string(53, 'd') + ".invalid";
    ASSERT_EQ(253u, longHost.size());
    {
        Dialog d;
        d.Set(IDC_HOST, longHost);
        d.Command(IDC_ADDHOST);
        d.Command(IDC_EXIT);
    }
    {
        Dialog d(LoopAddr(1), true);
        EXPECT_EQ((std::vector<std::string>{LoopAddr(1), longHost}), d.HostList());
        EXPECT_EQ(LoopAddr(1), ItemText(d.hDlg, IDC_HOST));
        // Start saves the Host; Exit comes before the first step can probe.
        d.Set(IDC_HOST, longHost);
        d.Command(IDC_START);
        d.Command(IDC_EXIT);
    }
    Dialog d(LoopAddr(1), true);
    EXPECT_EQ(longHost, ItemText(d.hDlg, IDC_HOST));
    EXPECT_EQ((std::vector<std::string>{LoopAddr(1), longHost}), d.HostList());
    EXPECT_EQ(0, SentCount);
}

TEST(PingerCommands, HelpOpensTheContents)
{
    Dialog d;
    d.Command(IDC_HELPBTN);
    ASSERT_EQ(1u, fake::helpCalls.size());
    EXPECT_EQ("KALVEX.HLP", fake::helpCalls[0].file);
    EXPECT_EQ((UINT)HELP_CONTENTS, fake::helpCalls[0].command);
}

TEST(PingerCommands, EnterEscapeAndUnknownCommandsDoNothing)
{
    Dialog d;
    EXPECT_FALSE(Pinger(d.hDlg, WM_COMMAND, IDOK, 0));
    EXPECT_FALSE(Pinger(d.hDlg, WM_COMMAND, IDCANCEL, 0));
    EXPECT_FALSE(Pinger(d.hDlg, WM_COMMAND, MAKEWPARAM(IDC_HOST, CBN_EDITCHANGE), 0));
    EXPECT_FALSE(Pinger(d.hDlg, WM_COMMAND, 999, 0));
    EXPECT_FALSE(Pinger(d.hDlg, WM_USER + 77, 0, 0));
    EXPECT_TRUE(fake::helpCalls.empty());
    EXPECT_EQ(0, fake::beeps);
}

// The two notices share their numbers with the dialog manager's DM_SETDEFID
// and DM_REPOSITION: passed on, a socket handle would become the button
// that Enter presses, and a finished lookup would move the window.
TEST(PingerCommands, SocketNoticesAreNotTakenForDialogMessages)
{
    Dialog d;
    const LRESULT defId = SendMessageA(d.hDlg, DM_GETDEFID, 0, 0);
    SetWindowPos(d.hDlg, NULL, -3000, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(Pinger(d.hDlg, WM_SOCKET_EVENT, IDC_EXIT, WSAMAKESELECTREPLY(FD_READ, 0)));
    EXPECT_TRUE(Pinger(d.hDlg, WM_HOST_RESOLVED, 1, 0));
    SendMessageA(d.hDlg, WM_SOCKET_EVENT, IDC_EXIT, WSAMAKESELECTREPLY(FD_READ, 0));
    SendMessageA(d.hDlg, WM_HOST_RESOLVED, 1, 0);
    EXPECT_EQ(defId, SendMessageA(d.hDlg, DM_GETDEFID, 0, 0));
    RECT rc;
    GetWindowRect(d.hDlg, &rc);
    EXPECT_EQ(-3000, rc.left);
    EXPECT_EQ(-3000, rc.top);
}

TEST(PingerRun, StartLocksTheServiceChoiceAndStopFreesIt)
{
    Dialog d(LoopAddr(1));
    const int locked[] = {IDC_START, IDC_KALV, IDC_DAYTIME, IDC_TIME, IDC_QUOTE, IDC_FINGER, IDC_USERS};
    const int unlocked[] = {IDC_STOP, IDC_EXIT, IDC_HELPBTN, IDC_HOST, IDC_INTERVAL, IDC_TIMEZONE, IDC_AUTOSTART};

    EXPECT_TRUE(Pinger(d.hDlg, WM_COMMAND, IDC_STOP, 0));      // before any Start: no beep
    EXPECT_EQ(0, fake::beeps);

    EXPECT_TRUE(Pinger(d.hDlg, WM_COMMAND, IDC_START, 0));
    for (int id : locked)
        EXPECT_FALSE(d.Enabled(id)) << id;
    for (int id : unlocked)
        EXPECT_TRUE(d.Enabled(id)) << id;

    ShowWindow(d.hDlg, SW_MINIMIZE);
    EXPECT_TRUE(Pinger(d.hDlg, WM_COMMAND, IDC_STOP, 0));
    EXPECT_EQ(1, fake::beeps);
    EXPECT_FALSE(IsIconic(d.hDlg));
    for (int id : locked)
        EXPECT_TRUE(d.Enabled(id)) << id;
    EXPECT_FALSE(d.Shown(IDC_QUOTE));           // enabled, but still never seen

    d.Command(IDC_STOP);                        // every later Stop beeps too
    EXPECT_EQ(2, fake::beeps);
}

// Only a text that gives less than the floor is replaced in the field.
TEST(PingerRun, StartTakesTheIntervalWithAFloorOfTwenty)
{
    Dialog d(LoopAddr(1));
    const struct { const char *typed; int secs; const char *shown; } cases[] = {
        {"75s", 75, "75s"}, {" +90", 90, " +90"}, {"19", 20, "20"}, {"7s", 20, "20"}, {"abc", 20, "20"},
        {"-60", 20, "20"}, {"20", 20, "20"}, {"99999999999999999", KX_MAX_INTERVAL, "99999999999999999"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.typed);
        d.Set(IDC_INTERVAL, c.typed);
        d.Command(IDC_START);
        EXPECT_EQ(c.secs, iTimeVal);
        EXPECT_EQ(c.shown, ItemText(d.hDlg, IDC_INTERVAL));
        d.Command(IDC_STOP);
    }
}

// A line break in a field ends its text where it is used and saved, so it
// can start no key or section of its own in the file.
TEST(PingerRun, FieldsAreCutAtTheirFirstControlCharacter)
{
    Dialog d;
    d.Set(IDC_HOST, LoopAddr(2) + "\r\n[Special]\r\nStopErrorCount=1");
    d.Set(IDC_TIMEZONE, "EST5EDT\r\nHost=elsewhere");
    d.Set(IDC_USER, "bob\tsmith");
    d.Start();
    EXPECT_EQ(1, SentCount);
    const std::pair<int, const char *> cut[] = {{IDC_TIMEZONE, "EST5EDT"}, {IDC_USER, "bob"}};
    for (auto &c : cut)
        EXPECT_EQ(c.second, ItemText(d.hDlg, c.first));
    EXPECT_EQ(LoopAddr(2), ItemText(d.hDlg, IDC_HOST));
    WritePrivateProfileStringA(NULL, NULL, NULL, "KALVEX.INI");
    std::string file = ReadWholeFile(IniPath());
    EXPECT_EQ(0u, file.find("[Default]\r\nHost=" + LoopAddr(2) + "\r\n")) << file;
    EXPECT_NE(std::string::npos, file.find("\r\nTZ=EST5EDT\r\nAlarm=")) << file;
    EXPECT_EQ(std::string::npos, file.find("[Special]")) << file;
    EXPECT_EQ(std::string::npos, file.find("elsewhere")) << file;
    PumpUntil([] { return !PingFlag; });
}

// An interval too long for the due test is held at the longest one that
// fits, jitter and all, never wrapped round into a short one; the field and
// the settings keep what was typed.
TEST(PingerRun, HugeIntervalStaysLong)
{
    Dialog d(LoopAddr(1));
    d.base = 0x90000000;                // every due time lies past the tick count's wrap
    d.Set(IDC_INTERVAL, "5000000");
    int seen = 0;
    d.Start();
    EXPECT_EQ(1, LaunchedAfterStep(seen));
    // The always-due second step, then the longest interval twice over: at
    // the second, 13 s of jitter would be added.
    const double M = KX_MAX_INTERVAL;
    const struct { double s; int launched; } steps[] = {
        {1, 1}, {M - 0.001, 0}, {M, 1}, {2 * M - 0.001, 0}, {2 * M, 1}};
    for (auto &st : steps) {
        d.Step(st.s);
        EXPECT_EQ(st.launched, LaunchedAfterStep(seen)) << st.s;
    }
    EXPECT_EQ("5000000", ItemText(d.hDlg, IDC_INTERVAL));
    EXPECT_EQ("5000000", Saved("Interval"));
}

TEST(PingerRun, TimerRunsOnItsOwnUntilStop)
{
    Dialog d(LoopAddr(1));      // nothing listens: each probe is refused
    fake::tick = kT0;
    d.Command(IDC_START);
    EXPECT_TRUE(PumpUntil([] { return SentCount == 1; }));        // the posted step
    PumpUntil([] { return !PingFlag; });
    fake::tick = kT0 + 1000;
    EXPECT_TRUE(PumpUntil([] { return SentCount == 2; }, 20000)); // a real timer step
    PumpUntil([] { return !PingFlag; });
    d.Command(IDC_STOP);
    EXPECT_FALSE(KillTimer(d.hDlg, iTimer));                        // none left to run
}

// The next probe is measured from the step that made the last one: the
// step half a second late at 60 s delays every later launch by as much,
// which whole-second steps see one step later.
TEST(PingerRun, FirstRunFollowsTheJitteredSchedule)
{
    Dialog d(LoopAddr(1));
    d.base = 0u - 100000;       // the tick count wraps 100 s into the run
    d.Set(IDC_INTERVAL, "60");
    std::vector<int> launches;
    int seen = 0;
    d.Start();
    if (LaunchedAfterStep(seen))
        launches.push_back(0);
    for (int s = 1; s < 755; ++s) {
        d.Step(s == 60 ? 60.5 : s);
        if (LaunchedAfterStep(seen))
            launches.push_back(s > 60 ? s - 1 : s);
    }
    const std::vector<int> onTime = {0, 1, 60, 133, 190, 251, 306, 366, 411, 472, 522, 586, 646, 707};
    EXPECT_EQ(onTime, launches);
    d.Step(755);
    EXPECT_EQ(1, LaunchedAfterStep(seen));
}

TEST(PingerRun, StartAfterStopKeepsTheScheduledTime)
{
    Dialog d(LoopAddr(1));
    d.Set(IDC_INTERVAL, "60");
    int seen = 0;
    d.Start();
    LaunchedAfterStep(seen);
    d.Step(1);
    LaunchedAfterStep(seen);
    d.Step(10);
    d.Command(IDC_STOP);

    d.StartAt(kT0 + 20000);     // due again at 60 s, scheduled before the Stop
    EXPECT_EQ("Next probe in 40 seconds..", ItemText(d.hDlg, IDC_RESULTS));
    seen = SentCount;           // Start cleared the count
    EXPECT_EQ(0, seen);
    for (int s = 21; s < 60; ++s) {
        d.Step(s);
        EXPECT_EQ(0, LaunchedAfterStep(seen)) << s;
    }
    d.Step(60);
    EXPECT_EQ(1, LaunchedAfterStep(seen));
    // Past the due time of 133 s, and weeks later, Start probes at once.
    for (DWORD later : {300000u, 30 * 86400000u}) {
        d.Command(IDC_STOP);
        d.StartAt(kT0 + later);
        EXPECT_EQ(1, SentCount) << later;
    }
}

// A due time set with a far longer interval before a Stop is brought
// forward to the new interval and the largest jitter, and Start says so.
TEST(PingerRun, StartWaitsNoLongerThanTheNewInterval)
{
    Dialog d(LoopAddr(1));
    d.Set(IDC_INTERVAL, "2147483");
    int seen = 0;
    d.Start();
    EXPECT_EQ(1, LaunchedAfterStep(seen));
    d.Command(IDC_STOP);

    d.Set(IDC_INTERVAL, "20");
    d.base += 5000;
    d.Start();
    EXPECT_EQ("Next probe in 35 seconds..", ItemText(d.hDlg, IDC_RESULTS));
    seen = 0;
    int at = 0;
    for (int s = 1; s <= 40 && !at; ++s) {
        d.Step(s);
        if (LaunchedAfterStep(seen))
            at = s;
    }
    EXPECT_EQ(35, at);
}

// A busy service is skipped while its probe is young.  Once the probe has
// hung for 10 s it is given up at the next step, due or not, and what it
// says stays in view until the next probe begins.
TEST(PingerRun, BusyServiceIsSkippedUntilItIsGivenUp)
{
    ServerScript silent;
    silent.holdMs = 10000;
    LoopServer srv(LoopAddr(2), DAYTIME_PORT, silent, 2);
    ASSERT_TRUE(srv.Listening());
    Dialog d(LoopAddr(2));
    d.Choose(IDC_DAYTIME);
    d.Set(IDC_INTERVAL, "60");
    d.Start();
    ASSERT_EQ(1, SentCount);
    ASSERT_TRUE(PumpUntil([&] { return Connected(d); }));

    iErrorCount = 2;            // neither counted up nor cleared by a skip
    d.Step(1);                  // due, but the probe is only a second old: skipped,
    PumpFor(100);               // and the next probe is due a full interval later
    EXPECT_EQ(1, SentCount);
    EXPECT_EQ(2, iErrorCount);
    EXPECT_EQ(1, srv.Accepted());
    EXPECT_EQ(1, DayTimeFlag);

    d.Step(9.9);
    EXPECT_TRUE(Connected(d));
    const std::string given = "No answer from " + LoopAddr(2) + " in time..";
    for (double s : {10.0, 11.0}) {
        d.Step(s);
        PumpFor(100);
        EXPECT_EQ(given, ItemText(d.hDlg, IDC_RESULTS)) << s;
        EXPECT_EQ(0, DayTimeFlag);
        EXPECT_EQ(1, SentCount);
    }
    EXPECT_NE(std::string::npos, LogText().find(given + " my IP = ")) << LogText();
    d.Step(60);
    EXPECT_EQ(2, SentCount);
    ASSERT_TRUE(PumpUntil([&] { return Connected(d); }));

    d.Command(IDC_STOP);        // Stop closes the busy service
    EXPECT_EQ(0, DayTimeFlag);
    EXPECT_TRUE(srv.WaitDone());
}

TEST(PingerRun, HostTypedDuringARunIsUsedFromTheNextDueStep)
{
    LoopServer first(LoopAddr(3), KALV_PORT, ServerScript(), 3);
    LoopServer second(LoopAddr(4), KALV_PORT, ServerScript(), 3);
    ASSERT_TRUE(first.Listening() && second.Listening());
    Dialog d(LoopAddr(3));
    d.Set(IDC_INTERVAL, "60");
    int seen = 0;
    d.Start();
    LaunchedAfterStep(seen);
    EXPECT_TRUE(PumpUntil([&] { return first.Accepted() == 1; }));

    d.Set(IDC_HOST, LoopAddr(4));
    d.Step(0.5);                // not due: nothing goes anywhere
    d.Step(1);
    EXPECT_EQ(1, LaunchedAfterStep(seen));
    d.Step(60);
    EXPECT_EQ(1, LaunchedAfterStep(seen));
    EXPECT_TRUE(PumpUntil([&] { return second.Accepted() == 2; }));
    EXPECT_EQ(1, first.Accepted());
    EXPECT_EQ(LoopAddr(4), ItemText(d.hDlg, IDC_HOST));
    ASSERT_EQ(1, d.HostCount());                // the list is not stepped through
    EXPECT_EQ(LoopAddr(3), d.HostEntry(0));
}

// However a probe ends, or fails to, the next due step probes again.  The
// failure itself is shown and logged as ever; a probe given up on leaves one
// record that names its host, but a young one is left alone.
TEST(PingerRecovery, NextDueStepProbesAgainAfterAnyFailure)
{
    ServerScript hangs, mute, slams;
    hangs.holdMs = 60000;
    mute.holdMs = 0;
    slams.first = "Sat Dec  7 12:00:00 2024\r\n";
    slams.reset = true;
    const std::string h[] = {LoopAddr(12), LoopAddr(13), LoopAddr(14), LoopAddr(15), LoopAddr(16)};
    struct Case {
        const char *what;
        int radio;
        const ServerScript *script;
        std::string host, logged;
    };
    const Case cases[] = {
        {"hung", IDC_TIME, &hangs, h[0], "No answer from " + h[0] + " in time.."},
        {"refused", IDC_DAYTIME, nullptr, h[1], Refused()},
        {"refused", IDC_TIME, nullptr, h[1], Refused()},
        {"no address", IDC_TIME, nullptr, "kx-nowhere.invalid",
         "Couldn't resolve host name or address kx-nowhere.invalid\r\nPress help button.."},
        {"closed without a word", IDC_TIME, &mute, h[2], "Time from " + h[2] + " didn't come in.."},
        {"closed without a word", IDC_DAYTIME, &mute, h[3], ""},
        {"reply and reset", IDC_DAYTIME, &slams, h[4], ""},
    };
    DWORD base = kT0;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + (c.radio == IDC_TIME ? "Time" : "DayTime"));
        const int *pBusy = c.radio == IDC_TIME ? &TimeFlag : &DayTimeFlag;
        std::unique_ptr<LoopServer> srv;
        if (c.script)
            srv.reset(new LoopServer(c.host, c.radio == IDC_TIME ? TIME_PORT : DAYTIME_PORT, *c.script, 2));
        DeleteFileA(KX_LOGFILE);
        Dialog d(c.host);
        d.Choose(c.radio);
        d.base = base += 1000000;       // long after the last run's due time
        d.Start();
        ASSERT_EQ(1, SentCount);
        if (c.script == &hangs) {
            ASSERT_TRUE(PumpUntil([&] { return Connected(d); }));
            d.Step(1);                  // the always-due step comes too early
            EXPECT_EQ(1, SentCount);
            EXPECT_FALSE(LogExists());
        } else if (!PumpUntil([&] { return *pBusy == 0; })) {
            // Now and then Wine never tells of a reset that follows the
            // reply at once: that probe waits for its timeout, as a hung one.
            ASSERT_EQ(&slams, c.script);
            NextTickCount = std::max(NextTickCount, base + 10000);
        }
        d.DueStep();
        EXPECT_EQ(2, SentCount);
        if (srv) {
            EXPECT_TRUE(PumpUntil([&] { return srv->Accepted() == 2; }));
        }
        if (!c.logged.empty()) {
            EXPECT_NE(std::string::npos, LogText().find(c.logged + " my IP = ")) << LogText();
        }
        d.Command(IDC_STOP);
    }
}

// A probe closed by Stop leaves nothing behind that could act on the next
// one: neither the lookup answer that a dotted host posts at once, nor a
// name's lookup, nor its connect.
TEST(PingerRecovery, StormsOfStartAndStopLogNothing)
{
    LoopServer srv(LoopAddr(17), KALV_PORT, ServerScript(), 100);
    ASSERT_TRUE(srv.Listening());
    Dialog d(LoopAddr(17));
    for (int i = 0; i < 30; ++i) {
        d.Set(IDC_HOST, i % 3 == 1 ? "localhost" : LoopAddr(17));
        fake::tick = d.base += 1000000;
        d.Command(IDC_START);
        KillTimer(d.hDlg, iTimer);
        ASSERT_TRUE(PumpUntil([] { return SentCount == 1; }));
        if (i % 3 == 2)
            PumpUntil([&] { return ItemText(d.hDlg, IDC_RESULTS) == "Connecting Socket.."; });
        d.Command(IDC_STOP);
    }
    PumpFor(300);
    EXPECT_FALSE(LogExists()) << LogText();
    EXPECT_EQ(0, PingFlag);

    int before = srv.Accepted();
    d.base += 1000000;
    d.Start();                  // and the next run probes as ever
    EXPECT_TRUE(PumpUntil([&] { return srv.Accepted() == before + 1 && !PingFlag; }));
    EXPECT_EQ("Socket Connected..", ItemText(d.hDlg, IDC_RESULTS));
    EXPECT_FALSE(LogExists()) << LogText();
}

TEST(PingerRecovery, AutoStopKeepsItsWordAndLogsNothing)
{
    LoopServer srv(LoopAddr(18), KALV_PORT, ServerScript(), 2);
    ASSERT_TRUE(srv.Listening());
    Dialog d(LoopAddr(18));
    d.Set(IDC_STOPVAL, "2");
    CheckDlgButton(d.hDlg, IDC_AUTOSTOP, BST_CHECKED);
    d.Start();
    ASSERT_TRUE(PumpUntil([] { return !PingFlag; }));
    d.Step(1);                  // the second probe, and with it the stop
    EXPECT_EQ(0, PingFlag);
    PumpFor(300);
    EXPECT_TRUE(d.Enabled(IDC_START));
    EXPECT_EQ("Stopped as ordered..", ItemText(d.hDlg, IDC_RESULTS));
    EXPECT_FALSE(LogExists()) << LogText();
    EXPECT_EQ(2, SentCount);
}

// What the probe does not wait for at its stage is dropped without a trace:
// no text, no record, no change to the probe.
TEST(PingerRecovery, StaleNotificationsAreDropped)
{
    ServerScript silent;
    silent.holdMs = 10000;
    LoopServer srv(LoopAddr(19), DAYTIME_PORT, silent);
    ASSERT_TRUE(srv.Listening());
    Dialog d("localhost");
    d.Choose(IDC_DAYTIME);
    SOCKET other = socket(AF_INET, SOCK_STREAM, 0);
    auto dropped = [&](const char *stage, UINT msg, WPARAM w, int event) {
        SCOPED_TRACE(std::string(stage) + ": " + std::to_string(msg) + "/" + std::to_string(event));
        std::string shown = ItemText(d.hDlg, IDC_RESULTS);
        int busy = DayTimeFlag;
        SendMessageA(d.hDlg, msg, w, msg == WM_SOCKET_EVENT ? WSAMAKESELECTREPLY(event, 0) : 0);
        EXPECT_EQ(shown, ItemText(d.hDlg, IDC_RESULTS));
        EXPECT_EQ(busy, DayTimeFlag);
    };
    auto events = [&](const char *stage, WPARAM w, std::initializer_list<int> list) {
        for (int e : list)
            dropped(stage, WM_SOCKET_EVENT, w, e);
    };
    auto launch = [&](DWORD at) {
        fake::tick = at;
        d.Command(IDC_START);
        KillTimer(d.hDlg, iTimer);
        SendMessageA(d.hDlg, WM_TIMER, 0, 0);      // due: the probe starts
    };

    launch(kT0);
    ASSERT_NE((HANDLE)0, hWGHBN);
    dropped("looking up", WM_HOST_RESOLVED, 1, 0);
    dropped("looking up", WM_HOST_RESOLVED, (WPARAM)hWGHBN + 1, 0);
    events("looking up", cli_sock, {FD_CONNECT, FD_READ, FD_WRITE, FD_CLOSE});
    d.Command(IDC_STOP);        // the answer, whenever it comes, is the closed probe's
    PumpFor(300);
    EXPECT_EQ("Resolving host address..", ItemText(d.hDlg, IDC_RESULTS));

    d.Set(IDC_HOST, LoopAddr(19));
    launch(kT0 + 100000);
    dropped("dotted", WM_HOST_RESOLVED, 2, 0);
    events("dotted", cli_sock, {FD_CONNECT, FD_READ, FD_WRITE, FD_CLOSE});
    ASSERT_TRUE(PumpUntil([&] { return ItemText(d.hDlg, IDC_RESULTS) == "Connecting Socket.."; }));
    dropped("connecting", WM_HOST_RESOLVED, 1, 0);
    events("connecting", cli_sock, {FD_READ, FD_WRITE, FD_CLOSE});
    ASSERT_TRUE(PumpUntil([&] { return Connected(d); }));
    dropped("connected", WM_HOST_RESOLVED, 1, 0);
    events("connected", cli_sock, {FD_CONNECT});
    events("connected", other, {FD_READ, FD_CLOSE});
    SOCKET old = cli_sock;
    d.Command(IDC_STOP);
    dropped("stopped", WM_HOST_RESOLVED, 1, 0);
    events("stopped", old, {FD_CONNECT, FD_READ, FD_WRITE, FD_CLOSE});

    EXPECT_FALSE(LogExists()) << LogText();
    // The server's thread counts the accept in its own time.
    EXPECT_TRUE(srv.WaitDone());
    EXPECT_EQ(1, srv.Accepted());
    closesocket(other);
}

TEST(PingerExit, ExitClosesHelpIconAndBusyServices)
{
    ServerScript silent;
    silent.holdMs = 10000;
    LoopServer srv(LoopAddr(10), TIME_PORT, silent);
    ASSERT_TRUE(srv.Listening());
    HICON hOld = hIcon = CopyIcon(LoadIconA(NULL, IDI_APPLICATION));
    Dialog d(LoopAddr(10));
    HICON hBig = (HICON)SendMessageA(d.hDlg, WM_GETICON, ICON_BIG, 0);
    d.Choose(IDC_TIME);
    d.Start();
    ASSERT_TRUE(PumpUntil([&] { return Connected(d); }));
    ASSERT_EQ(1, TimeFlag);

    EXPECT_TRUE(Pinger(d.hDlg, WM_COMMAND, IDC_EXIT, 0));
    EXPECT_EQ(0, TimeFlag);
    EXPECT_TRUE(PumpUntil([&] { return srv.PeerClosed() || srv.PeerReset(); }));
    ASSERT_EQ(1u, fake::helpCalls.size());
    EXPECT_EQ("KALVEX.HLP", fake::helpCalls[0].file);
    EXPECT_EQ((UINT)HELP_QUIT, fake::helpCalls[0].command);
    ICONINFO ii;
    EXPECT_FALSE(GetIconInfo(hOld, &ii));
    EXPECT_FALSE(GetIconInfo(hBig, &ii));
    EXPECT_FALSE(IsWindowVisible(d.hDlg));
}

TEST(PingerExit, StopAndExitCloseEveryBusyService)
{
    Dialog d;
    int *flags[] = {&PingFlag, &FingerFlag, &DayTimeFlag, &TimeFlag, &QuoteFlag, &UserFlag};
    for (int cmd : {IDC_STOP, IDC_EXIT}) {
        for (int *f : flags)
            *f = 1;
        d.Command(cmd);
        for (int *f : flags)
            EXPECT_EQ(0, *f) << cmd;
    }
}

namespace {
int stage;
bool upAfterEscape, startAfterEnter;
VOID CALLBACK DriveModal(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!ghDlg)
        return;
    HWND hEdit = GetDlgItem(ghDlg, IDC_INTERVAL);
    switch (stage++) {
    case 0:
        SetFocus(hEdit);
        PostMessageA(hEdit, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(hEdit, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(ghDlg, WM_COMMAND, IDCANCEL, 0);
        break;
    case 1:
        upAfterEscape = IsWindowVisible(ghDlg) != FALSE;
        startAfterEnter = IsWindowEnabled(GetDlgItem(ghDlg, IDC_START)) != FALSE;
        PostMessageA(ghDlg, WM_CLOSE, 0, 0);
        KillTimer(NULL, id);
        break;
    }
}
} // namespace

// Escape, Enter and Cancel leave the modal dialog as it was; closing it
// ends it with one.
TEST(PingerExit, ClosingTheModalDialogEndsItWithOne)
{
    SetTimer(NULL, 0, 100, DriveModal);
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(NULL), KX_DIALOG, NULL, Pinger, 0);
    EXPECT_EQ(1, r);
    EXPECT_TRUE(upAfterEscape);
    EXPECT_TRUE(startAfterEnter);       // Enter and Escape pressed nothing
    ASSERT_EQ(1u, fake::helpCalls.size());
    EXPECT_EQ((UINT)HELP_QUIT, fake::helpCalls[0].command);
}
