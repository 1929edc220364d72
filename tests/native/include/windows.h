/* Native stand-in for the few Windows types and calls that the rules built
 * on Linux use (see ../CMakeLists.txt).  Types keep Windows' sizes: LONG,
 * DWORD and u_long are 32 bits even where long is 64.  The calls live in
 * ../standin.cpp; they check every buffer size they are told. */
#ifndef KX_NATIVE_WINDOWS_H
#define KX_NATIVE_WINDOWS_H

/* The C headers first: glibc's sys/types.h has a u_long of its own, and
 * must be read before winsock.h renames ours. */
#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>

#define WINAPI
#define CALLBACK
#define PASCAL

typedef int BOOL;
typedef int INT;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
/* Wide enough for every character; wide literals of the program's own
 * compile here as they do for Windows. */
typedef wchar_t WCHAR;
typedef unsigned char BYTE;
typedef char CHAR;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef intptr_t INT_PTR, LONG_PTR, LPARAM, LRESULT;
typedef uintptr_t UINT_PTR, ULONG_PTR, WPARAM;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;
typedef void *LPVOID;
typedef void *HANDLE;
typedef struct KX_HWND *HWND;
typedef struct KX_HINSTANCE *HINSTANCE;
typedef struct KX_HICON *HICON;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define ZeroMemory(p, n) memset((p), 0, (n))
#define CopyMemory(d, s, n) memcpy((d), (s), (n))
#define LOWORD(l) ((WORD)((DWORD_PTR_KX)(l) & 0xFFFF))
#define HIWORD(l) ((WORD)(((DWORD_PTR_KX)(l) >> 16) & 0xFFFF))
typedef uintptr_t DWORD_PTR_KX;

#define WM_USER 0x0400
#define WM_COMMAND 0x0111
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define CB_ERR (-1)
#define CB_LIMITTEXT 0x0141
#define EM_LIMITTEXT 0x00C5
#define CB_ADDSTRING 0x0143
#define CB_GETCOUNT 0x0146
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define MB_OK 0

#define FILE_BEGIN 0
#define FILE_END 2
#define GENERIC_READ 0x80000000U
#define GENERIC_WRITE 0x40000000U
#define FILE_SHARE_READ 1
#define FILE_SHARE_WRITE 2
#define FILE_SHARE_DELETE 4
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define PM_NOREMOVE 0
#define PM_REMOVE 1
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_ACCESS_DENIED 5
#define ERROR_WRITE_FAULT 29
#define ERROR_SHARING_VIOLATION 32
#define ERROR_LOCK_VIOLATION 33
#define WC_NO_BEST_FIT_CHARS 0x400
#define ERROR_ALREADY_EXISTS 183
#define CP_ACP 0
#define WC_NO_BEST_FIT_CHARS 0x400
#define ERROR_ENVVAR_NOT_FOUND 203
#define ERROR_PRIVILEGE_NOT_HELD 1314

#define TIME_ZONE_ID_INVALID 0xFFFFFFFFU
#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2

#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#define LANG_NEUTRAL 0
#define SUBLANG_DEFAULT 1
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

typedef struct _SYSTEMTIME {
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    };
    ULONGLONG QuadPart;
} ULARGE_INTEGER;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    LONGLONG QuadPart;
} LARGE_INTEGER;

typedef struct _TIME_ZONE_INFORMATION {
    LONG Bias;
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
} TIME_ZONE_INFORMATION, *LPTIME_ZONE_INFORMATION;

typedef struct tagPOINT {
    LONG x, y;
} POINT;

typedef struct tagMSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
} MSG, *LPMSG;

