/* Tamsel32: the names given on the command line, by Send To or a drop
   on the program's icon, which become the first list as a drop does. */
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The next argument of a command line at *pp, into lpszArg (at most
   NAME_MAX_CHARS characters and a NUL are written), its length in *pnArg
   however long it is, and *pp moved past it; FALSE at the line's end.  A
   quote only toggles: no file name holds one.  A backslash is always
   itself, so "X:\dir\" is the folder and not an escaped quote. */
static BOOL Next_Argument(LPCWSTR *pp, LPWSTR lpszArg, int *pnArg)
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
        else if (n++ < NAME_MAX_CHARS)
            lpszArg[n - 1] = *p;
    }
    lpszArg[n < NAME_MAX_CHARS ? n : NAME_MAX_CHARS] = 0;
    *pnArg = n;
    *pp = p;
    return TRUE;
}

/* Each name made a full path against the current folder, in the order
   given; a name that does not exist is left out and told of, an empty one
   ("") passed over. */
void Take_Named_Files(HWND hWnd, LPCWSTR lpszCmdLine)
{
    Name_Intake intake;
    int nArg;

    Show_Wait_Cursor();
    Intake_Begin(&intake, add_drops_on == 1);
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

typedef LPWSTR (WINAPI *GETCOMMANDLINEW)(void);

/* Read wide on the NT family: the ANSI command line holds look-alikes
   ("report\draft.txt" for a yen sign, "cafe.txt" for "café.txt") that
   would name other files.  Windows 95 and 98 have only the ANSI one,
   which holds the names exactly as their code page does.  (Loaded at run
   time: Windows 95 lacks the wide call.) */
void Command_Line_Files(HWND hWnd)
{
    GETCOMMANDLINEW pGetCommandLineW = (GETCOMMANDLINEW)(void *)
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetCommandLineW");
    if (!(GetVersion() & 0x80000000) && pGetCommandLineW) {
        Take_Named_Files(hWnd, pGetCommandLineW());
        return;
    }
    LPCSTR lpszLine = GetCommandLineA();
    const int nChars = MultiByteToWideChar(CP_ACP, 0, lpszLine, -1, NULL, 0);
    HGLOBAL hLine = nChars > 0 ? GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)nChars * sizeof(WCHAR)) : 0;
    LPWSTR lpszWide = hLine ? (LPWSTR)GlobalLock(hLine) : NULL;
    if (lpszWide) {
        MultiByteToWideChar(CP_ACP, 0, lpszLine, -1, lpszWide, nChars);
        Take_Named_Files(hWnd, lpszWide);
        GlobalUnlock(hLine);
    }
    if (hLine)
        GlobalFree(hLine);
}
