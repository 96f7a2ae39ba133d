// The command and function pages: choosing an application, the save questions with their user
// and pending files, Del, Default and the wizards.
#include "dlgpages_fixture.h"

#include "cmd_func_files.h"
#include "osd.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using toolkitsim::ChooseItem;
using toolkitsim::EditCell;
using toolkitsim::QueueAnswer;

constexpr std::int16_t kShowTxt = 1;
constexpr std::int16_t kKeybEvent = 7;
constexpr std::int16_t kMode = 11;

using Rows = std::vector<std::vector<std::string>>;

Rows GridRows(const TStringGrid& g) {
    Rows rows;
    for (int r = 1; r < g.RowCount; ++r) {
        auto& row = rows.emplace_back();
        for (int c = 0; c < g.ColCount; ++c)
            row.push_back(g.Cells(c, r));
    }
    return rows;
}

const Rows kPlayerCommands{{"Play", "keybevent", "VK_PLAY", "", "", ""},
                           {"Vol", "show_txt", "Volume", "5", "", ""},
                           {"", "mode", "mouse", "", "", ""}};
const Rows kPlayerFunctions{{"Play", "hold", "\"OK\""}, {"Vol", "hold", "\"Up\""}};

class CommandPagesTest : public PagesTest {
protected:
    void SetUp() override {
        PagesTest::SetUp();
        PutFile(Prog("Bin\\defcmdPlayer.bin"),
                Bytes(std::vector{Step("Play", 1, 1, kKeybEvent, "VK_PLAY"),
                                  Step("Vol", 1, 2, kShowTxt, "Volume", "5"),
                                  Step("", 2, 2, kMode, "mouse")}));
        PutFile(Prog("Bin\\deffuncPlayer.bin"),
                Bytes(std::vector{Func("Play", 0, "\"OK\""), Func("Vol", 0, "\"Up\"")}));
        PutFile(Prog("Bin\\defcmdViewer.bin"),
                Bytes(std::vector{Step("Zoom", 1, 1, kKeybEvent, "VK_ADD")}));
        PutFile(Prog("Bin\\deffuncViewer.bin"), Bytes(std::vector{Func("Zoom", 0, "\"Plus\"")}));
    }
    TFConfig& Open() {
        return OpenDialogWith(
            {Appl("System", ""), Appl("Player", "PlayerMain"), Appl("Viewer", "ViewerMain")});
    }
    // The grids of the application as a fresh load shows them from its files.
    Rows Commands(const std::string& appl) {
        TStringGrid g(nullptr);
        g.ColCount = 6;
        g.RowCount = 2;
        LoadCmdGrid(appl, false, g);
        return GridRows(g);
    }
    Rows Functions(const std::string& appl) {
        TStringGrid g(nullptr);
        g.ColCount = 3;
        g.RowCount = 2;
        LoadFuncGrid(appl, false, &g, nullptr);
        return GridRows(g);
    }
    bool Bin(const std::string& file) { return Exists(Prog("Bin\\" + file)); }
};

// Rows typed before any application is chosen belong to none: choosing one afterwards asks
// nothing, shows its own bindings and commands, and writes no file for it.
TEST_F(CommandPagesTest, EditsOfThePlaceholderRowsAreNeverSavedOverTheApplicationChosenNext) {
    TFConfig& f = Open();
    ASSERT_TRUE(EditCell(*f.stgFunc, 0, 1, "Mine"));
    ASSERT_TRUE(EditCell(*f.stgCommand, 0, 1, "Mine"));
    ChooseItem(*f.cmbFunction, "Player");
    EXPECT_TRUE(BoxTexts().empty()) << "no save question";
    EXPECT_EQ(GridRows(*f.stgFunc), kPlayerFunctions);
    EXPECT_EQ(GridRows(*f.stgCommand), kPlayerCommands);
    for (const char* file :
         {"userfuncPlayer.bin", "userfuncPlayer.tmp", "usercmdPlayer.bin", "usercmdPlayer.tmp"})
        EXPECT_FALSE(Bin(file)) << file;
    toolkitsim::Click(*f.btnOk);
    EXPECT_EQ(Functions("Player"), kPlayerFunctions);
    EXPECT_FALSE(Bin("userfuncPlayer.bin"));
}

