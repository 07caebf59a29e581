/* Tamsel32: saving the list to a file the user chooses, names separated
   by CR LF: in the ANSI code page where it holds every name, as UTF-8
   with a byte-order mark where it does not, and as UTF-16 where a name is
   no whole UTF-16 (a lone half of a pair, which NTFS allows). */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

int nSaveType = SAVE_TEXT;

/* The one report of a file that cannot be written: the saved list or the
   profile. */
void Write_Error_MesBox(HWND hWnd)
{
    Message_Box(hWnd, IDS_WRITE_ERROR, IDS_WRITE_ERROR_CAP, MB_ICONEXCLAMATION);
}

/* Windows 95 and 98 have the file dialog only in ANSI: the target's name
   is converted from and back to their code page, which holds whatever
   names they have.  0 after a cancel. */
static int Ansi_File_Box(OPENFILENAMEW *pofnW, LPCSTR BoxTitle, BOOL bSave)
{
    OPENFILENAMEA ofn;
    char szFile[sizeof szFName / sizeof szFName[0]];
    char szFilter[256];
    const int nFilter = Load_Message_Ansi(IDS_FILTER, szFilter, sizeof szFilter);
    for (char *p = szFilter; p < szFilter + nFilter; )
        if (*p == '|')
            *p++ = '\0';
        else
            p = CharNextA(p);
    if (!WideCharToMultiByte(CP_ACP, 0, pofnW->lpstrFile, -1, szFile, sizeof szFile, NULL, NULL))
        szFile[0] = '\0';
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = pofnW->hwndOwner;
    ofn.lpstrFilter = szFilter;
    ofn.nFilterIndex = pofnW->nFilterIndex;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof szFile;
    ofn.lpstrTitle = BoxTitle;
    ofn.Flags = pofnW->Flags;
    ofn.lpstrDefExt = pofnW->lpstrDefExt ? "txt" : NULL;
    if (!(bSave ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn)))
        return 0;
    pofnW->nFilterIndex = ofn.nFilterIndex;
    return MultiByteToWideChar(CP_ACP, 0, szFile, -1, pofnW->lpstrFile, (int)pofnW->nMaxFile) ? 1 : 0;
}

int CMUFileBox(HWND hWnd, LPCSTR BoxTitle, int in_out)
{
    OPENFILENAMEW ofn;
    WCHAR szFile[sizeof szFName / sizeof szFName[0]];
    WCHAR szFilter[256], szTitle[64];

    /* The dialog works on a copy that starts from the last target: a
       failed dialog may leave anything in its buffer (the size it needs,
       for one), and Save must go on writing to the last target. */
    memcpy(szFile, szFName, sizeof szFile);
    /* The filter's pairs, kept in the string table split by '|'. */
    const int nFilter = Load_Message(IDS_FILTER, szFilter, 256);
    for (int i = 0; i < nFilter; i++)
        if (szFilter[i] == '|')
            szFilter[i] = 0;
    MultiByteToWideChar(CP_ACP, 0, BoxTitle, -1, szTitle, 64);
    szTitle[63] = 0;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = hWnd;
    ofn.lpstrFilter = szFilter;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof szFile / sizeof szFile[0];
    ofn.lpstrTitle = szTitle;
    if (in_out) {
        /* A save target: the Save dialog, starting on text files, and a
           name typed bare gets ".txt".  It asks nothing about an existing
           file: the program's own question comes when it saves. */
        ofn.nFilterIndex = 2;
        ofn.lpstrDefExt = L"txt";
        ofn.Flags = OFN_HIDEREADONLY;
    } else {
        ofn.nFilterIndex = 1;
        ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    }

    /* The dialog moves the current folder to the chosen file's, and
       OFN_NOCHANGEDIR does not stop it; a folder kept current would keep a
       USB stick from being ejected while the program runs. */
    WCHAR szCurrentDir[MAX_PATH];
    const DWORD nDir = Current_Folder(MAX_PATH, szCurrentDir);
    SetLastError(0);
    BOOL bChosen = in_out ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!bChosen && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        bChosen = Ansi_File_Box(&ofn, BoxTitle, in_out != 0);
    if (nDir > 0 && nDir < MAX_PATH)
        Set_Current_Folder(szCurrentDir);
    if (bChosen) {
        memcpy(szFName, szFile, sizeof szFName);
        nSaveType = in_out && ofn.nFilterIndex >= SAVE_TEXT && ofn.nFilterIndex <= SAVE_JSON ? (int)ofn.nFilterIndex
                                                                                              : SAVE_TEXT;
        return 1;
    }

    const DWORD dwError = CommDlgExtendedError();
    if (dwError) {
        WCHAR szText[256], szCaption[64], szCode[12];
        Number_Text(dwError, szCode);
        Format_Message(IDS_DIALOG_ERROR, szText, 256, szCode, NULL);
        Load_Message(IDS_DIALOG_ERROR_CAP, szCaption, 64);
        MessageBoxW(hWnd, szText, szCaption, MB_ICONHAND);
    }
    return 0;
}

