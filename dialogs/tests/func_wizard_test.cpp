// The function wizard as the user works it: its boxes, the conflict rules against the settings
// dialog's function grid, replacing a binding, the length of a binding's buttons, and a binding
// made with it that the engine then finds for the buttons pressed.
#include "wizard_fixture.h"

#include "allocation_hooks.h"
#include "cmd_func_files.h"
#include "language.h"
#include "win32sim/desktop.h"

#include <cp1251.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace wizard_test;

std::vector<std::string> Texts(const TStringList& items) {
    return std::vector<std::string>(items.begin(), items.end());
}

std::string Quoted(const std::vector<std::string>& names) {
    std::string e;
    for (const std::string& n : names)
        e += (e.empty() ? "\"" : "+\"") + n + "\"";
    return e;
}

class FuncWizardTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        MakeDir(Prog("Bin"));
        TStringGrid& commands = *FConfig->stgCommand;
        commands.RowCount = 5;
        const char* cells[][2] = {
            {"Play", "time"}, {"", "show_bar"}, {"Stop", "show_timer"}, {"Next", "time"}};
        for (int r = 0; r < 4; ++r) {
            commands.Cells(0, r + 1) = cells[r][0];
            commands.Cells(1, r + 1) = cells[r][1];
        }
    }

    static void SetFuncRows(const Rows& rows) {
        TStringGrid& grid = *FConfig->stgFunc;
        grid.RowCount = static_cast<int>(rows.size()) + 1;
        grid.ClearRow(1);
        for (std::size_t r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 3; ++c)
                grid.Cells(c, static_cast<int>(r) + 1) = rows[r][static_cast<std::size_t>(c)];
        grid.Tag = 0;
    }

    // Chooses the command, the buttons and the mode, then OK; true when the wizard stayed open.
    bool Bind(const std::string& command, const std::vector<std::string>& buttons,
              const std::string& mode) {
        return RunWizard(KindFuncwizard, [&] {
            TFFuncwizard& w = *FFuncwizard;
            toolkitsim::ChooseItem(*w.cmbCmdname, command);
            TComboBox* boxes[] = {w.cmbButt1, w.cmbButt2, w.cmbButt3};
            for (std::size_t i = 0; i < buttons.size(); ++i)
                toolkitsim::ChooseItem(*boxes[i], buttons[i]);
            toolkitsim::ChooseItem(*w.cmbMode, mode);
            toolkitsim::Click(*w.btnOK);
        });
    }
};

TEST_F(FuncWizardTest, OpensWithTheCommandsButtonsAndModesAndNothingChosen) {
    RunWizard(KindFuncwizard, [] {
        TFFuncwizard& w = *FFuncwizard;
        EXPECT_EQ(w.Caption, std::string(cp1251::Literal("Мастер функций").view()));
        EXPECT_EQ(Texts(w.cmbCmdname->Items), (std::vector<std::string>{"Play", "Stop", "Next"}));
        EXPECT_EQ(Texts(w.cmbButt1->Items), (std::vector<std::string>{"A", "B", "C", "D"}));
        EXPECT_EQ(Texts(w.cmbMode->Items),
                  (std::vector<std::string>{"hold", "mouse", "keybd", "digit", "nohold"}));
        EXPECT_EQ(w.cmbMode->Text(), "nohold");
        EXPECT_EQ(w.lblMode_ex->Caption, FieldText(Runtime.RCMODE[4].Text));
        EXPECT_FALSE(w.lblMode_ex->Caption().empty());
        EXPECT_FALSE(w.btnOK->Enabled);
        for (TComboBox* b : {w.cmbButt1, w.cmbButt2, w.cmbButt3})
            EXPECT_FALSE(b->Enabled) << b->Name;
        toolkitsim::ChooseItem(*w.cmbCmdname, "Stop");
        EXPECT_TRUE(w.cmbButt1->Enabled);
        EXPECT_TRUE(w.lbl1->Enabled);
        EXPECT_FALSE(w.btnOK->Enabled);
        toolkitsim::ChooseItem(*w.cmbMode, "mouse");
        EXPECT_EQ(w.lblMode_ex->Caption, FieldText(Runtime.RCMODE[1].Text));
        toolkitsim::Click(*w.btnCancel);
    });
    EXPECT_EQ(FConfig->stgFunc->Tag, 0);
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"", "", ""}}));
}

