// The step encoding: the rows the command wizard writes for the edge cases of each type, plain
// decimal numbers, and the names of the keyword lists' rows with and without a language file.
#include "wizard_fixture.h"

#include "step_encoding.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using namespace wizard_test;

TEST(IntToText, PlainDecimal) {
    const std::pair<std::int32_t, const char*> cases[] = {{0, "0"},
                                                          {7, "7"},
                                                          {-240, "-240"},
                                                          {2048, "2048"},
                                                          {INT32_MAX, "2147483647"},
                                                          {INT32_MIN, "-2147483648"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(IntToText(value), text);
}

TEST(NumberTexts, WholeAndDecimal) {
    struct Case {
        const char* text;
        bool whole;
        bool decimal;
    };
    const Case cases[] = {{"5", true, true},     {"-12", true, true},  {"1.5", false, true},
                          {"-0.5", false, true}, {"1.", false, true},  {".5", false, true},
                          {"-", false, false},   {".", false, false},  {"-.", false, false},
                          {"", false, false},    {"1-", false, false}, {"1.2.3", false, false},
                          {"1,5", false, false}, {" 1", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsWholeNumberText(c.text), c.whole);
        EXPECT_EQ(IsDecimalNumberText(c.text), c.decimal);
    }
}

TEST(ShownNames, TheDisplayTextOrTheKeywordOfARowWithout) {
    TKeyword rows[3] = {};
    rows[0].Value = 0;
    SetField(rows[0].Keyword, "up");
    SetField(rows[0].Text, "Up");
    rows[1].Value = 1;
    SetField(rows[1].Keyword, "down");
    rows[2].Value = 2;
    SetField(rows[2].Keyword, "left");
    SetField(rows[2].Text, "down"); // a display text that is another row's keyword
    EXPECT_EQ(ShownName(rows[0]), "Up");
    EXPECT_EQ(ShownName(rows[1]), "down");
    EXPECT_EQ(ShownToValue(rows, 3, "up"), 0) << "display texts compare without case";
    EXPECT_EQ(ShownToValue(rows, 3, "down"), 2) << "a display text comes first";
    EXPECT_EQ(ShownToValue(rows, 3, "left"), -1) << "a row with a display text is not its keyword";
    EXPECT_EQ(ShownToValue(rows, 3, ""), -1) << "no choice is no row";
    EXPECT_EQ(ShownToValue(rows, 3, "nosuch"), -1);
}

class StepEncodingTest : public WizardTest {};

TEST_F(StepEncodingTest, RowsOfTheEdgeCases) {
    const auto key = [](int n, int vk) { return PickRow(n, Runtime.VKEY, VKeyCount, vk); };
    const auto mouse = [](int value) {
        return PickRow(1, Runtime.MOUSEVENT, MousEventCount, value);
    };
    struct Case {
        const char* label;
        std::vector<WizardStep> steps;
        Rows rows;
    };
    const Case cases[] = {
        {"the first step lands in row 1 with the name, the second in row 2 without",
         {Step("time"), Step("show_bar")},
         {{"Cmd", "time", "", "", "", ""}, {"", "show_bar", "", "", "", ""}}},
        {"keybevent Ctrl, Alt, Del",
         {Step("keybevent", {key(1, VK_CONTROL), key(2, VK_MENU), key(3, VK_DELETE)})},
         {{"Cmd", "keybevent", "17", "0", "", ""},
          {"", "keybevent", "18", "0", "", ""},
          {"", "keybevent", "46", "0", "", ""},
          {"", "keybevent", "46", "2", "", ""},
          {"", "keybevent", "18", "2", "", ""},
          {"", "keybevent", "17", "2", "", ""}}},
        {"keybevent with F2 emptied but F3 still showing a key",
         {Step("keybevent", {key(1, VK_CONTROL), key(2, VK_MENU), key(3, VK_DELETE), Pick(2, "")})},
         {{"Cmd", "keybevent", "17", "0", "", ""}, {"", "keybevent", "17", "2", "", ""}}},
        {"keybevent four keys",
         {Step("keybevent", {key(1, 'A'), key(2, 'B'), key(3, 'C'), key(4, 'D')})},
         {{"Cmd", "keybevent", "65", "0", "", ""},
          {"", "keybevent", "66", "0", "", ""},
          {"", "keybevent", "67", "0", "", ""},
          {"", "keybevent", "68", "0", "", ""},
          {"", "keybevent", "68", "2", "", ""},
          {"", "keybevent", "67", "2", "", ""},
          {"", "keybevent", "66", "2", "", ""},
          {"", "keybevent", "65", "2", "", ""}}},
        {"mousevent up_left 5",
         {Step("mousevent", {mouse(4), Type(2, "5")})},
         {{"Cmd", "mousevent", "1", "-5", "-5", "0"}}},
        {"mousevent whell_down 2",
         {Step("mousevent", {mouse(15), Type(2, "2")})},
         {{"Cmd", "mousevent", "2048", "0", "0", "-240"}}},
        {"mousevent button_right_press after a value was typed for a move",
         {Step("mousevent", {mouse(0), Type(2, "7"), mouse(10)})},
         {{"Cmd", "mousevent", "8", "0", "0", "0"}}},
        {"showfavorites Video",
         {Step("showfavorites", {Pick(1, "Video")})},
         {{"Cmd", "showfavorites", "1", "", "", ""}, {"", "runappl", "1", "", "", ""}}},
        {"showruning",
         {Step("showruning")},
         {{"Cmd", "showruning", "", "", "", ""}, {"", "runappl", "-1", "", "", ""}}},
        {"changebuf Int iBuf = iBuf + txtBuf",
         {Step("changebuf", {Buffer(false), Pick(1, "iBuf = iBuf + txtBuf")})},
         {{"Cmd", "changebuf", "Int", "iBuf = iBuf + txtBuf", "", ""}}},
        {"changebuf Txt Mid 2 3",
         {Step("changebuf", {Buffer(true), Pick(1, "Mid"), Type(2, "2"), Type(3, "3")})},
         {{"Cmd", "changebuf", "Txt", "Mid", "2", "3"}}},
        {"changebuf Txt Clear",
         {Step("changebuf", {Buffer(true), Pick(1, "Clear")})},
         {{"Cmd", "changebuf", "Txt", "Clear", "", ""}}},
        {"changebuf Txt Add takes a text longer than a number field",
         {Step("changebuf", {Buffer(true), Pick(1, "Add"), Type(2, "-a.b,c")})},
         {{"Cmd", "changebuf", "Txt", "Add", "-a.b,c", ""}}},
        {"set_volume Mute after a value was typed for Volume +",
         {Step("set_volume", {Pick(1, "Volume +"), Type(2, "10"), Pick(1, "Mute")})},
         {{"Cmd", "set_volume", "Mute", "", "", ""}}},
        {"sendmsg=buf 4, 1024, 7",
         {Step("sendmsg=buf", {Buffer(false), Pick(1, "4"), Type(3, "7")})},
         {{"Cmd", "sendmsg=buf", "Int", "4", "1024", "7"}}},
        {"mode digit",
         {Step("mode", {PickRow(1, Runtime.RCMODE, RcModeCount, 3)})},
         {{"Cmd", "mode", "3", "", "", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(BuildRows(c.steps), c.rows);
    }
}

// With no language file every display text is empty: the lists show the keywords, and each
// choice is encoded as the row it names, never as the first row of the list.
TEST_F(StepEncodingTest, WithoutALanguageFileTheListsShowKeywordsAndEncodeTheRowChosen) {
    Runtime.language = "Nosuch";
    Rows rows;
    std::vector<std::string> keys;
    RunWizard(KindCmdwizard, [&] {
        TFCmdwizard& w = *FCmdwizard;
        AddSteps(w, "Cmd",
                 {Step("keybevent", {Pick(1, "VK_CONTROL")}),
                  Step("mousevent", {Pick(1, "whell_down"), Type(2, "1")}),
                  Step("mousevent", {Pick(1, "button_middle_unpress")}),
                  Step("mode", {Pick(1, "digit")})});
        rows = GridRows(*w.stgCommand);
        toolkitsim::ChooseItem(*w.cmbType, "keybevent");
        keys.assign(w.cmbParam1->Items.begin(), w.cmbParam1->Items.end());
        toolkitsim::Click(*w.btnCancel);
    });
    ASSERT_EQ(keys.size(), static_cast<std::size_t>(VKeyCount));
    EXPECT_EQ(keys[0], "VK_LBUTTON");
    EXPECT_EQ(keys[VKeyCount - 1], "VK_OEM_CLEAR");
    EXPECT_EQ(rows, (Rows{{"Cmd", "keybevent", "17", "0", "", ""},
                          {"", "keybevent", "17", "2", "", ""},
                          {"", "mousevent", "2048", "0", "0", "-120"},
                          {"", "mousevent", "64", "0", "0", "0"},
                          {"", "mode", "3", "", "", ""}}));
}

// The language file gives two rows the same display text: the first one's value is written,
// as every lookup by display text takes the first row.
TEST_F(StepEncodingTest, TwoRowsWithOneDisplayTextGiveTheFirstRow) {
    PutFile(Prog("LANG\\Rus.ini"), "[MOUSEVENT]\r\n0=same\r\n1=same\r\n");
    Rows rows;
    RunWizard(KindCmdwizard, [&] {
        TFCmdwizard& w = *FCmdwizard;
        AddSteps(w, "Cmd", {Step("mousevent", {Pick(1, "same"), Type(2, "3")})});
        rows = GridRows(*w.stgCommand);
        toolkitsim::Click(*w.btnCancel);
    });
    EXPECT_EQ(rows, (Rows{{"Cmd", "mousevent", "1", "0", "-3", "0"}}));
}

} // namespace
