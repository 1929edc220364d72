// Our control layer in the real dialog: the button faces in the resources,
// the bitmap buttons, check boxes, shaded frames and the gray dialog class,
// driven by the messages that mouse and keyboard produce.
#include <gtest/gtest.h>

#include <algorithm>

#include "dialog_support.h"
#include "harness.h"
#include "../controls/controls.h"

namespace {

const COLORREF kPalette[16] = {
    RGB(0, 0, 0), RGB(128, 0, 0), RGB(0, 128, 0), RGB(128, 128, 0),
    RGB(0, 0, 128), RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0),
    RGB(0, 0, 255), RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};
enum { BLACK = 0, LTGRAY = 7, DKGRAY = 8, RED = 9, GREEN = 10, YELLOW = 11, BLUE = 12, WHITE = 15 };
const COLORREF kFace = RGB(192, 192, 192);

const int kButtons[] = {IDC_HELPBTN, IDC_START, IDC_STOP, IDC_EXIT};

// Sends a key through the dialog manager to the control with the focus.
void Key(HWND hDlg, UINT msg, WPARAM vk)
{
    MSG m = {GetFocus(), msg, vk, msg == WM_KEYUP ? (LPARAM)0xC0000001 : 1, 0, {0, 0}};
    if (!IsDialogMessageA(hDlg, &m)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    PumpFor(20);
}

void Click(HWND h, int x, int y, int xUp, int yUp)
{
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(xUp, yUp));
    SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(xUp, yUp));
}

// A face as the system loads it, pixel by pixel.
struct Pixels {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
    explicit Pixels(int id)
    {
        HBITMAP hbm = (HBITMAP)LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0);
        BITMAP bm;
        if (!hbm || !GetObjectA(hbm, sizeof(bm), &bm))
            return;
        w = bm.bmWidth;
        h = bm.bmHeight;
        BITMAPINFO bi = TopDown32(w, h);
        std::vector<DWORD> bits((size_t)(w * h));
        HDC hdc = GetDC(NULL);
        GetDIBits(hdc, hbm, 0, h, bits.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(NULL, hdc);
        DeleteObject(hbm);
        for (DWORD p : bits)
            px.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
};

// A button face as stored in the resources: its header and palette, and
// its pixels as palette indices, decoded by the system.
struct Face {
    const BITMAPINFOHEADER *hdr = nullptr;
    const RGBQUAD *palette = nullptr;
    std::vector<int> idx;
    explicit Face(int id)
    {
        HRSRC hRes = FindResourceA(NULL, MAKEINTRESOURCEA(id), RT_BITMAP);
        if (!hRes)
            return;
        hdr = (const BITMAPINFOHEADER *)LockResource(LoadResource(NULL, hRes));
        palette = (const RGBQUAD *)(hdr + 1);
        Pixels px(id);
        for (COLORREF c : px.px)
            idx.push_back((int)(std::find(kPalette, kPalette + 16, c) - kPalette));
    }
    int Index(int x, int y) const { return idx[(size_t)(y * hdr->biWidth + x)]; }
    int Count(int colour, int x0, int x1) const
    {
        int n = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = x0; x < x1; ++x)
                n += Index(x, y) == colour;
        return n;
    }
};

// True when the capture shows the face, scaled and centred as the button
// draws it.
bool ShowsFace(const Capture &cap, const Pixels &face)
{
    int s = face.w ? std::min(cap.w / face.w, cap.h / face.h) : 0;
    if (s < 1)
        return false;
    int ox = (cap.w - face.w * s) / 2, oy = (cap.h - face.h * s) / 2;
    for (int y = 0; y < face.h * s; ++y)
        for (int x = 0; x < face.w * s; ++x)
            if (cap.At(ox + x, oy + y) != face.px[(size_t)(y / s * face.w + x / s)])
                return false;
    return true;
}

} // namespace

