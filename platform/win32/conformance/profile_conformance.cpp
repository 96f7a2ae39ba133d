// Conformance tables of the profile (ini) file functions.
#include "conformance_fixture.h"

#include "cp1251.h"

#include <string>
#include <vector>

namespace conformance {
namespace {

using namespace std::string_literals;

constexpr char kSentinel = '@';

// Wine's own tests mark this todo_wine: Windows ends a list it had to cut with two NULs.
constexpr const char* kCutList = "Wine ends a cut list of names with one NUL, Windows with two";
// Windows folds the case of every letter in profile names.
constexpr const char* kAsciiFolding = "Wine's profile code folds the case of ASCII letters only";

// The buffer as the call left it must be `written` followed by untouched sentinels.
void ExpectBuffer(const std::vector<char>& buffer, const std::string& written) {
    ASSERT_LE(written.size(), buffer.size());
    EXPECT_EQ(std::string(buffer.data(), buffer.size()),
              written + std::string(buffer.size() - written.size(), kSentinel));
}

std::string Label(const char* text) {
    return text == nullptr ? "(null)" : "\""s + text + "\"";
}

class ProfileConformance : public ConformanceTest {
protected:
    std::string ini;

    void SetUp() override {
        ConformanceTest::SetUp();
        ini = At("test.ini");
    }

