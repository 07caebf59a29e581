/* Tamsel32: the user's own copy formats.  They live in the profile, a
   section each ("[Copy As 1]", ...) in the menu's order, written as soon
   as the formats dialog's OK takes them; a section that cannot be read is
   left out of the menu, left in the file untouched, and named once, at
   start-up. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

static const WCHAR szSectionStart[] = L"Copy As ";
static int anOwnSection[COPYAS_USER_MAX];   /* the section each format came from or went to */

/* ---- What start-up could not read ---- */
#define UNREAD_SHOWN 5
static int  nUnread;                        /* sections left out */
static WCHAR szUnread[UNREAD_SHOWN][96];     /* the first few: "[Copy As 3] why" */

/* The number of a section "Copy As <n>", or 0. */
static int Section_Number(LPCWSTR lpszSection)
{
    const int nStart = lstrlenW(szSectionStart);
    int n = 0, i = nStart;
    for (int k = 0; k < nStart; k++)
        if (lpszSection[k] != szSectionStart[k])
            return 0;
    for (; lpszSection[i] >= '0' && lpszSection[i] <= '9' && n < 100000000; i++)
        n = n * 10 + (lpszSection[i] - '0');
    return i > nStart && !lpszSection[i] ? n : 0;
}

static void Section_Name(int nNumber, WCHAR szSection[24])
{
    memcpy(szSection, szSectionStart, sizeof szSectionStart);
    Number_Text((DWORD)nNumber, szSection + lstrlenW(szSectionStart));
}

/* The numbers of the profile's "Copy As" sections, ascending, into a
   fixed block (*pnCount of them); NULL where there are none. */
static int *Section_Numbers(int *pnCount)
{
    *pnCount = 0;
    const DWORD nSize = 65536;
    LPWSTR lpszNames = szProFName[0] ? (LPWSTR)GlobalAlloc(GMEM_FIXED, nSize * sizeof(WCHAR)) : NULL;
    if (!lpszNames)
        return NULL;
    const DWORD nNames = GetPrivateProfileSectionNamesW(lpszNames, nSize, szProFName);
    int nCount = 0;
    for (LPCWSTR p = lpszNames; p < lpszNames + nNames && *p; p += lstrlenW(p) + 1)
        nCount += Section_Number(p) > 0;
    int *anNumbers = nCount ? (int *)GlobalAlloc(GMEM_FIXED, (SIZE_T)nCount * sizeof(int)) : NULL;
    if (anNumbers) {
        for (LPCWSTR p = lpszNames; p < lpszNames + nNames && *p; p += lstrlenW(p) + 1) {
            const int nNumber = Section_Number(p);
            if (!nNumber)
                continue;
            int i = (*pnCount)++;
            for (; i > 0 && anNumbers[i - 1] > nNumber; i--)   /* in order as they come: few, mostly sorted */
                anNumbers[i] = anNumbers[i - 1];
            anNumbers[i] = nNumber;
        }
    }
    GlobalFree((HGLOBAL)lpszNames);
    return anNumbers;
}

#define KEY_MISSING  (-1)
#define KEY_TOO_LONG (-2)

/* A key of a section into lpszOut (nSize characters): its length, or
   KEY_MISSING, or KEY_TOO_LONG where it does not fit. */
static int Read_Key(LPCWSTR lpszSection, LPCWSTR lpszKey, LPWSTR lpszOut, DWORD nSize)
{
    const DWORD n = GetPrivateProfileStringW(lpszSection, lpszKey, L"\x01", lpszOut, nSize, szProFName);
    if (n == 1 && lpszOut[0] == 0x01)
        return KEY_MISSING;
    return n >= nSize - 1 ? KEY_TOO_LONG : (int)n;
}

static void Note_Unread(int nNumber, UINT idWhy, LPCWSTR lpszArg1, LPCWSTR lpszArg2)
{
    if (nUnread++ >= UNREAD_SHOWN)
        return;
    WCHAR szSection[24], szWhy[80];
    Section_Name(nNumber, szSection);
    Format_Message(idWhy, szWhy, 80, lpszArg1, lpszArg2);
    wsprintfW(szUnread[nUnread - 1], L"[%.20s] %.70s", szSection, szWhy);
}

/* Reads the user's formats from the profile, in the sections' order:
   those that can be read, up to as many as the menu holds. */
