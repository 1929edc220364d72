#include "format.h"

#include <stdarg.h>
#include <stdio.h>

int iFormat(LPSTR lpsBuf, int cchBuf, LPCSTR lpsFormat, ...)
{
    if (cchBuf <= 0)
        return -1;
    va_list ap;
    va_start(ap, lpsFormat);
    /* The C library's own _vsnprintf leaves a text that fills the room
     * unterminated and says -1 for one that overflows it: one place is
     * kept back for the terminator. */
    int n = _vsnprintf(lpsBuf, (size_t)cchBuf - 1, lpsFormat, ap);
    va_end(ap);
    if (n < 0) {
        lpsBuf[cchBuf - 1] = '\0';
        return -1;
    }
    lpsBuf[n] = '\0';
    return n;
}
