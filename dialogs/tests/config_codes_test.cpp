// The code page of the settings dialog: the grid and the code table, learning codes from the
// receiver through the tick, Add, Del and Default.
#include "config_code_page.h"
#include "config_dialog_fixture.h"

#include "chain_fixture.h"
#include "code_appl_tables.h"

#include <toolkitsim/control.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class CodePageTest : public ConfigDialogTest {
protected:
    void SetUp() override {
        ConfigDialogTest::SetUp();
        DefaultCodes({Code("Play", 0x101), Code("Stop", 0x102), Code("Next", 0x103)});
    }

    static void OpenCodePage(TFConfig& f) { toolkitsim::ClickTab(*f.pcConfig, 1); }
};

TEST_F(CodePageTest, TheGridShowsTheTableAndOkSavesItsDifferences) {
    DefaultCodes({Code("Play", 0x101), Code("Stop", -5), Code("Wide", 0x7FFFFFFFFFFFFFFFLL)});
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=-5", "Wide=9223372036854775807"}));
        OpenCodePage(f);
        toolkitsim::ClickCell(*f.vleCode, 0, 1);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDel);
        toolkitsim::Click(*f.btnOk);
    });
    ASSERT_EQ(Runtime.CodeCount, 2);
    ASSERT_EQ(Runtime.CodeTable.size(), 2u);
    EXPECT_EQ(FieldText(Runtime.CodeTable[1].Name), "Wide");
    EXPECT_EQ(Runtime.CodeTable[1].Code, 0x7FFFFFFFFFFFFFFFLL);
    TCodeEntry stopDeleted = Code("Stop", -1);
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), RecordBytes(std::vector{stopDeleted}));
}

TEST_F(CodePageTest, AGridWithoutButtonsBecomesAnEmptyTable) {
    Remove(Prog("Bin\\defcode.bin"));
    Start();
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.vleCode->Strings.Count(), 0);
        EXPECT_EQ(f.vleCode->RowCount, 1) << "the grid shows one empty row";
        OpenCodePage(f);
        EXPECT_FALSE(f.btnDel->Enabled);
        EXPECT_FALSE(f.btnReconfig->Enabled);
        // A double click on the empty row learns nothing: there is no button to learn.
        toolkitsim::DblClickCell(*f.vleCode, 1, 0);
        EXPECT_EQ(Runtime.CaptureState, 0);
        Press(0x155);
        EXPECT_EQ(f.vleCode->Strings.Count(), 0);
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(Runtime.CodeCount, 0);
    EXPECT_TRUE(Runtime.CodeTable.empty());
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), "");
}

TEST_F(CodePageTest, AddTakesANewNameAndLearnsItsCode) {
    struct Case {
        const char* name;
        std::function<void()> answer;
        Lines lines;
        std::vector<std::string> boxes;
        std::uint8_t state;
    };
    const std::string longName(40, 'x');
    const Case cases[] = {
        {"a new name",
         [] { toolkitsim::QueueInput("Menu"); },
         {"Play=257", "Stop=258", "Next=259", "Menu="},
         {},
         1},
        {"an empty answer",
         [] { toolkitsim::QueueInput(""); },
         {"Play=257", "Stop=258", "Next=259"},
         {},
         0},
        {"Cancel",
         [] { toolkitsim::QueueDialogCancel(toolkitsim::DialogKind::Input); },
         {"Play=257", "Stop=258", "Next=259"},
         {},
         0},
        {"a name there in other letters",
         [] { toolkitsim::QueueInput("sTOP"); },
         {"Play=257", "Stop=258", "Next=259"},
         {Msg("err_duplcodename")},
         0},
        {"a name longer than its field",
         [&] { toolkitsim::QueueInput(longName); },
         {"Play=257", "Stop=258", "Next=259", std::string(31, 'x') + "="},
         {},
         1},
        {"a name with =",
         [] { toolkitsim::QueueInput("Vol=Up"); },
         {"Play=257", "Stop=258", "Next=259", "Vol="},
         {},
         1},
        {"a name made the same by the cut",
         [] { toolkitsim::QueueInput("next=2"); },
         {"Play=257", "Stop=258", "Next=259"},
         {Msg("err_duplcodename")},
         0},
        {"a name that is only =",
         [] { toolkitsim::QueueInput("=x"); },
         {"Play=257", "Stop=258", "Next=259"},
         {},
         0},
    };
    Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        toolkitsim::ClearBoxes();
        WithDialog([&](TFConfig& f) {
            OpenCodePage(f);
            c.answer();
            toolkitsim::Click(*f.btnAdd);
            EXPECT_EQ(GridLines(f), c.lines);
            EXPECT_EQ(BoxTexts(), c.boxes);
            EXPECT_EQ(Runtime.CaptureState, c.state);
            if (c.state == 1) {
                EXPECT_EQ(f.vleCode->Row, 3) << "the new row is current";
            }
            toolkitsim::Click(*f.btnCancel);
        });
        const auto dialogs = toolkitsim::Dialogs();
        ASSERT_FALSE(dialogs.empty());
        EXPECT_EQ(dialogs.back().caption, Msg("msg_addcodetitle"));
        EXPECT_EQ(dialogs.back().prompt, Msg("msg_addcode"));
        EXPECT_EQ(dialogs.back().text, "") << "the default answer is empty";
    }
}

