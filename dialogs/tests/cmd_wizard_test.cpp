// The command wizard as the user works it: every step type with each of its choices goes from
// the wizard's fields through the settings dialog's grid and the record file to the engine,
// which then does exactly that step; and the wizard's own rules (names, fields, filter, Del,
// dragging, storing, closing).
#include "wizard_fixture.h"

#include "allocation_hooks.h"
#include "cmd_func_files.h"
#include "language.h"
#include "win32sim/multimedia.h"
#include "win32sim/system.h"

#include <cp1251.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace wizard_test;
using engine_test::kA;
// A number buffer made x - 1 from its empty -1.
WizardStep NumberBecomes(int x) {
    return Step("changebuf", {Buffer(false), Pick(1, "iBuf + X"), Type(2, std::to_string(x + 1))});
}
std::vector<std::string> NumberRow(int x) {
    return {"changebuf", "Int", "iBuf + X", std::to_string(x + 1), ""};
}
std::vector<std::string> Plain(const std::string& type) {
    return {type, "", "", "", ""};
}

struct Case {
    std::string label;
    std::vector<WizardStep> steps;
    Rows rows; // the settings grid's columns 1 to 5
    std::function<void()> before;
    std::function<void()> check;
};

class CmdWizardTest : public WizardTest {
protected:
    void SetUp() override {
        WizardTest::SetUp();
        player_ = OpenPlayerWindow();
        BindCmdToA();
    }

    // Builds the command "Cmd" in the wizard and stores it with OK.
    void BuildWithOk(const std::vector<WizardStep>& steps) {
        RunWizard(KindCmdwizard, [&] {
            AddSteps(*FCmdwizard, "Cmd", steps);
            toolkitsim::Click(*FCmdwizard->btnOk);
        });
    }

    // The settings grid saved for the player, then button A pressed.
    void SaveAndPress() {
        ASSERT_EQ(SaveCmdGrid("Player", false, *FConfig->stgCommand), 0);
        Runtime.FuncCache = {};
        Runtime.CmdCache = {};
        Runtime.RcMode = 1;
        Press(kA);
    }

    static win32sim::InputEvent LastInput() {
        const auto log = win32sim::InputLog();
        return log.empty() ? win32sim::InputEvent{} : log.back();
    }
    static win32sim::MessageRecord LastMessage() {
        const auto log = win32sim::MessageLog();
        return log.empty() ? win32sim::MessageRecord{} : log.back();
    }
    static void EscapeList() {
        if (FList && FList->Visible)
            toolkitsim::PressKey(*FList, VK_ESCAPE);
        if (FInput && FInput->Visible)
            toolkitsim::PressKey(*FInput, VK_ESCAPE);
        Ticks(1);
        Runtime.PendingFunc = -1;
        Runtime.PendingList = 0;
        Runtime.PendingInput = 0;
        Runtime.ReplayRequest = 0;
    }

    void RunCases(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.label);
            EmptyConfigCommands();
            if (FInfo)
                FInfo->Visible = false;
            BuildWithOk(c.steps);
            Rows expected;
            for (std::size_t i = 0; i < c.rows.size(); ++i) {
                std::vector<std::string> row{i == 0 ? "Cmd" : ""};
                row.insert(row.end(), c.rows[i].begin(), c.rows[i].end());
                expected.push_back(row);
            }
            EXPECT_EQ(GridRows(*FConfig->stgCommand), expected);
            EXPECT_EQ(FConfig->stgCommand->Tag, 1);
            win32sim::ClearForeground();
            if (c.before)
                c.before();
            SaveAndPress();
            c.check();
        }
    }

    HWND player_ = nullptr;
};

TEST_F(CmdWizardTest, BuffersMessagesKeysAndCursorFromTheWizardToTheEngine) {
    static const char reply[] = "from player";
    const auto key = [](int n, int vk) { return PickRow(n, Runtime.VKEY, VKeyCount, vk); };
    const auto message = [this](UINT msg, WPARAM w, LPARAM l) {
        return [=, this] {
            const win32sim::MessageRecord m = LastMessage();
            EXPECT_EQ(m.window, player_);
            EXPECT_EQ(m.message, msg);
            EXPECT_EQ(m.wParam, w);
            EXPECT_EQ(m.lParam, l);
        };
    };
    const std::vector<Case> cases = {
        {"show_txt Txt",
         {Step("show_txt", {Buffer(true)})},
         {{"show_txt", "Txt", "", "", ""}},
         [] { SetTextBuffer("hello"); },
         [] { EXPECT_EQ(InfoText(), "hello"); }},
        {"show_txt Int",
         {NumberBecomes(42), Step("show_txt", {Buffer(false)})},
         {NumberRow(42), {"show_txt", "Int", "", "", ""}},
         nullptr,
         [] { EXPECT_EQ(InfoText(), "42"); }},
        {"show_bar",
         {Step("show_bar")},
         {Plain("show_bar")},
         [] { SetTextBuffer("Level"); },
         [] {
             ASSERT_TRUE(Shown(FBar));
             EXPECT_EQ(FBar->lblMsgtext->Caption, "Level");
         }},
        {"setcurpos",
         {Step("setcurpos", {Type(1, "100"), Type(2, "200")})},
         {{"setcurpos", "100", "200", "", ""}},
         nullptr,
         [] {
             const win32sim::InputEvent e = LastInput();
             EXPECT_EQ(e.kind, win32sim::InputEvent::Kind::CursorPos);
             EXPECT_EQ(e.cursor.x, 100);
             EXPECT_EQ(e.cursor.y, 200);
         }},
        {"sendmsg",
         {Step("sendmsg", {Type(2, "5"), Type(3, "7")})},
         {{"sendmsg", "1024", "5", "7", ""}},
         nullptr,
         message(1024, 5, 7)},
        {"buf=sendmsg Int",
         {Step("buf=sendmsg", {Buffer(false), Type(2, "0"), Type(3, "0")}),
          Step("show_txt", {Buffer(false)})},
         {{"buf=sendmsg", "Int", "1024", "0", "0"}, {"show_txt", "Int", "", "", ""}},
         [this] { win32sim::SetMessageResult(player_, 1024, 42); },
         [] { EXPECT_EQ(InfoText(), "42"); }},
        {"buf=sendmsg Txt",
         {Step("buf=sendmsg", {Buffer(true), Type(2, "1"), Type(3, "2")}),
          Step("show_txt", {Buffer(true)})},
         {{"buf=sendmsg", "Txt", "1024", "1", "2"}, {"show_txt", "Txt", "", "", ""}},
         [this] { win32sim::SetMessageResult(player_, 1024, reinterpret_cast<LRESULT>(reply)); },
         [message] {
             // Another program's answer is never read as text here: the command ends.
             message(1024, 1, 2)();
             EXPECT_EQ(InfoText(), "<hidden>");
         }},
        {"sendmsg=buf Int into the third argument",
         {NumberBecomes(5), Step("sendmsg=buf", {Buffer(false), Pick(1, "3"), Type(3, "7")})},
         {NumberRow(5), {"sendmsg=buf", "Int", "3", "1024", "7"}},
         nullptr,
         message(1024, 5, 7)},
        {"sendmsg=buf Int into the fourth argument",
         {NumberBecomes(5), Step("sendmsg=buf", {Buffer(false), Pick(1, "4"), Type(3, "7")})},
         {NumberRow(5), {"sendmsg=buf", "Int", "4", "1024", "7"}},
         nullptr,
         message(1024, 7, 5)},
        {"sendmsg=buf Txt",
         {Step("sendmsg=buf", {Buffer(true), Pick(1, "4"), Type(3, "1")})},
         {{"sendmsg=buf", "Txt", "4", "1024", "1"}},
         [] { SetTextBuffer("9"); },
         message(1024, 1, 9)},
        {"keybevent Ctrl+Alt+Del",
         {Step("keybevent", {key(1, VK_CONTROL), key(2, VK_MENU), key(3, VK_DELETE)})},
         {{"keybevent", "17", "0", "", ""},
          {"keybevent", "18", "0", "", ""},
          {"keybevent", "46", "0", "", ""},
          {"keybevent", "46", "2", "", ""},
          {"keybevent", "18", "2", "", ""},
          {"keybevent", "17", "2", "", ""}},
         nullptr,
         [] {
             const auto log = win32sim::InputLog();
             ASSERT_GE(log.size(), 6u);
             const BYTE keys[] = {17, 18, 46, 46, 18, 17};
             for (std::size_t i = 0; i < 6; ++i) {
                 const win32sim::InputEvent& e = log[log.size() - 6 + i];
                 EXPECT_EQ(e.kind, win32sim::InputEvent::Kind::Key);
                 EXPECT_EQ(e.vk, keys[i]);
                 EXPECT_EQ(e.flags, i < 3 ? 0u : static_cast<DWORD>(KEYEVENTF_KEYUP));
             }
         }},
        {"keybevent one key",
         {Step("keybevent", {key(1, VK_SPACE)})},
         {{"keybevent", "32", "0", "", ""}, {"keybevent", "32", "2", "", ""}},
         nullptr,
         [] {
             EXPECT_EQ(LastInput().vk, VK_SPACE);
             EXPECT_EQ(LastInput().flags, static_cast<DWORD>(KEYEVENTF_KEYUP));
         }},
    };
    RunCases(cases);
}