    std::string Read(const char* app, const char* key, const char* def = "dflt") {
        char buffer[256];
        const DWORD n = GetPrivateProfileStringA(app, key, def, buffer, sizeof buffer, ini.c_str());
        return std::string(buffer, n);
    }
};

TEST_F(ProfileConformance, ValuesDefaultsBlanksQuotesAndTruncation) {
    PutFile("test.ini", "stray=outside\r\n"
                        "[Values]\r\n"
                        "  Trimmed  \t=  \t value one \t \r\n"
                        "DoubleQ=\"quoted \"\r\n"
                        "SingleQ='single'\r\n"
                        "Mismatched=\"mixed'\r\n"
                        "LoneQuote=\"\r\n"
                        "EmptyQ=\"\"\r\n"
                        "InnerQ=\"a\"b\"\r\n"
                        "Bare\r\n"
                        "Empty=\r\n"
                        "Equals=a=b\r\n"
                        "Digits=0123456789\r\n"
                        "; Commented=1\r\n"
                        "[NoClose=1\r\n"
                        "=nameless\r\n"
                        "Dup=first\r\n"
                        "dup=second\r\n"
                        "\t[ Spaced ] tail\r\n"
                        "Key=spaced\r\n"
                        "[values]\r\n"
                        "Hidden=never found\r\n");
    const struct {
        const char* section;
        const char* key;
        const char* def;
        DWORD size;
        std::string written; // including the terminating NUL
        DWORD result;
        Differs differs;
    } cases[] = {
        {"Values", "Trimmed", "dflt", 64, "value one\0"s, 9, {}},
        {"VALUES", "trimmed", "dflt", 64, "value one\0"s, 9, {}},
        {"Values", "DoubleQ", "dflt", 64, "quoted \0"s, 7, {}},
        {"Values", "SingleQ", "dflt", 64, "single\0"s, 6, {}},
        {"Values", "Mismatched", "dflt", 64, "\"mixed'\0"s, 7, {}},
        {"Values", "LoneQuote", "dflt", 64, "\"\0"s, 1, {}},
        {"Values", "EmptyQ", "dflt", 64, "\0"s, 0, {}},
        {"Values", "InnerQ", "dflt", 64, "a\"b\0"s, 3, {}},
        {"Values", "Bare", "dflt", 64, "dflt\0"s, 4, {}},
        {"Values", "Empty", "dflt", 64, "\0"s, 0, {}},
        {"Values", "Equals", "dflt", 64, "a=b\0"s, 3, {}},
        {"Values", "Dup", "dflt", 64, "first\0"s, 5, {}},
        {"Values", "; Commented", "dflt", 64, "1\0"s, 1, {}},
        {"Values", "[NoClose", "dflt", 64, "1\0"s, 1, {}},
        {"Values", "", "dflt", 64, "nameless\0"s, 8, {}},
        {"Values", "Hidden", "dflt", 64, "dflt\0"s, 4, {}},
        {"Values", "stray", "dflt", 64, "dflt\0"s, 4, {}},
        {"Spaced", "key", "dflt", 64, "spaced\0"s, 6, {}},
        {"Nowhere", "Trimmed", "dflt", 64, "dflt\0"s, 4, {}},
        {"Values", "Missing", nullptr, 64, "\0"s, 0, {}},
        {"Values", "Missing", "dflt  ", 64, "dflt\0"s, 4, {}},
        {"Values", "Missing", "dflt \t ", 64, "dflt \t\0"s, 6, {}},
        {"Values", "Missing", "  lead", 64, "  lead\0"s, 6, {}},
        {"Values", "Missing", "   ", 64, " \0"s, 1, {}},
        {"Values", "Missing", "defaultvalue", 4, "def\0"s, 3, {}},
        {"Values", "Digits", "dflt", 11, "0123456789\0"s, 10, {}},
        {"Values", "Digits", "dflt", 10, "012345678\0"s, 9, {}},
        {"Values", "Digits", "dflt", 5, "0123\0"s, 4, {}},
        {"Values", "Digits", "dflt", 1, "\0"s, 0, {}},
        {"Values", "Digits", "dflt", 0, "", 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Label(c.section) + "/" + Label(c.key) + " default " + Label(c.def) +
                     " nSize " + std::to_string(c.size));
        if (Skipped(c.differs))
            continue;
        std::vector<char> buffer(64, kSentinel);
        EXPECT_EQ(
            GetPrivateProfileStringA(c.section, c.key, c.def, buffer.data(), c.size, ini.c_str()),
            c.result);
        ExpectBuffer(buffer, c.written);
    }
}

TEST_F(ProfileConformance, LongValueIsCutOnlyByTheBuffer) {
    std::string value(3000, 'x');
    value[2046] = 'L'; // the last character that fits a 2048-byte buffer
    PutFile("test.ini", "[Long]\r\nvalue=" + value + "\r\n");
    const struct {
        DWORD size;
        std::string written;
        DWORD result;
    } cases[] = {
        {2048, value.substr(0, 2047) + '\0', 2047},
        {3001, value + '\0', 3000},
        {3100, value + '\0', 3000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("nSize " + std::to_string(c.size));
        std::vector<char> buffer(3200, kSentinel);
        EXPECT_EQ(GetPrivateProfileStringA("Long", "value", "", buffer.data(), c.size, ini.c_str()),
                  c.result);
        ExpectBuffer(buffer, c.written);
    }
}

TEST_F(ProfileConformance, SectionAndKeyListsAreCutToTheBuffer) {
    PutFile("test.ini",
            "stray=1\r\n[One]\r\n  Alpha = 1\r\nBeta\r\n; Comment=1\r\n\r\nalpha=dup\r\nGamma=\r\n"
            "[Two]\r\nDelta=4\r\n  [ Three ] trailing text\r\n[]\r\nempty=1\r\n[one]\r\n"
            "Hidden=1\r\n");
    const struct {
        const char* section; // null: the section names
        DWORD size;
        std::string written;
        DWORD result;
        Differs differs;
    } cases[] = {
        {nullptr, 64, "One\0Two\0Three\0one\0\0"s, 18, {}},
        {nullptr, 20, "One\0Two\0Three\0one\0\0"s, 18, {}},
        {nullptr, 19, "One\0Two\0Three\0one\0\0"s, 17, {kCutList}},
        {nullptr, 15, "One\0Two\0Three\0\0"s, 13, {kCutList}},
        {nullptr, 14, "One\0Two\0Thre\0\0"s, 12, {kCutList}},
        {nullptr, 9, "One\0Two\0\0"s, 7, {kCutList}},
        {nullptr, 4, "On\0\0"s, 2, {kCutList}},
        {nullptr, 2, "\0\0"s, 0, {kCutList}},
        {nullptr, 1, "\0"s, 0, {}},
        {nullptr, 0, "", 0, {}},
        {"One", 64, "Alpha\0alpha\0Gamma\0\0"s, 18, {}},
        {"ONE", 20, "Alpha\0alpha\0Gamma\0\0"s, 18, {}},
        {"one", 19, "Alpha\0alpha\0Gamma\0\0"s, 17, {kCutList}},
        {"One", 16, "Alpha\0alpha\0Ga\0\0"s, 14, {kCutList}},
        {"One", 7, "Alpha\0\0"s, 5, {kCutList}},
        {"One", 3, "A\0\0"s, 1, {kCutList}},
        {"One", 1, "\0"s, 0, {}},
        {"One", 0, "", 0, {}},
        {"Two", 64, "Delta\0\0"s, 6, {}},
        {"Three", 64, "dflt\0"s, 4, {}},
        {"Nowhere", 64, "dflt\0"s, 4, {}},
    };
    for (const auto& c : cases) {
        for (const bool viaNames : {false, true}) {
            if (viaNames && c.section != nullptr)
                continue;
            SCOPED_TRACE(Label(c.section) + " nSize " + std::to_string(c.size) +
                         (viaNames ? " GetPrivateProfileSectionNamesA" : ""));
            if (Skipped(c.differs))
                continue;
            std::vector<char> buffer(64, kSentinel);
            const DWORD result =
                viaNames ? GetPrivateProfileSectionNamesA(buffer.data(), c.size, ini.c_str())
                         : GetPrivateProfileStringA(c.section, nullptr, "dflt", buffer.data(),
                                                    c.size, ini.c_str());
            EXPECT_EQ(result, c.result);
            ExpectBuffer(buffer, c.written);
        }
    }
}

TEST_F(ProfileConformance, IntegersAndTheirDefaults) {
    PutFile("test.ini", "[Int]\r\n"
                        "Plain=42\r\n"
                        "Blanks=   42   \r\n"
                        "Negative=-7\r\n"
                        "Trailing=12abc\r\n"
                        "Letters=abc\r\n"
                        "Empty=\r\n"
                        "Quoted=\"15\"\r\n"
                        "Largest=4294967295\r\n"
                        "Wraps=4294967296\r\n");
    const struct {
        const char* key;
        INT def;
        UINT result;
        Differs differs;
    } cases[] = {
        {"Plain", 5, 42, {}},
        {"Blanks", 5, 42, {}},
        {"Negative", 5, static_cast<UINT>(-7), {}},
        {"Trailing", 5, 12, {}},
        {"Letters", 5, 0, {}},
        {"Empty", 5, 5, {}},
        {"Quoted", 5, 15, {}},
        {"Largest", 5, 4294967295u, {}},
        {"Wraps", 5, 0, {}},
        {"Missing", 5, 5, {}},
        {"Missing", -3, static_cast<UINT>(-3), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " default " + std::to_string(c.def));
        if (Skipped(c.differs))
            continue;
        EXPECT_EQ(GetPrivateProfileIntA("Int", c.key, c.def, ini.c_str()), c.result);
        EXPECT_EQ(GetPrivateProfileIntA("INT", c.key, c.def, ini.c_str()), c.result);
    }
}

TEST_F(ProfileConformance, MissingFileGivesTheDefaultAndSaysWhy) {
    const struct {
        std::string file;
        DWORD error;
        Differs differs;
    } cases[] = {
        {At("absent.ini"), ERROR_FILE_NOT_FOUND, {}},
        {At("nofolder\\absent.ini"), ERROR_PATH_NOT_FOUND, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (Skipped(c.differs))
            continue;
        std::vector<char> buffer(64, kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", buffer.data(), 64, c.file.c_str()),
                  4u);
        EXPECT_EQ(GetLastError(), c.error);
        ExpectBuffer(buffer, "dflt\0"s);

        std::fill(buffer.begin(), buffer.end(), kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileStringA("S", nullptr, "dflt", buffer.data(), 64, c.file.c_str()),
                  4u);
        EXPECT_EQ(GetLastError(), c.error);
        ExpectBuffer(buffer, "dflt\0"s);

        std::fill(buffer.begin(), buffer.end(), kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer.data(), 64, c.file.c_str()), 0u);
        EXPECT_EQ(GetLastError(), c.error);
        ExpectBuffer(buffer, "\0"s);

        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileIntA("S", "k", 9, c.file.c_str()), 9u);
        EXPECT_EQ(GetLastError(), c.error);
        // Reading creates nothing.
        EXPECT_EQ(GetFileAttributesA(c.file.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(GetFileAttributesA(At("nofolder").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ProfileConformance, CyrillicNamesCompareWithoutRegardToCase) {
    const std::string section(cp1251::Literal("Настройки"));
    const std::string language(cp1251::Literal("Язык"));
    const std::string value(cp1251::Literal("Русский"));
    PutFile("test.ini", "[" + section + "]\r\n" + language + "=" + value + "\r\n");
    const struct {
        std::string section;
        std::string key;
        Differs differs;
    } cases[] = {
        {section, language, {}},
        {std::string(cp1251::Literal("НАСТРОЙКИ")),
         std::string(cp1251::Literal("ЯЗЫК")),
         {kAsciiFolding}},
        {std::string(cp1251::Literal("настройки")),
         std::string(cp1251::Literal("язык")),
         {kAsciiFolding}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section + "/" + c.key);
        if (Skipped(c.differs))
            continue;
        EXPECT_EQ(Read(c.section.c_str(), c.key.c_str()), value);
        EXPECT_EQ(Read(c.section.c_str(), nullptr), language + '\0');
    }
    EXPECT_EQ(Read(nullptr, nullptr), section + '\0');
}

// Each step writes through WritePrivateProfileStringA and reads the whole profile back.
TEST_F(ProfileConformance, WritingAndDeletingKeysAndSections) {
    const struct {
        const char* label;
        const char* section;
        const char* key;
        const char* value;
        BOOL result;
        std::string sections; // the section names afterwards
        std::string keysOfA;  // the keys of section A afterwards
        const char* readKey;  // a key of section A read afterwards ...
        std::string read;     // ... and its value (or the default "dflt")
        Differs differs;
    } steps[] = {
        {"new file", "A", "one", "1", TRUE, "A\0"s, "one\0"s, "one", "1", {}},
        {"new key", "A", "two", "2", TRUE, "A\0"s, "one\0two\0"s, "two", "2", {}},
        {"new section", "B", "three", "3", TRUE, "A\0B\0"s, "one\0two\0"s, "one", "1", {}},
        {"replace through other case",
         "a",
         "ONE",
         "uno",
         TRUE,
         "A\0B\0"s,
         "one\0two\0"s,
         "one",
         "uno",
         {}},
        {"value with blanks",
         "A",
         "two",
         "  two  ",
         TRUE,
         "A\0B\0"s,
         "one\0two\0"s,
         "two",
         "two",
         {}},
        {"quoted value", "A", "two", "\"q\"", TRUE, "A\0B\0"s, "one\0two\0"s, "two", "q", {}},
        {"empty value", "A", "one", "", TRUE, "A\0B\0"s, "one\0two\0"s, "one", "", {}},
        {"delete key", "A", "one", nullptr, TRUE, "A\0B\0"s, "two\0"s, "one", "dflt", {}},
        {"delete missing key", "A", "none", nullptr, TRUE, "A\0B\0"s, "two\0"s, "two", "q", {}},
        {"delete section other case",
         "b",
         nullptr,
         nullptr,
         TRUE,
         "A\0"s,
         "two\0"s,
         "two",
         "q",
         {}},
        {"delete missing section", "C", nullptr, nullptr, TRUE, "A\0"s, "two\0"s, "two", "q", {}},
        {"delete last section", "A", nullptr, nullptr, TRUE, ""s, "dflt", "two", "dflt", {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.label);
        if (Skipped(s.differs))
            continue;
        EXPECT_EQ(WritePrivateProfileStringA(s.section, s.key, s.value, ini.c_str()), s.result);
        EXPECT_EQ(Read(nullptr, nullptr), s.sections);
        EXPECT_EQ(Read("A", nullptr), s.keysOfA);
        EXPECT_EQ(Read("A", s.readKey), s.read);
    }
}

TEST_F(ProfileConformance, WrittenFileHasWindowsLines) {
    ASSERT_TRUE(WritePrivateProfileStringA("Sec", "key", "value", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Sec", "next", "2", ini.c_str()));
    EXPECT_EQ(GetFile("test.ini"), "[Sec]\r\nkey=value\r\nnext=2\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Sec", "key", nullptr, ini.c_str()));
    EXPECT_EQ(GetFile("test.ini"), "[Sec]\r\nnext=2\r\n");
}

TEST_F(ProfileConformance, WritesThatFail) {
    const std::string noFolder = At("nofolder\\test.ini");
    const struct {
        const char* label;
        const char* section;
        const char* key;
        const char* value;
        std::string file;
        DWORD error;
        Differs differs;
    } cases[] = {
        {"folder missing", "S", "k", "v", noFolder, ERROR_PATH_NOT_FOUND, {}},
        {"no section", nullptr, "k", "v", ini, ERROR_FILE_NOT_FOUND, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (Skipped(c.differs))
            continue;
        SetLastError(kStaleError);
        EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, c.file.c_str()));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(GetFileAttributesA(c.file.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

} // namespace
} // namespace conformance