TEST_F(CodePageTest, AnAddedButtonGetsTheNextCodeAndOkStoresIt) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::QueueInput("Menu");
        toolkitsim::Click(*f.btnAdd);
        Press(0x2A5);
        EXPECT_EQ(f.vleCode->Cells(1, 3), "677");
        EXPECT_EQ(Runtime.CaptureState, 0);
        toolkitsim::Click(*f.btnOk);
    });
    ASSERT_EQ(Runtime.CodeCount, 4);
    EXPECT_EQ(FieldText(Runtime.CodeTable[3].Name), "Menu");
    EXPECT_EQ(Runtime.CodeTable[3].Code, 0x2A5);
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), RecordBytes(std::vector{Code("Menu", 0x2A5)}));
}

TEST_F(CodePageTest, DelAsksAndDeletesTheCurrentRowOnYes) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::ClickCell(*f.vleCode, 0, 1);
        toolkitsim::QueueAnswer(mrNo);
        toolkitsim::Click(*f.btnDel);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDel);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Next=259"}));
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{Msg("msg_delrow"), Msg("msg_delrow")}));
        // The last button deleted: nothing is left to delete or relearn.
        for (int i = 0; i < 2; ++i) {
            toolkitsim::QueueAnswer(mrYes);
            toolkitsim::Click(*f.btnDel);
        }
        EXPECT_EQ(f.vleCode->Strings.Count(), 0);
        EXPECT_FALSE(f.btnDel->Enabled);
        EXPECT_FALSE(f.btnReconfig->Enabled);
        toolkitsim::Click(*f.btnCancel);
    });
    EXPECT_EQ(Runtime.CodeCount, 3) << "Cancel keeps the table";
    EXPECT_FALSE(Exists(Prog("Bin\\usercode.bin")));
}

TEST_F(CodePageTest, DefaultReplacesTheTableAtOnceAndCancelKeepsTheUserFile) {
    const std::string userFile = RecordBytes(std::vector{Code("Stop", 0x999), Code("Mine", 7)});
    PutFile(Prog("Bin\\usercode.bin"), userFile);
    Start();
    ASSERT_EQ(Runtime.CodeCount, 4);
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=2457", "Next=259", "Mine=7"}));
        OpenCodePage(f);
        toolkitsim::QueueAnswer(mrNo);
        toolkitsim::Click(*f.btnDefault);
        EXPECT_EQ(Runtime.CodeCount, 4);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDefault);
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{Msg("msg_defcode"), Msg("msg_defcode")}));
        EXPECT_EQ(Runtime.CodeCount, 3) << "the runtime's table changes at once";
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
        toolkitsim::Click(*f.btnCancel);
    });
    ASSERT_EQ(Runtime.CodeCount, 3);
    EXPECT_EQ(Runtime.CodeTable[1].Code, 0x102);
    EXPECT_EQ(GetFile(Prog("Bin\\usercode.bin")), userFile);
    // The next start-up brings the user's codes back.
    ASSERT_EQ(LoadCodeTable(false), 0);
    EXPECT_EQ(Runtime.CodeCount, 4);
    EXPECT_EQ(Runtime.CodeTable[1].Code, 0x999);
}

