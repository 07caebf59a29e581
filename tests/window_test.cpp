// The real main window: start-up, drop intake, caption, menu state, closing.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"
#include "seams.h"
#include "testutil.h"

#include <algorithm>

namespace {

class WindowTest : public MainWindowTest {};

TEST_F(WindowTest, StartsEmptyAtTheDefaultSizeWithMenuAndBothBars)
{
    RECT rc;
    GetWindowRect(hWndMain, &rc);
    EXPECT_EQ(rc.right - rc.left, 280);
    EXPECT_EQ(rc.bottom - rc.top, 200);
    EXPECT_EQ(Caption(), "Tamsel32");
    char cls[32];
    GetClassNameA(hWndMain, cls, sizeof cls);
    EXPECT_STREQ(cls, "Tamsel32");
    EXPECT_EQ(GetClassLongA(hWndMain, GCL_STYLE), (DWORD)(CS_HREDRAW | CS_VREDRAW));
    // Both bars exist but hide while their range is empty.
    EXPECT_EQ(GetWindowLongA(hWndMain, GWL_STYLE) & (WS_OVERLAPPEDWINDOW | WS_VSCROLL), WS_OVERLAPPEDWINDOW);
    First_Scroll_Initial(hWndMain, 500, 500);
    EXPECT_EQ(GetWindowLongA(hWndMain, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL | WS_HSCROLL);
    EXPECT_TRUE(GetWindowLongA(hWndMain, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_NE(GetMenu(hWndMain), nullptr);
    EXPECT_EQ(hFNameTopList, nullptr);
    EXPECT_STREQ(szToken, L"\n");
    EXPECT_STREQ(szFName, L"");
    EXPECT_EQ(hInst, GetModuleHandleA(NULL));
    EXPECT_TRUE(FileExists(ini));   // the first start writes the profile
}

TEST_F(WindowTest, NamesCommandsAreGrayUntilADrop)
{
    // The activation at start-up posted WM_INITMENU.
    for (UINT id : {IDM_NAMECOPY, IDM_SAVE, IDM_SAVEAS, IDM_TAMSELCLEAR})
        EXPECT_TRUE(Grayed(id)) << id;
    for (UINT id : {IDM_EXIT, IDM_CLIPCLEAR, IDM_COPYOPTION, IDM_FONT, IDM_SAVEOPTION, IDM_INDEX,
                    IDM_USINGHELP, IDM_ABOUT})
        EXPECT_FALSE(Grayed(id)) << id;

    direct_copy_on = 0;
    Drop({"C:\\a.txt"});
    for (UINT id : {IDM_NAMECOPY, IDM_SAVE, IDM_SAVEAS, IDM_TAMSELCLEAR})
        EXPECT_FALSE(Grayed(id)) << id;

    // A menu that is not the window's own (the system menu) changes nothing.
    TotalNumberOfFiles = 0;
    SendMessageA(hWndMain, WM_INITMENU, (WPARAM)GetSystemMenu(hWndMain, FALSE), 0);
    EXPECT_FALSE(Grayed(IDM_NAMECOPY));
    EXPECT_EQ(SendMessageA(hWndMain, WM_INITMENU, (WPARAM)GetMenu(hWndMain), 0), 1);
    EXPECT_TRUE(Grayed(IDM_NAMECOPY));
    TotalNumberOfFiles = 1;
}

TEST_F(WindowTest, DropListsFullPathsInShellOrder)
{
    direct_copy_on = 0;
    const std::vector<std::string> names = {"C:\\Data\\b.txt", "C:\\Data\\a folder", "D:\\x\\longest-name.doc"};
    Drop(names);
    EXPECT_EQ(Caption(), "Tamsel32 3-Files");
    EXPECT_EQ(TotalNumberOfFiles, 3u);
    EXPECT_EQ(ReadList(hFNameTopList), names);
    EXPECT_EQ(maxfile_name_length, 21);

    // A Japanese name, about twice as wide a character: its end can be
    // scrolled into view.
    std::string kanji = "E:\\";
    for (int i = 0; i < 40; i++)
        kanji += "報告書";
    Drop({"E:\\only.txt", kanji});
    EXPECT_EQ(Caption(), "Tamsel32 2-Files");
    HDC hdc = GetDC(hWndMain);
    HGDIOBJ old = SelectObject(hdc, hnewsfont);
    SIZE extent;
    GetTextExtentPoint32W(hdc, Wide(kanji).c_str(), (int)Wide(kanji).size(), &extent);
    SelectObject(hdc, old);
    ReleaseDC(hWndMain, hdc);
    EXPECT_GE((nHscrollMax + xClient / xChar) * xChar, extent.cx) << "columns " << maxfile_name_length;
    // The first list is set aside as one block, and its blocks hold the
    // new names, the one left over freed; the list shown has one more, its
    // image.
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"E:\\only.txt", kanji}));
    EXPECT_EQ(seam::LiveBlocks(), 4u + 1 + History_Steps(NULL));
    std::string hangul = "E:\\";
    while (hangul.size() < 3 + 40 * 3)
        hangul += "한";
    Drop({hangul});
    EXPECT_EQ(maxfile_name_length, 3 + 80);   // two columns each, as kanji
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{hangul});
    EXPECT_EQ(seam::LiveBlocks(), 2u + 1 + History_Steps(NULL));
}

