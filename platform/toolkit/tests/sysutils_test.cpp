// Tests of the text, number and file-name helpers.
#include <toolkit.h>

#include "sim_fixture.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct IntCase {
    const char* text;
    bool ok;
    long long value;
};

TEST(StrToInt, AcceptsDecimalAndHexWithLeadingBlanks) {
    const IntCase cases[] = {
        {"0", true, 0},
        {"123", true, 123},
        {"-123", true, -123},
        {"+7", true, 7},
        {"   42", true, 42},
        {"007", true, 7},
        {"$1F", true, 31},
        {"0x1f", true, 31},
        {"0X1F", true, 31},
        {"-$10", true, -16},
        {"$FFFFFFFF", true, -1},
        {"$7FFFFFFF", true, 2147483647},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483648LL},
        {"", false, 0},
        {"   ", false, 0},
        {"abc", false, 0},
        {"12 ", false, 0},
        {"1 2", false, 0},
        {"1.5", false, 0},
        {"1a", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"$G", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"$100000000", false, 0},
        {"\t5", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToIntDef(c.text, -777), c.ok ? c.value : -777);
        if (c.ok) {
            EXPECT_EQ(StrToInt(c.text), c.value);
        } else {
            EXPECT_THROW(StrToInt(c.text), EConvertError);
        }
    }
}

TEST(StrToInt, ErrorNamesTheText) {
    try {
        StrToInt("abc");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'abc' is not a valid integer value");
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

TEST(StrToInt64, TakesTheFullRange) {
    const IntCase cases[] = {
        {"9223372036854775807", true, std::numeric_limits<long long>::max()},
        {"-9223372036854775808", true, std::numeric_limits<long long>::min()},
        {"$FFFFFFFFFFFFFFFF", true, -1},
        {"4294967296", true, 4294967296LL},
        {"0x100000000", true, 4294967296LL},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"$10000000000000000", false, 0},
        {"x", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StrToInt64Def(c.text, -777), c.ok ? c.value : -777);
        if (c.ok) {
            EXPECT_EQ(StrToInt64(c.text), c.value);
        } else {
            EXPECT_THROW(StrToInt64(c.text), EConvertError);
        }
    }
}

TEST(IntToStr, Decimal) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(std::numeric_limits<long long>::min()), "-9223372036854775808");
}

TEST(Trim, RemovesControlsAndBlanksAtBothEnds) {
    EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(Trim(std::string("\0x\x01", 3)), "x");
    EXPECT_EQ(Trim(" \t "), "");
    EXPECT_EQ(Trim(""), "");
    // Bytes above 0x7F are characters, not blanks.
    EXPECT_EQ(Trim("\xE0 "), "\xE0");
}

TEST(CaseFolding, CyrillicAndLatin) {
    constexpr auto upper = cp1251::Literal("ПРИВЕТ ЁЖ World");
    constexpr auto lower = cp1251::Literal("привет ёж world");
    EXPECT_EQ(AnsiLowerCase(std::string(upper.view())), lower.view());
    EXPECT_EQ(AnsiUpperCase(std::string(lower.view())), cp1251::Literal("ПРИВЕТ ЁЖ WORLD").view());
    EXPECT_TRUE(AnsiSameText(std::string(upper.view()), std::string(lower.view())));
    EXPECT_FALSE(AnsiSameText("abc", "abcd"));
    EXPECT_EQ(AnsiCompareText("ABC", "abd"), -1);
    EXPECT_EQ(AnsiCompareText("abd", "ABC"), 1);
    EXPECT_EQ(AnsiCompareText("Abc", "aBC"), 0);
    EXPECT_LT(AnsiCompareText("ab", "abc"), 0);
}

TEST(FileNames, Parts) {
    struct Case {
        const char* path;
        const char* dir;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"C:\\Tavrin RC\\config.ini", "C:\\Tavrin RC\\", "config.ini", ".ini"},
        {"C:\\a.b\\file", "C:\\a.b\\", "file", ""},
        {"C:file.txt", "C:", "file.txt", ".txt"},
        {"name.tar.gz", "", "name.tar.gz", ".gz"},
        {"C:\\dir\\", "C:\\dir\\", "", ""},
        {"archive.", "", "archive.", "."},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtractFilePath(c.path), c.dir);
        EXPECT_EQ(ExtractFileName(c.path), c.name);
        EXPECT_EQ(ExtractFileExt(c.path), c.ext);
    }
}

class LocaleTest : public SimMachineTest {};

TEST_F(LocaleTest, DecimalSeparatorFollowsTheLocaleOnEveryCall) {
    EXPECT_EQ(DecimalSeparator(), '.');
    win32sim::SetDecimalSeparator(',');
    EXPECT_EQ(DecimalSeparator(), ',');
    win32sim::SetDecimalSeparator('\0');
    EXPECT_EQ(DecimalSeparator(), '.');
}

