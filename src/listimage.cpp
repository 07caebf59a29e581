/* Tamsel32: the list as the intake that made it took it, packed as the
   history packs a list (its names one after another, each with its NUL,
   then room for the selection a bit a row), and kept while the list stays
   so.  Setting the list aside then reads no name, and a copy reads the
   names from one block, not two a name.  Any change of the list is set
   aside first, which takes the image or lets it go; Undo and Redo hand
   over the block of the list they put back. */
#include <string.h>
#include <windows.h>

#include "TAMSEL.H"

#define IMAGE_FIRST_ROOM (16 * 1024)        /* bytes; doubled as names come */
#define IMAGE_MOST_LIKELY (64 * 1024 * 1024) /* bytes: a source's guess past it is not taken */

static HGLOBAL hImage;                      /* 0: none */
static LPWSTR pImage;                       /* its names, locked while they come */
static SIZE_T nImageRoom;                   /* bytes of the block */
static SIZE_T nImageChars;                  /* of the names, NULs included */
static UINT nImageNames;
static HGLOBAL hImageFirst;                 /* the first node of the list it shows */
static BOOL bImageWhole;                    /* every name of the list is in it */

void List_Image_Forget(void)
{
    if (pImage)
        GlobalUnlock(hImage);
    if (hImage)
        GlobalFree(hImage);
    hImage = 0;
    pImage = NULL;
    bImageWhole = FALSE;
}

/* An intake starts a new list: it hands each name it stores to
   List_Image_Add, and says at List_Image_End whether it stored them all.
   Memory that runs out only leaves the list without an image. */
void List_Image_Begin(SIZE_T nCharsLikely)
{
    List_Image_Forget();
    /* Room for the names the source likely holds: growing a large block
       copies it, and each new page costs as much as the copy. */
    nImageRoom = IMAGE_FIRST_ROOM;
    if (nCharsLikely < IMAGE_MOST_LIKELY / sizeof(WCHAR) && nCharsLikely * sizeof(WCHAR) > nImageRoom)
        nImageRoom = (nCharsLikely + 1) * sizeof(WCHAR);
    hImage = GlobalAlloc(GMEM_MOVEABLE, nImageRoom);
    pImage = hImage ? (LPWSTR)GlobalLock(hImage) : NULL;
    if (!pImage)
        List_Image_Forget();
    nImageNames = 0;
    nImageChars = 0;
}

/* The next name of the list, n characters with its NUL. */
void List_Image_Add(LPCWSTR lpszName, SIZE_T n)
{
    if (!pImage)
        return;
    const SIZE_T nBytes = (nImageChars + n) * sizeof(WCHAR);
    if (nBytes > nImageRoom) {
        GlobalUnlock(hImage);
        pImage = NULL;
        const HGLOBAL hMore = GlobalReAlloc(hImage, nBytes * 2, GMEM_MOVEABLE);
        if (hMore) {
            hImage = hMore;
            nImageRoom = nBytes * 2;
            pImage = (LPWSTR)GlobalLock(hMore);
        }
        if (!pImage) {
            List_Image_Forget();
            return;
        }
    }
    memcpy(pImage + nImageChars, lpszName, n * sizeof(WCHAR));
    nImageChars += n;
    nImageNames++;
}

/* The block fitted to the names and the selection's bits after them. */
void List_Image_End(BOOL bWhole)
{
    if (!pImage)
        return;
    GlobalUnlock(hImage);
    pImage = NULL;
    if (!bWhole) {
        List_Image_Forget();
        return;
    }
    const HGLOBAL hFitted = GlobalReAlloc(hImage, nImageChars * sizeof(WCHAR) + (nImageNames + 7) / 8 + 1, 0);
    if (!hFitted) {
        List_Image_Forget();
        return;
    }
    hImage = hFitted;
    hImageFirst = hFNameTopList;
    bImageWhole = TRUE;
}

/* The image, when the list is still as it shows it. */
static BOOL Image_Holds_List(void)
{
    return bImageWhole && hImageFirst == hFNameTopList && nImageNames == TotalNumberOfFiles;
}

/* The list's names, each with its NUL, in list order, while the list is
   as it was taken (List_Image_Unlock after); else NULL. */
LPCWSTR List_Image_Names(void)
{
    return Image_Holds_List() ? (LPCWSTR)GlobalLock(hImage) : NULL;
}

void List_Image_Unlock(void)
{
    GlobalUnlock(hImage);
}

/* The list is about to change: the image's block, the selection's bits
   written after its *pnChars characters of *pnNames names, is the
   caller's; 0 when there is none (the list must be walked).  The image
   goes either way. */
HGLOBAL List_Image_Take(UINT *pnNames, SIZE_T *pnChars)
{
    BYTE *pBits = Image_Holds_List() ? (BYTE *)GlobalLock(hImage) : NULL;
    if (!pBits) {
        List_Image_Forget();
        return 0;
    }
    Selection_Bits(pBits + nImageChars * sizeof(WCHAR), nImageNames);
    GlobalUnlock(hImage);
    const HGLOBAL hTaken = hImage;
    *pnNames = nImageNames;
    *pnChars = nImageChars;
    hImage = 0;
    bImageWhole = FALSE;
    return hTaken;
}

/* The list was just made from hPacked, packed as the image is: the block
   is the list's image from now on. */
void List_Image_Adopt(HGLOBAL hPacked, UINT nNames, SIZE_T nChars)
{
    List_Image_Forget();
    hImage = hPacked;
    nImageNames = nNames;
    nImageChars = nChars;
    hImageFirst = hFNameTopList;
    bImageWhole = TRUE;
}
