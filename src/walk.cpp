/* Tamsel32: a folder's contents listed in its place, with the option
   "List Folder Contents": the files inside it and in every subfolder,
   depth first, each folder's files before its subfolders and each in the
   folder window's name order; with "Folders Too" each folder before its
   contents.  Hidden and system items are left out, as the folder window
   leaves them out; a link to a folder (a junction, a symbolic link) is
   listed and never entered, so that no loop runs forever.  A long walk
   keeps the window alive: the caption counts, Esc stops it. */
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

BOOL bWalking;
BOOL bStopWalk;

#define WALK_SHOW_MS    250     /* the caption counts at least this often */
#define WALK_PUMP_MS    50      /* the messages are looked at this often */
#define WALK_PUMP_EVERY 64      /* items between two looks at the clock */

/* One walk's state, shared by its levels. */
struct Walk {
    Name_Intake *pIntake;
    LPWSTR lpszPath;            /* the path being walked, "\\?\" before it where Windows has it */
    int    nPrefix;             /* characters of that prefix */
    DWORD  dwShown;             /* when the caption last counted */
    DWORD  dwPumped;            /* when the messages were last looked at */
    UINT   nItems;              /* items since the messages were last looked at */
    BOOL   bEnded;              /* stopped: Esc, the list's limit, or memory */
};

/* An entry of a folder: its attributes and name, packed one after
   another in the level's block. */
struct Walk_Entry {
    DWORD dwAttributes;
    int   nName;
    WCHAR szName[1];            /* nName characters and a NUL */
};

/* The bytes an entry takes in its block, kept aligned for the next. */
static SIZE_T Entry_Size(int nName)
{
    return (offsetof(Walk_Entry, szName) + (SIZE_T)(nName + 1) * sizeof(WCHAR) + 7) & ~(SIZE_T)7;
}

static int Compare_Entries(const void *a, const void *b)
{
    return Compare_Names((*(const Walk_Entry *const *)a)->szName, (*(const Walk_Entry *const *)b)->szName);
}

/* The names found so far on the screen: the count in the caption, the
   rows in the window; and what waits in the message queue handled, so
   that the window paints, moves and hears Esc. */
