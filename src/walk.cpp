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
BOOL bCloseAfterWalk;

#define WALK_SHOW_MS    250     /* the caption counts at least this often */
#define WALK_PUMP_MS    50      /* the messages are looked at this often */
#define WALK_PUMP_EVERY 64      /* items between two looks at the clock */
#define NO_LEVEL        ((SIZE_T)-1)

/* One walk's state.  The folders open on the way down are levels in one
   block, each after the one above it: no call a level, so that a tree as
   deep as the longest path is walked on a small stack. */
struct Walk {
    Name_Intake *pIntake;
    LPWSTR lpszPath;            /* the path being walked, "\\?\" before it where Windows has it */
    int    nPrefix;             /* characters of that prefix */
    BOOL   bUnc;                /* the prefix is "\\?\UNC", which stands for one backslash */
    DWORD  dwShown;             /* when the caption last counted */
    DWORD  dwPumped;            /* when the messages were last looked at */
    UINT   nItems;              /* items since the messages were last looked at */
    BOOL   bEnded;              /* stopped: Esc, the list's limit, or memory */
    BYTE  *pLevels;             /* the levels open, one after another */
    SIZE_T nLevels, nUsed;      /* the block's size and the bytes in use */
};

/* A level: this head, the folder's entries packed one after another, then
   the entries' places in the order they are listed.  Places, not
   pointers: the block moves as it grows. */
struct Walk_Level {
    SIZE_T nAbove;              /* where the level above begins; NO_LEVEL for the top */
    SIZE_T nOrder;              /* where the places begin */
    UINT   nEntries;
    UINT   nNext;               /* the next entry to list */
    int    nPath;               /* characters of the folder's path */
};

/* An entry of a folder: its attributes and name. */
struct Walk_Entry {
    DWORD dwAttributes;
    int   nName;
    WCHAR szName[1];            /* nName characters and a NUL */
};

/* The bytes n takes in the block, kept aligned for what follows. */
static SIZE_T Aligned(SIZE_T n)
{
    return (n + 7) & ~(SIZE_T)7;
}

static SIZE_T Entry_Size(int nName)
{
    return Aligned(offsetof(Walk_Entry, szName) + (SIZE_T)(nName + 1) * sizeof(WCHAR));
}

/* Room for nMore bytes past those in use; FALSE when memory ran out. */
static BOOL Make_Room(Walk *pWalk, SIZE_T nMore)
{
    if (pWalk->nUsed + nMore <= pWalk->nLevels)
        return TRUE;
    SIZE_T nSize = pWalk->nLevels ? pWalk->nLevels : 16384;
    while (nSize < pWalk->nUsed + nMore)
        nSize *= 2;
    BYTE *pGrown = pWalk->pLevels ? (BYTE *)GlobalReAlloc((HGLOBAL)pWalk->pLevels, nSize, GMEM_MOVEABLE)
                                  : (BYTE *)GlobalAlloc(GMEM_FIXED, nSize);
    if (!pGrown) {
        pWalk->pIntake->bOutOfMemory = TRUE;
        return FALSE;
    }
    pWalk->pLevels = pGrown;
    pWalk->nLevels = nSize;
    return TRUE;
}

static int Compare_Entries(const void *a, const void *b)
{
    return Compare_Names((*(const Walk_Entry *const *)a)->szName, (*(const Walk_Entry *const *)b)->szName);
}

/* The names found so far on the screen: the count in the caption, the
   rows in the window; and what waits in the message queue handled, so
   that the window paints, moves and hears Esc.  Before any message is
   handled, the count is the list's: a key or a click acts on rows that
   are there. */
