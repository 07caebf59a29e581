/* Tamsel32: names in the ANSI code page, for the readers that ask for it
   (the clipboard's CF_TEXT, a saved list that the code page holds, the
   calls of Windows 95 and 98).  A character the code page lacks becomes
   its default character, never a look-alike: a best fit turns
   "report¥draft.txt" into a path one folder deeper and "café" into another
   file's name. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* Windows NT 4 and 95 refuse WC_NO_BEST_FIT_CHARS: there each character
   is converted alone, and one that does not convert back to itself is the
   default character. */
static int Wide_To_Ansi_Checked(LPCWSTR lpszWide, int nWide, LPSTR lpszOut, int nOut, BOOL *pbLossy)
{
    char szDefault[2] = {'?', 0};
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info))
        szDefault[0] = (char)info.DefaultChar[0];
    int n = 0;
    for (int i = 0; i < nWide; ) {
        /* A lone high half is a character of its own: the next one, a
           backslash say, is never swallowed with it. */
        const int nChar = IS_HIGH_SURROGATE(lpszWide[i]) && i + 1 < nWide && IS_LOW_SURROGATE(lpszWide[i + 1]) ? 2 : 1;
        char szChar[8];
        WCHAR szBack[4];
        int nBytes = WideCharToMultiByte(CP_ACP, 0, lpszWide + i, nChar, szChar, sizeof szChar, NULL, NULL);
        const int nBack = nBytes > 0 ? MultiByteToWideChar(CP_ACP, 0, szChar, nBytes, szBack, 4) : 0;
        if (nBack != nChar || memcmp(szBack, lpszWide + i, nChar * sizeof(WCHAR)) != 0) {
            szChar[0] = szDefault[0];
            nBytes = 1;
            *pbLossy = TRUE;
        }
        if (lpszOut) {
            if (n + nBytes > nOut) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            memcpy(lpszOut + n, szChar, nBytes);
        }
        n += nBytes;
        i += nChar;
    }
    return n;
}

int Wide_To_Ansi(LPCWSTR lpszWide, int nWide, LPSTR lpszOut, int nOut, BOOL *pbLossy)
{
    *pbLossy = FALSE;
    if (nWide == 0)
        return 0;
    if (GetACP() == CP_UTF8) {
        /* UTF-8 holds every character, and refuses both the no-best-fit
           flag and the default character: only broken UTF-16 is lost. */
        const int n = WideCharToMultiByte(CP_UTF8, 0, lpszWide, nWide, lpszOut, nOut, NULL, NULL);
        const int nExact = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lpszWide, nWide, NULL, 0, NULL, NULL);
        *pbLossy = nExact == 0 && GetLastError() == ERROR_NO_UNICODE_TRANSLATION;
        return n;
    }
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lpszWide, nWide, lpszOut, nOut, NULL, pbLossy);
    if (n != 0 || GetLastError() != ERROR_INVALID_FLAGS)
        return n;
    return Wide_To_Ansi_Checked(lpszWide, nWide, lpszOut, nOut, pbLossy);
}

/* Windows 95 and 98 have most wide calls only as stubs, which fail with
   ERROR_CALL_NOT_IMPLEMENTED: their ANSI twins serve there.  TRUE when the
   wide call just made was such a stub and szName holds the name in the
   code page, for its ANSI twin. */
BOOL Ansi_Instead(LPCWSTR lpszName, char szName[MAX_PATH])
{
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED &&
           WideCharToMultiByte(CP_ACP, 0, lpszName, -1, szName, MAX_PATH, NULL, NULL) > 0;
}

DWORD File_Attributes(LPCWSTR lpszName)
{
    SetLastError(0);
    const DWORD dwAttributes = GetFileAttributesW(lpszName);
    char szName[MAX_PATH];
    if (dwAttributes != INVALID_FILE_ATTRIBUTES || !Ansi_Instead(lpszName, szName))
        return dwAttributes;
    return GetFileAttributesA(szName);
}

HANDLE Create_File(LPCWSTR lpszName, DWORD dwAccess, DWORD dwShare, DWORD dwCreation)
{
    SetLastError(0);
    HANDLE hFile = CreateFileW(lpszName, dwAccess, dwShare, NULL, dwCreation, FILE_ATTRIBUTE_NORMAL, NULL);
    char szName[MAX_PATH];
    if (hFile != INVALID_HANDLE_VALUE || !Ansi_Instead(lpszName, szName))
        return hFile;
    return CreateFileA(szName, dwAccess, dwShare, NULL, dwCreation, FILE_ATTRIBUTE_NORMAL, NULL);
}

