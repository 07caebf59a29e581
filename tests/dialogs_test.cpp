// The Copy Option and About dialogs, and the command table's results.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "testutil.h"

#include <set>

namespace {

class CommandTest : public MainWindowTest {
protected:
    LRESULT Command(WPARAM id) { return SendMessageA(hWndMain, WM_COMMAND, id, 0); }
};

struct Checks {
    UINT nameOnly = 99, direct = 99;
};

// Reads the two check boxes, then runs `then` on the box.
std::function<void(HWND)> ReadChecks(Checks *out, std::function<void(HWND)> then)
{
    return [out, then](HWND dlg) {
        out->nameOnly = IsDlgButtonChecked(dlg, IDC_NAME_ONLY);
        out->direct = IsDlgButtonChecked(dlg, IDC_DIRECT_COPY);
        then(dlg);
    };
}

std::function<void(HWND)> ToggleBothThen(std::function<void(HWND)> then)
{
    return [then](HWND dlg) {
        SendDlgItemMessageA(dlg, IDC_NAME_ONLY, BM_CLICK, 0, 0);
        SendDlgItemMessageA(dlg, IDC_DIRECT_COPY, BM_CLICK, 0, 0);
        then(dlg);
    };
}

// Keys pressed in the box one after the other, each through the dialog's
// own loop to whatever has the focus by then; those left over when the box
// closes stay in keysLeft.
std::vector<UINT> keysLeft;
void CALLBACK NextKey(HWND dlg, UINT, UINT_PTR id, DWORD)
{
    HWND to = GetFocus() ? GetFocus() : dlg;
    if (keysLeft.empty())
        return (void)KillTimer(dlg, id);
    PostMessageA(to, WM_KEYDOWN, keysLeft[0], 1);
    PostMessageA(to, WM_KEYUP, keysLeft[0], 0xC0000001);
    keysLeft.erase(keysLeft.begin());
}
std::function<void(HWND)> Keys(std::vector<UINT> vks)
{
    return [vks](HWND dlg) { keysLeft = vks; SetTimer(dlg, 2, 20, NextKey); };
}

// The controls of a dialog as the user sees them: "class:text", in order.
std::function<void(HWND)> ReadControls(std::vector<std::string> *out, std::function<void(HWND)> then)
{
    return [out, then](HWND dlg) {
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32], text[128];
            GetClassNameA(c, cls, sizeof cls);
            GetWindowTextA(c, text, sizeof text);
            const LONG style = GetWindowLongA(c, GWL_STYLE);
            if (!strcmp(cls, "Static") && (style & SS_TYPEMASK) == SS_ICON)
                lstrcpyA(text, SendMessageA(c, STM_GETICON, 0, 0) ? "<icon>" : "<no icon>");
            out->push_back(std::string(cls) + ":" + text);
        }
        then(dlg);
    };
}

TEST_F(CommandTest, DialogsShowTheirTextsAndIcons)
{
    std::vector<std::string> about, option;
    {
        DialogAnswerer answer(ReadControls(&about, Press(IDOK)));
        Command(IDM_ABOUT);
        ASSERT_EQ(answer.seen.size(), 1u);
        EXPECT_EQ(answer.seen[0].caption, "");
    }
    ASSERT_EQ(about.size(), 6u);
    EXPECT_EQ(about[0], "Static:Tamsel 32");
    EXPECT_EQ(about[1], "Static:Version 1.0");
    EXPECT_GT(about[2].size(), strlen("Static:"));   // the notice
    EXPECT_EQ(about[3], "Static:<icon>");
    EXPECT_EQ(about[4], "Static:<icon>");
    EXPECT_EQ(about[5], "Button:OK");

    DialogAnswerer answer(ReadControls(&option, Press(IDCANCEL)));
    Command(IDM_COPYOPTION);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "Copy Option");
    EXPECT_EQ(option, (std::vector<std::string>{"Button:OK", "Button:Cancel", "Button: File &Name Only",
                                                "Button: &Direct To Clip Board", "Button: &Quotes Around Names",
                                                "Button: C&R LF Between Names", "Button: As File &URLs",
                                                "Button: &Add Drops To The List", "Button: &List Folder Contents",
                                                "Button: &Folders Too", "Static:"}));
    std::string keys;   // each box's access key, none twice
    for (const std::string &control : option)
        if (control.find('&') != std::string::npos)
            keys += (char)toupper(control[control.find('&') + 1]);
    EXPECT_EQ(keys.size(), 8u);
    EXPECT_EQ(std::set<char>(keys.begin(), keys.end()).size(), keys.size()) << keys;
}

