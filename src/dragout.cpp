/* Tamsel32: the names selected dragged out of the list, as files, onto a
   mail, an upload page, a folder: a drop source and a data object that
   offers the files (CF_HDROP with wide names, the shell's ID list where
   the shell can make it), the copy as the drop effect it prefers, and the
   names as the copy gives them.  Copy and link only: nothing in the list
   moves a file.  The list itself never changes by a drag. */
#include <new>          /* placement new: the objects live in blocks of the program's own */
#include <string.h>
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The formats offered, in the order a target is told of them. */
#define DRAG_HDROP      0
#define DRAG_EFFECT     1
#define DRAG_IDLIST     2
#define DRAG_TEXT       3
#define DRAG_FORMATS    4

/* The data object: the files as a drop block made when the drag begins
   (the list may change under a long drag: a second start's names), and
   the other formats made from it or with it. */
struct Drag_Data : public IDataObject {
    LONG    nRefs;
    CLIPFORMAT acf[DRAG_FORMATS];
    HGLOBAL ahData[DRAG_FORMATS];   /* 0 where not yet made (the ID list: on demand) */
    BOOL    bNoIdList;              /* the shell cannot make it */

    /* IUnknown */
    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&nRefs); }
    STDMETHODIMP_(ULONG) Release() override;
    /* IDataObject */
    STDMETHODIMP GetData(FORMATETC *pFormat, STGMEDIUM *pMedium) override;
    STDMETHODIMP GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC *pFormat) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC *, FORMATETC *pOut) override
    {
        pOut->ptd = NULL;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC **ppEnum) override;
    STDMETHODIMP DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA **) override { return OLE_E_ADVISENOTSUPPORTED; }
};

/* The list of formats, told one by one. */
struct Drag_Formats : public IEnumFORMATETC {
    LONG       nRefs;
    Drag_Data *pData;
    ULONG      nNext;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&nRefs); }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Next(ULONG nWanted, FORMATETC *pFormats, ULONG *pnGiven) override;
    STDMETHODIMP Skip(ULONG n) override
    {
        nNext += n;
        return nNext <= DRAG_FORMATS ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        nNext = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFORMATETC **) override { return E_NOTIMPL; }
};

/* The drop source: Esc or the right button cancels, letting go of the
   left one drops. */
struct Drag_Source : public IDropSource {
    LONG nRefs;

