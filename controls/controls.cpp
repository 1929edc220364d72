/* The look of the main dialog: a gray dialog class, push buttons that show
 * pictures from the program's bitmap resources, check boxes and shaded
 * group frames.  All state lives in each window's extra bytes; the only GDI
 * objects created are a button's three face bitmaps, freed with it.  Only
 * the normal face is loaded with the button: the pressed and focused ones
 * are loaded the first time they are drawn, which most buttons of a run
 * never are, and their loading would lengthen every start. */
#include "controls.h"

/* Each window keeps its state in LONG_PTR slots of its extra bytes. */
#define SLOT(i)         ((i) * (int)sizeof(LONG_PTR))

enum { BTN_NORMAL, BTN_PRESSED, BTN_FOCUSED, BTN_FONT, BTN_STATE, BTN_SLOTS };
enum { CHK_FONT, CHK_STATE, CHK_SLOTS };
enum { SHD_FONT, SHD_SLOTS };

/* State bits of the buttons and check boxes */
#define ST_PUSHED       0x01    /* drawn pressed */
#define ST_TRACKING     0x02    /* the mouse was pressed on us and is captured */
#define ST_SPACE        0x04    /* the Space bar is held down on us */
#define ST_CHECKED      0x08    /* check boxes only */

/* A face slot whose face has not been asked for yet */
#define FACE_NOT_LOADED     ((LONG_PTR)-1)

/* Width of the rim and bevel that every face image draws itself */
#define FACE_EDGE       3

/* PSDPxax: the pattern where the monochrome source is 0, the destination
 * where it is 1. */
#define ROP_PATTERN_WHERE_INK 0x00B8074AL

typedef void (*CLICKPROC)(HWND hWnd);

static LONG_PTR lSlot(HWND hWnd, int iSlot)
{
    return GetWindowLongPtrA(hWnd, SLOT(iSlot));
}

static void vSetSlot(HWND hWnd, int iSlot, LONG_PTR lValue)
{
    SetWindowLongPtrA(hWnd, SLOT(iSlot), lValue);
}

static HBRUSH hbrFace(void)
{
    return (HBRUSH)GetStockObject(LTGRAY_BRUSH);    /* 192, 192, 192 */
}

/* Changes the state bits and repaints only when they changed. */
static void vSetState(HWND hWnd, int iSlot, LONG_PTR lState)
{
    if (lSlot(hWnd, iSlot) != lState) {
        vSetSlot(hWnd, iSlot, lState);
        InvalidateRect(hWnd, NULL, FALSE);
    }
}

static void vNotifyClicked(HWND hWnd)
{
    SendMessageA(GetParent(hWnd), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(hWnd), BN_CLICKED), (LPARAM)hWnd);
}

typedef void (*PAINTPROC)(HWND hWnd, HDC hdc);

/* What all our controls answer alike: the font, the text, and painting, to
 * the screen or into a given DC; and, for the two that can be pushed (iState
 * not -1), the pushed state. */
