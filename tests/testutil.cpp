#include "testutil.h"

#include "GSTRLIST.H"
#include "seams.h"

std::string Sjis(const char *utf8)
{
    wchar_t wide[1024];
    char bytes[2048];
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 1024);
    n = WideCharToMultiByte(932, 0, wide, n, bytes, sizeof bytes, NULL, NULL);
    return n > 0 ? std::string(bytes) : std::string();
}

std::string Said(const std::string &ja, const std::string &en)
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? ja : en;
}

std::vector<std::string> LongNames(int n, int width)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; i++)
        names.push_back("C:\\dir\\" + std::string(width, 'a' + i % 26) + std::to_string(i));
    return names;
}

std::wstring Wide(const std::string &utf8)
{
    std::wstring w(utf8.size() + 1, L'\0');
    w.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], (int)w.size()) - 1);
    return w;
}

std::string Utf8(const wchar_t *wide, int n)
{
    std::string s(n * 3 + 1, '\0');
    s.resize(WideCharToMultiByte(CP_UTF8, 0, wide, n, &s[0], (int)s.size(), NULL, NULL));
    return s;
}

HGLOBAL MakeList(const std::vector<std::string> &names)
{
    HGLOBAL hHead = 0, hLast = 0;
    for (const std::string &name : names) {
        const std::wstring w = Wide(name);
        hLast = String_list_add(w.c_str(), (UINT)w.size() + 1, hLast);
        if (!hHead)
            hHead = hLast;
    }
    return hHead;
}

std::vector<std::string> ReadList(HGLOBAL hHead)
{
    std::vector<std::string> names;
    for (HGLOBAL h = hHead; h; h = String_List_Next(h)) {
        HGLOBAL hText;
        LPCWSTR p = String_List_Lock(h, &hText);
        if (!p)
            break;
        names.push_back(Utf8(p, lstrlenW(p)));
        GlobalUnlock(hText);
    }
    return names;
}

#include <set>

std::string ExeDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.rfind('\\') + 1);
}

std::string ShortDir()
{
    const std::string exe = ExeDir();
    const std::string program = exe.substr(exe.rfind('\\', exe.size() - 2) + 1);
    const std::string dir = std::string("C:\\t32-") + (sizeof(void *) == 8 ? "64-" : "32-") + program;
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

std::string ReadFileBytes(const std::string &path)
{
    HANDLE h = seam::RealCreateFileW(Wide(path).c_str(), GENERIC_READ, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return "";
    std::string bytes;
    char buff[4096];
    DWORD n;
    while (ReadFile(h, buff, sizeof buff, &n, NULL) && n)
        bytes.append(buff, n);
    CloseHandle(h);
    return bytes;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE h = seam::RealCreateFileW(Wide(path).c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &n, NULL);
    CloseHandle(h);
    return ok && n == bytes.size();
}

bool FileExists(const std::string &path)
{
    return seam::RealGetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Message boxes keep their text and icon in statics with these IDs.
#define MSGBOX_IDICON 0x0440
#define MSGBOX_IDTEXT 0xffff

static DialogAnswerer *current;
static HHOOK hook;
static std::set<HWND> handled;

static UINT IconOf(HWND hwnd)
{
    HICON hIcon = (HICON)SendDlgItemMessageA(hwnd, MSGBOX_IDICON, STM_GETICON, 0, 0);
    if (!hIcon)
        return 0;
    const struct { LPCSTR id; UINT mb; } icons[] = {
        {IDI_HAND, MB_ICONHAND}, {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONEXCLAMATION}, {IDI_ASTERISK, MB_ICONASTERISK},
    };
    for (const auto &i : icons)
        if (LoadIconA(NULL, i.id) == hIcon)
            return i.mb;
    return 0xFFFF;  // an icon, but none of the system's
}

// Reads the box once its dialog procedure has filled it in: activation can
// come before WM_INITDIALOG, so the hook only sets a timer on the box.
static void CALLBACK ReadAndAct(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hwnd, id);
    if (!current)
        return;
    char buff[4096];
    DialogSeen d;
    GetWindowTextA(hwnd, buff, sizeof buff);
    d.caption = buff;
    if (GetDlgItemTextA(hwnd, MSGBOX_IDTEXT, buff, sizeof buff))
        d.text = buff;
    WCHAR wide[1024];
    if (GetDlgItemTextW(hwnd, MSGBOX_IDTEXT, wide, 1024)) {
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, buff, sizeof buff, NULL, NULL);
        d.utf8 = buff;
    }
    d.owner = GetWindow(hwnd, GW_OWNER);
    d.icon = IconOf(hwnd);
    d.hasOk = GetDlgItem(hwnd, IDOK) != NULL;
    d.hasCancel = GetDlgItem(hwnd, IDCANCEL) != NULL;
    d.topmost = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    current->seen.push_back(d);
    if (current->act)
        current->act(hwnd);
}

static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && current) {
        HWND hwnd = (HWND)wParam;
        char cls[64];
        GetClassNameA(hwnd, cls, sizeof cls);
        if (!strcmp(cls, "#32770") && handled.insert(hwnd).second)
            SetTimer(hwnd, 0x7e57, 1, ReadAndAct);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

DialogAnswerer::DialogAnswerer(std::function<void(HWND)> a) : act(std::move(a))
{
    current = this;
    handled.clear();
    hook = SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId());
}

