// Simulator runs of the tray program with the example folder: what the report shows, and the
// exit code when an expectation fails.
#include "example_data.h"
#include "run_checks.h"
#include "scenario.h"
#include "simulation.h"

#include "cp1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

using simulator::testing::Failures;
using simulator::testing::Reports;

namespace fs = std::filesystem;

constexpr auto kSearchQuestion =
    cp1251::Literal("Поиск приложений ещё не выполнялся. Выполнить его сейчас?");
constexpr auto kReplaceQuestion =
    cp1251::Literal("Приложение Player уже найдено в C:\\Other\\Player.exe. Заменить на "
                    "C:\\Program Files\\Player\\Player.exe?");

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

// The index of the first report line holding the text at or after the index; -1 for none.
long IndexOf(const simulator::RunResult& run, const std::string& text, long from = 0) {
    for (auto i = static_cast<std::size_t>(from); i < run.report.size(); ++i)
        if (run.report[i].find(text) != std::string::npos)
            return static_cast<long>(i);
    return -1;
}

// The virtual milliseconds of a report line's stamp, "[   2.400] ...".
long StampOf(const simulator::RunResult& run, long index) {
    const std::string& line = run.report.at(static_cast<std::size_t>(index));
    return std::stol(line.substr(1, 4)) * 1000 + std::stol(line.substr(6, 3));
}

bool StampsInOrder(const simulator::RunResult& run) {
    for (long i = 1; i < static_cast<long>(run.report.size()); ++i)
        if (StampOf(run, i) < StampOf(run, i - 1))
            return false;
    return true;
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

TEST(SimulationRunTest, EventsInsideAWaitStandAtTheirOwnTimesInOrder) {
    // The player becomes idle 500 ms after its start, while the program waits for it.
    const auto run = RunText("program C:\\Apps\\Player.exe PlayerMain \"Player\"\n"
                             "press Music\nwait 3000\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    const long command = IndexOf(run, "] info window \"Music\"");
    const long started = IndexOf(run, "program started by CreateProcessA: C:\\Apps\\Player.exe");
    const long opened = IndexOf(run, "window opened: \"PlayerMain\"");
    const long player = IndexOf(run, "] info window \"Player\"");
    ASSERT_GE(command, 0) << "the command's name, shown before the step that starts the player";
    ASSERT_GT(started, command);
    ASSERT_GT(opened, started);
    ASSERT_GT(player, opened);
    EXPECT_EQ(StampOf(run, started), StampOf(run, command));
    EXPECT_EQ(StampOf(run, opened), StampOf(run, started) + 500);
    EXPECT_GT(StampOf(run, player), StampOf(run, opened));
    EXPECT_TRUE(StampsInOrder(run));
}

