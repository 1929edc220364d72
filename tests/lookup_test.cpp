// A host lookup given up by a Stop may still answer (Wine's cancel does
// nothing); its answer must not touch the lookup in use.
#include <gtest/gtest.h>

#include <algorithm>

#include "probe_support.h"

TEST(Lookup, LateAnswerOfAGivenUpLookupLeavesTheNextProbeAlone)
{
    TestWindow w;
    ASSERT_NE(INVALID_SOCKET, socConnect("localhost", 13));
    HANDLE hGivenUp = hWGHBN;
    struct Entry { hostent h; char *list[2]; u_long addr; } *e =
        (Entry *)sGetHostBuff[std::find(ahLookup, ahLookup + KX_LOOKUPS, hGivenUp) - ahLookup];
    CloseSocket(cli_sock);                  // a Stop while the name is looked up
    ASSERT_NE(INVALID_SOCKET, socConnect("localhost", 13));
    Sleep(300);                             // the new lookup has answered; nothing is handled yet

    // What the late answer writes, into the buffer it was given: another address.
    *e = Entry{{nullptr, nullptr, AF_INET, 4, e->list}, {(char *)&e->addr, nullptr}, inet_addr(LoopAddr(9).c_str())};
    PostMessageA(w.hWnd, WM_HOST_RESOLVED, (WPARAM)hGivenUp, 0);
    ASSERT_TRUE(WaitForResults(w, "Connecting Socket.."));
    PumpFor(100);
    EXPECT_EQ(inet_addr("127.0.0.1"), srv_addr.sin_addr.s_addr);
}
