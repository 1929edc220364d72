// The main dialog as its resource describes it and as the dialog manager
// builds it: frame, each named control on its class, what lies out of
// sight, the keyboard groups and the tab order; and the other resources.
#include <gtest/gtest.h>

#include "dialog_support.h"
#include "harness.h"
#include "../controls/controls.h"

namespace {

// A NUL-ended text of a dialog template, moving p past it.
std::string Sz(const WORD *&p)
{
    std::string s;
    while (*p)
        s += (char)*p++;
    ++p;
    return s;
}

// Every named control by the class its part needs; the rest of the 47 are
// unnamed labels and frames.
const struct {
    const char *cls;
    std::vector<int> ids;
} kClasses[] = {
    {"BUTTON", {IDC_KALV, IDC_DAYTIME, IDC_TIME, IDC_QUOTE, IDC_FINGER, IDC_USERS, IDC_ADDHOST,
                IDC_REMOVEHOST}},
    {KX_CLASS_BUTTON, {IDC_START, IDC_STOP, IDC_EXIT, IDC_HELPBTN}},
    {KX_CLASS_CHECK, {IDC_AUTOSTART, IDC_AUTOSTOP}},
    {KX_CLASS_SHADE, {IDC_INTERVALSFRAME, IDC_OPTIONSFRAME}},
    {"EDIT", {IDC_INTERVAL, IDC_TIMEZONE, IDC_RATE, IDC_GOMIN, IDC_ALARM, IDC_STOPVAL, IDC_USER}},
    {"COMBOBOX", {IDC_HOST}},
    {"STATIC", {IDC_USERLABEL, IDC_SENT, IDC_RECV, IDC_TZLABEL, IDC_TIMEONLINE, IDC_CHARGE,
                IDC_RESULTS, IDC_WSVERSION, IDC_STOPLABEL, IDC_GOMINLABEL, IDC_ALARMLABEL,
                IDC_RATELABEL, IDC_CHARGELABEL}},
};

std::vector<HWND> Children(HWND hDlg)
{
    std::vector<HWND> v;
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        v.push_back(h);
    return v;
}

} // namespace

// A plain template (an extended one starts with other words and fails the
// style), no menu, our class, the title and the font.
TEST(Template, FrameIsTheClassicGrayDialog)
{
    HRSRC hRes = FindResourceA(NULL, KX_DIALOG, RT_DIALOG);
    ASSERT_TRUE(hRes);
    const DLGTEMPLATE *d = (const DLGTEMPLATE *)LockResource(LoadResource(NULL, hRes));
    ASSERT_EQ(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT, d->style);
    EXPECT_EQ(0u, d->dwExtendedStyle);
    EXPECT_EQ((std::vector<short>{9, 16, 324, 161}), (std::vector<short>{d->x, d->y, d->cx, d->cy}));
    const WORD *p = (const WORD *)(d + 1);
    EXPECT_EQ("", Sz(p));                                               // no menu
    EXPECT_EQ(0, lstrcmpiA(KX_CLASS_DIALOG, Sz(p).c_str()));            // class names know no case
    EXPECT_EQ("Kalvex", Sz(p));
    EXPECT_EQ(8, *p++);
    EXPECT_EQ("MS Sans Serif", Sz(p));
}

