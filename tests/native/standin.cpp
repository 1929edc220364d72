/* The Windows calls that the natively built rules make, reduced to what
 * they do for those rules.  Every call that is told a buffer's size checks
 * with AddressSanitizer that the whole of it is really there, so a size
 * larger than its buffer is caught even when the text written is short. */
#include "fakes.h"

#include <ctype.h>
#include <stdarg.h>
#include <strings.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <type_traits>

#include <sanitizer/asan_interface.h>

#include "../../controller/pinger.h"
#include "../../app/helpview.h"
#include "../../probe/connect.h"

namespace fake {
std::map<int, std::string> items;
std::map<int, UINT> checks;
std::vector<std::string> hosts;
std::map<std::string, std::string> profile;
std::string caption;
std::string answer;
int recvError;
std::string sent;
std::string log;
TIME_ZONE_INFORMATION tzi;
DWORD tzResult;
BOOL clockResult;
DWORD tick;
std::vector<ClockSet> clockSets;
ULONGLONG clockNow;

void Reset()
{
    items.clear();
    checks.clear();
    hosts.clear();
    profile.clear();
    caption.clear();
    answer.clear();
    recvError = 0;
    sent.clear();
    log.clear();
    tzi = TIME_ZONE_INFORMATION();
    tzResult = TIME_ZONE_ID_UNKNOWN;
    clockResult = TRUE;
    tick = 1000;
    clockSets.clear();
    std::fill(ahLookup, ahLookup + KX_LOOKUPS, (HANDLE)0);     // no lookup of an earlier input under way
    clockNow = 0x01DD000000000000ULL;   /* in 2027 */
}

std::string Item(int id)
{
    auto it = items.find(id);
    return it == items.end() ? std::string() : it->second;
}

static std::string ProfileKey(const char *lpsSection, const char *lpsKey)
{
    std::string s = std::string(lpsSection) + "\n" + lpsKey;
    for (char &c : s)
        c = (char)tolower((unsigned char)c);
    return s;
}

std::string ProfileValue(const char *lpsSection, const char *lpsKey)
{
    auto it = profile.find(ProfileKey(lpsSection, lpsKey));
    return it == profile.end() ? std::string() : it->second;
}

}  // namespace fake

void Fail(const char *lpsFormat, ...)
{
    va_list args;
    va_start(args, lpsFormat);
    vfprintf(stderr, lpsFormat, args);
    va_end(args);
    fputc('\n', stderr);
    abort();
}

void CheckText(const char *lps, size_t n, const char *lpsName)
{
    if (!memchr(lps, 0, n))
        Fail("%s: no terminator within its %zu bytes", lpsName, n);
}

std::string TextOf(const uint8_t *p, size_t n, size_t cchMax)
{
    size_t i = 0;
    while (i < n && i < cchMax && p[i])
        ++i;
    return std::string((const char *)p, i);
}

std::vector<std::string> Tokens(std::string s, size_t cchMax)
{
    std::vector<std::string> v;
    for (char *lps = strtok(&s[0], ";"); lps; lps = strtok(NULL, ";"))
        if (strlen(lps) <= cchMax)
            v.push_back(lps);
    return v;
}

/* The caller says n bytes are there for writing: all of them must be. */
static void vClaim(const void *p, long long n, const char *lpsCall)
{
    if (n < 0)
        Fail("%s: negative buffer size %lld", lpsCall, n);
    if (n > 0 && __asan_region_is_poisoned(const_cast<void *>(p), (size_t)n))
        Fail("%s: told of %lld bytes, fewer are there", lpsCall, n);
}

/* Up to cch - 1 characters of s and a terminator, as the profile, window
 * and string calls copy, narrow or wide; returns the characters copied. */
template <class C> static int iCopyText(C *lpTo, int cch, const std::string &s, const char *lpsCall)
{
    vClaim(lpTo, (long long)cch * (long long)sizeof(C), lpsCall);
    if (cch <= 0)
        return 0;
    int n = std::min((int)s.size(), cch - 1);
    for (int i = 0; i < n; ++i)
        lpTo[i] = (C)(unsigned char)s[i];
    lpTo[n] = 0;
    return n;
}

static DWORD dwLastError;
static int iWSALastError;

/* ---- window manager ---- */

