// Tests of the command and function files: grid loaders and savers, pending files, copies.
#include "cmd_func_files.h"
#include "records.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

// CMDTYPE values used below.
constexpr std::int16_t kRunAppl = 0;
constexpr std::int16_t kShowTxt = 1;
constexpr std::int16_t kKeybEvent = 7;
constexpr std::int16_t kMode = 11;

template <class T>
std::vector<T> Join(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

// Default command file of the application "Player": Play (1 step), Vol (2 steps), Quit.
const std::vector<TCmdStep> kPlay{Step("Play", 1, 1, kKeybEvent, "VK_PLAY")};
const std::vector<TCmdStep> kVol{Step("Vol", 1, 2, kShowTxt, "Volume", "5"),
                                 Step("", 2, 2, kMode, "mouse")};
const std::vector<TCmdStep> kQuit{Step("Quit", 1, 1, kRunAppl, "C:\\q.exe")};

const Rows kDefaultRows{
    {"Play", "keybevent", "VK_PLAY", "", "", ""},
    {"Vol", "show_txt", "Volume", "5", "", ""},
    {"", "mode", "mouse", "", "", ""},
    {"Quit", "runappl", "C:\\q.exe", "", "", ""},
};

class CmdFuncTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        MakeDir(Prog("Bin"));
    }
    template <class T>
    void PutRecords(const std::string& file, const std::vector<T>& records) {
        PutFile(Prog("Bin\\" + file), Bytes(records));
    }
    std::string BinFile(const std::string& file) { return GetFile(Prog("Bin\\" + file)); }
    bool BinExists(const std::string& file) { return Exists(Prog("Bin\\" + file)); }

    // A grid as the settings dialog hands it over: title row and one empty data row.
    static void Clear(TStringGrid& grid, int columns) {
        grid.SetColCount(columns);
        grid.SetRowCount(1);
        grid.SetRowCount(2);
    }
    static Rows DataRows(const TStringGrid& grid) {
        Rows rows;
        for (int r = 1; r < grid.RowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < grid.ColCount(); ++c)
                row.push_back(grid.Cells(c, r));
            rows.push_back(row);
        }
        return rows;
    }
    static void Fill(TStringGrid& grid, const Rows& rows, int columns) {
        grid.SetColCount(columns);
        grid.SetRowCount(1);
        grid.SetRowCount(static_cast<int>(rows.size()) + 1);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (std::size_t c = 0; c < rows[r].size(); ++c)
                grid.Cells(static_cast<int>(c), static_cast<int>(r) + 1) = rows[r][c];
    }
    Rows LoadCmd(bool defaultOnly = false, int* result = nullptr) {
        TStringGrid grid(nullptr);
        Clear(grid, 6);
        const int r = LoadCmdGrid("Player", defaultOnly, grid);
        if (result)
            *result = r;
        return DataRows(grid);
    }
    Rows LoadFunc(bool defaultOnly = false, int* result = nullptr) {
        TStringGrid grid(nullptr);
        Clear(grid, 3);
        const int r = LoadFuncGrid("Player", defaultOnly, &grid, nullptr);
        if (result)
            *result = r;
        return DataRows(grid);
    }

    TStringGrid grid{nullptr};
};

const Rows kEmptyCmdGrid{{"", "", "", "", "", ""}};
const Rows kEmptyFuncGrid{{"", "", ""}};

// --- LoadCmdGrid ---

TEST_F(CmdFuncTest, CommandsOfAnApplicationWithoutFilesGiveThreeAndAnEmptyGrid) {
    int result = -1;
    EXPECT_EQ(LoadCmd(false, &result), kEmptyCmdGrid);
    EXPECT_EQ(result, 3);
}

TEST_F(CmdFuncTest, EmptyCommandFilesGiveAnEmptyGridAndSuccess) {
    PutFile(Prog("Bin\\defcmdPlayer.bin"), "");
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "");
    int result = -1;
    EXPECT_EQ(LoadCmd(false, &result), kEmptyCmdGrid);
    EXPECT_EQ(result, 0);
}

