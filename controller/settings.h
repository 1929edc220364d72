/* KALVEX.INI: read when the dialog opens, written at every Start. */
#ifndef KALVEX_SETTINGS_H
#define KALVEX_SETTINGS_H

#include "../app/kalvex.h"

#define KX_INIFILE "KALVEX.INI"

extern int bAutoStart;
extern char szService[25];

void vReadSettings(HWND hDlg);
void vWriteSettings(HWND hDlg);

#endif
