/* Tamsel32: the form in which the list keeps a name, from whichever
   source: the one Windows resolves it to, so that the name listed is the
   file found, and never a form that names another file. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* "\\?\" and "\\.\": Windows takes what follows as it stands. */
static BOOL Has_Device_Prefix(LPCWSTR p)
{
    return p[0] == '\\' && p[1] == '\\' && (p[2] == '?' || p[2] == '.') && p[3] == '\\';
}

/* "X:\...": a drive's path. */
static BOOL Is_Drive_Path(LPCWSTR p)
{
    const WCHAR c = (WCHAR)(p[0] | 0x20);
    return c >= 'a' && c <= 'z' && p[1] == ':' && p[2] == '\\';
}

/* "\\server\...": a path on a server. */
static BOOL Is_Unc_Path(LPCWSTR p)
{
    return p[0] == '\\' && p[1] == '\\' && p[2] && p[2] != '\\';
}

/* TRUE when every component from p on, each ended by a backslash or the
   NUL, is one the plain form reads as it stands: not empty (but for the
   last, after a trailing backslash), not "." or "..", not ending in a dot
   or a blank, which Windows drops there. */
static BOOL Plain_Reads_Same(LPCWSTR p)
{
    for (;;) {
        LPCWSTR pEnd = p;
        while (*pEnd && *pEnd != '\\')
            pEnd++;
        const int n = (int)(pEnd - p);
        if (n == 0)
            return !*pEnd;
        if (p[n - 1] == '.' || p[n - 1] == ' ')
            return FALSE;   /* ".", "..", "x." and "x " alike */
        if (!*pEnd)
            return TRUE;
        p = pEnd + 1;
    }
}

/* The plain form of a prefixed name, in place, where it names the same
   file: "\\?\X:\..." and "\\?\UNC\server\share\..." (or "\\.\") whose
   components the plain form reads as they stand.  Any other, a volume
   or a device among them, is kept as given.  Returns the new length. */
static int Drop_Prefix(LPWSTR lpszName, int nName)
{
    LPCWSTR q = lpszName + 4;
    int nCut;   /* characters the plain form loses */
    if (Is_Drive_Path(q))
        nCut = 4;
    else if ((q[0] | 0x20) == 'u' && (q[1] | 0x20) == 'n' && (q[2] | 0x20) == 'c' && q[3] == '\\' &&
             q[4] && q[4] != '\\')
        nCut = 6;
    else
        return nName;
    if (!Plain_Reads_Same(nCut == 4 ? q + 3 : q + 4))
        return nName;
    if (nCut == 4)
        memmove(lpszName, q, (size_t)(nName - 4 + 1) * sizeof(WCHAR));
    else
        memmove(lpszName + 2, q + 4, (size_t)(nName - 8 + 1) * sizeof(WCHAR));   /* "\\" stays */
    return nName - nCut;
}

/* A root keeps its trailing backslash: "X:\", "\\server\share\", and
   under a prefix its first component ("\\?\Volume{...}\"). */
static BOOL Is_Root(LPCWSTR lpszName, int nName)
{
    int nSeparators = 0;
    for (int i = 0; i < nName; i++)
        nSeparators += lpszName[i] == '\\';
    if (Has_Device_Prefix(lpszName))
        return nSeparators <= 4;
    if (Is_Unc_Path(lpszName))
        return nSeparators <= 4;
    return nSeparators <= 1;
}

/* TRUE when a component (p, n characters) is the name of a device of
   the old kind, whatever its extension: CON, PRN, AUX, NUL, COM1 to COM9,
   LPT1 to LPT9.  Older Windows resolves "C:\dir\con.txt" to "\\.\CON". */
static BOOL Is_Device_Name(LPCWSTR p, int n)
{
    static const char szDevices[] = "CON PRN AUX NUL ";
    int nStem = 0;
    while (nStem < n && nStem <= 4 && p[nStem] != '.')   /* past four, no device */
        nStem++;
    WCHAR s[4];
    if (nStem < 3 || nStem > 4)
        return FALSE;
    for (int i = 0; i < nStem; i++)
        s[i] = p[i] >= 'a' && p[i] <= 'z' ? (WCHAR)(p[i] - 32) : p[i];
    if (nStem == 4)
        return s[3] >= '1' && s[3] <= '9' &&
               ((s[0] == 'C' && s[1] == 'O' && s[2] == 'M') || (s[0] == 'L' && s[1] == 'P' && s[2] == 'T'));
    for (const char *d = szDevices; *d; d += 4)
        if (s[0] == d[0] && s[1] == d[1] && s[2] == d[2])
            return TRUE;
    return FALSE;
}

/* TRUE when Windows resolves the name to itself: a drive's or a server's
   full path whose components are neither empty nor "." or "..", end in
   neither a dot nor a blank, hold no forward slash or control character,
   and name no device.
   Most names a drop gives are such: they need no call to resolve, and
   are looked through once. */
