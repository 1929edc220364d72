/* kxserve: the Daytime (13) and Time (37) services on one loopback address,
 * so that Kalvex32 can be shown and tested without any outside host.
 *
 *   kxserve ADDRESS [-t SECONDS] [-o OFFSET]
 *
 * Serves until Ctrl+C, or for SECONDS when -t is given.  OFFSET shifts the
 * time it tells, in seconds and fractions of one such as 0.25 or -0.3
 * (default 0: the computer's own time, so that a client that sets its
 * clock from it changes nothing).  Each answer tells the second it is in
 * at the moment of the accept, as a Time server does.  Prints one line once it listens;
 * exits with 1 when it cannot listen. */
#include <winsock.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The Time service counts seconds from 1900-01-01, the system's file time
 * from 1601-01-01: 299 years apart, 72 of them leap years. */
static const unsigned long long ullSecs1601To1900 = (299ULL * 365 + 72) * 86400;

static volatile LONG lStop;     /* set by the console's Ctrl+C handler */

static BOOL WINAPI bOnConsoleCtrl(DWORD)
{
    InterlockedExchange(&lStop, 1);
    return TRUE;
}

/* The computer's time shifted by the offset, in 100 ns since 1601. */
static unsigned long long ullNow(long long llOffset100ns)
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return (((unsigned long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime) + llOffset100ns;
}

static unsigned long ulTimeNow(long long llOffset100ns)
{
    return (unsigned long)(ullNow(llOffset100ns) / 10000000ULL - ullSecs1601To1900);
}

/* The classic Daytime line: "Mon Jun  3 12:00:00 2024", in UTC. */
static int iDaytimeLine(char *szLine, size_t cb, long long llOffset100ns)
{
    static const char *aDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *aMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    FILETIME ft;
    SYSTEMTIME st;
    ULARGE_INTEGER u;
    u.QuadPart = ullNow(llOffset100ns);
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    FileTimeToSystemTime(&ft, &st);
    return snprintf(szLine, cb, "%s %s %2u %02u:%02u:%02u %u UTC\r\n",
                    aDays[st.wDayOfWeek % 7], aMonths[(st.wMonth + 11) % 12], st.wDay,
                    st.wHour, st.wMinute, st.wSecond, st.wYear);
}

static SOCKET sListen(const char *szAddr, u_short uPort)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET)
        return s;
    BOOL bOn = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, (const char *)&bOn, sizeof(bOn));
    sockaddr_in a;
    memset(&a, 0, sizeof(a));
    a.sin_family = AF_INET;
    a.sin_port = htons(uPort);
    a.sin_addr.s_addr = inet_addr(szAddr);
    if (bind(s, (sockaddr *)&a, sizeof(a)) != 0 || listen(s, 5) != 0) {
        fprintf(stderr, "kxserve: cannot listen on %s:%u (error %d)\n", szAddr, uPort,
                WSAGetLastError());
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

/* Answers one client and hangs up: both services speak first and only once. */
static void vServe(SOCKET sListener, u_short uPort, long long llOffset100ns)
{
    SOCKET c = accept(sListener, NULL, NULL);
    if (c == INVALID_SOCKET)
        return;
    char szAnswer[64];
    int cb;
    if (uPort == 37) {
        u_long ul = htonl(ulTimeNow(llOffset100ns));
        memcpy(szAnswer, &ul, 4);
        cb = 4;
    } else {
        cb = iDaytimeLine(szAnswer, sizeof(szAnswer), llOffset100ns);
    }
    send(c, szAnswer, cb, 0);
    shutdown(c, 1);
    /* Let the client read before the socket goes: closing with unread data
     * from the client could reset the connection under the answer. */
    fd_set set;
    FD_ZERO(&set);
    FD_SET(c, &set);
    timeval tv = {1, 0};
    char buf[256];
    if (select(0, &set, NULL, NULL, &tv) > 0)
        recv(c, buf, sizeof(buf), 0);
    closesocket(c);
}

static int iUsage(void)
{
    fprintf(stderr, "usage: kxserve ADDRESS [-t SECONDS] [-o OFFSET]\n"
                    "Serves Daytime (13) and Time (37) on ADDRESS, a 127.x.x.x address.\n");
    return 2;
}

int main(int argc, char **argv)
{
    const char *szAddr = NULL;
    long lSeconds = 0;
    long long llOffset100ns = 0;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-t") == 0 && i + 1 < argc)
            lSeconds = atol(argv[++i]);
        else if (strcmp(argv[i], "-o") == 0 && i + 1 < argc)
            llOffset100ns = llround(atof(argv[++i]) * 1e7);
        else if (argv[i][0] != '-' && !szAddr)
            szAddr = argv[i];
        else
            return iUsage();
    }
    /* Only loopback: this tool exists so that nothing leaves the machine. */
    if (!szAddr || strncmp(szAddr, "127.", 4) != 0 || inet_addr(szAddr) == INADDR_NONE)
        return iUsage();

    WSADATA wsa;
    if (WSAStartup(0x0101, &wsa) != 0) {
        fprintf(stderr, "kxserve: sockets unavailable\n");
        return 1;
    }
    SOCKET sDaytime = sListen(szAddr, 13);
    SOCKET sTime = sListen(szAddr, 37);
    if (sDaytime == INVALID_SOCKET || sTime == INVALID_SOCKET) {
        WSACleanup();
        return 1;
    }
    SetConsoleCtrlHandler(bOnConsoleCtrl, TRUE);
    printf("kxserve: Daytime and Time on %s\n", szAddr);
    fflush(stdout);

    DWORD dwStart = GetTickCount();
    while (!lStop && (lSeconds <= 0 || GetTickCount() - dwStart < (DWORD)lSeconds * 1000)) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(sDaytime, &set);
        FD_SET(sTime, &set);
        timeval tv = {0, 200000};
        if (select(0, &set, NULL, NULL, &tv) <= 0)
            continue;
        if (FD_ISSET(sDaytime, &set))
            vServe(sDaytime, 13, llOffset100ns);
        if (FD_ISSET(sTime, &set))
            vServe(sTime, 37, llOffset100ns);
    }
    closesocket(sDaytime);
    closesocket(sTime);
    WSACleanup();
    return 0;
}