BOOL SetDlgItemTextA(HWND, int id, LPCSTR lps)
{
    fake::items[id] = lps ? lps : "";
    return TRUE;
}

UINT GetDlgItemTextA(HWND, int id, LPSTR lps, int cch)
{
    return (UINT)iCopyText(lps, cch, fake::Item(id), "GetDlgItemTextA");
}

/* The one combo box, sorted as the dialog's Host box is. */
LRESULT SendDlgItemMessageA(HWND, int, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::vector<std::string> &list = fake::hosts;
    size_t i = (size_t)wParam;
    switch (msg) {
    case CB_ADDSTRING: {
        std::string s = (LPCSTR)lParam;
        auto it = std::upper_bound(list.begin(), list.end(), s, [](const std::string &a, const std::string &b) {
            return strcasecmp(a.c_str(), b.c_str()) < 0;
        });
        return list.insert(it, s) - list.begin();
    }
    case CB_GETCOUNT:
        return (LRESULT)list.size();
    case CB_GETLBTEXTLEN:
        return i < list.size() ? (LRESULT)list[i].size() : CB_ERR;
    case CB_GETLBTEXT:
        /* told no size: the whole entry lands in the buffer */
        if (i >= list.size())
            return CB_ERR;
        vClaim((void *)lParam, (long long)list[i].size() + 1, "CB_GETLBTEXT");
        memcpy((void *)lParam, list[i].c_str(), list[i].size() + 1);
        return (LRESULT)list[i].size();
    default:
        return 0;
    }
}

BOOL CheckDlgButton(HWND, int id, UINT uCheck)
{
    fake::checks[id] = uCheck;
    return TRUE;
}

UINT IsDlgButtonChecked(HWND, int id)
{
    return fake::checks.count(id) ? fake::checks[id] : BST_UNCHECKED;
}

BOOL ShowWindow(HWND, int) { return TRUE; }
BOOL PostMessageA(HWND, UINT, WPARAM, LPARAM) { return TRUE; }

/* No timer ever fires here: an aimed connect goes at once. */
UINT_PTR SetTimer(HWND, UINT_PTR, UINT, void *) { return 0; }
BOOL KillTimer(HWND, UINT_PTR) { return TRUE; }

/* Nothing is ever queued: no window runs here. */
BOOL PeekMessageA(LPMSG, HWND, UINT, UINT, UINT) { return FALSE; }

BOOL SetWindowTextA(HWND, LPCSTR lps)
{
    fake::caption = lps;
    return TRUE;
}

int GetWindowTextA(HWND, LPSTR lps, int cch)
{
    return iCopyText(lps, cch, fake::caption, "GetWindowTextA");
}

BOOL MessageBeep(UINT) { return TRUE; }

/* The window manager's formatter knows no floating point. */
static void vCheckWinFormat(LPCSTR lpsFormat, const char *lpsCall)
{
    for (const char *p = strchr(lpsFormat, '%'); p; p = strchr(p + 1, '%')) {
        size_t n = 1 + strspn(p + 1, "-#0+ 0123456789.lhI");
        if (p[n] && strchr("eEfgGaA", p[n]))
            Fail("%s: \"%s\" asks for floating point", lpsCall, lpsFormat);
        if (p[n] == '%')
            p += n;
    }
}

/* As the window manager's: never more than 1024 bytes with the terminator. */
int wvsprintfA(LPSTR lps, LPCSTR lpsFormat, va_list args)
{
    char sz[1024];
    vCheckWinFormat(lpsFormat, "wsprintfA");
    vsnprintf(sz, sizeof(sz), lpsFormat, args);
    int n = (int)strlen(sz);
    vClaim(lps, n + 1, "wsprintfA");
    memcpy(lps, sz, n + 1);
    return n;
}

int wsprintfA(LPSTR lps, LPCSTR lpsFormat, ...)
{
    va_list args;
    va_start(args, lpsFormat);
    int n = wvsprintfA(lps, lpsFormat, args);
    va_end(args);
    return n;
}

int _vsnprintf(char *lps, size_t cch, const char *lpsFormat, va_list args)
{
    vClaim(lps, (long long)cch, "_vsnprintf");
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(NULL, 0, lpsFormat, copy);
    va_end(copy);
    std::string s((size_t)n + 1, '\0');
    vsnprintf(&s[0], s.size(), lpsFormat, args);
    if ((size_t)n > cch) {
        memcpy(lps, s.data(), cch);
        return -1;
    }
    memcpy(lps, s.data(), (size_t)n + ((size_t)n < cch ? 1 : 0));
    return n;
}

