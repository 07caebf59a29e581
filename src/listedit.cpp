/* Tamsel32: the list edited by the user: the names selected removed,
   every name selected, the list sorted, a name's folder opened.
   Nothing on disk changes. */
#include <string.h>
#include <windows.h>
#include <shellapi.h>

#include "TAMSEL.H"

/* The list changes: nothing stays selected (the history keeps what was),
   and the top row's node is found anew. */
void End_Edits(void)
{
    Forget_Top_Node();
    Reset_Selection();
}

/* Columns of the widest name in the list. */
int Widest_Name(void)
{
    int nWidest = 0;
    for (HGLOBAL hNode = hFNameTopList; hNode; hNode = String_List_Next(hNode)) {
        HGLOBAL hText;
        LPCWSTR lpszName = String_List_Lock(hNode, &hText);
        if (!lpszName)
            continue;
        const int nColumns = Name_Columns(lpszName, lstrlenW(lpszName));
        if (nColumns > nWidest)
            nWidest = nColumns;
        GlobalUnlock(hText);
    }
    return nWidest;
}

/* After the list changed in the window: caption, scroll ranges and the
   widest line follow, the view at the top or on the focus row; with
   direct copy on the clipboard holds the list as it now stands. */
static void Show_Edited_List(HWND hWnd, BOOL bToTop)
{
    Show_List_Size(hWnd, bToTop);
    if (!bToTop && nFocusRow >= 0)
        Scroll_Into_View(hWnd, nFocusRow);
    Post_Init_Menu(hWnd);
    if (direct_copy_on == 1 && TotalNumberOfFiles)
        PostMessageA(hWnd, WM_COMMAND, IDM_DIRECTCOPY, 0);
}

/* Delete: the names selected leave the list in one walk (the list as it
   was set aside for Undo as idChange says, or with 0 as the caller set it
   aside); the focus goes to the name after the last one removed. */
void Remove_Selected(HWND hWnd, UINT idChange)
{
    /* Rows past the list may be marked: only a name removed changes it. */
    int nRow = 0;
    HGLOBAL hNode = hFNameTopList;
    for (; hNode && !Row_Selected(nRow); nRow++)
        hNode = String_List_Next(hNode);
    if (!hNode) {
        Clear_Selection();
        return;
    }
    if (idChange)
        History_Note(idChange);
    UINT nRemoved = 0;
    int nLastRemoved = 0;
    HGLOBAL hKept = String_List_Back(hNode), hFirst = 0, hPrevious = 0;
    for (; hNode; nRow++) {
        const HGLOBAL hNext = String_List_Next(hNode);
        if (Row_Selected(nRow)) {
            if (!hFirst)
                hFirst = hNode;
            nRemoved++;
            nLastRemoved = nRow;
        } else {
            if (hFirst) {
                /* A run ends: the node kept before it now leads here. */
                String_List_Link(hKept, hNode);
                if (!hKept)
                    hFNameTopList = hNode;
                DeleteRange_StringList(hFirst, hPrevious);
                hFirst = 0;
            }
            hKept = hNode;
        }
        hPrevious = hNode;
        hNode = hNext;
    }
    if (hFirst) {
        String_List_Link(hKept, 0);
        if (!hKept)
            hFNameTopList = 0;
        DeleteRange_StringList(hFirst, hPrevious);
    }
    TotalNumberOfFiles -= nRemoved;
    maxfile_name_length = Widest_Name();
    Clear_Selection();
    Forget_Top_Node();
    const int nNext = nLastRemoved + 1 - (int)nRemoved;
    Set_Focus_Row(nNext < (int)TotalNumberOfFiles ? nNext : (int)TotalNumberOfFiles - 1);
    Show_Edited_List(hWnd, FALSE);
}

/* Ctrl+A. */
void Select_All(HWND hWnd)
{
    Begin_Row_Change();
    for (int i = 0; i < (int)TotalNumberOfFiles; i++)
        Select_Row(i, TRUE);
    End_Row_Change(hWnd);
    Post_Init_Menu(hWnd);
}

/* ---- Sort By Name: the folder window's order ---- */

