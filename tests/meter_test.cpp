// The online meter: the clock and the charge against a driven tick count,
// and the limits that minimize, alarm and stop after numbers of probes.
#include <gtest/gtest.h>

#include "kalvex_dialog.h"
#include "../controller/meter.h"
#include "../controller/pinger.h"
#include "../probe/services.h"

// One timer step at ms milliseconds after base, as the 32-bit tick count reads.
static void StepAt(const KalvexDialog &d, DWORD base, unsigned long long ms)
{
    fake::tick = base + (DWORD)(ms & 0xFFFFFFFFu);
    vMeterTick(d.hDlg);
}

// The dialog's own Start with these limit fields: Minimize, Alarm, Stop,
// Rate.  Under the recording procedure its timer never runs.
static void StartWith(const KalvexDialog &d, const char *goMin, const char *alarm,
                      const char *stop, const char *rate = "0")
{
    d.Set(IDC_GOMIN, goMin);
    d.Set(IDC_ALARM, alarm);
    d.Set(IDC_STOPVAL, stop);
    d.Set(IDC_RATE, rate);
    Pinger(d.hDlg, WM_COMMAND, IDC_START, 0);
}

static void DueStep(const KalvexDialog &d, bool launched)
{
    bMeterDueStep(d.hDlg, launched ? KX_STEP_SENT : KX_STEP_NOTHING);
}

TEST(Meter, TimeOnLineRunsFromTheFirstStartAndWrapsAfter2To32ms)
{
    KalvexDialog d;
    const DWORD base = fake::tick = 0xFFFF0000;     // the tick count wraps during the run
    StartWith(d, "9", "0", "0");
    vMeterTick(d.hDlg);
    EXPECT_EQ("00:00:00", d.Text(IDC_TIMEONLINE));
    StepAt(d, base, 3725900);
    EXPECT_EQ("01:02:05", d.Text(IDC_TIMEONLINE));
    StartWith(d, "9", "0", "0");                    // Stop and Start again: no reset
    StepAt(d, base, 100 * 3600000ULL);
    EXPECT_EQ("100:00:00", d.Text(IDC_TIMEONLINE));
    EXPECT_STREQ("100:00:00", szTime);
    StepAt(d, base, 0xFFFFFFFFULL);
    EXPECT_EQ("1193:02:47", d.Text(IDC_TIMEONLINE));
    StepAt(d, base, 0x100000000ULL + 5000);
    EXPECT_EQ("00:00:05", d.Text(IDC_TIMEONLINE));
}

// The charge is the hourly rate times the whole time on line, to the cent;
// a rate that is no positive number charges nothing.  The charge shows in
// full however large it grows; past the float range it stays at the largest
// amount a float holds.
TEST(Meter, ChargeFollowsTheHourlyRate)
{
    KalvexDialog d;
    const DWORD base = fake::tick;
    vMeterTick(d.hDlg);
    const struct { const char *rate; unsigned long long ms; const char *charge; } cases[] = {
        {"3.60", 10000, "$0.01"}, {"3.60", 3600000, "$3.60"}, {"1000", 3600000, "$1000.00"},
        {"1e5", 3600000, "$100000.00"}, {"0", 7200000, "$0.00"}, {"", 7200000, "$0.00"},
        {"-2", 7200000, "$0.00"}, {"abc", 7200000, "$0.00"}, {"inf", 7200000, "$0.00"},
        {"nan", 7200000, "$0.00"}, {"0x10", 7200000, "$0.00"},
        {"9e99", 7200000, "$340282346638528859811704183484516925440.00"},
    };
    for (auto &c : cases) {
        StartWith(d, "9", "0", "0", c.rate);
        StepAt(d, base, c.ms);
        EXPECT_EQ(c.charge, d.Text(IDC_CHARGE)) << c.rate;
    }
}

