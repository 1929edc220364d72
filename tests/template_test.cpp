// The main dialog as its resource describes it and as the dialog manager
// builds it: frame, the 47 controls in order, what lies out of sight, the
// keyboard groups and the tab order; and the program's other resources.
#include <gtest/gtest.h>

#include "dialog_support.h"
#include "harness.h"
#include "../controls/controls.h"

namespace {

struct Item {
    DWORD style, exStyle;
    short x, y, cx, cy;
    int id;
    std::string cls, text;
};

struct Template {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu, cls, title, font;
    WORD points = 0;
    std::vector<Item> items;
};

// A name or ordinal of a dialog template; ordinals read "#n", the
// predefined control classes by their names.
std::string SzOrOrd(const WORD *&p, bool isClass)
{
    if (*p == 0xFFFF) {
        WORD ord = p[1];
        p += 2;
        static const char *names[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};
        if (isClass && ord >= 0x80 && ord <= 0x85)
            return names[ord - 0x80];
        return "#" + std::to_string(ord);
    }
    std::string s;
    while (*p)
        s += (char)*p++;
    ++p;
    return s;
}

Template LoadTemplate()
{
    Template t;
    HRSRC hRes = FindResourceA(NULL, KX_DIALOG, RT_DIALOG);
    if (!hRes)
        return t;
    const WORD *p = (const WORD *)LockResource(LoadResource(NULL, hRes));
    t.extended = p[0] == 1 && p[1] == 0xFFFF;
    if (t.extended)
        return t;
    const DLGTEMPLATE *d = (const DLGTEMPLATE *)p;
    t.style = d->style;
    t.exStyle = d->dwExtendedStyle;
    t.x = d->x, t.y = d->y, t.cx = d->cx, t.cy = d->cy;
    p = (const WORD *)(d + 1);
    t.menu = SzOrOrd(p, false);
    t.cls = SzOrOrd(p, false);
    t.title = SzOrOrd(p, false);
    if (t.style & DS_SETFONT) {
        t.points = *p++;
        t.font = SzOrOrd(p, false);
    }
    for (int i = 0; i < d->cdit; ++i) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE *it = (const DLGITEMTEMPLATE *)p;
        Item item{it->style, it->dwExtendedStyle, it->x, it->y, it->cx, it->cy, (short)it->id, "", ""};
        p = (const WORD *)(it + 1);
        item.cls = SzOrOrd(p, true);
        item.text = SzOrOrd(p, false);
        p += 1 + *p / sizeof(WORD);         // creation data
        t.items.push_back(item);
    }
    return t;
}

// Styles by the names the layout gives them.
const DWORD SHOWN = WS_CHILD | WS_VISIBLE;
const DWORD RADIO = SHOWN | BS_AUTORADIOBUTTON | WS_TABSTOP;
const DWORD HIDDEN_RADIO = WS_CHILD | BS_AUTORADIOBUTTON | WS_TABSTOP | WS_DISABLED;
const DWORD EDIT_RIGHT = SHOWN | ES_RIGHT | WS_BORDER | WS_TABSTOP;
const DWORD EDIT_SCROLL = SHOWN | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
const DWORD EDIT_PLAIN = SHOWN | ES_LEFT | WS_BORDER | WS_TABSTOP;
const DWORD EDIT_RIGHT_SCROLL = SHOWN | ES_RIGHT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
const DWORD CHECK = SHOWN | BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD PUSH = SHOWN | BS_PUSHBUTTON | WS_TABSTOP;
const DWORD PUSH_CENTRED = PUSH | BS_CENTER;
const DWORD FRAME = SHOWN | BSS_CAPTION | BSS_GROUP;
const DWORD FRAME_GROUP = FRAME | WS_GROUP;
const DWORD RAISED_FRAME = SHOWN | BSS_CAPTION | BSS_RGROUP;
const DWORD TEXT = SHOWN | SS_LEFT | WS_GROUP;
const DWORD TEXT_RIGHT = SHOWN | SS_RIGHT | WS_GROUP;
const DWORD COMBO = SHOWN | CBS_DROPDOWN | WS_VSCROLL | CBS_AUTOHSCROLL | CBS_SORT | WS_TABSTOP;

