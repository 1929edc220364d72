/* Kalvex32's help viewer: one top-level window with the list of topics at
 * the left and the read-only text at the right.  The file is read whole
 * into a fixed buffer each time the contents are asked for, so an edited
 * file shows at the next Help. */
#include "helpview.h"

#include <stdio.h>

#include "format.h"
#include "paths.h"

#define HELP_CLASS          "KalvexHelp"
#define HELP_TITLE          "Kalvex32 Help"
#define HELP_TEXT_SIZE      65536   /* the text shown, CR LF line ends, terminator */
#define HELP_TOPICS_MAX     64
#define HELP_TOPIC_LEN      80
#define HELP_PAGE_LEN       2048    /* the not-found page: its words, three paths and the name */

static HWND hHelpWnd;                       /* owned here: the open help window, or NULL */
static char szHelpText[HELP_TEXT_SIZE];     /* owned here: the text the window shows */
static int aiTopicPos[HELP_TOPICS_MAX];     /* owned here: where each topic's heading starts */
static int iTopicCount;                     /* owned here: entries used in aiTopicPos */
static WCHAR wszNotFound[HELP_PAGE_LEN];    /* owned here: the not-found page, wide for its folders */

/* The running program's path into wszPath; returns the length of its
 * folder (the place of the last backslash), or 0 when it is not known. */
static int iProgramFolder(WCHAR wszPath[MAX_PATH])
{
    DWORD n = GetModuleFileNameW(NULL, wszPath, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 0;
    while (n > 0 && wszPath[n - 1] != L'\\' && wszPath[n - 1] != L'/')
        --n;
    return n > 0 ? (int)n - 1 : 0;
}

/* Beside the program first, since a shortcut may start it in any folder;
 * then the current folder.  A name with a path is taken as it is.  The
 * folders are asked for and searched by their wide names, so that a folder
 * named in any script is found. */
static BOOL bFindHelpFile(LPCSTR lpszHelp, WCHAR wszPath[MAX_PATH])
{
    WCHAR wszName[MAX_PATH], wszDir[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, lpszHelp, -1, wszName, MAX_PATH))
        return FALSE;
    for (LPCSTR p = lpszHelp; *p; p++)
        if (*p == '\\' || *p == '/' || *p == ':') {
            lstrcpynW(wszPath, wszName, MAX_PATH);
            return bIsFile(wszPath);
        }
    int n = iProgramFolder(wszDir);
    if (n > 0 && bJoinPath(wszPath, wszDir, n, wszName) && bIsFile(wszPath))
        return TRUE;
    DWORD cch = GetCurrentDirectoryW(MAX_PATH, wszDir);
    return cch < MAX_PATH && bJoinPath(wszPath, wszDir, (int)cch, wszName) && bIsFile(wszPath);
}

/* Reads the file into szHelpText with CR LF line ends, the only line break
 * an edit control shows.  A file too long for the buffer is cut. */