TEST(ButtonFaces, TwelveRunLengthCodedImagesInTheStandardPalette)
{
    for (int id : kButtons)
        for (int offset : {KX_FACE_NORMAL, KX_FACE_PRESSED, KX_FACE_FOCUSED}) {
            SCOPED_TRACE(id + offset);
            Face f(id + offset);
            ASSERT_TRUE(f.hdr);
            EXPECT_EQ(64, f.hdr->biWidth);
            EXPECT_EQ(32, f.hdr->biHeight);
            EXPECT_EQ(4, f.hdr->biBitCount);
            EXPECT_EQ((DWORD)BI_RLE4, f.hdr->biCompression);
            EXPECT_EQ(64u * 32, f.idx.size());
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(kPalette[i], RGB(f.palette[i].rgbRed, f.palette[i].rgbGreen, f.palette[i].rgbBlue));
        }
}

TEST(ButtonFaces, EdgesPicturesAndTheFocusLine)
{
    for (int id : kButtons) {
        SCOPED_TRACE(id);
        Face normal(id + KX_FACE_NORMAL), pressed(id + KX_FACE_PRESSED), focused(id + KX_FACE_FOCUSED);
        ASSERT_TRUE(normal.hdr && pressed.hdr && focused.hdr);
        // Raised: light above and left, dark below and right; pressed reversed.
        EXPECT_EQ(WHITE, normal.Index(20, 1));
        EXPECT_EQ(WHITE, normal.Index(1, 16));
        EXPECT_EQ(DKGRAY, normal.Index(20, 30));
        EXPECT_EQ(DKGRAY, normal.Index(62, 16));
        EXPECT_EQ(DKGRAY, pressed.Index(20, 1));
        EXPECT_EQ(DKGRAY, pressed.Index(1, 16));
        EXPECT_EQ(WHITE, pressed.Index(20, 30));
        EXPECT_EQ(WHITE, pressed.Index(62, 16));
        EXPECT_EQ(LTGRAY, normal.Index(32, 6));                 // the face
        EXPECT_GT(normal.Count(BLACK, 28, 60), 30);             // a label at the right

        // The pressed picture is a changed one, not just a moved edge.
        int changed = 0;
        for (int y = 4; y < 28; ++y)
            for (int x = 4; x < 28; ++x)
                changed += normal.Index(x, y) != pressed.Index(x, y);
        EXPECT_GT(changed, 20);

        // Focused: the normal face with one red line under the label.
        int redRow = -1, differ = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 64; ++x)
                if (focused.Index(x, y) != normal.Index(x, y)) {
                    ++differ;
                    EXPECT_EQ(RED, focused.Index(x, y));
                    EXPECT_GE(x, 28);
                    if (redRow < 0)
                        redRow = y;
                    EXPECT_EQ(redRow, y);
                }
        EXPECT_GT(differ, 8);
    }
    // The pictures: red question mark, green and red lamps, blue door with
    // a yellow knob.
    const struct { int id, colour, least, absent; } pictures[] = {
        {IDC_HELPBTN, RED, 51, -1}, {IDC_START, GREEN, 11, RED}, {IDC_STOP, RED, 11, GREEN},
        {IDC_EXIT, BLUE, 51, -1}, {IDC_EXIT, YELLOW, 2, -1}};
    for (auto &p : pictures) {
        Face f(p.id + KX_FACE_NORMAL);
        EXPECT_LE(p.least, f.Count(p.colour, 0, 28)) << p.id;
        EXPECT_EQ(0, p.absent < 0 ? 0 : f.Count(p.absent, 0, 28)) << p.id;
    }
}

