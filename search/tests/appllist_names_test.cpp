// Names of appllist.ini that become file names in the search program: the section names (the
// applications' names) and the Group values (favorit<Group>.bin), through a whole unattended run.
#include "search_fixture.h"

#include "file_name_cases.h"
#include "records.h"
#include "search_program.h"

#include "win32sim/system.h"

#include <toolkit.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The ini file trims the blanks and tabs around a section name.
std::string IniTrimmed(const std::string& name) {
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

class AppllistNamesTest : public SearchTest {
protected:
    void SetUp() override {
        SearchTest::SetUp();
        win32sim::SetCommandLine("Orlimax.exe auto");
        MapDrive('D');
        MakeDir(Prog("Bin"));
        // What a name climbing out of Bin would overwrite.
        PutFile(Prog("Bin\\usercode.bin"), "user codes");
    }
    static std::vector<std::string> DefApplNames(const std::string& bytes) {
        std::vector<std::string> names;
        for (std::size_t at = 0; at + sizeof(TApplEntry) <= bytes.size();
             at += sizeof(TApplEntry)) {
            TApplEntry e;
            std::memcpy(&e, bytes.data() + at, sizeof e);
            names.push_back(FieldText(e.Name));
        }
        return names;
    }
};

TEST_F(AppllistNamesTest, NoSectionNameOrGroupThatCannotNameAFileReachesOne) {
    // Each case once as a section of group audio and once as the group of a section G<i>.
    std::string list;
    std::vector<std::string> table;
    std::vector<std::string> audio;
    std::vector<std::pair<std::string, std::string>> groupFiles; // file, its one line
    int i = 0;
    for (const TFileNameCase& c : FileNameCases()) {
        if (!FitsOnAnIniLine(c.name))
            continue;
        const std::string n = std::to_string(i++);
        list += "[" + c.name + "]\r\nName=s" + n + ".exe\r\nCLSName=S" + n + "\r\nGroup=audio\r\n";
        // Quoted, so that the value keeps its blanks.
        list += "[G" + n + "]\r\nName=g" + n + ".exe\r\nCLSName=G" + n + "\r\nGroup=\"" + c.name +
                "\"\r\n";
        PutFile("D:\\s" + n + ".exe", "x");
        PutFile("D:\\g" + n + ".exe", "x");
        if (c.fits) {
            table.push_back(IniTrimmed(c.name));
            audio.insert(audio.begin(), IniTrimmed(c.name));
        }
        table.push_back("G" + n);
        // The empty group is favorit.bin.
        if (c.fits || c.name.empty())
            groupFiles.emplace_back("Bin\\favorit" + c.name + ".bin", "G" + n + "\r\n");
    }
    PutApplList(list);
    const std::vector<std::string> before = FilesUnder(hostRoot);
    const std::vector<std::string> drive = FilesUnder(driveFolders[0]);

    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_TRUE(toolkitsim::Boxes().empty());

    EXPECT_EQ(DefApplNames(GetFile(Prog("Bin\\defappl.bin"))), table);
    std::string audioLines;
    for (const std::string& name : audio)
        audioLines += name + "\r\n";
    EXPECT_EQ(GetFile(Prog("Bin\\favoritaudio.bin")), audioLines);
    for (const auto& [file, line] : groupFiles) {
        SCOPED_TRACE(file);
        EXPECT_EQ(GetFile(Prog(file)), line);
    }
    // Nothing else was written, above all nothing outside Bin.
    const std::vector<std::string> added = NewFiles(before, FilesUnder(hostRoot));
    EXPECT_EQ(added.size(), groupFiles.size() + 3) << "defappl.bin, favoritaudio.bin, config.ini";
    for (const std::string& file : added)
        EXPECT_TRUE(file.rfind("Tavrin RC/Bin/", 0) == 0 || file == "Tavrin RC/config.ini") << file;
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), "user codes");
    EXPECT_EQ(FilesUnder(driveFolders[0]), drive);
}

} // namespace
