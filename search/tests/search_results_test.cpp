// The writers of the search results and the reading of the search program's setting.
#include "search_fixture.h"

#include "records.h"
#include "search_results.h"
#include "writer_faults.h"

#include <cstring>
#include <string>

namespace {

class ResultsTest : public SearchTest {
protected:
    // A record of the table as the search leaves it.
    static TSearchAppl Found(const char* section, const char* clsName, const char* path,
                             const char* group = "", std::int32_t groupIndex = 0) {
        TSearchAppl a;
        std::memset(&a, 0, sizeof a);
        SetField(a.Section, section);
        SetField(a.CLSName, clsName);
        SetField(a.Path, path);
        SetField(a.Group, group);
        a.GroupIndex = groupIndex;
        return a;
    }
    void SetTable(std::vector<TSearchAppl> table) {
        Search.Table = std::move(table);
        Search.ApplCount = static_cast<std::int32_t>(Search.Table.size());
    }

    // The writers of the result files; many found applications, so that each makes many
    // writes, and the second contents differ in every record.
    std::vector<TWriterUnderTest> Writers() {
        const auto choose = [](bool second) {
            Search.Table.clear();
            for (int i = 0; i < 200; ++i) {
                const std::string n = std::to_string(i);
                Search.Table.push_back(Found(("Player" + n).c_str(), ("Class" + n).c_str(),
                                             ((second ? "D:\\b\\" : "C:\\a\\") + n).c_str(),
                                             "audio", second ? 0 : i));
            }
            Search.ApplCount = static_cast<std::int32_t>(Search.Table.size());
        };
        const std::string folder = Prog("Bin\\");
        return {
            {"WriteDefApplFile", folder + "defappl.bin",
             [this, folder] {
                 PutFile(folder + "defappl.bin", std::string(3 * sizeof(TApplEntry), 'o'));
             },
             choose, [folder] { return WriteDefApplFile(folder + "defappl.bin"); }},
            {"WriteFavoriteFiles", folder + "favoritaudio.bin",
             [this, folder] { PutFile(folder + "favoritaudio.bin", "Winamp\r\nAIMP\r\n"); }, choose,
             [folder] { return WriteFavoriteFiles(folder).empty(); }},
        };
    }
    static std::vector<TApplEntry> Entries(const std::string& bytes) {
        std::vector<TApplEntry> entries(bytes.size() / sizeof(TApplEntry));
        if (!entries.empty())
            std::memcpy(entries.data(), bytes.data(), entries.size() * sizeof(TApplEntry));
        return entries;
    }
};

TEST_F(ResultsTest, DefApplHoldsTheFoundApplicationsWithAClassInTableOrder) {
    MakeDir(Prog("Bin"));
    SetTable({Found("Winamp", "Winamp v1.x", "D:\\Winamp\\winamp.exe"),
              Found("Not found", "Cls", ""), Found("Cleared by test start", "", "D:\\x.exe"),
              Found("Media Player", "WMPlayerApp", "C:\\Program Files\\wmplayer.exe")});
    PutFile(Prog("Bin\\defappl.bin"), std::string(1000, 'o'));
    ASSERT_TRUE(WriteDefApplFile(Prog("Bin\\defappl.bin")));
    const std::string bytes = GetFile(Prog("Bin\\defappl.bin"));
    ASSERT_EQ(bytes.size(), 2 * sizeof(TApplEntry)) << "the old file is replaced";
    const auto entries = Entries(bytes);
    EXPECT_STREQ(entries[0].Name, "Winamp");
    EXPECT_STREQ(entries[0].ClassName, "Winamp v1.x");
    EXPECT_EQ(entries[0].Wnd, 0);
    EXPECT_STREQ(entries[0].Path, "D:\\Winamp\\winamp.exe");
    EXPECT_STREQ(entries[1].Name, "Media Player");
    EXPECT_STREQ(entries[1].ClassName, "WMPlayerApp");
    EXPECT_STREQ(entries[1].Path, "C:\\Program Files\\wmplayer.exe");
}

TEST_F(ResultsTest, NothingFoundGivesAnEmptyFile) {
    MakeDir(Prog("Bin"));
    SetTable({Found("A", "Cls", "")});
    ASSERT_TRUE(WriteDefApplFile(Prog("Bin\\defappl.bin")));
    EXPECT_EQ(GetFile(Prog("Bin\\defappl.bin")), "");
}

TEST_F(ResultsTest, DefApplThatCannotBeWrittenWholeIsAFailure) {
    MakeDir(Prog("Bin"));
    SetTable({Found("A", "ClsA", "C:\\a.exe"), Found("B", "ClsB", "C:\\b.exe")});
    struct Case {
        const char* label;
        std::optional<std::uint64_t> budget;
        bool folderExists;
    } cases[] = {
        {"no Bin folder", std::nullopt, false},
        {"disk full in the second record", sizeof(TApplEntry) + 10, true},
        {"disk full at once", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (!c.folderExists)
            Remove(Prog("Bin"));
        else
            MakeDir(Prog("Bin"));
        win32sim::SetWriteBudget(c.budget);
        EXPECT_FALSE(WriteDefApplFile(Prog("Bin\\defappl.bin")));
        win32sim::SetWriteBudget(std::nullopt);
        EXPECT_FALSE(Exists(Prog("Bin\\defappl.bin"))) << "no cut table is left";
    }
}

TEST_F(ResultsTest, TuningPassedIsWrittenThroughTheDoubledBackslash) {
    PutFile(Prog("config.ini"), "[Interface]\r\nlanguage=Rus\r\n");
    ASSERT_TRUE(WriteTuningPassed(std::string(kProgramFolder) + "\\config.ini"));
    EXPECT_EQ(GetPrivateProfileIntA("Tuning", "passed", 0, Prog("config.ini").c_str()), 1u);
    char language[16] = "";
    GetPrivateProfileStringA("Interface", "language", "", language, sizeof language,
                             Prog("config.ini").c_str());
    EXPECT_STREQ(language, "Rus");
}

TEST_F(ResultsTest, TuningPassedThatCannotBeWrittenIsAFailure) {
    PutFile(Prog("config.ini"), "[Interface]\r\n");
    ASSERT_TRUE(SetFileAttributesA(Prog("config.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteTuningPassed(Prog("config.ini")));
    EXPECT_FALSE(WriteTuningPassed("C:\\No folder\\config.ini"));
}

TEST_F(ResultsTest, ExtOptionsAsABool) {
    struct Case {
        const char* label;
        const char* file; // nullptr: no file
        bool value;
    } cases[] = {
        {"no file", nullptr, false},
        {"no key", "[Interface]\r\nlanguage=Rus\r\n", false},
        {"one", "[Interface]\r\next options=1\r\n", true},
        {"another number", "[interface]\r\nEXT OPTIONS=5\r\n", true},
        {"zero", "[Interface]\r\next options=0\r\n", false},
        {"not a number", "[Interface]\r\next options=yes\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Remove(Prog("config.ini"));
        if (c.file)
            PutFile(Prog("config.ini"), c.file);
        EXPECT_EQ(ReadExtOptions(Prog("\\config.ini")), c.value);
    }
}

TEST_F(ResultsTest, FavouritesPerGroupInTheirPositions) {
    MakeDir(Prog("Bin"));
    PutFile(Prog("Bin\\favoritdvd.bin"), "kept\r\n");
    SetTable({Found("A", "c", "C:\\a.exe", "audio"), Found("B", "c", "C:\\b.exe", "Audio"),
              Found("C", "", "C:\\c.exe", "AUDIO"), Found("V1", "c", "C:\\v1.exe", "video", 0),
              Found("V2", "c", "C:\\v2.exe", "video", 5),
              Found("V3", "c", "C:\\v3.exe", "video", 1), Found("Lost", "c", "", "dvd"),
              Found("Plain", "c", "C:\\p.exe", ""), Found("N1", "c", "C:\\n1.exe", "other", 0),
              Found("Negative", "c", "C:\\n2.exe", "other", -1),
              Found("Absurd", "c", "C:\\n3.exe", "other", 2147483647),
              Found("N4", "c", "C:\\n4.exe", "other", 1)});
    WriteFavoriteFiles(Prog("Bin\\"));
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "C\r\nB\r\nA\r\n")
        << "one file for every spelling, named as first met, in reverse section order";
    EXPECT_EQ(GetFile(Prog("Bin\\favoritvideo.bin")), "V1\r\nV3\r\nV2\r\n");
    EXPECT_EQ(GetFile(Prog("Bin\\favorit.bin")), "Plain\r\n");
    EXPECT_EQ(GetFile(Prog("Bin\\favoritother.bin")), "N1\r\nN4\r\nNegative\r\nAbsurd\r\n")
        << "positions outside the list append";
    EXPECT_EQ(GetFile(Prog("Bin\\favoritdvd.bin")), "kept\r\n") << "nothing found: untouched";
}

TEST_F(ResultsTest, FavouriteFileThatCannotBeWrittenLeavesTheOthers) {
    MakeDir(Prog("Bin"));
    PutFile(Prog("Bin\\favoritaudio.bin"), "old\r\n");
    ASSERT_TRUE(SetFileAttributesA(Prog("Bin\\favoritaudio.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    SetTable({Found("A", "c", "C:\\a.exe", "audio"), Found("V", "c", "C:\\v.exe", "video")});
    EXPECT_EQ(WriteFavoriteFiles(Prog("Bin\\")),
              std::vector<std::string>{Prog("Bin\\favoritaudio.bin")});
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "old\r\n");
    EXPECT_EQ(GetFile(Prog("Bin\\favoritvideo.bin")), "V\r\n");
    SetFileAttributesA(Prog("Bin\\favoritaudio.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ResultsTest, AFullDiskOrAReadOnlyFileKeepsTheEarlierResultAndIsReported) {
    for (const TWriterUnderTest& writer : Writers())
        CheckWriterUnderFullDiskAndReadOnlyTarget(writer);
}

TEST_F(ResultsTest, AProcessKilledWhileWritingLeavesTheOldOrTheNewResult) {
    for (const TWriterUnderTest& writer : Writers())
        CheckWriterKilledWhileWriting(writer);
}

TEST_F(ResultsTest, SaveWritesAllAndNamesEveryFailure) {
    SetTable({Found("A", "ClsA", "C:\\a.exe", "audio")});
    struct Case {
        const char* label;
        bool binExists;
        bool configReadOnly;
        bool favouritesReadOnly;
        std::vector<std::string> failed;
        bool passed;
    } cases[] = {
        {"all written", true, false, false, {}, true},
        {"no table: the flag is not set either",
         false,
         false,
         false,
         {Prog("Bin\\defappl.bin")},
         false},
        {"config.ini read-only",
         true,
         true,
         false,
         {std::string(kProgramFolder) + "\\config.ini"},
         false},
        {"favourites not written: the flag is not set either",
         true,
         false,
         true,
         {Prog("Bin\\favoritaudio.bin")},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Remove(Prog("Bin"));
        Remove(Prog("config.ini"));
        if (c.binExists)
            MakeDir(Prog("Bin"));
        if (c.favouritesReadOnly) {
            PutFile(Prog("Bin\\favoritaudio.bin"), "earlier\r\n");
            ASSERT_TRUE(
                SetFileAttributesA(Prog("Bin\\favoritaudio.bin").c_str(), FILE_ATTRIBUTE_READONLY));
        }
        PutFile(Prog("config.ini"), "[Interface]\r\n");
        if (c.configReadOnly) {
            ASSERT_TRUE(SetFileAttributesA(Prog("config.ini").c_str(), FILE_ATTRIBUTE_READONLY));
        }
        EXPECT_EQ(SaveSearchResults(kProgramFolder), c.failed);
        EXPECT_EQ(GetPrivateProfileIntA("Tuning", "passed", 0, Prog("config.ini").c_str()) == 1,
                  c.passed);
        EXPECT_EQ(Exists(Prog("Bin\\favoritaudio.bin")), c.binExists);
        if (c.favouritesReadOnly) {
            EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), "earlier\r\n");
            SetFileAttributesA(Prog("Bin\\favoritaudio.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        SetFileAttributesA(Prog("config.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

} // namespace