TEST_F(WindowTest, AddingDropsSkipsTheNamesListedAndShiftDoesTheOther)
{
    // Windows paths ignore case, accented letters' too, and read "x." and
    // "x " as "x": such names are the duplicates they are.  A drop of only
    // names listed still copies the list.
    add_drops_on = 1;
    Drop({"C:\\A\\x.txt", "C:\\B\\y.doc", "C:\\é\\Ä.txt"});
    Drop({"c:\\a\\X.TXT", "C:\\C\\z.txt", "C:\\c\\Z.TXT", "C:\\É\\ä.TXT", "C:\\A\\x.txt.", "C:\\A\\x.txt ",
          "C:\\B\\..\\B\\y.doc"});
    const std::vector<std::string> all = {"C:\\A\\x.txt", "C:\\B\\y.doc", "C:\\é\\Ä.txt", "C:\\C\\z.txt"};
    EXPECT_EQ(ReadList(hFNameTopList), all);
    EXPECT_EQ(Caption(), "Tamsel32 4-Files");
    SetClipboardText("before");
    Drop({"C:\\B\\Y.DOC"});
    EXPECT_EQ(ClipboardUnicode(), "C:\\A\\x.txt\nC:\\B\\y.doc\nC:\\é\\Ä.txt\nC:\\C\\z.txt");
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;   // held while dropping: the other action
    SetKeyboardState(keys);
    Drop({"D:\\only.txt"});
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{"D:\\only.txt"});
}

