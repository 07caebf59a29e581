/* Tamsel32: the rows the user chooses, as in a list box of extended
   selection: a click, with Ctrl or Shift, and a drag; the arrows, Page Up
   and Down, Home and End, with Shift or Ctrl; Ctrl+Space and Esc.  The
   focus row, which the view follows.  The list's context menu. */
#include <string.h>
#include <windows.h>
#include <windowsx.h>   /* GET_X_LPARAM, GET_Y_LPARAM */

#include "TAMSEL.H"

int  nFocusRow = -1;
BOOL bFocusCue;
UINT nSelectedRows;

/* A bit a row: 4,000 bytes for the longest list. */
static BYTE abSelected[(MAX_LIST_NAMES + 7) / 8];
static int  nAnchorRow;             /* where Shift and a drag extend from */
static BOOL bDragging;              /* the left button went down on a name and is held */
static BOOL bPressOnSelected;       /* it went down on a name selected: a drag out of them, or a click */
static POINT ptPress;               /* where */
static int  nDragStep;              /* rows a tick of the timer moves while the pointer is above or below */

#define DRAG_TIMER    1
#define DRAG_TIMER_MS 50

BOOL Row_Selected(int nRow)
{
    return nRow >= 0 && nRow < MAX_LIST_NAMES && ((abSelected[nRow >> 3] >> (nRow & 7)) & 1);
}

void Select_Row(int nRow, BOOL bSelect)
{
    if (nRow < 0 || nRow >= MAX_LIST_NAMES || Row_Selected(nRow) == (bSelect != FALSE))
        return;
    abSelected[nRow >> 3] ^= (BYTE)(1 << (nRow & 7));
    nSelectedRows += bSelect ? 1 : (UINT)-1;
}

void Clear_Selection(void)
{
    ZeroMemory(abSelected, sizeof abSelected);
    nSelectedRows = 0;
}

/* A new list: nothing selected, no focus row, no cue. */
void Reset_Selection(void)
{
    Clear_Selection();
    nFocusRow = -1;
    nAnchorRow = 0;
    bFocusCue = FALSE;
}

/* The selection of the first nRows rows, a bit a row, into pBits; and
   back from it, no other row selected. */
void Selection_Bits(BYTE *pBits, UINT nRows)
{
    memcpy(pBits, abSelected, (nRows + 7) / 8);
    if (nRows % 8)
        pBits[nRows / 8] &= (BYTE)((1 << (nRows % 8)) - 1);
}

void Set_Selection_Bits(const BYTE *pBits, UINT nRows)
{
    Clear_Selection();
    if (nRows > MAX_LIST_NAMES)
        nRows = MAX_LIST_NAMES;
    memcpy(abSelected, pBits, (nRows + 7) / 8);
    if (nRows % 8)
        abSelected[nRows / 8] &= (BYTE)((1 << (nRows % 8)) - 1);
    for (UINT i = 0; i < (nRows + 7) / 8; i++)
        for (BYTE b = abSelected[i]; b; b &= (BYTE)(b - 1))
            nSelectedRows++;
}

/* The focus, and the anchor with it, on nRow (-1 for none). */
void Set_Focus_Row(int nRow)
{
    nFocusRow = nRow;
    nAnchorRow = nRow > 0 ? nRow : 0;
}

/* The rows from a to b, either way round, and no others. */
static void Select_Range(int a, int b)
{
    Clear_Selection();
    for (int i = a < b ? a : b; i <= (a < b ? b : a); i++)
        Select_Row(i, TRUE);
}

/* ---- Only the rows whose look changes are painted: their state when a
   change begins, for the rows shown then ---- */

#define MAX_NOTED_ROWS 1024     /* more rows than any screen shows */

static int  nNotedFrom, nNotedRows, nNotedFocus;
static BOOL bNotedCue;
static BYTE abNoted[MAX_NOTED_ROWS];

void Begin_Row_Change(void)
{
    nNotedFrom = nVscrollPos;
    nNotedRows = nPageMaxLines < MAX_NOTED_ROWS ? nPageMaxLines : MAX_NOTED_ROWS;
    for (int i = 0; i < nNotedRows; i++)
        abNoted[i] = (BYTE)Row_Selected(nNotedFrom + i);
    nNotedFocus = nFocusRow;
    bNotedCue = bFocusCue;
}

