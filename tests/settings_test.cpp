// The settings file: what a run starts from, what Start leaves behind, and
// that no content of the file can push a field past its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <tuple>

#include "driver.h"
#include "kalvex_dialog.h"
#include "../app/results.h"
#include "../app/text.h"
#include "../controller/meter.h"
#include "../controller/pinger.h"
#include "../controller/settings.h"

// The dialog's own Start; under the recording procedure its timer never
// runs, so nothing is probed.
static void Start(const KalvexDialog &d)
{
    Pinger(d.hDlg, WM_COMMAND, IDC_START, 0);
}

// The settings file in use, in the ANSI code page.
static std::string IniFileInUse()
{
    char sz[2 * MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, lpwsIniFile(), -1, sz, sizeof(sz), NULL, NULL);
    return sz;
}

// The Host box holding just these names, and the list Start saves of them.
static std::string SavedList(const KalvexDialog &d, const std::vector<std::string> &names)
{
    SendDlgItemMessageA(d.hDlg, IDC_HOST, CB_RESETCONTENT, 0, 0);
    for (auto &h : names)
        SendDlgItemMessageA(d.hDlg, IDC_HOST, CB_ADDSTRING, 0, (LPARAM)h.c_str());
    Start(d);
    return IniValue("Default", "HostList");
}

static std::vector<std::string> Split(const std::string &list)
{
    std::vector<std::string> v;
    for (size_t pos = 0, end; (end = list.find(';', pos)) != std::string::npos; pos = end + 1)
        v.push_back(list.substr(pos, end - pos));
    return v;
}

TEST(Settings, WithoutAFileTheDefaultsShowAndStartWritesEveryKey)
{
    KalvexDialog d;
    vReadSettings(d.hDlg);
    EXPECT_FALSE(FileExists(IniPath()));
    const std::pair<int, const char *> fields[] = {
        {IDC_INTERVAL, "60"}, {IDC_ALARM, "60"}, {IDC_GOMIN, "2"}, {IDC_RATE, "0"},
        {IDC_STOPVAL, "0"}, {IDC_USER, ""}, {IDC_TIMEZONE, "PST8PST"}, {IDC_CHARGE, "$0.00"},
        {IDC_HOST, KX_DEFAULT_HOST},
    };
    for (auto &f : fields)
        EXPECT_EQ(f.second, d.Text(f.first)) << "field " << f.first;
    EXPECT_FALSE(d.Checked(IDC_AUTOSTART));
    EXPECT_FALSE(d.Checked(IDC_AUTOSTOP));
    EXPECT_STREQ("Kalv", szService);
    EXPECT_EQ(3, iErrMax);
    EXPECT_EQ(60, iTimeVal);
    auto hosts = d.HostList();
    EXPECT_EQ(2u, hosts.size());
    EXPECT_NE(hosts.end(), std::find(hosts.begin(), hosts.end(), KX_DEFAULT_HOST));

    d.Choose(IDC_KALV);
    Start(d);
    const std::pair<const char *, std::string> saved[] = {
        {"Host", KX_DEFAULT_HOST}, {"HostList", ""}, {"Interval", "60"}, {"User", ""},
        {"TZ", "PST8PST"}, {"Alarm", "60"}, {"GoMin", "2"}, {"Autostart", "0"}, {"Autostop", "0"},
        {"Stop Value", "0"}, {"Hourly Rate", "0"}, {"Service", "Kalv"}};
    auto keys = IniSection("Default");
    ASSERT_EQ(12u, keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(saved[i].first, keys[i].first);
        if (i != 1) {   // the list's order is the combo box's
            EXPECT_EQ(saved[i].second, keys[i].second) << keys[i].first;
        }
    }
    EXPECT_EQ(hosts, Split(keys[1].second));
    EXPECT_EQ(std::string::npos, ReadWholeFile(IniPath()).find("[Special]"));
}

TEST(Settings, FlagsAndErrorLimitAreReadWhateverTheirCapitals)
{
    for (const char *spelling : {"Autostart=1\r\nAutostop=1", "AUTOSTART=1\r\nautoSTOP=7",
                                 "autostart=-2\r\nAutoStop=1"}) {
        WriteIni(std::string("[DEFAULT]\r\n") + spelling + "\r\n[special]\r\nSTOPERRORCOUNT=5\r\n");
        KalvexDialog d;
        vReadSettings(d.hDlg);
        EXPECT_NE(0, bAutoStart) << spelling;
        EXPECT_NE(0, bAutoStop) << spelling;
        EXPECT_TRUE(d.Checked(IDC_AUTOSTART) && d.Checked(IDC_AUTOSTOP)) << spelling;
        EXPECT_EQ(5, iErrMax);
    }
}