TEST_F(CmdFuncTest, DefaultCommandsFillTheGridStepByStep) {
    PutRecords("defcmdPlayer.bin", Join(Join(kPlay, kVol), kQuit));
    int result = -1;
    EXPECT_EQ(LoadCmd(false, &result), kDefaultRows);
    EXPECT_EQ(result, 0);
}

TEST_F(CmdFuncTest, ATypeValueOutsideTheListShowsAnEmptyTypeCell) {
    PutRecords("defcmdPlayer.bin", std::vector{Step("Odd", 1, 1, 99, "x"), Step("Neg", 1, 1, -1)});
    EXPECT_EQ(LoadCmd(), (Rows{{"Odd", "", "x", "", "", ""}, {"Neg", "", "", "", "", ""}}));
}

TEST_F(CmdFuncTest, UserCommandsReplaceInPlaceHideAndFollow) {
    PutRecords("defcmdPlayer.bin", Join(Join(kPlay, kVol), kQuit));
    PutRecords("usercmdPlayer.bin",
               std::vector{
                   Step("Extra", 1, 2, kShowTxt, "a"),
                   Step("", 2, 2, kShowTxt, "b"),
                   Step("QUIT", 1, 0, 0),             // deletion marker
                   Step("vol", 1, 1, kMode, "keybd"), // replaces Vol in its place
                   Step("Last", 1, 1, kRunAppl, "C:\\l.exe"),
               });
    int result = -1;
    EXPECT_EQ(LoadCmd(false, &result), (Rows{
                                           {"Play", "keybevent", "VK_PLAY", "", "", ""},
                                           {"vol", "mode", "keybd", "", "", ""},
                                           {"Extra", "show_txt", "a", "", "", ""},
                                           {"", "show_txt", "b", "", "", ""},
                                           {"Last", "runappl", "C:\\l.exe", "", "", ""},
                                       }));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Lines(Runtime.WorkList),
              (std::vector<std::string>{"Extra=2", "QUIT=0", "vol=1", "Last=1"}));
    // Restoring the defaults reads the default file alone.
    EXPECT_EQ(LoadCmd(true), kDefaultRows);
}

TEST_F(CmdFuncTest, AUserFileAloneGivesItsCommandsAndSkipsItsMarkers) {
    PutRecords("usercmdPlayer.bin", std::vector{Step("Gone", 1, 0, 0), Step("Mine", 1, 1, kMode),
                                                Step("mine", 1, 1, kShowTxt)});
    EXPECT_EQ(LoadCmd(), (Rows{{"Mine", "mode", "", "", "", ""}}));
}

TEST_F(CmdFuncTest, ACommandFileEndingInsideACommandStopsItsRowsThere) {
    const std::vector cut{Step("Play", 1, 1, kKeybEvent), Step("Long", 1, 3, kShowTxt, "one"),
                          Step("", 2, 3, kShowTxt, "two")};
    PutFile(Prog("Bin\\defcmdPlayer.bin"), Bytes(cut) + std::string(50, '\x01'));
    EXPECT_EQ(LoadCmd(), (Rows{{"Play", "keybevent", "", "", "", ""},
                               {"Long", "show_txt", "one", "", "", ""},
                               {"", "show_txt", "two", "", "", ""}}));
}