static void Walk_Messages(Walk *pWalk)
{
    pWalk->nItems = 0;
    const DWORD dwNow = GetTickCount();
    if (dwNow - pWalk->dwPumped < WALK_PUMP_MS)
        return;
    pWalk->dwPumped = dwNow;
    const Name_Intake *pIntake = pWalk->pIntake;
    if (pIntake->bChanged) {
        TotalNumberOfFiles = pIntake->nStored;
        maxfile_name_length = pIntake->nWidest;
        Set_Line_Count((int)TotalNumberOfFiles);
        if (dwNow - pWalk->dwShown >= WALK_SHOW_MS) {
            pWalk->dwShown = dwNow;
            CaptionFileOpen(hWndMain, TotalNumberOfFiles);
            Show_Status();
            InvalidateRect(hWndMain, NULL, TRUE);
        }
    }
    MSG msg;
    while (!bStopWalk && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            bStopWalk = TRUE;
            break;
        }
        if (Main_Window_Key(hMainKeys, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

/* One item found, lpszName: FALSE once the walk is to end. */
static BOOL Walk_Item(Walk *pWalk, LPCWSTR lpszName, int nName)
{
    Name_Intake *pIntake = pWalk->pIntake;
    if (++pWalk->nItems >= WALK_PUMP_EVERY)
        Walk_Messages(pWalk);
    if (bStopWalk || pIntake->bOutOfMemory || pIntake->nStored >= MAX_LIST_NAMES) {
        pWalk->bEnded = TRUE;
        return FALSE;
    }
    return Intake_Name(pIntake, lpszName, nName, FALSE);
}

/* Counts the folder at lpszPath (nPath characters) as one that cannot be
   read, by the name the user knows it by. */
static void Note_Unreadable(Walk *pWalk, int nPath)
{
    LPWSTR lpszPath = pWalk->lpszPath;
    if (!pWalk->bUnc) {
        Note_Left_Out(NAME_UNREADABLE, lpszPath + pWalk->nPrefix, nPath - pWalk->nPrefix);
        return;
    }
    /* "\\?\UNC\server..." is "\\server...": its "C" stands in for the
       first backslash a moment. */
    lpszPath[pWalk->nPrefix - 1] = '\\';
    Note_Left_Out(NAME_UNREADABLE, lpszPath + pWalk->nPrefix - 2, nPath - pWalk->nPrefix + 2);
    lpszPath[pWalk->nPrefix - 1] = 'C';
}

/* Opens a level for the folder at lpszPath (nPath characters) under the
   level at nAbove: its entries read into the block and put in the order
   they are listed, files first.  The level's place; NO_LEVEL when the
   folder holds nothing to list, cannot be read, or memory ran out. */
static SIZE_T Open_Level(Walk *pWalk, int nPath, SIZE_T nAbove)
{
    const SIZE_T nLevel = pWalk->nUsed;
    if (!Make_Room(pWalk, Aligned(sizeof(Walk_Level))))
        return NO_LEVEL;
    pWalk->nUsed += Aligned(sizeof(Walk_Level));
    const SIZE_T nFirst = pWalk->nUsed;

    LPWSTR lpszPath = pWalk->lpszPath;
    memcpy(lpszPath + nPath, L"\\*", 3 * sizeof(WCHAR));
    WIN32_FIND_DATAW fd;
    BOOL bAnsi;
    HANDLE hFind = Find_First(lpszPath, &fd, &bAnsi);
    lpszPath[nPath] = 0;
    if (hFind == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_NO_MORE_FILES)
            Note_Unreadable(pWalk, nPath);
        pWalk->nUsed = nLevel;
        return NO_LEVEL;
    }
    UINT nEntries = 0;
    do {
        const int nName = lstrlenW(fd.cFileName);
        const BOOL bDots = fd.cFileName[0] == '.' && (nName == 1 || (nName == 2 && fd.cFileName[1] == '.'));
        if (bDots || (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
            continue;
        const SIZE_T nEntry = Entry_Size(nName);
        if (!Make_Room(pWalk, nEntry))
            break;
        Walk_Entry *pEntry = (Walk_Entry *)(pWalk->pLevels + pWalk->nUsed);
        pEntry->dwAttributes = fd.dwFileAttributes;
        pEntry->nName = nName;
        memcpy(pEntry->szName, fd.cFileName, (size_t)(nName + 1) * sizeof(WCHAR));
        pWalk->nUsed += nEntry;
        nEntries++;
    } while (Find_Next(hFind, &fd, bAnsi));
    FindClose(hFind);
    const SIZE_T nOrder = pWalk->nUsed;
    if (!nEntries || pWalk->pIntake->bOutOfMemory || !Make_Room(pWalk, nEntries * sizeof(SIZE_T))) {
        pWalk->nUsed = nLevel;
        return NO_LEVEL;
    }
    pWalk->nUsed += nEntries * sizeof(SIZE_T);

    /* Files at the front, folders at the back, each in name order: sorted
       as pointers, which hold while the block does not grow, then kept as
       places. */
    BYTE *pBlock = pWalk->pLevels;
    Walk_Entry **ppEntries = (Walk_Entry **)(pBlock + nOrder);
    UINT nFiles = 0, nFolders = 0;
    for (SIZE_T nAt = nFirst; nAt < nOrder; ) {
        Walk_Entry *pEntry = (Walk_Entry *)(pBlock + nAt);
        if (pEntry->dwAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ppEntries[nEntries - ++nFolders] = pEntry;
        else
            ppEntries[nFiles++] = pEntry;
        nAt += Entry_Size(pEntry->nName);
    }
    qsort(ppEntries, nFiles, sizeof *ppEntries, Compare_Entries);
    qsort(ppEntries + nFiles, nFolders, sizeof *ppEntries, Compare_Entries);
    SIZE_T *pnPlaces = (SIZE_T *)ppEntries;
    for (UINT i = 0; i < nEntries; i++)
        pnPlaces[i] = (SIZE_T)((BYTE *)ppEntries[i] - pBlock);

    Walk_Level *pLevel = (Walk_Level *)(pBlock + nLevel);
    pLevel->nAbove = nAbove;
    pLevel->nOrder = nOrder;
    pLevel->nEntries = nEntries;
    pLevel->nNext = 0;
    pLevel->nPath = nPath;
    return nLevel;
}

/* Lists the folder at lpszPath (nPath characters) and every folder below
   it, depth first: each folder's files, then each subfolder (itself first
   with Folders Too) and what it holds; a link is listed, not entered. */
static void Walk_Tree(Walk *pWalk, int nPath)
{
    LPWSTR lpszPath = pWalk->lpszPath;
    SIZE_T nLevel = Open_Level(pWalk, nPath, NO_LEVEL);
    BOOL bGoOn = !pWalk->pIntake->bOutOfMemory;
    while (nLevel != NO_LEVEL) {
        Walk_Level *pLevel = (Walk_Level *)(pWalk->pLevels + nLevel);
        if (!bGoOn || pLevel->nNext == pLevel->nEntries) {
            /* The level is done: back to the one above, where it was. */
            pWalk->nUsed = nLevel;
            nLevel = pLevel->nAbove;
            if (nLevel != NO_LEVEL)
                lpszPath[((Walk_Level *)(pWalk->pLevels + nLevel))->nPath] = 0;
            continue;
        }
        const SIZE_T nPlace = ((const SIZE_T *)(pWalk->pLevels + pLevel->nOrder))[pLevel->nNext++];
        const Walk_Entry *pEntry = (const Walk_Entry *)(pWalk->pLevels + nPlace);
        const int nFolder = pLevel->nPath, nItem = nFolder + 1 + pEntry->nName;
        if (nItem > NAME_MAX_CHARS) {
            Note_Left_Out(NAME_NOT_A_NAME, pEntry->szName, pEntry->nName);
            continue;
        }
        lpszPath[nFolder] = '\\';
        memcpy(lpszPath + nFolder + 1, pEntry->szName, (size_t)(pEntry->nName + 1) * sizeof(WCHAR));
        const BOOL bFolder = (pEntry->dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const BOOL bLink = (pEntry->dwAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!bFolder || bLink || folders_too_on == 1)
            bGoOn = Walk_Item(pWalk, lpszPath, nItem);
        if (bGoOn && bFolder && !bLink) {
            /* pEntry may move as the block grows: nothing of it is read after. */
            const SIZE_T nBelow = Open_Level(pWalk, nItem, nLevel);
            bGoOn = !pWalk->pIntake->bOutOfMemory;
            if (nBelow != NO_LEVEL) {
                nLevel = nBelow;
                continue;
            }
        }
        lpszPath[nFolder] = 0;
    }
}

/* Takes the contents of the folder lpszFolder (a name as the list keeps
   it, nFolder characters) into the intake in its place.  FALSE when the
   intake is to stop: memory ran out, or the user pressed Esc. */
BOOL Walk_Folder(Name_Intake *pIntake, LPCWSTR lpszFolder, int nFolder)
{
    Walk walk;
    ZeroMemory(&walk, sizeof walk);
    walk.pIntake = pIntake;
    walk.dwShown = GetTickCount();
    walk.dwPumped = walk.dwShown - WALK_PUMP_MS;   /* the first look comes with the first items */
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
        walk.bUnc = lpszFolder[0] == '\\' && lpszFolder[1] == '\\';
        lpszPrefix = walk.bUnc ? L"\\\\?\\UNC" : L"\\\\?\\";   /* "\\server" gives one backslash to "UNC\" */
        nSkip = walk.bUnc ? 1 : 0;
    }
    walk.nPrefix = lstrlenW(lpszPrefix);
    /* A root keeps its backslash in the list ("T:\"); the names inside
       take one of their own. */
    const int nInner = nFolder - (lpszFolder[nFolder - 1] == '\\' ? 1 : 0);
    const int nPath = walk.nPrefix + nInner - nSkip;
    if (nPath + 2 >= INTAKE_NAME_CHARS) {
        GlobalFree((HGLOBAL)walk.lpszPath);
        return TRUE;
    }
    memcpy(walk.lpszPath, lpszPrefix, (size_t)walk.nPrefix * sizeof(WCHAR));
    memcpy(walk.lpszPath + walk.nPrefix, lpszFolder + nSkip, (size_t)(nInner - nSkip) * sizeof(WCHAR));
    walk.lpszPath[nPath] = 0;

    const BOOL bOuter = !bWalking;
    bWalking = TRUE;
    pIntake->bInWalk = TRUE;
    pIntake->bWalked = TRUE;
    HMODULE hOrder = Begin_Name_Order();
    if (folders_too_on == 1)
        Walk_Item(&walk, lpszFolder, nFolder);
    if (!walk.bEnded)
        Walk_Tree(&walk, nPath);
    End_Name_Order(hOrder);
    pIntake->bInWalk = FALSE;
    Intake_Walk_Ended(pIntake);
    const BOOL bStopped = bStopWalk;
    if (walk.bEnded && !pIntake->bOutOfMemory)
        Note_Walk_Ended(bStopped);
    if (bOuter) {
        bWalking = FALSE;
        bStopWalk = FALSE;
        if (bCloseAfterWalk)
            PostMessageA(hWndMain, WM_CLOSE, 0, 0);   /* once: it closes the window now */
    }
    if (walk.pLevels)
        GlobalFree((HGLOBAL)walk.pLevels);
    GlobalFree((HGLOBAL)walk.lpszPath);
    return !pIntake->bOutOfMemory && !bStopped;
}