TEST(Settings, IntervalIsNeverBelowTwentyAndKeepsItsUnit)
{
    for (const char *value : {"5", "19", "abc", "", "-30"}) {
        WriteIni(std::string("[Default]\r\nInterval=") + value + "\r\n");
        KalvexDialog d;
        vReadSettings(d.hDlg);
        EXPECT_EQ("20", d.Text(IDC_INTERVAL)) << value;
        EXPECT_EQ(20, iTimeVal) << value;
    }
    KalvexDialog d;
    for (auto c : {std::make_tuple("45s", 45, "45s"), std::make_tuple("7s", 20, "20")}) {
        d.Set(IDC_INTERVAL, std::get<0>(c));
        Start(d);
        EXPECT_EQ(std::get<1>(c), iTimeVal);
        EXPECT_EQ(std::get<2>(c), IniValue("Default", "Interval"));
    }
}

TEST(Settings, HostListKeepsOnlyNamesAndSavesEachWithOneSeparator)
{
    WriteIni("[Default]\r\nHost=elsewhere.example\r\nHostList=;;b.example;;my host;;;a.example\r\n");
    {
        KalvexDialog d;
        vReadSettings(d.hDlg);
        EXPECT_EQ((std::vector<std::string>{"a.example", "b.example", "my host"}), d.HostList());
        EXPECT_EQ("elsewhere.example", d.Text(IDC_HOST));
        Start(d);
        EXPECT_EQ("a.example;b.example;my host;", IniValue("Default", "HostList"));
        SendDlgItemMessageA(d.hDlg, IDC_HOST, CB_RESETCONTENT, 0, 0);
        d.Set(IDC_HOST, "solo.example");
        Start(d);
        EXPECT_EQ("", IniValue("Default", "HostList"));
    }
    KalvexDialog d;
    vReadSettings(d.hDlg);
    EXPECT_TRUE(d.HostList().empty());
    EXPECT_EQ("solo.example", d.Text(IDC_HOST));
}

TEST(Settings, StopIsSavedAsTheNumberTakenAndAlarmAsTyped)
{
    KalvexDialog d;
    d.Set(IDC_ALARM, "-5");
    for (auto c : {std::make_pair("-3", "0"), std::make_pair("abc", "0"), std::make_pair("12", "12")}) {
        d.Set(IDC_STOPVAL, c.first);
        Start(d);
        EXPECT_EQ(c.second, IniValue("Default", "Stop Value")) << c.first;
    }
    EXPECT_EQ("-5", IniValue("Default", "Alarm"));
}

TEST(Settings, OnlyTheThreeVisibleServicesAreSaved)
{
    WriteIni("[Default]\r\nService=Quote\r\n");
    KalvexDialog d;
    vReadSettings(d.hDlg);
    EXPECT_STREQ("Quote", szService);
    d.Choose(IDC_FINGER);
    Start(d);
    EXPECT_EQ("Quote", IniValue("Default", "Service"));
    for (auto c : {std::make_pair(IDC_KALV, "Kalv"), std::make_pair(IDC_TIME, "Time"),
                   std::make_pair(IDC_DAYTIME, "DayTime")}) {
        d.Choose(c.first);
        Start(d);
        EXPECT_EQ(c.second, IniValue("Default", "Service"));
    }
}

TEST(Settings, OverlongValuesAreCutToTheirFields)
{
    std::string longText(300, 'x'), ini = "[Default]\r\n";
    for (const char *key : {"Host", "User", "TZ", "Alarm", "GoMin", "Hourly Rate", "Stop Value", "Service"})
        ini += std::string(key) + "=" + longText + "\r\n";
    WriteIni(ini + "Interval=" + std::string(300, '9') + "\r\n");
    KalvexDialog d;
    vReadSettings(d.hDlg);
    // Each field holds as much as it lets a user type, and no more.
    for (int id : {IDC_HOST, IDC_USER, IDC_TIMEZONE, IDC_ALARM, IDC_GOMIN, IDC_RATE, IDC_STOPVAL, IDC_INTERVAL}) {
        HWND hEdit = GetDlgItem(d.hDlg, id);
        if (id == IDC_HOST)
            hEdit = FindWindowExA(hEdit, NULL, "Edit", NULL);
        EXPECT_EQ(SendMessageA(hEdit, EM_GETLIMITTEXT, 0, 0), (LRESULT)d.Text(id).size()) << "field " << id;
    }
    EXPECT_EQ(sizeof(szService) - 1, strlen(szService));
    EXPECT_EQ(KX_MAX_INTERVAL, iTimeVal);
}