TEST_F(CommandTest, CopyOptionLabelsFitBesideTheirBoxes)
{
    std::vector<int> spare;   // pixels left in each check box after its box and label
    std::vector<int> order;   // the tab order from OK
    std::vector<int> outside;   // controls not wholly inside the dialog
    DialogAnswerer answer([&](HWND dlg) {
        RECT rcDlg, rc;
        GetClientRect(dlg, &rcDlg);
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            GetWindowRect(c, &rc);
            MapWindowPoints(NULL, dlg, (POINT *)&rc, 2);
            if (GetDlgCtrlID(c) != 0xFFFF && (rc.left < 0 || rc.top < 0 || rc.right > rcDlg.right || rc.bottom > rcDlg.bottom))
                outside.push_back(GetDlgCtrlID(c));
        }
        for (HWND c = GetNextDlgTabItem(dlg, GetDlgItem(dlg, IDOK), FALSE); order.size() < 10; c = GetNextDlgTabItem(dlg, c, FALSE))
            order.push_back(GetDlgCtrlID(c));
        for (int id = IDC_NAME_ONLY; id <= IDC_FOLDERS_TOO; id++) {
            HWND box = GetDlgItem(dlg, id);
            char text[64];
            SIZE size = {0, 0};
            RECT rc;
            HDC hdc = GetDC(box);
            HGDIOBJ old = SelectObject(hdc, (HGDIOBJ)SendMessageA(box, WM_GETFONT, 0, 0));
            GetTextExtentPoint32A(hdc, text, GetWindowTextA(box, text, sizeof text), &size);
            SelectObject(hdc, old);
            ReleaseDC(box, hdc);
            GetClientRect(box, &rc);
            spare.push_back(rc.right - GetSystemMetrics(SM_CXMENUCHECK) - 4 - size.cx);
        }
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    Command(IDM_COPYOPTION);
    EXPECT_EQ(spare.size(), 8u);
    for (int px : spare)
        EXPECT_GT(px, 8);
    EXPECT_EQ(outside, std::vector<int>{});
    EXPECT_EQ(order, (std::vector<int>{IDCANCEL, IDC_NAME_ONLY, IDC_DIRECT_COPY, IDC_QUOTES, IDC_CRLF, IDC_FILE_URL,
                                       IDC_ADD_DROPS, IDC_LIST_CONTENTS, IDC_FOLDERS_TOO, IDOK}));
}

TEST_F(CommandTest, CopyOptionOpensWithTheFlags)
{
    Checks seen;
    DialogAnswerer answer(ReadChecks(&seen, Press(IDCANCEL)));
    EXPECT_EQ(Command(IDM_COPYOPTION), 0);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "Copy Option");
    EXPECT_EQ(seen.nameOnly, (UINT)BST_UNCHECKED);   // first-start defaults
    EXPECT_EQ(seen.direct, (UINT)BST_CHECKED);

    name_only_on = 1;
    direct_copy_on = 0;
    Command(IDM_COPYOPTION);
    EXPECT_EQ(seen.nameOnly, (UINT)BST_CHECKED);
    EXPECT_EQ(seen.direct, (UINT)BST_UNCHECKED);
}

TEST_F(CommandTest, CopyOptionOkTakesBothBoxes)
{
    // Ticked from the keyboard, by access key and by Space, then Enter:
    // OK is the one default button.
    DialogAnswerer keys(Keys({'N', 'A', VK_TAB, VK_SPACE, VK_RETURN}));
    Command(IDM_COPYOPTION);
    Checks seen;
    DialogAnswerer reopen(ReadChecks(&seen, Press(IDCANCEL)));
    Command(IDM_COPYOPTION);
    EXPECT_EQ(name_only_on, 1u);
    EXPECT_EQ(add_drops_on, 1u);
    EXPECT_EQ(folder_contents_on, 1u);
    EXPECT_EQ(quotes_on + crlf_on + file_url_on + folders_too_on, 0u);
    EXPECT_EQ(seen.nameOnly, (UINT)BST_CHECKED);
    name_only_on = add_drops_on = folder_contents_on = 0;

    DialogAnswerer answer(ToggleBothThen(Press(IDOK)));
    Command(IDM_COPYOPTION);
    EXPECT_EQ(name_only_on, 1u);
    EXPECT_EQ(direct_copy_on, 0u);

    // OK without changes writes the same values back.
    DialogAnswerer same(Press(IDOK));
    Command(IDM_COPYOPTION);
    EXPECT_EQ(name_only_on, 1u);
    EXPECT_EQ(direct_copy_on, 0u);
}

