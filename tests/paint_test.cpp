// What the window paints: row k shows name nVscrollPos + k at k * yChar,
// shifted left by nHscrollPos * xChar, in the display font and colour.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "testutil.h"

#include <algorithm>

namespace {

class PaintTest : public MainWindowTest {
protected:
    std::vector<std::string> names;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        direct_copy_on = 0;
        fontcolor = RGB(160, 0, 32);
        for (int i = 0; i < 40; i++)
            names.push_back("C:\\Folder " + std::to_string(i) + "\\" + std::string(30 + i, 'a' + i % 26) + ".txt");
        Drop(names);
    }

    // The client area's pixels as 32-bit values, row by row.
    std::vector<DWORD> Pixels(HDC hdc, int cx, int cy)
    {
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = cx;
        bi.bmiHeader.biHeight = -cy;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        std::vector<DWORD> px((size_t)cx * cy);
        HDC mem = CreateCompatibleDC(hdc);
        HBITMAP bmp = CreateCompatibleBitmap(hdc, cx, cy);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, cx, cy, hdc, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        GetDIBits(mem, bmp, 0, cy, px.data(), &bi, DIB_RGB_COLORS);
        DeleteObject(bmp);
        DeleteDC(mem);
        return px;
    }

    std::vector<DWORD> Shown(int cx, int cy)
    {
        HDC hdc = GetDC(hWndMain);
        std::vector<DWORD> px = Pixels(hdc, cx, cy);
        ReleaseDC(hWndMain, hdc);
        return px;
    }

    // The same page drawn independently, with TextOutW of each name's
    // Unicode form.
    std::vector<DWORD> Expected(int cx, int cy)
    {
        HDC screen = GetDC(hWndMain);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, cx, cy);
        HGDIOBJ oldBmp = SelectObject(mem, bmp);
        RECT rc = {0, 0, cx, cy};
        FillRect(mem, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
        HGDIOBJ oldFont = SelectObject(mem, hnewsfont);
        SetTextColor(mem, fontcolor);
        SetBkColor(mem, RGB(255, 255, 255));
        for (int k = 0; k * yChar < cy && nVscrollPos + k < (int)names.size(); k++) {
            const std::wstring w = Wide(names[nVscrollPos + k]);
            TextOutW(mem, -nHscrollPos * xChar, k * yChar, w.c_str(), (int)w.size());
        }
        SelectObject(mem, oldFont);
        std::vector<DWORD> px = Pixels(mem, cx, cy);
        SelectObject(mem, oldBmp);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(hWndMain, screen);
        return px;
    }

    void ExpectPage()
    {
        RECT rc;
        List_Rect(hWndMain, &rc);   // the rows end above the status bar
        std::vector<DWORD> shown = Shown(rc.right, rc.bottom);
        std::vector<DWORD> expected = Expected(rc.right, rc.bottom);
        size_t differ = 0;
        for (size_t i = 0; i < shown.size(); i++)
            differ += (shown[i] & 0xFFFFFF) != (expected[i] & 0xFFFFFF);
        EXPECT_EQ(differ, 0u) << "pixels that differ, at rows from " << nVscrollPos
                              << ", columns from " << nHscrollPos;
        // fontcolor as a DIB pixel: blue, green, red from the low byte up.
        const DWORD colour = RGB(GetBValue(fontcolor), GetGValue(fontcolor), GetRValue(fontcolor));
        size_t ink = 0;
        for (DWORD p : shown)
            ink += (p & 0xFFFFFF) == colour;
        EXPECT_GT(ink, 100u) << "names drawn in the display colour";
    }
};

TEST_F(PaintTest, TopLeftAfterADrop)
{
    ASSERT_EQ(nVscrollPos, 0);
    ExpectPage();
    names.resize(1);   // a list of one name is painted too
    Drop(names);
    ExpectPage();
}

