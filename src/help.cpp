/* Tamsel32: help.  TAMSEL.CHM in HTML Help where Windows has it, TAMSEL.HLP
   in the older viewer otherwise; both lie beside the program. */
#include <windows.h>
#include <htmlhelp.h>   /* the HH_ commands; HtmlHelpA itself is loaded at run time */

#include "TAMSEL.H"

static const char szHelpFile[]      = "TAMSEL.HLP";
static const char szHtmlHelpFile[]  = "TAMSEL.CHM";
static const char szHelpOnHelp[]    = "WINHELP.HLP";
static const char szUsingThisHelp[] = "::/using_help.htm";

/* HTML Help, loaded on first use: the program imports only what every
   32-bit Windows has, and starts where HTML Help is missing. */
typedef HWND (WINAPI *HTMLHELPA)(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);
static HTMLHELPA pHtmlHelpA;        /* null until loaded, or where it cannot be */
static BOOL bHtmlHelpTried;
static BOOL bWinHelpOpened;         /* the older viewer was asked for a file */

static HTMLHELPA Html_Help(void)
{
    if (!bHtmlHelpTried) {
        bHtmlHelpTried = TRUE;
        /* By its full path in the system folder: hhctrl.ocx is no known
           DLL, so by its bare name one planted beside the program (in a
           Downloads folder, say) would be loaded and run instead. */
        char szPath[MAX_PATH + 16];
        const UINT nDir = GetSystemDirectoryA(szPath, MAX_PATH);
        if (nDir == 0 || nDir >= MAX_PATH)
            return NULL;
        lstrcatA(szPath, "\\hhctrl.ocx");
        HMODULE hHelp = LoadLibraryA(szPath);
        if (hHelp)
            pHtmlHelpA = (HTMLHELPA)(void *)GetProcAddress(hHelp, "HtmlHelpA");
    }
    return pHtmlHelpA;
}

/* A help file beside the executable, by its full path so that it is found
   whatever the current directory.  FALSE when the path does not fit. */
static BOOL Help_Path(LPSTR szPath, int nSize, LPCSTR lpszFile)
{
    if (!szAppDirectryName[0] || lstrlenA(szAppDirectryName) + lstrlenA(lpszFile) >= nSize)
        return FALSE;
    lstrcpyA(szPath, szAppDirectryName);
    lstrcatA(szPath, lpszFile);
    return TRUE;
}

/* Opens TAMSEL.CHM, with uCommand and lpszTopic as HtmlHelpA takes them.
   FALSE where there is no such file, no HTML Help, or it would not open
   the file: the caller then turns to WinHelp. */
static BOOL Show_Html_Help(HWND hWnd, UINT uCommand, LPCSTR lpszTopic)
{
    char szPath[MAX_PATH + 32];
    const int nTopic = lpszTopic ? lstrlenA(lpszTopic) : 0;
    if (!Help_Path(szPath, (int)sizeof szPath - nTopic, szHtmlHelpFile) || !File_Exists(szPath) || !Html_Help())
        return FALSE;
    if (lpszTopic)
        lstrcatA(szPath, lpszTopic);   /* its room was kept above */
    if (pHtmlHelpA(hWnd, szPath, uCommand, 0))
        return TRUE;
    /* A help file whose index cannot be shown opens at its contents. */
    return uCommand == HH_DISPLAY_INDEX && pHtmlHelpA(hWnd, szPath, HH_DISPLAY_TOC, 0) != NULL;
}

static void Show_Win_Help(HWND hWnd, LPCSTR lpszFile, BOOL bBesideProgram)
{
    char szHelpPath[MAX_PATH];
    if (!bBesideProgram || !Help_Path(szHelpPath, sizeof szHelpPath, lpszFile))
        lstrcpynA(szHelpPath, lpszFile, sizeof szHelpPath);
    bWinHelpOpened = TRUE;
    WinHelpA(hWnd, szHelpPath, HELP_INDEX, 0);
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
    if (pHtmlHelpA)
        pHtmlHelpA(NULL, NULL, HH_CLOSE_ALL, 0);
    if (bWinHelpOpened) {
        char szHelpPath[MAX_PATH];
        if (Help_Path(szHelpPath, sizeof szHelpPath, szHelpFile))
            WinHelpA(hWnd, szHelpPath, HELP_QUIT, 0);
    }
}
