/* Text accumulator: one movable block, always exactly the size of its text
   and terminator, grown piece by piece. */
#include "GLOBTEXT.H"

HGLOBAL Global_text_add(HGLOBAL hGlText, LPCSTR lpszLoText)
{
    if (!hGlText) {
        HGLOBAL hNew = GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)lstrlenA(lpszLoText) + 1);
        if (!hNew)
            return 0;
        LPSTR lpszText = (LPSTR)GlobalLock(hNew);
        if (!lpszText) {
            GlobalFree(hNew);
            return 0;
        }
        lstrcpyA(lpszText, lpszLoText);
        GlobalUnlock(hNew);
        return hNew;
    }

    LPSTR lpszText = (LPSTR)GlobalLock(hGlText);
    if (!lpszText)
        return 0;
    SIZE_T nOldLength = (SIZE_T)lstrlenA(lpszText);
    GlobalUnlock(hGlText);

    /* A movable block keeps its handle when it grows; the result only tells
       success from failure.  On failure the old block is left as it was. */
    if (!GlobalReAlloc(hGlText, nOldLength + (SIZE_T)lstrlenA(lpszLoText) + 1, 0))
        return 0;

    lpszText = (LPSTR)GlobalLock(hGlText);
    if (!lpszText)
        return 0;
    lstrcpyA(lpszText + nOldLength, lpszLoText);
    GlobalUnlock(hGlText);
    return hGlText;
}
