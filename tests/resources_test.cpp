// The program's menu, loaded from the built module.
#include <gtest/gtest.h>

#include "TAMSEL.H"
#include "testutil.h"

#include <set>

namespace {

HINSTANCE Module() { return GetModuleHandleA(NULL); }

TEST(Resources, MenuHasEveryCommandInOrder)
{
    HMENU bar = LoadMenuA(Module(), "TAMSEL32");
    ASSERT_NE(bar, nullptr);
    const struct { const char *popup; std::vector<std::pair<const char *, int>> items; } expected[] = {
        {"&File", {{"&Save\tCtrl+S", 106}, {"Save &As", 103}, {nullptr, 0}, {"E&xit", 101}}},
        {"&Edit", {{"&Undo\tCtrl+Z", 115}, {"R&edo\tCtrl+Y", 119}, {nullptr, 0}, {"Name&Copy\tCtrl+C", 104},
                   {"&Paste\tCtrl+V", 111}, {"&Remove\tDel", 112}, {nullptr, 0}, {"Select &All\tCtrl+A", 113},
                   {"Select &Matching…\tCtrl+F", 120}, {"Select &Files", 121}, {"Select F&olders", 122},
                   {"&Invert Selection", 123}, {nullptr, 0}, {"Sort By &Name", 114},
                   {nullptr, 0}, {"Clip &Board Clear", 107}, {"&Tamsel Clear", 108}}},
        {"&Option", {{"Copy &Option", 105}, {"Copy As For&mats", 118}, {"&Font", 109}, {"Status &Bar", 124},
                     {nullptr, 0}, {"&Save Option", 110}}},
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
        std::set<wchar_t> keys;
        for (int i = 0; i < GetMenuItemCount(pop); i++) {
            UINT state = GetMenuState(pop, i, MF_BYPOSITION);
            if (!expected[p].items[i].first) {
                EXPECT_TRUE(state & MF_SEPARATOR) << i;
                continue;
            }
            EXPECT_EQ(state & (MF_GRAYED | MF_CHECKED | MF_SEPARATOR), 0u);
            wchar_t item[64];
            GetMenuStringW(pop, i, item, 64, MF_BYPOSITION);
            EXPECT_EQ(std::wstring(item), Wide(expected[p].items[i].first));
            const wchar_t *key = wcschr(item, L'&');   // each reached by a key of its own
            ASSERT_NE(key, nullptr);
            EXPECT_TRUE(keys.insert(towlower(key[1])).second) << "the key of " << i << " again";
            EXPECT_EQ((int)GetMenuItemID(pop, i), expected[p].items[i].second);
        }
    }
    DestroyMenu(bar);
}

}  // namespace
