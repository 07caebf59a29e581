// The program's menu, loaded from the built module.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "testutil.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(NULL); }

TEST(Resources, MenuHasEveryCommandInOrder)
{
    HMENU bar = LoadMenuA(Module(), "TAMSEL32");
    ASSERT_NE(bar, nullptr);
    const struct { const char *popup; std::vector<std::pair<const char *, int>> items; } expected[] = {
        {"&File", {{"&Save\tCtrl+S", 106}, {"Save &As", 103}, {nullptr, 0}, {"E&xit", 101}}},
        {"&Edit", {{"&Undo\tCtrl+Z", 115}, {nullptr, 0}, {"Name&Copy\tCtrl+C", 104}, {"&Paste\tCtrl+V", 111},
                   {"&Remove\tDel", 112}, {"Select &All\tCtrl+A", 113}, {nullptr, 0}, {"Sort By &Name", 114},
                   {nullptr, 0}, {"Clip &Board Clear", 107}, {"&Tamsel Clear", 108}}},
        {"&Option", {{"Copy &Option", 105}, {"Copy As For&mats", 118}, {"&Font", 109}, {nullptr, 0}, {"&Save Option", 110}}},
        {"&Help", {{"&Index\tF1", 4}, {"&Using Help", 3}, {nullptr, 0}, {"&About", 102}}},
    };
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    char text[64];
    for (int p = 0; p < 4; p++) {
        SCOPED_TRACE(expected[p].popup);
        GetMenuStringA(bar, p, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, expected[p].popup);
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoA(bar, p, TRUE, &mii));
        EXPECT_EQ(mii.fType & MFT_RIGHTJUSTIFY, 0u);
        HMENU pop = GetSubMenu(bar, p);
        ASSERT_NE(pop, nullptr);
        ASSERT_EQ(GetMenuItemCount(pop), (int)expected[p].items.size());
        for (int i = 0; i < GetMenuItemCount(pop); i++) {
            UINT state = GetMenuState(pop, i, MF_BYPOSITION);
            if (!expected[p].items[i].first) {
                EXPECT_TRUE(state & MF_SEPARATOR) << i;
                continue;
            }
            EXPECT_EQ(state & (MF_GRAYED | MF_CHECKED | MF_SEPARATOR), 0u);
            GetMenuStringA(pop, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(text, expected[p].items[i].first);
            EXPECT_EQ((int)GetMenuItemID(pop, i), expected[p].items[i].second);
        }
    }
    DestroyMenu(bar);
}

}  // namespace
