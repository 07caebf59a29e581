// Scroll ranges, positions and the view's movement on the real window.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "testutil.h"

namespace {

int paints;
HHOOK paintHook;

LRESULT CALLBACK CountPaints(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *cwp = (const CWPSTRUCT *)lParam;
    if (code == HC_ACTION && cwp->hwnd == hWndMain && cwp->message == WM_PAINT)
        paints++;
    return CallNextHookEx(paintHook, code, wParam, lParam);
}

class ScrollTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        paintHook = SetWindowsHookExA(WH_CALLWNDPROC, CountPaints, NULL, GetCurrentThreadId());
        // Round numbers for the row arithmetic.
        xChar = 8;
        yChar = 20;
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(paintHook);
        MainWindowTest::TearDown();
    }
    void Size(int cx, int cy) { EXPECT_EQ(wm_SIZE_scroll(hWndMain, 0, MAKELPARAM(cx, cy)), 1); }
    void V(int code, int thumb = 0) { SendMessageA(hWndMain, WM_VSCROLL, MAKEWPARAM(code, thumb), 0); }
    void H(int code, int thumb = 0) { SendMessageA(hWndMain, WM_HSCROLL, MAKEWPARAM(code, thumb), 0); }
    int BarMax(int bar)
    {
        int lo = -1, hi = -1;
        GetScrollRange(hWndMain, bar, &lo, &hi);
        return hi;
    }
};

TEST_F(ScrollTest, EmptyListScrollsNowhere)
{
    First_Scroll_Initial(hWndMain, 0, 0);
    Size(200, 100);
    EXPECT_EQ(nVscrollMax, 0);
    EXPECT_EQ(nHscrollMax, 0);
    EXPECT_EQ(nPageMaxLines, 0);
    for (int code : {SB_LINEDOWN, SB_PAGEDOWN, SB_BOTTOM, SB_THUMBTRACK}) {
        V(code, 3);
        H(code, 3);
    }
    EXPECT_EQ(nVscrollPos, 0);
    EXPECT_EQ(nHscrollPos, 0);
}

TEST_F(ScrollTest, RangeCountsWholeRowsSoTheLastNameComesWhollyIntoView)
{
    // Ten names in nine and a half rows: the bar is there, and at its end
    // the tenth name lies wholly inside; the half row is still painted.
    First_Scroll_Initial(hWndMain, 10, 0);
    Size(200, 190);
    EXPECT_EQ(nVscrollMax, 1);
    EXPECT_EQ(BarMax(SB_VERT), 1);
    EXPECT_EQ(nPageMaxLines, 10);
    V(SB_BOTTOM);
    EXPECT_LE((10 - nVscrollPos) * yChar, 190);

    // Exactly five rows: none is counted past the bottom edge.
    Size(200, 100);
    EXPECT_EQ(yClient, 120);
    EXPECT_EQ(nVscrollMax, 5);
    EXPECT_EQ(nPageMaxLines, 6);
    Size(200, 99);
    EXPECT_EQ(nVscrollMax, 6);
    EXPECT_EQ(nPageMaxLines, 5);

    First_Scroll_Initial(hWndMain, 3, 0);
    EXPECT_EQ(nVscrollMax, 0);
    EXPECT_EQ(nPageMaxLines, 3);
}

TEST_F(ScrollTest, NewFontCountsItsOwnRows)
{
    // Rows counted with the old, taller font would put the last name
    // below the bottom edge at the largest position.
    yChar = 60;
    First_Scroll_Initial(hWndMain, 30, 0);
    Size(200, 100);
    EXPECT_EQ(yClient, 120);
    yChar = 10;
    First_Scroll_Initial(hWndMain, 30, 0);
    EXPECT_EQ(yClient, 110);
    EXPECT_EQ(nVscrollMax, 20);
    EXPECT_EQ(nPageMaxLines, 11);
}

