// Test-only wrappers around the global-memory imports of the program's
// modules (linked with --wrap): they count live blocks and can make the
// next allocation fail, honestly, as when memory runs out.
#ifndef TESTS_SEAMS_H
#define TESTS_SEAMS_H

#include <windows.h>
#include <stddef.h>

namespace seam {

// GlobalAlloc / GlobalReAlloc calls that still succeed before every further
// one fails; -1 lets all of them through.
extern int allocsBeforeFailure;
extern int reallocsBeforeFailure;

// Non-zero: the file dialog fails at once with this extended error code.
extern DWORD fileDialogError;

size_t LiveBlocks();        // blocks the modules allocated and have not freed
bool IsLive(HGLOBAL h);
void Reset();               // no failures, nothing counted

// Allocation for the tests' own blocks, past the seam.
HGLOBAL RealGlobalAlloc(UINT uFlags, SIZE_T dwBytes);

}  // namespace seam

#endif
