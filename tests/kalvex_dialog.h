// The real main dialog template under a small logging procedure, and the
// settings file as raw bytes: what the settings and meter tests work on.
#ifndef KALVEX_TEST_DIALOG_H
#define KALVEX_TEST_DIALOG_H

#include <string>
#include <utility>
#include <vector>

#include "harness.h"

struct KalvexDialog {
    HWND hDlg;
    static inline std::vector<WPARAM> commands;     // WM_COMMAND seen, oldest first

    static INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM wParam, LPARAM)
    {
        if (msg == WM_COMMAND)
            commands.push_back(wParam);
        return msg == WM_INITDIALOG;
    }
    KalvexDialog()
    {
        commands.clear();
        hDlg = CreateDialogParamA(GetModuleHandleA(NULL), KX_DIALOG, NULL, Proc, 0);
        ghDlg = hDlg;
    }
    ~KalvexDialog()
    {
        DestroyWindow(hDlg);
        ghDlg = NULL;
    }
    std::string Text(int id) const { return ItemText(hDlg, id); }
    void Set(int id, const char *lps) const { SetDlgItemTextA(hDlg, id, lps); }
    bool Checked(int id) const { return IsDlgButtonChecked(hDlg, id) == BST_CHECKED; }
    void Choose(int id) const { CheckRadioButton(hDlg, IDC_KALV, IDC_USERS, id); }
    std::vector<std::string> HostList() const
    {
        std::vector<std::string> v;
        int n = (int)SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            std::string s((size_t)SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETLBTEXTLEN, i, 0) + 1, '\0');
            SendDlgItemMessageA(hDlg, IDC_HOST, CB_GETLBTEXT, i, (LPARAM)&s[0]);
            v.push_back(s.c_str());
        }
        return v;
    }
    // Counts the Stop commands that reach the dialog within a short while.
    int StopsPosted() const
    {
        PumpFor(50);
        int n = 0;
        for (WPARAM w : commands)
            n += LOWORD(w) == IDC_STOP;
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