/* Paints the row again where it is shown now. */
void Invalidate_Row(HWND hWnd, int nRow)
{
    if (nRow < nVscrollPos || nRow >= nVscrollPos + nPageMaxLines)
        return;
    RECT rc;
    GetClientRect(hWnd, &rc);
    rc.top = (nRow - nVscrollPos) * yChar;
    rc.bottom = rc.top + yChar;
    InvalidateRect(hWnd, &rc, TRUE);
}

void End_Row_Change(HWND hWnd)
{
    for (int i = 0; i < nNotedRows; i++)
        if (Row_Selected(nNotedFrom + i) != abNoted[i])
            Invalidate_Row(hWnd, nNotedFrom + i);
    if (nFocusRow != nNotedFocus || bFocusCue != bNotedCue) {
        Invalidate_Row(hWnd, nNotedFocus);
        Invalidate_Row(hWnd, nFocusRow);
    }
    Show_Status();
}

/* ---- The keys ---- */

/* Moves the focus to nRow, kept inside the list: the row alone selected,
   or with bExtend the rows from the anchor, or with bKeep the selection as
   it is.  The view follows. */
static void Move_Focus(HWND hWnd, int nRow, BOOL bExtend, BOOL bKeep)
{
    const int nLast = (int)TotalNumberOfFiles - 1;
    if (nLast < 0)
        return;
    nRow = nRow < 0 ? 0 : nRow > nLast ? nLast : nRow;
    Begin_Row_Change();
    if (bExtend) {
        Select_Range(nAnchorRow, nRow);
    } else if (!bKeep) {
        Select_Range(nRow, nRow);
        nAnchorRow = nRow;
    }
    nFocusRow = nRow;
    bFocusCue = TRUE;
    Scroll_Into_View(hWnd, nRow);
    End_Row_Change(hWnd);
}

/* WM_KEYDOWN: 1 when the key was the selection's. */
int wm_KEYDOWN_select(HWND hWnd, WPARAM wParam)
{
    const BOOL bShift = GetKeyState(VK_SHIFT) < 0, bCtrl = GetKeyState(VK_CONTROL) < 0;
    /* With no focus yet, the first key takes the top row shown. */
    const BOOL bNone = nFocusRow < 0;
    const int nFrom = bNone ? nVscrollPos : nFocusRow;
    const int nTop = nVscrollPos, nBottom = nVscrollPos + Whole_Rows() - 1;
    const int nPage = Whole_Rows() > 1 ? Whole_Rows() - 1 : 1;
    int nRow;

    switch (wParam) {
    case VK_UP:     nRow = bNone ? nFrom : nFrom - 1; break;
    case VK_DOWN:   nRow = bNone ? nFrom : nFrom + 1; break;
    /* A page key goes to the edge of the view, and from there a page on. */
    case VK_PRIOR:  nRow = nFrom > nTop && nFrom <= nBottom ? nTop : nFrom - nPage; break;
    case VK_NEXT:   nRow = nFrom >= nTop && nFrom < nBottom ? nBottom : nFrom + nPage; break;
    case VK_HOME:   nRow = 0; break;
    case VK_END:    nRow = (int)TotalNumberOfFiles - 1; break;
    case VK_SPACE:
        if (!bCtrl || bNone)
            return 0;
        Begin_Row_Change();
        Select_Row(nFocusRow, !Row_Selected(nFocusRow));
        nAnchorRow = nFocusRow;
        bFocusCue = TRUE;
        End_Row_Change(hWnd);
        return 1;
    case VK_ESCAPE:
        Begin_Row_Change();
        Clear_Selection();
        End_Row_Change(hWnd);
        return 1;
    default:
        return 0;
    }
    /* Ctrl with an arrow moves the focus alone; with the other keys it
       changes nothing. */
    Move_Focus(hWnd, nRow, bShift, bCtrl && !bShift && (wParam == VK_UP || wParam == VK_DOWN));
    return 1;
}

/* ---- Type-ahead: letters go to the next name that begins with them,
   as in a list box; keys within a second of each other make one
   prefix ---- */

#define TYPED_MAX   64
#define TYPED_MS    1000

static WCHAR szTyped[TYPED_MAX];
static int   nTyped;
static DWORD dwTypedAt;
static BYTE  bLeadByte;         /* the first byte of a character of two (the window's code page) */

/* The row from nFrom on, round past the end, whose file name begins with
   the n characters typed; -1 for none. */
