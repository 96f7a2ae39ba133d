// Case folding and literals of code page 1251.
#include "cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Cp1251, LiteralConvertsCyrillicToSingleBytes) {
    constexpr auto caption = cp1251::Literal("Поиск приложений");
    EXPECT_EQ(caption.size, 16u);
    EXPECT_EQ(std::string(caption.view()),
              "\xCF\xEE\xE8\xF1\xEA \xEF\xF0\xE8\xEB\xEE\xE6\xE5\xED\xE8\xE9");
    constexpr auto mixed = cp1251::Literal("№: Ёё");
    EXPECT_EQ(std::string(mixed.view()), "\xB9: \xA8\xB8");
    EXPECT_EQ(mixed.c_str()[mixed.size], '\0');
}

TEST(Cp1251, CompareNoCaseFoldsLatinAndCyrillic) {
    struct Case {
        std::string a, b;
        int sign;
    } cases[] = {
        {"System", "SYSTEM", 0},
        {"abc", "abd", -1},
        {"abc", "ab", 1},
        {"", "", 0},
        {std::string(cp1251::Literal("ПРИВЕТ").view()),
         std::string(cp1251::Literal("привет").view()), 0},
        {std::string(cp1251::Literal("Ёж").view()), std::string(cp1251::Literal("ёЖ").view()), 0},
        {std::string(cp1251::Literal("ЇІЄҐЎ").view()), std::string(cp1251::Literal("їієґў").view()),
         0},
        {std::string(cp1251::Literal("а").view()), std::string(cp1251::Literal("Б").view()), -1},
        // Bytes that are not letters are not folded.
        {"\xAB", "\xBB", -1},
        {"[", "{", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a + " vs " + c.b);
        EXPECT_EQ(cp1251::CompareNoCase(c.a, c.b), c.sign);
        EXPECT_EQ(cp1251::EqualNoCase(c.a, c.b), c.sign == 0);
    }
}

TEST(Cp1251, ToUnicodeCoversTheHighHalf) {
    EXPECT_EQ(cp1251::ToUnicode('A'), u'A');
    EXPECT_EQ(cp1251::ToUnicode(0xC0), u'\u0410');
    EXPECT_EQ(cp1251::ToUnicode(0xFF), u'\u044F');
    EXPECT_EQ(cp1251::ToUnicode(0xB9), u'\u2116');
    EXPECT_EQ(cp1251::ToUnicode(0x98), u'\0');
}

} // namespace
