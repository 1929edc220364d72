/* Paths of the files the program writes and reads besides its settings.
 * They are wide, so that a folder may be named in any script; the files'
 * contents stay single-byte. */
#ifndef KALVEX_PATHS_H
#define KALVEX_PATHS_H

#include "kalvex.h"

/* Folder (its first nFolder characters, a trailing backslash dropped), "\"
 * and name into a MAX_PATH buffer; FALSE when it does not fit. */
BOOL bJoinPath(WCHAR wszPath[MAX_PATH], LPCWSTR lpwsFolder, int nFolder, LPCWSTR lpwsName);

/* The user's own folder of the program, %APPDATA%\Kalvex32, which the user
 * may always write; FALSE when there is no such variable or the path is
 * too long.  The folder itself is not made here. */
BOOL bUserFolder(WCHAR wszPath[MAX_PATH]);

/* Whether the path names a file (not a folder) that is there. */
BOOL bIsFile(LPCWSTR lpwsPath);

/* The first cchWide characters at lpwsText in the ANSI code page, into
 * lpsBuf, cut to whole characters that fit; returns the length.  A letter
 * the code page lacks becomes "?", never a look-alike that would name
 * another file. */
int iNarrow(LPCWSTR lpwsText, int cchWide, LPSTR lpsBuf, int nSize);

#endif
