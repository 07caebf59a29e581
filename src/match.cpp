/* Tamsel32: names chosen by pattern and by kind.  Select Matching takes
   wildcards against each file name (*.jpg;*.png, report??.*), or a text
   found anywhere in the full path, and selects the names that match or
   takes them out of the list in one step Undo takes back.  Select Files,
   Select Folders and Invert Selection. */
#include <windows.h>

#include "TAMSEL.H"

#define MATCH_MAX_CHARS 1000    /* the longest pattern */

struct Match_Pattern {
    WCHAR szText[MATCH_MAX_CHARS + 1];   /* as typed; with wildcards, ';' ends each */
    int   nText;
    BOOL  bAnywhere;                     /* the text anywhere in the full path */
};

/* One wildcard of n characters against a file name, case as the file
   system folds it: '*' any run, '?' any one character.  Greedy, going back
   only to the last star: at most (name × pattern) steps, however many
   stars, never a blow-up. */
static BOOL Wild_Match(LPCWSTR p, int n, LPCWSTR s)
{
    int i = 0, nStar = -1;
    LPCWSTR pMark = s;
    while (*s) {
        if (i < n && p[i] == '*') {
            nStar = i++;
            pMark = s;
        } else if (i < n && (p[i] == '?' || Fold_Case(p[i]) == Fold_Case(*s))) {
            i++;
            s++;
        } else if (nStar >= 0) {
            i = nStar + 1;
            s = ++pMark;
        } else {
            return FALSE;
        }
    }
    while (i < n && p[i] == '*')
        i++;
    return i == n;
}

/* The text found anywhere in the name, case folded. */
static BOOL Text_In(LPCWSTR p, int n, LPCWSTR s)
{
    for (; *s; s++) {
        int i = 0;
        while (i < n && s[i] && Fold_Case(s[i]) == Fold_Case(p[i]))
            i++;
        if (i == n)
            return TRUE;
    }
    return FALSE;
}

static BOOL Is_Blank(WCHAR c)
{
    return c == ' ' || c == '\t';
}

/* Whether a name of the list matches: with wildcards, any of the pieces
   between ';' (blanks around each left out) against its file name. */
static BOOL Name_Matches(const Match_Pattern *pPattern, LPCWSTR lpszName)
{
    if (pPattern->bAnywhere)
        return Text_In(pPattern->szText, pPattern->nText, lpszName);
    LPCWSTR lpszFile = File_Name_Of(lpszName);
    for (int i = 0; i < pPattern->nText;) {
        while (i < pPattern->nText && (Is_Blank(pPattern->szText[i]) || pPattern->szText[i] == ';'))
            i++;
        int nEnd = i;
        while (nEnd < pPattern->nText && pPattern->szText[nEnd] != ';')
            nEnd++;
        int nPiece = nEnd - i;
        while (nPiece > 0 && Is_Blank(pPattern->szText[i + nPiece - 1]))
            nPiece--;
        if (nPiece && Wild_Match(pPattern->szText + i, nPiece, lpszFile))
            return TRUE;
        i = nEnd;
    }
    return FALSE;
}

/* What no file name holds: control characters and these. */
static BOOL Not_In_File_Name(WCHAR c)
{
    static const WCHAR szNever[] = L"<>:\"/\\|";
    for (const WCHAR *p = szNever; *p; p++)
        if (c == *p)
            return TRUE;
    return c < 0x20;
}

/* The pattern of the dialog, read and checked: 0 when it can be used,
   else the message that says why not (*pcBad: the character at fault). */
static UINT Read_Pattern(HWND hDlg, Match_Pattern *pPattern, WCHAR *pcBad)
{
    pPattern->bAnywhere = IsDlgButtonChecked(hDlg, IDC_MATCH_ANYWHERE) == BST_CHECKED;
    if (GetWindowTextLengthW(GetDlgItem(hDlg, IDC_MATCH_PATTERN)) > MATCH_MAX_CHARS)
        return IDS_MATCH_LONG;
    pPattern->nText = GetDlgItemTextW(hDlg, IDC_MATCH_PATTERN, pPattern->szText, MATCH_MAX_CHARS + 1);
    BOOL bSomething = FALSE;
    for (int i = 0; i < pPattern->nText; i++) {
        const WCHAR c = pPattern->szText[i];
        if (!pPattern->bAnywhere && Not_In_File_Name(c)) {
            *pcBad = c;
            return IDS_MATCH_CHARS;
        }
        bSomething |= !Is_Blank(c) && (pPattern->bAnywhere || c != ';');
    }
    return bSomething ? 0 : IDS_MATCH_EMPTY;
}

/* Whether a name passes a test, given what the test looks for. */
typedef BOOL (*Name_Test)(const void *pWhat, LPCWSTR lpszName);

/* Marks the rows whose names pass in the selection (with bSelect), or
   counts them. */
