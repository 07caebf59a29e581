/* Tamsel32: the one road of every name into the list, whichever source
   hands it over (a drop, a paste, the command line).  Each name is
   resolved to the form Windows opens (resolve.cpp), checked against the
   disk where the user typed or pasted it, kept once when the list grows,
   and held to the list's limit; what the list cannot take is counted for
   one report. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The names the last intake left out, for the box that tells the user:
   how many for each reason, and the first few as they were given. */
#define LEFT_OUT_SHOWN  5
#define LEFT_OUT_CHARS  100     /* characters shown of each; longer ones are cut */

struct Left_Out {
    UINT  nReason[NAME_REASONS];
    UINT  nShown;
    UINT  nUnshown;             /* with a text, but past the ones shown */
    BOOL  bWalkStopped;         /* a folder's walk stopped: with Esc, */
    BOOL  bWalkLimit;           /* or at the list's limit */
    WCHAR szNames[LEFT_OUT_SHOWN][LEFT_OUT_CHARS + 2];   /* room for "…" and the NUL */
};
static Left_Out leftOut;

/* Counts a name left out and keeps its first characters while there is
   room.  A broken block's rest has no text (nName 0): it is counted, and
   neither shown nor among the "more". */
void Note_Left_Out(int nReason, LPCWSTR lpszName, int nName)
{
    leftOut.nReason[nReason]++;
    if (nName == 0)
        return;
    if (leftOut.nShown == LEFT_OUT_SHOWN) {
        leftOut.nUnshown++;
        return;
    }
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

/* A folder's walk ended before its end. */
void Note_Walk_Ended(BOOL bStopped)
{
    if (bStopped)
        leftOut.bWalkStopped = TRUE;
    else
        leftOut.bWalkLimit = TRUE;
}

/* Columns a name takes: a character of the East Asian wide kind (kanji,
   kana, hangul, full-width forms, and the pairs beyond the basic plane,
   emoji among them) is about two average characters wide. */
int Name_Columns(LPCWSTR lpszName, int nName)
{
    /* Most names hold no such character: those are counted at once. */
    int nColumns = 0;
    while (nColumns < nName && lpszName[nColumns] < 0x1100)
        nColumns++;
    for (int i = nColumns; i < nName; i++) {
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

/* ---- The names an adding intake finds listed: a table by a hash of the
   case-folded name, so that adding stays linear however long the list ---- */

#define TABLE_SLOTS 65536   /* a power of two, at least twice MAX_LIST_NAMES */

struct Name_Slot {
    HGLOBAL hNode;          /* 0: empty */
    DWORD   dwHash;
};

/* Windows compares paths without regard to case. */
WCHAR Fold_Case(WCHAR c)
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
        dwHash = (dwHash ^ Fold_Case(*lpszName)) * 16777619u;
    return dwHash;
}

static BOOL Same_Name(LPCWSTR a, LPCWSTR b)
{
    for (; *a && Fold_Case(*a) == Fold_Case(*b); a++, b++)
        ;
    return Fold_Case(*a) == Fold_Case(*b);
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

/* ---- The road ---- */

/* Starts an intake that replaces the list with the names it takes, or
   with bAdd adds those the list does not hold yet; idChange names the
   change for Undo.  The list changes only
   once a name is taken; the report starts empty. */
void Intake_Begin(Name_Intake *pIntake, BOOL bAdd, UINT idChange)
{
    pIntake->idChange = idChange;
    pIntake->bWalked = FALSE;
    ZeroMemory(&leftOut, sizeof leftOut);
    pIntake->bOutOfMemory = FALSE;
    pIntake->bChanged = FALSE;
    pIntake->nCharsLikely = 0;
    pIntake->nTaken = 0;
    pIntake->nStored = 0;
    pIntake->nWidest = 0;
    pIntake->hLast = 0;
    pIntake->hSpare = 0;
    pIntake->pTable = NULL;
    pIntake->bInWalk = FALSE;
    pIntake->hRunFirst = pIntake->hAfter = 0;
    if (!bAdd)
        return;
    pIntake->pTable = (Name_Slot *)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, TABLE_SLOTS * sizeof(Name_Slot));
    if (!pIntake->pTable) {
        pIntake->bOutOfMemory = TRUE;
        return;
    }
    pIntake->hLast = Enter_List(pIntake->pTable);
    pIntake->nStored = TotalNumberOfFiles;
    pIntake->nWidest = maxfile_name_length;
}

/* ---- A walk that adds to the list puts its new names where they stand
   among those listed already, in the walk's order: a folder listed once
   as its files and listed again with Folders Too gets each folder's row
   before its files, not at the end ---- */

/* Moves the nodes hFirst to hLast, the list's end, to before hBefore. */
static void Move_End_Before(Name_Intake *pIntake, HGLOBAL hFirst, HGLOBAL hBefore)
{
    const HGLOBAL hKept = String_List_Back(hFirst), hAbove = String_List_Back(hBefore);
    String_List_Link(hKept, 0);
    String_List_Link(hAbove, hFirst);
    String_List_Link(pIntake->hLast, hBefore);
    if (!hAbove)
        hFNameTopList = hFirst;
    pIntake->hLast = hKept;
}

/* The walk met hListed, a name listed already: new names it found before
   go before it, and the next ones after it. */
static void Walk_Met_Listed(Name_Intake *pIntake, HGLOBAL hListed)
{
    if (pIntake->hRunFirst) {
        Move_End_Before(pIntake, pIntake->hRunFirst, hListed);
        pIntake->hRunFirst = 0;
        Forget_Top_Node();
        Reset_Selection();   /* rows moved under it */
    }
    pIntake->hAfter = hListed;
}

/* hNode, just added at the end, goes where the walk stands. */
static void Walk_Place_New(Name_Intake *pIntake, HGLOBAL hNode)
{
    if (!pIntake->hAfter) {
        if (!pIntake->hRunFirst)
            pIntake->hRunFirst = hNode;
        return;
    }
    const HGLOBAL hNext = String_List_Next(pIntake->hAfter);
    if (hNext != hNode) {
        pIntake->hLast = String_List_Back(hNode);
        String_List_Link(pIntake->hLast, 0);
        String_List_Link(pIntake->hAfter, hNode);
        String_List_Link(hNode, hNext);
        Forget_Top_Node();
        Reset_Selection();
    }
    pIntake->hAfter = hNode;
}

/* A walk has ended: the next one starts afresh. */
void Intake_Walk_Ended(Name_Intake *pIntake)
{
    pIntake->hRunFirst = pIntake->hAfter = 0;
}

/* Takes one name (nName characters, a NUL after them, or past the longest
   path only its first ones are read), which with bMustExist must name a
   file or folder.  FALSE once memory ran out: the source stops there. */
BOOL Intake_Name(Name_Intake *pIntake, LPCWSTR lpszName, int nName, BOOL bMustExist)
{
    if (pIntake->bOutOfMemory)
        return FALSE;
    LPWSTR szName = pIntake->szName;
    const int n = nName > 0 && nName <= NAME_MAX_CHARS ? Resolve_Name(lpszName, nName, szName) : 0;
    if (n == 0) {
        Note_Left_Out(NAME_NOT_A_NAME, lpszName, nName);
        return TRUE;
    }
    if (bMustExist && File_Attributes(szName) == INVALID_FILE_ATTRIBUTES) {
        Note_Left_Out(NAME_MISSING, szName, n);
        return TRUE;
    }
    if (folder_contents_on == 1 && !pIntake->bInWalk) {
        /* A folder, not a link to one: its contents in its place. */
        const DWORD dwAttributes = File_Attributes(szName);
        if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return Walk_Folder(pIntake, szName, n);
    }
    Name_Slot *pSlot = NULL;
    if (pIntake->pTable) {
        const DWORD dwHash = Name_Hash(szName);
        pSlot = Find_Slot(pIntake->pTable, szName, dwHash);
        if (pSlot->hNode) {
            pIntake->nTaken++;   /* listed already */
            if (pIntake->bInWalk)
                Walk_Met_Listed(pIntake, pSlot->hNode);
            return TRUE;
        }
        pSlot->dwHash = dwHash;
    }
    if (pIntake->nStored == MAX_LIST_NAMES) {
        Note_Left_Out(NAME_PAST_LIMIT, szName, n);
        return TRUE;
    }
    if (!pIntake->bChanged) {
        /* The list changes: set aside for Undo, nothing stays selected.
           The old list goes only when a name comes to replace it, and its
           blocks take the new names: fewer to free and to allocate. */
        if (pIntake->pTable) {
            History_Note(pIntake->idChange);
        } else {
            pIntake->hSpare = History_Hand_Over(pIntake->idChange);
            List_Image_Begin(pIntake->nCharsLikely);   /* a new list, in the order taken */
        }
        End_Edits();
    }
    /* Counted before it is stored: a name that memory then fails still
       changed the list, which the window must show. */
    pIntake->bChanged = TRUE;
    pIntake->nTaken++;
    HGLOBAL hNode = String_List_Reuse(&pIntake->hSpare, szName, (UINT)n + 1, pIntake->hLast);
    if (!hNode) {
        pIntake->bOutOfMemory = TRUE;
        return FALSE;
    }
    if (!hFNameTopList)
        hFNameTopList = hNode;
    pIntake->hLast = hNode;
    if (pSlot) {
        pSlot->hNode = hNode;
        if (pIntake->bInWalk)
            Walk_Place_New(pIntake, hNode);
    }
    if (!pIntake->pTable)   /* a new list */
        List_Image_Add(szName, (SIZE_T)n + 1);
    pIntake->nStored++;
    const int nColumns = Name_Columns(szName, n);
    if (nColumns > pIntake->nWidest)
        pIntake->nWidest = nColumns;
    return TRUE;
}

/* Ends the intake: the count and the width follow the names stored.
   Returns the names taken (stored, found listed, or lost as memory ran
   out), 0 for none: the list then stands as it was. */
UINT Intake_End(Name_Intake *pIntake)
{
    if (pIntake->bChanged && !pIntake->pTable)   /* a new list: its image is whole unless memory ran out */
        List_Image_End(!pIntake->bOutOfMemory);
    if (pIntake->pTable)
        GlobalFree((HGLOBAL)pIntake->pTable);
    pIntake->pTable = NULL;
    DeleteNext_StringList(pIntake->hSpare);   /* what the new names did not take */
    pIntake->hSpare = 0;
    if (pIntake->bChanged) {
        TotalNumberOfFiles = pIntake->nStored;
        maxfile_name_length = pIntake->nWidest;
        if (pIntake->bWalked)
            History_Rename(IDS_CHANGE_LISTING);
    }
    return pIntake->nTaken;
}

/* Memory ran out part way through taking names.  An intake made while the
   box is up reports its own names: this one's report is kept aside. */
void Out_Of_Memory_Box(void)
{
    const Left_Out thisIntake = leftOut;
    Mem_error_MesBox();
    leftOut = thisIntake;
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
   first few of them, under the headline idHeadline (its "%1" the count).
   Nothing to tell and bAlways FALSE: no box.  The box comes over the
   window as it now stands. */
static void Left_Out_MesBox(HWND hWnd, UINT idHeadline, BOOL bAlways)
{
    /* Taken and cleared before the box, whose message loop may take in
       another drop with a report of its own. */
    const Left_Out report = leftOut;
    ZeroMemory(&leftOut, sizeof leftOut);
    UINT nLeftOut = 0;
    for (int i = 0; i < NAME_REASONS; i++)
        nLeftOut += report.nReason[i];
    const BOOL bWalkEnded = report.bWalkStopped || report.bWalkLimit;
    if ((!nLeftOut && !bWalkEnded && !bAlways) || bCloseAfterWalk)
        return;   /* nothing to tell, or the window is closing */
    UpdateWindow(hWnd);
    static const UINT idReason[NAME_REASONS] = {IDS_LEFT_OUT_NOT_NAME, IDS_LEFT_OUT_MISSING, IDS_LEFT_OUT_LIMIT,
                                                IDS_LEFT_OUT_UNREADABLE, IDS_LEFT_OUT_RELATIVE};
    const int nSize = 512 + LEFT_OUT_SHOWN * (LEFT_OUT_CHARS + 3);
    WCHAR szText[nSize];
    WCHAR szLine[256], szCount[12], szCaption[64];

    Number_Text(nLeftOut, szCount);
    szText[0] = 0;
    if (nLeftOut || bAlways)
        Format_Message(idHeadline, szText, nSize, szCount, NULL);
    if (report.bWalkStopped || report.bWalkLimit) {
        Load_Message(report.bWalkStopped ? IDS_WALK_STOPPED : IDS_WALK_LIMIT, szLine, 256);
        Append_Text(szText, nSize, szLine + (szText[0] ? 0 : 1));   /* no line break before a first line */
    }
    for (int i = 0; i < NAME_REASONS; i++) {
        if (!report.nReason[i])
            continue;
        Number_Text(report.nReason[i], szCount);
        Format_Message(idReason[i], szLine, 256, szCount, NULL);
        Append_Text(szText, nSize, szLine);
    }
    if (nLeftOut)
        Append_Text(szText, nSize, L"\n");
    for (UINT i = 0; i < report.nShown; i++) {
        Append_Text(szText, nSize, L"\n");
        Append_Text(szText, nSize, report.szNames[i]);
    }
    if (report.nUnshown) {
        Number_Text(report.nUnshown, szCount);
        Format_Message(IDS_LEFT_OUT_MORE, szLine, 256, szCount, NULL);
        Append_Text(szText, nSize, szLine);
    }
    Load_Message(IDS_LEFT_OUT_CAP, szCaption, 64);
    MessageBoxW(hWnd, szText, szCaption, MB_OK | MB_ICONEXCLAMATION);
}

/* A paste that named no file or folder: the list stays, and the box says
   so, with what was left out. */
void No_Names_MesBox(HWND hWnd)
{
    Left_Out_MesBox(hWnd, IDS_PASTE_NONE, TRUE);
}

/* After names were taken in (nTaken of them, 0 for none): bring the
   caption, the scroll state, the picture and the menu up to date; with
   direct copy on, copy next, the whole list.  Names left out are told of
   last, over the new list, by which time the posted copy has put the
   names kept on the clipboard.  A paste's files (hKeepDrop, hKeepEffect)
   go beside its copy. */
void Show_Intake(HWND hWnd, UINT nTaken, HGLOBAL hKeepDrop, HGLOBAL hKeepEffect)
{
    if (nTaken) {
        Show_List_Size(hWnd, TRUE);
        Post_Init_Menu(hWnd);
        if (hKeepDrop)
            Copy_List(hWnd, FALSE, hKeepDrop, hKeepEffect);
        else if (direct_copy_on == 1 && TotalNumberOfFiles)
            PostMessageA(hWnd, WM_COMMAND, IDM_DIRECTCOPY, 0);
    }
    Left_Out_MesBox(hWnd, IDS_LEFT_OUT, FALSE);
}