TEST_F(CmdWizardTest, EveryMouseEventFromTheWizardToTheEngine) {
    struct Event {
        int value;
        DWORD flags;
        int dx, dy, wheel; // for the value 5 (moves) or 2 (wheel notches)
    };
    const Event events[] = {
        {0, 1, 0, -5, 0},  {1, 1, 0, 5, 0},   {2, 1, -5, 0, 0},      {3, 1, 5, 0, 0},
        {4, 1, -5, -5, 0}, {5, 1, 5, -5, 0},  {6, 1, -5, 5, 0},      {7, 1, 5, 5, 0},
        {8, 2, 0, 0, 0},   {9, 4, 0, 0, 0},   {10, 8, 0, 0, 0},      {11, 16, 0, 0, 0},
        {12, 32, 0, 0, 0}, {13, 64, 0, 0, 0}, {14, 2048, 0, 0, 240}, {15, 2048, 0, 0, -240},
    };
    std::vector<Case> cases;
    for (const Event& e : events) {
        const bool button = e.value >= 8 && e.value <= 13;
        const bool wheel = e.value >= 14;
        std::vector<Act> acts{PickRow(1, Runtime.MOUSEVENT, MousEventCount, e.value)};
        if (!button)
            acts.push_back(Type(2, wheel ? "2" : "5"));
        cases.push_back(Case{FieldText(Runtime.MOUSEVENT[e.value].Keyword),
                             {Step("mousevent", acts)},
                             {{"mousevent", std::to_string(e.flags), std::to_string(e.dx),
                               std::to_string(e.dy), std::to_string(e.wheel)}},
                             [] {
                                 Runtime.MouseAccel = 1.0f;
                                 Runtime.LastMouseFlags = 0.0f;
                             },
                             [e] {
                                 const win32sim::InputEvent got = LastInput();
                                 EXPECT_EQ(got.kind, win32sim::InputEvent::Kind::Mouse);
                                 EXPECT_EQ(got.flags, e.flags);
                                 EXPECT_EQ(got.dx, e.dx);
                                 EXPECT_EQ(got.dy, e.dy);
                                 EXPECT_EQ(got.data, static_cast<DWORD>(e.wheel));
                             }});
    }
    RunCases(cases);
}

TEST_F(CmdWizardTest, EveryBufferOperationFromTheWizardToTheEngine) {
    struct Op {
        bool text;
        const char* keyword;
        std::vector<std::string> values;
        std::string shown;
    };
    // The number buffer starts at 4 (5 for the text operations), the text buffer at "abcdef"
    // ("3" for the number operation that adds it).
    const Op ops[] = {
        {false, "iBuf + X", {"2"}, "6"},
        {false, "iBuf - X", {"2"}, "2"},
        {false, "iBuf * X", {"2"}, "8"},
        {false, "iBuf / X", {"2"}, "2"},
        {false, "X / iBuf", {"8"}, "2"},
        {false, "Clear", {}, "0"},
        {false, "iBuf + X", {"0.5"}, "4.5"},
        {false, "iBuf = iBuf + txtBuf", {}, "7"},
        {true, "Add", {"gh"}, "abcdefgh"},
        {true, "Left", {"2"}, "ab"},
        {true, "Right", {"2"}, "de"},
        {true, "Mid", {"2", "3"}, "bcd"},
        {true, "Txt = Txt + Int", {}, "abcdef5"},
        {true, "Txt = Int + Txt", {}, "5abcdef"},
        {true, "Clear", {}, ""},
    };
    std::vector<Case> cases;
    for (const Op& op : ops) {
        std::vector<Act> acts{Buffer(op.text), Pick(1, op.keyword)};
        std::vector<std::string> row{"changebuf", op.text ? "Txt" : "Int", op.keyword, "", ""};
        for (std::size_t i = 0; i < op.values.size(); ++i) {
            acts.push_back(Type(static_cast<int>(i) + 2, op.values[i]));
            row[3 + i] = op.values[i];
        }
        const int start = op.text ? 5 : 4;
        const std::string textStart =
            std::string(op.keyword) == "iBuf = iBuf + txtBuf" ? "3" : "abcdef";
        const std::string shown = op.shown;
        const bool text = op.text;
        cases.push_back(Case{
            std::string(op.text ? "Txt " : "Int ") + op.keyword,
            {NumberBecomes(start), Step("changebuf", acts), Step("show_txt", {Buffer(op.text)})},
            {NumberRow(start), row, {"show_txt", text ? "Txt" : "Int", "", "", ""}},
            [textStart] { SetTextBuffer(textStart); },
            [shown] { EXPECT_EQ(InfoText(), shown); }});
    }
    RunCases(cases);
}

