/* Tamsel32: the profile "Tamsel32.INI" beside the executable (the window
   size and the copy options; the font's section is winfont.cpp's), the
   window's place in the work area, and the path helpers the program shares. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

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
static const char KN_contents[] = "Folder_contents";
static const char KN_folders[] = "Folders_too";
static const char KN_status[] = "Status_bar";
static const char szIniExt[]  = ".INI";

#define PRO_BUFF_SIZE 256
#define DEFAULT_CX    280
#define DEFAULT_CY    200

/* A DLL of the system folder, by its full path: one outside the system's
   known DLLs would otherwise be looked for beside the program first, where
   one planted (in a Downloads folder, say) would be loaded and run.
   NULL where it cannot be had. */
HMODULE Load_System_Library(LPCSTR lpszName)
{
    char szPath[MAX_PATH + 32];
    const UINT nDir = GetSystemDirectoryA(szPath, MAX_PATH);
    if (nDir == 0 || nDir >= MAX_PATH || lstrlenA(lpszName) > 30)
        return NULL;
    szPath[nDir] = '\\';
    lstrcpyA(szPath + nDir + 1, lpszName);
    return LoadLibraryA(szPath);
}

/* ---- The profile's calls.  The path is UTF-16, so that a folder of any
   name works whatever the code page; keys and values stay in the code
   page, as the file holds them.  Windows 95 and 98 have only the ANSI
   calls, and a path their code page holds. ---- */

/* Text in the ANSI code page as UTF-16, cut to nSize - 1 characters. */
static void To_Wide(LPCSTR lpszText, LPWSTR lpszWide, int nSize)
{
    if (!MultiByteToWideChar(CP_ACP, 0, lpszText, -1, lpszWide, nSize))
        lpszWide[nSize - 1] = 0;
}

UINT Profile_Int(LPCWSTR lpszFile, LPCSTR lpszSection, LPCSTR lpszKey, int nDefault)
{
    WCHAR szSection[64], szKey[64];
    char szFile[MAX_PATH];
    To_Wide(lpszSection, szSection, 64);
    To_Wide(lpszKey, szKey, 64);
    SetLastError(0);
    const UINT n = GetPrivateProfileIntW(szSection, szKey, nDefault, lpszFile);
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED || !Ansi_Instead(lpszFile, szFile))
        return n;
    return GetPrivateProfileIntA(lpszSection, lpszKey, nDefault, szFile);
}

void Profile_String(LPCWSTR lpszFile, LPCSTR lpszSection, LPCSTR lpszKey, LPCSTR lpszDefault,
                    LPSTR lpszOut, int nSize)
{
    WCHAR szSection[64], szKey[64], szDefault[PRO_BUFF_SIZE], szValue[PRO_BUFF_SIZE];
    char szFile[MAX_PATH];
    To_Wide(lpszSection, szSection, 64);
    To_Wide(lpszKey, szKey, 64);
    To_Wide(lpszDefault, szDefault, PRO_BUFF_SIZE);
    SetLastError(0);
    GetPrivateProfileStringW(szSection, szKey, szDefault, szValue, PRO_BUFF_SIZE, lpszFile);
    if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED && Ansi_Instead(lpszFile, szFile)) {
        GetPrivateProfileStringA(lpszSection, lpszKey, lpszDefault, lpszOut, nSize, szFile);
        return;
    }
    if (!WideCharToMultiByte(CP_ACP, 0, szValue, -1, lpszOut, nSize, NULL, NULL))
        lpszOut[nSize - 1] = '\0';
}

BOOL Profile_Write(LPCWSTR lpszFile, LPCSTR lpszSection, LPCSTR lpszKey, LPCSTR lpszValue)
{
    WCHAR szSection[64], szKey[64], szValue[PRO_BUFF_SIZE];
    char szFile[MAX_PATH];
    To_Wide(lpszSection, szSection, 64);
    To_Wide(lpszKey, szKey, 64);
    To_Wide(lpszValue, szValue, PRO_BUFF_SIZE);
    SetLastError(0);
    if (WritePrivateProfileStringW(szSection, szKey, szValue, lpszFile))
        return TRUE;
    return Ansi_Instead(lpszFile, szFile) && WritePrivateProfileStringA(lpszSection, lpszKey, lpszValue, szFile);
}

/* Derives szAppDirectryName and szProFName from the executable's path.
   A path without a backslash leaves both empty: the program then runs on
   the defaults and writes nothing. */
int Set_Pro_File_Name(LPCWSTR lpszModuleName)
{
    szAppDirectryName[0] = 0;
    szProFName[0] = 0;

    LPCWSTR pSlash = NULL;
    for (LPCWSTR p = lpszModuleName; *p; p++)
        if (*p == '\\')
            pSlash = p;
    if (!pSlash)
        return 0;
    const int nDir = (int)(pSlash - lpszModuleName) + 1;
    const int nName = lstrlenA(szAppName), nExt = lstrlenA(szIniExt);
    if (nDir + nName + nExt > NAME_MAX_CHARS)
        return 0;
    memcpy(szAppDirectryName, lpszModuleName, (size_t)nDir * sizeof(WCHAR));
    szAppDirectryName[nDir] = 0;
    memcpy(szProFName, szAppDirectryName, (size_t)nDir * sizeof(WCHAR));
    /* The application's name and ".INI" are ASCII. */
    for (int i = 0; i < nName; i++)
        szProFName[nDir + i] = (WCHAR)(BYTE)szAppName[i];
    for (int i = 0; i <= nExt; i++)
        szProFName[nDir + nName + i] = (WCHAR)(BYTE)szIniExt[i];
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
    cx_window_size = MulDiv(cx, 96, nDpi);   /* kept in 96-DPI units */
    cy_window_size = MulDiv(cy, 96, nDpi);
}