TEST_F(CmdFuncTest, StepCountsThatLieInADefaultFileNeverSkipOrRunPastTheEnd) {
    const std::vector<TCmdStep> next{Step("Next", 1, 2, kShowTxt, "n1"),
                                     Step("", 2, 2, kShowTxt, "n2")};
    const Rows nextRows{{"Next", "show_txt", "n1", "", "", ""}, {"", "show_txt", "n2", "", "", ""}};
    struct Case {
        const char* what;
        std::vector<TCmdStep> first;
        Rows rows;
    };
    const Case cases[] = {
        {"zero", {Step("Bad", 1, 0, kMode)}, Join(Rows{{"Bad", "mode", "", "", "", ""}}, nextRows)},
        {"negative",
         {Step("Bad", 1, -7, kMode)},
         Join(Rows{{"Bad", "mode", "", "", "", ""}}, nextRows)},
        {"huge, the steps saying less",
         {Step("Bad", 1, 30000, kMode), Step("", 2, 2, kMode)},
         Join(Rows{{"Bad", "mode", "", "", "", ""}, {"", "mode", "", "", "", ""}}, nextRows)},
        // Every record to the end of the file belongs to it; none is lost or skipped.
        {"huge throughout",
         {Step("Bad", 1, 30000, kMode), Step("", 2, 30000, kMode)},
         Join(Rows{{"Bad", "mode", "", "", "", ""}, {"", "mode", "", "", "", ""}}, nextRows)},
        {"steps beyond the count",
         {Step("Bad", 1, 1, kMode), Step("", 2, 1, kMode)},
         Join(Rows{{"Bad", "mode", "", "", "", ""}, {"", "mode", "", "", "", ""}}, nextRows)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PutRecords("defcmdPlayer.bin", Join(c.first, next));
        int result = -1;
        EXPECT_EQ(LoadCmd(false, &result), c.rows);
        EXPECT_EQ(result, 0);
    }
}

TEST_F(CmdFuncTest, AUserStepCountReachingPastTheFileKeepsTheCommandsAfterIt) {
    PutRecords("defcmdPlayer.bin", kPlay);
    // "Big" claims more steps than the file holds; Play's replacement comes after it.
    PutRecords("usercmdPlayer.bin",
               std::vector{Step("Big", 1, 500, kShowTxt, "b"), Step("Play", 1, 1, kMode, "p"),
                           Step("Tail", 1, 1, kMode, "t")});
    EXPECT_EQ(LoadCmd(), (Rows{{"Play", "mode", "p", "", "", ""},
                               {"Big", "show_txt", "b", "", "", ""},
                               {"Tail", "mode", "t", "", "", ""}}));
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Big=500", "Play=1", "Tail=1"}));
}

TEST_F(CmdFuncTest, TextsFillingTheirFieldsLoadCut) {
    TCmdStep raw;
    std::memset(&raw, 'w', sizeof raw);
    raw.Step = 1;
    raw.StepCount = 1;
    raw.CmdType = kMode;
    PutRecords("defcmdPlayer.bin", std::vector{raw});
    const std::string p(24, 'w');
    EXPECT_EQ(LoadCmd(), (Rows{{std::string(25, 'w'), "mode", p, p, p, p}}));
}

// --- SaveCmdGrid ---

TEST_F(CmdFuncTest, SavingAnUnchangedCommandGridWritesAnEmptyUserFile) {
    PutRecords("defcmdPlayer.bin", Join(Join(kPlay, kVol), kQuit));
    Fill(grid, kDefaultRows, 6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"), "");
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Play", "Vol", "Quit"}));
}

TEST_F(CmdFuncTest, ADeletedDefaultCommandIsSavedAsAMarkerAndStaysHidden) {
    PutRecords("defcmdPlayer.bin", Join(Join(kPlay, kVol), kQuit));
    Fill(grid, {kDefaultRows[0], kDefaultRows[3]}, 6); // Vol deleted
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    TCmdStep marker = kVol.back(); // the command's last record, named, with StepCount 0
    SetField(marker.Name, "Vol");
    marker.StepCount = 0;
    EXPECT_EQ(BinFile("usercmdPlayer.bin"), Bytes(std::vector{marker}));
    EXPECT_EQ(LoadCmd(), (Rows{kDefaultRows[0], kDefaultRows[3]}));
}

TEST_F(CmdFuncTest, AnEditedDefaultCommandIsSavedWholeAndKeepsItsPlace) {
    PutRecords("defcmdPlayer.bin", Join(Join(kPlay, kVol), kQuit));
    Rows rows = kDefaultRows;
    rows[1][0] = "VOL";   // the name keeps the default file's spelling
    rows[2][2] = "digit"; // one step edited
    Fill(grid, rows, 6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"),
              Bytes(std::vector{Step("Vol", 1, 2, kShowTxt, "Volume", "5"),
                                Step("", 2, 2, kMode, "digit")}));
    Rows expected = kDefaultRows;
    expected[2][2] = "digit";
    EXPECT_EQ(LoadCmd(), expected);
}

TEST_F(CmdFuncTest, AValueMovedBetweenParametersIsSaved) {
    PutRecords("defcmdPlayer.bin", std::vector{Step("Say", 1, 1, kShowTxt, "", "5")});
    Fill(grid, {{"Say", "show_txt", "5", "", "", ""}}, 6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"), Bytes(std::vector{Step("Say", 1, 1, kShowTxt, "5")}));
}

TEST_F(CmdFuncTest, AChangedStepCountIsSaved) {
    PutRecords("defcmdPlayer.bin", kVol);
    Fill(grid, {kDefaultRows[1]}, 6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"),
              Bytes(std::vector{Step("Vol", 1, 1, kShowTxt, "Volume", "5")}));
}

TEST_F(CmdFuncTest, NewCommandsFollowInGridOrderWithZeroParametersEmptied) {
    PutRecords("defcmdPlayer.bin", kPlay);
    Fill(grid,
         {
             {"New", "nonsense", "0", "00", "a", "0"},
             {"", "mode", "x", "", "", ""},
             {"Play", "keybevent", "VK_PLAY", "", "", ""},
             {"Other", "runappl", "", "", "", ""},
         },
         6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"),
              Bytes(std::vector{Step("New", 1, 2, -1, "", "00", "a", ""),
                                Step("", 2, 2, kMode, "x"), Step("Other", 1, 1, kRunAppl)}));
    // A parameter saved from "0" loads as an empty cell.
    EXPECT_EQ(LoadCmd(), (Rows{
                             {"Play", "keybevent", "VK_PLAY", "", "", ""},
                             {"New", "", "", "00", "a", ""},
                             {"", "mode", "x", "", "", ""},
                             {"Other", "runappl", "", "", "", ""},
                         }));
}

TEST_F(CmdFuncTest, OverlongCommandCellsAreCutToTheirFields) {
    Fill(grid,
         {{std::string(40, 'N'), "mode", std::string(30, '1'), std::string(25, '2'),
           std::string(24, '3'), std::string(100, '4')}},
         6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    const std::string file = BinFile("usercmdPlayer.bin");
    ASSERT_EQ(file.size(), sizeof(TCmdStep));
    EXPECT_EQ(file, Bytes(std::vector{Step(std::string(25, 'N'), 1, 1, kMode, std::string(24, '1'),
                                           std::string(24, '2'), std::string(24, '3'),
                                           std::string(24, '4'))}));
}

TEST_F(CmdFuncTest, ABlockLongerThanAStepCountHoldsIsCutToTheLargestCount) {
    Rows rows(40000, {"", "mode", "", "", "", ""});
    rows[0][0] = "Huge";
    rows.push_back({"After", "mode", "a", "", "", ""});
    Fill(grid, rows, 6);
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 0);
    const std::string file = BinFile("usercmdPlayer.bin");
    ASSERT_EQ(file.size(), (32767u + 1u) * sizeof(TCmdStep));
    TCmdStep last;
    std::memcpy(&last, file.data() + 32766 * sizeof(TCmdStep), sizeof last);
    EXPECT_EQ(last.Step, 32767);
    EXPECT_EQ(last.StepCount, 32767);
    TCmdStep after;
    std::memcpy(&after, file.data() + 32767 * sizeof(TCmdStep), sizeof after);
    EXPECT_EQ(std::string(after.Name), "After");
    EXPECT_EQ(after.StepCount, 1);
}

TEST_F(CmdFuncTest, PendingCommandSaveWritesTheTmpFormOnly) {
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "earlier");
    Fill(grid, {{"Mine", "mode", "", "", "", ""}}, 6);
    EXPECT_EQ(SaveCmdGrid("Player", true, grid), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.tmp"), Bytes(std::vector{Step("Mine", 1, 1, kMode)}));
    EXPECT_EQ(BinFile("usercmdPlayer.bin"), "earlier");
}

TEST_F(CmdFuncTest, AUserFileThatCannotBeCreatedGivesFive) {
    MakeDir(Prog("Bin\\usercmdPlayer.bin"));
    MakeDir(Prog("Bin\\userfuncPlayer.tmp"));
    Fill(grid, {{"Mine", "mode", "", "", "", ""}}, 6);
    Runtime.WorkList.Add("untouched");
    EXPECT_EQ(SaveCmdGrid("Player", false, grid), 5);
    EXPECT_EQ(SaveFuncGrid("Player", true, grid), 5);
    EXPECT_EQ(Lines(Runtime.WorkList), std::vector<std::string>{"untouched"});
}

// --- LoadFuncGrid ---

TEST_F(CmdFuncTest, BindingsOfAnApplicationWithoutFilesGiveThree) {
    int result = -1;
    EXPECT_EQ(LoadFunc(false, &result), kEmptyFuncGrid);
    EXPECT_EQ(result, 3);
}

TEST_F(CmdFuncTest, UserBindingsComeFirstAndHideTheirDefaults) {
    PutRecords("deffuncPlayer.bin", std::vector{
                                        Func("Play", 1, "\"Play\""),
                                        Func("Stop", 4, "\"Stop\""),
                                        Func("Vol", 0, "\"Vol\"+\"Up\""),
                                        Func("Odd", 9, "\"Odd\""),
                                        Func("Empty", 1, ""),
                                    });
    PutRecords("userfuncPlayer.bin",
               std::vector{
                   Func("Mine", 2, "\"A\"+\"B\""), Func("PLAY", 3, "\"Ok\""), // rebound: shown once
                   Func("stop", 1, ""), // deleted: never shown
               });
    int result = -1;
    EXPECT_EQ(LoadFunc(false, &result), (Rows{
                                            {"Mine", "keybd", "\"A\"+\"B\""},
                                            {"PLAY", "digit", "\"Ok\""},
                                            {"Vol", "hold", "\"Vol\"+\"Up\""},
                                            {"Odd", "", "\"Odd\""},
                                        }));
    EXPECT_EQ(result, 0);

    TStringList list;
    list.Add("kept");
    EXPECT_EQ(LoadFuncGrid("Player", false, nullptr, &list), 0);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{
                               "kept",
                               "Mine                     =  \"A\"+\"B\"",
                               "PLAY                     =  \"Ok\"",
                               "Vol                      =  \"Vol\"+\"Up\"",
                               "Odd                      =  \"Odd\"",
                           }));

    EXPECT_EQ(LoadFunc(true), (Rows{
                                  {"Play", "mouse", "\"Play\""},
                                  {"Stop", "nohold", "\"Stop\""},
                                  {"Vol", "hold", "\"Vol\"+\"Up\""},
                                  {"Odd", "", "\"Odd\""},
                              }));
}

TEST_F(CmdFuncTest, FunctionsListLinesPutTheExpressionAtCharacter29) {
    PutRecords("deffuncPlayer.bin",
               std::vector{Func("Play", 1, "\"Play\""), Func(std::string(25, 'L'), 1, "\"L\"")});
    Runtime.WorkList.Add("stale");
    // The step showfunction passes WorkList itself, which the loader empties first.
    EXPECT_EQ(LoadFuncGrid("Player", false, nullptr, &Runtime.WorkList), 0);
    ASSERT_EQ(Runtime.WorkList.Count(), 2);
    EXPECT_EQ(Runtime.WorkList[0], "Play" + std::string(21, ' ') + "=  \"Play\"");
    EXPECT_EQ(Runtime.WorkList[0].substr(28), "\"Play\"");
    EXPECT_EQ(Runtime.WorkList[1], std::string(25, 'L') + "=  \"L\"");
}

TEST_F(CmdFuncTest, GridAndListFillTogether) {
    PutRecords("userfuncPlayer.bin", std::vector{Func("A", 0, "\"1\""), Func("B", 1, "\"2\"")});
    Clear(grid, 3);
    TStringList list;
    EXPECT_EQ(LoadFuncGrid("Player", false, &grid, &list), 0);
    EXPECT_EQ(DataRows(grid), (Rows{{"A", "hold", "\"1\""}, {"B", "mouse", "\"2\""}}));
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(CmdFuncTest, BindingFilesCutShortLoseOnlyTheirPartialRecord) {
    PutFile(Prog("Bin\\deffuncPlayer.bin"),
            Bytes(std::vector{Func("Play", 1, "\"P\"")}) + std::string(103, 'q'));
    EXPECT_EQ(LoadFunc(), (Rows{{"Play", "mouse", "\"P\""}}));
}

// --- SaveFuncGrid ---

TEST_F(CmdFuncTest, SavingAnUnchangedFunctionGridWritesAnEmptyUserFile) {
    PutRecords("deffuncPlayer.bin", std::vector{Func("Play", 1, "\"P\""), Func("Vol", 4, "\"V\"")});
    Fill(grid, {{"play", "MOUSE", "\"P\""}, {"Vol", "nohold", "\"V\""}}, 3);
    EXPECT_EQ(SaveFuncGrid("Player", false, grid), 0);
    EXPECT_EQ(BinFile("userfuncPlayer.bin"), "");
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Play", "Vol"}));
}

TEST_F(CmdFuncTest, SavedBindingsAreDifferencesThenNewRows) {
    const std::vector defaults{Func("Play", 1, "\"P\""), Func("Stop", 1, "\"S\""),
                               Func("Vol", 0, "\"V\""), Func("Mode", 2, "\"M\"")};
    PutRecords("deffuncPlayer.bin", defaults);
    Fill(grid,
         {
             {"New=Cmd", "bogus", "\"N\""},
             {"Mode", "digit", "\"M\""}, // other mode
             {"Vol", "hold", "\"v\""},   // expression differs in case only: saved
             {"Play", "mouse", "\"P\""},
             {"Long", "keybd", std::string(90, 'k')},
         },
         3);
    EXPECT_EQ(SaveFuncGrid("Player", false, grid), 0);
    TFuncEntry stop = defaults[1];
    SetField(stop.Keys, "");
    EXPECT_EQ(
        BinFile("userfuncPlayer.bin"),
        Bytes(std::vector{stop, Func("Vol", 0, "\"v\""), Func("Mode", 3, "\"M\""),
                          Func("New=Cmd", -1, "\"N\""), Func("Long", 2, std::string(75, 'k'))}));
    // Stop is gone; the rebound bindings show once each.
    EXPECT_EQ(LoadFunc(), (Rows{
                              {"Vol", "hold", "\"v\""},
                              {"Mode", "digit", "\"M\""},
                              {"New=Cmd", "", "\"N\""},
                              {"Long", "keybd", std::string(75, 'k')},
                              {"Play", "mouse", "\"P\""},
                          }));
}

TEST_F(CmdFuncTest, PendingFunctionSaveWritesTheTmpFormOnly) {
    Fill(grid, {{"A", "hold", "\"1\""}}, 3);
    EXPECT_EQ(SaveFuncGrid("Player", true, grid), 0);
    EXPECT_EQ(BinFile("userfuncPlayer.tmp"), Bytes(std::vector{Func("A", 0, "\"1\"")}));
    EXPECT_FALSE(BinExists("userfuncPlayer.bin"));
}

// --- CommitTempFiles ---

TEST_F(CmdFuncTest, CommitReplacesEachBinByItsTmp) {
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "old");
    PutFile(Prog("Bin\\usercmdPlayer.tmp"), "new");
    PutFile(Prog("Bin\\anything.TMP"), "any");
    PutFile(Prog("Bin\\keep.dat"), "keep");
    MakeDir(Prog("Bin\\folder.tmp"));
    PutFile(Prog("Bin\\folder.bin"), "file beside a folder");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(CommitTempFiles(true), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"), "new");
    EXPECT_FALSE(BinExists("usercmdPlayer.tmp"));
    EXPECT_EQ(BinFile("anything.bin"), "any");
    EXPECT_FALSE(BinExists("anything.TMP"));
    EXPECT_EQ(BinFile("keep.dat"), "keep");
    EXPECT_EQ(BinFile("folder.bin"), "file beside a folder");
    EXPECT_TRUE(BinExists("folder.tmp"));
    char current[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
    EXPECT_STREQ(current, "C:\\");
}

TEST_F(CmdFuncTest, DiscardDeletesEveryTmpAndKeepsTheBins) {
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "old");
    PutFile(Prog("Bin\\usercmdPlayer.tmp"), "new");
    PutFile(Prog("Bin\\userfuncX.tmp"), "new");
    EXPECT_EQ(CommitTempFiles(false), 0);
    EXPECT_EQ(BinFile("usercmdPlayer.bin"), "old");
    EXPECT_FALSE(BinExists("usercmdPlayer.tmp"));
    EXPECT_FALSE(BinExists("userfuncX.tmp"));
}

TEST_F(CmdFuncTest, WithoutABinFolderNoOtherFolderIsTouched) {
    Remove(Prog("Bin"));
    PutFile("C:\\Other\\Bin\\stray.tmp", "stray");
    PutFile("C:\\Other\\stray.tmp", "stray");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\Other"));
    EXPECT_EQ(CommitTempFiles(false), 0);
    EXPECT_TRUE(Exists("C:\\Other\\Bin\\stray.tmp"));
    EXPECT_TRUE(Exists("C:\\Other\\stray.tmp"));
    char current[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
    EXPECT_STREQ(current, "C:\\Other");
}

// --- CopyDefaultsForClass ---

class CopyDefaultsTest : public CmdFuncTest {
protected:
    void SetUp() override {
        CmdFuncTest::SetUp();
        PutFile(Prog("appllist.ini"), "[Winamp]\r\nName=winamp.exe\r\nCLSName=Winamp v1.x\r\n"
                                      "[NoClass]\r\nName=none.exe\r\n"
                                      "[Winamp2]\r\nName=winamp2.exe\r\nCLSName=Winamp v1.x\r\n"
                                      "[Media]\r\nName=media.exe\r\nCLSName=MediaClass\r\n");
        PutFile(Prog("Bin\\defcmdWinamp.bin"), "winamp commands");
        PutFile(Prog("Bin\\deffuncWinamp.bin"), "winamp bindings");
        PutFile(Prog("Bin\\defcmdWinamp2.bin"), "winamp2 commands");
        PutFile(Prog("Bin\\deffuncWinamp2.bin"), "winamp2 bindings");
        PutFile(Prog("Bin\\defcmdNoClass.bin"), "noclass commands");
    }
};

TEST_F(CopyDefaultsTest, TheFirstOtherSectionWithTheClassIsCopiedOverTheUserFiles) {
    PutFile(Prog("Bin\\usercmdMyAmp.bin"), "earlier");
    CopyDefaultsForClass("MyAmp", "WINAMP V1.X");
    EXPECT_EQ(BinFile("usercmdMyAmp.bin"), "winamp commands");
    EXPECT_EQ(BinFile("userfuncMyAmp.bin"), "winamp bindings");
}

TEST_F(CopyDefaultsTest, ASectionOfTheNewApplicationsOwnNameIsPassedOver) {
    CopyDefaultsForClass("winamp", "Winamp v1.x");
    EXPECT_EQ(BinFile("usercmdwinamp.bin"), "winamp2 commands");

    CopyDefaultsForClass("media", "MediaClass");
    EXPECT_FALSE(BinExists("usercmdmedia.bin"));
    EXPECT_FALSE(BinExists("userfuncmedia.bin"));
}

TEST_F(CopyDefaultsTest, AMissingSourceLeavesItsTargetAsItWas) {
    PutFile(Prog("Bin\\userfuncNew.bin"), "earlier");
    CopyDefaultsForClass("New", "MediaClass"); // Media has no default files
    EXPECT_FALSE(BinExists("usercmdNew.bin"));
    EXPECT_EQ(BinFile("userfuncNew.bin"), "earlier");
}

TEST_F(CopyDefaultsTest, NoMatchingClassOrNoClassAtAllCopiesNothing) {
    CopyDefaultsForClass("New", "Unknown");
    CopyDefaultsForClass("New2", ""); // would match the section without a class
    EXPECT_FALSE(BinExists("usercmdNew.bin"));
    EXPECT_FALSE(BinExists("usercmdNew2.bin"));
    Remove(Prog("appllist.ini"));
    CopyDefaultsForClass("New3", "Winamp v1.x");
    EXPECT_FALSE(BinExists("usercmdNew3.bin"));
}

} // namespace