TEST_F(ScrollTest, VerticalStepsAreClamped)
{
    First_Scroll_Initial(hWndMain, 20, 0);
    Size(200, 120);   // 6 whole rows, maximum 14
    V(SB_PAGEDOWN);
    EXPECT_EQ(nVscrollPos, 6);
    V(SB_PAGEDOWN);
    V(SB_PAGEDOWN);
    EXPECT_EQ(nVscrollPos, 14);
    EXPECT_EQ(nVscrollInc, 2);
    EXPECT_EQ(GetScrollPos(hWndMain, SB_VERT), 14);
    V(SB_PAGEUP);
    EXPECT_EQ(nVscrollPos, 8);
    V(SB_LINEUP);
    EXPECT_EQ(nVscrollPos, 7);
    V(SB_TOP);
    EXPECT_EQ(nVscrollPos, 0);
    V(SB_BOTTOM);
    EXPECT_EQ(nVscrollPos, 14);
    V(SB_THUMBTRACK, 3);
    EXPECT_EQ(nVscrollPos, 3);
    V(SB_THUMBPOSITION, 99);
    EXPECT_EQ(nVscrollPos, 14);
    V(SB_ENDSCROLL);
    EXPECT_EQ(nVscrollPos, 14);
}

TEST_F(ScrollTest, ZeroStepNeitherScrollsNorRepaints)
{
    First_Scroll_Initial(hWndMain, 20, 0);
    Size(200, 100);
    Pump();
    paints = 0;
    V(SB_LINEUP);
    EXPECT_EQ(nVscrollInc, 0);
    EXPECT_EQ(paints, 0);
    V(SB_BOTTOM);
    EXPECT_EQ(paints, 1);   // the uncovered strip, painted at once
    paints = 0;
    V(SB_LINEDOWN);
    EXPECT_EQ(nVscrollInc, 0);
    EXPECT_EQ(paints, 0);
}

TEST_F(ScrollTest, HorizontalStepsByColumnsAndPagesOfEight)
{
    First_Scroll_Initial(hWndMain, 1, 100);
    Size(80, 100);   // 10 columns, maximum 90
    EXPECT_EQ(nHscrollMax, 90);
    H(SB_PAGERIGHT);
    EXPECT_EQ(nHscrollPos, 8);
    H(SB_LINERIGHT);
    EXPECT_EQ(nHscrollPos, 9);
    H(SB_PAGELEFT);
    EXPECT_EQ(nHscrollPos, 1);
    H(SB_PAGELEFT);
    EXPECT_EQ(nHscrollPos, 0);
    H(SB_THUMBTRACK, 50);
    EXPECT_EQ(nHscrollPos, 50);
    H(SB_RIGHT);
    EXPECT_EQ(nHscrollPos, 90);
    H(SB_LEFT);
    EXPECT_EQ(nHscrollPos, 0);
}

TEST_F(ScrollTest, ResizeKeepsPositionsUnlessTheMaximumFalls)
{
    First_Scroll_Initial(hWndMain, 20, 0);
    Size(200, 100);
    V(SB_THUMBPOSITION, 10);
    Size(200, 60);    // smaller: the position stays
    EXPECT_EQ(nVscrollPos, 10);
    Size(200, 300);   // 15 rows: maximum 5
    EXPECT_EQ(nVscrollMax, 5);
    EXPECT_EQ(nVscrollPos, 5);
    EXPECT_EQ(GetScrollPos(hWndMain, SB_VERT), 5);
}

TEST_F(ScrollTest, ThumbReachesPastSixteenBits)
{
    First_Scroll_Initial(hWndMain, 100000, 0);
    Size(200, 100);
    ASSERT_EQ(nVscrollMax, 100000 - 5);
    // The bar holds the full position; the message only its low 16 bits.
    SCROLLINFO si = {sizeof si, SIF_POS, 0, 0, 0, 70000, 0};
    SetScrollInfo(hWndMain, SB_VERT, &si, FALSE);
    V(SB_THUMBPOSITION, LOWORD(70000));
    EXPECT_EQ(nVscrollPos, 70000);
    // A plain 16-bit position still works.
    V(SB_THUMBTRACK, 1234);
    EXPECT_EQ(nVscrollPos, 1234);
}

TEST_F(ScrollTest, FirstScrollInitialResetsTheView)
{
    First_Scroll_Initial(hWndMain, 50, 200);
    Size(80, 100);
    V(SB_BOTTOM);
    H(SB_RIGHT);
    First_Scroll_Initial(hWndMain, 50, 200);
    EXPECT_EQ(nVscrollPos, 0);
    EXPECT_EQ(nHscrollPos, 0);
    EXPECT_EQ(GetScrollPos(hWndMain, SB_VERT), 0);
    EXPECT_EQ(GetScrollPos(hWndMain, SB_HORZ), 0);
}

