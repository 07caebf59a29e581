// Saving the list through the real file dialog to real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <cderr.h>

#include "TAMSEL.H"
#include "GSTRLIST.H"
#include "seams.h"
#include "testutil.h"

namespace {

// Types a path into the file dialog's name field and presses OK.
void TypeAndOpen(HWND dlg, const std::string &path)
{
    HWND field = GetDlgItem(dlg, 0x47c);   // cmb13: the name combo
    if (field) {
        HWND edit = FindWindowExA(field, NULL, "Edit", NULL);
        if (edit)
            field = edit;
    } else {
        field = GetDlgItem(dlg, 0x480);    // edt1
    }
    SetWindowTextA(field, path.c_str());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dlg, IDOK));
}

class SaveTest : public MainWindowTest {
protected:
    std::string dir, target;
    std::vector<std::string> extraFiles;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        direct_copy_on = 0;
        dir = ExeDir() + "saved\\";
        CreateDirectoryA(dir.c_str(), NULL);
        target = dir + "list.txt";
        Clean(target);
    }
    void TearDown() override
    {
        Clean(target);
        for (const std::string &f : extraFiles)
            Clean(f);
        MainWindowTest::TearDown();
    }
    static void Clean(const std::string &f)
    {
        SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(f.c_str());
    }
    void SetTarget(const std::string &path) { lstrcpynW(szFName, Wide(path).c_str(), 256); }
    std::string Target() { return Utf8(szFName, lstrlenW(szFName)); }
    // Answers the file dialog with a path and every question box with
    // `answer`.
    std::function<void(HWND)> Answers(const std::string &path, int answer = IDOK)
    {
        return [path, answer](HWND dlg) {
            char caption[256];
            GetWindowTextA(dlg, caption, sizeof caption);
            if (!strcmp(caption, "Save Name"))
                TypeAndOpen(dlg, path);
            else
                PostMessageA(dlg, WM_COMMAND, answer, 0);
        };
    }
    // Save As through the dialog, answering it with path.
    void SaveAs(const std::string &path)
    {
        DialogAnswerer answer(Answers(path));
        SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEAS, 0);
        Pump();
    }
};

TEST_F(SaveTest, SaveAsWritesCrLfBetweenNamesAndNothingAfterTheLast)
{
    const struct { std::vector<std::string> names; std::string bytes; } cases[] = {
        {{"C:\\A\\x.txt"}, "C:\\A\\x.txt"},
        {{"C:\\A\\x.txt", "C:\\B\\y.doc"}, "C:\\A\\x.txt\r\nC:\\B\\y.doc"},
        {{"C:\\A\\x.txt", "C:\\データ\\表.txt", "C:\\B\\y.doc"},
         "C:\\A\\x.txt\r\n" + Sjis("C:\\データ\\表.txt") + "\r\nC:\\B\\y.doc"},
    };
    char before[MAX_PATH], after[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, before);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.names.size());
        Clean(target);
        Drop(c.names);
        DialogAnswerer answer(Answers(target));
        EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEAS, 0), 0);
        Pump();
        ASSERT_GE(answer.seen.size(), 1u);
        EXPECT_EQ(answer.seen[0].caption, "Save Name");
        EXPECT_EQ(answer.seen.size(), 1u) << "no question for a new file";
        EXPECT_EQ(ReadFileBytes(target), c.bytes);
        EXPECT_EQ(Target(), target);
    }
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "the folder saved to is not left current";
    // Windows 95 and 98 have the wide dialog, CreateFileW and the current
    // folder's calls as stubs: the ANSI ones serve, and the folder saved to
    // is not left current there either.
    seam::win9x = true;
    Clean(target);
    SaveAs(target);
    seam::win9x = false;
    EXPECT_EQ(ReadFileBytes(target), cases[2].bytes);
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}