TEST(Settings, BinaryBytesAndHugeLinesAreReadWithoutHarm)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += (char)(i * 37 % 256 == '\n' ? 1 : i * 37 % 256);
    WriteIni("[Default]\r\nHost=" + junk + "\r\nUser=" + std::string(200000, 'u') + junk +
             "\r\nHostList=" + junk + "\r\n" + junk + "\r\nAlarm=77\r\nInterval=\xff\xfe" "30\r\n");
    KalvexDialog d;
    vReadSettings(d.hDlg);
    EXPECT_LE(d.Text(IDC_HOST).size(), 253u);
    EXPECT_LE(d.Text(IDC_USER).size(), 24u);
    for (auto &h : d.HostList())
        EXPECT_LE(h.size(), 253u);
    EXPECT_EQ("77", d.Text(IDC_ALARM));
    EXPECT_EQ(20, iTimeVal);
}

// A name the saved value cannot hold whole is left out; the rest survive.
TEST(Settings, HostNamesThatDoNotFitAreLeftOutWhole)
{
    KalvexDialog d;
    std::vector<std::string> added = {std::string(253, 'a'), std::string(254, 'b')};
    for (char c = 'c'; c <= 'r'; ++c)       // 16 names of 253 characters and their ";"
        added.push_back(std::string(253, c));
    added.push_back("s.example");           // still fits after those that did not
    std::string saved = SavedList(d, added);
    auto names = Split(saved);
    EXPECT_EQ(added[0], names.front());
    EXPECT_EQ("s.example", names.back());
    EXPECT_EQ(std::string::npos, saved.find('b'));
    EXPECT_EQ(saved.size(), 16u * 254 + 10);

    // Names that fill the value to its last byte, and one more after them.
    added.clear();
    for (int i = 0; i < 240; ++i)       // 240 names of 16 characters and their ";": 4,080
        added.push_back("host" + std::to_string(1000 + i) + ".example");
    added.push_back("zz.example.org");  // and its ";" make 4,095
    added.push_back("zzz.example");
    saved = SavedList(d, added);
    EXPECT_EQ(4095u, saved.size());
    EXPECT_EQ("zz.example.org;", saved.substr(saved.size() - 15));

    // A stored list cut inside a name lists the whole names only.
    std::string list;
    for (int i = 0; i < 300; ++i)
        list += "host" + std::to_string(1000 + i) + ".example;";    // 17 characters each
    WriteIni("[Default]\r\nHostList=" + list + "\r\n");
    KalvexDialog e;
    vReadSettings(e.hDlg);
    EXPECT_EQ(4095u / 17, e.HostList().size());
}

// A file as the program has always written it reads as it always has, and
// a Start with nothing changed writes it back byte for byte.
TEST(Settings, TodaysFileReadsTheSameAndComesBackUnchanged)
{
    std::string list;
    std::vector<std::string> hosts;
    for (int i = 0; i < 13; ++i)    // 13 names of 38 characters and ";": 507 of 511
        hosts.push_back("h" + std::to_string(10 + i) + std::string(23, 'x') + ".example.org");
    for (auto &h : hosts)
        list += h + ";";
    const std::string host = std::string(27, 'y') + ".example.org";     // 39, the most it kept
    const std::string file = "[Default]\r\nHost=" + host + "\r\n"
        "HostList=" + list + "\r\nInterval=45s\r\nUser=somebody\r\nTZ=EST5EDT\r\nAlarm=12\r\n"
        "GoMin=3\r\nAutostart=0\r\nAutostop=1\r\nStop Value=40\r\nHourly Rate=1.5\r\n"
        "Service=DayTime\r\n[Special]\r\nStopErrorCount=7\r\n";
    WriteIni(file);
    KalvexDialog d;
    vReadSettings(d.hDlg);
    const std::pair<int, std::string> fields[] = {
        {IDC_HOST, host}, {IDC_INTERVAL, "45s"}, {IDC_USER, "somebody"},
        {IDC_TIMEZONE, "EST5EDT"}, {IDC_ALARM, "12"}, {IDC_GOMIN, "3"}, {IDC_STOPVAL, "40"}, {IDC_RATE, "1.5"}};
    for (auto &f : fields)
        EXPECT_EQ(f.second, d.Text(f.first)) << "field " << f.first;
    EXPECT_EQ(hosts, d.HostList());
    EXPECT_EQ(7, iErrMax);
    EXPECT_STREQ("DayTime", szService);
    d.Choose(IDC_DAYTIME);
    Start(d);
    WritePrivateProfileStringW(NULL, NULL, NULL, lpwsIniFile());
    EXPECT_EQ(file, ReadWholeFile(IniPath()));
}

