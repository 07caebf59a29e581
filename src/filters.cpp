/* Tamsel32: the filters of a copy format's fields ({path:wsl:sh}): each
   takes a text and gives it in the form a shell, a script, a document or
   a spreadsheet reads.  Most of a name goes as it stands: each filter
   copies the runs between the characters it must change in one move. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

/* A set of ASCII characters, a bit each. */
struct Ascii_Set {
    DWORD adw[4];
};

static constexpr Ascii_Set Set_Of(const char *s)
{
    Ascii_Set set = {{0, 0, 0, 0}};
    for (; *s; s++)
        set.adw[(unsigned char)*s >> 5] |= 1u << ((unsigned char)*s & 31);
    return set;
}

static inline BOOL In_Set(const Ascii_Set &set, WCHAR c)
{
    return c < 0x80 && ((set.adw[c >> 5] >> (c & 31)) & 1);
}

/* What each filter must change; the rest goes as it stands. */
static constexpr Ascii_Set shSafe = Set_Of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./:@%+=,-");
static constexpr Ascii_Set cmdSpecial = Set_Of(" &()[]{}^=;!'+,~");
static constexpr Ascii_Set mdSpecial = Set_Of(" %()<>");
static constexpr Ascii_Set mdTextSpecial = Set_Of("\\[]");
static constexpr Ascii_Set htmlSpecial = Set_Of("&<>\"'");
static constexpr Ascii_Set csvSpecial = Set_Of(",\"\r\n");
static constexpr Ascii_Set csvQuote = Set_Of("\"");

/* The characters from p on (n at most) that are not in the set. */
static int Run_Outside(const Ascii_Set &set, LPCWSTR p, int n)
{
    const DWORD a0 = set.adw[0], a1 = set.adw[1], a2 = set.adw[2], a3 = set.adw[3];
    int i = 0;
    for (; i < n; i++) {
        const WCHAR c = p[i];
        if (c < 0x80 && (((c < 0x40 ? (c < 0x20 ? a0 : a1) : (c < 0x60 ? a2 : a3)) >> (c & 31)) & 1))
            break;
    }
    return i;
}

static void Put(Filter_Out *pOut, WCHAR c)
{
    if (pOut->n < pOut->nRoom)
        pOut->p[pOut->n++] = c;
    else
        pOut->bFull = TRUE;
}

/* n characters as they stand: all of them, or where they do not fit,
   none, and the output is full. */
static void Put_Run(Filter_Out *pOut, LPCWSTR p, int n)
{
    if (pOut->nRoom - pOut->n < n) {
        pOut->bFull = TRUE;
        return;
    }
    memcpy(pOut->p + pOut->n, p, (size_t)n * sizeof(WCHAR));
    pOut->n += n;
}

/* The same, each backslash a slash. */
static void Put_Slashed(Filter_Out *pOut, LPCWSTR p, int n)
{
    if (pOut->nRoom - pOut->n < n) {
        pOut->bFull = TRUE;
        return;
    }
    LPWSTR q = pOut->p + pOut->n;
    for (int i = 0; i < n; i++)
        q[i] = p[i] == '\\' ? '/' : p[i];
    pOut->n += n;
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

/* The text with each character of the set doubled (a quote inside
   quotes), or with szBefore put before it (an escape). */
static void Put_Escaped(Filter_Out *pOut, LPCWSTR p, int n, const Ascii_Set &set, const char *szBefore)
{
    for (int i = 0; i < n; i++) {
        const int nRun = Run_Outside(set, p + i, n - i);
        Put_Run(pOut, p + i, nRun);
        i += nRun;
        if (i < n) {
            if (szBefore)
                Put_Ascii(pOut, szBefore);
            else
                Put(pOut, p[i]);
            Put(pOut, p[i]);
        }
    }
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
        Put_Run(pOut, p, n);
        return FALSE;
    }
    int i = 0;
    const WCHAR c = (WCHAR)(p[0] | 0x20);
    if (n >= 2 && c >= 'a' && c <= 'z' && p[1] == ':') {
        Put_Ascii(pOut, nFilter == FILTER_WSL ? "/mnt/" : nFilter == FILTER_CYGWIN ? "/cygdrive/" : "/");
        Put(pOut, c);
        i = 2;
    }
    Put_Slashed(pOut, p + i, n - i);
    return TRUE;
}

/* The characters from p on a POSIX shell may take as they stand: the
   ASCII ones of the safe kind, and the others (*pbWide), which it takes
   only where they are letters or digits. */
static int Shell_Safe_Run(LPCWSTR p, int n, BOOL *pbWide)
{
    *pbWide = FALSE;
    int i = 0;
    for (; i < n; i++) {
        const WCHAR c = p[i];
        if (c >= 0x80)
            *pbWide = TRUE;
        else if (!In_Set(shSafe, c))
            break;
    }
    return i;
}

/* TRUE when each character of p past ASCII is a letter or a digit (asked
   of the system once for the word; where it cannot tell, Windows 95 and
   98, it is not). */
