// The list as the user edits it on the real window: rows selected with
// clicks and keys, removed and put back, copied in part, sorted, and the
// context menu.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "seams.h"
#include "testutil.h"

#include <algorithm>

namespace {

// What the context menu showed: its items' gray states, read by a timer
// that then closes it.
std::vector<UINT> menuStates;
void CALLBACK ReadContextMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND menu = FindWindowA("#32768", NULL);
    HMENU hMenu = menu ? (HMENU)SendMessageA(menu, MN_GETHMENU, 0, 0) : NULL;
    if (!hMenu)
        return;
    KillTimer(NULL, id);
    for (UINT cmd : {IDM_NAMECOPY, IDM_REMOVE, IDM_SELECTALL, IDM_OPENFOLDER})
        menuStates.push_back(GetMenuState(hMenu, cmd, MF_BYCOMMAND) & MF_GRAYED);
    EndMenu();
}

class SelectTest : public MainWindowTest {
protected:
    std::vector<std::string> names;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        direct_copy_on = 0;
        for (int i = 0; i < 40; i++)
            names.push_back("C:\\d\\" + std::to_string(100 + i) + ".txt");
        Drop(names);
    }
    void TearDown() override
    {
        Keys(false, false);
        MainWindowTest::TearDown();
    }
    // Shift and Ctrl as the window reads them while a message is handled.
    static void Keys(bool shift, bool ctrl)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void Press(WPARAM key, bool shift = false, bool ctrl = false)
    {
        Keys(shift, ctrl);
        SendMessageA(hWndMain, WM_KEYDOWN, key, 1);
        Keys(false, false);
    }
    void Click(int row, WPARAM keys = 0, UINT message = WM_LBUTTONDOWN)
    {
        SendMessageA(hWndMain, message, keys | MK_LBUTTON, MAKELPARAM(5, (row - nVscrollPos) * yChar + 1));
        SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    }
    std::vector<int> Selected()
    {
        std::vector<int> rows;
        for (int i = 0; i < (int)TotalNumberOfFiles; i++)
            if (Row_Selected(i))
                rows.push_back(i);
        return rows;
    }
    // The rows shown that wait to be painted.
    std::vector<int> Unpainted()
    {
        std::vector<int> rows;
        HRGN rgn = CreateRectRgn(0, 0, 0, 0);
        GetUpdateRgn(hWndMain, rgn, FALSE);
        for (int k = 0; k < Whole_Rows(); k++)
            if (PtInRegion(rgn, 5, k * yChar + yChar / 2))
                rows.push_back(nVscrollPos + k);
        DeleteObject(rgn);
        return rows;
    }
    COLORREF Pixel(int x, int row)
    {
        UpdateWindow(hWndMain);
        HDC hdc = GetDC(hWndMain);
        const COLORREF c = GetPixel(hdc, x, (row - nVscrollPos) * yChar + yChar / 2);
        ReleaseDC(hWndMain, hdc);
        return c;
    }
};

