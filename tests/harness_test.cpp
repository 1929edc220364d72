// Checks of the test support itself: a server on a loopback address answers,
// and the stand-in window becomes the program's dialog.
#include <gtest/gtest.h>

#include "harness.h"

TEST(Harness, LoopServerServesOneConnection)
{
    ServerScript script;
    script.first = "hello\r\n";
    LoopServer srv(LoopAddr(1), 13, script);
    ASSERT_TRUE(srv.Listening());
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(13);
    a.sin_addr.s_addr = inet_addr(LoopAddr(1).c_str());
    ASSERT_EQ(0, connect(s, (sockaddr *)&a, sizeof(a)));
    char buf[64] = {};
    int n = recv(s, buf, sizeof(buf) - 1, 0);
    EXPECT_EQ(std::string("hello\r\n"), std::string(buf, n > 0 ? n : 0));
    closesocket(s);
    EXPECT_TRUE(srv.WaitDone());
    EXPECT_TRUE(srv.PeerClosed());
}

TEST(Harness, TestWindowIsTheDialog)
{
    TestWindow w;
    EXPECT_EQ(ghDlg, w.hWnd);
    EXPECT_EQ(KX_TITLE, WindowCaption(w.hWnd));
}
