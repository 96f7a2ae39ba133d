// The application page of the settings dialog: Add, Del, Default, the favourites lists, the
// table conversions, and the grid helpers the pages share.
#include "dlgpages_fixture.h"

#include "code_appl_tables.h"
#include "win32sim/desktop.h"
#include "win32sim/processes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using toolkitsim::ChooseItem;
using toolkitsim::Click;
using toolkitsim::QueueAnswer;
using toolkitsim::QueueDialogCancel;
using toolkitsim::QueueInput;
using toolkitsim::QueueOpenFile;

constexpr const char* kPlayerPath = "C:\\Program files\\Player\\Player.exe";

class ApplPageTest : public PagesTest {
protected:
    TFConfig& Open() {
        return OpenDialogWith({Appl("System", ""), Appl("Player", "PlayerMain", kPlayerPath),
                               Appl("Viewer", "ViewerMain", "C:\\Apps\\Viewer.exe")});
    }
    static void RegisterPlayer(const std::string& path, const std::string& cls) {
        win32sim::SimulatedProgram p;
        p.idleAfter = 100;
        win32sim::WindowSpec w;
        w.className = cls;
        w.visible = true;
        p.windows = {w};
        win32sim::RegisterProgram(path, p);
    }
    static std::vector<std::string> Column0(const TStringGrid& g) {
        std::vector<std::string> out;
        for (int r = 1; r < g.RowCount; ++r)
            out.push_back(g.Cells(0, r));
        return out;
    }
    static std::vector<std::string> Items(const TStringList& l) {
        return std::vector<std::string>(l.begin(), l.end());
    }
};

TEST_F(ApplPageTest, TheTableFillsTheGridAndBothCombos) {
    TFConfig& f = Open();
    EXPECT_EQ(Column0(*f.stgAppl), (std::vector<std::string>{"System", "Player", "Viewer"}));
    EXPECT_EQ(f.stgAppl->Cells(1, 2), "PlayerMain");
    EXPECT_EQ(f.stgAppl->Cells(2, 2), kPlayerPath);
    EXPECT_EQ(f.stgAppl->Cells(0, 0), "Appl");
    EXPECT_EQ(Items(f.cmbCommand->Items), Column0(*f.stgAppl));
    EXPECT_EQ(Items(f.cmbFunction->Items), Column0(*f.stgAppl));

    // A shorter table empties the rows it no longer has.
    f.cmbCommand->ItemIndex = 2;
    Runtime.ApplTable.resize(2);
    Runtime.ApplCount = 2;
    EXPECT_EQ(ApplTableToGrid(), 0);
    EXPECT_EQ(Column0(*f.stgAppl), (std::vector<std::string>{"System", "Player"}));
    EXPECT_EQ(f.cmbCommand->ItemIndex, -1);
    EXPECT_EQ(f.cmbCommand->Items.Count(), 2);

    // No table: 6, and the grid stays.
    Runtime.ApplTable.clear();
    Runtime.ApplCount = 0;
    EXPECT_EQ(ApplTableToGrid(), 6);
    EXPECT_EQ(f.stgAppl->RowCount, 3);
}

TEST_F(ApplPageTest, TheGridBecomesTheTableWithTextsCutToTheirFields) {
    TFConfig& f = Open();
    f.stgAppl->Cells(0, 3) = std::string(30, 'n');
    f.stgAppl->Cells(1, 3) = std::string(110, 'c');
    f.stgAppl->Cells(2, 3) = std::string(300, 'p');
    Runtime.ApplTable[1].Wnd = 77;
    EXPECT_EQ(GridToApplTable(), 0);
    ASSERT_EQ(Runtime.ApplCount, 3);
    ASSERT_EQ(Runtime.ApplTable.size(), 3u);
    EXPECT_EQ(FieldText(Runtime.ApplTable[0].Name), "System");
    EXPECT_EQ(FieldText(Runtime.ApplTable[1].ClassName), "PlayerMain");
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, 0);
    EXPECT_EQ(FieldText(Runtime.ApplTable[2].Name), std::string(24, 'n'));
    EXPECT_EQ(FieldText(Runtime.ApplTable[2].ClassName), std::string(102, 'c'));
    EXPECT_EQ(FieldText(Runtime.ApplTable[2].Path), std::string(255, 'p'));
    // And back: what the table holds is what a save would store.
    EXPECT_EQ(ApplTableToGrid(), 0);
    EXPECT_EQ(f.stgAppl->Cells(0, 3), std::string(24, 'n'));
}

