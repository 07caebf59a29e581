/* Tamsel32: a copy format's line template.  Text with fields in braces,
   each field followed by filters applied left to right ({path:wsl:sh});
   "{{" and "}}" are braces.  A template is compiled once, then filled a
   name at a time. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

static const char *const aszFields[FIELD_COUNT] = {
    "path", "name", "stem", "ext", "folder", "rel", "n", "size", "modified",
};
static const char *const aszFilters[FILTER_COUNT] = {
    "slash", "wsl", "msys", "cygwin", "url", "sh", "ps", "json", "q", "cmd", "md", "mdtext", "html", "csv",
};

/* The index of the word [p, p + n) in a list of lower-case ASCII words
   (any case matches), or -1. */
static int Word_Index(const char *const *aszWords, int nWords, LPCWSTR p, int n)
{
    for (int k = 0; k < nWords; k++) {
        const char *w = aszWords[k];
        int i = 0;
        while (i < n && w[i] && (WCHAR)(p[i] >= 'A' && p[i] <= 'Z' ? p[i] + 32 : p[i]) == (WCHAR)w[i])
            i++;
        if (i == n && !w[i])
            return k;
    }
    return -1;
}

static int Error_At(Template_Error *pError, UINT id, int nAt, LPCWSTR lpszWhat, int nWhat)
{
    pError->id = id;
    pError->nAt = nAt;
    if (nWhat > TEMPLATE_WHAT_CHARS)
        nWhat = TEMPLATE_WHAT_CHARS;
    memcpy(pError->szWhat, lpszWhat, (size_t)nWhat * sizeof(WCHAR));
    pError->szWhat[nWhat] = 0;
    return 0;
}

/* Compiles lpszTemplate.  TRUE when it can be read; otherwise FALSE, and
   *pError says why and at which character (from 1). */
BOOL Template_Compile(LPCWSTR lpszTemplate, Template *pTemplate, Template_Error *pError)
{
    const int n = lstrlenW(lpszTemplate);
    pTemplate->nParts = 0;
    pTemplate->nText = 0;
    pTemplate->nFields = 0;
    if (n > TEMPLATE_MAX_CHARS)
        return Error_At(pError, IDS_TEMPLATE_LONG, TEMPLATE_MAX_CHARS + 1, L"", 0);
    LPCWSTR t = lpszTemplate;
    for (int i = 0; i < n; ) {
        Template_Part *pPart = &pTemplate->aParts[pTemplate->nParts];
        const BOOL bOpen = t[i] == '{' && t[i + 1] != '{';
        if (!bOpen) {
            /* Text: up to the next field, each "{{" or "}}" one brace. */
            if (pTemplate->nParts == 0 || pTemplate->aParts[pTemplate->nParts - 1].nField >= 0) {
                pPart->nField = -1;
                pPart->nFirst = pTemplate->nText;
                pPart->nChars = 0;
                pTemplate->nParts++;
            } else {
                pPart--;
            }
            if (t[i] == '}' && t[i + 1] != '}')
                return Error_At(pError, IDS_TEMPLATE_CLOSE, i + 1, L"}", 1);
            pTemplate->szText[pTemplate->nText++] = t[i];
            pPart->nChars++;
            i += (t[i] == '{' || t[i] == '}') ? 2 : 1;
            continue;
        }
        int nEnd = i + 1;
        while (nEnd < n && t[nEnd] != '}' && t[nEnd] != '{')
            nEnd++;
        if (nEnd == n || t[nEnd] == '{')
            return Error_At(pError, IDS_TEMPLATE_OPEN, i + 1, L"{", 1);
        /* {field:filter:filter} */
        int nWord = i + 1, nColon = nWord;
        while (nColon < nEnd && t[nColon] != ':')
            nColon++;
        pPart->nField = Word_Index(aszFields, FIELD_COUNT, t + nWord, nColon - nWord);
        if (pPart->nField < 0)
            return Error_At(pError, IDS_TEMPLATE_FIELD, nWord + 1, t + nWord, nColon - nWord);
        pPart->nFilters = 0;
        while (nColon < nEnd) {
            nWord = nColon + 1;
            for (nColon = nWord; nColon < nEnd && t[nColon] != ':'; nColon++)
                ;
            const int nFilter = Word_Index(aszFilters, FILTER_COUNT, t + nWord, nColon - nWord);
            if (nFilter < 0 || pPart->nFilters == TEMPLATE_MAX_FILTERS)
                return Error_At(pError, IDS_TEMPLATE_FILTER, nWord + 1, t + nWord, nColon - nWord);
            pPart->aFilters[pPart->nFilters++] = (BYTE)nFilter;
        }
        pTemplate->nFields |= 1u << pPart->nField;
        pTemplate->nParts++;
        i = nEnd + 1;
    }
    return TRUE;
}

