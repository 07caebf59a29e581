/* Tamsel32: the profile "Tamsel32.INI" beside the executable (the window
   size and the copy options; the font's section is winfont.cpp's), the
   window's place in the work area, and the path helpers the program shares. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* The last backslash of a code page 932 name, stepping over double-byte
   characters: a trail byte can be 0x5C too (as in 表 or ソ). */
LPCSTR Last_Backslash(LPCSTR lpszName)
{
    LPCSTR lpszLast = NULL;
    for (LPCSTR p = lpszName; *p; p = CharNextA(p))
        if (*p == '\\')
            lpszLast = p;
    return lpszLast;
}

static const char APNWindow[] = "WindowSize";
static const char KN_x_Size[] = "X_Size";
static const char KN_y_Size[] = "Y_Size";
static const char APNoption[] = "Option";
static const char KNd_copy[]  = "Direct_copy";
static const char KNn_only[]  = "Name_only";
static const char KN_quotes[] = "Quotes";
static const char KN_crlf[]   = "CR_LF";
static const char KN_url[]    = "File_URL";
static const char KN_add[]    = "Add_drops";
static const char szIniExt[]  = ".INI";

#define PRO_BUFF_SIZE 256
#define DEFAULT_CX    280
#define DEFAULT_CY    200

BOOL File_Exists(LPCSTR lpszPath)
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

typedef HMONITOR (WINAPI *MONITORFROMWINDOW)(HWND hWnd, DWORD dwFlags);
typedef BOOL (WINAPI *GETMONITORINFOA)(HMONITOR hMonitor, LPMONITORINFO lpmi);

/* The work area (the screen less the task bar) of the monitor that holds
   most of the window.  Windows 95 and NT 4 know one monitor only: there,
   the primary's. */
static void Get_Work_Area(HWND hWnd, RECT *prcWork)
{
    HMODULE hUser = GetModuleHandleA("user32.dll");
    MONITORFROMWINDOW pMonitorFromWindow = (MONITORFROMWINDOW)(void *)GetProcAddress(hUser, "MonitorFromWindow");
    GETMONITORINFOA pGetMonitorInfoA = (GETMONITORINFOA)(void *)GetProcAddress(hUser, "GetMonitorInfoA");
    if (pMonitorFromWindow && pGetMonitorInfoA) {
        MONITORINFO mi;
        mi.cbSize = sizeof mi;
        HMONITOR hMonitor = pMonitorFromWindow(hWnd, MONITOR_DEFAULTTONEAREST);
        if (hMonitor && pGetMonitorInfoA(hMonitor, &mi)) {
            *prcWork = mi.rcWork;
            return;
        }
    }
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, prcWork, 0))
        SetRect(prcWork, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

/* A stored size larger than the work area of the window's monitor is cut
   to it, so that every edge and scroll bar can be reached; a window that
   then hangs over the right or bottom edge (placed by the system a little
   in from the corner) is moved back in.  A window wholly inside its
   monitor's work area is left where it is. */
void Keep_In_Work_Area(HWND hWnd)
{
    RECT rc, rcWork;
    if (!GetWindowRect(hWnd, &rc))
        return;
    Get_Work_Area(hWnd, &rcWork);
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    if (cx > rcWork.right - rcWork.left)
        cx = rcWork.right - rcWork.left;
    if (cy > rcWork.bottom - rcWork.top)
        cy = rcWork.bottom - rcWork.top;
    const int x = rc.left + cx > rcWork.right ? rcWork.right - cx : rc.left;
    const int y = rc.top + cy > rcWork.bottom ? rcWork.bottom - cy : rc.top;
    if (x == rc.left && y == rc.top && cx == rc.right - rc.left && cy == rc.bottom - rc.top)
        return;
    SetWindowPos(hWnd, NULL, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    cx_window_size = cx;
    cy_window_size = cy;
}

/* A stored size of 0 or less, or no number, opens the default size.  (One
   larger than the screen is cut once the window is on its monitor.) */
static int Read_Window_Size(LPCSTR lpszKey, int nDefault)
{
    const int n = (int)GetPrivateProfileIntA(APNWindow, lpszKey, nDefault, szProFName);
    return n <= 0 ? nDefault : n;
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
        name_only_on = quotes_on = crlf_on = file_url_on = add_drops_on = 0;
        GetProfileFont(szProFName);
        return;
    }

    cx_window_size = Read_Window_Size(KN_x_Size, DEFAULT_CX);
    cy_window_size = Read_Window_Size(KN_y_Size, DEFAULT_CY);
    direct_copy_on = Read_Option(KNd_copy, szTrue) ? 1 : 0;
    name_only_on = Read_Option(KNn_only, szFalse) ? 1 : 0;
    quotes_on = Read_Option(KN_quotes, szFalse) ? 1 : 0;
    crlf_on = Read_Option(KN_crlf, szFalse) ? 1 : 0;
    file_url_on = Read_Option(KN_url, szFalse) ? 1 : 0;
    add_drops_on = Read_Option(KN_add, szFalse) ? 1 : 0;
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
    if (!WritePrivateProfileStringA(APNoption, KNn_only, name_only_on == 1 ? szTrue : szFalse, szProFName) ||
        !WritePrivateProfileStringA(APNoption, KN_quotes, quotes_on == 1 ? szTrue : szFalse, szProFName) ||
        !WritePrivateProfileStringA(APNoption, KN_crlf, crlf_on == 1 ? szTrue : szFalse, szProFName) ||
        !WritePrivateProfileStringA(APNoption, KN_url, file_url_on == 1 ? szTrue : szFalse, szProFName) ||
        !WritePrivateProfileStringA(APNoption, KN_add, add_drops_on == 1 ? szTrue : szFalse, szProFName))
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
        Write_Error_MesBox(hWnd);
}