TEST_F(SaveTest, EveryNameIsKeptExactlyOnTheClipboardAndInTheFile)
{
    // Names in any script and of any length, dropped and pasted, are the
    // list as given.  The clipboard's Unicode text is exact; its ANSI text
    // has the code page's default character where a name does not fit,
    // never a look-alike; the file is in the code page where it holds
    // every name, and UTF-8 with a byte-order mark where it does not.
    std::string japanese = "C:\\";
    for (const char *folder : {"営業部", "二〇二六年度", "顧客別の見積書と請求書", "株式会社サンプル商事", "最終版"})
        japanese += std::string(folder) + "\\";
    while (Wide(japanese).size() < 153)
        japanese += "報";
    japanese += ".txt";
    ASSERT_EQ(Wide(japanese).size(), 157u);
    const std::vector<std::string> names = {"C:\\plain\\report.txt", "C:\\データ\\表.txt", "C:\\uni\\café.txt",
        "C:\\uni\\grin 😀.txt", "C:\\uni\\한국어.txt", "C:\\uni\\report¥draft.txt", japanese,
        "C:\\" + std::string(297, 'x') + ".txt"};
    std::string lf, crlf, parts, partsLf;
    for (const std::string &n : names) {
        lf += (lf.empty() ? "" : "\n") + n;
        crlf += (crlf.empty() ? "" : "\r\n") + n;
        parts += (parts.empty() ? "" : "\r\n") + n.substr(n.rfind('\\') + 1);
        partsLf += (partsLf.empty() ? "" : "\n") + n.substr(n.rfind('\\') + 1);
    }
    DialogAnswerer answer(Press(IDOK));
    for (bool pasted : {false, true}) {
        SCOPED_TRACE(pasted ? "pasted" : "dropped");
        if (pasted) {
            ASSERT_TRUE(OpenClipboard(hWndMain));
            EmptyClipboard();
            SetClipboardData(CF_HDROP, MakeDropW(names));
            CloseClipboard();
            SendMessageA(hWndMain, WM_COMMAND, IDM_PASTE, 0);
        } else {
            SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW(names), 0);
        }
        Pump();
        EXPECT_EQ(TotalNumberOfFiles, 8u);
        EXPECT_EQ(ReadList(hFNameTopList), names);
    }
    EXPECT_EQ(answer.seen.size(), 0u) << "nothing left out";
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardUnicode(), lf);
    const std::string ansi = ClipboardText();
    const std::string start = "C:\\plain\\report.txt\n" + Sjis("C:\\データ\\表.txt") + "\nC:\\uni\\caf?.txt\n";
    EXPECT_EQ(ansi.substr(0, start.size()), start);
    EXPECT_NE(ansi.find("\nC:\\uni\\grin ?"), std::string::npos) << ansi;
    EXPECT_NE(ansi.find("\nC:\\uni\\report?draft.txt\n" + Sjis(japanese.c_str()) + "\n"), std::string::npos) << ansi;

    SetTarget(target);
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_TRUE(ReadFileBytes(target) == "\xEF\xBB\xBF" + crlf);
    name_only_on = 1;
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_EQ(ReadFileBytes(target), "\xEF\xBB\xBF" + parts);
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardUnicode(), partsLf);

    // A list the code page holds is saved in it, as ever; so is an ANSI
    // drop block's (Windows 95 and 98), read from the code page.
    name_only_on = 0;
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropA({Sjis("C:\\データ\\表.txt"), "C:\\A\\x.txt"}), 0);
    Pump();
    EXPECT_EQ(ReadList(hFNameTopList), (std::vector<std::string>{"C:\\データ\\表.txt", "C:\\A\\x.txt"}));
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_EQ(ReadFileBytes(target), Sjis("C:\\データ\\表.txt") + "\r\nC:\\A\\x.txt");

    // A lone half of a pair, which NTFS allows and UTF-8 cannot hold: the
    // file is UTF-16 LE, exact; as URLs, the list is ASCII, with no mark.
    Drop({"C:\\x\x01\\y.txt", "C:\\uni\\한국어.txt"});
    EXPECT_EQ(NameSave(hWndMain), 1);
    const std::wstring wide = L"\xFEFF" L"C:\\x\xD800" L"\\y.txt\r\nC:\\uni\\" + Wide("한국어") + L".txt";
    EXPECT_TRUE(ReadFileBytes(target) == std::string((const char *)wide.data(), wide.size() * 2));
    file_url_on = 1;
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_EQ(ReadFileBytes(target), "file:///C:/x%ED%A0%80/y.txt\r\nfile:///C:/uni/%ED%95%9C%EA%B5%AD%EC%96%B4.txt");
    file_url_on = 0;

    // Windows NT 4 and 95 refuse the no-best-fit flag: each character is
    // converted alone, and one that does not come back as itself is the
    // default character; a lone half of a pair takes nothing after it.
    seam::noBestFitFlag = true;
    Drop({"C:\\uni\\report¥draft.txt", "C:\\x\x01\\y.txt", "C:\\データ\\表.txt"});
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_EQ(ClipboardText(), "C:\\uni\\report?draft.txt\nC:\\x?\\y.txt\n" + Sjis("C:\\データ\\表.txt"));
}

