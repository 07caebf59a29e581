/* Tamsel32: names taken into the list, dropped from the shell, pasted from
   the clipboard or given on the command line, all by one road; and the
   report of the names the list cannot take. */
#include <string.h>
#include <windows.h>
#include <shlobj.h>     /* DROPFILES: the layout of a drop block */

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The list spends two movable handles per name, and a process has 65,536
   of them for all its movable blocks.  A drop stops at this many names, as
   when memory runs out, so that the clipboard text and the dialogs still
   find handles to work with. */
#define MAX_LIST_NAMES 32000

/* Why Next_Drop_Name left a name out; an empty name is no loss. */
#define NAME_EMPTY       0
#define NAME_TOO_LONG   -1      /* over 255 bytes in the code page */
#define NAME_UNMAPPABLE -2      /* holds a character the code page lacks */
#define NAME_MISSING    -3      /* names no file or folder (the command line) */

/* Converts a wide name to the ANSI code page, or measures it when lpszOut
   is NULL.  Returns the bytes, 0 on failure; *pbLossy is set for a name
   the code page cannot hold exactly.  No look-alikes: a best fit turns
   "report¥draft.txt" into a path one folder deeper and "café" into
   another file's name, and the default character '?' is a wildcard. */
/* Windows NT 4 refuses WC_NO_BEST_FIT_CHARS: there a name is converted
   plainly and counts as held only if it converts back to itself.  (Only
   measured, without lpszOut, a look-alike cannot be told.) */
static int Wide_To_Ansi_Checked(LPCWSTR lpszWide, int nWide, LPSTR lpszOut, int nOut, BOOL *pbLossy)
{
    const int n = WideCharToMultiByte(CP_ACP, 0, lpszWide, nWide, lpszOut, nOut, NULL, pbLossy);
    if (n <= 0 || *pbLossy || !lpszOut)
        return n;
    WCHAR szBack[NAME_BUFF_SIZE];
    const int nBack = nWide <= NAME_BUFF_SIZE ? MultiByteToWideChar(CP_ACP, 0, lpszOut, n, szBack, NAME_BUFF_SIZE) : 0;
    *pbLossy = nBack != nWide || memcmp(szBack, lpszWide, nWide * sizeof(WCHAR)) != 0;
    return n;
}

int Wide_To_Ansi(LPCWSTR lpszWide, int nWide, LPSTR lpszOut, int nOut, BOOL *pbLossy)
{
    *pbLossy = FALSE;
    if (GetACP() == CP_UTF8) {
        /* UTF-8 holds every character, and refuses both the no-best-fit
           flag and the default-character check: only broken UTF-16 fails. */
        const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lpszWide, nWide, lpszOut, nOut, NULL, NULL);
        *pbLossy = n == 0 && GetLastError() == ERROR_NO_UNICODE_TRANSLATION;
        return n;
    }
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lpszWide, nWide, lpszOut, nOut, NULL, pbLossy);
    if (n != 0 || GetLastError() != ERROR_INVALID_FLAGS)
        return n;
    return Wide_To_Ansi_Checked(lpszWide, nWide, lpszOut, nOut, pbLossy);
}

/* TRUE when a whole name, its terminator included, lies at p before
   pEnd. */
static BOOL Whole_Name_At(const BYTE *p, const BYTE *pEnd, BOOL bWide)
{
    if (!bWide)
        return p < pEnd && memchr(p, 0, (size_t)(pEnd - p)) != NULL;
    for (; p + sizeof(WCHAR) <= pEnd; p += sizeof(WCHAR))
        if (p[0] == 0 && p[1] == 0)
            return TRUE;
    return FALSE;
}

/* Copies the drop's name at *ppNames into szFileName in the ANSI code page
   and moves *ppNames past it.  Returns the name's length, or one of the
   NAME_ reasons above for a name the list cannot take: the readers copy
   names into 256-byte buffers.  Walking the block once keeps a drop of n
   names linear; asking DragQueryFileA for each name by index would walk
   it from its start every time. */