// The section read in one block gives the fields that the profile calls
// give key by key (as they do for a section too large for the block), for
// a file edited by hand: blanks, quotes, capitals, a key without "=", a
// key given twice.
TEST(Settings, OneReadOfTheSectionGivesWhatKeyByKeyReadsGive)
{
    const std::string hand = "[Default]\r\n  hOST =  \"quoted.example\"  \r\n"
        "HostList = 'a.example;b.example;'\r\nInterval=\t 45s\t\r\nUser=\"unmatched\r\nTZ=\"\"\r\n"
        "Alarm\r\nAlarm=99\r\nGOMIN = '7\"\r\nHourly Rate=\"1.5\"\r\nStop Value=  '12'  \r\n"
        "Service = \"DayTime\"\r\nHost=second.example\r\n";
    auto read = [](const std::string &file) {
        WriteIni(file);
        KalvexDialog d;
        vReadSettings(d.hDlg);
        std::vector<std::string> v = d.HostList();
        for (int id : {IDC_HOST, IDC_INTERVAL, IDC_USER, IDC_TIMEZONE, IDC_ALARM, IDC_GOMIN, IDC_RATE, IDC_STOPVAL})
            v.push_back(d.Text(id));
        v.push_back(szService);
        return v;
    };
    const std::vector<std::string> once = read(hand);
    EXPECT_EQ(read(hand + "Padding=" + std::string(10000, 'p') + "\r\n"), once);
    EXPECT_EQ((std::vector<std::string>{"a.example", "b.example", "quoted.example", "45s"}),
              std::vector<std::string>(once.begin(), once.begin() + 4));
}

TEST(Settings, DecimalValuesFollowTheUsualConversion)
{
    const std::pair<const char *, int> cases[] = {
        {" \t42", 42}, {"+7", 7}, {"-3", -3}, {"45s", 45}, {"abc", 0}, {"", 0}, {"- 5", 0},
        {"\xa0" "5", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX}, {"-99999999999999999999", INT_MIN},
    };
    for (auto &c : cases)
        EXPECT_EQ(c.second, iDecimal(c.first)) << c.first;
}

// Where the Windows folder is closed to the program (on current Windows, a
// program not run as administrator), the settings are kept per user instead
// of being silently lost; from then on that file is the one, whatever the
// Windows folder allows.  Without it, the Windows folder's file is used.
TEST(Settings, PerUserFileOnceMadeIsTheSettingsFile)
{
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), NULL));     // nothing can write that name
    std::string userIni = UserIniPath();
    {
        KalvexDialog d;
        vReadSettings(d.hDlg);
        EXPECT_EQ("60", d.Text(IDC_INTERVAL));
        d.Set(IDC_INTERVAL, "45");
        d.Choose(IDC_TIME);
        Start(d);
    }
    EXPECT_EQ(userIni, IniFileInUse());
    std::string saved = ReadWholeFile(userIni);
    EXPECT_NE(std::string::npos, saved.find("Interval=45"));
    EXPECT_NE(std::string::npos, saved.find("Service=Time"));

    // The Windows folder open again, with a file of its own.
    ASSERT_TRUE(RemoveDirectoryA(IniPath().c_str()));
    WriteIni("[Default]\r\nInterval=99\r\n");
    {
        KalvexDialog again;
        vReadSettings(again.hDlg);
        EXPECT_EQ("45", again.Text(IDC_INTERVAL));
        EXPECT_STREQ("Time", szService);
        again.Set(IDC_INTERVAL, "33");
        Start(again);
    }
    EXPECT_NE(std::string::npos, ReadWholeFile(userIni).find("Interval=33"));
    EXPECT_EQ("[Default]\r\nInterval=99\r\n", ReadWholeFile(IniPath()));

    RemoveUserIni();
    KalvexDialog windows;
    vReadSettings(windows.hDlg);
    EXPECT_EQ("99", windows.Text(IDC_INTERVAL));
    EXPECT_EQ(IniPath(), IniFileInUse());
}

