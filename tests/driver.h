// Driving the real programs of this build from outside their process, the
// way a user or another program meets them: start one in a folder, find its
// main dialog, read and write its fields, end it and collect its exit code.
#ifndef KALVEX_TEST_DRIVER_H
#define KALVEX_TEST_DRIVER_H

#include <map>
#include <string>
#include <vector>

#include "../app/kalvex.h"

std::string KalvexExe();    // Kalvex32.exe of this build, as a Windows path
std::string ServerExe();    // kxserve.exe of this build

// Whether the tests run under Wine, which never steps the host's clock.
bool UnderWine();

// The main dialogs of every running Kalvex32, or of one process.
std::vector<HWND> KalvexDialogs(DWORD pid = 0);

// One started program, held before its first instruction when `held`
// until Resume.  Ending the test ends the program too.
class Child {
public:
    Child(const std::string &exe, const std::string &args = "", const std::string &dir = "",
          WORD show = SW_SHOWNORMAL, bool held = false);
    void Resume() const { ResumeThread(pi.hThread); }
    ~Child();
    bool Started() const { return pi.hProcess != NULL; }
    DWORD Pid() const { return pi.dwProcessId; }
    bool Running() const;
    HWND WaitDialog(DWORD ms = 15000) const;
    // The exit code, or -1 when the program is still running after ms.
    long ExitCode(DWORD ms = 10000) const;
private:
    PROCESS_INFORMATION pi = {};
};

// KALVEX.INI with the given keys of section "Default", written by hand as a
// user would (the program's own writing is what some tests check).
void WriteSettings(const std::map<std::string, std::string> &keys);
std::string Setting(const std::string &key);    // "Default" key of KALVEX.INI

// The Time service's answer for the computer's current time: four bytes,
// seconds since 1900 in network order.
std::string TimeAnswerNow();

// A folder of its own below the test's working folder, removed afterwards.
struct SubFolder {
    std::string path;
    explicit SubFolder(const std::string &name);
    ~SubFolder();
    std::string File(const std::string &name) const { return path + "\\" + name; }
};

#endif