TEST_F(CodePageTest, DefaultEndsTheLearningOfTheRowsItReplaces) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::Click(*f.btnReconfig);
        Press(0x701);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDefault);
        EXPECT_EQ(Runtime.CaptureState, 0);
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
        Press(0x702);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
        toolkitsim::DblClickCell(*f.vleCode, 1, 2);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDefault);
        EXPECT_EQ(Runtime.CaptureState, 0);
        Press(0x703);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(CodePageTest, DefaultWithoutTheDefaultFileReportsAndKeepsTheRows) {
    Start();
    Remove(Prog("Bin\\defcode.bin"));
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDefault);
        EXPECT_EQ(BoxTexts(),
                  (std::vector<std::string>{Msg("msg_defcode"), Msg("err_nocodefile")}));
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(Runtime.CodeCount, 3) << "OK rebuilds the table from the rows kept";
}

TEST_F(CodePageTest, ReconfigSwitchesItsCaptionAndHintWithTheRun) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        EXPECT_TRUE(f.btnReconfig->Enabled);
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
        Runtime.LastCode = 0x101;
        toolkitsim::ClickCell(*f.vleCode, 0, 2);
        toolkitsim::Click(*f.btnReconfig);
        EXPECT_EQ(Runtime.CaptureState, 2);
        EXPECT_EQ(Runtime.LastCode, 0);
        EXPECT_EQ(f.vleCode->Row, 0);
        EXPECT_EQ(GridLines(f), (Lines{"Play=", "Stop=", "Next="}));
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_endreconfig"));
        EXPECT_EQ(f.btnReconfig->Hint, Text("Hints", "hnt_endreconfig"));
        // A double click while the run goes on changes nothing.
        toolkitsim::DblClickCell(*f.vleCode, 1, 2);
        EXPECT_EQ(Runtime.CaptureState, 2);
        toolkitsim::Click(*f.btnReconfig);
        EXPECT_EQ(Runtime.CaptureState, 0);
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
        EXPECT_EQ(f.btnReconfig->Hint, Text("Hints", "hnt_reconfig"));
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(CodePageTest, LearningOneRowTakesTheCodeFromTheRowThatHeldIt) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::DblClickCell(*f.vleCode, 1, 2);
        EXPECT_EQ(Runtime.CaptureState, 1);
        EXPECT_EQ(f.vleCode->Cells(1, 2), "") << "the row waits for its code";
        Press(0x101); // Play's code
        EXPECT_EQ(GridLines(f), (Lines{"Play=", "Stop=258", "Next=257"}));
        EXPECT_EQ(Runtime.CaptureState, 0);
        Press(0x1FF);
        EXPECT_EQ(GridLines(f), (Lines{"Play=", "Stop=258", "Next=257"})) << "one code only";
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(Runtime.CodeTable[0].Code, 0);
    EXPECT_EQ(Runtime.CodeTable[2].Code, 0x101);
}

TEST_F(CodePageTest, ARelearnRunFillsEveryRowSkipsARepeatAndEndsByItself) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::Click(*f.btnReconfig);
        Press(0x201);
        Press(0x201); // the same button again fills no second row
        EXPECT_EQ(GridLines(f), (Lines{"Play=513", "Stop=", "Next="}));
        EXPECT_EQ(f.vleCode->Row, 1);
        Press(0x202);
        Press(0x203);
        EXPECT_EQ(GridLines(f), (Lines{"Play=513", "Stop=514", "Next=515"}));
        EXPECT_EQ(Runtime.CaptureState, 0) << "the last row ends the run";
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
        Press(0x204);
        EXPECT_EQ(GridLines(f), (Lines{"Play=513", "Stop=514", "Next=515"}));
        toolkitsim::Click(*f.btnOk);
    });
    ASSERT_EQ(Runtime.CodeCount, 3);
    EXPECT_EQ(Runtime.CodeTable[0].Code, 0x201);
    EXPECT_EQ(Runtime.CodeTable[1].Code, 0x202);
    EXPECT_EQ(Runtime.CodeTable[2].Code, 0x203);
}