TEST_F(LocaleTest, FloatToStrGeneralForm) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.3, "0.3"},
        {double(0.3f), "0.300000011920929"},
        {0.1 + 0.2, "0.3"},
        {100.0, "100"},
        {5.0, "5"},
        {-1.0, "-1"},
        {-2.5, "-2.5"},
        {12345.678, "12345.678"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {0.0001, "0.0001"},
        {0.00012, "0.00012"},
        {-0.00001, "-1E-5"},
        {0.00001, "1E-5"},
        {-1.5e-7, "-1.5E-7"},
        {1e20, "1E20"},
        {1e15, "1E15"},
        {1.25e15, "1.25E15"},
        {123456789012345.0, "123456789012345"},
        {999999999999999.9, "1E15"},
        {1e-300, "1E-300"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {0.0, "0"},
        {-0.0, "0"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FloatToStr(c.value), c.text);
    }
}

TEST_F(LocaleTest, FloatToStrUsesTheLocaleSeparator) {
    win32sim::SetDecimalSeparator(',');
    EXPECT_EQ(FloatToStr(double(0.3f)), "0,300000011920929");
    EXPECT_EQ(FloatToStr(-1.5e-7), "-1,5E-7");
    EXPECT_EQ(FloatToStr(100.0), "100");
}

struct FloatCase {
    const char* text;
    bool ok;
    double value;
};

void CheckFloatCases(const FloatCase* begin, const FloatCase* end) {
    for (const FloatCase* c = begin; c != end; ++c) {
        SCOPED_TRACE(c->text);
        double v = -777.0;
        EXPECT_EQ(TryStrToFloat(c->text, v), c->ok);
        if (c->ok) {
            EXPECT_DOUBLE_EQ(v, c->value);
            EXPECT_DOUBLE_EQ(StrToFloat(c->text), c->value);
        } else {
            EXPECT_EQ(v, -777.0) << "untouched on failure";
            EXPECT_THROW(StrToFloat(c->text), EConvertError);
        }
    }
}

TEST_F(LocaleTest, StrToFloatWithPoint) {
    const FloatCase cases[] = {
        {"0.3", true, 0.3},       {" 1.5 ", true, 1.5},
        {"\t-2\r\n", true, -2.0}, {"+2", true, 2.0},
        {"1e3", true, 1000.0},    {"1E-3", true, 0.001},
        {"2.5e+2", true, 250.0},  {".5", true, 0.5},
        {"5.", true, 5.0},        {"000123.4500", true, 123.45},
        {"1e-999", true, 0.0},    {"0e999", true, 0.0},
        {"", false, 0},           {"  ", false, 0},
        {"abc", false, 0},        {"1,5", false, 0},
        {"1.2.3", false, 0},      {".", false, 0},
        {"-", false, 0},          {"1e", false, 0},
        {"1e+", false, 0},        {"e5", false, 0},
        {"1 2", false, 0},        {"0x10", false, 0},
        {"1e999", false, 0},      {"INF", false, 0},
        {"NAN", false, 0},
    };
    CheckFloatCases(std::begin(cases), std::end(cases));
}

TEST_F(LocaleTest, StrToFloatWithCommaAcceptsOnlyTheComma) {
    win32sim::SetDecimalSeparator(',');
    const FloatCase cases[] = {
        {"0,3", true, 0.3},
        {"-1,5E-7", true, -1.5e-7},
        {"0.3", false, 0},
    };
    CheckFloatCases(std::begin(cases), std::end(cases));
}

TEST_F(LocaleTest, ErrorNamesTheFloatText) {
    try {
        StrToFloat("x1");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message, "'x1' is not a valid floating point value");
    }
}

TEST_F(LocaleTest, SinglePrecisionRoundTrip) {
    for (char separator : {'.', ','}) {
        SCOPED_TRACE(separator);
        win32sim::SetDecimalSeparator(separator);
        for (float f : {0.3f, 1.1f, -7.25f, 1e-6f, 3.4e38f}) {
            SCOPED_TRACE(f);
            EXPECT_EQ(static_cast<float>(StrToFloat(FloatToStr(f))), f);
        }
    }
}

class FileExistsTest : public SimMachineTest {};

TEST_F(FileExistsTest, FilesOnlyNotFolders) {
    PutFile(Prog("config.ini"), "x");
    MakeDir(Prog("Bin"));
    EXPECT_TRUE(FileExists(Prog("config.ini")));
    EXPECT_TRUE(FileExists("c:\\tavrin rc\\CONFIG.INI"));
    EXPECT_FALSE(FileExists(Prog("Bin")));
    EXPECT_FALSE(FileExists(Prog("missing.ini")));
    EXPECT_FALSE(FileExists("Q:\\nothing.txt"));
}

} // namespace