TEST_F(WindowTest, NamesAreTakenAsADropGivesThem)
{
    // "\\?\" comes off only where the plain name is the same file; a
    // trailing backslash goes unless the name is a root; a name holding a
    // control character is no file name (it would split the copied text
    // into false lines): left out, and told of.
    direct_copy_on = 0;
    DialogAnswerer answer(Press(IDOK));
    Drop({"C:\\dir\\", "C:\\", "\\\\?\\C:\\long\\x.txt", "\\\\?\\UNC\\srv\\share\\y.txt", "\\\\srv\\share\\",
          "C:\\two\nlines.txt", "\\\\?\\C:\\dir\\x.", "\\\\?\\C:\\d\\..\\f", "\\\\?\\Volume{1}\\f.txt",
          "\\\\?\\GLOBALROOT\\Device\\x", "\\\\?\\UNC\\srv\\share \\y", "\\\\.\\C:\\windows\\..\\win.ini",
          "\\\\.\\pipe\\p", "\\\\?\\Volume{1}\\"});
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\dir", "C:\\", "C:\\long\\x.txt",
        "\\\\srv\\share\\y.txt", "\\\\srv\\share\\", "\\\\?\\C:\\dir\\x.", "\\\\?\\C:\\d\\..\\f",
        "\\\\?\\Volume{1}\\f.txt", "\\\\?\\GLOBALROOT\\Device\\x", "\\\\?\\UNC\\srv\\share \\y", "C:\\win.ini",
        "\\\\.\\pipe\\p", "\\\\?\\Volume{1}\\"}));
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_NE(answer.seen[0].utf8.find(Said("ファイル名にならない名前: 1 個", "Not a file name: 1") + "\n\nC:\\two\uFFFDlines.txt"),
              std::string::npos) << answer.seen[0].utf8;
    // Plain full paths are listed as Windows resolves them too: an old
    // device's name to the device, a forward slash to a backslash.
    std::vector<std::string> resolved;
    const std::vector<std::string> plain = {"C:\\d\\con.txt", "C:\\d\\LPT1.log", "C:\\d\\a/b.txt", "C:\\d\\com10.txt"};
    for (const std::string &name : plain) {
        wchar_t full[MAX_PATH];
        GetFullPathNameW(Wide(name).c_str(), MAX_PATH, full, NULL);
        resolved.push_back(Utf8(full, lstrlenW(full)));
    }
    Drop(plain);
    EXPECT_EQ(ReadList(hFNameTopList), resolved);
    EXPECT_EQ(resolved[0], "\\\\.\\con");   // as this Windows resolves it

    // A file whose name ends in a blank, which only "\\?\" reaches: a
    // drop, and a quoted paste, keep it apart from the file without.
    const std::string blank = ExeDir() + "t ", literal = "\\\\?\\" + blank;
    ASSERT_TRUE(WriteFileBytes(literal, ""));
    Drop({blank});
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{literal});
    SetClipboardText("\"" + blank + "\"");
    SendMessageA(hWndMain, WM_COMMAND, IDM_PASTE, 0);
    Pump();
    DeleteFileW(Wide(literal).c_str());
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{literal});
    EXPECT_EQ(answer.seen.size(), 1u);
}

TEST_F(WindowTest, SecondDropReplacesTheFirstAndShowsItsTop)
{
    direct_copy_on = 0;
    Drop(LongNames(40, 60));
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageA(hWndMain, WM_HSCROLL, SB_PAGERIGHT, 0);
    ASSERT_GT(nVscrollPos, 0);
    ASSERT_GT(nHscrollPos, 0);

    std::vector<std::string> five = {"C:\\1", "C:\\2", "C:\\3", "C:\\4", "C:\\5"};
    Drop(five);
    EXPECT_EQ(Caption(), "Tamsel32 5-Files");
    EXPECT_EQ(ReadList(hFNameTopList), five);
    EXPECT_EQ(nVscrollPos, 0);
    EXPECT_EQ(nHscrollPos, 0);
    EXPECT_EQ(numlines, 5);
    EXPECT_EQ(maxwidth, 4);
}

TEST_F(WindowTest, LeftOutReportIsInTheUsersLanguage)
{
    // Run under Japanese (code page 932) and under English (1252), where
    // the Japanese name is kept all the same.
    // A name past 100 characters is shown as its first ones and "…",
    // never with half of a surrogate pair at the cut.
    direct_copy_on = 0;
    const std::string kept = ShortDir() + "表 データ.txt", missing = ShortDir() + "no such file.txt";
    // Five are shown, the rest counted.
    const std::string longer = "C:\\" + std::string(96, 'x') + "😀" + std::string(50, 'y');
    const HANDLE h = CreateFileW(Wide(kept).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    DialogAnswerer answer(Press(IDOK));
    Take_Named_Files(hWndMain, Wide("Tamsel32.exe \"" + kept + "\" \"" + missing + "\" " + longer +
                                    " C:\\gone1 C:\\gone2 C:\\gone3 C:\\gone4").c_str(), FALSE);
    DeleteFileW(Wide(kept).c_str());
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{kept});
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].utf8, Said("6 個の名前はリストに入れられません。\n\n・見つからない名前: 6 個\n\n",
                                        "6 of the names cannot go into the list.\n\n- Not found: 6\n\n") + missing + "\n" +
                                   longer.substr(0, 99) + "…\nC:\\gone1\nC:\\gone2\nC:\\gone3" +
                                   Said("\nほか 1 個", "\nand 1 more"));
}