/* ---- kernel ---- */

template <class C> static C *lpCopyN(C *lpTo, const C *lpFrom, int cch)
{
    vClaim(lpTo, (long long)cch * (long long)sizeof(C), "lstrcpyn");
    int i = 0;
    for (; i < cch - 1 && lpFrom[i]; ++i)
        lpTo[i] = lpFrom[i];
    if (cch > 0)
        lpTo[i] = 0;
    return lpTo;
}

LPSTR lstrcpynA(LPSTR lpsTo, LPCSTR lpsFrom, int cch) { return lpCopyN(lpsTo, lpsFrom, cch); }
LPWSTR lstrcpynW(LPWSTR lpwsTo, LPCWSTR lpwsFrom, int cch) { return lpCopyN(lpwsTo, lpwsFrom, cch); }
int lstrlenA(LPCSTR lps) { return lps ? (int)strlen(lps) : 0; }
int lstrlenW(LPCWSTR lpws) { return lpws ? (int)wcslen(lpws) : 0; }

/* The invariant locale's order, for the ASCII texts the harnesses give;
 * a count of -1 means up to the terminator. */
int CompareStringA(DWORD, DWORD dwFlags, LPCSTR lpsA, int cchA, LPCSTR lpsB, int cchB)
{
    std::string a(lpsA, cchA < 0 ? strlen(lpsA) : (size_t)cchA);
    std::string b(lpsB, cchB < 0 ? strlen(lpsB) : (size_t)cchB);
    int i = (dwFlags & NORM_IGNORECASE) ? strcasecmp(a.c_str(), b.c_str()) : strcmp(a.c_str(), b.c_str());
    return i < 0 ? CSTR_LESS_THAN : i > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}
int lstrcmpiA(LPCSTR a, LPCSTR b) { return strcasecmp(a, b); }
DWORD GetLastError(void) { return dwLastError; }

void SetLastError(DWORD dw)
{
    dwLastError = dw;
}

DWORD GetTickCount(void) { return fake::tick; }

static BOOL bSetClock(const SYSTEMTIME *pst, bool bUtc)
{
    fake::clockSets.push_back({*pst, bUtc});
    if (!fake::clockResult)
        dwLastError = ERROR_PRIVILEGE_NOT_HELD;
    return fake::clockResult;
}

void GetSystemTimeAsFileTime(LPFILETIME pft)
{
    pft->dwLowDateTime = (DWORD)fake::clockNow;
    pft->dwHighDateTime = (DWORD)(fake::clockNow >> 32);
}

BOOL SetLocalTime(const SYSTEMTIME *pst) { return bSetClock(pst, false); }
BOOL SetSystemTime(const SYSTEMTIME *pst) { return bSetClock(pst, true); }

/* 100-nanosecond ticks since 1601 by the C library's calendar. */
BOOL FileTimeToSystemTime(const FILETIME *pft, LPSYSTEMTIME pst)
{
    ULONGLONG ull = (ULONGLONG)pft->dwHighDateTime << 32 | pft->dwLowDateTime;
    time_t t = (time_t)(ull / 10000000ULL) - 11644473600LL;
    struct tm tm;
    if (ull >= 0x8000000000000000ULL || !gmtime_r(&t, &tm))
        return FALSE;
    *pst = {(WORD)(tm.tm_year + 1900), (WORD)(tm.tm_mon + 1), (WORD)tm.tm_wday, (WORD)tm.tm_mday,
            (WORD)tm.tm_hour, (WORD)tm.tm_min, (WORD)tm.tm_sec, (WORD)(ull / 10000 % 1000)};
    return TRUE;
}

/* The inverse, for the dates the rules name themselves. */
BOOL SystemTimeToFileTime(const SYSTEMTIME *pst, LPFILETIME pft)
{
    struct tm tm = {};
    tm.tm_year = pst->wYear - 1900;
    tm.tm_mon = pst->wMonth - 1;
    tm.tm_mday = pst->wDay;
    tm.tm_hour = pst->wHour;
    tm.tm_min = pst->wMinute;
    tm.tm_sec = pst->wSecond;
    time_t t = timegm(&tm);
    if (pst->wYear < 1601 || pst->wMonth < 1 || pst->wMonth > 12 || pst->wDay < 1 || t == (time_t)-1)
        return FALSE;
    ULONGLONG ull = ((ULONGLONG)(t + 11644473600LL)) * 10000000ULL + pst->wMilliseconds * 10000ULL;
    pft->dwLowDateTime = (DWORD)ull;
    pft->dwHighDateTime = (DWORD)(ull >> 32);
    return TRUE;
}

