#include "settings.h"

int bAutoStart;
char szService[25];

/* TODO(issue 5) */
void vReadSettings(HWND) {}
void vWriteSettings(HWND) {}
