// The profile file and the display font, on real INI files and real GDI.
#include <gtest/gtest.h>

#include <string.h>

#include "TAMSEL.H"
#include "seams.h"
#include "testutil.h"

namespace {

const char kDefaultProfileLines[] =
    "[WindowSize]|X_Size=280|Y_Size=200|"
    "[Option]|Direct_copy=TRUE|Name_only=FALSE|Quotes=FALSE|CR_LF=FALSE|File_URL=FALSE|Add_drops=FALSE|Folder_contents=FALSE|Folders_too=FALSE|Status_bar=TRUE|"
    "[Font]|FontFace=System|Size_y=0|Size_x=0|Weight=400|Italic=FALSE|Underline=FALSE|"
    "StrikeOut=FALSE|Quality=0|PitchAndFamily=0|CharSet=1|OutPrecision=5|ClipPrecision=0|Color=0|";

// The non-empty lines of a profile, each followed by '|'.
std::string Lines(const std::string &bytes)
{
    std::string out, line;
    for (char c : bytes + "\n") {
        if (c == '\r')
            continue;
        if (c == '\n') {
            if (!line.empty())
                out += line + "|";
            line.clear();
        } else {
            line += c;
        }
    }
    return out;
}

class ProfileTest : public ::testing::Test {
protected:
    std::string ini;