/* "Save To [ name ]", the name cut, between characters, so that the
   whole fits the caption buffer. */
static void Overwrite_Caption(LPWSTR MessageCaption, int nSize)
{
    WCHAR szFormat[64], szName[sizeof szFName / sizeof szFName[0]];
    /* The room left beside the format, less its "%1". */
    const int nRoom = nSize - 1 - (Load_Message(IDS_OVERWRITE_CAP, szFormat, 64) - 2);
    LPCWSTR lpszPart = File_Name_Of(szFName);
    int nName = lstrlenW(lpszPart);
    if (nName > nRoom) {
        nName = nRoom > 0 ? nRoom : 0;
        if (nName > 0 && IS_HIGH_SURROGATE(lpszPart[nName - 1]))
            nName--;
    }
    memcpy(szName, lpszPart, (size_t)nName * sizeof(WCHAR));
    szName[nName] = 0;
    Format_Message(IDS_OVERWRITE_CAP, MessageCaption, nSize, szName, NULL);
}

/* Names are gathered in a buffer and written together: one system call
   per name made a large save slow.  The whole text is still never held
   in memory: each name's form is converted a chunk at a time. */
#define SAVE_CHUNK      8192                    /* UTF-16 units converted at once */
#define SAVE_BUFF_SIZE  (4 * SAVE_CHUNK)        /* their bytes in any encoding, and more */

/* The file's encoding. */
#define SAVE_ANSI   0       /* the ANSI code page, byte for byte as ever */
#define SAVE_UTF8   1       /* UTF-8 with its byte-order mark */
#define SAVE_UTF16  2       /* UTF-16 LE with its byte-order mark: a lone half of a pair stays */

struct Save_Buffer {
    HANDLE hFile;
    BOOL   bOk;             /* FALSE from the first failed write on */
    int    nEncoding;
    DWORD  nUsed;
    char   bytes[SAVE_BUFF_SIZE];
};

static void Save_Flush(Save_Buffer *pSave)
{
    DWORD nWritten = 0;
    if (pSave->bOk && pSave->nUsed)
        pSave->bOk = WriteFile(pSave->hFile, pSave->bytes, pSave->nUsed, &nWritten, NULL)
                     && nWritten == pSave->nUsed;
    pSave->nUsed = 0;
}

/* Bytes of a text in the file's encoding, written at p when it is not NULL. */
static int Save_Bytes(const Save_Buffer *pSave, LPCWSTR lpszText, int nText, char *p, int nRoom)
{
    BOOL bLossy;
    if (nText == 0)
        return 0;
    if (pSave->nEncoding == SAVE_UTF16) {
        if (p)
            memcpy(p, lpszText, (size_t)nText * sizeof(WCHAR));
        return nText * (int)sizeof(WCHAR);
    }
    if (pSave->nEncoding == SAVE_UTF8)
        return WideCharToMultiByte(CP_UTF8, 0, lpszText, nText, p, p ? nRoom : 0, NULL, NULL);
    return Wide_To_Ansi(lpszText, nText, p, p ? nRoom : 0, &bLossy);
}

/* Adds nText characters, converted a chunk at a time, never between the
   halves of a pair. */
static void Save_Add(Save_Buffer *pSave, LPCWSTR lpszText, SIZE_T nText)
{
    while (nText > 0) {
        int nChunk = nText > SAVE_CHUNK ? SAVE_CHUNK : (int)nText;
        if ((SIZE_T)nChunk < nText && IS_HIGH_SURROGATE(lpszText[nChunk - 1]))
            nChunk--;
        const int nBytes = Save_Bytes(pSave, lpszText, nChunk, NULL, 0);
        if (pSave->nUsed + nBytes > SAVE_BUFF_SIZE)
            Save_Flush(pSave);
        pSave->nUsed += Save_Bytes(pSave, lpszText, nChunk, pSave->bytes + pSave->nUsed,
                                   SAVE_BUFF_SIZE - (int)pSave->nUsed);
        lpszText += nChunk;
        nText -= (SIZE_T)nChunk;
    }
}

