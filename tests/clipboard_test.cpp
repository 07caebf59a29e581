// Copying the list to the real clipboard, and the two clear commands.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include <shlobj.h>
#include "GSTRLIST.H"
#include "seams.h"
#include "testutil.h"

#include <algorithm>

namespace {

class ClipboardTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        SetClipboardText("before");
    }
    LRESULT Command(WPARAM id) { return SendMessageA(hWndMain, WM_COMMAND, id, 0); }
};

TEST_F(ClipboardTest, DropWithDirectCopyPutsFullPathsOnTheClipboard)
{
    ASSERT_EQ(direct_copy_on, 1u);   // the default
    seam::systemLcid = 0x0419;   // a system locale Windows would not stamp by itself
    const std::vector<std::string> names = {"C:\\A\\x.txt", "C:\\B\\y.doc", "C:\\データ\\表.txt"};
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW(names), 0);
    EXPECT_EQ(ClipboardText(), "before") << "the copy is posted, not called";
    Pump();
    EXPECT_EQ(ClipboardText(), "C:\\A\\x.txt\nC:\\B\\y.doc\n" + Sjis("C:\\データ\\表.txt"));
    EXPECT_EQ(ClipboardUnicode(), "C:\\A\\x.txt\nC:\\B\\y.doc\nC:\\データ\\表.txt");
    // The locale of the names' code page, placed with the text rather than
    // stamped by Windows from the input language.
    LCID locale;
    const std::vector<UINT> formats = ClipboardFormats(&locale);
    ASSERT_GE(formats.size(), 3u);
    EXPECT_EQ(formats[2], (UINT)CF_LOCALE);
    EXPECT_EQ(locale, 0x0419u);

    Drop({"C:\\one.txt"});
    EXPECT_EQ(ClipboardText(), "C:\\one.txt");   // no line end after the last
}

TEST_F(ClipboardTest, PasteTakesCopiedFilesAsADrop)
{
    // An empty clipboard: nothing to paste, and Ctrl+V is gray.
    ASSERT_TRUE(OpenClipboard(hWndMain));
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(hWndMain, WM_INITMENU, (WPARAM)GetMenu(hWndMain), 0);
    EXPECT_TRUE(Grayed(IDM_PASTE));

    // Blocks another program got wrong: nothing is read outside them, and
    // what has no end is told of as one name.  (The second block's last
    // name runs to its end; the bytes beyond it are not zero.)
    DialogAnswerer answer(Press(IDOK));
    HGLOBAL bad = seam::RealGlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + 8);
    ((DROPFILES *)GlobalLock(bad))->pFiles = 0xFFFFFFF0;
    GlobalUnlock(bad);
    HGLOBAL unended = seam::RealGlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + 64);
    DROPFILES *df = (DROPFILES *)GlobalLock(unended);
    memset(df, 'A', sizeof(DROPFILES) + 64);
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    memcpy(df + 1, L"C:\\x\0C:\\y", 18);
    GlobalUnlock(unended);
    unended = GlobalReAlloc(unended, sizeof(DROPFILES) + 18, 0);   // the 'A's stay beyond it
    for (HGLOBAL block : {bad, unended}) {
        ASSERT_TRUE(OpenClipboard(hWndMain));
        EmptyClipboard();
        SetClipboardData(CF_HDROP, block);
        CloseClipboard();
        Command(IDM_PASTE);
        Pump();
    }
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{"C:\\x"});
    ASSERT_EQ(answer.seen.size(), 2u);
    for (const DialogSeen &box : answer.seen) {
        EXPECT_NE(box.utf8.find(Said("ファイル名にならない名前: 1 個", "Not a file name: 1")), std::string::npos) << box.utf8;
        EXPECT_EQ(box.utf8.find(Said("ほか", "more")), std::string::npos) << box.utf8;   // none was shown
    }

    // Files copied in a folder window: the shell's drop block.
    const std::string over = "C:\\" + std::string(253, 'o');
    ASSERT_TRUE(OpenClipboard(hWndMain));
    EmptyClipboard();
    SetClipboardData(CF_HDROP, MakeDropW({"C:\\A\\x.txt", over, "C:\\B\\y.doc"}));
    HGLOBAL effect = seam::RealGlobalAlloc(GMEM_MOVEABLE, sizeof(DWORD));
    *(DWORD *)GlobalLock(effect) = DROPEFFECT_MOVE;   // the files were cut
    GlobalUnlock(effect);
    SetClipboardData(RegisterClipboardFormatA(SZ_DROP_EFFECT), effect);
    CloseClipboard();
    SendMessageA(hWndMain, WM_INITMENU, (WPARAM)GetMenu(hWndMain), 0);
    EXPECT_FALSE(Grayed(IDM_PASTE));
    Command(IDM_PASTE);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\A\\x.txt", over, "C:\\B\\y.doc"}));
    EXPECT_EQ(Caption(), "Tamsel32 3-Files");
    EXPECT_EQ(answer.seen.size(), 2u);
    // Direct copy: the names go beside the files, which a folder window
    // can still paste (and, cut, move).
    EXPECT_EQ(ClipboardText(), "C:\\A\\x.txt\n" + over + "\nC:\\B\\y.doc");
    ASSERT_TRUE(OpenClipboard(hWndMain));
    HANDLE files = GetClipboardData(CF_HDROP), kept = GetClipboardData(RegisterClipboardFormatA(SZ_DROP_EFFECT));
    EXPECT_EQ(files ? DragQueryFileW((HDROP)files, 0xFFFFFFFF, NULL, 0) : 0u, 3u);
    EXPECT_EQ(kept ? *(DWORD *)GlobalLock(kept) : 0u, (DWORD)DROPEFFECT_MOVE);
    CloseClipboard();

    // Without direct copy the clipboard keeps the files, and only them.
    direct_copy_on = 0;
    ASSERT_TRUE(OpenClipboard(hWndMain));
    EmptyClipboard();
    SetClipboardData(CF_HDROP, MakeDropW({"C:\\C\\z.txt"}));
    CloseClipboard();
    Command(IDM_PASTE);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{"C:\\C\\z.txt"});
    LCID locale;
    EXPECT_EQ(ClipboardFormats(&locale), std::vector<UINT>{CF_HDROP});
}

