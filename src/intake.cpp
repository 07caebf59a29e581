/* Tamsel32: names taken into the list, dropped from the shell, pasted from
   the clipboard or given on the command line, all by one road; and the
   report of the names the list cannot take.  Names are kept as the shell
   gives them, in UTF-16, whatever their script or length. */
#include <string.h>
#include <windows.h>
#include <shlobj.h>     /* DROPFILES: the layout of a drop block */

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The list spends two movable handles per name, and a process has 65,536
   of them for all its movable blocks.  A drop stops at this many names, so
   that the clipboard text and the dialogs still find handles to work with. */
#define MAX_LIST_NAMES 32000

/* Why a name is left out. */
#define NAME_NOT_A_NAME  0      /* a control character, longer than any path, or a broken block's rest */
#define NAME_MISSING     1      /* names no file or folder (the command line) */
#define NAME_PAST_LIMIT  2      /* past the list's MAX_LIST_NAMES */

/* The names the last intake left out, for the box that tells the user:
   how many for each reason, and the first few as they were given. */
#define LEFT_OUT_SHOWN  5
#define LEFT_OUT_CHARS  100     /* characters shown of each; longer ones are cut */

struct Left_Out {
    UINT  nReason[3];
    UINT  nShown;
    WCHAR szNames[LEFT_OUT_SHOWN][LEFT_OUT_CHARS + 2];   /* room for "…" and the NUL */
};
static Left_Out leftOut;

/* Counts a name left out and keeps its first characters while there is
   room (a broken block's rest has none to show). */
static void Note_Left_Out(int nReason, LPCWSTR lpszName, int nName)
{
    leftOut.nReason[nReason]++;
    if (leftOut.nShown == LEFT_OUT_SHOWN || nName == 0)
        return;
    LPWSTR szShown = leftOut.szNames[leftOut.nShown++];
    int n = nName < LEFT_OUT_CHARS ? nName : LEFT_OUT_CHARS;
    memcpy(szShown, lpszName, (size_t)n * sizeof(WCHAR));
    for (int i = 0; i < n; i++)
        if (szShown[i] < 0x20)
            szShown[i] = 0xFFFD;   /* a line break would split the report's lines */
    if (n > 0 && IS_HIGH_SURROGATE(szShown[n - 1]))
        n--;    /* no half of a pair at the cut */
    if (n < nName)
        szShown[n++] = 0x2026;   /* … */
    szShown[n] = 0;
}

/* Columns a name takes: a character of the East Asian wide kind (kanji,
   kana, hangul, full-width forms, and the pairs beyond the basic plane,
   emoji among them) is about two average characters wide. */
static int Name_Columns(LPCWSTR lpszName, int nName)
{
    int nColumns = 0;
    for (int i = 0; i < nName; i++) {
        const WCHAR c = lpszName[i];
        const BOOL bWide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                           (c >= 0xFFE0 && c <= 0xFFE6) || IS_HIGH_SURROGATE(c);
        nColumns += bWide ? 2 : 1;
        if (IS_HIGH_SURROGATE(c) && i + 1 < nName && IS_LOW_SURROGATE(lpszName[i + 1]))
            i++;
    }
    return nColumns;
}

/* A root keeps its trailing backslash: "\", "X:\", "\\server\share\". */
static BOOL Is_Root(LPCWSTR lpszName, int nName)
{
    if (nName == 1 || (nName == 3 && lpszName[1] == ':'))
        return TRUE;
    if (nName < 2 || lpszName[0] != '\\' || lpszName[1] != '\\')
        return FALSE;
    int nSeparators = 0;   /* after "\\": server\share\ */
    for (int i = 2; i < nName; i++)
        nSeparators += lpszName[i] == '\\';
    return nSeparators == 2;
}

/* The name as a drop gives it, in place: "\\?\" taken off ("\\?\UNC\"
   becomes "\\"), and a trailing backslash unless the name is a root
   ("dir\" is the folder "dir").  Returns the new length. */
static int Plain_Name(LPWSTR lpszName, int nName)
{
    if (nName >= 8 && memcmp(lpszName, L"\\\\?\\UNC\\", 8 * sizeof(WCHAR)) == 0) {
        memmove(lpszName + 2, lpszName + 8, (size_t)(nName - 8) * sizeof(WCHAR));
        nName -= 6;
    } else if (nName >= 4 && memcmp(lpszName, L"\\\\?\\", 4 * sizeof(WCHAR)) == 0) {
        memmove(lpszName, lpszName + 4, (size_t)(nName - 4) * sizeof(WCHAR));
        nName -= 4;
    }
    if (nName > 1 && lpszName[nName - 1] == '\\' && !Is_Root(lpszName, nName))
        nName--;
    lpszName[nName] = 0;
    return nName;
}