DialogAnswerer::~DialogAnswerer()
{
    UnhookWindowsHookEx(hook);
    current = nullptr;
}

std::function<void(HWND)> Press(int id)
{
    return [id](HWND hwnd) { PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
}

// Selects the list entry that reads `text` (or, with data, holds `data`)
// in one of the chooser's combo boxes and tells the chooser, as a click does.
static void Pick(HWND dlg, int id, const char *text, LRESULT data = 0)
{
    HWND combo = GetDlgItem(dlg, id);
    const int n = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        char item[LF_FACESIZE + 8] = "";
        if (text)
            SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)item);
        if (text ? strcmp(item, text) == 0 : SendMessageA(combo, CB_GETITEMDATA, i, 0) == data) {
            SendMessageA(combo, CB_SETCURSEL, i, 0);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
            return;
        }
    }
}

std::function<void(HWND)> PickFont(const char *face, int points, COLORREF colour)
{
    return [face, points, colour](HWND dlg) {
        const std::string size = std::to_string(points);
        Pick(dlg, 0x470 /* cmb1: faces */, face);
        Pick(dlg, 0x472 /* cmb3: sizes */, size.c_str());
        Pick(dlg, 0x473 /* cmb4: colours */, nullptr, (LRESULT)colour);
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    };
}

#include "TAMSEL.H"
#include <shlobj.h>

bool quitSeen;
WPARAM quitCode;

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quitSeen = true;
            quitCode = msg.wParam;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

static HDROP MakeDrop(const void *names, size_t bytes, BOOL wide)
{
    // The shell's block: past the seam, freed by DragFinish.
    HGLOBAL h = seam::RealGlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + bytes);
    DROPFILES *df = (DROPFILES *)GlobalLock(h);
    df->pFiles = sizeof(DROPFILES);
    df->fWide = wide;
    memcpy((char *)df + sizeof(DROPFILES), names, bytes);
    GlobalUnlock(h);
    return (HDROP)h;
}

HDROP MakeDropA(const std::vector<std::string> &names)
{
    std::string all;
    for (const std::string &n : names)
        all += n + '\0';
    all += '\0';
    return MakeDrop(all.data(), all.size(), FALSE);
}

HDROP MakeDropW(const std::vector<std::string> &utf8Names)
{
    std::wstring all;
    for (const std::string &n : utf8Names)
        all += Wide(n) + L'\0';
    all += L'\0';
    for (wchar_t &c : all)   // "\x01" stands for half a surrogate pair
        c = c == 1 ? 0xD800 : c;
    return MakeDrop(all.data(), all.size() * sizeof(wchar_t), TRUE);
}

