/* Name list in movable global memory.
   The caller keeps the first node (and, while building, the last one); the
   module keeps nothing.  A block is locked only inside one call. */
#include <string.h>

#include "GSTRLIST.H"

#if !defined(_WIN64)
/* The 32-bit program stores three 32-bit handles per node. */
static_assert(sizeof(NameList) == 12, "a node is three 32-bit handles");
#endif

/* Copies lpszFrom, cut to nSize - 1 characters, with a terminator.  (No
   lstrcpynW: Windows 95 and 98 have only its stub.) */
void Copy_Wide(LPWSTR lpszTo, LPCWSTR lpszFrom, int nSize)
{
    int n = lstrlenW(lpszFrom);
    if (n > nSize - 1)
        n = nSize - 1;
    memcpy(lpszTo, lpszFrom, (size_t)n * sizeof(WCHAR));
    lpszTo[n] = 0;
}

/* Allocates the text block for pNode and copies the name into it.
   Returns FALSE, with nothing left allocated, when either step fails. */
static BOOL Store_Name(NameList *pNode, LPCWSTR pszFileName, UINT StringLength)
{
    pNode->hfilename = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)StringLength * sizeof(WCHAR));
    if (!pNode->hfilename)
        return FALSE;

    LPWSTR lpszText = (LPWSTR)GlobalLock(pNode->hfilename);
    if (!lpszText) {
        GlobalFree(pNode->hfilename);
        pNode->hfilename = 0;
        return FALSE;
    }
    /* Bounded by the block's size: a short StringLength cuts the name
       instead of writing past the block. */
    Copy_Wide(lpszText, pszFileName, (int)StringLength);
    GlobalUnlock(pNode->hfilename);
    return TRUE;
}

HGLOBAL String_list_add(LPCWSTR pszFileName, UINT StringLength, HGLOBAL hFNameList)
{
    HGLOBAL hNew = GlobalAlloc(GMEM_MOVEABLE, sizeof(NameList));
    if (!hNew)
        return 0;

    NameList *pNew = (NameList *)GlobalLock(hNew);
    if (!pNew) {
        GlobalFree(hNew);
        return 0;
    }

    if (!hFNameList) {
        /* A new list. */
        pNew->hback = 0;
        pNew->hnext = 0;
        pNew->hfilename = 0;
        if (!Store_Name(pNew, pszFileName, StringLength)) {
            GlobalUnlock(hNew);
            GlobalFree(hNew);
            return 0;
        }
        GlobalUnlock(hNew);
        return hNew;
    }

    /* Append after the caller's last node; its old hnext is not looked at. */
    NameList *pLast = (NameList *)GlobalLock(hFNameList);
    if (!pLast) {
        GlobalUnlock(hNew);
        GlobalFree(hNew);
        return 0;
    }
    pLast->hnext = hNew;
    pNew->hback = hFNameList;
    pNew->hnext = 0;
    pNew->hfilename = 0;

    if (!Store_Name(pNew, pszFileName, StringLength)) {
        /* Undo the link so the list is exactly as it was. */
        GlobalUnlock(hNew);
        GlobalFree(hNew);
        pLast->hnext = 0;
        GlobalUnlock(hFNameList);
        return 0;
    }
    GlobalUnlock(hNew);
    GlobalUnlock(hFNameList);
    return hNew;
}

/* The name in the first node of *phSpare, a chain of nodes no list holds
   any more (the one a new list replaces), linked after hFNameList; the
   chain moves on to its next node.  Its blocks are used again: a node and
   a text fewer to free and to allocate.  With no spare node, a new one.
   Returns 0 when memory runs out, the spare node freed and the list as
   it was. */
HGLOBAL String_List_Reuse(HGLOBAL *phSpare, LPCWSTR pszFileName, UINT StringLength, HGLOBAL hFNameList)
{
    const HGLOBAL hNode = *phSpare;
    NameList *pNode = hNode ? (NameList *)GlobalLock(hNode) : NULL;
    if (!pNode) {
        *phSpare = 0;   /* a node that cannot be read ends the chain */
        return String_list_add(pszFileName, StringLength, hFNameList);
    }
    *phSpare = pNode->hnext;
    const SIZE_T nBytes = (SIZE_T)StringLength * sizeof(WCHAR);
    const HGLOBAL hText = pNode->hfilename ? GlobalReAlloc(pNode->hfilename, nBytes, GMEM_MOVEABLE)
                                           : GlobalAlloc(GMEM_MOVEABLE, nBytes);
    LPWSTR lpszText = hText ? (LPWSTR)GlobalLock(hText) : NULL;
    if (!lpszText) {
        GlobalFree(hText ? hText : pNode->hfilename);
        GlobalUnlock(hNode);
        GlobalFree(hNode);
        return 0;
    }
    Copy_Wide(lpszText, pszFileName, (int)StringLength);
    GlobalUnlock(hText);
    pNode->hback = hFNameList;
    pNode->hfilename = hText;
    pNode->hnext = 0;
    GlobalUnlock(hNode);
    NameList *pLast = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (pLast) {
        pLast->hnext = hNode;
        GlobalUnlock(hFNameList);
    }
    return hNode;
}