const Item kTable[] = {
    {RADIO, 0, 11, 17, 42, 10, 340, "BUTTON", "Kalv"},
    {RADIO, 0, 64, 17, 40, 10, 341, "BUTTON", "DayTime"},
    {RADIO, 0, 119, 17, 32, 10, 342, "BUTTON", "Time"},
    {EDIT_RIGHT, 0, 40, 62, 24, 11, 106, "EDIT", ""},
    {EDIT_SCROLL, 0, 117, 62, 38, 11, 112, "EDIT", ""},
    {CHECK, 0, 9, 90, 45, 10, 102, "BorCheck", "Auto start "},
    {CHECK, 0, 59, 91, 42, 9, 122, "BorCheck", "Autostop"},
    {EDIT_PLAIN, 0, 130, 90, 25, 11, 117, "EDIT", ""},
    {EDIT_RIGHT_SCROLL, 0, 40, 113, 17, 11, 116, "EDIT", ""},
    {EDIT_RIGHT_SCROLL, 0, 88, 113, 19, 11, 118, "EDIT", ""},
    {EDIT_RIGHT_SCROLL, 0, 138, 113, 18, 11, 123, "EDIT", ""},
    {PUSH, 0, 80, 135, 44, 21, 201, "BorBtn", "Button"},
    {PUSH, 0, 124, 135, 44, 21, 202, "BorBtn", "Button"},
    {PUSH, 0, 168, 135, 44, 21, 203, "BorBtn", "Button"},
    {PUSH, 0, 212, 135, 44, 21, 200, "BorBtn", "About"},
    {FRAME_GROUP, 0, 4, 35, 157, 41, -1, "BorShade", "Settings"},
    {FRAME_GROUP, 0, 5, 4, 156, 27, -1, "BorShade", "Service"},
    {HIDDEN_RADIO, 0, 8, 173, 32, 10, 343, "BUTTON", "Quote"},
    {HIDDEN_RADIO, 0, 64, 173, 41, 10, 344, "BUTTON", "Finger"},
    {HIDDEN_RADIO, 0, 116, 173, 32, 10, 345, "BUTTON", "Users"},
    {TEXT, 0, 9, 50, 19, 8, -1, "STATIC", "Host"},
    {TEXT, 0, 9, 63, 27, 8, -1, "STATIC", "Interval (Sec.)"},
    {TEXT, 0, 31, 187, 19, 8, 108, "STATIC", "User"},
    {EDIT_SCROLL, 0, 50, 186, 51, 10, 107, "EDIT", ""},
    {TEXT, 0, 83, 63, 33, 8, 113, "STATIC", "TimeZone"},
    {TEXT, 0, 9, 114, 29, 8, 132, "STATIC", "Minimize"},
    {TEXT, 0, 65, 114, 19, 8, 133, "STATIC", "Alarm"},
    {TEXT, 0, 111, 92, 17, 8, 134, "STATIC", "Rate"},
    {FRAME_GROUP, 0, 168, 69, 152, 60, -1, "BorShade", "Results"},
    {TEXT, 0, 172, 80, 143, 46, 120, "STATIC", ""},
    {FRAME, 0, 167, 4, 153, 26, -1, "BorShade", "Winsock version"},
    {TEXT, 0, 169, 15, 149, 14, 121, "STATIC", ""},
    {FRAME, 0, 168, 35, 152, 29, -1, "BorShade", "Statistics"},
    {TEXT, 0, 206, 46, 24, 8, -1, "STATIC", "Sent"},
    {TEXT, 0, 206, 54, 34, 8, -1, "STATIC", "Received"},
    {TEXT_RIGHT, 0, 180, 46, 22, 8, 110, "STATIC", "0"},
    {TEXT_RIGHT, 0, 178, 54, 24, 8, 111, "STATIC", "0"},
    {TEXT, 0, 241, 46, 44, 8, -1, "STATIC", "Time on Line"},
    {TEXT, 0, 287, 46, 30, 8, 114, "STATIC", "0"},
    {TEXT, 0, 241, 54, 48, 8, 135, "STATIC", "Online Charge"},
    {TEXT, 0, 289, 54, 27, 8, 119, "STATIC", ""},
    {RAISED_FRAME, 0, 7, 101, 152, 25, 140, "BorShade", "Intervals to.."},
    {TEXT, 0, 119, 114, 18, 8, 124, "STATIC", "Stop"},
    {FRAME, 0, 5, 79, 156, 50, 141, "BorShade", "Options"},
    {COMBO, 0, 28, 47, 109, 35, 101, "COMBOBOX", "ComboBox1"},
    {PUSH_CENTRED, 0, 137, 47, 11, 12, 103, "BUTTON", "+"},
    {PUSH_CENTRED, 0, 148, 47, 11, 12, 104, "BUTTON", "--"},
};

