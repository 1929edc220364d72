// The settings file when it cannot be written or read, and a path that
// names it in letters outside the ANSI code page.
#include <gtest/gtest.h>

#include <functional>

#include "kalvex_dialog.h"
#include "../app/results.h"
#include "../controller/pinger.h"

// Each failed save is said once, shown and logged, leaves the file as it
// was, and the next Start saves.  The Windows folder refuses, so the
// per-user file is the one.  (Wine run as root writes a read-only file.)
TEST(SaveFail, EachFailedSaveIsSaidOnceAndTheNextStartSaves)
{
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), NULL));
    const std::string ini = UserIniPath(), dir = ini.substr(0, ini.rfind('\\')), away = dir + "-away";
    const std::string file = "[Default]\r\nHost=" + LoopAddr(1) + "\r\n";
    HANDLE hHeld = INVALID_HANDLE_VALUE;
    const std::pair<const char *, std::function<void(bool)>> cases[] = {
        {"held", [&](bool b) { b ? (void)(hHeld = CreateFileA(ini.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL))
                                 : (void)CloseHandle(hHeld); }},
        {"folder gone", [&](bool b) { MoveFileA(b ? dir.c_str() : away.c_str(), b ? away.c_str() : dir.c_str()); }},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.first);
        CreateDirectoryA(dir.c_str(), NULL);
        FILE *f = fopen(ini.c_str(), "wb");
        fwrite(file.data(), 1, file.size(), f);
        fclose(f);
        KalvexDialog d(Pinger);
        c.second(true);
        d.Command(IDC_START);
        const std::string said = d.Text(IDC_RESULTS), log = ReadWholeFile(KX_LOGFILE);
        EXPECT_EQ(0u, said.find("Settings not saved to " + ini + ": ")) << said;
        EXPECT_TRUE(log.find(said) != std::string::npos && log.find(said) == log.rfind(said));
        c.second(false);
        EXPECT_EQ(file, ReadWholeFile(ini));
        d.Command(IDC_STOP);
        d.Command(IDC_START);
        EXPECT_EQ(log, ReadWholeFile(KX_LOGFILE));
        EXPECT_NE(std::string::npos, ReadWholeFile(ini).find("Interval=60"));
    }
    RemoveDirectoryA(IniPath().c_str());
}

// A settings file that is a folder cannot be read, and will not become
// readable: it is said at once, without the wait for a held file.
TEST(SaveFail, AReadErrorThatCannotPassIsSaidAtOnce)
{
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), NULL));
    SetEnvironmentVariableA("APPDATA", NULL);       // no per-user file to move to
    DWORD dwStart = GetTickCount();
    KalvexDialog d(Pinger);
    EXPECT_LT(GetTickCount() - dwStart, 1000u);     // the wait would be 2 s
    EXPECT_EQ(0u, d.Text(IDC_RESULTS).find("Settings not read from " + IniPath() + ": ")) << d.Text(IDC_RESULTS);
    RemoveDirectoryA(IniPath().c_str());
}

TEST(SaveFail, APathKeepsItsLettersInResultsAndHasQuestionMarksInTheLog)
{
    KalvexDialog d;
    const std::pair<const wchar_t *, const char *> cases[] = {{L"Пётр", "????"}, {L"Łukasz", "?ukasz"}};
    for (auto &c : cases) {
        const std::wstring text = std::wstring(L"Settings not read from C:\\users\\") + c.first;
        vWriteResultsW(text.c_str(), 1);
        wchar_t wsz[300] = L"";
        GetDlgItemTextW(d.hDlg, IDC_RESULTS, wsz, 300);
        EXPECT_EQ(text, wsz);
        EXPECT_NE(std::string::npos, ReadWholeFile(KX_LOGFILE).find(std::string("users\\") + c.second + " my IP"));
    }
}
