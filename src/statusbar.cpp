/* Tamsel32: the status bar under the list.  It says what the list holds
   ("N names", "S of N selected"), how far a folder's listing has come,
   and for a moment after a copy what was copied.  The list's rows end
   above it: the scroll range, the last row and the empty window's hint
   count its height. */
#include <windows.h>
#include <commctrl.h>

#include "TAMSEL.H"

UINT status_bar_on = 1;

#define STATUS_CONTROL   150
#define COPIED_MS        3000    /* how long what was copied is said */

static HWND  hStatusBar;
static UINT  nCopied;           /* names the last copy took, while that is said */
static BOOL  bSayCopied;
static WCHAR szShown[128];      /* the text the bar holds: only a new one is set */

/* The list's rows laid out again around the bar, as it is now. */
static void Lay_Out(HWND hWnd)
{
    RECT rc;
    GetClientRect(hWnd, &rc);
    SendMessageA(hWnd, WM_SIZE, IsZoomed(hWnd) ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
    szShown[0] = 0;
    Show_Status();
    InvalidateRect(hWnd, NULL, TRUE);
}

void Create_Status_Bar(HWND hWnd)
{
    hStatusBar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | (status_bar_on == 1 ? WS_VISIBLE : 0), 0, 0, 0, 0,
                                 hWnd, (HMENU)(INT_PTR)STATUS_CONTROL, hInst, NULL);
    Lay_Out(hWnd);
}

/* The bar's height while it shows; 0 when it is off. */
int Status_Bar_Height(void)
{
    RECT rc;
    if (!hStatusBar || !(GetWindowLongA(hStatusBar, GWL_STYLE) & WS_VISIBLE) || !GetWindowRect(hStatusBar, &rc))
        return 0;
    return rc.bottom - rc.top;
}

/* WM_SIZE: the bar takes its place along the bottom.  Returns the size
   left for the list, as WM_SIZE's lParam gives it.  Only the bar's own
   window has it: another of the class must not wait on this one's thread. */
LPARAM Status_Bar_Size(HWND hWnd, LPARAM lParam)
{
    if (!hStatusBar || lParam == 0 || GetParent(hStatusBar) != hWnd)
        return lParam;
    SendMessageA(hStatusBar, WM_SIZE, 0, 0);
    const int cy = HIWORD(lParam) - Status_Bar_Height();
    return MAKELPARAM(LOWORD(lParam), cy > 0 ? cy : 0);
}

/* The list's area in the client area: all of it above the bar. */
void List_Rect(HWND hWnd, RECT *prc)
{
    GetClientRect(hWnd, prc);
    prc->bottom -= Status_Bar_Height();
    if (prc->bottom < prc->top)
        prc->bottom = prc->top;
}

/* The text for the list as it stands. */
static void Status_Text(LPWSTR lpszText, int nSize)
{
    WCHAR szCount[12], szTotal[12];
    Number_Text(TotalNumberOfFiles, szTotal);
    if (bWalking) {
        Format_Message(IDS_STATUS_LISTING, lpszText, nSize, szTotal, NULL);
    } else if (bSayCopied) {
        Number_Text(nCopied, szCount);
        Format_Message(nCopied == 1 ? IDS_STATUS_COPIED_ONE : IDS_STATUS_COPIED, lpszText, nSize, szCount, NULL);
    } else if (nSelectedRows && TotalNumberOfFiles) {
        Number_Text(nSelectedRows, szCount);
        Format_Message(IDS_STATUS_SELECTED, lpszText, nSize, szCount, szTotal);
    } else {
        Format_Message(TotalNumberOfFiles == 1 ? IDS_STATUS_ONE : IDS_STATUS_NAMES, lpszText, nSize, szTotal, NULL);
    }
}

/* The bar says what the list holds now. */
void Show_Status(void)
{
    if (!hStatusBar || status_bar_on != 1)
        return;
    WCHAR szText[128];
    Status_Text(szText, 128);
    if (!lstrcmpW(szText, szShown))
        return;
    lstrcpynW(szShown, szText, 128);
    /* Windows 95 and 98 take the text in the code page. */
    if (!SendMessageW(hStatusBar, SB_SETTEXTW, 0, (LPARAM)szText)) {
        char szAnsi[256];
        if (WideCharToMultiByte(CP_ACP, 0, szText, -1, szAnsi, sizeof szAnsi, NULL, NULL) > 0)
            SendMessageA(hStatusBar, SB_SETTEXTA, 0, (LPARAM)szAnsi);
    }
}

/* A copy of n names: said for a moment. */
void Status_Copied(HWND hWnd, UINT n)
{
    nCopied = n;
    bSayCopied = TRUE;
    SetTimer(hWnd, STATUS_TIMER, COPIED_MS, NULL);
    Show_Status();
}

/* STATUS_TIMER: the moment is over. */
void Status_Timer(HWND hWnd)
{
    KillTimer(hWnd, STATUS_TIMER);
    bSayCopied = FALSE;
    Show_Status();
}

/* Option > Status Bar: on or off, the list's rows laid out again. */
void Toggle_Status_Bar(HWND hWnd)
{
    status_bar_on = status_bar_on == 1 ? 0 : 1;
    if (!hStatusBar)
        return;
    ShowWindow(hStatusBar, status_bar_on == 1 ? SW_SHOWNA : SW_HIDE);
    Lay_Out(hWnd);
}
