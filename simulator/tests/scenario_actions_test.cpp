// Reading the actions that type, press keys, answer the file and colour dialogs, move track
// bars, restart the program and set up drives and files.
#include "scenario.h"

#include <gtest/gtest.h>

namespace {

simulator::Action Only(const std::string& line) {
    simulator::Scenario s;
    std::string error;
    EXPECT_TRUE(simulator::ParseScenario(line + "\n", s, &error)) << error;
    EXPECT_EQ(s.actions.size(), 1u) << line;
    return s.actions.empty() ? simulator::Action{} : s.actions[0];
}

TEST(ScenarioActionsTest, KeysWithTheirModifiers) {
    struct Case {
        const char* line;
        unsigned vk;
        unsigned modifiers;
    };
    const Case cases[] = {
        {"key Enter", 0x0D, 0},
        {"key esc", 0x1B, 0},
        {"key ctrl+Del", 0x2E, simulator::kCtrl},
        {"key Shift+Ctrl+Tab", 0x09, simulator::kShift | simulator::kCtrl},
        {"key alt+F4", 0x73, simulator::kAlt},
        {"key F12", 0x7B, 0},
        {"key a", 'A', 0},
        {"key 7", '7', 0},
        {"key Down", 0x28, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const simulator::Action a = Only(c.line);
        EXPECT_EQ(a.vk, c.vk);
        EXPECT_EQ(a.modifiers, c.modifiers);
    }
}

TEST(ScenarioActionsTest, TextsColoursPositionsAndFiles) {
    // Typed text is the rest of the line as written, quotes and inner blanks kept.
    simulator::Action a = Only("type eCmdName   Show \"the\"  time");
    EXPECT_EQ(a.target, "eCmdName");
    EXPECT_EQ(a.text, "Show \"the\"  time");
    // Colours are written as RGB and held as the toolkit holds them, blue in the high byte.
    EXPECT_EQ(Only("colour #FF8000").colour, 0x0080FFu);
    a = Only("track trbTxtSize -5");
    EXPECT_EQ(a.target, "trbTxtSize");
    EXPECT_EQ(a.position, -5);
    a = Only("drag stgCommand 3 1");
    EXPECT_EQ(a.row.number, 3);
    EXPECT_EQ(a.position, 1);
    EXPECT_EQ(Only("drive d:").text, "D:");
    EXPECT_EQ(Only("drive E").text, "E:");
    a = Only("file \"D:\\My Tools\\t.exe\" hidden readonly");
    EXPECT_EQ(a.words[0], "D:\\My Tools\\t.exe");
    EXPECT_EQ(a.attributes, simulator::kHidden | simulator::kReadOnly);
    EXPECT_EQ(Only("file C:\\x.exe").attributes, 0u);
    EXPECT_EQ(Only("open-file \"C:\\Program Files\\V\\V.exe\"").text,
              "C:\\Program Files\\V\\V.exe");
    EXPECT_EQ(Only("show \"C:\\Tavrin RC\\Bin\\usercode.bin\"").text,
              "C:\\Tavrin RC\\Bin\\usercode.bin");
}

TEST(ScenarioActionsTest, RestartsKeepTheirPlaceInTime) {
    simulator::Scenario s;
    std::string error;
    ASSERT_TRUE(
        simulator::ParseScenario("wait 1s\nrestart\nanswer no\nwait 200\nmenu NHelp\n", s, &error))
        << error;
    ASSERT_EQ(s.actions.size(), 3u);
    EXPECT_EQ(s.actions[0].verb, "restart");
    EXPECT_EQ(s.actions[0].at, 1000u);
    EXPECT_EQ(s.actions[1].at, 1000u) << "an answer right after it is there for the next start";
    EXPECT_EQ(s.actions[2].target, "NHelp");
    EXPECT_EQ(s.actions[2].at, 1200u);
}

TEST(ScenarioActionsTest, LinesThatCannotBeReadSayWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"key Return", "line 1: not a key: Return "},
        {"key ctrl+", "line 1: not a key: ctrl+ "},
        {"key F13", "line 1: not a key: F13 "},
        {"type eCmdName", "line 1: nothing to type"},
        {"colour red", "line 1: not a colour: red (#RRGGBB)"},
        {"colour #12345", "line 1: not a colour: #12345 (#RRGGBB)"},
        {"track trbAlpha high", "line 1: not a position: high"},
        {"drive C:", "line 1: drive <letter>, a letter other than C"},
        {"drive DD", "line 1: drive <letter>, a letter other than C"},
        {"file C:\\x.exe secret", "line 1: file <path> [hidden] [system] [readonly], not secret"},
        {"drag stgCommand 1 last", "line 1: drag <grid> <row number> <row number>"},
        {"restart now", "line 1: wrong number of words for \"restart\""},
        {"open-file", "line 1: wrong number of words for \"open-file\""},
    };
    for (const auto& [line, why] : cases) {
        SCOPED_TRACE(line);
        simulator::Scenario s;
        std::string error;
        EXPECT_FALSE(simulator::ParseScenario(std::string(line) + "\n", s, &error));
        const std::string expected = why;
        if (expected.ends_with(" "))
            EXPECT_EQ(error.rfind(expected, 0), 0u) << error;
        else
            EXPECT_EQ(error, expected);
    }
}

} // namespace
