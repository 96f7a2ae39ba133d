// Simulator runs that work the settings dialog as the user does: its tabs, rows, learning from
// the receiver, questions, input boxes and closes, and the failures of actions it cannot do.
#include "run_checks.h"
#include "scenario.h"
#include "simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using simulator::testing::Failures;
using simulator::testing::Reports;

// The example folder with the code and command pages shown; the search at start is declined.
simulator::RunResult RunDialog(const std::string& text, bool extOptions = true) {
    simulator::Scenario scenario;
    std::string error;
    EXPECT_TRUE(
        simulator::ParseScenario((extOptions ? "setting Interface \"ext options\" 1\n" : "") +
                                     std::string("answer no\n") + text,
                                 scenario, &error))
        << error;
    std::ostringstream out;
    return simulator::RunScenario(scenario, EXAMPLE_FOLDER, out);
}

TEST(DialogRunTest, ANewButtonIsAddedLearntFromTheReceiverAndKnownAfterOk) {
    const auto run = RunDialog("settings\nwait 200\ntab 1\n"
                               "input NewBtn\nclick btnAdd\nwait 200\n"
                               "expect vleCode row 9: \"NewBtn\" = \"\"\n"
                               "expect learning the code of row 9 \"NewBtn\"\n"
                               "press code 0x1C0\nwait 300\n"
                               "expect vleCode row 9: \"NewBtn\" = \"448\"\n"
                               "expect learning ended\n"
                               "click btnOk\nwait 500\n"
                               "expect file written: C:\\Tavrin RC\\Bin\\usercode.bin\n"
                               "expect settings window closed\n"
                               "press NewBtn\nwait 300\n"
                               "expect info window \"\"NewBtn\"\"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_TRUE(Reports(run, "settings window on tab 0 "));
    EXPECT_TRUE(Reports(run, "settings window on tab 1 "));
    EXPECT_TRUE(Reports(run, "input box ") && Reports(run, " answered OK"));
    EXPECT_TRUE(Reports(run, "> button NewBtn (0x1C0)"));
}

TEST(DialogRunTest, ADoubleClickLearnsARowAndTheTitleBarsCloseKeepsTheOldCode) {
    const auto run = RunDialog("settings\nwait 200\ntab 1\nlearn play\nwait 100\n"
                               "expect learning the code of row 0 \"Play\"\n"
                               "press code 0x1C1\nwait 300\n"
                               "expect vleCode row 0: \"Play\" = \"449\"\n"
                               "close\nwait 500\n"
                               "expect settings window closed\n"
                               "expect-not usercode.bin\n"
                               "press Play\nwait 300\nexpect key down vk 13\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_TRUE(Reports(run, "> double click on row 0 \"Play\" of vleCode"));
    EXPECT_TRUE(Reports(run, "> the title bar closes FConfig"));
}

