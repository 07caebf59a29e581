/* Tamsel32: the names given on the command line, by Send To or a drop
   on the program's icon, which become the first list as a drop does. */
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The next argument of a command line at *pp, into lpszArg (at most
   nMax characters and a NUL are written), its length in *pnArg however
   long it is, and *pp moved past it; FALSE at the line's end.  A quote
   only toggles: no file name holds one.  A backslash is always itself, so
   "X:\dir\" is the folder and not an escaped quote. */
static BOOL Next_Argument(LPCWSTR *pp, LPWSTR lpszArg, int *pnArg, int nMax = NAME_MAX_CHARS)
{
    LPCWSTR p = *pp;
    while (*p == ' ' || *p == '\t')
        p++;
    if (!*p)
        return FALSE;
    BOOL bQuoted = FALSE;
    int n = 0;
    for (; *p && (bQuoted || (*p != ' ' && *p != '\t')); p++) {
        if (*p == '"')
            bQuoted = !bQuoted;
        else if (n++ < nMax)
            lpszArg[n - 1] = *p;
    }
    lpszArg[n < nMax ? n : nMax] = 0;
    *pnArg = n;
    *pp = p;
    return TRUE;
}

/* Each name made a full path against the current folder, in the order
   given; a name that does not exist is left out and told of, an empty one
   ("") passed over.  bAdd adds them to the list instead of replacing it. */
void Take_Named_Files(HWND hWnd, LPCWSTR lpszCmdLine, BOOL bAdd)
{
    Name_Intake intake;
    int nArg;

    Show_Wait_Cursor();
    Intake_Begin(&intake, bAdd, IDS_CHANGE_HANDED);
    LPCWSTR p = lpszCmdLine;
    Next_Argument(&p, intake.szGiven, &nArg);   /* the program's own name */
    while (Next_Argument(&p, intake.szGiven, &nArg))
        if (nArg && !Intake_Name(&intake, intake.szGiven, nArg, TRUE))
            break;
    const UINT nTaken = Intake_End(&intake);
    if (intake.bOutOfMemory)
        Out_Of_Memory_Box();
    Show_Intake(hWnd, nTaken, 0, 0);
}

/* TRUE when the line names something after the program's own name. */
BOOL Line_Has_Names(LPCWSTR lpszCmdLine)
{
    WCHAR szArg[MAX_PATH];
    int nArg;
    LPCWSTR p = lpszCmdLine;
    Next_Argument(&p, szArg, &nArg, MAX_PATH - 1);
    while (Next_Argument(&p, szArg, &nArg, MAX_PATH - 1))
        if (nArg)
            return TRUE;
    return FALSE;
}

typedef LPWSTR (WINAPI *GETCOMMANDLINEW)(void);

/* The command line in UTF-16.  Read wide on the NT family: the ANSI
   command line holds look-alikes ("report\draft.txt" for a yen sign,
   "cafe.txt" for "café.txt") that would name other files.  Windows 95 and
   98 have only the ANSI one, which holds the names exactly as their code
   page does: converted into a block (*phLine, to be freed).  (Loaded at
   run time: Windows 95 lacks the wide call.)  NULL when memory ran out. */
LPCWSTR Wide_Command_Line(HGLOBAL *phLine)
{
    *phLine = 0;
    GETCOMMANDLINEW pGetCommandLineW = (GETCOMMANDLINEW)(void *)
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCommandLineW");
    if (!(GetVersion() & 0x80000000) && pGetCommandLineW)
        return pGetCommandLineW();
    LPCSTR lpszLine = GetCommandLineA();
    const int nChars = MultiByteToWideChar(CP_ACP, 0, lpszLine, -1, NULL, 0);
    *phLine = nChars > 0 ? GlobalAlloc(GMEM_FIXED, (SIZE_T)nChars * sizeof(WCHAR)) : 0;
    if (!*phLine)
        return NULL;
    MultiByteToWideChar(CP_ACP, 0, lpszLine, -1, (LPWSTR)*phLine, nChars);
    return (LPCWSTR)*phLine;
}

/* The names a fresh window starts with: they become the first list, as a
   drop does. */
void Command_Line_Files(HWND hWnd, LPCWSTR lpszCmdLine)
{
    if (lpszCmdLine && Line_Has_Names(lpszCmdLine))
        Take_Named_Files(hWnd, lpszCmdLine, add_drops_on == 1);
}
