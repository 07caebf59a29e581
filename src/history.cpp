/* Tamsel32: the list's history, for Undo and Redo.  Before each change
   the list as it stands is set aside, packed into one movable block (its
   names one after another, then its selection a bit a row), so that
   however deep the history it holds no handle a name: the list's limit
   and the handles kept free for copying and saving still hold.  Undo puts
   the list back as it was, names, order, selection and top row, and sets
   the one it replaces aside for Redo. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* One side of a change: the list as it stood, and what the change was. */
struct History_Step {
    HGLOBAL hPacked;            /* the names, each with its NUL, then the selection */
    UINT    nNames;
    SIZE_T  nChars;             /* of the names, NULs included */
    int     nFocus, nTop, nLeft, nWidest;
    UINT    idChange;           /* IDS_CHANGE_...: what Undo or Redo names */
};

#define HISTORY_STEPS 64                    /* kept on each side, at the most */
#define HISTORY_BYTES (64 * 1024 * 1024)    /* kept in all, at the most */

static History_Step aUndo[HISTORY_STEPS], aRedo[HISTORY_STEPS];
static UINT nUndo, nRedo;                   /* the newest last */
static SIZE_T nHistoryBytes;

static SIZE_T Step_Bytes(const History_Step *pStep)
{
    return pStep->hPacked ? GlobalSize(pStep->hPacked) : 0;
}

static void Free_Step(History_Step *pStep)
{
    nHistoryBytes -= Step_Bytes(pStep);
    if (pStep->hPacked)
        GlobalFree(pStep->hPacked);
    pStep->hPacked = 0;
}

/* Drops the oldest step of a side. */
static void Drop_Oldest(History_Step *aSteps, UINT *pnSteps)
{
    Free_Step(&aSteps[0]);
    memmove(aSteps, aSteps + 1, (*pnSteps - 1) * sizeof(History_Step));
    (*pnSteps)--;
}

static void Clear_Side(History_Step *aSteps, UINT *pnSteps)
{
    while (*pnSteps)
        Free_Step(&aSteps[--*pnSteps]);
}

/* The step's place in the history, from the list as it stands. */
static void Note_Step(History_Step *pStep, UINT idChange)
{
    pStep->nFocus = nFocusRow;
    pStep->nTop = nVscrollPos;
    pStep->nLeft = nHscrollPos;
    pStep->nWidest = maxfile_name_length;
    pStep->idChange = idChange;
    nHistoryBytes += Step_Bytes(pStep);
}

/* Sets the list as it stands aside in *pStep: its image where it has
   one, else packed in one walk of the list.  FALSE when memory runs out:
   nothing is kept then.  The block starts at a guess of the names'
   length and doubles when they need more.  With bFree the list is let go
   too, in the same walk, whatever becomes of the packing. */
static BOOL Pack_List(History_Step *pStep, UINT idChange, BOOL bFree)
{
    pStep->hPacked = List_Image_Take(&pStep->nNames, &pStep->nChars);
    if (pStep->hPacked) {
        Note_Step(pStep, idChange);
        if (bFree) {
            DeleteAll_StringList(hFNameTopList);
            hFNameTopList = 0;
        }
        return TRUE;
    }
    const SIZE_T nBits = ((SIZE_T)TotalNumberOfFiles + 7) / 8 + 1;
    SIZE_T nRoom = (SIZE_T)TotalNumberOfFiles * 128 + 1;   /* characters: most paths fit */
    HGLOBAL hPacked = GlobalAlloc(GMEM_MOVEABLE, nRoom * sizeof(WCHAR) + nBits);
    LPWSTR pStart = hPacked ? (LPWSTR)GlobalLock(hPacked) : NULL;
    SIZE_T nChars = 0;
    UINT nNames = 0;
    for (HGLOBAL hNode = hFNameTopList, hNext; hNode && (pStart || bFree); hNode = hNext) {
        HGLOBAL hText = 0;
        LPCWSTR lpszName = String_List_Lock_Next(hNode, &hText, &hNext);
        if (bFree) {
            /* A node is its own block and its name's. */
            GlobalFree(hNode);
            if (hText && !lpszName)
                GlobalFree(hText);
        }
        if (!lpszName)
            continue;
        const SIZE_T n = (SIZE_T)lstrlenW(lpszName) + 1;
        if (pStart && nChars + n > nRoom) {
            GlobalUnlock(hPacked);
            const SIZE_T nMore = (nRoom + n) * 2;
            const HGLOBAL hMore = GlobalReAlloc(hPacked, nMore * sizeof(WCHAR) + nBits, GMEM_MOVEABLE);
            if (hMore) {
                hPacked = hMore;
                nRoom = nMore;
            }
            pStart = hMore ? (LPWSTR)GlobalLock(hPacked) : NULL;
        }
        if (pStart) {
            memcpy(pStart + nChars, lpszName, n * sizeof(WCHAR));
            nChars += n;
            nNames++;
        }
        GlobalUnlock(hText);
        if (bFree)
            GlobalFree(hText);
    }
    if (bFree)
        hFNameTopList = 0;
    if (!pStart) {
        if (hPacked)
            GlobalFree(hPacked);
        return FALSE;
    }
    Selection_Bits((BYTE *)(pStart + nChars), nNames);
    GlobalUnlock(hPacked);
    /* Only what it holds, where the guess was long. */
    const SIZE_T nBytes = nChars * sizeof(WCHAR) + (nNames + 7) / 8 + 1;
    if (GlobalSize(hPacked) - nBytes > nBytes / 8) {
        const HGLOBAL hFitted = GlobalReAlloc(hPacked, nBytes, GMEM_MOVEABLE);
        if (hFitted)
            hPacked = hFitted;
    }
    pStep->hPacked = hPacked;
    pStep->nChars = nChars;
    pStep->nNames = nNames;
    Note_Step(pStep, idChange);
    return TRUE;
}