TEST_F(CmdWizardTest, EveryConditionOnBothBuffersFromTheWizardToTheEngine) {
    // The number buffer 3 against X 3; the text "abc" against "abd".
    struct Cond {
        const char* keyword;
        bool number;
        bool text;
    };
    const Cond conds[] = {{"Buf < X", false, true}, {"Buf > X", false, false},
                          {"Buf <= X", true, true}, {"Buf >= X", true, false},
                          {"Buf = X", true, false}, {"Buf <> X", false, true}};
    std::vector<Case> cases;
    for (const Cond& c : conds) {
        for (const bool text : {false, true}) {
            const std::string label = std::string(text ? "Txt " : "Int ") + c.keyword;
            const bool holds = text ? c.text : c.number;
            std::vector<WizardStep> steps;
            Rows rows;
            if (!text) {
                steps.push_back(NumberBecomes(3));
                rows.push_back(NumberRow(3));
            }
            const std::string x = text ? "abd" : "3";
            steps.push_back(
                Step("continue_if_condition", {Buffer(text), Pick(1, c.keyword), Type(2, x)}));
            rows.push_back({"continue_if_condition", text ? "Txt" : "Int", c.keyword, x, ""});
            steps.push_back(Step("show_bar"));
            rows.push_back(Plain("show_bar"));
            cases.push_back(Case{label, steps, rows,
                                 [text] {
                                     SetTextBuffer(text ? "abc" : "shown");
                                     if (FBar)
                                         FBar->Visible = false;
                                 },
                                 [holds] { EXPECT_EQ(Shown(FBar), holds); }});
        }
    }
    // next_if_condition skips only the next step.
    for (const bool holds : {true, false}) {
        cases.push_back(Case{std::string("next_if_condition ") + (holds ? "holds" : "fails"),
                             {NumberBecomes(3),
                              Step("next_if_condition",
                                   {Buffer(false), Pick(1, "Buf = X"), Type(2, holds ? "3" : "4")}),
                              Step("show_txt", {Buffer(true)}), Step("show_bar")},
                             {NumberRow(3),
                              {"next_if_condition", "Int", "Buf = X", holds ? "3" : "4", ""},
                              {"show_txt", "Txt", "", "", ""},
                              Plain("show_bar")},
                             [] {
                                 SetTextBuffer("next");
                                 if (FBar)
                                     FBar->Visible = false;
                             },
                             [holds] {
                                 EXPECT_EQ(InfoText(), holds ? "next" : "<hidden>");
                                 EXPECT_TRUE(Shown(FBar)) << "the step after the skipped one runs";
                             }});
    }
    RunCases(cases);
}

