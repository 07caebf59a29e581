/* Tamsel32: saving the list to a file the user chooses, names separated
   by CR LF. */
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

int CMUFileBox(HWND hWnd, LPCSTR BoxTitle, int in_out)
{
    OPENFILENAMEA ofn;
    char szFile[sizeof szFName];
    char szFilter[128];

    /* The dialog works on a copy that starts from the last target: a
       failed dialog may leave anything in its buffer (the size it needs,
       for one), and Save must go on writing to the last target. */
    lstrcpynA(szFile, szFName, sizeof szFile);
    /* The filter's pairs, kept in the string table split by '|'. */
    const int nFilter = Load_Message_Ansi(IDS_FILTER, szFilter, sizeof szFilter);
    for (char *p = szFilter; p < szFilter + nFilter; )
        if (*p == '|')
            *p++ = '\0';
        else
            p = CharNextA(p);
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = hWnd;
    ofn.lpstrFilter = szFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = sizeof szFile;
    ofn.lpstrTitle = BoxTitle;
    ofn.Flags = in_out ? OFN_HIDEREADONLY : OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

    /* The Open dialog moves the current folder to the chosen file's, and
       OFN_NOCHANGEDIR does not stop it; a folder kept current would keep a
       USB stick from being ejected while the program runs. */
    WCHAR szCurrentDir[MAX_PATH];
    const DWORD nDir = GetCurrentDirectoryW(MAX_PATH, szCurrentDir);
    const BOOL bChosen = GetOpenFileNameA(&ofn);
    if (nDir > 0 && nDir < MAX_PATH)
        SetCurrentDirectoryW(szCurrentDir);
    if (bChosen) {
        lstrcpynA(szFName, szFile, sizeof szFName);
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
    WCHAR szFormat[64], szName[NAME_BUFF_SIZE];
    /* The room left beside the format, less its "%1". */
    const int nRoom = nSize - 1 - (Load_Message(IDS_OVERWRITE_CAP, szFormat, 64) - 2);
    int nName = MultiByteToWideChar(CP_ACP, 0, File_Name_Part(szFName), -1, szName, NAME_BUFF_SIZE) - 1;
    if (nName < 0)
        nName = 0;
    if (nName > nRoom) {
        nName = nRoom > 0 ? nRoom : 0;
        if (nName > 0 && IS_HIGH_SURROGATE(szName[nName - 1]))
            nName--;
    }
    szName[nName] = 0;
    Format_Message(IDS_OVERWRITE_CAP, MessageCaption, nSize, szName, NULL);
}

/* Names are gathered in a buffer of this size and written together: one
   system call per name made a large save slow.  The whole text is still
   never held in memory. */
#define SAVE_BUFF_SIZE 16384

struct Save_Buffer {
    HANDLE hFile;
    BOOL   bOk;             /* FALSE from the first failed write on */
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

static void Save_Add(Save_Buffer *pSave, LPCSTR lpszText)
{
    const DWORD nLength = (DWORD)lstrlenA(lpszText);   /* at most 511 */
    if (pSave->nUsed + nLength > SAVE_BUFF_SIZE)
        Save_Flush(pSave);
    memcpy(pSave->bytes + pSave->nUsed, lpszText, nLength);
    pSave->nUsed += nLength;
}

int NameSave(HWND hWnd)
{
    char szFileName[NAME_BUFF_SIZE];
    char szFtoken[NAME_BUFF_SIZE];
    WCHAR MessageCaption[256];

    /* Existence and creation by calls that take the whole path: the
       128-byte path of the old OpenFile record would refuse long ones. */
    const DWORD dwAttributes = GetFileAttributesA(szFName);
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
        hFile = CreateFileA(szFName, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        Write_Error_MesBox(hWnd);
        return 0;
    }

    if (!hFNameTopList) {
        CloseHandle(hFile);
        return 1;
    }

    if (strcmp(szToken, "\n") == 0)
        lstrcpyA(szFtoken, "\r\n");
    else
        lstrcpynA(szFtoken, szToken, sizeof szFtoken);

    /* The first name, then each further one after the separator, empty
       pieces included; the first failed write ends the save and is
       reported once. */
    Save_Buffer save;
    save.hFile = hFile;
    save.bOk = TRUE;
    save.nUsed = 0;
    Read_Name(hFNameTopList, szFileName);
    Save_Add(&save, Name_Piece(szFileName));
    for (HGLOBAL hNode = String_List_Next(hFNameTopList); save.bOk && hNode; hNode = String_List_Next(hNode)) {
        Read_Name(hNode, szFileName);
        Save_Add(&save, szFtoken);
        Save_Add(&save, Name_Piece(szFileName));
    }
    Save_Flush(&save);
    CloseHandle(hFile);
    const int save_ok = save.bOk;

    if (!save_ok)
        Write_Error_MesBox(hWnd);
    return save_ok;
}
