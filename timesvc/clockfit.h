/* What the Time answers of one server say about its clock: each answer is
 * a bracket, and together they pin down the server's offset and the rate
 * of our performance counter against it.  No window, no socket: answers
 * in, the estimate, its bound and the aim of the next probe out. */
#ifndef KALVEX_CLOCKFIT_H
#define KALVEX_CLOCKFIT_H

#include "../app/kalvex.h"

/* The server's clock at one moment of the counter. */
struct CLOCKESTIMATE {
    LONGLONG llSec;     /* whole seconds since 1970 */
    double dFrac;       /* and the part of a second, 0 <= dFrac < 1 */
    double dBound;      /* the truth lies within this many seconds of it */
};

/* Forgets every answer: the computer has slept, or the server changed. */
void ClockFitReset(void);

/* Starts anew when lpsHost is not the host the answers came from. */
void ClockFitForHost(LPCSTR lpsHost);

/* One answer: the server sent the second llSec (since 1970); the counter,
 * in seconds, read dQ0 just before the connect and dQ1 when the answer was
 * read.  Returns how many answers the estimate now rests on: 1 after a
 * fresh start, also when this answer contradicted the earlier ones. */
int iClockFitAdd(LONGLONG llSec, double dQ0, double dQ1);

/* The server's clock at the counter's dQ; FALSE while there is no answer. */
BOOL bClockFitAt(double dQ, CLOCKESTIMATE *pce);

/* Seconds (0 to under 1) to wait from the counter's dQNow before the next
 * connect, so that the server reads its clock at the predicted turn of one
 * of its seconds; 0 while there is no answer. */
double dClockFitAimDelay(double dQNow);

#endif
