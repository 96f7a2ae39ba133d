// Conformance tables of the directory search: FindFirstFileA, FindNextFileA and FindClose.
#include "conformance_fixture.h"

#include "cp1251.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace conformance {
namespace {

constexpr const char* kDosWildcards =
    "Wine gives '?' and a final '.' their plain meaning (a '?' takes one character, \"*.\" "
    "matches every name); Windows gives them the DOS rules: a '?' before a dot or at the end "
    "also matches nothing, a final dot matches the names without an extension";

std::string Folded(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The names in the order of their folded forms.
std::vector<std::string> SortedNoCase(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Folded(a) < Folded(b); });
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : " ") + n;
    return out;
}

struct Found {
    std::string name;
    DWORD attributes = 0;
    DWORD sizeLow = 0;
    DWORD sizeHigh = 0;
};

class FindConformance : public ConformanceTest {
protected:
    const std::string photo{cp1251::Literal("Фото.jpg")};

    void SetUp() override {
        ConformanceTest::SetUp();
        PutFile("alpha.txt", "12345");
        PutFile("Beta.TXT", "");
        PutFile("gamma.txt.bak", "x");
        PutFile("readme", "abc");
        PutFile("a.b.c", "1234567");
        PutFile("x.txt", "xx");
        PutFile(photo, "p");
        MakeFolder("Sub");
        PutFile("Sub\\inner.txt", "i");
    }

