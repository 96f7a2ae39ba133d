// The profile (ini) file functions on the simulated machine, beside the conformance tables of
// the same functions: only what those do not hold (drives, folders, line breaks, writes, threads).
#include <windows.h>

#include "cp1251.h"
#include "sim_fixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::string_literals;

constexpr char kSentinel = '@';
constexpr DWORD kStaleError = 0xDEADBEEF;

std::string Cp(std::string_view text) {
    return std::string(text);
}

// The buffer as the call left it must be `written` followed by untouched sentinels.
void ExpectBuffer(const std::vector<char>& buffer, const std::string& written) {
    ASSERT_LE(written.size(), buffer.size());
    EXPECT_EQ(std::string(buffer.data(), buffer.size()),
              written + std::string(buffer.size() - written.size(), kSentinel));
}

// The text with its only occurrence of `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " occurs twice";
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

class ProfileTest : public SimMachineTest {
protected:
    const std::string ini = Prog("test.ini");

    std::string Read(const char* app, const char* key, const char* def = "dflt") {
        char buffer[256];
        const DWORD n = GetPrivateProfileStringA(app, key, def, buffer, sizeof buffer, ini.c_str());
        return std::string(buffer, n);
    }
};

// Every header counts, duplicates too; a buffer must have a byte to spare for the list to fit.
// A key given with no section lists the names too (the conformance table cuts the names' list
// at the other sizes).
TEST_F(ProfileTest, SectionNamesAreListedInFileOrderAndCutToTheBuffer) {
    PutFile(ini,
            "; comment\r\nstray=1\r\n[One]\r\na=1\r\n[Two]\r\n\r\n  [ Three ] trailing text\r\n"
            "[]\r\nempty=1\r\n[one]\r\nb=2\r\n");
    const struct {
        DWORD size;
        std::string written;
        DWORD result;
        bool alsoNames; // through GetPrivateProfileSectionNamesA as well
    } cases[] = {
        {64, "One\0Two\0Three\0one\0\0"s, 18, false},
        {20, "One\0Two\0Three\0one\0\0"s, 18, false},
        {19, "One\0Two\0Three\0one\0\0"s, 17, false},
        {15, "One\0Two\0Three\0\0"s, 13, false},
        {14, "One\0Two\0Thre\0\0"s, 12, false},
        {9, "One\0Two\0\0"s, 7, false},
        {8, "One\0Tw\0\0"s, 6, true},
        {5, "One\0\0"s, 3, true},
        {4, "On\0\0"s, 2, false},
        {2, "\0\0"s, 0, false},
        {1, "\0"s, 0, false},
        {0, "", 0, false},
    };
    for (const auto& c : cases) {
        for (const bool viaString : {true, false}) {
            if (!viaString && !c.alsoNames)
                continue;
            SCOPED_TRACE("nSize " + std::to_string(c.size) +
                         (viaString ? " GetPrivateProfileStringA" : " SectionNames"));
            std::vector<char> buffer(64, kSentinel);
            const DWORD result =
                viaString ? GetPrivateProfileStringA(nullptr, "a", "dflt", buffer.data(), c.size,
                                                     ini.c_str())
                          : GetPrivateProfileSectionNamesA(buffer.data(), c.size, ini.c_str());
            EXPECT_EQ(result, c.result);
            ExpectBuffer(buffer, c.written);
        }
    }
}

// Only lines with '=' and a name are keys; a second header of the section adds none.
TEST_F(ProfileTest, KeyNamesAreListedInFileOrderAndCutToTheBuffer) {
    PutFile(ini, "[Keys]\r\n  Alpha = 1\r\nBeta\r\n; Comment=1\r\n\r\nalpha=dup\r\nGamma=\r\n"
                 "=nameless\r\n[Other]\r\nDelta=4\r\n[Keys]\r\nHidden=1\r\n");
    const struct {
        const char* section;
        DWORD size;
        std::string written;
        DWORD result;
    } cases[] = {
        {"Keys", 64, "Alpha\0alpha\0Gamma\0\0"s, 18},
        {"Keys", 17, "Alpha\0alpha\0Gam\0\0"s, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + " nSize " + std::to_string(c.size));
        std::vector<char> buffer(64, kSentinel);
        EXPECT_EQ(GetPrivateProfileStringA(c.section, nullptr, "dflt", buffer.data(), c.size,
                                           ini.c_str()),
                  c.result);
        ExpectBuffer(buffer, c.written);
    }
}

