/* Tamsel32: lists files dropped from the shell and turns the list into text.
   Start-up and the window procedure. */
#include <windows.h>
#include <commctrl.h>   /* InitCommonControls: the manifest's themed controls, version 6 */
#include <ole2.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"
#include "SELTOKEN.H"

char      szAppName[12];
HINSTANCE hInst;
HWND      hWndMain;
HACCEL    hMainKeys;
HGLOBAL   hFNameTopList;
UINT      TotalNumberOfFiles;
int       maxfile_name_length;
WCHAR     szToken[256];
WCHAR     szFName[256];
UINT      direct_copy_on;
UINT      name_only_on;
UINT      quotes_on;
UINT      crlf_on;
UINT      file_url_on;
UINT      add_drops_on;
UINT      folder_contents_on;
UINT      folders_too_on;
int       cx_window_size;
int       cy_window_size;
WCHAR     szAppDirectryName[NAME_MAX_CHARS + 1];
WCHAR     szProFName[NAME_MAX_CHARS + 1];

const char szTrue[]  = "TRUE";
const char szFalse[] = "FALSE";

/* ------------------------------------------------------------------------
   Start-up and window procedure
   ------------------------------------------------------------------------ */

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int cmdShow)
{
    MSG msg;

    if (!hPrevInstance && !InitWindowclass(hInstance))
        return 0;
    /* One window for every start: names go to the one open, if there is
       one, and a start without names brings it to the front; starts take
       their turns, so that two never both open one. */
    HGLOBAL hLine;
    LPCWSTR lpszCmdLine = Wide_Command_Line(&hLine);
    HANDLE hStart = Begin_Start();
    if (Hand_Over_Names(lpszCmdLine ? lpszCmdLine : L"")) {
        End_Start(hStart);
        if (hLine)
            GlobalFree(hLine);
        return 0;
    }
    const int bCreated = CreateMyWindow(hInstance, cmdShow);
    End_Start(hStart);
    if (bCreated) {
        Report_Unread_Formats(hWndMain);
        Command_Line_Files(hWndMain, lpszCmdLine);
    }
    if (hLine)
        GlobalFree(hLine);
    if (!bCreated)
        return 0;

    while (GetMessageA(&msg, NULL, 0, 0)) {
        if (Main_Window_Key(hMainKeys, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}

/* The keys of the menu commands, for the main window only: a help window
   or a dialog on this thread keeps its own Ctrl+C.  A command that is gray
   in the menu is not sent (the menu state is brought up to date first).
   TRUE when the message was a command key and has been handled. */
BOOL Main_Window_Key(HACCEL hAccel, MSG *pMsg)
{
    return hAccel && hWndMain && pMsg->hwnd == hWndMain && TranslateAcceleratorA(hWndMain, hAccel, pMsg);
}

int InitWindowclass(HINSTANCE hInstance)
{
    WNDCLASSA wcClass;

    LoadStringA(hInstance, IDS_APPNAME, szAppName, sizeof szAppName);

    wcClass.style         = CS_HREDRAW | CS_VREDRAW;
    wcClass.lpfnWndProc   = WndProc;
    wcClass.cbClsExtra    = 0;
    wcClass.cbWndExtra    = 0;
    wcClass.hInstance     = hInstance;
    wcClass.hIcon         = LoadIconA(hInstance, szAppName);
    wcClass.hCursor       = LoadCursorA(hInstance, szAppName);
    wcClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wcClass.lpszMenuName  = szAppName;
    wcClass.lpszClassName = szAppName;
    return (int)RegisterClassA(&wcClass);
}

int CreateMyWindow(HINSTANCE hInstance, int cmdShow)
{
    hInst = hInstance;
    InitCommonControls();
    OleInitialize(NULL);   /* a drag out of the list */
    hMainKeys = LoadAcceleratorsA(hInstance, szAppName);
    Get_Pro_File_Tm(hInstance);
    /* Before the window, on the screen: the window's first size message
       divides by yChar. */
    InitFont(NULL);

    /* The stored size is in 96-DPI units. */
    hWndMain = CreateWindowExA(0, szAppName, szAppName,
                               WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, 0, MulDiv(cx_window_size, nDpi, 96), MulDiv(cy_window_size, nDpi, 96),
                               NULL, NULL, hInstance, NULL);
    if (!hWndMain) {
        CloseFont();
        return 0;
    }
    /* A window that opened on a display of another scale than the one
       the font was made for. */
    const int nWindowDpi = Window_Dpi(hWndMain);
    if (nWindowDpi != nDpi) {
        SetWindowPos(hWndMain, NULL, 0, 0, MulDiv(cx_window_size, nWindowDpi, 96),
                     MulDiv(cy_window_size, nWindowDpi, 96), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Font_Dpi_Changed(hWndMain, nWindowDpi);
    }

    Keep_In_Work_Area(hWndMain);
    Create_Status_Bar(hWndMain);
    Add_Copy_As_Menu(Edit_Menu(hWndMain), IDM_NAMECOPY);
    hFNameTopList = 0;
    szFName[0] = 0;
    string_select_token(szToken, 0);

    ShowWindow(hWndMain, cmdShow);
    UpdateWindow(hWndMain);
    return 1;
}

static void Dpi_Changed(HWND hWnd, int nNewDpi, const RECT *pSuggested)
{
    Font_Dpi_Changed(hWnd, nNewDpi);
    SetWindowPos(hWnd, NULL, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
                 pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    SetupScroll(hWnd);
    InvalidateRect(hWnd, NULL, TRUE);
}

LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    /* Another start asks whether this is a Tamsel32 window (a registered
       message, so no case of the switch). */
    if (Is_Hand_Over_Question(message))
        return Hand_Over_Answer();

    switch (message) {
    case WM_CREATE:
        DragAcceptFiles(hWnd, TRUE);
        break;

    case WM_DESTROY:
        Close_Help(hWnd);
        CloseFont();
        History_Clear();
        OleUninitialize();
        PostQuitMessage(0);
        return 0;

    case WM_SIZE:
        /* The list's rows end above the status bar. */
        if (!wm_SIZE_scroll(hWnd, wParam, Status_Bar_Size(hWnd, lParam)))
            return 0;
        break;

    case WM_ACTIVATE:
        /* Activation and deactivation alike bring the menu state up to date.
           Activated, the window takes the keyboard focus for its scroll keys
           (default processing, which would give it, is not wanted here). */
        Post_Init_Menu(hWnd);
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
            SetFocus(hWnd);
        return 0;

    case WM_PAINT:
        DrawFileName(hWnd);
        return 0;

    case WM_CLOSE:
        /* A folder's walk is stopped first, and the window closes once it
           has ended (the walk posts the close again).  Until then a box
           open over the walk goes on working. */
        if (bWalking) {
            bStopWalk = TRUE;
            bCloseAfterWalk = TRUE;
            return 0;
        }
        bCloseAfterWalk = FALSE;
        /* No drop may arrive while the list is taken down. */
        DragAcceptFiles(hWnd, FALSE);
        End_Waiting();
        End_Edits();
        DeleteAll_StringList(hFNameTopList);
        hFNameTopList = 0;
        TotalNumberOfFiles = 0;
        DestroyWindow(hWnd);
        return 0;

    case WM_QUERYENDSESSION:
        return 1;   /* nothing to save: the profile is written on request only */

    case WM_COMMAND:
        return WMCommand(hWnd, wParam);

    case WM_HSCROLL:
        wm_HSCROLL_scroll(hWnd, wParam, lParam);
        return 0;

    case WM_VSCROLL:
        wm_VSCROLL_scroll(hWnd, wParam, lParam);
        return 0;

    case WM_KEYDOWN:
        if (bWalking && wParam == VK_ESCAPE) {
            bStopWalk = TRUE;   /* what was found stays */
            return 0;
        }
        if (wm_KEYDOWN_select(hWnd, wParam) || wm_KEYDOWN_scroll(hWnd, wParam, lParam))
            return 0;
        break;

    case WM_CHAR:
        /* Letters typed go to the next name that begins with them. */
        if (!bWalking && Type_Ahead(hWnd, wParam, (DWORD)GetMessageTime()))
            return 0;
        break;

    case WM_LBUTTONDOWN:
        wm_LBUTTONDOWN_select(hWnd, wParam, lParam);
        return 0;

    case WM_MOUSEMOVE:
        wm_MOUSEMOVE_select(hWnd, wParam, lParam);
        return 0;

    case WM_LBUTTONUP:
        wm_LBUTTONUP_select(hWnd, TRUE);
        return 0;

    case WM_CAPTURECHANGED:
        wm_LBUTTONUP_select(hWnd, FALSE);
        return 0;

    case WM_TIMER:
        if (wParam == WAITING_TIMER)
            Take_Waiting(hWnd);
        else if (wParam == STATUS_TIMER)
            Status_Timer(hWnd);
        else
            wm_TIMER_select(hWnd);
        return 0;

    case WM_COPYDATA:
        return Handed_Names(hWnd, (const COPYDATASTRUCT *)lParam);

    case INTAKE_WAITING:
        Take_Waiting(hWnd);
        return 0;

    case WM_RBUTTONDOWN:
        wm_RBUTTONDOWN_select(hWnd, lParam);
        return 0;

    case WM_CONTEXTMENU:
        if (wm_CONTEXTMENU_select(hWnd, lParam))
            return 0;
        break;

    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        /* The focus rectangle shows only while the window has the keyboard. */
        Invalidate_Row(hWnd, nFocusRow);
        return 0;

    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        wm_MOUSEWHEEL_scroll(hWnd, message, wParam, lParam);
        return 0;

    case WM_INITMENU:
        WMInitMenu(hWnd, (HMENU)wParam);
        return 1;

    case WM_DPICHANGED:
        /* Moved to a display of another scale: the size Windows suggests,
           the font made anew, the top row and the selection kept. */
        Dpi_Changed(hWnd, LOWORD(wParam), (const RECT *)lParam);
        return 0;

    case WM_DROPFILES:
        Drop_Intake(hWnd, wParam);
        return 0;

    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
    case WM_DESTROYCLIPBOARD:
        Clipboard_Message(hWnd, message, wParam);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}