TEST_F(WindowTest, CommandLineNamesAreSplitAsFileNamesAre)
{
    // A quote only toggles and a backslash is itself: "X:\dir\" is the
    // folder.  Each name is listed as Windows resolves it, the file that
    // was found: a full path against the current folder, ".." and doubled
    // backslashes gone, a trailing dot dropped; an empty one passed over.
    direct_copy_on = 0;
    const std::string dir = ExeDir(), exe = dir + "test_window.exe", blanks = dir + "d d";
    const std::string dotted = dir + "..\\test_window\\test_window.exe";
    CreateDirectoryA(blanks.c_str(), NULL);
    auto Given = [&](const std::string &args) {
        Take_Named_Files(hWndMain, Wide("\"C:\\Program Files\\Tamsel32.exe\" " + args).c_str(), FALSE);
        return ReadList(hFNameTopList);
    };
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(Given("\"" + exe + "\""), std::vector<std::string>{exe});   // Send To with one file
    EXPECT_EQ(Given("\"" + dir + "\" " + exe), (std::vector<std::string>{dir.substr(0, dir.size() - 1), exe}));
    SetCurrentDirectoryA(dir.c_str());
    EXPECT_EQ(Given("test_window.exe \"\" " + dotted + " \"" + blanks + "\\\\\" " + exe + "."),
              (std::vector<std::string>{exe, exe, blanks, exe}));
    seam::win9x = true;   // the wide calls are stubs there: the ANSI ones serve
    EXPECT_EQ(Given(dotted + " test_window.exe"), (std::vector<std::string>{exe, exe}));
    EXPECT_EQ(answer.seen.size(), 0u);
    RemoveDirectoryA(blanks.c_str());
}

