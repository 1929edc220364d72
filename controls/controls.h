/* Our own small control layer: the gray dialog class, bitmap buttons,
 * check boxes and shaded frames that the dialog template names. */
#ifndef KALVEX_CONTROLS_H
#define KALVEX_CONTROLS_H

#include "../app/kalvex.h"

#define KX_CLASS_DIALOG "BorDlg_Gray"
#define KX_CLASS_BUTTON "BorBtn"
#define KX_CLASS_CHECK  "BorCheck"
#define KX_CLASS_SHADE  "BorShade"

/* Frame styles of BorShade */
#define BSS_GROUP       1L
#define BSS_RGROUP      6L

void vRegisterControls(HINSTANCE hInst);

#endif
