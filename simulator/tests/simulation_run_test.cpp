// Simulator runs of the tray program with the example folder: what the report shows, and the
// exit code when an expectation fails.
#include "scenario.h"
#include "simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

// The example folder asks at start whether to search for applications; the runs say no.
simulator::RunResult RunText(const std::string& text, bool answerAtStart = true) {
    simulator::Scenario scenario;
    std::string error;
    EXPECT_TRUE(
        simulator::ParseScenario((answerAtStart ? "answer no\n" : "") + text, scenario, &error))
        << error;
    std::ostringstream out;
    return simulator::RunScenario(scenario, EXAMPLE_FOLDER, out);
}

std::string Failures(const simulator::RunResult& run) {
    std::string text;
    for (const auto& f : run.failures)
        text += f + "\n";
    return text;
}

bool Reports(const simulator::RunResult& run, const std::string& text) {
    return std::any_of(run.report.begin(), run.report.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

TEST(SimulationRunTest, ButtonPressRunsItsCommandThroughTheMainTick) {
    const auto run = RunText("press Play\nwait 300\nexpect key down vk 13\nexpect key up vk 13\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.failures.empty()) << Failures(run);
    EXPECT_TRUE(Reports(run, "[   0.000] > button Play (0x1A5)"));
    EXPECT_TRUE(Reports(run, "info window \"Enter\""));
    EXPECT_TRUE(Reports(run, "> Tavrin RC has ended"));
}

TEST(SimulationRunTest, FailedExpectationGivesExitCodeOne) {
    const auto run =
        RunText("press Vol-\nwait 300\nexpect key down vk 13\nexpect-not volume set\n");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.failures.size(), 2u);
    EXPECT_EQ(run.failures[0], "line 4: expected \"key down vk 13\"");
    EXPECT_EQ(run.failures[1], "line 5: did not expect \"volume set\"");
    EXPECT_TRUE(Reports(run, "volume set: left 0x666A right 0x666A"));
}

TEST(SimulationRunTest, UnknownButtonAndWindowAreFailures) {
    const auto run = RunText("press Rewind\nfront Nowhere\n");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.failures.size(), 2u);
    EXPECT_EQ(run.failures[0], "line 2: no button \"Rewind\" in the code table");
    EXPECT_EQ(run.failures[1], "line 3: no window of class \"Nowhere\"");
}

TEST(SimulationRunTest, QuestionWithoutAnAnswerFailsTheRun) {
    const auto run = RunText("wait 200\npress Play\n", false);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Reports(run, " left without an answer"));
    ASSERT_FALSE(run.failures.empty());
    EXPECT_EQ(run.failures[0].rfind("a question came with no answer in the scenario", 0), 0u);
}

TEST(SimulationRunTest, HeldButtonPassesTheRepeatFilterEveryOtherTick) {
    // The clock step does not reset the repeat filter, so the held button is taken on every
    // second tick: the clock shows, then the second accepted press closes it.
    const auto run = RunText("press Clock hold 4\nwait 800\n");
    EXPECT_EQ(run.exitCode, 0);
    const auto shown =
        std::count_if(run.report.begin(), run.report.end(), [](const std::string& l) {
            return l.find("clock window") != std::string::npos;
        });
    EXPECT_EQ(shown, 2) << "shown, closed by the second accepted press";
}

TEST(SimulationRunTest, ABurstOfPressesDoesNotDelayALaterPress) {
    // The receiver keeps one code: the burst leaves its last press, not a queue of 400.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "press Up\n";
    const auto run = RunText(text + "wait 1s\npress Play\nwait 300\nexpect key down vk 13\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    const auto moves = std::count_if(run.report.begin(), run.report.end(), [](const auto& l) {
        return l.find("mouse flags 0x1") != std::string::npos;
    });
    EXPECT_GE(moves, 1);
    EXPECT_LE(moves, 2) << "the presses of the burst replaced one another";
}

} // namespace
