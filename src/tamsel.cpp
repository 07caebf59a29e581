/* Tamsel32: lists files dropped from the shell and turns the list into text.
   Start-up, window procedure, commands, drop intake and display, clipboard,
   saving, profile and dialogs. */
#include <stdlib.h>
#include <string.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"
#include "GLOBTEXT.H"
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

    const char *pSlash = strrchr(lpszModuleName, '\\');
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

    cx_window_size = (int)GetPrivateProfileIntA(APNWindow, KN_x_Size, DEFAULT_CX, szProFName);
    cy_window_size = (int)GetPrivateProfileIntA(APNWindow, KN_y_Size, DEFAULT_CY, szProFName);
    direct_copy_on = Read_Option(KNd_copy, szTrue) ? 1 : 0;
    name_only_on = Read_Option(KNn_only, szFalse) ? 1 : 0;
    GetProfileFont(szProFName);

    if (!File_Exists(szProFName))
        Write_Pro_File_Tm(NULL);
}

void Write_Pro_File_Tm(HWND hWnd)
{
    char szProBuff[PRO_BUFF_SIZE];

    if (hWnd) {
        RECT rc;
        GetWindowRect(hWnd, &rc);
        cx_window_size = rc.right - rc.left;
        cy_window_size = rc.bottom - rc.top;
    }
    if (!szProFName[0])
        return;

    wsprintfA(szProBuff, "%d", cx_window_size);
    WritePrivateProfileStringA(APNWindow, KN_x_Size, szProBuff, szProFName);
    wsprintfA(szProBuff, "%d", cy_window_size);
    WritePrivateProfileStringA(APNWindow, KN_y_Size, szProBuff, szProFName);
    WritePrivateProfileStringA(APNoption, KNd_copy, direct_copy_on == 1 ? szTrue : szFalse, szProFName);
    WritePrivateProfileStringA(APNoption, KNn_only, name_only_on == 1 ? szTrue : szFalse, szProFName);
    WriteProfileFont(szProFName);
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

    while (GetMessageA(&msg, NULL, 0, 0)) {
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

int CreateMyWindow(HINSTANCE hInstance, int cmdShow)
{
    hInst = hInstance;
    Get_Pro_File_Tm(hInstance);
    /* Before the window: its first size message divides by yChar. */
    InitFont(hWndMain);

    hWndMain = CreateWindowExA(0, szAppName, szAppName,
                               WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                               CW_USEDEFAULT, 0, cx_window_size, cy_window_size,
                               NULL, NULL, hInstance, NULL);
    if (!hWndMain) {
        CloseFont();
        return 0;
    }

    hFNameTopList = 0;
    lstrcpyA(szFName, "");
    string_select_token(szToken, 0);

    ShowWindow(hWndMain, cmdShow);
    UpdateWindow(hWndMain);
    return 1;
}

static void Show_Wait_Cursor(void)
{
    /* Not set back: the class cursor returns with the next mouse move. */
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
}

static void Post_Init_Menu(HWND hWnd)
{
    HMENU hMenu = GetMenu(hWnd);
    if (hMenu)
        PostMessageA(hWnd, WM_INITMENU, (WPARAM)hMenu, 0);
}

/* WM_DROPFILES: take the names, then bring the caption, the scroll state,
   the picture and the menu up to date; with direct copy on, copy next. */
static void Drop_Intake(HWND hWnd, WPARAM wParam)
{
    Show_Wait_Cursor();
    if (!WMDropFiles(wParam, hWnd))
        return;
    CaptionFileOpen(hWnd, TotalNumberOfFiles);
    First_Scroll_Initial(hWnd, (int)TotalNumberOfFiles, maxfile_name_length);
    InvalidateRect(hWnd, NULL, TRUE);
    Post_Init_Menu(hWnd);
    if (direct_copy_on == 1 && TotalNumberOfFiles)
        PostMessageA(hWnd, WM_COMMAND, IDM_NAMECOPY, 0);
}

LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        DragAcceptFiles(hWnd, TRUE);
        break;

    case WM_DESTROY:
        CloseFont();
        PostQuitMessage(0);
        return 0;

    case WM_SIZE:
        if (!wm_SIZE_scroll(hWnd, wParam, lParam))
            return 0;
        break;

    case WM_ACTIVATE:
        /* Activation and deactivation alike bring the menu state up to date. */
        Post_Init_Menu(hWnd);
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

LRESULT WMCommand(HWND hWnd, WPARAM wParam)
{
    switch (wParam) {
    case IDM_EXIT:
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
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

/* Every reader copies a name into a 256-byte buffer. */
static BOOL Fits_Name_Buffer(UINT nLength)
{
    return nLength > 0 && nLength < NAME_BUFF_SIZE;
}

UINT WMDropFiles(WPARAM WParam, HWND)
{
    HDROP hDrop = (HDROP)WParam;
    char szFileName[NAME_BUFF_SIZE];

    /* A drop that holds no name the list can take changes nothing: the
       list shown stays as it is. */
    const UINT nDropped = DragQueryFileA(hDrop, 0xFFFFFFFF, NULL, 0);
    UINT nFirst = 0;
    while (nFirst < nDropped && !Fits_Name_Buffer(DragQueryFileA(hDrop, nFirst, NULL, 0)))
        nFirst++;
    if (nFirst == nDropped) {
        DragFinish(hDrop);
        return 0;
    }

    if (hFNameTopList) {
        DeleteAll_StringList(hFNameTopList);
        hFNameTopList = 0;
    }

    /* Count and width cover only the names stored: a name too long for the
       readers' buffers is left out, and a failed store ends the intake. */
    UINT nStored = 0;
    int nLongest = 0;
    HGLOBAL hLast = 0;
    for (UINT i = nFirst; i < nDropped; i++) {
        const UINT nLength = DragQueryFileA(hDrop, i, NULL, 0);
        if (!Fits_Name_Buffer(nLength))
            continue;
        DragQueryFileA(hDrop, i, szFileName, nLength + 1);

        HGLOBAL hNode = String_list_add(szFileName, nLength + 1, hLast);
        if (!hNode) {
            Mem_error_MesBox();
            break;
        }
        if (!hFNameTopList)
            hFNameTopList = hNode;
        hLast = hNode;
        nStored++;
        if ((int)nLength > nLongest)
            nLongest = (int)nLength;
    }
    TotalNumberOfFiles = nStored;
    maxfile_name_length = nLongest;

    DragFinish(hDrop);
    return nDropped;
}

void DrawFileName(HWND hWnd)
{
    PAINTSTRUCT ps;
    char szFile_name[NAME_BUFF_SIZE];

    HDC hDC = BeginPaint(hWnd, &ps);
    SelectUser_Font(hDC, hnewsfont);
    SetBkColor(hDC, RGB(255, 255, 255));

    if (TotalNumberOfFiles >= 1) {
        /* Row k shows name nVscrollPos + k, shifted left by the columns
           scrolled off; the update region clips what need not be drawn. */
        HGLOBAL hNode = String_List_Seek(hFNameTopList, nVscrollPos);
        int Line_Position = 0;
        for (int counter = nVscrollPos; counter < nVscrollPos + nPageMaxLines && hNode; counter++) {
            if (String_List_Read(hNode, szFile_name))
                TextOutA(hDC, -nHscrollPos * xChar, Line_Position * yChar, szFile_name, lstrlenA(szFile_name));
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