TEST_F(CmdWizardTest, ProgramsListsTimerModeVolumeAndShutdownFromTheWizardToTheEngine) {
    PutFile(Prog("Bin\\favoritVideo.bin"), "Player\r\nViewer\r\n");
    PutFile(Prog("Bin\\favoritAudio.bin"), "Player\r\n");
    PutFile(Prog("PL\\playlists.aud"), "Rock\r\nJazz\r\n");
    PutFile(Prog("PL\\playlists.vid"), "Films\r\n");
    PutFile(Prog("PL\\Jazz.aud"), "C:\\Music\\a.mp3\r\n");
    const auto inFront = [this] { EXPECT_EQ(GetForegroundWindow(), player_); };
    const auto listShows = [](std::vector<std::string> items) {
        return [items] {
            ASSERT_TRUE(Shown(FList));
            EXPECT_EQ(engine_test::Lines(FList->lBox->Items), items);
            EXPECT_EQ(Runtime.PendingList, 1);
        };
    };
    const auto volume = [](DWORD expected) {
        return [expected] { EXPECT_EQ(win32sim::WaveOutVolume(0), expected); };
    };
    const auto halfVolume = [] {
        Runtime.VolumeKind = 3;
        Runtime.VolumeMuted = 0;
        win32sim::WaveOutDevice device;
        device.volume = 0x80008000;
        win32sim::SetWaveOutDevices({device});
    };
    std::vector<Case> cases = {
        {"runappl Video",
         {Step("runappl", {Pick(1, "Video")})},
         {{"runappl", "1", "", "", ""}},
         nullptr,
         [&] {
             inFront();
             EXPECT_EQ(InfoText(), "Player");
         }},
        {"time", {Step("time")}, {Plain("time")}, nullptr, [] { EXPECT_TRUE(Shown(FTime)); }},
        {"systemshutdown with an empty number buffer asks",
         {Step("systemshutdown")},
         {Plain("systemshutdown")},
         nullptr,
         [&] {
             listShows(
                 {std::string(engine_test::kYes.view()), std::string(engine_test::kNo.view())})();
             EscapeList();
         }},
        {"systemshutdown with 0 shuts down",
         {Step("changebuf", {Buffer(false), Pick(1, "Clear")}), Step("systemshutdown")},
         {{"changebuf", "Int", "Clear", "", ""}, Plain("systemshutdown")},
         nullptr,
         [] {
             ASSERT_EQ(win32sim::ExitWindowsLog().size(), 1u);
             EXPECT_EQ(win32sim::ExitWindowsLog()[0].flags, 5u);
         }},
        {"timer",
         {NumberBecomes(90), Step("timer")},
         {NumberRow(90), Plain("timer")},
         nullptr,
         [] {
             EXPECT_EQ(Runtime.SleepTimer, 90);
             Runtime.SleepTimer = -1;
             Runtime.PendingFunc = -1;
         }},
        {"show_timer",
         {Step("show_timer")},
         {Plain("show_timer")},
         [] { Runtime.TimerDisplay = 0; },
         [] { EXPECT_EQ(Runtime.TimerDisplay, 1); }},
        {"showfavorites Video and the runappl of the choice",
         {Step("showfavorites", {Pick(1, "Video")})},
         {{"showfavorites", "1", "", "", ""}, {"runappl", "1", "", "", ""}},
         nullptr,
         [&] {
             listShows({"Player", "Viewer"})();
             ChooseLine(0);
             Ticks(1);
             inFront();
         }},
        {"showfunction",
         {Step("showfunction")},
         {Plain("showfunction")},
         nullptr,
         [] {
             ASSERT_TRUE(Shown(FList));
             EXPECT_EQ(Runtime.ReplayRequest, 1);
             EscapeList();
         }},
        {"showruning and the runappl of the choice",
         {Step("showruning")},
         {Plain("showruning"), {"runappl", "-1", "", "", ""}},
         nullptr,
         [&] {
             ASSERT_TRUE(Shown(FList));
             const int line = FList->lBox->Items.IndexOf("Player");
             ASSERT_GE(line, 0);
             ChooseLine(line);
             Ticks(1);
             inFront();
         }},
        {"showtimermode",
         {Step("showtimermode")},
         {Plain("showtimermode")},
         nullptr,
         [] {
             ASSERT_TRUE(Shown(FList));
             EXPECT_EQ(FList->lBox->Items.Count(), 6);
             EscapeList();
         }},
        {"showplaylist audio and the runappl of the choice",
         {Step("showplaylist", {Pick(1, "audio")})},
         {{"showplaylist", "0", "", "", ""}, {"runappl", "-1", "", "", ""}},
         nullptr,
         [&] {
             listShows({"Rock", "Jazz"})();
             EXPECT_EQ(Runtime.ListKind, 0);
             ChooseLine(1);
             Ticks(1);
             ASSERT_EQ(win32sim::Drops().size(), 1u);
             EXPECT_EQ(win32sim::Drops()[0].window, player_);
             EXPECT_EQ(win32sim::Drops()[0].files, std::vector<std::string>{"C:\\Music\\a.mp3"});
         }},
        {"showplaylist video",
         {Step("showplaylist", {Pick(1, "video")})},
         {{"showplaylist", "1", "", "", ""}, {"runappl", "-1", "", "", ""}},
         nullptr,
         [&] {
             listShows({"Films"})();
             EXPECT_EQ(Runtime.ListKind, 1);
             EscapeList();
         }},
        {"set_volume Volume +",
         {Step("set_volume", {Pick(1, "Volume +"), Type(2, "10")})},
         {{"set_volume", "Volume +", "10", "", ""}},
         halfVolume,
         volume((0x8000 + 6550) * 0x10001u)},
        {"set_volume Volume -",
         {Step("set_volume", {Pick(1, "Volume -"), Type(2, "10")})},
         {{"set_volume", "Volume -", "10", "", ""}},
         halfVolume,
         volume((0x8000 - 6550) * 0x10001u)},
        {"set_volume Mute",
         {Step("set_volume", {Pick(1, "Mute")})},
         {{"set_volume", "Mute", "", "", ""}},
         halfVolume,
         volume(0)},
    };
    for (int format = 0; format < 2; ++format)
        cases.push_back(Case{std::string("intbuf=number ") + (format ? "number" : "time"),
                             {Step("intbuf=number", {Pick(1, format ? "number" : "time")})},
                             {{"intbuf=number", std::to_string(format), "", "", ""}},
                             nullptr,
                             [] {
                                 EXPECT_TRUE(Shown(FInput));
                                 EXPECT_EQ(Runtime.PendingInput, 1);
                                 EscapeList();
                             }});
    for (int mode = 0; mode < 4; ++mode)
        cases.push_back(Case{"mode " + FieldText(Runtime.RCMODE[mode].Keyword),
                             {Step("mode", {PickRow(1, Runtime.RCMODE, RcModeCount, mode)})},
                             {{"mode", std::to_string(mode), "", "", ""}},
                             nullptr,
                             [mode] {
                                 EXPECT_EQ(Runtime.RcMode, mode);
                                 if (mode == 0) {
                                     EXPECT_EQ(InfoText(), GetLangText("Msg", "msg_remotehold"));
                                 }
                             }});
    RunCases(cases);
}

// ---- the wizard's own rules ----

class CmdWizardRulesTest : public WizardTest {
protected:
    static std::string Lang(const char* key) { return GetLangText("Msg", key); }
    static std::string LabelTextOf(const char* key) { return GetLangText("Labels", key); }
    static std::vector<std::string> Texts(const TStringList& items) {
        return std::vector<std::string>(items.begin(), items.end());
    }
};

TEST_F(CmdWizardRulesTest, OpensEmptyAndTheNameOpensTheGroups) {
    RunWizard(KindCmdwizard, [] {
        TFCmdwizard& w = *FCmdwizard;
        EXPECT_EQ(w.Caption, std::string(cp1251::Literal("Мастер команд").view()));
        EXPECT_FALSE(w.grbType->Enabled);
        EXPECT_EQ(w.grbType->Font.Color, clInactiveCaption);
        EXPECT_FALSE(w.grbParam->Enabled);
        for (int n = 1; n <= 4; ++n)
            EXPECT_FALSE(w.Param(n)->Visible);
        EXPECT_FALSE(w.panBuffertype->Visible);
        for (TButton* b : {w.btnAdd, w.btnDel, w.btnOk, w.btnApply})
            EXPECT_FALSE(b->Enabled) << b->Name;
        EXPECT_TRUE(w.btnCancel->Enabled);
        EXPECT_EQ(w.cmbType->Items.Count(), CmdTypeCount);
        EXPECT_EQ(w.cmbType->Items[0], "runappl");
        EXPECT_EQ(w.cmbType->Items[23], "showplaylist");

        toolkitsim::TypeText(*w.eCmdName, "Play");
        EXPECT_TRUE(w.grbType->Enabled);
        EXPECT_EQ(w.grbType->Font.Color, clWindowText);
        EXPECT_TRUE(w.grbParam->Enabled);
        toolkitsim::ChooseItem(*w.cmbType, "time");
        EXPECT_TRUE(w.btnAdd->Enabled);
        EXPECT_EQ(w.lblType->Caption, KeywordToText(Runtime.CMDTYPE, CmdTypeCount, "time"));
        // Typing into the name after a complete step disables Add until the step changes.
        toolkitsim::TypeText(*w.eCmdName, "s");
        EXPECT_FALSE(w.btnAdd->Enabled);
        toolkitsim::ChooseItem(*w.cmbType, "show_bar");
        EXPECT_TRUE(w.btnAdd->Enabled);
        toolkitsim::TypeText(*w.eCmdName, std::string(5, '\b'));
        EXPECT_EQ(w.eCmdName->Text(), "");
        EXPECT_FALSE(w.grbType->Enabled);
        EXPECT_EQ(w.grbParam->Font.Color, clInactiveCaption);
        toolkitsim::Click(*w.btnCancel);
    });
}

