// The dialog worked from the keyboard alone: where the focus is when it
// opens, and where it goes when Start or Stop disables what had it.
#include <gtest/gtest.h>

#include "kalvex_dialog.h"
#include "../controller/pinger.h"

TEST(Keyboard, TheFirstFocusIsOnTheSavedService)
{
    for (auto c : {std::make_pair("Kalv", IDC_KALV), {"DayTime", IDC_DAYTIME}, {"Time", IDC_TIME}}) {
        WritePrivateProfileStringA("Default", "Service", c.first, "KALVEX.INI");
        KalvexDialog d(Pinger);
        EXPECT_EQ(GetDlgItem(d.hDlg, c.second), GetFocus()) << c.first;
    }
}

TEST(Keyboard, SpaceOnGoThenOnStopThenTabReachesStop)
{
    WritePrivateProfileStringA("Default", "Host", LoopAddr(1).c_str(), "KALVEX.INI");
    KalvexDialog d(Pinger);
    auto press = [](UINT vk) {
        HWND h = GetFocus();
        PostMessageA(h, WM_KEYDOWN, vk, 1);
        PostMessageA(h, WM_KEYUP, vk, 0xC0000001);
        PumpFor(100);
    };
    SendMessageA(d.hDlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(d.hDlg, IDC_START), TRUE);
    press(VK_SPACE);
    EXPECT_FALSE(d.Enabled(IDC_START));
    EXPECT_EQ(GetDlgItem(d.hDlg, IDC_STOP), GetFocus());
    press(VK_SPACE);
    EXPECT_TRUE(d.Enabled(IDC_START));
    EXPECT_EQ(GetDlgItem(d.hDlg, IDC_START), GetFocus());
    press(VK_TAB);
    EXPECT_EQ(GetDlgItem(d.hDlg, IDC_STOP), GetFocus());
}