// CF_UNICODETEXT as another program places it, which the program reads:
// the UTF-8 given, ended by its NUL, or not, with 'A's beyond its block.
HGLOBAL TextBlock(const std::string &utf8, bool ended)
{
    const std::wstring w = Wide(utf8) + (ended ? L"" : L"AAAA");
    HGLOBAL h = seam::RealGlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(h), w.c_str(), (w.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(h);
    return ended ? h : GlobalReAlloc(h, (w.size() - 4) * sizeof(wchar_t), 0);
}

TEST_F(ClipboardTest, PasteOfTextTakesEveryPathItNamesAndSaysWhatItLeftOut)
{
    // Lines from an editor: quoted items keep their blanks, bare lines are
    // trimmed, two bare paths on a line are two; either slash, file: URLs
    // (the program's own among them) and %VARIABLE% parts are paths.  What
    // names nothing is counted, with its first characters; the last line
    // needs no line end.  Direct copy off: the clipboard keeps what it had.
    direct_copy_on = 0;
    auto Paste = [&](const std::string &utf8, bool ended) {
        seam::clipboardUnicode = TextBlock(utf8, ended);
        Command(IDM_PASTE);
        Pump();
        GlobalFree(seam::clipboardUnicode);
        seam::clipboardUnicode = 0;
    };
    const std::string dir = ShortDir(), file = dir + "a.txt", jp = dir + "資料 ①.txt";
    std::string slashed = file, slashedJp = jp;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::replace(slashedJp.begin(), slashedJp.end(), '\\', '/');
    ASSERT_TRUE(WriteFileBytes(jp, "x"));
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    file_url_on = 1;
    Drop({jp});
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    file_url_on = 0;
    const std::string ownUrl = ClipboardUnicode();
    SetClipboardText("before");
    SetEnvironmentVariableA("TAMSEL_DIR", dir.substr(0, dir.size() - 1).c_str());
    DialogAnswerer answer(Press(IDOK));
    Paste("\"" + file + "\" \"" + dir + "no such file\"\r\n  " + dir + "  \n" + ownUrl + "\nSee the list below:\r\n" +
          slashed + " " + slashedJp + "\n%TAMSEL_DIR%\\a.txt " + jp + "\nFile:///" +
          slashed.substr(0, slashed.size() - 6) + "%2Fa.txt\nfile://LOCALHOST/" + slashed + "\n" + jp +
          std::string(1000000, ' '), true);   // a million blanks, each looked at once
    const std::string folder = dir.substr(0, dir.size() - 1);
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{file, folder, jp, file, jp, file, jp, file, file, jp}));
    EXPECT_EQ(ClipboardText(), "before");
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].utf8, Said("2 個の名前はリストに入れられません。\n\n・ファイル名にならない名前: 1 個\n・見つからない名前: 1 個\n",
                                        "2 of the names cannot go into the list.\n\n- Not a file name: 1\n- Not found: 1\n") +
                                   "\n" + dir + "no such file\nSee the list below:");

    // A text that names no file or folder changes nothing, and says so;
    // so does a URL no Windows path has.  A text without its NUL is read
    // to its block's end and no further.
    const std::vector<std::string> before = ReadList(hFNameTopList);
    for (const char *none : {"C:\\Windows is where the system lives.", "file:///etc/passwd"}) {
        Paste(none, true);
        EXPECT_EQ(ReadList(hFNameTopList), before);
    }
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[1].utf8, Said("クリップボードにファイルやフォルダーの名前はありません。\n\n・見つからない名前: 1 個\n",
                                        "The clipboard names no file or folder.\n\n- Not found: 1\n") +
                                   "\nC:\\Windows is where the system lives");   // as Windows reads it
    EXPECT_NE(answer.seen[2].utf8.find("file:///etc/passwd"), std::string::npos) << answer.seen[2].utf8;
    Paste(file, false);
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{file});

    // Windows 95 and 98 put only CF_TEXT, in the code page.
    seam::win9x = true;
    SetClipboardText(Sjis(jp.c_str()));
    Command(IDM_PASTE);
    Pump();
    seam::win9x = false;
    EXPECT_EQ(ReadList(hFNameTopList), std::vector<std::string>{jp});
    EXPECT_EQ(answer.seen.size(), 3u);
    DeleteFileW(Wide(jp).c_str());
    DeleteFileW(Wide(file).c_str());
}