TEST_F(CmdWizardRulesTest, TheNumericKeyFilter) {
    struct Case {
        const char* type;
        std::vector<Act> before;
        int field;
        std::string typed;
        std::string shown;
    };
    const Case cases[] = {
        {"setcurpos", {}, 1, "1,5", "1.5"},
        {"setcurpos", {}, 1, "1..2", "1.2"},
        {"setcurpos", {}, 1, "1.2,3", "1.23"},
        {"setcurpos", {}, 1, "-5", "-5"},
        {"setcurpos", {}, 1, "5-", "5"},
        {"setcurpos", {}, 1, "--5", "-5"},
        {"setcurpos", {}, 1, "a1b+", "1"},
        {"setcurpos", {}, 2, "12\b3", "13"},
        {"setcurpos", {}, 2, "12345", "1234"},
        {"set_volume", {Pick(1, "Volume +")}, 2, "-5", "5"},
        {"changebuf", {Buffer(false), Pick(1, "iBuf + X")}, 2, "-1,5", "-1.5"},
        {"sendmsg", {}, 2, "-a.,", "-a.,"},
        {"continue_if_condition", {Buffer(true)}, 2, "-a.,", "-a.,"},
        {"continue_if_condition", {Buffer(false)}, 2, "-a.,", "-."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.typed);
        RunWizard(KindCmdwizard, [&] {
            TFCmdwizard& w = *FCmdwizard;
            toolkitsim::TypeText(*w.eCmdName, "Cmd");
            toolkitsim::ChooseItem(*w.cmbType, c.type);
            for (const Act& a : c.before)
                a(w);
            toolkitsim::TypeText(*w.Param(c.field), c.typed);
            EXPECT_EQ(w.Param(c.field)->Text(), c.shown);
            toolkitsim::Click(*w.btnCancel);
        });
    }
}

TEST_F(CmdWizardRulesTest, AValueThatIsNoNumberOfItsKindAddsNoStepAndNoRow) {
    struct Case {
        const char* label;
        WizardStep step;
        int field;
        const char* key;
    };
    const auto mouse = PickRow(1, Runtime.MOUSEVENT, MousEventCount, 0);
    const Case cases[] = {
        {"a lone minus", Step("setcurpos", {Type(1, "-"), Type(2, "2")}), 1, "err_notinteger"},
        {"a lone point", Step("setcurpos", {Type(1, "1"), Type(2, ".")}), 2, "err_notinteger"},
        {"a decimal", Step("setcurpos", {Type(1, "1.5"), Type(2, "2")}), 1, "err_notinteger"},
        {"a decimal move", Step("mousevent", {mouse, Type(2, "1.5")}), 2, "err_notinteger"},
        {"a minus move", Step("mousevent", {mouse, Type(2, "-")}), 2, "err_notinteger"},
        {"a decimal volume", Step("set_volume", {Pick(1, "Volume -"), Type(2, "2.")}), 2,
         "err_notinteger"},
        {"a message number", Step("sendmsg", {Type(1, "."), Type(2, "1"), Type(3, "2")}), 1,
         "err_notinteger"},
        {"a decimal Mid start",
         Step("changebuf", {Buffer(true), Pick(1, "Mid"), Type(2, "1.5"), Type(3, "2")}), 2,
         "err_notinteger"},
        {"a decimal Right count",
         Step("changebuf", {Buffer(true), Pick(1, "Right"), Type(2, "0.5")}), 2, "err_notinteger"},
        {"a lone minus for the number buffer",
         Step("changebuf", {Buffer(false), Pick(1, "iBuf * X"), Type(2, "-")}), 2, "err_notnumber"},
        {"a decimal to compare the number buffer with",
         Step("continue_if_condition", {Buffer(false), Pick(1, "Buf = X"), Type(2, "2.5")}), 2,
         "err_notinteger"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        toolkitsim::ClearBoxes();
        RunWizard(KindCmdwizard, [&] {
            TFCmdwizard& w = *FCmdwizard;
            AddSteps(w, "Cmd", {Step("time")});
            toolkitsim::ChooseItem(*w.cmbType, c.step.type);
            c.step.fill(w);
            ASSERT_TRUE(w.btnAdd->Enabled);
            toolkitsim::Click(*w.btnAdd);
            EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"Cmd", "time", "", "", "", ""}}));
            const auto boxes = toolkitsim::Boxes();
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, SpliceString(Lang(c.key), w.ParamLabel(c.field)->Caption));
            EXPECT_NE(boxes[0].text.find(w.ParamLabel(c.field)->Caption), std::string::npos);
            // The step is still described, for a correction.
            EXPECT_EQ(w.cmbType->Text(), c.step.type);
            EXPECT_TRUE(w.Param(c.field)->Visible);
            toolkitsim::Click(*w.btnCancel);
        });
    }
    // Corrected, the step goes in.
    toolkitsim::ClearBoxes();
    EXPECT_EQ(BuildRows({Step("changebuf", {Buffer(false), Pick(1, "iBuf * X"), Type(2, "-1.5")}),
                         Step("setcurpos", {Type(1, "-3"), Type(2, "0")})}),
              (Rows{{"Cmd", "changebuf", "Int", "iBuf * X", "-1.5", ""},
                    {"", "setcurpos", "-3", "0", "", ""}}));
    EXPECT_TRUE(toolkitsim::Boxes().empty());
}

// The text to add may be typed up to 76 characters, but a step's parameter holds 24: a longer
// one is refused instead of being cut by the saver.
TEST_F(CmdWizardRulesTest, AParameterLongerThanTheStepRecordsFieldIsRefused) {
    const std::string fits(24, 'a');
    Rows rows;
    RunWizard(KindCmdwizard, [&] {
        TFCmdwizard& w = *FCmdwizard;
        AddSteps(w, "Cmd", {Step("changebuf", {Buffer(true), Pick(1, "Add"), Type(2, fits)})});
        toolkitsim::ChooseItem(*w.cmbType, "changebuf");
        toolkitsim::Click(*w.rbtnText);
        toolkitsim::ChooseItem(*w.cmbParam1, "Add");
        toolkitsim::TypeText(*w.cmbParam2, std::string(80, 'b'));
        EXPECT_EQ(w.cmbParam2->Text().size(), 76u);
        toolkitsim::Click(*w.btnAdd);
        rows = GridRows(*w.stgCommand);
        toolkitsim::Click(*w.btnCancel);
    });
    EXPECT_EQ(rows, (Rows{{"Cmd", "changebuf", "Txt", "Add", fits, ""}}));
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, SpliceString(Lang("err_longparam"), LabelTextOf("lbl_addparam")));
}