static BOOL bLoadHelpText(LPCWSTR lpwsPath)
{
    HANDLE hFile = CreateFileW(lpwsPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    char chunk[4096];
    DWORD cbRead;
    int iOut = 0;
    BOOL bFull = FALSE;
    while (!bFull && ReadFile(hFile, chunk, sizeof(chunk), &cbRead, NULL) && cbRead > 0) {
        for (DWORD i = 0; i < cbRead; i++) {
            char c = chunk[i];
            if (c == '\r')
                continue;
            int cbNeed = c == '\n' ? 2 : 1;
            if (iOut + cbNeed >= HELP_TEXT_SIZE) {
                bFull = TRUE;
                break;
            }
            if (c == '\n') {
                szHelpText[iOut++] = '\r';
                szHelpText[iOut++] = '\n';
            } else {
                szHelpText[iOut++] = c ? c : ' ';   /* a NUL would end the text early */
            }
        }
    }
    szHelpText[iOut] = '\0';
    CloseHandle(hFile);
    return TRUE;
}

/* The first cch characters of a folder's wide name, as they are: the page
 * that names it is shown wide, so a folder in any script reads right. */
static void vFolderText(LPCWSTR lpwsFolder, int cch, WCHAR wszText[MAX_PATH])
{
    if (cch <= 0)
        lstrcpynW(wszText, L"(unknown)", MAX_PATH);
    else
        lstrcpynW(wszText, lpwsFolder, cch < MAX_PATH ? cch + 1 : MAX_PATH);
}

/* The page goes to the window wide; its narrow copy in szHelpText is what
 * the topics are found in. */
static void vNotFoundText(LPCSTR lpszHelp)
{
    WCHAR wszDir[MAX_PATH], wszCur[MAX_PATH], wszPath[MAX_PATH], wszName[MAX_PATH];
    int n = iProgramFolder(wszPath);
    vFolderText(wszPath, n > 0 ? n + 1 : 0, wszDir);   /* with its backslash */
    DWORD cch = GetCurrentDirectoryW(MAX_PATH, wszPath);
    vFolderText(wszPath, cch < MAX_PATH ? (int)cch : 0, wszCur);
    if (!MultiByteToWideChar(CP_ACP, 0, lpszHelp ? lpszHelp : "(none)", -1, wszName, MAX_PATH))
        lstrcpynW(wszName, L"(none)", MAX_PATH);
    /* The C library's own _snwprintf leaves a page that fills the room
     * unterminated: the last place is kept for the terminator. */
    wszNotFound[HELP_PAGE_LEN - 1] = L'\0';
    _snwprintf(wszNotFound, HELP_PAGE_LEN - 1,
               L"Help file not found\r\n===================\r\n\r\n"
                L"The help file %ls was looked for in the program's folder, %ls, "
                L"and in the current folder, %ls, and is in neither.\r\n\r\n"
                L"Put KALVEX.HLP beside Kalvex32.exe and press Help again.",
               wszName, wszDir, wszCur);
    iNarrow(wszNotFound, lstrlenW(wszNotFound), szHelpText, HELP_TEXT_SIZE);
}

/* A topic starts at a line that is underlined by a line of "=" only. */
static BOOL bIsUnderline(const char *p, int iLen)
{
    if (iLen < 3)
        return FALSE;
    for (int i = 0; i < iLen; i++)
        if (p[i] != '=')
            return FALSE;
    return TRUE;
}

static void vFindTopics(void)
{
    int iPrev = -1, iPrevLen = 0;
    iTopicCount = 0;
    for (int i = 0; szHelpText[i];) {
        int iEnd = i;
        while (szHelpText[iEnd] && szHelpText[iEnd] != '\r' && szHelpText[iEnd] != '\n')
            iEnd++;
        if (bIsUnderline(szHelpText + i, iEnd - i) && iPrev >= 0 && iPrevLen > 0
            && !bIsUnderline(szHelpText + iPrev, iPrevLen) && iTopicCount < HELP_TOPICS_MAX)
            aiTopicPos[iTopicCount++] = iPrev;
        iPrev = i;
        iPrevLen = iEnd - i;
        i = iEnd;
        if (szHelpText[i] == '\r')
            i++;
        if (szHelpText[i] == '\n')
            i++;
    }
}

static void vFillTopicList(HWND hList)
{
    char szTopic[HELP_TOPIC_LEN];
    SendMessageA(hList, LB_RESETCONTENT, 0, 0);
    for (int t = 0; t < iTopicCount; t++) {
        int iLen = 0;
        const char *p = szHelpText + aiTopicPos[t];
        while (p[iLen] && p[iLen] != '\r' && p[iLen] != '\n')
            iLen++;
        lstrcpynA(szTopic, p, iLen + 1 < (int)sizeof(szTopic) ? iLen + 1 : (int)sizeof(szTopic));
        SendMessageA(hList, LB_ADDSTRING, 0, (LPARAM)szTopic);
    }
}

/* Scrolls the text so that the topic's heading is the first line shown;
 * topic -1 is the top of the text. */
static void vShowTopic(int iTopic)
{
    HWND hText = GetDlgItem(hHelpWnd, IDC_HELP_TEXT);
    int iPos = (iTopic >= 0 && iTopic < iTopicCount) ? aiTopicPos[iTopic] : 0;
    /* The text window counts characters, the topics bytes of the file. */
    iPos = iPos > 0 ? MultiByteToWideChar(CP_ACP, 0, szHelpText, iPos, NULL, 0) : 0;
    int iLine = (int)SendMessageA(hText, EM_LINEFROMCHAR, iPos, 0);
    SendMessageA(hText, EM_SETSEL, iPos, iPos);     /* may scroll the caret into view */
    int iFirst = (int)SendMessageA(hText, EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(hText, EM_LINESCROLL, 0, iLine - iFirst);
}

static int iScaled(int iPixels)
{
    HDC hdc = GetDC(NULL);
    int iDpi = hdc ? GetDeviceCaps(hdc, LOGPIXELSX) : 96;
    if (hdc)
        ReleaseDC(NULL, hdc);
    return MulDiv(iPixels, iDpi > 0 ? iDpi : 96, 96);
}

static void vLayout(HWND hWnd, int cx, int cy)
{
    int cxList = cx / 3;
    if (cxList > iScaled(200))
        cxList = iScaled(200);
    int iGap = iScaled(3);
    MoveWindow(GetDlgItem(hWnd, IDC_HELP_TOPICS), 0, 0, cxList, cy, TRUE);
    MoveWindow(GetDlgItem(hWnd, IDC_HELP_TEXT), cxList + iGap, 0,
               cx - cxList - iGap > 0 ? cx - cxList - iGap : 0, cy, TRUE);
}

static LRESULT CALLBACK HelpWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: {
        HINSTANCE hInst = ((const CREATESTRUCTA *)lParam)->hInstance;
        HWND hList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP
                                     | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                     0, 0, 0, 0, hWnd, (HMENU)(INT_PTR)IDC_HELP_TOPICS, hInst, NULL);
        /* Wide, so that it keeps every letter of a wide text it is given. */
        HWND hText = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP
                                     | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                     0, 0, 0, 0, hWnd, (HMENU)(INT_PTR)IDC_HELP_TEXT, hInst, NULL);
        if (!hList || !hText)
            return -1;
        HGDIOBJ hFont = GetStockObject(DEFAULT_GUI_FONT);
        SendMessageA(hList, WM_SETFONT, (WPARAM)hFont, FALSE);
        SendMessageA(hText, WM_SETFONT, (WPARAM)hFont, FALSE);
        SendMessageA(hText, EM_SETLIMITTEXT, HELP_TEXT_SIZE, 0);
        /* Tables in the file line up at tabs a little wider than their
         * first column. */
        DWORD dwTab = 64;
        SendMessageA(hText, EM_SETTABSTOPS, 1, (LPARAM)&dwTab);
        return 0;
    }
    case WM_SIZE:
        vLayout(hWnd, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        SetFocus(GetDlgItem(hWnd, IDC_HELP_TEXT));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_HELP_TOPICS && HIWORD(wParam) == LBN_SELCHANGE) {
            vShowTopic((int)SendMessageA((HWND)lParam, LB_GETCURSEL, 0, 0));
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        /* The text is read-only, but it is a page to read, not a label. */
        if ((HWND)lParam == GetDlgItem(hWnd, IDC_HELP_TEXT)) {
            SetBkColor((HDC)wParam, GetSysColor(COLOR_WINDOW));
            SetTextColor((HDC)wParam, GetSysColor(COLOR_WINDOWTEXT));
            return (LRESULT)GetSysColorBrush(COLOR_WINDOW);
        }
        break;
    case WM_DESTROY:
        if (hHelpWnd == hWnd)
            hHelpWnd = NULL;
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

static HWND hCreateHelpWindow(void)
{
    HINSTANCE hInst = GetModuleHandleA(NULL);
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExA(hInst, HELP_CLASS, &wc)) {
        ZeroMemory(&wc, sizeof(wc));
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = HelpWndProc;
        wc.hInstance = hInst;
        wc.hIcon = LoadIconA(hInst, KX_ICON);
        wc.hIconSm = hLoadKalvexIcon(hInst, TRUE);
        wc.hCursor = LoadCursor(NULL, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = HELP_CLASS;
        if (!RegisterClassExA(&wc))
            return NULL;
    }
    /* No owner: the help stays open, and in the task bar, beside a
     * minimized main window, as the system's help window does. */
    return CreateWindowExA(0, HELP_CLASS, HELP_TITLE, WS_OVERLAPPEDWINDOW,
                           CW_USEDEFAULT, CW_USEDEFAULT, iScaled(640), iScaled(480),
                           NULL, NULL, hInst, NULL);
}

BOOL WINAPI HelpViewA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData)
{
    (void)hWndMain;
    (void)dwData;
    if (uCommand == HELP_QUIT) {
        if (hHelpWnd)
            DestroyWindow(hHelpWnd);
        return TRUE;
    }

    /* Every other command opens the file at its contents. */
    WCHAR wszPath[MAX_PATH];
    BOOL bFound = lpszHelp && bFindHelpFile(lpszHelp, wszPath) && bLoadHelpText(wszPath);
    if (!bFound)
        vNotFoundText(lpszHelp);
    vFindTopics();

    if (!hHelpWnd)
        hHelpWnd = hCreateHelpWindow();
    if (!hHelpWnd)
        return FALSE;
    if (bFound)
        SetDlgItemTextA(hHelpWnd, IDC_HELP_TEXT, szHelpText);
    else
        SetDlgItemTextW(hHelpWnd, IDC_HELP_TEXT, wszNotFound);
    HWND hList = GetDlgItem(hHelpWnd, IDC_HELP_TOPICS);
    vFillTopicList(hList);
    SendMessageA(hList, LB_SETCURSEL, 0, 0);
    vShowTopic(-1);
    ShowWindow(hHelpWnd, IsIconic(hHelpWnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hHelpWnd);
    return bFound;
}

HWND hHelpViewWindow(void)
{
    return hHelpWnd;
}