/* ---- Filling in ---- */

/* Appends to a text that keeps what fits and counts the rest. */
void Out_Add(Text_Out *pOut, LPCWSTR lpszText, SIZE_T nText)
{
    if (pOut->lpszText && pOut->nLength + nText < pOut->nRoom)
        memcpy(pOut->lpszText + pOut->nLength, lpszText, nText * sizeof(WCHAR));
    else
        pOut->lpszText = NULL;
    pOut->nLength += nText;
}

/* A filter's output, bounded by its buffer: past it, nothing more. */
struct Filter_Out {
    LPWSTR p;
    int    n, nRoom;
    BOOL   bFull;
};

static void Put(Filter_Out *pOut, WCHAR c)
{
    if (pOut->n < pOut->nRoom)
        pOut->p[pOut->n++] = c;
    else
        pOut->bFull = TRUE;
}

static void Put_Ascii(Filter_Out *pOut, const char *s)
{
    for (; *s; s++)
        Put(pOut, (WCHAR)*s);
}

static void Put_Hex(Filter_Out *pOut, const char *lpszBefore, UINT u, int nDigits)
{
    static const char szHex[] = "0123456789ABCDEF";
    Put_Ascii(pOut, lpszBefore);
    for (int k = nDigits - 1; k >= 0; k--)
        Put(pOut, (WCHAR)szHex[(u >> (4 * k)) & 15]);
}

/* "\\?\" and "\\.\": a volume, a device or a name Windows takes as it
   stands, which no shell of another system can name. */
static BOOL No_Posix_Form(LPCWSTR p, int n)
{
    return n >= 4 && p[0] == '\\' && p[1] == '\\' && (p[2] == '?' || p[2] == '.') && p[3] == '\\';
}

/* A path as a POSIX shell on Windows names it: WSL ("/mnt/c/x"), MSYS2
   and Git Bash ("/c/x"), Cygwin ("/cygdrive/c/x"); a server's path is
   "//server/share/x" for all three.  TRUE when it has such a form. */
static BOOL Posix_Form(int nFilter, LPCWSTR p, int n, Filter_Out *pOut)
{
    if (No_Posix_Form(p, n)) {
        for (int i = 0; i < n; i++)
            Put(pOut, p[i]);
        return FALSE;
    }
    int i = 0;
    const WCHAR c = (WCHAR)(p[0] | 0x20);
    if (n >= 2 && c >= 'a' && c <= 'z' && p[1] == ':') {
        Put_Ascii(pOut, nFilter == FILTER_WSL ? "/mnt/" : nFilter == FILTER_CYGWIN ? "/cygdrive/" : "/");
        Put(pOut, c);
        i = 2;
    }
    for (; i < n; i++)
        Put(pOut, p[i] == '\\' ? '/' : p[i]);
    return TRUE;
}

/* A word a POSIX shell takes as it stands: its ASCII characters of the
   safe kind, the others letters or digits (asked of the system once for
   the word; where it cannot tell, Windows 95 and 98, they are quoted). */
