// Winsock error codes in words: the texts users see at the head of every
// failure and find again in their logs.
#include <gtest/gtest.h>

#include <string>

#include "probe_support.h"

TEST(ErrText, EveryCodeOfTheAscendingTableGivesItsOwnWords)
{
    for (int i = 0; i < KX_ERRCOUNT; ++i) {
        const ERRENTRY &e = ErrStruct[i];
        SCOPED_TRACE(e.ErrCode);
        if (i > 0) {
            EXPECT_LT(ErrStruct[i - 1].ErrCode, e.ErrCode);
        }
        EXPECT_NE('\0', e.ErrStr[0]);
        EXPECT_EQ("Winsock error #" + std::to_string(e.ErrCode) + " " + e.ErrStr,
                  std::string(szSockErr((DWORD)e.ErrCode)));
    }
}

// The ones users meet most, slips and all, as their old logs have them.
TEST(ErrText, TheCommonFailuresReadAsUsersKnowThem)
{
    EXPECT_STREQ("Winsock error #10061 CONNECTION REFUSED BY HOST", szSockErr(10061));
    EXPECT_STREQ("Winsock error #10060 CONNECTION TIMED OUT", szSockErr(10060));
    EXPECT_STREQ("Winsock error #10050 NETWORK IS DOWN!!!", szSockErr(10050));
    EXPECT_STREQ("Winsock error #10040 MESSAGE TO LONG", szSockErr(10040));
    EXPECT_STREQ("Winsock error #11001 HOST NOT FOUND", szSockErr(11001));
    EXPECT_STREQ("Winsock error #11002 TRY AGAIN....", szSockErr(11002));
}

TEST(ErrText, CodesOutsideTheTableAreUndocumented)
{
    EXPECT_STREQ("UnDoc'd Winsock error #0", szSockErr(0));
    EXPECT_STREQ("UnDoc'd Winsock error #10000", szSockErr(10000));
    EXPECT_STREQ("UnDoc'd Winsock error #10080", szSockErr(10080));   // the gap after 10071
    EXPECT_STREQ("UnDoc'd Winsock error #10090", szSockErr(10090));
    EXPECT_STREQ("UnDoc'd Winsock error #11005", szSockErr(11005));
    // Codes are printed signed, the way the platform documents them.
    EXPECT_STREQ("UnDoc'd Winsock error #-1", szSockErr(0xFFFFFFFFu));
    EXPECT_STREQ("UnDoc'd Winsock error #-2147483648", szSockErr(0x80000000u));
}

TEST(ErrText, EachCallReplacesTheSharedText)
{
    LPSTR first = szSockErr(10061);
    LPSTR second = szSockErr(10035);
    EXPECT_EQ(szErrorMsg, first);
    EXPECT_EQ(first, second);
    EXPECT_STREQ("Winsock error #10035 OPERATION WOULD BLOCK", szErrorMsg);
}
