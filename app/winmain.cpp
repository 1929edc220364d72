/* Start-up and shutdown: one instance, the control classes, the sockets
 * layer, and the modal main dialog in which everything else happens. */
#include <string.h>

#include "kalvex.h"
#include "format.h"
#include "seams.h"
#include "../controls/controls.h"
#include "../controller/pinger.h"

static HINSTANCE hThisInst; /* set by WinMain, read when the dialog is loaded */
HICON hIcon;            /* loaded by WinMain, destroyed by Exit */
WSADATA WSAData;        /* filled by the sockets start-up */
static HWND oldhwnd;    /* WinMain's find: the dialog of an instance already running */
static HANDLE hRunning; /* WinMain's hold on the one-copy mutex, for the whole run */

/* How long a second copy waits for the first copy's dialog to appear. */
#define KX_WAIT_FOR_FIRST_MS    5000
#define KX_WAIT_STEP_MS         50

/* Kept though no window uses it: the class under the program's own name,
 * with its icon, that every release has registered. */
static const char szClassName[] = "KalvexClass";

/* The captions our dialog carries: the template's until the dialog has
 * initialised, then the title, followed by the online note once a
 * connection has been made. */
static BOOL bIsOurCaption(LPCSTR lpsCaption)
{
    static const char szOnline[] = KX_TITLE " online for ";

    return lstrcmpA(lpsCaption, "Kalvex") == 0
        || lstrcmpA(lpsCaption, KX_TITLE) == 0
        || strncmp(lpsCaption, szOnline, sizeof(szOnline) - 1) == 0;
}

static BOOL CALLBACK bFindRunningDialog(HWND hWnd, LPARAM lParam)
{
    char szClass[32];
    char szCaption[128];

    if (!GetClassNameA(hWnd, szClass, sizeof(szClass)) || lstrcmpA(szClass, KX_CLASS_DIALOG) != 0)
        return TRUE;
    szCaption[0] = 0;
    GetWindowTextA(hWnd, szCaption, sizeof(szCaption));
    if (!bIsOurCaption(szCaption))
        return TRUE;
    *(HWND *)lParam = hWnd;
    return FALSE;
}

/* The dialog's class is the shared gray dialog class and the class we
 * register is never used for a window, so neither class name can tell our
 * dialog from any other gray dialog: its class together with the caption
 * it keeps while running can. */
static HWND hFindRunningInstance(void)
{
    HWND hFound = NULL;

    EnumWindows(bFindRunningDialog, (LPARAM)&hFound);
    return hFound;
}

static void vLetGoOfMutex(void)
{
    if (hRunning)
        CloseHandle(hRunning);
    hRunning = NULL;
}

/* A second start means "show me Kalvex32": the running copy comes to the
 * front, restored when it was minimized.  Windows lets the process the
 * user has just started take the foreground, not the running copy, so it
 * is this copy that puts the running one there before it ends. */
static void vBringToFront(HWND hWnd)
{
    if (IsIconic(hWnd))
        ShowWindow(hWnd, SW_RESTORE);
    SetForegroundWindow(hWnd);
}

/* Two copies started at the same moment would both look for the other's
 * dialog before either has one; the mutex decides at once which is first.
 * The second waits for the first copy's dialog, so that it can bring it
 * to the front. */
static BOOL bAnotherCopyRuns(void)
{
    hRunning = CreateMutexA(NULL, FALSE, KX_MUTEX_NAME);
    /* The mutex of a copy run as administrator is there but may not be opened. */
    DWORD dwError = GetLastError();
    if (hRunning ? dwError != ERROR_ALREADY_EXISTS : dwError != ERROR_ACCESS_DENIED)
        return FALSE;
    for (DWORD dwWaited = 0; dwWaited < KX_WAIT_FOR_FIRST_MS; dwWaited += KX_WAIT_STEP_MS) {
        oldhwnd = hFindRunningInstance();
        if (oldhwnd)
            break;
        Sleep(KX_WAIT_STEP_MS);
    }
    if (oldhwnd)
        vBringToFront(oldhwnd);
    vLetGoOfMutex();
    return TRUE;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    WNDCLASSEXA wc;
    char szErrMsg[60];
    int iErr;

    if (bAnotherCopyRuns())
        return 0;
    hThisInst = hInstance;

    /* Our control layer takes the place of a library that registers its
     * classes as it loads, so it must be in place before we copy from it. */
    vRegisterControls(hInstance);
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    GetClassInfoExA(NULL, KX_CLASS_DIALOG, &wc);
    hIcon = hLoadKalvexIcon(hInstance, TRUE);
    wc.cbSize = sizeof(wc);
    wc.lpszClassName = szClassName;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = DLGWINDOWEXTRA;     /* the dialog manager's own window data */
    wc.hInstance = hInstance;
    wc.hIcon = hIcon;
    wc.hIconSm = hIcon;
    RegisterClassExA(&wc);

    iErr = pfnWSAStartup(0x0101, &WSAData);
    if (iErr != 0) {
        iFormat(szErrMsg, sizeof(szErrMsg), "WSAStartup Error = %d", iErr);
        MessageBoxA(NULL, szErrMsg, NULL, MB_OK);
    }

    DialogBoxParamA(hThisInst, KX_DIALOG, NULL, Pinger, 0);

    WSACleanup();
    vLetGoOfMutex();
    return 0;
}
