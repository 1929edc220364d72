#include "pinger.h"

#include "hostlist.h"
#include "meter.h"
#include "servicerows.h"
#include "settings.h"
#include "../app/format.h"
#include "../app/results.h"
#include "../app/seams.h"
#include "../app/text.h"
#include "../probe/connect.h"
#include "../probe/services.h"
#include "../timesvc/timesvc.h"

#define KX_HELPFILE     "KALVEX.HLP"
#define KX_TIMER_ID     1
#define KX_TIMER_MS     1000
/* How long the timer cycle lets a probe run before it gives up on it: far
 * longer than any answer takes.  The jitter can bring the next due step
 * closer than this; a probe still under way then is left to finish, and
 * that step sends none. */
#define KX_PROBE_PATIENCE_MS 10000
/* How long the network is given to come back after the system wakes. */
#define KX_RESUME_GRACE_MS  10000

HWND ghDlg;                 /* the main dialog; every part reaches its fields through it */
char szDest[512];           /* host text of the probe being started; work buffer of the host list */
UINT_PTR iTimer;            /* the one-second timer; never cleared, so Stop beeps after any Start */
DWORD Inter, NextTickCount; /* the schedule: it survives Stop, so a quick restart keeps the pace */
static const int randtbl[11] = { 0, 1, 13, 3, 1, 5, 0, 15, 1, 10, 4 };
#define KX_MAX_JITTER   15  /* the largest entry of randtbl */
int rIndex, adding = 1;     /* where the jitter table stands and which way it pushes next */
static RECT aRt;            /* the dialog's rectangle while it is being centred */
static HICON hIconBig;      /* the dialog's large icon: loaded when it opens, destroyed by Exit */
static DWORD ulProbeStarted; /* the timer cycle's: tick count at which the busy probe started */
static BOOL bStartStep;     /* set by Start, cleared by the timer step that follows it */
/* The timer cycle's: steps of the first run, counted to 2; Stop ends the count. */
static int iFirstRunSteps;


/* ---- Small helpers ---- */

/* Moves the focus to the control by the dialog manager's own message, which
 * also keeps the default button right. */
static void vFocusOn(HWND hDlg, int id)
{
    SendMessageA(hDlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(hDlg, id), TRUE);
}

/* A control disabled with the focus would leave the keyboard nowhere: the
 * focus goes first to Stop, which now does the job. */
static void vEnableItem(HWND hDlg, int id, BOOL bEnable)
{
    HWND hItem = GetDlgItem(hDlg, id);
    if (!bEnable && GetFocus() == hItem)
        vFocusOn(hDlg, IDC_STOP);
    EnableWindow(hItem, bEnable);
}

/* Start locks the Start button and the service choice; Stop frees them. */
static void vEnableWhileIdle(HWND hDlg, BOOL bEnable)
{
    vEnableItem(hDlg, IDC_START, bEnable);
    for (int i = 0; i < nServices; i++)
        vEnableItem(hDlg, aServices[i].id, bEnable);
}

static void vCloseBusyServices(void)
{
    for (int i = 0; i < nServices; i++)
        if (*aServices[i].pbBusy)
            aServices[i].pfnClose();
}

static void vShowItem(HWND hDlg, int id, BOOL bShow)
{
    ShowWindow(GetDlgItem(hDlg, id), bShow ? SW_SHOWNORMAL : SW_HIDE);
}

/* ---- Initialisation ---- */

static void vCentreDialog(HWND hDlg)
{
    GetWindowRect(hDlg, &aRt);
    OffsetRect(&aRt, -aRt.left, -aRt.top);
    /* x lands on a multiple of 8, the nearest one to the true centre */
    int x = ((GetSystemMetrics(SM_CXSCREEN) - aRt.right) / 2 + 4) & ~7;
    int y = (GetSystemMetrics(SM_CYSCREEN) - aRt.bottom) / 2;
    MoveWindow(hDlg, x, y, aRt.right, aRt.bottom, FALSE);
}

static void vShowServiceFields(HWND hDlg, int id);