static BOOL Shell_Bare(LPCWSTR p, int n)
{
    if (n == 0)
        return FALSE;
    BOOL bWide = FALSE;
    for (int i = 0; i < n; i++) {
        const WCHAR c = p[i];
        if (c >= 0x80)
            bWide = TRUE;
        else if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                   strchr("_./:@%+=,-", (char)c)))
            return FALSE;
    }
    if (!bWide)
        return TRUE;
    for (int nAt = 0; nAt < n; nAt += 256) {
        WORD awTypes[256];
        const int nChunk = n - nAt < 256 ? n - nAt : 256;
        if (!GetStringTypeW(CT_CTYPE1, p + nAt, nChunk, awTypes))
            return FALSE;
        for (int i = 0; i < nChunk; i++) {
            const WCHAR c = p[nAt + i];
            if (c >= 0x80 && (IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c) || !(awTypes[i] & (C1_ALPHA | C1_DIGIT))))
                return FALSE;
        }
    }
    return TRUE;
}

/* Characters cmd takes as separators or specials: such a name needs quotes. */
static BOOL Cmd_Needs_Quotes(LPCWSTR p, int n)
{
    for (int i = 0; i < n; i++)
        if (p[i] < 0x80 && strchr(" &()[]{}^=;!'+,~", (char)p[i]))
            return TRUE;
    return FALSE;
}

static BOOL Csv_Needs_Quotes(LPCWSTR p, int n)
{
    for (int i = 0; i < n; i++)
        if (p[i] == ',' || p[i] == '"' || p[i] == '\r' || p[i] == '\n')
            return TRUE;
    return FALSE;
}

/* One filter from p (n characters) into pOut.  FALSE when the text has
   no form under it (a device's path in a POSIX form), in which case it is
   put as it stands. */
static BOOL Filter(int nFilter, LPCWSTR p, int n, Filter_Out *pOut)
{
    BOOL bForm = TRUE;
    switch (nFilter) {
    case FILTER_SLASH:
        for (int i = 0; i < n; i++)
            Put(pOut, p[i] == '\\' ? '/' : p[i]);
        break;
    case FILTER_WSL:
    case FILTER_MSYS:
    case FILTER_CYGWIN:
        bForm = Posix_Form(nFilter, p, n, pOut);
        break;
    case FILTER_URL:
        /* Nine characters a unit at the most, and the prefix: written at
           once where that fits, which is always, for a name. */
        if (pOut->nRoom - pOut->n >= 9 * n + 16 || pOut->nRoom - pOut->n >= (int)Url_Form(p, n, NULL))
            pOut->n += (int)Url_Form(p, n, pOut->p + pOut->n);
        else
            pOut->bFull = TRUE;
        break;
    case FILTER_SH:
        if (Shell_Bare(p, n)) {
            for (int i = 0; i < n; i++)
                Put(pOut, p[i]);
            break;
        }
        Put(pOut, '\'');
        for (int i = 0; i < n; i++) {
            if (p[i] == '\'')
                Put_Ascii(pOut, "'\\''");
            else
                Put(pOut, p[i]);
        }
        Put(pOut, '\'');
        break;
    case FILTER_PS:
        /* PowerShell takes the typographic single quotes as quotes too. */
        Put(pOut, '\'');
        for (int i = 0; i < n; i++) {
            if (p[i] == '\'' || (p[i] >= 0x2018 && p[i] <= 0x201B))
                Put(pOut, p[i]);
            Put(pOut, p[i]);
        }
        Put(pOut, '\'');
        break;
    case FILTER_JSON:
        Put(pOut, '"');
        for (int i = 0; i < n; i++) {
            const WCHAR c = p[i];
            if (IS_HIGH_SURROGATE(c) && i + 1 < n && IS_LOW_SURROGATE(p[i + 1])) {
                Put(pOut, c);
                Put(pOut, p[++i]);
            } else if (c == '"' || c == '\\') {
                Put(pOut, '\\');
                Put(pOut, c);
            } else if (c < 0x20 || IS_HIGH_SURROGATE(c) || IS_LOW_SURROGATE(c)) {
                Put_Hex(pOut, "\\u", c, 4);   /* a lone half of a pair, too: no UTF-8 holds it */
            } else {
                Put(pOut, c);
            }
        }
        Put(pOut, '"');
        break;
    case FILTER_Q:
    case FILTER_CMD:
        if (nFilter == FILTER_Q || Cmd_Needs_Quotes(p, n))
            Put(pOut, '"');
        for (int i = 0; i < n; i++)
            Put(pOut, p[i]);
        if (nFilter == FILTER_Q || Cmd_Needs_Quotes(p, n))
            Put(pOut, '"');
        break;
    case FILTER_MD:
        for (int i = 0; i < n; i++) {
            const WCHAR c = p[i];
            if (c == ' ' || c == '%' || c == '(' || c == ')' || c == '<' || c == '>')
                Put_Hex(pOut, "%", c, 2);
            else
                Put(pOut, c == '\\' ? '/' : c);
        }
        break;
    case FILTER_MDTEXT:
        for (int i = 0; i < n; i++) {
            if (p[i] == '\\' || p[i] == '[' || p[i] == ']')
                Put(pOut, '\\');
            Put(pOut, p[i]);
        }
        break;
    case FILTER_HTML:
        for (int i = 0; i < n; i++) {
            const WCHAR c = p[i];
            if (c == '&' || c == '<' || c == '>' || c == '"' || c == '\'')
                Put_Ascii(pOut, c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : "&#39;");
            else
                Put(pOut, c);
        }
        break;
    default:   /* FILTER_CSV */
        if (!Csv_Needs_Quotes(p, n)) {
            for (int i = 0; i < n; i++)
                Put(pOut, p[i]);
            break;
        }
        Put(pOut, '"');
        for (int i = 0; i < n; i++) {
            if (p[i] == '"')
                Put(pOut, '"');
            Put(pOut, p[i]);
        }
        Put(pOut, '"');
        break;
    }
    return bForm;
}