// The second process of the lock tests.  This test program, started with
// "--hold-settings <share> <event>", opens the settings file with that
// sharing, signals the event and holds the file until it is ended, all
// before its main would run (and remove the file).
[[maybe_unused]] static const bool bHolder = [] {
    const char *lps = strstr(GetCommandLineA(), "--hold-settings ");
    if (!lps)
        return false;
    unsigned long ulShare = 0;
    char szEvent[64] = "";
    if (sscanf(lps + 16, "%lu %63s", &ulShare, szEvent) != 2)
        ExitProcess(2);
    HANDLE h = CreateFileA(IniPath().c_str(), GENERIC_READ | GENERIC_WRITE, ulShare, NULL, OPEN_EXISTING, 0, NULL);
    HANDLE hEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, szEvent);
    if (h == INVALID_HANDLE_VALUE || !hEvent)
        ExitProcess(3);
    SetEvent(hEvent);
    Sleep(120000);      // no longer than a test may run, should this one be lost
    ExitProcess(0);
}();

// Another process that holds the settings file until the holder is ended.
struct Holder {
    HANDLE hEvent;
    std::unique_ptr<Child> child;
    explicit Holder(DWORD dwShare)
    {
        std::string event = "kxhold-" + std::to_string(GetCurrentProcessId());
        hEvent = CreateEventA(NULL, TRUE, FALSE, event.c_str());
        char szExe[MAX_PATH];
        GetModuleFileNameA(NULL, szExe, sizeof(szExe));
        child.reset(new Child(szExe, "--hold-settings " + std::to_string(dwShare) + " " + event));
    }
    bool Holding() const { return WaitForSingleObject(hEvent, 15000) == WAIT_OBJECT_0; }
    void End() { child.reset(); }
    static DWORD WINAPI EndOn(LPVOID self) { static_cast<Holder *>(self)->End(); return 0; }
    ~Holder() { End(); CloseHandle(hEvent); }
};

// A settings file that another program holds for a moment is waited for;
// one that it holds for longer opens the dialog with the defaults, says
// why, and is then left exactly as it was, though the program runs on.
// Holding it for reading alone moves nothing anywhere.
TEST(Settings, FileHeldByAnotherProgramIsWaitedForAndNeverOverwritten)
{
    const std::string file = "[Default]\r\nHost=" + LoopAddr(1) + "\r\nHostList=" + LoopAddr(2) + ";\r\n"
        "Interval=45\r\n";
    WriteIni(file);
    for (DWORD dwShare : {0, FILE_SHARE_READ}) {
        Holder holder(dwShare);
        ASSERT_TRUE(holder.Holding());
        KalvexDialog d;
        // The one that locks others out lets go as the read begins.
        HANDLE hRelease = dwShare ? NULL : CreateThread(NULL, 0, Holder::EndOn, &holder, 0, NULL);
        vReadSettings(d.hDlg);
        if (hRelease) {
            WaitForSingleObject(hRelease, INFINITE);
            CloseHandle(hRelease);
        }
        EXPECT_EQ("45", d.Text(IDC_INTERVAL)) << dwShare;
        EXPECT_EQ("", d.Text(IDC_RESULTS)) << dwShare;
        EXPECT_EQ(IniPath(), IniFileInUse()) << dwShare;
    }

    Holder holder(0);
    ASSERT_TRUE(holder.Holding());
    HWND h = CreateDialogParamA(GetModuleHandleA(NULL), KX_DIALOG, NULL, Pinger, 0);
    EXPECT_EQ("60", ItemText(h, IDC_INTERVAL));
    EXPECT_EQ(KX_DEFAULT_HOST, ItemText(h, IDC_HOST));
    const std::string shown = ItemText(h, IDC_RESULTS), start = "Settings not read from " + IniPath() + ": ";
    ASSERT_GT(shown.size(), start.size() + 5) << shown;
    EXPECT_EQ(start, shown.substr(0, start.size()));
    EXPECT_EQ(" (32)", shown.substr(shown.size() - 5));         // a sharing violation
    EXPECT_EQ(std::string::npos, shown.find_first_of("\r\n"));
    EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(shown));

    holder.End();       // from here on, any write would go through
    SetDlgItemTextA(h, IDC_HOST, LoopAddr(3).c_str());
    SendMessageA(h, WM_COMMAND, IDC_ADDHOST, 0);
    SendMessageA(h, WM_COMMAND, IDC_START, 0);
    EXPECT_EQ("Settings not saved: " + IniPath() + " could not be read", ItemText(h, IDC_RESULTS));
    EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(ItemText(h, IDC_RESULTS)));
    for (int id : {IDC_STOP, IDC_REMOVEHOST, IDC_EXIT})
        SendMessageA(h, WM_COMMAND, (WPARAM)id, 0);
    DestroyWindow(h);
    EXPECT_EQ(file, ReadWholeFile(IniPath()));
    EXPECT_FALSE(FileExists(UserIniPath()));
}