void Read_User_Formats(void)
{
    nUserFormats = 0;
    nUnread = 0;
    int nSections;
    int *anNumbers = Section_Numbers(&nSections);
    Template *pTemplate = anNumbers ? (Template *)GlobalAlloc(GMEM_FIXED, sizeof(Template)) : NULL;
    for (int i = 0; pTemplate && i < nSections; i++) {
        WCHAR szSection[24];
        Section_Name(anNumbers[i], szSection);
        Copy_Format *pFormat = &aUserFormats[nUserFormats < COPYAS_USER_MAX ? nUserFormats : COPYAS_USER_MAX - 1];
        Template_Error error;
        const int nTemplate = Read_Key(szSection, L"Template", pFormat->szTemplate, TEMPLATE_MAX_CHARS + 2);
        if (Read_Key(szSection, L"Name", pFormat->szName, COPYAS_NAME_CHARS + 1) <= 0 || nTemplate == KEY_MISSING) {
            Note_Unread(anNumbers[i], IDS_FORMAT_INCOMPLETE, NULL, NULL);
            continue;
        }
        if (nTemplate == KEY_TOO_LONG || nTemplate > TEMPLATE_MAX_CHARS) {
            Note_Unread(anNumbers[i], IDS_TEMPLATE_LONG, NULL, NULL);
            continue;
        }
        if (!Template_Compile(pFormat->szTemplate, pTemplate, &error)) {
            WCHAR szAt[12];
            Number_Text((DWORD)error.nAt, szAt);
            Note_Unread(anNumbers[i], error.id, szAt, error.szWhat);
            continue;
        }
        if (Read_Key(szSection, L"Between", pFormat->szBetween, COPYAS_AROUND_CHARS + 1) < 0)
            lstrcpyW(pFormat->szBetween, L"\\n");
        if (Read_Key(szSection, L"Before", pFormat->szBefore, COPYAS_AROUND_CHARS + 1) < 0)
            pFormat->szBefore[0] = 0;
        if (Read_Key(szSection, L"After", pFormat->szAfter, COPYAS_AROUND_CHARS + 1) < 0)
            pFormat->szAfter[0] = 0;
        if (nUserFormats == COPYAS_USER_MAX) {
            Note_Unread(anNumbers[i], IDS_FORMAT_TOO_MANY, NULL, NULL);
            continue;
        }
        anOwnSection[nUserFormats++] = anNumbers[i];
    }
    if (pTemplate)
        GlobalFree((HGLOBAL)pTemplate);
    if (anNumbers)
        GlobalFree((HGLOBAL)anNumbers);
}

/* Names the sections start-up left out, once. */
void Report_Unread_Formats(HWND hWnd)
{
    if (!nUnread)
        return;
    WCHAR szText[1024], szCaption[64], szMore[64], szCount[12];
    Load_Message(IDS_FORMATS_BROKEN, szText, 512);
    for (int i = 0; i < nUnread && i < UNREAD_SHOWN; i++) {
        lstrcatW(szText, L"\n");
        lstrcatW(szText, szUnread[i]);
    }
    if (nUnread > UNREAD_SHOWN) {
        Number_Text((DWORD)(nUnread - UNREAD_SHOWN), szCount);
        Format_Message(IDS_LEFT_OUT_MORE, szMore, 64, szCount, NULL);
        lstrcatW(szText, szMore);
    }
    nUnread = 0;
    Load_Message(IDS_LEFT_OUT_CAP, szCaption, 64);
    MessageBoxW(hWnd, szText, szCaption, MB_OK | MB_ICONEXCLAMATION);
}

/* Writes a key in double quotes, which the profile's reading takes off
   again: a value's blanks at either end, and its own quotes there, stay. */
static BOOL Write_Key(LPCWSTR lpszSection, LPCWSTR lpszKey, LPCWSTR lpszValue)
{
    WCHAR szQuoted[TEMPLATE_MAX_CHARS + 3];
    const int n = lstrlenW(lpszValue);
    szQuoted[0] = '"';
    memcpy(szQuoted + 1, lpszValue, (size_t)n * sizeof(WCHAR));
    szQuoted[n + 1] = '"';
    szQuoted[n + 2] = 0;
    return WritePrivateProfileStringW(lpszSection, lpszKey, szQuoted, szProFName);
}

/* Writes the user's formats: the sections they came from or went to are
   replaced, in the menu's order, by the lowest numbers no other section
   (one that could not be read) holds; that one stays as it is.  FALSE
   when a write failed. */