DWORD Full_Path_Name(LPCWSTR lpszName, DWORD nSize, LPWSTR lpszFull)
{
    SetLastError(0);
    const DWORD n = GetFullPathNameW(lpszName, nSize, lpszFull, NULL);
    char szName[MAX_PATH], szFull[MAX_PATH];
    if (n != 0 || !Ansi_Instead(lpszName, szName) || !GetFullPathNameA(szName, MAX_PATH, szFull, NULL))
        return n;
    /* As the wide call counts: with the terminator when it does not fit. */
    const DWORD nFull = (DWORD)MultiByteToWideChar(CP_ACP, 0, szFull, -1, NULL, 0);
    if (nFull > nSize || !lpszFull)
        return nFull;
    MultiByteToWideChar(CP_ACP, 0, szFull, -1, lpszFull, (int)nSize);
    return nFull - 1;
}

/* The current folder, with the size GetCurrentDirectoryW gives. */
DWORD Current_Folder(DWORD nSize, LPWSTR lpszFolder)
{
    SetLastError(0);
    const DWORD n = GetCurrentDirectoryW(nSize, lpszFolder);
    char szFolder[MAX_PATH];
    if (n != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return n;
    const DWORD nAnsi = GetCurrentDirectoryA(MAX_PATH, szFolder);
    if (nAnsi == 0 || nAnsi >= MAX_PATH)
        return 0;
    const int nWide = MultiByteToWideChar(CP_ACP, 0, szFolder, -1, lpszFolder, (int)nSize);
    return nWide > 0 ? (DWORD)nWide - 1 : 0;
}

BOOL Set_Current_Folder(LPCWSTR lpszFolder)
{
    SetLastError(0);
    if (SetCurrentDirectoryW(lpszFolder))
        return TRUE;
    char szFolder[MAX_PATH];
    return Ansi_Instead(lpszFolder, szFolder) && SetCurrentDirectoryA(szFolder);
}

/* The text with its %VARIABLE% parts expanded, as the shell does; the
   size ExpandEnvironmentStringsW gives, with the terminator. */
DWORD Expand_Variables(LPCWSTR lpszText, LPWSTR lpszOut, DWORD nSize)
{
    SetLastError(0);
    const DWORD n = ExpandEnvironmentStringsW(lpszText, lpszOut, nSize);
    char szText[MAX_PATH], szOut[MAX_PATH];
    if (n != 0 || !Ansi_Instead(lpszText, szText))
        return n;
    const DWORD nAnsi = ExpandEnvironmentStringsA(szText, szOut, MAX_PATH);
    if (nAnsi == 0 || nAnsi > MAX_PATH)
        return 0;
    return (DWORD)MultiByteToWideChar(CP_ACP, 0, szOut, -1, lpszOut, (int)nSize);
}

/* Windows 95 and 98 find files in the code page (*pbAnsi tells the
   caller so): the data found is made wide for it. */
static void Wide_Find_Data(const WIN32_FIND_DATAA *pAnsi, WIN32_FIND_DATAW *pData)
{
    pData->dwFileAttributes = pAnsi->dwFileAttributes;
    if (!MultiByteToWideChar(CP_ACP, 0, pAnsi->cFileName, -1, pData->cFileName, MAX_PATH))
        pData->cFileName[0] = 0;
}

HANDLE Find_First(LPCWSTR lpszPattern, WIN32_FIND_DATAW *pData, BOOL *pbAnsi)
{
    SetLastError(0);
    *pbAnsi = FALSE;
    HANDLE hFind = FindFirstFileW(lpszPattern, pData);
    char szPattern[MAX_PATH];
    if (hFind != INVALID_HANDLE_VALUE || !Ansi_Instead(lpszPattern, szPattern))
        return hFind;
    *pbAnsi = TRUE;
    WIN32_FIND_DATAA fd;
    hFind = FindFirstFileA(szPattern, &fd);
    if (hFind != INVALID_HANDLE_VALUE)
        Wide_Find_Data(&fd, pData);
    return hFind;
}

BOOL Find_Next(HANDLE hFind, WIN32_FIND_DATAW *pData, BOOL bAnsi)
{
    if (!bAnsi)
        return FindNextFileW(hFind, pData);
    WIN32_FIND_DATAA fd;
    if (!FindNextFileA(hFind, &fd))
        return FALSE;
    Wide_Find_Data(&fd, pData);
    return TRUE;
}
