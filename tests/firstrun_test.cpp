// What the first Start sets going: the second probe one step after the
// first.
#include <gtest/gtest.h>

#include <vector>

#include "kalvex_dialog.h"
#include "../controller/pinger.h"
#include "../probe/services.h"

// Start's save takes 1.5 s: the posted first step runs late, the timer's
// overdue step follows at once, then the steps come on time.
TEST(FirstRun, TheSecondProbeComesOnceOneStepAfterTheFirstHoweverLongTheSave)
{
    WritePrivateProfileStringA("Default", "Host", LoopAddr(1).c_str(), "KALVEX.INI");
    KalvexDialog d(Pinger);
    const DWORD dwStart = 1000000;
    fake::tick = dwStart;
    d.Command(IDC_START);
    KillTimer(d.hDlg, iTimer);
    std::vector<int> sent;
    for (double s : {1.5, 1.5, 2.0, 3.0, 4.0, 10.0, 59.0}) {
        fake::tick = dwStart + (DWORD)(s * 1000);
        if (sent.empty())
            PumpFor(50);
        else
            SendMessageA(d.hDlg, WM_TIMER, 0, 0);
        PumpUntil([] { return !PingFlag; });
        sent.push_back(SentCount);
    }
    EXPECT_EQ((std::vector<int>{1, 2, 2, 2, 2, 2, 2}), sent);
}