TEST_F(ProfileTest, CyrillicNamesCompareWithoutRegardToCase) {
    const std::string section = Cp(cp1251::Literal("Настройки"));
    const std::string language = Cp(cp1251::Literal("Язык"));
    const std::string tree = Cp(cp1251::Literal("Ёлка"));
    PutFile(ini, "[" + section + "]\r\n" + language + "=" + Cp(cp1251::Literal("Русский")) +
                     "\r\n" + tree + "=" + Cp(cp1251::Literal("ёж")) + "\r\n");
    const auto upper = cp1251::Literal("НАСТРОЙКИ");
    const auto lower = cp1251::Literal("настройки");

    EXPECT_EQ(Read(lower.c_str(), cp1251::Literal("ёЛКА").c_str()), Cp(cp1251::Literal("ёж")));
    EXPECT_EQ(Read(upper.c_str(), nullptr), language + '\0' + tree + '\0');

    // A write through other cases keeps the names as they stand in the file.
    ASSERT_TRUE(WritePrivateProfileStringA(lower.c_str(), cp1251::Literal("яЗЫК").c_str(),
                                           "English", ini.c_str()));
    EXPECT_EQ(GetFile(ini), "[" + section + "]\r\n" + language + "=English\r\n" + tree + "=" +
                                Cp(cp1251::Literal("ёж")) + "\r\n");
}

TEST_F(ProfileTest, LinesEndWithCrLfLfOrCr) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        for (const bool finalBreak : {true, false}) {
            SCOPED_TRACE((eol == "\r\n" ? "CR LF"
                          : eol == "\n" ? "LF"
                                        : "CR") +
                         std::string(finalBreak ? " with" : " without") + " final break");
            PutFile(ini, "[A]" + eol + "k1=v1" + eol + eol + "k2 = v2" + eol + "[B]" + eol +
                             "k3=v3" + (finalBreak ? eol : ""));
            EXPECT_EQ(Read("A", "k1"), "v1");
            EXPECT_EQ(Read("A", "k2"), "v2");
            EXPECT_EQ(Read("A", "k3"), "dflt");
            EXPECT_EQ(Read("B", "k3"), "v3");
            EXPECT_EQ(Read("A", nullptr), "k1\0k2\0"s);
            EXPECT_EQ(Read(nullptr, nullptr), "A\0B\0"s);
        }
    }
}

// A file on a drive that is not there reads as empty and is the last error; a folder just reads
// as empty.
TEST_F(ProfileTest, MissingFileReadsAsEmpty) {
    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {"D:\\absent.ini", ERROR_PATH_NOT_FOUND},
        {kProgramFolder, kStaleError},
    };
    for (const auto& c : cases) {
        const char* path = c.path.c_str();
        SCOPED_TRACE(c.path);
        std::vector<char> buffer(16, kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileStringA("A", "k", "dflt ", buffer.data(), 16, path), 4u);
        EXPECT_EQ(GetLastError(), c.error);
        ExpectBuffer(buffer, "dflt\0"s);

        buffer.assign(16, kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileStringA("A", nullptr, "dflt", buffer.data(), 16, path), 4u);
        EXPECT_EQ(GetLastError(), c.error);
        ExpectBuffer(buffer, "dflt\0"s);

        buffer.assign(16, kSentinel);
        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer.data(), 16, path), 0u);
        EXPECT_EQ(GetLastError(), c.error);
        ExpectBuffer(buffer, "\0"s);

        SetLastError(kStaleError);
        EXPECT_EQ(GetPrivateProfileIntA("A", "k", 42, path), 42u);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(ProfileTest, EveryCallReadsTheFileAsItIsNow) {
    PutFile(ini, "[S]\r\nk=1\r\n");
    EXPECT_EQ(Read("S", "k"), "1");
    PutFile(ini, "[S]\r\nk=2\r\n");
    EXPECT_EQ(Read("S", "k"), "2");
    EXPECT_EQ(GetPrivateProfileIntA("S", "k", 0, ini.c_str()), 2u);
    Remove(ini);
    EXPECT_EQ(Read("S", "k"), "dflt");
}

