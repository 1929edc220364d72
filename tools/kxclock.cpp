/* kxclock: the precision of the clock estimate against a Time server on
 * loopback that runs a known offset from this computer (kxserve -o).
 *
 *   kxclock ADDRESS OFFSET [ANSWERS]
 *
 * Asks ADDRESS for the time ANSWERS times (32 by default), each connect
 * aimed as the program aims it, feeds the estimator the real exchanges and
 * prints, answer by answer, the bound and the real error of the estimate:
 * the estimate minus this computer's clock plus OFFSET.
 *
 * The answers are spaced as at the Interval of 20 s on a compressed clock:
 * between two exchanges both the counter and the server's time are moved
 * on by 19 whole seconds.  A server tells whole seconds, so moving its time
 * by whole seconds is exactly what waiting would do; only the counter's
 * own rate error goes unseen, and on one machine there is none. */
#include <winsock.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../timesvc/clockfit.h"

#define KX_SHIFT_S 19           /* seconds skipped between two exchanges */
#define KX_EPOCH_1900 2208988800LL
#define KX_EPOCH_1601 11644473600LL

static double dCounter(void)
{
    LARGE_INTEGER li, liFreq;
    QueryPerformanceCounter(&li);
    QueryPerformanceFrequency(&liFreq);
    return (double)(li.QuadPart / liFreq.QuadPart) + (double)(li.QuadPart % liFreq.QuadPart) / liFreq.QuadPart;
}

/* This computer's clock, in seconds since 1970. */
static double dClock(void)
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long ull = ((unsigned long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
    return (double)(long long)(ull / 10000000 - KX_EPOCH_1601) + (double)(ull % 10000000) / 1e7;
}

/* One exchange from the counter's dQ0 on: the second told, or -1. */
static long long llAsk(const sockaddr_in *pAddr, double *pdQ0, double *pdQ1)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    unsigned char ab[4];
    int cb = 0, n = 1;
    *pdQ0 = dCounter();
    if (connect(s, (const sockaddr *)pAddr, sizeof(*pAddr)) != 0) {
        closesocket(s);
        return -1;
    }
    while (cb < 4 && n > 0)
        cb += n = recv(s, (char *)ab + cb, 4 - cb, 0);
    *pdQ1 = dCounter();
    closesocket(s);
    if (cb != 4)
        return -1;
    return ((long long)ab[0] << 24 | ab[1] << 16 | ab[2] << 8 | ab[3]) - KX_EPOCH_1900;
}

int main(int argc, char **argv)
{
    if (argc < 3 || strncmp(argv[1], "127.", 4) != 0) {
        fprintf(stderr, "usage: kxclock 127.x.x.x OFFSET [ANSWERS]\n");
        return 2;
    }
    double dOffset = atof(argv[2]);
    int nAnswers = argc > 3 ? atoi(argv[3]) : 32;
    WSADATA wsa;
    WSAStartup(0x0101, &wsa);
    sockaddr_in addr;
    memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_port = htons(37);
    addr.sin_addr.s_addr = inet_addr(argv[1]);

    long long llShift = 0;      /* whole seconds the compressed clock is ahead */
    ClockFitReset();
    for (int i = 1; i <= nAnswers; ++i, llShift += KX_SHIFT_S) {
        /* the aim, waited for as the program waits: coarse, then on the counter */
        double dAt = dCounter() + llShift;
        dAt += dClockFitAimDelay(dAt);
        if (dAt - llShift - dCounter() > 0.03)
            Sleep((DWORD)((dAt - llShift - dCounter() - 0.03) * 1000));
        while (dCounter() + llShift < dAt) {
        }
        double dQ0, dQ1;
        long long llSec = llAsk(&addr, &dQ0, &dQ1);
        if (llSec < 0) {
            fprintf(stderr, "kxclock: no answer from %s\n", argv[1]);
            return 1;
        }
        iClockFitAdd(llSec + llShift, dQ0 + llShift, dQ1 + llShift);
        CLOCKESTIMATE ce;
        double dQ = dCounter(), dTruth = dClock() + dOffset;
        bClockFitAt(dQ + llShift, &ce);
        double dError = (double)(ce.llSec - llShift - (long long)floor(dTruth)) + ce.dFrac - (dTruth - floor(dTruth));
        printf("answer %2d: bracket %7.3f ms, bound %8.3f ms, error %8.3f ms%s\n", i,
               (dQ1 - dQ0) * 1000, ce.dBound * 1000, dError * 1000,
               fabs(dError) <= ce.dBound ? "" : "  OUTSIDE");
        fflush(stdout);
    }
    WSACleanup();
    return 0;
}
