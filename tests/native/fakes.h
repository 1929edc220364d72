/* What the harnesses hand the native stand-in of Windows, and what they
 * read back from it.  Reset() gives a fresh machine before every input. */
#ifndef KX_NATIVE_FAKES_H
#define KX_NATIVE_FAKES_H

#include <map>
#include <string>
#include <vector>

#include "include/windows.h"
#include "include/winsock.h"

namespace fake {
extern std::map<int, std::string> items;            // dialog items' texts
extern std::map<int, UINT> checks;                  // check boxes
extern std::vector<std::string> hosts;              // the Host box's sorted list
extern std::map<std::string, std::string> profile;  // "section\nkey" in lower case
extern std::string caption;                         // the dialog's title
extern std::string answer;      // what the receives hand out, in order
extern int recvError;           // when not 0, every receive fails with it
extern std::string sent;        // what the sends took
extern std::string log;         // bytes written to the error log
extern TIME_ZONE_INFORMATION tzi;
extern DWORD tzResult;
extern BOOL clockResult;
extern DWORD tick;
struct ClockSet {
    SYSTEMTIME st;
    bool bUtc;          // SetSystemTime rather than SetLocalTime
};
extern std::vector<ClockSet> clockSets;
extern ULONGLONG clockNow;      // what the clock reads, in file time

void Reset();
std::string Item(int id);
std::string ProfileValue(const char *lpsSection, const char *lpsKey);
}

/* Reports a broken rule with its input's context and stops the run, so
 * that libFuzzer keeps the input as a finding. */
[[noreturn]] void Fail(const char *lpsFormat, ...);

/* Fails unless the n bytes at lps hold a terminator. */
void CheckText(const char *lps, size_t n, const char *lpsName);
#define CHECK_TEXT(buf) CheckText((buf), sizeof(buf), #buf)

/* The leading NUL-free text of a fuzz input piece, at most cchMax bytes. */
std::string TextOf(const uint8_t *p, size_t n, size_t cchMax = (size_t)-1);

/* The C library's tokenizer, the second form of the host list's split:
 * runs of ";" are one separator and no name is empty.  Names longer than
 * cchMax are left out. */
std::vector<std::string> Tokens(std::string s, size_t cchMax = (size_t)-1);

#endif
