// Simulator runs with the actions a user takes beyond clicks and grids: typing, keys, the file
// and colour dialogs, track bars, the tray menu, a restart on the same machine, files shown in
// the report, further drives and files with attributes.
#include "run_checks.h"
#include "scenario.h"
#include "simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using simulator::testing::Failures;

// The example folder with every page shown; the search at start is declined.
simulator::RunResult RunActions(const std::string& text) {
    simulator::Scenario scenario;
    std::string error;
    EXPECT_TRUE(simulator::ParseScenario("setting Interface \"ext options\" 1\nanswer no\n" + text,
                                         scenario, &error))
        << error;
    std::ostringstream out;
    return simulator::RunScenario(scenario, EXAMPLE_FOLDER, out);
}

std::size_t Count(const simulator::RunResult& run, const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(run.report.begin(), run.report.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        }));
}

// The place and size the nth look at the window reported: left, top, width, height.
std::vector<int> Looked(const simulator::RunResult& run, const std::string& window, int nth) {
    for (const std::string& line : run.report) {
        const std::size_t at = line.find("] " + window + " window at ");
        if (at == std::string::npos || nth-- > 0)
            continue;
        std::vector<int> numbers(4);
        std::istringstream in(line.substr(at + window.size() + 13));
        char comma = 0, x = 0;
        std::string size;
        in >> numbers[0] >> comma >> numbers[1] >> size >> numbers[2] >> x >> numbers[3];
        return numbers;
    }
    return {};
}

constexpr char kCommandWizard[] = "settings\nwait 200\ntab 3\nchoose cmbCommand System\n"
                                  "wait 100\nclick btnAdd\nwait 200\n";

TEST(ActionRunTest, TypedTextPassesTheFieldsFilterAndKeysReachTheFocusedControl) {
    // The mouse position's fields take digits and one leading minus, four at most.
    const auto run = RunActions(std::string(kCommandWizard) +
                                "type eCmdName Jump\nwait 100\nexpect text \"Jump\"\n"
                                "choose cmbType setcurpos\nwait 100\n"
                                "type cmbParam1 -1a2-3\ntype cmbParam2 123456\nwait 100\n"
                                "expect cmbParam1 \"-123\" \"Y\" cmbParam2 \"1234\"\n"
                                // Esc on the wizard closes it and stores nothing.
                                "key Esc\nwait 200\nexpect command wizard window closed\n"
                                "expect-not FConfig.stgCommand row 10\n"
                                "click btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_EQ(Count(run, "> \"-1a2-3\" typed into cmbParam1"), 1u);
    EXPECT_EQ(Count(run, "> key Esc on cmbParam2"), 1u) << "the field typed into last";
}

TEST(ActionRunTest, AStepDraggedAboveTheFirstTakesTheCommandsName) {
    const auto run =
        RunActions(std::string(kCommandWizard) +
                   "type eCmdName Two\nchoose cmbType time\nclick btnAdd\n"
                   "choose cmbType mode\nchoose cmbParam1 мышь\nclick btnAdd\n"
                   "wait 100\nexpect FCmdwizard.stgCommand row 2: \"\" \"mode\" \"1\"\n"
                   "drag stgCommand 2 1\nwait 100\n"
                   "expect FCmdwizard.stgCommand row 1: \"Two\" \"mode\" \"1\"\n"
                   "expect FCmdwizard.stgCommand row 2: \"\" \"time\"\n"
                   "drag stgCommand 1 3\nchoose cmbParam1 nowhere\n"
                   "click btnCancel\nclick btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {"line 22: \"stgCommand\" has no row 3",
                                               "line 23: \"cmbParam1\" is not showing"};
    EXPECT_EQ(run.failures, expected) << Failures(run);
}