void MainWindowTest::SetUp()
{
    seam::Reset();
    quitSeen = false;
    ini = ExeDir() + "Tamsel32.INI";
    DeleteFileA(ini.c_str());
    std::string profile = Profile();
    if (!profile.empty()) {
        ASSERT_TRUE(WriteFileBytes(ini, profile));
    }
    nSaveType = SAVE_TEXT;   // a start's Save As offers a text file first; the type chosen lasts a session
    BeforeWindow();
    HINSTANCE hInstance = GetModuleHandleA(NULL);
    static int atom = InitWindowclass(hInstance);
    ASSERT_NE(atom, 0);
    ASSERT_EQ(CreateMyWindow(hInstance, SW_SHOWNORMAL), 1);
    SetForegroundWindow(hWndMain);
    Pump();
}

void MainWindowTest::TearDown()
{
    if (IsWindow(hWndMain))
        SendMessageA(hWndMain, WM_CLOSE, 0, 0);
    Pump();
    DeleteFileA(ini.c_str());
    seam::Reset();
}

void MainWindowTest::Drop(const std::vector<std::string> &names)
{
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW(names), 0);
    Pump();
}

std::string MainWindowTest::Caption()
{
    char buff[256];
    GetWindowTextA(hWndMain, buff, sizeof buff);
    return buff;
}

bool MainWindowTest::Grayed(UINT id)
{
    return (GetMenuState(GetMenu(hWndMain), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

std::string MainWindowTest::MenuText(UINT id)
{
    SendMessageA(hWndMain, WM_INITMENU, (WPARAM)GetMenu(hWndMain), 0);
    wchar_t text[128] = L"";
    const int n = GetMenuStringW(GetMenu(hWndMain), id, text, 128, MF_BYCOMMAND);
    return Utf8(text, n);
}

// Opening can fail for a moment while another thread lets go of it.
static bool OpenClipboardSoon()
{
    for (int i = 0; i < 50; i++) {
        if (OpenClipboard(NULL))
            return true;
        Sleep(20);
    }
    return false;
}

std::string ClipboardText()
{
    if (!OpenClipboardSoon())
        return "<not opened>";
    std::string text = "<none>";
    HANDLE h = GetClipboardData(CF_TEXT);
    if (h) {
        const char *p = (const char *)GlobalLock(h);
        if (p)
            text = p;
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::string &text)
{
    if (!OpenClipboardSoon())
        return;
    EmptyClipboard();
    HGLOBAL h = seam::RealGlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

std::string ClipboardUnicode()
{
    if (!OpenClipboardSoon())
        return "<not opened>";
    std::string text = "<synthesized>";
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    if (EnumClipboardFormats(0) == CF_UNICODETEXT && h) {
        LPCWSTR p = (LPCWSTR)GlobalLock(h);
        text = Utf8(p, lstrlenW(p));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

std::vector<UINT> ClipboardFormats(LCID *locale)
{
    std::vector<UINT> formats;
    if (!OpenClipboardSoon())
        return formats;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        formats.push_back(f);
    HANDLE h = GetClipboardData(CF_LOCALE);
    *locale = h ? *(LCID *)GlobalLock(h) : 0;
    if (h)
        GlobalUnlock(h);
    CloseClipboard();
    return formats;
}

struct HolderArgs {
    HANDLE release, opened;
    bool *holding;
    DWORD ms;
};

static DWORD WINAPI HoldClipboard(void *p)
{
    HolderArgs *a = (HolderArgs *)p;
    *a->holding = OpenClipboardSoon();
    SetEvent(a->opened);
    WaitForSingleObject(a->release, a->ms);
    if (*a->holding)
        CloseClipboard();
    delete a;
    return 0;
}

ClipboardHolder::ClipboardHolder(DWORD ms)
{
    release = CreateEventA(NULL, TRUE, FALSE, NULL);
    opened = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread = CreateThread(NULL, 0, HoldClipboard, new HolderArgs{release, opened, &holding, ms}, 0, NULL);
    WaitForSingleObject(opened, 5000);
}

ClipboardHolder::~ClipboardHolder()
{
    SetEvent(release);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(release);
    CloseHandle(opened);
}
