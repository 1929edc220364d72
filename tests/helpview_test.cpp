// The help viewer opened and closed the way the Help and Exit commands do
// it, with the real help file beside the test program and with files of
// the test's own in its working folder.
#include <gtest/gtest.h>

#include <cstdio>

#include "harness.h"
#include "../app/helpview.h"

namespace {

std::string HelpText()
{
    HWND hText = GetDlgItem(hHelpViewWindow(), IDC_HELP_TEXT);
    int n = GetWindowTextLengthA(hText);
    std::string s(n + 1, '\0');
    GetWindowTextA(hText, &s[0], n + 1);
    s.resize(n);
    return s;
}

std::vector<std::string> Topics()
{
    HWND hList = GetDlgItem(hHelpViewWindow(), IDC_HELP_TOPICS);
    std::vector<std::string> v;
    char sz[256];
    int n = (int)SendMessageA(hList, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        SendMessageA(hList, LB_GETTEXT, i, (LPARAM)sz);
        v.push_back(sz);
    }
    return v;
}

void WriteFile(const char *name, const std::string &body)
{
    FILE *f = fopen(name, "wb");
    fwrite(body.data(), 1, body.size(), f);
    fclose(f);
}

} // namespace

TEST(HelpView, ContentsShowTheHelpFileBesideTheProgram)
{
    ASSERT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_CONTENTS, 0));
    HWND hWnd = hHelpViewWindow();
    ASSERT_TRUE(hWnd);
    EXPECT_TRUE(IsWindowVisible(hWnd));
    std::vector<std::string> topics = Topics();
    ASSERT_GE(topics.size(), 10u);
    EXPECT_EQ("Kalvex32 Help", topics[0]);
    EXPECT_EQ(0, SendMessageA(GetDlgItem(hWnd, IDC_HELP_TEXT), EM_GETFIRSTVISIBLELINE, 0, 0));

    // Every field, option and service of the dialog, the zone text, the
    // log and the settings file are explained.
    std::string text = HelpText();
    for (const char *word : {"Kalv", "DayTime", "Time (TCP port 37)", "Host", "+ (add)", "-- (remove)",
                             "Interval", "TimeZone", "Auto start", "Autostop", "Rate", "Minimize",
                             "Alarm", "Stop", "Sent", "Received", "Time on Line", "Online Charge",
                             "Winsock version", "PST8PDT", "CET-1CEST", "kalvex.err", "KALVEX.INI",
                             "StopErrorCount", "CONNECTION REFUSED BY HOST", "UnDoc'd Winsock error"})
        EXPECT_NE(std::string::npos, text.find(word)) << word;
    EXPECT_EQ(std::string::npos, text.find("\n\n")) << "every line break shown as CR LF";

    // Picking a topic brings its heading to the top.
    HWND hList = GetDlgItem(hWnd, IDC_HELP_TOPICS);
    int pick = 3;
    SendMessageA(hList, LB_SETCURSEL, pick, 0);
    SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDC_HELP_TOPICS, LBN_SELCHANGE), (LPARAM)hList);
    HWND hText = GetDlgItem(hWnd, IDC_HELP_TEXT);
    int first = (int)SendMessageA(hText, EM_GETFIRSTVISIBLELINE, 0, 0);
    int lineStart = (int)SendMessageA(hText, EM_LINEINDEX, first, 0);
    EXPECT_GT(first, 0);
    EXPECT_EQ(topics[pick], text.substr(lineStart, topics[pick].size()));
    HelpViewA(NULL, "KALVEX.HLP", HELP_QUIT, 0);
}

TEST(HelpView, SecondContentsReusesTheWindowAndQuitClosesIt)
{
    EXPECT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_QUIT, 0));      // nothing open: harmless
    ASSERT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_CONTENTS, 0));
    HWND hWnd = hHelpViewWindow();
    ShowWindow(hWnd, SW_MINIMIZE);
    ASSERT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_CONTENTS, 0));
    EXPECT_EQ(hWnd, hHelpViewWindow());
    EXPECT_FALSE(IsIconic(hWnd));
    EXPECT_TRUE(IsWindowVisible(hWnd));

    EXPECT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_QUIT, 0));
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(NULL, hHelpViewWindow());

    // Closed by the user, it opens afresh.
    ASSERT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_CONTENTS, 0));
    SendMessageA(hHelpViewWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(NULL, hHelpViewWindow());
    EXPECT_TRUE(HelpViewA(NULL, "KALVEX.HLP", HELP_CONTENTS, 0));
    EXPECT_TRUE(IsWindowVisible(hHelpViewWindow()));
    HelpViewA(NULL, "KALVEX.HLP", HELP_QUIT, 0);
}

TEST(HelpView, FileInTheCurrentFolderWithBareLineFeeds)
{
    WriteFile("OWN.HLP", "First\n=====\nline one\n\nSecond\n======\nend\n");
    ASSERT_TRUE(HelpViewA(NULL, "OWN.HLP", HELP_CONTENTS, 0));
    EXPECT_EQ("First\r\n=====\r\nline one\r\n\r\nSecond\r\n======\r\nend\r\n", HelpText());
    EXPECT_EQ((std::vector<std::string>{"First", "Second"}), Topics());
    HelpViewA(NULL, "OWN.HLP", HELP_QUIT, 0);
}

TEST(HelpView, OversizedFileIsCutAndNulsAreShown)
{
    std::string body("A\0B\n", 4);
    while (body.size() < 100000)
        body += "a line of help text that is repeated until the file is far too long\n";
    WriteFile("BIG.HLP", body);
    ASSERT_TRUE(HelpViewA(NULL, "BIG.HLP", HELP_CONTENTS, 0));
    std::string text = HelpText();
    EXPECT_EQ("A B\r\n", text.substr(0, 5));
    EXPECT_GT(text.size(), 60000u);
    EXPECT_LT(text.size(), 65536u);
    HelpViewA(NULL, "BIG.HLP", HELP_QUIT, 0);
}
