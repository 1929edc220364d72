/* A small help window of our own, called the way the system help engine is:
 * HELP_QUIT closes it, any other command shows the file at its contents.
 * The file is plain text; a line underlined with "=" starts a topic, and
 * the topics are listed beside the text. */
#ifndef KALVEX_HELPVIEW_H
#define KALVEX_HELPVIEW_H

#include "kalvex.h"

/* Child windows of the help window */
#define IDC_HELP_TOPICS     1
#define IDC_HELP_TEXT       2

/* Returns TRUE when the command was carried out: for a show command, when
 * the file was found (beside the program, else in the current folder) and
 * shown.  A file that is not found still opens the window, with a note
 * saying where it was looked for. */
BOOL WINAPI HelpViewA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

/* The help window, or NULL while none is open. */
HWND hHelpViewWindow(void);

#endif
