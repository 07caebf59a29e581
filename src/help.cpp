/* Tamsel32: help.  TAMSEL.CHM in HTML Help where Windows has it, TAMSEL.HLP
   in the older viewer otherwise; both lie beside the program. */
#include <string.h>
#include <windows.h>
#include <htmlhelp.h>   /* the HH_ commands; HtmlHelpW itself is loaded at run time */

#include "TAMSEL.H"
#include "GSTRLIST.H"

static const WCHAR szHelpFile[]      = L"TAMSEL.HLP";
static const WCHAR szHtmlHelpFile[]  = L"TAMSEL.CHM";
static const WCHAR szHelpOnHelp[]    = L"WINHELP.HLP";
static const WCHAR szUsingThisHelp[] = L"::/using_help.htm";

/* HTML Help, loaded on first use: the program imports only what every
   32-bit Windows has, and starts where HTML Help is missing.  The wide
   call, so that the help files are found in a folder of any name. */
typedef HWND (WINAPI *HTMLHELPW)(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR dwData);
static HTMLHELPW pHtmlHelpW;        /* null until loaded, or where it cannot be */
static BOOL bHtmlHelpTried;
static BOOL bWinHelpOpened;         /* the older viewer was asked for a file */

/* A help file's path: the program's folder, the file and a topic. */
#define HELP_PATH_CHARS (NAME_MAX_CHARS + 64)

static HTMLHELPW Html_Help(void)
{
    if (!bHtmlHelpTried) {
        bHtmlHelpTried = TRUE;
        /* hhctrl.ocx is no known DLL. */
        HMODULE hHelp = Load_System_Library("hhctrl.ocx");
        if (hHelp)
            pHtmlHelpW = (HTMLHELPW)(void *)GetProcAddress(hHelp, "HtmlHelpW");
    }
    return pHtmlHelpW;
}

/* A help file beside the executable, by its full path so that it is found
   whatever the current directory.  FALSE when the path does not fit. */
static BOOL Help_Path(LPWSTR szPath, int nSize, LPCWSTR lpszFile)
{
    const int nDir = lstrlenW(szAppDirectryName), nFile = lstrlenW(lpszFile);
    if (!nDir || nDir + nFile >= nSize)
        return FALSE;
    memcpy(szPath, szAppDirectryName, (size_t)nDir * sizeof(WCHAR));
    memcpy(szPath + nDir, lpszFile, (size_t)(nFile + 1) * sizeof(WCHAR));
    return TRUE;
}

/* Opens TAMSEL.CHM, with uCommand and lpszTopic as HtmlHelpW takes them.
   FALSE where there is no such file, no HTML Help, or it would not open
   the file: the caller then turns to WinHelp. */
static BOOL Show_Html_Help(HWND hWnd, UINT uCommand, LPCWSTR lpszTopic)
{
    WCHAR szPath[HELP_PATH_CHARS];
    const int nTopic = lpszTopic ? lstrlenW(lpszTopic) : 0;
    if (!Help_Path(szPath, HELP_PATH_CHARS - nTopic, szHtmlHelpFile) ||
        File_Attributes(szPath) == INVALID_FILE_ATTRIBUTES || !Html_Help())
        return FALSE;
    if (lpszTopic)
        memcpy(szPath + lstrlenW(szPath), lpszTopic, (size_t)(nTopic + 1) * sizeof(WCHAR));   /* its room was kept above */
    if (pHtmlHelpW(hWnd, szPath, uCommand, 0))
        return TRUE;
    /* A help file whose index cannot be shown opens at its contents. */
    return uCommand == HH_DISPLAY_INDEX && pHtmlHelpW(hWnd, szPath, HH_DISPLAY_TOC, 0) != NULL;
}

/* The older viewer, wide where it can be; Windows 95 and 98 have only
   the ANSI call, and a path their code page holds.  The viewer opens its
   file with OpenFile, whose path holds 127 characters: a longer path goes
   in its short form, where that is short enough. */
static void Win_Help(HWND hWnd, LPCWSTR lpszPath, UINT uCommand)
{
    WCHAR szShort[OFS_MAXPATHNAME];
    if (lstrlenW(lpszPath) >= OFS_MAXPATHNAME) {
        const DWORD nShort = GetShortPathNameW(lpszPath, szShort, OFS_MAXPATHNAME);
        if (nShort > 0 && nShort < OFS_MAXPATHNAME)
            lpszPath = szShort;
    }
    char szPath[MAX_PATH];
    SetLastError(0);
    if (!WinHelpW(hWnd, lpszPath, uCommand, 0) && Ansi_Instead(lpszPath, szPath))
        WinHelpA(hWnd, szPath, uCommand, 0);
}

static void Show_Win_Help(HWND hWnd, LPCWSTR lpszFile, BOOL bBesideProgram)
{
    WCHAR szHelpPath[HELP_PATH_CHARS];
    if (!bBesideProgram || !Help_Path(szHelpPath, HELP_PATH_CHARS, lpszFile))
        memcpy(szHelpPath, lpszFile, (size_t)(lstrlenW(lpszFile) + 1) * sizeof(WCHAR));
    bWinHelpOpened = TRUE;
    Win_Help(hWnd, szHelpPath, HELP_INDEX);
}

/* Help > Index and F1: TAMSEL.CHM at its index where HTML Help can show
   it (every Windows from 98 on, the only help of Windows 10 and 11), else
   TAMSEL.HLP in the older viewer. */
void Show_Help_Index(HWND hWnd)
{
    if (!Show_Html_Help(hWnd, HH_DISPLAY_INDEX, NULL))
        Show_Win_Help(hWnd, szHelpFile, TRUE);
}

/* Help > Using Help: the CHM's own topic on its window, else the system's
   help on help. */
void Show_Using_Help(HWND hWnd)
{
    if (!Show_Html_Help(hWnd, HH_DISPLAY_TOPIC, szUsingThisHelp))
        Show_Win_Help(hWnd, szHelpOnHelp, FALSE);
}

/* The help windows the program opened go with it. */
void Close_Help(HWND hWnd)
{
    if (pHtmlHelpW)
        pHtmlHelpW(NULL, NULL, HH_CLOSE_ALL, 0);
    if (bWinHelpOpened) {
        WCHAR szHelpPath[HELP_PATH_CHARS];
        if (Help_Path(szHelpPath, HELP_PATH_CHARS, szHelpFile))
            Win_Help(hWnd, szHelpPath, HELP_QUIT);
    }
}
