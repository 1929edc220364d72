/* A server's reply, read by the DayTime, Finger, Quote or Users service.
 * Input: the service (1 byte), the receive's outcome (1 byte: a reply, a
 * receive that would block, or one that fails with the code of the next
 * two bytes), the host text and a NUL, the User field and a NUL, then
 * the reply's bytes. */
#include <algorithm>

#include "fakes.h"
#include "../../probe/connect.h"
#include "../../probe/services.h"

struct SERVICE {
    BOOL (*pfnStart)(LPCSTR);
    void (*pfnRead)(void);
    void (*pfnClose)(void);
    int *pFlag;
    const char *lpsGot;     /* the text of a reply, before and after the host */
    const char *lpsAfterHost;
};

static const SERVICE aServices[4] = {
    {DayTimeStart, DayTimeRead, DayTimeClose, &DayTimeFlag, "Time from ", ": "},
    {FingerStart, FingerRead, FingerClose, &FingerFlag, "Fingered ", ", got "},
    {QuoteStart, QuoteRead, QuoteClose, &QuoteFlag, "Quote from ", ": "},
    {UserStart, UserRead, UserClose, &UserFlag, "Users from ", ": "},
};

/* The next NUL-ended piece at *pi, moving *pi past it. */
static std::string Piece(const uint8_t *data, size_t size, size_t *pi)
{
    std::string s = TextOf(data + *pi, size - *pi);
    *pi = std::min(size, *pi + s.size() + 1);
    return s;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    fake::Reset();
    const SERVICE &svc = aServices[data[0] % 4];
    int iOutcome = data[1] % 3;
    if (iOutcome == 1)
        fake::recvError = WSAEWOULDBLOCK;
    else if (iOutcome == 2)
        fake::recvError = 10000 + (data[2] | data[3] << 8) % 1200;
    size_t i = 4;
    std::string sHost = Piece(data, size, &i);
    std::string sUser = Piece(data, size, &i);
    std::string sReply((const char *)data + i, size - i);
    fake::items[IDC_USER] = sUser;
    lstrcpynA(szResult, "an earlier result", sizeof(szResult));

    RecvCount = SentCount = 0;
    if (!svc.pfnStart(sHost.c_str()))
        Fail("the start failed");
    *svc.pFlag = 1;
    if (svc.pFlag == &FingerFlag) {
        FingerWrite();
        if (fake::sent != sUser.substr(0, 39) + "\r\n")
            Fail("finger request \"%s\" for the user \"%s\"", fake::sent.c_str(), sUser.c_str());
    }
    fake::answer = sReply;
    svc.pfnRead();
    svc.pfnClose();

    CHECK_TEXT(szResult);
    CHECK_TEXT(buffer);
    CHECK_TEXT(szDestStr);
    std::string sShown = fake::Item(IDC_RESULTS);
    if (sShown.size() >= sizeof(szResult))
        Fail("Results holds %zu characters", sShown.size());
    if (fake::log.size() >= 500 || (!fake::log.empty() && fake::log.compare(0, 3, "\r\n\n") != 0))
        Fail("log record of %zu bytes", fake::log.size());
    if (iOutcome != 0) {
        if (RecvCount != 0)
            Fail("a failed receive counted as an answer");
        return 0;
    }

    /* One receive of at most 255 bytes, shown up to its first NUL. */
    std::string sGot = sReply.substr(0, 255);
    sGot = sGot.substr(0, sGot.find('\0'));
    std::string sWhole = svc.lpsGot + sHost.substr(0, sizeof(szDestStr) - 1) + svc.lpsAfterHost + sGot;
    size_t n = strlen(szResult);
    if (n < std::min(sWhole.size(), sizeof(szResult) - 1) || sWhole.compare(0, n, szResult, n) != 0)
        Fail("\"%s\" for \"%s\"", szResult, sWhole.c_str());
    if (sShown != szResult || RecvCount != 1)
        Fail("shown \"%s\", %d answers counted", sShown.c_str(), RecvCount);
    return 0;
}