TEST_F(ClipboardTest, QuotesCrLfAndFileUrlsOnTheClipboardAndInTheFile)
{
    direct_copy_on = 0;
    Drop({"C:\\My Files\\a b.txt", "\\\\server\\share\\x.txt", "C:\\データ\\日本.txt"});
    quotes_on = crlf_on = 1;
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardUnicode(), "\"C:\\My Files\\a b.txt\"\r\n\"\\\\server\\share\\x.txt\"\r\n\"C:\\データ\\日本.txt\"");
    quotes_on = crlf_on = 0;
    file_url_on = 1;
    const std::string urls = "file:///C:/My%20Files/a%20b.txt\nfile://server/share/x.txt\n"
                             "file:///C:/%E3%83%87%E3%83%BC%E3%82%BF/%E6%97%A5%E6%9C%AC.txt";
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardUnicode(), urls);
    EXPECT_EQ(ClipboardText(), urls);
    name_only_on = 1;   // a name alone: a relative URL
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardUnicode(), "a%20b.txt\nx.txt\n%E6%97%A5%E6%9C%AC.txt");

    // The saved file: the same forms, with CR LF whatever the option says.
    const std::wstring saved = Wide(ExeDir() + "options.txt");
    lstrcpyW(szFName, saved.c_str());
    DeleteFileW(saved.c_str());
    name_only_on = 0;
    quotes_on = 1;
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_EQ(ReadFileBytes(Utf8(saved.c_str(), (int)saved.size())),
              "\"file:///C:/My%20Files/a%20b.txt\"\r\n\"file://server/share/x.txt\"\r\n"
              "\"file:///C:/%E3%83%87%E3%83%BC%E3%82%BF/%E6%97%A5%E6%9C%AC.txt\"");
    DeleteFileW(saved.c_str());

    // Nine characters a name's character: longer than the copy first makes room for.
    quotes_on = 0;
    std::string kanji = "C:\\", url = "file:///C:/";
    for (int i = 0; i < 100; i++) {
        kanji += "日";
        url += "%E6%97%A5";
    }
    Drop({kanji});
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardUnicode(), url);
}

TEST_F(ClipboardTest, DropWithoutDirectCopyLeavesTheClipboard)
{
    direct_copy_on = 0;
    Drop({"C:\\A\\x.txt", "C:\\B\\y.doc"});
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(Command(IDM_NAMECOPY), 0);
    EXPECT_EQ(ClipboardText(), "C:\\A\\x.txt\nC:\\B\\y.doc");
}

TEST_F(ClipboardTest, NameOnlyCopiesFileNameParts)
{
    direct_copy_on = 0;
    name_only_on = 1;
    // 表 ends in the byte 0x5C: it is no backslash.
    Drop({"C:\\A\\x.txt", "D:\\", "C:\\データ\\表.txt", "E:\\", "C:\\B\\y.doc"});
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardText(), "x.txt\n" + Sjis("表.txt") + "\ny.doc");

    // A first name with an empty part is still taken.
    Drop({"D:\\", "C:\\A\\x.txt"});
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardText(), "\nx.txt");

    // Full paths copy a drive root as it is.
    name_only_on = 0;
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardText(), "D:\\\nC:\\A\\x.txt");
}