// A per-user folder named in letters outside the ANSI code page holds the
// settings under its real name.
TEST(Settings, PerUserFolderNamedOutsideTheCodePageKeepsTheSettings)
{
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), NULL));     // the Windows folder refuses
    wchar_t wszCwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, wszCwd);
    const std::wstring programs = std::wstring(wszCwd) + L"\\Программы", appData = programs + L"\\Łukasz";
    const std::wstring dir = appData + L"\\Kalvex32", ini = dir + L"\\KALVEX.INI";
    CreateDirectoryW(programs.c_str(), NULL);
    CreateDirectoryW(appData.c_str(), NULL);
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    {
        KalvexDialog d;
        vReadSettings(d.hDlg);
        d.Set(IDC_INTERVAL, "45");
        Start(d);
    }
    EXPECT_EQ(ini, std::wstring(lpwsIniFile()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(ini.c_str()));
    {
        KalvexDialog again;
        vReadSettings(again.hDlg);
        EXPECT_EQ("45", again.Text(IDC_INTERVAL));
    }
    DeleteFileW(ini.c_str());
    for (auto &folder : {dir, appData, programs})
        RemoveDirectoryW(folder.c_str());
    RemoveDirectoryA(IniPath().c_str());
}

// The section read in one call answers as the profile calls do key by key
// (as they do for a section too large for one call), for names that only
// look like ours: a soft hyphen inside, and in Unicode files characters
// that the ANSI code page can only approximate.
TEST(Settings, NamesThatOnlyLookLikeOursAreReadAsKeyByKey)
{
    enum Coding { Ansi, Utf8, Utf16 };
    const struct { Coding coding; const wchar_t *name; } cases[] = {
        {Ansi, L"Ho\u00ADst"}, {Utf8, L"Ho\u00ADst"}, {Utf16, L"Ho\u00ADst"},
        {Utf8, L"\uFF28ost"}, {Utf16, L"\uFF28ost"}, {Utf8, L"HostL\u0131st"}, {Utf16, L"HostL\u0131st"},
        {Utf8, L"\u3000Host"}, {Utf16, L"\u3000Host"},
    };
    auto encode = [](Coding coding, const std::wstring &w) {
        std::string s;
        if (coding == Ansi) {
            for (wchar_t c : w)
                s += (char)c;       // all below 256: Latin-1, as the ANSI code page has them
        } else if (coding == Utf8) {
            s.resize(w.size() * 3 + 3);
            s.resize(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), (int)w.size(), &s[0], (int)s.size(), NULL, NULL));
            s = "\xEF\xBB\xBF" + s;
        } else {
            s = "\xFF\xFE" + std::string((const char *)w.data(), w.size() * sizeof(wchar_t));
        }
        return s;
    };
    auto perKey = [](const char *key) {
        char sz[4096] = "";
        GetPrivateProfileStringA("Default", key, "", sz, sizeof(sz), IniPath().c_str());
        return std::string(sz);
    };
    for (auto &c : cases) {
        for (bool padded : {false, true}) {
            std::wstring text = L"[Default]\r\n" + std::wstring(c.name) + L"=127.0.80.9;\r\n"
                L"Host=127.0.80.10\r\nHostList=a.example;\r\n";
            if (padded)
                text += L"Padding=" + std::wstring(10000, L'p') + L"\r\n";
            WriteIni(encode(c.coding, text));
            KalvexDialog d;
            vReadSettings(d.hDlg);
            const std::string host = perKey("Host"), list = perKey("HostList");
            EXPECT_EQ(host, d.Text(IDC_HOST)) << c.coding << padded;
            EXPECT_EQ(std::vector<std::string>{list.substr(0, list.find(';'))}, d.HostList()) << c.coding << padded;
            EXPECT_EQ("127.0.80.10", host);
            EXPECT_EQ("a.example;", list);
        }
    }
}