TEST_F(ApplPageTest, AddLearnsTheClassAndCopiesTheDefaultsOfTheSameClass) {
    TFConfig& f = Open();
    const std::string path = "C:\\Program files\\Tuner\\Tuner.exe";
    RegisterPlayer(path, "TunerMain");
    PutFile(Prog("appllist.ini"), "[OldTuner]\r\nName=tuner.exe\r\nCLSName=TunerMain\r\n");
    PutFile(Prog("Bin\\defcmdOldTuner.bin"), Bytes(std::vector{Step("Play", 1, 1, 1)}));
    PutFile(Prog("Bin\\deffuncOldTuner.bin"), Bytes(std::vector{Func("Play", 0, "\"OK\"")}));
    f.cmbCommand->ItemIndex = 1;
    QueueInput("Tuner");
    QueueOpenFile(path);
    page::AddAppl(f);

    const auto dialogs = toolkitsim::Dialogs();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(dialogs[0].caption, "New appl");
    EXPECT_EQ(dialogs[0].prompt, "Name:");
    EXPECT_EQ(dialogs[1].caption, "New appl");
    EXPECT_EQ(dialogs[1].filter, "Programs|*.exe|");
    EXPECT_EQ(dialogs[1].initialDir, "c:\\Program files\\");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Hold the cursor"});
    ASSERT_EQ(f.stgAppl->RowCount, 5);
    EXPECT_EQ(f.stgAppl->Cells(0, 4), "Tuner");
    EXPECT_EQ(f.stgAppl->Cells(1, 4), "TunerMain");
    EXPECT_EQ(f.stgAppl->Cells(2, 4), path);
    EXPECT_EQ(Items(f.cmbCommand->Items), Column0(*f.stgAppl));
    EXPECT_EQ(Items(f.cmbFunction->Items), Column0(*f.stgAppl));
    EXPECT_EQ(f.cmbCommand->ItemIndex, -1);
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdTuner.bin")), GetFile(Prog("Bin\\defcmdOldTuner.bin")));
    EXPECT_EQ(GetFile(Prog("Bin\\userfuncTuner.bin")), GetFile(Prog("Bin\\deffuncOldTuner.bin")));
    // The learning program was ended again.
    for (const auto& p : win32sim::Processes())
        EXPECT_FALSE(p.running);
}

TEST_F(ApplPageTest, AddCutsALongNameToItsFieldBeforeLookingItUpOrCopyingDefaults) {
    TFConfig& f = Open();
    const std::string path = "C:\\Apps\\Tuner.exe";
    RegisterPlayer(path, "TunerMain");
    PutFile(Prog("appllist.ini"), "[OldTuner]\r\nName=tuner.exe\r\nCLSName=TunerMain\r\n");
    PutFile(Prog("Bin\\defcmdOldTuner.bin"), Bytes(std::vector{Step("Play", 1, 1, 1)}));
    const std::string cut(24, 't');
    QueueInput(cut + "uvw");
    QueueOpenFile(path);
    page::AddAppl(f);
    ASSERT_EQ(f.stgAppl->RowCount, 5);
    EXPECT_EQ(f.stgAppl->Cells(0, 4), cut);
    EXPECT_TRUE(Exists(Prog("Bin\\usercmd" + cut + ".bin")));
    // The same long name again is the row just added.
    QueueInput(cut + "xyz");
    QueueOpenFile(path);
    page::AddAppl(f);
    EXPECT_EQ(f.stgAppl->RowCount, 5);
}

