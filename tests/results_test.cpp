// The output path: the Results field, the error log "kalvex.err" in the
// current folder or the user's own, and the posted Stop.
#include <gtest/gtest.h>

#include <string>

#include "probe_support.h"

// A text without the failure flag is shown only; a failure is shown and
// appended to the log, which is made for it, line breaks kept.
TEST(Results, FailuresAreAppendedAsExactRecords)
{
    TestWindow w;
    vWriteResults("Connecting Socket..", 0);
    EXPECT_EQ("Connecting Socket..", w.Results());
    EXPECT_FALSE(LogExists());
    vWriteResults("first\r\nfailure", 1);
    EXPECT_EQ("first\r\nfailure", w.Results());
    vWriteResults("second", 1);
    EXPECT_EQ(Record(KX_TITLE, "first\r\nfailure") + Record(KX_TITLE, "second"), LogText());
}

TEST(Results, EarlierLogContentIsNeverChanged)
{
    const std::string old = "older records\r\nfrom an earlier run";
    FILE *f = fopen(KX_LOGFILE, "wb");
    ASSERT_TRUE(f);
    fwrite(old.data(), 1, old.size(), f);
    fclose(f);

    TestWindow w;
    vWriteResults("failure", 1);
    vWriteResults("quiet", 0);
    EXPECT_EQ(old + Record(KX_TITLE, "failure"), LogText());
}

TEST(Results, RecordCarriesCaptionAndAddressOfTheMoment)
{
    TestWindow w;
    vWriteResults("before any connection", 1);
    SetWindowTextA(w.hWnd, KX_TITLE " online for 00:00:07; @IP 127.0.0.1");
    lstrcpynA(szMyIP, "127.0.0.1", sizeof(szMyIP));
    vWriteResults("after one", 1);
    EXPECT_EQ(Record(KX_TITLE, "before any connection") +
                  Record(KX_TITLE " online for 00:00:07; @IP 127.0.0.1", "after one", "127.0.0.1"),
              LogText());
}

TEST(Results, OverlongTextIsCutTo255Characters)
{
    TestWindow w;
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += (char)('a' + i % 26);
    // The largest caption and address the program can have.
    std::string caption(79, 'C');
    SetWindowTextA(w.hWnd, caption.c_str());
    lstrcpynA(szMyIP, std::string(39, '9').c_str(), sizeof(szMyIP));

    vWriteResults(text.c_str(), 1);
    EXPECT_EQ(text.substr(0, 255), w.Results());
    EXPECT_EQ(Record(caption, text.substr(0, 255), std::string(39, '9')), LogText());
}

// A folder in the log's place cannot be opened or created as a file, even
// for root under Wine, where read-only folders stay writable.  The records
// go to the user's own folder, made for them; with no such folder they are
// dropped, and the display goes on all the same.
TEST(Results, UnwritableLogGoesToTheUsersFolder)
{
    ASSERT_TRUE(CreateDirectoryA(KX_LOGFILE, NULL));
    char cwd[MAX_PATH], appData[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    GetEnvironmentVariableA("APPDATA", appData, sizeof(appData));
    const std::string user = std::string(cwd) + "\\roaming", log = user + "\\Kalvex32\\" KX_LOGFILE;
    ASSERT_TRUE(CreateDirectoryA(user.c_str(), NULL));
    SetEnvironmentVariableA("APPDATA", user.c_str());

    TestWindow w;
    vWriteResults("first", 1);
    vWriteResults("second", 1);
    EXPECT_EQ("second", w.Results());
    EXPECT_EQ(Record(KX_TITLE, "first") + Record(KX_TITLE, "second"), ReadWholeFile(log));

    SetEnvironmentVariableA("APPDATA", NULL);
    vWriteResults("lost record", 1);
    EXPECT_EQ("lost record", w.Results());
    EXPECT_EQ(Record(KX_TITLE, "first") + Record(KX_TITLE, "second"), ReadWholeFile(log));
    DWORD attrs = GetFileAttributesA(KX_LOGFILE);
    EXPECT_TRUE(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY));

    SetEnvironmentVariableA("APPDATA", appData);
    DeleteFileA(log.c_str());
    RemoveDirectoryA((user + "\\Kalvex32").c_str());
    RemoveDirectoryA(user.c_str());
    RemoveDirectoryA(KX_LOGFILE);
}

TEST(Results, StopIsPostedNotSent)
{
    TestWindow w;
    vSendMyselfStop();
    EXPECT_FALSE(w.Saw(WM_COMMAND));        // queued: runs after the caller
    PumpFor(50);
    ASSERT_EQ(1u, w.log.size());
    EXPECT_EQ((UINT)WM_COMMAND, w.log[0].msg);
    EXPECT_EQ((WPARAM)IDC_STOP, w.log[0].wParam);
    EXPECT_EQ((LPARAM)0, w.log[0].lParam);
}
