// Formatting into fixed-size buffers with the system's C library.
#include <gtest/gtest.h>

#include "../app/format.h"

// A text is kept whole when it fits, and cut, terminated and reported when
// it does not; the guard byte past the room stays untouched.
TEST(Format, FitsOrIsCutWithinItsRoom)
{
    const struct { int cch; int iResult; const char *text; } cases[] = {
        {9, 8, "ab 12 xy"}, {8, -1, "ab 12 x"}, {1, -1, ""},
    };
    for (auto &c : cases) {
        char sz[10];
        memset(sz, '#', sizeof(sz));
        EXPECT_EQ(c.iResult, iFormat(sz, c.cch, "%s %d %s", "ab", 12, "xy")) << c.cch;
        EXPECT_STREQ(c.text, sz) << c.cch;
        EXPECT_EQ('#', sz[c.cch]) << c.cch;
    }
}
