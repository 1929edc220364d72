/* A settings section read in one block, looked up key by key.
 * Input: which key (1 byte), the room for its value (1 byte), then the
 * block's lines, NULs between them; the block's end is added. */
#include <string.h>

#include <string>

#include "fakes.h"
#include "../../controller/section.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const char *const aszKeys[] = {"Host", "HostList", "Interval", "Stop Value", "TZ"};
    if (size < 2)
        return 0;
    const char *lpsKey = aszKeys[data[0] % (sizeof(aszKeys) / sizeof(aszKeys[0]))];
    const int nSize = 1 + data[1];
    std::string block((const char *)data + 2, size - 2);
    block.append(2, '\0');

    /* Both exactly their size, so that a step past either is caught. */
    char *lpsBlock = new char[block.size()];
    memcpy(lpsBlock, block.data(), block.size());
    char *lpsBuf = new char[nSize];
    memset(lpsBuf, 'x', nSize);

    int n = iSectionValue(lpsBlock, lpsKey, lpsBuf, nSize);
    if (n < -1 || n >= nSize)
        Fail("length %d for room %d", n, nSize);
    if (n == -1 && lpsBuf[0] != 'x')
        Fail("no value, yet the buffer was written");
    if (n >= 0) {
        CheckText(lpsBuf, (size_t)nSize, "lpsBuf");
        if ((int)strlen(lpsBuf) != n)
            Fail("length %d, but %zu characters copied", n, strlen(lpsBuf));
        /* what is handed out is taken whole from one line of the block */
        if (std::string(lpsBlock, block.size()).find(lpsBuf) == std::string::npos)
            Fail("\"%s\" is in no line of the block", lpsBuf);
    }
    delete[] lpsBuf;
    delete[] lpsBlock;
    return 0;
}
