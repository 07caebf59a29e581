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

/* Rows wholly inside the client area, at least one: the range and the
   page count only these, so that at the bottom of the range the last name
   is wholly in view. */
int Whole_Rows(void)
{
    return Max_Int(1, nClientHeight / yChar);
}

void SetupScroll(HWND hWnd)
{
    /* yClient / yChar counts the partly visible bottom row too: it is
       painted, but never counted as a place the last name can stand. */
    yClient = (nClientHeight / yChar + 1) * yChar;
    nVscrollMax = Max_Int(0, numlines - Whole_Rows());
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

/* The rows painted for a list that is still growing; the bars follow
   once it is whole (the window system takes long to show a bar). */
void Set_Line_Count(int LineSize)
{
    numlines = LineSize;
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
    /* The list's rows only: the status bar under them stays. */
    const RECT rcList = {0, 0, xClient, nClientHeight};
    if (nBar == SB_VERT)
        ScrollWindow(hWnd, 0, -nUnit * nStep, &rcList, &rcList);
    else
        ScrollWindow(hWnd, -nUnit * nStep, 0, &rcList, &rcList);
    SetScrollPos(hWnd, nBar, *pnPos, TRUE);
    UpdateWindow(hWnd);
    return nStep;
}

/* A page: the window's rows vertically, a fixed number of columns across. */
static int Page_Step(int nBar)
{
    return nBar == SB_VERT ? Whole_Rows() : HSCROLL_PAGE;
}

void wm_VSCROLL_scroll(HWND hWnd, WPARAM wParam, LPARAM)
{
    int nPage = Page_Step(SB_VERT);
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
    case SB_PAGELEFT:      nStep = -Page_Step(SB_HORZ); break;
    case SB_PAGERIGHT:     nStep = Page_Step(SB_HORZ); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:    nStep = Thumb_Position(hWnd, SB_HORZ, wParam) - nHscrollPos; break;
    case SB_LEFT:          nStep = -nHscrollPos; break;
    case SB_RIGHT:         nStep = nHscrollMax - nHscrollPos; break;
    default:               nStep = 0; break;
    }
    nHscrollInc = Scroll_By(hWnd, SB_HORZ, nStep, &nHscrollPos, nHscrollMax, xChar);
}

/* Scrolls the least that brings the row wholly into view. */
void Scroll_Into_View(HWND hWnd, int nRow)
{
    int nStep = 0;
    if (nRow < nVscrollPos)
        nStep = nRow - nVscrollPos;
    else if (nRow > nVscrollPos + Whole_Rows() - 1)
        nStep = nRow - (nVscrollPos + Whole_Rows() - 1);
    if (nStep)
        nVscrollInc = Scroll_By(hWnd, SB_VERT, nStep, &nVscrollPos, nVscrollMax, yChar);
}

/* ---- The keyboard and the mouse wheel: the same steps as the bars ---- */

/* Wheel movement not yet worth a step, in the wheel's units (WHEEL_DELTA
   a notch): fine-grained wheels send small deltas that must add up. */
static int nVwheelDelta, nHwheelDelta;

/* Left and Right scroll sideways; the other keys move the focus row
   (select.cpp), which the view follows. */
int wm_KEYDOWN_scroll(HWND hWnd, WPARAM wParam, LPARAM)
{
    if (wParam != VK_LEFT && wParam != VK_RIGHT)
        return 0;
    wm_HSCROLL_scroll(hWnd, MAKEWPARAM(wParam == VK_LEFT ? SB_LINELEFT : SB_LINERIGHT, 0), 0);
    return 1;
}

void wm_MOUSEWHEEL_scroll(HWND hWnd, UINT message, WPARAM wParam, LPARAM)
{
    /* Shift turns the wheel into a horizontal one; a forward turn and a
       left tilt both move towards the start. */
    const BOOL bHorizontal = message == WM_MOUSEHWHEEL || (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT);
    const int nBar = bHorizontal ? SB_HORZ : SB_VERT;
    int nDelta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (message == WM_MOUSEHWHEEL)
        nDelta = -nDelta;
    int *pnPending = bHorizontal ? &nHwheelDelta : &nVwheelDelta;

    UINT nPerNotch = 3;
    SystemParametersInfoA(bHorizontal ? SPI_GETWHEELSCROLLCHARS : SPI_GETWHEELSCROLLLINES, 0, &nPerNotch, 0);
    if (nPerNotch == 0)
        return;   /* the user turned wheel scrolling off */
    /* "One screen at a time" counts a page a notch. */
    const BOOL bPages = nPerNotch == WHEEL_PAGESCROLL;
    /* A bound far past any list keeps the arithmetic in range. */
    const int nUnits = bPages ? 1 : nPerNotch > 10000 ? 10000 : (int)nPerNotch;

    /* A turn the other way drops what was pending. */
    if ((*pnPending > 0 && nDelta < 0) || (*pnPending < 0 && nDelta > 0))
        *pnPending = 0;
    *pnPending += nDelta;
    const int nSteps = *pnPending * nUnits / WHEEL_DELTA;
    if (nSteps == 0)
        return;
    *pnPending -= nSteps * WHEEL_DELTA / nUnits;

    const int nStep = -nSteps * (bPages ? Page_Step(nBar) : 1);
    if (bHorizontal)
        nHscrollInc = Scroll_By(hWnd, SB_HORZ, nStep, &nHscrollPos, nHscrollMax, xChar);
    else
        nVscrollInc = Scroll_By(hWnd, SB_VERT, nStep, &nVscrollPos, nVscrollMax, yChar);
}
