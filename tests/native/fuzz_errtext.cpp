/* A Winsock error code (4 bytes, little-endian) in words. */
#include <algorithm>
#include <string>

#include "fakes.h"
#include "../../probe/errtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    DWORD dwCode = (DWORD)data[0] | (DWORD)data[1] << 8 | (DWORD)data[2] << 16 | (DWORD)data[3] << 24;
    LPSTR lps = szSockErr(dwCode);
    if (lps != szErrorMsg)
        Fail("the text is not in szErrorMsg");
    CHECK_TEXT(szErrorMsg);

    /* The table is ascending, so a binary search finds what the scan finds. */
    static const bool bSorted = std::is_sorted(ErrStruct, ErrStruct + KX_ERRCOUNT,
        [](const ERRENTRY &a, const ERRENTRY &b) { return a.ErrCode < b.ErrCode; });
    if (!bSorted)
        Fail("the error table is out of order");
    int iCode = (int)dwCode;
    const ERRENTRY *p = std::lower_bound(ErrStruct, ErrStruct + KX_ERRCOUNT, iCode,
        [](const ERRENTRY &e, int i) { return e.ErrCode < i; });
    std::string s = p != ErrStruct + KX_ERRCOUNT && p->ErrCode == iCode
                        ? "Winsock error #" + std::to_string(iCode) + " " + p->ErrStr
                        : "UnDoc'd Winsock error #" + std::to_string(iCode);
    if (s != szErrorMsg)
        Fail("\"%s\" for %d, expected \"%s\"", szErrorMsg, iCode, s.c_str());
    return 0;
}