static int Next_Drop_Name(const BYTE **ppNames, BOOL bWide, LPSTR szFileName)
{
    if (bWide) {
        LPCWSTR lpszWide = (LPCWSTR)*ppNames;
        const int nWide = lstrlenW(lpszWide);
        *ppNames += (nWide + 1) * sizeof(WCHAR);
        if (nWide == 0)
            return NAME_EMPTY;
        BOOL bLossy;
        const int nLength = Wide_To_Ansi(lpszWide, nWide, szFileName, NAME_BUFF_SIZE - 1, &bLossy);
        if (nLength > 0 && !bLossy) {
            szFileName[nLength] = '\0';
            return nLength;
        }
        /* Too long as it stands; measured whole, it may be lossy too. */
        if (nLength == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER)
            Wide_To_Ansi(lpszWide, nWide, NULL, 0, &bLossy);
        return bLossy ? NAME_UNMAPPABLE : NAME_TOO_LONG;
    }
    LPCSTR lpszName = (LPCSTR)*ppNames;
    const int nLength = lstrlenA(lpszName);
    *ppNames += nLength + 1;
    if (nLength == 0)
        return NAME_EMPTY;
    if (nLength >= NAME_BUFF_SIZE)
        return NAME_TOO_LONG;
    memcpy(szFileName, lpszName, nLength + 1);
    return nLength;
}

/* The names the last drop left out, for the box that tells the user: how
   many for each reason, and the first few as they were dropped. */
#define LEFT_OUT_SHOWN  5
#define LEFT_OUT_CHARS  100     /* characters shown of each; longer ones are cut */

struct Left_Out {
    UINT  nTooLong;
    UINT  nUnmappable;
    UINT  nMissing;
    UINT  nShown;
    WCHAR szNames[LEFT_OUT_SHOWN][LEFT_OUT_CHARS + 2];   /* room for "…" and the NUL */
};
static Left_Out leftOut;

/* Counts a name left out and keeps its first characters while there is
   room: a wide name as it is, an ANSI one converted from the code page. */
static void Note_Left_Out(int nReason, const BYTE *pName, BOOL bWide)
{
    if (nReason == NAME_TOO_LONG)
        leftOut.nTooLong++;
    else if (nReason == NAME_MISSING)
        leftOut.nMissing++;
    else
        leftOut.nUnmappable++;
    if (leftOut.nShown == LEFT_OUT_SHOWN)
        return;

    LPWSTR szShown = leftOut.szNames[leftOut.nShown++];
    int n;
    BOOL bCut;
    if (bWide) {
        const int nWide = lstrlenW((LPCWSTR)pName);
        n = nWide < LEFT_OUT_CHARS ? nWide : LEFT_OUT_CHARS;
        memcpy(szShown, pName, n * sizeof(WCHAR));
        if (n > 0 && IS_HIGH_SURROGATE(szShown[n - 1]))
            n--;    /* no half of a pair at the cut */
        bCut = n < nWide;
    } else {
        LPCSTR p = (LPCSTR)pName;
        for (int nChars = 0; *p && nChars < LEFT_OUT_CHARS; nChars++)
            p = CharNextA(p);
        n = MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pName, (int)(p - (LPCSTR)pName), szShown, LEFT_OUT_CHARS);
        bCut = *p != '\0';
    }
    if (bCut)
        szShown[n++] = 0x2026;   /* … */
    szShown[n] = 0;
}

/* Memory ran out part way through taking names.  A drop made while the
   box is up reports its own names: this one's report is kept aside. */
static void Out_Of_Memory_Box(void)
{
    const Left_Out thisDrop = leftOut;
    Mem_error_MesBox();
    leftOut = thisDrop;
}

/* Replaces the list with the names of a drop block (the shell's, the
   clipboard's or the command line's), which it leaves as it is.  Returns
   the number of names in the block, or 0 when it holds none the list can
   take: the old list then stays.  *pbOutOfMemory tells that memory ran out
   part way; the names stored so far are kept. */