/* The encoding that holds a text exactly, beginning from nEncoding: the
   ANSI code page where it can, UTF-8 where the text is whole UTF-16,
   UTF-16 where it holds a lone half of a pair. */
static int Text_Encoding_From(int nEncoding, LPCWSTR lpszText, SIZE_T nText)
{
    BOOL bLossy = FALSE;
    if (nEncoding == SAVE_ANSI && nText)
        Wide_To_Ansi(lpszText, nText < 0x7FFFFFFF ? (int)nText : 0x7FFFFFFF, NULL, 0, &bLossy);
    if (bLossy)
        nEncoding = SAVE_UTF8;
    for (SIZE_T i = 0; i < nText && nEncoding == SAVE_UTF8; i++) {
        if (IS_HIGH_SURROGATE(lpszText[i]) && i + 1 < nText && IS_LOW_SURROGATE(lpszText[i + 1]))
            i++;
        else if (IS_HIGH_SURROGATE(lpszText[i]) || IS_LOW_SURROGATE(lpszText[i]))
            nEncoding = SAVE_UTF16;
    }
    return nEncoding;
}

static int Text_Encoding(LPCWSTR lpszText, SIZE_T nText)
{
    return Text_Encoding_From(SAVE_ANSI, lpszText, nText);
}

/* The encoding that holds every piece to save exactly (a file: URL is
   ASCII). */
static int Save_Encoding(void)
{
    if (file_url_on == 1)
        return SAVE_ANSI;
    int nEncoding = SAVE_ANSI;
    for (HGLOBAL hNode = hFNameTopList; hNode && nEncoding != SAVE_UTF16; hNode = String_List_Next(hNode)) {
        HGLOBAL hName;
        LPCWSTR lpszName = String_List_Lock(hNode, &hName);
        if (!lpszName)
            continue;
        LPCWSTR lpszPiece = Name_Piece(lpszName);
        nEncoding = Text_Encoding_From(nEncoding, lpszPiece, (SIZE_T)lstrlenW(lpszPiece));
        GlobalUnlock(hName);
    }
    return nEncoding;
}

/* A Unicode file begins with its byte-order mark, for the editors that
   read it. */
static void Save_Mark(Save_Buffer *pSave)
{
    if (pSave->nEncoding == SAVE_UTF8) {
        memcpy(pSave->bytes + pSave->nUsed, "\xEF\xBB\xBF", 3);
        pSave->nUsed += 3;
    } else if (pSave->nEncoding == SAVE_UTF16) {
        memcpy(pSave->bytes + pSave->nUsed, "\xFF\xFE", 2);
        pSave->nUsed += 2;
    }
}

/* Adds the piece of a node's name in the form the options ask for, built
   in lpszForm (NAME_FORM_MAX_CHARS); a node that cannot be read is
   empty. */
static void Save_Name(Save_Buffer *pSave, HGLOBAL hNode, LPWSTR lpszForm)
{
    HGLOBAL hName;
    LPCWSTR lpszName = String_List_Lock(hNode, &hName);
    if (!lpszName)
        return;
    LPCWSTR lpszPiece = Name_Piece(lpszName);
    Save_Add(pSave, lpszForm, Name_Form(lpszPiece, lstrlenW(lpszPiece), lpszForm));
    GlobalUnlock(hName);
}

/* The list's text in the file type's format: CSV (RFC 4180, a header
   row), the table, Markdown links or a JSON array; lines apart by CR LF.
   0 when memory runs out. */
static HGLOBAL Typed_Text(SIZE_T *pnLength)
{
    Copy_Format *pFormat = (Copy_Format *)GlobalAlloc(GMEM_FIXED, sizeof(Copy_Format));
    if (!pFormat)
        return 0;
    static const int anBuiltin[] = {8, 8, 7, 5};   /* the table, the table, Markdown, JSON */
    Builtin_Format(anBuiltin[nSaveType - SAVE_CSV], pFormat);
    lstrcpyW(pFormat->szBetween, nSaveType == SAVE_JSON ? L",\\r\\n" : L"\\r\\n");
    if (nSaveType == SAVE_CSV) {
        WCHAR szHeader[128];
        const int nHeader = Load_Message(IDS_TABLE_HEADER, szHeader, 120);
        for (int i = 0; i < nHeader; i++)
            if (szHeader[i] == '\t')
                szHeader[i] = ',';
        lstrcpyW(pFormat->szTemplate, L"{name:csv},{folder:csv},{size},{modified}");
        Escape_Text(szHeader, pFormat->szBefore, COPYAS_AROUND_CHARS - 4);
        lstrcatW(pFormat->szBefore, L"\\r\\n");
    } else if (nSaveType == SAVE_JSON) {
        lstrcpyW(pFormat->szBefore, L"[\\r\\n");
        lstrcpyW(pFormat->szAfter, L"\\r\\n]");
    }
    UINT nNoForm;
    HGLOBAL hText = Format_Text(pFormat, FALSE, pnLength, &nNoForm);
    GlobalFree((HGLOBAL)pFormat);
    return hText;
}

