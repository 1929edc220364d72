// Support for the tests of the dialog template and its controls: the real
// "KALVEX" dialog, and captures of what a control paints.
#ifndef KALVEX_TEST_DIALOG_SUPPORT_H
#define KALVEX_TEST_DIALOG_SUPPORT_H

#include <string>
#include <vector>

#include "kalvex_dialog.h"

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
