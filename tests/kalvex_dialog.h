// The real main dialog driven from the test, and the settings file as raw
// bytes.
#ifndef KALVEX_TEST_DIALOG_H
#define KALVEX_TEST_DIALOG_H

#include <string>
#include <utility>
#include <vector>

#include "harness.h"

struct RecordedCommand {
    WORD id;
    WORD code;
    HWND from;
};

// The real "KALVEX" dialog, modeless so that the test can drive it, under
// the program's own procedure or under one that only records commands.
struct KalvexDialog {
    HWND hDlg;
    static inline std::vector<RecordedCommand> commands;   // WM_COMMAND recorded, oldest first

    static INT_PTR CALLBACK Record(HWND, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_COMMAND)
            commands.push_back({LOWORD(wParam), HIWORD(wParam), (HWND)lParam});
        return msg == WM_INITDIALOG;
    }
    // Nothing is recorded yet once it is open.  The program's own procedure
    // sets ghDlg itself; for the recording one the wrapper does.
    explicit KalvexDialog(DLGPROC proc = Record)
    {
        hDlg = CreateDialogParamA(GetModuleHandleA(NULL), KX_DIALOG, NULL, proc, 0);
        if (proc == Record)
            ghDlg = hDlg;
        commands.clear();
    }
    ~KalvexDialog()
    {
        if (IsWindow(hDlg))
            DestroyWindow(hDlg);
        ghDlg = NULL;
    }
    static bool Saw(WORD id)
    {
        for (auto &c : commands)
            if (c.id == id)
                return true;
        return false;
    }
    void Command(int id) const { SendMessageA(hDlg, WM_COMMAND, (WPARAM)id, 0); }
    std::string Text(int id) const { return ItemText(hDlg, id); }
    void Set(int id, const std::string &s) const { SetDlgItemTextA(hDlg, id, s.c_str()); }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(hDlg, id)) != FALSE; }
    bool Shown(int id) const { return (GetWindowLongA(GetDlgItem(hDlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Checked(int id) const { return IsDlgButtonChecked(hDlg, id) == BST_CHECKED; }
    void Choose(int id) const { CheckRadioButton(hDlg, IDC_KALV, IDC_USERS, id); }
    int HostCount() const { return (int)SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETCOUNT, 0, 0); }
    std::string HostEntry(int i) const
    {
        std::string s((size_t)SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETLBTEXTLEN, i, 0) + 1, '\0');
        SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETLBTEXT, i, (LPARAM)&s[0]);
        return s.c_str();
    }
    std::vector<std::string> HostList() const
    {
        std::vector<std::string> v;
        for (int i = 0; i < HostCount(); ++i)
            v.push_back(HostEntry(i));
        return v;
    }
    void SetHosts(const std::vector<std::string> &hosts) const
    {
        SendDlgItemMessageA(hDlg, IDC_HOST, CB_RESETCONTENT, 0, 0);
        for (auto &s : hosts)
            SendDlgItemMessageA(hDlg, IDC_HOST, CB_ADDSTRING, 0, (LPARAM)s.c_str());
    }
    // Counts the Stop commands that reach the dialog within a short while.
    int StopsPosted() const
    {
        PumpFor(50);
        int n = 0;
        for (auto &c : commands)
            n += c.id == IDC_STOP;
        return n;
    }
};

// Replaces the settings file with exactly these bytes, past the profile cache.
inline void WriteIni(const std::string &bytes)
{
    WritePrivateProfileStringA(NULL, NULL, NULL, "KALVEX.INI");
    FILE *f = fopen(IniPath().c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// The key=value lines of one section of the settings file, in file order.
inline std::vector<std::pair<std::string, std::string>> IniSection(const std::string &section)
{
    std::vector<std::pair<std::string, std::string>> keys;
    std::string text = ReadWholeFile(IniPath()), line;
    bool in = false;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[')
            in = line == "[" + section + "]";
        else if (in && line.find('=') != std::string::npos)
            keys.emplace_back(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
    }
    return keys;
}

inline std::string IniValue(const std::string &section, const std::string &key)
{
    for (auto &kv : IniSection(section))
        if (kv.first == key)
            return kv.second;
    return "<missing>";
}

#endif