TEST_F(CommandPagesTest, ChoosingOnTheFunctionPageLoadsBothGridsAndWarnsForItsFileOnly) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbFunction, "Player");
    EXPECT_EQ(GridRows(*f.stgFunc), kPlayerFunctions);
    EXPECT_EQ(GridRows(*f.stgCommand), kPlayerCommands);
    EXPECT_EQ(f.cmbCommand->ItemIndex, 1);
    EXPECT_EQ(f.CurrentAppl, "Player");
    EXPECT_TRUE(BoxTexts().empty());

    // System has neither file: only the page's own message.
    ChooseItem(*f.cmbFunction, "System");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No function file"});
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{{"", "", ""}}));
    EXPECT_EQ(GridRows(*f.stgCommand), (Rows{{"", "", "", "", "", ""}}));
    EXPECT_EQ(f.CurrentAppl, "System");
    ChooseItem(*f.cmbCommand, "System");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No command file"});
    EXPECT_EQ(f.cmbFunction->ItemIndex, 0);
}

TEST_F(CommandPagesTest, NoLeavesAPendingFileForTheOldApplicationThatACommitMakesTheUserFile) {
    for (bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "commit" : "discard");
        TFConfig& f = Open();
        ChooseItem(*f.cmbCommand, "Player");
        EXPECT_EQ(f.stgCommand->Tag, 0);
        ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
        EXPECT_EQ(f.stgCommand->Tag, 1);
        QueueAnswer(mrNo);
        ChooseItem(*f.cmbCommand, "Viewer");
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Save commands?"});
        EXPECT_EQ(f.stgCommand->Tag, 0);
        EXPECT_EQ(f.CurrentAppl, "Viewer");
        EXPECT_TRUE(Bin("usercmdPlayer.tmp"));
        EXPECT_FALSE(Bin("usercmdPlayer.bin"));
        EXPECT_FALSE(Bin("userfuncPlayer.tmp")) << "the function grid was not changed";
        CommitTempFiles(commit);
        EXPECT_FALSE(Bin("usercmdPlayer.tmp"));
        EXPECT_EQ(Bin("usercmdPlayer.bin"), commit);
        EXPECT_EQ(Commands("Player")[0][2], commit ? "VK_STOP" : "VK_PLAY");
        delete FConfig;
        Remove(Prog("Bin\\usercmdPlayer.bin"));
    }
}

TEST_F(CommandPagesTest, YesWritesTheUserFileAtOnceAndADiscardLeavesIt) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbFunction, "Player");
    ASSERT_TRUE(EditCell(*f.stgFunc, 2, 2, "\"Down\""));
    QueueAnswer(mrYes);
    ChooseItem(*f.cmbFunction, "Viewer");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Save functions?"});
    EXPECT_TRUE(Bin("userfuncPlayer.bin"));
    EXPECT_FALSE(Bin("userfuncPlayer.tmp"));
    CommitTempFiles(false);
    // The user file's bindings come first.
    EXPECT_EQ(Functions("Player"), (Rows{{"Vol", "hold", "\"Down\""}, kPlayerFunctions[0]}));
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{{"Zoom", "hold", "\"Plus\""}}));
}

TEST_F(CommandPagesTest, BothQuestionsOfOneChangeSaveToTheApplicationLoadedBefore) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
    ASSERT_TRUE(EditCell(*f.stgFunc, 2, 1, "\"Menu\""));
    QueueAnswer(mrNo);
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbFunction, "Viewer");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Save functions?", "Save commands?"}));
    EXPECT_TRUE(Bin("usercmdPlayer.tmp"));
    EXPECT_TRUE(Bin("userfuncPlayer.tmp"));
    EXPECT_FALSE(Bin("usercmdViewer.tmp"));
    EXPECT_FALSE(Bin("userfuncViewer.tmp"));
    EXPECT_EQ(f.CurrentAppl, "Viewer");
}

