/* Tamsel32: Copy As.  The list, or the rows selected, in the form of the
   place it is pasted into: a terminal, a script, a document, a
   spreadsheet.  Each form is a row of data: a line template for a name,
   and the texts between, before and after the names.  The built-in forms
   are rows of this table; the user's own are more rows (formats.cpp). */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

Copy_Format aUserFormats[COPYAS_USER_MAX];
int         nUserFormats;

/* The texts between and around the names as typed: escapes unread. */
struct Builtin {
    LPCSTR  lpszMenu;           /* the menu item, its access key unique in the menu */
    LPCWSTR lpszTemplate;
    LPCWSTR lpszBetween;
    LPCWSTR lpszBefore;
    LPCWSTR lpszAfter;
    BOOL    bHeader;            /* the table's header row before the names */
};

static const Builtin aBuiltins[COPYAS_BUILTINS] = {
    {"Path In &Quotes\tCtrl+Shift+C", L"{path:q}",                  L"\\r\\n", L"",  L"",  FALSE},
    {"&Forward Slashes",              L"{path:slash}",              L"\\n",    L"",  L"",  FALSE},
    {"&WSL Paths",                    L"{path:wsl:sh}",             L" ",      L"",  L"",  FALSE},
    {"&Git Bash Paths",               L"{path:msys:sh}",            L" ",      L"",  L"",  FALSE},
    {"&PowerShell List",              L"{path:ps}",                 L", ",     L"",  L"",  FALSE},
    {"&JSON Array",                   L"{path:json}",               L", ",     L"[", L"]", FALSE},
    {"&Relative Paths",               L"{rel}",                     L"\\n",    L"",  L"",  FALSE},
    {"&Markdown Links",               L"[{name:mdtext}]({rel:md})", L"\\n",    L"",  L"",  FALSE},
    {"&Table For A Spreadsheet",      L"{name}\t{folder}\t{size}\t{modified}", L"\\r\\n", L"", L"", TRUE},
    {"File &URLs",                    L"{path:url}",                L"\\n",    L"",  L"",  FALSE},
};

/* The access keys of the user's formats in the menu: none of the built-in
   ones, none twice. */
static const char szUserKeys[] = "123456789BCDEHIK";

/* A built-in format as a row a user format can start from: its name is
   the menu item's text without its access key and its key. */
void Builtin_Format(int nFormat, Copy_Format *pFormat)
{
    const Builtin *pBuiltin = &aBuiltins[nFormat];
    int n = 0;
    for (LPCSTR p = pBuiltin->lpszMenu; *p && *p != '\t' && n < COPYAS_NAME_CHARS; p++)
        if (*p != '&')
            pFormat->szName[n++] = (WCHAR)*p;
    pFormat->szName[n] = 0;
    Copy_Wide(pFormat->szTemplate, pBuiltin->lpszTemplate, TEMPLATE_MAX_CHARS + 1);
    Copy_Wide(pFormat->szBetween, pBuiltin->lpszBetween, COPYAS_AROUND_CHARS + 1);
    Copy_Wide(pFormat->szBefore, pBuiltin->lpszBefore, COPYAS_AROUND_CHARS + 1);
    Copy_Wide(pFormat->szAfter, pBuiltin->lpszAfter, COPYAS_AROUND_CHARS + 1);
    if (pBuiltin->bHeader) {
        /* The header in the user's language, then its line end, as typed. */
        WCHAR szHeader[COPYAS_AROUND_CHARS / 2];
        const int nHeader = Load_Message(IDS_TABLE_HEADER, szHeader, COPYAS_AROUND_CHARS / 2 - 2);
        memcpy(szHeader + nHeader, L"\r\n", 3 * sizeof(WCHAR));
        Escape_Text(szHeader, pFormat->szBefore, COPYAS_AROUND_CHARS + 1);
    }
}

/* {size} and {modified} of a name, from what the file system told:
   empty for a folder's size, and both empty where nothing could be read
   (a file deleted since it was listed). */
