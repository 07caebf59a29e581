#include "seams.h"
#include "testutil.h"

#include <commdlg.h>
#include <cderr.h>

#include <set>
#include <string.h>

namespace seam {

int allocsBeforeFailure = -1;
int fontsBeforeFailure = -1;
int reallocsBeforeFailure = -1;
SIZE_T largeBlocksRefused = 0;
int writesBeforeFailure = -1;
int writes = 0;
bool shortWrites = false;
int profileWritesBeforeFailure = -1;
int profileWrites = 0;
UINT acp = 0;
bool noHtmlHelp = false;
std::string libraryAsked;
bool fakeHtmlHelp = false;
std::vector<std::pair<std::string, UINT>> htmlHelpAsked;
const RECT *workArea = nullptr;
bool noMonitorApi = false;
bool noBestFitFlag = false;
UINT convertAcp = 0;
UINT htmlHelpRefuses = (UINT)-1;
bool win9x = false;
bool fakeShellExecute = false, noLogicalCompare = false;
UINT windowDpi = 0;
std::string shellExecuted;
HGLOBAL clipboardUnicode = 0;
const char *unreadable = nullptr;
std::wstring fakeTree;
int fakeDepth = 0, fakeFolders = 0, fakeFiles = 0;
std::function<void(int)> onFind;
static int fakeOpened;      // folders of the made-up tree opened so far
LCID systemLcid = 0;
DWORD fileDialogError = 0;
OPENFILENAMEW *fileDialogRequest = nullptr;
std::string *fileDialogStart = nullptr;
std::string fileDialogTitle;
std::string fileDialogFilter;
static std::set<HGLOBAL> live;

size_t LiveBlocks() { return live.size(); }
bool IsLive(HGLOBAL h) { return live.count(h) != 0; }
void Reset()
{
    allocsBeforeFailure = -1;
    fontsBeforeFailure = -1;
    reallocsBeforeFailure = -1;
    largeBlocksRefused = 0;
    writesBeforeFailure = -1;
    writes = 0;
    shortWrites = false;
    profileWritesBeforeFailure = -1;
    profileWrites = 0;
    acp = 0;
    noHtmlHelp = false;
    fakeHtmlHelp = false;
    htmlHelpAsked.clear();
    workArea = nullptr;
    noMonitorApi = false;
    noBestFitFlag = false;
    convertAcp = 0;
    htmlHelpRefuses = (UINT)-1;
    win9x = false;
    fakeShellExecute = noLogicalCompare = false;
    windowDpi = 0;
    clipboardUnicode = 0;
    unreadable = nullptr;
    fakeTree.clear();
    fakeDepth = fakeFolders = fakeFiles = 0;
    onFind = nullptr;
    fakeOpened = 0;
    systemLcid = 0;
    fileDialogError = 0;
    fileDialogRequest = nullptr;
    fileDialogStart = nullptr;
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

// The import each module call goes through, by its linker name: on i686
// C names take a leading underscore and stdcall ones the bytes of their
// arguments too.  The asm labels name the linker's symbols exactly.
#ifdef _WIN64
#define PREFIX ""
#define IMPORT(fn, bytes) "__imp_" #fn
#else
#define PREFIX "_"
#define IMPORT(fn, bytes) "_imp__" #fn "@" #bytes
#endif
#define SEAM(fn, bytes, wrapper)                                                  \
    extern decltype(&fn) real_##fn asm(PREFIX "__real_" IMPORT(fn, bytes));       \
    decltype(&fn) wrap_##fn asm(PREFIX "__wrap_" IMPORT(fn, bytes)) = wrapper

static HGLOBAL WINAPI SeamGlobalAlloc(UINT uFlags, SIZE_T dwBytes);
static HGLOBAL WINAPI SeamGlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
static HGLOBAL WINAPI SeamGlobalFree(HGLOBAL hMem);
static BOOL WINAPI SeamWriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nBytes, LPDWORD lpnWritten,
                                 LPOVERLAPPED lpOverlapped);
static BOOL WINAPI SeamGetOpenFileNameW(LPOPENFILENAMEW ofn);
static BOOL WINAPI SeamGetSaveFileNameW(LPOPENFILENAMEW ofn);
static UINT WINAPI SeamGetACP(void);
static HMODULE WINAPI SeamLoadLibraryA(LPCSTR name);
static BOOL WINAPI SeamWritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file);
static HANDLE WINAPI SeamGetClipboardData(UINT format);
static DWORD WINAPI SeamCommDlgExtendedError(void);
static FARPROC WINAPI SeamGetProcAddress(HMODULE module, LPCSTR name);
static LCID WINAPI SeamGetSystemDefaultLCID(void);
static int WINAPI SeamWideCharToMultiByte(UINT cp, DWORD flags, LPCWSTR wide, int nWide, LPSTR out, int nOut,
                                          LPCSTR defaultChar, LPBOOL usedDefault);

