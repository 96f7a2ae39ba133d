// Tests of the keyword lists: built-in rows, texts from the language file, lookups, SpliceString.
#include "keyword_lists.h"
#include "language.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

class KeywordListsTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        Runtime.language = "Rus";
    }
};

std::string Keywords(const TKeyword* list, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += std::to_string(list[i].Value) + " " + list[i].Keyword + (i + 1 < count ? "|" : "");
    return out;
}

TEST_F(KeywordListsTest, BuiltInRowsOfTheListsOtherThanVKey) {
    struct Case {
        const char* name;
        const TKeyword* list;
        int count;
        const char* rows;
    };
    const TRuntimeState& r = Runtime;
    const Case cases[] = {
        {"FAVORITE", r.FAVORITE, 5, "0 Audio|1 Video|2 DVD|3 TV_FM|4 Other"},
        {"RCMODE", r.RCMODE, 5, "0 hold|1 mouse|2 keybd|3 digit|4 nohold"},
        {"CMDTYPE", r.CMDTYPE, 24,
         "0 runappl|1 show_txt|2 show_bar|3 setcurpos|4 sendmsg|5 buf=sendmsg|6 sendmsg=buf|"
         "7 keybevent|8 mousevent|9 changebuf|10 time|11 mode|12 systemshutdown|13 timer|"
         "14 show_timer|15 continue_if_condition|16 next_if_condition|17 showfavorites|"
         "18 showfunction|19 showruning|20 showtimermode|21 intbuf=number|22 set_volume|"
         "23 showplaylist"},
        {"MOUSEVENT", r.MOUSEVENT, 16,
         "0 up|1 down|2 left|3 right|4 up_left|5 up_right|6 down_left|7 down_right|"
         "8 button_left_press|9 button_left_unpress|10 button_right_press|"
         "11 button_right_unpress|12 button_middle_press|13 button_middle_unpress|"
         "14 whell_up|15 whell_down"},
        {"INTOPERATION", r.INTOPERATION, 7,
         "0 iBuf + X|1 iBuf - X|2 iBuf * X|3 iBuf / X|4 X / iBuf|5 Clear|6 iBuf = iBuf + txtBuf"},
        {"TXTOPERATION", r.TXTOPERATION, 7,
         "0 Add|1 Left|2 Right|3 Mid|4 Clear|5 Txt = Txt + Int|6 Txt = Int + Txt"},
        {"CONDITIONS", r.CONDITIONS, 6,
         "0 Buf < X|1 Buf > X|2 Buf <= X|3 Buf >= X|4 Buf = X|5 Buf <> X"},
        {"TIMERMODE", r.TIMERMODE, 6, "0 Timer OFF|1 30|2 60|3 90|4 120|5 just-in-time"},
        {"VOLSETTINGS", r.VOLSETTINGS, 3, "0 Volume +|1 Volume -|2 Mute"},
        {"INPUTFORMAT", r.INPUTFORMAT, 2, "0 time|1 number"},
        {"PLTYPE", r.PLTYPE, 2, "0 audio|1 video"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Keywords(c.list, c.count), c.rows);
    }
}

