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
        {{"C:\\A\\x.txt", Sjis("C:\\データ\\表.txt"), "C:\\B\\y.doc"},
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
        EXPECT_EQ(std::string(szFName), target);
    }
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(after, before) << "the folder saved to is not left current";
}

TEST_F(SaveTest, NameOnlyWritesEveryNameEvenAnEmptyPart)
{
    name_only_on = 1;
    Drop({"D:\\", "C:\\A\\x.txt", "E:\\", Sjis("C:\\データ\\表.txt")});
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
    EXPECT_STREQ(szFName, "");
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
    lstrcpyA(szFName, target.c_str());
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
    lstrcpyA(szFName, target.c_str());
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
    Drop(LongNames(400, 100));
    lstrcpyA(szFName, target.c_str());
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
    lstrcpyA(szFName, path.c_str());
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
    lstrcpyA(szFName, target.c_str());
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
    lstrcpyA(szFName, target.c_str());
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
    lstrcpyA(szFName, target.c_str());   // as after an earlier Save As
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
    EXPECT_EQ(std::string(szFName), target);
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVE, 0);
    Pump();
    EXPECT_EQ(ReadFileBytes(target), "C:\\A\\x.txt");
}

TEST_F(SaveTest, DialogIsAskedForAnyFileStartingFromTheLastTarget)
{
    OPENFILENAMEA request;
    std::string start;
    seam::fileDialogRequest = &request;
    seam::fileDialogStart = &start;
    Drop({"C:\\A\\x.txt"});
    lstrcpyA(szFName, target.c_str());
    {
        DialogAnswerer answer(Press(IDCANCEL));
        EXPECT_EQ(CMUFileBox(hWndMain, "Save Name", 1), 0);
    }
    EXPECT_EQ(start, target);
#ifdef _WIN64
    EXPECT_EQ(request.lStructSize, (DWORD)OPENFILENAME_SIZE_VERSION_400A);
#else
    EXPECT_EQ(request.lStructSize, 76u);   // the Windows 95 and NT 4 request
#endif
    EXPECT_EQ(request.hwndOwner, hWndMain);
    EXPECT_EQ(seam::fileDialogFilter, Sjis("すべてのﾌｧｲﾙ (*.*)") + std::string("\0*.*\0", 5) +
                                          Sjis("ﾃｷｽﾄﾌｧｲﾙ (*.txt)") + std::string("\0*.txt\0", 7));
    EXPECT_EQ(request.nFilterIndex, 1u);
    EXPECT_EQ(request.nMaxFile, 256u);
    EXPECT_STREQ(request.lpstrTitle, "Save Name");
    EXPECT_EQ(request.lpstrDefExt, nullptr);   // a typed name is used as typed
    EXPECT_EQ(request.Flags, (DWORD)OFN_HIDEREADONLY);
    EXPECT_EQ(std::string(szFName), target);   // cancelled: the target stays

    DialogAnswerer answer(Press(IDCANCEL));
    seam::convertAcp = 1252;   // a code page without kana: the English filter, not question marks
    CMUFileBox(hWndMain, "Open", 0);
    EXPECT_EQ(request.Flags, (DWORD)(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST));
    EXPECT_EQ(seam::fileDialogFilter, std::string("All files (*.*)\0*.*\0Text files (*.txt)\0*.txt\0", 45));
}

}  // namespace
