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

std::string Text(HGLOBAL h)
{
    const char *p = (const char *)GlobalLock(h);
    std::string s = p ? p : "<unlockable>";
    GlobalUnlock(h);
    return s;
}

TEST_F(TextAccumulatorTest, EmptyFirstPieceIsOneByte)
{
    HGLOBAL h = Global_text_add(0, "");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 1u);
    EXPECT_EQ(Text(h), "");
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, BlockIsExactlyTheTextAndKeepsItsHandle)
{
    HGLOBAL h = Global_text_add(0, "abc");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GlobalSize(h), 4u);
    EXPECT_EQ(Global_text_add(h, "de"), h);
    EXPECT_EQ(GlobalSize(h), 6u);
    EXPECT_EQ(Text(h), "abcde");
    EXPECT_EQ(Global_text_add(h, ""), h);
    EXPECT_EQ(GlobalSize(h), 6u);
    EXPECT_EQ(Text(h), "abcde");
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(seam::LiveBlocks(), 1u);
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, ManyPiecesKeepTheirOrderAndBytes)
{
    std::string expected;
    HGLOBAL h = 0;
    for (int i = 0; i < 300; i++) {
        std::string piece = (i ? "\n" : "") + Sjis("C:\\表\\") + std::to_string(i);
        expected += piece;
        HGLOBAL r = Global_text_add(h, piece.c_str());
        ASSERT_NE(r, nullptr);
        if (h) {
            ASSERT_EQ(r, h);
        }
        h = r;
    }
    EXPECT_EQ(Text(h), expected);
    EXPECT_EQ(GlobalSize(h), expected.size() + 1);
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, FailedAppendLeavesTheOldTextReadable)
{
    HGLOBAL h = Global_text_add(0, "C:\\a");
    ASSERT_NE(h, nullptr);
    seam::reallocsBeforeFailure = 0;
    EXPECT_EQ(Global_text_add(h, "\nC:\\b"), nullptr);
    EXPECT_EQ(Text(h), "C:\\a");
    EXPECT_EQ(GlobalSize(h), 5u);
    EXPECT_EQ(GlobalFlags(h) & GMEM_LOCKCOUNT, 0u);
    EXPECT_TRUE(seam::IsLive(h));
    GlobalFree(h);
}

TEST_F(TextAccumulatorTest, FailedNewBlockLeavesNothing)
{
    seam::allocsBeforeFailure = 0;
    EXPECT_EQ(Global_text_add(0, "abc"), nullptr);
    EXPECT_EQ(seam::LiveBlocks(), 0u);
}

}  // namespace
