// Names outside the ANSI code page: narrowed with "?" for what the code
// page lacks and never past the buffer, and shown wide in the help window.
#include <gtest/gtest.h>

#include "harness.h"
#include "../app/helpview.h"
#include "../app/paths.h"

TEST(WideText, NarrowingFitsAnyBufferAndTakesNoLookAlike)
{
    const struct { const wchar_t *text; int size; const char *want; } cases[] = {
        {L"\u0141ukasz", 8, "?ukasz"}, {L"abcdef", 4, "abc"}, {L"abc", 1, ""}, {L"abc", 0, "###########"}};
    for (auto &c : cases) {
        char buf[12] = "###########";
        iNarrow(c.text, lstrlenW(c.text), buf, c.size);
        EXPECT_EQ('#', buf[c.size]) << c.want;          // nothing past the buffer
        EXPECT_STREQ(c.want, buf);
    }
}

// A missing help file is said in the help window, with the folders where
// it was looked for; closing that window ends it.
TEST(WideText, HelpWindowShowsAFolderNameOutsideTheCodePage)
{
    WCHAR wszHome[MAX_PATH], wszText[4096];
    GetCurrentDirectoryW(MAX_PATH, wszHome);
    CreateDirectoryW(L"\u041f\u0451\u0442\u0440", NULL);
    ASSERT_TRUE(SetCurrentDirectoryW(L"\u041f\u0451\u0442\u0440"));
    EXPECT_FALSE(HelpViewA(NULL, "NOSUCH.HLP", HELP_CONTENTS, 0));
    SetCurrentDirectoryW(wszHome);
    GetDlgItemTextW(hHelpViewWindow(), IDC_HELP_TEXT, wszText, 4096);
    EXPECT_NE(nullptr, wcsstr(wszText, L"NOSUCH.HLP")) << wszText;
    EXPECT_NE(nullptr, wcsstr(wszText, L"\\\u041f\u0451\u0442\u0440, and is in neither")) << wszText;
    HelpViewA(NULL, "NOSUCH.HLP", HELP_QUIT, 0);
    EXPECT_EQ(NULL, hHelpViewWindow());
}
