// Test-only wrappers around the global-memory imports of the program's
// modules (linked with --wrap): they count live blocks and can make the
// next allocation fail, honestly, as when memory runs out.
#ifndef TESTS_SEAMS_H
#define TESTS_SEAMS_H

#include <windows.h>
#include <stddef.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace seam {

// GlobalAlloc / GlobalReAlloc calls that still succeed before every further
// one fails; -1 lets all of them through.
extern int allocsBeforeFailure;
extern int reallocsBeforeFailure;
// Non-zero: a movable block of this many bytes or more cannot be had
// (a name's blocks still can).
extern SIZE_T largeBlocksRefused;

// WriteFile calls that still succeed before every further one fails as on
// a full disk; -1 lets all through.  writes counts the calls.
extern int writesBeforeFailure;
extern int writes;
// The same for CreateFontIndirectA.
extern int fontsBeforeFailure;
// The same for WritePrivateProfileStringW.
extern int profileWritesBeforeFailure;
extern int profileWrites;
// Non-zero: the ANSI code page GetACP reports (Wine takes it from LANG).
extern UINT acp;
// True: LoadLibraryA finds no hhctrl.ocx, as on a Windows without HTML Help.
extern bool noHtmlHelp;
extern std::string libraryAsked;        // the last name LoadLibraryA was given
// True: HtmlHelpW only notes what it is asked for (in UTF-8), in htmlHelpAsked.
extern bool fakeHtmlHelp;
extern std::vector<std::pair<std::string, UINT>> htmlHelpAsked;
// Non-null: the monitor functions report one monitor with this work area;
// noMonitorApi: Windows has none (95, NT 4), nor GetDpiForWindow, nor the
// shell's ID list functions by name.
extern const RECT *workArea;
extern bool noMonitorApi;
// Non-zero: the system locale GetSystemDefaultLCID reports.
extern LCID systemLcid;
// True: WideCharToMultiByte refuses WC_NO_BEST_FIT_CHARS, as on NT 4.
extern bool noBestFitFlag;
// Non-zero: WideCharToMultiByte asked for the ANSI code page converts to this one.
extern UINT convertAcp;
// The HtmlHelpW command the fake answers with no window; (UINT)-1 for none.
extern UINT htmlHelpRefuses;
// True: the wide file, folder and profile calls are stubs, and the clipboard
// has no CF_UNICODETEXT, as on Windows 95 and 98.
extern bool win9x;
// Non-null: FindFirstFileW refuses a folder whose name holds it, as one
// without read access.
extern const char *unreadable;
// Non-empty: FindFirstFileW lists a tree made up under this folder (which
// must exist): a chain of fakeDepth folders "d", at its foot fakeFolders
// folders "s0", "s1", ... of fakeFiles files "f0", "f1", ... each (or,
// with no folders, the files at the foot itself).  onFind, where set, is
// told how many of its folders have been opened so far.
extern std::wstring fakeTree;
extern int fakeDepth, fakeFolders, fakeFiles;
extern std::function<void(int)> onFind;
// Non-zero: the block GetClipboardData gives for CF_UNICODETEXT.
extern HGLOBAL clipboardUnicode;
// True: ShellExecuteW only notes its file and parameters, in UTF-8;
// noLogicalCompare: Windows has no StrCmpLogicalW (before XP).
extern bool fakeShellExecute, noLogicalCompare;
extern std::string shellExecuted;
// Non-zero: the DPI GetDpiForWindow answers for any window (loaded at run time).
extern UINT windowDpi;
// True: each WriteFile writes half of what it is given and says so.
extern bool shortWrites;

// Non-zero: the file dialog fails at once with this extended error code
// (FNERR_BUFFERTOOSMALL writes the needed size into the name buffer first,
// as the real dialog does).
extern DWORD fileDialogError;
// When set, each file dialog's request and the name it starts from are
// copied here.
extern OPENFILENAMEW *fileDialogRequest;
extern std::string *fileDialogStart;
extern std::string fileDialogTitle;     // the last dialog's title, in UTF-8 (the request's points into the caller's stack)
extern std::string fileDialogFilter;    // the last dialog's filter pairs in UTF-8, each with its NUL

size_t LiveBlocks();        // blocks the modules allocated and have not freed
bool IsLive(HGLOBAL h);
void Reset();               // no failures, nothing counted

// Allocation and files for the tests' own use, past the seams (names in UTF-16).
HGLOBAL RealGlobalAlloc(UINT uFlags, SIZE_T dwBytes);
HANDLE RealCreateFileW(LPCWSTR name, DWORD access, DWORD creation);
DWORD RealGetFileAttributesW(LPCWSTR name);

}  // namespace seam

#endif