TEST_F(CommandPagesTest, ComingBackAfterNoShowsThePendingEditsSoASecondNoKeepsThem) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
    ASSERT_TRUE(EditCell(*f.stgFunc, 2, 1, "\"Menu\""));
    QueueAnswer(mrNo);
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbCommand, "Viewer");

    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Save commands?", "Save functions?"}));
    // Back to Player: the grids show what is pending, unchanged.
    ChooseItem(*f.cmbCommand, "Player");
    EXPECT_EQ(GridRows(*f.stgCommand)[0][2], "VK_STOP");
    EXPECT_EQ(GridRows(*f.stgFunc)[0][2], "\"Menu\"");
    EXPECT_EQ(f.stgCommand->Tag, 0);
    EXPECT_EQ(f.stgFunc->Tag, 0);
    EXPECT_TRUE(BoxTexts().empty());

    // A second edit and No: the pending files hold both edits.
    ASSERT_TRUE(EditCell(*f.stgCommand, 3, 2, "9"));
    ASSERT_TRUE(EditCell(*f.stgFunc, 2, 2, "\"Down\""));
    QueueAnswer(mrNo);
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbCommand, "Viewer");
    CommitTempFiles(true);
    const Rows commands = Commands("Player");
    EXPECT_EQ(commands[0][2], "VK_STOP");
    EXPECT_EQ(commands[1][3], "9");
    EXPECT_EQ(Functions("Player"),
              (Rows{{"Play", "hold", "\"Menu\""}, {"Vol", "hold", "\"Down\""}}));
}

TEST_F(CommandPagesTest, YesAfterANoReplacesThePendingFileSoACommitCannotBringTheOlderBack) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbCommand, "Viewer");
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 3, 2, "9"));
    QueueAnswer(mrYes);
    ChooseItem(*f.cmbCommand, "Viewer");
    EXPECT_FALSE(Bin("usercmdPlayer.tmp"));
    CommitTempFiles(true);
    const Rows commands = Commands("Player");
    EXPECT_EQ(commands[0][2], "VK_STOP");
    EXPECT_EQ(commands[1][3], "9");
    // And the page shows the user file from now on.
    ChooseItem(*f.cmbCommand, "Player");
    EXPECT_EQ(GridRows(*f.stgCommand), commands);
}

TEST_F(CommandPagesTest, AYesThatCannotWriteTheUserFileLeavesTheEditsPending) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbCommand, "Viewer");
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 3, 2, "9"));
    // A folder in the user file's place: it cannot be created.
    MakeDir(Prog("Bin\\usercmdPlayer.bin"));
    QueueAnswer(mrYes);
    ChooseItem(*f.cmbCommand, "Viewer");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Save commands?", "Save commands?",
                                                    "Commands of \"Player\" not saved"}));
    EXPECT_TRUE(Bin("usercmdPlayer.tmp"));
    ChooseItem(*f.cmbCommand, "Player");
    EXPECT_EQ(GridRows(*f.stgCommand)[0][2], "VK_STOP");
    EXPECT_EQ(GridRows(*f.stgCommand)[1][3], "9");
    Remove(Prog("Bin\\usercmdPlayer.bin"));
    CommitTempFiles(true);
    const Rows commands = Commands("Player");
    EXPECT_EQ(commands[0][2], "VK_STOP");
    EXPECT_EQ(commands[1][3], "9");
}

// The disk is full when the user answers the question and still when OK comes: each failed save
// names the application, the user's file keeps its commands, and no pending file is left for
// OK to commit; the edits stay with the dialog, marked changed, until a save succeeds.
TEST_F(CommandPagesTest, SavesOnAFullDiskAreReportedAndNeverCommitted) {
    const std::string saved = Bytes(std::vector{Step("Mine", 1, 1, kKeybEvent, "VK_A")});
    for (const int answer : {mrNo, mrYes}) {
        SCOPED_TRACE(answer == mrNo ? "No" : "Yes");
        PutFile(Prog("Bin\\usercmdPlayer.bin"), saved);
        TFConfig& f = Open();
        ChooseItem(*f.cmbCommand, "Player");
        ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
        // An older pending file of the same application, which must not come back either.
        PutFile(Prog("Bin\\usercmdPlayer.tmp"), "older edits");
        toolkitsim::ClearBoxes();
        win32sim::SetWriteBudget(0);
        QueueAnswer(answer);
        ChooseItem(*f.cmbCommand, "Viewer");
        EXPECT_EQ(BoxTexts(),
                  (std::vector<std::string>{"Save commands?", "Commands of \"Player\" not saved"}));
        EXPECT_EQ(GetFile(Prog("Bin\\usercmdPlayer.bin")), saved);
        EXPECT_FALSE(Bin("usercmdPlayer.tmp"));

        ChooseItem(*f.cmbCommand, "Player");
        EXPECT_EQ(GridRows(*f.stgCommand)[0][2], "VK_STOP") << "the edits stay with the dialog";
        EXPECT_EQ(f.stgCommand->Tag, 1);
        toolkitsim::ClearBoxes();
        toolkitsim::Click(*f.btnOk);
        const std::vector<std::string> boxes = BoxTexts();
        EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "Commands of \"Player\" not saved"), 1);
        EXPECT_EQ(GetFile(Prog("Bin\\usercmdPlayer.bin")), saved);
        EXPECT_FALSE(Bin("usercmdPlayer.tmp"));
        win32sim::SetWriteBudget(std::nullopt);
        delete FConfig;
        toolkitsim::ClearBoxes();
    }
}