TEST_F(ApplPageTest, AddStopsEarlyForAnEmptyNameSystemACancelledFileOrNoClass) {
    TFConfig& f = Open();
    // Empty answer and a cancelled box.
    QueueInput("");
    page::AddAppl(f);
    QueueDialogCancel(toolkitsim::DialogKind::Input);
    page::AddAppl(f);
    EXPECT_TRUE(BoxTexts().empty());
    // "system" in any case is the built-in application.
    QueueInput("sYstem");
    page::AddAppl(f);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Appl \"System\" is built in"});
    // The file dialog cancelled.
    QueueInput("Tuner");
    QueueDialogCancel(toolkitsim::DialogKind::Open);
    page::AddAppl(f);
    EXPECT_TRUE(BoxTexts().empty());
    // A program that does not start has no class.
    QueueInput("Tuner");
    QueueOpenFile("C:\\Apps\\Missing.exe");
    page::AddAppl(f);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Hold the cursor", "No class"}));
    EXPECT_EQ(f.stgAppl->RowCount, 4);
    EXPECT_FALSE(Exists(Prog("Bin\\usercmdTuner.bin")));
}

TEST_F(ApplPageTest, AddOfAKnownNameComparesWithoutCaseAndAsksBeforeReplacing) {
    TFConfig& f = Open();
    RegisterPlayer(kPlayerPath, "PlayerMain");
    f.cmbFunction->ItemIndex = 1;
    // Same class and path: nothing changes, the combos keep their selection.
    QueueInput("pLAYER");
    QueueOpenFile(kPlayerPath);
    page::AddAppl(f);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Hold the cursor"});
    EXPECT_EQ(f.stgAppl->RowCount, 4);
    EXPECT_EQ(f.cmbFunction->ItemIndex, 1);

    // Another path: No keeps the row, the combos are refilled.
    const std::string other = "C:\\Apps\\Player2.exe";
    RegisterPlayer(other, "PlayerMain");
    QueueInput("player");
    QueueOpenFile(other);
    QueueAnswer(mrNo);
    page::AddAppl(f);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Hold the cursor", "Appl \"player\" exists. Replace?"}));
    EXPECT_EQ(f.stgAppl->Cells(2, 2), kPlayerPath);
    EXPECT_EQ(f.stgAppl->RowCount, 4);
    EXPECT_EQ(f.cmbFunction->ItemIndex, -1);
    EXPECT_EQ(f.cmbFunction->Items.Count(), 3);

    // Yes replaces class and path in that row, the name stays.
    QueueInput("player");
    QueueOpenFile(other);
    QueueAnswer(mrYes);
    page::AddAppl(f);
    EXPECT_EQ(f.stgAppl->Cells(0, 2), "Player");
    EXPECT_EQ(f.stgAppl->Cells(2, 2), other);
    EXPECT_EQ(f.stgAppl->RowCount, 4);
}

TEST_F(ApplPageTest, DeleteRemovesTheApplicationFromEveryFavouritesListAndRefusesSystem) {
    TFConfig& f = Open();
    f.lboxAudio->Items.Add("Player");
    f.lboxVideo->Items.Add("Viewer");
    f.lboxVideo->Items.Add("player");
    f.lboxOther->Items.Add("Viewer");
    f.stgAppl->Row = 1;
    page::DeleteAppl(f);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"System stays"});
    EXPECT_EQ(f.stgAppl->RowCount, 4);

    f.stgAppl->Row = 2;
    QueueAnswer(mrNo);
    page::DeleteAppl(f);
    EXPECT_EQ(f.stgAppl->RowCount, 4);
    EXPECT_EQ(f.lboxAudio->Items.Count(), 1);

    f.cmbCommand->ItemIndex = 2;
    QueueAnswer(mrYes);
    page::DeleteAppl(f);
    EXPECT_EQ(Column0(*f.stgAppl), (std::vector<std::string>{"System", "Viewer"}));
    EXPECT_EQ(f.lboxAudio->Items.Count(), 0);
    EXPECT_EQ(Items(f.lboxVideo->Items), std::vector<std::string>{"Viewer"});
    EXPECT_EQ(Items(f.lboxOther->Items), std::vector<std::string>{"Viewer"});
    EXPECT_EQ(Items(f.cmbCommand->Items), Column0(*f.stgAppl));
    EXPECT_EQ(f.cmbCommand->ItemIndex, -1);
}

