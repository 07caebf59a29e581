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
    EXPECT_STREQ(szToken, "\n");
    EXPECT_STREQ(szFName, "");
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

    Drop({"E:\\only.txt"});
    EXPECT_EQ(Caption(), "Tamsel32 1-Files");
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{"E:\\only.txt"});
    EXPECT_EQ(maxfile_name_length, 11);
    EXPECT_EQ(seam::LiveBlocks(), 2u);   // the first list is freed
}

TEST_F(WindowTest, WideDropKeepsOnlyNamesCodePage932HoldsExactlyAndSaysSo)
{
    // Names the code page lacks a character of would become other names
    // (a best fit turns the yen sign into a backslash, é into e; the
    // default character '?' is a wildcard), and names over 255 bytes fit
    // no reader's buffer: all are left out, their neighbours kept, and one
    // box over the new list tells of them.
    SetClipboardText("before");
    std::string kanji126 = "C:\\";   // 255 bytes in code page 932
    for (int i = 0; i < 126; i++)
        kanji126 += "表";
    const std::string kanji130 = kanji126 + "表表表表";
    HDROP hDrop = MakeDropW({"C:\\uni\\report¥draft.txt", "C:\\データ\\表.txt", "C:\\uni\\café.txt", kanji130,
                             "C:\\My Files\\read me.txt", "C:\\uni\\😀smile.txt", kanji126, kanji126 + "x"});
    std::string clipUnderBox, captionUnderBox;
    DialogAnswerer answer([&](HWND box) {
        clipUnderBox = ClipboardText();
        captionUnderBox = Caption();
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)hDrop, 0);
    Pump();
    const std::vector<std::string> kept = {Sjis("C:\\データ\\表.txt"), "C:\\My Files\\read me.txt", Sjis(kanji126.c_str())};
    EXPECT_EQ(ReadList(hFNameTopList), kept);
    EXPECT_EQ(TotalNumberOfFiles, 3u);
    EXPECT_EQ(maxfile_name_length, 255);
    EXPECT_EQ(captionUnderBox, "Tamsel32 3-Files");
    EXPECT_EQ(clipUnderBox, kept[0] + "\n" + kept[1] + "\n" + kept[2]);

    ASSERT_EQ(answer.seen.size(), 1u);
    const DialogSeen &box = answer.seen[0];
    EXPECT_EQ(box.owner, hWndMain);
    EXPECT_EQ(box.icon, (UINT)MB_ICONEXCLAMATION);
    for (const char *part : {" 5 個", "を超える名前: 2 個", "にない文字を含む名前: 3 個", "\nC:\\uni\\report¥draft.txt\n",
                             "\nC:\\uni\\café.txt\n", "\nC:\\uni\\😀smile.txt\n", "\nC:\\表表"})
        EXPECT_NE(box.utf8.find(part), std::string::npos) << part << " in\n" << box.utf8;
    EXPECT_EQ(box.utf8.find("ほか"), std::string::npos) << "all five are shown";
}

TEST_F(WindowTest, OtherConversionsStillKeepOnlyExactNames)
{
    // Where Windows uses UTF-8 as its ANSI code page, the names are UTF-8
    // bytes: every character fits, and only broken UTF-16 is left out.
    direct_copy_on = 0;
    seam::acp = CP_UTF8;
    DialogAnswerer answer(Press(IDOK));
    const std::vector<std::string> whole = {"C:\\uni\\café.txt", "C:\\uni\\report¥draft.txt", "C:\\😀\\表.txt"};
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW({whole[0], "C:\\bad\\\x01.txt", whole[1], whole[2]}), 0);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), whole);
    // NT 4 refuses the no-best-fit flag: look-alikes are still told apart.
    seam::acp = 0;
    seam::noBestFitFlag = true;
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW({whole[0], "C:\\データ\\表.txt", whole[1]}), 0);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{Sjis("C:\\データ\\表.txt")});
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_NE(answer.seen[0].utf8.find("にない文字を含む名前: 1 個"), std::string::npos) << answer.seen[0].utf8;
    EXPECT_NE(answer.seen[1].utf8.find("にない文字を含む名前: 2 個"), std::string::npos) << answer.seen[1].utf8;
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

