/* Text accumulator: one movable block of UTF-16 text, always exactly the
   size of its text and terminator, grown piece by piece. */
#include <string.h>

#include "GLOBTEXT.H"

HGLOBAL Global_text_add(HGLOBAL hGlText, LPCWSTR lpszLoText)
{
    if (!hGlText) {
        HGLOBAL hNew = GlobalAlloc(GMEM_MOVEABLE, ((SIZE_T)lstrlenW(lpszLoText) + 1) * sizeof(WCHAR));
        if (!hNew)
            return 0;
        LPWSTR lpszText = (LPWSTR)GlobalLock(hNew);
        if (!lpszText) {
            GlobalFree(hNew);
            return 0;
        }
        memcpy(lpszText, lpszLoText, ((SIZE_T)lstrlenW(lpszLoText) + 1) * sizeof(WCHAR));
        GlobalUnlock(hNew);
        return hNew;
    }

    LPWSTR lpszText = (LPWSTR)GlobalLock(hGlText);
    if (!lpszText)
        return 0;
    SIZE_T nOldLength = (SIZE_T)lstrlenW(lpszText);
    GlobalUnlock(hGlText);

    /* A movable block keeps its handle when it grows; the result only tells
       success from failure.  On failure the old block is left as it was. */
    if (!GlobalReAlloc(hGlText, (nOldLength + (SIZE_T)lstrlenW(lpszLoText) + 1) * sizeof(WCHAR), 0))
        return 0;

    lpszText = (LPWSTR)GlobalLock(hGlText);
    if (!lpszText)
        return 0;
    memcpy(lpszText + nOldLength, lpszLoText, ((SIZE_T)lstrlenW(lpszLoText) + 1) * sizeof(WCHAR));
    GlobalUnlock(hGlText);
    return hGlText;
}