std::vector<HWND> Children(HWND hDlg)
{
    std::vector<HWND> v;
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        v.push_back(h);
    return v;
}

} // namespace

TEST(Template, FrameIsTheClassicGrayDialog)
{
    Template t = LoadTemplate();
    ASSERT_FALSE(t.extended);
    EXPECT_EQ(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT, t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(9, t.x);
    EXPECT_EQ(16, t.y);
    EXPECT_EQ(324, t.cx);
    EXPECT_EQ(161, t.cy);
    EXPECT_EQ("", t.menu);
    EXPECT_EQ(0, lstrcmpiA(KX_CLASS_DIALOG, t.cls.c_str())) << t.cls;   // class names know no case
    EXPECT_EQ("Kalvex", t.title);
    EXPECT_EQ(8, t.points);
    EXPECT_EQ("MS Sans Serif", t.font);
}

TEST(Template, ControlsFollowTheLayoutTableInOrder)
{
    Template t = LoadTemplate();
    ASSERT_EQ(47u, t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        const Item &got = t.items[i], &want = kTable[i];
        SCOPED_TRACE("control " + std::to_string(i + 1) + " " + want.text);
        EXPECT_EQ(want.id, got.id);
        EXPECT_EQ(0, lstrcmpiA(want.cls.c_str(), got.cls.c_str())) << got.cls;
        EXPECT_EQ(want.text, got.text);
        EXPECT_EQ(want.style, got.style);
        EXPECT_EQ(0u, got.exStyle);
        EXPECT_EQ(want.x, got.x);
        EXPECT_EQ(want.y, got.y);
        EXPECT_EQ(want.cx, got.cx);
        EXPECT_EQ(want.cy, got.cy);
    }
}

TEST(Dialog, BuildsTheControlsInTableOrderOnAGrayClass)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    ASSERT_TRUE(hDlg);
    char sz[64];
    GetClassNameA(hDlg, sz, sizeof(sz));
    EXPECT_STREQ(KX_CLASS_DIALOG, sz);
    EXPECT_EQ("Kalvex", WindowCaption(hDlg));
    std::vector<HWND> kids = Children(hDlg);
    ASSERT_EQ(47u, kids.size());
    for (size_t i = 0; i < kids.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        EXPECT_EQ(kTable[i].id, (short)GetDlgCtrlID(kids[i]));
        GetClassNameA(kids[i], sz, sizeof(sz));
        EXPECT_EQ(0, lstrcmpiA(kTable[i].cls.c_str(), sz)) << sz;
    }
}

TEST(Dialog, OnlyTheFingerAndHiddenServiceControlsLieOutOfSight)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    RECT client, units = {0, 0, 324, 161};
    GetClientRect(hDlg, &client);
    MapDialogRect(hDlg, &units);
    EXPECT_EQ(units.right, client.right);
    EXPECT_EQ(units.bottom, client.bottom);

    for (HWND h : Children(hDlg)) {
        int id = (short)GetDlgCtrlID(h);
        RECT rc = ChildRect(hDlg, h), common;
        bool outOfSight = !IntersectRect(&common, &rc, &client);
        bool expectedOut = id == IDC_USER || id == IDC_USERLABEL || (id >= IDC_QUOTE && id <= IDC_USERS);
        SCOPED_TRACE(id);
        EXPECT_EQ(expectedOut, outOfSight);
        if (!expectedOut) {
            EXPECT_LE(rc.right, client.right);
            EXPECT_TRUE(IsWindowVisible(h));
        }
    }
    for (int id = IDC_QUOTE; id <= IDC_USERS; ++id) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(hDlg, id))) << id;
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, id))) << id;
    }
}

