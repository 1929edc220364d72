/* A settings file section as GetPrivateProfileSection hands it over, looked
 * up key by key the way GetPrivateProfileString answers. */
#ifndef KALVEX_SECTION_H
#define KALVEX_SECTION_H

#include "../app/kalvex.h"

/* lpsBlock: "key=value" strings, each ended by a NUL, the last by a second
 * one.  Copies the value of lpsKey into lpsBuf (nSize > 0), cut to fit, as
 * GetPrivateProfileString gives it: the first line whose name is lpsKey,
 * byte for byte but for the capitals of A to Z, decides; blanks around
 * name and value do not count, and one pair of like quotes round the
 * value is dropped.  Returns the length
 * copied, or -1 when that key is missing or has no "=" (the profile calls'
 * default then applies, and lpsBuf is left alone). */
int iSectionValue(LPCSTR lpsBlock, LPCSTR lpsKey, LPSTR lpsBuf, int nSize);

#endif