TEST_F(ScrollTest, LeftAndRightScrollSidewaysAndStopAtBothEnds)
{
    // The keys reach a window that has the focus: activation gives it.
    SetFocus(NULL);
    EXPECT_EQ(SendMessageA(hWndMain, WM_ACTIVATE, WA_ACTIVE, 0), 0);
    EXPECT_EQ(GetFocus(), hWndMain);
    First_Scroll_Initial(hWndMain, 20, 100);
    Size(80, 120);   // 10 columns, maximum 90
    const struct { WPARAM key; int h; } presses[] = {{VK_LEFT, 0}, {VK_RIGHT, 1}, {VK_RIGHT, 2}, {VK_LEFT, 1}};
    for (const auto &p : presses) {
        EXPECT_EQ(SendMessageA(hWndMain, WM_KEYDOWN, p.key, 1), 0);
        EXPECT_EQ(nHscrollPos, p.h);
    }
    H(SB_RIGHT);
    SendMessageA(hWndMain, WM_KEYDOWN, VK_RIGHT, 1);
    EXPECT_EQ(nHscrollPos, 90);
}

class WheelTest : public ScrollTest {
protected:
    UINT lines = 3, chars = 3;
    void SetUp() override
    {
        ScrollTest::SetUp();
        SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        SystemParametersInfoA(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0);
        SetLines(3);
        SystemParametersInfoA(SPI_SETWHEELSCROLLCHARS, 3, NULL, 0);
        First_Scroll_Initial(hWndMain, 40, 100);
        Size(80, 120);   // 6 rows, maximum 34; maximum 90 columns
    }
    void TearDown() override
    {
        SetLines(lines);
        SystemParametersInfoA(SPI_SETWHEELSCROLLCHARS, chars, NULL, 0);
        ScrollTest::TearDown();
    }
    void SetLines(UINT n) { SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, n, NULL, 0); }
    void Wheel(int delta, WORD keys = 0, UINT message = WM_MOUSEWHEEL)
    {
        EXPECT_EQ(SendMessageA(hWndMain, message, MAKEWPARAM(keys, (WORD)(short)delta), 0), 0);
    }
};

TEST_F(WheelTest, NotchesScrollTheSystemsLinesAndPartialTurnsAddUp)
{
    Wheel(-WHEEL_DELTA);   // towards the user: down
    EXPECT_EQ(nVscrollPos, 3);
    Wheel(WHEEL_DELTA);
    EXPECT_EQ(nVscrollPos, 0);

    // A fine wheel's quarter notches: a line each third of a notch.
    const int after[] = {0, 1, 2, 3, 3, 4};
    for (int i = 0; i < 6; i++) {
        Wheel(-30);
        EXPECT_EQ(nVscrollPos, after[i]) << "after " << (i + 1) * 30;
    }
    Wheel(20);   // the other way: the third of a line still pending goes
    EXPECT_EQ(nVscrollPos, 4);
    Wheel(20);
    EXPECT_EQ(nVscrollPos, 3);

    // Never past either end.
    for (int i = 0; i < 30; i++)
        Wheel(-WHEEL_DELTA);
    EXPECT_EQ(nVscrollPos, 34);
    Wheel(WHEEL_DELTA * 20);
    EXPECT_EQ(nVscrollPos, 0);
}

TEST_F(WheelTest, OneScreenAtATimeTurnsAPageANotch)
{
    SetLines(WHEEL_PAGESCROLL);
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(nVscrollPos, 6);
    Wheel(-WHEEL_DELTA / 2);
    EXPECT_EQ(nVscrollPos, 6);
    Wheel(-WHEEL_DELTA / 2);
    EXPECT_EQ(nVscrollPos, 12);
    SetLines(0);   // wheel scrolling off
    Wheel(-WHEEL_DELTA);
    EXPECT_EQ(nVscrollPos, 12);
}

TEST_F(WheelTest, TiltAndShiftScrollAcross)
{
    Wheel(WHEEL_DELTA, 0, WM_MOUSEHWHEEL);   // tilted right
    EXPECT_EQ(nHscrollPos, 3);
    EXPECT_EQ(nVscrollPos, 0);
    Wheel(-WHEEL_DELTA, MK_SHIFT);           // Shift, turned towards the user
    EXPECT_EQ(nHscrollPos, 6);
    Wheel(WHEEL_DELTA, MK_SHIFT);
    Wheel(-WHEEL_DELTA, 0, WM_MOUSEHWHEEL);
    EXPECT_EQ(nHscrollPos, 0);
    Wheel(-WHEEL_DELTA, 0, WM_MOUSEHWHEEL);
    EXPECT_EQ(nHscrollPos, 0);
    EXPECT_EQ(nVscrollPos, 0);
}

}  // namespace