TEST_F(SelectTest, ClicksSelectAsAListBoxAndOnlyChangedRowsArePainted)
{
    RECT rc;
    GetClientRect(hWndMain, &rc);
    EXPECT_EQ(Pixel(2, 0), RGB(255, 255, 255));
    Click(2);
    EXPECT_EQ(Selected(), std::vector<int>{2});
    EXPECT_EQ(nFocusRow, 2);
    // The highlight across the whole width, in the system's colours; the
    // focus rectangle on its edge.
    EXPECT_EQ(Pixel(rc.right - 3, 2), GetSysColor(COLOR_HIGHLIGHT));
    Click(5);
    EXPECT_EQ(Unpainted(), (std::vector<int>{2, 5}));   // the rows that changed, no others
    Click(3, MK_CONTROL);
    EXPECT_EQ(Selected(), (std::vector<int>{3, 5}));
    Click(7, MK_SHIFT);   // from the anchor, the last row clicked
    EXPECT_EQ(Selected(), (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(Pixel(rc.right - 3, 5), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(Pixel(rc.right - 3, 2), RGB(255, 255, 255));

    // A drag selects the rows passed over, and below the window scrolls on.
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, yChar + 1));
    SendMessageA(hWndMain, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 3 * yChar + 1));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    SendMessageA(hWndMain, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, rc.bottom + 10));
    const int bottom = nVscrollPos + Whole_Rows() - 1;
    for (int i = 0; i < 3; i++)
        SendMessageA(hWndMain, WM_TIMER, 1, 0);
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(nFocusRow, bottom + 3);
    EXPECT_EQ(nVscrollPos + Whole_Rows() - 1, bottom + 3);
    EXPECT_EQ(Selected().size(), (size_t)bottom + 3);

    // The selection outlives a resize and a scroll; a click below the last
    // name clears it, and so does any new list.
    SetWindowPos(hWndMain, NULL, 0, 0, 300, 220, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Selected().size(), (size_t)bottom + 3);

    // Above the window a drag scrolls back up, a row a tick.
    const int top = nVscrollPos;
    ASSERT_GE(top, 3);
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, yChar + 1));
    SendMessageA(hWndMain, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, (WORD)(short)-10));
    for (int i = 0; i < 3; i++)
        SendMessageA(hWndMain, WM_TIMER, 1, 0);
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(nFocusRow, top - 3);
    EXPECT_EQ(nVscrollPos, top - 3);
    EXPECT_EQ(Selected().size(), 5u);
    Click(40);
    EXPECT_TRUE(Selected().empty());
    Click(39);
    Drop({"C:\\a", "C:\\b"});
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(nFocusRow, -1);
}

TEST_F(SelectTest, KeysMoveTheFocusWhichTheViewFollows)
{
    const int rows = Whole_Rows();
    Press(VK_DOWN);   // the first key takes the top row shown
    EXPECT_EQ(Selected(), std::vector<int>{0});
    Press(VK_DOWN);
    Press(VK_DOWN, true);
    Press(VK_DOWN, true);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    Press(VK_DOWN, false, true);   // Ctrl: the focus alone
    Press(VK_SPACE, false, true);
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3, 4}));
    Press(VK_SPACE, false, true);   // and again: out of the selection
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    Press(VK_SPACE, false, true);
    EXPECT_EQ(nFocusRow, 4);
    Press(VK_NEXT);   // to the bottom of the view, then a page on
    EXPECT_EQ(nFocusRow, rows - 1);
    EXPECT_EQ(nVscrollPos, 0);
    Press(VK_NEXT);
    EXPECT_EQ(nFocusRow, 2 * rows - 2);
    EXPECT_EQ(nVscrollPos + rows - 1, nFocusRow);
    Press(VK_PRIOR);
    EXPECT_EQ(nFocusRow, nVscrollPos);
    Press(VK_END, true);
    EXPECT_EQ(Selected().size(), 40u - (2 * rows - 2 - (rows - 1)));
    EXPECT_EQ(nVscrollPos, nVscrollMax);
    Press(VK_HOME, false, true);
    EXPECT_EQ(Selected(), std::vector<int>{0});
    EXPECT_EQ(nVscrollPos, 0);
    // The wheel and the bars move the view and leave the focus.
    SendMessageA(hWndMain, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-WHEEL_DELTA), 0);
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(nFocusRow, 0);
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTALL, 0);
    EXPECT_EQ(Selected().size(), 40u);
    Press(VK_ESCAPE);
    EXPECT_TRUE(Selected().empty());
}

