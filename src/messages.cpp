/* Tamsel32: the texts the program shows, from the string table in the
   user's language: Japanese where the user's UI language is Japanese,
   English everywhere else.  They are shown through the wide API, so that
   they read right whatever the ANSI code page. */
#include <windows.h>

#include "TAMSEL.H"

typedef LANGID (WINAPI *GETUSERDEFAULTUILANGUAGE)(void);

/* The one place that picks the language.  Windows 2000 and later tell the
   language of the user's interface; before that, the user's locale is the
   best guess.  (Loaded at run time: Windows 95 and NT 4 lack it.) */
LANGID Message_Language(void)
{
    GETUSERDEFAULTUILANGUAGE pGetUILanguage = (GETUSERDEFAULTUILANGUAGE)(void *)
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetUserDefaultUILanguage");
    const LANGID langUser = pGetUILanguage ? pGetUILanguage() : GetUserDefaultLangID();
    return PRIMARYLANGID(langUser) == LANG_JAPANESE ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                                    : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

/* Entry id of the string table in one language, cut to nSize - 1
   characters.  Read from the resource block itself: LoadStringW picks its
   own language and is a stub on Windows 95 and 98.  0 when missing. */
static int Find_Message(LANGID lang, UINT id, LPWSTR lpszText, int nSize)
{
    lpszText[0] = 0;
    HRSRC hRes = FindResourceExA(hInst, (LPCSTR)RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), lang);
    HGLOBAL hData = hRes ? LoadResource(hInst, hRes) : NULL;
    const WCHAR *p = hData ? (const WCHAR *)LockResource(hData) : NULL;
    if (!p)
        return 0;
    /* A block holds 16 entries, each its length and its characters. */
    const WCHAR *pEnd = p + SizeofResource(hInst, hRes) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < pEnd; i++)
        p += *p + 1;
    if (p >= pEnd)
        return 0;
    int n = *p;
    if (n > pEnd - p - 1)
        n = (int)(pEnd - p - 1);
    if (n > nSize - 1)
        n = nSize - 1;
    CopyMemory(lpszText, p + 1, n * sizeof(WCHAR));
    lpszText[n] = 0;
    return n;
}

/* The message in the user's language, or in English where that language
   lacks it.  Returns its length. */
int Load_Message(UINT id, LPWSTR lpszText, int nSize)
{
    const LANGID lang = Message_Language();
    const int n = Find_Message(lang, id, lpszText, nSize);
    if (n > 0 || lang == MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))
        return n;
    return Find_Message(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), id, lpszText, nSize);
}

/* The message with "%1" and "%2" replaced by the texts given, cut to the
   buffer.  (No wsprintfW: Windows 95 and 98 only pretend to have it.) */
int Format_Message(UINT id, LPWSTR lpszText, int nSize, LPCWSTR lpszArg1, LPCWSTR lpszArg2)
{
    WCHAR szFormat[512];
    Load_Message(id, szFormat, 512);
    int n = 0;
    for (LPCWSTR p = szFormat; *p && n < nSize - 1; p++) {
        LPCWSTR lpszArg = NULL;
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2'))
            lpszArg = *++p == '1' ? lpszArg1 : lpszArg2;
        if (!lpszArg) {
            lpszText[n++] = *p;
            continue;
        }
        for (; *lpszArg && n < nSize - 1; lpszArg++)
            lpszText[n++] = *lpszArg;
    }
    lpszText[n] = 0;
    return n;
}

/* n in decimal. */
void Number_Text(DWORD n, LPWSTR lpszText)
{
    WCHAR szDigits[12];
    int i = 0;
    do {
        szDigits[i++] = (WCHAR)('0' + n % 10);
        n /= 10;
    } while (n);
    while (i)
        *lpszText++ = szDigits[--i];
    *lpszText = 0;
}

/* The message in the ANSI code page, for calls that take no other.  Where
   the code page cannot hold the user's language, English. */
int Load_Message_Ansi(UINT id, LPSTR lpszText, int nSize)
{
    WCHAR szWide[512];
    BOOL bLossy = FALSE;
    int nWide = Load_Message(id, szWide, 512);
    int n = Wide_To_Ansi(szWide, nWide, lpszText, nSize - 1, &bLossy);
    if (n <= 0 || bLossy) {
        nWide = Find_Message(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), id, szWide, 512);
        n = Wide_To_Ansi(szWide, nWide, lpszText, nSize - 1, &bLossy);
        if (n < 0)
            n = 0;
    }
    lpszText[n] = '\0';
    return n;
}

/* A message box of two entries, text and caption; a caption of 0 leaves
   Windows its own. */
int Message_Box(HWND hWnd, UINT idText, UINT idCaption, UINT uType)
{
    WCHAR szText[512], szCaption[256];
    Load_Message(idText, szText, 512);
    if (idCaption)
        Load_Message(idCaption, szCaption, 256);
    return MessageBoxW(hWnd, szText, idCaption ? szCaption : NULL, uType);
}

/* The one warning for memory that ran out; owned by whatever has the
   focus, so that it can come from any operation. */
void Mem_error_MesBox(void)
{
    Message_Box(GetFocus(), IDS_MEMORY, 0, MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
}