TEST_F(CommandTest, CopyOptionCancelEscAndCloseBoxTakeNothing)
{
    const std::pair<const char *, std::function<void(HWND)>> ways[] = {
        {"Cancel", Press(IDCANCEL)},
        {"Esc", Keys({VK_ESCAPE})},
        {"close box", [](HWND dlg) { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.first);
        DialogAnswerer answer(ToggleBothThen(way.second));
        Command(IDM_COPYOPTION);
        EXPECT_EQ(answer.seen.size(), 1u);
        EXPECT_EQ(name_only_on, 0u);
        EXPECT_EQ(direct_copy_on, 1u);
    }
    Checks seen;
    DialogAnswerer again(ReadChecks(&seen, Press(IDCANCEL)));
    Command(IDM_COPYOPTION);
    EXPECT_EQ(seen.nameOnly, (UINT)BST_UNCHECKED);
    EXPECT_EQ(seen.direct, (UINT)BST_CHECKED);
}

TEST_F(CommandTest, OptionsTakeEffectOnTheNextDrop)
{
    SetClipboardText("before");
    DialogAnswerer answer(ToggleBothThen(Press(IDOK)));   // name only on, direct copy off
    Command(IDM_COPYOPTION);
    Drop({"C:\\A\\x.txt", "C:\\B\\y.doc"});
    EXPECT_EQ(ClipboardText(), "before");
    DialogAnswerer back(ToggleBothThen(Press(IDOK)));     // name only off, direct copy on
    Command(IDM_COPYOPTION);
    DialogAnswerer on([](HWND dlg) {
        SendDlgItemMessageA(dlg, IDC_NAME_ONLY, BM_CLICK, 0, 0);
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    Command(IDM_COPYOPTION);
    Drop({"C:\\A\\x.txt", "C:\\B\\y.doc"});
    EXPECT_EQ(ClipboardText(), "x.txt\ny.doc");
    // With direct copy on, an OK that changes how names are copied copies
    // the list again in the new form.
    DialogAnswerer off(ToggleBothThen([](HWND dlg) {
        SendDlgItemMessageA(dlg, IDC_DIRECT_COPY, BM_CLICK, 0, 0);   // direct copy back on
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    }));
    Command(IDM_COPYOPTION);
    Pump();
    EXPECT_EQ(ClipboardText(), "C:\\A\\x.txt\nC:\\B\\y.doc");
    // The options reach the profile only through Save Option.
    EXPECT_NE(ReadFileBytes(ini).find("Name_only=FALSE"), std::string::npos);
}

TEST_F(CommandTest, AboutClosesOnOkAndEnterButNotEsc)
{
    DialogAnswerer keys(Keys({VK_ESCAPE, VK_RETURN}));
    EXPECT_EQ(Command(IDM_ABOUT), 0);
    EXPECT_TRUE(keysLeft.empty()) << "Esc closed the box";

    DialogAnswerer ok(Press(IDOK));
    Command(IDM_ABOUT);
    EXPECT_EQ(ok.seen.size(), 1u);
}

TEST_F(CommandTest, OnlySaveOptionReturnsOne)
{
    DeleteFileA(ini.c_str());
    EXPECT_EQ(Command(IDM_SAVEOPTION), 1);
    EXPECT_TRUE(FileExists(ini));
    EXPECT_EQ(Command(999), 0);
    EXPECT_EQ(Command(MAKEWPARAM(IDM_SAVEOPTION, 1)), 1);   // as an accelerator sends it
    DialogAnswerer answer(Press(IDCANCEL));
    EXPECT_EQ(Command(IDM_CLIPCLEAR), 0);
    EXPECT_EQ(Command(IDM_NAMECOPY), 0);
}

TEST_F(CommandTest, SaveOptionStoresTheOuterSizeOptionsAndFont)
{
    SetWindowPos(hWndMain, NULL, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(hWndMain, SW_MAXIMIZE);   // the restored size is what is stored
    ASSERT_TRUE(IsZoomed(hWndMain));
    direct_copy_on = 0;
    name_only_on = 1;
    quotes_on = file_url_on = 1;
    fontcolor = RGB(0, 0, 255);
    Command(IDM_SAVEOPTION);
    std::string text = ReadFileBytes(ini);
    EXPECT_NE(text.find("X_Size=500\r\nY_Size=350\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Direct_copy=FALSE\r\nName_only=TRUE\r\nQuotes=TRUE\r\nCR_LF=FALSE\r\nFile_URL=TRUE\r\n"
                        "Add_drops=FALSE\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Color=16711680\r\n"), std::string::npos) << text;
}

TEST_F(CommandTest, ExitPostsCloseAndTheLoopEnds)
{
    Drop({"C:\\a"});
    EXPECT_EQ(Command(IDM_EXIT), 0);
    EXPECT_TRUE(IsWindow(hWndMain));   // posted, not called
    Pump();
    EXPECT_FALSE(IsWindow(hWndMain));
    EXPECT_TRUE(quitSeen);
    EXPECT_EQ(quitCode, 0u);
}

TEST_F(CommandTest, FontCommandEvenCancelledGoesBackToTheTopLeft)
{
    direct_copy_on = 0;
    Drop(LongNames(40, 90));
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageA(hWndMain, WM_HSCROLL, SB_PAGERIGHT, 0);
    HFONT before = hnewsfont;
    int x = xChar;

    // The chooser offers no vertical faces, which would lay every name on
    // its side; it has "@" ones of the Japanese fonts to offer.
    int faces = 0, vertical = 0;
    DialogAnswerer answer([&](HWND dlg) {
        for (char face[LF_FACESIZE + 8]; SendDlgItemMessageA(dlg, 0x470 /* cmb1 */, CB_GETLBTEXT, faces, (LPARAM)face) > 0; faces++)
            vertical += face[0] == '@';
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(Command(IDM_FONT), 0);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_GT(faces, 1);
    EXPECT_EQ(vertical, 0);
    EXPECT_EQ(hnewsfont, before);
    EXPECT_EQ(xChar, x);
    EXPECT_EQ(nVscrollPos, 0);
    EXPECT_EQ(nHscrollPos, 0);
    EXPECT_GT(nHscrollMax, 0);
}

}  // namespace
