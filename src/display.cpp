/* Tamsel32: the list display.  The client area paints the names one per
   row from the scroll position, or, while the list is empty, how to fill
   it; the caption counts the names. */
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

static const char szCaptionFormat[] = "Tamsel32 %d-Files";
static const char szCaptionEmpty[]  = " Tamsel32 ";

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
        GetClientRect(hWnd, &rc);
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
           scrolled off; the update region clips what need not be drawn. */
        HGLOBAL hNode = String_List_Seek(hFNameTopList, nVscrollPos);
        int Line_Position = 0;
        for (int counter = nVscrollPos; counter < nVscrollPos + nPageMaxLines && hNode; counter++) {
            /* Drawn in Unicode from the list itself: every script shows,
               whatever the code page and the font's character set. */
            HGLOBAL hName;
            LPCWSTR lpszName = String_List_Lock(hNode, &hName);
            if (lpszName) {
                TextOutW(hDC, -nHscrollPos * xChar, Line_Position * yChar, lpszName, lstrlenW(lpszName));
                GlobalUnlock(hName);
            }
            Line_Position++;
            hNode = String_List_Next(hNode);
        }
    }
    EndPaint(hWnd, &ps);
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