static UINT Mark_Rows(Name_Test pTest, const void *pWhat, BOOL bSelect)
{
    UINT nMatches = 0;
    int nRow = 0;
    for (HGLOBAL hNode = hFNameTopList, hNext; hNode; hNode = hNext, nRow++) {
        HGLOBAL hText;
        LPCWSTR lpszName = String_List_Lock_Next(hNode, &hText, &hNext);
        if (!lpszName)
            continue;
        if (pTest(pWhat, lpszName)) {
            nMatches++;
            if (bSelect)
                Select_Row(nRow, TRUE);
        }
        GlobalUnlock(hText);
    }
    return nMatches;
}

static BOOL Pattern_Test(const void *pWhat, LPCWSTR lpszName)
{
    return Name_Matches((const Match_Pattern *)pWhat, lpszName);
}

static UINT Mark_Matches(const Match_Pattern *pPattern, BOOL bSelect)
{
    return Mark_Rows(Pattern_Test, pPattern, bSelect);
}

/* A file (*pWhat FALSE) or a folder (TRUE) now: a name that no longer
   exists is neither. */
static BOOL Kind_Test(const void *pWhat, LPCWSTR lpszName)
{
    const DWORD dwAttributes = File_Attributes(lpszName);
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           ((dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == *(const BOOL *)pWhat;
}

/* The count, or what is wrong, under the field as the user types. */
static UINT Show_Matches(HWND hDlg, Match_Pattern *pPattern)
{
    WCHAR szText[128], szArg[12];
    WCHAR cBad = 0;
    const UINT idError = Read_Pattern(hDlg, pPattern, &cBad);
    UINT nMatches = 0;
    if (idError) {
        szArg[0] = cBad < 0x20 ? '?' : cBad;
        szArg[1] = 0;
        Format_Message(idError, szText, 128, szArg, NULL);
    } else {
        nMatches = Mark_Matches(pPattern, FALSE);
        Number_Text(nMatches, szArg);
        Format_Message(IDS_MATCH_COUNT, szText, 128, szArg, NULL);
    }
    SetDlgItemTextW(hDlg, IDC_MATCH_COUNT, szText);
    EnableWindow(GetDlgItem(hDlg, IDOK), nMatches > 0);
    EnableWindow(GetDlgItem(hDlg, IDC_MATCH_REMOVE), nMatches > 0);
    return nMatches;
}

static INT_PTR CALLBACK Match_Proc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    Match_Pattern *pPattern = (Match_Pattern *)GetWindowLongPtrA(hDlg, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        SendDlgItemMessageA(hDlg, IDC_MATCH_PATTERN, EM_LIMITTEXT, 32767, 0);
        Show_Matches(hDlg, (Match_Pattern *)lParam);
        return TRUE;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_MATCH_PATTERN:
            if (HIWORD(wParam) == EN_CHANGE)
                Show_Matches(hDlg, pPattern);
            return TRUE;
        case IDC_MATCH_ANYWHERE:
            Show_Matches(hDlg, pPattern);
            return TRUE;
        case IDOK:
        case IDC_MATCH_REMOVE:
            /* Enter with nothing to match leaves the box open. */
            if (Show_Matches(hDlg, pPattern))
                EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        case IDCANCEL:
            EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

/* Edit > Select Matching (Ctrl+F). */
void Select_Matching(HWND hWnd)
{
    Match_Pattern *pPattern = (Match_Pattern *)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(Match_Pattern));
    if (!pPattern) {
        Mem_error_MesBox();
        return;
    }
    const INT_PTR nAnswer = DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_MATCH), hWnd, Match_Proc, (LPARAM)pPattern);
    if (nAnswer == IDOK) {
        Begin_Row_Change();
        Mark_Matches(pPattern, TRUE);
        End_Row_Change(hWnd);
        Post_Init_Menu(hWnd);
    } else if (nAnswer == IDC_MATCH_REMOVE) {
        /* One step for Undo: the list and the selection as they were. */
        History_Note(IDS_CHANGE_MATCHING);
        Clear_Selection();
        Mark_Matches(pPattern, TRUE);
        Remove_Selected(hWnd, 0);
    }
    GlobalFree((HGLOBAL)pPattern);
}

/* Edit > Select Files, Select Folders: the names that are one now (a
   name that no longer exists is neither), no others. */
void Select_Kind(HWND hWnd, BOOL bFolders)
{
    Begin_Row_Change();
    Clear_Selection();
    Mark_Rows(Kind_Test, &bFolders, TRUE);
    End_Row_Change(hWnd);
    Post_Init_Menu(hWnd);
}

/* Edit > Invert Selection. */
void Invert_Selection(HWND hWnd)
{
    Begin_Row_Change();
    for (int nRow = 0; nRow < (int)TotalNumberOfFiles; nRow++)
        Select_Row(nRow, !Row_Selected(nRow));
    End_Row_Change(hWnd);
    Post_Init_Menu(hWnd);
}