/* The list of the step in place of the one shown: made whole first, so
   that memory running out leaves the list as it was (FALSE). */
static BOOL Unpack_List(HWND hWnd, const History_Step *pStep)
{
    const BYTE *pPacked = (const BYTE *)GlobalLock(pStep->hPacked);
    if (!pPacked)
        return FALSE;
    LPCWSTR p = (LPCWSTR)pPacked;
    HGLOBAL hFirst = 0, hLast = 0;
    for (UINT i = 0; i < pStep->nNames; i++) {
        const UINT n = (UINT)lstrlenW(p) + 1;
        hLast = String_list_add(p, n, hLast);
        if (!hLast) {
            GlobalUnlock(pStep->hPacked);
            DeleteAll_StringList(hFirst);
            return FALSE;
        }
        if (!hFirst)
            hFirst = hLast;
        p += n;
    }
    End_Edits();
    DeleteAll_StringList(hFNameTopList);
    hFNameTopList = hFirst;
    TotalNumberOfFiles = pStep->nNames;
    maxfile_name_length = pStep->nWidest;
    Set_Selection_Bits(pPacked + pStep->nChars * sizeof(WCHAR), pStep->nNames);
    GlobalUnlock(pStep->hPacked);
    Set_Focus_Row(pStep->nFocus < (int)pStep->nNames ? pStep->nFocus : -1);
    Show_List_Place(hWnd, pStep->nTop, pStep->nLeft);
    return TRUE;
}

/* Keeps the history inside its bounds, the oldest steps going first; the
   newest undo step stays whatever it weighs. */
static void Bound_History(void)
{
    while (nHistoryBytes > HISTORY_BYTES && nRedo)
        Drop_Oldest(aRedo, &nRedo);
    while (nHistoryBytes > HISTORY_BYTES && nUndo > 1)
        Drop_Oldest(aUndo, &nUndo);
}

/* The list is about to change by idChange: it is set aside as it stands
   (with bFree let go too, as a change that replaces it does), and what
   could be redone goes.  Where memory runs out, the change still happens
   but cannot be undone, nor can any before it. */
static void Note_Change(UINT idChange, BOOL bFree)
{
    Clear_Side(aRedo, &nRedo);
    if (nUndo == HISTORY_STEPS)
        Drop_Oldest(aUndo, &nUndo);
    if (!Pack_List(&aUndo[nUndo], idChange, bFree)) {
        Clear_Side(aUndo, &nUndo);
        return;
    }
    nUndo++;
    Bound_History();
}

void History_Note(UINT idChange)
{
    Note_Change(idChange, FALSE);
}

/* The list is set aside and emptied: a drop, a paste or the clear
   command replaces it. */
void History_Take(UINT idChange)
{
    Note_Change(idChange, TRUE);
}

/* The same, the list handed back to be replaced: its nodes hold the new
   list's names (String_List_Reuse), and no list holds them any more. */
HGLOBAL History_Hand_Over(UINT idChange)
{
    Note_Change(idChange, FALSE);
    const HGLOBAL hOld = hFNameTopList;
    hFNameTopList = 0;
    return hOld;
}

/* The change just noted turned out to be another: a drop that listed
   folders is a listing. */
void History_Rename(UINT idChange)
{
    if (nUndo)
        aUndo[nUndo - 1].idChange = idChange;
}

/* Moves the newest step of one side back into the window, the list it
   replaces to the other side.  Memory that runs out changes nothing. */
static void Step_Over(HWND hWnd, History_Step *aFrom, UINT *pnFrom, History_Step *aTo, UINT *pnTo)
{
    if (!*pnFrom)
        return;
    History_Step *pStep = &aFrom[*pnFrom - 1];
    History_Step current;
    if (*pnTo == HISTORY_STEPS)
        Drop_Oldest(aTo, pnTo);
    if (!Pack_List(&current, pStep->idChange, FALSE)) {
        Mem_error_MesBox();
        return;
    }
    if (!Unpack_List(hWnd, pStep)) {
        Free_Step(&current);
        Mem_error_MesBox();
        return;
    }
    /* Its block is the image of the list it put back. */
    nHistoryBytes -= Step_Bytes(pStep);
    List_Image_Adopt(pStep->hPacked, pStep->nNames, pStep->nChars);
    pStep->hPacked = 0;
    (*pnFrom)--;
    aTo[(*pnTo)++] = current;
    Bound_History();
    Post_Init_Menu(hWnd);
    if (direct_copy_on == 1 && TotalNumberOfFiles)
        PostMessageA(hWnd, WM_COMMAND, IDM_DIRECTCOPY, 0);
}

void History_Undo(HWND hWnd)
{
    Step_Over(hWnd, aUndo, &nUndo, aRedo, &nRedo);
}

void History_Redo(HWND hWnd)
{
    Step_Over(hWnd, aRedo, &nRedo, aUndo, &nUndo);
}

/* What Undo or Redo would take back or do again; 0 for nothing. */
UINT Undo_Change(void)
{
    return nUndo ? aUndo[nUndo - 1].idChange : 0;
}

UINT Redo_Change(void)
{
    return nRedo ? aRedo[nRedo - 1].idChange : 0;
}

/* The window closes: the history goes. */
void History_Clear(void)
{
    List_Image_Forget();
    Clear_Side(aUndo, &nUndo);
    Clear_Side(aRedo, &nRedo);
}

/* The steps and bytes kept: for the benchmark's and the tests' figures. */
UINT History_Steps(SIZE_T *pnBytes)
{
    if (pnBytes)
        *pnBytes = nHistoryBytes;
    return nUndo + nRedo;
}
