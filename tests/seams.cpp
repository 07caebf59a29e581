#include "seams.h"

#include <commdlg.h>

#include <set>

namespace seam {

int allocsBeforeFailure = -1;
int reallocsBeforeFailure = -1;
DWORD fileDialogError = 0;
static std::set<HGLOBAL> live;

size_t LiveBlocks() { return live.size(); }
bool IsLive(HGLOBAL h) { return live.count(h) != 0; }
void Reset()
{
    allocsBeforeFailure = -1;
    reallocsBeforeFailure = -1;
    fileDialogError = 0;
    live.clear();
}

// Takes one call from a budget; false when this call is to fail.
static bool Spend(int &budget)
{
    if (budget < 0)
        return true;
    if (budget == 0)
        return false;
    --budget;
    return true;
}

}  // namespace seam

extern "C" {

extern decltype(&GlobalAlloc) __real___imp_GlobalAlloc;
extern decltype(&GlobalReAlloc) __real___imp_GlobalReAlloc;
extern decltype(&GlobalFree) __real___imp_GlobalFree;

static HGLOBAL WINAPI SeamGlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    if (!seam::Spend(seam::allocsBeforeFailure)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HGLOBAL h = __real___imp_GlobalAlloc(uFlags, dwBytes);
    if (h)
        seam::live.insert(h);
    return h;
}

static HGLOBAL WINAPI SeamGlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags)
{
    if (!seam::Spend(seam::reallocsBeforeFailure)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HGLOBAL h = __real___imp_GlobalReAlloc(hMem, dwBytes, uFlags);
    if (h && h != hMem && seam::live.erase(hMem))
        seam::live.insert(h);
    return h;
}

static HGLOBAL WINAPI SeamGlobalFree(HGLOBAL hMem)
{
    HGLOBAL h = __real___imp_GlobalFree(hMem);
    if (!h)
        seam::live.erase(hMem);
    return h;
}

extern decltype(&GetOpenFileNameA) __real___imp_GetOpenFileNameA;
extern decltype(&CommDlgExtendedError) __real___imp_CommDlgExtendedError;

// The dialog's own failures cannot be had from outside it here (Wine's
// dialog crashes on a name longer than its buffer), so they are staged.
static BOOL WINAPI SeamGetOpenFileNameA(LPOPENFILENAMEA ofn)
{
    return seam::fileDialogError ? FALSE : __real___imp_GetOpenFileNameA(ofn);
}

static DWORD WINAPI SeamCommDlgExtendedError(void)
{
    return seam::fileDialogError ? seam::fileDialogError : __real___imp_CommDlgExtendedError();
}

decltype(&GetOpenFileNameA) __wrap___imp_GetOpenFileNameA = SeamGetOpenFileNameA;
decltype(&CommDlgExtendedError) __wrap___imp_CommDlgExtendedError = SeamCommDlgExtendedError;
decltype(&GlobalAlloc) __wrap___imp_GlobalAlloc = SeamGlobalAlloc;
decltype(&GlobalReAlloc) __wrap___imp_GlobalReAlloc = SeamGlobalReAlloc;
decltype(&GlobalFree) __wrap___imp_GlobalFree = SeamGlobalFree;

}

HGLOBAL seam::RealGlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    return __real___imp_GlobalAlloc(uFlags, dwBytes);
}
