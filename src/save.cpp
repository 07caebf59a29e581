/* Tamsel32: saving the list to a file the user chooses, names separated
   by CR LF: in the ANSI code page where it holds every name, as UTF-8
   with a byte-order mark where it does not, and as UTF-16 where a name is
   no whole UTF-16 (a lone half of a pair, which NTFS allows). */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

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
    char szFilter[128];
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
    return MultiByteToWideChar(CP_ACP, 0, szFile, -1, pofnW->lpstrFile, (int)pofnW->nMaxFile) ? 1 : 0;
}

int CMUFileBox(HWND hWnd, LPCSTR BoxTitle, int in_out)
{
    OPENFILENAMEW ofn;
    WCHAR szFile[sizeof szFName / sizeof szFName[0]];
    WCHAR szFilter[128], szTitle[64];

    /* The dialog works on a copy that starts from the last target: a
       failed dialog may leave anything in its buffer (the size it needs,
       for one), and Save must go on writing to the last target. */
    memcpy(szFile, szFName, sizeof szFile);
    /* The filter's pairs, kept in the string table split by '|'. */
    const int nFilter = Load_Message(IDS_FILTER, szFilter, 128);
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

/* The encoding that holds every piece to save exactly: the ANSI code page
   where it can (a file: URL is ASCII), UTF-8 where every name is whole
   UTF-16, UTF-16 where a name holds a lone half of a pair. */
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
        const int nPiece = lstrlenW(lpszPiece);
        BOOL bLossy = FALSE;
        if (nEncoding == SAVE_ANSI)
            Wide_To_Ansi(lpszPiece, nPiece, NULL, 0, &bLossy);
        if (bLossy)
            nEncoding = SAVE_UTF8;
        for (int i = 0; i < nPiece && nEncoding == SAVE_UTF8; i++) {
            if (IS_HIGH_SURROGATE(lpszPiece[i]) && i + 1 < nPiece && IS_LOW_SURROGATE(lpszPiece[i + 1]))
                i++;
            else if (IS_HIGH_SURROGATE(lpszPiece[i]) || IS_LOW_SURROGATE(lpszPiece[i]))
                nEncoding = SAVE_UTF16;
        }
        GlobalUnlock(hName);
    }
    return nEncoding;
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
    pSave->nEncoding = Save_Encoding();
    pSave->nUsed = 0;
    if (pSave->nEncoding == SAVE_UTF8) {
        memcpy(pSave->bytes, "\xEF\xBB\xBF", 3);
        pSave->nUsed = 3;
    } else if (pSave->nEncoding == SAVE_UTF16) {
        memcpy(pSave->bytes, "\xFF\xFE", 2);
        pSave->nUsed = 2;
    }
    const SIZE_T nToken = (SIZE_T)lstrlenW(szFtoken);
    Save_Name(pSave, hFNameTopList, lpszForm);
    for (HGLOBAL hNode = String_List_Next(hFNameTopList); pSave->bOk && hNode; hNode = String_List_Next(hNode)) {
        Save_Add(pSave, szFtoken, nToken);
        Save_Name(pSave, hNode, lpszForm);
    }
    Save_Flush(pSave);
    CloseHandle(hFile);
    const int save_ok = pSave->bOk;
    GlobalFree((HGLOBAL)pSave);

    if (!save_ok)
        Write_Error_MesBox(hWnd);
    return save_ok;
}