TEST_F(FuncWizardTest, EachBoxOffersTheButtonsNotChosenBeforeIt) {
    SetFuncRows({{"", "", ""}});
    RunWizard(KindFuncwizard, [] {
        TFFuncwizard& w = *FFuncwizard;
        toolkitsim::ChooseItem(*w.cmbCmdname, "Play");
        toolkitsim::ChooseItem(*w.cmbButt1, "A");
        EXPECT_TRUE(w.btnOK->Enabled);
        EXPECT_EQ(Texts(w.cmbButt2->Items), (std::vector<std::string>{"", "B", "C", "D"}));
        EXPECT_EQ(w.cmbButt2->Text(), "");
        EXPECT_TRUE(w.cmbButt2->Enabled);
        EXPECT_FALSE(w.cmbButt3->Enabled);
        toolkitsim::ChooseItem(*w.cmbButt2, "B");
        EXPECT_EQ(Texts(w.cmbButt3->Items), (std::vector<std::string>{"", "C", "D"}));
        EXPECT_TRUE(w.lbl3->Enabled);
        toolkitsim::ChooseItem(*w.cmbButt3, "C");
        EXPECT_EQ(w.ButtonExpression(), "\"A\"+\"B\"+\"C\"");
        toolkitsim::ChooseItem(*w.cmbButt2, "");
        EXPECT_FALSE(w.cmbButt3->Enabled);
        EXPECT_EQ(w.cmbButt3->Items.Count(), 0);
        toolkitsim::ChooseItem(*w.cmbButt2, "C");
        toolkitsim::ChooseItem(*w.cmbButt3, "D");
        // Another first button: box 2 back at its empty item, box 3 emptied.
        toolkitsim::ChooseItem(*w.cmbButt1, "D");
        EXPECT_EQ(Texts(w.cmbButt2->Items), (std::vector<std::string>{"", "A", "B", "C"}));
        EXPECT_EQ(w.cmbButt2->Text(), "");
        EXPECT_FALSE(w.cmbButt3->Enabled);
        EXPECT_FALSE(w.lbl3->Enabled);
        EXPECT_EQ(w.cmbButt3->Items.Count(), 0);
        toolkitsim::Click(*w.btnOK);
    });
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"Play", "nohold", "\"D\""}}))
        << "the first binding fills the empty row";
    EXPECT_EQ(FConfig->stgFunc->Tag, 1);
    EXPECT_EQ(FConfig->stgFunc->Row, 1);
}