/* No Windows file name holds a character below U+0020: a name that does
   would split the copied text into false lines. */
static BOOL Has_Control_Character(LPCWSTR lpszName, int nName)
{
    for (int i = 0; i < nName; i++)
        if (lpszName[i] < 0x20)
            return TRUE;
    return FALSE;
}

/* The length of the NUL-terminated name at p, reading no further than
   pEnd; -1 when no terminator comes before it. */
static int Name_Length(const BYTE *p, const BYTE *pEnd, BOOL bWide)
{
    if (!bWide) {
        const BYTE *pNul = (const BYTE *)memchr(p, 0, (size_t)(pEnd - p));
        return pNul ? (int)(pNul - p) : -1;
    }
    const WCHAR *pw = (const WCHAR *)p;
    const size_t nMax = (size_t)(pEnd - p) / sizeof(WCHAR);
    for (size_t n = 0; n < nMax; n++)
        if (pw[n] == 0)
            return n <= 0x7FFFFFFF ? (int)n : -1;
    return -1;
}

/* ---- The names a drop adds to: a table by a hash of the case-folded
   name, so that adding stays linear however long the list is ---- */

#define TABLE_SLOTS 65536   /* a power of two, at least twice MAX_LIST_NAMES */

struct Name_Slot {
    HGLOBAL hNode;          /* 0: empty */
    DWORD   dwHash;
};

/* Windows compares paths without regard to case. */
static WCHAR Fold(WCHAR c)
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? (WCHAR)(c - 'a' + 'A') : c;
    /* Where CharUpperW is only a stub (Windows 95 and 98) it gives 0: the
       character is then taken as it is, never made equal to another. */
    const WCHAR u = (WCHAR)(ULONG_PTR)CharUpperW((LPWSTR)(ULONG_PTR)c);
    return u ? u : c;
}

static DWORD Name_Hash(LPCWSTR lpszName)
{
    DWORD dwHash = 2166136261u;   /* FNV-1a */
    for (; *lpszName; lpszName++)
        dwHash = (dwHash ^ Fold(*lpszName)) * 16777619u;
    return dwHash;
}

static BOOL Same_Name(LPCWSTR a, LPCWSTR b)
{
    for (; *a && Fold(*a) == Fold(*b); a++, b++)
        ;
    return Fold(*a) == Fold(*b);
}

/* The slot of lpszName: where it is, or the empty one where it would go. */
static Name_Slot *Find_Slot(Name_Slot *pTable, LPCWSTR lpszName, DWORD dwHash)
{
    for (DWORD i = dwHash;; i++) {
        Name_Slot *pSlot = &pTable[i & (TABLE_SLOTS - 1)];
        if (!pSlot->hNode)
            return pSlot;
        if (pSlot->dwHash != dwHash)
            continue;
        HGLOBAL hText;
        LPCWSTR lpszStored = String_List_Lock(pSlot->hNode, &hText);
        const BOOL bSame = lpszStored && Same_Name(lpszStored, lpszName);
        if (lpszStored)
            GlobalUnlock(hText);
        if (bSame)
            return pSlot;
    }
}

/* Enters every name of the list into the table; returns its last node. */
static HGLOBAL Enter_List(Name_Slot *pTable)
{
    HGLOBAL hLast = 0;
    for (HGLOBAL hNode = hFNameTopList; hNode; hNode = String_List_Next(hNode)) {
        HGLOBAL hText;
        LPCWSTR lpszName = String_List_Lock(hNode, &hText);
        if (lpszName) {
            const DWORD dwHash = Name_Hash(lpszName);
            Name_Slot *pSlot = Find_Slot(pTable, lpszName, dwHash);
            GlobalUnlock(hText);
            if (!pSlot->hNode) {
                pSlot->hNode = hNode;
                pSlot->dwHash = dwHash;
            }
        }
        hLast = hNode;
    }
    return hLast;
}

/* Memory ran out part way through taking names.  An intake made while the
   box is up reports its own names: this one's report is kept aside. */
static void Out_Of_Memory_Box(void)
{
    const Left_Out thisDrop = leftOut;
    Mem_error_MesBox();
    leftOut = thisDrop;
}

