/* Tamsel32: lists files dropped from the shell and turns the list into text.
   Start-up, window procedure, commands, drop intake and display, clipboard,
   saving, profile and dialogs. */
#include <string.h>
#include <windows.h>
#include <shlobj.h>     /* DROPFILES: the layout of a drop block */
#include <htmlhelp.h>   /* the HH_ commands; HtmlHelpA itself is loaded at run time */

#include "TAMSEL.H"
#include "GSTRLIST.H"
#include "SELTOKEN.H"

char      szAppName[12];
HINSTANCE hInst;
HWND      hWndMain;
HGLOBAL   hFNameTopList;
UINT      TotalNumberOfFiles;
int       maxfile_name_length;
char      szToken[256];
char      szFName[256];
UINT      direct_copy_on;
UINT      name_only_on;
int       cx_window_size;
int       cy_window_size;
char      szAppDirectryName[256];
char      szProFName[256];

const char szTrue[]  = "TRUE";
const char szFalse[] = "FALSE";

/* A file that cannot be written: the saved list or the profile. */
static const char szWriteErrorText[] =
    "\x8f\x91\x82\xab\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd";  /* 書き込みに失敗しました */
static const char szWriteErrorCaption[] =
    "\x83t\x83@\x83" "C\x83\x8b\x83G\x83\x89\x81[ ";  /* ファイルエラー (with its blank) */

/* The last backslash of a code page 932 name, stepping over double-byte
   characters: a trail byte can be 0x5C too (as in 表 or ソ). */
static LPCSTR Last_Backslash(LPCSTR lpszName)
{
    LPCSTR lpszLast = NULL;
    for (LPCSTR p = lpszName; *p; p = CharNextA(p))
        if (*p == '\\')
            lpszLast = p;
    return lpszLast;
}

/* The part of a path after its last backslash; a path without one is
   taken whole. */
static LPCSTR File_Name_Part(LPCSTR lpszName)
{
    LPCSTR lpszLast = Last_Backslash(lpszName);
    return lpszLast ? lpszLast + 1 : lpszName;
}

/* ------------------------------------------------------------------------
   Profile: "Tamsel32.INI" beside the executable
   ------------------------------------------------------------------------ */

static const char APNWindow[] = "WindowSize";
static const char KN_x_Size[] = "X_Size";
static const char KN_y_Size[] = "Y_Size";
static const char APNoption[] = "Option";
static const char KNd_copy[]  = "Direct_copy";
static const char KNn_only[]  = "Name_only";
static const char szIniExt[]  = ".INI";

#define PRO_BUFF_SIZE 256
#define DEFAULT_CX    280
#define DEFAULT_CY    200

static BOOL File_Exists(LPCSTR lpszPath)
{
    return GetFileAttributesA(lpszPath) != INVALID_FILE_ATTRIBUTES;
}

/* Derives szAppDirectryName and szProFName from the executable's path.
   A path without a backslash, or a profile path that does not fit, leaves
   both empty: the program then runs on the defaults and writes nothing,
   rather than using a cut name. */
int Set_Pro_File_Name(LPCSTR lpszModuleName)
{
    szAppDirectryName[0] = '\0';
    szProFName[0] = '\0';

    LPCSTR pSlash = Last_Backslash(lpszModuleName);
    if (!pSlash)
        return 0;
    size_t nDir = (size_t)(pSlash - lpszModuleName) + 1;
    if (nDir + strlen(szAppName) + strlen(szIniExt) >= sizeof szProFName)
        return 0;

    memcpy(szAppDirectryName, lpszModuleName, nDir);
    szAppDirectryName[nDir] = '\0';
    lstrcpyA(szProFName, szAppDirectryName);
    lstrcatA(szProFName, szAppName);
    lstrcatA(szProFName, szIniExt);
    return 1;
}