TEST_F(SaveTest, SaveDialogSaysSaveAndABareNameGetsTxt)
{
    std::string ok[2];
    for (int in_out : {0, 1}) {
        DialogAnswerer dialog([&](HWND dlg) {
            char text[64] = "";
            GetDlgItemTextA(dlg, IDOK, text, sizeof text);
            ok[in_out] = text;
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        CMUFileBox(hWndMain, "Save Name", in_out);
    }
    EXPECT_NE(ok[1], ok[0]) << "the Save dialog's button is the Open dialog's: " << ok[1];
    Drop({"C:\\A\\x.txt"});
    extraFiles.push_back(dir + "bare.txt");
    SaveAs(dir + "bare");
    EXPECT_EQ(ReadFileBytes(dir + "bare.txt"), "C:\\A\\x.txt");
    seam::win9x = true;   // the ANSI dialog of Windows 95 and 98
    extraFiles.push_back(dir + "bare9x.txt");
    SaveAs(dir + "bare9x");
    seam::win9x = false;
    EXPECT_EQ(ReadFileBytes(dir + "bare9x.txt"), "C:\\A\\x.txt");
}

TEST_F(SaveTest, NameOnlyWritesEveryNameEvenAnEmptyPart)
{
    name_only_on = 1;
    Drop({"D:\\", "C:\\A\\x.txt", "E:\\", "C:\\データ\\表.txt"});
    SaveAs(target);
    EXPECT_EQ(ReadFileBytes(target), "\r\nx.txt\r\n\r\n" + Sjis("表.txt"));

    // The option is read at the moment of saving.
    name_only_on = 0;
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_EQ(ReadFileBytes(target), "D:\\\r\nC:\\A\\x.txt\r\nE:\\\r\n" + Sjis("C:\\データ\\表.txt"));
}

TEST_F(SaveTest, ExistingFileIsOverwrittenOnlyAfterTheQuestion)
{
    ASSERT_TRUE(WriteFileBytes(target, "old contents"));
    Drop({"C:\\A\\x.txt", "C:\\B\\y.doc"});
    {
        DialogAnswerer answer(Answers(target, IDCANCEL));
        SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEAS, 0);
        Pump();
        ASSERT_EQ(answer.seen.size(), 2u);
        EXPECT_EQ(answer.seen[1].caption, "Save To [ list.txt ]");
        EXPECT_EQ(answer.seen[1].text, Sjis(Said("上書きします、よろしいですか？", "The file exists. Overwrite it?").c_str()));
        EXPECT_EQ(answer.seen[1].icon, (UINT)MB_ICONQUESTION);
        EXPECT_TRUE(answer.seen[1].hasCancel);
        EXPECT_EQ(ReadFileBytes(target), "old contents");
    }
    // Ctrl+S reuses the target: no file dialog, the question again.
    DialogAnswerer answer(Answers(target, IDOK));
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG ctrlS = {hWndMain, WM_KEYDOWN, 'S', 1, 0, {0, 0}};
    EXPECT_TRUE(Main_Window_Key(LoadAcceleratorsA(GetModuleHandleA(NULL), "TAMSEL32"), &ctrlS));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    Pump();
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "Save To [ list.txt ]");
    EXPECT_EQ(ReadFileBytes(target), "C:\\A\\x.txt\r\nC:\\B\\y.doc");
}

TEST_F(SaveTest, SaveWithoutTargetOpensTheDialogAndCancelWritesNothing)
{
    Drop({"C:\\A\\x.txt"});
    DialogAnswerer answer(Press(IDCANCEL));
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVE, 0);
    EXPECT_TRUE(answer.seen.empty()) << "Save As is posted, not called";
    Pump();
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "Save Name");
    EXPECT_EQ(Target(), "");
    EXPECT_FALSE(FileExists(target));
}

TEST_F(SaveTest, NothingToSaveDoesNothing)
{
    DialogAnswerer answer(Press(IDCANCEL));
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEAS, 0);
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVE, 0);
    Pump();
    EXPECT_TRUE(answer.seen.empty());
}