static LRESULT lCommonMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              int iState, int iFont, PAINTPROC pfnPaint)
{
    switch (msg) {
    case BM_SETSTATE: {
        if (iState < 0)
            break;
        LONG_PTR lState = lSlot(hWnd, iState);
        vSetState(hWnd, iState, wParam ? (lState | ST_PUSHED) : (lState & ~ST_PUSHED));
        return 0;
    }
    case WM_SETFONT:
        vSetSlot(hWnd, iFont, (LONG_PTR)wParam);
        if (LOWORD(lParam))
            InvalidateRect(hWnd, NULL, FALSE);
        return 0;
    case WM_GETFONT:
        return lSlot(hWnd, iFont);
    case WM_SETTEXT: {
        LRESULT lResult = DefWindowProcA(hWnd, msg, wParam, lParam);
        InvalidateRect(hWnd, NULL, FALSE);
        return lResult;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hWnd, &ps);
        pfnPaint(hWnd, hdc);
        EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        pfnPaint(hWnd, (HDC)wParam);
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

/* Mouse and Space bar handling shared by the bitmap button and the check
 * box, as a push button does it: pressed while held down over the control,
 * clicked when released over it.  Returns TRUE for the messages it took. */
static BOOL bPressInput(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                        int iSlot, CLICKPROC pfnClick)
{
    LONG_PTR lState = lSlot(hWnd, iSlot);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hWnd);
        SetCapture(hWnd);
        vSetState(hWnd, iSlot, lState | ST_TRACKING | ST_PUSHED);
        return TRUE;
    case WM_MOUSEMOVE:
        if (lState & ST_TRACKING) {
            RECT rc;
            POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
            GetClientRect(hWnd, &rc);
            vSetState(hWnd, iSlot, PtInRect(&rc, pt) ? (lState | ST_PUSHED) : (lState & ~ST_PUSHED));
        }
        return TRUE;
    case WM_LBUTTONUP:
        if (lState & ST_TRACKING) {
            /* State first: the click may end the dialog. */
            vSetState(hWnd, iSlot, lState & ~(ST_TRACKING | ST_PUSHED));
            ReleaseCapture();
            if (lState & ST_PUSHED)
                pfnClick(hWnd);
        }
        return TRUE;
    case WM_CAPTURECHANGED:
        if (lState & ST_TRACKING)
            vSetState(hWnd, iSlot, lState & ~(ST_TRACKING | ST_PUSHED));
        return TRUE;
    case WM_KEYDOWN:
        if (wParam != VK_SPACE)
            return FALSE;
        if (!(lState & ST_TRACKING))
            vSetState(hWnd, iSlot, lState | ST_SPACE | ST_PUSHED);
        return TRUE;
    case WM_KEYUP:
        if (wParam != VK_SPACE)
            return FALSE;
        if (lState & ST_SPACE) {
            vSetState(hWnd, iSlot, lState & ~(ST_SPACE | ST_PUSHED));
            pfnClick(hWnd);
        }
        return TRUE;
    case WM_KILLFOCUS:
        /* Space released elsewhere must not click later. */
        vSetState(hWnd, iSlot, lState & ~(ST_SPACE | ((lState & ST_TRACKING) ? 0 : ST_PUSHED)));
        InvalidateRect(hWnd, NULL, FALSE);
        return TRUE;
    case WM_SETFOCUS:
    case WM_ENABLE:
        InvalidateRect(hWnd, NULL, FALSE);
        return TRUE;
    }
    return FALSE;
}

/* ---- BorBtn: bitmap push button ---- */

static void vButtonClicked(HWND hWnd)
{
    vNotifyClicked(hWnd);
}

/* The three faces come from the module that created the dialog, numbered
 * from the control's ID; a face missing there is looked for in the
 * program itself. */
static HBITMAP hLoadFace(HINSTANCE hInst, int iId)
{
    HBITMAP hbm = NULL;
    if (iId <= 0 || iId > 0xFFFF)
        return NULL;
    if (hInst)
        hbm = LoadBitmapA(hInst, MAKEINTRESOURCEA(iId));
    if (!hbm)
        hbm = LoadBitmapA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(iId));
    return hbm;
}

/* The face of a slot, loaded the first time it is wanted; NULL when the
 * program has none. */
static HBITMAP hFaceOf(HWND hWnd, int iFace)
{
    static const int aiOffset[] = {KX_FACE_NORMAL, KX_FACE_PRESSED, KX_FACE_FOCUSED};
    LONG_PTR lFace = lSlot(hWnd, iFace);
    if (lFace == FACE_NOT_LOADED) {
        lFace = (LONG_PTR)hLoadFace((HINSTANCE)GetWindowLongPtrA(hWnd, GWLP_HINSTANCE),
                                    GetDlgCtrlID(hWnd) + aiOffset[iFace]);
        vSetSlot(hWnd, iFace, lFace);
    }
    return (HBITMAP)lFace;
}