TEST_F(SelectTest, RemoveCopyAPartUndoAndSort)
{
    // Ctrl+C copies the rows selected, in list order, in the copy's forms.
    for (int row : {7, 2, 3})
        Click(row, MK_CONTROL);
    quotes_on = 1;
    SendMessageA(hWndMain, WM_COMMAND, IDM_NAMECOPY, 0);
    quotes_on = 0;
    EXPECT_EQ(ClipboardText(), "\"C:\\d\\102.txt\"\n\"C:\\d\\103.txt\"\n\"C:\\d\\107.txt\"");
    // Delete: out of the list, the focus after the last one removed; with
    // direct copy on, the clipboard holds the list as it now stands.
    direct_copy_on = 1;
    SendMessageA(hWndMain, WM_COMMAND, IDM_REMOVE, 0);
    Pump();
    std::vector<std::string> left = names;
    left.erase(left.begin() + 7);
    left.erase(left.begin() + 2, left.begin() + 4);
    EXPECT_EQ(ReadList(hFNameTopList), left);
    EXPECT_EQ(Caption(), "Tamsel32 37-Files");
    EXPECT_EQ(numlines, 37);
    EXPECT_EQ(nFocusRow, 5);
    EXPECT_EQ(ReadList(hFNameTopList)[5], "C:\\d\\108.txt");
    const std::string copied = ClipboardText();
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 36);
    SendMessageA(hWndMain, WM_COMMAND, IDM_UNDO, 0);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), names);
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 7}));
    // A list set aside is one block: the undo brings the three names'
    // blocks back, and no more.
    direct_copy_on = 0;
    SendMessageA(hWndMain, WM_COMMAND, IDM_REDO, 0);
    EXPECT_EQ(ReadList(hFNameTopList), left);
    const size_t live = seam::LiveBlocks();
    SendMessageA(hWndMain, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_EQ(seam::LiveBlocks(), live + 6);
    Click(38);
    Click(39, MK_SHIFT);   // a removal that ends at the last row
    SendMessageA(hWndMain, WM_COMMAND, IDM_REMOVE, 0);
    SendMessageA(hWndMain, WM_COMMAND, IDM_UNDO, 0);
    EXPECT_EQ(Selected(), (std::vector<int>{38, 39}));

    // Sort By Name: the folder window's order, numbers by value, case
    // ignored, equal names as they came; the selection goes with its names.
    direct_copy_on = 0;
    Drop({"C:\\d\\file10.txt", "C:\\D\\File2.txt", "C:\\d\\FILE1.txt", "c:\\d\\file2.txt"});
    Click(0);
    SendMessageA(hWndMain, WM_COMMAND, IDM_SORT, 0);
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\d\\FILE1.txt", "C:\\D\\File2.txt",
                                                                  "c:\\d\\file2.txt", "C:\\d\\file10.txt"}));
    EXPECT_EQ(Selected(), std::vector<int>{3});
    EXPECT_EQ(nFocusRow, 3);   // the focus too: Open Containing Folder opens its name's
    EXPECT_EQ(nVscrollPos, 0);
    seam::fakeShellExecute = true;
    SendMessageA(hWndMain, WM_COMMAND, IDM_OPENFOLDER, 0);
    EXPECT_EQ(seam::shellExecuted, "explorer.exe /select,\"C:\\d\\file10.txt\"");
    seam::noLogicalCompare = true;   // before Windows XP: the locale's order, case ignored
    SendMessageA(hWndMain, WM_COMMAND, IDM_SORT, 0);
    EXPECT_EQ(ReadList(hFNameTopList)[1], "C:\\d\\file10.txt");

    // Removing every name leaves the empty window.
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTALL, 0);
    SendMessageA(hWndMain, WM_COMMAND, IDM_REMOVE, 0);
    EXPECT_EQ(Caption(), " Tamsel32 ");
    EXPECT_EQ(hFNameTopList, nullptr);

    seam::noLogicalCompare = false;
    Drop({"C:\\d\\100.txt", "C:\\d\\12.txt"});   // a shared first digit is part of the number
    SendMessageA(hWndMain, WM_COMMAND, IDM_SORT, 0);
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\d\\12.txt", "C:\\d\\100.txt"}));
}

TEST_F(SelectTest, ContextMenuActsOnTheRowClicked)
{
    // A right-click inside the selection keeps it, one outside selects
    // that row; the menu's items are gray where they cannot act; Open
    // Containing Folder opens the folder window with the item selected.
    Click(1);
    Click(3, MK_SHIFT);
    SendMessageA(hWndMain, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 2 * yChar + 1));
    EXPECT_EQ(Selected(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(nFocusRow, 2);
    SendMessageA(hWndMain, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 4 * yChar + 1));
    EXPECT_EQ(Selected(), std::vector<int>{4});
    SetTimer(NULL, 0, 50, ReadContextMenu);
    SendMessageA(hWndMain, WM_CONTEXTMENU, (WPARAM)hWndMain, -1);   // Shift+F10
    EXPECT_EQ(menuStates, (std::vector<UINT>{0, 0, 0, 0}));
    seam::fakeShellExecute = true;
    SendMessageA(hWndMain, WM_COMMAND, IDM_OPENFOLDER, 0);
    EXPECT_EQ(seam::shellExecuted, "explorer.exe /select,\"C:\\d\\104.txt\"");
}

}  // namespace