/* No connection is made here: the counter stands still, so every answer's
 * bracket is a moment. */
BOOL QueryPerformanceCounter(LARGE_INTEGER *pli)
{
    pli->QuadPart = 0;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER *pli)
{
    pli->QuadPart = 1000000;
    return TRUE;
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION ptzi)
{
    vClaim(ptzi, sizeof(*ptzi), "GetTimeZoneInformation");
    *ptzi = fake::tzi;
    return fake::tzResult;
}

DWORD FormatMessageA(DWORD, const void *, DWORD dwMessageId, DWORD, LPSTR lpBuffer, DWORD nSize,
                     va_list *)
{
    char sz[80];
    snprintf(sz, sizeof(sz), "System message %u.  \r\n", (unsigned)dwMessageId);
    vClaim(lpBuffer, nSize, "FormatMessageA");
    if (strlen(sz) >= nSize)
        return 0;
    return (DWORD)iCopyText(lpBuffer, (int)nSize, sz, "FormatMessageA");
}

BOOL SetEnvironmentVariableA(LPCSTR lpsName, LPCSTR lpsValue)
{
    return (lpsValue ? setenv(lpsName, lpsValue, 1) : unsetenv(lpsName)) == 0;
}

/* ---- wide texts: the ANSI code page here is Latin-1, one byte one character ---- */

static std::string Narrow(LPCWSTR lpws, size_t n = (size_t)-1)
{
    std::string s;
    for (size_t i = 0; lpws && i < n && lpws[i]; ++i)
        s += (char)(lpws[i] < 0x100 ? lpws[i] : '?');
    return s;
}

/* All characters or none, the terminator too for a count of -1. */
template <class F, class T> static int iConvert(const F *lpFrom, int cchFrom, T *lpTo, int cchTo, const char *lpsCall)
{
    size_t n = cchFrom < 0 ? std::char_traits<F>::length(lpFrom) + 1 : (size_t)cchFrom;
    vClaim(lpTo, (long long)cchTo * (long long)sizeof(T), lpsCall);
    if (n > (size_t)cchTo) {
        dwLastError = 122;  /* ERROR_INSUFFICIENT_BUFFER */
        return 0;
    }
    for (size_t i = 0; i < n; ++i) {
        unsigned u = (unsigned)(typename std::make_unsigned<F>::type)lpFrom[i];
        lpTo[i] = (T)(u < 0x100 ? u : '?');
    }
    return (int)n;
}

int MultiByteToWideChar(UINT, DWORD, LPCSTR lps, int cch, LPWSTR lpwsBuf, int cchWide)
{
    return iConvert(lps, cch, lpwsBuf, cchWide, "MultiByteToWideChar");
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR lpws, int cchWide, LPSTR lpsBuf, int cch, LPCSTR, BOOL *)
{
    return iConvert(lpws, cchWide, lpsBuf, cch, "WideCharToMultiByte");
}

BOOL SetDlgItemTextW(HWND, int id, LPCWSTR lpws)
{
    fake::items[id] = Narrow(lpws);
    return TRUE;
}

/* No variable is there for a wide name: the rules never need one. */
DWORD GetEnvironmentVariableW(LPCWSTR, LPWSTR lpwsBuf, DWORD nSize)
{
    vClaim(lpwsBuf, nSize * sizeof(WCHAR), "GetEnvironmentVariableW");
    dwLastError = ERROR_ENVVAR_NOT_FOUND;
    return 0;
}

/* A value as it was written: the harnesses check what holds whatever the
 * real calls make of blanks and quotes, and those rules are checked against
 * the real calls under Wine. */
static std::string ProfileString(const std::string &section, const std::string &key, const char *lpsDefault)
{
    auto it = fake::profile.find(fake::ProfileKey(section.c_str(), key.c_str()));
    return it != fake::profile.end() ? it->second : (lpsDefault ? lpsDefault : "");
}

