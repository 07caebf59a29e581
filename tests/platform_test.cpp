// The program on the Windows people use today: the window at any display
// scale (sizes stored in 96-DPI units, drawn at the window's DPI, a move
// to a display of another scale), the manifest that makes Windows tell the
// program its DPI, and one window however often it is started.
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include "TAMSEL.H"
#include "seams.h"
#include "testutil.h"

namespace {

class DpiTest : public MainWindowTest, public ::testing::WithParamInterface<UINT> {
protected:
    std::string Profile() override
    {
        return "[WindowSize]\r\nX_Size=280\r\nY_Size=200\r\n[Font]\r\nFontFace=DejaVu Sans\r\nSize_y=-16\r\n";
    }
    void BeforeWindow() override
    {
        seam::windowDpi = GetParam();
        seam::noMonitorApi = GetParam() == 0;   // Windows 95, NT 4: the screen's DPI
    }

    // The row height the font of this height in pixels gives.
    static int Row(int height)
    {
        HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
        HDC hdc = GetDC(NULL);
        HGDIOBJ old = SelectObject(hdc, font);
        SIZE size;
        GetTextExtentPoint32A(hdc, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 26, &size);
        SelectObject(hdc, old);
        ReleaseDC(NULL, hdc);
        DeleteObject(font);
        return size.cy;
    }
};

TEST_P(DpiTest, StoredSizesAreDrawnAtTheWindowsDpiAndStoredBack)
{
    // At 144 and 192 DPI (1000, past any display, is taken as 96; without
    // GetDpiForWindow, the screen's 96): the outer size and the rows
    // follow; Save Option stores 96-DPI units.
    const UINT dpi = GetParam() > 960 || GetParam() == 0 ? 96 : GetParam();
    RECT rc;
    GetWindowRect(hWndMain, &rc);
    EXPECT_EQ(rc.right - rc.left, MulDiv(280, dpi, 96));
    EXPECT_EQ(rc.bottom - rc.top, MulDiv(200, dpi, 96));
    EXPECT_EQ(yChar, Row(MulDiv(-16, dpi, 96)));
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEOPTION, 0);
    const std::string ini96 = ReadFileBytes(ini);
    EXPECT_NE(ini96.find("X_Size=280\r\nY_Size=200\r\n"), std::string::npos) << ini96;
    EXPECT_NE(ini96.find("Size_y=-16\r\n"), std::string::npos);

    // Moved to a display of 96 DPI: the size suggested, the rows anew, the
    // top row kept.
    direct_copy_on = 0;
    Drop(LongNames(100));
    SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    ASSERT_EQ(nVscrollPos, 30);
    RECT suggested = {10, 20, 290, 420};
    SendMessageA(hWndMain, WM_DPICHANGED, MAKEWPARAM(96, 96), (LPARAM)&suggested);
    GetWindowRect(hWndMain, &rc);
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.bottom - rc.top, 400);
    EXPECT_EQ(yChar, Row(-16));
    EXPECT_EQ(nVscrollPos, 30);

    // No size stored (the mapper's default, the same pixels at every DPI):
    // scaled all the same.
    cursfont.lfHeight = 0;
    Font_Dpi_Changed(hWndMain, dpi);
    EXPECT_EQ(yChar, Row(MulDiv(Row(0), dpi, 96)));
    EXPECT_EQ(cursfont.lfHeight, 0);

    // A font that cannot be made for the new scale: the old one, its rows
    // and its scale stay.
    const int row = yChar;
    seam::fontsBeforeFailure = 0;
    Font_Dpi_Changed(hWndMain, 120);
    EXPECT_EQ(nDpi, (int)dpi);
    EXPECT_EQ(yChar, row);
}

INSTANTIATE_TEST_SUITE_P(Scales, DpiTest, ::testing::Values(0u, 144u, 192u, 1000u));