/* Saves the list in a format of a file type into the open file: CSV in
   UTF-8 with its byte-order mark, as spreadsheets expect; the others in
   the ANSI code page where it holds the whole text, else in UTF-8, or
   UTF-16 where only that is exact.  FALSE when memory ran out. */
static BOOL Save_Typed(Save_Buffer *pSave)
{
    SIZE_T nLength = 0;
    HGLOBAL hText = Typed_Text(&nLength);
    LPCWSTR lpszText = hText ? (LPCWSTR)GlobalLock(hText) : NULL;
    if (!lpszText) {
        if (hText)
            GlobalFree(hText);
        return FALSE;
    }
    pSave->nEncoding = SAVE_UTF8;
    if (nSaveType != SAVE_CSV)
        pSave->nEncoding = Text_Encoding(lpszText, nLength);
    Save_Mark(pSave);
    Save_Add(pSave, lpszText, nLength);
    GlobalUnlock(hText);
    GlobalFree(hText);
    return TRUE;
}

int NameSave(HWND hWnd)
{
    WCHAR szFtoken[256];
    WCHAR MessageCaption[256];

    /* Existence and creation by calls that take the whole path: the
       128-byte path of the old OpenFile record would refuse long ones. */
    const DWORD dwAttributes = File_Attributes(szFName);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES) {
        WCHAR szText[256];
        Overwrite_Caption(MessageCaption, 256);
        Load_Message(IDS_OVERWRITE, szText, 256);
        if (MessageBoxW(hWnd, szText, MessageCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return 0;
    }

    /* The buffer, with room for one name's form, is had before the file
       is made: memory that runs out leaves the file as it was. */
    Save_Buffer *pSave = (Save_Buffer *)GlobalAlloc(GMEM_FIXED, sizeof(Save_Buffer) + NAME_FORM_MAX_CHARS * sizeof(WCHAR));
    if (!pSave) {
        Mem_error_MesBox();
        return 0;
    }

    /* A read-only file is never replaced, whatever rights the process has. */
    HANDLE hFile = INVALID_HANDLE_VALUE;
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_READONLY))
        hFile = Create_File(szFName, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (hFile == INVALID_HANDLE_VALUE || !hFNameTopList) {
        GlobalFree((HGLOBAL)pSave);
        if (hFile == INVALID_HANDLE_VALUE) {
            Write_Error_MesBox(hWnd);
            return 0;
        }
        CloseHandle(hFile);
        return 1;
    }

    if (lstrlenW(szToken) == 1 && szToken[0] == '\n')
        memcpy(szFtoken, L"\r\n", sizeof L"\r\n");
    else
        memcpy(szFtoken, szToken, sizeof szFtoken);

    /* The first name, then each further one after the separator, empty
       pieces included; the first failed write ends the save and is
       reported once.  A list the code page cannot hold is saved in
       Unicode, marked as such for the editors that read it. */
    LPWSTR lpszForm = (LPWSTR)(pSave + 1);
    pSave->hFile = hFile;
    pSave->bOk = TRUE;
    pSave->nUsed = 0;
    BOOL bMemory = TRUE;
    if (nSaveType >= SAVE_CSV) {
        bMemory = Save_Typed(pSave);
    } else {
        pSave->nEncoding = Save_Encoding();
        Save_Mark(pSave);
        const SIZE_T nToken = (SIZE_T)lstrlenW(szFtoken);
        Save_Name(pSave, hFNameTopList, lpszForm);
        for (HGLOBAL hNode = String_List_Next(hFNameTopList); pSave->bOk && hNode; hNode = String_List_Next(hNode)) {
            Save_Add(pSave, szFtoken, nToken);
            Save_Name(pSave, hNode, lpszForm);
        }
    }
    Save_Flush(pSave);
    CloseHandle(hFile);
    const int save_ok = pSave->bOk && bMemory;
    GlobalFree((HGLOBAL)pSave);

    if (!bMemory)
        Mem_error_MesBox();
    else if (!save_ok)
        Write_Error_MesBox(hWnd);
    return save_ok;
}
