/* Tamsel32: the forms Copy As gives, read back by a paste: POSIX paths
   (WSL, Git Bash, Cygwin, a server's "//server/share"), words in single
   quotes (a POSIX shell's and PowerShell's), a JSON array of strings and
   Markdown links.  Each gives a Windows path, as the intake takes it. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

static BOOL Is_Letter(WCHAR c)
{
    c = (WCHAR)(c | 0x20);
    return c >= 'a' && c <= 'z';
}

/* TRUE when [p, pEnd) begins with the ASCII text s. */
static BOOL Starts(LPCWSTR p, LPCWSTR pEnd, const char *s)
{
    for (; *s; s++, p++)
        if (p == pEnd || *p != (WCHAR)*s)
            return FALSE;
    return TRUE;
}

/* A POSIX path's Windows path, into lpszOut (NAME_MAX_CHARS and a NUL):
   "/mnt/c/x" (WSL), "/cygdrive/c/x" (Cygwin), "/c/x" (Git Bash, MSYS2)
   are "C:\x"; "//server/share/x" is "\\server\share\x"; any other path
   from the root ("/tmp/x") is on the current folder's drive, as Windows
   reads "\tmp\x".  Returns its length; 0 when [p, pEnd) is no such path. */
int Posix_Path(LPCWSTR p, LPCWSTR pEnd, LPWSTR lpszOut)
{
    if (p == pEnd || *p != '/' || pEnd - p > NAME_MAX_CHARS)
        return 0;
    static const char *const aszRoots[] = {"/mnt/", "/cygdrive/", "/"};
    int n = 0;
    LPCWSTR pRest = p;
    for (const char *lpszRoot : aszRoots) {
        const int nRoot = lstrlenA(lpszRoot);
        if (Starts(p, pEnd, lpszRoot) && pEnd - p > nRoot && Is_Letter(p[nRoot]) &&
            (pEnd - p == nRoot + 1 || p[nRoot + 1] == '/') && !(nRoot == 1 && pEnd - p > 1 && p[1] == '/')) {
            lpszOut[n++] = (WCHAR)(p[nRoot] & ~0x20);
            lpszOut[n++] = ':';
            pRest = p + nRoot + 1;
            if (pRest == pEnd)
                lpszOut[n++] = '\\';   /* "/c" is the drive's root */
            break;
        }
    }
    for (; pRest < pEnd; pRest++)
        lpszOut[n++] = *pRest == '/' ? '\\' : *pRest;
    lpszOut[n] = 0;
    return n;
}

/* A word in single quotes from p (at its quote), its text into lpszOut
   (room for as many characters as [p, pEnd) has): a POSIX shell's, where
   '\'' stands for a quote, or PowerShell's, where '' does, the
   typographic single quotes also quoting there.  Returns where the word
   ends, past its closing quote; *pnOut its text's length. */
LPWSTR Read_Quoted_Word(LPWSTR p, LPWSTR pEnd, LPWSTR lpszOut, int *pnOut)
{
    int n = 0;
    p++;
    while (p < pEnd) {
        if (*p == '\'' || (*p >= 0x2018 && *p <= 0x201B)) {
            if (p + 1 < pEnd && p[1] == *p) {           /* PowerShell: '' */
                lpszOut[n++] = *p;
                p += 2;
            } else if (Starts(p, pEnd, "'\\''")) {      /* POSIX: close, a quote, open again */
                lpszOut[n++] = '\'';
                p += 4;
            } else {
                p++;
                break;
            }
        } else {
            lpszOut[n++] = *p++;
        }
    }
    *pnOut = n;
    return p;
}