TEST(SimulationRunTest, ATextReplacedAtOnceIsReportedToo) {
    // With the player running its window comes to the front at once: the command's name and
    // then the player's stand in the same moment.
    const auto run = RunText("program C:\\Apps\\Player.exe PlayerMain \"Player\"\n"
                             "press Music\nwait 3000\npress Music\nwait 300\n"
                             "expect info window \"Music\"\nexpect info window \"Player\"\n"
                             "press Mute\nwait 300\nexpect info window \"Mute\"\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    const long second = IndexOf(run, "> button Music", IndexOf(run, "> button Music") + 1);
    const long command = IndexOf(run, "] info window \"Music\"", second);
    const long player = IndexOf(run, "] info window \"Player\"", second);
    ASSERT_GT(command, second);
    ASSERT_EQ(player, command + 1);
    EXPECT_EQ(StampOf(run, player), StampOf(run, command));
    EXPECT_EQ(IndexOf(run, "program started", second), -1) << "it was running";
}

TEST(SimulationRunTest, AWaitCountsFromTheEndOfTheActionBeforeIt) {
    // The player's start holds the program for seconds; the press after it still has its 300 ms
    // to run its command before the settings open, and the settings theirs before the close.
    const auto run = RunText("setting Interface \"ext options\" 1\n"
                             "program C:\\Apps\\Player.exe PlayerMain \"Player\"\n"
                             "press Music\nwait 300\npress Play\nwait 300\n"
                             "expect key down vk 13\nsettings\nwait 200\n"
                             "expect settings window on tab 0\nclose\nwait 500\n"
                             "expect settings window closed\n");
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_FALSE(Reports(run, "learning")) << "the press ran its command";
    const long play = IndexOf(run, "> button Play");
    const long settings = IndexOf(run, "> the settings from the tray menu");
    const long close = IndexOf(run, "> the title bar closes");
    ASSERT_GT(play, IndexOf(run, "] info window \"Player\""));
    ASSERT_GT(settings, play);
    ASSERT_GT(close, settings);
    EXPECT_EQ(StampOf(run, settings) - StampOf(run, play), 300);
    EXPECT_EQ(StampOf(run, close) - StampOf(run, settings), 200) << "from the dialog's opening";
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

TEST(SimulationRunTest, QuestionWithoutAnAnswerFailsTheRunAndEndsIt) {
    const auto run = RunText("wait 200\npress Play\n", false);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Reports(run, " (" + std::string(cp1251::Literal("Подтверждение").view()) +
                                 ") left without an answer"));
    EXPECT_EQ(run.failures,
              std::vector<std::string>{"a question came with no answer in the scenario: \"" +
                                       std::string(kSearchQuestion.view()) + "\""});
    EXPECT_FALSE(Reports(run, "error")) << "the program saw no error of the simulator's";
    EXPECT_FALSE(Reports(run, "> button Play")) << "the scenario cannot go on without it";
    EXPECT_TRUE(Reports(run, "> Tavrin RC has ended"));
}

TEST(SimulationRunTest, AnAnswerNeverUsedFailsTheRun) {
    const auto run = RunText("answer yes\nwait 200\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.failures,
              std::vector<std::string>{"1 answer(s) of the scenario never used: no question came"});
}

TEST(SimulationRunTest, AnAnswerTheQuestionDoesNotOfferFailsTheRun) {
    // The start-up asks Yes or No.
    const auto run = RunText("answer ok\nwait 200\npress Play\n", false);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.failures, std::vector<std::string>{"line 1: the question \"" +
                                                     std::string(kSearchQuestion.view()) +
                                                     "\" offers no OK, only Yes, No"});
    EXPECT_FALSE(Reports(run, "> button Play"));
}

TEST(SimulationRunTest, TheSearchProgramsQuestionTakesTheNextAnswer) {
    // Two copies of a listed program: the unattended search asks whether the second find
    // replaces the first, in its own process, and the scenario's second answer says no.
    const auto run = RunText("file \"C:\\Program Files\\Player\\Player.exe\"\n"
                             "file C:\\Other\\Player.exe\n"
                             "answer yes\nanswer no\nwait 100\n"
                             "expect answered Yes\nexpect (Player) answered No\n"
                             "expect file written: C:\\Tavrin RC\\Bin\\defappl.bin\n",
                             false);
    EXPECT_EQ(run.exitCode, 0) << Failures(run);
    EXPECT_TRUE(Reports(run, "] message box \"" + std::string(kReplaceQuestion.view()) +
                                 "\" (Player) answered No (C:\\Tavrin RC\\Orlimax.exe)"));
    EXPECT_FALSE(Reports(run, "left without an answer"));
    // The search's lines stand at the search's own times, inside the tray program's wait.
    const long started =
        IndexOf(run, "program started by CreateProcessA: \"C:\\Tavrin RC\\Orlimax.exe\"");
    const long opened = IndexOf(run, "window opened: \"TFSetup\"", started);
    const long asked = IndexOf(run, "(Player) answered No", opened);
    const long ended = IndexOf(run, "program ended: C:\\Tavrin RC\\Orlimax.exe", asked);
    ASSERT_GT(started, IndexOf(run, std::string(kSearchQuestion.view()) + "\" ("));
    ASSERT_TRUE(opened > 0 && asked > 0 && ended > 0) << "in this order";
    EXPECT_EQ(StampOf(run, started), 0);
    EXPECT_GT(StampOf(run, asked), StampOf(run, opened));
    EXPECT_GT(StampOf(run, ended), StampOf(run, asked));
    EXPECT_TRUE(StampsInOrder(run));

    // Without the second answer the search's question fails the run.
    const auto unanswered = RunText("file \"C:\\Program Files\\Player\\Player.exe\"\n"
                                    "file C:\\Other\\Player.exe\nanswer yes\nwait 100\n",
                                    false);
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_TRUE(
        Reports(unanswered, "(Player) left without an answer (C:\\Tavrin RC\\Orlimax.exe)"));
    EXPECT_EQ(unanswered.failures,
              std::vector<std::string>{"a question came with no answer in the scenario: \"" +
                                       std::string(kReplaceQuestion.view()) + "\""});
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