TEST_F(SaveTest, ReadOnlyTargetGivesTheFileErrorAndStaysAsItWas)
{
    ASSERT_TRUE(WriteFileBytes(target, "keep me"));
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    Drop({"C:\\A\\x.txt"});
    SetTarget(target);
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(NameSave(hWndMain), 0);
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].text, Sjis("書き込みに失敗しました"));
    EXPECT_EQ(answer.seen[1].caption, Sjis("ファイルエラー "));
    EXPECT_EQ(answer.seen[1].icon, (UINT)MB_ICONEXCLAMATION);
    EXPECT_EQ(ReadFileBytes(target), "keep me");
}

TEST_F(SaveTest, FileHeldOpenByAnotherProgramGivesTheFileError)
{
    ASSERT_TRUE(WriteFileBytes(target, "held"));
    HANDLE other = CreateFileA(target.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    Drop({"C:\\A\\x.txt"});
    SetTarget(target);
    DialogAnswerer answer(Press(IDOK));
    EXPECT_EQ(NameSave(hWndMain), 0);
    CloseHandle(other);
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[1].text, Sjis("書き込みに失敗しました"));
    EXPECT_EQ(ReadFileBytes(target), "held");
}

TEST_F(SaveTest, DiskFillingUpStopsTheSaveReportsItOnceAndFails)
{
    // Enough names for several writes; the disk fills up at the second.
    Drop(LongNames(2000, 100));
    SetTarget(target);
    DialogAnswerer answer(Press(IDOK));
    seam::writesBeforeFailure = 1;
    EXPECT_EQ(NameSave(hWndMain), 0);
    const int writes = seam::writes;
    seam::writesBeforeFailure = -1;

    EXPECT_EQ(writes, 2) << "no write after the failed one";
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, Sjis("書き込みに失敗しました"));
    EXPECT_EQ(answer.seen[0].caption, Sjis("ファイルエラー "));
    EXPECT_EQ(answer.seen[0].icon, (UINT)MB_ICONEXCLAMATION);
    const std::string kept = ReadFileBytes(target);
    EXPECT_GT(kept.size(), 0u);   // what was written before stays
    const std::string first = LongNames(1, 100)[0] + "\r\n";
    EXPECT_EQ(kept.substr(0, first.size()), first);

    // A write that takes only part of its block fails the save as well.
    seam::shortWrites = true;
    EXPECT_EQ(NameSave(hWndMain), 0);
    seam::shortWrites = false;
    ASSERT_EQ(answer.seen.size(), 3u);   // the overwrite question, then the box
    EXPECT_EQ(answer.seen[2].caption, Sjis("ファイルエラー "));
}

TEST_F(SaveTest, PathLongerThanTheOldFileRecordSaves)
{
    std::string deep = dir;
    for (int i = 0; deep.size() < 150; i++) {
        deep += "level-" + std::to_string(i) + "-of-a-deep-folder\\";
        CreateDirectoryA(deep.c_str(), NULL);
    }
    std::string path = deep + "names.txt";
    extraFiles.push_back(path);
    ASSERT_GT(path.size(), 128u);
    Drop({"C:\\A\\x.txt", "C:\\B\\y.doc"});
    SaveAs(path);
    EXPECT_EQ(ReadFileBytes(path), "C:\\A\\x.txt\r\nC:\\B\\y.doc");

    // And the existence test sees it: the question comes the second time.
    DialogAnswerer answer(Press(IDCANCEL));
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVE, 0);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "Save To [ names.txt ]");
}

TEST_F(SaveTest, LongFileNameIsCutInTheQuestionsCaption)
{
    std::string name(250, 'n');
    std::string path = "C:\\" + name;
    extraFiles.push_back(path);
    ASSERT_TRUE(WriteFileBytes(path, "x"));
    Drop({"C:\\A\\x.txt"});
    SetTarget(path);
    DialogAnswerer answer(Press(IDCANCEL));
    EXPECT_EQ(NameSave(hWndMain), 0);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "Save To [ " + name.substr(0, 243) + " ]");
    EXPECT_EQ(ReadFileBytes(path), "x");
}

TEST_F(SaveTest, EmptyListWritesAnEmptyFile)
{
    Drop({"C:\\A\\x.txt"});
    HGLOBAL hList = hFNameTopList;
    hFNameTopList = 0;   // as after a drop whose first name could not be stored
    SetTarget(target);
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_TRUE(FileExists(target));
    EXPECT_EQ(ReadFileBytes(target), "");
    hFNameTopList = hList;
}

