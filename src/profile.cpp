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

/* The part of a path after its last backslash; a path without one is
   taken whole. */
LPCSTR File_Name_Part(LPCSTR lpszName)
{
    LPCSTR lpszLast = Last_Backslash(lpszName);
    return lpszLast ? lpszLast + 1 : lpszName;
}

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

/* The screen's work area: the screen less the task bar. */
static void Get_Work_Area(RECT *prcWork)
{
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, prcWork, 0))
        SetRect(prcWork, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

/* A window as large as the work area, placed by the system a little in from
   its corner, would hang over the right or bottom edge: move it back in. */
void Keep_In_Work_Area(HWND hWnd)
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
        Write_Error_MesBox(hWnd);
}
