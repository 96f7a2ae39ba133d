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
        {"settings now\n", "line 1: wrong number of words for \"settings\""},
        {"setting Interface language\n", "line 1: wrong number of words for \"setting\""},
        {"select vleCode\n", "line 1: wrong number of words for \"select\""},
        {"select vleCode A B\n",
         "line 1: select <grid> <text of the first cell>, or select <grid> row <number>"},
        {"learn A B\n", "line 1: learn <button>, or learn row <number>"},
        {"edit stgFunc\n", "line 1: edit <grid> <column> <row> <text>, the row as row <number> "
                           "or the text of its first cell"},
        {"edit stgFunc 2\n", "line 1: edit <grid> <column> <row> <text>, the row as row "
                             "<number> or the text of its first cell"},
        {"edit stgFunc two Mute x\n", "line 1: not a column: two"},
        {"edit stgFunc 2 \"Mute x\n", "line 1: a quote is not closed"},
        {"choose cmbFunction\n", "line 1: wrong number of words for \"choose\""},
        {"input\n", "line 1: wrong number of words for \"input\""},
        {"close FConfig now\n", "line 1: wrong number of words for \"close\""},
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

TEST(ScenarioTest, DialogActionsNameTheirControlsRowsAndTexts) {
    simulator::Scenario s;
    std::string error;
    ASSERT_TRUE(simulator::ParseScenario("settings\n"
                                         "tab 1\n"
                                         "tab \"Key code\"\n"
                                         "select vleCode \"New button\"\n"
                                         "select stgFunc row 3\n"
                                         "select vleCode row\n"
                                         "learn row 0\n"
                                         "learn Play\n"
                                         "edit stgFunc 2 Mute \"NewBtn\"+\"Play\n"
                                         "edit stgFunc 2 row 7   \"A B\" \n"
                                         "edit stgAppl 1 \"My player\"\n"
                                         "input \"New button\"\n"
                                         "choose cmbFunction System\n"
                                         "close\n"
                                         "close FFuncwizard\n"
                                         "click btnOk\n"
                                         "setting Interface \"ext options\" 1\n",
                                         s, &error))
        << error;
    ASSERT_EQ(s.actions.size(), 16u);
    const auto& a = s.actions;
    EXPECT_EQ(a[0].verb, "settings");
    EXPECT_TRUE(a[1].row.byNumber);
    EXPECT_EQ(a[1].row.number, 1);
    EXPECT_FALSE(a[2].row.byNumber);
    EXPECT_EQ(a[2].row.text, "Key code");
    EXPECT_EQ(a[3].target, "vleCode");
    EXPECT_FALSE(a[3].row.byNumber);
    EXPECT_EQ(a[3].row.text, "New button");
    EXPECT_EQ(a[4].target, "stgFunc");
    EXPECT_TRUE(a[4].row.byNumber);
    EXPECT_EQ(a[4].row.number, 3);
    EXPECT_FALSE(a[5].row.byNumber) << "\"row\" alone is a row's text";
    EXPECT_EQ(a[5].row.text, "row");
    EXPECT_TRUE(a[6].row.byNumber);
    EXPECT_EQ(a[6].row.number, 0);
    EXPECT_EQ(a[7].row.text, "Play");
    // A cell's text stands as written, quotes and all, even one left open.
    EXPECT_EQ(a[8].target, "stgFunc");
    EXPECT_EQ(a[8].col, 2);
    EXPECT_EQ(a[8].row.text, "Mute");
    EXPECT_EQ(a[8].text, "\"NewBtn\"+\"Play");
    EXPECT_TRUE(a[9].row.byNumber);
    EXPECT_EQ(a[9].row.number, 7);
    EXPECT_EQ(a[9].text, "\"A B\" ");
    EXPECT_EQ(a[10].row.text, "My player");
    EXPECT_EQ(a[10].text, "") << "an edit may empty a cell";
    EXPECT_EQ(a[11].text, "New button");
    EXPECT_EQ(a[12].target, "cmbFunction");
    EXPECT_EQ(a[12].text, "System");
    EXPECT_EQ(a[13].target, "");
    EXPECT_EQ(a[14].target, "FFuncwizard");
    EXPECT_EQ(a[15].target, "btnOk");
    ASSERT_EQ(s.settings.size(), 1u);
    EXPECT_EQ(s.settings[0].section, "Interface");
    EXPECT_EQ(s.settings[0].key, "ext options");
    EXPECT_EQ(s.settings[0].value, "1");
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