/* A value cut to the buffer gives nSize - 1, as the profile calls do. */
DWORD GetPrivateProfileStringA(LPCSTR lpsSection, LPCSTR lpsKey, LPCSTR lpsDefault, LPSTR lpsBuf,
                               DWORD nSize, LPCSTR)
{
    return (DWORD)iCopyText(lpsBuf, (int)nSize, ProfileString(lpsSection, lpsKey, lpsDefault),
                            "GetPrivateProfileStringA");
}

DWORD GetPrivateProfileStringW(LPCWSTR lpwsSection, LPCWSTR lpwsKey, LPCWSTR lpwsDefault, LPWSTR lpwsBuf,
                               DWORD nSize, LPCWSTR)
{
    std::string sDefault = Narrow(lpwsDefault);
    return (DWORD)iCopyText(lpwsBuf, (int)nSize, ProfileString(Narrow(lpwsSection), Narrow(lpwsKey),
                                                               lpwsDefault ? sDefault.c_str() : NULL),
                            "GetPrivateProfileStringW");
}

/* The section's lines as stored, "key=value" each ended by a NUL and the
 * last by two; one too large for the buffer gives nSize - 2, cut. */
DWORD GetPrivateProfileSectionW(LPCWSTR lpwsSection, LPWSTR lpwsBuf, DWORD nSize, LPCWSTR)
{
    vClaim(lpwsBuf, (long long)nSize * (long long)sizeof(WCHAR), "GetPrivateProfileSectionW");
    const std::string prefix = fake::ProfileKey(Narrow(lpwsSection).c_str(), "");
    std::string block;
    for (auto &kv : fake::profile)
        if (kv.first.compare(0, prefix.size(), prefix) == 0)
            block += kv.first.substr(prefix.size()) + "=" + kv.second + '\0';
    if (nSize < 2)
        return 0;
    int n = iCopyText(lpwsBuf, (int)nSize - 1, block, "GetPrivateProfileSectionW");
    lpwsBuf[n + 1] = 0;
    return (DWORD)n;
}

UINT GetPrivateProfileIntW(LPCWSTR lpwsSection, LPCWSTR lpwsKey, int iDefault, LPCWSTR)
{
    auto it = fake::profile.find(fake::ProfileKey(Narrow(lpwsSection).c_str(), Narrow(lpwsKey).c_str()));
    return it == fake::profile.end() ? (UINT)iDefault : (UINT)strtol(it->second.c_str(), NULL, 10);
}

BOOL WritePrivateProfileStringA(LPCSTR lpsSection, LPCSTR lpsKey, LPCSTR lpsValue, LPCSTR)
{
    if (lpsValue)
        fake::profile[fake::ProfileKey(lpsSection, lpsKey)] = lpsValue;
    else
        fake::profile.erase(fake::ProfileKey(lpsSection, lpsKey));
    return TRUE;
}

BOOL WritePrivateProfileStringW(LPCWSTR lpwsSection, LPCWSTR lpwsKey, LPCWSTR lpwsValue, LPCWSTR)
{
    std::string sValue = Narrow(lpwsValue);
    return WritePrivateProfileStringA(Narrow(lpwsSection).c_str(), Narrow(lpwsKey).c_str(),
                                      lpwsValue ? sValue.c_str() : NULL, NULL);
}

UINT GetWindowsDirectoryW(LPWSTR lpwsBuf, UINT nSize)
{
    static const char szWindows[] = "C:\\windows";
    if (nSize < sizeof(szWindows))
        return sizeof(szWindows);
    return (UINT)iCopyText(lpwsBuf, (int)nSize, szWindows, "GetWindowsDirectoryW");
}

BOOL ReadFile(HANDLE, void *pBuf, DWORD cb, DWORD *pcbRead, void *)
{
    vClaim(pBuf, cb, "ReadFile");
    *pcbRead = 0;
    return TRUE;
}

BOOL CloseHandle(HANDLE) { return TRUE; }
BOOL DeleteFileW(LPCWSTR) { return TRUE; }

/* No per-user settings file is there: without a wide APPDATA none is looked for. */
DWORD GetFileAttributesW(LPCWSTR)
{
    dwLastError = ERROR_FILE_NOT_FOUND;
    return INVALID_FILE_ATTRIBUTES;
}

