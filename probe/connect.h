/* The connection engine: one asynchronous TCP connection per probe. */
#ifndef KALVEX_CONNECT_H
#define KALVEX_CONNECT_H

#include "../app/kalvex.h"

extern SOCKET cli_sock;
extern struct sockaddr_in srv_addr;
extern char szDestStr[80];
extern u_long ulinet;
extern HANDLE hWGHBN;
/* Each host lookup's own buffer, and the lookup it is lent to (0: none). */
#define KX_LOOKUPS 16
extern HANDLE ahLookup[KX_LOOKUPS];
extern char sGetHostBuff[KX_LOOKUPS][MAXGETHOSTSTRUCT];
extern char szCaption[80];
extern double dConnectQ0;
extern BOOL bAimConnect;

/* The timer that holds back an aimed connect; the dialog's own is 1. */
#define KX_AIM_TIMER_ID 2

/* How far the probe in flight has come: each stage waits for one kind of
 * notification, and every other kind is stale. */
enum { KX_PROBE_IDLE, KX_PROBE_RESOLVING, KX_PROBE_AIMING, KX_PROBE_CONNECTING, KX_PROBE_CONNECTED };
extern int iProbeStage;

SOCKET socConnect(LPCSTR Host, u_short service);
BOOL bNoticeIsCurrent(UINT msg, WPARAM wParam, LPARAM lParam);
int OnHostAddressResolution(WPARAM wParam, LPARAM lParam);
/* Every answer, the probe's own or a late one, once it has been dealt
 * with: the lookup's buffer is free again. */
void vLookupAnswered(WPARAM wParam);
int OnAimedConnect(void);
double dCounterNow(void);      /* the performance counter, in seconds */
int OnConnect(LPARAM lResult);
void CloseSocket(SOCKET sock);

#endif
