/* Tamsel32: Edit > Paste.  Files copied in a folder window come as a drop
   block; paths written as text come as text.  Every block is another
   program's: read only inside its size, its terminator never trusted. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* Paste is gray unless the clipboard holds files or a text.  Only the
   formats are asked: opening the clipboard on every activation would make
   a program that renders on demand render its text each time, and hold
   the clipboard at moments another program wants it. */
BOOL Clipboard_Has_Files(void)
{
    return IsClipboardFormatAvailable(CF_HDROP) || IsClipboardFormatAvailable(CF_UNICODETEXT) ||
           IsClipboardFormatAvailable(CF_TEXT);
}

/* A copy of a clipboard block, which stays the clipboard's; 0 for none. */
static HGLOBAL Copy_Block(HANDLE hData)
{
    const SIZE_T nSize = hData ? GlobalSize(hData) : 0;
    const void *pData = nSize ? GlobalLock(hData) : NULL;
    HGLOBAL hCopy = pData ? GlobalAlloc(GMEM_MOVEABLE, nSize) : 0;
    void *pCopy = hCopy ? GlobalLock(hCopy) : NULL;
    if (pCopy) {
        memcpy(pCopy, pData, nSize);
        GlobalUnlock(hCopy);
    } else if (hCopy) {
        GlobalFree(hCopy);
        hCopy = 0;
    }
    if (pData)
        GlobalUnlock(hData);
    return hCopy;
}

/* The clipboard's text as UTF-16 in a block of the program's own, with
   room for a terminator after it; *pnText its length.  CF_UNICODETEXT
   where there is one; Windows 95 and 98 put only CF_TEXT, in the code
   page.  A text without its NUL runs to the end of its block.  0 when
   there is no text, or memory ran out (*pbOutOfMemory). */
static HGLOBAL Clipboard_Text(SIZE_T *pnText, BOOL *pbOutOfMemory)
{
    *pnText = 0;
    *pbOutOfMemory = FALSE;
    BOOL bWide = TRUE;
    HANDLE hData = GetClipboardData(CF_UNICODETEXT);
    if (!hData) {
        bWide = FALSE;
        hData = GetClipboardData(CF_TEXT);
    }
    const SIZE_T nBlock = hData ? GlobalSize(hData) : 0;
    const BYTE *pData = nBlock ? (const BYTE *)GlobalLock(hData) : NULL;
    if (!pData)
        return 0;
    SIZE_T nText = 0;
    if (bWide) {
        const WCHAR *pw = (const WCHAR *)pData;
        const SIZE_T nMax = nBlock / sizeof(WCHAR);
        while (nText < nMax && pw[nText])
            nText++;
    } else {
        const BYTE *pNul = (const BYTE *)memchr(pData, 0, nBlock);
        const SIZE_T nBytes = pNul ? (SIZE_T)(pNul - pData) : nBlock;
        /* A code page's character is one UTF-16 unit at most, and the
           conversion counts in int. */
        nText = nBytes < 0x7FFFFFFF ? nBytes : 0x7FFFFFFE;
    }
    HGLOBAL hText = nText < ((SIZE_T)-1) / sizeof(WCHAR) - 1 ? GlobalAlloc(GMEM_MOVEABLE, (nText + 1) * sizeof(WCHAR)) : 0;
    LPWSTR lpszText = hText ? (LPWSTR)GlobalLock(hText) : NULL;
    if (lpszText) {
        if (bWide)
            memcpy(lpszText, pData, nText * sizeof(WCHAR));
        else if (nText)
            nText = (SIZE_T)MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pData, (int)nText, lpszText, (int)nText);
        lpszText[nText] = 0;
        GlobalUnlock(hText);
        *pnText = nText;
    } else {
        if (hText)
            GlobalFree(hText);
        hText = 0;
        *pbOutOfMemory = TRUE;
    }
    GlobalUnlock(hData);
    return hText;
}

/* Files copied in a folder window: their drop block, taken as a drop
   from a copy, with the clipboard closed (a folder's walk may be long).
   With direct copy on, the files stay on the clipboard beside the names
   copied, with the drop effect the folder window chose: a Cut can still
   be completed.  Called with the clipboard open; closes it. */
static void Paste_Drop_Block(HWND hWnd, HDROP hDrop)
{
    HGLOBAL hCopy = Copy_Block(hDrop), hKeepEffect = 0;
    if (hCopy && direct_copy_on == 1)
        hKeepEffect = Copy_Block(GetClipboardData(RegisterClipboardFormatA(SZ_DROP_EFFECT)));
    CloseClipboard();
    if (!hCopy) {
        Mem_error_MesBox();
        return;
    }
    Name_Intake intake;
    Intake_Begin(&intake, add_drops_on == 1, IDS_CHANGE_PASTE);
    Take_Drop_Block((HDROP)hCopy, &intake);
    const UINT nTaken = Intake_End(&intake);
    if (!nTaken || direct_copy_on != 1) {
        GlobalFree(hCopy);
        hCopy = 0;
        if (hKeepEffect)
            GlobalFree(hKeepEffect);
        hKeepEffect = 0;
    }
    if (intake.bOutOfMemory)
        Out_Of_Memory_Box();
    Show_Intake(hWnd, nTaken, hCopy, hKeepEffect);
}

/* Paths written as text: read from a copy, with the clipboard closed, for
   the files named are looked for on the disk.  A text that names none
   leaves the list and says so.  Called with the clipboard open. */
static void Paste_Text(HWND hWnd)
{
    SIZE_T nText;
    BOOL bOutOfMemory;
    HGLOBAL hText = Clipboard_Text(&nText, &bOutOfMemory);
    CloseClipboard();
    if (bOutOfMemory) {
        Mem_error_MesBox();
        return;
    }
    Name_Intake intake;
    Intake_Begin(&intake, add_drops_on == 1, IDS_CHANGE_PASTE);
    LPWSTR lpszText = hText ? (LPWSTR)GlobalLock(hText) : NULL;
    if (lpszText) {
        Take_Text_Paths(lpszText, nText, &intake);
        GlobalUnlock(hText);
    }
    if (hText)
        GlobalFree(hText);
    const UINT nTaken = Intake_End(&intake);
    if (intake.bOutOfMemory)
        Out_Of_Memory_Box();
    if (nTaken)
        Show_Intake(hWnd, nTaken, 0, 0);
    else if (!intake.bOutOfMemory)
        No_Names_MesBox(hWnd);
}

void Paste_Files(HWND hWnd)
{
    if (!Open_Clipboard_Soon(hWnd)) {
        Clipboard_Busy_MesBox(hWnd);
        return;
    }
    Show_Wait_Cursor();
    HDROP hDrop = (HDROP)GetClipboardData(CF_HDROP);
    if (hDrop)
        Paste_Drop_Block(hWnd, hDrop);
    else
        Paste_Text(hWnd);
}