static HFONT WINAPI SeamCreateFontIndirectA(const LOGFONTA *lf);
SEAM(CreateFontIndirectA, 4, SeamCreateFontIndirectA);
SEAM(GlobalAlloc, 8, SeamGlobalAlloc);
SEAM(GlobalReAlloc, 12, SeamGlobalReAlloc);
SEAM(GlobalFree, 4, SeamGlobalFree);
SEAM(WriteFile, 20, SeamWriteFile);
SEAM(GetOpenFileNameW, 4, SeamGetOpenFileNameW);
SEAM(GetSaveFileNameW, 4, SeamGetSaveFileNameW);
SEAM(GetACP, 0, SeamGetACP);
SEAM(LoadLibraryA, 4, SeamLoadLibraryA);
SEAM(WritePrivateProfileStringW, 16, SeamWritePrivateProfileStringW);
SEAM(GetClipboardData, 4, SeamGetClipboardData);
SEAM(CommDlgExtendedError, 0, SeamCommDlgExtendedError);
SEAM(GetProcAddress, 8, SeamGetProcAddress);
SEAM(GetSystemDefaultLCID, 0, SeamGetSystemDefaultLCID);
SEAM(WideCharToMultiByte, 32, SeamWideCharToMultiByte);

static HFONT WINAPI SeamCreateFontIndirectA(const LOGFONTA *lf)
{
    return seam::Spend(seam::fontsBeforeFailure) ? real_CreateFontIndirectA(lf) : NULL;
}

// Windows 95 and 98: these wide calls are stubs there.
#define WIN9X_STUB(type, fn, bytes, failure, params, args)                        \
    extern decltype(&fn) real_##fn asm(PREFIX "__real_" IMPORT(fn, bytes));       \
    static type WINAPI Seam##fn params                                            \
    {                                                                             \
        if (!seam::win9x)                                                         \
            return real_##fn args;                                                \
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);                                 \
        return failure;                                                           \
    }                                                                             \
    decltype(&fn) wrap_##fn asm(PREFIX "__wrap_" IMPORT(fn, bytes)) = Seam##fn
WIN9X_STUB(DWORD, GetFileAttributesW, 4, INVALID_FILE_ATTRIBUTES, (LPCWSTR name), (name));
WIN9X_STUB(DWORD, GetFullPathNameW, 16, 0, (LPCWSTR name, DWORD size, LPWSTR full, LPWSTR *part),
           (name, size, full, part));
WIN9X_STUB(HANDLE, CreateFileW, 28, INVALID_HANDLE_VALUE,
           (LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD creation, DWORD flags, HANDLE tmpl),
           (name, access, share, sa, creation, flags, tmpl));
WIN9X_STUB(DWORD, GetPrivateProfileStringW, 24, 0,
           (LPCWSTR section, LPCWSTR key, LPCWSTR def, LPWSTR out, DWORD n, LPCWSTR file),
           (section, key, def, out, n, file));
WIN9X_STUB(UINT, GetPrivateProfileIntW, 16, 0, (LPCWSTR section, LPCWSTR key, INT def, LPCWSTR file),
           (section, key, def, file));