TEST_F(FuncWizardTest, NewAndReplacedBindingsAgainstTheRowsThere) {
    struct Case {
        const char* label;
        Rows before;
        std::string command;
        std::vector<std::string> buttons;
        std::string mode;
        int answer; // to the replace question; 0: none asked
        Rows after;
        std::string message; // the box's key, with the name spliced in when given
        std::string name;
    };
    const std::string a = "\"A\"", b = "\"B\"";
    const Case cases[] = {
        {"buttons another command has in a mode nohold covers",
         {{"Stop", "mouse", a}},
         "Play",
         {"A"},
         "nohold",
         0,
         {{"Stop", "mouse", a}},
         "msg_duplfunckeys",
         "Stop"},
        {"the same buttons in hold mode do not conflict with nohold",
         {{"Stop", "hold", a}},
         "Play",
         {"A"},
         "nohold",
         0,
         {{"Stop", "hold", a}, {"Play", "nohold", a}},
         "",
         ""},
        {"mouse does not conflict with another command's nohold",
         {{"Stop", "nohold", a}},
         "Play",
         {"A"},
         "mouse",
         0,
         {{"Stop", "nohold", a}, {"Play", "mouse", a}},
         "",
         ""},
        {"the same mode conflicts",
         {{"Stop", "mouse", a}},
         "Play",
         {"A"},
         "mouse",
         0,
         {{"Stop", "mouse", a}},
         "msg_duplfunckeys",
         "Stop"},
        {"every row with the buttons is looked at, not only the first",
         {{"Stop", "hold", a}, {"Next", "keybd", a}},
         "Play",
         {"A"},
         "nohold",
         0,
         {{"Stop", "hold", a}, {"Next", "keybd", a}},
         "msg_duplfunckeys",
         "Next"},
        {"the buttons compare without regard to case",
         {{"Stop", "digit", "\"a\""}},
         "Play",
         {"A"},
         "digit",
         0,
         {{"Stop", "digit", "\"a\""}},
         "msg_duplfunckeys",
         "Stop"},
        {"other buttons in the same mode",
         {{"Stop", "mouse", b}},
         "Play",
         {"A", "B"},
         "mouse",
         0,
         {{"Stop", "mouse", b}, {"Play", "mouse", "\"A\"+\"B\""}},
         "",
         ""},
        {"the command bound to the same buttons in a conflicting mode",
         {{"PLAY", "mouse", a}},
         "Play",
         {"A"},
         "nohold",
         0,
         {{"PLAY", "mouse", a}},
         "err_duplfunc",
         ""},
        {"the command bound elsewhere: Yes replaces mode and buttons",
         {{"Stop", "hold", a}, {"Play", "mouse", b}},
         "Play",
         {"A"},
         "digit",
         mrYes,
         {{"Stop", "hold", a}, {"Play", "digit", a}},
         "msg_duplfunc",
         "Play"},
        {"the command bound elsewhere: No leaves the row",
         {{"Play", "mouse", b}},
         "Play",
         {"A"},
         "digit",
         mrNo,
         {{"Play", "mouse", b}},
         "msg_duplfunc",
         "Play"},
        {"the command in hold mode on the same buttons is asked about",
         {{"Play", "hold", a}},
         "Play",
         {"A"},
         "nohold",
         mrYes,
         {{"Play", "nohold", a}},
         "msg_duplfunc",
         "Play"},
        {"replacing looks at no other command's rows",
         {{"Stop", "mouse", a}, {"Play", "keybd", b}},
         "Play",
         {"A"},
         "mouse",
         mrYes,
         {{"Stop", "mouse", a}, {"Play", "mouse", a}},
         "msg_duplfunc",
         "Play"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetFuncRows(c.before);
        toolkitsim::ClearBoxes();
        if (c.answer)
            toolkitsim::QueueAnswer(c.answer);
        const bool stayed = Bind(c.command, c.buttons, c.mode);
        EXPECT_EQ(GridRows(*FConfig->stgFunc), c.after);
        const auto boxes = toolkitsim::Boxes();
        if (c.message.empty()) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            const std::string text = GetLangText("Msg", c.message);
            EXPECT_EQ(boxes[0].text, c.name.empty() ? text : SpliceString(text, c.name));
            EXPECT_EQ(boxes[0].kind,
                      c.answer ? toolkitsim::BoxKind::Dialog : toolkitsim::BoxKind::Message);
        }
        // A conflict keeps the wizard open for a correction; everything else closes it and
        // marks the grid, either answer included.
        const bool conflict = c.message == "msg_duplfunckeys" || c.message == "err_duplfunc";
        EXPECT_EQ(stayed, conflict);
        EXPECT_EQ(FConfig->stgFunc->Tag, conflict ? 0 : 1);
        if (!conflict) {
            EXPECT_EQ(FConfig->stgFunc->Row, FConfig->stgFunc->RowCount - 1);
        }
    }
}