// The title bar's close only marks the wizard done; the window manager's next tick closes it
// and the second close frees it, storing nothing.
TEST_F(CmdWizardRulesTest, TheTitleBarCloseClosesInTwoStagesAndStoresNothing) {
    EmptyConfigCommands();
    for (const std::int16_t kind : {KindCmdwizard, KindFuncwizard}) {
        SCOPED_TRACE(kind);
        bool checked = false;
        toolkitsim::OnModal([&](TCustomForm& form) {
            TDialogForm* wizard = DialogOfKind(kind);
            if (&form != wizard)
                return;
            if (kind == KindCmdwizard)
                AddSteps(*FCmdwizard, "Cmd", {Step("time")});
            form.Close();
            toolkitsim::At(50, [&, wizard] {
                EXPECT_TRUE(wizard->CloseDone);
                EXPECT_EQ(Runtime.FormSlots[kind].Hold, 0);
                EXPECT_EQ(DialogOfKind(kind), wizard) << "refused: still there until the tick";
                EXPECT_TRUE(wizard->Visible);
                checked = true;
            });
            toolkitsim::At(150, [] { OsdTick(nullptr); });
        });
        ShowForm(kind);
        toolkitsim::RunFor(10);
        toolkitsim::OnModal(nullptr);
        EXPECT_TRUE(checked);
        EXPECT_EQ(DialogOfKind(kind), nullptr) << "the tick's close frees it";
    }
    EXPECT_EQ(GridRows(*FConfig->stgCommand), (Rows{{"", "", "", "", "", ""}}));
    EXPECT_EQ(GridRows(*FConfig->stgFunc), (Rows{{"", "", ""}}));
}

// Both wizards keep their designed pixel sizes on a denser screen; a screen without a density
// leaves them as designed.
TEST_F(CmdWizardRulesTest, TheWizardsScaleBy96OverTheScreensDensity) {
    struct Case {
        int ppi;
        int editWidth;
        int boxWidth;
    };
    for (const Case c : {Case{144, 157, 226}, Case{96, 236, 339}, Case{0, 236, 339}}) {
        SCOPED_TRACE(c.ppi);
        toolkitsim::SetScreen(1024, 768, c.ppi);
        RunWizard(KindCmdwizard, [&] {
            EXPECT_EQ(FCmdwizard->eCmdName->Width, c.editWidth);
            toolkitsim::Click(*FCmdwizard->btnCancel);
        });
        RunWizard(KindFuncwizard, [&] {
            EXPECT_EQ(FFuncwizard->cmbCmdname->Width, c.boxWidth);
            toolkitsim::Click(*FFuncwizard->btnCancel);
        });
    }
}

TEST_F(CmdWizardRulesTest, TheStatusBarShowsTheApplicationsHint) {
    RunWizard(KindCmdwizard, [] {
        Application->Hint = "a hint";
        EXPECT_EQ(FCmdwizard->StatusBar->SimpleText(), "a hint");
        toolkitsim::Click(*FCmdwizard->btnCancel);
    });
    RunWizard(KindFuncwizard, [] {
        Application->Hint = "another hint";
        EXPECT_EQ(FFuncwizard->StatusBar->SimpleText(), "another hint");
        toolkitsim::Click(*FFuncwizard->btnCancel);
    });
}

TEST_F(CmdWizardRulesTest, AChangebufStepNeedsItsOperationNotAStaleValue) {
    RunWizard(KindCmdwizard, [] {
        TFCmdwizard& w = *FCmdwizard;
        toolkitsim::TypeText(*w.eCmdName, "Cmd");
        toolkitsim::ChooseItem(*w.cmbType, "changebuf");
        EXPECT_FALSE(w.cmbParam1->Visible) << "the operation waits for the buffer";
        toolkitsim::Click(*w.rbtnInteger);
        EXPECT_TRUE(w.cmbParam1->Visible);
        EXPECT_EQ(Texts(w.cmbParam1->Items).size(), static_cast<std::size_t>(IntOperationCount));
        toolkitsim::ChooseItem(*w.cmbParam1, "iBuf + X");
        toolkitsim::TypeText(*w.cmbParam2, "5");
        EXPECT_TRUE(w.btnAdd->Enabled);
        // Another buffer: the operations are offered anew, the value is hidden but kept.
        toolkitsim::Click(*w.rbtnText);
        EXPECT_EQ(w.cmbParam1->Items[0], "Add");
        EXPECT_EQ(w.cmbParam1->Text(), "");
        EXPECT_FALSE(w.cmbParam2->Visible);
        EXPECT_EQ(w.cmbParam2->Text(), "5");
        EXPECT_FALSE(w.IsStepComplete());
        EXPECT_FALSE(w.btnAdd->Enabled);
        w.btnAddClick(w.btnAdd);
        EXPECT_EQ(w.stgCommand->Cells(1, 1), "") << "no step without an operation";
        // Operations without a value complete the step at once, the others want one.
        toolkitsim::ChooseItem(*w.cmbParam1, "Txt = Int + Txt");
        EXPECT_TRUE(w.btnAdd->Enabled);
        toolkitsim::ChooseItem(*w.cmbParam1, "Left");
        EXPECT_TRUE(w.cmbParam2->Visible);
        EXPECT_EQ(w.cmbParam2->Text(), "") << "the value field comes back emptied";
        EXPECT_FALSE(w.btnAdd->Enabled);
        toolkitsim::Click(*w.btnCancel);
    });
}

