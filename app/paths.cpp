#include "paths.h"

BOOL bJoinPath(WCHAR wszPath[MAX_PATH], LPCWSTR lpwsFolder, int nFolder, LPCWSTR lpwsName)
{
    /* A root ("C:\") ends with its backslash; no other folder does. */
    if (nFolder > 0 && lpwsFolder[nFolder - 1] == L'\\')
        --nFolder;
    if (nFolder <= 0 || nFolder + 1 + lstrlenW(lpwsName) >= MAX_PATH)
        return FALSE;
    lstrcpynW(wszPath, lpwsFolder, nFolder + 1);
    wszPath[nFolder] = L'\\';
    lstrcpynW(wszPath + nFolder + 1, lpwsName, MAX_PATH - nFolder - 1);
    return TRUE;
}

BOOL bUserFolder(WCHAR wszPath[MAX_PATH])
{
    WCHAR wszAppData[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"APPDATA", wszAppData, MAX_PATH);
    return n < MAX_PATH && bJoinPath(wszPath, wszAppData, (int)n, L"Kalvex32");
}

BOOL bIsFile(LPCWSTR lpwsPath)
{
    DWORD dwAttributes = GetFileAttributesW(lpwsPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* Never a look-alike: "Lukasz" for "Łukasz" would name a folder that is
 * not there.  A UTF-8 code page lacks no letter, and takes neither the
 * flag nor a default character. */
static int iToAnsi(LPCWSTR lpwsText, int cchWide, LPSTR lpsBuf, int cch)
{
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lpwsText, cchWide, lpsBuf, cch, "?", NULL);
    if (n == 0 && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        n = WideCharToMultiByte(CP_ACP, 0, lpwsText, cchWide, lpsBuf, cch, NULL, NULL);
    return n;
}

int iNarrow(LPCWSTR lpwsText, int cchWide, LPSTR lpsBuf, int nSize)
{
    if (nSize <= 0)
        return 0;
    /* With no room but the terminator's the call would only measure, and
     * its answer is no length of anything written. */
    int n = 0;
    while (cchWide > 0 && nSize > 1 && (n = iToAnsi(lpwsText, cchWide, lpsBuf, nSize - 1)) == 0)
        --cchWide;
    lpsBuf[n] = '\0';
    return n;
}
