/* Tamsel32: paths pasted as text.  Each line, or each item in double
   quotes, that is a path is taken, whatever the other lines hold: a drive
   or UNC path with either kind of slash, a file: URL, or a path with
   %VARIABLE% parts.  What is no path is counted in the left-out report. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

static BOOL Is_Blank(WCHAR c)
{
    return c == ' ' || c == '\t';
}

static BOOL Is_Letter(WCHAR c)
{
    c = (WCHAR)(c | 0x20);
    return c >= 'a' && c <= 'z';
}

static BOOL Is_Slash(WCHAR c)
{
    return c == '\\' || c == '/';
}

/* TRUE when [p, pEnd) begins with the lower-case ASCII text lpszStart,
   whatever its case. */
static BOOL Begins_With(const WCHAR *p, const WCHAR *pEnd, const char *lpszStart)
{
    for (; *lpszStart; lpszStart++, p++)
        if (p == pEnd || (Is_Letter(*p) ? (WCHAR)(*p | 0x20) : *p) != (WCHAR)*lpszStart)
            return FALSE;
    return TRUE;
}

/* A single quote: the typewriter's, or one of the typographic ones
   PowerShell takes as such. */
static BOOL Is_Single_Quote(WCHAR c)
{
    return c == '\'' || (c >= 0x2018 && c <= 0x201B);
}

/* Where a path can begin: a drive ("C:\", "C:/"), a UNC name ("\\", "//"),
   a POSIX path ("/mnt/c/..."), a file: URL, a quote or a Markdown link.
   Bare paths on one line are apart where another begins after a blank:
   no file name holds a colon or a slash, and no path a doubled slash. */
static BOOL Path_Starts(const WCHAR *p, const WCHAR *pEnd)
{
    if (p == pEnd)
        return FALSE;
    if (*p == '"' || *p == '/' || *p == '[' || Is_Single_Quote(*p) || Begins_With(p, pEnd, "file:"))
        return TRUE;
    if (pEnd - p >= 3 && Is_Letter(p[0]) && p[1] == ':' && Is_Slash(p[2]))
        return TRUE;
    return pEnd - p >= 2 && Is_Slash(p[0]) && p[0] == p[1];
}

