/* Which settings file is used, and whether it can be read: chosen each time
 * the dialog opens, kept while it is open. */
#ifndef KALVEX_INIFILE_H
#define KALVEX_INIFILE_H

#include "../app/kalvex.h"

#define KX_INIFILE "KALVEX.INI"

/* The settings file's path as handed to the profile calls; chosen at the
 * first use when the dialog has not chosen it yet. */
LPCWSTR lpwsIniFile(void);
void vChooseIniFileAnew(void);

/* It is there but could not be read: nothing is written to it this run. */
BOOL bIniFileNotRead(void);
/* It begins with a byte-order mark. */
BOOL bIniFileUnicode(void);

/* "Settings not read from ..." once the dialog has chosen a file that could
 * not be read; "Settings not saved: ..." at each Start that leaves it alone. */
void vReportIniNotRead(void);
void vReportIniNotSaved(void);
/* "Settings not saved to ...: <reason> (<code>)" for a write that failed. */
void vReportIniNotWritten(DWORD dwError);

#endif