WIN9X_STUB(DWORD, GetCurrentDirectoryW, 8, 0, (DWORD n, LPWSTR out), (n, out));
// A search in the made-up tree: which folder, and the next entry.
struct FakeFind {
    bool chain;             // a folder of the chain: its one entry is "d"
    bool folders;           // the chain's foot, with folders "s<i>"
    int next, count;
};
static std::set<FakeFind *> fakeFinds;

static bool FakeEntry(FakeFind *f, LPWIN32_FIND_DATAW data)
{
    if (f->next == f->count) {
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    ZeroMemory(data, sizeof *data);
    const std::wstring name = f->chain ? L"d" : (f->folders ? L"s" : L"f") + std::to_wstring(f->next);
    data->dwFileAttributes = f->chain || f->folders ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    lstrcpyW(data->cFileName, name.c_str());
    f->next++;
    return true;
}

// The made-up tree's folder that a pattern "<folder>\*" searches, or NULL
// for a pattern outside it.
static FakeFind *FakeFolder(LPCWSTR pattern)
{
    LPCWSTR p = seam::fakeTree.empty() ? NULL : wcsstr(pattern, seam::fakeTree.c_str());
    if (!p)
        return NULL;
    p += seam::fakeTree.size();
    int depth = 0;
    while (p[0] == '\\' && p[1] == 'd' && p[2] == '\\') {
        depth++;
        p += 2;
    }
    const bool inFolder = p[0] == '\\' && p[1] == 's';
    if (inFolder)
        p = wcschr(p + 1, '\\');
    if (!p || lstrcmpW(p, L"\\*") != 0 || depth > seam::fakeDepth || (inFolder && depth != seam::fakeDepth))
        return NULL;
    FakeFind *f = new FakeFind{depth < seam::fakeDepth, !inFolder && depth == seam::fakeDepth && seam::fakeFolders > 0, 0, 0};
    f->count = f->chain ? 1 : f->folders ? seam::fakeFolders : seam::fakeFiles;
    return f;
}

extern decltype(&FindFirstFileW) real_FindFirstFileW asm(PREFIX "__real_" IMPORT(FindFirstFileW, 8));
static HANDLE WINAPI SeamFindFirstFileW(LPCWSTR name, LPWIN32_FIND_DATAW data)
{
    if (seam::unreadable && Utf8(name, lstrlenW(name)).find(seam::unreadable) != std::string::npos) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    FakeFind *f = FakeFolder(name);
    if (!f)
        return real_FindFirstFileW(name, data);
    if (seam::onFind)
        seam::onFind(++seam::fakeOpened);
    if (!FakeEntry(f, data)) {
        delete f;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    fakeFinds.insert(f);
    return (HANDLE)f;
}
SEAM(FindFirstFileW, 8, SeamFindFirstFileW);

extern decltype(&FindNextFileW) real_FindNextFileW asm(PREFIX "__real_" IMPORT(FindNextFileW, 8));
static BOOL WINAPI SeamFindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data)
{
    FakeFind *f = (FakeFind *)find;
    return fakeFinds.count(f) ? FakeEntry(f, data) : real_FindNextFileW(find, data);
}
SEAM(FindNextFileW, 8, SeamFindNextFileW);

extern decltype(&FindClose) real_FindClose asm(PREFIX "__real_" IMPORT(FindClose, 4));
static BOOL WINAPI SeamFindClose(HANDLE find)
{
    FakeFind *f = (FakeFind *)find;
    if (!fakeFinds.erase(f))
        return real_FindClose(find);
    delete f;
    return TRUE;
}
SEAM(FindClose, 4, SeamFindClose);
WIN9X_STUB(BOOL, SetCurrentDirectoryW, 4, FALSE, (LPCWSTR dir), (dir));

static HGLOBAL WINAPI SeamGlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    if (!seam::Spend(seam::allocsBeforeFailure) ||
        (seam::largeBlocksRefused && (uFlags & GMEM_MOVEABLE) && dwBytes >= seam::largeBlocksRefused)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return NULL;
    }
    HGLOBAL h = real_GlobalAlloc(uFlags, dwBytes);
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
    HGLOBAL h = real_GlobalReAlloc(hMem, dwBytes, uFlags);
    if (h && h != hMem && seam::live.erase(hMem))
        seam::live.insert(h);
    return h;
}

