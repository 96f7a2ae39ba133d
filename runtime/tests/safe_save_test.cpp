// Every writer of a user file under a full disk, a read-only target and a process killed while
// it writes: the file keeps exactly its earlier contents or gets the whole new ones, and the
// writer reports each failure.
#include "cmd_func_files.h"
#include "code_appl_tables.h"
#include "favourites.h"
#include "runtime_fixture.h"
#include "writer_faults.h"

#include <toolkit.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

class SafeSaveTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        MakeDir(Prog("Bin"));
    }

    // Enough records that writing them takes many calls, each set different for the second
    // contents.
    void ChooseCodes(bool second) {
        Runtime.CodeTable.clear();
        for (int i = 0; i < 400; ++i)
            Runtime.CodeTable.push_back(
                Code("Button" + std::to_string(i), i + (second ? 5000 : 0)));
        Runtime.CodeCount = static_cast<std::int32_t>(Runtime.CodeTable.size());
    }
    void ChooseAppls(bool second) {
        Runtime.ApplTable = {Appl("System", "")};
        for (int i = 0; i < 60; ++i)
            Runtime.ApplTable.push_back(Appl("Appl" + std::to_string(i),
                                             "Class" + std::to_string(i),
                                             (second ? "C:\\b\\" : "C:\\a\\") + std::to_string(i)));
        Runtime.ApplCount = static_cast<std::int32_t>(Runtime.ApplTable.size());
    }
    void ChooseRows(int columns, bool second) {
        grid.SetColCount(columns);
        grid.SetRowCount(1);
        grid.SetRowCount(301);
        for (int r = 1; r <= 300; ++r) {
            grid.Cells(0, r) = "Command" + std::to_string(r);
            grid.Cells(1, r) = "hold";
            grid.Cells(2, r) = (second ? "\"B" : "\"A") + std::to_string(r) + "\"";
        }
    }
    void ChooseFavourites(bool second) {
        favourites.Clear();
        for (int i = 0; i < 300; ++i)
            favourites.Add((second ? "Player B" : "Player A") + std::to_string(i));
    }

    std::vector<TWriterUnderTest> Writers() {
        const auto putDefaults = [this] {
            PutFile(Prog("Bin\\defcode.bin"), Bytes(std::vector{Code("Play", 1), Code("Stop", 2)}));
            PutFile(Prog("Bin\\defappl.bin"),
                    Bytes(std::vector{Appl("Winamp", "Winamp v1.x", "C:\\w.exe")}));
            PutFile(Prog("Bin\\defcmdPlayer.bin"),
                    Bytes(std::vector{Step("Play", 1, 1, 2, "VK_PLAY")}));
            PutFile(Prog("Bin\\deffuncPlayer.bin"),
                    Bytes(std::vector{Func("Play", 0, "\"Play\"")}));
        };
        const auto earlier = [this, putDefaults](const std::string& file,
                                                 const std::string& bytes) {
            return [this, putDefaults, file, bytes] {
                putDefaults();
                PutFile(Prog("Bin\\" + file), bytes);
            };
        };
        const std::string oldCodes = Bytes(std::vector{Code("Mine", 77), Code("Stop", -1)});
        const std::string oldAppls = Bytes(std::vector{Appl("Mine", "MineClass", "C:\\mine.exe")});
        const std::string oldSteps = Bytes(std::vector{Step("Mine", 1, 1, 2, "VK_A")});
        const std::string oldFuncs = Bytes(std::vector{Func("Mine", 0, "\"Ok\"")});
        return {
            {"SaveCodeTable", Prog("Bin\\usercode.bin"), earlier("usercode.bin", oldCodes),
             [this](bool second) { ChooseCodes(second); },
             [] { return SaveCodeTable() == ResultOk; }},
            {"SaveApplTable", Prog("Bin\\userappl.bin"), earlier("userappl.bin", oldAppls),
             [this](bool second) { ChooseAppls(second); },
             [] { return SaveApplTable() == ResultOk; }},
            {"SaveCmdGrid", Prog("Bin\\usercmdPlayer.bin"), earlier("usercmdPlayer.bin", oldSteps),
             [this](bool second) { ChooseRows(6, second); },
             [this] { return SaveCmdGrid("Player", false, grid) == ResultOk; }},
            {"SaveCmdGrid pending", Prog("Bin\\usercmdPlayer.tmp"),
             earlier("usercmdPlayer.tmp", oldSteps), [this](bool second) { ChooseRows(6, second); },
             [this] { return SaveCmdGrid("Player", true, grid) == ResultOk; }, true},
            {"SaveFuncGrid", Prog("Bin\\userfuncPlayer.bin"),
             earlier("userfuncPlayer.bin", oldFuncs),
             [this](bool second) { ChooseRows(3, second); },
             [this] { return SaveFuncGrid("Player", false, grid) == ResultOk; }},
            {"SaveFuncGrid pending", Prog("Bin\\userfuncPlayer.tmp"),
             earlier("userfuncPlayer.tmp", oldFuncs),
             [this](bool second) { ChooseRows(3, second); },
             [this] { return SaveFuncGrid("Player", true, grid) == ResultOk; }, true},
            {"SaveFavorites", Prog("Bin\\favoritaudio.bin"),
             earlier("favoritaudio.bin", "Winamp\r\nAIMP\r\n"),
             [this](bool second) { ChooseFavourites(second); },
             [this] { return SaveFavorites("audio", favourites) == ResultOk; }},
            // OK's commit: the pending files it replaces the user files with are written whole
            // first, so a kill can only come between or during the replacements.
            {"CommitTempFiles", Prog("Bin\\usercmdPlayer.bin"),
             earlier("usercmdPlayer.bin", oldSteps), [this](bool second) { ChooseRows(6, second); },
             [this] {
                 return SaveCmdGrid("Player", true, grid) == ResultOk &&
                        SaveFuncGrid("Player", true, grid) == ResultOk &&
                        CommitTempFiles(true) == ResultOk;
             }},
        };
    }

    TStringGrid grid{nullptr};
    TStringList favourites;
};