BOOL Write_User_Formats(void)
{
    int nSections;
    int *anNumbers = Section_Numbers(&nSections);
    BOOL bOk = TRUE;
    /* Ours go; the others are kept, and their numbers taken. */
    for (int i = 0; i < nSections; i++) {
        for (int k = 0; k < COPYAS_USER_MAX; k++) {
            if (anOwnSection[k] != anNumbers[i])
                continue;
            WCHAR szSection[24];
            Section_Name(anNumbers[i], szSection);
            WritePrivateProfileStringW(szSection, NULL, NULL, szProFName);
            anNumbers[i] = 0;
            break;
        }
    }
    ZeroMemory(anOwnSection, sizeof anOwnSection);
    int nNumber = 0;
    for (int k = 0; k < nUserFormats; k++) {
        BOOL bTaken;
        do {
            nNumber++;
            bTaken = FALSE;
            for (int i = 0; i < nSections && !bTaken; i++)
                bTaken = anNumbers[i] == nNumber;
        } while (bTaken);
        WCHAR szSection[24];
        Section_Name(nNumber, szSection);
        const Copy_Format *pFormat = &aUserFormats[k];
        bOk &= Write_Key(szSection, L"Name", pFormat->szName) && Write_Key(szSection, L"Template", pFormat->szTemplate) &&
               Write_Key(szSection, L"Between", pFormat->szBetween) && Write_Key(szSection, L"Before", pFormat->szBefore) &&
               Write_Key(szSection, L"After", pFormat->szAfter);
        anOwnSection[k] = nNumber;
    }
    if (anNumbers)
        GlobalFree((HGLOBAL)anNumbers);
    return bOk;
}

/* ---- The formats dialog: the user's formats, each made anew or from a
   built-in one, changed, ordered or removed; a preview of the one chosen
   follows every key, and OK stays gray while a template cannot be read. ---- */

struct Format_Edit {
    Copy_Format format;
    BOOL        bTooLong;       /* the template typed is past TEMPLATE_MAX_CHARS */
};

struct Formats_Work {
    Format_Edit aFormats[COPYAS_USER_MAX];
    int         nFormats, nCurrent;
    BOOL        bLoading;       /* the fields are being filled: their changes are no edits */
    Template    tmpl;
    WCHAR       szPreview[4096];
    WCHAR       szTyped[4 * TEMPLATE_MAX_CHARS + 1];
};

static const struct { int id; int nSize; } aFields[] = {
    {IDC_FMT_NAME, COPYAS_NAME_CHARS + 1},     {IDC_FMT_TEMPLATE, 4 * TEMPLATE_MAX_CHARS + 1},
    {IDC_FMT_BETWEEN, COPYAS_AROUND_CHARS + 1}, {IDC_FMT_BEFORE, COPYAS_AROUND_CHARS + 1},
    {IDC_FMT_AFTER, COPYAS_AROUND_CHARS + 1},
};

static LPWSTR Field_Of(Copy_Format *pFormat, int id)
{
    switch (id) {
    case IDC_FMT_NAME:     return pFormat->szName;
    case IDC_FMT_TEMPLATE: return pFormat->szTemplate;
    case IDC_FMT_BETWEEN:  return pFormat->szBetween;
    case IDC_FMT_BEFORE:   return pFormat->szBefore;
    default:               return pFormat->szAfter;
    }
}

/* Why a format cannot be taken, into szWhy (256); FALSE when it can. */
static BOOL Format_Fault(Formats_Work *pWork, const Format_Edit *pEdit, LPWSTR szWhy)
{
    Template_Error error;
    szWhy[0] = 0;
    if (!pEdit->format.szName[0]) {
        Load_Message(IDS_FORMAT_NO_NAME, szWhy, 256);
        return TRUE;
    }
    if (pEdit->bTooLong) {
        Load_Message(IDS_TEMPLATE_LONG, szWhy, 256);
        return TRUE;
    }
    if (Template_Compile(pEdit->format.szTemplate, &pWork->tmpl, &error))
        return FALSE;
    WCHAR szAt[12];
    Number_Text((DWORD)error.nAt, szAt);
    Format_Message(error.id, szWhy, 256, szAt, error.szWhat);
    return TRUE;
}