/* Replaces the list with the names of a drop block (the shell's, the
   clipboard's or the command line's), which it leaves as it is, or with
   bAdd adds to it those it does not hold yet: a wide block's names as
   they are, an ANSI one's (Windows 95 and 98, or an old program's paste)
   from the ANSI code page.  The block is any program's: nothing is read
   outside it.  Returns the number of names in the block, or 0 when it
   holds none the list can take: the old list then stays.  *pbOutOfMemory
   tells that memory ran out part way; the names stored so far are kept. */
static UINT Take_Drop_Names(HDROP hDrop, BOOL bAdd, BOOL *pbOutOfMemory)
{
    WCHAR szName[NAME_MAX_CHARS + 1];

    *pbOutOfMemory = FALSE;
    const SIZE_T nBlock = GlobalSize(hDrop);
    const DROPFILES *pDrop = (const DROPFILES *)GlobalLock(hDrop);
    if (!pDrop)
        return 0;
    Name_Slot *pTable = bAdd ? (Name_Slot *)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, TABLE_SLOTS * sizeof(Name_Slot))
                             : NULL;
    if (bAdd && !pTable) {
        GlobalUnlock(hDrop);
        *pbOutOfMemory = TRUE;
        return 0;
    }
    const BYTE *pEnd = (const BYTE *)pDrop + nBlock;
    const BOOL bHeader = nBlock >= sizeof(DROPFILES) && pDrop->pFiles < nBlock;
    const BOOL bWide = bHeader && pDrop->fWide;
    const BYTE *pNames = bHeader ? (const BYTE *)pDrop + pDrop->pFiles : pEnd;
    const size_t nUnit = bWide ? sizeof(WCHAR) : 1;

    /* The old list goes only when the block brings a name to replace it;
       adding goes on from the list as it is.  Count and width cover only
       the names stored. */
    BOOL bChanged = FALSE;
    UINT nStored = 0, nGiven = 0;
    int nWidest = 0;
    HGLOBAL hLast = 0;
    if (bAdd) {
        hLast = Enter_List(pTable);
        nStored = TotalNumberOfFiles;
        nWidest = maxfile_name_length;
    }
    int nLength;
    while ((nLength = Name_Length(pNames, pEnd, bWide)) > 0) {
        const BYTE *pName = pNames;
        pNames += ((size_t)nLength + 1) * nUnit;
        nGiven++;
        int nName = 0;
        if (!bWide)
            nName = MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pName, nLength, szName, NAME_MAX_CHARS);
        else if (nLength <= NAME_MAX_CHARS) {
            memcpy(szName, pName, (size_t)nLength * sizeof(WCHAR));
            nName = nLength;
        }
        if (nName == 0) {   /* longer than any path Windows has */
            Note_Left_Out(NAME_NOT_A_NAME, bWide ? (LPCWSTR)pName : NULL, bWide ? nLength : 0);
            continue;
        }
        nName = Plain_Name(szName, nName);
        if (nName == 0 || Has_Control_Character(szName, nName)) {
            Note_Left_Out(NAME_NOT_A_NAME, szName, nName);
            continue;
        }
        Name_Slot *pSlot = NULL;
        if (bAdd) {
            const DWORD dwHash = Name_Hash(szName);
            pSlot = Find_Slot(pTable, szName, dwHash);
            if (pSlot->hNode)
                continue;   /* in the list already */
            pSlot->dwHash = dwHash;
        }
        if (nStored == MAX_LIST_NAMES) {
            Note_Left_Out(NAME_PAST_LIMIT, szName, nName);
            continue;
        }
        if (!bAdd && !bChanged) {
            DeleteAll_StringList(hFNameTopList);
            hFNameTopList = 0;
        }
        bChanged = TRUE;
        HGLOBAL hNode = String_list_add(szName, (UINT)nName + 1, hLast);
        if (!hNode) {
            *pbOutOfMemory = TRUE;
            break;
        }
        if (!hFNameTopList)
            hFNameTopList = hNode;
        if (pSlot)
            pSlot->hNode = hNode;
        hLast = hNode;
        nStored++;
        const int nColumns = Name_Columns(szName, nName);
        if (nColumns > nWidest)
            nWidest = nColumns;
    }
    /* Bytes left with no end to them: an unterminated last name, or names
       said to lie outside the block. */
    if (nLength < 0 && (!bHeader || pNames + nUnit <= pEnd))
        Note_Left_Out(NAME_NOT_A_NAME, NULL, 0);
    GlobalUnlock(hDrop);
    if (pTable)
        GlobalFree((HGLOBAL)pTable);
    /* Unchanged: the old list stands, with its count. */
    if (!bChanged)
        return 0;
    TotalNumberOfFiles = nStored;
    maxfile_name_length = nWidest;
    return nGiven;
}

