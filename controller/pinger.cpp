#include "pinger.h"
#include "../probe/connect.h"
#include "../probe/services.h"
#include "../timesvc/timesvc.h"

HWND ghDlg;
char szDest[512];
UINT_PTR iTimer;
int iTimeVal;
DWORD Inter, NextTickCount;
const int randtbl[11] = { 0, 1, 13, 3, 1, 5, 0, 15, 1, 10, 4 };
int rIndex, adding = 1;

/* TODO(issue 6) */
extern "C" INT_PTR CALLBACK Pinger(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void vRouteSocketEvent(WPARAM wParam, LPARAM lParam)
{
    (void)wParam;   /* one probe at a time: the busy flags say whose it is */
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_READ:
        if (FingerFlag) { FingerRead(); FingerClose(); }
        if (DayTimeFlag) { DayTimeRead(); DayTimeClose(); }
        if (TimeFlag) { TimeRead(); TimeClose(); }
        if (QuoteFlag) { QuoteRead(); QuoteClose(); }
        if (UserFlag) { UserRead(); UserClose(); }
        break;
    case FD_WRITE:
        if (FingerFlag)
            FingerWrite();
        break;
    case FD_CONNECT:
        OnConnect(lParam);
        if (PingFlag)
            PingClose();
        break;
    case FD_CLOSE:
        if (FingerFlag) FingerClose();
        if (TimeFlag) TimeClose();
        if (DayTimeFlag) DayTimeClose();
        if (QuoteFlag) QuoteClose();
        if (UserFlag) UserClose();
        break;
    }
}