namespace {

std::string DlgText(HWND box, int id)
{
    wchar_t text[256] = L"";
    const int n = GetDlgItemTextW(box, id, text, 256);
    return Utf8(text, n) + (IsWindowEnabled(GetDlgItem(box, IDOK)) ? " +" : "");
}

TEST_F(SelectTest, NamesAreChosenByPatternByKindAndByTheirFirstLetters)
{
    const std::string dir = ShortDir() + "kinds\\";
    CreateDirectoryA(dir.c_str(), NULL);
    CreateDirectoryA((dir + "Photos").c_str(), NULL);
    for (const char *file : {"a.JPG", "report01.txt", "b.png"})
        ASSERT_TRUE(WriteFileBytes(dir + file, ""));
    folder_contents_on = 0;
    Drop({dir + "a.JPG", dir + "Photos", dir + "report01.txt", dir + "b.png", dir + "gone.jpg", "C:\\x\\reportXY.doc",
          "C:\\x\\写真.jpg"});
    Click(1);

    // Select Matching counts as the pattern is typed, says what is wrong
    // with one it cannot use, and adds what matches to the selection.
    std::vector<std::string> said;
    DialogAnswerer answer([&](HWND box) {
        for (const std::string &pattern : {std::string("*.jpg; *.PNG"), std::string("report??.*"), std::string(" ;; "),
                                           std::string("*"), std::string(10000, '*'), std::string("a/b"),
                                           std::string("*a*a*a*a*a*b")}) {
            SetDlgItemTextA(box, IDC_MATCH_PATTERN, pattern.c_str());
            said.push_back(DlgText(box, IDC_MATCH_COUNT));
        }
        SetDlgItemTextA(box, IDC_MATCH_PATTERN, "PHOTOS");
        CheckDlgButton(box, IDC_MATCH_ANYWHERE, BST_CHECKED);
        SendMessageA(box, WM_COMMAND, IDC_MATCH_ANYWHERE, 0);
        said.push_back(DlgText(box, IDC_MATCH_COUNT));
        CheckDlgButton(box, IDC_MATCH_ANYWHERE, BST_UNCHECKED);
        SetDlgItemTextA(box, IDC_MATCH_PATTERN, "*.jpg;*.png");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTMATCHING, 0);
    EXPECT_EQ(said, (std::vector<std::string>{"一致する名前: 4 個 +", "一致する名前: 2 個 +",
                                              "*.jpg;*.png のようなパターンを入力します。",
                                              "一致する名前: 7 個 +", "パターンが 1,000 文字を超えています。",
                                              "ファイル名には / を使えません。", "一致する名前: 0 個",
                                              "一致する名前: 1 個 +"}));
    EXPECT_EQ(Selected(), (std::vector<int>{0, 1, 3, 4, 6}));

    // By what each name is on disk now; then the rest.
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTFILES, 0);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2, 3}));
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTFOLDERS, 0);
    EXPECT_EQ(Selected(), std::vector<int>{1});
    SendMessageA(hWndMain, WM_COMMAND, IDM_INVERTSELECTION, 0);
    EXPECT_EQ(Selected(), (std::vector<int>{0, 2, 3, 4, 5, 6}));

    // Letters typed within a second make one prefix; the same letter again
    // goes on to the next name; a double-byte letter comes in two bytes.
    Click(0);
    PostMessageA(hWndMain, WM_CHAR, 'R', 1);
    PostMessageA(hWndMain, WM_CHAR, 'e', 1);
    Pump();
    EXPECT_EQ(nFocusRow, 2);
    const DWORD later = GetTickCount() + 5000;
    Type_Ahead(hWndMain, 'r', later);
    EXPECT_EQ(nFocusRow, 5);
    Type_Ahead(hWndMain, 'r', later + 10);
    EXPECT_EQ(nFocusRow, 2);   // round to the first again
    const std::string sha = Sjis("写");
    Type_Ahead(hWndMain, (BYTE)sha[0], later + 2000);
    Type_Ahead(hWndMain, (BYTE)sha[1], later + 2000);
    EXPECT_EQ(nFocusRow, 6);
}

}  // namespace