static int Hex_Digit(WCHAR c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = (WCHAR)(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

/* Percent-decodes [p, pEnd) onto lpszOut at *pn (at most nMax in all):
   the bytes are UTF-8, where a lone half of a surrogate pair stands as
   its own three bytes, as the program's own URLs write it; a character
   beyond ASCII written as itself is taken as it is.  A slash becomes a
   backslash.  FALSE for a broken sequence, or a name too long. */
static BOOL Url_Decode(const WCHAR *p, const WCHAR *pEnd, LPWSTR lpszOut, int *pn, int nMax)
{
    int n = *pn;
    while (p < pEnd) {
        if (n + 2 > nMax)
            return FALSE;
        if (*p != '%') {
            lpszOut[n++] = *p == '/' ? '\\' : *p;
            p++;
            continue;
        }
        /* One UTF-8 sequence, from its lead byte. */
        BYTE bytes[4];
        int nBytes = 0, nWanted = 1;
        do {
            if (pEnd - p < 3 || p[0] != '%' || Hex_Digit(p[1]) < 0 || Hex_Digit(p[2]) < 0)
                return FALSE;
            bytes[nBytes++] = (BYTE)(Hex_Digit(p[1]) * 16 + Hex_Digit(p[2]));
            p += 3;
            if (nBytes == 1) {
                const BYTE b = bytes[0];
                nWanted = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3
                          : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
                if (!nWanted)
                    return FALSE;
            } else if ((bytes[nBytes - 1] & 0xC0) != 0x80) {
                return FALSE;
            }
        } while (nBytes < nWanted);
        DWORD c = nWanted == 1 ? bytes[0] : bytes[0] & (0x7F >> nWanted);
        for (int k = 1; k < nWanted; k++)
            c = (c << 6) | (bytes[k] & 0x3F);
        if ((nWanted == 3 && c < 0x800) || (nWanted == 4 && (c < 0x10000 || c > 0x10FFFF)))
            return FALSE;   /* written longer than it needs: no name's */
        if (c >= 0x10000) {
            lpszOut[n++] = (WCHAR)(0xD800 + ((c - 0x10000) >> 10));
            lpszOut[n++] = (WCHAR)(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            lpszOut[n++] = c == '/' ? '\\' : (WCHAR)c;
        }
    }
    *pn = n;
    return TRUE;
}

/* The Windows path of a file: URL, into lpszOut (NAME_MAX_CHARS and a
   NUL): "file:///C:/dir/x.txt" (or "file:/C:/...", "file:C:/...",
   "file://localhost/C:/...", "C|" for "C:") and "file://server/share/x"
   (or "file:////server/share/x").  A query or a fragment ends it.
   Returns its length, 0 when it names no Windows path. */
static int Url_Path(const WCHAR *p, const WCHAR *pEnd, LPWSTR lpszOut)
{
    p += 5;   /* "file:" */
    for (const WCHAR *q = p; q < pEnd; q++)
        if (*q == '?' || *q == '#')
            pEnd = q;
    int n = 0;
    if (pEnd - p >= 2 && p[0] == '/' && p[1] == '/') {
        p += 2;
        const WCHAR *pHost = p;
        while (p < pEnd && *p != '/')
            p++;
        const BOOL bLocal = p == pHost || (p - pHost == 9 && Begins_With(pHost, p, "localhost"));
        /* A server, named after "//" or, local, after "////". */
        const WCHAR *pServer = !bLocal ? pHost : pEnd - p >= 2 && p[1] == '/' ? p + 2 : NULL;
        if (pServer) {
            lpszOut[n++] = '\\';
            lpszOut[n++] = '\\';
            if (!Url_Decode(pServer, pEnd, lpszOut, &n, NAME_MAX_CHARS))
                return 0;
            lpszOut[n] = 0;
            return n;
        }
    }
    if (p < pEnd && *p == '/')
        p++;   /* "/C:/..." */
    if (pEnd - p < 2 || !Is_Letter(p[0]) || (p[1] != ':' && p[1] != '|'))
        return 0;
    lpszOut[n++] = p[0];
    lpszOut[n++] = ':';
    if (!Url_Decode(p + 2, pEnd, lpszOut, &n, NAME_MAX_CHARS))
        return 0;
    lpszOut[n] = 0;
    return n;
}

/* One item of the text, ended in place (the text is the program's own
   copy, with room for the NUL): the path it gives, as a drive or UNC path
   with backslashes, into the intake's szGiven; or one from the root
   ("\tmp\x", "/tmp/x"), which Windows puts on the current folder's drive.
   Returns its length; 0 when it is no such path, and then *pbRelative
   tells whether it was a path at all (one relative to a folder). */
static int Item_Path(LPWSTR pItem, int nItem, Name_Intake *pIntake, BOOL *pbRelative)
{
    LPWSTR lpszOut = pIntake->szGiven;
    pItem[nItem] = 0;
    *pbRelative = FALSE;
    int n;
    if (Begins_With(pItem, pItem + nItem, "file:")) {
        n = Url_Path(pItem, pItem + nItem, lpszOut);
    } else {
        /* Variables as the shell expands them; one not set stays as it is. */
        LPWSTR lpszExpanded = pIntake->szName;
        const DWORD nExpanded = Expand_Variables(pItem, lpszExpanded, NAME_MAX_CHARS + 1);
        if (nExpanded == 0 || nExpanded > NAME_MAX_CHARS + 1)
            return 0;
        n = (int)nExpanded - 1;
        if (lpszExpanded[0] == '/' && n > 0) {
            n = Posix_Path(lpszExpanded, lpszExpanded + n, lpszOut);
        } else {
            for (int i = 0; i < n; i++)
                lpszOut[i] = lpszExpanded[i] == '/' ? '\\' : lpszExpanded[i];
            lpszOut[n] = 0;
        }
    }
    const BOOL bPath = (n >= 3 && Is_Letter(lpszOut[0]) && lpszOut[1] == ':' && lpszOut[2] == '\\') ||
                       (n >= 2 && lpszOut[0] == '\\');
    if (bPath)
        return n;
    for (int i = 0; i < n && !*pbRelative; i++)
        *pbRelative = lpszOut[i] == '\\';
    return 0;
}

/* One item, its text [pItem, pItem + nItem) unquoted (the text is the
   program's own copy, with room for a NUL after it), to the intake: a
   path must name a file or folder; a relative one is counted as such,
   anything else as no file name, with its first characters.  FALSE once
   memory ran out. */
BOOL Take_Pasted_Item(LPWSTR pItem, int nItem, Name_Intake *pIntake)
{
    if (nItem == 0)
        return TRUE;   /* "" */
    BOOL bRelative = FALSE;
    const int nPath = nItem <= NAME_MAX_CHARS ? Item_Path(pItem, nItem, pIntake, &bRelative) : 0;
    if (nPath == 0) {
        Note_Left_Out(bRelative ? NAME_RELATIVE : NAME_NOT_A_NAME, pItem, nItem);
        return TRUE;
    }
    return Intake_Name(pIntake, pIntake->szGiven, nPath, TRUE);
}

/* The items of one line [a, b): a path in double quotes, a word in single
   quotes (a POSIX shell's or PowerShell's), a Markdown link's target, or
   a bare path, trimmed, and apart where another item begins; items may
   be apart by commas too (a PowerShell list). */
static BOOL Take_Line(LPWSTR a, LPWSTR b, Name_Intake *pIntake)
{
    for (BOOL bFirst = TRUE;; bFirst = FALSE) {
        while (a < b && Is_Blank(*a))
            a++;
        if (a < b && *a == ',' && !bFirst)
            for (a++; a < b && Is_Blank(*a); a++)
                ;
        if (a == b)
            return TRUE;
        LPWSTR pItem = a, pItemEnd;
        int nWord;
        LPWSTR pAfter;
        if (Is_Single_Quote(*a)) {
            a = Read_Quoted_Word(a, b, pItem, &nWord);
            pItemEnd = pItem + nWord;
        } else if (*a == '[' && (pAfter = Read_Markdown_Link(a, b, pItem, &nWord)) != NULL) {
            a = pAfter;
            pItemEnd = pItem + nWord;
        } else if (*a == '"') {
            pItem = pItemEnd = a + 1;
            while (pItemEnd < b && *pItemEnd != '"')
                pItemEnd++;
            a = pItemEnd < b ? pItemEnd + 1 : b;
        } else {
            /* To the next path's start after a blank, or the line's end. */
            for (pItemEnd = a; pItemEnd < b; pItemEnd++) {
                if (!Is_Blank(*pItemEnd))
                    continue;
                for (a = pItemEnd; a < b && Is_Blank(*a); a++)
                    ;
                if (Path_Starts(a, b))
                    break;
                pItemEnd = a - 1;   /* on after the run: each blank is looked at once */
            }
            if (pItemEnd == b)
                a = b;
            while (pItemEnd > pItem && Is_Blank(pItemEnd[-1]))
                pItemEnd--;
        }
        /* The item is ended in place, over what followed it: a quote, a
           blank or a line end, all passed already. */
        if (!Take_Pasted_Item(pItem, (int)(pItemEnd - pItem), pIntake))
            return FALSE;
    }
}

/* The paths of a text of nText characters, which the call may change,
   with room for a NUL after it. */
void Take_Text_Paths(LPWSTR lpszText, SIZE_T nText, Name_Intake *pIntake)
{
    pIntake->nCharsLikely = nText;
    if (Take_Json_Array(lpszText, nText, pIntake))
        return;
    LPWSTR p = lpszText, pEnd = lpszText + nText;
    while (p < pEnd) {
        LPWSTR b = p;
        while (b < pEnd && *b != '\r' && *b != '\n')
            b++;
        LPWSTR pNext = b < pEnd ? b + 1 : b;
        if (!Take_Line(p, b, pIntake))
            return;
        p = pNext;
    }
}