TEST(Dialog, TabOrderAndKeyboardGroupsFollowTheTable)
{
    KalvexDialog dlg;
    HWND hDlg = dlg.hDlg;
    // The User field (107) is visible in the template; the dialog procedure
    // hides it for every service but Finger.
    const int tabs[] = {341, 342, 106, 112, 102, 122, 117, 116, 118, 123, 201, 202, 203, 200,
                        107, 101, 103, 104, 340};
    HWND h = GetDlgItem(hDlg, IDC_KALV);
    for (int id : tabs) {
        h = GetNextDlgTabItem(hDlg, h, FALSE);
        ASSERT_EQ(id, GetDlgCtrlID(h));
    }
    ShowWindow(GetDlgItem(hDlg, IDC_USER), SW_HIDE);
    EXPECT_EQ(IDC_HOST, GetDlgCtrlID(GetNextDlgTabItem(hDlg, GetDlgItem(hDlg, IDC_HELPBTN), FALSE)));

    // The visible service choices share their keyboard group with
    // everything up to the Help button.
    const int group[] = {341, 342, 106, 112, 102, 122, 117, 116, 118, 123, 201, 202, 203, 200};
    h = GetDlgItem(hDlg, IDC_KALV);
    for (int id : group) {
        h = GetNextDlgGroupItem(hDlg, h, FALSE);
        ASSERT_EQ(id, GetDlgCtrlID(h));
    }
}

TEST(Resources, IconsVersionAndManifest)
{
    // 16-colour images: KALVEX at every size that 100 and 150 % draw (200 %
    // shrinks the 48), KALVEXPRO at 32 pixels.
    const struct { const char *group; std::vector<int> sizes; } icons[] = {
        {KX_ICON, {16, 24, 32, 48}}, {KX_ICON_PRO, {32}},
    };
    for (auto &ic : icons) {
        SCOPED_TRACE(ic.group);
        HRSRC hRes = FindResourceA(NULL, ic.group, RT_GROUP_ICON);
        ASSERT_TRUE(hRes);
        const BYTE *p = (const BYTE *)LockResource(LoadResource(NULL, hRes));
        ASSERT_EQ(ic.sizes.size(), *(const WORD *)(p + 4));     // image count
        for (size_t i = 0; i < ic.sizes.size(); ++i) {
            const BYTE *entry = p + 6 + 14 * i;
            EXPECT_EQ(ic.sizes[i], entry[0]);                     // width
            EXPECT_EQ(ic.sizes[i], entry[1]);                     // height
            EXPECT_EQ(16, entry[2]);                              // colours
            HICON hIco = (HICON)LoadImageA(GetModuleHandleA(NULL), ic.group, IMAGE_ICON,
                                           ic.sizes[i], ic.sizes[i], 0);
            EXPECT_TRUE(hIco);
            DestroyIcon(hIco);
        }
    }

    HRSRC hVer = FindResourceA(NULL, MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_TRUE(hVer);
    const BYTE *v = (const BYTE *)LockResource(LoadResource(NULL, hVer));
    DWORD cb = SizeofResource(NULL, hVer);
    const VS_FIXEDFILEINFO *ffi = nullptr;
    for (DWORD i = 0; i + sizeof(VS_FIXEDFILEINFO) <= cb; i += 4)
        if (*(const DWORD *)(v + i) == 0xFEEF04BD)
            ffi = (const VS_FIXEDFILEINFO *)(v + i);
    ASSERT_TRUE(ffi);
    EXPECT_EQ(MAKELONG(5, 2), ffi->dwFileVersionMS);
    EXPECT_EQ((DWORD)VFT_APP, ffi->dwFileType);

    HRSRC hMan = FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(hMan);
    std::string manifest((const char *)LockResource(LoadResource(NULL, hMan)), SizeofResource(NULL, hMan));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_EQ(std::string::npos, manifest.find("Common-Controls"));
}