LPCWSTR String_List_Lock(HGLOBAL hFNameList, HGLOBAL *phText)
{
    NameList *pNode = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (!pNode)
        return NULL;
    *phText = pNode->hfilename;
    GlobalUnlock(hFNameList);
    return *phText ? (LPCWSTR)GlobalLock(*phText) : NULL;
}

LPCWSTR String_List_Lock_Next(HGLOBAL hFNameList, HGLOBAL *phText, HGLOBAL *phNext)
{
    *phNext = 0;
    NameList *pNode = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (!pNode)
        return NULL;
    *phText = pNode->hfilename;
    *phNext = pNode->hnext;
    GlobalUnlock(hFNameList);
    return *phText ? (LPCWSTR)GlobalLock(*phText) : NULL;
}

SIZE_T String_List_Room(HGLOBAL hFNameList)
{
    NameList *pNode = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (!pNode)
        return 0;
    const HGLOBAL hText = pNode->hfilename;
    GlobalUnlock(hFNameList);
    return hText ? GlobalSize(hText) / sizeof(WCHAR) : 0;
}

int String_List_Read(HGLOBAL hFNameList, LPWSTR string_buff, int nSize)
{
    HGLOBAL hText;
    LPCWSTR lpszText = String_List_Lock(hFNameList, &hText);
    if (!lpszText)
        return 0;
    Copy_Wide(string_buff, lpszText, nSize);
    GlobalUnlock(hText);
    return 1;
}

HGLOBAL String_List_Next(HGLOBAL hFNameList)
{
    NameList *pNode = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (!pNode)
        return 0;
    HGLOBAL hNext = pNode->hnext;
    GlobalUnlock(hFNameList);
    return hNext;
}

HGLOBAL String_List_Back(HGLOBAL hFNameList)
{
    NameList *pNode = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (!pNode)
        return 0;
    HGLOBAL hBack = pNode->hback;
    GlobalUnlock(hFNameList);
    return hBack;
}

HGLOBAL String_List_Seek(HGLOBAL hFNameList, int number)
{
    HGLOBAL hNode = hFNameList;
    for (; number > 0 && hNode; number--)
        hNode = String_List_Next(hNode);
    for (; number < 0 && hNode; number++)
        hNode = String_List_Back(hNode);
    return hNode;
}

/* Frees hFNameList and every node on one side of it, following hback
   (forward FALSE) or hnext (forward TRUE).  Returns 0 when done, else the
   node whose lock failed. */
static HGLOBAL Delete_Sweep(HGLOBAL hFNameList, BOOL forward)
{
    HGLOBAL hNode = hFNameList;
    while (hNode) {
        NameList *pNode = (NameList *)GlobalLock(hNode);
        if (!pNode)
            return hNode;
        if (pNode->hfilename)
            GlobalFree(pNode->hfilename);
        HGLOBAL hFollowing = forward ? pNode->hnext : pNode->hback;
        GlobalUnlock(hNode);
        GlobalFree(hNode);
        hNode = hFollowing;
    }
    return 0;
}

HGLOBAL DeleteBack_StringList(HGLOBAL hFNameList)
{
    return Delete_Sweep(hFNameList, FALSE);
}

HGLOBAL DeleteNext_StringList(HGLOBAL hFNameList)
{
    return Delete_Sweep(hFNameList, TRUE);
}

HGLOBAL DeleteAll_StringList(HGLOBAL hFNameList)
{
    NameList *pNode = hFNameList ? (NameList *)GlobalLock(hFNameList) : NULL;
    if (!pNode)
        return hFNameList;

    HGLOBAL hResult = 0;
    if (pNode->hback)
        hResult = DeleteBack_StringList(pNode->hback);
    if (pNode->hnext)
        hResult = DeleteNext_StringList(pNode->hnext);
    if (hResult) {
        GlobalUnlock(hFNameList);
        return hResult;
    }
    if (pNode->hfilename)
        GlobalFree(pNode->hfilename);
    GlobalUnlock(hFNameList);
    GlobalFree(hFNameList);
    return 0;
}

void String_List_Link(HGLOBAL hFirst, HGLOBAL hSecond)
{
    NameList *pFirst = hFirst ? (NameList *)GlobalLock(hFirst) : NULL;
    if (pFirst) {
        pFirst->hnext = hSecond;
        GlobalUnlock(hFirst);
    }
    NameList *pSecond = hSecond ? (NameList *)GlobalLock(hSecond) : NULL;
    if (pSecond) {
        pSecond->hback = hFirst;
        GlobalUnlock(hSecond);
    }
}

void DeleteRange_StringList(HGLOBAL hFirst, HGLOBAL hLast)
{
    for (HGLOBAL hNode = hFirst; hNode; ) {
        NameList *pNode = (NameList *)GlobalLock(hNode);
        if (!pNode)
            return;
        const HGLOBAL hNext = hNode == hLast ? 0 : pNode->hnext;
        if (pNode->hfilename)
            GlobalFree(pNode->hfilename);
        GlobalUnlock(hNode);
        GlobalFree(hNode);
        hNode = hNext;
    }
}