/* Returns the radio checked.  The show-and-hide rule runs at once and
 * again, through the posted command, once the dialog is up.  The radio is
 * not clicked: a click would activate the dialog before it is even shown,
 * which costs start-up time; the caller gives it the focus.  The template
 * checks no radio, so checking the one is enough; CheckRadioButton would
 * visit every control of the dialog to find the other two. */
static int idPreselectService(HWND hDlg)
{
    int id = IDC_KALV;
    for (int i = 0; i < nServices; i++)
        if (aServices[i].lpsName && bSameTextNoCase(szService, -1, aServices[i].lpsName)) {
            id = aServices[i].id;
            break;
        }

    PostMessageA(hDlg, WM_COMMAND, (WPARAM)id, 0);
    CheckDlgButton(hDlg, id, BST_CHECKED);
    vShowServiceFields(hDlg, id);
    return id;
}

static void vInitDialog(HWND hDlg)
{
    SendMessageA(hDlg, WM_SETICON, ICON_SMALL, (LPARAM)hIcon);
    /* Taskbar and Alt+Tab show the large icon; without one they show the
     * system's. */
    if (!hIconBig)
        hIconBig = hLoadKalvexIcon((HINSTANCE)GetWindowLongPtrA(hDlg, GWLP_HINSTANCE), FALSE);
    SendMessageA(hDlg, WM_SETICON, ICON_BIG, (LPARAM)hIconBig);
    lstrcpynA(szMyIP, "Unknown", sizeof(szMyIP));
    ghDlg = hDlg;
    SetWindowTextA(hDlg, KX_TITLE);

    /* The sockets layer promises a terminator, but the field is fixed-size. */
    char szDescription[sizeof(WSAData.szDescription)];
    lstrcpynA(szDescription, WSAData.szDescription, sizeof(szDescription));
    SetDlgItemTextA(hDlg, IDC_WSVERSION, szDescription);

    vCentreDialog(hDlg);
    vReadSettings(hDlg);
    /* The dialog manager would put the focus on the first radio button,
     * where one Space would change a saved service. */
    vFocusOn(hDlg, idPreselectService(hDlg));
    if (bAutoStart)
        PostMessageA(hDlg, WM_COMMAND, IDC_START, 0);
}

/* ---- Commands ---- */

/* A name that would not come back from the file as itself, or that the
 * saved list has no room for, is refused with the beep of a full field.
 * A change to the list is kept at once, not only at the next Start. */
static void vAddHost(HWND hDlg)
{
    szDest[0] = '\0';
    GetDlgItemTextA(hDlg, IDC_HOST, szDest, sizeof(szDest));
    if (!bHostListTakes(hDlg, szDest)) {
        pfnMessageBeep(MB_OK);
        return;
    }
    SendDlgItemMessageA(hDlg, IDC_HOST, CB_ADDSTRING, 0, (LPARAM)szDest);
    vSaveHostList(hDlg);
}

/* The entry equal to the text, any case, goes; only without one does the
 * combo box's own search decide: a prefix, any case, looked for from the
 * second entry round to the first. */
static void vRemoveHost(HWND hDlg)
{
    szDest[0] = '\0';
    GetDlgItemTextA(hDlg, IDC_HOST, szDest, sizeof(szDest));
    iCutAtControl(szDest);
    LRESULT lFound = SendDlgItemMessageA(hDlg, IDC_HOST, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)szDest);
    if (lFound == CB_ERR)
        lFound = SendDlgItemMessageA(hDlg, IDC_HOST, CB_FINDSTRING, 0, (LPARAM)szDest);
    if (lFound != CB_ERR) {
        SendDlgItemMessageA(hDlg, IDC_HOST, CB_DELETESTRING, (WPARAM)lFound, 0);
        vSaveHostList(hDlg);
    }
    SendDlgItemMessageA(hDlg, IDC_HOST, CB_SETCURSEL, 0, 0);
}

static void vHelp(HWND hDlg)
{
    pfnWinHelp(hDlg, KX_HELPFILE, HELP_CONTENTS, 0);
}