/* Draws the normal face with its picture and label etched in gray, the way
 * the system shows a disabled picture; the rim and bevel stay as they are. */
static void vEtchFace(HDC hdc, const RECT *prcDst, HDC hdcFace, const BITMAP *pbm)
{
    /* the rim as wide as the face was drawn, stretched or not */
    int iEdge = FACE_EDGE * (prcDst->right - prcDst->left) / pbm->bmWidth;
    int x = prcDst->left + iEdge, y = prcDst->top + iEdge;
    int cx = (prcDst->right - prcDst->left) - 2 * iEdge;
    int cy = (prcDst->bottom - prcDst->top) - 2 * iEdge;
    int cxSrc = pbm->bmWidth - 2 * FACE_EDGE, cySrc = pbm->bmHeight - 2 * FACE_EDGE;
    if (cx <= 1 || cy <= 1 || cxSrc <= 0 || cySrc <= 0)
        return;

    /* Ink is whatever is not the face's gray. */
    HDC hdcMono = CreateCompatibleDC(hdc);
    HBITMAP hbmMono = CreateBitmap(cx, cy, 1, 1, NULL);
    if (!hdcMono || !hbmMono) {
        if (hbmMono)
            DeleteObject(hbmMono);
        if (hdcMono)
            DeleteDC(hdcMono);
        return;
    }
    HGDIOBJ hOldMono = SelectObject(hdcMono, hbmMono);
    COLORREF crOldBk = SetBkColor(hdcFace, KX_FACE_RGB);
    SetStretchBltMode(hdcMono, COLORONCOLOR);
    StretchBlt(hdcMono, 0, 0, cx, cy, hdcFace, FACE_EDGE, FACE_EDGE, cxSrc, cySrc, SRCCOPY);
    SetBkColor(hdcFace, crOldBk);

    RECT rcInner = {x, y, x + cx, y + cy};
    FillRect(hdc, &rcInner, hbrFace());
    COLORREF crOldText = SetTextColor(hdc, RGB(0, 0, 0));
    crOldBk = SetBkColor(hdc, RGB(255, 255, 255));
    HGDIOBJ hOldBrush = SelectObject(hdc, GetStockObject(WHITE_BRUSH));
    BitBlt(hdc, x + 1, y + 1, cx - 1, cy - 1, hdcMono, 0, 0, ROP_PATTERN_WHERE_INK);
    SelectObject(hdc, GetStockObject(GRAY_BRUSH));
    BitBlt(hdc, x, y, cx, cy, hdcMono, 0, 0, ROP_PATTERN_WHERE_INK);
    SelectObject(hdc, hOldBrush);
    SetBkColor(hdc, crOldBk);
    SetTextColor(hdc, crOldText);

    SelectObject(hdcMono, hOldMono);
    DeleteObject(hbmMono);
    DeleteDC(hdcMono);
}

/* A button without its images still works: a plain push button face with
 * the window text. */