// A Unix symbolic link made from inside Wine, which starts Unix programs.
bool MakeLink(const std::string &target, const std::string &link)
{
    typedef char *(CDECL *UNIXNAME)(LPCWSTR);
    UNIXNAME unixName = (UNIXNAME)(void *)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!unixName)
        return false;
    std::wstring cmd = L"/bin/ln -s " + Wide(unixName(Wide(target).c_str())) + L" " + Wide(unixName(Wide(link).c_str()));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(L"Z:\\bin\\ln", &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    // A Unix program's handle may be signalled before it has done its work.
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    for (DWORD end = GetTickCount() + 5000; attributes == INVALID_FILE_ATTRIBUTES && GetTickCount() < end; Sleep(20))
        attributes = GetFileAttributesW(Wide(link).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST_F(WindowTest, FolderContentsAreListedDepthFirstWithoutHiddenItemsOrLinks)
{
    // Files before folders, each in the folder window's order; hidden and
    // system items left out; a link to a folder above listed, not
    // entered; a folder that cannot be read told of; with Folders Too,
    // each folder before its contents.
    direct_copy_on = 0;
    folder_contents_on = 1;
    const std::string root = ShortDir() + "tree";
    for (const char *d : {"", "\\sub1", "\\sub1\\deep", "\\sub2", "\\locked"})
        CreateDirectoryA((root + d).c_str(), NULL);
    for (const char *f : {"\\b.txt", "\\a.txt", "\\sub1\\file10.txt", "\\sub1\\file2.txt", "\\sub1\\deep\\z.txt",
                          "\\sub2\\x.txt", "\\.hidden", "\\sys.txt"})
        WriteFileBytes(root + f, "");
    SetFileAttributesA((root + "\\sys.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(FileExists(root + "\\sub1\\loop") || MakeLink(root, root + "\\sub1\\loop"));
    seam::unreadable = "locked";
    DialogAnswerer answer(Press(IDOK));
    Drop({root + "\\"});
    std::vector<std::string> names;
    for (const char *n : {"\\a.txt", "\\b.txt", "\\sub1\\file2.txt", "\\sub1\\file10.txt", "\\sub1\\deep\\z.txt",
                          "\\sub1\\loop", "\\sub2\\x.txt"})
        names.push_back(root + n);
    EXPECT_EQ(ReadList(hFNameTopList), names);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_NE(answer.seen[0].utf8.find(Said("読めないフォルダー: 1 個", "Folders that cannot be read: 1") + "\n\n" + root +
                                       "\\locked"), std::string::npos) << answer.seen[0].utf8;
    folders_too_on = 1;
    Drop({root});
    const std::vector<std::string> listed = ReadList(hFNameTopList);
    EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + 6),
              (std::vector<std::string>{root, names[0], names[1], root + "\\locked", root + "\\sub1", names[2]}));
    EXPECT_EQ(listed.size(), 12u);
    // Listed as its files, then added with Folders Too: each folder's row
    // comes where it stands, not at the end.
    folders_too_on = 0;
    Drop({root});
    add_drops_on = folders_too_on = 1;
    Drop({root});
    EXPECT_EQ(ReadList(hFNameTopList), listed);
    add_drops_on = folders_too_on = 0;
    Drop({root + "\\sub1\\loop"});   // a link to a folder, dropped: listed, not entered
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{root + "\\sub1\\loop"});

    // A long walk: Esc stops it and keeps what was found; a drop made
    // meanwhile waits for its end.
    const std::string many = ShortDir() + "many";
    CreateDirectoryA(many.c_str(), NULL);
    for (int i = 0; i < 200; i++)
        WriteFileBytes(many + "\\" + std::to_string(i), "");
    PostMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW({"C:\\later.txt"}), 0);
    PostMessageA(hWndMain, WM_KEYDOWN, VK_ESCAPE, 1);
    Drop({many});
    ASSERT_EQ(answer.seen.size(), 5u);
    EXPECT_NE(answer.seen[4].utf8.find(Said("Esc で", "stopped with Esc")), std::string::npos) << answer.seen[4].utf8;
    EXPECT_GT(TotalNumberOfFiles, 0u);
    for (DWORD end = GetTickCount() + 3000; TotalNumberOfFiles != 1 && GetTickCount() < end; Sleep(20))
        Pump();   // the drop waited for the walk, then for its box
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{"C:\\later.txt"});
    EXPECT_EQ(TotalNumberOfFiles, 1u);
    seam::unreadable = nullptr;
    folder_contents_on = 0;
}

