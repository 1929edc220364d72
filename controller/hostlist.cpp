#include "hostlist.h"

#include <string.h>

bool bIsListableHost(const char *lps)
{
    int i = 0;
    for (; lps[i]; ++i)
        if (i == KX_HOST_MAX || lps[i] == ';' || lps[i] == ' ' || bIsControl(lps[i]))
            return false;
    return i > 0;
}

void vDropCutName(char *lpsList, int iLength, int nSize)
{
    if (iLength < nSize - 1)
        return;
    while (iLength > 0 && lpsList[iLength - 1] != ';')
        lpsList[--iLength] = '\0';
}

bool bNextHostName(const char **plpsList, char szName[KX_HOST_MAX + 1])
{
    const char *lps = *plpsList;
    for (;;) {
        while (*lps == ';')
            ++lps;
        if (!*lps) {
            *plpsList = lps;
            return false;
        }
        const char *lpsEnd = lps;
        while (*lpsEnd && *lpsEnd != ';')
            ++lpsEnd;
        size_t nLength = (size_t)(lpsEnd - lps);
        if (nLength <= KX_HOST_MAX) {
            memcpy(szName, lps, nLength);
            szName[nLength] = '\0';
            *plpsList = lpsEnd;
            return true;
        }
        lps = lpsEnd;
    }
}

bool bAppendHostName(char *lpsList, int nSize, int *piLength, const char *lpsName)
{
    size_t nName = strlen(lpsName);
    if (nName == 0 || nName > KX_HOST_MAX || *piLength < 0
        || *piLength + (int)nName + 1 > nSize - 1)
        return false;
    memcpy(lpsList + *piLength, lpsName, nName);
    *piLength += (int)nName;
    lpsList[(*piLength)++] = ';';
    lpsList[*piLength] = '\0';
    return true;
}