    void SetUp() override
    {
        seam::Reset();
        lstrcpyA(szAppName, "Tamsel32");
        ini = ExeDir() + "Tamsel32.INI";
        DeleteFileA(ini.c_str());
        // Values no profile holds, so that a read that does not happen shows.
        cx_window_size = cy_window_size = -7;
        direct_copy_on = name_only_on = 7;
        memset(&cursfont, 0x55, sizeof cursfont);
        fontcolor = 0x123456;
    }
    void TearDown() override
    {
        SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(ini.c_str());
    }
    void Start(const std::string &contents)
    {
        ASSERT_TRUE(WriteFileBytes(ini, contents));
        Get_Pro_File_Tm(NULL);
    }
};

TEST_F(ProfileTest, FirstStartWritesEveryDefaultInOrder)
{
    Get_Pro_File_Tm(NULL);

    EXPECT_EQ(Utf8(szProFName, lstrlenW(szProFName)), ini);
    EXPECT_EQ(Utf8(szAppDirectryName, lstrlenW(szAppDirectryName)), ExeDir());
    EXPECT_EQ(Lines(ReadFileBytes(ini)), kDefaultProfileLines);
    EXPECT_EQ(cx_window_size, 280);
    EXPECT_EQ(cy_window_size, 200);
    EXPECT_EQ(direct_copy_on, 1u);
    EXPECT_EQ(name_only_on, 0u);
    EXPECT_STREQ(cursfont.lfFaceName, "System");
    EXPECT_EQ(cursfont.lfHeight, 0);
    EXPECT_EQ(cursfont.lfWidth, 0);
    EXPECT_EQ(cursfont.lfWeight, FW_NORMAL);
    EXPECT_EQ(cursfont.lfItalic + cursfont.lfUnderline + cursfont.lfStrikeOut, 0);
    EXPECT_EQ(cursfont.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(cursfont.lfOutPrecision, OUT_DEVICE_PRECIS);
    EXPECT_EQ(cursfont.lfClipPrecision, 0);
    EXPECT_EQ(cursfont.lfQuality, 0);
    EXPECT_EQ(cursfont.lfPitchAndFamily, 0);
    EXPECT_EQ(fontcolor, 0u);
}

TEST_F(ProfileTest, ExistingFileIsReadAndNeverRewritten)
{
    const std::string contents = "[WindowSize]\r\nX_Size=500\r\nY_Size=321\r\n";
    Start(contents);

    EXPECT_EQ(cx_window_size, 500);
    EXPECT_EQ(cy_window_size, 321);
    EXPECT_EQ(direct_copy_on, 1u);   // missing keys take their defaults
    EXPECT_EQ(name_only_on, 0u);
    EXPECT_STREQ(cursfont.lfFaceName, "System");
    EXPECT_EQ(ReadFileBytes(ini), contents);
}

TEST_F(ProfileTest, OnlyTheExactTextTrueIsOn)
{
    // The profile API itself drops blanks around a value and one pair of
    // quotes, so a quoted blank is how a value with a blank is stored.
    const char *offs[] = {"true", "1", "True", "\" TRUE\"", "TRUE.", "YES", ""};
    for (const char *value : offs) {
        SCOPED_TRACE(value);
        Start(std::string("[Option]\r\nDirect_copy=") + value + "\r\nName_only=" + value +
              "\r\n[Font]\r\nItalic=" + value + "\r\nUnderline=" + value + "\r\nStrikeOut=" + value + "\r\n");
        EXPECT_EQ(direct_copy_on, 0u);
        EXPECT_EQ(name_only_on, 0u);
        EXPECT_EQ(quotes_on + crlf_on + file_url_on + add_drops_on, 0u);   // absent: as before they were
        EXPECT_EQ(cursfont.lfItalic + cursfont.lfUnderline + cursfont.lfStrikeOut, 0);
    }
    Start("[Option]\r\nDirect_copy=TRUE\r\nName_only=TRUE\r\nQuotes=TRUE\r\nCR_LF=true\r\nFile_URL=TRUE\r\n"
          "Add_drops=TRUE\r\n[Font]\r\nItalic=TRUE\r\nUnderline=TRUE\r\nStrikeOut=TRUE\r\n");
    EXPECT_EQ(direct_copy_on, 1u);
    EXPECT_EQ(name_only_on, 1u);
    EXPECT_EQ(quotes_on + file_url_on + add_drops_on, 3u);
    EXPECT_EQ(crlf_on, 0u);
    EXPECT_EQ(cursfont.lfItalic + cursfont.lfUnderline + cursfont.lfStrikeOut, 3);
}

TEST_F(ProfileTest, NumbersOutOfRangeGiveTheDefaults)
{
    // Sizes no window or font chooser can have: a window with no client
    // area, a font that takes minutes to paint a line, a weight past 1000.
    Start("[WindowSize]\r\nX_Size=0\r\nY_Size=-5\r\n"
          "[Font]\r\nSize_y=65535\r\nSize_x=-2147483648\r\nWeight=99999\r\n");
    EXPECT_EQ(cx_window_size, 280);
    EXPECT_EQ(cy_window_size, 200);
    EXPECT_EQ(cursfont.lfHeight, 0);
    EXPECT_EQ(cursfont.lfWidth, 0);
    EXPECT_EQ(cursfont.lfWeight, FW_NORMAL);

    // Byte fields keep their low 8 bits.
    Start("[Font]\r\nQuality=256\r\nCharSet=384\r\nPitchAndFamily=-1\r\nOutPrecision=3\r\nSize_y=-19\r\n");
    EXPECT_EQ(cursfont.lfQuality, 0);
    EXPECT_EQ(cursfont.lfCharSet, 128);
    EXPECT_EQ(cursfont.lfPitchAndFamily, 255);
    EXPECT_EQ(cursfont.lfOutPrecision, 3);
    EXPECT_EQ(cursfont.lfHeight, -19);
}

TEST_F(ProfileTest, ColourIsASignedDecimal)
{
    const struct { const char *text; COLORREF colour; } cases[] = {
        {"16777215", 0xFFFFFF}, {"255", 0x0000FF}, {"-1", 0xFFFFFFFF},
        {"\"  +42x\"", 42}, {"abc", 0}, {"", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        Start(std::string("[Font]\r\nColor=") + c.text + "\r\n");
        EXPECT_EQ(fontcolor, c.colour);
    }
}

TEST_F(ProfileTest, FontSectionRoundTripsWithSignsAndOrder)
{
    Get_Pro_File_Tm(NULL);
    lstrcpyA(cursfont.lfFaceName, "Courier New");
    cursfont.lfHeight = -19;
    cursfont.lfWidth = 7;
    cursfont.lfWeight = 700;
    cursfont.lfItalic = 255;   // as the chooser sets a face's italic style
    cursfont.lfUnderline = 0;
    cursfont.lfCharSet = 128;
    fontcolor = RGB(255, 0, 0);
    WriteProfileFont(szProFName);

    std::string lines = Lines(ReadFileBytes(ini));
    EXPECT_NE(lines.find("[Font]|FontFace=Courier New|Size_y=-19|Size_x=7|Weight=700|Italic=TRUE|"
                         "Underline=FALSE|StrikeOut=FALSE|Quality=0|PitchAndFamily=0|CharSet=128|"
                         "OutPrecision=5|ClipPrecision=0|Color=255|"),
              std::string::npos) << lines;

    LOGFONTA written = cursfont;
    memset(&cursfont, 0, sizeof cursfont);
    GetProfileFont(szProFName);
    EXPECT_STREQ(cursfont.lfFaceName, written.lfFaceName);
    EXPECT_EQ(cursfont.lfHeight, -19);
    EXPECT_EQ(cursfont.lfWidth, 7);
    EXPECT_EQ(cursfont.lfWeight, 700);
    EXPECT_EQ(cursfont.lfItalic, 1);
    EXPECT_EQ(cursfont.lfUnderline, 0);
    EXPECT_EQ(cursfont.lfCharSet, 128);
    EXPECT_EQ(cursfont.lfOutPrecision, OUT_DEVICE_PRECIS);
    EXPECT_EQ(fontcolor, (COLORREF)RGB(255, 0, 0));

    fontcolor = 0xFFFFFFFF;
    WriteProfileFont(szProFName);
    EXPECT_NE(Lines(ReadFileBytes(ini)).find("|Color=-1|"), std::string::npos);
}

TEST_F(ProfileTest, LongFaceNameIsCutToTheField)
{
    std::string face(40, 'F');
    Start("[Font]\r\nFontFace=" + face + "\r\n");
    EXPECT_EQ(std::string(cursfont.lfFaceName), face.substr(0, 31));

    // A double-byte character that would straddle the 31st byte is left out.
    std::string dbcs = std::string(30, 'A') + Sjis("表示");
    Start("[Font]\r\nFontFace=" + dbcs + "\r\n");
    EXPECT_EQ(std::string(cursfont.lfFaceName), std::string(30, 'A'));
}

TEST_F(ProfileTest, SaveOptionMeasuresTheWindowOrTakesTheValues)
{
    Get_Pro_File_Tm(NULL);
    HWND hwnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 10, 40, 333, 222, NULL, NULL, NULL, NULL);
    ASSERT_NE(hwnd, nullptr);
    direct_copy_on = 0;
    name_only_on = 1;
    Write_Pro_File_Tm(hwnd);
    DestroyWindow(hwnd);

    EXPECT_EQ(cx_window_size, 333);
    EXPECT_EQ(cy_window_size, 222);
    std::string lines = Lines(ReadFileBytes(ini));
    EXPECT_NE(lines.find("[WindowSize]|X_Size=333|Y_Size=222|[Option]|Direct_copy=FALSE|Name_only=TRUE|"),
              std::string::npos) << lines;

    cx_window_size = 640;
    cy_window_size = 480;
    Write_Pro_File_Tm(NULL);
    lines = Lines(ReadFileBytes(ini));
    EXPECT_NE(lines.find("X_Size=640|Y_Size=480|"), std::string::npos) << lines;

    // A profile deleted while the program runs comes back whole.
    DeleteFileA(ini.c_str());
    Write_Pro_File_Tm(NULL);
    EXPECT_EQ(Lines(ReadFileBytes(ini)).substr(0, 13), "[WindowSize]|");
    EXPECT_NE(Lines(ReadFileBytes(ini)).find("|Color=0|"), std::string::npos);
}

TEST_F(ProfileTest, OnlySaveOptionSaysWhenTheProfileCannotBeWritten)
{
    // The start-up write fails quietly: nobody asked for it.
    DialogAnswerer answer(Press(IDOK));
    seam::profileWritesBeforeFailure = 0;
    Get_Pro_File_Tm(NULL);
    EXPECT_EQ(seam::profileWrites, 1);
    EXPECT_EQ(cx_window_size, 280);

    // Save Option stops at the first failed write and says so once.
    HWND hwnd = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 10, 40, 333, 222, NULL, NULL, NULL, NULL);
    seam::profileWrites = 0;
    seam::profileWritesBeforeFailure = 2;
    Write_Pro_File_Tm(hwnd);
    EXPECT_EQ(seam::profileWrites, 3);
    seam::profileWritesBeforeFailure = -1;
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].text, Sjis("書き込みに失敗しました"));
    EXPECT_EQ(answer.seen[0].caption, Sjis("ファイルエラー "));

    // A folder in the profile's place: it exists, so start-up writes
    // nothing and every read gives the defaults; Save Option fails for real.
    DeleteFileA(ini.c_str());
    ASSERT_TRUE(CreateDirectoryA(ini.c_str(), NULL));
    Get_Pro_File_Tm(NULL);
    EXPECT_EQ(cx_window_size, 280);
    EXPECT_EQ(direct_copy_on, 1u);
    Write_Pro_File_Tm(hwnd);
    EXPECT_EQ(answer.seen.size(), 2u);
    DestroyWindow(hwnd);
    RemoveDirectoryA(ini.c_str());
}

