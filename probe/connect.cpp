/* The connection engine: one asynchronous TCP connection per probe, driven
 * forward by the notifications the sockets layer posts to the dialog. */
#include "connect.h"

#include <string.h>

#include "../app/format.h"
#include "../app/results.h"
#include "../app/seams.h"
#include "../timesvc/clockfit.h"
#include "errtext.h"
#include "services.h"

/* The probe in flight; owned here, shared by every service because only
 * one probe is ever in flight. */
SOCKET cli_sock = INVALID_SOCKET;
struct sockaddr_in srv_addr;
char szDestStr[80];                 /* host as typed, cut to 79 for messages */
u_long ulinet;
HANDLE hWGHBN;                      /* pending lookup; 0 for a dotted host */
char szMyIP[40];                    /* "Unknown" until the first connection */
char szCaption[80];
static int iSize;
int iProbeStage;                    /* KX_PROBE_IDLE until a probe starts */
/* The counter, in seconds, just before the probe's connect: the Time
 * server read its clock after it, whatever the network did. */
double dConnectQ0;
BOOL bAimConnect;                   /* set by the Time service's start, cleared by the next */
static double dAimAt;               /* the counter at which an aimed connect is due */

/* SetTimer fires up to a tick or two late, never early: the last stretch of
 * an aimed wait runs on the counter. */
#define KX_AIM_SPIN_MS 30

/* SO_DONTLINGER wants the on/off half cleared: close at once, without
 * waiting for unsent data. */
static struct linger Linger = { 0, 0 };

/* A server that never stops sending must not keep the close busy for good;
 * what is left after this much is dropped with the connection. */
#define KX_DRAIN_CHUNKS 256

/* Reports a failure led by the words for iError.  Every host named in
 * these texts is szDestStr, at most 79 characters, so each text fits. */
static void vReportFailure(int iError, LPCSTR lpsFormat)
{
    char szMsg[255];
    iFormat(szMsg, sizeof(szMsg), lpsFormat, szSockErr((DWORD)iError), szDestStr);
    vWriteResults(szMsg, 1);
}

/* Each lookup writes a buffer of its own, lent to it until its answer has
 * come: nothing promises that cancelling a lookup stops one under way, and
 * the late answer of a given-up lookup must not land in the buffer of the
 * one in use.  A lookup whose answer never comes (a cancel that worked) has
 * long ended once KX_LOOKUP_MAX_MS have passed, and its buffer is lent out
 * again.  Only Stop and the timer's patience give a lookup up, at most one
 * every few seconds, so all buffers are seldom lent at once; when they are,
 * the start fails as one the sockets layer has no room for. */
#define KX_LOOKUP_MAX_MS    120000
HANDLE ahLookup[KX_LOOKUPS];                    /* the lookup each buffer is lent to; 0: free */
char sGetHostBuff[KX_LOOKUPS][MAXGETHOSTSTRUCT];
static DWORD adwLookupLent[KX_LOOKUPS];         /* tick count at which it was lent */
static int iLookup;                             /* the buffer of the probe in flight */
/* Whether a dotted host's own answer, wParam 1, is still queued: the only
 * answer that is no lookup's and so frees no buffer. */
static BOOL bOwnAnswerQueued;

/* The search starts after the buffer lent last, so that a buffer is lent
 * again as late as can be. */
static int iFreeLookup(void)
{
    DWORD dwNow = pfnGetTickCount();
    for (int n = 1; n <= KX_LOOKUPS; n++) {
        int i = (iLookup + n) % KX_LOOKUPS;
        if (ahLookup[i] == 0 || dwNow - adwLookupLent[i] >= KX_LOOKUP_MAX_MS)
            return i;
    }
    return -1;
}

void vLookupAnswered(WPARAM wParam)
{
    if (wParam == 1 && bOwnAnswerQueued) {
        bOwnAnswerQueued = FALSE;
        return;
    }
    for (int i = 0; i < KX_LOOKUPS; i++)
        if (ahLookup[i] == (HANDLE)wParam)
            ahLookup[i] = 0;
}

static const char szNoResolve[] =
    "%s:\r\nNo Connection possible\r\nCouldn't resolve host name or address %s\r\nPress help button..";