typedef int (WINAPI *STRCMPLOGICALW)(LPCWSTR psz1, LPCWSTR psz2);

static STRCMPLOGICALW pStrCmpLogicalW;  /* while a sort runs, where Windows has it */

/* Numbers by value ("file2" before "file10"), as the folder window orders
   names, where Windows has it (XP on): loaded from the system folder by
   its full path, for a sort's length (End_Name_Order lets it go).  The
   library, or NULL. */
HMODULE Begin_Name_Order(void)
{
    pStrCmpLogicalW = NULL;
    HMODULE hShlwapi = Load_System_Library("shlwapi.dll");
    if (hShlwapi)
        pStrCmpLogicalW = (STRCMPLOGICALW)(void *)GetProcAddress(hShlwapi, "StrCmpLogicalW");
    return hShlwapi;
}

void End_Name_Order(HMODULE hShlwapi)
{
    pStrCmpLogicalW = NULL;
    if (hShlwapi)
        FreeLibrary(hShlwapi);
}

/* Negative, 0 or positive as a sorts before, with or after b: without
   regard to case, in the user's locale where the logical order is
   missing, by code unit where even that is a stub (Windows 95 and 98). */
int Compare_Names(LPCWSTR a, LPCWSTR b)
{
    /* What both share, up to the last character in it that is neither an
       ASCII letter nor a digit, cannot order them: the rest decides.  (A
       letter could begin a letter pair of the locale, a digit a number the
       rest goes on with; anything beyond ASCII counts as a letter.)  Worth
       it: paths share long folders, and the comparison walks each name a
       character at a time. */
    int nShared = 0;
    for (int i = 0; a[i] && a[i] == b[i]; i++) {
        const WCHAR c = (WCHAR)(a[i] | 0x20);
        if (a[i] < 0x80 && !(c >= 'a' && c <= 'z') && !(a[i] >= '0' && a[i] <= '9'))
            nShared = i + 1;
    }
    a += nShared;
    b += nShared;
    if (pStrCmpLogicalW)
        return pStrCmpLogicalW(a, b);
    const int nOrder = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, -1, b, -1);
    if (nOrder)
        return nOrder - CSTR_EQUAL;
    for (;; a++, b++) {
        const WCHAR ca = *a >= 'a' && *a <= 'z' ? (WCHAR)(*a - 32) : *a;
        const WCHAR cb = *b >= 'a' && *b <= 'z' ? (WCHAR)(*b - 32) : *b;
        if (ca != cb || !ca)
            return (int)ca - (int)cb;
    }
}

struct Sort_Entry {
    HGLOBAL hNode, hText;
    LPCWSTR lpszName;           /* locked while the sort runs */
    int     nRow;               /* where it stood */
    BOOL    bSelected;          /* and whether it was selected there */
};

/* A stable merge sort of n entries, with pTemp as large. */
static void Merge_Sort(Sort_Entry *p, Sort_Entry *pTemp, int n)
{
    for (int nWidth = 1; nWidth < n; nWidth *= 2) {
        for (int nLeft = 0; nLeft < n; nLeft += 2 * nWidth) {
            const int nMid = nLeft + nWidth < n ? nLeft + nWidth : n;
            const int nEnd = nLeft + 2 * nWidth < n ? nLeft + 2 * nWidth : n;
            int i = nLeft, j = nMid, k = nLeft;
            while (i < nMid && j < nEnd)
                pTemp[k++] = Compare_Names(p[j].lpszName, p[i].lpszName) < 0 ? p[j++] : p[i++];
            while (i < nMid)
                pTemp[k++] = p[i++];
            while (j < nEnd)
                pTemp[k++] = p[j++];
        }
        memcpy(p, pTemp, (size_t)n * sizeof(Sort_Entry));
    }
}

/* Orders the list by full path, relinking its nodes (no name is copied);
   equal names keep their order, the selection and the focus their names.
   The view goes to the top. */