TEST_F(SaveTest, LargeListCopiesAndSavesEveryByte)
{
    // Thousands of names, in the shell's wide form: the copy and the save
    // hold exactly the joined names, across the save's buffer flushes.
    std::vector<std::string> utf8, bytes;
    for (int i = 0; i < 3000; i++) {
        std::string name = "C:\\Users\\tamsel\\" + std::string(i % 2 ? "資料 " : "docs ") +
                           std::to_string(i / 100) + "\\file " + std::to_string(i) + (i % 3 ? ".txt" : "表.csv");
        utf8.push_back(name);
        bytes.push_back(Sjis(name.c_str()));
    }
    SendMessageA(hWndMain, WM_DROPFILES, (WPARAM)MakeDropW(utf8), 0);
    Pump();
    ASSERT_EQ(TotalNumberOfFiles, 3000u);

    std::string lf, crlf, parts;
    for (size_t i = 0; i < bytes.size(); i++) {
        lf += (i ? "\n" : "") + bytes[i];
        crlf += (i ? "\r\n" : "") + bytes[i];
        parts += (i ? "\r\n" : "") + bytes[i].substr(bytes[i].rfind("\\file ") + 1);
    }
    ASSERT_GT(crlf.size(), 5u * 16384);
    EXPECT_EQ(Copy_Clipboard(hWndMain), 1);
    EXPECT_TRUE(ClipboardText() == lf);
    SetTarget(target);
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_TRUE(ReadFileBytes(target) == crlf);

    name_only_on = 1;
    DialogAnswerer answer(Press(IDOK));   // the file exists now
    EXPECT_EQ(NameSave(hWndMain), 1);
    EXPECT_TRUE(ReadFileBytes(target) == parts);
}

TEST_F(SaveTest, FailedDialogIsShownWithItsCodeAndKeepsTheTarget)
{
    Drop({"C:\\A\\x.txt"});
    SetTarget(target);   // as after an earlier Save As
    DialogAnswerer answer(Press(IDOK));
    seam::fileDialogError = FNERR_BUFFERTOOSMALL;
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEAS, 0);
    seam::fileDialogError = 0;
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, Sjis("警告"));
    EXPECT_EQ(answer.seen[0].icon, (UINT)MB_ICONHAND);
    EXPECT_FALSE(answer.seen[0].hasCancel);
    EXPECT_EQ(answer.seen[0].text, Sjis("GetOpenFileName でエラー #12291 が発生しました"));

    // The dialog wrote the size it needs into its buffer; Save still
    // writes to the last target.
    EXPECT_EQ(Target(), target);
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVE, 0);
    Pump();
    EXPECT_EQ(ReadFileBytes(target), "C:\\A\\x.txt");
}