static void vPaintPlainButton(HWND hWnd, HDC hdc, const RECT *prc, LONG_PTR lState, BOOL bEnabled)
{
    char szText[64];
    RECT rc = *prc;
    DrawFrameControl(hdc, &rc, DFC_BUTTON,
                     DFCS_BUTTONPUSH | ((lState & ST_PUSHED) ? DFCS_PUSHED : 0));
    GetWindowTextA(hWnd, szText, sizeof(szText));
    HGDIOBJ hOldFont = SelectObject(hdc, (HFONT)lSlot(hWnd, BTN_FONT)
                                         ? (HGDIOBJ)lSlot(hWnd, BTN_FONT)
                                         : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, GetSysColor(bEnabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(hdc, szText, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(hdc, hOldFont);
    if (GetFocus() == hWnd) {
        InflateRect(&rc, -4, -4);
        DrawFocusRect(hdc, &rc);
    }
}

static void vPaintBitmapButton(HWND hWnd, HDC hdc)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillRect(hdc, &rc, hbrFace());
    LONG_PTR lState = lSlot(hWnd, BTN_STATE);
    BOOL bEnabled = IsWindowEnabled(hWnd);
    int iFace = BTN_NORMAL;
    if (bEnabled && (lState & ST_PUSHED))
        iFace = BTN_PRESSED;
    else if (bEnabled && GetFocus() == hWnd)
        iFace = BTN_FOCUSED;
    HBITMAP hbm = hFaceOf(hWnd, iFace);
    if (!hbm)
        hbm = (HBITMAP)lSlot(hWnd, BTN_NORMAL);
    BITMAP bm;
    if (!hbm || !GetObjectA(hbm, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        vPaintPlainButton(hWnd, hdc, &rc, lState, bEnabled);
        return;
    }

    /* Pixel pictures look best at whole multiples of their size, so the
     * face is centred at the largest one that fits.  A button that a larger
     * DPI made much bigger than that would show a small face in a wide gray
     * frame: there the face is stretched, smoothed, to fill the button. */
    int cxWnd = rc.right - rc.left, cyWnd = rc.bottom - rc.top;
    int cx = bm.bmWidth, cy = bm.bmHeight, iMode = COLORONCOLOR;
    if (cxWnd >= bm.bmWidth && cyWnd >= bm.bmHeight) {
        int iScale = cxWnd / bm.bmWidth < cyWnd / bm.bmHeight ? cxWnd / bm.bmWidth : cyWnd / bm.bmHeight;
        cx = bm.bmWidth * iScale;
        cy = bm.bmHeight * iScale;
    } else {
        cx = cxWnd;     /* too small even for the face's own size: shrunk */
        cy = cyWnd;
    }
    if (cx * 8 < cxWnd * 7 && cy * 8 < cyWnd * 7) {
        /* the whole button's height or width, the face's shape kept */
        if (cxWnd * bm.bmHeight < cyWnd * bm.bmWidth) {
            cx = cxWnd;
            cy = MulDiv(cxWnd, bm.bmHeight, bm.bmWidth);
        } else {
            cy = cyWnd;
            cx = MulDiv(cyWnd, bm.bmWidth, bm.bmHeight);
        }
        iMode = HALFTONE;
    }
    RECT rcDst = {(cxWnd - cx) / 2, (cyWnd - cy) / 2, 0, 0};
    rcDst.right = rcDst.left + cx;
    rcDst.bottom = rcDst.top + cy;

    HDC hdcFace = CreateCompatibleDC(hdc);
    if (!hdcFace)
        return;
    HGDIOBJ hOld = SelectObject(hdcFace, hbm);
    int iOldMode = SetStretchBltMode(hdc, iMode);
    POINT ptOldOrg;
    SetBrushOrgEx(hdc, 0, 0, &ptOldOrg);    /* as halftone stretching asks */
    StretchBlt(hdc, rcDst.left, rcDst.top, cx, cy, hdcFace, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    SetBrushOrgEx(hdc, ptOldOrg.x, ptOldOrg.y, NULL);
    SetStretchBltMode(hdc, iOldMode);
    if (!bEnabled)
        vEtchFace(hdc, &rcDst, hdcFace, &bm);
    SelectObject(hdcFace, hOld);
    DeleteDC(hdcFace);
}

static LRESULT CALLBACK BitmapButtonProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (bPressInput(hWnd, msg, wParam, lParam, BTN_STATE, vButtonClicked))
        return 0;
    switch (msg) {
    case WM_CREATE: {
        const CREATESTRUCTA *pcs = (const CREATESTRUCTA *)lParam;
        int iId = (int)(INT_PTR)pcs->hMenu;
        vSetSlot(hWnd, BTN_NORMAL, (LONG_PTR)hLoadFace(pcs->hInstance, iId + KX_FACE_NORMAL));
        vSetSlot(hWnd, BTN_PRESSED, FACE_NOT_LOADED);
        vSetSlot(hWnd, BTN_FOCUSED, FACE_NOT_LOADED);
        return 0;
    }
    case WM_NCDESTROY:
        for (int i = BTN_NORMAL; i <= BTN_FOCUSED; i++) {
            if (lSlot(hWnd, i) && lSlot(hWnd, i) != FACE_NOT_LOADED)
                DeleteObject((HBITMAP)lSlot(hWnd, i));
            vSetSlot(hWnd, i, 0);
        }
        break;
    case WM_GETDLGCODE: {
        /* Enter is ours while we have the focus, as for a focused push
         * button; we never claim to be the default button, so Enter
         * elsewhere in the dialog does not reach us. */
        const MSG *pMsg = (const MSG *)lParam;
        LRESULT lCode = DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (pMsg && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
            lCode |= DLGC_WANTMESSAGE;
        return lCode;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (!(lParam & 0x40000000))     /* not for the key's auto-repeat */
                vButtonClicked(hWnd);
            return 0;
        }
        break;
    case BM_CLICK:
        if (IsWindowEnabled(hWnd))
            vButtonClicked(hWnd);
        return 0;
    case BM_GETSTATE:
        return ((lSlot(hWnd, BTN_STATE) & ST_PUSHED) ? BST_PUSHED : 0)
             | (GetFocus() == hWnd ? BST_FOCUS : 0);
    case BM_SETSTYLE:
        /* The dialog manager offers to make a focused button the default
         * one; these buttons take Enter themselves instead. */
        return 0;
    }
    return lCommonMessage(hWnd, msg, wParam, lParam, BTN_STATE, BTN_FONT, vPaintBitmapButton);
}

/* ---- BorCheck: automatic check box ---- */

static void vCheckClicked(HWND hWnd)
{
    vSetState(hWnd, CHK_STATE, lSlot(hWnd, CHK_STATE) ^ ST_CHECKED);
    vNotifyClicked(hWnd);
}

static void vPaintCheck(HWND hWnd, HDC hdc)
{
    char szText[128];
    RECT rc;
    GetClientRect(hWnd, &rc);
    FillRect(hdc, &rc, hbrFace());
    LONG_PTR lState = lSlot(hWnd, CHK_STATE);
    BOOL bEnabled = IsWindowEnabled(hWnd);

    HFONT hFont = (HFONT)lSlot(hWnd, CHK_FONT);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont ? (HGDIOBJ)hFont : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(hdc, &tm);

    /* The box is as tall as the text, the classic 13 pixels at 96 dpi. */
    int cBox = tm.tmHeight - 1 < 13 ? 13 : tm.tmHeight - 1;
    if (cBox > rc.bottom - rc.top)
        cBox = rc.bottom - rc.top;
    RECT rcBox = {rc.left, rc.top + (rc.bottom - rc.top - cBox) / 2, 0, 0};
    rcBox.right = rcBox.left + cBox;
    rcBox.bottom = rcBox.top + cBox;
    DrawFrameControl(hdc, &rcBox, DFC_BUTTON,
                     DFCS_BUTTONCHECK
                     | ((lState & ST_CHECKED) ? DFCS_CHECKED : 0)
                     | ((lState & ST_PUSHED) ? DFCS_PUSHED : 0)
                     | (bEnabled ? 0 : DFCS_INACTIVE));

    int iLen = GetWindowTextA(hWnd, szText, sizeof(szText));
    RECT rcText = {rcBox.right + 4, rc.top, rc.right, rc.bottom};
    RECT rcInk = rcText;
    DrawTextA(hdc, szText, iLen, &rcInk, DT_SINGLELINE | DT_CALCRECT);
    int cyInk = rcInk.bottom - rcInk.top;
    rcInk.top = rc.top + (rc.bottom - rc.top - cyInk) / 2;
    rcInk.bottom = rcInk.top + cyInk;
    if (rcInk.right > rc.right)
        rcInk.right = rc.right;
    SetBkMode(hdc, TRANSPARENT);
    if (bEnabled) {
        SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
        DrawTextA(hdc, szText, iLen, &rcInk, DT_SINGLELINE | DT_NOCLIP);
    } else {
        /* Etched like any disabled label: white below right, gray on top. */
        OffsetRect(&rcInk, 1, 1);
        SetTextColor(hdc, RGB(255, 255, 255));
        DrawTextA(hdc, szText, iLen, &rcInk, DT_SINGLELINE | DT_NOCLIP);
        OffsetRect(&rcInk, -1, -1);
        SetTextColor(hdc, RGB(128, 128, 128));
        DrawTextA(hdc, szText, iLen, &rcInk, DT_SINGLELINE | DT_NOCLIP);
    }
    if (GetFocus() == hWnd && iLen > 0) {
        InflateRect(&rcInk, 1, 0);
        IntersectRect(&rcInk, &rcInk, &rc);
        SetTextColor(hdc, RGB(0, 0, 0));
        SetBkColor(hdc, RGB(255, 255, 255));
        DrawFocusRect(hdc, &rcInk);
    }
    SelectObject(hdc, hOldFont);
}

static LRESULT CALLBACK CheckProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (bPressInput(hWnd, msg, wParam, lParam, CHK_STATE, vCheckClicked))
        return 0;
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_BUTTON;
    case BM_GETCHECK:
        return (lSlot(hWnd, CHK_STATE) & ST_CHECKED) ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK: {
        LONG_PTR lState = lSlot(hWnd, CHK_STATE);
        vSetState(hWnd, CHK_STATE, wParam == BST_CHECKED ? (lState | ST_CHECKED) : (lState & ~ST_CHECKED));
        return 0;
    }
    case BM_CLICK:
        if (IsWindowEnabled(hWnd))
            vCheckClicked(hWnd);
        return 0;
    case BM_GETSTATE: {
        LONG_PTR lState = lSlot(hWnd, CHK_STATE);
        return ((lState & ST_CHECKED) ? BST_CHECKED : 0) | ((lState & ST_PUSHED) ? BST_PUSHED : 0)
             | (GetFocus() == hWnd ? BST_FOCUS : 0);
    }
    }
    return lCommonMessage(hWnd, msg, wParam, lParam, CHK_STATE, CHK_FONT, vPaintCheck);
}

/* ---- BorShade: recessed and raised group frames ---- */

/* One-pixel lines: the first colour at top and left, the second at bottom
 * and right. */
static void vFrameRect(HDC hdc, const RECT *prc, COLORREF crTopLeft, COLORREF crBottomRight)
{
    RECT r;
    HBRUSH hbrTL = CreateSolidBrush(crTopLeft), hbrBR = CreateSolidBrush(crBottomRight);
    SetRect(&r, prc->left, prc->top, prc->right - 1, prc->top + 1);
    FillRect(hdc, &r, hbrTL);
    SetRect(&r, prc->left, prc->top, prc->left + 1, prc->bottom - 1);
    FillRect(hdc, &r, hbrTL);
    SetRect(&r, prc->left, prc->bottom - 1, prc->right, prc->bottom);
    FillRect(hdc, &r, hbrBR);
    SetRect(&r, prc->right - 1, prc->top, prc->right, prc->bottom);
    FillRect(hdc, &r, hbrBR);
    DeleteObject(hbrTL);
    DeleteObject(hbrBR);
}

/* Only the edges and the caption are drawn: the frame lies over the
 * controls it groups and must never paint over them. */
static void vPaintShade(HWND hWnd, HDC hdc)
{
    const COLORREF crDark = RGB(128, 128, 128), crLight = RGB(255, 255, 255);
    RECT rc;
    GetClientRect(hWnd, &rc);
    LONG lStyle = GetWindowLongA(hWnd, GWL_STYLE);
    BOOL bRaised = (lStyle & 0xFF) == BSS_RGROUP;
    COLORREF crTL = bRaised ? crLight : crDark, crBR = bRaised ? crDark : crLight;
    vFrameRect(hdc, &rc, crTL, crBR);

    char szText[128];
    int iLen = GetWindowTextA(hWnd, szText, sizeof(szText));
    if (!(lStyle & BSS_CAPTION) || iLen <= 0)
        return;
    HFONT hFont = (HFONT)lSlot(hWnd, SHD_FONT);
    HGDIOBJ hOldFont = SelectObject(hdc, hFont ? (HGDIOBJ)hFont : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICA tm;
    GetTextMetricsA(hdc, &tm);
    RECT rcText = {rc.left + 4, rc.top + 1, rc.right - 2, rc.top + 1 + tm.tmHeight};
    SetBkMode(hdc, OPAQUE);
    SetBkColor(hdc, KX_FACE_RGB);
    SetTextColor(hdc, IsWindowEnabled(hWnd) ? RGB(0, 0, 0) : crDark);
    DrawTextA(hdc, szText, iLen, &rcText, DT_SINGLELINE | DT_LEFT | DT_END_ELLIPSIS);
    SelectObject(hdc, hOldFont);

    /* The caption sits in a strip of its own, ruled off by a groove (or a
     * ridge in a raised frame) that stays inside the edges. */
    RECT rcRule = {rc.left + 1, rcText.bottom, rc.right - 1, rcText.bottom + 2};
    if (rcRule.bottom < rc.bottom - 1) {
        HBRUSH hbrTop = CreateSolidBrush(crTL), hbrBottom = CreateSolidBrush(crBR);
        RECT r = {rcRule.left, rcRule.top, rcRule.right, rcRule.top + 1};
        FillRect(hdc, &r, hbrTop);
        OffsetRect(&r, 0, 1);
        FillRect(hdc, &r, hbrBottom);
        DeleteObject(hbrTop);
        DeleteObject(hbrBottom);
    }
}

static LRESULT CALLBACK ShadeProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;       /* clicks belong to what the frame groups */
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_ENABLE:
        InvalidateRect(hWnd, NULL, FALSE);
        return 0;
    }
    return lCommonMessage(hWnd, msg, wParam, lParam, -1, SHD_FONT, vPaintShade);
}

/* ---- BorDlg_Gray: the dialog class ---- */

/* The gray face belongs to the class: static texts, radio buttons and the
 * dialog itself are drawn on it, whatever the system's colours are. */
static LRESULT CALLBACK GrayDialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        SetBkColor((HDC)wParam, KX_FACE_RGB);
        SetTextColor((HDC)wParam, RGB(0, 0, 0));
        return (LRESULT)hbrFace();
    }
    return DefDlgProcA(hWnd, msg, wParam, lParam);
}