TEST_F(ProfileTest, IntReadsTheLeadingDecimalNumber) {
    PutFile(ini,
            "[N]\r\nnum=12abc\r\nneg= -5\r\nword=abc\r\nempty=\r\nzero=007\r\nquoted=\"42\"\r\n"
            "minus=-\r\nbig=4294967297\r\nspaced=12 34\r\nmax=4294967295\r\n");
    const struct {
        const char* section;
        const char* key;
        INT def;
        UINT result;
    } cases[] = {
        {"n", "NUM", 9, 12u},      {"N", "neg", 9, static_cast<UINT>(-5)},
        {"Nowhere", "num", 3, 3u}, {"N", "zero", 9, 7u},
        {"N", "minus", 9, 0u},     {"N", "spaced", 9, 12u},
        {"N", nullptr, 5, 5u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + (c.key ? c.key : "(null)"));
        EXPECT_EQ(GetPrivateProfileIntA(c.section, c.key, c.def, ini.c_str()), c.result);
    }
}

TEST_F(ProfileTest, WritesEditOnlyTheirLines) {
    const std::string base = "; head\n"
                             "stray=1\r\n"
                             "[First]\r\n"
                             "a = 1\r\n"
                             "; note\r\n"
                             "B=2\r\n"
                             "\r\n"
                             "[Empty]\r\n"
                             "[Second]\n"
                             "x=9\n"
                             "[Dup]\r\n"
                             "d=1\r\n"
                             "d=2\r\n"
                             "[dup]\r\n"
                             "d=3\r\n"
                             "[Third]\r"
                             "y=8";
    const struct {
        const char* label;
        const char* section;
        const char* key;
        const char* value;
        std::string expected;
        const char* readBack; // nullptr: the key (or with no key, the section) is gone
    } cases[] = {
        {"replace", "first", "A", "new", Replaced(base, "a = 1\r\n", "a=new\r\n"), "new"},
        {"replace as given", "First", "a", "  spaced  ",
         Replaced(base, "a = 1\r\n", "a=  spaced  \r\n"), "spaced"},
        {"replace with empty", "First", "B", "", Replaced(base, "B=2\r\n", "B=\r\n"), ""},
        {"replace in LF lines", "SECOND", "X", "10", Replaced(base, "x=9\n", "x=10\r\n"), "10"},
        {"replace first duplicate", "Dup", "d", "x", Replaced(base, "d=1\r\n", "d=x\r\n"), "x"},
        {"add after last key", "First", "c", "3", Replaced(base, "B=2\r\n", "B=2\r\nc=3\r\n"), "3"},
        {"add to empty section", "Empty", "e", "5",
         Replaced(base, "[Empty]\r\n", "[Empty]\r\ne=5\r\n"), "5"},
        {"add to LF lines", "Second", "z", "0", Replaced(base, "x=9\n", "x=9\nz=0\r\n"), "0"},
        {"add after unterminated line", "Third", "w", "7", Replaced(base, "y=8", "y=8\r\nw=7\r\n"),
         "7"},
        {"stray key is no key of a section", "First", "stray", "2",
         Replaced(base, "B=2\r\n", "B=2\r\nstray=2\r\n"), "2"},
        {"new section", "Fourth", "k", "v", base + "\r\n\r\n[Fourth]\r\nk=v\r\n", "v"},
        {"delete key", "First", "b", nullptr, Replaced(base, "B=2\r\n", ""), nullptr},
        {"delete duplicate keys", "Dup", "D", nullptr, Replaced(base, "d=1\r\nd=2\r\n", ""),
         nullptr},
        {"delete unterminated key", "Third", "y", nullptr,
         Replaced(base, "[Third]\ry=8", "[Third]\r"), nullptr},
        {"delete missing key", "First", "zz", nullptr, base, nullptr},
        {"delete key of missing section", "Nowhere", "a", nullptr, base, nullptr},
        {"delete section", "second", nullptr, nullptr, Replaced(base, "[Second]\nx=9\n", ""),
         nullptr},
        {"delete section, value ignored", "First", nullptr, "ignored",
         Replaced(base, "[First]\r\na = 1\r\n; note\r\nB=2\r\n\r\n", ""), nullptr},
        {"delete duplicate sections", "DUP", nullptr, nullptr,
         Replaced(base, "[Dup]\r\nd=1\r\nd=2\r\n[dup]\r\nd=3\r\n", ""), nullptr},
        {"delete last section", "Third", nullptr, nullptr, Replaced(base, "[Third]\ry=8", ""),
         nullptr},
        {"delete missing section", "Nowhere", nullptr, nullptr, base, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        PutFile(ini, base);
        SetLastError(kStaleError);
        EXPECT_EQ(WritePrivateProfileStringA(c.section, c.key, c.value, ini.c_str()), TRUE);
        EXPECT_EQ(GetFile(ini), c.expected);
        if (c.key == nullptr)
            EXPECT_EQ(Read(c.section, nullptr, "gone"), "gone");
        else
            EXPECT_EQ(Read(c.section, c.key, "gone"), c.readBack ? c.readBack : "gone");
    }
}

TEST_F(ProfileTest, NewSectionGoesAtTheEndAfterOneBlankLine) {
    const struct {
        const char* label;
        bool exists;
        std::string before;
        std::string after;
    } cases[] = {
        {"missing file", false, "", "[New]\r\nk=v\r\n"},
        {"empty file", true, "", "[New]\r\nk=v\r\n"},
        {"terminated", true, "[A]\r\na=1\r\n", "[A]\r\na=1\r\n\r\n[New]\r\nk=v\r\n"},
        {"unterminated", true, "[A]\r\na=1", "[A]\r\na=1\r\n\r\n[New]\r\nk=v\r\n"},
        {"blank line at end", true, "[A]\r\n\r\n", "[A]\r\n\r\n[New]\r\nk=v\r\n"},
        {"comment only", true, "; c", "; c\r\n\r\n[New]\r\nk=v\r\n"},
        {"LF only", true, "\n", "\n[New]\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Remove(ini);
        if (c.exists)
            PutFile(ini, c.before);
        EXPECT_EQ(WritePrivateProfileStringA("New", "k", "v", ini.c_str()), TRUE);
        EXPECT_EQ(GetFile(ini), c.after);
        EXPECT_EQ(Read("new", "K"), "v");
    }
}

TEST_F(ProfileTest, WriteFailuresReturnFalseWithLastError) {
    const std::string readOnly = Prog("readonly.ini");
    PutFile(readOnly, "[S]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(win32sim::HostPath(readOnly).c_str(), 0444), 0);
    const struct {
        const char* label;
        std::string path;
        const char* key;
        const char* value;
        DWORD error;
    } cases[] = {
        {"delete in missing folder", Prog("NoSuch\\test.ini"), "k", nullptr, ERROR_PATH_NOT_FOUND},
        {"unmapped drive", "D:\\test.ini", "k", "v", ERROR_PATH_NOT_FOUND},
        {"folder, not a file", kProgramFolder, "k", "v", ERROR_ACCESS_DENIED},
        {"read-only file", readOnly, "k", "2", ERROR_ACCESS_DENIED},
        {"read-only file, delete", readOnly, "k", nullptr, ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetLastError(kStaleError);
        EXPECT_EQ(WritePrivateProfileStringA("S", c.key, c.value, c.path.c_str()), FALSE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(Exists(Prog("NoSuch")));
    EXPECT_EQ(GetFile(readOnly), "[S]\r\nk=1\r\n");

    // No section name: nothing to do, and nothing is created.
    EXPECT_EQ(WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str()), FALSE);
    EXPECT_FALSE(Exists(ini));
}

TEST_F(ProfileTest, DeletingFromAMissingFileCreatesNothing) {
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", nullptr, ini.c_str()), TRUE);
    EXPECT_EQ(WritePrivateProfileStringA("S", nullptr, nullptr, ini.c_str()), TRUE);
    EXPECT_FALSE(Exists(ini));
}

TEST_F(ProfileTest, WriteFindsTheFileWithoutRegardToCaseAndLeavesNoOtherFile) {
    PutFile(Prog("Test.ini"), "[S]\r\nk=1\r\n");
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "2", Prog("TEST.INI").c_str()), TRUE);
    EXPECT_EQ(WritePrivateProfileStringA("S", "j", "3", Prog("test.ini").c_str()), TRUE);
    std::vector<std::string> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(win32sim::HostPath(kProgramFolder)))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Test.ini"});
    EXPECT_EQ(GetFile(Prog("Test.ini")), "[S]\r\nk=2\r\nj=3\r\n");
}

TEST_F(ProfileTest, ConcurrentWritesLoseNoUpdate) {
    constexpr int kThreads = 4;
    constexpr int kKeys = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int k = 0; k < kKeys; ++k) {
                const std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
                WritePrivateProfileStringA("S", key.c_str(), key.c_str(), ini.c_str());
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        for (int k = 0; k < kKeys; ++k) {
            const std::string key = "t" + std::to_string(t) + "k" + std::to_string(k);
            EXPECT_EQ(Read("S", key.c_str()), key);
        }
}

} // namespace