SOCKET socConnect(LPCSTR Host, u_short service)
{
    /* The full text is what is looked up; only the messages name it cut. */
    lstrcpynA(szDestStr, Host, sizeof(szDestStr));
    srv_addr.sin_family = AF_INET;
    srv_addr.sin_port = htons(service);

    iProbeStage = KX_PROBE_IDLE;
    bAimConnect = FALSE;
    cli_sock = socket(AF_INET, SOCK_STREAM, 0);
    if (cli_sock == INVALID_SOCKET) {
        vReportFailure(WSAGetLastError(), "%s:\r\nCouldn't create socket.\r\nPress help button..");
        return INVALID_SOCKET;
    }
    vWriteResults("Resolving host address..", 0);
    iProbeStage = KX_PROBE_RESOLVING;

    ulinet = inet_addr(Host);
    if (ulinet != INADDR_NONE) {
        /* Post rather than go on here, so a dotted host takes the same road
         * as a looked-up one and the start returns first. */
        hWGHBN = 0;
        bOwnAnswerQueued = PostMessageA(ghDlg, WM_HOST_RESOLVED, 1, 0);
        return cli_sock;
    }

    hWGHBN = 0;
    int iError = WSAENOBUFS;
    int iFree = iFreeLookup();
    if (iFree >= 0) {
        iLookup = iFree;
        hWGHBN = WSAAsyncGetHostByName(ghDlg, WM_HOST_RESOLVED, Host, sGetHostBuff[iLookup], MAXGETHOSTSTRUCT);
        iError = WSAGetLastError();
    }
    if (hWGHBN) {
        ahLookup[iLookup] = hWGHBN;
        adwLookupLent[iLookup] = pfnGetTickCount();
        return cli_sock;
    }

    iProbeStage = KX_PROBE_IDLE;
    vReportFailure(iError, szNoResolve);
    closesocket(cli_sock);
    return INVALID_SOCKET;
}

/* Only what the probe in flight waits for at its stage may move it on.  A
 * late answer of an earlier lookup would otherwise connect this probe's
 * socket a second time, or to the earlier host; an earlier socket's event
 * would act on this one.  The handles alone cannot tell: a dotted host
 * always answers with 1, and the sockets layer hands a closed socket's
 * handle out again. */
BOOL bNoticeIsCurrent(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_HOST_RESOLVED) {
        if (iProbeStage != KX_PROBE_RESOLVING)
            return FALSE;
        return hWGHBN == 0 ? wParam == 1 : (HANDLE)wParam == hWGHBN;
    }
    if ((SOCKET)wParam != cli_sock)
        return FALSE;
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_CONNECT:
        return iProbeStage == KX_PROBE_CONNECTING;
    case FD_READ:
    case FD_WRITE:
    case FD_CLOSE:
        return iProbeStage == KX_PROBE_CONNECTED;
    }
    return FALSE;
}

static BOOL bTakeLookedUpAddress(void)
{
    const struct hostent *pHost = (const struct hostent *)sGetHostBuff[iLookup];
    if (pHost->h_addr_list == NULL || pHost->h_addr_list[0] == NULL)
        return FALSE;
    memcpy(&srv_addr.sin_addr, pHost->h_addr_list[0], sizeof(srv_addr.sin_addr));
    return TRUE;
}

/* A failed probe has nothing more to wait for: what is still queued for it
 * is stale from now on. */
static int iProbeFailed(void)
{
    iProbeStage = KX_PROBE_IDLE;
    return -1;
}

double dCounterNow(void)
{
    LARGE_INTEGER liNow, liFreq;

    if (!QueryPerformanceFrequency(&liFreq) || liFreq.QuadPart <= 0 || !QueryPerformanceCounter(&liNow))
        return 0;
    /* in two parts, so that the ticks keep their precision after years */
    return (double)(liNow.QuadPart / liFreq.QuadPart)
           + (double)(liNow.QuadPart % liFreq.QuadPart) / (double)liFreq.QuadPart;
}

static void vWaitForCounter(double dAt)
{
    double dNow;

    do
        dNow = dCounterNow();
    while (dNow < dAt && dNow > 0);
}

static int iConnectNow(void)
{
    dConnectQ0 = dCounterNow();
    if (connect(cli_sock, (struct sockaddr *)&srv_addr, sizeof(srv_addr)) == SOCKET_ERROR) {
        int iConnErr = WSAGetLastError();
        if (iConnErr != WSAEWOULDBLOCK) {
            vReportFailure(iConnErr, "%s:\r\nCouldn't connect socket.\r\nPress help button..");
            return iProbeFailed();
        }
    }
    iProbeStage = KX_PROBE_CONNECTING;
    vWriteResults("Connecting Socket..", 0);
    return 0;
}