TEST_F(ProfileTest, ProfileGoesBesideTheExecutableInAFolderOfAnyNameOrDepth)
{
    // A folder no single code page holds (é is not in 932, テスト not in
    // 1252), more than 255 bytes deep in 932, under a root of a known
    // length: the profile is written there at start-up and by Save Option,
    // byte for byte as ever, and read.
    const std::string base = ShortDir();
    std::string dir = base + "café テスト\\";
    for (int i = 0; i < 11; i++)
        dir += "階層の深いフォルダー " + std::to_string(i) + "\\";
    for (size_t at = base.size(); (at = dir.find('\\', at + 1)) != std::string::npos; )
        CreateDirectoryW(Wide(dir.substr(0, at)).c_str(), NULL);
    EXPECT_EQ(Set_Pro_File_Name(Wide(dir + "Tamsel32.exe").c_str()), 1);
    EXPECT_EQ(Utf8(szAppDirectryName, lstrlenW(szAppDirectryName)), dir);
    Read_Pro_File();
    EXPECT_EQ(Lines(ReadFileBytes(dir + "Tamsel32.INI")), kDefaultProfileLines);
    lstrcpyA(cursfont.lfFaceName, Sjis("ＭＳ ゴシック").c_str());
    for (bool win9x : {false, true}) {   // Windows 95 and 98: the ANSI calls, in a folder their code page holds
        seam::win9x = win9x;
        if (win9x)
            Set_Pro_File_Name(Wide(ExeDir() + "Tamsel32.exe").c_str());
        cx_window_size = 640 + win9x;
        Write_Pro_File_Tm(NULL);
        cx_window_size = 0;
        Read_Pro_File();
        EXPECT_EQ(cx_window_size, 640 + win9x);
        const std::string bytes = ReadFileBytes(win9x ? ini : dir + "Tamsel32.INI");
        EXPECT_NE(bytes.find("FontFace=" + Sjis("ＭＳ ゴシック") + "\r\n"), std::string::npos) << bytes;
        DeleteFileW(Wide(dir + "Tamsel32.INI").c_str());
    }
    for (size_t at = dir.size() - 1; at > base.size(); at = dir.rfind('\\', at - 1))
        RemoveDirectoryW(Wide(dir.substr(0, at)).c_str());
}