TEST_F(SafeSaveTest, AFullDiskOrAReadOnlyFileKeepsTheEarlierFileAndIsReported) {
    for (const TWriterUnderTest& writer : Writers())
        CheckWriterUnderFullDiskAndReadOnlyTarget(writer);
}

TEST_F(SafeSaveTest, AProcessKilledWhileWritingLeavesTheOldOrTheNewFile) {
    for (const TWriterUnderTest& writer : Writers())
        CheckWriterKilledWhileWriting(writer);
}

TEST_F(SafeSaveTest, CommitReplacesEachUserFileInOneStepOrReportsIt) {
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "old commands");
    PutFile(Prog("Bin\\usercmdPlayer.tmp"), "new commands");
    PutFile(Prog("Bin\\userfuncPlayer.bin"), "old functions");
    PutFile(Prog("Bin\\userfuncPlayer.tmp"), "new functions");
    ASSERT_TRUE(
        SetFileAttributesA(Prog("Bin\\userfuncPlayer.bin").c_str(), FILE_ATTRIBUTE_READONLY));

    std::vector<std::string> failed;
    EXPECT_EQ(CommitTempFiles(true, &failed), ResultNoCreate);
    EXPECT_EQ(failed, std::vector<std::string>{"userfuncPlayer.bin"});
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdPlayer.bin")), "new commands");
    EXPECT_EQ(GetFile(Prog("Bin\\userfuncPlayer.bin")), "old functions");
    // Left behind, a later OK would commit the older edits unasked.
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdPlayer.tmp")));
    EXPECT_FALSE(Exists(Prog("Bin\\userfuncPlayer.tmp")));
    SetFileAttributesA(Prog("Bin\\userfuncPlayer.bin").c_str(), FILE_ATTRIBUTE_NORMAL);

    failed.clear();
    EXPECT_EQ(CommitTempFiles(true, &failed), ResultOk);
    EXPECT_TRUE(failed.empty());
}

TEST_F(SafeSaveTest, AFailedPendingSaveRemovesTheOlderPendingFile) {
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "saved commands");
    PutFile(Prog("Bin\\usercmdPlayer.tmp"), "older pending edits");
    ChooseRows(6, false);
    win32sim::SetWriteBudget(100);
    EXPECT_EQ(SaveCmdGrid("Player", true, grid), ResultNoCreate);
    win32sim::SetWriteBudget(std::nullopt);
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdPlayer.tmp")));
    CommitTempFiles(true);
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdPlayer.bin")), "saved commands");
}

TEST_F(SafeSaveTest, CopiedDefaultsReplaceTheUserFilesWholeOrNotAtAll) {
    PutFile(Prog("appllist.ini"), "[Winamp]\r\nCLSName=Winamp v1.x\r\n");
    const std::string defaults =
        Bytes(std::vector{Step("Play", 1, 1, 2, "VK_PLAY"), Step("Stop", 1, 1, 2, "VK_STOP")});
    PutFile(Prog("Bin\\defcmdWinamp.bin"), defaults);
    PutFile(Prog("Bin\\usercmdMine.bin"), "earlier");
    win32sim::SetWriteBudget(defaults.size() / 2);
    CopyDefaultsForClass("Mine", "Winamp v1.x");
    win32sim::SetWriteBudget(std::nullopt);
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdMine.bin")), "earlier");
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdMine.bin.new")));

    CopyDefaultsForClass("Mine", "Winamp v1.x");
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdMine.bin")), defaults);
}

} // namespace