int OnHostAddressResolution(WPARAM wParam, LPARAM lParam)
{
    (void)wParam;   /* the caller has made sure that the answer is ours */
    int iError = WSAGETASYNCERROR(lParam);
    if (iError == 0 && hWGHBN != 0 && !bTakeLookedUpAddress())
        iError = WSANO_DATA;        /* a name without an address: nowhere to go */
    if (iError != 0) {
        vReportFailure(iError, szNoResolve);
        closesocket(cli_sock);
        return iProbeFailed();
    }
    if (hWGHBN == 0)
        srv_addr.sin_addr.s_addr = ulinet;

    if (WSAAsyncSelect(cli_sock, ghDlg, WM_SOCKET_EVENT, FD_CONNECT) == SOCKET_ERROR) {
        vReportFailure(WSAGetLastError(), "%s:\r\nCouldn't start WSAAsynchSelect.\r\nPress help button..");
        return iProbeFailed();
    }
    if (bAimConnect) {
        double dNow = dCounterNow(), dDelay = dClockFitAimDelay(dNow);
        UINT uMs = (UINT)(dDelay * 1000);
        dAimAt = dNow + dDelay;
        /* without a timer the probe goes at once, unaimed */
        if (uMs > KX_AIM_SPIN_MS && SetTimer(ghDlg, KX_AIM_TIMER_ID, uMs - KX_AIM_SPIN_MS, NULL)) {
            iProbeStage = KX_PROBE_AIMING;
            return 0;
        }
        if (uMs <= KX_AIM_SPIN_MS)
            vWaitForCounter(dAimAt);
    }
    return iConnectNow();
}

int OnAimedConnect(void)
{
    KillTimer(ghDlg, KX_AIM_TIMER_ID);
    /* a wait that Stop ended may still have left its tick in the queue */
    if (iProbeStage != KX_PROBE_AIMING)
        return 0;
    vWaitForCounter(dAimAt);
    return iConnectNow();
}

int OnConnect(LPARAM lResult)
{
    int iError = WSAGETSELECTERROR(lResult);
    if (iError != 0) {
        vReportFailure(iError, "%s:\r\nCouldn't connect socket.\r\nPress help button..");
        closesocket(cli_sock);
        return iProbeFailed();
    }

    /* FD_WRITE as well: it arrives once the connection stands, and is what
     * sends the finger request; the other services let it pass.  FD_CLOSE
     * too: a server that closes without a word raises no FD_READ, and the
     * last data of one that closes at once may come only with FD_CLOSE. */
    if (WSAAsyncSelect(cli_sock, ghDlg, WM_SOCKET_EVENT, FD_READ | FD_WRITE | FD_CLOSE) == SOCKET_ERROR) {
        vReportFailure(WSAGetLastError(), "%s:\r\nCouldn't start WSAAsynchSelect on Reads.\r\nPress help button..");
        closesocket(cli_sock);
        return iProbeFailed();
    }
    iProbeStage = KX_PROBE_CONNECTED;

    struct sockaddr_in local;
    memset(&local, 0, sizeof(local));
    iSize = sizeof(local);
    if (getsockname(cli_sock, (struct sockaddr *)&local, &iSize) == 0) {
        lstrcpynA(szMyIP, inet_ntoa(local.sin_addr), sizeof(szMyIP));
        vWriteResults("Socket Connected..", 0);
    } else {
        lstrcpynA(szMyIP, "Local IP Unknown", sizeof(szMyIP));
        vReportFailure(WSAGetLastError(), "%s:\r\nCouldn't get local IP address...");
    }

    iFormat(szCaption, sizeof(szCaption), "%s online for %s; @IP %s", KX_TITLE, szTime, szMyIP);
    SetWindowTextA(ghDlg, szCaption);
    return 0;
}

void CloseSocket(SOCKET sock)
{
    BOOL bInFlight = sock == cli_sock;

    /* A probe stopped while its name is still being looked up: the answer
     * must not come back later and revive the closed socket. */
    if (bInFlight && hWGHBN != 0) {
        WSACancelAsyncRequest(hWGHBN);
        hWGHBN = 0;
    }
    /* nor a connect that waits for its aim */
    if (bInFlight && iProbeStage == KX_PROBE_AIMING)
        KillTimer(ghDlg, KX_AIM_TIMER_ID);

    if (WSAIsBlocking())
        WSACancelBlockingCall();

    /* Every failure below is dropped: the socket may already be closed by
     * an error path, and closing it must then simply do nothing. */
    if (shutdown(sock, 1) == SOCKET_ERROR)
        WSAGetLastError();

    /* Reading what is left lets the connection end with a clean FIN rather
     * than a reset that would throw away what the server still sends. */
    for (int i = 0; i < KX_DRAIN_CHUNKS; i++) {
        bytes = recv(sock, buffer, 255, 0);
        if (bytes <= 0)
            break;
    }

    if (shutdown(sock, 2) == SOCKET_ERROR)
        WSAGetLastError();
    setsockopt(sock, SOL_SOCKET, SO_DONTLINGER, (const char *)&Linger, sizeof(Linger));
    closesocket(sock);

    /* Whatever is still queued for the probe is stale now; once the socket
     * is gone nothing more can be queued for it.  Only one probe is ever in
     * flight, so none of it belongs to anybody else. */
    if (bInFlight) {
        iProbeStage = KX_PROBE_IDLE;
        MSG msg;
        while (PeekMessageA(&msg, ghDlg, WM_SOCKET_EVENT, WM_HOST_RESOLVED, PM_REMOVE))
            if (msg.message == WM_HOST_RESOLVED)
                vLookupAnswered(msg.wParam);
    }
}