TEST(BitmapButton, PaintsTheFaceOfItsState)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    HWND hGo = GetDlgItem(hDlg, IDC_START);
    Pixels normal(IDC_START + KX_FACE_NORMAL), pressed(IDC_START + KX_FACE_PRESSED),
        focused(IDC_START + KX_FACE_FOCUSED);
    {
        Capture cap(hGo, RGB(255, 0, 255));
        ASSERT_GE(cap.w, 64);
        ASSERT_GE(cap.h, 32);
        EXPECT_TRUE(ShowsFace(cap, normal));
        EXPECT_EQ(kFace, cap.At(0, 0));                         // nothing left unpainted
    }
    SetFocus(hGo);
    EXPECT_TRUE(ShowsFace(Capture(hGo, 0), focused));
    SendMessageA(hGo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(ShowsFace(Capture(hGo, 0), pressed));
    EXPECT_EQ(BST_PUSHED | BST_FOCUS, SendMessageA(hGo, BM_GETSTATE, 0, 0));
    SendMessageA(hGo, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(ShowsFace(Capture(hGo, 0), focused));

    // Disabled: grays only, the lit lamp and the label etched away.
    EnableWindow(hGo, FALSE);
    Capture cap(hGo, 0);
    int coloured = 0;
    for (int y = 0; y < cap.h; ++y)
        for (int x = 0; x < cap.w; ++x) {
            COLORREF c = cap.At(x, y);
            coloured += !(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c));
        }
    EXPECT_EQ(0, coloured);
    EXPECT_GT(cap.Count(RGB(128, 128, 128), 0, 0, cap.w, cap.h), 100);
}

// Larger DPIs make larger buttons.  The face is shown at its own size, or
// the largest whole multiple, where that fills the button; else stretched
// to the full height: black rims at the top and bottom rows, the light and
// dark bevels next to them, the label between.
TEST(BitmapButton, FillsTheButtonsThatLargerDpisMake)
{
    TestWindow w;
    Pixels face(IDC_START + KX_FACE_NORMAL);
    const struct { int cx, cy; bool whole; } sizes[] = {{66, 34, true}, {132, 68, true}, {198, 102, true},
                                                        {100, 50, false}, {150, 75, false}};
    for (auto &z : sizes) {
        SCOPED_TRACE(z.cx);
        HWND hGo = CreateWindowA(KX_CLASS_BUTTON, "", WS_CHILD | WS_VISIBLE, 0, 0, z.cx, z.cy, w.hWnd,
                                 (HMENU)IDC_START, GetModuleHandleA(NULL), NULL);
        Capture cap(hGo, 0);
        EXPECT_EQ(z.whole, ShowsFace(cap, face));
        if (!z.whole) {
            int x = cap.w / 2, light = 0, dark = 0, black = 0;
            EXPECT_EQ(RGB(0, 0, 0), cap.At(x, 0));                 // the outer rim
            EXPECT_EQ(RGB(0, 0, 0), cap.At(x, cap.h - 1));
            for (int y = 0; y < cap.h / 8; ++y) {
                light += cap.At(x, y) == RGB(255, 255, 255);
                dark += cap.At(x, cap.h - 1 - y) == RGB(128, 128, 128);
            }
            for (int y = 0; y < cap.h; ++y)
                black += cap.At(cap.w * 3 / 4, y) == RGB(0, 0, 0);
            EXPECT_GT(light, 0);
            EXPECT_GT(dark, 0);
            EXPECT_GT(black, 1);
        }
        DestroyWindow(hGo);
    }
}

TEST(BitmapButton, MouseClickSendsItsCommandWhenReleasedOverIt)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    HWND hStop = GetDlgItem(hDlg, IDC_STOP);
    Click(hStop, 5, 5, 6, 6);
    ASSERT_EQ(1u, dlg.commands.size());
    EXPECT_EQ(IDC_STOP, dlg.commands[0].id);
    EXPECT_EQ(BN_CLICKED, dlg.commands[0].code);
    EXPECT_EQ(hStop, dlg.commands[0].from);
    EXPECT_EQ(hStop, GetFocus());

    // Dragged off before release: no click, and the button springs back.
    dlg.commands.clear();
    Click(hStop, 5, 5, -20, 5);
    EXPECT_TRUE(dlg.commands.empty());
    EXPECT_EQ(0, SendMessageA(hStop, BM_GETSTATE, 0, 0) & BST_PUSHED);

    SendMessageA(hStop, BM_CLICK, 0, 0);
    EXPECT_TRUE(dlg.Saw(IDC_STOP));
    dlg.commands.clear();
    EnableWindow(hStop, FALSE);
    SendMessageA(hStop, BM_CLICK, 0, 0);
    EXPECT_TRUE(dlg.commands.empty());
}

