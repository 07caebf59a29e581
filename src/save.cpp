/* Tamsel32: saving the list to a file the user chooses, names separated
   by CR LF. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* A file that cannot be written: the saved list or the profile. */
static const char szWriteErrorText[] =
    "\x8f\x91\x82\xab\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd";  /* 書き込みに失敗しました */
static const char szWriteErrorCaption[] =
    "\x83t\x83@\x83" "C\x83\x8b\x83G\x83\x89\x81[ ";  /* ファイルエラー (with its blank) */
static const char szOverwriteText[] =
    "\x8f\xe3\x8f\x91\x82\xab\x82\xb5\x82\xdc\x82\xb7\x81" "A\x82\xe6\x82\xeb\x82\xb5\x82\xa2\x82\xc5\x82\xb7\x82\xa9\x81H";  /* 上書きします、よろしいですか？ */
static const char szDialogErrorFormat[] =
    "GetOpenFileName \x82\xc5\x83G\x83\x89\x81[ #%ld \x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";  /* GetOpenFileName でエラー #%ld が発生しました */
static const char szWarningCaption[] = "\x8cx\x8d\x90";  /* 警告 */
static const char szFilter[] =
    "\x82\xb7\x82\xd7\x82\xc4\x82\xcc\xcc\xa7\xb2\xd9 (*.*)\0*.*\0"   /* すべてのﾌｧｲﾙ (*.*) */
    "\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9 (*.txt)\0*.txt\0";              /* ﾃｷｽﾄﾌｧｲﾙ (*.txt) */
static_assert(sizeof szFilter == 47, "two pairs and the closing NUL");

/* The one report of a file that cannot be written: the saved list or the
   profile. */
void Write_Error_MesBox(HWND hWnd)
{
    MessageBoxA(hWnd, szWriteErrorText, szWriteErrorCaption, MB_ICONEXCLAMATION);
}

int CMUFileBox(HWND hWnd, LPCSTR BoxTitle, int in_out)
{
    OPENFILENAMEA ofn;
    char szFile[sizeof szFName];
    char Errstr[80];

    /* The dialog works on a copy that starts from the last target: a
       failed dialog may leave anything in its buffer (the size it needs,
       for one), and Save must go on writing to the last target. */
    lstrcpynA(szFile, szFName, sizeof szFile);
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
        wsprintfA(Errstr, szDialogErrorFormat, dwError);
        MessageBoxA(hWnd, Errstr, szWarningCaption, MB_ICONHAND);
    }
    return 0;
}

/* "Save To [ name ]", the name cut on a character boundary if the whole
   would not fit the caption buffer. */
static void Overwrite_Caption(LPSTR MessageCaption, int nSize)
{
    static const char szHead[] = "Save To [ ";
    static const char szTail[] = " ]";
    const int nRoom = nSize - (int)(sizeof szHead - 1) - (int)(sizeof szTail - 1) - 1;

    LPCSTR lpszName = File_Name_Part(szFName);
    int nName = 0;
    for (LPCSTR p = lpszName; *p; ) {
        LPCSTR next = CharNextA(p);
        if (nName + (next - p) > nRoom)
            break;
        nName += (int)(next - p);
        p = next;
    }
    lstrcpyA(MessageCaption, szHead);
    lstrcpynA(MessageCaption + sizeof szHead - 1, lpszName, nName + 1);
    lstrcatA(MessageCaption, szTail);
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
    char MessageCaption[256];

    /* Existence and creation by calls that take the whole path: the
       128-byte path of the old OpenFile record would refuse long ones. */
    const DWORD dwAttributes = GetFileAttributesA(szFName);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES) {
        Overwrite_Caption(MessageCaption, sizeof MessageCaption);
        if (MessageBoxA(hWnd, szOverwriteText, MessageCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
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