    // Every entry a search yields, in its order; the error of the first call when it fails.
    std::vector<Found> Search(const std::string& pattern, DWORD& error) {
        std::vector<Found> found;
        WIN32_FIND_DATAA data;
        std::memset(&data, 0xCC, sizeof data);
        SetLastError(kStaleError);
        const HANDLE search = FindFirstFileA(pattern.c_str(), &data);
        error = search == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (search == INVALID_HANDLE_VALUE)
            return found;
        do {
            EXPECT_NE(std::memchr(data.cFileName, '\0', sizeof data.cFileName), nullptr);
            found.push_back(
                {data.cFileName, data.dwFileAttributes, data.nFileSizeLow, data.nFileSizeHigh});
            std::memset(&data, 0xCC, sizeof data);
            SetLastError(kStaleError);
        } while (FindNextFileA(search, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(search));
        return found;
    }

    static std::vector<std::string> Names(const std::vector<Found>& found) {
        std::vector<std::string> names;
        for (const auto& f : found)
            names.push_back(f.name);
        return names;
    }
};

TEST_F(FindConformance, WildcardsMatchAsWindowsMatches) {
    const std::vector<std::string> all = {
        ".",      "..",  "a.b.c", "alpha.txt", "Beta.TXT", "gamma.txt.bak",
        "readme", "Sub", "x.txt", photo};
    const std::string upperPhoto(cp1251::Literal("ФОТО.JPG"));
    const struct {
        std::string pattern;
        std::vector<std::string> names; // empty: the search fails
        DWORD error;
        Differs differs;
    } cases[] = {
        {"*", all, ERROR_SUCCESS, {}},
        {"*.*", all, ERROR_SUCCESS, {}},
        {"*.txt", {"alpha.txt", "Beta.TXT", "x.txt"}, ERROR_SUCCESS, {}},
        {"*.TXT", {"alpha.txt", "Beta.TXT", "x.txt"}, ERROR_SUCCESS, {}},
        {"*.t?t", {"alpha.txt", "Beta.TXT", "x.txt"}, ERROR_SUCCESS, {}},
        {"?.txt", {"x.txt"}, ERROR_SUCCESS, {}},
        {"x?.txt", {"x.txt"}, ERROR_SUCCESS, {kDosWildcards}},
        {"ALPHA.TXT", {"alpha.txt"}, ERROR_SUCCESS, {}},
        {"alpha.*", {"alpha.txt"}, ERROR_SUCCESS, {}},
        {"readme.*", {"readme"}, ERROR_SUCCESS, {}},
        {"*.", {".", "..", "readme", "Sub"}, ERROR_SUCCESS, {kDosWildcards}},
        {"a*", {"a.b.c", "alpha.txt"}, ERROR_SUCCESS, {}},
        {"*a*", {"a.b.c", "alpha.txt", "Beta.TXT", "gamma.txt.bak", "readme"}, ERROR_SUCCESS, {}},
        {"a.b.*", {"a.b.c"}, ERROR_SUCCESS, {}},
        {"*.c", {"a.b.c"}, ERROR_SUCCESS, {}},
        {"*.bak", {"gamma.txt.bak"}, ERROR_SUCCESS, {}},
        {"sub", {"Sub"}, ERROR_SUCCESS, {}},
        {"*.jpg", {photo}, ERROR_SUCCESS, {}},
        {upperPhoto, {photo}, ERROR_SUCCESS, {}},
        {"Sub\\*.txt", {"inner.txt"}, ERROR_SUCCESS, {}},
        {"nomatch*", {}, ERROR_FILE_NOT_FOUND, {}},
        {"absent.txt", {}, ERROR_FILE_NOT_FOUND, {}},
        {"Missing\\*", {}, ERROR_PATH_NOT_FOUND, {}},
        {"", {}, ERROR_FILE_NOT_FOUND, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("pattern \"" + c.pattern + "\"");
        if (Skipped(c.differs))
            continue;
        DWORD error = kStaleError;
        const auto found = Search(At(c.pattern), error);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(Joined(SortedNoCase(Names(found))), Joined(SortedNoCase(c.names)));
    }
}

TEST_F(FindConformance, EntriesCarryAttributesAndSizes) {
    DWORD error = kStaleError;
    const auto found = Search(At("*"), error);
    ASSERT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    const struct {
        const char* name;
        DWORD attributes;
        DWORD size;
    } cases[] = {
        {".", FILE_ATTRIBUTE_DIRECTORY, 0},       {"..", FILE_ATTRIBUTE_DIRECTORY, 0},
        {"alpha.txt", FILE_ATTRIBUTE_ARCHIVE, 5}, {"Beta.TXT", FILE_ATTRIBUTE_ARCHIVE, 0},
        {"a.b.c", FILE_ATTRIBUTE_ARCHIVE, 7},     {"Sub", FILE_ATTRIBUTE_DIRECTORY, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto it = std::find_if(found.begin(), found.end(),
                                     [&](const Found& f) { return f.name == c.name; });
        ASSERT_NE(it, found.end());
        EXPECT_EQ(it->attributes, c.attributes);
        EXPECT_EQ(it->sizeHigh, 0u);
        if ((c.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            EXPECT_EQ(it->sizeLow, c.size);
        }
    }
}

TEST_F(FindConformance, FileTimesAndShortNames) {
    const Differs noTimes{nullptr, "the simulation keeps no file times; the system reads none"};
    WIN32_FIND_DATAA data;
    std::memset(&data, 0xCC, sizeof data);
    const HANDLE search = FindFirstFileA(At("alpha.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FindClose(search));
    EXPECT_STREQ(data.cFileName, "alpha.txt");
    // A name that is a short name already has no other.
    EXPECT_STREQ(data.cAlternateFileName, "");
    if (!Skipped(noTimes)) {
        EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
        EXPECT_NE(data.ftCreationTime.dwHighDateTime, 0u);
    }
}

// "." and ".." come first in a folder below the root; the file system orders the rest.
TEST_F(FindConformance, DotEntriesComeFirst) {
    DWORD error = kStaleError;
    const auto names = Names(Search(At("*"), error));
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], ".");
    EXPECT_EQ(names[1], "..");
}

TEST_F(FindConformance, SearchHandleAfterTheLastEntry) {
    WIN32_FIND_DATAA data;
    const HANDLE search = FindFirstFileA(At("x.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("FindNextFileA call " + std::to_string(i + 1));
        SetLastError(kStaleError);
        EXPECT_FALSE(FindNextFileA(search, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    }
    EXPECT_TRUE(FindClose(search));

    SetLastError(kStaleError);
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// The system searches its Bin folder as the current directory.
TEST_F(FindConformance, RelativePatternSearchesTheCurrentDirectory) {
    char saved[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, sizeof saved);
    ASSERT_TRUE(SetCurrentDirectoryA(At("Sub").c_str()));
    DWORD error = kStaleError;
    const auto names = Names(Search("*.*", error));
    EXPECT_TRUE(SetCurrentDirectoryA(saved));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Joined(SortedNoCase(names)), ". .. inner.txt");
}

// The search program walks hidden, system and read-only entries too.
TEST_F(FindConformance, SetAttributesAreReportedBySearchAndGetFileAttributes) {
    const Differs keepsArchive{"Wine keeps the archive bit of a file whatever SetFileAttributesA "
                               "sets; Windows clears it unless it is given"};
    const struct {
        const char* name;
        DWORD set;
        DWORD reported;
        Differs differs;
    } cases[] = {
        {"alpha.txt", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN, keepsArchive},
        {"Beta.TXT",
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE,
         {}},
        {"x.txt", FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY, keepsArchive},
        {"readme", FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL, keepsArchive},
        {"Sub",
         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kStaleError);
        ASSERT_TRUE(SetFileAttributesA(At(c.name).c_str(), c.set));
        if (!Skipped(c.differs)) {
            EXPECT_EQ(GetFileAttributesA(At(c.name).c_str()), c.reported);
        }
    }
    DWORD error = kStaleError;
    const auto found = Search(At("*"), error);
    ASSERT_EQ(error, static_cast<DWORD>(ERROR_SUCCESS));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("found ") + c.name);
        const auto it = std::find_if(found.begin(), found.end(),
                                     [&](const Found& f) { return f.name == c.name; });
        ASSERT_NE(it, found.end());
        // Without the archive bit the rest is the same on every side.
        const DWORD reported = it->attributes & ~DWORD{FILE_ATTRIBUTE_ARCHIVE};
        const DWORD expected = c.reported & ~DWORD{FILE_ATTRIBUTE_ARCHIVE};
        EXPECT_EQ(reported == 0 ? DWORD{FILE_ATTRIBUTE_NORMAL} : reported,
                  expected == 0 ? DWORD{FILE_ATTRIBUTE_NORMAL} : expected);
        if (!Skipped(c.differs)) {
            EXPECT_EQ(it->attributes, c.reported);
        }
    }
    // Read-only files would outlive the scratch folder.
    for (const auto& c : cases)
        SetFileAttributesA(At(c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
    SetLastError(kStaleError);
    EXPECT_FALSE(SetFileAttributesA(At("absent.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

} // namespace
} // namespace conformance