TEST_F(ClipboardTest, NameCopyWithNoNamesOnlySaysSo)
{
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(Command(IDM_NAMECOPY), 0);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, "No File name!!");
    EXPECT_EQ(answer.seen[0].caption, "FILE NAME COPY");
    EXPECT_EQ(answer.seen[0].icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_FALSE(answer.seen[0].hasCancel);
    EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(ClipboardTest, ClipboardHeldElsewhereLeavesItAndLeaksNothing)
{
    direct_copy_on = 0;
    Drop({"C:\\a", "C:\\b"});
    size_t blocks = seam::LiveBlocks();
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.holding);
        SendMessageA(hWndMain, WM_INITMENU, (WPARAM)GetMenu(hWndMain), 0);
        EXPECT_FALSE(Grayed(IDM_PASTE)) << "Paste's gray state asks only which formats there are";
        DialogAnswerer answer(Press(IDOK));
        EXPECT_EQ(Copy_Clipboard(hWndMain), 0);
        EXPECT_EQ(ClipBoardClear(hWndMain), 0);
        Command(IDM_PASTE);
        ASSERT_EQ(answer.seen.size(), 4u);
        // Busy, not short of memory: worth another try.
        const std::string busy = Said("クリップボードは他のプログラムが使用中です。もう一度お試しください。",
                                      "Another program is using the clipboard. Try again.");
        EXPECT_EQ(answer.seen[0].utf8, busy);
        EXPECT_EQ(answer.seen[1].utf8, Said("クリップボードをクリアーします", "The clipboard will be cleared."));
        EXPECT_EQ(answer.seen[2].utf8, busy);
        EXPECT_EQ(answer.seen[2].caption, "Tamsel32");
        EXPECT_EQ(answer.seen[3].utf8, busy);
    }
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(seam::LiveBlocks(), blocks);
    DialogAnswerer none(Press(IDOK));
    {
        ClipboardHolder briefly(50);   // as a clipboard manager does
        ASSERT_TRUE(briefly.holding);
        EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    }
    EXPECT_EQ(none.seen.size(), 0u);
    EXPECT_EQ(ClipboardText(), "C:\\a\nC:\\b");
    EXPECT_EQ(ReadList(hFNameTopList).size(), 2u);

    // The text kept for the code page's form goes once that is made, or
    // once a copy, another program's or the next one, empties the clipboard.
    for (int end : {0, 1, 2}) {
        EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
        const HGLOBAL kept = (HGLOBAL)GetPropA(hWndMain, "Tamsel32 CF_TEXT source");
        EXPECT_TRUE(seam::IsLive(kept)) << end;
        if (end == 0)
            EXPECT_EQ(ClipboardText(), "C:\\a\nC:\\b");
        else if (end == 1)
            SetClipboardText("another program's");
        else
            EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
        EXPECT_FALSE(seam::IsLive(kept)) << end;
    }
}

TEST_F(ClipboardTest, MemoryRunningOutLeavesTheClipboard)
{
    direct_copy_on = 0;
    Drop({"C:\\a", "C:\\b", "C:\\c"});
    size_t blocks = seam::LiveBlocks();
    DialogAnswerer answer(Press(IDOK));

    // No room for the Unicode text, or for its ANSI form (which Windows
    // would make with look-alikes): the clipboard keeps what it holds.
    for (int budget : {0, 1}) {
        seam::allocsBeforeFailure = budget;
        EXPECT_EQ(Copy_Clipboard(hWndMain), 0);
        seam::allocsBeforeFailure = -1;
        EXPECT_EQ(ClipboardText(), "before");
        EXPECT_EQ(seam::LiveBlocks(), blocks);
    }
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].text, Sjis("メモリが足りません"));

    // A copy longer than the clipboard can take: 65,537 names of the
    // longest length, whose count would wrap a 32-bit size, refused with
    // the memory box.  (One text block for all, and nodes past the handle
    // limit: fixed blocks.)
    const std::wstring longest(NAME_MAX_CHARS, 'n');
    HGLOBAL text = seam::RealGlobalAlloc(GMEM_FIXED, (longest.size() + 1) * sizeof(WCHAR)), list = hFNameTopList;
    memcpy(text, longest.c_str(), (longest.size() + 1) * sizeof(WCHAR));
    hFNameTopList = 0;
    for (int i = 0; i < 65537; i++) {   // built from the tail; a fixed block is its own handle
        NameList *node = (NameList *)seam::RealGlobalAlloc(GMEM_FIXED, sizeof(NameList));
        *node = NameList{0, text, hFNameTopList};
        hFNameTopList = (HGLOBAL)node;
    }
    EXPECT_EQ(Copy_Clipboard(hWndMain), 0);
    for (HGLOBAL node = hFNameTopList, next; node; node = next) {
        next = ((NameList *)node)->hnext;
        GlobalFree(node);
    }
    GlobalFree(text);
    hFNameTopList = list;
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[2].text, Sjis("メモリが足りません"));
    EXPECT_EQ(ClipboardText(), "before");
    EXPECT_EQ(seam::LiveBlocks(), blocks);

    // The code page's form is made when a reader asks for it: memory that
    // runs out then leaves that reader without it, and no box in its way.
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    seam::allocsBeforeFailure = 0;
    EXPECT_EQ(ClipboardText(), "<none>");
    seam::allocsBeforeFailure = -1;
    EXPECT_EQ(ClipboardUnicode(), "C:\\a\nC:\\b\nC:\\c");
    EXPECT_EQ(answer.seen.size(), 3u);
}

