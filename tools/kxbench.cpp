/* kxbench: launches a program under test and measures it, for
 * scripts/bench.sh.  Each mode prints one line of figures per launch.
 *
 *   kxbench ready EXE N        N launches: "MS KB", the time until the
 *                              program waits for input with its dialog up,
 *                              and its working set then
 *   kxbench daytime EXE N      N launches of Kalvex32 set to DayTime: "MS",
 *                              the time from pressing Start until the
 *                              Results field shows the time received
 *   kxbench cpu EXE SECONDS [start]
 *                              one launch: "CPU_MS PERCENT", the processor
 *                              time used over SECONDS after the dialog is
 *                              up, with Start pressed first when asked
 *
 * Every program is closed through its window when measured.  Exits with 1
 * when a program does not come up or answer in time, 2 on a usage error. */
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../res/resource.h"

static LARGE_INTEGER liFreq;

static double dNowMs(void)
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return (double)li.QuadPart * 1000.0 / (double)liFreq.QuadPart;
}

struct Find { DWORD dwPid; HWND hWnd; };

static BOOL CALLBACK bFindWindowOf(HWND hWnd, LPARAM lParam)
{
    Find *pf = (Find *)lParam;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    if (dwPid != pf->dwPid || !IsWindowVisible(hWnd))
        return TRUE;
    pf->hWnd = hWnd;
    return FALSE;
}

static HWND hWindowOf(DWORD dwPid)
{
    Find f = {dwPid, NULL};
    EnumWindows(bFindWindowOf, (LPARAM)&f);
    return f.hWnd;
}

/* Starts EXE and waits until its dialog is up and waiting for input. */
static BOOL bLaunch(const char *szExe, PROCESS_INFORMATION *ppi, double *pdMs, HWND *phWnd)
{
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof(si));
    si.cb = sizeof(si);
    char szCmd[MAX_PATH + 2];
    snprintf(szCmd, sizeof(szCmd), "\"%s\"", szExe);
    double dStart = dNowMs();
    if (!CreateProcessA(szExe, szCmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, ppi)) {
        fprintf(stderr, "kxbench: cannot start %s (error %lu)\n", szExe, GetLastError());
        return FALSE;
    }
    if (WaitForInputIdle(ppi->hProcess, 20000) != 0) {
        fprintf(stderr, "kxbench: %s did not come up\n", szExe);
        return FALSE;
    }
    *pdMs = dNowMs() - dStart;
    *phWnd = hWindowOf(ppi->dwProcessId);
    return *phWnd != NULL;
}

static void vClose(PROCESS_INFORMATION *ppi, HWND hWnd)
{
    if (hWnd)
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(ppi->hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(ppi->hProcess, 1);
    CloseHandle(ppi->hThread);
    CloseHandle(ppi->hProcess);
}

static double dCpuMs(HANDLE hProcess)
{
    FILETIME ftCreate, ftExit, ftKernel, ftUser;
    GetProcessTimes(hProcess, &ftCreate, &ftExit, &ftKernel, &ftUser);
    ULARGE_INTEGER k = {{ftKernel.dwLowDateTime, ftKernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{ftUser.dwLowDateTime, ftUser.dwHighDateTime}};
    return (double)(k.QuadPart + u.QuadPart) / 10000.0;
}

/* What one launch measures on the running dialog before it is closed;
 * FALSE ends the series as failed. */
typedef BOOL (*MeasureFn)(const PROCESS_INFORMATION *ppi, HWND hWnd, double dReadyMs);

static int iLaunches(const char *szExe, int n, MeasureFn pfnMeasure)
{
    for (int i = 0; i < n; i++) {
        PROCESS_INFORMATION pi;
        double dMs;
        HWND hWnd;
        if (!bLaunch(szExe, &pi, &dMs, &hWnd))
            return 1;
        BOOL bOk = pfnMeasure(&pi, hWnd, dMs);
        vClose(&pi, hWnd);
        if (!bOk)
            return 1;
        fflush(stdout);
    }
    return 0;
}

static BOOL bReady(const PROCESS_INFORMATION *ppi, HWND, double dMs)
{
    PROCESS_MEMORY_COUNTERS pmc;
    ZeroMemory(&pmc, sizeof(pmc));
    K32GetProcessMemoryInfo(ppi->hProcess, &pmc, sizeof(pmc));
    printf("%.1f %lu\n", dMs, (unsigned long)(pmc.WorkingSetSize / 1024));
    return TRUE;
}

static BOOL bDaytime(const PROCESS_INFORMATION *, HWND hWnd, double)
{
    char szResults[256] = "";
    double dStart = dNowMs();
    SendMessageA(hWnd, WM_COMMAND, IDC_START, 0);
    while (strncmp(szResults, "Time from ", 10) != 0 && dNowMs() - dStart < 10000)
        GetDlgItemTextA(hWnd, IDC_RESULTS, szResults, sizeof(szResults));
    if (strncmp(szResults, "Time from ", 10) != 0) {
        fprintf(stderr, "kxbench: no time received: %s\n", szResults);
        return FALSE;
    }
    printf("%.1f\n", dNowMs() - dStart);
    return TRUE;
}

static int iCpu(const char *szExe, int iSeconds, BOOL bStart)
{
    PROCESS_INFORMATION pi;
    double dMs;
    HWND hWnd;
    if (!bLaunch(szExe, &pi, &dMs, &hWnd))
        return 1;
    if (bStart)
        SendMessageA(hWnd, WM_COMMAND, IDC_START, 0);
    double dCpu0 = dCpuMs(pi.hProcess), dT0 = dNowMs();
    Sleep((DWORD)iSeconds * 1000);
    double dCpu = dCpuMs(pi.hProcess) - dCpu0, dT = dNowMs() - dT0;
    vClose(&pi, hWnd);
    printf("%.0f %.3f\n", dCpu, 100.0 * dCpu / dT);
    return 0;
}

int main(int argc, char **argv)
{
    QueryPerformanceFrequency(&liFreq);
    if (argc == 4 && strcmp(argv[1], "ready") == 0)
        return iLaunches(argv[2], atoi(argv[3]), bReady);
    if (argc == 4 && strcmp(argv[1], "daytime") == 0)
        return iLaunches(argv[2], atoi(argv[3]), bDaytime);
    if ((argc == 4 || argc == 5) && strcmp(argv[1], "cpu") == 0)
        return iCpu(argv[2], atoi(argv[3]), argc == 5 && strcmp(argv[4], "start") == 0);
    fprintf(stderr, "usage: kxbench ready EXE N | kxbench daytime EXE N | kxbench cpu EXE SECONDS [start]\n");
    return 2;
}