/* Window manager: the dialog's items are a table in the stand-in. */
BOOL SetDlgItemTextA(HWND hDlg, int id, LPCSTR lps);
BOOL SetDlgItemTextW(HWND hDlg, int id, LPCWSTR lpws);
UINT GetDlgItemTextA(HWND hDlg, int id, LPSTR lps, int cch);
LRESULT SendDlgItemMessageA(HWND hDlg, int id, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND hDlg, int id, UINT uCheck);
UINT IsDlgButtonChecked(HWND hDlg, int id);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL PostMessageA(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
#define PBT_APMRESUMESUSPEND 0x0007
#define PBT_APMRESUMEAUTOMATIC 0x0012
UINT_PTR SetTimer(HWND hWnd, UINT_PTR id, UINT uMs, void *pfnProc);
BOOL KillTimer(HWND hWnd, UINT_PTR id);
BOOL PeekMessageA(LPMSG pMsg, HWND hWnd, UINT msgMin, UINT msgMax, UINT uRemove);
BOOL SetWindowTextA(HWND hWnd, LPCSTR lps);
int GetWindowTextA(HWND hWnd, LPSTR lps, int cch);
BOOL MessageBeep(UINT uType);
int wsprintfA(LPSTR lps, LPCSTR lpsFormat, ...);
int wvsprintfA(LPSTR lps, LPCSTR lpsFormat, va_list args);
/* The Windows C library's formatter: -1 for a text longer than the room,
 * and no terminator for one that fills it exactly. */
int _vsnprintf(char *lps, size_t cch, const char *lpsFormat, va_list args);

/* Kernel */
LPSTR lstrcpynA(LPSTR lpsTo, LPCSTR lpsFrom, int cch);
int lstrlenA(LPCSTR lps);
#define LOCALE_INVARIANT 0x007f
#define NORM_IGNORECASE 0x00000001
#define SORT_STRINGSORT 0x00001000
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
int CompareStringA(DWORD dwLocale, DWORD dwFlags, LPCSTR lpsA, int cchA, LPCSTR lpsB, int cchB);
int lstrcmpiA(LPCSTR a, LPCSTR b);
DWORD GetLastError(void);
void SetLastError(DWORD dw);
DWORD GetTickCount(void);
BOOL SetLocalTime(const SYSTEMTIME *pst);
BOOL SetSystemTime(const SYSTEMTIME *pst);
void GetSystemTimeAsFileTime(LPFILETIME pft);
BOOL FileTimeToSystemTime(const FILETIME *pft, LPSYSTEMTIME pst);
BOOL SystemTimeToFileTime(const SYSTEMTIME *pst, LPFILETIME pft);
BOOL QueryPerformanceCounter(LARGE_INTEGER *pli);
BOOL QueryPerformanceFrequency(LARGE_INTEGER *pli);
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION ptzi);
DWORD FormatMessageA(DWORD dwFlags, const void *lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                     LPSTR lpBuffer, DWORD nSize, va_list *args);
BOOL SetEnvironmentVariableA(LPCSTR lpsName, LPCSTR lpsValue);
DWORD GetEnvironmentVariableW(LPCWSTR lpwsName, LPWSTR lpwsBuf, DWORD nSize);
DWORD GetPrivateProfileStringA(LPCSTR lpsSection, LPCSTR lpsKey, LPCSTR lpsDefault,
                               LPSTR lpsBuf, DWORD nSize, LPCSTR lpsFile);
BOOL WritePrivateProfileStringA(LPCSTR lpsSection, LPCSTR lpsKey, LPCSTR lpsValue, LPCSTR lpsFile);
DWORD GetPrivateProfileStringW(LPCWSTR lpwsSection, LPCWSTR lpwsKey, LPCWSTR lpwsDefault,
                               LPWSTR lpwsBuf, DWORD nSize, LPCWSTR lpwsFile);
UINT GetPrivateProfileIntW(LPCWSTR lpwsSection, LPCWSTR lpwsKey, int iDefault, LPCWSTR lpwsFile);
DWORD GetPrivateProfileSectionW(LPCWSTR lpwsSection, LPWSTR lpwsBuf, DWORD nSize, LPCWSTR lpwsFile);
BOOL WritePrivateProfileStringW(LPCWSTR lpwsSection, LPCWSTR lpwsKey, LPCWSTR lpwsValue, LPCWSTR lpwsFile);
int MultiByteToWideChar(UINT uCodePage, DWORD dwFlags, LPCSTR lps, int cch, LPWSTR lpwsBuf, int cchWide);
int WideCharToMultiByte(UINT uCodePage, DWORD dwFlags, LPCWSTR lpws, int cchWide, LPSTR lpsBuf, int cch,
                        LPCSTR lpsDefault, BOOL *pbUsedDefault);
int lstrlenW(LPCWSTR lpws);
LPWSTR lstrcpynW(LPWSTR lpwsTo, LPCWSTR lpwsFrom, int cch);
UINT GetWindowsDirectoryW(LPWSTR lpwsBuf, UINT nSize);
HANDLE CreateFileW(LPCWSTR lpwsName, DWORD dwAccess, DWORD dwShare, void *pSecurity,
                   DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
BOOL ReadFile(HANDLE h, void *pBuf, DWORD cb, DWORD *pcbRead, void *pOverlapped);
BOOL CloseHandle(HANDLE h);
BOOL DeleteFileW(LPCWSTR lpwsName);
DWORD GetFileAttributesW(LPCWSTR lpwsName);
BOOL CreateDirectoryW(LPCWSTR lpwsName, void *pSecurity);
BOOL CopyFileW(LPCWSTR lpwsFrom, LPCWSTR lpwsTo, BOOL bFailIfExists);
void Sleep(DWORD dwMs);
DWORD SetFilePointer(HANDLE h, LONG lDistance, LONG *plHigh, DWORD dwMethod);
BOOL WriteFile(HANDLE h, const void *pBuf, DWORD cb, DWORD *pcbWritten, void *pOverlapped);

#endif