TEST_F(ClipboardTest, TamselClearConfirmedEmptiesEverything)
{
    direct_copy_on = 0;
    const std::vector<std::string> names = LongNames(30);
    Drop(names);
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(Command(IDM_TAMSELCLEAR), 0);
    Pump();

    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, Sjis(Said("タムセルをクリアーします", "The list will be cleared.").c_str()));
    EXPECT_EQ(answer.seen[0].caption, "Tamsel Clear !!");
    EXPECT_EQ(answer.seen[0].icon, (UINT)MB_ICONQUESTION);
    EXPECT_TRUE(answer.seen[0].hasOk && answer.seen[0].hasCancel);
    EXPECT_EQ(hFNameTopList, nullptr);
    EXPECT_EQ(TotalNumberOfFiles, 0u);
    EXPECT_EQ(seam::LiveBlocks(), History_Steps(NULL));   // the list set aside for Undo, one block a step
    EXPECT_EQ(Caption(), " Tamsel32 ");
    EXPECT_TRUE(Grayed(IDM_NAMECOPY));
    EXPECT_TRUE(Grayed(IDM_SAVE));
    EXPECT_EQ(nVscrollPos, 0);
    EXPECT_EQ(nVscrollMax, 0);
    EXPECT_EQ(nHscrollMax, 0);
    EXPECT_EQ(ClipboardText(), "before");

    // A later font command has no width left to scroll over.
    DialogAnswerer cancelFont(Press(IDCANCEL));
    Command(IDM_FONT);
    EXPECT_EQ(nHscrollMax, 0);
}

TEST_F(ClipboardTest, TamselClearDeclinedKeepsNamesAndGoesToTheTop)
{
    direct_copy_on = 0;
    const std::vector<std::string> names = LongNames(30);
    Drop(names);
    SendMessageA(hWndMain, WM_VSCROLL, SB_BOTTOM, 0);
    SendMessageA(hWndMain, WM_HSCROLL, SB_PAGERIGHT, 0);
    int hMax = nHscrollMax;
    ASSERT_GT(hMax, 0);

    DialogAnswerer answer(Press(IDCANCEL));
    Command(IDM_TAMSELCLEAR);
    Pump();
    EXPECT_EQ(TotalNumberOfFiles, 30u);
    EXPECT_EQ(ReadList(hFNameTopList), names);
    EXPECT_EQ(Caption(), "Tamsel32 30-Files");
    EXPECT_FALSE(Grayed(IDM_NAMECOPY));
    EXPECT_EQ(nVscrollPos, 0);
    EXPECT_EQ(nHscrollPos, 0);
    EXPECT_EQ(nHscrollMax, hMax);   // the long names can still be scrolled to
}

TEST_F(ClipboardTest, ClipBoardClearAsksFirst)
{
    {
        DialogAnswerer answer(Press(IDCANCEL));
        EXPECT_EQ(ClipBoardClear(hWndMain), 1);
        ASSERT_EQ(answer.seen.size(), 1u);
        EXPECT_EQ(answer.seen[0].caption, "Clip Board Clear !!");
        EXPECT_EQ(answer.seen[0].icon, (UINT)MB_ICONQUESTION);
        EXPECT_EQ(ClipboardText(), "before");
    }
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_CLIPCLEAR, 0), 0);
    EXPECT_EQ(ClipboardText(), "<none>");
}

}  // namespace
