// The text accumulator on real movable global memory.
#include <gtest/gtest.h>

#include "GLOBTEXT.H"
#include "seams.h"
#include "testutil.h"

namespace {

class TextAccumulatorTest : public ::testing::Test {
protected:
    void SetUp() override { seam::Reset(); }
    void TearDown() override { seam::Reset(); }
};

std::wstring Text(HGLOBAL h)
{
    const wchar_t *p = (const wchar_t *)GlobalLock(h);
    std::wstring s = p ? p : L"<unlockable>";
    GlobalUnlock(h);
    return s;
}

TEST_F(TextAccumulatorTest, EmptyFirstPieceIsOneCharacter)
{
    HGLOBAL h = Global_text_add(0, L"");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), sizeof(wchar_t));
    EXPECT_EQ(Text(h), L"");
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, BlockIsExactlyTheTextAndKeepsItsHandle)
{
    HGLOBAL h = Global_text_add(0, L"abc");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 4 * sizeof(wchar_t));
    EXPECT_EQ(Global_text_add(h, L"de"), h);
    EXPECT_EQ(GlobalSize(h), 6 * sizeof(wchar_t));
    EXPECT_EQ(Text(h), L"abcde");
    EXPECT_EQ(Global_text_add(h, L""), h);
    EXPECT_EQ(GlobalSize(h), 6 * sizeof(wchar_t));
    EXPECT_EQ(Text(h), L"abcde");
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(seam::LiveBlocks(), 1u);
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, ManyPiecesKeepTheirOrderAndBytes)
{
    std::wstring expected;
    HGLOBAL h = 0;
    for (int i = 0; i < 300; i++) {
        std::wstring piece = (i ? L"\n" : L"") + std::wstring(L"C:\\表😀\\") + std::to_wstring(i);
        expected += piece;
        HGLOBAL r = Global_text_add(h, piece.c_str());
        ASSERT_NE(r, nullptr);
        if (h) {
            ASSERT_EQ(r, h);
        }
        h = r;
    }
    EXPECT_EQ(Text(h), expected);
    EXPECT_EQ(GlobalSize(h), (expected.size() + 1) * sizeof(wchar_t));
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, FailedAppendLeavesTheOldTextReadable)
{
    HGLOBAL h = Global_text_add(0, L"C:\\a");
    ASSERT_NE(h, nullptr);
    seam::reallocsBeforeFailure = 0;
    EXPECT_EQ(Global_text_add(h, L"\nC:\\b"), nullptr);
    EXPECT_EQ(Text(h), L"C:\\a");
    EXPECT_EQ(GlobalSize(h), 5 * sizeof(wchar_t));
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_TRUE(seam::IsLive(h));
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, FailedNewBlockLeavesNothing)
{
    seam::allocsBeforeFailure = 0;
    EXPECT_EQ(Global_text_add(0, L"abc"), nullptr);
    EXPECT_EQ(seam::LiveBlocks(), 0u);
}

}  // namespace