TEST_F(CmdWizardRulesTest, KeyFieldsOfferTheRemainingKeysAndANewFirstKeyResetsTheSecond) {
    const auto key = [](int vk) { return ShownAs(Runtime.VKEY, VKeyCount, vk); };
    Rows rows;
    RunWizard(KindCmdwizard, [&] {
        TFCmdwizard& w = *FCmdwizard;
        toolkitsim::TypeText(*w.eCmdName, "Cmd");
        toolkitsim::ChooseItem(*w.cmbType, "keybevent");
        EXPECT_FALSE(w.cmbParam2->Visible);
        toolkitsim::ChooseItem(*w.cmbParam1, key(VK_CONTROL));
        ASSERT_TRUE(w.cmbParam2->Visible);
        EXPECT_EQ(w.cmbParam2->Items.Count(), VKeyCount) << "an empty entry, less the first key";
        EXPECT_EQ(w.cmbParam2->Items[0], "");
        EXPECT_EQ(w.cmbParam2->ItemIndex, 0);
        EXPECT_EQ(w.cmbParam2->Items.IndexOf(key(VK_CONTROL)), -1);
        toolkitsim::ChooseItem(*w.cmbParam2, key(VK_MENU));
        toolkitsim::ChooseItem(*w.cmbParam3, key(VK_DELETE));
        toolkitsim::ChooseItem(*w.cmbParam4, key(VK_SPACE));
        EXPECT_EQ(w.cmbParam4->Items.Count(), VKeyCount - 2);
        toolkitsim::ChooseItem(*w.cmbParam1, key(VK_SHIFT));
        EXPECT_EQ(w.cmbParam2->Text(), "");
        EXPECT_TRUE(w.cmbParam3->Visible);
        EXPECT_EQ(w.cmbParam3->Text(), key(VK_DELETE));
        EXPECT_TRUE(w.cmbParam4->Visible);
        EXPECT_EQ(w.lblType->Caption, KeywordToText(Runtime.CMDTYPE, CmdTypeCount, "keybevent") +
                                          "\n\n" + key(VK_SHIFT) + " + " + key(VK_DELETE) + " + " +
                                          key(VK_SPACE));
        toolkitsim::Click(*w.btnAdd);
        rows = GridRows(*w.stgCommand);
        // Emptying a field hides every later one.
        toolkitsim::ChooseItem(*w.cmbType, "keybevent");
        toolkitsim::ChooseItem(*w.cmbParam1, key(VK_SHIFT));
        toolkitsim::ChooseItem(*w.cmbParam2, key(VK_MENU));
        toolkitsim::ChooseItem(*w.cmbParam3, key(VK_DELETE));
        toolkitsim::ChooseItem(*w.cmbParam2, "");
        EXPECT_FALSE(w.cmbParam3->Visible);
        EXPECT_FALSE(w.cmbParam4->Visible);
        EXPECT_EQ(w.cmbParam3->Items.Count(), 0);
        toolkitsim::Click(*w.btnCancel);
    });
    EXPECT_EQ(rows, (Rows{{"Cmd", "keybevent", "16", "0", "", ""},
                          {"", "keybevent", "16", "2", "", ""}}));
}

TEST_F(CmdWizardRulesTest, DelRemovesTheCurrentRowAndTheNameMovesOntoTheNewFirstRow) {
    RunWizard(KindCmdwizard, [] {
        TFCmdwizard& w = *FCmdwizard;
        AddSteps(
            w, "Cmd",
            {Step("keybevent", {PickRow(1, Runtime.VKEY, VKeyCount, VK_SPACE)}), Step("show_bar")});
        EXPECT_FALSE(w.eCmdName->Enabled) << "the name is fixed while the grid holds steps";
        EXPECT_EQ(w.stgCommand->Row, 3) << "the last row is current after Add";
        toolkitsim::ClickCell(*w.stgCommand, 2, 1);
        toolkitsim::Click(*w.btnDel);
        EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"Cmd", "keybevent", "32", "2", "", ""},
                                                 {"", "show_bar", "", "", "", ""}}));
        toolkitsim::ClickCell(*w.stgCommand, 1, 2);
        toolkitsim::Click(*w.btnDel);
        EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"Cmd", "keybevent", "32", "2", "", ""}}));
        EXPECT_TRUE(w.btnOk->Enabled);
        toolkitsim::Click(*w.btnDel);
        EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"", "", "", "", "", ""}}));
        EXPECT_TRUE(w.eCmdName->Enabled);
        for (TButton* b : {w.btnDel, w.btnOk, w.btnApply})
            EXPECT_FALSE(b->Enabled) << b->Name;
        toolkitsim::Click(*w.btnCancel);
    });
}

TEST_F(CmdWizardRulesTest, DraggedRowsKeepExactlyOneNamedFirstRowAndAreStoredInTheirNewOrder) {
    EmptyConfigCommands();
    RunWizard(KindCmdwizard, [] {
        TFCmdwizard& w = *FCmdwizard;
        AddSteps(w, "Cmd", {Step("time"), Step("show_bar"), Step("show_timer")});
        toolkitsim::DragRow(*w.stgCommand, 1, 3);
        EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"Cmd", "show_bar", "", "", "", ""},
                                                 {"", "show_timer", "", "", "", ""},
                                                 {"", "time", "", "", "", ""}}));
        toolkitsim::DragRow(*w.stgCommand, 3, 2);
        toolkitsim::DragRow(*w.stgCommand, 2, 1);
        EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"Cmd", "time", "", "", "", ""},
                                                 {"", "show_bar", "", "", "", ""},
                                                 {"", "show_timer", "", "", "", ""}}));
        toolkitsim::DragRow(*w.stgCommand, 2, 3);
        toolkitsim::Click(*w.btnOk);
    });
    EXPECT_EQ(GridRows(*FConfig->stgCommand), (Rows{{"Cmd", "time", "", "", "", ""},
                                                    {"", "show_timer", "", "", "", ""},
                                                    {"", "show_bar", "", "", "", ""}}));
}

