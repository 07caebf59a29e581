/* Tamsel32: the list on the clipboard, and clearing the list or the
   clipboard on request. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* What is copied or saved of a name: all of it, or its file-name part. */
LPCSTR Name_Piece(LPCSTR lpszName)
{
    return name_only_on == 1 ? File_Name_Part(lpszName) : lpszName;
}

/* Reads a node; a node that cannot be read counts as an empty name. */
void Read_Name(HGLOBAL hNode, LPSTR szFileName)
{
    if (!String_List_Read(hNode, szFileName))
        szFileName[0] = '\0';
}

/* Joins the pieces of the list's names as the copy puts them: the first
   piece always, each later one after the separator unless it is empty.
   With lpszText NULL it only measures; otherwise lpszText must hold the
   measured length and its terminator.  Returns the length. */
static SIZE_T Join_Names(LPSTR lpszText)
{
    char szFileName[NAME_BUFF_SIZE];
    const SIZE_T nToken = (SIZE_T)lstrlenA(szToken);
    SIZE_T nTotal = 0;

    for (HGLOBAL hNode = hFNameTopList; hNode; hNode = String_List_Next(hNode)) {
        Read_Name(hNode, szFileName);
        LPCSTR lpszPiece = Name_Piece(szFileName);
        const SIZE_T nPiece = (SIZE_T)lstrlenA(lpszPiece);
        if (hNode != hFNameTopList) {
            if (nPiece == 0)
                continue;   /* an empty piece goes with its separator */
            if (lpszText)
                memcpy(lpszText + nTotal, szToken, nToken);
            nTotal += nToken;
        }
        if (lpszText)
            memcpy(lpszText + nTotal, lpszPiece, nPiece);
        nTotal += nPiece;
    }
    if (lpszText)
        lpszText[nTotal] = '\0';
    return nTotal;
}

/* Clipboard managers, history and remote-desktop helpers hold the
   clipboard for a few milliseconds at a time: try for about half a second
   before calling it busy. */
BOOL Open_Clipboard_Soon(HWND hWnd)
{
    for (int nTry = 1; !OpenClipboard(hWnd); nTry++) {
        if (nTry == 10)
            return FALSE;
        Sleep(50);
    }
    return TRUE;
}

/* Every try to open the clipboard failed: not a lack of memory, and
   worth another try by the user. */
void Clipboard_Busy_MesBox(HWND hWnd)
{
    Message_Box(hWnd, IDS_CLIP_BUSY, IDS_CLIP_BUSY_CAP, MB_OK | MB_ICONEXCLAMATION);
}

/* The text in Unicode, converted from the ANSI code page as the names are:
   left to Windows, it would be converted with the code page of whatever
   input language is active at the time.  0 when it cannot be had. */
static HGLOBAL Unicode_Text(HGLOBAL hText)
{
    LPCSTR lpszText = (LPCSTR)GlobalLock(hText);
    if (!lpszText)
        return 0;
    const int nWide = MultiByteToWideChar(CP_ACP, 0, lpszText, -1, NULL, 0);
    HGLOBAL hWide = nWide > 0 ? GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)nWide * sizeof(WCHAR)) : 0;
    LPWSTR lpszWide = hWide ? (LPWSTR)GlobalLock(hWide) : NULL;
    if (lpszWide) {
        MultiByteToWideChar(CP_ACP, 0, lpszText, -1, lpszWide, nWide);
        GlobalUnlock(hWide);
    } else if (hWide) {
        GlobalFree(hWide);
        hWide = 0;
    }
    GlobalUnlock(hText);
    return hWide;
}

/* The locale whose ANSI code page the names are in: the system's.  Left
   to Windows, the clipboard would be stamped with the input language
   active at the time, and readers of CF_TEXT (and the CF_OEMTEXT Windows
   makes from it) would decode by that.  0 when it cannot be had. */
static HGLOBAL Locale_Block(void)
{
    HGLOBAL hLocale = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID));
    LCID *pLocale = hLocale ? (LCID *)GlobalLock(hLocale) : NULL;
    if (!pLocale) {
        if (hLocale)
            GlobalFree(hLocale);
        return 0;
    }
    *pLocale = GetSystemDefaultLCID();
    GlobalUnlock(hLocale);
    return hLocale;
}

int Copy_Clipboard(HWND hWnd)
{
    /* Measured first, so that the block is allocated once at the text's
       exact size: growing a block of megabytes name by name would copy it
       over and over. */
    const SIZE_T nLength = Join_Names(NULL);
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, nLength + 1);
    LPSTR lpszText = hText ? (LPSTR)GlobalLock(hText) : NULL;
    if (!lpszText) {
        /* The clipboard keeps what it holds. */
        if (hText)
            GlobalFree(hText);
        Mem_error_MesBox();
        return 0;
    }
    Join_Names(lpszText);
    GlobalUnlock(hText);
    HGLOBAL hWide = Unicode_Text(hText);   /* without it, CF_TEXT alone */
    HGLOBAL hLocale = Locale_Block();

    /* Everything is ready before the clipboard is opened and emptied, so
       that a busy clipboard keeps what it holds.  A block the clipboard
       takes is the system's from then on. */
    BOOL bPlaced = FALSE;
    const BOOL bOpened = Open_Clipboard_Soon(hWnd);
    if (bOpened) {
        EmptyClipboard();
        bPlaced = SetClipboardData(CF_TEXT, hText) != NULL;
        if (bPlaced && hWide && SetClipboardData(CF_UNICODETEXT, hWide))
            hWide = 0;
        if (bPlaced && hLocale && SetClipboardData(CF_LOCALE, hLocale))
            hLocale = 0;
        CloseClipboard();
    }
    if (hWide)
        GlobalFree(hWide);
    if (hLocale)
        GlobalFree(hLocale);
    if (!bPlaced) {
        GlobalFree(hText);
        if (bOpened)
            Mem_error_MesBox();
        else
            Clipboard_Busy_MesBox(hWnd);
        return 0;
    }
    return 1;
}

void TamselClear(HWND hWnd)
{
    if (Message_Box(hWnd, IDS_CLEAR, IDS_CLEAR_CAP, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (!hFNameTopList)
        return;
    DeleteAll_StringList(hFNameTopList);
    hFNameTopList = 0;
    TotalNumberOfFiles = 0;
    maxfile_name_length = 0;
}

int ClipBoardClear(HWND hWnd)
{
    if (Message_Box(hWnd, IDS_CLIPCLEAR, IDS_CLIPCLEAR_CAP, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return 1;
    if (!Open_Clipboard_Soon(hWnd)) {
        Clipboard_Busy_MesBox(hWnd);
        return 0;
    }
    EmptyClipboard();
    CloseClipboard();
    return 1;
}
