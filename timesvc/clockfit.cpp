/* The answers of one Time server, intersected.  The server's clock is
 * modelled as theta + (1 + r) q, q being our counter in seconds and r its
 * rate error, at most 200 ppm either way.  An answer with the second S,
 * read between the counter's q0 and q1, says
 *     theta + (1 + r) q0 < S + 1   and   theta + (1 + r) q1 >= S,
 * whatever the network did on the way: two half-planes in (theta, r).  The
 * region that all answers allow is a convex polygon; the server's time at
 * any q lies between the least and the greatest value of the model over
 * its corners.  Counting q from the oldest answer's q0 and the seconds
 * from its S keeps every number small. */
#include "clockfit.h"

#include <math.h>
#include <string.h>

#define KX_FIT_MAX_RATE 200e-6      /* the counter's rate error, either way */
#define KX_FIT_WINDOW_S 900.0       /* answers of the last 15 minutes... */
#define KX_FIT_MIN_KEPT 8           /* ...and at least the last 8 */
/* At the shortest Interval with the widest jitter, 15 minutes hold 180 answers. */
#define KX_FIT_MAX_KEPT 192
/* Each half-plane is widened by this much, and the bound by the margin, so
 * that rounding can never put the truth outside. */
#define KX_FIT_SLACK 1e-9
#define KX_FIT_MARGIN 1e-6

struct FITANSWER {
    LONGLONG llSec;
    double dQ0, dQ1;
};

struct CORNER {
    double dTheta, dRate;
};

/* All owned here, rebuilt at each answer. */
static FITANSWER aAnswers[KX_FIT_MAX_KEPT];     /* oldest first */
static int nAnswers;
/* A convex polygon gains at most one corner per half-plane. */
#define KX_FIT_MAX_CORNERS (2 * KX_FIT_MAX_KEPT + 4)
static CORNER aRegion[KX_FIT_MAX_CORNERS], aClipped[KX_FIT_MAX_CORNERS];
static int nCorners;
static char szFitHost[80];      /* the host the answers came from */

void ClockFitReset(void)
{
    nAnswers = 0;
    nCorners = 0;
}

void ClockFitForHost(LPCSTR lpsHost)
{
    if (strncmp(szFitHost, lpsHost, sizeof(szFitHost) - 1) == 0)
        return;
    ClockFitReset();
    lstrcpynA(szFitHost, lpsHost, sizeof(szFitHost));
}

/* Keeps the part of the region where dA theta + dB r <= dC. */
static void vClip(double dA, double dB, double dC)
{
    int n = 0;

    for (int i = 0; i < nCorners; i++) {
        const CORNER *p = &aRegion[i], *pNext = &aRegion[(i + 1) % nCorners];
        double f = dC - (dA * p->dTheta + dB * p->dRate);
        double fNext = dC - (dA * pNext->dTheta + dB * pNext->dRate);
        if (f >= 0 && n < KX_FIT_MAX_CORNERS)
            aClipped[n++] = *p;
        if ((f >= 0) != (fNext >= 0) && n < KX_FIT_MAX_CORNERS) {
            double t = f / (f - fNext);
            aClipped[n].dTheta = p->dTheta + t * (pNext->dTheta - p->dTheta);
            aClipped[n].dRate = p->dRate + t * (pNext->dRate - p->dRate);
            n++;
        }
    }
    memcpy(aRegion, aClipped, n * sizeof(aRegion[0]));
    nCorners = n;
}