/* Where a name's file-name part and its extension begin, found once a
   name for all the fields that read them. */
struct Name_Parts {
    int nSlash, nDot;           /* the last backslash, the extension's dot; -1 for none */
};

static void Find_Parts(const Name_Row *pRow, Name_Parts *pParts)
{
    LPCWSTR p = pRow->lpszPath;
    const int n = pRow->nPath;
    pParts->nSlash = pParts->nDot = -1;
    for (int i = 0; i < n; i++)
        if (p[i] == '\\')
            pParts->nSlash = i;
    for (int i = n - 1; i > pParts->nSlash + 1 && pParts->nDot < 0; i--)   /* ".profile" has no extension */
        if (p[i] == '.')
            pParts->nDot = i;
}

/* A field's text for one name: where it stands in the name, or for the
   fields that are no part of it, in szField (32 characters). */
static LPCWSTR Field_Text(int nField, const Name_Row *pRow, const Name_Parts *pParts, LPWSTR szField, int *pn)
{
    LPCWSTR p = pRow->lpszPath;
    const int n = pRow->nPath, nSlash = pParts->nSlash, nDot = pParts->nDot;
    int nFrom = 0, nTo = 0;
    switch (nField) {
    case FIELD_PATH:   nTo = n; break;
    case FIELD_NAME:   nFrom = nSlash + 1; nTo = n; break;
    case FIELD_STEM:   nFrom = nSlash + 1; nTo = nDot >= 0 ? nDot : n; break;
    case FIELD_EXT:    nFrom = nDot >= 0 ? nDot : n; nTo = n; break;
    case FIELD_FOLDER:
        /* A drive's root keeps its backslash: "C:\". */
        nTo = nSlash < 0 ? 0 : nSlash;
        if (nSlash == 2 && p[1] == ':')
            nTo = nSlash + 1;
        break;
    case FIELD_REL:
        p = pRow->lpszRel;
        nTo = pRow->nRel;
        break;
    case FIELD_ROW:
        Number_Text((DWORD)pRow->nRow, szField);
        *pn = lstrlenW(szField);
        return szField;
    default:   /* FIELD_SIZE, FIELD_MODIFIED */
        *pn = File_Fact(nField, pRow->pData, szField);
        return szField;
    }
    *pn = nTo - nFrom;
    return p + nFrom;
}

/* Fills the template in for one name, onto pOut: each field's text
   through its filters, the last of them writing onto pOut itself where
   there is room, the others into the two scratch buffers (each
   TEMPLATE_SCRATCH_CHARS) in turn.  FALSE when a field had no form under
   a filter (it went as it stands) or grew past the scratch buffers (the
   name's own path went instead). */
