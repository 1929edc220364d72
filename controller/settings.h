/* KALVEX.INI: read when the dialog opens, written at every Start; the host
 * list also whenever "+" or "--" changes it. */
#ifndef KALVEX_SETTINGS_H
#define KALVEX_SETTINGS_H

#include "../app/kalvex.h"
#include "inifile.h"

/* Defaults of a missing file.  The host is one of the listed servers. */
#define KX_DEFAULT_HOST     "time.nist.gov"
#define KX_DEFAULT_HOSTLIST "time.nist.gov;time-a.nist.gov;"

extern int bAutoStart;
extern char szService[25];
extern int iTimeVal;        /* the Interval in seconds, at least 20 once read */
/* The limit fields' texts, read and saved here, taken by Start's limits. */
extern char szAlarm[5], szGoMin[5], szStop[5], szHourly[6];

/* Seconds between probes: never below 20, and never so many that the
 * milliseconds reach half the 32-bit tick count's range, where the due
 * test would take the due time for one long past. */
#define KX_MIN_INTERVAL 20
#define KX_MAX_INTERVAL ((int)(0x7FFFFFFFUL / 1000))
int iIntervalOf(LPCSTR lpsText);

void vReadSettings(HWND hDlg);
void vWriteSettings(HWND hDlg);

/* Whether "+" may list the name: a host name that comes back as itself
 * from the file, with room left for it in the saved list. */
BOOL bHostListTakes(HWND hDlg, LPCSTR lpsName);
void vSaveHostList(HWND hDlg);

/* A text field's text taken from the dialog into its setting's buffer, cut
 * to the length that is saved; "" for a control that is no text setting. */
LPCSTR lpsTakeField(HWND hDlg, int idField);

/* Cuts each text field at its first control character, so that what runs
 * is what is saved. */
void vCutFieldsAtControls(HWND hDlg);

#endif