BOOL CopyFileW(LPCWSTR, LPCWSTR, BOOL) { return TRUE; }
void Sleep(DWORD) {}

/* The files the rules open: the error log, whose records are kept in
 * fake::log, and the settings file, which reads as empty (its contents
 * are the profile calls'). */
#define KX_LOG_HANDLE ((HANDLE)7)

HANDLE CreateFileW(LPCWSTR, DWORD, DWORD, void *, DWORD, DWORD, HANDLE) { return KX_LOG_HANDLE; }
BOOL CreateDirectoryW(LPCWSTR, void *) { return TRUE; }
DWORD SetFilePointer(HANDLE, LONG, LONG *, DWORD) { return (DWORD)fake::log.size(); }

BOOL WriteFile(HANDLE h, const void *pBuf, DWORD cb, DWORD *pcbWritten, void *)
{
    if (h == KX_LOG_HANDLE)
        fake::log.append((const char *)pBuf, cb);
    *pcbWritten = cb;
    return TRUE;
}

/* ---- sockets: one socket, no network ---- */

#define KX_SOCKET 5

SOCKET socket(int, int, int) { return KX_SOCKET; }

int connect(SOCKET, const struct sockaddr *, int)
{
    iWSALastError = WSAEWOULDBLOCK;
    return SOCKET_ERROR;
}

int recv(SOCKET, char *buf, int len, int)
{
    vClaim(buf, len, "recv");
    if (fake::recvError) {
        iWSALastError = fake::recvError;
        return SOCKET_ERROR;
    }
    int n = std::min(len, (int)fake::answer.size());
    memcpy(buf, fake::answer.data(), n);
    fake::answer.erase(0, n);
    return n;
}

int send(SOCKET, const char *buf, int len, int)
{
    fake::sent.append(buf, len);
    return len;
}

int shutdown(SOCKET, int) { return 0; }
int closesocket(SOCKET) { return 0; }
int setsockopt(SOCKET, int, int, const char *, int) { return 0; }

int getsockname(SOCKET, struct sockaddr *name, int *namelen)
{
    struct sockaddr_in sin;
    memset(&sin, 0, sizeof(sin));
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(0x7F000001);
    vClaim(name, *namelen, "getsockname");
    if (*namelen < (int)sizeof(sin))
        return SOCKET_ERROR;
    memcpy(name, &sin, sizeof(sin));
    *namelen = sizeof(sin);
    return 0;
}

/* No text is a dotted address here: every host takes the lookup road. */
u_long inet_addr(const char *) { return INADDR_NONE; }

char *inet_ntoa(struct in_addr)
{
    static char sz[] = "127.0.0.1";
    return sz;
}

u_short htons(u_short u) { return __builtin_bswap16(u); }
u_short ntohs(u_short u) { return __builtin_bswap16(u); }
u_long htonl(u_long u) { return __builtin_bswap32(u); }
u_long ntohl(u_long u) { return __builtin_bswap32(u); }
int WSAGetLastError(void) { return iWSALastError; }

void WSASetLastError(int iError)
{
    iWSALastError = iError;
}

BOOL WSAIsBlocking(void) { return FALSE; }
int WSACancelBlockingCall(void) { return 0; }
int WSAAsyncSelect(SOCKET, HWND, UINT, LONG) { return 0; }

HANDLE WSAAsyncGetHostByName(HWND, UINT, const char *, char *buf, int buflen)
{
    vClaim(buf, buflen, "WSAAsyncGetHostByName");
    return (HANDLE)1;
}

int WSACancelAsyncRequest(HANDLE) { return 0; }

int WSAStartup(WORD wVersion, LPWSADATA lpWSAData)
{
    memset(lpWSAData, 0, sizeof(*lpWSAData));
    lpWSAData->wVersion = wVersion;
    return 0;
}

int WSACleanup(void) { return 0; }

/* ---- what the files built here take from the files that are not: the
 * dialog procedure's globals and the help viewer ---- */

decltype(ghDlg) ghDlg = (HWND)1;
decltype(szDest) szDest;

/* The harnesses check no service radio button, so none is saved. */
LPCSTR lpsCheckedServiceName(HWND) { return NULL; }

BOOL WINAPI HelpViewA(HWND, LPCSTR, UINT, ULONG_PTR) { return TRUE; }
