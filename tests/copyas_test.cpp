// Copy As: each built-in form, exactly, on the real clipboard; what each
// form copies, a paste takes back.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "seams.h"
#include "testutil.h"

#include <algorithm>

namespace {

class CopyAsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        direct_copy_on = 0;
    }
    std::string CopyAs(int nFormat)
    {
        SendMessageA(hWndMain, WM_COMMAND, IDM_COPYAS_FIRST + nFormat, 0);
        return ClipboardUnicode();
    }
};

TEST_F(CopyAsTest, EachFormGivesItsTextForTheListOrTheRowsSelected)
{
    // Edit > "Copy A&s", right after NameCopy: the forms in order, each
    // key once in the menu.
    HMENU edit = Edit_Menu(hWndMain), copyAs = NULL;
    char text[64];
    for (int i = 0; i + 1 < GetMenuItemCount(edit) && !copyAs; i++)
        if (GetMenuItemID(edit, i) == IDM_NAMECOPY && GetMenuStringA(edit, i + 1, text, sizeof text, MF_BYPOSITION))
            copyAs = GetSubMenu(edit, i + 1);
    ASSERT_NE(copyAs, nullptr);
    EXPECT_STREQ(text, "Copy A&s");
    ASSERT_EQ(GetMenuItemCount(copyAs), COPYAS_BUILTINS);
    std::string accessKeys;
    for (int i = 0; i < COPYAS_BUILTINS; i++) {
        GetMenuStringA(copyAs, i, text, sizeof text, MF_BYPOSITION);
        accessKeys += (char)toupper(strchr(text, '&')[1]);
    }
    EXPECT_EQ(accessKeys, "QFWGPJRMTU");
    GetMenuStringA(copyAs, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Path In &Quotes\tCtrl+Shift+C");

    Drop({"C:\\dir\\a b.txt", "C:\\dir\\sub\\it's.txt", "\\\\server\\share\\x(1).txt"});
    const char *const expected[] = {
        "\"C:\\dir\\a b.txt\"\r\n\"C:\\dir\\sub\\it's.txt\"\r\n\"\\\\server\\share\\x(1).txt\"",
        "C:/dir/a b.txt\nC:/dir/sub/it's.txt\n//server/share/x(1).txt",
        "'/mnt/c/dir/a b.txt' '/mnt/c/dir/sub/it'\\''s.txt' '//server/share/x(1).txt'",
        "'/c/dir/a b.txt' '/c/dir/sub/it'\\''s.txt' '//server/share/x(1).txt'",
        "'C:\\dir\\a b.txt', 'C:\\dir\\sub\\it''s.txt', '\\\\server\\share\\x(1).txt'",
        "[\"C:\\\\dir\\\\a b.txt\", \"C:\\\\dir\\\\sub\\\\it's.txt\", \"\\\\\\\\server\\\\share\\\\x(1).txt\"]",
        "C:\\dir\\a b.txt\nC:\\dir\\sub\\it's.txt\n\\\\server\\share\\x(1).txt",   // no folder holds them all
        "[a b.txt](C:/dir/a%20b.txt)\n[it's.txt](C:/dir/sub/it's.txt)\n[x(1).txt](//server/share/x%281%29.txt)",
        nullptr,   // the table: below, with files on the disk
        "file:///C:/dir/a%20b.txt\nfile:///C:/dir/sub/it%27s.txt\nfile://server/share/x%281%29.txt",
    };
    for (int i = 0; i < COPYAS_BUILTINS; i++) {
        if (!expected[i])
            continue;
        SCOPED_TRACE(i);
        EXPECT_EQ(CopyAs(i), expected[i]);
        EXPECT_EQ(ClipboardText(), expected[i]);   // the ANSI form too
    }
    LCID locale;
    const std::vector<UINT> formats = ClipboardFormats(&locale);
    EXPECT_EQ(std::vector<UINT>(formats.begin(), formats.begin() + 3), (std::vector<UINT>{CF_UNICODETEXT, CF_TEXT, CF_LOCALE}));

    // The rows selected: relative to the folder that holds them.
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    SendMessageA(hWndMain, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, yChar + 1));
    SendMessageA(hWndMain, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(CopyAs(6), "a b.txt\nsub\\it's.txt");
    EXPECT_EQ(CopyAs(7), "[a b.txt](a%20b.txt)\n[it's.txt](sub/it's.txt)");

    // Ctrl+Shift+C is Path In Quotes; a name with no POSIX form goes as it
    // stands (quoted for the shell), and the user is told after the copy.
    SendMessageA(hWndMain, WM_COMMAND, IDM_SELECTALL, 0);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    MSG key = {hWndMain, WM_KEYDOWN, 'C', 1, 0, {0, 0}};
    EXPECT_TRUE(Main_Window_Key(hMainKeys, &key));
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(ClipboardUnicode(), expected[0]);
    DialogAnswerer answer(Press(IDOK));
    Drop({"\\\\.\\COM1", "C:\\x y"});
    EXPECT_TRUE(answer.seen.empty());
    EXPECT_EQ(CopyAs(2), "'\\\\.\\COM1' '/mnt/c/x y'");
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].utf8, Said("1 個の名前はこの形式で書けないため、Windows のパスのままコピーしました。",
                                        "1 of the names have no form in this style; they were copied as Windows paths."));

    // A name longer than the room the copy first makes for one: formed whole.
    const std::string longName = std::string(600, 'x') + ".txt";
    Drop({"C:\\" + longName});
    EXPECT_EQ(CopyAs(0), "\"C:\\" + longName + "\"");
    EXPECT_EQ(CopyAs(2), "/mnt/c/" + longName);
}