static BOOL Resolves_To_Itself(LPCWSTR lpszName, int nName)
{
    const BOOL bDrive = Is_Drive_Path(lpszName);
    if ((!bDrive && !Is_Unc_Path(lpszName)) || Has_Device_Prefix(lpszName))
        return FALSE;
    LPCWSTR p = lpszName + (bDrive ? 3 : 2), pEnd = lpszName + nName;
    for (;;) {
        LPCWSTR pComponent = p;
        while (p < pEnd && *p != '\\' && *p != '/' && *p >= 0x20)
            p++;
        const int n = (int)(p - pComponent);
        if (n == 0 || pComponent[n - 1] == '.' || pComponent[n - 1] == ' ' || (p < pEnd && *p != '\\') ||
            Is_Device_Name(pComponent, n))
            return FALSE;   /* ".", "..", "x.", "x " and an empty one alike */
        if (p == pEnd)
            return TRUE;
        p++;
    }
}

/* The "\\?\" form of an absolute name that Windows would read as another
   (a component ending in a dot or a blank), into lpszOut, when a file or
   folder has that very name; 0 otherwise.  The shell hands such names
   over as they are, and a user may quote one. */
static int Literal_Form(LPCWSTR lpszName, int nName, LPWSTR lpszOut)
{
    const BOOL bDrive = Is_Drive_Path(lpszName);
    if (!bDrive && !Is_Unc_Path(lpszName))
        return 0;
    LPCWSTR pComponents = lpszName + (bDrive ? 3 : 2);
    BOOL bTrailing = FALSE;
    for (LPCWSTR p = pComponents; *p; p++) {
        if (*p == '\\' && (p == pComponents || p[-1] == '\\'))
            return 0;   /* an empty component: not a name as it stands */
        if ((*p == '.' || *p == ' ') && (!p[1] || p[1] == '\\'))
            bTrailing = TRUE;
    }
    if (!bTrailing || nName + 8 > INTAKE_NAME_CHARS - 1)
        return 0;
    /* "." and "..": no file has them as its name. */
    for (LPCWSTR p = pComponents; *p; ) {
        LPCWSTR pEnd = p;
        while (*pEnd && *pEnd != '\\')
            pEnd++;
        if ((pEnd - p == 1 && p[0] == '.') || (pEnd - p == 2 && p[0] == '.' && p[1] == '.'))
            return 0;
        p = *pEnd ? pEnd + 1 : pEnd;
    }
    const int nPrefix = bDrive ? 4 : 8;
    memcpy(lpszOut, bDrive ? L"\\\\?\\" : L"\\\\?\\UNC\\", (size_t)nPrefix * sizeof(WCHAR));
    const int nSkip = bDrive ? 0 : 2;
    memcpy(lpszOut + nPrefix, lpszName + nSkip, (size_t)(nName - nSkip + 1) * sizeof(WCHAR));
    if (File_Attributes(lpszOut) == INVALID_FILE_ATTRIBUTES)
        return 0;
    return nPrefix + nName - nSkip;
}

/* The name as the list keeps it, into lpszOut (INTAKE_NAME_CHARS): the
   form Windows resolves it to (a full path, "." and ".." and doubled
   backslashes gone, and the trailing dots and blanks Windows drops), so
   that the name listed is the file found; a name under "\\?\" as it
   stands, plain where that is the same file; no trailing backslash but
   a root's.  Returns its length, 0 when it is no name. */
int Resolve_Name(LPCWSTR lpszName, int nName, LPWSTR lpszOut)
{
    if (Resolves_To_Itself(lpszName, nName)) {
        memcpy(lpszOut, lpszName, (size_t)(nName + 1) * sizeof(WCHAR));
        return nName;
    }
    /* No Windows file name holds a character below U+0020: a name that
       does would split the copied text into false lines. */
    for (int i = 0; i < nName; i++)
        if (lpszName[i] < 0x20)
            return 0;
    int n = 0;
    if (lpszName[0] == '\\' && lpszName[1] == '\\' && lpszName[2] == '?' && lpszName[3] == '\\') {
        /* Taken as it stands: Windows resolves nothing under "\\?\". */
        memcpy(lpszOut, lpszName, (size_t)(nName + 1) * sizeof(WCHAR));
        n = nName;
    } else if ((n = Literal_Form(lpszName, nName, lpszOut)) == 0) {
        const DWORD nFull = Full_Path_Name(lpszName, NAME_MAX_CHARS + 1, lpszOut);
        if (nFull == 0 || nFull > NAME_MAX_CHARS)
            return 0;
        n = (int)nFull;
    }
    if (Has_Device_Prefix(lpszOut))
        n = Drop_Prefix(lpszOut, n);
    if (n > 1 && lpszOut[n - 1] == '\\' && !Is_Root(lpszOut, n))
        lpszOut[--n] = 0;
    return n;
}
