// See driver.h.
#include "driver.h"

#include <cstdio>

#include "harness.h"
#include "../controls/controls.h"

// The build hands us its own paths; a Unix one is reached under Wine through
// the drive that maps the root.
static std::string WindowsPath(std::string p)
{
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char &c : p)
        if (c == '/')
            c = '\\';
    return p;
}

std::string KalvexExe() { return WindowsPath(KX_PROGRAM_EXE); }
std::string ServerExe() { return WindowsPath(KX_SERVER_EXE); }

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL;
}

struct DialogSearch {
    DWORD pid;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    auto *search = reinterpret_cast<DialogSearch *>(lParam);
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    // The main dialog is the gray dialog with the Results field.
    if (lstrcmpA(cls, KX_CLASS_DIALOG) == 0 && GetDlgItem(hWnd, IDC_RESULTS) &&
        (search->pid == 0 || search->pid == pid))
        search->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> KalvexDialogs(DWORD pid)
{
    DialogSearch search = {pid, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Child::Child(const std::string &exe, const std::string &args, const std::string &dir, WORD show,
             bool held)
{
    std::string cmd = "\"" + exe + "\"";
    if (!args.empty())
        cmd += " " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    // Wine now and then fails a start while another child is ending; a
    // second try a moment later goes through.
    for (int iTry = 0; iTry < 5; ++iTry) {
        if (CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, held ? CREATE_SUSPENDED : 0, NULL,
                           dir.empty() ? NULL : dir.c_str(), &si, &pi))
            return;
        fprintf(stderr, "starting %s failed (error %lu)\n", exe.c_str(), GetLastError());
        Sleep(200);
    }
    pi = PROCESS_INFORMATION();
}

Child::~Child()
{
    if (!pi.hProcess)
        return;
    if (Running()) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

bool Child::Running() const
{
    return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Child::WaitDialog(DWORD ms) const
{
    HWND hDlg = NULL;
    PumpUntil([&] {
        std::vector<HWND> v = KalvexDialogs(pi.dwProcessId);
        // Shown means initialised: the dialog becomes visible after that.
        if (!v.empty() && IsWindowVisible(v[0]))
            hDlg = v[0];
        return hDlg != NULL || !Running();
    }, ms);
    return hDlg;
}

long Child::ExitCode(DWORD ms) const
{
    if (!pi.hProcess || !PumpUntil([&] { return !Running(); }, ms))
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return (long)code;
}

void WriteSettings(const std::map<std::string, std::string> &keys)
{
    std::string text = "[Default]\r\n";
    for (auto &k : keys)
        text += k.first + "=" + k.second + "\r\n";
    FILE *f = fopen(IniPath().c_str(), "wb");
    if (!f)
        return;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

std::string Setting(const std::string &key)
{
    char sz[1024] = "";
    GetPrivateProfileStringA("Default", key.c_str(), "<missing>", sz, sizeof(sz), IniPath().c_str());
    return sz;
}

std::string TimeAnswerNow()
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    unsigned long long t = ((unsigned long long)ft.dwHighDateTime << 32) | ft.dwLowDateTime;
    unsigned long secs = (unsigned long)(t / 10000000ULL - 9435484800ULL);  // 1601 to 1900
    char b[4] = {(char)(secs >> 24), (char)(secs >> 16), (char)(secs >> 8), (char)secs};
    return std::string(b, 4);
}

SubFolder::SubFolder(const std::string &name)
{
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(sizeof(cwd), cwd);
    path = std::string(cwd) + "\\" + name;
    CreateDirectoryA(path.c_str(), NULL);
}

SubFolder::~SubFolder()
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(File(fd.cFileName).c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}
