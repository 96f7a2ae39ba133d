// Bytes as one word of hexadecimal digits.
#include "hex_word.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(HexWord, EveryByteRoundTripsAsOneWordWithoutBlanks) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string word = hexword::Encode(all);
    EXPECT_EQ(word.size(), 512u);
    EXPECT_EQ(word.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(word.substr(0, 8), "00010203");
    std::string back;
    ASSERT_TRUE(hexword::Decode(word, back));
    EXPECT_EQ(back, all);
}

TEST(HexWord, NoBytesAreADash) {
    EXPECT_EQ(hexword::Encode(""), "-");
    EXPECT_EQ(hexword::Encode(nullptr, 0), "-");
    std::string bytes = "stale";
    EXPECT_TRUE(hexword::Decode("-", bytes));
    EXPECT_EQ(bytes, "");
}

TEST(HexWord, DecodeTakesEitherCaseAndRefusesWhatIsNotWholeBytes) {
    const struct {
        const char* word;
        bool ok;
        std::string bytes;
    } cases[] = {
        {"00ff7F", true, "\x00\xff\x7f"s},
        {"ABcd", true, "\xab\xcd"},
        {"", false, ""},
        {"abc", false, ""},
        {"0g", false, ""},
        {"--", false, ""},
        {" 0a", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        std::string bytes;
        EXPECT_EQ(hexword::Decode(c.word, bytes), c.ok);
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes);
        }
    }
}

TEST(HexWord, DigitValue) {
    EXPECT_EQ(hexword::DigitValue('0'), 0);
    EXPECT_EQ(hexword::DigitValue('9'), 9);
    EXPECT_EQ(hexword::DigitValue('a'), 10);
    EXPECT_EQ(hexword::DigitValue('F'), 15);
    for (const char c : {'g', 'G', '/', ':', '@', '`', ' ', '-', '\0'})
        EXPECT_EQ(hexword::DigitValue(c), -1) << c;
}

} // namespace
