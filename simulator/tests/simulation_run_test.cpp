// Simulator runs of the tray program with the example folder: what the report shows, and the
// exit code when an expectation fails.
#include "example_data.h"
#include "scenario.h"
#include "simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

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

// The example folder with more records after its own, in a temporary folder of its own.
class ExtendedFolder {
public:
    explicit ExtendedFolder(const std::string& records) {
        path_ = fs::temp_directory_path() /
                ("tavrin-extended-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::remove_all(path_);
        fs::copy(EXAMPLE_FOLDER, path_, fs::copy_options::recursive);
        std::ifstream in(EXAMPLE_SOURCE, std::ios::binary);
        const std::string source((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
        std::map<std::string, std::string> files;
        std::string error;
        EXPECT_TRUE(simulator::BuildExampleRecords(source + records, files, &error)) << error;
        for (const auto& [name, bytes] : files)
            std::ofstream(path_ / "Bin" / name, std::ios::binary) << bytes;
    }
    ~ExtendedFolder() { fs::remove_all(path_); }
    ExtendedFolder(const ExtendedFolder&) = delete;
    ExtendedFolder& operator=(const ExtendedFolder&) = delete;

    simulator::RunResult Run(const std::string& text) const {
        simulator::Scenario scenario;
        std::string error;
        EXPECT_TRUE(simulator::ParseScenario("answer no\n" + text, scenario, &error)) << error;
        std::ostringstream out;
        return simulator::RunScenario(scenario, path_.string(), out);
    }

private:
    fs::path path_;
};

// A button named "1" and one per window: a list of two favourites, a number input, a key
// down in the list and a digit in the input.
constexpr char kWindowRecords[] = "code|1|0x1B0\n"
                                  "code|Next|0x1B1\n"
                                  "code|Sel|0x1B2\n"
                                  "code|Dig|0x1B3\n"
                                  "fav|Audio|Viewer\n"
                                  "cmd|System|Pick\n"
                                  "step|showfavorites|0\n"
                                  "cmd|System|Ask\n"
                                  "step|intbuf=number|1\n"
                                  "cmd|System|Down key\n"
                                  "step|keybevent|40|0\n"
                                  "step|keybevent|40|2\n"
                                  "cmd|System|Digit one\n"
                                  "step|keybevent|49|0\n"
                                  "step|keybevent|49|2\n"
                                  "func|System|Pick|mouse|\"1\"\n"
                                  "func|System|Ask|mouse|\"Next\"\n"
                                  "func|System|Down key|keybd|\"Sel\"\n"
                                  "func|System|Digit one|digit|\"Dig\"\n";

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

TEST(SimulationRunTest, ExpectationsSeeOnlyWhatTheProgramDid) {
    // Each of these stands only in the simulator's own lines: actions, results, time stamps.
    const auto run = RunText("press Play\nwait 300\nexpect-not zebra\nexpect zebra\n"
                             "expect ok: no \"zebra\"\nexpect > button Play\nexpect FAILED\n"
                             "expect [   0.\nexpect key down vk 13\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.failures, (std::vector<std::string>{"line 5: expected \"zebra\"",
                                                      "line 6: expected \"ok: no \"zebra\"\"",
                                                      "line 7: expected \"> button Play\"",
                                                      "line 8: expected \"FAILED\"",
                                                      "line 9: expected \"[   0.\""}));
}

TEST(SimulationRunTest, AUtf8ScenarioMatchesTheProgramsRussianTexts) {
    // "Громкость", the bar window's text, written in UTF-8.
    const std::string volume =
        "\xD0\x93\xD1\x80\xD0\xBE\xD0\xBC\xD0\xBA\xD0\xBE\xD1\x81\xD1\x82\xD1\x8C";
    auto run = RunText("press Vol+\nwait 300\nexpect bar window \"" + volume + "\"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    run = RunText("press Vol+\nwait 300\nexpect-not " + volume + "\n");
    EXPECT_EQ(run.exitCode, 1) << "the text is looked for, so its absence can fail";
    ASSERT_EQ(run.failures.size(), 1u);
    EXPECT_EQ(simulator::Utf8(run.failures[0]), "line 4: did not expect \"" + volume + "\"");
}

TEST(SimulationRunTest, AFailedStartReadsAsAFailure) {
    // No "program" line: the player cannot be started.
    const auto run = RunText("press Music\nwait 3000\n"
                             "expect program not started by CreateProcessA: C:\\Apps\\Player.exe "
                             "(no such program)\nexpect-not program started\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
}

TEST(SimulationRunTest, AWindowShownAgainWithTheSameTextIsPrintedAgain) {
    const auto run =
        RunText("press Play\nwait 1s\npress Play\nwait 300\nexpect info window \"Enter\"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_EQ(
        std::count_if(run.report.begin(), run.report.end(),
                      [](const std::string& l) { return l.ends_with("] info window \"Enter\""); }),
        2);
}

TEST(SimulationRunTest, AButtonNameWinsOverANumberAndARawCodeHasItsOwnForm) {
    const ExtendedFolder folder(kWindowRecords);
    const auto run = folder.Run("press 1\nwait 300\nexpect info window \"Pick\"\n"
                                "wait 10s\npress code 0x1A5\nwait 300\nexpect key down vk 13\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_TRUE(Reports(run, "> button 1 (0x1B0)"));
    EXPECT_TRUE(Reports(run, "> code 0x1A5"));
}

TEST(SimulationRunTest, TheListsSelectedLineAndTheTypedTextArePrinted) {
    const ExtendedFolder folder(kWindowRecords);
    auto run = folder.Run("press 1\nwait 300\n"
                          "expect list window list [\"Player\", \"Viewer\"] selected \"Player\"\n"
                          "press Sel\nwait 300\nexpect selected \"Viewer\"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    run = folder.Run("press Next\nwait 300\nexpect input window text \"    \"\n"
                     "press Dig\nwait 300\nexpect input window text \"1   \"\n"
                     "press Dig\nwait 300\nexpect input window text \"11  \"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
}

TEST(SimulationRunTest, TheListWindowTakesClicksAndKeys) {
    const ExtendedFolder folder(kWindowRecords);
    const auto run = folder.Run("press 1\nwait 300\nexpect selected \"Player\"\n"
                                "select lBox Viewer\nwait 100\nexpect selected \"Viewer\"\n"
                                "key Up\nwait 100\nexpect selected \"Player\"\n"
                                "select FList.lBox row 1\nkey Enter\nwait 300\n"
                                "expect list window closed\n"
                                "select lBox Viewer\nkey Enter\n");
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<std::string> expected = {
        "line 15: no dialog is open", "line 16: no dialog or on-screen window takes keys now"};
    EXPECT_EQ(run.failures, expected) << Failures(run);
}

TEST(SimulationRunTest, TheInputWindowTakesTypedDigitsAndEnter) {
    const ExtendedFolder folder(kWindowRecords);
    const auto run = folder.Run("press Next\nwait 300\ntype mEdit 4x2\nwait 100\n"
                                "expect input window text \"42  \"\n"
                                "key Enter\nwait 300\nexpect input window closed\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
}

TEST(SimulationRunTest, UnknownButtonAndWindowAreFailures) {
    const auto run = RunText("press Rewind\nfront Nowhere\n");
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.failures.size(), 2u);
    EXPECT_EQ(run.failures[0], "line 2: no button \"Rewind\" in the code table");
    EXPECT_EQ(run.failures[1], "line 3: no window of class \"Nowhere\"");
}

TEST(SimulationRunTest, AFilePutOnTheDriveIsNotThePrograms) {
    const auto result = RunText("file \"C:\\Program Files\\App\\app.exe\"\n"
                                "wait 200\n"
                                "expect-not file written: C:\\Program Files\n"
                                "file Z:\\app.exe\n");
    EXPECT_NE(std::find(result.report.begin(), result.report.end(),
                        "[   0.000] > the file C:\\Program Files\\App\\app.exe is on the drive"),
              result.report.end());
    EXPECT_EQ(result.failures,
              std::vector<std::string>{"line 5: cannot put Z:\\app.exe on the simulated drive"});
    EXPECT_EQ(result.exitCode, 1);
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
