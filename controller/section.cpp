/* Looking up values in a section read whole; see section.h. */
#include "section.h"

#include <string.h>

#include "../app/text.h"

int iSectionValue(LPCSTR lpsBlock, LPCSTR lpsKey, LPSTR lpsBuf, int nSize)
{
    for (LPCSTR lpsLine = lpsBlock; *lpsLine; lpsLine += strlen(lpsLine) + 1) {
        LPCSTR lpsEnd = lpsLine + strlen(lpsLine);
        LPCSTR lpsEquals = strchr(lpsLine, '=');
        LPCSTR lpsName = lpsLine, lpsNameEnd = lpsEquals ? lpsEquals : lpsEnd;
        while (lpsName < lpsNameEnd && bIsBlank(*lpsName))
            ++lpsName;
        while (lpsNameEnd > lpsName && bIsBlank(lpsNameEnd[-1]))
            --lpsNameEnd;
        if (!bSameTextNoCase(lpsName, (int)(lpsNameEnd - lpsName), lpsKey))
            continue;
        if (!lpsEquals)
            return -1;

        LPCSTR lpsValue = lpsEquals + 1;
        while (lpsValue < lpsEnd && bIsBlank(*lpsValue))
            ++lpsValue;
        while (lpsEnd > lpsValue && bIsBlank(lpsEnd[-1]))
            --lpsEnd;
        if (lpsEnd - lpsValue >= 2 && (*lpsValue == '"' || *lpsValue == '\'') && lpsEnd[-1] == *lpsValue) {
            ++lpsValue;
            --lpsEnd;
        }
        size_t n = (size_t)(lpsEnd - lpsValue);
        if (n > (size_t)nSize - 1)
            n = (size_t)nSize - 1;
        memcpy(lpsBuf, lpsValue, n);
        lpsBuf[n] = '\0';
        return (int)n;
    }
    return -1;
}