    STDMETHODIMP QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDropSource) {
            *ppv = static_cast<IDropSource *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)InterlockedIncrement(&nRefs); }
    STDMETHODIMP_(ULONG) Release() override { return (ULONG)InterlockedDecrement(&nRefs); }
    STDMETHODIMP QueryContinueDrag(BOOL bEscape, DWORD grfKeyState) override
    {
        if (bEscape || (grfKeyState & MK_RBUTTON))
            return DRAGDROP_S_CANCEL;
        return (grfKeyState & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

STDMETHODIMP Drag_Data::QueryInterface(REFIID riid, void **ppv)
{
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
        *ppv = static_cast<IDataObject *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) Drag_Data::Release()
{
    const LONG n = InterlockedDecrement(&nRefs);
    if (n == 0) {
        for (HGLOBAL h : ahData)
            if (h)
                GlobalFree(h);
        GlobalFree((HGLOBAL)this);
    }
    return (ULONG)n;
}

/* The format's place among those offered; -1 for none. */
static int Format_Index(const Drag_Data *pData, const FORMATETC *pFormat)
{
    for (int i = 0; i < DRAG_FORMATS; i++)
        if (pFormat->cfFormat == pData->acf[i] && (pFormat->tymed & TYMED_HGLOBAL) &&
            pFormat->dwAspect == DVASPECT_CONTENT && !(i == DRAG_IDLIST && pData->bNoIdList))
            return i;
    return -1;
}

typedef PIDLIST_ABSOLUTE (WINAPI *ILCREATEFROMPATHW)(LPCWSTR lpszPath);
typedef void (WINAPI *ILFREE)(PIDLIST_RELATIVE pidl);
typedef UINT (WINAPI *ILGETSIZE)(PCUIDLIST_RELATIVE pidl);

static FARPROC Shell_Function(LPCSTR lpszName)
{
    return GetProcAddress(GetModuleHandleA("shell32.dll"), lpszName);
}

/* The shell's ID list array of the files, from the drop block: the
   desktop as the parent, each file's full ID list after it.  0 where the
   shell cannot make it (before Windows XP, or a name it does not know). */
static HGLOBAL Make_Id_List(HGLOBAL hDrop)
{
    ILCREATEFROMPATHW pCreate = (ILCREATEFROMPATHW)(void *)Shell_Function("ILCreateFromPathW");
    ILFREE pFree = (ILFREE)(void *)Shell_Function("ILFree");
    /* Before Windows 2000 the shell gave these by number only: loaded by
       name, so that the program still starts there. */
    ILGETSIZE pGetSize = (ILGETSIZE)(void *)Shell_Function("ILGetSize");
    const DROPFILES *pDrop = (const DROPFILES *)GlobalLock(hDrop);
    if (!pDrop)
        return 0;
    LPCWSTR lpszFirst = (LPCWSTR)((const BYTE *)pDrop + pDrop->pFiles);
    UINT nFiles = 0;
    for (LPCWSTR p = lpszFirst; *p; p += lstrlenW(p) + 1)
        nFiles++;
    /* Made in two rounds: measured, then written. */
    HGLOBAL hIds = 0;
    for (int nRound = 0; nRound < 2 && pCreate && pFree && pGetSize; nRound++) {
        BYTE *pIds = nRound ? (BYTE *)GlobalLock(hIds) : NULL;
        SIZE_T nAt = sizeof(CIDA) + nFiles * sizeof(UINT) + sizeof(USHORT);   /* the desktop: an empty list */
        if (pIds) {
            CIDA *pCida = (CIDA *)pIds;
            pCida->cidl = nFiles;
            pCida->aoffset[0] = (UINT)(nAt - sizeof(USHORT));
            *(USHORT *)(pIds + pCida->aoffset[0]) = 0;
        }
        UINT k = 0;
        BOOL bAll = TRUE;
        for (LPCWSTR p = lpszFirst; *p && bAll; p += lstrlenW(p) + 1, k++) {
            PIDLIST_ABSOLUTE pidl = pCreate(p);
            bAll = pidl != NULL;
            if (!pidl)
                break;
            const UINT nSize = pGetSize(pidl);
            if (pIds) {
                ((CIDA *)pIds)->aoffset[k + 1] = (UINT)nAt;
                memcpy(pIds + nAt, pidl, nSize);
            }
            nAt += nSize;
            pFree(pidl);
        }
        if (pIds)
            GlobalUnlock(hIds);
        if (!bAll || (!nRound && (hIds = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, nAt)) == 0)) {
            if (hIds)
                GlobalFree(hIds);
            hIds = 0;
            break;
        }
    }
    GlobalUnlock(hDrop);
    return hIds;
}

/* A copy of a block, for a target that frees what it is given. */
static HGLOBAL Copy_Of(HGLOBAL h)
{
    const SIZE_T n = GlobalSize(h);
    HGLOBAL hCopy = GlobalAlloc(GMEM_MOVEABLE, n);
    void *pTo = hCopy ? GlobalLock(hCopy) : NULL;
    const void *pFrom = pTo ? GlobalLock(h) : NULL;
    if (pFrom) {
        memcpy(pTo, pFrom, n);
        GlobalUnlock(h);
    }
    if (pTo)
        GlobalUnlock(hCopy);
    if (hCopy && !pFrom) {
        GlobalFree(hCopy);
        hCopy = 0;
    }
    return hCopy;
}

STDMETHODIMP Drag_Data::GetData(FORMATETC *pFormat, STGMEDIUM *pMedium)
{
    const int i = Format_Index(this, pFormat);
    if (i < 0)
        return DV_E_FORMATETC;
    if (i == DRAG_IDLIST && !ahData[i]) {
        ahData[i] = Make_Id_List(ahData[DRAG_HDROP]);
        bNoIdList = ahData[i] == 0;
        if (bNoIdList)
            return DV_E_FORMATETC;
    }
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->pUnkForRelease = NULL;
    pMedium->hGlobal = Copy_Of(ahData[i]);
    return pMedium->hGlobal ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP Drag_Data::QueryGetData(FORMATETC *pFormat)
{
    return Format_Index(this, pFormat) >= 0 ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP Drag_Data::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC **ppEnum)
{
    *ppEnum = NULL;
    if (dwDirection != DATADIR_GET)
        return E_NOTIMPL;
    Drag_Formats *pEnum = (Drag_Formats *)GlobalAlloc(GMEM_FIXED, sizeof(Drag_Formats));
    if (!pEnum)
        return E_OUTOFMEMORY;
    new (pEnum) Drag_Formats();
    pEnum->nRefs = 1;
    pEnum->pData = this;
    pEnum->nNext = 0;
    AddRef();
    *ppEnum = pEnum;
    return S_OK;
}

STDMETHODIMP Drag_Formats::QueryInterface(REFIID riid, void **ppv)
{
    if (riid == IID_IUnknown || riid == IID_IEnumFORMATETC) {
        *ppv = static_cast<IEnumFORMATETC *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = NULL;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) Drag_Formats::Release()
{
    const LONG n = InterlockedDecrement(&nRefs);
    if (n == 0) {
        pData->Release();
        GlobalFree((HGLOBAL)this);
    }
    return (ULONG)n;
}

STDMETHODIMP Drag_Formats::Next(ULONG nWanted, FORMATETC *pFormats, ULONG *pnGiven)
{
    ULONG nGiven = 0;
    for (; nGiven < nWanted && nNext < DRAG_FORMATS; nNext++) {
        if (nNext == DRAG_IDLIST && pData->bNoIdList)
            continue;
        FORMATETC format = {pData->acf[nNext], NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        pFormats[nGiven++] = format;
    }
    if (pnGiven)
        *pnGiven = nGiven;
    return nGiven == nWanted ? S_OK : S_FALSE;
}

/* The drop block of the rows selected: wide names, as the shell's. */
static HGLOBAL Selected_Drop_Block(void)
{
    SIZE_T nChars = 1;
    int nRow = 0;
    for (HGLOBAL hNode = hFNameTopList; hNode; hNode = String_List_Next(hNode), nRow++)
        if (Row_Selected(nRow))
            nChars += String_List_Room(hNode);   /* its name and NUL at the most */
    HGLOBAL hDrop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + nChars * sizeof(WCHAR));
    DROPFILES *pDrop = hDrop ? (DROPFILES *)GlobalLock(hDrop) : NULL;
    if (!pDrop) {
        if (hDrop)
            GlobalFree(hDrop);
        return 0;
    }
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    LPWSTR p = (LPWSTR)(pDrop + 1);
    nRow = 0;
    for (HGLOBAL hNode = hFNameTopList, hNext; hNode; hNode = hNext, nRow++) {
        if (!Row_Selected(nRow)) {
            hNext = String_List_Next(hNode);
            continue;
        }
        HGLOBAL hName;
        LPCWSTR lpszName = String_List_Lock_Next(hNode, &hName, &hNext);
        if (lpszName) {
            const int n = lstrlenW(lpszName);
            memcpy(p, lpszName, (size_t)(n + 1) * sizeof(WCHAR));
            p += n + 1;
            GlobalUnlock(hName);
        }
    }
    *p = 0;
    GlobalUnlock(hDrop);
    return hDrop;
}

/* The data object of the rows selected, its files and text made now;
   NULL when memory runs out. */
IDataObject *Make_Drag_Data(void)
{
    Drag_Data *pData = (Drag_Data *)GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(Drag_Data));
    if (!pData)
        return NULL;
    new (pData) Drag_Data();
    pData->nRefs = 1;
    pData->acf[DRAG_HDROP] = CF_HDROP;
    pData->acf[DRAG_EFFECT] = (CLIPFORMAT)RegisterClipboardFormatA(SZ_DROP_EFFECT);
    pData->acf[DRAG_IDLIST] = (CLIPFORMAT)RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
    pData->acf[DRAG_TEXT] = CF_UNICODETEXT;
    pData->bNoIdList = !Shell_Function("ILCreateFromPathW");   /* not offered where it cannot be made */
    pData->ahData[DRAG_HDROP] = Selected_Drop_Block();
    SIZE_T nText;
    pData->ahData[DRAG_TEXT] = Copy_Text_Block(TRUE, &nText);
    pData->ahData[DRAG_EFFECT] = GlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    DWORD *pEffect = pData->ahData[DRAG_EFFECT] ? (DWORD *)GlobalLock(pData->ahData[DRAG_EFFECT]) : NULL;
    if (pEffect) {
        *pEffect = DROPEFFECT_COPY;
        GlobalUnlock(pData->ahData[DRAG_EFFECT]);
    }
    if (!pData->ahData[DRAG_HDROP] || !pData->ahData[DRAG_TEXT] || !pEffect) {
        pData->Release();
        return NULL;
    }
    return pData;
}

/* A drag of the rows selected, until it is dropped or cancelled.  The
   list is unchanged either way; memory that runs out ends it before it
   starts.  Returns the effect the target chose. */
DWORD Drag_Out(HWND hWnd)
{
    IDataObject *pData = Make_Drag_Data();
    if (!pData) {
        Mem_error_MesBox();
        return DROPEFFECT_NONE;
    }
    Drag_Source source;
    source.nRefs = 1;
    DWORD dwEffect = DROPEFFECT_NONE;
    DoDragDrop(pData, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &dwEffect);
    pData->Release();
    InvalidateRect(hWnd, NULL, FALSE);   /* what the drag's cursor passed over */
    return dwEffect;
}