static void vShowServiceFields(HWND hDlg, int id)
{
    for (int i = 0; i < nServices; i++)
        if (aServices[i].idField) {
            vShowItem(hDlg, aServices[i].idField, aServices[i].id == id);
            vShowItem(hDlg, aServices[i].idLabel, aServices[i].id == id);
        }
}

/* Without its timer a run would make one step and stop without a word. */
static void vReportTimerFailed(void)
{
    char szReason[300];
    iSystemReason(GetLastError(), szReason, sizeof(szReason));
    iFormat(szResult, sizeof(szResult), "Couldn't start the timer: %s", szReason);
    vWriteResults(szResult, 1);
}

static void vStart(HWND hDlg)
{
    UINT_PTR uTimer = SetTimer(hDlg, KX_TIMER_ID, KX_TIMER_MS, NULL);
    if (!uTimer) {
        vReportTimerFailed();
        return;             /* the dialog stays idle */
    }
    iTimer = uTimer;
    vCutFieldsAtControls(hDlg);
    vMeterReset();
    vEnableWhileIdle(hDlg, FALSE);

    bStartStep = TRUE;
    /* The first step runs as soon as this command is done, not a second later. */
    PostMessageA(hDlg, WM_TIMER, 0, 0);

    /* The limits come first: the settings save the Stop value they take.
     * The settings take the Interval before the first step runs. */
    vMeterReadLimits(hDlg);
    vWriteSettings(hDlg);
}

static void vStop(HWND hDlg)
{
    if (iTimer) {
        KillTimer(hDlg, iTimer);
        pfnMessageBeep(0xFFFFFFFF);
    }
    vCloseBusyServices();
    iFirstRunSteps = 2;
    vEnableWhileIdle(hDlg, TRUE);
    if (GetFocus() == GetDlgItem(hDlg, IDC_STOP))
        vFocusOn(hDlg, IDC_START);  /* Start now does the job */
    ShowWindow(hDlg, SW_RESTORE);
}

static void vExit(HWND hDlg)
{
    KillTimer(hDlg, iTimer);
    pfnWinHelp(hDlg, KX_HELPFILE, HELP_QUIT, 0);
    if (hIcon) {
        DestroyIcon(hIcon);
        hIcon = NULL;   /* a second Exit must not destroy whatever reuses the handle */
    }
    if (hIconBig) {
        DestroyIcon(hIconBig);
        hIconBig = NULL;
    }
    vCloseBusyServices();
    EndDialog(hDlg, 1);
}

/* ---- The timer cycle ---- */

/* The next probe is measured from this step, not from the due time, and is
 * pushed alternately later and earlier by the jitter table. */
static void vScheduleNextProbe(void)
{
    if (adding)
        Inter = (DWORD)iTimeVal + (DWORD)randtbl[rIndex];
    else
        Inter = (DWORD)iTimeVal - (DWORD)randtbl[rIndex];
    /* The jitter, too, must not push the due time out of the due test's reach. */
    if (Inter > (DWORD)KX_MAX_INTERVAL)
        Inter = (DWORD)KX_MAX_INTERVAL;
    Inter *= 1000;
    NextTickCount = CurrentTickCount + Inter;
    adding = !adding;
    if (++rIndex == 11)
        rIndex = 0;
}

/* A server that accepts and never answers would hold its service for good.
 * The probe is given up as soon as it is overdue, not at the next due
 * step, so that its record stays in view until the next probe begins. */
static void vGiveUpOverdueProbe(void)
{
    if (CurrentTickCount - ulProbeStarted < KX_PROBE_PATIENCE_MS)
        return;
    for (int i = 0; i < nServices; i++)
        if (*aServices[i].pbBusy) {
            iFormat(szResult, sizeof(szResult), "No answer from %s in time..", szDestStr);
            vWriteResults(szResult, 1);
            vCloseBusyServices();
            return;
        }
}

