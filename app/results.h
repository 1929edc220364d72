/* The one way results, status and failures reach the user and the log. */
#ifndef KALVEX_RESULTS_H
#define KALVEX_RESULTS_H

#include "kalvex.h"

#define KX_LOGFILE "kalvex.err"

void vWriteResults(LPCSTR lpsResult, int bErr);
/* The same for a text that names a file or folder: shown with its real
 * letters, logged in the ANSI code page with "?" for any it lacks. */
void vWriteResultsW(LPCWSTR lpwsResult, int bErr);
void vSendMyselfStop(void);

#endif