static int Row_Beginning(int nFrom, int n)
{
    const int nRows = (int)TotalNumberOfFiles;
    HGLOBAL hNode = String_List_Seek(hFNameTopList, nFrom);
    for (int i = 0; i < nRows; i++) {
        const int nRow = (nFrom + i) % nRows;
        if (!hNode)
            hNode = hFNameTopList;   /* round to the top */
        HGLOBAL hText, hNext;
        LPCWSTR lpszName = String_List_Lock_Next(hNode, &hText, &hNext);
        if (lpszName) {
            LPCWSTR lpszFile = File_Name_Of(lpszName);
            int k = 0;
            while (k < n && lpszFile[k] && Fold_Case(lpszFile[k]) == Fold_Case(szTyped[k]))
                k++;
            GlobalUnlock(hText);
            if (k == n)
                return nRow;
        }
        hNode = hNext;
    }
    return -1;
}

/* WM_CHAR (a byte of the code page, the window being an ANSI one). */
BOOL Type_Ahead(HWND hWnd, WPARAM wChar, DWORD dwTime)
{
    char sz[2];
    int nBytes = 0;
    if (bLeadByte) {
        sz[0] = (char)bLeadByte;
        sz[1] = (char)wChar;
        nBytes = 2;
        bLeadByte = 0;
    } else if (IsDBCSLeadByte((BYTE)wChar)) {
        bLeadByte = (BYTE)wChar;
        return TRUE;
    } else {
        sz[0] = (char)wChar;
        nBytes = 1;
    }
    WCHAR c;
    if ((BYTE)sz[0] < 0x20 || !TotalNumberOfFiles || MultiByteToWideChar(CP_ACP, 0, sz, nBytes, &c, 1) != 1)
        return FALSE;
    if (dwTime - dwTypedAt > TYPED_MS)
        nTyped = 0;
    dwTypedAt = dwTime;
    if (nTyped < TYPED_MAX)
        szTyped[nTyped++] = c;
    /* A first letter looks on from the row after the focus, more letters
       from the focus row itself; the same letter again goes on to the
       next name that begins with it. */
    BOOL bRepeated = nTyped > 1;
    for (int i = 1; i < nTyped; i++)
        bRepeated &= Fold_Case(szTyped[i]) == Fold_Case(szTyped[0]);
    const int nFocus = nFocusRow < 0 ? -1 : nFocusRow;
    int nRow = Row_Beginning(nTyped == 1 ? nFocus + 1 : (nFocus < 0 ? 0 : nFocus), nTyped);
    if (nRow < 0 && bRepeated)
        nRow = Row_Beginning(nFocus + 1, 1);
    if (nRow >= 0)
        Move_Focus(hWnd, nRow, FALSE, FALSE);
    return TRUE;
}

/* ---- The mouse ---- */

/* The row under a point of the client area, counted from the list's top. */
static int Row_At(int y)
{
    return nVscrollPos + (y >= 0 ? y / yChar : -1 - (-y - 1) / yChar);
}

void wm_LBUTTONDOWN_select(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
    SetFocus(hWnd);
    const int nRow = Row_At(GET_Y_LPARAM(lParam));
    Begin_Row_Change();
    if (nRow < (int)TotalNumberOfFiles && Row_Selected(nRow) && !(wParam & (MK_SHIFT | MK_CONTROL))) {
        /* On a name selected: the selection stays for a drag out of it;
           let go without moving, it is a click on that name. */
        bPressOnSelected = TRUE;
        ptPress.x = GET_X_LPARAM(lParam);
        ptPress.y = GET_Y_LPARAM(lParam);
        nFocusRow = nRow;
        bFocusCue = TRUE;
        End_Row_Change(hWnd);
        SetCapture(hWnd);
        return;
    }
    if (nRow >= (int)TotalNumberOfFiles) {
        Clear_Selection();   /* below the last name */
    } else if (wParam & MK_SHIFT) {
        Select_Range(nAnchorRow, nRow);
        nFocusRow = nRow;
    } else {
        if (wParam & MK_CONTROL)
            Select_Row(nRow, !Row_Selected(nRow));
        else
            Select_Range(nRow, nRow);
        nFocusRow = nAnchorRow = nRow;
    }
    if (nRow < (int)TotalNumberOfFiles)
        bFocusCue = TRUE;
    End_Row_Change(hWnd);
    if (nRow < (int)TotalNumberOfFiles && !(wParam & MK_CONTROL)) {
        bDragging = TRUE;
        SetCapture(hWnd);
    }
}

/* A drag reaches nRow: the rows from the anchor are selected. */
static void Drag_To(HWND hWnd, int nRow)
{
    const int nLast = (int)TotalNumberOfFiles - 1;
    nRow = nRow < 0 ? 0 : nRow > nLast ? nLast : nRow;
    if (nRow == nFocusRow)
        return;
    Begin_Row_Change();
    Select_Range(nAnchorRow, nRow);
    nFocusRow = nRow;
    Scroll_Into_View(hWnd, nRow);
    End_Row_Change(hWnd);
}

