#include "connect.h"

SOCKET cli_sock = INVALID_SOCKET;
struct sockaddr_in srv_addr;
char szDestStr[80];
u_long ulinet;
HANDLE hWGHBN;
char sGetHostBuff[MAXGETHOSTSTRUCT];
char szMyIP[40];
char szCaption[80];
int iSize;

SOCKET socConnect(LPCSTR Host, u_short service)
{
    (void)Host; (void)service;      /* TODO(issue 2) */
    return INVALID_SOCKET;
}

void OnHostAddressResolution(WPARAM wParam, LPARAM lParam) { (void)wParam; (void)lParam; }
int OnConnect(LPARAM lResult) { (void)lResult; return -1; }
void CloseSocket(SOCKET sock) { (void)sock; }
