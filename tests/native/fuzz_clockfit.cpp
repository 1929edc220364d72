/* A simulated Time server with any offset and any rate within 200 ppm,
 * asked at any spacing, with any bracket widths and lost SYNs, sometimes
 * aimed, sometimes stepped: the server's true time must always lie inside
 * the bound, and each answer may only narrow what the earlier ones allowed.
 * Input: rate (2 bytes), offset's fraction (2), whole seconds (4), the
 * counter's start (1), then 4 bytes per answer: gap, width, where in the
 * bracket the server reads its clock, flags (1 aim, 2 step the server's
 * clock by 20 s or more, 8 of them backwards). */
#include <math.h>

#include "fakes.h"
#include "../../timesvc/clockfit.h"

static double dTheta, dRate;    /* the server: dTheta + (1 + dRate) q, relative */
static long long llBase;        /* whole seconds that dTheta counts from */

static double dTruth(double dQ) { return dTheta + (1 + dRate) * dQ; }

/* The estimate at dQ, which must hold the truth. */
static CLOCKESTIMATE ceChecked(double dQ, int iAnswer)
{
    CLOCKESTIMATE ce;
    if (!bClockFitAt(dQ, &ce))
        Fail("no estimate after answer %d", iAnswer);
    double dEst = (double)(ce.llSec - llBase) + ce.dFrac;
    if (!(fabs(dEst - dTruth(dQ)) <= ce.dBound) || ce.dFrac < 0 || ce.dFrac >= 1)
        Fail("answer %d: estimate %.9f, truth %.9f, bound %.9f", iAnswer, dEst, dTruth(dQ), ce.dBound);
    return ce;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 9)
        return 0;
    dRate = (double)(int16_t)(data[0] | data[1] << 8) / 32768 * 200e-6;
    dTheta = (double)(data[2] | data[3] << 8) / 65536;
    llBase = 1000000000LL + (long long)(data[4] | data[5] << 8 | data[6] << 16 | (uint32_t)data[7] << 24);
    double dQ = data[8] * 1000.0;
    int nKept = 0;
    CLOCKESTIMATE ceBefore = {};

    ClockFitReset();
    for (size_t i = 9; i + 4 <= size; i += 4) {
        int iAnswer = (int)(i - 9) / 4;
        uint8_t bGap = data[i], bWidth = data[i + 1], bAt = data[i + 2], bFlags = data[i + 3];
        dQ += bGap == 255 ? 1000 : 5 + bGap % 36;
        double dDelay = bFlags & 1 ? dClockFitAimDelay(dQ) : 0;
        if (!(dDelay >= 0 && dDelay < 1))
            Fail("aim delay %.9f", dDelay);
        dQ += dDelay;
        if (nKept > 0)
            ceBefore = ceChecked(dQ, iAnswer);
        /* 1 to 4 ms on the wire, and a lost SYN costs 1 to 3 s more */
        double dWidth = 0.001 + (bWidth & 31) * 0.0001 + (bWidth & 0x80 ? 1 + (bWidth >> 5 & 3) : 0);
        if (bFlags & 2)
            dTheta += (bFlags & 8 ? -1 : 1) * (20 + (bFlags >> 4));
        long long llSec = llBase + (long long)floor(dTruth(dQ + dWidth * bAt / 255));
        int nBefore = nKept;
        nKept = iClockFitAdd(llSec, dQ, dQ + dWidth);
        if ((bFlags & 2) && nKept != 1)
            Fail("a stepped server kept %d answers", nKept);
        CLOCKESTIMATE ce = ceChecked(dQ, iAnswer);
        if (nKept == 1 && ce.dBound < 0.5)
            Fail("a first answer bound to %.9f", ce.dBound);
        /* a lost SYN's answer too narrows what the earlier ones allowed */
        double dMoved = (double)(ce.llSec - ceBefore.llSec) + ce.dFrac - ceBefore.dFrac;
        if (nBefore > 0 && nKept == nBefore + 1 && !(fabs(dMoved) <= ceBefore.dBound - ce.dBound + 1e-6))
            Fail("answer %d moved the estimate %.9f, bound %.9f", iAnswer, dMoved, ceBefore.dBound);
        dQ += dWidth;
        ceChecked(dQ + 30, iAnswer);
    }
    return 0;
}
