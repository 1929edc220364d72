/* The one way results, status and failures reach the user and the log. */
#ifndef KALVEX_RESULTS_H
#define KALVEX_RESULTS_H

#include "kalvex.h"

#define KX_LOGFILE "kalvex.err"

void vWriteResults(LPCSTR lpsResult, int bErr);
void vSendMyselfStop(void);

#endif
