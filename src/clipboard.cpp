/* Tamsel32: the list on the clipboard, and clearing the list or the
   clipboard on request. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* COPY_MAX_CHARS: long names as file: URLs reach it with about 120 MB of
   names; past 2 GB the 32-bit size of the block would wrap. */

/* Joins the pieces of the list's names as the copy puts them, each in
   the form the options ask for: the first piece always, each later one
   after the separator (CR LF where the option asks for it) unless it is
   empty.  With bSelection, only the rows selected, in list order.  The
   text goes into lpszText while it fits in nRoom characters with its
   terminator; past that the rest is only measured, up to just past
   COPY_MAX_CHARS, so that no count can wrap.  A node that cannot be read
   counts as an empty name.  Returns the text's whole length. */
static SIZE_T Join_Into(LPWSTR lpszText, SIZE_T nRoom, BOOL bSelection)
{
    LPCWSTR lpszToken = crlf_on == 1 ? L"\r\n" : szToken;
    const SIZE_T nToken = (SIZE_T)lstrlenW(lpszToken);
    SIZE_T nTotal = 0;
    BOOL bFirst = TRUE;

    /* The names from the list's image where it has one: no block a name. */
    LPCWSTR pImage = List_Image_Names();
    const BOOL bImage = pImage != NULL;
    HGLOBAL hNode = hFNameTopList;
    for (UINT nRow = 0; (bImage ? nRow < TotalNumberOfFiles : hNode != 0) && nTotal <= COPY_MAX_CHARS; nRow++) {
        HGLOBAL hName = 0;
        LPCWSTR lpszName = pImage;
        if (bImage) {
            pImage += lstrlenW(pImage) + 1;
            if (bSelection && !Row_Selected(nRow))
                continue;
        } else if (bSelection && !Row_Selected(nRow)) {
            hNode = String_List_Next(hNode);
            continue;
        } else {
            lpszName = String_List_Lock_Next(hNode, &hName, &hNode);
        }
        LPCWSTR lpszPiece = lpszName ? Name_Piece(lpszName) : L"";
        if (bFirst || lpszPiece[0]) {   /* an empty later piece goes with its separator */
            const SIZE_T nSeparator = bFirst ? 0 : nToken;
            const int nPiece = lstrlenW(lpszPiece);
            const SIZE_T nForm = Name_Form(lpszPiece, nPiece, NULL);
            if (lpszText && nTotal + nSeparator + nForm < nRoom) {
                memcpy(lpszText + nTotal, lpszToken, nSeparator * sizeof(WCHAR));
                Name_Form(lpszPiece, nPiece, lpszText + nTotal + nSeparator);
            } else {
                lpszText = NULL;   /* full: measured on */
            }
            nTotal += nSeparator + nForm;
        }
        bFirst = FALSE;
        if (hName)
            GlobalUnlock(hName);
    }
    if (bImage)
        List_Image_Unlock();
    if (lpszText)
        lpszText[nTotal] = 0;
    return nTotal;
}

/* The copy's text in a movable block of its own, *pnLength its length in
   characters: one walk of the list into a block as large as most lists
   need, cut to the text after; a longer text is measured on and joined
   again into a block of its size.  0 when memory runs out or the text
   would pass COPY_MAX_CHARS. */
HGLOBAL Copy_Text_Block(BOOL bSelection, SIZE_T *pnLength)
{
    SIZE_T nRoom = (SIZE_T)TotalNumberOfFiles * 128 + 256;
    for (int nTry = 0; nTry < 2; nTry++) {
        HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, nRoom * sizeof(WCHAR));
        LPWSTR lpszText = hText ? (LPWSTR)GlobalLock(hText) : NULL;
        if (!lpszText) {
            if (hText)
                GlobalFree(hText);
            return 0;
        }
        const SIZE_T nLength = Join_Into(lpszText, nRoom, bSelection);
        GlobalUnlock(hText);
        if (nLength < nRoom) {
            GlobalReAlloc(hText, (nLength + 1) * sizeof(WCHAR), 0);   /* only ever smaller: it stays where it is */
            *pnLength = nLength;
            return hText;
        }
        GlobalFree(hText);
        if (nLength > COPY_MAX_CHARS)
            return 0;
        nRoom = nLength + 1;
    }
    return 0;
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

