/* The text services: each opens one connection through the engine, reads
 * one answer, shows it, and closes.  Finger first sends its request. */
#include "services.h"

#include <string.h>

#include "../app/format.h"
#include "../app/results.h"
#include "connect.h"
#include "errtext.h"

/* Busy flags: set by the timer cycle on a successful start, cleared only
 * by the service's own close. */
int PingFlag, FingerFlag, DayTimeFlag, QuoteFlag, UserFlag;

/* Each service's socket, owned by the service and closed by its close. */
SOCKET ps = INVALID_SOCKET, fs = INVALID_SOCKET, ts = INVALID_SOCKET,
       qs = INVALID_SOCKET, us = INVALID_SOCKET;

/* Shared by every read (and the engine's drain): one probe at a time. */
char buffer[256];
int bytes;
char szResult[255];

/* Zeroed by Start; the read operations count answers, the finger writer
 * and the timer cycle count requests. */
int SentCount, RecvCount;
char szSent[30], szRecv[30];

/* Owned by the finger service: its request goes out once per probe, however
 * many write notifications arrive. */
static BOOL bFingerSent;

/* The longest user name sent, and the request built around it. */
#define KX_FINGER_USER 39

static BOOL bStart(SOCKET *pSock, LPCSTR szHost, u_short port)
{
    *pSock = socConnect(szHost, port);
    return *pSock != INVALID_SOCKET;
}

/* One receive of at most 255 bytes, terminated after what came in.  On
 * failure `bytes` holds the error code and FALSE is returned. */
static BOOL bReceive(SOCKET sock)
{
    SetDlgItemTextA(ghDlg, IDC_RESULTS, "Reading");
    if (WSAIsBlocking())
        WSACancelBlockingCall();

    bytes = recv(sock, buffer, 255, 0);
    if (bytes == SOCKET_ERROR) {
        bytes = WSAGetLastError();
        return FALSE;
    }
    buffer[bytes] = '\0';
    return TRUE;
}

void vCountRequest(void)
{
    SentCount++;
    iFormat(szSent, sizeof(szSent), "%d", SentCount);
    SetDlgItemTextA(ghDlg, IDC_SENT, szSent);
}

void vCountAnswer(void)
{
    RecvCount++;
    iFormat(szRecv, sizeof(szRecv), "%d", RecvCount);
    SetDlgItemTextA(ghDlg, IDC_RECV, szRecv);
}

/* ---- Kalv: connect to the telnet port and close again ---- */

BOOL PingStart(LPCSTR szHost)
{
    return bStart(&ps, szHost, KALV_PORT);
}

void PingClose(void)
{
    CloseSocket(ps);
    PingFlag = 0;
}

/* ---- Finger ---- */

BOOL FingerStart(LPCSTR szHost)
{
    bFingerSent = FALSE;
    return bStart(&fs, szHost, FINGER_PORT);
}

void FingerWrite(void)
{
    if (bFingerSent)
        return;

    char szRequest[KX_FINGER_USER + 3];     /* the name, CR LF, terminator */
    szRequest[0] = '\0';
    GetDlgItemTextA(ghDlg, IDC_USER, szRequest, KX_FINGER_USER + 1);
    SetDlgItemTextA(ghDlg, IDC_RESULTS, "Writing");
    if (WSAIsBlocking())
        WSACancelBlockingCall();
    int iLen = lstrlenA(szRequest);
    lstrcpynA(szRequest + iLen, "\r\n", (int)sizeof(szRequest) - iLen);

    bFingerSent = TRUE;
    bytes = send(fs, szRequest, lstrlenA(szRequest), 0);
    if (bytes == SOCKET_ERROR) {
        iFormat(szResult, sizeof(szResult), "Send %s", szSockErr((DWORD)WSAGetLastError()));
        vWriteResults(szResult, 1);
        return;
    }

    iFormat(szResult, sizeof(szResult), "Sent %d bytes to %s", bytes, szDestStr);
    vWriteResults(szResult, 0);
    vCountRequest();

    /* The request is out: from now on only the answer, or the end of the
     * stream, matters. */
    if (WSAAsyncSelect(cli_sock, ghDlg, WM_SOCKET_EVENT, FD_READ | FD_CLOSE) == SOCKET_ERROR) {
        iFormat(szResult, sizeof(szResult), "%s: Couldn't start WSAAsynchSelect.",
                szSockErr((DWORD)WSAGetLastError()));
        vWriteResults(szResult, 1);
    }
}