TEST(Meter, ProbesAreCountedAndKalvShowsThemAsReceived)
{
    KalvexDialog d;
    d.Set(IDC_RECV, "8");
    StartWith(d, "9", "0", "0");
    EXPECT_EQ("8", d.Text(IDC_RECV));               // the last run's numbers stay
    vMeterProbeSent(d.hDlg, FALSE);
    EXPECT_EQ("1", d.Text(IDC_SENT));
    EXPECT_EQ("8", d.Text(IDC_RECV));
    vMeterProbeSent(d.hDlg, TRUE);
    EXPECT_EQ("2", d.Text(IDC_SENT));
    EXPECT_EQ("2", d.Text(IDC_RECV));
    EXPECT_EQ(0, RecvCount);
    vMeterReset();
    EXPECT_EQ(0, SentCount);
    EXPECT_EQ("2", d.Text(IDC_SENT));
}

TEST(Meter, MinimizeAtItsCountOrAtOnce)
{
    KalvexDialog d;
    StartWith(d, "2", "0", "0");
    DueStep(d, true);
    EXPECT_FALSE(IsIconic(d.hDlg));
    DueStep(d, true);
    EXPECT_TRUE(IsIconic(d.hDlg));

    for (const char *goMin : {"0", "-1", "abc"}) {
        ShowWindow(d.hDlg, SW_RESTORE);
        StartWith(d, goMin, "0", "0");
        EXPECT_TRUE(IsIconic(d.hDlg)) << goMin;
    }
    ShowWindow(d.hDlg, SW_RESTORE);
    DueStep(d, false);                              // no probe yet: minimized again
    EXPECT_TRUE(IsIconic(d.hDlg));
    ShowWindow(d.hDlg, SW_RESTORE);
    DueStep(d, true);
    EXPECT_FALSE(IsIconic(d.hDlg));
}

TEST(Meter, AlarmRestoresAndBeepsWhileTheCountStays)
{
    KalvexDialog d;
    StartWith(d, "1", "3", "0");
    DueStep(d, true);
    DueStep(d, true);
    EXPECT_TRUE(IsIconic(d.hDlg));
    EXPECT_EQ(0, fake::beeps);
    DueStep(d, true);
    EXPECT_FALSE(IsIconic(d.hDlg));
    EXPECT_EQ(1, fake::beeps);
    DueStep(d, false);                              // start failed or service busy
    EXPECT_EQ(2, fake::beeps);
    DueStep(d, true);
    EXPECT_EQ(2, fake::beeps);

    StartWith(d, "9", "-3", "0");
    for (int i = 0; i < 5; ++i)
        DueStep(d, true);
    EXPECT_EQ(2, fake::beeps);
}

TEST(Meter, StopValueStopsOnlyWithAutostop)
{
    KalvexDialog d;
    d.Set(IDC_RESULTS, "earlier");
    StartWith(d, "1", "0", "5");
    for (int i = 0; i < 6; ++i)
        DueStep(d, true);
    EXPECT_EQ(0, fake::beeps);
    EXPECT_EQ(0, d.StopsPosted());
    EXPECT_EQ("earlier", d.Text(IDC_RESULTS));

    CheckDlgButton(d.hDlg, IDC_AUTOSTOP, BST_CHECKED);
    StartWith(d, "1", "0", "5");
    for (int i = 0; i < 4; ++i)
        DueStep(d, true);
    EXPECT_EQ(0, d.StopsPosted());
    DueStep(d, true);
    EXPECT_FALSE(IsIconic(d.hDlg));
    EXPECT_EQ(1, fake::beeps);
    EXPECT_EQ("Stopped as ordered..", d.Text(IDC_RESULTS));
    EXPECT_EQ(1, d.StopsPosted());
    EXPECT_FALSE(FileExists("kalvex.err"));
}

TEST(Meter, FailedStartsInARowPostStopAtTheLimit)
{
    KalvexDialog d;
    StartWith(d, "9", "0", "0");
    vMeterFailedStart();
    vMeterFailedStart();
    vMeterProbeSent(d.hDlg, FALSE);                 // the count starts again
    vMeterFailedStart();
    vMeterFailedStart();
    EXPECT_EQ(0, d.StopsPosted());
    vMeterFailedStart();
    EXPECT_EQ(1, d.StopsPosted());
    vMeterFailedStart();                            // past the limit: posted once only
    EXPECT_EQ(1, d.StopsPosted());

    for (int limit : {0, -2}) {
        iErrMax = limit;
        vMeterReset();
        for (int i = 0; i < 100; ++i)
            vMeterFailedStart();
        EXPECT_EQ(1, d.StopsPosted()) << limit;
    }
}