/* The error line, the preview and the buttons after any change. */
static void Formats_Refresh(HWND hDlg, Formats_Work *pWork)
{
    WCHAR szWhy[256];
    BOOL bAllRead = TRUE;
    for (int i = 0; i < pWork->nFormats; i++)
        bAllRead &= !Format_Fault(pWork, &pWork->aFormats[i], szWhy);
    const BOOL bCurrent = pWork->nCurrent >= 0;
    pWork->szPreview[0] = 0;
    szWhy[0] = 0;
    if (bCurrent && !Format_Fault(pWork, &pWork->aFormats[pWork->nCurrent], szWhy)) {
        /* The preview's lines as the edit control shows lines: CR LF. */
        Format_Preview(&pWork->aFormats[pWork->nCurrent].format, pWork->szTyped, 2000);
        int n = 0;
        for (LPCWSTR p = pWork->szTyped; *p && n < 4090; p++) {
            if (*p == '\n' && (p == pWork->szTyped || p[-1] != '\r'))
                pWork->szPreview[n++] = '\r';
            pWork->szPreview[n++] = *p;
        }
        pWork->szPreview[n] = 0;
    }
    SetDlgItemTextW(hDlg, IDC_FMT_ERROR, szWhy);
    SetDlgItemTextW(hDlg, IDC_FMT_PREVIEW, pWork->szPreview);
    EnableWindow(GetDlgItem(hDlg, IDOK), bAllRead);
    EnableWindow(GetDlgItem(hDlg, IDC_FMT_NEW), pWork->nFormats < COPYAS_USER_MAX);
    static const int aidCurrent[] = {IDC_FMT_REMOVE, IDC_FMT_NAME, IDC_FMT_TEMPLATE, IDC_FMT_BETWEEN, IDC_FMT_BEFORE,
                                     IDC_FMT_AFTER};
    for (int id : aidCurrent)
        EnableWindow(GetDlgItem(hDlg, id), bCurrent);
    EnableWindow(GetDlgItem(hDlg, IDC_FMT_UP), pWork->nCurrent > 0);
    EnableWindow(GetDlgItem(hDlg, IDC_FMT_DOWN), bCurrent && pWork->nCurrent < pWork->nFormats - 1);
}

/* The list of formats anew, the one at nCurrent chosen and its fields shown. */
static void Formats_Show(HWND hDlg, Formats_Work *pWork)
{
    HWND hList = GetDlgItem(hDlg, IDC_FMT_LIST);
    SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < pWork->nFormats; i++)
        SendMessageW(hList, LB_ADDSTRING, 0, (LPARAM)pWork->aFormats[i].format.szName);
    SendMessageW(hList, LB_SETCURSEL, (WPARAM)pWork->nCurrent, 0);
    pWork->bLoading = TRUE;
    for (const auto &field : aFields)
        SetDlgItemTextW(hDlg, field.id, pWork->nCurrent >= 0 ? Field_Of(&pWork->aFormats[pWork->nCurrent].format, field.id) : L"");
    pWork->bLoading = FALSE;
    Formats_Refresh(hDlg, pWork);
}

/* A field was edited: into the format chosen. */
static void Formats_Edited(HWND hDlg, Formats_Work *pWork, int id)
{
    if (pWork->bLoading || pWork->nCurrent < 0)
        return;
    Format_Edit *pEdit = &pWork->aFormats[pWork->nCurrent];
    for (const auto &field : aFields) {
        if (field.id != id)
            continue;
        const int n = GetDlgItemTextW(hDlg, id, pWork->szTyped, field.nSize);
        if (id == IDC_FMT_TEMPLATE) {
            pEdit->bTooLong = n > TEMPLATE_MAX_CHARS;
            pWork->szTyped[TEMPLATE_MAX_CHARS] = 0;
        }
        lstrcpyW(Field_Of(&pEdit->format, id), pWork->szTyped);
    }
    if (id == IDC_FMT_NAME) {
        HWND hList = GetDlgItem(hDlg, IDC_FMT_LIST);
        SendMessageW(hList, LB_DELETESTRING, (WPARAM)pWork->nCurrent, 0);
        SendMessageW(hList, LB_INSERTSTRING, (WPARAM)pWork->nCurrent, (LPARAM)pEdit->format.szName);
        SendMessageW(hList, LB_SETCURSEL, (WPARAM)pWork->nCurrent, 0);
    }
    Formats_Refresh(hDlg, pWork);
}

