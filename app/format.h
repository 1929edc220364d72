/* Formatted text into a fixed-size buffer with the system's own C library,
 * which the program loads anyway: the one formatter for every text, the
 * charge's float among them, so that no library is loaded at start for
 * formatting alone. */
#ifndef KALVEX_FORMAT_H
#define KALVEX_FORMAT_H

#include "kalvex.h"

/* Formats into lpsBuf, which always ends up terminated.  Returns the length
 * of the text, or -1 when it did not fit and was cut to cchBuf - 1. */
int iFormat(LPSTR lpsBuf, int cchBuf, LPCSTR lpsFormat, ...)
    __attribute__((format(ms_printf, 3, 4)));

#endif
