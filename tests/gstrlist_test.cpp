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
    const char name[] = "C:\\Data\\report.txt";
    HGLOBAL hNode = String_list_add(name, sizeof name, 0);
    ASSERT_NE(hNode, nullptr);

    NameList node = ReadNode(hNode);
    EXPECT_EQ(node.hback, nullptr);
    EXPECT_EQ(node.hnext, nullptr);
    EXPECT_EQ(GlobalSize(node.hfilename), sizeof name);
    EXPECT_EQ(GlobalFlags(hNode) & GMEM_LOCKCOUNT, 0u);
    EXPECT_EQ(GlobalFlags(node.hfilename) & GMEM_LOCKCOUNT, 0u);

    char buff[NAME_BUFF_SIZE];
    EXPECT_EQ(String_List_Read(hNode, buff), 1);
    EXPECT_STREQ(buff, name);
    EXPECT_EQ(DeleteAll_StringList(hNode), nullptr);
    EXPECT_EQ(seam::LiveBlocks(), 0u);
}

TEST_F(NameListTest, WalksInDropOrderBothWays)
{
    HGLOBAL h1 = String_list_add("C:\\a", 5, 0);
    HGLOBAL h2 = String_list_add("C:\\b", 5, h1);
    HGLOBAL h3 = String_list_add("C:\\c", 5, h2);
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
    char buff[NAME_BUFF_SIZE];

    EXPECT_EQ(String_List_Seek(hHead, 0), hHead);
    ASSERT_EQ(String_List_Read(String_List_Seek(hHead, 2), buff), 1);
    EXPECT_STREQ(buff, "C:\\2");
    ASSERT_EQ(String_List_Read(hLast, buff), 1);
    EXPECT_STREQ(buff, "C:\\3");
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
    char buff[8] = "keep";
    EXPECT_EQ(String_List_Read(0, buff), 0);
    EXPECT_STREQ(buff, "keep");
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
    EXPECT_EQ(String_list_add("C:\\c", 5, hLast), nullptr);
    seam::allocsBeforeFailure = -1;

    EXPECT_EQ(ReadNode(hLast).hnext, nullptr);
    EXPECT_EQ(ReadList(hHead), (std::vector<std::string>{"C:\\a", "C:\\b"}));
    EXPECT_EQ(seam::LiveBlocks(), before);
    EXPECT_EQ(GlobalFlags(hLast) & GMEM_LOCKCOUNT, 0u);

    // The caller's last node still takes the next append.
    HGLOBAL hNew = String_list_add("C:\\c", 5, hLast);
    ASSERT_NE(hNew, nullptr);
    EXPECT_EQ(ReadList(hHead).size(), 3u);
    DeleteAll_StringList(hHead);
}

TEST_F(NameListTest, FailedFirstNodeLeavesNothingAllocated)
{
    for (int budget = 0; budget < 2; budget++) {
        SCOPED_TRACE(budget);
        seam::allocsBeforeFailure = budget;
        EXPECT_EQ(String_list_add("C:\\a", 5, 0), nullptr);
        EXPECT_EQ(seam::LiveBlocks(), 0u);
    }
}

TEST_F(NameListTest, NamesAreKeptAsCodePage932Bytes)
{
    // 0x5C is the second byte of this character: no conversion, no cut.
    const std::string name = Sjis("C:\\データ\\表.txt");
    ASSERT_NE(name.find("\x95\x5c"), std::string::npos);
    HGLOBAL hHead = MakeList({name});
    EXPECT_EQ(ReadList(hHead), (std::vector<std::string>{name}));
    DeleteAll_StringList(hHead);
}

TEST_F(NameListTest, ShortLengthCutsTheNameInsteadOfOverrunning)
{
    HGLOBAL hNode = String_list_add("C:\\longer-name", 6, 0);
    ASSERT_NE(hNode, nullptr);
    EXPECT_EQ(GlobalSize(ReadNode(hNode).hfilename), 6u);
    char buff[NAME_BUFF_SIZE];
    String_List_Read(hNode, buff);
    EXPECT_STREQ(buff, "C:\\lo");
    DeleteAll_StringList(hNode);
}

TEST_F(NameListTest, ReadNeverFillsMoreThanANameBuffer)
{
    std::string name(400, 'x');
    HGLOBAL hNode = String_list_add(name.c_str(), (UINT)name.size() + 1, 0);
    char buff[NAME_BUFF_SIZE + 16];
    memset(buff, '#', sizeof buff);
    EXPECT_EQ(String_List_Read(hNode, buff), 1);
    EXPECT_EQ(strlen(buff), (size_t)NAME_BUFF_SIZE - 1);
    EXPECT_EQ(buff[NAME_BUFF_SIZE], '#');
    DeleteAll_StringList(hNode);
}

}  // namespace