TEST_F(PaintTest, OnlyTheEmptyWindowSaysHowToFillIt)
{
    DialogAnswerer answer(Press(IDOK));
    SendMessageA(hWndMain, WM_COMMAND, IDM_TAMSELCLEAR, 0);
    RECT rc;
    List_Rect(hWndMain, &rc);
    const std::vector<DWORD> shown = Shown(rc.right, rc.bottom);
    int top = rc.bottom, bottom = -1, left = rc.right, right = -1;
    for (int y = 0; y < rc.bottom; y++)
        for (int x = 0; x < rc.right; x++)
            if ((shown[(size_t)y * rc.right + x] & 0xFFFFFF) != 0xFFFFFF) {
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
    ASSERT_GE(bottom, top) << "no hint";
    EXPECT_NEAR(top + bottom, rc.bottom, 12);   // centred both ways, within a glyph's margins
    EXPECT_NEAR(left + right, rc.right, 12);
    EXPECT_GT(left, 0);   // broken into lines, not cut at the edges
    EXPECT_GT(bottom - top, yChar);
    names.resize(3);
    Drop(names);
    ExpectPage();   // and gone with the names
}

TEST_F(PaintTest, KanjiInAWesternFontPaintAsThemselves)
{
    // A face the chooser gives the Western script (character set 0) draws
    // them all the same, and names beyond every code page too.
    for (std::string &n : names)
        n = "C:\\データ\\表示 café 😀 한국어" + n;
    Drop(names);
    LOGFONTA lf = {};
    lf.lfHeight = -16;
    lf.lfCharSet = ANSI_CHARSET;
    lstrcpyA(lf.lfFaceName, "DejaVu Sans");
    CloseFont();
    hnewsfont = CreateFontIndirectA(&lf);
    RedrawWindow(hWndMain, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ExpectPage();
}

TEST_F(PaintTest, ScrolledPageStartsAtThePositions)
{
    SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3), 0);
    SendMessageA(hWndMain, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0);
    ASSERT_EQ(nVscrollPos, 3);
    ASSERT_EQ(nHscrollPos, 5);
    RedrawWindow(hWndMain, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ExpectPage();
}

TEST_F(PaintTest, LineScrollMovesThePictureAndPaintsTheNewRow)
{
    // Only the uncovered strip is painted; the whole must still be right.
    SendMessageA(hWndMain, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(hWndMain, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageA(hWndMain, WM_HSCROLL, SB_LINERIGHT, 0);
    ASSERT_EQ(nVscrollPos, 2);
    ASSERT_EQ(nHscrollPos, 1);
    ExpectPage();
    SendMessageA(hWndMain, WM_VSCROLL, SB_LINEUP, 0);
    ExpectPage();
}

TEST_F(PaintTest, FontCommandPaintsInTheChosenFontAndOnlySaveOptionStoresIt)
{
    ASSERT_STRNE(cursfont.lfFaceName, "DejaVu Sans");
    DialogAnswerer answer(PickFont("DejaVu Sans", 20, RGB(0, 0, 255)));
    EXPECT_EQ(SendMessageA(hWndMain, WM_COMMAND, IDM_FONT, 0), 0);
    ASSERT_EQ(answer.seen.size(), 1u);

    EXPECT_STREQ(cursfont.lfFaceName, "DejaVu Sans");
    LOGFONTA made = {};
    GetObjectA(hnewsfont, sizeof made, &made);
    EXPECT_STREQ(made.lfFaceName, "DejaVu Sans");
    EXPECT_EQ(made.lfHeight, cursfont.lfHeight);
    ExpectPage();   // the names in hnewsfont and its colour, rows yChar apart

    // The profile learns of it only through Save Option.
    EXPECT_NE(ReadFileBytes(ini).find("FontFace=System\r\n"), std::string::npos);
    SendMessageA(hWndMain, WM_COMMAND, IDM_SAVEOPTION, 0);
    const std::string text = ReadFileBytes(ini);
    EXPECT_NE(text.find("FontFace=DejaVu Sans\r\nSize_y=" + std::to_string(cursfont.lfHeight) + "\r\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("Color=16711680\r\n"), std::string::npos) << text;
}

}  // namespace
