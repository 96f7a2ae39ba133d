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
                                         "press code 0x1A5 hold 3\n"
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
    EXPECT_EQ(s.actions[2].words, (std::vector<std::string>{"code", "0x1A5", "hold", "3"}));
    EXPECT_TRUE(s.actions[2].byCode);
    EXPECT_EQ(s.actions[2].code, 0x1A5);
    EXPECT_EQ(s.actions[2].holdTicks, 3u);
    EXPECT_FALSE(s.actions[1].byCode);
    EXPECT_EQ(s.actions[1].holdTicks, 1u);
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
        {"press A twice 3\n",
         "line 1: press <button> [hold <ticks>], or press code <number> [hold <ticks>]"},
        {"press code 12 twice 3\n",
         "line 1: press <button> [hold <ticks>], or press code <number> [hold <ticks>]"},
        {"press code 1A5\n", "line 1: not a code: 1A5"},
        {"press code 1\n", "line 1: not a code: 1"},
        {"press code -5\n", "line 1: not a code: -5"},
        {"press A hold 0\n", "line 1: not a number of ticks: 0"},
        {"press code 0x1A5 hold x\n", "line 1: not a number of ticks: x"},
        {"expect \xC8\xED\xF4\xEE\n", "line 1: not UTF-8 text (scenarios are written in UTF-8)"},
        {"# ok\nexpect \xD0\n", "line 2: not UTF-8 text (scenarios are written in UTF-8)"},
        {"expect \xC0\x80\n", "line 1: not UTF-8 text (scenarios are written in UTF-8)"},
        {"expect caf\xC3\xA4\n", "line 1: \"\xC3\xA4\" has no code page 1251 form"},
        {"\nwait soon\n", "line 2: not a time: soon"},
        {"wait 5min\n", "line 1: not a time: 5min"},
        {"window \"Player 2\n", "line 1: a quote is not closed"},
        {"answer maybe\n", "line 1: answer yes, no, ok or cancel"},
        {"expect\n", "line 1: nothing to expect"},
        {"front\n", "line 1: wrong number of words for \"front\""},
        {"file\n", "line 1: wrong number of words for \"file\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        simulator::Scenario s;
        std::string error;
        EXPECT_FALSE(simulator::ParseScenario(c.text, s, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(ScenarioTest, ButtonNamesWinOverNumbersAndARawCodeHasItsOwnForm) {
    simulator::Scenario s;
    std::string error;
    ASSERT_TRUE(simulator::ParseScenario("press 1\npress code\npress code hold 2\npress code 12\n",
                                         s, &error))
        << error;
    ASSERT_EQ(s.actions.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(s.actions[i].byCode) << "a name, even when it reads as a number or \"code\"";
    }
    EXPECT_EQ(s.actions[0].words[0], "1");
    EXPECT_EQ(s.actions[1].words[0], "code");
    EXPECT_EQ(s.actions[2].holdTicks, 2u);
    EXPECT_TRUE(s.actions[3].byCode);
    EXPECT_EQ(s.actions[3].code, 12);
}

TEST(ScenarioTest, UtfEightTextsBecomeCodePage1251) {
    simulator::Scenario s;
    std::string error;
    // "\xEF\xBB\xBF" is a byte order mark; "Громкость" in UTF-8, and a button "Пуск".
    ASSERT_TRUE(simulator::ParseScenario("\xEF\xBB\xBF"
                                         "expect info window \"\xD0\x93\xD1\x80\xD0\xBE"
                                         "\xD0\xBC\xD0\xBA\xD0\xBE\xD1\x81\xD1\x82\xD1\x8C\"\r\n"
                                         "press \xD0\x9F\xD1\x83\xD1\x81\xD0\xBA\n",
                                         s, &error))
        << error;
    ASSERT_EQ(s.actions.size(), 2u);
    EXPECT_EQ(s.actions[0].verb, "expect");
    EXPECT_EQ(s.actions[0].rest, "info window \"\xC3\xF0\xEE\xEC\xEA\xEE\xF1\xF2\xFC\"");
    EXPECT_EQ(s.actions[1].words, std::vector<std::string>{"\xCF\xF3\xF1\xEA"});
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