TEST_F(CodePageTest, ARelearnRunMovesACodeOnToTheRowThatTakesItNow) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::Click(*f.btnReconfig);
        Press(0x301);
        Press(0x302);
        Press(0x301); // the first row's button again, now for the third
        EXPECT_EQ(GridLines(f), (Lines{"Play=", "Stop=770", "Next=769"}));
        EXPECT_EQ(Runtime.CaptureState, 0);
        toolkitsim::Click(*f.btnCancel);
    });
}

TEST_F(CodePageTest, LeavingThePageOrCancelDropsTheCodesLearnt) {
    struct Case {
        const char* name;
        bool relearn;
    };
    for (const Case c : {Case{"one row", false}, Case{"every row", true}}) {
        SCOPED_TRACE(c.name);
        Start();
        WithDialog([&](TFConfig& f) {
            OpenCodePage(f);
            if (c.relearn)
                toolkitsim::Click(*f.btnReconfig);
            else
                toolkitsim::DblClickCell(*f.vleCode, 1, 0);
            Press(0x401);
            if (!c.relearn)
                toolkitsim::DblClickCell(*f.vleCode, 1, 1);
            EXPECT_NE(Runtime.CaptureState, 0);
            toolkitsim::ClickTab(*f.pcConfig, 2);
            EXPECT_EQ(Runtime.CaptureState, 0);
            EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
            EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
            EXPECT_EQ(f.btnReconfig->Hint, Text("Hints", "hnt_reconfig"));
            // Learning again, then Cancel.
            OpenCodePage(f);
            toolkitsim::DblClickCell(*f.vleCode, 1, 0);
            Press(0x402);
            EXPECT_EQ(f.vleCode->Cells(1, 0), "1026");
            toolkitsim::Click(*f.btnCancel);
        });
        EXPECT_EQ(Runtime.CodeTable[0].Code, 0x101);
        EXPECT_FALSE(Exists(Prog("Bin\\usercode.bin")));
        // The next opening shows the table's codes and learns nothing by itself.
        WithDialog([&](TFConfig& f) {
            EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=258", "Next=259"}));
            toolkitsim::Click(*f.btnCancel);
        });
        StopProgram();
    }
}

TEST_F(CodePageTest, AClosingDialogLeavesNoLearningForTheNextOpening) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        toolkitsim::Click(*f.btnReconfig);
        Press(0x501);
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(Runtime.CaptureState, 0);
    EXPECT_EQ(Runtime.CodeTable[0].Code, 0x501) << "OK keeps what was learnt";
    WithDialog([&](TFConfig& f) {
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
        Press(0x502);
        // Rows left without a code were stored as 0.
        EXPECT_EQ(GridLines(f), (Lines{"Play=1281", "Stop=0", "Next=0"}));
        toolkitsim::Click(*f.btnCancel);
    });
}

