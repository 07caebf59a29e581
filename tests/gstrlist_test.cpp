// The name list on real movable global memory.
#include <gtest/gtest.h>

#include "GSTRLIST.H"
#include "seams.h"
#include "testutil.h"

namespace {

class NameListTest : public ::testing::Test {
protected:
    void SetUp() override { seam::Reset(); }
    void TearDown() override { seam::Reset(); }
};

NameList ReadNode(HGLOBAL hNode)
{
    NameList node = {};
    NameList *p = (NameList *)GlobalLock(hNode);
    if (p) {
        node = *p;
        GlobalUnlock(hNode);
    }
    return node;
}

TEST_F(NameListTest, FirstNodeHasNoNeighboursAndAnExactTextBlock)
{
    const wchar_t name[] = L"C:\\Data\\report.txt";
    HGLOBAL hNode = String_list_add(name, sizeof name / sizeof name[0], 0);
    ASSERT_NE(hNode, nullptr);

    NameList node = ReadNode(hNode);
    EXPECT_EQ(node.hback, nullptr);
    EXPECT_EQ(node.hnext, nullptr);
    EXPECT_EQ(GlobalSize(node.hfilename), sizeof name);
    EXPECT_EQ(GlobalFlags(hNode) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(GlobalFlags(node.hfilename) & GMEM_LOCKCOUNT, 0u);

    wchar_t buff[64];
    EXPECT_EQ(String_List_Read(hNode, buff, 64), 1);
    EXPECT_STREQ(buff, name);
    EXPECT_EQ(DeleteAll_StringList(hNode), nullptr);
    EXPECT_EQ(seam::LiveBlocks(), 0u);
}

TEST_F(NameListTest, WalksInDropOrderBothWays)
{
    HGLOBAL h1 = String_list_add(L"C:\\a", 5, 0);
    HGLOBAL h2 = String_list_add(L"C:\\b", 5, h1);
    HGLOBAL h3 = String_list_add(L"C:\\c", 5, h2);
    ASSERT_TRUE(h1 && h2 && h3);

    EXPECT_EQ(String_List_Next(h1), h2);
    EXPECT_EQ(String_List_Next(h2), h3);
    EXPECT_EQ(String_List_Next(h3), nullptr);
    EXPECT_EQ(String_List_Back(h3), h2);
    EXPECT_EQ(String_List_Back(h2), h1);
    EXPECT_EQ(String_List_Back(h1), nullptr);
    EXPECT_EQ(ReadList(h1), (std::vector<std::string>{"C:\\a", "C:\\b", "C:\\c"}));

    DeleteAll_StringList(h1);
}

TEST_F(NameListTest, SeekCountsFromZeroAndStopsAtEitherEnd)
{
    HGLOBAL hHead = MakeList({"C:\\0", "C:\\1", "C:\\2", "C:\\3"});
    HGLOBAL hLast = String_List_Seek(hHead, 3);
    wchar_t buff[8];

    EXPECT_EQ(String_List_Seek(hHead, 0), hHead);
    ASSERT_EQ(String_List_Read(String_List_Seek(hHead, 2), buff, 8), 1);
    EXPECT_STREQ(buff, L"C:\\2");
    ASSERT_EQ(String_List_Read(hLast, buff, 8), 1);
    EXPECT_STREQ(buff, L"C:\\3");
    EXPECT_EQ(String_List_Seek(hHead, 4), nullptr);
    EXPECT_EQ(String_List_Seek(hHead, 100), nullptr);
    EXPECT_EQ(String_List_Seek(hLast, -1), String_List_Seek(hHead, 2));
    EXPECT_EQ(String_List_Seek(hLast, -3), hHead);
    EXPECT_EQ(String_List_Seek(hLast, -4), nullptr);
    EXPECT_EQ(String_List_Seek(0, 0), nullptr);
    EXPECT_EQ(String_List_Seek(0, 2), nullptr);

    DeleteAll_StringList(hHead);
}

TEST_F(NameListTest, NullHandlesReadAsTheEnd)
{
    wchar_t buff[8] = L"keep";
    EXPECT_EQ(String_List_Read(0, buff, 8), 0);
    EXPECT_STREQ(buff, L"keep");
    EXPECT_EQ(String_List_Next(0), nullptr);
    EXPECT_EQ(String_List_Back(0), nullptr);
    EXPECT_EQ(DeleteAll_StringList(0), nullptr);
    EXPECT_EQ(DeleteNext_StringList(0), nullptr);
    EXPECT_EQ(DeleteBack_StringList(0), nullptr);
}

TEST_F(NameListTest, DeletingFromAnyNodeFreesEveryBlock)
{
    for (int start = 0; start < 5; start++) {
        SCOPED_TRACE(start);
        HGLOBAL hHead = MakeList({"C:\\a", "C:\\b", "C:\\c", "C:\\d", "C:\\e"});
        std::vector<HGLOBAL> nodes;
        for (HGLOBAL h = hHead; h; h = String_List_Next(h))
            nodes.push_back(h);
        ASSERT_EQ(nodes.size(), 5u);
        EXPECT_EQ(seam::LiveBlocks(), 10u);  // a node and a text per name

        EXPECT_EQ(DeleteAll_StringList(nodes[start]), nullptr);
        EXPECT_EQ(seam::LiveBlocks(), 0u);
    }
}

TEST_F(NameListTest, PartialSweepsFreeOneSideOnly)
{
    HGLOBAL hHead = MakeList({"C:\\a", "C:\\b", "C:\\c", "C:\\d"});
    HGLOBAL h2 = String_List_Seek(hHead, 2);
    HGLOBAL h1 = String_List_Seek(hHead, 1);
    EXPECT_EQ(DeleteNext_StringList(h2), nullptr);  // frees c and d
    EXPECT_EQ(seam::LiveBlocks(), 4u);
    EXPECT_TRUE(seam::IsLive(h1));
    EXPECT_EQ(DeleteBack_StringList(h1), nullptr);  // frees b and a
    EXPECT_EQ(seam::LiveBlocks(), 0u);
}

TEST_F(NameListTest, FailedTextAllocationLeavesTheListAsItWas)
{
    HGLOBAL hHead = MakeList({"C:\\a", "C:\\b"});
    HGLOBAL hLast = String_List_Seek(hHead, 1);
    size_t before = seam::LiveBlocks();

    seam::allocsBeforeFailure = 1;  // the node block, not its text
    EXPECT_EQ(String_list_add(L"C:\\c", 5, hLast), nullptr);
    seam::allocsBeforeFailure = -1;

    EXPECT_EQ(ReadNode(hLast).hnext, nullptr);
    EXPECT_EQ(ReadList(hHead), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(seam::LiveBlocks(), before);
    EXPECT_EQ(GlobalFlags(hLast) & GMEM_LOCKCOUNT, 0u);

    // The caller's last node still takes the next append.
    HGLOBAL hNew = String_list_add(L"C:\\c", 5, hLast);
    ASSERT_NE(hNew, nullptr);
    EXPECT_EQ(ReadList(hHead).size(), 3u);
    DeleteAll_StringList(hHead);
}

TEST_F(NameListTest, FailedFirstNodeLeavesNothingAllocated)
{
    for (int budget = 0; budget < 2; budget++) {
        SCOPED_TRACE(budget);
        seam::allocsBeforeFailure = budget;
        EXPECT_EQ(String_list_add(L"C:\\a", 5, 0), nullptr);
        EXPECT_EQ(seam::LiveBlocks(), 0u);
    }
}

TEST_F(NameListTest, NamesAreKeptWholeInAnyScriptAndReadsStayInTheirBuffer)
{
    // Beyond every code page, and longer than the old 255 bytes: kept as given.
    const std::string name = "C:\\日本\\café 😀 한국어 report¥draft " + std::string(300, 'x') + ".txt";
    HGLOBAL hHead = MakeList({name});
    EXPECT_EQ(ReadList(hHead), (std::vector<std::string>{name}));
    wchar_t buff[16];
    wmemset(buff, '#', 16);
    EXPECT_EQ(String_List_Read(hHead, buff, 10), 1);   // cut to its buffer, never past
    EXPECT_STREQ(buff, L"C:\\日本\\caf");
    EXPECT_EQ(buff[10], '#');
    DeleteAll_StringList(hHead);

    HGLOBAL hNode = String_list_add(L"C:\\longer-name", 6, 0);   // a short length cuts, too
    ASSERT_NE(hNode, nullptr);
    EXPECT_EQ(GlobalSize(ReadNode(hNode).hfilename), 6 * sizeof(wchar_t));
    EXPECT_EQ(ReadList(hNode), (std::vector<std::string>{"C:\\lo"}));
    DeleteAll_StringList(hNode);
}

}  // namespace