static HGLOBAL WINAPI SeamGlobalFree(HGLOBAL hMem)
{
    HGLOBAL h = real_GlobalFree(hMem);
    if (!h)
        seam::live.erase(hMem);
    return h;
}

// A disk that fills up part of the way through a file.
static BOOL WINAPI SeamWriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nBytes, LPDWORD lpnWritten,
                                 LPOVERLAPPED lpOverlapped)
{
    seam::writes++;
    if (!seam::Spend(seam::writesBeforeFailure)) {
        if (lpnWritten)
            *lpnWritten = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    if (seam::shortWrites)
        nBytes /= 2;
    return real_WriteFile(hFile, lpBuffer, nBytes, lpnWritten, lpOverlapped);
}

static LCID WINAPI SeamGetSystemDefaultLCID(void)
{
    return seam::systemLcid ? seam::systemLcid : real_GetSystemDefaultLCID();
}

static UINT WINAPI SeamGetACP(void)
{
    return seam::acp ? seam::acp : real_GetACP();
}

static HMODULE WINAPI SeamLoadLibraryA(LPCSTR name)
{
    seam::libraryAsked = name;
    const char *base = strrchr(name, '\\');
    if (seam::noHtmlHelp && !lstrcmpiA(base ? base + 1 : name, "hhctrl.ocx")) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    return real_LoadLibraryA(name);
}

static HWND WINAPI FakeHtmlHelpW(HWND, LPCWSTR file, UINT command, DWORD_PTR)
{
    seam::htmlHelpAsked.emplace_back(file ? Utf8(file, lstrlenW(file)) : "", command);
    return command == seam::htmlHelpRefuses ? NULL : GetDesktopWindow();
}

static HMONITOR WINAPI FakeMonitorFromWindow(HWND, DWORD)
{
    return (HMONITOR)1;
}

static BOOL WINAPI FakeGetMonitorInfoA(HMONITOR, LPMONITORINFO mi)
{
    mi->rcWork = mi->rcMonitor = *seam::workArea;
    mi->rcMonitor.bottom += 40;   // the task bar lies below the work area
    mi->dwFlags = 0;
    return TRUE;
}

static HINSTANCE WINAPI FakeShellExecuteW(HWND, LPCWSTR, LPCWSTR file, LPCWSTR params, LPCWSTR, INT)
{
    seam::shellExecuted = Utf8(file, lstrlenW(file)) + " " + Utf8(params, lstrlenW(params));
    return (HINSTANCE)33;
}

// Functions the modules load at run time: staged where a test asks.
static UINT WINAPI FakeGetDpiForWindow(HWND)
{
    return seam::windowDpi;
}

static FARPROC WINAPI SeamGetProcAddress(HMODULE module, LPCSTR name)
{
    if (HIWORD((ULONG_PTR)name)) {
        const bool monitor = !strcmp(name, "MonitorFromWindow") || !strcmp(name, "GetMonitorInfoA");
        // Windows 95 and NT 4 have neither, nor the DPI of a window, nor
        // the shell's ID list functions by name.
        const bool newer = !strcmp(name, "GetDpiForWindow") || !strcmp(name, "ILCreateFromPathW") ||
                           !strcmp(name, "ILFree") || !strcmp(name, "ILGetSize");
        if ((monitor || newer) && seam::noMonitorApi)
            return NULL;
        if (monitor && seam::workArea)
            return name[0] == 'M' ? (FARPROC)(void *)FakeMonitorFromWindow : (FARPROC)(void *)FakeGetMonitorInfoA;
        if (!strcmp(name, "HtmlHelpW") && seam::fakeHtmlHelp)
            return (FARPROC)(void *)FakeHtmlHelpW;
        if (!strcmp(name, "ShellExecuteW") && seam::fakeShellExecute)
            return (FARPROC)(void *)FakeShellExecuteW;
        if (!strcmp(name, "StrCmpLogicalW") && seam::noLogicalCompare)
            return NULL;
        if (!strcmp(name, "GetDpiForWindow") && seam::windowDpi)
            return (FARPROC)(void *)FakeGetDpiForWindow;
    }
    return real_GetProcAddress(module, name);
}

static int WINAPI SeamWideCharToMultiByte(UINT cp, DWORD flags, LPCWSTR wide, int nWide, LPSTR out, int nOut,
                                          LPCSTR defaultChar, LPBOOL usedDefault)
{
    if (seam::noBestFitFlag && (flags & WC_NO_BEST_FIT_CHARS)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (cp == CP_ACP && seam::convertAcp)
        cp = seam::convertAcp;
    return real_WideCharToMultiByte(cp, flags, wide, nWide, out, nOut, defaultChar, usedDefault);
}

// A profile that stops taking writes part of the way through; on Windows
// 95 and 98 only the ANSI twins work (their writes go uncounted).
static BOOL WINAPI SeamWritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file)
{
    if (seam::win9x)
        return SetLastError(ERROR_CALL_NOT_IMPLEMENTED), FALSE;
    seam::profileWrites++;
    if (!seam::Spend(seam::profileWritesBeforeFailure)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return real_WritePrivateProfileStringW(section, key, value, file);
}

// The dialog's own failures cannot be had from outside it here (Wine's
// dialog crashes on a name longer than its buffer), so they are staged:
// the dialog fails as Windows' does, after writing what it writes into
// the caller's buffer.
static BOOL FakeFileDialog(LPOPENFILENAMEW ofn, BOOL (WINAPI *real)(LPOPENFILENAMEW))
{
    if (seam::win9x) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    if (seam::fileDialogRequest)
        *seam::fileDialogRequest = *ofn;
    if (seam::fileDialogStart)
        *seam::fileDialogStart = Utf8(ofn->lpstrFile, lstrlenW(ofn->lpstrFile));
    seam::fileDialogTitle = ofn->lpstrTitle ? Utf8(ofn->lpstrTitle, lstrlenW(ofn->lpstrTitle)) : "";
    seam::fileDialogFilter.clear();   // its pairs, up to the closing empty string
    for (const wchar_t *p = ofn->lpstrFilter; p && *p; p += lstrlenW(p) + 1)
        seam::fileDialogFilter += Utf8(p, lstrlenW(p)) + '\0';
    if (!seam::fileDialogError)
        return real(ofn);
    if (seam::fileDialogError == FNERR_BUFFERTOOSMALL && ofn->nMaxFile >= 1)
        ofn->lpstrFile[0] = 0x12C;   // the size the name would need, in its first character
    return FALSE;
}

static BOOL WINAPI SeamGetOpenFileNameW(LPOPENFILENAMEW ofn)
{
    return FakeFileDialog(ofn, real_GetOpenFileNameW);
}

static BOOL WINAPI SeamGetSaveFileNameW(LPOPENFILENAMEW ofn)
{
    return FakeFileDialog(ofn, real_GetSaveFileNameW);
}

// Windows 95 and 98 put no Unicode text beside CF_TEXT; another program's
// block reaches the program as it was placed (Wine would end a copy with a
// NUL).
static HANDLE WINAPI SeamGetClipboardData(UINT format)
{
    if (format == CF_UNICODETEXT && (seam::clipboardUnicode || seam::win9x))
        return seam::clipboardUnicode;
    return real_GetClipboardData(format);
}

static DWORD WINAPI SeamCommDlgExtendedError(void)
{
    return seam::fileDialogError ? seam::fileDialogError : real_CommDlgExtendedError();
}

HGLOBAL seam::RealGlobalAlloc(UINT uFlags, SIZE_T dwBytes)
{
    return real_GlobalAlloc(uFlags, dwBytes);
}

HANDLE seam::RealCreateFileW(LPCWSTR name, DWORD access, DWORD creation)
{
    return real_CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, creation, 0, NULL);
}

DWORD seam::RealGetFileAttributesW(LPCWSTR name)
{
    return real_GetFileAttributesW(name);
}