UINT WMDropFiles(WPARAM WParam, HWND)
{
    HDROP hDrop = (HDROP)WParam;
    BOOL bOutOfMemory;

    ZeroMemory(&leftOut, sizeof leftOut);
    /* Shift held while dropping: the other action, as in the shell. */
    const BOOL bAdd = (add_drops_on == 1) != (GetKeyState(VK_SHIFT) < 0);
    const UINT nDropped = Take_Drop_Names(hDrop, bAdd, &bOutOfMemory);
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

/* Tells the user how many names the last intake left out, why, and the
   first few of them.  The box comes over the window as it now stands. */
static void Left_Out_MesBox(HWND hWnd)
{
    /* Taken and cleared before the box, whose message loop may take in
       another drop with a report of its own. */
    const Left_Out report = leftOut;
    ZeroMemory(&leftOut, sizeof leftOut);
    const UINT nLeftOut = report.nReason[NAME_NOT_A_NAME] + report.nReason[NAME_MISSING] +
                          report.nReason[NAME_PAST_LIMIT];
    if (!nLeftOut)
        return;
    UpdateWindow(hWnd);
    static const UINT idReason[3] = {IDS_LEFT_OUT_NOT_NAME, IDS_LEFT_OUT_MISSING, IDS_LEFT_OUT_LIMIT};
    const int nSize = 512 + LEFT_OUT_SHOWN * (LEFT_OUT_CHARS + 3);
    WCHAR szText[nSize];
    WCHAR szLine[256], szCount[12], szCaption[64];

    Number_Text(nLeftOut, szCount);
    Format_Message(IDS_LEFT_OUT, szText, nSize, szCount, NULL);
    for (int i = 0; i < 3; i++) {
        if (!report.nReason[i])
            continue;
        Number_Text(report.nReason[i], szCount);
        Format_Message(idReason[i], szLine, 256, szCount, NULL);
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
static void Show_Intake(HWND hWnd, UINT nTaken, HGLOBAL hKeepDrop = 0, HGLOBAL hKeepEffect = 0)
{
    if (nTaken) {
        CaptionFileOpen(hWnd, TotalNumberOfFiles);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        InvalidateRect(hWnd, NULL, TRUE);
        Post_Init_Menu(hWnd);
        /* A paste's copy goes beside the files pasted, which only it has. */
        if (hKeepDrop)
            Copy_List(hWnd, hKeepDrop, hKeepEffect);
        else if (direct_copy_on == 1 && TotalNumberOfFiles)
            PostMessageA(hWnd, WM_COMMAND, IDM_NAMECOPY, 0);
    }
    Left_Out_MesBox(hWnd);
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

/* ---- Paths pasted as text ---- */

/* An absolute Windows path ("X:\..." or "\\server\share..."): no quote
   and no control character in it. */
static BOOL Is_Path(LPCWSTR p, int n)
{
    const WCHAR c = (WCHAR)(p[0] | 0x20);
    if (n < 3 || !((c >= 'a' && c <= 'z' && p[1] == ':' && p[2] == '\\') ||
                   (p[0] == '\\' && p[1] == '\\' && p[2] != '\\')))
        return FALSE;
    for (int i = 0; i < n; i++)
        if (p[i] < 0x20 || p[i] == '"')
            return FALSE;
    return TRUE;
}

/* The paths of a text in which every non-empty line is one absolute path,
   or such paths each in double quotes with blanks between them (another
   tool's "Copy as path"); 0 when any line is something else: prose is
   never read as names.  When lpszLine is not NULL (2 characters for each
   of the text's, and 4 more), the paths are written there as a command
   line, each in quotes after an empty program name. */
static int Text_Paths(LPCWSTR lpszText, LPWSTR lpszLine)
{
    int nPaths = 0;
    LPWSTR q = lpszLine;
    if (q) {
        *q++ = '"';
        *q++ = '"';
    }
    for (LPCWSTR p = lpszText; *p; ) {
        LPCWSTR a = p, b = p;
        while (*b && *b != '\r' && *b != '\n')
            b++;
        p = b[0] == '\r' && b[1] == '\n' ? b + 2 : *b ? b + 1 : b;
        while (a < b && (*a == ' ' || *a == '\t'))
            a++;
        while (b > a && (b[-1] == ' ' || b[-1] == '\t'))
            b--;
        while (a < b) {
            const BOOL bQuoted = *a == '"';
            LPCWSTR pPath = bQuoted ? a + 1 : a, pEnd = b;
            if (bQuoted) {
                for (pEnd = pPath; pEnd < b && *pEnd != '"'; pEnd++)
                    ;
                if (pEnd == b)
                    return 0;
            }
            if (!Is_Path(pPath, (int)(pEnd - pPath)))
                return 0;
            if (q) {
                *q++ = ' ';
                *q++ = '"';
                memcpy(q, pPath, (size_t)(pEnd - pPath) * sizeof(WCHAR));
                q += pEnd - pPath;
                *q++ = '"';
            }
            nPaths++;
            a = bQuoted ? pEnd + 1 : b;
            if (a < b && *a != ' ' && *a != '\t')
                return 0;   /* text right after a closing quote */
            while (a < b && (*a == ' ' || *a == '\t'))
                a++;
        }
    }
    if (q)
        *q = 0;
    return nPaths;
}

/* TRUE when the clipboard holds something Paste takes: files copied in a
   folder window, or paths written as text. */
BOOL Clipboard_Has_Files(HWND hWnd)
{
    if (IsClipboardFormatAvailable(CF_HDROP))
        return TRUE;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(hWnd))
        return FALSE;
    HANDLE hText = GetClipboardData(CF_UNICODETEXT);
    LPCWSTR lpszText = hText ? (LPCWSTR)GlobalLock(hText) : NULL;
    const BOOL bPaths = lpszText && Text_Paths(lpszText, NULL) > 0;
    if (lpszText)
        GlobalUnlock(hText);
    CloseClipboard();
    return bPaths;
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
    if (!hDrop) {
        /* Paths written as text: taken as a command line's names are. */
        HANDLE hText = GetClipboardData(CF_UNICODETEXT);
        LPCWSTR lpszText = hText ? (LPCWSTR)GlobalLock(hText) : NULL;
        HGLOBAL hLine = lpszText ? GlobalAlloc(GMEM_MOVEABLE, ((SIZE_T)lstrlenW(lpszText) * 2 + 4) * sizeof(WCHAR)) : 0;
        LPWSTR lpszLine = hLine ? (LPWSTR)GlobalLock(hLine) : NULL;
        const int nPaths = lpszLine ? Text_Paths(lpszText, lpszLine) : 0;
        if (lpszText)
            GlobalUnlock(hText);
        CloseClipboard();
        if (nPaths)
            Take_Named_Files(hWnd, lpszLine);
        else if (lpszText && !lpszLine)
            Mem_error_MesBox();
        if (hLine) {
            GlobalUnlock(hLine);
            GlobalFree(hLine);
        }
        return;
    }
    const UINT nTaken = Take_Drop_Names(hDrop, add_drops_on == 1, &bOutOfMemory);
    /* The files the user copied stay on the clipboard beside the copied
       names: a Cut can still be completed in a folder window. */
    HGLOBAL hKeepDrop = 0, hKeepEffect = 0;
    if (nTaken && direct_copy_on == 1 && (hKeepDrop = Copy_Block(hDrop)) != 0)
        hKeepEffect = Copy_Block(GetClipboardData(RegisterClipboardFormatA(SZ_DROP_EFFECT)));
    CloseClipboard();
    if (bOutOfMemory)
        Out_Of_Memory_Box();
    Show_Intake(hWnd, nTaken, hKeepDrop, hKeepEffect);
}

/* ---- The command line ---- */

/* "X:\..." or "\\server\...": a name no folder is put before. */
static BOOL Is_Absolute(LPCWSTR lpszName)
{
    return (lpszName[0] && lpszName[1] == ':' && lpszName[2] == '\\') ||
           (lpszName[0] == '\\' && lpszName[1] == '\\');
}

/* The full path of a name given, into lpszFull of nSize characters, or
   its size with the terminator when lpszFull is NULL; 0 when it cannot be
   had.  A name already absolute is taken as it is: the system would drop
   its trailing dots and blanks, and "foo." names another file than "foo". */
static DWORD Full_Path(LPCWSTR lpszName, LPWSTR lpszFull, DWORD nSize)
{
    if (Is_Absolute(lpszName)) {
        const DWORD n = (DWORD)lstrlenW(lpszName) + 1;
        if (lpszFull && n <= nSize)
            memcpy(lpszFull, lpszName, n * sizeof(WCHAR));
        return n;
    }
    const DWORD n = Full_Path_Name(lpszName, nSize, lpszFull);
    /* Asked to fill, the system counts without the terminator. */
    return lpszFull && n > 0 && n < nSize ? n + 1 : n;
}

/* The next argument of a command line at *pp, into lpszArg (at least as
   long as the line), and *pp moved past it; FALSE at the line's end.  A
   quote only toggles: no file name holds one.  A backslash is always
   itself, so "X:\dir\" is the folder and not an escaped quote. */
static BOOL Next_Argument(LPCWSTR *pp, LPWSTR lpszArg)
{
    LPCWSTR p = *pp;
    while (*p == ' ' || *p == '\t')
        p++;
    if (!*p)
        return FALSE;
    BOOL bQuoted = FALSE;
    for (; *p && (bQuoted || (*p != ' ' && *p != '\t')); p++)
        if (*p == '"')
            bQuoted = !bQuoted;
        else
            *lpszArg++ = *p;
    *lpszArg = 0;
    *pp = p;
    return TRUE;
}

/* The names given on a command line (by Send To, or a drop on the
   program's icon) become the first list, as a drop does: each made a full
   path against the current folder, in the order given; a name that does
   not exist is left out and told of, an empty one ("") passed over. */
void Take_Named_Files(HWND hWnd, LPCWSTR lpszCmdLine)
{
    ZeroMemory(&leftOut, sizeof leftOut);
    const SIZE_T nLine = (SIZE_T)lstrlenW(lpszCmdLine) + 1;
    HGLOBAL hArg = GlobalAlloc(GMEM_MOVEABLE, nLine * sizeof(WCHAR));
    LPWSTR lpszArg = hArg ? (LPWSTR)GlobalLock(hArg) : NULL;
    HGLOBAL hDrop = 0;
    DROPFILES *pDrop = NULL;
    int nArgs = 0;
    /* Two walks: the first sizes the drop block, the second fills it. */
    for (int nWalk = 0; lpszArg && nWalk < 2; nWalk++) {
        SIZE_T nChars = 1;
        LPWSTR p = pDrop ? (LPWSTR)(pDrop + 1) : NULL;
        LPCWSTR pLine = lpszCmdLine;
        Next_Argument(&pLine, lpszArg);   /* the program's own name */
        while (Next_Argument(&pLine, lpszArg)) {
            if (!lpszArg[0])
                continue;
            const DWORD nFull = Full_Path(lpszArg, NULL, 0);
            if (!p) {
                nChars += nFull ? nFull : (DWORD)lstrlenW(lpszArg) + 1;
                nArgs++;
                continue;
            }
            const BOOL bFull = nFull && Full_Path(lpszArg, p, nFull) == nFull;
            if (!bFull || File_Attributes(p) == INVALID_FILE_ATTRIBUTES) {
                LPCWSTR lpszShown = bFull ? p : lpszArg;
                Note_Left_Out(NAME_MISSING, lpszShown, lstrlenW(lpszShown));
                continue;
            }
            p += nFull;
        }
        if (p)
            *p = 0;   /* the names end here, whatever a name left out wrote past it */
        if (!nArgs)
            break;
        if (!pDrop) {
            hDrop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + nChars * sizeof(WCHAR));
            pDrop = hDrop ? (DROPFILES *)GlobalLock(hDrop) : NULL;
            if (!pDrop)
                break;
            pDrop->pFiles = sizeof(DROPFILES);
            pDrop->fWide = TRUE;
        }
    }
    if (hArg) {
        GlobalUnlock(hArg);
        GlobalFree(hArg);
    }
    if (lpszArg && !nArgs)
        return;
    if (!pDrop) {
        if (hDrop)
            GlobalFree(hDrop);
        Mem_error_MesBox();
        return;
    }
    GlobalUnlock(hDrop);

    Show_Wait_Cursor();
    BOOL bOutOfMemory;
    const UINT nTaken = Take_Drop_Names((HDROP)hDrop, add_drops_on == 1, &bOutOfMemory);
    GlobalFree(hDrop);
    if (bOutOfMemory)
        Out_Of_Memory_Box();
    Show_Intake(hWnd, nTaken);
}
