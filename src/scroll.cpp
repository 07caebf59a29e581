/* Scrolling: one row per name vertically, one character column
   horizontally.  The view moves by whole rows and columns with
   ScrollWindow; only the uncovered strip is painted. */
#include "TAMSEL.H"

int xClient, yClient;
int numlines, maxwidth;
int nVscrollMax, nHscrollMax;
int nVscrollPos, nHscrollPos;
int nVscrollInc, nHscrollInc;
int nPageMaxLines;

#define HSCROLL_PAGE 8      /* columns moved by a horizontal page request */

/* The client height in pixels as last reported: yClient is rounded from it
   to the row height in force, so a new font counts its own rows. */
static int nClientHeight;

static int Max_Int(int a, int b) { return a > b ? a : b; }
static int Min_Int(int a, int b) { return a < b ? a : b; }

void SetupScroll(HWND hWnd)
{
    /* yClient / yChar counts the partly visible bottom row too. */
    yClient = (nClientHeight / yChar + 1) * yChar;
    nVscrollMax = Max_Int(0, numlines - yClient / yChar);
    nVscrollPos = Min_Int(nVscrollPos, nVscrollMax);
    nHscrollMax = Max_Int(0, maxwidth - xClient / xChar);
    nHscrollPos = Min_Int(nHscrollPos, nHscrollMax);

    /* Ranges without redrawing, positions with: each bar is drawn once. */
    SetScrollRange(hWnd, SB_VERT, 0, nVscrollMax, FALSE);
    SetScrollPos(hWnd, SB_VERT, nVscrollPos, TRUE);
    SetScrollRange(hWnd, SB_HORZ, 0, nHscrollMax, FALSE);
    SetScrollPos(hWnd, SB_HORZ, nHscrollPos, TRUE);

    nPageMaxLines = Min_Int(yClient / yChar, numlines);
}

void First_Scroll_Initial(HWND hWnd, int LineSize, int MaxWidth)
{
    numlines = LineSize;
    maxwidth = MaxWidth;
    nVscrollPos = 0;
    nHscrollPos = 0;
    SetupScroll(hWnd);
}

int wm_SIZE_scroll(HWND hWnd, WPARAM, LPARAM lParam)
{
    if (lParam == 0)
        return 0;   /* minimised: no size to take */
    nClientHeight = HIWORD(lParam);
    xClient = LOWORD(lParam);
    SetupScroll(hWnd);
    return 1;
}

/* The thumb position of a track or position request.  The message carries
   only 16 bits; the bar itself knows the full 32-bit position, so a list
   longer than 65,535 names can be reached to its end. */
static int Thumb_Position(HWND hWnd, int nBar, WPARAM wParam)
{
    SCROLLINFO si;
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    if (GetScrollInfo(hWnd, nBar, &si) && LOWORD(si.nTrackPos) == HIWORD(wParam))
        return si.nTrackPos;
    return HIWORD(wParam);
}

/* Clamps the step into 0..nMax from *pnPos and moves the view by it. */
static int Scroll_By(HWND hWnd, int nBar, int nStep, int *pnPos, int nMax, int nUnit)
{
    nStep = Max_Int(-*pnPos, Min_Int(nStep, nMax - *pnPos));
    if (nStep == 0)
        return 0;
    *pnPos += nStep;
    if (nBar == SB_VERT)
        ScrollWindow(hWnd, 0, -nUnit * nStep, NULL, NULL);
    else
        ScrollWindow(hWnd, -nUnit * nStep, 0, NULL, NULL);
    SetScrollPos(hWnd, nBar, *pnPos, TRUE);
    UpdateWindow(hWnd);
    return nStep;
}

void wm_VSCROLL_scroll(HWND hWnd, WPARAM wParam, LPARAM)
{
    int nPage = Max_Int(1, yClient / yChar);
    int nStep;

    switch (LOWORD(wParam)) {
    case SB_LINEUP:        nStep = -1; break;
    case SB_LINEDOWN:      nStep = 1; break;
    case SB_PAGEUP:        nStep = -nPage; break;
    case SB_PAGEDOWN:      nStep = nPage; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:    nStep = Thumb_Position(hWnd, SB_VERT, wParam) - nVscrollPos; break;
    case SB_TOP:           nStep = -nVscrollPos; break;
    case SB_BOTTOM:        nStep = nVscrollMax - nVscrollPos; break;
    default:               nStep = 0; break;
    }
    nVscrollInc = Scroll_By(hWnd, SB_VERT, nStep, &nVscrollPos, nVscrollMax, yChar);
}

void wm_HSCROLL_scroll(HWND hWnd, WPARAM wParam, LPARAM)
{
    int nStep;

    switch (LOWORD(wParam)) {
    case SB_LINELEFT:      nStep = -1; break;
    case SB_LINERIGHT:     nStep = 1; break;
    case SB_PAGELEFT:      nStep = -HSCROLL_PAGE; break;
    case SB_PAGERIGHT:     nStep = HSCROLL_PAGE; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:    nStep = Thumb_Position(hWnd, SB_HORZ, wParam) - nHscrollPos; break;
    case SB_LEFT:          nStep = -nHscrollPos; break;
    case SB_RIGHT:         nStep = nHscrollMax - nHscrollPos; break;
    default:               nStep = 0; break;
    }
    nHscrollInc = Scroll_By(hWnd, SB_HORZ, nStep, &nHscrollPos, nHscrollMax, xChar);
}