static UINT Take_Drop_Names(HDROP hDrop, BOOL *pbOutOfMemory)
{
    char szFileName[NAME_BUFF_SIZE];

    *pbOutOfMemory = FALSE;
    const SIZE_T nBlock = GlobalSize(hDrop);
    const DROPFILES *pDrop = (const DROPFILES *)GlobalLock(hDrop);
    if (!pDrop)
        return 0;
    /* A pasted block is any program's: names are read only inside it, up
       to the empty name that ends them. */
    const BYTE *pEnd = (const BYTE *)pDrop + nBlock;
    if (nBlock < sizeof(DROPFILES) || pDrop->pFiles >= nBlock) {
        GlobalUnlock(hDrop);
        return 0;
    }

    /* The old list goes only when the drop brings a name to replace it:
       a drop that holds none the list can take changes nothing.  Count and
       width cover only the names stored. */
    const BYTE *pNames = (const BYTE *)pDrop + pDrop->pFiles;
    BOOL bReplaced = FALSE;
    UINT nStored = 0;
    int nLongest = 0;
    HGLOBAL hLast = 0;
    UINT nDropped = 0;
    while (Whole_Name_At(pNames, pEnd, pDrop->fWide)) {
        const BYTE *pName = pNames;
        const int nLength = Next_Drop_Name(&pNames, pDrop->fWide, szFileName);
        if (nLength == NAME_EMPTY)
            break;
        nDropped++;
        if (nLength < 0) {
            Note_Left_Out(nLength, pName, pDrop->fWide);
            continue;
        }
        if (!bReplaced) {
            DeleteAll_StringList(hFNameTopList);
            hFNameTopList = 0;
            bReplaced = TRUE;
        }

        HGLOBAL hNode = nStored < MAX_LIST_NAMES ? String_list_add(szFileName, (UINT)nLength + 1, hLast) : 0;
        if (!hNode) {
            *pbOutOfMemory = TRUE;
            break;
        }
        if (!hFNameTopList)
            hFNameTopList = hNode;
        hLast = hNode;
        nStored++;
        if (nLength > nLongest)
            nLongest = nLength;
    }
    GlobalUnlock(hDrop);
    if (!bReplaced)
        return 0;
    TotalNumberOfFiles = nStored;
    maxfile_name_length = nLongest;
    return nDropped;
}

UINT WMDropFiles(WPARAM WParam, HWND)
{
    HDROP hDrop = (HDROP)WParam;
    BOOL bOutOfMemory;

    ZeroMemory(&leftOut, sizeof leftOut);
    const UINT nDropped = Take_Drop_Names(hDrop, &bOutOfMemory);
    DragFinish(hDrop);
    /* Only now, with the list, the count and the width in step and the drop
       released: the window stays usable while the box is up, and a drop
       or a clear made meanwhile must find a whole list. */
    if (bOutOfMemory)
        Out_Of_Memory_Box();
    return nDropped;
}

/* Appends lpszMore to the text, cut to its buffer of nSize characters. */
static void Append_Text(LPWSTR lpszText, int nSize, LPCWSTR lpszMore)
{
    const int nUsed = lstrlenW(lpszText);
    int nMore = lstrlenW(lpszMore);
    if (nMore > nSize - 1 - nUsed)
        nMore = nSize - 1 - nUsed;
    CopyMemory(lpszText + nUsed, lpszMore, nMore * sizeof(WCHAR));
    lpszText[nUsed + nMore] = 0;
}

/* Tells the user how many names the last drop left out, why, and the
   first few of them: shown in Unicode, since the code page could not
   hold some of them.  The box comes over the window as it now stands. */
static void Left_Out_MesBox(HWND hWnd)
{
    /* Taken and cleared before the box, whose message loop may take in
       another drop with a report of its own. */
    const Left_Out report = leftOut;
    ZeroMemory(&leftOut, sizeof leftOut);
    const UINT nLeftOut = report.nTooLong + report.nUnmappable + report.nMissing;
    if (!nLeftOut)
        return;
    UpdateWindow(hWnd);
    const int nSize = 512 + LEFT_OUT_SHOWN * (LEFT_OUT_CHARS + 3);
    WCHAR szText[nSize];
    WCHAR szLine[256], szCount[12], szCodePage[12], szCaption[64];

    Number_Text(nLeftOut, szCount);
    Format_Message(IDS_LEFT_OUT, szText, nSize, szCount, NULL);
    Number_Text(GetACP(), szCodePage);
    if (report.nTooLong) {
        Number_Text(report.nTooLong, szCount);
        Format_Message(IDS_LEFT_OUT_LONG, szLine, 256, szCodePage, szCount);
        Append_Text(szText, nSize, szLine);
    }
    if (report.nUnmappable) {
        Number_Text(report.nUnmappable, szCount);
        Format_Message(IDS_LEFT_OUT_LOST, szLine, 256, szCodePage, szCount);
        Append_Text(szText, nSize, szLine);
    }
    if (report.nMissing) {
        Number_Text(report.nMissing, szCount);
        Format_Message(IDS_LEFT_OUT_MISSING, szLine, 256, szCount, NULL);
        Append_Text(szText, nSize, szLine);
    }
    Append_Text(szText, nSize, L"\n");
    for (UINT i = 0; i < report.nShown; i++) {
        Append_Text(szText, nSize, L"\n");
        Append_Text(szText, nSize, report.szNames[i]);
    }
    if (nLeftOut > report.nShown) {
        Number_Text(nLeftOut - report.nShown, szCount);
        Format_Message(IDS_LEFT_OUT_MORE, szLine, 256, szCount, NULL);
        Append_Text(szText, nSize, szLine);
    }
    Load_Message(IDS_LEFT_OUT_CAP, szCaption, 64);
    MessageBoxW(hWnd, szText, szCaption, MB_OK | MB_ICONEXCLAMATION);
}