TEST_F(KeywordListsTest, VKeyHoldsTheWindowsVirtualKeyCodes) {
    ASSERT_EQ(VKeyCount, 127);
    struct Case {
        const char* keyword;
        int value;
    };
    const Case cases[] = {
        {"VK_LBUTTON", 1},     {"VK_CANCEL", 3},      {"VK_MBUTTON", 4},      {"VK_BACK", 8},
        {"VK_TAB", 9},         {"VK_CLEAR", 12},      {"VK_RETURN", 13},      {"VK_SHIFT", 16},
        {"VK_CONTROL", 17},    {"VK_MENU", 18},       {"VK_PAUSE", 19},       {"VK_CAPITAL", 20},
        {"VK_ESCAPE", 27},     {"VK_SPACE", 32},      {"VK_PRIOR", 33},       {"VK_NEXT", 34},
        {"VK_END", 35},        {"VK_HOME", 36},       {"VK_LEFT", 37},        {"VK_UP", 38},
        {"VK_RIGHT", 39},      {"VK_DOWN", 40},       {"VK_SELECT", 41},      {"VK_EXECUTE", 43},
        {"VK_SNAPSHOT", 44},   {"VK_INSERT", 45},     {"VK_DELETE", 46},      {"VK_HELP", 47},
        {"VK_0", 48},          {"VK_9", 57},          {"VK_A", 65},           {"VK_Z", 90},
        {"VK_LWIN", 91},       {"VK_RWIN", 92},       {"VK_APPS", 93},        {"VK_NUMPAD0", 96},
        {"VK_NUMPAD9", 105},   {"VK_MULTIPLY", 106},  {"VK_ADD", 107},        {"VK_SEPARATOR", 108},
        {"VK_SUBTRACT", 109},  {"VK_DECIMAL", 110},   {"VK_DIVIDE", 111},     {"VK_F1", 112},
        {"VK_F24", 135},       {"VK_NUMLOCK", 144},   {"VK_SCROLL", 145},     {"VK_OEM_1", 186},
        {"VK_OEM_COMMA", 188}, {"VK_OEM_MINUS", 189}, {"VK_OEM_PERIOD", 190}, {"VK_OEM_2", 191},
        {"VK_OEM_3", 192},     {"VK_OEM_4", 219},     {"VK_OEM_5", 220},      {"VK_OEM_6", 221},
        {"VK_OEM_7", 222},     {"VK_ATTN", 246},      {"VK_CRSEL", 247},      {"VK_EXSEL", 248},
        {"VK_EREOF", 249},     {"VK_PLAY", 250},      {"VK_ZOOM", 251},       {"VK_PA1", 253},
        {"VK_OEM_CLEAR", 254},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyword);
        EXPECT_EQ(KeywordToValue(Runtime.VKEY, VKeyCount, c.keyword), c.value);
        EXPECT_EQ(ValueToKeyword(Runtime.VKEY, VKeyCount, static_cast<std::int16_t>(c.value)),
                  c.keyword);
    }
    // The runs between the named ends are complete and in order.
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(KeywordToValue(Runtime.VKEY, VKeyCount, "VK_" + std::to_string(i)), 48 + i);
        EXPECT_EQ(KeywordToValue(Runtime.VKEY, VKeyCount, "VK_NUMPAD" + std::to_string(i)), 96 + i);
    }
    for (char c = 'A'; c <= 'Z'; ++c)
        EXPECT_EQ(KeywordToValue(Runtime.VKEY, VKeyCount, std::string("VK_") + c), c);
    for (int f = 1; f <= 24; ++f)
        EXPECT_EQ(KeywordToValue(Runtime.VKEY, VKeyCount, "VK_F" + std::to_string(f)), 111 + f);

    std::set<int> values;
    for (const TKeyword& row : Runtime.VKEY)
        values.insert(row.Value);
    EXPECT_EQ(values.size(), 127u) << "no value twice";
    for (int absent : {0, 2, 42, 187, 252, 255})
        EXPECT_EQ(values.count(absent), 0u) << absent;
}

TEST_F(KeywordListsTest, Lookups) {
    const TRuntimeState& r = Runtime;
    EXPECT_EQ(KeywordToValue(r.CMDTYPE, 24, "SHOWPLAYLIST"), 23);
    EXPECT_EQ(KeywordToValue(r.CMDTYPE, 24, "show playlist"), -1);
    EXPECT_EQ(ValueToKeyword(r.VKEY, 127, 13), "VK_RETURN");
    EXPECT_EQ(ValueToKeyword(r.VKEY, 127, 42), "");
    // The same keyword in two lists: the list searched decides.
    EXPECT_EQ(KeywordToValue(r.INTOPERATION, 7, "Clear"), 5);
    EXPECT_EQ(KeywordToValue(r.TXTOPERATION, 7, "Clear"), 4);
    EXPECT_EQ(KeywordToValue(r.INTOPERATION, 7, "ibuf = IBUF + TXTBUF"), 6);
    EXPECT_EQ(KeywordToValue(r.RCMODE, 5, ""), -1);
    EXPECT_EQ(ValueToKeyword(r.RCMODE, 5, 4), "nohold");
    EXPECT_EQ(ValueToKeyword(r.RCMODE, 5, -1), "");
    // Only the rows counted are searched.
    EXPECT_EQ(KeywordToValue(r.CMDTYPE, 23, "showplaylist"), -1);
    EXPECT_EQ(KeywordToValue(r.CMDTYPE, 0, "runappl"), -1);
    EXPECT_EQ(KeywordToText(r.CMDTYPE, 24, "nosuch"), "");
}