// A window of another program under the program's class name: it answers
// as any window does, then hangs.
bool strangerGotThem;
LRESULT CALLBACK StrangerProc(HWND h, UINT m, WPARAM wp, LPARAM lp)
{
    strangerGotThem |= m == WM_COPYDATA;
    return DefWindowProcA(h, m, wp, lp);
}
DWORD WINAPI Stranger(void *ready)
{
    HWND w = CreateWindowExA(0, "Tamsel32", "Tamsel32", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    SetWindowLongPtrA(w, GWLP_WNDPROC, (LONG_PTR)StrangerProc);
    SetEvent(ready);
    MSG msg;
    for (DWORD end = GetTickCount() + 1500; GetTickCount() < end; Sleep(10))
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    Sleep(3500);   // hung, past the time a start waits for an answer
    DestroyWindow(w);
    return 0;
}

TEST_F(WindowTest, NamesOfAnotherStartGoToTheOpenWindowOnly)
{
    // The names, relative to the other start's folder, reach this window,
    // not a window of another program under the same class name, nor one
    // that does not answer; they wait while a box of this window is open.
    direct_copy_on = 0;
    const std::string dir = ExeDir();
    strangerGotThem = false;
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE stranger = CreateThread(NULL, 0, Stranger, ready, 0, NULL);
    WaitForSingleObject(ready, 5000);
    SetCurrentDirectoryA(dir.c_str());
    EXPECT_TRUE(Hand_Over_Names(L"Tamsel32.exe test_window.exe"));
    SetCurrentDirectoryA("C:\\");
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{dir + "test_window.exe"});
    Sleep(1600);
    const DWORD start = GetTickCount();
    std::vector<std::string> during;
    DialogAnswerer answer([&](HWND box) {
        // Hidden, as a modal box is until its loop first runs dry: open all the same.
        ShowWindow(box, SW_HIDE);
        Hand_Over_Names(Wide("Tamsel32.exe " + dir + "test_window.exe " + dir).c_str());
        for (int i = 0; i < 10; i++, Sleep(50))
            Pump();
        during = ReadList(hFNameTopList);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(hWndMain, WM_COMMAND, IDM_ABOUT, 0);
    EXPECT_LT(GetTickCount() - start, 5000u) << "the window that does not answer is passed over";
    EXPECT_EQ(during, std::vector<std::string>{dir + "test_window.exe"});
    for (DWORD end = GetTickCount() + 3000; TotalNumberOfFiles != 2 && GetTickCount() < end; Sleep(50))
        Pump();
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{dir + "test_window.exe", dir.substr(0, dir.size() - 1)}));
    EXPECT_FALSE(strangerGotThem);
    WaitForSingleObject(stranger, 10000);
    CloseHandle(stranger);
    CloseHandle(ready);
}

TEST_F(WindowTest, DropWithoutItemsKeepsTheList)
{
    SetClipboardText("before");
    Drop({"C:\\a", "C:\\b"});
    DialogAnswerer answer(Press(IDOK));
    Drop({});
    EXPECT_EQ(answer.seen.size(), 0u);
    EXPECT_EQ(Caption(), "Tamsel32 2-Files");
    SetClipboardText("after");
    Drop({"C:\\tab\there"});   // nothing the list can take, and it says so
    EXPECT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(Caption(), "Tamsel32 2-Files");
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(ClipboardText(), "after");
}

TEST_F(WindowTest, OutOfMemoryKeepsTheNamesStoredAndCountsThem)
{
    direct_copy_on = 0;
    DialogAnswerer answer(Press(IDOK));
    seam::allocsBeforeFailure = 6;   // the new list's image, two names, then a node but not its text
    Drop({"C:\\1", "C:\\2", "C:\\3", "C:\\4"});
    seam::allocsBeforeFailure = -1;

    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, Sjis("メモリが足りません"));
    EXPECT_EQ(answer.seen[0].icon, (UINT)MB_ICONHAND);
    EXPECT_TRUE(answer.seen[0].topmost);    // system-modal
    EXPECT_TRUE(answer.seen[0].hasOk);
    EXPECT_EQ(TotalNumberOfFiles, 2u);
    EXPECT_EQ(Caption(), "Tamsel32 2-Files");
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\1", "C:\\2"}));
    EXPECT_EQ(numlines, 2);

    // The first name already failing, in a block of the list it replaces,
    // leaves an empty list, and none of those blocks.
    seam::allocsBeforeFailure = seam::reallocsBeforeFailure = 0;
    Drop({"C:\\x"});
    seam::allocsBeforeFailure = seam::reallocsBeforeFailure = -1;
    EXPECT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(TotalNumberOfFiles, 0u);
    EXPECT_EQ(hFNameTopList, nullptr);
    EXPECT_EQ(seam::LiveBlocks(), 0u);
    EXPECT_EQ(Caption(), " Tamsel32 ");
    EXPECT_TRUE(Grayed(IDM_NAMECOPY));
}