static void vRegister(HINSTANCE hInst, LPCSTR lpszClass, UINT uStyle, WNDPROC pfnProc,
                      int cbExtra, HBRUSH hbrBack)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.cbSize = sizeof(wc);
    wc.style = CS_GLOBALCLASS | uStyle;
    wc.lpfnWndProc = pfnProc;
    wc.cbWndExtra = cbExtra;
    wc.hInstance = hInst;
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = hbrBack;
    wc.lpszClassName = lpszClass;
    RegisterClassExA(&wc);
}

void vRegisterControls(HINSTANCE hInst)
{
    /* The dialog class is styled like the system's own dialog class. */
    vRegister(hInst, KX_CLASS_DIALOG, CS_DBLCLKS | CS_SAVEBITS, GrayDialogProc,
              DLGWINDOWEXTRA, hbrFace());
    vRegister(hInst, KX_CLASS_BUTTON, CS_HREDRAW | CS_VREDRAW, BitmapButtonProc,
              SLOT(BTN_SLOTS), NULL);
    vRegister(hInst, KX_CLASS_CHECK, CS_HREDRAW | CS_VREDRAW, CheckProc, SLOT(CHK_SLOTS), NULL);
    vRegister(hInst, KX_CLASS_SHADE, CS_HREDRAW | CS_VREDRAW, ShadeProc, SLOT(SHD_SLOTS), NULL);
}
