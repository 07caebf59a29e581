/* Tamsel32: saving the list to a file the user chooses, names separated
   by CR LF: in the ANSI code page where it holds every name, as UTF-8
   with a byte-order mark where it does not. */
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
    const DWORD nDir = GetCurrentDirectoryW(MAX_PATH, szCurrentDir);
    SetLastError(0);
    BOOL bChosen = in_out ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!bChosen && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        bChosen = Ansi_File_Box(&ofn, BoxTitle, in_out != 0);
    if (nDir > 0 && nDir < MAX_PATH)
        SetCurrentDirectoryW(szCurrentDir);
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
   in memory.  The buffer holds the longest name in UTF-8, with its
   separator. */
#define SAVE_BUFF_SIZE (3 * (NAME_MAX_CHARS + 256))

struct Save_Buffer {
    HANDLE hFile;
    BOOL   bOk;             /* FALSE from the first failed write on */
    BOOL   bUtf8;           /* UTF-8, or the ANSI code page */
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
    if (pSave->bUtf8)
        return WideCharToMultiByte(CP_UTF8, 0, lpszText, nText, p, p ? nRoom : 0, NULL, NULL);
    return Wide_To_Ansi(lpszText, nText, p, p ? nRoom : 0, &bLossy);
}

static void Save_Add(Save_Buffer *pSave, LPCWSTR lpszText)
{
    const int nText = lstrlenW(lpszText);
    const int nBytes = Save_Bytes(pSave, lpszText, nText, NULL, 0);
    if (pSave->nUsed + nBytes > SAVE_BUFF_SIZE)
        Save_Flush(pSave);
    pSave->nUsed += Save_Bytes(pSave, lpszText, nText, pSave->bytes + pSave->nUsed,
                               SAVE_BUFF_SIZE - (int)pSave->nUsed);
}

/* Text already in ASCII, the same bytes in every encoding the file has. */
static void Save_Add_Ascii(Save_Buffer *pSave, const char *pText, int nText)
{
    if (pSave->nUsed + nText > SAVE_BUFF_SIZE)
        Save_Flush(pSave);
    memcpy(pSave->bytes + pSave->nUsed, pText, nText);
    pSave->nUsed += nText;
}

/* TRUE when the ANSI code page holds every piece to save exactly.  (A
   file: URL is ASCII.) */
static BOOL Code_Page_Holds_The_List(void)
{
    if (file_url_on == 1)
        return TRUE;
    for (HGLOBAL hNode = hFNameTopList; hNode; hNode = String_List_Next(hNode)) {
        HGLOBAL hName;
        LPCWSTR lpszName = String_List_Lock(hNode, &hName);
        BOOL bLossy = FALSE;
        if (lpszName) {
            LPCWSTR lpszPiece = Name_Piece(lpszName);
            Wide_To_Ansi(lpszPiece, lstrlenW(lpszPiece), NULL, 0, &bLossy);
            GlobalUnlock(hName);
        }
        if (bLossy)
            return FALSE;
    }
    return TRUE;
}

/* Adds the piece of a node's name in the form the options ask for; a
   node that cannot be read is empty. */
static void Save_Name(Save_Buffer *pSave, HGLOBAL hNode)
{
    HGLOBAL hName;
    LPCWSTR lpszName = String_List_Lock(hNode, &hName);
    if (!lpszName)
        return;
    LPCWSTR lpszPiece = Name_Piece(lpszName);
    if (quotes_on == 1)
        Save_Add_Ascii(pSave, "\"", 1);
    if (file_url_on == 1) {
        int i;
        LPCSTR lpszPrefix = Url_Prefix(lpszPiece, &i);
        Save_Add_Ascii(pSave, lpszPrefix, lstrlenA(lpszPrefix));
        const int nPiece = lstrlenW(lpszPiece);
        for (int nUnits; i < nPiece; i += nUnits) {
            char szPart[13];
            const int nPart = Url_Part(lpszPiece, i, nPiece, szPart, &nUnits);
            Save_Add_Ascii(pSave, szPart, nPart);
        }
    } else {
        Save_Add(pSave, lpszPiece);
    }
    if (quotes_on == 1)
        Save_Add_Ascii(pSave, "\"", 1);
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

    /* A read-only file is never replaced, whatever rights the process has. */
    HANDLE hFile = INVALID_HANDLE_VALUE;
    if (dwAttributes == INVALID_FILE_ATTRIBUTES || !(dwAttributes & FILE_ATTRIBUTE_READONLY))
        hFile = Create_File(szFName, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (hFile == INVALID_HANDLE_VALUE) {
        Write_Error_MesBox(hWnd);
        return 0;
    }

    if (!hFNameTopList) {
        CloseHandle(hFile);
        return 1;
    }

    if (lstrlenW(szToken) == 1 && szToken[0] == '\n')
        memcpy(szFtoken, L"\r\n", sizeof L"\r\n");
    else
        memcpy(szFtoken, szToken, sizeof szFtoken);

    /* The first name, then each further one after the separator, empty
       pieces included; the first failed write ends the save and is
       reported once.  A list the code page cannot hold is saved in UTF-8,
       marked as such for the editors that read it. */
    Save_Buffer save;
    save.hFile = hFile;
    save.bOk = TRUE;
    save.bUtf8 = !Code_Page_Holds_The_List();
    save.nUsed = 0;
    if (save.bUtf8) {
        memcpy(save.bytes, "\xEF\xBB\xBF", 3);
        save.nUsed = 3;
    }
    Save_Name(&save, hFNameTopList);
    for (HGLOBAL hNode = String_List_Next(hFNameTopList); save.bOk && hNode; hNode = String_List_Next(hNode)) {
        Save_Add(&save, szFtoken);
        Save_Name(&save, hNode);
    }
    Save_Flush(&save);
    CloseHandle(hFile);
    const int save_ok = save.bOk;

    if (!save_ok)
        Write_Error_MesBox(hWnd);
    return save_ok;
}