TEST(BitmapButton, SpaceAndEnterPressOnlyTheFocusedButton)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    SetFocus(GetDlgItem(hDlg, IDC_EXIT));
    Key(hDlg, WM_KEYDOWN, VK_SPACE);
    EXPECT_TRUE(dlg.commands.empty());                     // not before the key is released
    Key(hDlg, WM_KEYUP, VK_SPACE);
    ASSERT_EQ(1u, dlg.commands.size());
    EXPECT_EQ(IDC_EXIT, dlg.commands[0].id);

    dlg.commands.clear();
    Key(hDlg, WM_KEYDOWN, VK_RETURN);
    Key(hDlg, WM_KEYUP, VK_RETURN);
    ASSERT_EQ(1u, dlg.commands.size());
    EXPECT_EQ(IDC_EXIT, dlg.commands[0].id);

    // Space pressed on a button and released after the focus has moved on
    // clicks nothing.
    dlg.commands.clear();
    Key(hDlg, WM_KEYDOWN, VK_SPACE);
    SetFocus(GetDlgItem(hDlg, IDC_INTERVAL));
    Key(hDlg, WM_KEYUP, VK_SPACE);
    EXPECT_FALSE(dlg.Saw(IDC_EXIT));

    // Enter in a field: no bitmap button acts as the default button, so the
    // dialog manager sends only its plain OK command.
    dlg.commands.clear();
    SetFocus(GetDlgItem(hDlg, IDC_INTERVAL));
    Key(hDlg, WM_KEYDOWN, VK_RETURN);
    for (auto &c : dlg.commands)
        EXPECT_TRUE(c.id == IDOK) << c.id;
}

TEST(BitmapButton, WithoutItsImagesItStillDrawsAndClicks)
{
    TestWindow w;
    HWND hBtn = CreateWindowA(KX_CLASS_BUTTON, "About", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                              0, 200, 66, 34, w.hWnd, (HMENU)(INT_PTR)77, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(hBtn);
    Capture cap(hBtn, RGB(255, 0, 255));
    EXPECT_EQ(0, cap.Count(RGB(255, 0, 255), 0, 0, cap.w, cap.h));
    EXPECT_GT(cap.Count(RGB(0, 0, 0), 2, 2, cap.w - 2, cap.h - 2), 0);    // the text
    Click(hBtn, 3, 3, 3, 3);
    ASSERT_FALSE(w.log.empty());
    EXPECT_EQ(MAKEWPARAM(77, BN_CLICKED), w.log.back().wParam);
}

TEST(CheckBox, MouseSpaceAndCheckMessagesShareOneState)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    HWND hAuto = GetDlgItem(hDlg, IDC_AUTOSTART);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTART));
    Click(hAuto, 3, 3, 3, 3);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTART));
    ASSERT_EQ(1u, dlg.commands.size());
    EXPECT_EQ(IDC_AUTOSTART, dlg.commands[0].id);
    EXPECT_EQ(BN_CLICKED, dlg.commands[0].code);
    Click(hAuto, 3, 3, -30, 3);                                 // dragged off: unchanged
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTART));

    SetFocus(hAuto);
    Key(hDlg, WM_KEYDOWN, VK_SPACE);
    Key(hDlg, WM_KEYUP, VK_SPACE);
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(hAuto, BM_GETCHECK, 0, 0));

    // Setting the state is silent; the two boxes are independent.
    dlg.commands.clear();
    CheckDlgButton(hDlg, IDC_AUTOSTOP, BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTOP));
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTART));
    CheckDlgButton(hDlg, IDC_AUTOSTOP, BST_UNCHECKED);
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTOP));
    EXPECT_TRUE(dlg.commands.empty());

    SendMessageA(hAuto, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTART));
    EnableWindow(hAuto, FALSE);
    SendMessageA(hAuto, BM_CLICK, 0, 0);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_AUTOSTART));
}