TEST_F(CopyAsTest, TableGivesNameFolderSizeAndTimeUnderAHeaderInTheUsersLanguage)
{
    // A file of 1,234 bytes last written at a known local time, a folder
    // (no size), and a file deleted since it was listed (nothing known).
    const std::string dir = ShortDir() + "table", file = dir + "\\data 1.bin", gone = dir + "\\gone.txt";
    CreateDirectoryA(dir.c_str(), NULL);
    ASSERT_TRUE(WriteFileBytes(file, std::string(1234, 'x')));
    ASSERT_TRUE(WriteFileBytes(gone, ""));
    SYSTEMTIME st = {2026, 12, 2, 8, 7, 48, 55, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_TRUE(SetFileTime(h, NULL, NULL, &utc));
    CloseHandle(h);
    Drop({file, dir, gone});
    DeleteFileA(gone.c_str());
    const std::string text = CopyAs(8);
    DeleteFileA(file.c_str());
    std::vector<std::string> rows;
    for (size_t at = 0, end; at <= text.size(); at = end + 2) {
        end = std::min(text.find("\r\n", at), text.size());
        rows.push_back(text.substr(at, end - at));
    }
    ASSERT_EQ(rows.size(), 4u) << text;
    EXPECT_EQ(rows[0], Said("名前\tフォルダー\tサイズ\t更新日時", "Name\tFolder\tSize\tModified"));
    EXPECT_EQ(rows[1], "data 1.bin\t" + dir + "\t1234\t2026-12-08 07:48:55");
    EXPECT_EQ(rows[2].substr(0, rows[2].size() - 19), "table\t" + ShortDir().substr(0, ShortDir().size() - 1) + "\t\t");
    EXPECT_EQ(rows[3], "gone.txt\t" + dir + "\t\t");
}

TEST_F(CopyAsTest, WhatEachFormCopiesAPasteTakesBack)
{
    // Names with blanks, quotes, "%", parentheses, Japanese and an emoji:
    // each form but Relative, Markdown and Table, copied and then pasted
    // into the window, gives the same names in the same order.
    const std::string dir = ShortDir();
    std::vector<std::string> names;
    for (const char *name : {"a b.txt", "it's.txt", "100% (1).txt", "日本語 資料.txt", "😀.txt"}) {
        names.push_back(dir + name);
        ASSERT_TRUE(WriteFileBytes(names.back(), ""));
    }
    DialogAnswerer answer(Press(IDOK));
    for (int nFormat : {0, 1, 2, 3, 4, 5, 9}) {
        SCOPED_TRACE(nFormat);
        Drop(names);
        const std::string copied = CopyAs(nFormat);
        Drop({"C:\\other"});
        SendMessageA(hWndMain, WM_COMMAND, IDM_PASTE, 0);
        Pump();
        EXPECT_EQ(ReadList(hFNameTopList), names) << copied;
    }
    EXPECT_EQ(answer.seen.size(), 0u);

    // Cygwin's paths, a path from the root (on the current folder's
    // drive), Markdown links to a full path or a file: URL; a relative
    // path is said to be one.
    SetCurrentDirectoryA("C:\\");
    std::string posix = dir.substr(2);
    std::replace(posix.begin(), posix.end(), '\\', '/');
    SetClipboardText("'/cygdrive/c" + posix + "a b.txt'\n" + posix + "it's.txt\n[x](C:" + posix +
                     "100%25%20%281%29.txt) [y](file:///C:" + posix + "a%20b.txt)\nsub\\relative.txt");
    SendMessageA(hWndMain, WM_COMMAND, IDM_PASTE, 0);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{names[0], names[1], names[2], names[0]}));
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_NE(answer.seen[0].utf8.find(Said("・フルパスでない名前: 1 個", "- Not a full path: 1") + "\n\nsub\\relative.txt"),
              std::string::npos) << answer.seen[0].utf8;
    for (const std::string &name : names)
        DeleteFileW(Wide(name).c_str());
}