TEST_F(WindowTest, LeftOutReportIsInTheUsersLanguageAndNamesTheCodePage)
{
    // Run under Japanese (code page 932) and under English (1252), where
    // the kanji name is left out as well.
    direct_copy_on = 0;
    DialogAnswerer answer(Press(IDOK));
    const std::string over = "C:\\" + std::string(253, 'o');
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW({"C:\\データ\\表.txt", "C:\\😀.txt", over, "C:\\a"}), 0);
    Pump();
    ASSERT_EQ(answer.seen.size(), 1u);
    const std::string shown = "C:\\😀.txt\n" + over.substr(0, 100) + "…";
    EXPECT_EQ(answer.seen[0].utf8,
              Said("ドロップされた名前のうち 2 個はリストに入れられません。\n\n"
                   "・255 バイト (コードページ 932) を超える名前: 1 個\n"
                   "・コードページ 932 にない文字を含む名前: 1 個\n\n" + shown,
                   "3 of the dropped names cannot go into the list.\n\n"
                   "- Longer than 255 bytes (code page 1252): 1\n"
                   "- With a character code page 1252 lacks: 2\n\nC:\\データ\\表.txt\n" + shown));
}

TEST_F(WindowTest, NameTooLongForTheBuffersIsLeftOutAndToldOf)
{
    direct_copy_on = 0;
    const std::string fits = "C:\\" + std::string(252, 'f');    // 255 bytes
    const std::string over = "C:\\" + std::string(253, 'o');    // 256 bytes
    DialogAnswerer answer(Press(IDOK));
    Drop({over, fits, "C:\\short.txt", over, over, over, over, over});
    EXPECT_EQ(TotalNumberOfFiles, 2u);
    EXPECT_EQ(Caption(), "Tamsel32 2-Files");
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{fits, "C:\\short.txt"}));
    EXPECT_EQ(maxfile_name_length, 255);
    ASSERT_EQ(answer.seen.size(), 1u);   // one box for the six
    const std::string shown = "\n" + over.substr(0, 100) + "…\n";
    EXPECT_NE(answer.seen[0].utf8.find(" 6 個"), std::string::npos) << answer.seen[0].utf8;
    EXPECT_NE(answer.seen[0].utf8.find(shown), std::string::npos) << answer.seen[0].utf8;
    EXPECT_NE(answer.seen[0].utf8.find("\nほか 1 個"), std::string::npos) << answer.seen[0].utf8;
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
    Drop({"C:\\" + std::string(300, 'x')});   // nothing the list can take, and it says so
    EXPECT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(Caption(), "Tamsel32 2-Files");
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(ClipboardText(), "after");
}

TEST_F(WindowTest, OutOfMemoryKeepsTheNamesStoredAndCountsThem)
{
    direct_copy_on = 0;
    DialogAnswerer answer(Press(IDOK));
    seam::allocsBeforeFailure = 5;   // two names, then a node but not its text
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

    // The first name already failing leaves an empty list.
    seam::allocsBeforeFailure = 0;
    Drop({"C:\\x"});
    seam::allocsBeforeFailure = -1;
    EXPECT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(TotalNumberOfFiles, 0u);
    EXPECT_EQ(hFNameTopList, nullptr);
    EXPECT_EQ(Caption(), " Tamsel32 ");
    EXPECT_TRUE(Grayed(IDM_NAMECOPY));
}

TEST_F(WindowTest, WorkDoneWhileTheMemoryBoxIsUpFindsAWholeList)
{
    // The box is owned by whatever has the focus, possibly no window, so a
    // drop or a clear can come while it is up; afterwards the count, the
    // list and the caption agree, and each drop reports its own names.
    direct_copy_on = 0;
    const std::string over1 = "C:\\" + std::string(260, '1'), over2 = "D:\\" + std::string(260, '2');
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
        seam::allocsBeforeFailure = 5;   // two names, then a node but not its text
        Drop({over1, "C:\\1", "C:\\2", "C:\\3", "C:\\4"});
        seam::allocsBeforeFailure = -1;

        const std::vector<std::string> names = ReadList(hFNameTopList);
        EXPECT_EQ(names, meanwhile == WM_DROPFILES ? later : std::vector<std::string>());
        EXPECT_EQ(TotalNumberOfFiles, names.size());
        EXPECT_EQ(numlines, (int)names.size());
        EXPECT_EQ(Caption(), names.empty() ? " Tamsel32 " : "Tamsel32 3-Files");
        ASSERT_EQ(answer.seen.size(), 3u);
        EXPECT_NE(answer.seen[2].utf8.find(over1.substr(0, 100)), std::string::npos) << answer.seen[2].utf8;
        EXPECT_EQ(answer.seen[2].utf8.find(over2.substr(0, 100)), std::string::npos) << answer.seen[2].utf8;
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
    EXPECT_EQ(answer.seen[0].text, Sjis("メモリが足りません"));
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
    ASSERT_EQ(seam::LiveBlocks(), 6u);
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
