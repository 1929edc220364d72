/* Our own small control layer: the gray dialog class, bitmap buttons,
 * check boxes and shaded frames that the dialog template names. */
#ifndef KALVEX_CONTROLS_H
#define KALVEX_CONTROLS_H

#include "../app/kalvex.h"

#define KX_CLASS_DIALOG "BorDlg_Gray"
#define KX_CLASS_BUTTON "BorBtn"
#define KX_CLASS_CHECK  "BorCheck"
#define KX_CLASS_SHADE  "BorShade"

/* Frame styles of BorShade (low byte), and the flag that shows the
 * window text as the frame's caption. */
#define BSS_GROUP       1L
#define BSS_RGROUP      6L
#define BSS_CAPTION     0x8000L

/* The gray of every face: dialog, frames, check boxes, button images. */
#define KX_FACE_RGB     RGB(192, 192, 192)

/* Registers the four classes for every module of the process
 * (CS_GLOBALCLASS), so that dialogs of any module and a look-up without an
 * instance find them.  A second call changes nothing. */
void vRegisterControls(HINSTANCE hInst);

#endif