static void Walk_Messages(Walk *pWalk)
{
    pWalk->nItems = 0;
    const DWORD dwNow = GetTickCount();
    if (dwNow - pWalk->dwPumped < WALK_PUMP_MS)
        return;
    pWalk->dwPumped = dwNow;
    if (dwNow - pWalk->dwShown >= WALK_SHOW_MS && pWalk->pIntake->bChanged) {
        pWalk->dwShown = dwNow;
        TotalNumberOfFiles = pWalk->pIntake->nStored;
        maxfile_name_length = pWalk->pIntake->nWidest;
        CaptionFileOpen(hWndMain, TotalNumberOfFiles);
        Set_Line_Count((int)TotalNumberOfFiles);
        InvalidateRect(hWndMain, NULL, TRUE);
    }
    MSG msg;
    while (!bStopWalk && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            bStopWalk = TRUE;
            break;
        }
        if (Main_Window_Key(NULL, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

/* One item found, at lpszPath: FALSE once the walk is to end. */
static BOOL Walk_Item(Walk *pWalk, int nPath)
{
    Name_Intake *pIntake = pWalk->pIntake;
    if (++pWalk->nItems >= WALK_PUMP_EVERY)
        Walk_Messages(pWalk);
    if (bStopWalk || pIntake->bOutOfMemory) {
        pWalk->bEnded = TRUE;
        return FALSE;
    }
    if (pIntake->nStored >= MAX_LIST_NAMES) {
        pWalk->bEnded = TRUE;
        return FALSE;
    }
    return Intake_Name(pIntake, pWalk->lpszPath, nPath, FALSE);
}

/* The entries of the folder at lpszPath (nPath characters), read into a
   block of the level's own; NULL when it cannot be read, or holds none. */
static HGLOBAL Read_Folder(Walk *pWalk, int nPath, UINT *pnEntries, SIZE_T *pnUsed)
{
    *pnEntries = 0;
    *pnUsed = 0;
    LPWSTR lpszPath = pWalk->lpszPath;
    memcpy(lpszPath + nPath, L"\\*", 3 * sizeof(WCHAR));
    WIN32_FIND_DATAW fd;
    BOOL bAnsi;
    HANDLE hFind = Find_First(lpszPath, &fd, &bAnsi);
    lpszPath[nPath] = 0;
    if (hFind == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_NO_MORE_FILES)
            Note_Left_Out(NAME_UNREADABLE, lpszPath + pWalk->nPrefix, nPath - pWalk->nPrefix);
        return 0;
    }
    SIZE_T nSize = 4096;
    HGLOBAL hBlock = GlobalAlloc(GMEM_MOVEABLE, nSize);
    do {
        const int nName = lstrlenW(fd.cFileName);
        const BOOL bDots = fd.cFileName[0] == '.' && (nName == 1 || (nName == 2 && fd.cFileName[1] == '.'));
        if (bDots || (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        const SIZE_T nEntry = Entry_Size(nName);
        if (hBlock && *pnUsed + nEntry > nSize) {
            nSize *= 2;
            const HGLOBAL hGrown = GlobalReAlloc(hBlock, nSize, GMEM_MOVEABLE);
            if (!hGrown)
                GlobalFree(hBlock);
            hBlock = hGrown;
        }
        BYTE *pBlock = hBlock ? (BYTE *)GlobalLock(hBlock) : NULL;
        if (!pBlock) {
            pWalk->pIntake->bOutOfMemory = TRUE;
            break;
        }
        Walk_Entry *pEntry = (Walk_Entry *)(pBlock + *pnUsed);
        pEntry->dwAttributes = fd.dwFileAttributes;
        pEntry->nName = nName;
        memcpy(pEntry->szName, fd.cFileName, (size_t)(nName + 1) * sizeof(WCHAR));
        GlobalUnlock(hBlock);
        *pnUsed += nEntry;
        ++*pnEntries;
    } while (Find_Next(hFind, &fd, bAnsi));
    FindClose(hFind);
    if (pWalk->pIntake->bOutOfMemory || !*pnEntries) {
        if (hBlock)
            GlobalFree(hBlock);
        return 0;
    }
    return hBlock;
}

/* Lists the folder at lpszPath (nPath characters): its files, then each
   subfolder (itself first with Folders Too) and what it holds; a link is
   listed, not entered.  FALSE once the walk is to end. */
static BOOL Walk_Level(Walk *pWalk, int nPath)
{
    UINT nEntries;
    SIZE_T nUsed;
    HGLOBAL hBlock = Read_Folder(pWalk, nPath, &nEntries, &nUsed);
    if (!hBlock)
        return !pWalk->pIntake->bOutOfMemory;
    Walk_Entry **ppEntries = (Walk_Entry **)GlobalAlloc(GMEM_FIXED, nEntries * sizeof(Walk_Entry *));
    BYTE *pBlock = ppEntries ? (BYTE *)GlobalLock(hBlock) : NULL;
    BOOL bGoOn = pBlock != NULL;
    if (!bGoOn)
        pWalk->pIntake->bOutOfMemory = TRUE;
    UINT nFiles = 0;
    if (bGoOn) {
        /* Files at the front, folders at the back, each in name order. */
        UINT nFolders = 0;
        for (SIZE_T nAt = 0; nAt < nUsed; ) {
            Walk_Entry *pEntry = (Walk_Entry *)(pBlock + nAt);
            if (pEntry->dwAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ppEntries[nEntries - ++nFolders] = pEntry;
            else
                ppEntries[nFiles++] = pEntry;
            nAt += Entry_Size(pEntry->nName);
        }
        qsort(ppEntries, nFiles, sizeof *ppEntries, Compare_Entries);
        qsort(ppEntries + nFiles, nFolders, sizeof *ppEntries, Compare_Entries);
    }
    LPWSTR lpszPath = pWalk->lpszPath;
    for (UINT i = 0; bGoOn && i < nEntries; i++) {
        const Walk_Entry *pEntry = ppEntries[i];
        const int nItem = nPath + 1 + pEntry->nName;
        if (nItem > NAME_MAX_CHARS) {
            Note_Left_Out(NAME_NOT_A_NAME, pEntry->szName, pEntry->nName);
            continue;
        }
        lpszPath[nPath] = '\\';
        memcpy(lpszPath + nPath + 1, pEntry->szName, (size_t)(pEntry->nName + 1) * sizeof(WCHAR));
        const BOOL bFolder = (pEntry->dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const BOOL bLink = (pEntry->dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!bFolder || bLink || folders_too_on == 1)
            bGoOn = Walk_Item(pWalk, nItem);
        if (bGoOn && bFolder && !bLink)
            bGoOn = Walk_Level(pWalk, nItem);
        lpszPath[nPath] = 0;
    }
    if (pBlock)
        GlobalUnlock(hBlock);
    GlobalFree(hBlock);
    if (ppEntries)
        GlobalFree((HGLOBAL)ppEntries);
    return bGoOn;
}

/* Takes the contents of the folder lpszFolder (a name as the list keeps
   it, nFolder characters) into the intake in its place.  FALSE when the
   intake is to stop: memory ran out, or the user pressed Esc. */
BOOL Walk_Folder(Name_Intake *pIntake, LPCWSTR lpszFolder, int nFolder)
{
    Walk walk;
    walk.pIntake = pIntake;
    walk.dwShown = GetTickCount();
    walk.dwPumped = walk.dwShown - WALK_PUMP_MS;   /* the first look comes with the first items */
    walk.nItems = 0;
    walk.bEnded = FALSE;
    walk.lpszPath = (LPWSTR)GlobalAlloc(GMEM_FIXED, (SIZE_T)INTAKE_NAME_CHARS * sizeof(WCHAR));
    if (!walk.lpszPath) {
        pIntake->bOutOfMemory = TRUE;
        return FALSE;
    }
    /* "\\?\" before it, for the paths longer than MAX_PATH inside: the
       list keeps each name plain where that is the same file.  Windows 95
       and 98 have no such prefix, and no path longer. */
    LPCWSTR lpszPrefix = L"";
    int nSkip = 0;
    if (!(GetVersion() & 0x80000000) && !(lpszFolder[0] == '\\' && lpszFolder[1] == '\\' && lpszFolder[2] == '?')) {
        const BOOL bUnc = lpszFolder[0] == '\\' && lpszFolder[1] == '\\';
        lpszPrefix = bUnc ? L"\\\\?\\UNC" : L"\\\\?\\";   /* "\\server" gives one backslash to "UNC\" */
        nSkip = bUnc ? 1 : 0;
    }
    const int nPrefix = lstrlenW(lpszPrefix);
    const int nPath = nPrefix + nFolder - nSkip;
    if (nPath + 2 >= INTAKE_NAME_CHARS) {
        GlobalFree((HGLOBAL)walk.lpszPath);
        return TRUE;
    }
    memcpy(walk.lpszPath, lpszPrefix, (size_t)nPrefix * sizeof(WCHAR));
    memcpy(walk.lpszPath + nPrefix, lpszFolder + nSkip, (size_t)(nFolder - nSkip + 1) * sizeof(WCHAR));
    walk.nPrefix = nSkip ? 0 : nPrefix;   /* a name shown in the report begins after it */

    const BOOL bOuter = !bWalking;
    bWalking = TRUE;
    pIntake->bInWalk = TRUE;
    HMODULE hOrder = Begin_Name_Order();
    if (folders_too_on == 1)
        Walk_Item(&walk, nPath);
    if (!walk.bEnded)
        Walk_Level(&walk, nPath);
    End_Name_Order(hOrder);
    pIntake->bInWalk = FALSE;
    const BOOL bStopped = bStopWalk;
    if (walk.bEnded && !pIntake->bOutOfMemory)
        Note_Walk_Ended(bStopped);
    if (bOuter) {
        bWalking = FALSE;
        bStopWalk = FALSE;
    }
    GlobalFree((HGLOBAL)walk.lpszPath);
    return !pIntake->bOutOfMemory && !bStopped;
}