TEST_F(ProfileTest, PathThatCannotBeMadeGivesDefaultsAndNoFile)
{
    EXPECT_EQ(Set_Pro_File_Name(L"Tamsel32.exe"), 0);
    EXPECT_STREQ(szProFName, L"");
    EXPECT_STREQ(szAppDirectryName, L"");

    // With no path the writers write nothing and the font reader gives defaults.
    cx_window_size = 1234;
    Write_Pro_File_Tm(NULL);
    WriteProfileFont(szProFName);
    EXPECT_FALSE(FileExists(ini));
    GetProfileFont(szProFName);
    EXPECT_STREQ(cursfont.lfFaceName, "System");
    EXPECT_EQ(cursfont.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(fontcolor, 0u);
}

// ---- The display font ----

class FontTest : public ProfileTest {
protected:
    void TearDown() override
    {
        CloseFont();
        ProfileTest::TearDown();
    }
};

// Average width and height of a sample in a font, measured as the program should.
void Measure(const LOGFONTA &lf, const char *sample, int *cx, int *cy)
{
    HDC hdc = GetDC(NULL);
    HFONT f = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(hdc, f);
    SIZE size = {};
    GetTextExtentPointA(hdc, sample, (int)strlen(sample), &size);
    SelectObject(hdc, old);
    DeleteObject(f);
    ReleaseDC(NULL, hdc);
    *cx = size.cx / (int)strlen(sample);
    *cy = size.cy;
}

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";         // start-up's sample
const char kChooserSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ:_ ~";  // the font command's

TEST_F(FontTest, InitFontMeasuresTheAlphabet)
{
    // A size at which the two samples' averages differ.
    GetProfileFont(L"");
    lstrcpyA(cursfont.lfFaceName, "DejaVu Sans");
    int cx, cy, cx30 = 0, cy30;
    for (cursfont.lfHeight = -12; cursfont.lfHeight > -60; cursfont.lfHeight--) {
        Measure(cursfont, kAlphabet, &cx, &cy);
        Measure(cursfont, kChooserSample, &cx30, &cy30);
        if (cx != cx30)
            break;
    }
    ASSERT_NE(cx, cx30) << "a font whose two samples measure apart";

    InitFont(NULL);
    ASSERT_NE(hnewsfont, nullptr);
    EXPECT_EQ(xChar, cx);
    EXPECT_EQ(yChar, cy);
    EXPECT_EQ(cursfont.lfEscapement, 0);
    EXPECT_EQ(cursfont.lfOrientation, 0);

    HFONT hFont = hnewsfont;
    CloseFont();
    EXPECT_EQ(GetObjectType(hFont), 0u);   // deleted
    EXPECT_EQ(hnewsfont, nullptr);
}

TEST_F(FontTest, FailedMeasurementStillGivesAUsableCharacterSize)
{
    // No font here measures under one pixel a character, but a window that
    // is gone gives no device context and so a measurement of 0 x 0.
    HWND gone = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    DestroyWindow(gone);
    GetProfileFont(L"");
    xChar = yChar = -5;
    InitFont(gone);
    EXPECT_EQ(xChar, 1);
    EXPECT_EQ(yChar, 1);
}

TEST_F(FontTest, CancelledChooserChangesNothing)
{
    GetProfileFont(L"");
    fontcolor = RGB(0, 0, 128);
    InitFont(NULL);
    HFONT hOld = hnewsfont;
    LOGFONTA before = cursfont;
    int x = xChar, y = yChar;

    DialogAnswerer answer(Press(IDCANCEL));
    HFONT hResult = CMUFont(NULL, hnewsfont);

    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(hResult, hOld);
    EXPECT_NE(GetObjectType(hOld), 0u);   // still alive
    EXPECT_EQ(memcmp(&before, &cursfont, sizeof before), 0);
    EXPECT_EQ(fontcolor, (COLORREF)RGB(0, 0, 128));
    EXPECT_EQ(xChar, x);
    EXPECT_EQ(yChar, y);
}

TEST_F(FontTest, ConfirmedChooserReplacesFontColourAndSize)
{
    GetProfileFont(L"");   // System
    InitFont(NULL);
    HFONT hOld = hnewsfont;
    const LONG oldHeight = cursfont.lfHeight;

    DialogAnswerer answer(PickFont("DejaVu Sans", 20, RGB(255, 0, 0)));
    hnewsfont = CMUFont(NULL, hnewsfont);

    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_STREQ(cursfont.lfFaceName, "DejaVu Sans");
    EXPECT_LT(cursfont.lfHeight, 0);
    EXPECT_NE(cursfont.lfHeight, oldHeight);
    EXPECT_EQ(fontcolor, (COLORREF)RGB(255, 0, 0));
    EXPECT_NE(hnewsfont, hOld);
    EXPECT_EQ(GetObjectType(hOld), 0u);   // the old font is deleted
    LOGFONTA made = {};
    ASSERT_EQ(GetObjectA(hnewsfont, sizeof made, &made), (int)sizeof made);
    EXPECT_STREQ(made.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(made.lfHeight, cursfont.lfHeight);

    int cx, cy, cx26, cy26;
    Measure(cursfont, kChooserSample, &cx, &cy);
    Measure(cursfont, kAlphabet, &cx26, &cy26);
    ASSERT_NE(cx, cx26) << "a font whose two samples measure apart";
    EXPECT_EQ(xChar, cx);
    EXPECT_EQ(yChar, cy);
}

}  // namespace