TEST_F(CmdWizardRulesTest, StoringAppendsAfterTheOtherCommandsAndADuplicateNameIsAsked) {
    TStringGrid& config = *FConfig->stgCommand;
    config.RowCount = 3;
    config.Cells(0, 1) = "CMD";
    config.Cells(1, 1) = "time";
    config.Cells(1, 2) = "show_bar";
    config.Tag = 0;
    FConfig->btnDel->Enabled = false;
    const Rows before = GridRows(config);
    // No to the question: nothing is stored and the wizard stays open.
    toolkitsim::QueueAnswer(mrNo);
    const bool stayed = RunWizard(KindCmdwizard, [] {
        AddSteps(*FCmdwizard, "cmd", {Step("show_timer")});
        toolkitsim::Click(*FCmdwizard->btnOk);
        EXPECT_FALSE(FCmdwizard->CloseDone);
    });
    EXPECT_TRUE(stayed);
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Dialog);
    EXPECT_EQ(boxes[0].text, SpliceString(Lang("msg_duplcmd"), "CMD"));
    EXPECT_EQ(GridRows(config), before);
    EXPECT_EQ(config.Tag, 0);

    // Another name goes after the commands there; Apply starts over for the next one.
    RunWizard(KindCmdwizard, [] {
        TFCmdwizard& w = *FCmdwizard;
        AddSteps(w, "Other", {Step("show_timer"), Step("time")});
        toolkitsim::Click(*w.btnApply);
        EXPECT_FALSE(w.CloseDone) << "Apply keeps the wizard open";
        EXPECT_TRUE(w.eCmdName->Enabled);
        EXPECT_EQ(w.eCmdName->Text(), "");
        EXPECT_FALSE(w.grbType->Enabled) << "back to a wizard without a name";
        EXPECT_EQ(w.cmbType->ItemIndex, -1);
        EXPECT_EQ(GridRows(*w.stgCommand), (Rows{{"", "", "", "", "", ""}}));
        for (TButton* b : {w.btnDel, w.btnOk, w.btnApply})
            EXPECT_FALSE(b->Enabled) << b->Name;
        AddSteps(w, "Third", {Step("show_bar")});
        toolkitsim::Click(*w.btnCancel);
    });
    EXPECT_EQ(GridRows(config), (Rows{{"CMD", "time", "", "", "", ""},
                                      {"", "show_bar", "", "", "", ""},
                                      {"Other", "show_timer", "", "", "", ""},
                                      {"", "time", "", "", "", ""}}))
        << "Cancel drops the unstored command, Apply's stays";
    EXPECT_EQ(config.Tag, 1);
    EXPECT_EQ(config.Row, 4);
    EXPECT_TRUE(FConfig->btnDel->Enabled);
}

TEST_F(CmdWizardRulesTest, YesToTheDuplicateReplacesTheCommandWhichMovesToTheEnd) {
    FConfig->btnDel->Enabled = false;
    TStringGrid& config = *FConfig->stgCommand;
    config.RowCount = 4;
    config.Cells(0, 1) = "CMD";
    config.Cells(1, 1) = "time";
    config.Cells(1, 2) = "show_bar";
    config.Cells(0, 3) = "Other";
    config.Cells(1, 3) = "show_timer";
    toolkitsim::QueueAnswer(mrYes);
    EXPECT_FALSE(RunWizard(KindCmdwizard, [] {
        AddSteps(*FCmdwizard, "cmd", {Step("showfunction")});
        toolkitsim::Click(*FCmdwizard->btnOk);
    }));
    EXPECT_EQ(GridRows(config), (Rows{{"Other", "show_timer", "", "", "", ""},
                                      {"cmd", "showfunction", "", "", "", ""}}))
        << "the old rows go, the new command stands at the end in the wizard's letter case";
    EXPECT_EQ(config.Tag, 1);
    EXPECT_EQ(config.Row, 2);
    EXPECT_TRUE(FConfig->btnDel->Enabled);
    // The only command replaced: its block goes, and its empty row is reused.
    EmptyConfigCommands();
    config.Cells(0, 1) = "Solo";
    config.Cells(1, 1) = "time";
    toolkitsim::QueueAnswer(mrYes);
    EXPECT_FALSE(RunWizard(KindCmdwizard, [] {
        AddSteps(*FCmdwizard, "SOLO", {Step("show_bar"), Step("show_timer")});
        toolkitsim::Click(*FCmdwizard->btnOk);
    }));
    EXPECT_EQ(GridRows(config),
              (Rows{{"SOLO", "show_bar", "", "", "", ""}, {"", "show_timer", "", "", "", ""}}));
}

TEST_F(CmdWizardRulesTest, TheWizardsGridHasTheCommandGridsTitles) {
    RunWizard(KindCmdwizard, [] {
        const char* keys[] = {"lbl_cmdname", "lbl_cmd",    "lbl_param1",
                              "lbl_param2",  "lbl_param3", "lbl_param4"};
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(FCmdwizard->stgCommand->Cells(c, 0), GetLangText("Labels", keys[c]));
        EXPECT_FALSE(FCmdwizard->stgCommand->Cells(0, 0).empty());
        toolkitsim::Click(*FCmdwizard->btnCancel);
    });
}

TEST_F(CmdWizardRulesTest, AMovedWizardSavesItsLayoutWhenItCloses) {
    RunWizard(KindCmdwizard, [] {
        FCmdwizard->Left = FCmdwizard->Left + 17;
        toolkitsim::Click(*FCmdwizard->btnCancel);
        EXPECT_EQ(FCmdwizard->Tag, 1);
    });
    TIniFile config(Prog("config.ini"));
    EXPECT_NE(config.ReadInteger("FCmdwizard", "Left", -1), -1);
    RunWizard(KindCmdwizard, [] {
        toolkitsim::Click(*FCmdwizard->btnCancel);
        EXPECT_EQ(FCmdwizard->Tag, 0) << "unmoved";
    });
}

// The keyword lists cannot be read: the message, and the wizard closes at once by itself,
// with nothing stored.
TEST_F(CmdWizardRulesTest, WithoutItsKeywordListsTheWizardClosesAtOnceAndStoresNothing) {
    EmptyConfigCommands();
    ASSERT_EQ(Runtime.KeywordsLoaded, 0);
    auto* wizard = static_cast<TFCmdwizard*>(CreateDialogOfKind(KindCmdwizard, Application));
    ASSERT_EQ(wizard, FCmdwizard);
    bool shown = false;
    toolkitsim::OnModal([&](TCustomForm&) {
        allocation_hooks::FailFrom(0);
        shown = true;
    });
    // Reading the language file fails for want of memory, after the form was made.
    allocation_hooks::FailFrom(4096);
    wizard->ShowModal();
    allocation_hooks::FailFrom(0);
    toolkitsim::RunFor(10);
    toolkitsim::OnModal(nullptr);
    EXPECT_TRUE(shown);
    EXPECT_EQ(FCmdwizard, nullptr) << "closed and freed without a tick of the window manager";
    EXPECT_EQ(DialogOfKind(KindCmdwizard), nullptr);
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Message);
    EXPECT_EQ(Runtime.KeywordsLoaded, 0);
    EXPECT_EQ(Runtime.FormSlots[KindCmdwizard].Hold, 0);
    EXPECT_EQ(GridRows(*FConfig->stgCommand), (Rows{{"", "", "", "", "", ""}}));
    EXPECT_EQ(FConfig->stgCommand->Tag, 0);
    // The next opening loads the lists and works.
    EXPECT_EQ(BuildRows({Step("time")}), (Rows{{"Cmd", "time", "", "", "", ""}}));
}
} // namespace
