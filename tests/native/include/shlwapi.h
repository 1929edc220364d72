/* Native stand-in: the formatter that is told its room. */
#ifndef KX_NATIVE_SHLWAPI_H
#define KX_NATIVE_SHLWAPI_H

#include "windows.h"

int wnsprintfA(LPSTR lps, int cch, LPCSTR lpsFormat, ...);
int wvnsprintfA(LPSTR lps, int cch, LPCSTR lpsFormat, va_list args);
/* The Windows C library's formatter: -1 for a text longer than the room,
 * and no terminator for one that fills it exactly. */
int _vsnprintf(char *lps, size_t cch, const char *lpsFormat, va_list args);
BOOL PathFileExistsA(LPCSTR lpsPath);

#endif