TEST_F(FuncWizardTest, ButtonsLongerThanTheBindingsFieldAreRefusedNotCut) {
    const std::string n23(23, 'x'), n22a(22, 'y'), n22b(22, 'z'), n23b(23, 'w');
    for (const std::string& name : {n23, n22a, n22b, n23b})
        FConfig->vleCode->Strings.Add(name + "=1");
    SetFuncRows({{"", "", ""}});
    // 75 characters: the most a binding holds.
    toolkitsim::ClearBoxes();
    EXPECT_FALSE(Bind("Play", {n23, n22a, n22b}, "mouse"));
    const std::string fits = Quoted({n23, n22a, n22b});
    ASSERT_EQ(fits.size(), 75u);
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"Play", "mouse", fits}}));
    EXPECT_TRUE(toolkitsim::Boxes().empty());
    // One more character would be cut into another binding: refused with the message.
    SetFuncRows({{"", "", ""}});
    EXPECT_TRUE(Bind("Stop", {n23, n22a, n23b}, "mouse"));
    ASSERT_EQ(Quoted({n23, n22a, n23b}).size(), 76u);
    ASSERT_EQ(toolkitsim::Boxes().size(), 1u);
    EXPECT_EQ(toolkitsim::Boxes()[0].text, GetLangText("Msg", "err_longfunckeys"));
    EXPECT_FALSE(toolkitsim::Boxes()[0].text.empty()) << "the language file has the text";
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"", "", ""}}));
    EXPECT_EQ(FConfig->stgFunc->Tag, 0);

    // The 75 characters survive the file and find the binding.
    SetFuncRows({{"Play", "mouse", fits}});
    ASSERT_EQ(SaveFuncGrid("Player", false, *FConfig->stgFunc), 0);
    TStringGrid loaded(nullptr);
    loaded.ColCount = 3;
    ASSERT_EQ(LoadFuncGrid("Player", false, &loaded, nullptr), 0);
    EXPECT_EQ(loaded.Cells(2, 1), fits);
}

// A binding made with the wizard and a command made with the command wizard, saved as OK saves
// them: the buttons pressed run the command.
TEST_F(FuncWizardTest, ABindingMadeInTheWizardRunsItsCommandForItsButtons) {
    OpenPlayerWindow();
    EmptyConfigCommands();
    RunWizard(KindCmdwizard, [] {
        AddSteps(*FCmdwizard, "Clock", {Step("time")});
        toolkitsim::Click(*FCmdwizard->btnOk);
    });
    SetFuncRows({{"", "", ""}});
    EXPECT_FALSE(Bind("Clock", {"B", "C"}, "keybd"));
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"Clock", "keybd", "\"B\"+\"C\""}}));
    ASSERT_EQ(SaveCmdGrid("Player", false, *FConfig->stgCommand), 0);
    ASSERT_EQ(SaveFuncGrid("Player", false, *FConfig->stgFunc), 0);
    Runtime.RcMode = 2;
    Press(engine_test::kB);
    EXPECT_FALSE(Shown(FTime)) << "one button of two";
    Press(engine_test::kC);
    EXPECT_TRUE(Shown(FTime));
}

TEST_F(FuncWizardTest, WithoutItsKeywordListsTheWizardClosesAtOnceAndBindsNothing) {
    ASSERT_EQ(Runtime.KeywordsLoaded, 0);
    auto* wizard = static_cast<TFFuncwizard*>(CreateDialogOfKind(KindFuncwizard, Application));
    ASSERT_EQ(wizard, FFuncwizard);
    toolkitsim::OnModal([](TCustomForm&) { allocation_hooks::FailFrom(0); });
    allocation_hooks::FailFrom(4096);
    wizard->ShowModal();
    allocation_hooks::FailFrom(0);
    toolkitsim::RunFor(10);
    toolkitsim::OnModal(nullptr);
    EXPECT_EQ(FFuncwizard, nullptr) << "closed and freed without a tick of the window manager";
    ASSERT_EQ(toolkitsim::Boxes().size(), 1u);
    EXPECT_EQ(toolkitsim::Boxes()[0].kind, toolkitsim::BoxKind::Message);
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"", "", ""}}));
    EXPECT_EQ(FConfig->stgFunc->Tag, 0);
}

