#include "services.h"

int PingFlag, FingerFlag, DayTimeFlag, QuoteFlag, UserFlag;
SOCKET ps = INVALID_SOCKET, fs = INVALID_SOCKET, ts = INVALID_SOCKET,
       qs = INVALID_SOCKET, us = INVALID_SOCKET;
char buffer[256];
int bytes;
char szResult[255];
int SentCount, RecvCount;
char szSent[30], szRecv[30];

/* TODO(issue 3) */
BOOL PingStart(LPCSTR) { return FALSE; }
void PingClose(void) {}
BOOL FingerStart(LPCSTR) { return FALSE; }
void FingerWrite(void) {}
void FingerRead(void) {}
void FingerClose(void) {}
BOOL DayTimeStart(LPCSTR) { return FALSE; }
void DayTimeRead(void) {}
void DayTimeClose(void) {}
BOOL QuoteStart(LPCSTR) { return FALSE; }
void QuoteRead(void) {}
void QuoteClose(void) {}
BOOL UserStart(LPCSTR) { return FALSE; }
void UserRead(void) {}
void UserClose(void) {}
u_short checksum(const void *, int) { return 0; }
