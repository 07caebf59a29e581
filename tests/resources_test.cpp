// The program's resources, loaded from the built module and checked
// against the menu, string table, dialog templates, icons and cursor.
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
        {"&File", {{"&Save", 106}, {"Save &As", 103}, {nullptr, 0}, {"E&xit", 101}}},
        {"&Edit", {{"Name&Copy", 104}, {"Clip &Board Clear", 107}, {"&Tamsel Clear", 108}}},
        {"&Option", {{"Copy &Option", 105}, {"&Font", 109}, {nullptr, 0}, {"&Save Option", 110}}},
        {"&Help", {{"&Index", 4}, {"&Using Help", 3}, {nullptr, 0}, {"&About", 102}}},
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

TEST(Resources, StringTableInCodePage932)
{
    const struct { UINT id; const char *utf8; } strings[] = {
        {1, "Tamsel32"}, {2, "1.0"},
        {103, "ﾄﾞﾗｯｸﾞされたﾈｰﾑを名前を付けて保存"},
        {104, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰします"},
        {105, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞﾍｺﾋﾟｰする内容を設定します"},
        {106, "ﾄﾞﾗｯｸﾞされたﾈｰﾑを保存"},
        {107, "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容をｸﾘｱｰします"},
        {108, "ﾄﾞﾗｯｸﾞされた内容をｸﾘｱｰします"},
        {109, "表示ﾌｫﾝﾄを切り替えます"},
        {110, "ｵﾌﾟｼｮﾝ内容を保存します"},
    };
    char buff[256];
    for (const auto &s : strings) {
        SCOPED_TRACE(s.id);
        ASSERT_GT(LoadStringA(Module(), s.id, buff, sizeof buff), 0);
        EXPECT_EQ(std::string(buff), Sjis(s.utf8));
    }
    // Half-width katakana are one byte each.
    LoadStringA(Module(), 106, buff, sizeof buff);
    EXPECT_EQ((unsigned char)buff[0], 0xC4u);   // ﾄ
    EXPECT_EQ(LoadStringA(Module(), 3, buff, sizeof buff), 0);
}

// A classic dialog template, read field by field.
struct Item {
    DWORD style, exstyle;
    short x, y, cx, cy;
    WORD id;
    std::string cls, text;
};
struct Dialog {
    DWORD style, exstyle;
    short x, y, cx, cy;
    std::string caption, font;
    WORD pointSize = 0;
    bool menu = false, ownClass = false;
    std::vector<Item> items;
};

std::string Narrow(const WORD *&p)
{
    std::string s;
    while (*p)
        s += (char)*p++;
    p++;
    return s;
}

std::string ClassOrText(const WORD *&p)
{
    if (*p == 0xFFFF) {
        WORD ord = p[1];
        p += 2;
        return ord == 0x80 ? "BUTTON" : ord == 0x82 ? "STATIC" : "#" + std::to_string(ord);
    }
    return Narrow(p);
}

Dialog LoadDialog(int id)
{
    Dialog d;
    HRSRC res = FindResourceA(Module(), MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    EXPECT_NE(res, nullptr);
    if (!res)
        return d;
    const DLGTEMPLATE *t = (const DLGTEMPLATE *)LockResource(LoadResource(Module(), res));
    EXPECT_NE(((const WORD *)t)[1], 0xFFFF) << "an extended template";
    d.style = t->style;
    d.exstyle = t->dwExtendedStyle;
    d.x = t->x, d.y = t->y, d.cx = t->cx, d.cy = t->cy;
    const WORD *p = (const WORD *)(t + 1);
    d.menu = *p != 0;
    ClassOrText(p);
    d.ownClass = *p != 0;
    ClassOrText(p);
    d.caption = Narrow(p);
    if (d.style & DS_SETFONT) {
        d.pointSize = *p++;
        d.font = Narrow(p);
    }
    for (int i = 0; i < t->cdit; i++) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        const DLGITEMTEMPLATE *it = (const DLGITEMTEMPLATE *)p;
        Item item = {it->style, it->dwExtendedStyle, it->x, it->y, it->cx, it->cy, it->id, "", ""};
        p = (const WORD *)(it + 1);
        item.cls = ClassOrText(p);
        item.text = ClassOrText(p);
        WORD extra = *p++;
        p = (const WORD *)((const BYTE *)p + extra);
        d.items.push_back(item);
    }
    return d;
}

void ExpectItems(const Dialog &d, const std::vector<Item> &expected)
{
    ASSERT_EQ(d.items.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        SCOPED_TRACE(i + 1);
        const Item &a = d.items[i], &e = expected[i];
        EXPECT_EQ(a.cls, e.cls);
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.style, e.style);
        EXPECT_EQ(a.exstyle, e.exstyle);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;

TEST(Resources, AboutTemplate)
{
    Dialog d = LoadDialog(1);
    EXPECT_EQ(d.style, (DWORD)(WS_POPUP | WS_BORDER | WS_TABSTOP | DS_ABSALIGN | DS_SETFONT | DS_CENTER));
    EXPECT_EQ(d.exstyle, (DWORD)(WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE));
    EXPECT_EQ(d.x, 21);
    EXPECT_EQ(d.y, 22);
    EXPECT_EQ(d.cx, 156);
    EXPECT_EQ(d.cy, 51);
    EXPECT_EQ(d.caption, "");
    EXPECT_FALSE(d.menu);
    EXPECT_FALSE(d.ownClass);
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.font, "System");
    ASSERT_EQ(d.items.size(), 6u);
    std::string notice = d.items[2].text;
    EXPECT_FALSE(notice.empty());
    ExpectItems(d, {
        {kChild | WS_GROUP | SS_CENTER, 0, 52, 4, 55, 8, 0xFFFF, "STATIC", "Tamsel 32"},
        {kChild | SS_CENTER, 0, 52, 12, 59, 8, 0xFFFF, "STATIC", "Version 1.0"},
        {kChild | WS_GROUP | SS_SIMPLE | SS_SUNKEN, 0, 4, 24, 148, 9, 0xFFFF, "STATIC", notice},
        {kChild | SS_ICON, WS_EX_DLGMODALFRAME, 11, 4, 18, 21, 0xFFFF, "STATIC", "Tamsel32"},
        {kChild | SS_ICON, 0, 128, 4, 18, 21, 0xFFFF, "STATIC", "Orvane"},
        {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_CENTER, 0, 64, 36, 32, 12, IDOK, "BUTTON", "OK"},
    });
}

TEST(Resources, CopyOptionTemplate)
{
    Dialog d = LoadDialog(2);
    EXPECT_EQ(d.style, (DWORD)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(d.exstyle, (DWORD)WS_EX_DLGMODALFRAME);
    EXPECT_EQ(d.x, 22);
    EXPECT_EQ(d.y, 23);
    EXPECT_EQ(d.cx, 129);
    EXPECT_EQ(d.cy, 37);
    EXPECT_EQ(d.caption, "Copy Option");
    EXPECT_EQ(d.pointSize, 8);
    EXPECT_EQ(d.font, "System");
    ExpectItems(d, {
        {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 92, 4, 33, 12, IDOK, "BUTTON", "OK"},
        {kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 92, 20, 33, 12, IDCANCEL, "BUTTON", "Cancel"},
        {kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 4, 4, 72, 12, 101, "BUTTON", " File Name Only"},
        {kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0, 4, 20, 84, 12, 102, "BUTTON", " Direct To Clip Board"},
        {kChild | SS_BLACKFRAME, 0, 3, 55, 101, 1, 0xFFFF, "STATIC", ""},
    });
}

#pragma pack(push, 2)
struct GroupEntry {   // one entry of an icon or cursor group
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

const GroupEntry *Group(const char *name, LPCSTR type, WORD *count)
{
    HRSRC res = FindResourceA(Module(), name, type);
    if (!res)
        return nullptr;
    const WORD *dir = (const WORD *)LockResource(LoadResource(Module(), res));
    *count = dir[2];
    return (const GroupEntry *)(dir + 3);
}

TEST(Resources, IconsAre32By32In16Colours)
{
    for (const char *name : {"TAMSEL32", "ORVANE", "tamsel32"}) {
        SCOPED_TRACE(name);
        WORD count = 0;
        const GroupEntry *e = Group(name, (LPCSTR)RT_GROUP_ICON, &count);
        ASSERT_NE(e, nullptr);
        ASSERT_EQ(count, 1);
        EXPECT_EQ(e->width, 32);
        EXPECT_EQ(e->height, 32);
        EXPECT_EQ(e->colors, 16);
        EXPECT_EQ(e->bitCount, 4);
        EXPECT_NE(LoadIconA(Module(), name), nullptr);
    }
}

TEST(Resources, CursorIsMonochromeWithItsHotSpotAtTheTip)
{
    WORD count = 0;
    const GroupEntry *e = Group("TAMSEL32", (LPCSTR)RT_GROUP_CURSOR, &count);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(count, 1);
    HRSRC res = FindResourceA(Module(), MAKEINTRESOURCEA(e->id), (LPCSTR)RT_CURSOR);
    ASSERT_NE(res, nullptr);
    const WORD *cur = (const WORD *)LockResource(LoadResource(Module(), res));
    EXPECT_EQ(cur[0], 0);   // hot spot x
    EXPECT_EQ(cur[1], 0);   // hot spot y
    const BITMAPINFOHEADER *bih = (const BITMAPINFOHEADER *)(cur + 2);
    EXPECT_EQ(bih->biWidth, 32);
    EXPECT_EQ(bih->biHeight, 64);   // image and mask
    EXPECT_EQ(bih->biBitCount, 1);

    HCURSOR hCursor = LoadCursorA(Module(), "TAMSEL32");
    ASSERT_NE(hCursor, nullptr);
    ICONINFO info;
    ASSERT_TRUE(GetIconInfo(hCursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
}

TEST(Resources, VersionIsOnePointZeroOfTamsel32)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void **)&fixed, &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    char *value = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041104B0\\ProductName", (void **)&value, &len));
    EXPECT_STREQ(value, "Tamsel32");
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041104B0\\FileVersion", (void **)&value, &len));
    EXPECT_STREQ(value, "1.0");
}

TEST(Resources, WindowClassUsesTheProgramsIconCursorAndMenu)
{
    HINSTANCE h = Module();
    ASSERT_NE(InitWindowclass(h), 0);
    EXPECT_STREQ(szAppName, "Tamsel32");
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(h, "Tamsel32", &wc));
    EXPECT_EQ(wc.lpfnWndProc, WndProc);
    EXPECT_NE(wc.hIcon, nullptr);
    EXPECT_NE(wc.hCursor, nullptr);
    EXPECT_EQ(wc.hbrBackground, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EXPECT_STREQ(wc.lpszMenuName, "Tamsel32");
    EXPECT_EQ(wc.cbClsExtra + wc.cbWndExtra, 0);
    // A second registration in the same process fails, as it should.
    EXPECT_EQ(InitWindowclass(h), 0);
}

}  // namespace