static BOOL Wide_Letters_Or_Digits(LPCWSTR p, int n)
{
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

/* A word for a POSIX shell: as it stands where the shell takes it so,
   else in single quotes, a quote inside as '\''. */
static void Put_Shell_Word(Filter_Out *pOut, LPCWSTR p, int n)
{
    BOOL bWide;
    const int nSafe = Shell_Safe_Run(p, n, &bWide);
    if (n > 0 && nSafe == n && (!bWide || Wide_Letters_Or_Digits(p, n))) {
        Put_Run(pOut, p, n);
        return;
    }
    /* A quote is no safe character: none comes before nSafe. */
    Put(pOut, '\'');
    Put_Run(pOut, p, nSafe);
    for (int i = nSafe; i < n; i++) {
        int nRun = 0;
        while (i + nRun < n && p[i + nRun] != '\'')
            nRun++;
        Put_Run(pOut, p + i, nRun);
        i += nRun;
        if (i < n)
            Put_Ascii(pOut, "'\\''");
    }
    Put(pOut, '\'');
}

/* PowerShell takes the typographic single quotes as quotes too: each
   quote is doubled inside single quotes. */
static void Put_Powershell(Filter_Out *pOut, LPCWSTR p, int n)
{
    Put(pOut, '\'');
    for (int i = 0; i < n; i++) {
        int nRun = 0;
        while (i + nRun < n && p[i + nRun] != '\'' && !(p[i + nRun] >= 0x2018 && p[i + nRun] <= 0x201B))
            nRun++;
        Put_Run(pOut, p + i, nRun);
        i += nRun;
        if (i < n) {
            Put(pOut, p[i]);
            Put(pOut, p[i]);
        }
    }
    Put(pOut, '\'');
}

static void Put_Json(Filter_Out *pOut, LPCWSTR p, int n)
{
    Put(pOut, '"');
    for (int i = 0; i < n; i++) {
        int nRun = 0;
        while (i + nRun < n && p[i + nRun] >= 0x20 && p[i + nRun] != '"' && p[i + nRun] != '\\' &&
               !IS_HIGH_SURROGATE(p[i + nRun]) && !IS_LOW_SURROGATE(p[i + nRun]))
            nRun++;
        Put_Run(pOut, p + i, nRun);
        i += nRun;
        if (i == n)
            break;
        const WCHAR c = p[i];
        if (IS_HIGH_SURROGATE(c) && i + 1 < n && IS_LOW_SURROGATE(p[i + 1])) {
            Put(pOut, c);
            Put(pOut, p[++i]);
        } else if (c == '"' || c == '\\') {
            Put(pOut, '\\');
            Put(pOut, c);
        } else {
            Put_Hex(pOut, "\\u", c, 4);   /* a control character, or a lone half of a pair: no UTF-8 holds it */
        }
    }
    Put(pOut, '"');
}

/* A Markdown link's target: a blank, a percent sign, a parenthesis or an
   angle bracket percent-encoded, a backslash a slash. */
static void Put_Markdown_Target(Filter_Out *pOut, LPCWSTR p, int n)
{
    for (int i = 0; i < n; i++) {
        const int nRun = Run_Outside(mdSpecial, p + i, n - i);
        Put_Slashed(pOut, p + i, nRun);
        i += nRun;
        if (i < n)
            Put_Hex(pOut, "%", p[i], 2);
    }
}

static void Put_Html(Filter_Out *pOut, LPCWSTR p, int n)
{
    for (int i = 0; i < n; i++) {
        const int nRun = Run_Outside(htmlSpecial, p + i, n - i);
        Put_Run(pOut, p + i, nRun);
        i += nRun;
        if (i == n)
            break;
        const WCHAR c = p[i];
        Put_Ascii(pOut, c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : "&#39;");
    }
}

/* One filter from p (n characters) into pOut.  FALSE when the text has
   no form under it (a device's path in a POSIX form), in which case it is
   put as it stands. */
BOOL Filter_Apply(int nFilter, LPCWSTR p, int n, Filter_Out *pOut)
{
    BOOL bForm = TRUE;
    switch (nFilter) {
    case FILTER_SLASH:
        Put_Slashed(pOut, p, n);
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
        Put_Shell_Word(pOut, p, n);
        break;
    case FILTER_PS:
        Put_Powershell(pOut, p, n);
        break;
    case FILTER_JSON:
        Put_Json(pOut, p, n);
        break;
    case FILTER_Q:
    case FILTER_CMD: {
        /* Where cmd takes a character as a separator or a special. */
        const BOOL bQuotes = nFilter == FILTER_Q || Run_Outside(cmdSpecial, p, n) < n;
        if (bQuotes)
            Put(pOut, '"');
        Put_Run(pOut, p, n);
        if (bQuotes)
            Put(pOut, '"');
        break;
    }
    case FILTER_MD:
        Put_Markdown_Target(pOut, p, n);
        break;
    case FILTER_MDTEXT:
        Put_Escaped(pOut, p, n, mdTextSpecial, "\\");
        break;
    case FILTER_HTML:
        Put_Html(pOut, p, n);
        break;
    default:   /* FILTER_CSV */
        if (Run_Outside(csvSpecial, p, n) == n) {
            Put_Run(pOut, p, n);
            break;
        }
        Put(pOut, '"');
        Put_Escaped(pOut, p, n, csvQuote, NULL);
        Put(pOut, '"');
        break;
    }
    return bForm;
}
