// Reading scenarios: the actions with their virtual times, and the lines that cannot be read.
#include "scenario.h"

#include <gtest/gtest.h>

namespace {

TEST(ScenarioTest, ActionsHappenAtTheTimeTheWaitsAddUpTo) {
    simulator::Scenario s;
    std::string error;
    ASSERT_TRUE(simulator::ParseScenario("# a comment\n"
                                         "folder ../data\n"
                                         "window PlayerMain player.exe \"My player\"\r\n"
                                         "  press Play\n"
                                         "wait 1.5s\n"
                                         "press 0x1A5 hold 3\n"
                                         "wait 250ms\n"
                                         "wait 50\n"
                                         "expect key down vk 13\n",
                                         s, &error))
        << error;
    EXPECT_EQ(s.folder, "../data");
    ASSERT_EQ(s.actions.size(), 4u);
    EXPECT_EQ(s.actions[0].verb, "window");
    EXPECT_EQ(s.actions[0].words,
              (std::vector<std::string>{"PlayerMain", "player.exe", "My player"}));
    EXPECT_EQ(s.actions[0].line, 3);
    EXPECT_EQ(s.actions[1].at, 0u);
    EXPECT_EQ(s.actions[2].at, 1500u);
    EXPECT_EQ(s.actions[2].words, (std::vector<std::string>{"0x1A5", "hold", "3"}));
    EXPECT_EQ(s.actions[3].at, 1800u);
    EXPECT_EQ(s.actions[3].rest, "key down vk 13");
    EXPECT_EQ(s.end, 1800u);
}

TEST(ScenarioTest, LinesThatCannotBeReadNameTheirLineAndReason) {
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"jump 3\n", "line 1: unknown action \"jump\""},
        {"press\n", "line 1: wrong number of words for \"press\""},
        {"press A twice 3\n", "line 1: press <button or code> [hold <ticks>]"},
        {"\nwait soon\n", "line 2: not a time: soon"},
        {"wait 5min\n", "line 1: not a time: 5min"},
        {"window \"Player 2\n", "line 1: a quote is not closed"},
        {"answer maybe\n", "line 1: answer yes, no, ok or cancel"},
        {"expect\n", "line 1: nothing to expect"},
        {"front\n", "line 1: wrong number of words for \"front\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        simulator::Scenario s;
        std::string error;
        EXPECT_FALSE(simulator::ParseScenario(c.text, s, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(ScenarioTest, Durations) {
    struct Case {
        const char* text;
        bool ok;
        unsigned ms;
    };
    const Case cases[] = {{"0", true, 0},         {"100", true, 100},   {"100ms", true, 100},
                          {"2s", true, 2000},     {"0.25s", true, 250}, {"", false, 0},
                          {"-5", false, 0},       {"s", false, 0},      {"3h", false, 0},
                          {"99999999s", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        unsigned ms = 12345;
        EXPECT_EQ(simulator::ParseDuration(c.text, ms), c.ok);
        if (c.ok) {
            EXPECT_EQ(ms, c.ms);
        }
    }
}

} // namespace