void Sort_By_Name(HWND hWnd)
{
    const int n = (int)TotalNumberOfFiles;
    if (n < 2)
        return;
    Sort_Entry *p = (Sort_Entry *)GlobalAlloc(GMEM_FIXED, 2 * (SIZE_T)n * sizeof(Sort_Entry));
    if (!p) {
        Mem_error_MesBox();
        return;
    }
    History_Note(IDS_CHANGE_SORT);
    HMODULE hShlwapi = Begin_Name_Order();
    int nCount = 0;
    for (HGLOBAL hNode = hFNameTopList; hNode && nCount < n; hNode = String_List_Next(hNode), nCount++) {
        p[nCount].hNode = hNode;
        p[nCount].nRow = nCount;
        p[nCount].bSelected = Row_Selected(nCount);
        const LPCWSTR lpszName = String_List_Lock(hNode, &p[nCount].hText);
        p[nCount].lpszName = lpszName ? lpszName : L"";
        if (!lpszName)
            p[nCount].hText = 0;
    }
    Merge_Sort(p, p + nCount, nCount);
    End_Name_Order(hShlwapi);
    int nFocus = -1;
    Clear_Selection();
    for (int i = 0; i < nCount; i++) {
        String_List_Link(i ? p[i - 1].hNode : 0, p[i].hNode);
        if (p[i].nRow == nFocusRow)
            nFocus = i;
        Select_Row(i, p[i].bSelected);
        if (p[i].hText)
            GlobalUnlock(p[i].hText);
    }
    String_List_Link(p[nCount - 1].hNode, 0);
    hFNameTopList = p[0].hNode;
    Forget_Top_Node();
    GlobalFree((HGLOBAL)p);
    Set_Focus_Row(nFocus);
    Show_Edited_List(hWnd, TRUE);
}

/* ---- Open Containing Folder ---- */

typedef HINSTANCE (WINAPI *SHELLEXECUTEW)(HWND hWnd, LPCWSTR lpszOperation, LPCWSTR lpszFile,
                                          LPCWSTR lpszParameters, LPCWSTR lpszDirectory, INT nShow);

/* The folder window, with the focus row's item selected in it.  (The
   wide call is loaded at run time: Windows 95 and 98 have only the ANSI
   one, and a name their code page holds.) */
void Open_Containing_Folder(HWND hWnd)
{
    HGLOBAL hText;
    LPCWSTR lpszName = nFocusRow >= 0 ? String_List_Lock(String_List_Seek(hFNameTopList, nFocusRow), &hText) : NULL;
    if (!lpszName)
        return;
    const int nName = lstrlenW(lpszName);
    HGLOBAL hArgs = GlobalAlloc(GMEM_MOVEABLE, ((SIZE_T)nName + 12) * sizeof(WCHAR));
    LPWSTR lpszArgs = hArgs ? (LPWSTR)GlobalLock(hArgs) : NULL;
    if (lpszArgs) {
        memcpy(lpszArgs, L"/select,\"", 9 * sizeof(WCHAR));
        memcpy(lpszArgs + 9, lpszName, (size_t)nName * sizeof(WCHAR));
        memcpy(lpszArgs + 9 + nName, L"\"", 2 * sizeof(WCHAR));
        SHELLEXECUTEW pShellExecuteW = (SHELLEXECUTEW)(void *)
            GetProcAddress(GetModuleHandleA("shell32.dll"), "ShellExecuteW");
        SetLastError(0);
        char szArgs[MAX_PATH + 16];
        if ((!pShellExecuteW || (INT_PTR)pShellExecuteW(hWnd, NULL, L"explorer.exe", lpszArgs, NULL, SW_SHOWNORMAL) <= 32) &&
            (!pShellExecuteW || GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) &&
            WideCharToMultiByte(CP_ACP, 0, lpszArgs, -1, szArgs, sizeof szArgs, NULL, NULL) > 0)
            ShellExecuteA(hWnd, NULL, "explorer.exe", szArgs, NULL, SW_SHOWNORMAL);
        GlobalUnlock(hArgs);
    } else {
        Mem_error_MesBox();
    }
    if (hArgs)
        GlobalFree(hArgs);
    GlobalUnlock(hText);
}