// Rows added and deleted while the tick learns: every code lands in a named row the user
// chose, never in a row of its own.
TEST_F(CodePageTest, RowsAddedOrDeletedWhileLearningKeepTheTickInTheGrid) {
    Start();
    WithDialog([&](TFConfig& f) {
        OpenCodePage(f);
        // One row: the row waiting for its code is deleted; the code goes nowhere.
        toolkitsim::DblClickCell(*f.vleCode, 1, 1);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDel);
        EXPECT_EQ(Runtime.CaptureState, 0);
        Press(0x601);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Next=259"}));

        // Add during one row's learning learns the new row instead.
        toolkitsim::DblClickCell(*f.vleCode, 1, 0);
        toolkitsim::QueueInput("Menu");
        toolkitsim::Click(*f.btnAdd);
        Press(0x602);
        EXPECT_EQ(GridLines(f), (Lines{"Play=", "Next=259", "Menu=1538"}));

        // A run: a row added goes last and is learnt in its turn.
        toolkitsim::Click(*f.btnReconfig);
        Press(0x611);
        toolkitsim::QueueInput("Info");
        toolkitsim::Click(*f.btnAdd);
        EXPECT_EQ(f.vleCode->Row, 1) << "the run keeps its row";
        Press(0x612);
        Press(0x613);
        EXPECT_EQ(Runtime.CaptureState, 2);
        Press(0x614);
        EXPECT_EQ(GridLines(f), (Lines{"Play=1553", "Next=1554", "Menu=1555", "Info=1556"}));
        EXPECT_EQ(Runtime.CaptureState, 0);

        // A run: the row waiting is deleted and the next row takes its place.
        toolkitsim::Click(*f.btnReconfig);
        Press(0x621);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDel); // Next
        EXPECT_EQ(Runtime.CaptureState, 2);
        Press(0x622);
        EXPECT_EQ(GridLines(f), (Lines{"Play=1569", "Menu=1570", "Info="}));
        // The last row, waiting, deleted: the run ends.
        toolkitsim::ClickCell(*f.vleCode, 0, 2);
        toolkitsim::QueueAnswer(mrYes);
        toolkitsim::Click(*f.btnDel);
        EXPECT_EQ(Runtime.CaptureState, 0);
        EXPECT_EQ(f.btnReconfig->Caption, Text("Buttons", "btn_reconfig"));
        Press(0x623);
        EXPECT_EQ(GridLines(f), (Lines{"Play=1569", "Menu=1570"}));

        // Every row deleted by the grid's own key while a run waits: nothing is learnt.
        toolkitsim::Click(*f.btnReconfig);
        f.vleCode->SetFocus();
        toolkitsim::PressKey(f, VK_DELETE, TShiftState{ssCtrl});
        toolkitsim::PressKey(f, VK_DELETE, TShiftState{ssCtrl});
        EXPECT_EQ(f.vleCode->Strings.Count(), 0);
        EXPECT_EQ(Runtime.CaptureState, 0);
        Press(0x631);
        EXPECT_EQ(f.vleCode->Strings.Count(), 0);
        toolkitsim::Click(*f.btnCancel);
    });
}

// The dialogs on a machine with the whole receiver chain: the real library over the driver and
// a plugged-in receiver.
class ChainDialogMachine : public ReceiverChainTest {
protected:
    void SetUp() override {
        ReceiverChainTest::SetUp();
        toolkitsim::Reset();
        toolkitsim::SetScreen(1024, 768);
        ResetRuntimeState();
        RegisterDialogs();
    }
    void TearDown() override {
        toolkitsim::Reset();
        ResetRuntimeState();
        ReceiverChainTest::TearDown();
    }
    void FeedCode(std::int64_t code) { chain->Receiver().PressButton(code); }
};

using ChainLearningTest = TConfigDialogFixture<ChainDialogMachine>;

TEST_F(ChainLearningTest, ButtonsPressedOnTheReceiverAreLearntAndSaved) {
    DefaultCodes({Code("Play", 0x101), Code("Stop", 0x102), Code("Next", 0x103)});
    Start();
    WithDialog([&](TFConfig& f) {
        toolkitsim::ClickTab(*f.pcConfig, 1);
        toolkitsim::DblClickCell(*f.vleCode, 1, 1);
        Press(0x1A5);
        EXPECT_EQ(GridLines(f), (Lines{"Play=257", "Stop=421", "Next=259"}));
        toolkitsim::Click(*f.btnReconfig);
        Press(0x3C1);
        Press(0x3C1 | 0x800); // the toggle bit makes no other button
        Press(0x3C2);
        EXPECT_EQ(Runtime.CaptureState, 2);
        Press(0x1A5);
        EXPECT_EQ(GridLines(f), (Lines{"Play=961", "Stop=962", "Next=421"}));
        EXPECT_EQ(Runtime.CaptureState, 0);
        toolkitsim::Click(*f.btnOk);
    });
    EXPECT_EQ(
        GetFile(Prog("Bin\\usercode.bin")),
        RecordBytes(std::vector{Code("Play", 0x3C1), Code("Stop", 0x3C2), Code("Next", 0x1A5)}));
}

TEST(ButtonNameFromAnswer, CutsAtTheFirstEqualSignAndToTheField) {
    EXPECT_EQ(ButtonNameFromAnswer("Play"), "Play");
    EXPECT_EQ(ButtonNameFromAnswer("a=b=c"), "a");
    EXPECT_EQ(ButtonNameFromAnswer("=a"), "");
    EXPECT_EQ(ButtonNameFromAnswer(std::string(31, 'n')), std::string(31, 'n'));
    EXPECT_EQ(ButtonNameFromAnswer(std::string(32, 'n')), std::string(31, 'n'));
}

} // namespace
