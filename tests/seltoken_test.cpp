#include <gtest/gtest.h>

#include <wchar.h>

#include "SELTOKEN.H"

TEST(SeparatorToken, EachTypeWritesOneCharacterAndItsTerminator)
{
    const struct { int type; wchar_t sep; } cases[] = {
        {1, ','}, {2, '/'}, {3, ' '}, {4, '\t'}, {0, '\n'}, {5, '\n'}, {-1, '\n'}, {256, '\n'},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type);
        wchar_t buff[8];
        wmemset(buff, '#', 8);
        string_select_token(buff, c.type);
        EXPECT_EQ(buff[0], c.sep);
        EXPECT_EQ(buff[1], '\0');
        EXPECT_EQ(buff[2], '#');
    }
}