/* After names were taken in (nTaken of them, 0 for none): bring the
   caption, the scroll state, the picture and the menu up to date; with
   direct copy on, copy next.  Names left out are told of last, over the
   new list, by which time the posted copy has put the names kept on the
   clipboard. */
static void Show_Intake(HWND hWnd, UINT nTaken)
{
    if (nTaken) {
        CaptionFileOpen(hWnd, TotalNumberOfFiles);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        InvalidateRect(hWnd, NULL, TRUE);
        Post_Init_Menu(hWnd);
        if (direct_copy_on == 1 && TotalNumberOfFiles)
            PostMessageA(hWnd, WM_COMMAND, IDM_NAMECOPY, 0);
    }
    Left_Out_MesBox(hWnd);
}

/* WM_DROPFILES. */
void Drop_Intake(HWND hWnd, WPARAM wParam)
{
    Show_Wait_Cursor();
    Show_Intake(hWnd, WMDropFiles(wParam, hWnd));
}

/* Edit > Paste: files copied in a folder window are a drop block on the
   clipboard, taken as a drop.  The block stays the clipboard's: it is
   read, never finished or freed. */
void Paste_Files(HWND hWnd)
{
    if (!Open_Clipboard_Soon(hWnd)) {
        Clipboard_Busy_MesBox(hWnd);
        return;
    }
    Show_Wait_Cursor();
    ZeroMemory(&leftOut, sizeof leftOut);
    BOOL bOutOfMemory = FALSE;
    HDROP hDrop = (HDROP)GetClipboardData(CF_HDROP);
    const UINT nTaken = hDrop ? Take_Drop_Names(hDrop, &bOutOfMemory) : 0;
    CloseClipboard();
    if (bOutOfMemory)
        Out_Of_Memory_Box();
    Show_Intake(hWnd, nTaken);
}

/* The names given on the command line (by Send To, or a drop on the
   program's icon) become the first list, as a drop does: each made a full
   path against the current folder, in the order given; a name that does
   not exist is left out and told of. */
void Take_Named_Files(HWND hWnd, int nArgs, LPCWSTR const *ppArgs)
{
    WCHAR szFull[1024];
    ZeroMemory(&leftOut, sizeof leftOut);

    /* A drop block of the full names, as the shell would make it. */
    SIZE_T nChars = 1;
    for (int i = 0; i < nArgs; i++) {
        const DWORD n = GetFullPathNameW(ppArgs[i], 1024, szFull, NULL);
        nChars += (n > 0 && n < 1024 ? n : (DWORD)lstrlenW(ppArgs[i])) + 1;
    }
    HGLOBAL hDrop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + nChars * sizeof(WCHAR));
    DROPFILES *pDrop = hDrop ? (DROPFILES *)GlobalLock(hDrop) : NULL;
    if (!pDrop) {
        if (hDrop)
            GlobalFree(hDrop);
        Mem_error_MesBox();
        return;
    }
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    LPWSTR p = (LPWSTR)(pDrop + 1);
    for (int i = 0; i < nArgs; i++) {
        const DWORD n = GetFullPathNameW(ppArgs[i], 1024, szFull, NULL);
        LPCWSTR lpszName = n > 0 && n < 1024 ? szFull : ppArgs[i];
        if (GetFileAttributesW(lpszName) == INVALID_FILE_ATTRIBUTES) {
            Note_Left_Out(NAME_MISSING, (const BYTE *)lpszName, TRUE);
            continue;
        }
        const int nName = lstrlenW(lpszName);
        CopyMemory(p, lpszName, nName * sizeof(WCHAR));
        p += nName + 1;
    }
    GlobalUnlock(hDrop);

    Show_Wait_Cursor();
    BOOL bOutOfMemory;
    const UINT nTaken = Take_Drop_Names((HDROP)hDrop, &bOutOfMemory);
    GlobalFree(hDrop);
    if (bOutOfMemory)
        Out_Of_Memory_Box();
    Show_Intake(hWnd, nTaken);
}