// Text of a dialog's control.
std::string Text(HWND dlg, int id)
{
    wchar_t text[4096];
    GetDlgItemTextW(dlg, id, text, 4096);
    return Utf8(text, lstrlenW(text));
}

TEST_F(CopyAsTest, AFormatMadeInTheDialogCopiesAsItsPreviewShowedAndIsKept)
{
    // Started from WSL Paths, changed: the preview follows every key, a
    // template that cannot be read says where and why and grays OK; OK
    // writes the profile at once, the menu shows the format, and a copy
    // gives what the preview showed.
    Drop({"C:\\dir\\a b.txt", "C:\\dir\\x.txt"});
    std::string preview, unknown, unclosed;
    bool grayed = false;
    DialogAnswerer answer([&](HWND dlg) {
        SendDlgItemMessageA(dlg, IDC_FMT_FROM, CB_SETCURSEL, 3, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_FMT_NEW, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDC_FMT_NEW));
        SetDlgItemTextA(dlg, IDC_FMT_NAME, "Numbered & quoted");
        SetDlgItemTextA(dlg, IDC_FMT_TEMPLATE, "{path:nope}");
        unknown = Text(dlg, IDC_FMT_ERROR);
        grayed = !IsWindowEnabled(GetDlgItem(dlg, IDOK));
        SetDlgItemTextA(dlg, IDC_FMT_TEMPLATE, "{n}: {oops");
        unclosed = Text(dlg, IDC_FMT_ERROR);
        SetDlgItemTextA(dlg, IDC_FMT_TEMPLATE, "{n}: {path:wsl:sh} {{{ext}}}");
        SetDlgItemTextA(dlg, IDC_FMT_BETWEEN, "\\n");
        SetDlgItemTextA(dlg, IDC_FMT_AFTER, " .");
        preview = Text(dlg, IDC_FMT_PREVIEW);
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(hWndMain, WM_COMMAND, IDM_COPYAS_FORMATS, 0);
    EXPECT_EQ(unknown, Said("7 文字目: 知らないフィルター「nope」", "Character 7: unknown filter \"nope\""));
    EXPECT_EQ(unclosed, Said("6 文字目の { が閉じていません。", "The { at character 6 is not closed."));
    EXPECT_TRUE(grayed);
    EXPECT_EQ(preview, "1: '/mnt/c/dir/a b.txt' {.txt}\r\n2: /mnt/c/dir/x.txt {.txt} .");
    ASSERT_EQ(nUserFormats, 1);
    EXPECT_EQ(CopyAs(COPYAS_BUILTINS), "1: '/mnt/c/dir/a b.txt' {.txt}\n2: /mnt/c/dir/x.txt {.txt} .");
    char item[64] = "";
    GetMenuStringA(GetMenu(hWndMain), IDM_COPYAS_FIRST + COPYAS_BUILTINS, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "&1 Numbered && quoted");
    EXPECT_NE(ReadFileBytes(ini).find("[Copy As 1]\r\nName=\"Numbered & quoted\"\r\nTemplate=\"{n}: {path:wsl:sh} {{{ext}}}\""
                                      "\r\nBetween=\"\\n\"\r\nBefore=\"\"\r\nAfter=\" .\""), std::string::npos) << ReadFileBytes(ini);

    // As a new start finds it, Save Option or not.
    nUserFormats = 0;
    Read_User_Formats();
    ASSERT_EQ(nUserFormats, 1);
    EXPECT_EQ(Utf8(aUserFormats[0].szAfter, lstrlenW(aUserFormats[0].szAfter)), " .");
    EXPECT_EQ(answer.seen.size(), 1u);
}

class BrokenFormatsTest : public CopyAsTest {
    std::string Profile() override
    {
        // Sections that cannot be read among those that can, one of them
        // with a template of 100,000 characters; more than the menu holds.
        std::string ini = "[Copy As 2]\r\nTemplate={path}\r\n[Copy As 3]\r\nName=Bad\r\nTemplate={bad}\r\n"
                          "[Copy As 4]\r\nName=Long\r\nTemplate=" + std::string(100000, 'x') + "\r\n";
        for (int i = 5; i < 1000; i++)
            ini += "[Copy As " + std::to_string(i) + "]\r\nName=F" + std::to_string(i) + "\r\nTemplate={n}\r\n";
        return ini + "[Copy As 1]\r\nName=First\r\nTemplate=\x01\x02{name}\r\n";
    }
};

TEST_F(BrokenFormatsTest, SectionsThatCannotBeReadAreNamedOnceAndKept)
{
    ASSERT_EQ(nUserFormats, COPYAS_USER_MAX);
    EXPECT_STREQ(aUserFormats[0].szName, L"First");
    EXPECT_STREQ(aUserFormats[1].szName, L"F5");
    DialogAnswerer answer(Press(IDOK));
    Report_Unread_Formats(hWndMain);
    Report_Unread_Formats(hWndMain);   // once
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_NE(answer.seen[0].utf8.find("[Copy As 2] " + Said("名前かテンプレートがありません", "no name or no template") +
                                       "\n[Copy As 3] " + Said("2 文字目: 知らないフィールド「bad」", "Character 2: unknown field \"bad\"") +
                                       "\n[Copy As 4] " + Said("テンプレートが 1,000 文字を超えています。",
                                       "The template is longer than 1,000 characters.")), std::string::npos) << answer.seen[0].utf8;
    // Three that cannot be read and 980 past the menu's 16: five are named.
    EXPECT_NE(answer.seen[0].utf8.find(Said("ほか 978 個", "and 978 more")), std::string::npos) << answer.seen[0].utf8;

    // OK in the dialog rewrites the formats read, and leaves the others.
    const std::string before = ReadFileBytes(ini);
    DialogAnswerer ok(Press(IDOK));
    SendMessageA(hWndMain, WM_COMMAND, IDM_COPYAS_FORMATS, 0);
    const std::string after = ReadFileBytes(ini);
    EXPECT_NE(after.find("[Copy As 3]\r\nName=Bad\r\nTemplate={bad}\r\n"), std::string::npos);
    EXPECT_NE(after.find(std::string(100000, 'x')), std::string::npos);
    EXPECT_NE(after.find("[Copy As 1]\r\nName=\"First\""), std::string::npos);
    EXPECT_NE(after.find("[Copy As 5]\r\nName=\"F5\""), std::string::npos);
    EXPECT_NE(after.find("[Copy As 30]\r\nName=F30\r\n"), std::string::npos);   // past the menu's 16: as it was
}

// Each filter, on a name holding what any of them must change, and on one
// that needs nothing of some: the rest goes as it stands.
TEST(TemplateTest, EachFilterChangesOnlyWhatItMust)
{
    const struct { std::wstring name; std::vector<const char *> templates; } cases[] = {
        {L"C:\\a b\\it's [x] & <y> \"z\",%(1)~\x2019\xD83D\xDE00\t.txt",
         {"{path:slash}", "{path:wsl}", "{path:msys}", "{path:cygwin}", "{path:url}", "{path:sh}", "{path:wsl:sh}",
          "{path:ps}", "{path:json}", "{path:q}", "{path:cmd}", "{path:md}", "{path:mdtext}", "{path:html}",
          "{path:csv}"}},
        {L"C:\\\x30C7\x30FC\x30BF\\file-1.txt", {"{path:sh}", "{path:wsl:sh}", "{path:json}", "{path:cmd}", "{path:csv}"}},
    };
    std::vector<wchar_t> scratch1(TEMPLATE_SCRATCH_CHARS), scratch2(TEMPLATE_SCRATCH_CHARS), text(4096);
    static Template tmpl;
    std::string got;
    for (const auto &c : cases)
        for (const char *t : c.templates) {
            Template_Error error;
            ASSERT_TRUE(Template_Compile(Wide(t).c_str(), &tmpl, &error)) << t;
            const Name_Row row = {c.name.c_str(), (int)c.name.size(), c.name.c_str(), (int)c.name.size(), 1, NULL};
            Text_Out out = {text.data(), text.size(), 0};
            Template_Fill(&tmpl, &row, &out, scratch1.data(), scratch2.data());
            got += std::string(t) + " " + Utf8(text.data(), (int)out.nLength) + "\n";
        }
    EXPECT_EQ(got, "{path:slash} C:/a b/it's [x] & <y> \"z\",%(1)~’😀\t.txt\n"
              "{path:wsl} /mnt/c/a b/it's [x] & <y> \"z\",%(1)~’😀\t.txt\n"
              "{path:msys} /c/a b/it's [x] & <y> \"z\",%(1)~’😀\t.txt\n"
              "{path:cygwin} /cygdrive/c/a b/it's [x] & <y> \"z\",%(1)~’😀\t.txt\n"
              "{path:url} file:///C:/a%20b/it%27s%20%5Bx%5D%20%26%20%3Cy%3E%20%22z%22%2C%25%281%29~%E2%80%99%F0%9F%98%80%09.txt\n"
              "{path:sh} 'C:\\a b\\it'\\''s [x] & <y> \"z\",%(1)~’😀\t.txt'\n"
              "{path:wsl:sh} '/mnt/c/a b/it'\\''s [x] & <y> \"z\",%(1)~’😀\t.txt'\n"
              "{path:ps} 'C:\\a b\\it''s [x] & <y> \"z\",%(1)~’’😀\t.txt'\n"
              "{path:json} \"C:\\\\a b\\\\it's [x] & <y> \\\"z\\\",%(1)~’😀\\u0009.txt\"\n"
              "{path:q} \"C:\\a b\\it's [x] & <y> \"z\",%(1)~’😀\t.txt\"\n"
              "{path:cmd} \"C:\\a b\\it's [x] & <y> \"z\",%(1)~’😀\t.txt\"\n"
              "{path:md} C:/a%20b/it's%20[x]%20&%20%3Cy%3E%20\"z\",%25%281%29~’😀\t.txt\n"
              "{path:mdtext} C:\\\\a b\\\\it's \\[x\\] & <y> \"z\",%(1)~’😀\t.txt\n"
              "{path:html} C:\\a b\\it&#39;s [x] &amp; &lt;y&gt; &quot;z&quot;,%(1)~’😀\t.txt\n"
              "{path:csv} \"C:\\a b\\it's [x] & <y> \"\"z\"\",%(1)~’😀\t.txt\"\n"
              "{path:sh} 'C:\\データ\\file-1.txt'\n"
              "{path:wsl:sh} /mnt/c/データ/file-1.txt\n"
              "{path:json} \"C:\\\\データ\\\\file-1.txt\"\n"
              "{path:cmd} C:\\データ\\file-1.txt\n"
              "{path:csv} C:\\データ\\file-1.txt\n");
}

}  // namespace