/* With the button held, the rows passed over; above or below the window
   a timer scrolls on, a row a tick. */
void wm_MOUSEMOVE_select(HWND hWnd, WPARAM, LPARAM lParam)
{
    if (bPressOnSelected) {
        /* Past the system's drag distance: the names selected go out. */
        const int dx = GET_X_LPARAM(lParam) - ptPress.x, dy = GET_Y_LPARAM(lParam) - ptPress.y;
        if ((dx < 0 ? -dx : dx) > GetSystemMetrics(SM_CXDRAG) / 2 || (dy < 0 ? -dy : dy) > GetSystemMetrics(SM_CYDRAG) / 2) {
            bPressOnSelected = FALSE;
            ReleaseCapture();
            Drag_Out(hWnd);
        }
        return;
    }
    if (!bDragging)
        return;
    RECT rc;
    List_Rect(hWnd, &rc);
    const int y = GET_Y_LPARAM(lParam);
    nDragStep = y < 0 ? -1 : y >= rc.bottom ? 1 : 0;
    if (nDragStep)
        SetTimer(hWnd, DRAG_TIMER, DRAG_TIMER_MS, NULL);
    else
        KillTimer(hWnd, DRAG_TIMER);
    const int nBottom = nVscrollPos + Whole_Rows() - 1;
    const int nRow = Row_At(y);
    Drag_To(hWnd, nRow < nVscrollPos ? nVscrollPos : nRow > nBottom ? nBottom : nRow);
}

void wm_TIMER_select(HWND hWnd)
{
    if (bDragging && nDragStep)
        Drag_To(hWnd, nFocusRow + nDragStep);
    else
        KillTimer(hWnd, DRAG_TIMER);
}

/* The button released, or the capture lost (bReleased FALSE). */
void wm_LBUTTONUP_select(HWND hWnd, BOOL bReleased)
{
    if (bPressOnSelected) {
        bPressOnSelected = FALSE;
        ReleaseCapture();
        if (bReleased && nFocusRow >= 0) {
            /* A click on a name of the selection: that name alone. */
            Begin_Row_Change();
            Select_Range(nFocusRow, nFocusRow);
            nAnchorRow = nFocusRow;
            End_Row_Change(hWnd);
        }
        return;
    }
    KillTimer(hWnd, DRAG_TIMER);
    if (!bDragging)
        return;
    bDragging = FALSE;
    ReleaseCapture();
}

/* A right-click on a row outside the selection selects that row first;
   on one inside it, the focus moves there. */
void wm_RBUTTONDOWN_select(HWND hWnd, LPARAM lParam)
{
    SetFocus(hWnd);
    const int nRow = Row_At(GET_Y_LPARAM(lParam));
    if (nRow >= (int)TotalNumberOfFiles)
        return;
    Begin_Row_Change();
    if (!Row_Selected(nRow)) {
        Select_Range(nRow, nRow);
        nAnchorRow = nRow;
    }
    nFocusRow = nRow;
    bFocusCue = TRUE;
    End_Row_Change(hWnd);
}

/* The context menu, at the point of a right-click in the client area, or
   at the focus row for Shift+F10 and the menu key.  FALSE when the point
   is outside the client area (a scroll bar has its own menu). */
BOOL wm_CONTEXTMENU_select(HWND hWnd, LPARAM lParam)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    RECT rc;
    List_Rect(hWnd, &rc);
    if (lParam == -1) {
        if (nFocusRow >= 0)
            Scroll_Into_View(hWnd, nFocusRow);
        pt.x = xChar;
        pt.y = nFocusRow >= nVscrollPos ? (nFocusRow - nVscrollPos + 1) * yChar : 0;
        ClientToScreen(hWnd, &pt);
    } else {
        POINT ptClient = pt;
        ScreenToClient(hWnd, &ptClient);
        if (!PtInRect(&rc, ptClient))
            return FALSE;
    }
    HMENU hMenu = LoadMenuA(hInst, MAKEINTRESOURCEA(IDR_CONTEXT));
    HMENU hPopup = hMenu ? GetSubMenu(hMenu, 0) : NULL;
    if (hPopup) {
        Add_Copy_As_Menu(hPopup, IDM_NAMECOPY);
        Menu_States(hPopup);
        TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, hWnd, NULL);
    }
    if (hMenu)
        DestroyMenu(hMenu);
    return TRUE;
}