// The whole road as the user takes it: the settings dialog open, the command wizard and the
// function wizard opened from it, the dialog's OK saving and committing the grids, and the
// buttons then running the command.
class WizardsFromTheSettingsDialogTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        // The dialog is opened as the user opens it, not made beforehand.
        FConfig->Free();
        ASSERT_EQ(FConfig, nullptr);
        MakeDir(Prog("Bin"));
        Runtime.ExtOptions = 1;
    }
};

TEST_F(WizardsFromTheSettingsDialogTest, TheDialogsOkSavesWhatTheWizardsMadeAndTheButtonsRunIt) {
    const HWND player = OpenPlayerWindow();
    bool configSeen = false;
    const auto tick = [] { toolkitsim::At(100, [] { OsdTick(nullptr); }); };
    toolkitsim::OnModal([&](TCustomForm& form) {
        if (&form == FCmdwizard) {
            AddSteps(*FCmdwizard, "Keys",
                     {Step("keybevent", {PickRow(1, Runtime.VKEY, VKeyCount, VK_CONTROL),
                                         PickRow(2, Runtime.VKEY, VKeyCount, 'S')}),
                      Step("setcurpos", {Type(1, "10"), Type(2, "20")})});
            toolkitsim::Click(*FCmdwizard->btnOk);
            tick();
        } else if (&form == FFuncwizard) {
            toolkitsim::ChooseItem(*FFuncwizard->cmbCmdname, "Keys");
            toolkitsim::ChooseItem(*FFuncwizard->cmbButt1, "D");
            toolkitsim::ChooseItem(*FFuncwizard->cmbMode, "mouse");
            toolkitsim::Click(*FFuncwizard->btnOK);
            tick();
        } else if (&form == FConfig && !configSeen) {
            configSeen = true;
            // The application whose grids the dialog shows.
            FConfig->CurrentAppl = "Player";
            ShowForm(KindCmdwizard);
            EXPECT_TRUE(!FCmdwizard || FCmdwizard->CloseDone);
            EXPECT_EQ(FConfig->stgCommand->Tag, 1);
            ShowForm(KindFuncwizard);
            EXPECT_TRUE(!FFuncwizard || FFuncwizard->CloseDone);
            EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"Keys", "mouse", "\"D\""}}));
            toolkitsim::Click(*FConfig->btnOk);
            tick();
        }
    });
    ShowForm(KindConfig);
    toolkitsim::RunFor(10);
    toolkitsim::OnModal(nullptr);
    ASSERT_TRUE(configSeen);
    EXPECT_EQ(FConfig, nullptr);

    // The user files hold what the wizards made (a parameter "0" is kept as an empty one).
    TStringGrid commands(nullptr);
    commands.ColCount = 6;
    ASSERT_EQ(LoadCmdGrid("Player", false, commands), 0);
    Rows loaded = GridRows(commands);
    ASSERT_GE(loaded.size(), 5u);
    loaded.resize(5);
    EXPECT_EQ(loaded, (Rows{{"Keys", "keybevent", "17", "", "", ""},
                            {"", "keybevent", "83", "", "", ""},
                            {"", "keybevent", "83", "2", "", ""},
                            {"", "keybevent", "17", "2", "", ""},
                            {"", "setcurpos", "10", "20", "", ""}}));

    const std::size_t before = win32sim::InputLog().size();
    Runtime.RcMode = 1;
    Press(engine_test::kD);
    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.size(), before + 5);
    const BYTE keys[] = {VK_CONTROL, 'S', 'S', VK_CONTROL};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(input[before + i].vk, keys[i]);
        EXPECT_EQ(input[before + i].flags, i < 2 ? 0u : static_cast<DWORD>(KEYEVENTF_KEYUP));
        EXPECT_EQ(input[before + i].foreground, player) << "the keys go to the player";
    }
    EXPECT_EQ(input[before + 4].kind, win32sim::InputEvent::Kind::CursorPos);
    EXPECT_EQ(input[before + 4].cursor.x, 10);
    EXPECT_EQ(input[before + 4].cursor.y, 20);
}

} // namespace
