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

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