TEST(Dialog, EveryNamedControlIsBuiltOnceOnItsClass)
{
    KalvexDialog dlg;
    ASSERT_TRUE(dlg.hDlg);
    char sz[64];
    GetClassNameA(dlg.hDlg, sz, sizeof(sz));
    EXPECT_STREQ(KX_CLASS_DIALOG, sz);
    std::vector<HWND> kids = Children(dlg.hDlg);
    EXPECT_EQ(47u, kids.size());
    size_t named = 0;
    for (auto &c : kClasses)
        for (int id : c.ids) {
            SCOPED_TRACE(id);
            ++named;
            int n = 0;
            for (HWND h : kids)
                n += GetDlgCtrlID(h) == id;
            EXPECT_EQ(1, n);
            GetClassNameA(GetDlgItem(dlg.hDlg, id), sz, sizeof(sz));
            EXPECT_EQ(0, lstrcmpiA(c.cls, sz)) << sz;   // class names know no case
        }
    // The unnamed ones only label and frame.
    for (HWND h : kids)
        if ((short)GetDlgCtrlID(h) == -1) {
            ++named;
            GetClassNameA(h, sz, sizeof(sz));
            EXPECT_TRUE(!lstrcmpiA(sz, "STATIC") || !lstrcmpiA(sz, KX_CLASS_SHADE)) << sz;
        }
    EXPECT_EQ(kids.size(), named);
    // The choices users see read as the services' names.
    EXPECT_EQ("Kalv", dlg.Text(IDC_KALV));
    EXPECT_EQ("DayTime", dlg.Text(IDC_DAYTIME));
    EXPECT_EQ("Time", dlg.Text(IDC_TIME));
}

// Nothing in view hides part of another; frames hold them and do not count.
// Controls that touch in dialog units may share a pixel once rounded.
TEST(Dialog, ControlsInViewDoNotOverlap)
{
    KalvexDialog dlg;
    std::vector<HWND> shown;
    std::vector<RECT> rects;
    RECT client, common;
    GetClientRect(dlg.hDlg, &client);
    char sz[64];
    for (HWND h : Children(dlg.hDlg)) {
        GetClassNameA(h, sz, sizeof(sz));
        RECT rc = ChildRect(dlg.hDlg, h);
        if (IsWindowVisible(h) && lstrcmpiA(sz, KX_CLASS_SHADE) && IntersectRect(&common, &rc, &client)) {
            shown.push_back(h);
            rects.push_back({rc.left, rc.top, rc.right - 1, rc.bottom - 1});
        }
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const RECT &a = rects[i], &b = rects[j];
            EXPECT_FALSE(IntersectRect(&common, &a, &b))
                << GetDlgCtrlID(shown[i]) << " " << WindowCaption(shown[i]) << " / "
                << GetDlgCtrlID(shown[j]) << " " << WindowCaption(shown[j]);
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
    // The User field is visible in the template; the dialog procedure
    // hides it for every service but Finger.
    const int tabs[] = {IDC_DAYTIME, IDC_TIME, IDC_INTERVAL, IDC_TIMEZONE, IDC_AUTOSTART,
                        IDC_AUTOSTOP, IDC_RATE, IDC_GOMIN, IDC_ALARM, IDC_STOPVAL, IDC_START,
                        IDC_STOP, IDC_EXIT, IDC_HELPBTN, IDC_USER, IDC_HOST, IDC_ADDHOST,
                        IDC_REMOVEHOST, IDC_KALV};
    HWND h = GetDlgItem(hDlg, IDC_KALV);
    for (int id : tabs) {
        h = GetNextDlgTabItem(hDlg, h, FALSE);
        ASSERT_EQ(id, GetDlgCtrlID(h));
    }
    ShowWindow(GetDlgItem(hDlg, IDC_USER), SW_HIDE);
    EXPECT_EQ(IDC_HOST, GetDlgCtrlID(GetNextDlgTabItem(hDlg, GetDlgItem(hDlg, IDC_HELPBTN), FALSE)));

    // The visible service choices share their keyboard group with
    // everything up to the Help button.
    h = GetDlgItem(hDlg, IDC_KALV);
    for (int id : tabs) {
        if (id == IDC_USER)
            break;
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
    const WORD version[] = {KX_VERSION_BINARY};
    EXPECT_EQ(MAKELONG(version[1], version[0]), ffi->dwFileVersionMS);
    EXPECT_EQ((DWORD)VFT_APP, ffi->dwFileType);

    HRSRC hMan = FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(hMan);
    std::string manifest((const char *)LockResource(LoadResource(NULL, hMan)), SizeofResource(NULL, hMan));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_EQ(std::string::npos, manifest.find("Common-Controls"));
}
