// Undo and Redo of every change of the list, and the status bar that says
// what the list holds.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "TAMSEL.H"
#include "seams.h"
#include "testutil.h"

namespace {

class HistoryTest : public TreeTest {
protected:
    std::vector<std::string> base;   // in no order, so that Sort changes it

    void SetUp() override
    {
        TreeTest::SetUp();
        for (int i = 0; i < 40; i++)
            base.push_back("C:\\h\\" + std::to_string((i * 17) % 40 + 100) + ".txt");
    }
    // The base list, rows 3 and 5 selected, the view four rows down.
    void Base()
    {
        Drop(base);
        Begin_Row_Change();
        Select_Row(3, TRUE);
        Select_Row(5, TRUE);
        End_Row_Change(hWndMain);
        for (int i = 0; i < 4; i++)
            SendMessageA(hWndMain, WM_VSCROLL, SB_LINEDOWN, 0);
    }
    // What the user sees of the list: names in order, the rows selected,
    // the top row, the caption; and what a copy of it puts on the clipboard.
    std::string Shown()
    {
        SIZE_T n = 0;
        const HGLOBAL hText = Copy_Text_Block(nSelectedRows > 0, &n);   // the rows selected, or all
        std::string s = "copied: " + Utf8((const wchar_t *)GlobalLock(hText), (int)n) + "\n";
        GlobalUnlock(hText);
        GlobalFree(hText);
        for (const std::string &name : ReadList(hFNameTopList))
            s += name + "\n";
        s += "selected:";
        for (int i = 0; i < (int)TotalNumberOfFiles; i++)
            if (Row_Selected(i))
                s += " " + std::to_string(i);
        return s + "\ntop " + std::to_string(nVscrollPos) + ", " + Caption();
    }
    std::string StatusText()
    {
        wchar_t text[256] = L"";
        SendMessageW(FindWindowExA(hWndMain, NULL, STATUSCLASSNAMEA, NULL), SB_GETTEXTW, 0, (LPARAM)text);
        return Utf8(text, lstrlenW(text));
    }
    void Command(UINT id)
    {
        SendMessageA(hWndMain, WM_COMMAND, id, 0);
        Pump();
    }
};

TEST_F(HistoryTest, EveryChangeIsUndoneAndRedoneWithItsOrderSelectionAndTopRow)
{
    const std::string handed = ShortDir() + "handed.txt";
    ASSERT_TRUE(WriteFileBytes(handed, ""));
    DialogAnswerer answer([](HWND box) {
        if (GetDlgItem(box, IDC_MATCH_PATTERN)) {   // Select Matching: names with a 5 go
            SetDlgItemTextA(box, IDC_MATCH_PATTERN, "*5*");
            PostMessageA(box, WM_COMMAND, IDC_MATCH_REMOVE, 0);
        } else {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });
    const struct { const char *change; std::function<void()> make; } changes[] = {
        {"ドロップ", [&] { Drop({"C:\\o\\1.txt", "C:\\o\\2.txt"}); }},
        {"ドロップ", [&] { add_drops_on = 1; Drop({"C:\\o\\1.txt", base[7]}); add_drops_on = 0; }},
        {"貼り付け", [&] {
             ASSERT_TRUE(OpenClipboard(NULL));
             EmptyClipboard();
             SetClipboardData(CF_HDROP, MakeDropW({"C:\\o\\pasted.txt"}));
             CloseClipboard();
             Command(IDM_PASTE);
         }},
        {"送る", [&] { EXPECT_TRUE(Hand_Over_Names(Wide("Tamsel32.exe \"" + handed + "\"").c_str())); Pump(); }},
        {"フォルダーの一覧", [&] { Tree(0, 2, 3); Drop({root}); }},
        {"フォルダーの一覧", [&] {   // stopped with Esc: what was found stays, as one step
             Tree(0, 3, 100);
             seam::onFind = [](int opened) {
                 if (opened == 2)
                     PostMessageA(hWndMain, WM_KEYDOWN, VK_ESCAPE, 1);
             };
             Drop({root});
             seam::onFind = nullptr;
             EXPECT_GT(TotalNumberOfFiles, 0u);
             EXPECT_LT(TotalNumberOfFiles, 300u);
         }},
        {"削除", [&] { Command(IDM_REMOVE); }},
        {"並べ替え", [&] { Command(IDM_SORT); }},
        {"クリアー", [&] { Command(IDM_TAMSELCLEAR); }},
        {"一致した名前の削除", [&] { Command(IDM_SELECTMATCHING); }},
    };
    for (const auto &c : changes) {
        SCOPED_TRACE(c.change);
        Base();
        const std::string before = Shown();
        ASSERT_EQ(nVscrollPos, 4);
        c.make();
        const std::string after = Shown();
        ASSERT_NE(after, before);
        EXPECT_EQ(MenuText(IDM_UNDO), "元に戻す: " + std::string(c.change) + "(&U)\tCtrl+Z");
        EXPECT_EQ(MenuText(IDM_REDO), "やり直し(&E)\tCtrl+Y");
        EXPECT_TRUE(Grayed(IDM_REDO));
        Command(IDM_UNDO);
        EXPECT_EQ(Shown(), before);
        EXPECT_EQ(MenuText(IDM_REDO), "やり直し: " + std::string(c.change) + "(&E)\tCtrl+Y");
        Command(IDM_REDO);
        EXPECT_EQ(Shown(), after);
        Command(IDM_UNDO);
        EXPECT_EQ(Shown(), before);
    }
    DeleteFileA(handed.c_str());

    // Steps back as far as the list went, and a change after an undo drops
    // what could be redone.  The history holds one block a step, however
    // many names: no handle a name.
    const size_t blocks = seam::LiveBlocks();
    SIZE_T bytes;
    const UINT steps = History_Steps(&bytes);
    for (int i = 0; i < 30; i++)
        Drop({"C:\\n\\" + std::to_string(i)});
    EXPECT_EQ(History_Steps(NULL), steps + 30 - 1);   // the redo step went with the first
    EXPECT_EQ(seam::LiveBlocks(), blocks - 80 + 2 + 30 - 1);
    for (int i = 0; i < 25; i++)
        Command(IDM_UNDO);
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{"C:\\n\\4"});
    Drop({"C:\\n\\new"});
    EXPECT_TRUE(Grayed(IDM_REDO));
    EXPECT_EQ(History_Steps(NULL), steps - 1 + 5 + 1);
}

TEST_F(HistoryTest, MemoryRunningOutLosesTheUndoNeverTheList)
{
    // The list cannot be set aside: the change happens, nothing before it
    // can be undone, and the menu says so.  (Refused from the start: the
    // list's image is set aside with no block to have.)
    seam::largeBlocksRefused = 200;
    Base();
    add_drops_on = 1;
    Drop({"C:\\o\\2.txt"});
    add_drops_on = 0;
    seam::largeBlocksRefused = 0;
    std::vector<std::string> both = base;
    both.push_back("C:\\o\\2.txt");
    EXPECT_EQ(ReadList(hFNameTopList), both);
    EXPECT_TRUE(Grayed(IDM_UNDO));
    EXPECT_EQ(MenuText(IDM_UNDO), Said("元に戻す(&U)\tCtrl+Z", "&Undo\tCtrl+Z"));

    // Memory that runs out during an undo changes nothing but says so.
    Command(IDM_REMOVE);   // nothing selected: no step
    Begin_Row_Change();
    Select_Row(0, TRUE);
    End_Row_Change(hWndMain);
    Command(IDM_REMOVE);
    const std::string removed = Shown();
    DialogAnswerer answer(Press(IDOK));
    for (int allowed : {0, 1}) {   // the list set aside for Redo; the list put back
        seam::allocsBeforeFailure = allowed;
        Command(IDM_UNDO);
        seam::allocsBeforeFailure = -1;
        EXPECT_EQ(Shown(), removed);
        EXPECT_FALSE(Grayed(IDM_UNDO));
    }
    EXPECT_EQ(answer.seen.size(), 2u);
    Command(IDM_UNDO);
    EXPECT_EQ(ReadList(hFNameTopList), both);
    // The list Undo put back is its own image: set aside with no memory to be had.
    Begin_Row_Change();
    Select_Row(0, TRUE);
    End_Row_Change(hWndMain);
    seam::largeBlocksRefused = 200;
    Command(IDM_REMOVE);
    seam::largeBlocksRefused = 0;
    EXPECT_EQ(TotalNumberOfFiles, both.size() - 1);
    Command(IDM_UNDO);
    EXPECT_EQ(ReadList(hFNameTopList), both);

    // The list's image cannot grow as a folder's walk brings names: the
    // list comes whole all the same, copies as it stands, and keeps no
    // block it does not use.
    Command(IDM_SELECTALL);
    Command(IDM_REMOVE);   // an empty list: no blocks of its own to take the names
    Tree(0, 3, 100);
    seam::reallocsBeforeFailure = 0;
    Drop({root});
    seam::reallocsBeforeFailure = -1;
    const std::vector<std::string> walked = ReadList(hFNameTopList);
    ASSERT_EQ(walked.size(), 300u);
    EXPECT_EQ(Shown().find("copied: " + walked[0] + "\n" + walked[1] + "\n"), 0u);
    EXPECT_EQ(seam::LiveBlocks(), 2 * walked.size() + History_Steps(NULL));
}

TEST_F(HistoryTest, UndoWaitsForAWalkAndForABoxThenTakesBackWhatCameBefore)
{
    Base();
    const std::string before = Shown();
    // Ctrl+Z during the walk: after it, it takes the listing back.
    Tree(0, 3, 100);
    std::string during;
    seam::onFind = [&](int opened) {
        if (opened == 2)
            Sleep(300);   // past the walk's next showing of its count
        if (opened == 3) {
            during = StatusText();
            SendMessageA(hWndMain, WM_COMMAND, IDM_UNDO, 0);
        }
    };
    Drop({root});
    seam::onFind = nullptr;
    EXPECT_EQ(during.rfind("一覧中… ", 0), 0u) << during;
    EXPECT_NE(during.find(" 個 (Esc で中止)"), std::string::npos) << during;
    for (DWORD end = GetTickCount() + 5000; Shown() != before && GetTickCount() < end; Sleep(20))
        Pump();
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(MenuText(IDM_REDO), "やり直し: フォルダーの一覧(&E)\tCtrl+Y");

    // While a box is open an Undo sent to the window waits for it to close.
    std::string underBox;
    DialogAnswerer answer([&](HWND box) {
        SendMessageA(hWndMain, WM_COMMAND, IDM_REDO, 0);
        underBox = Shown();
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_ABOUT);
    for (DWORD end = GetTickCount() + 5000; Shown() == before && GetTickCount() < end; Sleep(20))
        Pump();
    EXPECT_EQ(underBox, before);
    EXPECT_EQ(TotalNumberOfFiles, 300u);
}

TEST_F(HistoryTest, StatusBarSaysWhatTheListHoldsAndNoRowHidesUnderIt)
{
    EXPECT_EQ(StatusText(), Said("0 個の名前", "0 names"));
    Base();
    EXPECT_EQ(StatusText(), Said("40 個中 2 個を選択", "2 of 40 selected"));
    SendMessageA(hWndMain, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(StatusText(), Said("40 個の名前", "40 names"));
    Command(IDM_NAMECOPY);
    EXPECT_EQ(StatusText(), Said("40 個の名前をコピーしました", "40 names copied"));
    SendMessageA(hWndMain, WM_TIMER, STATUS_TIMER, 0);   // three seconds later
    EXPECT_EQ(StatusText(), Said("40 個の名前", "40 names"));
    Drop({"C:\\o\\1.txt"});
    EXPECT_EQ(StatusText(), Said("1 個の名前", "1 name"));

    // At the last position, the last row ends above the bar; without the
    // bar the list has its room back.
    Drop(base);
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    RECT list, bar;
    List_Rect(hWndMain, &list);
    GetWindowRect(FindWindowExA(hWndMain, NULL, STATUSCLASSNAMEA, NULL), &bar);
    MapWindowPoints(NULL, hWndMain, (POINT *)&bar, 2);
    EXPECT_EQ(list.bottom, bar.top);
    EXPECT_LE((39 - nVscrollPos + 1) * yChar, list.bottom) << "the last row's foot";
    EXPECT_GT((39 - nVscrollPos + 2) * yChar, list.bottom) << "the view as far down as it goes";
    const int shownWithBar = Whole_Rows();
    Command(IDM_STATUSBAR);
    EXPECT_FALSE(IsWindowVisible(FindWindowExA(hWndMain, NULL, STATUSCLASSNAMEA, NULL)));
    EXPECT_GT(Whole_Rows(), shownWithBar);
    EXPECT_EQ(status_bar_on, 0u);
    Command(IDM_SAVEOPTION);
    EXPECT_NE(ReadFileBytes(ini).find("Status_bar=FALSE"), std::string::npos);
}

}  // namespace