// The drag's data object: the files first, the effect it prefers, the
// shell's ID list of each file (none on Windows 95 and NT 4, which give
// no ID list functions by name), the names as the copy gives them.
TEST_F(MainWindowTest, DragDataOffersTheFilesTheirIdListsAndTheirNames)
{
    direct_copy_on = 0;
    const std::string dir = ShortDir();
    for (const char *name : {"a.txt", "報告書.txt"})
        WriteFileBytes(dir + name, "x");
    Drop({dir + "a.txt", dir + "報告書.txt", dir + "not dragged.txt"});
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, yChar + 1));
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    const CLIPFORMAT idList = (CLIPFORMAT)RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
    for (bool oldWindows : {false, true}) {
        SCOPED_TRACE(oldWindows ? "Windows 95" : "today's");
        seam::noMonitorApi = oldWindows;
        IDataObject *data = Make_Drag_Data();
        ASSERT_NE(data, nullptr);
        std::vector<CLIPFORMAT> offered;
        IEnumFORMATETC *formats = NULL;
        ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
        for (FORMATETC f; formats->Next(1, &f, NULL) == S_OK;)
            offered.push_back(f.cfFormat);
        formats->Release();
        const CLIPFORMAT effect = (CLIPFORMAT)RegisterClipboardFormatA(CFSTR_PREFERREDDROPEFFECT);
        std::vector<CLIPFORMAT> expected = {CF_HDROP, effect, idList, CF_UNICODETEXT};
        if (oldWindows)
            expected.erase(expected.begin() + 2);
        EXPECT_EQ(offered, expected);
        FORMATETC want = {idList, NULL, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        const HRESULT hr = data->GetData(&want, &medium);
        if (oldWindows) {
            EXPECT_EQ(hr, DV_E_FORMATETC);
            EXPECT_EQ(data->QueryGetData(&want), DV_E_FORMATETC);
        } else {
            ASSERT_EQ(hr, S_OK);
            const CIDA *cida = (const CIDA *)GlobalLock(medium.hGlobal);
            EXPECT_EQ(cida->cidl, 2u);
            WCHAR path[MAX_PATH];
            PIDLIST_ABSOLUTE full = ILCombine((PCIDLIST_ABSOLUTE)((const BYTE *)cida + cida->aoffset[0]),
                                              (PCUIDLIST_RELATIVE)((const BYTE *)cida + cida->aoffset[2]));
            EXPECT_TRUE(SHGetPathFromIDListW(full, path));
            EXPECT_EQ(Utf8(path, lstrlenW(path)), dir + "報告書.txt");
            ILFree(full);
            GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        want.cfFormat = CF_UNICODETEXT;
        ASSERT_EQ(data->GetData(&want, &medium), S_OK);
        const LPCWSTR text = (LPCWSTR)GlobalLock(medium.hGlobal);
        EXPECT_EQ(Utf8(text, lstrlenW(text)), dir + "a.txt\n" + dir + "報告書.txt");
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
        want.cfFormat = effect;
        ASSERT_EQ(data->GetData(&want, &medium), S_OK);
        EXPECT_EQ(*(const DWORD *)GlobalLock(medium.hGlobal), (DWORD)DROPEFFECT_COPY);
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
        EXPECT_EQ(data->Release(), 0u);
    }
    // Memory that runs out as the data is made: none, and nothing kept.
    const size_t blocks = seam::LiveBlocks();
    for (int allocs : {0, 1, 2, 3}) {
        seam::allocsBeforeFailure = allocs;
        EXPECT_EQ(Make_Drag_Data(), nullptr) << allocs;
        EXPECT_EQ(seam::LiveBlocks(), blocks) << allocs;
    }
}

TEST(Manifest, DeclaresDpiAwarenessThemedControlsLongPathsAndTheSystems)
{
    // Read back out of the shipped program: resource type 24, id 1.
    const std::string exe = ExeDir() + "..\\..\\Tamsel32.exe";
    HMODULE module = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << exe;
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(res, nullptr);
    const std::string xml((const char *)LockResource(LoadResource(module, res)), SizeofResource(module, res));
    FreeLibrary(module);
    for (const char *part : {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                             ">PerMonitorV2, PerMonitor</dpiAwareness>",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                             "<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true</longPathAware>",
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(xml.find(part), std::string::npos) << part;
    for (const char *absent : {"requestedExecutionLevel", "activeCodePage"})
        EXPECT_EQ(xml.find(absent), std::string::npos) << absent;
}

// The window of process pid whose class is the program's, waited for.
HWND WaitForWindow(DWORD pid)
{
    for (DWORD end = GetTickCount() + 20000; GetTickCount() < end; Sleep(50)) {
        for (HWND w = FindWindowExA(NULL, NULL, "Tamsel32", NULL); w; w = FindWindowExA(NULL, w, "Tamsel32", NULL)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w))
                return w;
        }
    }
    return NULL;
}

// The shipped program, copied to a folder of the tests' own with its profile.
std::string ProgramCopy(const std::string &profile)
{
    const std::string folder = ShortDir() + "program\\";
    CreateDirectoryA(folder.c_str(), NULL);
    CopyFileA((ExeDir() + "..\\..\\Tamsel32.exe").c_str(), (folder + "Tamsel32.exe").c_str(), FALSE);
    WriteFileBytes(folder + "Tamsel32.INI", profile);
    return folder;
}

PROCESS_INFORMATION Start(const std::string &folder, std::string names = "")
{
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = "Tamsel32.exe " + names;
    CreateProcessA((folder + "Tamsel32.exe").c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(), &si, &pi);
    return pi;
}

void End(PROCESS_INFORMATION &pi, HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST(OneWindow, ASecondPlainStartBringsTheOpenWindowToTheFront)
{
    const std::string folder = ProgramCopy("");
    PROCESS_INFORMATION first = Start(folder, "Tamsel32.INI");
    HWND window = WaitForWindow(first.dwProcessId);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    PROCESS_INFORMATION second = Start(folder);
    if (WaitForSingleObject(second.hProcess, 15000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the second start did not end";
        TerminateProcess(second.hProcess, 1);
    }
    CloseHandle(second.hProcess);
    CloseHandle(second.hThread);
    int windows = 0;
    for (HWND w = FindWindowExA(NULL, NULL, "Tamsel32", NULL); w; w = FindWindowExA(NULL, w, "Tamsel32", NULL))
        windows += IsWindowVisible(w) && w != hWndMain;
    EXPECT_EQ(windows, 1);
    for (DWORD end = GetTickCount() + 5000; IsIconic(window) && GetTickCount() < end; Sleep(50))
        ;
    EXPECT_FALSE(IsIconic(window));
    char caption[64] = "";
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Tamsel32 1-Files") << "the list is kept";

    // The start copied its name (direct copy is on): the code page's form is
    // made when this process asks, and made before the program is gone.
    const std::string listed = folder + "Tamsel32.INI";
    EXPECT_EQ(ClipboardText(), listed);
    SetClipboardText("another program's");
    PostMessageA(window, WM_COMMAND, IDM_NAMECOPY, 0);
    for (DWORD end = GetTickCount() + 5000; GetClipboardOwner() != window && GetTickCount() < end; Sleep(20))
        ;
    End(first, window);
    EXPECT_EQ(ClipboardText(), listed);
}

// The mouse as a user moves it, from another thread: pressed at a point,
// moved in steps to another, let go there.
struct Gesture {
    POINT from, to;
    bool cancel;        // Esc before letting go
};

void Mouse(DWORD flags, POINT pt)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = pt.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = pt.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
}

DWORD WINAPI Drag(void *p)
{
    const Gesture *g = (const Gesture *)p;
    Mouse(0, g->from);
    Sleep(200);
    Mouse(MOUSEEVENTF_LEFTDOWN, g->from);
    for (int i = 1; i <= 10; i++) {
        Sleep(60);
        Mouse(0, {g->from.x + (g->to.x - g->from.x) * i / 10, g->from.y + (g->to.y - g->from.y) * i / 10});
    }
    Sleep(300);
    if (g->cancel) {
        INPUT key[2] = {};
        key[0].type = key[1].type = INPUT_KEYBOARD;
        key[0].ki.wVk = key[1].ki.wVk = VK_ESCAPE;
        key[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, key, sizeof key[0]);
        Sleep(300);
    }
    Mouse(MOUSEEVENTF_LEFTUP, g->to);
    return 0;
}

class DragOutTest : public MainWindowTest {};

TEST_F(DragOutTest, NamesSelectedGoToADropTargetOfAnotherProcessExactly)
{
    // A press on a name selected and a move: a drag of the names selected
    // (copy and link offered, never move), received exactly by a target
    // in another process; Esc cancels one.  The list stays as it was.
    direct_copy_on = 0;
    const std::vector<std::string> names = {"C:\\dir\\報告書 ①.txt", "C:\\" + std::string(296, 'd') + ".txt", "D:\\x y.txt",
                                            "D:\\not dragged.txt"};
    Drop(names);
    SetWindowPos(hWndMain, HWND_TOP, 0, 0, 400, 300, SWP_SHOWWINDOW);
    SetForegroundWindow(hWndMain);
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, 2 * yChar + 1));
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    ASSERT_EQ(nSelectedRows, 3u);
    const std::string out = ShortDir() + "dropped.txt";
    // Esc, a target that crashes as the drag enters it, a drop.
    for (const char *how : {"cancel", "crash", "drop"}) {
        SCOPED_TRACE(how);
        const bool cancel = !strcmp(how, "cancel");
        DeleteFileA(out.c_str());
        std::string line = ExeDir() + "..\\droptarget\\droptarget.exe \"" + out + "\" 600 300 " + how;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        ASSERT_TRUE(CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
        for (DWORD end = GetTickCount() + 10000; !FindWindowA("DropTargetTest", NULL) && GetTickCount() < end; Sleep(50))
            ;
        POINT from = {20, yChar / 2};
        ClientToScreen(hWndMain, &from);
        Gesture gesture = {from, {700, 400}, cancel};
        HANDLE mouse = CreateThread(NULL, 0, Drag, &gesture, 0, NULL);
        for (DWORD end = GetTickCount() + 15000; WaitForSingleObject(mouse, 10) == WAIT_TIMEOUT && GetTickCount() < end; )
            Pump();
        Pump();
        CloseHandle(mouse);
        if (cancel || !strcmp(how, "crash")) {
            EXPECT_EQ(ReadFileBytes(out), "") << "nothing is dropped";
            TerminateProcess(pi.hProcess, 0);
            EXPECT_EQ(ReadList(hFNameTopList), names);
        }
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    EXPECT_EQ(ReadFileBytes(out), "effects " + std::to_string(DROPEFFECT_COPY | DROPEFFECT_LINK) + "\n" + names[0] + "\n" +
                                      names[1] + "\n" + names[2] + "\n");
    EXPECT_EQ(ReadList(hFNameTopList), names);
}

// About: its icons at the system's size where their boxes hold it, else
// at the boxes' size, and clear of the text below them.  WineDpi runs it
// again at 144 and 192 DPI, where the system's icons outgrow the boxes.
class AboutAtScale : public MainWindowTest {};

TEST_F(AboutAtScale, IconsFitTheirBoxesClearOfTheText)
{
    bool seen = false;
    DialogAnswerer answer([&](HWND about) {
        seen = true;
        RECT below = {};
        GetWindowRect(FindWindowExA(about, NULL, "Static", "Free to use and share; no warranty."), &below);
        for (int id : {IDC_ABOUT_ICON, IDC_ABOUT_MAKER}) {
            RECT icon, both, room;
            GetWindowRect(GetDlgItem(about, id), &icon);
            EXPECT_FALSE(IntersectRect(&both, &icon, &below)) << id << " covers the text: icon bottom " << icon.bottom
                                                               << ", text top " << below.top;
            GetClientRect(GetDlgItem(about, id), &room);
            ICONINFO info = {};
            BITMAP bm = {};
            if (!GetIconInfo((HICON)SendDlgItemMessageA(about, id, STM_GETICON, 0, 0), &info)) {
                ADD_FAILURE() << id << " shows no icon";
                continue;
            }
            GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
            EXPECT_EQ(bm.bmWidth, std::min({GetSystemMetrics(SM_CXICON), (int)room.right, (int)room.bottom}))
                << id << " in a box of " << room.right << " x " << room.bottom;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        PostMessageA(about, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(hWndMain, WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_TRUE(seen);
}

TEST(WineDpi, TheProgramOpensAtTheScaleTheSystemGivesAndStores96DpiUnits)
{
    // Wine's LogPixels sets the DPI of every program started after it:
    // the shipped program, started at 144 and 192.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    DWORD before = 0, size = sizeof before;
    const bool had = RegQueryValueExA(key, "LogPixels", NULL, NULL, (BYTE *)&before, &size) == ERROR_SUCCESS;
    for (DWORD dpi : {144u, 192u}) {
        SCOPED_TRACE(dpi);
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (const BYTE *)&dpi, sizeof dpi);
        const std::string folder = ProgramCopy("[WindowSize]\r\nX_Size=280\r\nY_Size=200\r\n[Font]\r\nSize_y=-16\r\n");
        const std::string profile = folder + "Tamsel32.INI";
        PROCESS_INFORMATION pi = Start(folder);
        HWND window = WaitForWindow(pi.dwProcessId);
        EXPECT_NE(window, nullptr);
        RECT rc = {};
        GetWindowRect(window, &rc);
        EXPECT_EQ(rc.right - rc.left, MulDiv(280, dpi, 96));
        EXPECT_EQ(rc.bottom - rc.top, MulDiv(200, dpi, 96));
        // About, in a test program started at this scale; its output to a
        // file of its own (its "PASSED" is not this test's).
        const std::string report = ShortDir() + "about at scale.txt";
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
        HANDLE out = CreateFileA(report.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, NULL);
        std::string line = ExeDir() + "test_window.exe --gtest_filter=AboutAtScale.*";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = out;
        PROCESS_INFORMATION about = {};
        DWORD code = 1;
        if (CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, ExeDir().c_str(), &si, &about)) {
            if (WaitForSingleObject(about.hProcess, 30000) != WAIT_OBJECT_0)
                TerminateProcess(about.hProcess, 1);
            GetExitCodeProcess(about.hProcess, &code);
            CloseHandle(about.hProcess);
            CloseHandle(about.hThread);
        }
        CloseHandle(out);
        EXPECT_EQ(code, 0u) << "About at this scale:\n" << ReadFileBytes(report);
        PostMessageA(window, WM_COMMAND, IDM_SAVEOPTION, 0);
        std::string saved;
        for (DWORD end = GetTickCount() + 10000; saved.find("Weight=") == std::string::npos && GetTickCount() < end; Sleep(50))
            saved = ReadFileBytes(profile);
        EXPECT_NE(saved.find("X_Size=280\r\nY_Size=200\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Size_y=-16\r\n"), std::string::npos) << saved;
        End(pi, window);
    }
    if (had)
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (const BYTE *)&before, sizeof before);
    else
        RegDeleteValueA(key, "LogPixels");
    RegCloseKey(key);
}

}  // namespace
