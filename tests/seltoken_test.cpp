#include <gtest/gtest.h>

#include <string.h>

#include "SELTOKEN.H"

TEST(SeparatorToken, EachTypeWritesOneCharacterAndItsTerminator)
{
    const struct { int type; char sep; } cases[] = {
        {1, ','}, {2, '/'}, {3, ' '}, {4, '\t'}, {0, '\n'}, {5, '\n'}, {-1, '\n'}, {256, '\n'},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type);
        char buff[8];
        memset(buff, '#', sizeof buff);
        string_select_token(buff, c.type);
        EXPECT_EQ(buff[0], c.sep);
        EXPECT_EQ(buff[1], '\0');
        EXPECT_EQ(buff[2], '#');
    }
}