TEST_F(WindowTest, WorkDoneWhileTheMemoryBoxIsUpFindsAWholeList)
{
    // The box is owned by whatever has the focus, possibly no window, so a
    // drop or a clear can come while it is up; afterwards the count, the
    // list and the caption agree, and each drop reports its own names.
    direct_copy_on = 0;
    const std::string over1 = "C:\\first\t1", over2 = "D:\\second\t2";   // no file names
    const std::vector<std::string> later = {"D:\\x", "D:\\y", "D:\\z"};
    for (UINT meanwhile : {(UINT)WM_DROPFILES, (UINT)IDM_TAMSELCLEAR}) {
        SCOPED_TRACE(meanwhile);
        DialogAnswerer answer([&](HWND box) {
            char caption[64];
            GetWindowTextA(box, caption, sizeof caption);
            if (strcmp(caption, "Tamsel Clear !!") != 0 && strcmp(caption, "Tamsel32") != 0) {   // memory
                seam::allocsBeforeFailure = -1;
                if (meanwhile == WM_DROPFILES)
                    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropA({"D:\\x", "D:\\y", over2, "D:\\z"}), 0);
                else
                    SendMessageA(hWndMain, WM_COMMAND, IDM_TAMSELCLEAR, 0);
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTALL, 0);   // no list's blocks to take the names
        SendMessageA(hWndMain, WM_COMMAND, IDM_REMOVE, 0);
        seam::allocsBeforeFailure = 6;   // the new list's image, two names, then a node but not its text
        Drop({over1, "C:\\1", "C:\\2", "C:\\3", "C:\\4"});
        seam::allocsBeforeFailure = -1;

        const std::vector<std::string> names = ReadList(hFNameTopList);
        EXPECT_EQ(names, meanwhile == WM_DROPFILES ? later : std::vector<std::string>());
        EXPECT_EQ(TotalNumberOfFiles, names.size());
        EXPECT_EQ(numlines, (int)names.size());
        EXPECT_EQ(Caption(), names.empty() ? " Tamsel32 " : "Tamsel32 3-Files");
        ASSERT_EQ(answer.seen.size(), 3u);
        EXPECT_NE(answer.seen[2].utf8.find("C:\\first"), std::string::npos) << answer.seen[2].utf8;
        EXPECT_EQ(answer.seen[2].utf8.find("D:\\second"), std::string::npos) << answer.seen[2].utf8;
    }
}

TEST_F(WindowTest, DropPastTheHandleLimitKeepsWorking)
{
    // Two movable handles a name and 65,536 a process: the list stops at
    // 32,000 names and leaves handles for the clipboard and the dialogs.
    std::vector<std::string> names;
    for (int i = 0; i < 40000; i++)
        names.push_back("C:\\d\\" + std::to_string(100000 + i));
    DialogAnswerer answer(Press(IDOK));
    Drop(names);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_NE(answer.seen[0].utf8.find(Said("リストの上限 (32,000 個) を超える名前: 8000 個", "Past the list's limit of 32,000: 8000")),
              std::string::npos) << answer.seen[0].utf8;
    EXPECT_EQ(TotalNumberOfFiles, 32000u);
    EXPECT_EQ(Caption(), "Tamsel32 32000-Files");
    EXPECT_EQ(ReadList(hFNameTopList).size(), 32000u);

    // The copy of what was stored still works (direct copy is on).
    std::string clip = ClipboardText();
    EXPECT_EQ(std::count(clip.begin(), clip.end(), '\n'), 31999);
    EXPECT_EQ(clip.substr(clip.size() - 12), "\nC:\\d\\131999");
    EXPECT_EQ(answer.seen.size(), 1u);

    // So do Tamsel Clear and a new drop.
    SendMessageA(hWndMain, WM_COMMAND, IDM_TAMSELCLEAR, 0);
    Pump();
    EXPECT_EQ(TotalNumberOfFiles, 0u);
    Drop({"C:\\a", "C:\\b", "C:\\c"});
    EXPECT_EQ(Caption(), "Tamsel32 3-Files");
    EXPECT_EQ(ClipboardText(), "C:\\a\nC:\\b\nC:\\c");
    EXPECT_EQ(answer.seen.size(), 2u);   // only the clear's question more
}

TEST_F(WindowTest, KeptInsideTheWorkAreaOfItsOwnMonitor)
{
    const RECT area = {0, 0, 900, 600}, second = {1280, 0, 2560, 1024};
    RECT rc;
    auto Placed = [&](const RECT *work, int x, int y, int cx, int cy) {
        seam::workArea = work;
        SetWindowPos(hWndMain, NULL, x, y, cx, cy, SWP_NOZORDER);
        Keep_In_Work_Area(hWndMain);
        GetWindowRect(hWndMain, &rc);
    };
    Placed(&area, 0, 0, 1000, 2000);   // cut each way to its own side of the area
    EXPECT_EQ(rc.right - rc.left, 900);
    EXPECT_EQ(rc.bottom - rc.top, 600);
    Placed(&area, 300, 450, 700, 300);   // over the right and bottom edges: moved back in by as much
    EXPECT_EQ(rc.left, 200);
    EXPECT_EQ(rc.top, 300);
    Placed(&second, 1500, 100, 400, 300);   // wholly on a second monitor: left there
    EXPECT_EQ(rc.left, 1500);
    seam::noMonitorApi = true;   // no monitor functions: the primary's work area
    Placed(&second, 1500, 100, 400, 300);
    RECT primary;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &primary, 0);
    EXPECT_EQ(rc.right, primary.right);
}

