/* Code page 1252, the scripts' encoding. */
#include <gtest/gtest.h>

#include <string>

#include "tools/checker/cp1252.h"

namespace {

TEST(CheckerHelpers, CodePage1252)
{
    EXPECT_EQ("\xE2\x82\xAC \xC3\xA9 \xC5\x93 \xC2\x81", Cp1252ToUtf8("\x80 \xE9 \x9C \x81"));
    std::string back;
    ASSERT_TRUE(Utf8ToCp1252("\xE2\x82\xAC \xC3\xA9 \xC5\x93 \xC2\x81", &back));
    EXPECT_EQ("\x80 \xE9 \x9C \x81", back);
    EXPECT_FALSE(Utf8ToCp1252("\xE2\x86\x92", &back)) << "no arrow in cp1252";
    EXPECT_FALSE(Utf8ToCp1252("\xE9t\xE9", &back)) << "not UTF-8";
    EXPECT_TRUE(Cp1252EqualNoCase("\xC9t\xE9 \x9C\xFF", "\xE9T\xC9 \x8C\x9F"));
    EXPECT_FALSE(Cp1252EqualNoCase("\xF7", "\xD7")) << "division and multiplication signs";
    for (int b = 0x80; b <= 0x9F; b++)
        EXPECT_EQ(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D,
                  Cp1252IsUndefined((unsigned char)b)) << b;
}

} // namespace