TEST_F(CommandPagesTest, EditsWhosePendingSaveFailedAreSavedByOkOnceTheDiskHasRoom) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbFunction, "Player");
    ASSERT_TRUE(EditCell(*f.stgFunc, 2, 1, "\"Stop\""));
    win32sim::SetWriteBudget(0);
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbFunction, "Viewer");
    win32sim::SetWriteBudget(std::nullopt);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Save functions?", "Functions of \"Player\" not saved"}));
    ChooseItem(*f.cmbFunction, "Player");
    EXPECT_EQ(f.stgFunc->Tag, 1);
    toolkitsim::Click(*f.btnOk);
    EXPECT_EQ(Functions("Player")[0][2], "\"Stop\"");
    EXPECT_FALSE(Bin("userfuncPlayer.tmp"));
}

TEST_F(CommandPagesTest, OkNamesAUserFileThatItsPendingFileCannotReplace) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbCommand, "Player");
    ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
    QueueAnswer(mrNo);
    ChooseItem(*f.cmbCommand, "Viewer");
    ASSERT_TRUE(Bin("usercmdPlayer.tmp"));
    PutFile(Prog("Bin\\usercmdPlayer.bin"), "read-only commands");
    ASSERT_TRUE(
        SetFileAttributesA(Prog("Bin\\usercmdPlayer.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    toolkitsim::ClearBoxes();
    toolkitsim::Click(*f.btnOk);
    const std::vector<std::string> boxes = BoxTexts();
    EXPECT_EQ(std::count(boxes.begin(), boxes.end(), "File \"usercmdPlayer.bin\" kept"), 1);
    EXPECT_EQ(GetFile(Prog("Bin\\usercmdPlayer.bin")), "read-only commands");
    EXPECT_FALSE(Bin("usercmdPlayer.tmp")) << "a later OK must not commit these edits unasked";
    SetFileAttributesA(Prog("Bin\\usercmdPlayer.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CommandPagesTest, AGridOfNoApplicationIsSavedNowhere) {
    TFConfig& f = Open();
    ASSERT_TRUE(EditCell(*f.stgCommand, 0, 1, "Mine"));
    ASSERT_TRUE(EditCell(*f.stgFunc, 0, 1, "Mine"));
    ASSERT_EQ(f.cmbCommand->ItemIndex, -1);
    f.cmbCommandChange(nullptr);
    f.cmbFunctionChange(nullptr);
    EXPECT_TRUE(BoxTexts().empty()) << "no question for a save that has no target";
    EXPECT_FALSE(Bin("usercmd.tmp"));
    EXPECT_FALSE(Bin("userfunc.tmp"));
    EXPECT_FALSE(Bin("usercmd.bin"));
    EXPECT_EQ(f.stgCommand->Tag, 0);
    EXPECT_EQ(f.stgFunc->Tag, 0);
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{{"", "", ""}}));
}

TEST_F(CommandPagesTest, DeletingACommandFromALaterStepDeletesItAndEveryBoundFunction) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbCommand, "Player");
    // Two more bindings of Vol, one in another case.
    f.stgFunc->RowCount = 5;
    f.stgFunc->Cells(0, 3) = "vol";
    f.stgFunc->Cells(2, 3) = "\"Down\"";
    f.stgFunc->Cells(0, 4) = "Vol";
    f.stgFunc->Cells(2, 4) = "\"Left\"";

    f.stgCommand->Row = 3;
    QueueAnswer(mrNo);
    page::DeleteCommand(f);
    EXPECT_EQ(GridRows(*f.stgCommand), kPlayerCommands);
    EXPECT_EQ(f.stgCommand->Tag, 0);

    QueueAnswer(mrYes);
    page::DeleteCommand(f);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Delete command?", "Delete command?"}));
    EXPECT_EQ(GridRows(*f.stgCommand), (Rows{kPlayerCommands[0]}));
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{kPlayerFunctions[0]}));
    EXPECT_EQ(f.stgCommand->Tag, 1);
    EXPECT_EQ(f.stgFunc->Tag, 1);
}

