// Support for the tests of the dialog template and its controls: the real
// "KALVEX" dialog with a dialog procedure that only records commands, and
// captures of what a control paints.
#ifndef KALVEX_TEST_DIALOG_SUPPORT_H
#define KALVEX_TEST_DIALOG_SUPPORT_H

#include <string>
#include <vector>

#include "../app/kalvex.h"

struct Command {
    WORD id;
    WORD code;
    HWND from;
};

inline std::vector<Command> &Commands()
{
    static std::vector<Command> list;
    return list;
}

inline INT_PTR CALLBACK RecordingDialogProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_COMMAND)
        Commands().push_back({LOWORD(wParam), HIWORD(wParam), (HWND)lParam});
    return FALSE;
}

// The main dialog from the program's own resources, shown and with nothing
// recorded yet.
inline HWND OpenKalvexDialog()
{
    HWND hDlg = CreateDialogParamA(GetModuleHandleA(NULL), KX_DIALOG, NULL, RecordingDialogProc, 0);
    Commands().clear();
    return hDlg;
}

inline bool SawCommand(WORD id)
{
    for (auto &c : Commands())
        if (c.id == id)
            return true;
    return false;
}

// The control's rectangle in its dialog's client coordinates.
inline RECT ChildRect(HWND hDlg, HWND hCtl)
{
    RECT rc;
    GetWindowRect(hCtl, &rc);
    MapWindowPoints(NULL, hDlg, (POINT *)&rc, 2);
    return rc;
}

// The header of a top-down 32-bit picture, w by h.
inline BITMAPINFO TopDown32(int w, int h)
{
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    return bi;
}

// What a window paints of its client area (WM_PRINTCLIENT, or the message
// given, such as WM_ERASEBKGND) on a canvas first filled with `fill`;
// pixels read as COLORREF.
class Capture {
public:
    Capture(HWND hWnd, COLORREF fill, UINT msg = WM_PRINTCLIENT)
    {
        RECT rc;
        GetClientRect(hWnd, &rc);
        w = rc.right;
        h = rc.bottom;
        BITMAPINFO bi = TopDown32(w, h);
        dc = CreateCompatibleDC(NULL);
        bm = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, (void **)&bits, NULL, 0);
        old = SelectObject(dc, bm);
        HBRUSH hbr = CreateSolidBrush(fill);
        FillRect(dc, &rc, hbr);
        DeleteObject(hbr);
        SendMessageA(hWnd, msg, (WPARAM)dc, msg == WM_PRINTCLIENT ? PRF_CLIENT : 0);
        GdiFlush();
    }
    ~Capture()
    {
        SelectObject(dc, old);
        DeleteObject(bm);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const
    {
        DWORD p = bits[y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    int Count(COLORREF c, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == c;
        return n;
    }
    int w = 0, h = 0;

private:
    HDC dc;
    HBITMAP bm;
    HGDIOBJ old;
    DWORD *bits = nullptr;
};

#endif