/* Returns what the step came to, for the meter. */
static int iStartCheckedService(HWND hDlg)
{
    for (int i = 0; i < nServices; i++) {
        const ServiceRow *pRow = &aServices[i];
        if (IsDlgButtonChecked(hDlg, pRow->id) != BST_CHECKED)
            continue;
        /* A probe still under way is young (an overdue one was given up
         * before the due test); that is no failure. */
        if (*pRow->pbBusy)
            return KX_STEP_NOTHING;
        if (!pRow->pfnStart(szDest))
            return KX_STEP_FAILED;
        *pRow->pbBusy = 1;
        ulProbeStarted = CurrentTickCount;
        return pRow->id == IDC_KALV ? KX_STEP_SENT_KALV : KX_STEP_SENT;
    }
    return KX_STEP_NOTHING;
}

/* Anything but blanks: an empty host would probe this computer itself. */
static BOOL bIsHostGiven(LPCSTR lpsHost)
{
    while (bIsBlank(*lpsHost))
        ++lpsHost;
    return *lpsHost != '\0';
}

/* Tick counts wrap every 49.7 days, so only their signed difference says
 * whether the due time has come.  A due time further ahead than the
 * interval it was set with has long passed: the run was stopped for weeks,
 * or none has been set yet. */
static BOOL bProbeDue(void)
{
    LONG lLeft = (LONG)(NextTickCount - CurrentTickCount);
    return lLeft <= 0 || (DWORD)lLeft > Inter;
}

/* A due time left from before a Stop may lie as far ahead as the longest
 * interval.  A new Start waits no longer than its own interval and the
 * largest jitter, and says how long it waits: whole seconds, rounded up,
 * so that it never says 0 while a probe is still to come. */
static void vAfterStart(void)
{
    DWORD ulMaxWait = ((DWORD)iTimeVal + (DWORD)KX_MAX_JITTER) * 1000;
    if (bProbeDue())
        return;
    if (NextTickCount - CurrentTickCount > ulMaxWait)
        NextTickCount = CurrentTickCount + ulMaxWait;
    iFormat(szResult, sizeof(szResult), "Next probe in %d seconds..",
            (int)((NextTickCount - CurrentTickCount + 999) / 1000));
    vWriteResults(szResult, 0);
}

static void vTimerStep(HWND hDlg)
{
    vMeterTick(hDlg);
    vGiveUpOverdueProbe();
    if (bStartStep) {
        bStartStep = FALSE;
        vAfterStart();
    }
    /* The step after the very first one is always due: it makes the second
     * probe of a fresh run, however long that Start took to save. */
    BOOL bSecondStep = iFirstRunSteps == 1;
    if (iFirstRunSteps < 2)
        ++iFirstRunSteps;
    if (!bSecondStep && !bProbeDue())
        return;
    vScheduleNextProbe();
    /* The fields may have changed since Start; the services read them too. */
    vCutFieldsAtControls(hDlg);
    GetDlgItemTextA(hDlg, IDC_HOST, szDest, sizeof(szDest));
    if (!bIsHostGiven(szDest)) {
        vWriteResults("Enter a host to probe..", 0);    /* nothing started: nothing to count or log */
        return;
    }
    /* The stop itself runs after this step, but the probe just started must
     * end now: it would go on connecting in the meantime. */
    if (bMeterDueStep(hDlg, iStartCheckedService(hDlg)))
        vCloseBusyServices();
}

/* ---- Power ---- */

/* The probe due at the wake, or soon after it, would fail for want of a
 * network that is not back yet: the next one is due once it has had time.
 * Inter says how far ahead that is, so that the due test waits for it.
 * A wake by the user brings a second resume notice within moments of the
 * first; it is the same wake and gives no more time. */
static void vOnPower(HWND hDlg, WPARAM wParam)
{
    static DWORD dwWokeAt;  /* vOnPower's: when the last wake gave the network its time */
    static BOOL bWoke;      /* vOnPower's: a wake has been seen since the last suspend */
    /* The message's own answer: a request to sleep is never refused. */
    SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, TRUE);
    switch (wParam) {
    case PBT_APMSUSPEND:
        vMeterSuspend();
        bWoke = FALSE;
        break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
        vMeterResume();
        TimeResumed();
        if (bWoke && pfnGetTickCount() - dwWokeAt < KX_RESUME_GRACE_MS)
            break;
        bWoke = TRUE;
        dwWokeAt = pfnGetTickCount();
        Inter = KX_RESUME_GRACE_MS;
        NextTickCount = dwWokeAt + Inter;
        break;
    }
}

