// Sleep under a run: the clock and the charge stand still from the suspend
// notice to the resume notice, and the network gets 10 s after the wake.
#include <gtest/gtest.h>

#include "kalvex_dialog.h"
#include "../controller/meter.h"
#include "../controller/pinger.h"
#include "../probe/services.h"

TEST(Sleep, TheNightIsNotOnLineAndTheNetworkGetsTimeToComeBack)
{
    WritePrivateProfileStringA("Default", "Host", LoopAddr(9).c_str(), "KALVEX.INI");   // Kalv, refused
    KalvexDialog d(Pinger);
    d.Set(IDC_INTERVAL, "60");
    d.Set(IDC_RATE, "3600");                    // a dollar a second
    const DWORD t0 = 1000000, wake = t0 + 5500 + 8 * 3600 * 1000;
    fake::tick = t0;
    d.Command(IDC_START);
    KillTimer(d.hDlg, iTimer);
    PumpFor(50);                                // the first step, at once
    iErrMax = 3;
    // A power notice, or a timer step (0) and what it shows; then failed starts
    // (two in a row before the sleep and two after it stop nothing).
    const struct { DWORD at; WPARAM power; const char *time, *charge; int sent, fails; } rows[] = {
        {t0 + 1000, 0, "00:00:01", "$1.00", 2, 0}, {t0 + 5500, PBT_APMSUSPEND, 0, 0, 2, 2},
        {t0 + 6000, 0, "00:00:05", "$5.00", 2, 0},                      // on the way to sleep
        {wake, PBT_APMRESUMEAUTOMATIC, 0, 0, 2, 1}, {wake + 1000, PBT_APMRESUMESUSPEND, 0, 0, 2, 1},
        {wake + 9900, 0, "00:00:15", "$15.00", 2, 0},                   // long overdue: no network yet
        {wake + 10000, 0, "00:00:15", "$15.00", 3, 0},
        {wake + 20000, PBT_APMRESUMEAUTOMATIC, 0, 0, 3, 0},             // no suspend notice came:
        {wake + 21000, 0, "00:00:26", "$26.00", 3, 0},                  // nothing is taken off,
        {wake + 30000, 0, "00:00:35", "$35.00", 4, 0}};                 // but the network gets its 10 s
    for (auto &r : rows) {
        PumpUntil([] { return !PingFlag; });
        fake::tick = r.at;
        EXPECT_EQ((LRESULT)(r.power != 0), SendMessageA(d.hDlg, r.power ? WM_POWERBROADCAST : WM_TIMER, r.power, 0));
        for (int i = 0; i < r.fails; ++i)
            vMeterFailedStart();
        EXPECT_EQ(r.sent, SentCount) << r.at - t0;
        if (r.time) {
            EXPECT_EQ(r.time, d.Text(IDC_TIMEONLINE)) << r.at - t0;
            EXPECT_EQ(r.charge, d.Text(IDC_CHARGE)) << r.at - t0;
        }
    }
    PumpFor(50);
    EXPECT_FALSE(d.Enabled(IDC_START));
}
