/* Tamsel32: the list display.  The client area paints the names one per
   row from the scroll position, or, while the list is empty, how to fill
   it; the caption counts the names. */
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

static const char szCaptionFormat[] = "Tamsel32 %d-Files";
static const char szCaptionEmpty[]  = " Tamsel32 ";

/* The node of the row last painted at the top, so that a paint near the
   end of a long list need not walk there from the head.  Every change of
   the list's links but an append forgets it. */
static HGLOBAL hTopNode, hTopHead;
static int nTopRow = -1;

void Forget_Top_Node(void)
{
    nTopRow = -1;
}

static HGLOBAL Top_Node(void)
{
    if (nTopRow < 0 || hTopHead != hFNameTopList)
        hTopNode = String_List_Seek(hFNameTopList, nVscrollPos);
    else
        hTopNode = String_List_Seek(hTopNode, nVscrollPos - nTopRow);
    hTopHead = hFNameTopList;
    nTopRow = hTopNode ? nVscrollPos : -1;
    return hTopNode;
}

void DrawFileName(HWND hWnd)
{
    PAINTSTRUCT ps;

    HDC hDC = BeginPaint(hWnd, &ps);
    SelectUser_Font(hDC, hnewsfont);
    SetBkColor(hDC, RGB(255, 255, 255));

    if (TotalNumberOfFiles == 0) {
        /* The empty window says how to fill it: centred, and broken
           between words where the window is too narrow for one line. */
        WCHAR szHint[128];
        RECT rc, rcText;
        List_Rect(hWnd, &rc);
        SetTextColor(hDC, GetSysColor(COLOR_GRAYTEXT));
        const int nHint = Load_Message(IDS_EMPTY_HINT, szHint, 128);
        const UINT uFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
        rcText = rc;
        if (DrawTextW(hDC, szHint, nHint, &rcText, uFormat | DT_CALCRECT)) {
            rc.top = (rc.bottom - (rcText.bottom - rcText.top)) / 2;
            DrawTextW(hDC, szHint, nHint, &rc, uFormat);
        } else {
            /* Windows 95 and 98 lay out no wide text: one line, centred. */
            SIZE size;
            GetTextExtentPoint32W(hDC, szHint, nHint, &size);
            TextOutW(hDC, (rc.right - size.cx) / 2, (rc.bottom - size.cy) / 2, szHint, nHint);
        }
    } else {
        /* Row k shows name nVscrollPos + k, shifted left by the columns
           scrolled off; the update region clips what need not be drawn.
           A selected row is the system's highlight across the window; the
           focus row has its rectangle once the user has clicked or used a
           key, while the window has the keyboard. */
        RECT rcClient;
        GetClientRect(hWnd, &rcClient);
        const BOOL bFocusShown = bFocusCue && GetFocus() == hWnd;
        HGLOBAL hNode = Top_Node();
        int Line_Position = 0;
        for (int counter = nVscrollPos; counter < nVscrollPos + nPageMaxLines && hNode; counter++) {
            const RECT rcRow = {0, Line_Position * yChar, rcClient.right, (Line_Position + 1) * yChar};
            const BOOL bSelected = Row_Selected(counter);
            /* Drawn in Unicode from the list itself: every script shows,
               whatever the code page and the font's character set. */
            HGLOBAL hName;
            LPCWSTR lpszName = String_List_Lock(hNode, &hName);
            if (bSelected) {
                SetBkColor(hDC, GetSysColor(COLOR_HIGHLIGHT));
                SetTextColor(hDC, GetSysColor(COLOR_HIGHLIGHTTEXT));
                ExtTextOutW(hDC, -nHscrollPos * xChar, rcRow.top, ETO_OPAQUE, &rcRow, lpszName ? lpszName : L"",
                            lpszName ? (UINT)lstrlenW(lpszName) : 0, NULL);
                SetBkColor(hDC, RGB(255, 255, 255));
                SetTextColor(hDC, fontcolor);
            } else if (lpszName) {
                TextOutW(hDC, -nHscrollPos * xChar, rcRow.top, lpszName, lstrlenW(lpszName));
            }
            if (lpszName)
                GlobalUnlock(hName);
            if (counter == nFocusRow && bFocusShown)
                DrawFocusRect(hDC, &rcRow);
            Line_Position++;
            hNode = String_List_Next(hNode);
        }
    }
    EndPaint(hWnd, &ps);
}

/* The caption and the scroll bars follow the list, the view at the top
   (bToTop) or where it was, and the window is painted once for all of
   it: alone, each repaints the window's frame at once, which costs more
   than the change itself. */
void Show_List_Size(HWND hWnd, BOOL bToTop)
{
    const BOOL bVisible = IsWindowVisible(hWnd);   /* redrawing back on would show a hidden one */
    if (bVisible)
        SendMessageA(hWnd, WM_SETREDRAW, FALSE, 0);
    CaptionFileOpen(hWnd, TotalNumberOfFiles);
    if (bToTop) {
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
    } else {
        numlines = (int)TotalNumberOfFiles;
        maxwidth = maxfile_name_length;
        SetupScroll(hWnd);
    }
    if (bVisible)
        SendMessageA(hWnd, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Show_Status();
}

/* The same, the view on the row and column given (kept in range). */
void Show_List_Place(HWND hWnd, int nTop, int nLeft)
{
    nVscrollPos = nTop;
    nHscrollPos = nLeft;
    Show_List_Size(hWnd, FALSE);
}

void CaptionFileOpen(HWND hWnd, UINT Total_file)
{
    char buf[256];

    if (Total_file != 0)
        wsprintfA(buf, szCaptionFormat, (int)Total_file);
    else
        lstrcpyA(buf, szCaptionEmpty);
    SetWindowTextA(hWnd, buf);
}
