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
                const BOOL bForm = Filter_Apply(pPart->aFilters[f], pFrom, n, &onto);
                if (!onto.bFull) {
                    bAllForms &= bForm;
                    pOut->nLength += (SIZE_T)onto.n;
                    n = -1;
                    break;
                }
            }
            bAllForms &= Filter_Apply(pPart->aFilters[f], pFrom, n, &out);
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