TEST(DialogRunTest, QuestionsTakeTheScenariosAnswers) {
    const auto run = RunDialog("settings\nwait 200\ntab 1\nselect vleCode Pause\n"
                               "answer no\nclick btnDel\nwait 100\n"
                               "expect answered No\nexpect-not removed\n"
                               "answer yes\nclick btnDel\nwait 100\n"
                               "expect answered Yes\nexpect vleCode row 8 removed\n"
                               "select vleCode row 2\nanswer yes\nclick btnDel\nwait 100\n"
                               "expect vleCode row 2: \"Vol+\" = \"426\"\n"
                               "click btnCancel\nwait 500\nexpect settings window closed\n"
                               "expect-not usercode.bin\n"
                               // Cancel keeps the deleted button in the code table.
                               "press Pause\nwait 300\nexpect info window \"\"Pause\"\"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
}

TEST(DialogRunTest, AChangedFunctionGridIsOfferedForSavingAndCancelDiscardsIt) {
    // Without the extended options the function page is tab 2.
    const auto run =
        RunDialog("settings\nwait 200\ntab 2\nchoose cmbFunction system\n"
                  "wait 100\nexpect stgFunc row 8: \"Music\" \"nohold\" \"\"Music\"\"\n"
                  "edit stgFunc 2 row 1 \"Up\"+\"Down\"\nwait 100\n"
                  "expect stgFunc row 1: \"Enter\" \"nohold\" \"\"Up\"+\"Down\"\"\n"
                  "answer no\nchoose cmbFunction Player\nwait 100\n"
                  "expect answered No\n"
                  "expect stgFunc row 1: \"Pause\" \"nohold\" \"\"Pause\"\"\n"
                  "expect stgFunc rows 2 to 8 removed\n"
                  "expect file written: C:\\Tavrin RC\\Bin\\userfuncSystem.tmp\n"
                  "click btnCancel\nwait 500\n"
                  "expect file deleted: C:\\Tavrin RC\\Bin\\userfuncSystem.tmp\n"
                  "press Play\nwait 300\nexpect key down vk 13\n",
                  false);
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_TRUE(Reports(run, "> \"System\" chosen in cmbFunction"));
    EXPECT_TRUE(Reports(run, "> column 2 of row 1 of stgFunc edited to \"\"Up\"+\"Down\"\""));
}

TEST(DialogRunTest, ACancelledInputBoxAddsNothing) {
    const auto run = RunDialog("settings\nwait 200\ntab 1\ninput-cancel\nclick btnAdd\n"
                               "wait 100\nexpect answered Cancel\nexpect-not vleCode row 9\n"
                               "expect-not learning\nclick btnOk\nwait 500\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_TRUE(Reports(run, "> the next input box is cancelled"));
}

TEST(DialogRunTest, WithoutExtOptionsTheCodePageHasNoTab) {
    const auto run = RunDialog("settings\nwait 200\ntab 3\nclick btnCancel\nwait 500\n", false);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.failures.size(), 1u) << Failures(run);
    EXPECT_EQ(run.failures[0].rfind("line 4: no tab \"3\" among the 3 shown: ", 0), 0u)
        << run.failures[0];
}

TEST(DialogRunTest, ActionsTheUserCannotDoAreFailures) {
    // Each line is one the user could not do; the scenario goes on after each.
    const auto run = RunDialog("tab 1\nclick btnOk\nsettings\nwait 200\n"
                               "click btnAdd\nselect vleCode Play\ntab 1\n"
                               "click btnNowhere\nselect btnOk Play\nselect vleCode Rewind\n"
                               "select vleCode row 40\nlearn row 9\nedit vleCode 5 Play 1\n"
                               "edit vleCode 1 Play 1\nchoose cmbFunction Nobody\n"
                               "tab Nowhere\nclose FNowhere\nclick btnAdd\ntab 4\n"
                               "choose cmbFunction Nobody\n"
                               "click btnCancel\nwait 500\n");
    EXPECT_EQ(run.exitCode, 1);
    // A line ending in a blank is the start of the failure: captions follow it.
    const std::vector<std::string> expected = {
        "line 3: no dialog is open",
        "line 4: no dialog is open",
        "line 7: \"btnAdd\" is disabled",
        "line 8: \"vleCode\" is not showing: \"pCode\" is hidden",
        "line 10: no \"btnNowhere\" in the open dialogs",
        "line 11: \"btnOk\" is not a grid",
        "line 12: no row \"Rewind\" in \"vleCode\"",
        "line 13: \"vleCode\" has no row 40",
        "line 14: \"vleCode\" has no row 9",
        "line 15: \"vleCode\" has no column 5",
        "line 16: the cell, column 1 of row 0 of vleCode, cannot be edited or refused the text",
        "line 17: \"cmbFunction\" is not showing: \"pFunction\" is hidden",
        "line 18: no tab \"Nowhere\" among the 5 shown: ",
        "line 19: no \"FNowhere\" in the open dialogs",
        "line 20: an input box ",
        "line 22: no item \"Nobody\" in cmbFunction, only \"System\", \"Player\"",
    };
    ASSERT_EQ(run.failures.size(), expected.size()) << Failures(run);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i]);
        if (expected[i].ends_with(" "))
            EXPECT_EQ(run.failures[i].rfind(expected[i], 0), 0u) << run.failures[i];
        else
            EXPECT_EQ(run.failures[i], expected[i]);
    }
}

} // namespace