TEST_F(WindowTest, CloseFreesTheListAndEndsTheLoopWithZero)
{
    direct_copy_on = 0;
    Drop({"C:\\a", "C:\\b", "C:\\c"});
    ASSERT_EQ(seam::LiveBlocks(), 6u + 2);   // the empty list set aside for Undo, and the list's image
    DeleteFileA(ini.c_str());
    SendMessageA(hWndMain, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(hWndMain));
    EXPECT_EQ(seam::LiveBlocks(), 0u);
    EXPECT_EQ(hFNameTopList, nullptr);
    EXPECT_EQ(hnewsfont, nullptr);
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(quitCode, 0u);
    EXPECT_FALSE(FileExists(ini));   // closing never writes the profile
}

class StoredSizeTest : public MainWindowTest {
    std::string Profile() override
    {
        return "[WindowSize]\r\nX_Size=420\r\nY_Size=99999\r\n[Font]\r\nFontFace=DejaVu Sans\r\nSize_y=-2184\r\n";
    }
};

TEST_F(StoredSizeTest, OpensAtTheStoredSizeWithinTheScreenAndPaintsTheLargestFont)
{
    // A height past the work area's is cut to it; the largest font the
    // chooser sets is kept and paints (ctest's time-out bounds a hang).
    RECT rc, work;
    GetWindowRect(hWndMain, &rc);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(rc.right - rc.left, 420);
    EXPECT_TRUE(rc.left >= work.left && rc.top >= work.top && rc.right <= work.right && rc.bottom <= work.bottom);
    EXPECT_EQ(rc.bottom - rc.top, work.bottom - work.top);
    EXPECT_EQ(cursfont.lfHeight, -2184);   // 1,638 points at 96 dpi
    direct_copy_on = 0;
    Drop({"C:\\a.txt"});
    HDC hdc = GetDC(hWndMain);
    int ink = 0;
    for (int x = 0; x < 400; x += 10)   // across the C, two thirds down
        ink += GetPixel(hdc, x, 700) != RGB(255, 255, 255);
    ReleaseDC(hWndMain, hdc);
    EXPECT_GT(ink, 0);
    SendMessageA(hWndMain, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(quitCode, 0u);
}

}  // namespace
