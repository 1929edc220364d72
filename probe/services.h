/* The text services (Kalv, Finger, DayTime, Quote, Users) and the buffers,
 * busy flags and counters that every service shares. */
#ifndef KALVEX_SERVICES_H
#define KALVEX_SERVICES_H

#include "../app/kalvex.h"

#define KALV_PORT       23
#define FINGER_PORT     79
#define DAYTIME_PORT    13
#define TIME_PORT       37
#define QUOTE_PORT      17
#define USERS_PORT      11

extern int PingFlag, FingerFlag, DayTimeFlag, QuoteFlag, UserFlag;
extern int TimeFlag;                /* timesvc/timesvc.cpp */
extern SOCKET ps, fs, ts, qs, us;

extern char buffer[256];            /* 255 bytes received and a terminator */
extern int bytes;
extern char szResult[255];
extern int SentCount, RecvCount;
extern char szSent[30], szRecv[30];

BOOL PingStart(LPCSTR szHost);
void PingClose(void);
BOOL FingerStart(LPCSTR szHost);
void FingerWrite(void);
void FingerRead(void);
void FingerClose(void);
BOOL DayTimeStart(LPCSTR szHost);
void DayTimeRead(void);
void DayTimeClose(void);
BOOL QuoteStart(LPCSTR szHost);
void QuoteRead(void);
void QuoteClose(void);
BOOL UserStart(LPCSTR szHost);
void UserRead(void);
void UserClose(void);

/* One more request sent, or answer received, counted and shown. */
void vCountRequest(void);
void vCountAnswer(void);

u_short checksum(const void *pPacket, int nBytes);

#endif