/* The text in the ANSI code page for the readers of CF_TEXT, placed by
   the program itself: converted by Windows, a character the code page
   lacks would become a look-alike.  Converted once, into a block as large
   as any code page can need (three bytes a UTF-16 unit, in UTF-8), which
   then shrinks to the text.  0 when memory runs out. */
static HGLOBAL Ansi_Text(LPCWSTR lpszWide, SIZE_T nWide)
{
    BOOL bLossy;
    const SIZE_T nRoom = nWide * 3;
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, nRoom + 1);
    LPSTR lpszText = hText ? (LPSTR)GlobalLock(hText) : NULL;
    if (!lpszText) {
        if (hText)
            GlobalFree(hText);
        return 0;
    }
    const int nBytes = Wide_To_Ansi(lpszWide, (int)nWide, lpszText, (int)nRoom, &bLossy);
    lpszText[nBytes > 0 ? nBytes : 0] = '\0';
    GlobalUnlock(hText);
    if (nWide > 0 && nBytes <= 0) {
        GlobalFree(hText);
        return 0;
    }
    GlobalReAlloc(hText, (SIZE_T)nBytes + 1, 0);   /* only ever smaller: it stays where it is */
    return hText;
}

/* The locale whose ANSI code page CF_TEXT is in: the system's.  Left to
   Windows, the clipboard would be stamped with the input language active
   at the time, and readers of CF_TEXT (and the CF_OEMTEXT Windows makes
   from it) would decode by that.  0 when it cannot be had. */
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

/* NameCopy: the rows selected, or the whole list where none is. */
int Copy_Clipboard(HWND hWnd)
{
    return Copy_List(hWnd, nSelectedRows > 0, 0, 0);
}

/* The copy of the list, or with bSelection of its rows selected, with a
   paste's files (a drop block and the drop effect the folder window
   chose, either 0 for none) placed beside the text; the blocks are the
   clipboard's from then on, or freed. */
int Copy_List(HWND hWnd, BOOL bSelection, HGLOBAL hKeepDrop, HGLOBAL hKeepEffect)
{
    SIZE_T nLength = 0;
    const HGLOBAL hWide = Copy_Text_Block(bSelection, &nLength);
    const int nCopied = Copy_Text(hWnd, hWide, nLength, hKeepDrop, hKeepEffect);
    if (nCopied && hWnd)
        Status_Copied(hWnd, bSelection ? nSelectedRows : TotalNumberOfFiles);
    return nCopied;
}

/* The window's copy of the text it last put on the clipboard, kept for
   the CF_TEXT it promised: the length in characters, then the text. */
static const char szAnsiSource[] = "Tamsel32 CF_TEXT source";

/* A copy of the text hWide (nLength characters) for the CF_TEXT to be
   made from later; 0 when memory runs out. */
static HGLOBAL Ansi_Source(HGLOBAL hWide, SIZE_T nLength)
{
    const SIZE_T nBytes = nLength * sizeof(WCHAR);
    HGLOBAL hSource = GlobalAlloc(GMEM_MOVEABLE, sizeof(SIZE_T) + nBytes);
    SIZE_T *pSource = hSource ? (SIZE_T *)GlobalLock(hSource) : NULL;
    LPCWSTR lpszWide = pSource ? (LPCWSTR)GlobalLock(hWide) : NULL;
    if (lpszWide) {
        pSource[0] = nLength;
        memcpy(pSource + 1, lpszWide, nBytes);
        GlobalUnlock(hWide);
    }
    if (pSource)
        GlobalUnlock(hSource);
    if (!lpszWide && hSource) {
        GlobalFree(hSource);
        hSource = 0;
    }
    return hSource;
}

