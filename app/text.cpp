#include "text.h"

#include <limits.h>

#include "format.h"
#include "kalvex.h"

bool bIsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool bIsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool bIsControl(char c)
{
    return (unsigned char)c < 0x20 || c == 0x7F;
}

int iCutAtControl(char *lps)
{
    int i = 0;
    while (lps[i] && !bIsControl(lps[i]))
        ++i;
    lps[i] = '\0';
    return i;
}

int iDecimal(const char *lps)
{
    while (bIsBlank(*lps))
        ++lps;
    bool bNegative = false;
    if (*lps == '+' || *lps == '-')
        bNegative = *lps++ == '-';
    /* Counted in a long long, which holds INT_MIN's magnitude; it stops
     * growing once past that, so no run of digits can overflow it. */
    long long llValue = 0;
    while (bIsDigit(*lps)) {
        if (llValue > -(long long)INT_MIN)
            break;                      /* already out of range: stop growing */
        llValue = llValue * 10 + (*lps++ - '0');
    }
    if (bNegative)
        return llValue >= -(long long)INT_MIN ? INT_MIN : (int)-llValue;
    return llValue > INT_MAX ? INT_MAX : (int)llValue;
}

static char cLowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool bSameTextNoCase(const char *lpsA, int cchA, const char *lpsB)
{
    int i = 0;
    for (; cchA < 0 ? lpsA[i] != '\0' : i < cchA; ++i)
        if (lpsB[i] == '\0' || cLowerAscii(lpsA[i]) != cLowerAscii(lpsB[i]))
            return false;
    return lpsB[i] == '\0';
}

int iSystemMessage(unsigned long ulError, char *lpsOut, int cchOut)
{
    DWORD cch = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                               (DWORD)ulError, 0, lpsOut, (DWORD)cchOut, NULL);
    if (cch >= (DWORD)cchOut)
        cch = 0;
    while (cch > 0 && bIsBlank(lpsOut[cch - 1]))
        --cch;
    lpsOut[cch] = '\0';
    return (int)cch;
}

int iSystemReason(unsigned long ulError, char *lpsOut, int cchOut)
{
    char szWords[256];
    int n = iSystemMessage(ulError, szWords, sizeof(szWords));
    if (n > 0 && szWords[n - 1] == '.')
        szWords[n - 1] = '\0';
    return iFormat(lpsOut, cchOut, "%s (%d)", szWords, (int)ulError);
}
