/* Tamsel32: the names of a drop block, the shell's on a drop or the
   clipboard's on a paste.  The block is another program's: nothing is
   read outside it, and no terminator is trusted. */
#include <string.h>
#include <windows.h>
#include <shlobj.h>     /* DROPFILES: the layout of a drop block */

#include "TAMSEL.H"
#include "GSTRLIST.H"

/* The length of the NUL-terminated name at p, reading no further than
   pEnd; -1 when no terminator comes before it. */
static int Name_Length(const BYTE *p, const BYTE *pEnd, BOOL bWide)
{
    if (!bWide) {
        const BYTE *pNul = (const BYTE *)memchr(p, 0, (size_t)(pEnd - p));
        return pNul ? (int)(pNul - p) : -1;
    }
    const WCHAR *pw = (const WCHAR *)p;
    const size_t nMax = (size_t)(pEnd - p) / sizeof(WCHAR);
    for (size_t n = 0; n < nMax; n++)
        if (pw[n] == 0)
            return n <= 0x7FFFFFFF ? (int)n : -1;
    return -1;
}

/* Hands every name of the block to the intake, which the block leaves as
   it is: a wide block's names as they are, an ANSI one's (Windows 95 and
   98, or an old program's paste) from the ANSI code page.  Names are what
   the shell found: taken without a look at the disk. */
void Take_Drop_Block(HDROP hDrop, Name_Intake *pIntake)
{
    const SIZE_T nBlock = GlobalSize(hDrop);
    const DROPFILES *pDrop = (const DROPFILES *)GlobalLock(hDrop);
    if (!pDrop)
        return;
    const BYTE *pEnd = (const BYTE *)pDrop + nBlock;
    const BOOL bHeader = nBlock >= sizeof(DROPFILES) && pDrop->pFiles < nBlock;
    const BOOL bWide = bHeader && pDrop->fWide;
    const BYTE *pNames = bHeader ? (const BYTE *)pDrop + pDrop->pFiles : pEnd;
    const size_t nUnit = bWide ? sizeof(WCHAR) : 1;
    pIntake->nCharsLikely = (SIZE_T)(pEnd - pNames) / nUnit;

    int nLength;
    while ((nLength = Name_Length(pNames, pEnd, bWide)) > 0) {
        const BYTE *pName = pNames;
        pNames += ((size_t)nLength + 1) * nUnit;
        if (bWide) {
            if (!Intake_Name(pIntake, (LPCWSTR)pName, nLength, FALSE))
                break;
            continue;
        }
        LPWSTR szName = pIntake->szGiven;
        const int nName = MultiByteToWideChar(CP_ACP, 0, (LPCSTR)pName, nLength, szName, NAME_MAX_CHARS);
        szName[nName] = 0;
        if (nName == 0)   /* longer than any path Windows has */
            Note_Left_Out(NAME_NOT_A_NAME, NULL, 0);
        else if (!Intake_Name(pIntake, szName, nName, FALSE))
            break;
    }
    /* Bytes left with no end to them: an unterminated last name, or names
       said to lie outside the block. */
    if (nLength < 0 && !pIntake->bOutOfMemory && (!bHeader || pNames + nUnit <= pEnd))
        Note_Left_Out(NAME_NOT_A_NAME, NULL, 0);
    GlobalUnlock(hDrop);
}

/* Replaces the list with the names of the drop, or adds to it those it
   does not hold yet (the option; Shift held while dropping does the
   other, as in the shell), and finishes the drop.  Returns the names
   taken, 0 when the list could take none: the old list then stands. */
UINT Take_Dropped(HDROP hDrop, BOOL bShift)
{
    Name_Intake intake;

    Intake_Begin(&intake, (add_drops_on == 1) != bShift, IDS_CHANGE_DROP);
    Take_Drop_Block(hDrop, &intake);
    const UINT nTaken = Intake_End(&intake);
    DragFinish(hDrop);
    /* Only now, with the list, the count and the width in step and the drop
       released: the window stays usable while the box is up, and a drop
       or a clear made meanwhile must find a whole list. */
    if (intake.bOutOfMemory)
        Out_Of_Memory_Box();
    return nTaken;
}

UINT WMDropFiles(WPARAM WParam, HWND)
{
    return Take_Dropped((HDROP)WParam, GetKeyState(VK_SHIFT) < 0);
}

/* WM_DROPFILES; during a folder's walk the drop waits for its end. */
void Drop_Intake(HWND hWnd, WPARAM wParam)
{
    /* While a folder's walk makes the list, never two intakes at once. */
    if (Wait_Drop(hWnd, (HDROP)wParam))
        return;
    Show_Wait_Cursor();
    Show_Intake(hWnd, WMDropFiles(wParam, hWnd), 0, 0);
}