TEST(ActionRunTest, CancelledFileAndColourDialogsChangeNothing) {
    const auto run =
        RunActions("settings\nwait 200\n"
                   "colour-cancel\ndblclick panInfoColor\nwait 100\n"
                   "expect colour dialog \"\" answered Cancel\nexpect-not info window\n"
                   "tab 2\ninput Viewer\nopen-file-cancel\nclick btnAdd\nwait 100\n"
                   "expect file dialog \"Новое приложение\" answered Cancel\n"
                   "expect-not stgAppl row 3\nexpect-not program started\n"
                   "click btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
}

TEST(ActionRunTest, AnAnswerForAnotherDialogFailsTheRun) {
    const auto run = RunActions("settings\nwait 200\ncolour #00FF00\ntab 2\ninput Viewer\n"
                                "click btnAdd\nwait 100\nclick btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(Failures(run).find("opened, but the answer queued is for a colour dialog"),
              std::string::npos)
        << Failures(run);
}

TEST(ActionRunTest, TrackBarsMoveWithinTheirRangeOnTheirPage) {
    const auto run =
        RunActions("settings\nwait 200\ntrack trbBarSize 100\nwait 100\n"
                   "expect bar window\ntrack trbBarSize 5000\ntab 1\ntrack trbBarSize 20\n"
                   "track btnOk 3\nclick btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.failures.size(), 3u) << Failures(run);
    EXPECT_EQ(run.failures[0].rfind("line 8: \"trbBarSize\" goes from ", 0), 0u) << run.failures[0];
    EXPECT_NE(run.failures[0].find(", not to 5000"), std::string::npos) << run.failures[0];
    EXPECT_EQ(run.failures[1], "line 10: \"trbBarSize\" is not showing: \"pOutput\" is hidden");
    EXPECT_EQ(run.failures[2], "line 11: \"btnOk\" is not a track bar");
}

TEST(ActionRunTest, ALookAtAControlShowsWhatTheUserSees) {
    const auto run =
        RunActions("settings\nwait 200\n"
                   "track trbTxtSize 60\nlook trbTxtSize\nexpect trbTxtSize at 60 of 12 to 150\n"
                   "click chbAlpha\nlook chbAlpha\nexpect chbAlpha checked\n"
                   "look btnDel\nexpect btnDel colour system colour 15 \"Удалить\", disabled\n"
                   "tab 2\nlook lboxAudio\nexpect lboxAudio [\"Player\"]\n"
                   "look cmbFunction\nclick btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {
        "line 16: \"cmbFunction\" is not showing: \"pFunction\" is hidden"};
    EXPECT_EQ(run.failures, expected) << Failures(run);
}

TEST(ActionRunTest, TheTrayMenuByNameOrCaptionAndTheItemsNoScenarioReaches) {
    const auto run =
        RunActions("wait 100\nmenu NHelp\nwait 100\nexpect by ShellExecuteA: C:\\Tavrin RC\\\n"
                   "menu справка\nmenu NNowhere\nmenu NSearchAppl\nsettings\nwait 200\n"
                   "restart\nclick btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {
        "line 8: no item \"NNowhere\" in the tray menu (NHelp, NPlayList, NParam, NSearchAppl, "
        "NExit)",
        "line 9: the search window cannot be worked in a scenario",
        "line 12: the dialog FConfig is open: close it first",
    };
    EXPECT_EQ(run.failures, expected) << Failures(run);
    EXPECT_EQ(Count(run, "> the tray menu's \"NHelp\""), 2u);
    // The refused restart leaves the program running the rest of the scenario.
    EXPECT_EQ(Count(run, "> click on btnCancel"), 1u);
    EXPECT_EQ(Count(run, "starts again"), 0u);
}

TEST(ActionRunTest, ARestartKeepsTheFilesAndStartsTheProgramAfresh) {
    // A new button learnt and saved, then known after the restart; the first start's question
    // comes again, since the search never ran.
    const auto run = RunActions("settings\nwait 200\ntab 1\ninput Rec\nclick btnAdd\nwait 200\n"
                                "press code 0x1C0\nwait 300\nclick btnOk\nwait 500\n"
                                "restart\nanswer no\nwait 100\nexpect answered No\n"
                                "press Rec\nwait 300\nexpect info window \"\"Rec\"\"\n"
                                "settings\nwait 200\n"
                                "expect FConfig.vleCode row 9: \"Rec\" = \"448\"\n"
                                "click btnCancel\nwait 300\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_EQ(Count(run, "> exit from the tray menu, to start again"), 1u);
    EXPECT_EQ(Count(run, "> Tavrin RC starts again from C:\\Tavrin RC\\"), 1u);
    EXPECT_EQ(Count(run, "] question \""), 2u);
}

TEST(ActionRunTest, AnswersLeftAtARestartFailTheRun) {
    const auto run =
        RunActions("wait 100\ninput never\nanswer yes\nrestart\nanswer no\nwait 100\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {
        "1 answer(s) of the scenario never used before the restart",
        "1 answer(s) for input, file or colour dialogs never used before the restart",
    };
    EXPECT_EQ(run.failures, expected) << Failures(run);
}

TEST(ActionRunTest, FilesAreShownRecordByRecordOrLineByLine) {
    const auto run =
        RunActions("wait 100\n"
                   "show \"C:\\Tavrin RC\\Bin\\defcode.bin\"\n"
                   "expect defcode.bin: 9 record(s)\n"
                   "expect defcode.bin record 9: Name \"Pause\" Code 416\n"
                   "show \"C:\\Tavrin RC\\Bin\\defcmdSystem.bin\"\n"
                   "expect defcmdSystem.bin record 1: Name \"Enter\" Step 1 StepCount 2 "
                   "CmdType keybevent Param1 \"13\" Param2 \"0\" Param3 \"\" Param4 \"\"\n"
                   "expect defcmdSystem.bin record 2: Name \"\" Step 2\n"
                   "show \"c:\\tavrin rc\\bin\\DEFFUNCSYSTEM.BIN\"\n"
                   "expect record 7: CmdName \"Clock\" RcMode nohold Keys \"\"Clock\"\"\n"
                   "show \"C:\\Tavrin RC\\Bin\\defappl.bin\"\n"
                   "expect defappl.bin record 1: Name \"Player\" ClassName \"PlayerMain\" "
                   "Path \"C:\\Apps\\Player.exe\"\n"
                   "show \"C:\\Tavrin RC\\Bin\\favoritAudio.bin\"\n"
                   "expect favoritAudio.bin: 1 line(s)\n"
                   "expect favoritAudio.bin line 1: Player\n"
                   // A record file cut short shows what is left over.
                   "file \"C:\\Tavrin RC\\Bin\\usercode2.bin\" readonly\n"
                   "show \"C:\\Tavrin RC\\Bin\\usercode2.bin\"\n"
                   "expect usercode2.bin: 0 record(s), read-only\n"
                   "expect usercode2.bin: 2 byte(s) after the last record\n"
                   "show \"C:\\Tavrin RC\\Bin\\none.bin\"\n");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.failures.size(), 1u) << Failures(run);
    EXPECT_EQ(run.failures[0],
              "line 21: no file C:\\Tavrin RC\\Bin\\none.bin on the simulated drive");
}

TEST(ActionRunTest, FurtherDrivesAndFilesWithAttributes) {
    // A read-only config.ini: the settings cannot be saved, and the program says so.
    const auto run = RunActions("drive D:\nfile \"D:\\Tools\\tool.exe\" hidden system\n"
                                "file \"C:\\Tavrin RC\\config.ini\" readonly\n"
                                "wait 100\nshow \"D:\\Tools\\tool.exe\"\n"
                                "expect D:\\Tools\\tool.exe: 1 line(s), hidden, system\n"
                                "expect tool.exe line 1: MZ\n"
                                "settings\nwait 200\nclick btnOk\nwait 500\n"
                                "expect message \"Не найден файл настроек.\"\n"
                                "expect-not file written: C:\\Tavrin RC\\config.ini\n"
                                "drive D\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {"line 16: the drive D: is there already"};
    EXPECT_EQ(run.failures, expected) << Failures(run);
}

TEST(ActionRunTest, OnScreenWindowsAreDraggedAndDoubleClickedAway) {
    const auto run = RunActions("press Play\nwait 300\nlook info\nexpect text colour #27F8AE\n"
                                "move FInfo 30 40\nwait 100\nlook info\n"
                                "dblclick FInfo.lblMsgtext\nwait 300\nexpect info window closed\n"
                                "expect file written: C:\\Tavrin RC\\config.ini\n"
                                "show \"C:\\Tavrin RC\\config.ini\"\nexpect Top=40\n"
                                "look info\nlook nowhere\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {
        "line 16: the info window is not on the screen",
        "line 17: no on-screen window or control \"nowhere\" (info, bar, clock, list, input, "
        "settings, or a control's name)"};
    ASSERT_EQ(run.failures.size(), 2u) << Failures(run);
    EXPECT_EQ(run.failures[0], expected[0]);
    EXPECT_EQ(run.failures[1].substr(9), expected[1].substr(9));
    const std::vector<int> before = Looked(run, "info", 0), after = Looked(run, "info", 1);
    ASSERT_EQ(before.size(), 4u);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after, (std::vector<int>{before[0] + 30, before[1] + 40, before[2], before[3]}));
}

TEST(ActionRunTest, EveryOnScreenWindowShownTakesTheMouse) {
    // The clock and the info window with the command's name stand side by side.
    const auto run = RunActions("press Clock\nwait 300\nexpect clock window\n"
                                "dblclick FTime.lblMsgtext\nwait 300\nexpect clock window closed\n"
                                "expect-not info window closed\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
}

TEST(ActionRunTest, ADialogMovedAndSizedIsStoredWhereTheUserLeftIt) {
    const auto run = RunActions("press Play\nwait 300\nresize FInfo 100 100\n"
                                "settings\nwait 200\nlook settings\n"
                                "move FConfig -20 10\nresize FConfig 700 550\nwait 100\n"
                                "look settings\nexpect size 700x550\n"
                                "click btnOk\nwait 500\nshow \"C:\\Tavrin RC\\config.ini\"\n"
                                "expect Height=550\nexpect Width=700\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {"line 5: \"FInfo\" has no border to size it by"};
    EXPECT_EQ(run.failures, expected) << Failures(run);
    const std::vector<int> before = Looked(run, "settings", 0), after = Looked(run, "settings", 1);
    ASSERT_EQ(before.size(), 4u);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after, (std::vector<int>{before[0] - 20, before[1] + 10, 700, 550}));
    // Where the user left it is where the next opening finds it.
    const auto section = std::find_if(run.report.begin(), run.report.end(), [](const auto& l) {
        return l.find("config.ini line") != std::string::npos && l.ends_with(": [FConfig]");
    });
    ASSERT_GE(std::distance(section, run.report.end()), 3);
    EXPECT_TRUE(section[1].ends_with(": Top=" + std::to_string(after[1]))) << section[1];
    EXPECT_TRUE(section[2].ends_with(": Left=" + std::to_string(after[0]))) << section[2];
}

} // namespace
