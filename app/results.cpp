#include "results.h"

void vWriteResults(LPCSTR lpsResult, int bErr)
{
    (void)lpsResult; (void)bErr;    /* TODO(issue 2) */
}

void vSendMyselfStop(void)
{
}