static int Hex(WCHAR c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = (WCHAR)(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

/* A Markdown link from p (at its "["): its target, into lpszOut (room
   for as many characters as [p, pEnd) has), with the escapes a link's
   target takes for a blank, "%", parentheses and angle brackets read
   back (a file: URL's target is left to the URL's reading).  Returns
   where the link ends; NULL where there is no link. */
LPWSTR Read_Markdown_Link(LPWSTR p, LPWSTR pEnd, LPWSTR lpszOut, int *pnOut)
{
    /* "[text](target)": the text may hold escaped brackets. */
    LPWSTR q = p + 1;
    while (q < pEnd && *q != ']')
        q += *q == '\\' && q + 1 < pEnd ? 2 : 1;
    if (q + 1 >= pEnd || q[1] != '(')
        return NULL;
    LPWSTR pTarget = q + 2, pClose = pTarget;
    const BOOL bAngle = pTarget < pEnd && *pTarget == '<';
    if (bAngle)
        pTarget++;
    while (pClose < pEnd && *pClose != (bAngle ? '>' : ')'))
        pClose++;
    if (pClose == pEnd)
        return NULL;
    const BOOL bUrl = pClose - pTarget >= 5 && (pTarget[0] | 0x20) == 'f' && (pTarget[1] | 0x20) == 'i' &&
                      (pTarget[2] | 0x20) == 'l' && (pTarget[3] | 0x20) == 'e' && pTarget[4] == ':';
    int n = 0;
    for (LPWSTR s = pTarget; s < pClose; s++) {
        const int nCode = !bUrl && *s == '%' && pClose - s >= 3 && Hex(s[1]) >= 0 && Hex(s[2]) >= 0
                          ? Hex(s[1]) * 16 + Hex(s[2]) : -1;
        if (nCode == ' ' || nCode == '%' || nCode == '(' || nCode == ')' || nCode == '<' || nCode == '>') {
            lpszOut[n++] = (WCHAR)nCode;
            s += 2;
        } else {
            lpszOut[n++] = *s;
        }
    }
    *pnOut = n;
    pClose++;
    if (bAngle && pClose < pEnd && *pClose == ')')
        pClose++;
    return pClose;
}

/* A JSON string from p (at its quote), into lpszOut (nRoom characters;
   at p itself it fits, as it is never longer than its JSON).  Returns
   where it ends, past its closing quote; NULL where it is no JSON string
   or does not fit. */
static LPWSTR Read_Json_String(LPWSTR p, LPWSTR pEnd, LPWSTR lpszOut, SIZE_T nRoom, int *pnOut)
{
    int n = 0;
    for (p++; p < pEnd && *p != '"'; p++) {
        if ((SIZE_T)n + 1 >= nRoom)
            return NULL;
        if (*p != '\\') {
            if (*p < 0x20)
                return NULL;
            lpszOut[n++] = *p;
            continue;
        }
        if (++p == pEnd)
            return NULL;
        switch (*p) {
        case '"': case '\\': case '/': lpszOut[n++] = *p; break;
        case 'b': lpszOut[n++] = '\b'; break;
        case 'f': lpszOut[n++] = '\f'; break;
        case 'n': lpszOut[n++] = '\n'; break;
        case 'r': lpszOut[n++] = '\r'; break;
        case 't': lpszOut[n++] = '\t'; break;
        case 'u': {
            if (pEnd - p < 5 || Hex(p[1]) < 0 || Hex(p[2]) < 0 || Hex(p[3]) < 0 || Hex(p[4]) < 0)
                return NULL;
            lpszOut[n++] = (WCHAR)(Hex(p[1]) << 12 | Hex(p[2]) << 8 | Hex(p[3]) << 4 | Hex(p[4]));
            p += 4;
            break;
        }
        default:
            return NULL;
        }
    }
    if (p == pEnd)
        return NULL;
    *pnOut = n;
    return p + 1;
}

static LPWSTR Skip_Space(LPWSTR p, LPWSTR pEnd)
{
    while (p < pEnd && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n'))
        p++;
    return p;
}

/* A text that is a JSON array of strings, "[...]" and white space around
   it: each string to the intake as a pasted path.  FALSE, with nothing
   taken, when the text is no such array. */
BOOL Take_Json_Array(LPWSTR lpszText, SIZE_T nText, Name_Intake *pIntake)
{
    LPWSTR pEnd = lpszText + nText, p = Skip_Space(lpszText, pEnd);
    if (p == pEnd || *p != '[')
        return FALSE;
    /* Read through once to know it is an array, then take its strings:
       a text that only looks like one is read as lines.  The second time
       each string is read in place (the text is the program's own copy). */
    for (int nPass = 0; nPass < 2; nPass++) {
        LPWSTR q = Skip_Space(p + 1, pEnd);
        BOOL bFirst = TRUE;
        while (q < pEnd && *q != ']') {
            if (!bFirst) {
                if (*q != ',')
                    return FALSE;
                q = Skip_Space(q + 1, pEnd);
            }
            int nString;
            LPWSTR pString = nPass == 0 ? pIntake->szName : q;
            LPWSTR pNext = q < pEnd && *q == '"'
                           ? Read_Json_String(q, pEnd, pString, nPass == 0 ? NAME_MAX_CHARS + 1 : (SIZE_T)(pEnd - q), &nString)
                           : NULL;
            if (!pNext)
                return FALSE;
            if (nPass == 1 && !Take_Pasted_Item(pString, nString, pIntake))
                return TRUE;
            bFirst = FALSE;
            q = Skip_Space(pNext, pEnd);
        }
        if (q == pEnd || Skip_Space(q + 1, pEnd) != pEnd)
            return FALSE;
    }
    return TRUE;
}