/* The screen's work area: the screen less the task bar. */
static void Get_Work_Area(RECT *prcWork)
{
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, prcWork, 0))
        SetRect(prcWork, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

/* A stored size of 0 or less, or no number, opens the default size; one
   larger than the work area is cut to it, so that every edge and scroll
   bar can be reached. */
static int Read_Window_Size(LPCSTR lpszKey, int nDefault, int nLargest)
{
    const int n = (int)GetPrivateProfileIntA(APNWindow, lpszKey, nDefault, szProFName);
    if (n <= 0)
        return nDefault;
    return n < nLargest ? n : nLargest;
}

static BOOL Read_Option(LPCSTR lpszKey, LPCSTR lpszDefault)
{
    char szProBuff[PRO_BUFF_SIZE];
    GetPrivateProfileStringA(APNoption, lpszKey, lpszDefault, szProBuff, sizeof szProBuff, szProFName);
    return strcmp(szProBuff, szTrue) == 0;
}

void Get_Pro_File_Tm(HINSTANCE hInstProf)
{
    char szModule[256];
    DWORD nLength = GetModuleFileNameA(hInstProf, szModule, sizeof szModule);
    /* A path that filled the buffer was cut: no profile under a cut name. */
    if (nLength == 0 || nLength >= sizeof szModule)
        szModule[0] = '\0';

    if (!Set_Pro_File_Name(szModule)) {
        cx_window_size = DEFAULT_CX;
        cy_window_size = DEFAULT_CY;
        direct_copy_on = 1;
        name_only_on = 0;
        GetProfileFont(szProFName);
        return;
    }

    RECT rcWork;
    Get_Work_Area(&rcWork);
    cx_window_size = Read_Window_Size(KN_x_Size, DEFAULT_CX, rcWork.right - rcWork.left);
    cy_window_size = Read_Window_Size(KN_y_Size, DEFAULT_CY, rcWork.bottom - rcWork.top);
    direct_copy_on = Read_Option(KNd_copy, szTrue) ? 1 : 0;
    name_only_on = Read_Option(KNn_only, szFalse) ? 1 : 0;
    GetProfileFont(szProFName);

    if (!File_Exists(szProFName))
        Write_Pro_File_Tm(NULL);
}

/* Writes every key; FALSE from the first write that fails, or when there
   is no profile path at all. */
static BOOL Write_Profile(void)
{
    char szProBuff[PRO_BUFF_SIZE];

    if (!szProFName[0])
        return FALSE;
    wsprintfA(szProBuff, "%d", cx_window_size);
    if (!WritePrivateProfileStringA(APNWindow, KN_x_Size, szProBuff, szProFName))
        return FALSE;
    wsprintfA(szProBuff, "%d", cy_window_size);
    if (!WritePrivateProfileStringA(APNWindow, KN_y_Size, szProBuff, szProFName))
        return FALSE;
    if (!WritePrivateProfileStringA(APNoption, KNd_copy, direct_copy_on == 1 ? szTrue : szFalse, szProFName))
        return FALSE;
    if (!WritePrivateProfileStringA(APNoption, KNn_only, name_only_on == 1 ? szTrue : szFalse, szProFName))
        return FALSE;
    return WriteProfileFont(szProFName);
}

/* With the main window: Save Option, which measures the window first and
   says so when the profile cannot be written.  With NULL: the start-up
   write of a missing profile, which stays silent (nobody asked for it). */
void Write_Pro_File_Tm(HWND hWnd)
{
    if (hWnd) {
        /* The restored size whatever the state: a maximised one would open
           the next start as a normal window larger than the screen. */
        WINDOWPLACEMENT wp;
        wp.length = sizeof wp;
        GetWindowPlacement(hWnd, &wp);
        cx_window_size = wp.rcNormalPosition.right - wp.rcNormalPosition.left;
        cy_window_size = wp.rcNormalPosition.bottom - wp.rcNormalPosition.top;
    }
    if (!Write_Profile() && hWnd)
        MessageBoxA(hWnd, szWriteErrorText, szWriteErrorCaption, MB_ICONEXCLAMATION);
}

/* ------------------------------------------------------------------------
   Start-up and window procedure
   ------------------------------------------------------------------------ */

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int cmdShow)
{
    MSG msg;

    /* The command line is not looked at: the window always opens empty. */
    if (!hPrevInstance && !InitWindowclass(hInstance))
        return 0;
    if (!CreateMyWindow(hInstance, cmdShow))
        return 0;

    /* The keys of the menu commands: a command that is gray in the menu
       is not sent (the menu state is brought up to date first). */
    HACCEL hAccel = LoadAcceleratorsA(hInstance, szAppName);
    while (GetMessageA(&msg, NULL, 0, 0)) {
        if (hAccel && TranslateAcceleratorA(hWndMain, hAccel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
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

/* A window as large as the work area, placed by the system a little in from
   its corner, would hang over the right or bottom edge: move it back in. */
static void Keep_In_Work_Area(HWND hWnd)
{
    RECT rc, rcWork;
    if (!GetWindowRect(hWnd, &rc))
        return;
    Get_Work_Area(&rcWork);
    const int dx = rc.right > rcWork.right ? rcWork.right - rc.right : 0;
    const int dy = rc.bottom > rcWork.bottom ? rcWork.bottom - rc.bottom : 0;
    if (dx || dy)
        SetWindowPos(hWnd, NULL, rc.left + dx, rc.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CreateMyWindow(HINSTANCE hInstance, int cmdShow)
{
    hInst = hInstance;
    Get_Pro_File_Tm(hInstance);
    /* Before the window, on the screen: the window's first size message
       divides by yChar. */
    InitFont(NULL);

    hWndMain = CreateWindowExA(0, szAppName, szAppName,
                               WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                               CW_USEDEFAULT, 0, cx_window_size, cy_window_size,
                               NULL, NULL, hInstance, NULL);
    if (!hWndMain) {
        CloseFont();
        return 0;
    }

    Keep_In_Work_Area(hWndMain);
    hFNameTopList = 0;
    lstrcpyA(szFName, "");
    string_select_token(szToken, 0);

    ShowWindow(hWndMain, cmdShow);
    UpdateWindow(hWndMain);
    return 1;
}

static void Left_Out_MesBox(HWND hWnd);
static void Close_Help(HWND hWnd);

static void Show_Wait_Cursor(void)
{
    /* Not set back: the class cursor returns with the next mouse move. */
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

/* Invalidates the whole client area with erasing and paints it at once. */
static void Repaint(HWND hWnd)
{
    InvalidateRect(hWnd, NULL, TRUE);
    UpdateWindow(hWnd);
}

static void Post_Init_Menu(HWND hWnd)
{
    HMENU hMenu = GetMenu(hWnd);
    if (hMenu)
        PostMessageA(hWnd, WM_INITMENU, (WPARAM)hMenu, 0);
}

/* WM_DROPFILES: take the names, then bring the caption, the scroll state,
   the picture and the menu up to date; with direct copy on, copy next.
   Names left out are told of last, over the new list, by which time the
   posted copy has put the names kept on the clipboard. */
static void Drop_Intake(HWND hWnd, WPARAM wParam)
{
    Show_Wait_Cursor();
    if (WMDropFiles(wParam, hWnd)) {
        CaptionFileOpen(hWnd, TotalNumberOfFiles);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        InvalidateRect(hWnd, NULL, TRUE);
        Post_Init_Menu(hWnd);
        if (direct_copy_on == 1 && TotalNumberOfFiles)
            PostMessageA(hWnd, WM_COMMAND, IDM_NAMECOPY, 0);
    }
    Left_Out_MesBox(hWnd);
}

LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DragAcceptFiles(hWnd, TRUE);
        break;

    case WM_DESTROY:
        Close_Help(hWnd);
        CloseFont();
        PostQuitMessage(0);
        return 0;

    case WM_SIZE:
        if (!wm_SIZE_scroll(hWnd, wParam, lParam))
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
        /* No drop may arrive while the list is taken down. */
        DragAcceptFiles(hWnd, FALSE);
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
        if (wm_KEYDOWN_scroll(hWnd, wParam, lParam))
            return 0;
        break;

    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        wm_MOUSEWHEEL_scroll(hWnd, message, wParam, lParam);
        return 0;

    case WM_INITMENU:
        WMInitMenu(hWnd, (HMENU)wParam);
        return 1;

    case WM_DROPFILES:
        Drop_Intake(hWnd, wParam);
        return 0;
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

/* ------------------------------------------------------------------------
   Menu commands and menu state
   ------------------------------------------------------------------------ */

static const char szNoFileText[]    = "No File name!!";
static const char szNoFileCaption[] = "FILE NAME COPY";
static const char szSaveTitle[]     = "Save Name";
static const char szHelpFile[]      = "TAMSEL.HLP";
static const char szHtmlHelpFile[]  = "TAMSEL.CHM";
static const char szHelpOnHelp[]    = "WINHELP.HLP";
static const char szUsingThisHelp[] = "::/using_help.htm";

/* HTML Help, loaded on first use: the program imports only what every
   32-bit Windows has, and starts where HTML Help is missing. */
typedef HWND (WINAPI *HTMLHELPA)(HWND hwndCaller, LPCSTR pszFile, UINT uCommand, DWORD_PTR dwData);
static HTMLHELPA pHtmlHelpA;        /* null until loaded, or where it cannot be */
static BOOL bHtmlHelpTried;
static BOOL bWinHelpOpened;         /* the older viewer was asked for a file */

static HTMLHELPA Html_Help(void)
{
    if (!bHtmlHelpTried) {
        bHtmlHelpTried = TRUE;
        HMODULE hHelp = LoadLibraryA("hhctrl.ocx");
        if (hHelp)
            pHtmlHelpA = (HTMLHELPA)(void *)GetProcAddress(hHelp, "HtmlHelpA");
    }
    return pHtmlHelpA;
}

/* A help file beside the executable, by its full path so that it is found
   whatever the current directory.  FALSE when the path does not fit. */
static BOOL Help_Path(LPSTR szPath, int nSize, LPCSTR lpszFile)
{
    if (!szAppDirectryName[0] || lstrlenA(szAppDirectryName) + lstrlenA(lpszFile) >= nSize)
        return FALSE;
    lstrcpyA(szPath, szAppDirectryName);
    lstrcatA(szPath, lpszFile);
    return TRUE;
}

/* Opens TAMSEL.CHM, with uCommand and lpszTopic as HtmlHelpA takes them.
   FALSE where there is no such file, no HTML Help, or it would not open
   the file: the caller then turns to WinHelp. */
static BOOL Show_Html_Help(HWND hWnd, UINT uCommand, LPCSTR lpszTopic)
{
    char szPath[MAX_PATH + 32];
    const int nTopic = lpszTopic ? lstrlenA(lpszTopic) : 0;
    if (!Help_Path(szPath, (int)sizeof szPath - nTopic, szHtmlHelpFile) || !File_Exists(szPath) || !Html_Help())
        return FALSE;
    if (lpszTopic)
        lstrcatA(szPath, lpszTopic);   /* its room was kept above */
    if (pHtmlHelpA(hWnd, szPath, uCommand, 0))
        return TRUE;
    /* A help file whose index cannot be shown opens at its contents. */
    return uCommand == HH_DISPLAY_INDEX && pHtmlHelpA(hWnd, szPath, HH_DISPLAY_TOC, 0) != NULL;
}

static void Show_Win_Help(HWND hWnd, LPCSTR lpszFile, BOOL bBesideProgram)
{
    char szHelpPath[MAX_PATH];
    if (!bBesideProgram || !Help_Path(szHelpPath, sizeof szHelpPath, lpszFile))
        lstrcpynA(szHelpPath, lpszFile, sizeof szHelpPath);
    bWinHelpOpened = TRUE;
    WinHelpA(hWnd, szHelpPath, HELP_INDEX, 0);
}

/* Help > Index and F1: TAMSEL.CHM at its index where HTML Help can show
   it (every Windows from 98 on, the only help of Windows 10 and 11), else
   TAMSEL.HLP in the older viewer. */
static void Show_Help_Index(HWND hWnd)
{
    if (!Show_Html_Help(hWnd, HH_DISPLAY_INDEX, NULL))
        Show_Win_Help(hWnd, szHelpFile, TRUE);
}

/* Help > Using Help: the CHM's own topic on its window, else the system's
   help on help. */
static void Show_Using_Help(HWND hWnd)
{
    if (!Show_Html_Help(hWnd, HH_DISPLAY_TOPIC, szUsingThisHelp))
        Show_Win_Help(hWnd, szHelpOnHelp, FALSE);
}

/* The help windows the program opened go with it. */
static void Close_Help(HWND hWnd)
{
    if (pHtmlHelpA)
        pHtmlHelpA(NULL, NULL, HH_CLOSE_ALL, 0);
    if (bWinHelpOpened) {
        char szHelpPath[MAX_PATH];
        if (Help_Path(szHelpPath, sizeof szHelpPath, szHelpFile))
            WinHelpA(hWnd, szHelpPath, HELP_QUIT, 0);
    }
}

LRESULT WMCommand(HWND hWnd, WPARAM wParam)
{
    /* The command in the low word: a menu sends 0 in the high word, an
       accelerator 1. */
    switch (LOWORD(wParam)) {
    case IDM_SAVE:
        if (!TotalNumberOfFiles)
            break;
        if (szFName[0]) {
            Show_Wait_Cursor();
            NameSave(hWnd);
            Repaint(hWnd);
        } else {
            PostMessageA(hWnd, WM_COMMAND, IDM_SAVEAS, 0);
        }
        break;

    case IDM_SAVEAS:
        if (!TotalNumberOfFiles)
            break;
        if (CMUFileBox(hWnd, szSaveTitle, 1)) {
            Show_Wait_Cursor();
            NameSave(hWnd);
        }
        Repaint(hWnd);
        break;

    case IDM_EXIT:
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
        break;

    case IDM_NAMECOPY:
        if (TotalNumberOfFiles) {
            Show_Wait_Cursor();
            Copy_Clipboard(hWnd);
        } else {
            MessageBoxA(hWnd, szNoFileText, szNoFileCaption, MB_OK | MB_ICONEXCLAMATION);
        }
        break;

    case IDM_CLIPCLEAR:
        ClipBoardClear(hWnd);
        break;

    case IDM_TAMSELCLEAR:
        TamselClear(hWnd);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        CaptionFileOpen(hWnd, TotalNumberOfFiles);
        PostMessageA(hWnd, WM_INITMENU, (WPARAM)GetMenu(hWnd), 0);
        Repaint(hWnd);
        break;

    case IDM_COPYOPTION:
        DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_OPTION), hWnd, Option, 0);
        break;

    case IDM_FONT:
        hnewsfont = CMUFont(hWnd, hnewsfont);
        First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
        Repaint(hWnd);
        break;

    case IDM_SAVEOPTION:
        Write_Pro_File_Tm(hWnd);
        return 1;

    case IDM_INDEX:
        Show_Help_Index(hWnd);
        break;

    case IDM_USINGHELP:
        Show_Using_Help(hWnd);
        break;

    case IDM_ABOUT:
        DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_ABOUT), hWnd, About, 0);
        break;
    }
    return 0;
}

void WMInitMenu(HWND hWnd, HMENU hMenu)
{
    /* The system menu and other pop-ups leave the items alone. */
    if (hMenu != GetMenu(hWnd))
        return;
    const UINT uState = MF_BYCOMMAND | (TotalNumberOfFiles ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(hMenu, IDM_NAMECOPY, uState);
    EnableMenuItem(hMenu, IDM_SAVE, uState);
    EnableMenuItem(hMenu, IDM_SAVEAS, uState);
    EnableMenuItem(hMenu, IDM_TAMSELCLEAR, uState);
    DrawMenuBar(hWnd);
}

/* ------------------------------------------------------------------------
   Drop intake and list display
   ------------------------------------------------------------------------ */

static const char szCaptionFormat[] = "Tamsel32 %d-Files";
static const char szCaptionEmpty[]  = " Tamsel32 ";
static const char szMemError[] =
    "\x83\x81\x83\x82\x83\x8a\x82\xaa\x91\xab\x82\xe8\x82\xdc\x82\xb9\x82\xf1";  /* メモリが足りません */

/* The list spends two movable handles per name, and a process has 65,536
   of them for all its movable blocks.  A drop stops at this many names, as
   when memory runs out, so that the clipboard text and the dialogs still
   find handles to work with. */
#define MAX_LIST_NAMES 32000

/* Why Next_Drop_Name left a name out; an empty name is no loss. */
#define NAME_EMPTY       0
#define NAME_TOO_LONG   -1      /* over 255 bytes in the code page */
#define NAME_UNMAPPABLE -2      /* holds a character the code page lacks */

/* Converts a wide name to the ANSI code page, or measures it when lpszOut
   is NULL.  Returns the bytes, 0 on failure; *pbLossy is set for a name
   the code page cannot hold exactly.  No look-alikes: a best fit turns
   "report¥draft.txt" into a path one folder deeper and "café" into
   another file's name, and the default character '?' is a wildcard. */
static int Wide_To_Ansi(LPCWSTR lpszWide, int nWide, LPSTR lpszOut, int nOut, BOOL *pbLossy)
{
    *pbLossy = FALSE;
    if (GetACP() == CP_UTF8) {
        /* UTF-8 holds every character, and refuses both the no-best-fit
           flag and the default-character check: only broken UTF-16 fails. */
        const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lpszWide, nWide, lpszOut, nOut, NULL, NULL);
        *pbLossy = n == 0 && GetLastError() == ERROR_NO_UNICODE_TRANSLATION;
        return n;
    }
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, lpszWide, nWide, lpszOut, nOut, NULL, pbLossy);
}

/* Copies the drop's name at *ppNames into szFileName in the ANSI code page
   and moves *ppNames past it.  Returns the name's length, or one of the
   NAME_ reasons above for a name the list cannot take: the readers copy
   names into 256-byte buffers.  Walking the block once keeps a drop of n
   names linear; asking DragQueryFileA for each name by index would walk
   it from its start every time. */
static int Next_Drop_Name(const BYTE **ppNames, BOOL bWide, LPSTR szFileName)
{
    if (bWide) {
        LPCWSTR lpszWide = (LPCWSTR)*ppNames;
        const int nWide = lstrlenW(lpszWide);
        *ppNames += (nWide + 1) * sizeof(WCHAR);
        if (nWide == 0)
            return NAME_EMPTY;
        BOOL bLossy;
        const int nLength = Wide_To_Ansi(lpszWide, nWide, szFileName, NAME_BUFF_SIZE - 1, &bLossy);
        if (nLength > 0 && !bLossy) {
            szFileName[nLength] = '\0';
            return nLength;
        }
        /* Too long as it stands; measured whole, it may be lossy too. */
        if (nLength == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER)
            Wide_To_Ansi(lpszWide, nWide, NULL, 0, &bLossy);
        return bLossy ? NAME_UNMAPPABLE : NAME_TOO_LONG;
    }
    LPCSTR lpszName = (LPCSTR)*ppNames;
    const int nLength = lstrlenA(lpszName);
    *ppNames += nLength + 1;
    if (nLength == 0)
        return NAME_EMPTY;
    if (nLength >= NAME_BUFF_SIZE)
        return NAME_TOO_LONG;
    memcpy(szFileName, lpszName, nLength + 1);
    return nLength;
}

/* The names the last drop left out, for the box that tells the user: how
   many for each reason, and the first few as they were dropped. */
#define LEFT_OUT_SHOWN  5
#define LEFT_OUT_CHARS  100     /* characters shown of each; longer ones are cut */

struct Left_Out {
    UINT  nTooLong;
    UINT  nUnmappable;
    UINT  nShown;
    WCHAR szNames[LEFT_OUT_SHOWN][LEFT_OUT_CHARS + 2];   /* room for "…" and the NUL */
};
static Left_Out leftOut;

/* Counts a name left out and keeps its first characters while there is
   room: a wide name as it is, an ANSI one converted from the code page. */
static void Note_Left_Out(int nReason, const BYTE *pName, BOOL bWide)
{
    if (nReason == NAME_TOO_LONG)
        leftOut.nTooLong++;
    else
        leftOut.nUnmappable++;
    if (leftOut.nShown == LEFT_OUT_SHOWN)
        return;

    LPWSTR szShown = leftOut.szNames[leftOut.nShown++];
    int n;
    BOOL bCut;
    if (bWide) {
        const int nWide = lstrlenW((LPCWSTR)pName);
        n = nWide < LEFT_OUT_CHARS ? nWide : LEFT_OUT_CHARS;
        memcpy(szShown, pName, n * sizeof(WCHAR));
        if (n > 0 && IS_HIGH_SURROGATE(szShown[n - 1]))
            n--;    /* no half of a pair at the cut */
        bCut = n < nWide;
    } else {
        LPCSTR p = (LPCSTR)pName;
        for (int nChars = 0; *p && nChars < LEFT_OUT_CHARS; nChars++)
            p = CharNextA(p);
        n = MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pName, (int)(p - (LPCSTR)pName), szShown, LEFT_OUT_CHARS);
        bCut = *p != '\0';
    }
    if (bCut)
        szShown[n++] = 0x2026;   /* … */
    szShown[n] = 0;
}

UINT WMDropFiles(WPARAM WParam, HWND)
{
    HDROP hDrop = (HDROP)WParam;
    char szFileName[NAME_BUFF_SIZE];

    ZeroMemory(&leftOut, sizeof leftOut);
    const UINT nDropped = DragQueryFileA(hDrop, 0xFFFFFFFF, NULL, 0);
    const DROPFILES *pDrop = nDropped ? (const DROPFILES *)GlobalLock(hDrop) : NULL;
    if (!pDrop) {
        DragFinish(hDrop);
        return 0;
    }

    /* The old list goes only when the drop brings a name to replace it:
       a drop that holds none the list can take changes nothing.  Count and
       width cover only the names stored. */
    const BYTE *pNames = (const BYTE *)pDrop + pDrop->pFiles;
    BOOL bReplaced = FALSE;
    BOOL bOutOfMemory = FALSE;
    UINT nStored = 0;
    int nLongest = 0;
    HGLOBAL hLast = 0;
    for (UINT i = 0; i < nDropped; i++) {
        const BYTE *pName = pNames;
        const int nLength = Next_Drop_Name(&pNames, pDrop->fWide, szFileName);
        if (nLength < 0)
            Note_Left_Out(nLength, pName, pDrop->fWide);
        if (nLength <= 0)
            continue;
        if (!bReplaced) {
            DeleteAll_StringList(hFNameTopList);
            hFNameTopList = 0;
            bReplaced = TRUE;
        }

        HGLOBAL hNode = nStored < MAX_LIST_NAMES ? String_list_add(szFileName, (UINT)nLength + 1, hLast) : 0;
        if (!hNode) {
            bOutOfMemory = TRUE;
            break;
        }
        if (!hFNameTopList)
            hFNameTopList = hNode;
        hLast = hNode;
        nStored++;
        if (nLength > nLongest)
            nLongest = nLength;
    }
    GlobalUnlock(hDrop);
    DragFinish(hDrop);
    if (!bReplaced)
        return 0;

    TotalNumberOfFiles = nStored;
    maxfile_name_length = nLongest;
    /* Only now, with the list, the count and the width in step and the drop
       released: the window stays usable while the box is up, and a drop
       or a clear made meanwhile must find a whole list. */
    if (bOutOfMemory)
        Mem_error_MesBox();
    return nDropped;
}

/* Tells the user how many names the last drop left out, why, and the
   first few of them: shown in Unicode, since the code page could not
   hold some of them.  The box comes over the window as it now stands. */
static void Left_Out_MesBox(HWND hWnd)
{
    const UINT nLeftOut = leftOut.nTooLong + leftOut.nUnmappable;
    if (!nLeftOut)
        return;
    UpdateWindow(hWnd);
    WCHAR szLine[128];
    WCHAR szText[256 + LEFT_OUT_SHOWN * (LEFT_OUT_CHARS + 3)];
    WCHAR szCaption[sizeof szAppName];

    wsprintfW(szText, L"ドロップされた名前のうち %u 個はリストに入れられません。\n", nLeftOut);
    if (leftOut.nTooLong) {
        wsprintfW(szLine, L"\n・255 バイト (コードページ 932) を超える名前: %u 個", leftOut.nTooLong);
        lstrcatW(szText, szLine);
    }
    if (leftOut.nUnmappable) {
        wsprintfW(szLine, L"\n・コードページ 932 にない文字を含む名前: %u 個", leftOut.nUnmappable);
        lstrcatW(szText, szLine);
    }
    lstrcatW(szText, L"\n");
    for (UINT i = 0; i < leftOut.nShown; i++) {
        lstrcatW(szText, L"\n");
        lstrcatW(szText, leftOut.szNames[i]);
    }
    if (nLeftOut > leftOut.nShown) {
        wsprintfW(szLine, L"\nほか %u 個", nLeftOut - leftOut.nShown);
        lstrcatW(szText, szLine);
    }
    if (!MultiByteToWideChar(CP_ACP, 0, szAppName, -1, szCaption, sizeof szAppName))
        szCaption[0] = 0;
    MessageBoxW(hWnd, szText, szCaption, MB_OK | MB_ICONEXCLAMATION);
}

void DrawFileName(HWND hWnd)
{
    PAINTSTRUCT ps;
    char szFile_name[NAME_BUFF_SIZE];
    WCHAR szWide[NAME_BUFF_SIZE];

    HDC hDC = BeginPaint(hWnd, &ps);
    SelectUser_Font(hDC, hnewsfont);
    SetBkColor(hDC, RGB(255, 255, 255));

    if (TotalNumberOfFiles >= 1) {
        /* Row k shows name nVscrollPos + k, shifted left by the columns
           scrolled off; the update region clips what need not be drawn. */
        HGLOBAL hNode = String_List_Seek(hFNameTopList, nVscrollPos);
        int Line_Position = 0;
        for (int counter = nVscrollPos; counter < nVscrollPos + nPageMaxLines && hNode; counter++) {
            /* Drawn in Unicode: TextOutA reads the bytes in the code page of
               the font's character set, and a Western face would turn every
               kana and kanji into other letters. */
            const int nWide = String_List_Read(hNode, szFile_name)
                ? MultiByteToWideChar(CP_ACP, 0, szFile_name, -1, szWide, NAME_BUFF_SIZE) : 0;
            if (nWide > 1)
                TextOutW(hDC, -nHscrollPos * xChar, Line_Position * yChar, szWide, nWide - 1);
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

void Mem_error_MesBox(void)
{
    MessageBoxA(GetFocus(), szMemError, NULL, MB_OK | MB_ICONHAND | MB_SYSTEMMODAL);
}

/* ------------------------------------------------------------------------
   Output: clipboard, clearing, saving
   ------------------------------------------------------------------------ */

static const char szClearText[] =
    "\x83^\x83\x80\x83Z\x83\x8b\x82\xf0\x83N\x83\x8a\x83" "A\x81[\x82\xb5\x82\xdc\x82\xb7";  /* タムセルをクリアーします */
static const char szClearCaption[] = "Tamsel Clear !!";
static const char szClipClearText[] =
    "\x83N\x83\x8a\x83" "b\x83v\x83{\x81[\x83h\x82\xf0\x83N\x83\x8a\x83" "A\x81[\x82\xb5\x82\xdc\x82\xb7";  /* クリップボードをクリアーします */
static const char szClipClearCaption[] = "Clip Board Clear !!";
static const char szOverwriteText[] =
    "\x8f\xe3\x8f\x91\x82\xab\x82\xb5\x82\xdc\x82\xb7\x81" "A\x82\xe6\x82\xeb\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9\x81H";  /* 上書きします、よろしいですか？ */
static const char szDialogErrorFormat[] =
    "GetOpenFileName \x82\xc5\x83G\x83\x89\x81[ #%ld \x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";  /* GetOpenFileName でエラー #%ld が発生しました */
static const char szWarningCaption[] = "\x8cx\x8d\x90";  /* 警告 */
static const char szFilter[] =
    "\x82\xb7\x82\xd7\x82\xc4\x82\xcc\xcc\xa7\xb2\xd9 (*.*)\0*.*\0"   /* すべてのﾌｧｲﾙ (*.*) */
    "\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9 (*.txt)\0*.txt\0";              /* ﾃｷｽﾄﾌｧｲﾙ (*.txt) */
static_assert(sizeof szFilter == 47, "two pairs and the closing NUL");

/* What is copied or saved of a name: all of it, or its file-name part. */
static LPCSTR Name_Piece(LPCSTR lpszName)
{
    return name_only_on == 1 ? File_Name_Part(lpszName) : lpszName;
}

/* Reads a node; a node that cannot be read counts as an empty name. */
static void Read_Name(HGLOBAL hNode, LPSTR szFileName)
{
    if (!String_List_Read(hNode, szFileName))
        szFileName[0] = '\0';
}

/* Joins the pieces of the list's names as the copy puts them: the first
   piece always, each later one after the separator unless it is empty.
   With lpszText NULL it only measures; otherwise lpszText must hold the
   measured length and its terminator.  Returns the length. */
static SIZE_T Join_Names(LPSTR lpszText)
{
    char szFileName[NAME_BUFF_SIZE];
    const SIZE_T nToken = (SIZE_T)lstrlenA(szToken);
    SIZE_T nTotal = 0;

    for (HGLOBAL hNode = hFNameTopList; hNode; hNode = String_List_Next(hNode)) {
        Read_Name(hNode, szFileName);
        LPCSTR lpszPiece = Name_Piece(szFileName);
        const SIZE_T nPiece = (SIZE_T)lstrlenA(lpszPiece);
        if (hNode != hFNameTopList) {
            if (nPiece == 0)
                continue;   /* an empty piece goes with its separator */
            if (lpszText)
                memcpy(lpszText + nTotal, szToken, nToken);
            nTotal += nToken;
        }
        if (lpszText)
            memcpy(lpszText + nTotal, lpszPiece, nPiece);
        nTotal += nPiece;
    }
    if (lpszText)
        lpszText[nTotal] = '\0';
    return nTotal;
}

/* Clipboard managers, history and remote-desktop helpers hold the
   clipboard for a few milliseconds at a time: try for about half a second
   before calling it busy. */
static BOOL Open_Clipboard_Soon(HWND hWnd)
{
    for (int nTry = 1; !OpenClipboard(hWnd); nTry++) {
        if (nTry == 10)
            return FALSE;
        Sleep(50);
    }
    return TRUE;
}

/* The text in Unicode, converted from the ANSI code page as the names are:
   left to Windows, it would be converted with the code page of whatever
   input language is active at the time.  0 when it cannot be had. */
static HGLOBAL Unicode_Text(HGLOBAL hText)
{
    LPCSTR lpszText = (LPCSTR)GlobalLock(hText);
    if (!lpszText)
        return 0;
    const int nWide = MultiByteToWideChar(CP_ACP, 0, lpszText, -1, NULL, 0);
    HGLOBAL hWide = nWide > 0 ? GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)nWide * sizeof(WCHAR)) : 0;
    LPWSTR lpszWide = hWide ? (LPWSTR)GlobalLock(hWide) : NULL;
    if (lpszWide) {
        MultiByteToWideChar(CP_ACP, 0, lpszText, -1, lpszWide, nWide);
        GlobalUnlock(hWide);
    } else if (hWide) {
        GlobalFree(hWide);
        hWide = 0;
    }
    GlobalUnlock(hText);
    return hWide;
}

int Copy_Clipboard(HWND hWnd)
{
    /* Measured first, so that the block is allocated once at the text's
       exact size: growing a block of megabytes name by name would copy it
       over and over. */
    const SIZE_T nLength = Join_Names(NULL);
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, nLength + 1);
    LPSTR lpszText = hText ? (LPSTR)GlobalLock(hText) : NULL;
    if (!lpszText) {
        /* The clipboard keeps what it holds. */
        if (hText)
            GlobalFree(hText);
        Mem_error_MesBox();
        return 0;
    }
    Join_Names(lpszText);
    GlobalUnlock(hText);
    HGLOBAL hWide = Unicode_Text(hText);   /* without it, CF_TEXT alone */

    /* Everything is ready before the clipboard is opened and emptied, so
       that a busy clipboard keeps what it holds.  A block the clipboard
       takes is the system's from then on. */
    BOOL bPlaced = FALSE;
    if (Open_Clipboard_Soon(hWnd)) {
        EmptyClipboard();
        bPlaced = SetClipboardData(CF_TEXT, hText) != NULL;
        if (bPlaced && hWide && SetClipboardData(CF_UNICODETEXT, hWide))
            hWide = 0;
        CloseClipboard();
    }
    if (hWide)
        GlobalFree(hWide);
    if (!bPlaced) {
        GlobalFree(hText);
        Mem_error_MesBox();
        return 0;
    }
    return 1;
}

void TamselClear(HWND hWnd)
{
    if (MessageBoxA(hWnd, szClearText, szClearCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (!hFNameTopList)
        return;
    DeleteAll_StringList(hFNameTopList);
    hFNameTopList = 0;
    TotalNumberOfFiles = 0;
    maxfile_name_length = 0;
}

int ClipBoardClear(HWND hWnd)
{
    if (MessageBoxA(hWnd, szClipClearText, szClipClearCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return 1;
    if (!Open_Clipboard_Soon(hWnd)) {
        Mem_error_MesBox();
        return 0;
    }
    EmptyClipboard();
    CloseClipboard();
    return 1;
}

int CMUFileBox(HWND hWnd, LPCSTR BoxTitle, int in_out)
{
    OPENFILENAMEA ofn;
    char szFile[sizeof szFName];
    char Errstr[80];

    /* The dialog works on a copy that starts from the last target: a
       failed dialog may leave anything in its buffer (the size it needs,
       for one), and Save must go on writing to the last target. */
    lstrcpynA(szFile, szFName, sizeof szFile);
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = hWnd;
    ofn.lpstrFilter = szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof szFile;
    ofn.lpstrTitle = BoxTitle;
    ofn.Flags = in_out ? OFN_HIDEREADONLY : OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

    /* The Open dialog moves the current folder to the chosen file's, and
       OFN_NOCHANGEDIR does not stop it; a folder kept current would keep a
       USB stick from being ejected while the program runs. */
    WCHAR szCurrentDir[MAX_PATH];
    const DWORD nDir = GetCurrentDirectoryW(MAX_PATH, szCurrentDir);
    const BOOL bChosen = GetOpenFileNameA(&ofn);
    if (nDir > 0 && nDir < MAX_PATH)
        SetCurrentDirectoryW(szCurrentDir);
    if (bChosen) {
        lstrcpynA(szFName, szFile, sizeof szFName);
        return 1;
    }

    const DWORD dwError = CommDlgExtendedError();
    if (dwError) {
        wsprintfA(Errstr, szDialogErrorFormat, dwError);
        MessageBoxA(hWnd, Errstr, szWarningCaption, MB_ICONHAND);
    }
    return 0;
}

/* "Save To [ name ]", the name cut on a character boundary if the whole
   would not fit the caption buffer. */
static void Overwrite_Caption(LPSTR MessageCaption, int nSize)
{
    static const char szHead[] = "Save To [ ";
    static const char szTail[] = " ]";
    const int nRoom = nSize - (int)(sizeof szHead - 1) - (int)(sizeof szTail - 1) - 1;

    LPCSTR lpszName = File_Name_Part(szFName);
    int nName = 0;
    for (LPCSTR p = lpszName; *p; ) {
        LPCSTR next = CharNextA(p);
        if (nName + (next - p) > nRoom)
            break;
        nName += (int)(next - p);
        p = next;
    }
    lstrcpyA(MessageCaption, szHead);
    lstrcpynA(MessageCaption + sizeof szHead - 1, lpszName, nName + 1);
    lstrcatA(MessageCaption, szTail);
}

/* Names are gathered in a buffer of this size and written together: one
   system call per name made a large save slow.  The whole text is still
   never held in memory. */
#define SAVE_BUFF_SIZE 16384

struct Save_Buffer {
    HANDLE hFile;
    BOOL   bOk;             /* FALSE from the first failed write on */
    DWORD  nUsed;
    char   bytes[SAVE_BUFF_SIZE];
};

static void Save_Flush(Save_Buffer *pSave)
{
    DWORD nWritten = 0;
    if (pSave->bOk && pSave->nUsed)
        pSave->bOk = WriteFile(pSave->hFile, pSave->bytes, pSave->nUsed, &nWritten, NULL)
                     && nWritten == pSave->nUsed;
    pSave->nUsed = 0;
}

static void Save_Add(Save_Buffer *pSave, LPCSTR lpszText)
{
    const DWORD nLength = (DWORD)lstrlenA(lpszText);   /* at most 511 */
    if (pSave->nUsed + nLength > SAVE_BUFF_SIZE)
        Save_Flush(pSave);
    memcpy(pSave->bytes + pSave->nUsed, lpszText, nLength);
    pSave->nUsed += nLength;
}

int NameSave(HWND hWnd)
{
    char szFileName[NAME_BUFF_SIZE];
    char szFtoken[NAME_BUFF_SIZE];
    char MessageCaption[256];

    /* Existence and creation by calls that take the whole path: the
       128-byte path of the old OpenFile record would refuse long ones. */
    const DWORD dwAttributes = GetFileAttributesA(szFName);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES) {
        Overwrite_Caption(MessageCaption, sizeof MessageCaption);
        if (MessageBoxA(hWnd, szOverwriteText, MessageCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return 0;
    }

    /* A read-only file is never replaced, whatever rights the process has. */
    HANDLE hFile = INVALID_HANDLE_VALUE;
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_READONLY))
        hFile = CreateFileA(szFName, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        MessageBoxA(hWnd, szWriteErrorText, szWriteErrorCaption, MB_ICONEXCLAMATION);
        return 0;
    }

    if (!hFNameTopList) {
        CloseHandle(hFile);
        return 1;
    }

    if (strcmp(szToken, "\n") == 0)
        lstrcpyA(szFtoken, "\r\n");
    else
        lstrcpynA(szFtoken, szToken, sizeof szFtoken);

    /* The first name, then each further one after the separator, empty
       pieces included; the first failed write ends the save and is
       reported once. */
    Save_Buffer save;
    save.hFile = hFile;
    save.bOk = TRUE;
    save.nUsed = 0;
    Read_Name(hFNameTopList, szFileName);
    Save_Add(&save, Name_Piece(szFileName));
    for (HGLOBAL hNode = String_List_Next(hFNameTopList); save.bOk && hNode; hNode = String_List_Next(hNode)) {
        Read_Name(hNode, szFileName);
        Save_Add(&save, szFtoken);
        Save_Add(&save, Name_Piece(szFileName));
    }
    Save_Flush(&save);
    CloseHandle(hFile);
    const int save_ok = save.bOk;

    if (!save_ok)
        MessageBoxA(hWnd, szWriteErrorText, szWriteErrorCaption, MB_ICONEXCLAMATION);
    return save_ok;
}

/* ------------------------------------------------------------------------
   Copy Option and About dialogs
   ------------------------------------------------------------------------ */

INT_PTR CALLBACK Option(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(hDlg, IDC_NAME_ONLY, name_only_on);
        CheckDlgButton(hDlg, IDC_DIRECT_COPY, direct_copy_on);
        return TRUE;   /* focus on the first tab stop, OK */

    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            name_only_on = (UINT)SendDlgItemMessageA(hDlg, IDC_NAME_ONLY, BM_GETCHECK, 0, 0);
            direct_copy_on = (UINT)SendDlgItemMessageA(hDlg, IDC_DIRECT_COPY, BM_GETCHECK, 0, 0);
            EndDialog(hDlg, 1);
            break;
        case IDCANCEL:   /* Cancel, Esc and the close box */
            EndDialog(hDlg, 1);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK About(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;

    case WM_COMMAND:
        /* Only OK (or Enter) closes the box; Esc does not. */
        if (wParam == IDOK)
            EndDialog(hDlg, 1);
        return TRUE;
    }
    return FALSE;
}
