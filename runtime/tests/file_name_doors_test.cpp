// Names that become file names, tried at each door of the runtime: the application table read
// from its files, the command and function files of an application, the defaults copied from
// appllist.ini, and the playlists.
#include "cmd_func_files.h"
#include "code_appl_tables.h"
#include "favourites.h"
#include "records.h"
#include "runtime_state.h"

#include "file_name_cases.h"
#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FileNameDoorsTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        MakeDir(Prog("Bin"));
        // What a name climbing out of its folder would reach: the user's code table in Bin.
        PutFile(Prog("Bin\\usercode.bin"), kUserCodes);
    }
    std::vector<std::string> Files() const { return FilesUnder(hostRoot); }

    const std::string kUserCodes = Bytes(std::vector{Code("Play", 42)});
};

std::vector<std::string> TableNames() {
    std::vector<std::string> names;
    for (const TApplEntry& e : Runtime.ApplTable)
        names.push_back(FieldText(e.Name));
    return names;
}

TEST_F(FileNameDoorsTest, TheApplicationTableTakesNoNameThatCannotNameItsFiles) {
    std::vector<TApplEntry> records;
    std::vector<std::string> expected{"System"};
    for (const TFileNameCase& c : FileNameCases()) {
        records.push_back(Appl(c.name, "Wnd", "C:\\p.exe"));
        if (c.fits)
            expected.push_back(c.name);
    }
    for (const char* file : {"defappl.bin", "userappl.bin"}) {
        SCOPED_TRACE(file);
        Remove(Prog("Bin\\defappl.bin"));
        Remove(Prog("Bin\\userappl.bin"));
        PutFile(Prog(std::string("Bin\\") + file), Bytes(records));
        EXPECT_EQ(LoadApplTable(false), ResultOk);
        EXPECT_EQ(TableNames(), expected);
        EXPECT_EQ(Runtime.ApplCount, static_cast<std::int32_t>(expected.size()));
    }
}

TEST_F(FileNameDoorsTest, CommandAndFunctionFilesAreNeverNamedByANameThatCannotNameAFile) {
    // For the name "\..\usercode" each of these files would be Bin\usercode.bin.
    for (const TFileNameCase& c : FileNameCases()) {
        SCOPED_TRACE(c.label);
        const std::vector<std::string> before = Files();
        TStringGrid grid(nullptr);
        grid.SetColCount(6);
        grid.Cells(0, 1) = "Play";
        grid.Cells(1, 1) = "keybevent";
        EXPECT_EQ(SaveCmdGrid(c.name, false, grid), c.fits ? ResultOk : ResultNoCreate);
        EXPECT_EQ(SaveCmdGrid(c.name, true, grid), c.fits ? ResultOk : ResultNoCreate);
        grid.SetColCount(3);
        grid.Cells(1, 1) = "hold";
        grid.Cells(2, 1) = "\"OK\"";
        EXPECT_EQ(SaveFuncGrid(c.name, false, grid), c.fits ? ResultOk : ResultNoCreate);
        EXPECT_EQ(SaveFuncGrid(c.name, true, grid), c.fits ? ResultOk : ResultNoCreate);
        const std::vector<std::string> added = NewFiles(before, Files());
        if (c.fits) {
            EXPECT_EQ(added.size(), 4u);
            for (const std::string& file : added)
                EXPECT_EQ(file.rfind("Tavrin RC/Bin/user", 0), 0u) << file;
        } else {
            EXPECT_EQ(added, std::vector<std::string>{});
        }
        EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), kUserCodes);

        TStringGrid loaded(nullptr);
        loaded.SetColCount(6);
        EXPECT_EQ(LoadCmdGrid(c.name, false, loaded), c.fits ? ResultOk : ResultNoData);
        EXPECT_EQ(loaded.Cells(0, 1), c.fits ? "Play" : "");
        TStringList list;
        EXPECT_EQ(LoadFuncGrid(c.name, false, nullptr, &list), c.fits ? ResultOk : ResultNoData);
        EXPECT_EQ(list.Count(), c.fits ? 1 : 0);
    }
}

TEST_F(FileNameDoorsTest, DefaultsAreNeverCopiedFromOrToANameThatCannotNameAFile) {
    PutFile(Prog("Bin\\defcmdGood.bin"), "good commands");
    PutFile(Prog("Bin\\deffuncGood.bin"), "good bindings");
    for (const TFileNameCase& c : FileNameCases()) {
        if (c.fits || !FitsOnAnIniLine(c.name))
            continue;
        SCOPED_TRACE(c.label);
        // A section of that name with the class comes first; the next section with it is used.
        PutFile(Prog("appllist.ini"),
                "[" + c.name + "]\r\nCLSName=TunerMain\r\n" + "[Good]\r\nCLSName=TunerMain\r\n");
        const std::vector<std::string> before = Files();
        CopyDefaultsForClass("Tuner", "TunerMain");
        EXPECT_EQ(GetFile(Prog("Bin\\usercmdTuner.bin")), "good commands");
        EXPECT_EQ(GetFile(Prog("Bin\\userfuncTuner.bin")), "good bindings");
        Remove(Prog("Bin\\usercmdTuner.bin"));
        Remove(Prog("Bin\\userfuncTuner.bin"));
        // And the new application of that name gets nothing.
        CopyDefaultsForClass(c.name, "TunerMain");
        EXPECT_EQ(NewFiles(before, Files()), std::vector<std::string>{});
        EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), kUserCodes);
    }
}

TEST_F(FileNameDoorsTest, APlaylistNameThatCannotNameAFileNamesNoPlaylist) {
    // "..\\x" would read x.aud of the program folder.
    PutFile(Prog("x.aud"), "C:\\outside.mp3\r\n");
    for (const TFileNameCase& c : FileNameCases()) {
        SCOPED_TRACE(c.label);
        if (c.fits)
            PutFile(Prog("PL\\" + c.name + ".aud"), "C:\\m.mp3\r\n");
        TStringList list;
        list.Add("untouched");
        EXPECT_EQ(LoadPlaylist(false, c.name, list), c.fits);
        EXPECT_EQ(list[0], c.fits ? "C:\\m.mp3" : "untouched");
    }
}

} // namespace