TEST_F(KeywordListsTest, LoadFillsTextsFromTheSectionOfEachList) {
    const auto run = cp1251::Literal("Запуск");
    const auto enter = cp1251::Literal("Ввод");
    PutFile(Prog("LANG\\Rus.ini"), std::string("[cmdtype]\r\n0=") + run.c_str() +
                                       "\r\n23=Playlist\r\n[VKEY]\r\n13=" + enter.c_str() +
                                       "\r\n1=Left button\r\n[PLTYPE]\r\n1=Video\r\n");
    EXPECT_EQ(LoadKeywordLists(), 0);
    EXPECT_EQ(Runtime.KeywordsLoaded, 1);

    EXPECT_EQ(KeywordToText(Runtime.CMDTYPE, 24, "runappl"), std::string(run.view()));
    EXPECT_EQ(KeywordToText(Runtime.CMDTYPE, 24, "SHOWPLAYLIST"), "Playlist");
    EXPECT_EQ(KeywordToText(Runtime.CMDTYPE, 24, "show_txt"), "") << "missing key";
    EXPECT_EQ(KeywordToText(Runtime.VKEY, 127, "VK_RETURN"), std::string(enter.view()))
        << "VKEY texts are keyed by the virtual-key code";
    EXPECT_EQ(KeywordToText(Runtime.VKEY, 127, "VK_LBUTTON"), "Left button");
    EXPECT_EQ(KeywordToText(Runtime.PLTYPE, 2, "video"), "Video");

    // Display texts compare without regard to case, Cyrillic included.
    EXPECT_EQ(TextToValue(Runtime.CMDTYPE, 24, std::string(cp1251::Literal("ЗАПУСК").view())), 0);
    EXPECT_EQ(TextToValue(Runtime.VKEY, 127, std::string(cp1251::Literal("ввод").view())), 13);
    EXPECT_EQ(TextToValue(Runtime.CMDTYPE, 24, "nosuch"), -1);
}

TEST_F(KeywordListsTest, TwoRowsWithTheSameTextGiveTheFirstValue) {
    PutFile(Prog("LANG\\Rus.ini"), "[TIMERMODE]\r\n4=Same\r\n2=Same\r\n3=Same\r\n");
    ASSERT_EQ(LoadKeywordLists(), 0);
    EXPECT_EQ(TextToValue(Runtime.TIMERMODE, 6, "same"), 2);
}

TEST_F(KeywordListsTest, NoLanguageFileLeavesEmptyTextsAndCountsAsLoaded) {
    Runtime.language = "Nosuch";
    EXPECT_EQ(LoadKeywordLists(), 0);
    EXPECT_EQ(Runtime.KeywordsLoaded, 1);
    for (const TKeyword& row : Runtime.CMDTYPE)
        EXPECT_STREQ(row.Text, "") << row.Keyword;
}

TEST_F(KeywordListsTest, ATextLongerThanTheFieldIsCutTo100Characters) {
    const std::string longText(300, 'T');
    PutFile(Prog("LANG\\Rus.ini"),
            "[RCMODE]\r\n0=" + longText + "\r\n1=" + std::string(100, 'M') + "\r\n2=keyboard\r\n");
    ASSERT_EQ(LoadKeywordLists(), 0);
    EXPECT_EQ(KeywordToText(Runtime.RCMODE, 5, "hold"), longText.substr(0, 100));
    EXPECT_EQ(Runtime.RCMODE[0].Text[100], '\0');
    EXPECT_EQ(KeywordToText(Runtime.RCMODE, 5, "mouse"), std::string(100, 'M'));
    // The following rows are intact.
    EXPECT_EQ(Runtime.RCMODE[1].Value, 1);
    EXPECT_STREQ(Runtime.RCMODE[1].Keyword, "mouse");
    EXPECT_STREQ(Runtime.RCMODE[2].Text, "keyboard");
    EXPECT_EQ(TextToValue(Runtime.RCMODE, 5, longText.substr(0, 100)), 0);
}

TEST_F(KeywordListsTest, LoadsFromTheLanguageFileAlreadyOpen) {
    PutFile(Prog("LANG\\Rus.ini"), "[FAVORITE]\r\n0=Music\r\n");
    PutFile(Prog("LANG\\Eng.ini"), "[FAVORITE]\r\n0=Audio players\r\n");
    ASSERT_NE(EnsureLangIni(), nullptr);
    Runtime.language = "Eng"; // a change of the setting takes effect at the next start
    ASSERT_EQ(LoadKeywordLists(), 0);
    EXPECT_STREQ(Runtime.FAVORITE[0].Text, "Music");
}

TEST_F(KeywordListsTest, SpliceString) {
    struct Case {
        std::string text, name, expected;
    };
    const Case cases[] = {
        {"Application \"\" is in the list already", "Winamp",
         "Application \"Winamp\" is in the list already"},
        {"No quotes here", "X", "XNo quotes here"},
        {"", "X", "X"},
        {"\"\" first", "X", "\"X\" first"},
        {"ends with \"", "X", "ends with \"X"},
        {"a \"b\" and \"c\"", "X", "a \"Xb\" and \"c\""},
        {"name \"\" empty", "", "name \"\" empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SpliceString(c.text, c.name), c.expected);
    }
}

} // namespace