/* A stored size of 0 or less, or no number, opens the default size.  (One
   larger than the screen is cut once the window is on its monitor.) */
static int Read_Window_Size(LPCSTR lpszKey, int nDefault)
{
    const int n = (int)Profile_Int(szProFName, APNWindow, lpszKey, nDefault);
    return n <= 0 ? nDefault : n;
}

static BOOL Read_Option(LPCSTR lpszKey, LPCSTR lpszDefault)
{
    char szProBuff[PRO_BUFF_SIZE];
    Profile_String(szProFName, APNoption, lpszKey, lpszDefault, szProBuff, sizeof szProBuff);
    return strcmp(szProBuff, szTrue) == 0;
}

typedef DWORD (WINAPI *GETMODULEFILENAMEW)(HMODULE hModule, LPWSTR lpszName, DWORD nSize);

/* The executable's path, whatever its folder is called and however deep:
   the ANSI one would hold question marks for what the code page lacks.
   Windows 95 and 98 have only the ANSI call.  "" when it cannot be had
   whole. */
static void Module_Name(HINSTANCE hInstProf, LPWSTR lpszName, DWORD nSize)
{
    SetLastError(0);
    DWORD n = GetModuleFileNameW(hInstProf, lpszName, nSize);
    char szAnsi[MAX_PATH];
    if (n == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        n = GetModuleFileNameA(hInstProf, szAnsi, MAX_PATH);
        n = n > 0 && n < MAX_PATH ? (DWORD)MultiByteToWideChar(CP_ACP, 0, szAnsi, -1, lpszName, (int)nSize) : 0;
    }
    /* A path that filled the buffer was cut: no profile under a cut name. */
    if (n == 0 || n >= nSize)
        lpszName[0] = 0;
}

void Get_Pro_File_Tm(HINSTANCE hInstProf)
{
    WCHAR szModule[NAME_MAX_CHARS + 1];
    Module_Name(hInstProf, szModule, NAME_MAX_CHARS + 1);
    Set_Pro_File_Name(szModule);
    Read_Pro_File();
}

/* Reads the settings from szProFName, the defaults where it gives none
   (or there is no path), and writes a profile where there is none. */
void Read_Pro_File(void)
{
    if (!szProFName[0]) {
        cx_window_size = DEFAULT_CX;
        cy_window_size = DEFAULT_CY;
        direct_copy_on = 1;
        name_only_on = quotes_on = crlf_on = file_url_on = add_drops_on = 0;
        folder_contents_on = folders_too_on = 0;
        status_bar_on = 1;
        GetProfileFont(szProFName);
        nUserFormats = 0;
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
    folder_contents_on = Read_Option(KN_contents, szFalse) ? 1 : 0;
    folders_too_on = Read_Option(KN_folders, szFalse) ? 1 : 0;
    status_bar_on = Read_Option(KN_status, szTrue) ? 1 : 0;
    GetProfileFont(szProFName);
    Read_User_Formats();

    if (File_Attributes(szProFName) == INVALID_FILE_ATTRIBUTES)
        Write_Pro_File_Tm(NULL);
}

/* Writes every key; FALSE from the first write that fails, or when there
   is no profile path at all. */
static BOOL Write_Profile(void)
{
    char szX[16], szY[16];

    if (!szProFName[0])
        return FALSE;
    wsprintfA(szX, "%d", cx_window_size);
    wsprintfA(szY, "%d", cy_window_size);
    const struct { LPCSTR lpszSection, lpszKey, lpszValue; } keys[] = {
        { APNWindow, KN_x_Size, szX },
        { APNWindow, KN_y_Size, szY },
        { APNoption, KNd_copy,  direct_copy_on == 1 ? szTrue : szFalse },
        { APNoption, KNn_only,  name_only_on == 1 ? szTrue : szFalse },
        { APNoption, KN_quotes, quotes_on == 1 ? szTrue : szFalse },
        { APNoption, KN_crlf,   crlf_on == 1 ? szTrue : szFalse },
        { APNoption, KN_url,    file_url_on == 1 ? szTrue : szFalse },
        { APNoption, KN_add,    add_drops_on == 1 ? szTrue : szFalse },
        { APNoption, KN_contents, folder_contents_on == 1 ? szTrue : szFalse },
        { APNoption, KN_folders, folders_too_on == 1 ? szTrue : szFalse },
        { APNoption, KN_status, status_bar_on == 1 ? szTrue : szFalse },
    };
    for (const auto &k : keys)
        if (!Profile_Write(szProFName, k.lpszSection, k.lpszKey, k.lpszValue))
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
        /* Stored in 96-DPI units, as a program unaware of DPI stored it:
           an old profile opens at the same apparent size. */
        cx_window_size = MulDiv(wp.rcNormalPosition.right - wp.rcNormalPosition.left, 96, nDpi);
        cy_window_size = MulDiv(wp.rcNormalPosition.bottom - wp.rcNormalPosition.top, 96, nDpi);
    }
    if (!Write_Profile() && hWnd)
        Write_Error_MesBox(hWnd);
}
