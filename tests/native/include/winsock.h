/* Native stand-in for the Winsock 1.1 calls the rules use: a socket here is
 * a number, and what it receives is whatever the harness put in store. */
#ifndef KX_NATIVE_WINSOCK_H
#define KX_NATIVE_WINSOCK_H

#include "windows.h"

/* Windows' u_long is 32 bits; glibc's (already read) is not. */
typedef uint32_t kx_u_long;
#define u_long kx_u_long

typedef UINT_PTR SOCKET;
#define INVALID_SOCKET ((SOCKET)(~0))
#define SOCKET_ERROR (-1)

#define AF_INET 2
#define SOCK_STREAM 1
#define SOL_SOCKET 0xffff
#define SO_DONTLINGER ((int)(~0x0080))
#define INADDR_NONE 0xffffffffU
#define MAXGETHOSTSTRUCT 1024

#define FD_READ 0x01
#define FD_WRITE 0x02
#define FD_CONNECT 0x10
#define FD_CLOSE 0x20
#define WSAGETASYNCERROR(l) HIWORD(l)
#define WSAGETSELECTERROR(l) HIWORD(l)
#define WSAGETSELECTEVENT(l) LOWORD(l)

#define WSABASEERR 10000
#define WSAEINTR 10004
#define WSAEWOULDBLOCK 10035
#define WSAENOTSOCK 10038
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAENOTCONN 10057
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAHOST_NOT_FOUND 11001
#define WSANO_DATA 11004

struct in_addr {
    u_long s_addr;
};

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    u_short sin_port;
    struct in_addr sin_addr;
    char sin_zero[8];
};

struct hostent {
    char *h_name;
    char **h_aliases;
    short h_addrtype;
    short h_length;
    char **h_addr_list;
};

struct linger {
    u_short l_onoff;
    u_short l_linger;
};

typedef struct WSAData {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char *lpVendorInfo;
} WSADATA, *LPWSADATA;

SOCKET socket(int af, int type, int protocol);
int connect(SOCKET s, const struct sockaddr *name, int namelen);
int recv(SOCKET s, char *buf, int len, int flags);
int send(SOCKET s, const char *buf, int len, int flags);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
int setsockopt(SOCKET s, int level, int optname, const char *optval, int optlen);
int getsockname(SOCKET s, struct sockaddr *name, int *namelen);
u_long inet_addr(const char *cp);
char *inet_ntoa(struct in_addr in);
u_short htons(u_short u);
u_short ntohs(u_short u);
u_long htonl(u_long u);
u_long ntohl(u_long u);
int WSAGetLastError(void);
void WSASetLastError(int iError);
BOOL WSAIsBlocking(void);
int WSACancelBlockingCall(void);
int WSAAsyncSelect(SOCKET s, HWND hWnd, UINT msg, LONG lEvent);
HANDLE WSAAsyncGetHostByName(HWND hWnd, UINT msg, const char *name, char *buf, int buflen);
int WSACancelAsyncRequest(HANDLE h);
int WSAStartup(WORD wVersion, LPWSADATA lpWSAData);
int WSACleanup(void);

#endif