int File_Fact(int nField, const WIN32_FILE_ATTRIBUTE_DATA *pData, LPWSTR szOut)
{
    szOut[0] = 0;
    if (!pData)
        return 0;
    if (nField == FIELD_SIZE) {
        if (pData->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return 0;
        ULONGLONG u = ((ULONGLONG)pData->nFileSizeHigh << 32) | pData->nFileSizeLow;
        WCHAR szDigits[24];
        int n = 0;
        do {
            szDigits[n++] = (WCHAR)('0' + (int)(u % 10));
            u /= 10;
        } while (u);
        for (int i = 0; i < n; i++)
            szOut[i] = szDigits[n - 1 - i];
        szOut[n] = 0;
        return n;
    }
    FILETIME ftLocal;
    SYSTEMTIME st;
    if ((!pData->ftLastWriteTime.dwLowDateTime && !pData->ftLastWriteTime.dwHighDateTime) ||
        !FileTimeToLocalFileTime(&pData->ftLastWriteTime, &ftLocal) || !FileTimeToSystemTime(&ftLocal, &st))
        return 0;
    return wsprintfW(szOut, L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
                     st.wSecond);
}

typedef BOOL (WINAPI *GETFILEATTRIBUTESEXW)(LPCWSTR lpszName, GET_FILEEX_INFO_LEVELS level, LPVOID pInfo);

/* What the file system tells of a name: GetFileAttributesExW where
   Windows has it (loaded at run time: Windows 95 has not), else its
   find data. */
static BOOL Read_Facts(GETFILEATTRIBUTESEXW pGetEx, LPCWSTR lpszName, WIN32_FILE_ATTRIBUTE_DATA *pData)
{
    if (pGetEx && pGetEx(lpszName, GetFileExInfoStandard, pData))
        return TRUE;
    if (pGetEx && GetLastError() != ERROR_CALL_NOT_IMPLEMENTED)
        return FALSE;
    WIN32_FIND_DATAW fd;
    BOOL bAnsi;
    HANDLE hFind = Find_First(lpszName, &fd, &bAnsi);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(hFind);
    pData->dwFileAttributes = fd.dwFileAttributes;
    pData->ftCreationTime = fd.ftCreationTime;
    pData->ftLastAccessTime = fd.ftLastAccessTime;
    pData->ftLastWriteTime = fd.ftLastWriteTime;
    pData->nFileSizeHigh = fd.nFileSizeHigh;
    pData->nFileSizeLow = fd.nFileSizeLow;
    return TRUE;
}

/* The names a format is filled in for: the list's rows selected, or all
   of them, or (plpszGiven not NULL) a few names given, for a preview. */
struct Name_Walk {
    BOOL     bSelection;
    LPCWSTR *plpszGiven;
    int      nGiven;
    LPCWSTR  pImage;            /* the list's image, where it has one: its next name */
    HGLOBAL  hNode, hName;      /* else the list's next node, and the name now locked */
    int      nRow, nAt;
};

static void Walk_Begin(Name_Walk *pWalk, BOOL bSelection, LPCWSTR *plpszGiven, int nGiven)
{
    pWalk->bSelection = bSelection;
    pWalk->plpszGiven = plpszGiven;
    pWalk->nGiven = nGiven;
    pWalk->pImage = plpszGiven ? NULL : List_Image_Names();
    pWalk->hNode = hFNameTopList;
    pWalk->hName = 0;
    pWalk->nRow = pWalk->nAt = 0;
}

/* The walk ends, where it ran out or before. */
static void Walk_End(Name_Walk *pWalk)
{
    if (pWalk->pImage)
        List_Image_Unlock();
    pWalk->pImage = NULL;
    if (pWalk->hName)
        GlobalUnlock(pWalk->hName);
    pWalk->hName = 0;
}

/* The next name, valid until the next call; NULL at the end.  A node
   that cannot be read gives an empty name. */
static LPCWSTR Walk_Next(Name_Walk *pWalk)
{
    if (pWalk->hName)
        GlobalUnlock(pWalk->hName);
    pWalk->hName = 0;
    if (pWalk->plpszGiven)
        return pWalk->nAt < pWalk->nGiven ? pWalk->plpszGiven[pWalk->nAt++] : NULL;
    if (pWalk->pImage) {
        while ((UINT)pWalk->nRow < TotalNumberOfFiles) {
            const LPCWSTR lpszName = pWalk->pImage;
            const int nRow = pWalk->nRow++;
            pWalk->pImage += lstrlenW(lpszName) + 1;
            if (!pWalk->bSelection || Row_Selected(nRow))
                return lpszName;
        }
        return NULL;
    }
    while (pWalk->hNode && pWalk->bSelection && !Row_Selected(pWalk->nRow)) {
        pWalk->hNode = String_List_Next(pWalk->hNode);
        pWalk->nRow++;
    }
    if (!pWalk->hNode)
        return NULL;
    HGLOBAL hNext;
    LPCWSTR lpszName = String_List_Lock_Next(pWalk->hNode, &pWalk->hName, &hNext);
    if (!lpszName)
        pWalk->hName = 0;
    pWalk->hNode = hNext;
    pWalk->nRow++;
    return lpszName ? lpszName : L"";
}

/* The folder that holds every name walked, with its backslash: its
   length, 0 when there is none (names on other drives or servers). */
static int Common_Folder(Name_Walk *pWalk, LPWSTR lpszFolder)
{
    int nCommon = -1;
    for (LPCWSTR lpszName; nCommon != 0 && (lpszName = Walk_Next(pWalk)) != NULL; ) {
        int nMatch = 0;
        if (nCommon < 0) {
            nMatch = lstrlenW(lpszName);
            memcpy(lpszFolder, lpszName, (size_t)nMatch * sizeof(WCHAR));
        } else {
            while (nMatch < nCommon && lpszName[nMatch] && Fold_Case(lpszFolder[nMatch]) == Fold_Case(lpszName[nMatch]))
                nMatch++;
        }
        /* Back to the last backslash shared: folders end there. */
        while (nMatch > 0 && lpszFolder[nMatch - 1] != '\\')
            nMatch--;
        nCommon = nMatch;
    }
    Walk_End(pWalk);
    /* A root at least: "X:\" or "\\server\share\". */
    int nSeparators = 0;
    for (int i = 0; i < nCommon; i++)
        nSeparators += lpszFolder[i] == '\\';
    const BOOL bDrive = nCommon >= 3 && lpszFolder[1] == ':';
    if (nCommon < 0 || (!bDrive && nSeparators < 4))
        return 0;
    return nCommon;
}

/* What filling a format in needs beside its text: the compiled template,
   the texts around the names, the common folder and two scratch buffers;
   in one block. */
struct Format_Work {
    Template tmpl;
    WCHAR    szBetween[COPYAS_AROUND_CHARS + 1], szBefore[COPYAS_AROUND_CHARS + 1], szAfter[COPYAS_AROUND_CHARS + 1];
    WCHAR    szFolder[NAME_MAX_CHARS + 1];
    WCHAR    szScratch1[TEMPLATE_SCRATCH_CHARS], szScratch2[TEMPLATE_SCRATCH_CHARS];
};

/* The format filled in for the names of a walk begun with bSelection,
   plpszGiven and nGiven, onto pOut; *pnNoForm the names that had no form
   under a filter.  FALSE when the template cannot be read. */
static BOOL Format_Names(const Copy_Format *pFormat, Format_Work *pWork, BOOL bSelection, LPCWSTR *plpszGiven,
                         int nGiven, Text_Out *pOut, UINT *pnNoForm)
{
    Template_Error error;
    *pnNoForm = 0;
    if (!Template_Compile(pFormat->szTemplate, &pWork->tmpl, &error))
        return FALSE;
    const int nBetween = Unescape_Text(pFormat->szBetween, pWork->szBetween);
    const int nBefore = Unescape_Text(pFormat->szBefore, pWork->szBefore);
    const int nAfter = Unescape_Text(pFormat->szAfter, pWork->szAfter);
    Name_Walk walk;
    Walk_Begin(&walk, bSelection, plpszGiven, nGiven);
    const int nCommon = (pWork->tmpl.nFields & (1u << FIELD_REL)) ? Common_Folder(&walk, pWork->szFolder) : 0;
    const BOOL bFacts = (pWork->tmpl.nFields & ((1u << FIELD_SIZE) | (1u << FIELD_MODIFIED))) != 0;
    GETFILEATTRIBUTESEXW pGetEx = bFacts ? (GETFILEATTRIBUTESEXW)(void *)
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFileAttributesExW") : NULL;
    Out_Add(pOut, pWork->szBefore, (SIZE_T)nBefore);
    Walk_Begin(&walk, bSelection, plpszGiven, nGiven);
    int nCopied = 0;
    for (LPCWSTR lpszName; pOut->nLength <= COPY_MAX_CHARS && (lpszName = Walk_Next(&walk)) != NULL; ) {
        const int nName = lstrlenW(lpszName);
        const int nRel = nName >= nCommon ? nCommon : 0;
        WIN32_FILE_ATTRIBUTE_DATA data;
        const Name_Row row = {lpszName, nName, lpszName + nRel, nName - nRel, ++nCopied,
                              bFacts && Read_Facts(pGetEx, lpszName, &data) ? &data : NULL};
        if (nCopied > 1)
            Out_Add(pOut, pWork->szBetween, (SIZE_T)nBetween);
        if (!Template_Fill(&pWork->tmpl, &row, pOut, pWork->szScratch1, pWork->szScratch2))
            (*pnNoForm)++;
    }
    Walk_End(&walk);
    Out_Add(pOut, pWork->szAfter, (SIZE_T)nAfter);
    return TRUE;
}

/* The copy's text in the format, of the rows selected (bSelection) or
   the whole list, in a movable block of its own; *pnNoForm the names that
   had no form under a filter and went as they stand.  0 when memory runs
   out, the template cannot be read, or the text would pass what a
   clipboard takes. */
HGLOBAL Format_Text(const Copy_Format *pFormat, BOOL bSelection, SIZE_T *pnLength, UINT *pnNoForm)
{
    *pnNoForm = 0;
    Format_Work *pWork = (Format_Work *)GlobalAlloc(GMEM_FIXED, sizeof(Format_Work));
    if (!pWork)
        return 0;
    HGLOBAL hText = 0;
    SIZE_T nRoom = (SIZE_T)TotalNumberOfFiles * 160 + 256;
    for (int nTry = 0; nTry < 2 && !hText; nTry++) {
        hText = GlobalAlloc(GMEM_MOVEABLE, nRoom * sizeof(WCHAR));
        Text_Out out = {hText ? (LPWSTR)GlobalLock(hText) : NULL, nRoom, 0};
        if (!out.lpszText) {
            if (hText)
                GlobalFree(hText);
            hText = 0;
            break;
        }
        const BOOL bRead = Format_Names(pFormat, pWork, bSelection, NULL, 0, &out, pnNoForm);
        if (out.lpszText)
            out.lpszText[out.nLength] = 0;
        GlobalUnlock(hText);
        if (bRead && out.lpszText) {
            GlobalReAlloc(hText, (out.nLength + 1) * sizeof(WCHAR), 0);   /* only ever smaller */
            *pnLength = out.nLength;
            break;
        }
        /* Longer than the room made for it: once more, at its size. */
        GlobalFree(hText);
        hText = 0;
        if (!bRead || out.nLength > COPY_MAX_CHARS)
            break;
        nRoom = out.nLength + 1;
    }
    GlobalFree((HGLOBAL)pWork);
    return hText;
}

/* The format filled in for the first three names of the list, or three
   sample names where it is empty, into lpszOut (nSize characters, cut
   there): what the formats dialog previews.  FALSE when the template
   cannot be read or memory ran out. */
BOOL Format_Preview(const Copy_Format *pFormat, LPWSTR lpszOut, int nSize)
{
    ZeroMemory(lpszOut, (SIZE_T)nSize * sizeof(WCHAR));   /* a text cut short ends where its last piece did */
    /* The names, copied out: no block of the list stays locked. */
    const int nRoom = NAME_MAX_CHARS + 1;
    LPWSTR lpszNames = (LPWSTR)GlobalAlloc(GMEM_FIXED, 3 * (SIZE_T)nRoom * sizeof(WCHAR));
    Format_Work *pWork = lpszNames ? (Format_Work *)GlobalAlloc(GMEM_FIXED, sizeof(Format_Work)) : NULL;
    BOOL bRead = FALSE;
    if (pWork) {
        LPCWSTR alpszNames[3];
        int nNames = 0;
        for (HGLOBAL hNode = hFNameTopList; hNode && nNames < 3; hNode = String_List_Next(hNode), nNames++) {
            alpszNames[nNames] = lpszNames + nNames * nRoom;
            String_List_Read(hNode, lpszNames + nNames * nRoom, nRoom);
        }
        if (!nNames) {
            Load_Message(IDS_COPYAS_SAMPLE, lpszNames, nRoom);
            for (LPWSTR p = lpszNames; *p && nNames < 3; nNames++) {
                alpszNames[nNames] = p;
                while (*p && *p != '|')
                    p++;
                if (*p)
                    *p++ = 0;
            }
        }
        Text_Out out = {lpszOut, (SIZE_T)nSize, 0};
        UINT nNoForm;
        bRead = Format_Names(pFormat, pWork, FALSE, alpszNames, nNames, &out, &nNoForm);
        if (out.lpszText)
            lpszOut[out.nLength] = 0;
    }
    if (pWork)
        GlobalFree((HGLOBAL)pWork);
    if (lpszNames)
        GlobalFree((HGLOBAL)lpszNames);
    return bRead;
}

/* The format of a Copy As command: a built-in one or the user's. */
static BOOL Format_Of(int nFormat, Copy_Format *pFormat)
{
    if (nFormat < COPYAS_BUILTINS) {
        Builtin_Format(nFormat, pFormat);
        return TRUE;
    }
    if (nFormat - COPYAS_BUILTINS >= nUserFormats)
        return FALSE;
    *pFormat = aUserFormats[nFormat - COPYAS_BUILTINS];
    return TRUE;
}

/* Copy As: one copy in the format, as Ctrl+C copies (the rows selected,
   or the whole list); it changes no option.  Names with no form in it
   went as Windows paths: the user is told how many, after the copy. */
int Copy_As(HWND hWnd, int nFormat)
{
    Copy_Format *pFormat = (Copy_Format *)GlobalAlloc(GMEM_FIXED, sizeof(Copy_Format));
    if (!pFormat || !Format_Of(nFormat, pFormat)) {
        if (pFormat)
            GlobalFree((HGLOBAL)pFormat);
        else
            Mem_error_MesBox();
        return 0;
    }
    SIZE_T nLength = 0;
    UINT nNoForm = 0;
    HGLOBAL hText = Format_Text(pFormat, nSelectedRows > 0, &nLength, &nNoForm);
    GlobalFree((HGLOBAL)pFormat);
    if (!hText) {
        Mem_error_MesBox();
        return 0;
    }
    const int nCopied = Copy_Text(hWnd, hText, nLength, 0, 0);
    if (nCopied && hWnd)
        Status_Copied(hWnd, nSelectedRows > 0 ? nSelectedRows : TotalNumberOfFiles);
    if (nCopied && nNoForm) {
        WCHAR szText[256], szCaption[64], szCount[12];
        Number_Text(nNoForm, szCount);
        Format_Message(IDS_NO_FORM, szText, 256, szCount, NULL);
        Load_Message(IDS_NO_FORM_CAP, szCaption, 64);
        MessageBoxW(hWnd, szText, szCaption, MB_OK | MB_ICONINFORMATION);
    }
    return nCopied;
}

/* The Copy As pop-up: the built-in formats, then the user's after a
   separator, each under a key of its own. */
HMENU Copy_As_Menu(void)
{
    HMENU hPopup = CreatePopupMenu();
    if (!hPopup)
        return NULL;
    for (int i = 0; i < COPYAS_BUILTINS; i++)
        AppendMenuA(hPopup, MF_STRING, IDM_COPYAS_FIRST + i, aBuiltins[i].lpszMenu);
    if (nUserFormats)
        AppendMenuA(hPopup, MF_SEPARATOR, 0, NULL);
    for (int i = 0; i < nUserFormats; i++) {
        /* "&1 name", the name's own ampersands doubled to show as such. */
        WCHAR szItem[2 * COPYAS_NAME_CHARS + 4];
        int n = 0;
        szItem[n++] = '&';
        szItem[n++] = (WCHAR)szUserKeys[i];
        szItem[n++] = ' ';
        for (LPCWSTR p = aUserFormats[i].szName; *p; p++) {
            if (*p == '&')
                szItem[n++] = '&';
            szItem[n++] = *p;
        }
        szItem[n] = 0;
        if (!AppendMenuW(hPopup, MF_STRING, IDM_COPYAS_FIRST + COPYAS_BUILTINS + i, szItem)) {
            /* Windows 95 and 98: the name in the code page. */
            char szAnsi[4 * COPYAS_NAME_CHARS + 8];
            WideCharToMultiByte(CP_ACP, 0, szItem, -1, szAnsi, sizeof szAnsi, NULL, NULL);
            AppendMenuA(hPopup, MF_STRING, IDM_COPYAS_FIRST + COPYAS_BUILTINS + i, szAnsi);
        }
    }
    return hPopup;
}

/* Puts "Copy A&s" into hMenu, the menu bar's Edit pop-up or the context
   menu, after the item nAfter, in place of one put there before. */
void Add_Copy_As_Menu(HMENU hMenu, UINT nAfter)
{
    const int nItems = GetMenuItemCount(hMenu);
    for (int i = 0; i < nItems; i++) {
        if (GetMenuItemID(hMenu, i) != nAfter)
            continue;
        HMENU hOld = GetSubMenu(hMenu, i + 1);
        if (hOld && GetMenuItemID(hOld, 0) == IDM_COPYAS_FIRST)
            DeleteMenu(hMenu, (UINT)(i + 1), MF_BYPOSITION);   /* and destroys it */
        HMENU hPopup = Copy_As_Menu();
        if (hPopup && !InsertMenuA(hMenu, (UINT)(i + 1), MF_BYPOSITION | MF_POPUP, (UINT_PTR)hPopup, "Copy A&s"))
            DestroyMenu(hPopup);
        return;
    }
}