TEST(CheckBox, DrawsItsMarkOnlyWhenChecked)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    HWND hStop = GetDlgItem(hDlg, IDC_AUTOSTOP);
    SetFocus(GetDlgItem(hDlg, IDC_INTERVAL));
    int box;
    {
        Capture cap(hStop, RGB(255, 0, 255));
        box = cap.h;                                            // the box is square, at the left
        EXPECT_EQ(0, cap.Count(RGB(255, 0, 255), 0, 0, cap.w, cap.h));
        EXPECT_EQ(0, cap.Count(RGB(0, 0, 0), 2, 2, box - 2, box - 2));
        EXPECT_GT(cap.Count(RGB(0, 0, 0), box, 0, cap.w, cap.h), 10);    // "Autostop"
    }
    CheckDlgButton(hDlg, IDC_AUTOSTOP, BST_CHECKED);
    Capture cap(hStop, RGB(255, 0, 255));
    EXPECT_GT(cap.Count(RGB(0, 0, 0), 2, 2, box - 2, box - 2), 5);
}

TEST(ShadeFrame, DrawsEdgesAndCaptionButNeverItsInside)
{
    const COLORREF marker = RGB(255, 0, 255), dark = RGB(128, 128, 128), light = RGB(255, 255, 255);
    TestWindow w;
    struct { DWORD style; COLORREF topLeft, bottomRight; bool caption; } kinds[] = {
        {BSS_CAPTION | BSS_GROUP, dark, light, true},
        {BSS_CAPTION | BSS_RGROUP, light, dark, true},
        {BSS_GROUP, dark, light, false},
    };
    for (auto &k : kinds) {
        SCOPED_TRACE(k.style);
        HWND h = CreateWindowA(KX_CLASS_SHADE, "Statistics", WS_CHILD | WS_VISIBLE | k.style,
                               0, 150, 200, 60, w.hWnd, NULL, GetModuleHandleA(NULL), NULL);
        SendMessageA(h, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
        Capture cap(h, marker);
        EXPECT_EQ(k.topLeft, cap.At(50, 0));
        EXPECT_EQ(k.topLeft, cap.At(0, 40));
        EXPECT_EQ(k.bottomRight, cap.At(50, cap.h - 1));
        EXPECT_EQ(k.bottomRight, cap.At(cap.w - 1, 40));
        EXPECT_EQ(marker, cap.At(100, 45));                    // the inside is left alone
        EXPECT_EQ(k.caption, cap.Count(RGB(0, 0, 0), 1, 1, cap.w - 1, 20) > 10);
        EXPECT_EQ(HTTRANSPARENT, SendMessageA(h, WM_NCHITTEST, 0, 0));
        DestroyWindow(h);
    }
}

TEST(GrayDialog, ClassesAreGlobalAndEverythingStandsOnTheGrayFace)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExA(NULL, KX_CLASS_DIALOG, &wc));
    EXPECT_GE(wc.cbWndExtra, DLGWINDOWEXTRA);
    for (const char *cls : {KX_CLASS_BUTTON, KX_CLASS_CHECK, KX_CLASS_SHADE})
        EXPECT_TRUE(GetClassInfoExA(NULL, cls, &wc)) << cls;

    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    Capture back(hDlg, RGB(255, 0, 255), WM_ERASEBKGND);
    EXPECT_EQ(back.w * back.h, back.Count(kFace, 0, 0, back.w, back.h));
    HDC hdc = GetDC(hDlg);
    for (UINT msg : {WM_CTLCOLORDLG, WM_CTLCOLORSTATIC, WM_CTLCOLORBTN}) {
        HBRUSH hbr = (HBRUSH)SendMessageA(hDlg, msg, (WPARAM)hdc, (LPARAM)GetDlgItem(hDlg, IDC_KALV));
        LOGBRUSH lb = {};
        ASSERT_TRUE(GetObjectA(hbr, sizeof(lb), &lb)) << msg;
        EXPECT_EQ(kFace, lb.lbColor) << msg;
        EXPECT_EQ(kFace, GetBkColor(hdc)) << msg;
    }
    ReleaseDC(hDlg, hdc);

    // Clicks inside a frame reach the control the frame groups.
    HWND hHost = GetDlgItem(hDlg, IDC_HOST);
    RECT rc;
    GetWindowRect(hHost, &rc);
    POINT pt = {rc.left + 5, rc.top + 5};
    HWND hHit = WindowFromPoint(pt);
    EXPECT_TRUE(hHit == hHost || GetParent(hHit) == hHost);
}