TEST_F(CommandPagesTest, DeletingWithoutANameEndsAndTheOnlyRowLeavesOneEmptyRow) {
    TFConfig& f = Open();
    ChooseItem(*f.cmbFunction, "Viewer");
    // A nameless first row, and a binding without a name: Del of that row ends, and binds
    // nothing to delete.
    f.stgCommand->RowCount = 3;
    f.stgCommand->ClearRow(1);
    f.stgCommand->Cells(0, 2) = "Zoom";
    f.stgFunc->RowCount = 3;
    f.stgFunc->Cells(2, 2) = "\"Minus\"";
    f.stgCommand->Row = 1;
    QueueAnswer(mrYes);
    page::DeleteCommand(f);
    EXPECT_EQ(GridRows(*f.stgCommand), (Rows{{"Zoom", "", "", "", "", ""}}));
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{{"Zoom", "hold", "\"Plus\""}, {"", "", "\"Minus\""}}));

    // The only function row: one empty row is left, and the grid is changed.
    f.stgFunc->RowCount = 2;
    f.stgFunc->Tag = 0;
    f.stgFunc->Row = 1;
    QueueAnswer(mrYes);
    page::DeleteFunction(f);
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{{"", "", ""}}));
    EXPECT_EQ(f.stgFunc->Tag, 1);
    QueueAnswer(mrYes);
    page::DeleteFunction(f);
    EXPECT_EQ(GridRows(*f.stgFunc), (Rows{{"", "", ""}}));
}

TEST_F(CommandPagesTest, DefaultAsksAboutTheChangedGridFirstAndShowsTheDefaultsOnly) {
    PutFile(Prog("Bin\\userfuncPlayer.bin"), Bytes(std::vector{Func("Play", 1, "\"Mine\"")}));
    TFConfig& f = Open();
    ChooseItem(*f.cmbFunction, "Player");
    EXPECT_EQ(GridRows(*f.stgFunc)[0], (std::vector<std::string>{"Play", "mouse", "\"Mine\""}));
    ASSERT_TRUE(EditCell(*f.stgFunc, 2, 2, "\"Down\""));
    const Rows commands = GridRows(*f.stgCommand);

    QueueAnswer(mrYes);
    QueueAnswer(mrNo);
    page::DefaultFunctions(f);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Default functions?", "Save functions?"}));
    EXPECT_TRUE(Bin("userfuncPlayer.tmp"));
    EXPECT_EQ(GridRows(*f.stgFunc), kPlayerFunctions);
    EXPECT_EQ(f.stgFunc->Tag, 0);
    EXPECT_EQ(f.CurrentAppl, "Player");
    EXPECT_EQ(GridRows(*f.stgCommand), commands);

    // The same on the command page; No to Default changes nothing.
    ASSERT_TRUE(EditCell(*f.stgCommand, 2, 1, "VK_STOP"));
    QueueAnswer(mrNo);
    page::DefaultCommands(f);
    EXPECT_EQ(GridRows(*f.stgCommand)[0][2], "VK_STOP");
    EXPECT_EQ(f.stgCommand->Tag, 1);
    QueueAnswer(mrYes);
    QueueAnswer(mrYes);
    page::DefaultCommands(f);
    EXPECT_EQ(GridRows(*f.stgCommand), kPlayerCommands);
    EXPECT_EQ(f.stgCommand->Tag, 0);
    EXPECT_TRUE(Bin("usercmdPlayer.bin"));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Default commands?", "Default commands?",
                                                    "Save commands?"}));
}

TEST_F(CommandPagesTest, AddOpensTheWizardOfThePage) {
    TFConfig& f = Open();
    std::vector<std::int16_t> kinds;
    toolkitsim::OnModal([&](TCustomForm& form) {
        auto& dialog = dynamic_cast<TDialogForm&>(form);
        kinds.push_back(dialog.Kind());
        dialog.Finish();
        toolkitsim::At(100, [] { OsdTick(nullptr); });
    });
    page::AddCommand(f);
    toolkitsim::RunFor(300);
    page::AddFunction(f);
    toolkitsim::RunFor(300);
    EXPECT_EQ(kinds, (std::vector<std::int16_t>{KindCmdwizard, KindFuncwizard}));
}

} // namespace
