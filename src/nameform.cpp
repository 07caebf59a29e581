/* Tamsel32: what is copied or saved of a name: all of it or its file-name
   part, as it stands or as a file: URL, bare or in double quotes. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* The part of a name after its last backslash; a name without one is
   taken whole. */
LPCWSTR File_Name_Of(LPCWSTR lpszName)
{
    LPCWSTR lpszPart = lpszName;
    for (LPCWSTR p = lpszName; *p; p++)
        if (*p == '\\')
            lpszPart = p + 1;
    return lpszPart;
}

/* All of a name, or its file-name part. */
LPCWSTR Name_Piece(LPCWSTR lpszName)
{
    return name_only_on == 1 ? File_Name_Of(lpszName) : lpszName;
}

static BOOL Has_Drive(LPCWSTR lpszPiece)
{
    return ((lpszPiece[0] >= 'A' && lpszPiece[0] <= 'Z') || (lpszPiece[0] >= 'a' && lpszPiece[0] <= 'z')) &&
           lpszPiece[1] == ':';
}

/* What a file: URL of the piece begins with, and the first character of
   the piece it goes on with: "file:///" before a drive ("C:/dir/x.txt"),
   "file://" for "\\server\share\x.txt", nothing for a file name alone
   (a relative URL). */
static LPCSTR Url_Prefix(LPCWSTR lpszPiece, int *piStart)
{
    *piStart = 0;
    if (Has_Drive(lpszPiece))
        return "file:///";
    if (lpszPiece[0] == '\\' && lpszPiece[1] == '\\') {
        *piStart = 2;
        return "file://";
    }
    return "";
}

/* The URL text of the character at lpszPiece[i] (a surrogate pair counts
   as one, *pnUnits tells how many units it took), into szOut: a backslash
   becomes "/", the unreserved characters and a drive's colon stay, every
   other byte of the character's UTF-8 is percent-encoded.  A lone half of
   a pair has no UTF-8: it is written as its own three bytes, so that two
   names never give one URL.  Returns its length. */
static int Url_Part(LPCWSTR lpszPiece, int i, int nPiece, char szOut[13], int *pnUnits)
{
    static const char szHex[] = "0123456789ABCDEF";
    const WCHAR c = lpszPiece[i];
    const BOOL bPair = IS_HIGH_SURROGATE(c) && i + 1 < nPiece && IS_LOW_SURROGATE(lpszPiece[i + 1]);
    *pnUnits = bPair ? 2 : 1;
    if (c == '\\' || c == '/') {
        szOut[0] = '/';
        return 1;
    }
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        c == '-' || c == '.' || c == '_' || c == '~' || (c == ':' && i == 1 && Has_Drive(lpszPiece))) {
        szOut[0] = (char)c;
        return 1;
    }
    const DWORD u = bPair ? 0x10000 + ((DWORD)(c - 0xD800) << 10) + (lpszPiece[i + 1] - 0xDC00) : c;
    BYTE utf8[4];
    int nBytes;
    if (u < 0x80) {
        utf8[0] = (BYTE)u;
        nBytes = 1;
    } else if (u < 0x800) {
        utf8[0] = (BYTE)(0xC0 | (u >> 6));
        utf8[1] = (BYTE)(0x80 | (u & 0x3F));
        nBytes = 2;
    } else if (u < 0x10000) {
        utf8[0] = (BYTE)(0xE0 | (u >> 12));
        utf8[1] = (BYTE)(0x80 | ((u >> 6) & 0x3F));
        utf8[2] = (BYTE)(0x80 | (u & 0x3F));
        nBytes = 3;
    } else {
        utf8[0] = (BYTE)(0xF0 | (u >> 18));
        utf8[1] = (BYTE)(0x80 | ((u >> 12) & 0x3F));
        utf8[2] = (BYTE)(0x80 | ((u >> 6) & 0x3F));
        utf8[3] = (BYTE)(0x80 | (u & 0x3F));
        nBytes = 4;
    }
    for (int k = 0; k < nBytes; k++) {
        szOut[3 * k] = '%';
        szOut[3 * k + 1] = szHex[utf8[k] >> 4];
        szOut[3 * k + 2] = szHex[utf8[k] & 15];
    }
    return 3 * nBytes;
}

/* The piece (nPiece characters) as a file: URL, into lpszOut, or only
   measured when lpszOut is NULL; returns its length in characters. */
SIZE_T Url_Form(LPCWSTR lpszPiece, int nPiece, LPWSTR lpszOut)
{
    SIZE_T n = 0;
    int i;
    for (LPCSTR p = Url_Prefix(lpszPiece, &i); *p; p++, n++)
        if (lpszOut)
            lpszOut[n] = (WCHAR)*p;
    for (int nUnits; i < nPiece; i += nUnits) {
        const WCHAR c = lpszPiece[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\\' ||
            c == '.' || c == '-' || c == '_') {
            /* Most of most names: as they are, a backslash a slash. */
            if (lpszOut)
                lpszOut[n] = c == '\\' ? '/' : c;
            n++;
            nUnits = 1;
            continue;
        }
        char szPart[13];
        const int nPart = Url_Part(lpszPiece, i, nPiece, szPart, &nUnits);
        for (int k = 0; k < nPart; k++, n++)
            if (lpszOut)
                lpszOut[n] = (WCHAR)szPart[k];
    }
    return n;
}

/* The piece (nPiece characters) as the options want it, into lpszOut
   (room for NAME_FORM_MAX_CHARS), or only measured when lpszOut is NULL;
   returns its length in characters.  The copy and the saved file both
   take it. */
SIZE_T Name_Form(LPCWSTR lpszPiece, int nPiece, LPWSTR lpszOut)
{
    SIZE_T n = 0;
    if (quotes_on == 1 && lpszOut)
        lpszOut[n] = '"';
    n += quotes_on == 1;
    if (file_url_on != 1) {
        if (lpszOut)
            memcpy(lpszOut + n, lpszPiece, (size_t)nPiece * sizeof(WCHAR));
        n += (SIZE_T)nPiece;
    } else {
        n += Url_Form(lpszPiece, nPiece, lpszOut ? lpszOut + n : NULL);
    }
    if (quotes_on == 1 && lpszOut)
        lpszOut[n] = '"';
    n += quotes_on == 1;
    return n;
}