/* New, Remove, Move Up, Move Down. */
static void Formats_Command(HWND hDlg, Formats_Work *pWork, int id)
{
    const int i = pWork->nCurrent;
    if (id == IDC_FMT_NEW && pWork->nFormats < COPYAS_USER_MAX) {
        /* From the built-in form chosen, or a bare one. */
        const int nFrom = (int)SendDlgItemMessageW(hDlg, IDC_FMT_FROM, CB_GETCURSEL, 0, 0);
        Format_Edit *pNew = &pWork->aFormats[pWork->nFormats];
        ZeroMemory(pNew, sizeof *pNew);
        if (nFrom > 0 && nFrom <= COPYAS_BUILTINS) {
            Builtin_Format(nFrom - 1, &pNew->format);
        } else {
            lstrcpyW(pNew->format.szName, L"Format");
            lstrcpyW(pNew->format.szTemplate, L"{path}");
            lstrcpyW(pNew->format.szBetween, L"\\n");
        }
        pWork->nCurrent = pWork->nFormats++;
    } else if (id == IDC_FMT_REMOVE && i >= 0) {
        memmove(&pWork->aFormats[i], &pWork->aFormats[i + 1], (size_t)(pWork->nFormats - i - 1) * sizeof(Format_Edit));
        pWork->nFormats--;
        pWork->nCurrent = i < pWork->nFormats ? i : pWork->nFormats - 1;
    } else if ((id == IDC_FMT_UP && i > 0) || (id == IDC_FMT_DOWN && i >= 0 && i < pWork->nFormats - 1)) {
        const int k = id == IDC_FMT_UP ? i - 1 : i + 1;
        const Format_Edit edit = pWork->aFormats[i];
        pWork->aFormats[i] = pWork->aFormats[k];
        pWork->aFormats[k] = edit;
        pWork->nCurrent = k;
    } else {
        return;
    }
    Formats_Show(hDlg, pWork);
}

/* The formats dialog; lParam its working block.  OK takes the formats and
   writes them to the profile at once: a format typed is never lost. */
INT_PTR CALLBACK Formats(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam)
{
    Formats_Work *pWork = (Formats_Work *)GetWindowLongPtrW(hDlg, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG: {
        pWork = (Formats_Work *)lParam;
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        for (const auto &field : aFields)
            SendDlgItemMessageW(hDlg, field.id, EM_LIMITTEXT, (WPARAM)field.nSize - 1, 0);
        HWND hFrom = GetDlgItem(hDlg, IDC_FMT_FROM);
        SendMessageW(hFrom, CB_ADDSTRING, 0, (LPARAM)L"(Empty)");
        for (int i = 0; i < COPYAS_BUILTINS; i++) {
            Copy_Format builtin;
            Builtin_Format(i, &builtin);
            SendMessageW(hFrom, CB_ADDSTRING, 0, (LPARAM)builtin.szName);
        }
        SendMessageW(hFrom, CB_SETCURSEL, 0, 0);
        pWork->nFormats = nUserFormats;
        for (int i = 0; i < nUserFormats; i++) {
            pWork->aFormats[i].format = aUserFormats[i];
            pWork->aFormats[i].bTooLong = FALSE;
        }
        pWork->nCurrent = nUserFormats ? 0 : -1;
        Formats_Show(hDlg, pWork);
        return TRUE;
    }

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (!IsWindowEnabled(GetDlgItem(hDlg, IDOK)))
                return TRUE;   /* Enter while a template cannot be read */
            nUserFormats = pWork->nFormats;
            for (int i = 0; i < pWork->nFormats; i++)
                aUserFormats[i] = pWork->aFormats[i].format;
            if (!Write_User_Formats())
                Write_Error_MesBox(hDlg);
            EndDialog(hDlg, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(hDlg, 0);
            return TRUE;
        case IDC_FMT_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE) {
                pWork->nCurrent = (int)SendDlgItemMessageW(hDlg, IDC_FMT_LIST, LB_GETCURSEL, 0, 0);
                Formats_Show(hDlg, pWork);
            }
            return TRUE;
        default:
            if (HIWORD(wParam) == EN_CHANGE)
                Formats_Edited(hDlg, pWork, LOWORD(wParam));
            else if (HIWORD(wParam) == BN_CLICKED)
                Formats_Command(hDlg, pWork, LOWORD(wParam));
            return TRUE;
        }
    }
    return FALSE;
}

/* Option > Copy As Formats: the dialog, then the Copy As menu anew. */
void Copy_As_Formats(HWND hWnd)
{
    Formats_Work *pWork = (Formats_Work *)GlobalAlloc(GMEM_FIXED, sizeof(Formats_Work));
    if (!pWork) {
        Mem_error_MesBox();
        return;
    }
    if (DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_FORMATS), hWnd, Formats, (LPARAM)pWork) == 1)
        Add_Copy_As_Menu(Edit_Menu(hWnd), IDM_NAMECOPY);
    GlobalFree((HGLOBAL)pWork);
}