/* The region of the answers kept; FALSE when they allow none. */
static BOOL bBuildRegion(void)
{
    const FITANSWER *pBase = &aAnswers[0];
    /* The oldest answer alone, at q = 0, puts theta between -(1 + r)(q1 -
     * q0) and 1: a box a second wider holds every offset it allows. */
    double dLow = -(pBase->dQ1 - pBase->dQ0) * (1 + KX_FIT_MAX_RATE) - 1, dHigh = 2;

    aRegion[0].dTheta = dLow;  aRegion[0].dRate = -KX_FIT_MAX_RATE;
    aRegion[1].dTheta = dHigh; aRegion[1].dRate = -KX_FIT_MAX_RATE;
    aRegion[2].dTheta = dHigh; aRegion[2].dRate = KX_FIT_MAX_RATE;
    aRegion[3].dTheta = dLow;  aRegion[3].dRate = KX_FIT_MAX_RATE;
    nCorners = 4;
    for (int i = 0; i < nAnswers && nCorners > 0; i++) {
        double dS = (double)(aAnswers[i].llSec - pBase->llSec);
        double dQ0 = aAnswers[i].dQ0 - pBase->dQ0, dQ1 = aAnswers[i].dQ1 - pBase->dQ0;
        vClip(1, dQ0, dS + 1 - dQ0 + KX_FIT_SLACK);
        vClip(-1, -dQ1, dQ1 - dS + KX_FIT_SLACK);
    }
    return nCorners > 0;
}

static void vDropOldest(int n)
{
    nAnswers -= n;
    memmove(aAnswers, aAnswers + n, nAnswers * sizeof(aAnswers[0]));
}

int iClockFitAdd(LONGLONG llSec, double dQ0, double dQ1)
{
    /* a bracket that is no bracket says nothing */
    if (!(dQ1 >= dQ0) || !isfinite(dQ0) || !isfinite(dQ1))
        return nAnswers;
    if (nAnswers == KX_FIT_MAX_KEPT)
        vDropOldest(1);
    aAnswers[nAnswers].llSec = llSec;
    aAnswers[nAnswers].dQ0 = dQ0;
    aAnswers[nAnswers].dQ1 = dQ1;
    nAnswers++;
    while (nAnswers > KX_FIT_MIN_KEPT && dQ1 - aAnswers[0].dQ1 > KX_FIT_WINDOW_S)
        vDropOldest(1);
    /* None of the server's clocks fits them all: it was stepped, or
     * another machine answers under its name.  The newest answer is the
     * server as it is now. */
    if (!bBuildRegion()) {
        vDropOldest(nAnswers - 1);
        bBuildRegion();
    }
    return nAnswers;
}

/* The least and greatest server time over the region at dQ (relative). */
static void vRange(double dQ, double *pdLow, double *pdHigh)
{
    *pdLow = *pdHigh = aRegion[0].dTheta + (1 + aRegion[0].dRate) * dQ;
    for (int i = 1; i < nCorners; i++) {
        double d = aRegion[i].dTheta + (1 + aRegion[i].dRate) * dQ;
        *pdLow = d < *pdLow ? d : *pdLow;
        *pdHigh = d > *pdHigh ? d : *pdHigh;
    }
}

BOOL bClockFitAt(double dQ, CLOCKESTIMATE *pce)
{
    double dLow, dHigh, dMid, dWhole;

    if (nAnswers == 0 || nCorners == 0)
        return FALSE;
    vRange(dQ - aAnswers[0].dQ0, &dLow, &dHigh);
    dMid = (dLow + dHigh) / 2;
    dWhole = floor(dMid);
    pce->llSec = aAnswers[0].llSec + (LONGLONG)dWhole;
    pce->dFrac = dMid - dWhole;
    pce->dBound = (dHigh - dLow) / 2 + KX_FIT_MARGIN;
    return TRUE;
}

double dClockFitAimDelay(double dQNow)
{
    CLOCKESTIMATE ce;
    /* The server reads its clock about halfway through the exchange; the
     * newest one is the best guess of how long the next one takes. */
    const FITANSWER *pLast = &aAnswers[nAnswers > 0 ? nAnswers - 1 : 0];
    double dDelay;

    if (!bClockFitAt(dQNow + (pLast->dQ1 - pLast->dQ0) / 2, &ce))
        return 0;
    /* The server's second and ours differ by 200 ppm at most: a fifth of
     * a millisecond over the wait, well inside any bracket. */
    dDelay = 1 - ce.dFrac;
    return dDelay >= 1 ? 0 : dDelay;
}