TEST_F(SaveTest, DialogIsAskedForAnyFileStartingFromTheLastTarget)
{
    OPENFILENAMEW request;
    std::string start;
    seam::fileDialogRequest = &request;
    seam::fileDialogStart = &start;
    Drop({"C:\\A\\x.txt"});
    SetTarget(target);
    {
        DialogAnswerer answer(Press(IDCANCEL));
        EXPECT_EQ(CMUFileBox(hWndMain, "Save Name", 1), 0);
    }
    EXPECT_EQ(start, target);
#ifdef _WIN64
    EXPECT_EQ(request.lStructSize, (DWORD)OPENFILENAME_SIZE_VERSION_400W);
#else
    EXPECT_EQ(request.lStructSize, 76u);   // the Windows NT 4 request
#endif
    EXPECT_EQ(request.hwndOwner, hWndMain);
    EXPECT_EQ(seam::fileDialogFilter, Said("すべてのﾌｧｲﾙ (*.*)", "All files (*.*)") + std::string("\0*.*\0", 5) +
                                          Said("ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "Text files (*.txt)") + std::string("\0*.txt\0", 7) +
                                          "CSV (*.csv)" + std::string("\0*.csv\0", 7) + Said("表 (*.tsv)", "Table (*.tsv)") +
                                          std::string("\0*.tsv\0", 7) + "Markdown (*.md)" + std::string("\0*.md\0", 6) +
                                          "JSON (*.json)" + std::string("\0*.json\0", 8));
    EXPECT_EQ(request.nFilterIndex, 2u);   // text files first
    EXPECT_EQ(request.nMaxFile, 256u);
    EXPECT_EQ(seam::fileDialogTitle, "Save Name");
    EXPECT_STREQ(request.lpstrDefExt, L"txt");
    EXPECT_EQ(request.Flags, (DWORD)OFN_HIDEREADONLY);   // no question of its own
    EXPECT_EQ(Target(), target);   // cancelled: the target stays

    DialogAnswerer answer(Press(IDCANCEL));
    CMUFileBox(hWndMain, "Open", 0);
    EXPECT_EQ(request.Flags, (DWORD)(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    // The ANSI filter (Windows 95 and 98) in a code page without kana: the
    // English one, not question marks.
    seam::convertAcp = 1252;
    char szFilter[128];
    Load_Message_Ansi(IDS_FILTER, szFilter, sizeof szFilter);
    EXPECT_STREQ(szFilter, "All files (*.*)|*.*|Text files (*.txt)|*.txt|CSV (*.csv)|*.csv|Table (*.tsv)|*.tsv|"
                           "Markdown (*.md)|*.md|JSON (*.json)|*.json|");
}

// Rows of RFC 4180 CSV: fields apart by commas, a quoted one's quotes doubled.
std::vector<std::vector<std::string>> Csv(const std::string &text)
{
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            rows.back().back() += text[i++];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            rows.back().emplace_back();
        else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            rows.emplace_back(1, std::string()), i++;
        else
            rows.back().back() += c;
    }
    return rows;
}

TEST_F(SaveTest, SaveAsWritesEachTypeAndCsvReadsAsFourColumns)
{
    // Each type chosen in the dialog, a bare name given: the type's
    // extension and its text; Save then writes the same type again.
    const std::string comma = dir + "a, b.txt", kanji = dir + "表.txt", folder = dir.substr(0, dir.size() - 1);
    ASSERT_TRUE(WriteFileBytes(comma, "12345"));
    ASSERT_TRUE(WriteFileBytes(kanji, ""));
    extraFiles.insert(extraFiles.end(), {comma, kanji});
    Drop({comma, kanji});
    auto Typed = [&](int type, const char *ext) {
        extraFiles.push_back(dir + "typed" + ext);
        DialogAnswerer answer([&](HWND dlg) {
            HWND types = GetDlgItem(dlg, 0x470);   // cmb1: the file types
            SendMessageA(types, CB_SETCURSEL, type - 1, 0);
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), (LPARAM)types);
            TypeAndOpen(dlg, dir + "typed");
        });
        SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEAS, 0);
        Pump();
        return ReadFileBytes(dir + "typed" + ext);
    };
    const std::string csv = Typed(SAVE_CSV, ".csv");
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");   // UTF-8, marked, whatever the code page
    const auto rows = Csv(csv.substr(3));
    ASSERT_EQ(rows.size(), 3u) << csv;
    EXPECT_EQ(rows[0], (std::vector<std::string>{Said("名前", "Name"), Said("フォルダー", "Folder"), Said("サイズ", "Size"),
                                                  Said("更新日時", "Modified")}));
    ASSERT_EQ(rows[1].size(), 4u);
    EXPECT_EQ(std::vector<std::string>(rows[1].begin(), rows[1].begin() + 3), (std::vector<std::string>{"a, b.txt", folder, "5"}));
    EXPECT_EQ(rows[1][3].size(), 19u);   // YYYY-MM-DD HH:MM:SS
    EXPECT_EQ(rows[2][0], "表.txt");

    EXPECT_EQ(Typed(SAVE_MARKDOWN, ".md"), Sjis("[a, b.txt](a,%20b.txt)\r\n[表.txt](表.txt)"));
    std::string escaped = folder;   // each backslash doubled
    for (size_t at = 0; (at = escaped.find('\\', at)) != std::string::npos; at += 2)
        escaped.insert(at, "\\");
    EXPECT_EQ(Typed(SAVE_JSON, ".json"), Sjis(("[\r\n\"" + escaped + "\\\\a, b.txt\",\r\n\"" + escaped + "\\\\表.txt\"\r\n]").c_str()));
    const std::string table = Typed(SAVE_TABLE, ".tsv");
    EXPECT_EQ(table.substr(0, table.find("\r\n")), Sjis(Said("名前\tフォルダー\tサイズ\t更新日時", "Name\tFolder\tSize\tModified").c_str()));

    // Save: the last type chosen, to the same file.
    DeleteFileA((dir + "typed.tsv").c_str());
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVE, 0);
    EXPECT_EQ(ReadFileBytes(dir + "typed.tsv"), table);
}

}  // namespace