/* Makes the CF_TEXT promised by the last copy from the text kept for it,
   and lets the kept text go.  Called while the clipboard is open, by the
   reader that asked (WM_RENDERFORMAT) or by the window on its way out
   (WM_RENDERALLFORMATS).  Memory that runs out leaves the reader without
   CF_TEXT: a box now would stand in the reader's way. */
static void Render_Ansi_Text(HWND hWnd)
{
    const HGLOBAL hSource = (HGLOBAL)RemovePropA(hWnd, szAnsiSource);
    const SIZE_T *pSource = hSource ? (const SIZE_T *)GlobalLock(hSource) : NULL;
    if (pSource) {
        const HGLOBAL hText = Ansi_Text((LPCWSTR)(pSource + 1), pSource[0]);
        GlobalUnlock(hSource);
        if (hText && !SetClipboardData(CF_TEXT, hText))
            GlobalFree(hText);
    }
    if (hSource)
        GlobalFree(hSource);
}

/* The clipboard messages of the window that copied: CF_TEXT is made only
   when a reader asks for it, or as the window goes; the kept text goes
   when the clipboard is emptied. */
void Clipboard_Message(HWND hWnd, UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_RENDERFORMAT:
        if (wParam == CF_TEXT)
            Render_Ansi_Text(hWnd);
        break;
    case WM_RENDERALLFORMATS:
        if (GetPropA(hWnd, szAnsiSource) && OpenClipboard(hWnd)) {
            if (GetClipboardOwner() == hWnd)
                Render_Ansi_Text(hWnd);
            CloseClipboard();
        }
        break;
    case WM_DESTROYCLIPBOARD: {
        const HGLOBAL hSource = (HGLOBAL)RemovePropA(hWnd, szAnsiSource);
        if (hSource)
            GlobalFree(hSource);
        break;
    }
    }
}

/* Puts the text hWide (nLength characters, 0 where memory ran out) on
   the clipboard with its locale, and the paste's files beside it; the
   blocks are the clipboard's from then on, or freed.  The ANSI form is
   promised, and hWnd makes it when a reader asks: most readers take the
   Unicode text, and converting a long list is as dear as handing it
   over. */
int Copy_Text(HWND hWnd, HGLOBAL hWide, SIZE_T nLength, HGLOBAL hKeepDrop, HGLOBAL hKeepEffect)
{
    HGLOBAL hSource = hWide ? Ansi_Source(hWide, nLength) : 0;
    const BOOL bReady = hSource != 0;
    HGLOBAL hLocale = bReady ? Locale_Block() : 0;

    /* Everything is ready before the clipboard is opened and emptied, so
       that a busy clipboard, or memory that ran out, leaves what it holds.
       A block the clipboard takes is the system's from then on. */
    BOOL bPlaced = FALSE;
    const BOOL bOpened = bReady && Open_Clipboard_Soon(hWnd);
    if (bOpened) {
        EmptyClipboard();   /* the last copy's kept text goes here */
        if (SetClipboardData(CF_UNICODETEXT, hWide)) {
            hWide = 0;
            SetClipboardData(CF_TEXT, NULL);
            bPlaced = SetPropA(hWnd, szAnsiSource, hSource);
        }
        if (bPlaced) {
            hSource = 0;
            if (hLocale && SetClipboardData(CF_LOCALE, hLocale))
                hLocale = 0;
            if (hKeepDrop && SetClipboardData(CF_HDROP, hKeepDrop))
                hKeepDrop = 0;
            if (hKeepEffect && SetClipboardData(RegisterClipboardFormatA(SZ_DROP_EFFECT), hKeepEffect))
                hKeepEffect = 0;
        }
        CloseClipboard();
    }
    const HGLOBAL hLeft[] = {hWide, hSource, hLocale, hKeepDrop, hKeepEffect};   /* not taken */
    for (HGLOBAL h : hLeft)
        if (h)
            GlobalFree(h);
    if (!bPlaced) {
        if (!bReady || bOpened)
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
    History_Take(IDS_CHANGE_CLEAR);
    End_Edits();
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