// The application and function grids hold one entry a row: Del takes exactly the current row,
// a row without a name too, and never the named row above it.
TEST_F(ApplPageTest, DelOnTheApplicationOrFunctionGridTakesExactlyTheCurrentRow) {
    TFConfig& f = Open();
    f.lboxAudio->Items.Add("Player");
    // System / "" / Player / Viewer, the nameless row current.
    f.stgAppl->RowCount = 5;
    for (int r = 4; r > 2; --r)
        for (int c = 0; c < f.stgAppl->ColCount; ++c)
            f.stgAppl->Cells(c, r) = f.stgAppl->Cells(c, r - 1);
    for (int c = 0; c < f.stgAppl->ColCount; ++c)
        f.stgAppl->Cells(c, 2) = "";
    f.stgAppl->Row = 2;
    QueueAnswer(mrYes);
    page::DeleteAppl(f);
    EXPECT_EQ(Column0(*f.stgAppl), (std::vector<std::string>{"System", "Player", "Viewer"}));
    EXPECT_EQ(Items(f.lboxAudio->Items), std::vector<std::string>{"Player"});

    // Play / "" / Stop with the nameless binding current.
    f.stgFunc->RowCount = 4;
    const std::vector<std::vector<std::string>> rows{
        {"Play", "hold", "\"A\""}, {"", "", ""}, {"Stop", "hold", "\"B\""}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            f.stgFunc->Cells(c, r + 1) = rows[r][c];
    f.stgFunc->Row = 2;
    QueueAnswer(mrYes);
    page::DeleteFunction(f);
    ASSERT_EQ(f.stgFunc->RowCount, 3);
    EXPECT_EQ(f.stgFunc->Cells(0, 1), "Play");
    EXPECT_EQ(f.stgFunc->Cells(0, 2), "Stop");
}

TEST_F(ApplPageTest, DefaultReplacesTheTableAtOnceOrKeepsTheGrid) {
    TFConfig& f = Open();
    QueueAnswer(mrYes);
    page::DefaultAppls(f);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Default appls?", "No appl file"}));
    EXPECT_EQ(f.stgAppl->RowCount, 4);

    PutFile(Prog("Bin\\defappl.bin"), Bytes(std::vector{Appl("Radio", "RadioMain", "C:\\r.exe")}));
    PutFile(Prog("Bin\\userappl.bin"), Bytes(std::vector{Appl("Mine", "MineMain", "C:\\m.exe")}));
    QueueAnswer(mrNo);
    page::DefaultAppls(f);
    EXPECT_EQ(f.stgAppl->RowCount, 4);
    QueueAnswer(mrYes);
    page::DefaultAppls(f);
    EXPECT_EQ(Column0(*f.stgAppl), (std::vector<std::string>{"System", "Radio"}));
    EXPECT_EQ(Runtime.ApplCount, 2);
    EXPECT_EQ(Items(f.cmbFunction->Items), Column0(*f.stgAppl));
}

TEST_F(ApplPageTest, FavouritesButtonsServeTheGroupOfTheirName) {
    TFConfig& f = Open();
    const struct {
        TSpeedButton* add;
        TSpeedButton* del;
        TSpeedButton* up;
        TSpeedButton* down;
        TListBox* list;
    } groups[] = {{f.sbtnAddAudio, f.sbtnDelAudio, f.sbtnUpAudio, f.sbtnDownAudio, f.lboxAudio},
                  {f.sbtnAddVideo, f.sbtnDelVideo, f.sbtnUpVideo, f.sbtnDownVideo, f.lboxVideo},
                  {f.sbtnAddDVD, f.sbtnDelDVD, f.sbtnUpDVD, f.sbtnDownDVD, f.lboxDVD},
                  {f.sbtnAddTVFM, f.sbtnDelTVFM, f.sbtnUpTVFM, f.sbtnDownTVFM, f.lboxTVFM},
                  {f.sbtnAddOther, f.sbtnDelOther, f.sbtnUpOther, f.sbtnDownOther, f.lboxOther}};
    for (const auto& g : groups) {
        SCOPED_TRACE(g.list->Name);
        // Add: the current row's name, once; never System.
        for (int row : {1, 2, 3, 2}) {
            f.stgAppl->Row = row;
            Click(*g.add);
        }
        EXPECT_EQ(f.FavouritesBox, g.list);
        EXPECT_EQ(Items(g.list->Items), (std::vector<std::string>{"Player", "Viewer"}));
        f.stgAppl->Row = 1;
        f.stgAppl->Cells(0, 1) = "Radio";
        Click(*g.add);
        f.stgAppl->Cells(0, 1) = "System";
        // Up without a selection selects the first; Down without one the last.
        g.list->ItemIndex = -1;
        Click(*g.up);
        EXPECT_EQ(g.list->ItemIndex, 0);
        g.list->ItemIndex = -1;
        Click(*g.down);
        EXPECT_EQ(g.list->ItemIndex, 2);
        Click(*g.down);
        EXPECT_EQ(g.list->ItemIndex, 2);
        Click(*g.up);
        EXPECT_EQ(Items(g.list->Items), (std::vector<std::string>{"Player", "Radio", "Viewer"}));
        EXPECT_EQ(g.list->ItemIndex, 1);
        Click(*g.up);
        Click(*g.up);
        EXPECT_EQ(Items(g.list->Items), (std::vector<std::string>{"Radio", "Player", "Viewer"}));
        EXPECT_EQ(g.list->ItemIndex, 0);
        Click(*g.down);
        EXPECT_EQ(Items(g.list->Items), (std::vector<std::string>{"Player", "Radio", "Viewer"}));
        EXPECT_EQ(g.list->ItemIndex, 1);
        // Delete: the selection stays at its index, or goes to the new last item.
        Click(*g.del);
        EXPECT_EQ(Items(g.list->Items), (std::vector<std::string>{"Player", "Viewer"}));
        EXPECT_EQ(g.list->ItemIndex, 1);
        Click(*g.del);
        EXPECT_EQ(g.list->ItemIndex, 0);
        g.list->ItemIndex = -1;
        Click(*g.del);
        EXPECT_EQ(Items(g.list->Items), std::vector<std::string>{"Player"});
        g.list->ItemIndex = 0;
        Click(*g.del);
        EXPECT_EQ(g.list->Items.Count(), 0);
        EXPECT_EQ(g.list->ItemIndex, -1);
        Click(*g.del);
        Click(*g.up);
        Click(*g.down);
        EXPECT_EQ(g.list->ItemIndex, -1);
    }
    // Each group kept to its own list.
    EXPECT_EQ(f.lboxAudio->Items.Count(), 0);
}

class ConfigApplsTest : public PagesTest {
protected:
    // A grid as the dialog's pages have it: title row, the given first cells as data rows.
    TStringGrid* Grid(const std::vector<std::string>& firstCells, int cols = 2) {
        auto* g = new TStringGrid(Application);
        g->ColCount = cols;
        g->FixedCols = 0;
        g->RowCount = static_cast<int>(firstCells.size()) + 1;
        g->FixedRows = 1;
        for (std::size_t i = 0; i < firstCells.size(); ++i) {
            g->Cells(0, static_cast<int>(i) + 1) = firstCells[i];
            g->Cells(1, static_cast<int>(i) + 1) = "v" + std::to_string(i + 1);
        }
        return g;
    }

    // Column 1 of every data row: which rows are left, in order.
    static std::vector<std::string> Rows(const TStringGrid& g) {
        std::vector<std::string> out;
        for (int r = 1; r < g.RowCount; ++r)
            out.push_back(g.Cells(1, r));
        return out;
    }
};

TEST_F(ConfigApplsTest, TitlesComeFromTheLabelsSection) {
    auto* cmd = Grid({"a"}, 6);
    auto* appl = Grid({"a"}, 3);
    auto* func = Grid({"a"}, 3);
    SetCmdGridTitles(cmd);
    SetApplGridTitles(appl);
    SetFuncGridTitles(func);
    const std::vector<std::string> cmdTitles{"Name", "Type", "P1", "P2", "P3", "P4"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(cmd->Cells(c, 0), cmdTitles[c]);
    EXPECT_EQ(appl->Cells(0, 0), "Appl");
    EXPECT_EQ(appl->Cells(1, 0), "Class");
    EXPECT_EQ(appl->Cells(2, 0), "Path");
    EXPECT_EQ(func->Cells(0, 0), "Name");
    EXPECT_EQ(func->Cells(1, 0), "Mode");
    EXPECT_EQ(func->Cells(2, 0), "Button");
    // The data rows are not touched.
    EXPECT_EQ(cmd->Cells(0, 1), "a");
}

TEST_F(ConfigApplsTest, TitlesOfANarrowerGridStopAtItsLastColumn) {
    auto* g = Grid({"a"}, 2);
    SetCmdGridTitles(g);
    EXPECT_EQ(g->Cells(0, 0), "Name");
    EXPECT_EQ(g->Cells(1, 0), "Type");
    SetFuncGridTitles(nullptr);
}

struct BlockCase {
    const char* what;
    std::vector<std::string> names; // column 0 of the data rows
    int current;
    std::vector<std::string> left; // column 1 of the rows left
    int row;                       // the current row afterwards
};

TEST_F(ConfigApplsTest, DeleteGridBlockDeletesTheBlockOfTheCurrentRow) {
    const std::vector<BlockCase> cases{
        {"head row of a block", {"A", "", "", "B", ""}, 1, {"v4", "v5"}, 1},
        {"continuation row climbs to its head", {"A", "", "", "B", ""}, 3, {"v4", "v5"}, 1},
        {"last block", {"A", "", "B", "", ""}, 5, {"v1", "v2"}, 2},
        {"single rows", {"A", "B", "C"}, 2, {"v1", "v3"}, 2},
        {"last single row", {"A", "B", "C"}, 3, {"v1", "v2"}, 2},
        {"empty rows at the top form the first row's block", {"", "", "B"}, 2, {"v3"}, 1},
        {"the only data row", {"A"}, 1, {""}, 1},
        {"the only data row, empty", {""}, 1, {""}, 1},
        {"the only block", {"A", "", ""}, 2, {""}, 1},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.what);
        TStringGrid* g = Grid(c.names);
        g->Cells(0, 0) = "title";
        g->Cells(1, 0) = "title";
        g->Row = c.current;
        DeleteGridBlock(g);
        EXPECT_EQ(Rows(*g), c.left);
        EXPECT_EQ(g->Row, c.row);
        // The title row is never part of a block.
        EXPECT_EQ(g->Cells(0, 0), "title");
        EXPECT_EQ(g->Cells(1, 0), "title");
        if (c.left == std::vector<std::string>{""}) {
            EXPECT_EQ(g->Cells(0, 1), "");
        }
    }
}

TEST_F(ConfigApplsTest, DeleteGridBlockWithoutATitleRowStopsAtRowZero) {
    auto* g = new TStringGrid(Application);
    g->ColCount = 2;
    g->FixedRows = 0;
    g->RowCount = 3;
    g->Cells(1, 0) = "v0";
    g->Cells(1, 1) = "v1";
    g->Cells(0, 2) = "B";
    g->Cells(1, 2) = "v2";
    g->Row = 1;
    DeleteGridBlock(g);
    ASSERT_EQ(g->RowCount, 1);
    EXPECT_EQ(g->Cells(0, 0), "B");
    EXPECT_EQ(g->Cells(1, 0), "v2");
    DeleteGridBlock(g);
    ASSERT_EQ(g->RowCount, 1);
    EXPECT_EQ(g->Cells(0, 0), "");
    EXPECT_EQ(g->Cells(1, 0), "");
    DeleteGridBlock(nullptr);
}

} // namespace