/* ---- Socket notifications ---- */

/* Only one probe is ever in flight: the busy flags say whose it is, and
 * the engine says whether a notification is still the probe's own. */
void vRouteHostResolved(WPARAM wParam, LPARAM lParam)
{
    /* A failed probe frees its service, so the next due step probes again. */
    if (bNoticeIsCurrent(WM_HOST_RESOLVED, wParam, lParam) && OnHostAddressResolution(wParam, lParam) != 0)
        vCloseBusyServices();
    vLookupAnswered(wParam);
}

/* The aimed connect of a Time probe is due. */
void vRouteAimedConnect(void)
{
    if (OnAimedConnect() != 0)
        vCloseBusyServices();
}

void vRouteSocketEvent(WPARAM wParam, LPARAM lParam)
{
    if (!bNoticeIsCurrent(WM_SOCKET_EVENT, wParam, lParam))
        return;
    int iEvent = WSAGETSELECTEVENT(lParam);
    if (iEvent == FD_CONNECT && OnConnect(lParam) != 0) {
        /* A failed connect ends whichever probe it was. */
        vCloseBusyServices();
        return;
    }
    for (int i = 0; i < nServices; i++) {
        const ServiceRow *pRow = &aServices[i];
        if (!*pRow->pbBusy)
            continue;
        switch (iEvent) {
        case FD_READ:
        case FD_CLOSE:
            /* The last data and the end of the stream may come together
             * with FD_CLOSE, and FD_READ may never come at all. */
            if (pRow->pfnRead) {
                pRow->pfnRead();
                pRow->pfnClose();
            }
            break;
        case FD_WRITE:
            if (pRow->pfnWrite)
                pRow->pfnWrite();
            break;
        case FD_CONNECT:
            if (!pRow->pfnRead)
                pRow->pfnClose();
            break;
        }
    }
}

/* ---- The dialog procedure ---- */

static INT_PTR OnCommand(HWND hDlg, int id)
{
    switch (id) {
    case IDC_ADDHOST:
        vAddHost(hDlg);
        return FALSE;
    case IDC_REMOVEHOST:
        vRemoveHost(hDlg);
        return FALSE;
    case IDC_HELPBTN:
        vHelp(hDlg);
        return TRUE;
    case IDC_START:
        vStart(hDlg);
        return TRUE;
    case IDC_STOP:
        vStop(hDlg);
        return TRUE;
    case IDC_EXIT:
        vExit(hDlg);
        return TRUE;
    }
    if (pServiceRowOf(id))
        vShowServiceFields(hDlg, id);
    /* Enter and Escape among the rest: neither may start or end anything. */
    return FALSE;
}

extern "C" INT_PTR CALLBACK Pinger(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        vInitDialog(hDlg);
        return FALSE;       /* the focus is set */
    case WM_COMMAND:
        return OnCommand(hDlg, LOWORD(wParam));
    case WM_TIMER:
        /* Start posts the first step with wParam 0 */
        if (wParam == KX_AIM_TIMER_ID)
            vRouteAimedConnect();
        else
            vTimerStep(hDlg);
        return FALSE;
    case WM_CLOSE:
        PostMessageA(hDlg, WM_COMMAND, IDC_EXIT, 0);
        return FALSE;
    /* Handled, so the dialog manager never sees them: their numbers are
     * also its DM_SETDEFID and DM_REPOSITION, and it would make the socket
     * handle the button that Enter presses. */
    case WM_SOCKET_EVENT:
        vRouteSocketEvent(wParam, lParam);
        return TRUE;
    case WM_HOST_RESOLVED:
        vRouteHostResolved(wParam, lParam);
        return TRUE;
    case WM_POWERBROADCAST:
        vOnPower(hDlg, wParam);
        return TRUE;
    }
    return FALSE;
}