BOOL Template_Fill(const Template *pTemplate, const Name_Row *pRow, Text_Out *pOut, LPWSTR szScratch1,
                   LPWSTR szScratch2)
{
    BOOL bAllForms = TRUE;
    Name_Parts parts = {-1, -1};
    if (pTemplate->nFields & ((1u << FIELD_NAME) | (1u << FIELD_STEM) | (1u << FIELD_EXT) | (1u << FIELD_FOLDER)))
        Find_Parts(pRow, &parts);
    for (int k = 0; k < pTemplate->nParts; k++) {
        const Template_Part *pPart = &pTemplate->aParts[k];
        if (pPart->nField < 0) {
            Out_Add(pOut, pTemplate->szText + pPart->nFirst, (SIZE_T)pPart->nChars);
            continue;
        }
        WCHAR szField[32];
        int n;
        LPCWSTR pFrom = Field_Text(pPart->nField, pRow, &parts, szField, &n);
        LPWSTR szTo = szScratch1;
        for (int f = 0; f < pPart->nFilters; f++) {
            const BOOL bLast = f == pPart->nFilters - 1;
            const SIZE_T nLeft = pOut->lpszText ? pOut->nRoom - pOut->nLength - 1 : 0;
            Filter_Out out = {szTo, 0, TEMPLATE_SCRATCH_CHARS, FALSE};
            if (bLast && nLeft > 0) {
                /* Straight onto the text: one copy less a field. */
                Filter_Out onto = {pOut->lpszText + pOut->nLength, 0, nLeft < TEMPLATE_SCRATCH_CHARS ? (int)nLeft
                                                                         : TEMPLATE_SCRATCH_CHARS, FALSE};
                const BOOL bForm = Filter(pPart->aFilters[f], pFrom, n, &onto);
                if (!onto.bFull) {
                    bAllForms &= bForm;
                    pOut->nLength += (SIZE_T)onto.n;
                    n = -1;
                    break;
                }
            }
            bAllForms &= Filter(pPart->aFilters[f], pFrom, n, &out);
            if (out.bFull) {
                /* Past any sane length: the path as it stands. */
                pFrom = pRow->lpszPath;
                n = pRow->nPath;
                bAllForms = FALSE;
                break;
            }
            pFrom = szTo;
            n = out.n;
            szTo = szTo == szScratch1 ? szScratch2 : szScratch1;
        }
        if (n >= 0)
            Out_Add(pOut, pFrom, (SIZE_T)n);
    }
    return bAllForms;
}

/* ---- The texts between, before and after the names ---- */

/* Writes a TAB, CR, LF and backslash of lpszText as \t, \r, \n and \\,
   into lpszOut of nSize characters, cut between characters.  Returns the
   length. */
int Escape_Text(LPCWSTR lpszText, LPWSTR lpszOut, int nSize)
{
    int n = 0;
    for (LPCWSTR p = lpszText; *p; p++) {
        const BOOL bEscape = *p == '\t' || *p == '\r' || *p == '\n' || *p == '\\';
        if (n + (bEscape ? 2 : 1) > nSize - 1)
            break;
        if (bEscape) {
            lpszOut[n++] = '\\';
            lpszOut[n++] = *p == '\t' ? 't' : *p == '\r' ? 'r' : *p == '\n' ? 'n' : '\\';
        } else {
            lpszOut[n++] = *p;
        }
    }
    lpszOut[n] = 0;
    return n;
}

/* Reads the escapes \t, \r, \n and \\ of lpszText into lpszOut (as large);
   any other backslash stays itself.  Returns the length. */
int Unescape_Text(LPCWSTR lpszText, LPWSTR lpszOut)
{
    int n = 0;
    for (LPCWSTR p = lpszText; *p; p++) {
        if (*p == '\\' && (p[1] == 't' || p[1] == 'r' || p[1] == 'n' || p[1] == '\\')) {
            p++;
            lpszOut[n++] = *p == 't' ? '\t' : *p == 'r' ? '\r' : *p == 'n' ? '\n' : '\\';
        } else {
            lpszOut[n++] = *p;
        }
    }
    lpszOut[n] = 0;
    return n;
}