void FingerRead(void)
{
    if (bReceive(fs)) {
        iFormat(szResult, sizeof(szResult), "Fingered %s, got %s", szDestStr, buffer);
        vWriteResults(szResult, 0);
        vCountAnswer();
    } else {
        if (bytes == WSAEWOULDBLOCK)
            lstrcpynA(szResult, "Recv is blocking..", sizeof(szResult));
        else
            iFormat(szResult, sizeof(szResult), "Recv %s; finger probably not running",
                    szSockErr((DWORD)bytes));
        vWriteResults(szResult, 1);
    }
    SetDlgItemTextA(ghDlg, IDC_RESULTS, szResult);
}

void FingerClose(void)
{
    CloseSocket(fs);
    FingerFlag = 0;
}

/* ---- DayTime ---- */

BOOL DayTimeStart(LPCSTR szHost)
{
    return bStart(&ts, szHost, DAYTIME_PORT);
}

void DayTimeRead(void)
{
    if (bReceive(ts)) {
        iFormat(szResult, sizeof(szResult), "Time from %s: %s", szDestStr, buffer);
        vWriteResults(szResult, 0);
        vCountAnswer();
    } else if (bytes != WSAEWOULDBLOCK) {
        /* Nothing there yet is no failure: "Reading" stays up. */
        iFormat(szResult, sizeof(szResult), "Recv %s; service probably not running",
                szSockErr((DWORD)bytes));
        vWriteResults(szResult, 1);
    }
}

void DayTimeClose(void)
{
    CloseSocket(ts);
    DayTimeFlag = 0;
}

/* ---- Quote and Users: shown, never logged ---- */

BOOL QuoteStart(LPCSTR szHost)
{
    return bStart(&qs, szHost, QUOTE_PORT);
}

/* Quote and Users show what they got, or why not, in the Results field
 * only; a receive that would block shows the previous result again. */
static void vReadShownOnly(SOCKET sock, LPCSTR lpsGot, LPCSTR lpsFailed)
{
    if (bReceive(sock)) {
        iFormat(szResult, sizeof(szResult), lpsGot, szDestStr, buffer);
        vCountAnswer();
    } else if (bytes != WSAEWOULDBLOCK) {
        iFormat(szResult, sizeof(szResult), lpsFailed, szSockErr((DWORD)bytes));
    }
    SetDlgItemTextA(ghDlg, IDC_RESULTS, szResult);
}

void QuoteRead(void)
{
    vReadShownOnly(qs, "Quote from %s: %s", "Recv %s; service probably not running");
}

void QuoteClose(void)
{
    CloseSocket(qs);
    QuoteFlag = 0;
}

BOOL UserStart(LPCSTR szHost)
{
    return bStart(&us, szHost, USERS_PORT);
}

void UserRead(void)
{
    vReadShownOnly(us, "Users from %s: %s", "User Recv %s; service probably not running");
}

void UserClose(void)
{
    CloseSocket(us);
    UserFlag = 0;
}

/* ---- The Internet checksum (RFC 1071) ----
 * Kept though no service calls it: it is part of the probes' interface,
 * for an echo probe, and has its own fuzz test. */

u_short checksum(const void *pPacket, int nBytes)
{
    const unsigned char *p = (const unsigned char *)pPacket;
    /* Unsigned, so an input past the 64 KiB it is meant for cannot
     * overflow into undefined behaviour; within it the sum is the same. */
    DWORD sum = 0;

    while (nBytes > 1) {
        u_short word;
        memcpy(&word, p, sizeof(word));     /* the machine's own byte order */
        sum += word;
        p += 2;
        nBytes -= 2;
    }
    if (nBytes == 1)
        sum += *p;

    sum = (sum >> 16) + (sum & 0xFFFF);
    sum += sum >> 16;
    return (u_short)~sum;
}
