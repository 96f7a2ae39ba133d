// Tests of the list chooser and the input window.
#include "form_info.h"
#include "form_input.h"
#include "form_list.h"
#include "osd.h"
#include "osd_fixture.h"

#include <win32sim/machine.h>
#include <win32sim/regions.h>

#include <toolkit.h>

#include <algorithm>
#include <string>

namespace {

TStringList Numbered(int count) {
    TStringList list;
    for (int i = 0; i < count; ++i)
        list.Add("Item " + std::to_string(i));
    return list;
}

void SetTimeOfDay(WORD hour, WORD minute, WORD second) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 5;
    t.wDay = 17;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    win32sim::SetLocalTime(t);
}

class ListInputTest : public OsdFixture {};

TEST_F(ListInputTest, TheListFillsMostOfTheScreenAndSelectsTheFirstItem) {
    OsdShowList(Numbered(3));
    EXPECT_EQ(FList->lBox->Items.Count(), 3);
    EXPECT_EQ(FList->lBox->ItemIndex, 0);
    EXPECT_EQ(FList->ClientWidth, 972);
    EXPECT_EQ(FList->Left, 26);
    EXPECT_EQ(FList->ClientHeight, FList->Canvas.TextHeight("1") * 3)
        << "a short list is as high as its lines";
    EXPECT_EQ(FList->lBox->ItemHeight, FList->Canvas.TextHeight("1"))
        << "each row as high as its text";
    EXPECT_EQ(FList->Top, (768 - FList->Height) / 2);
}

TEST_F(ListInputTest, ALongListKeepsNinetyFivePercentOfTheScreenHeight) {
    OsdShowList(Numbered(40));
    EXPECT_EQ(FList->ClientHeight, 729);
    EXPECT_EQ(FList->Font.Size, 729 / 15);
}

TEST_F(ListInputTest, AnItemTooWideForTheScreenShrinksTheFont) {
    TStringList list;
    list.Add(std::string(200, 'x'));
    TCanvas canvas;
    OsdShowList(list);
    // The font the list starts from, as wide as the item is then.
    canvas.Font.Assign(FList->Font);
    canvas.Font.Size = 729 / 15;
    const int widest = canvas.TextWidth(list[0]);
    ASSERT_GT(widest, 972);
    EXPECT_EQ(FList->Font.Size, static_cast<int>(972.0 / widest * (729 / 15)));
}

TEST_F(ListInputTest, ElevenItemsLeaveTheScrollBarOutsideTheRegion) {
    Runtime.Regions = 1;
    struct Case {
        int items;
        int cut;
    };
    for (const Case c : {Case{10, 0}, Case{11, 15}}) {
        SCOPED_TRACE(c.items);
        OsdShowList(Numbered(c.items));
        const HRGN region = win32sim::WindowRegion(FList->Handle());
        ASSERT_NE(region, nullptr);
        // A rounded shape leaves out the last column of its box, as on Windows.
        EXPECT_EQ(win32sim::RegionBounds(region).right, FList->Width - c.cut - 1);
        Ticks(DisplayTime * 10 + 1);
    }
}

TEST_F(ListInputTest, EnterStoresTheChosenTextCutToTheBuffer) {
    TStringList list;
    list.Add("short");
    list.Add(std::string(100, 'L'));
    OsdShowList(list);
    FList->lBox->ItemIndex = 1;
    toolkitsim::PressKey(*FList, VK_RETURN);
    EXPECT_EQ(std::string(Runtime.TextBuffer), std::string(77, 'L'));
    EXPECT_EQ(Runtime.NumberBuffer, 1.0f);
    EXPECT_EQ(Runtime.FormSlots[KindList].Hold, 0);
    EXPECT_EQ(Runtime.FormSlots[KindList].Countdown, 0);
}

TEST_F(ListInputTest, EnterWithNothingSelectedClosesWithoutAResult) {
    Runtime.PendingList = 1;
    OsdShowList(Numbered(2));
    FList->lBox->ItemIndex = -1;
    toolkitsim::PressKey(*FList, VK_RETURN);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    Ticks(1);
    EXPECT_FALSE(FList->Visible);
    EXPECT_EQ(Runtime.PendingList, 0);
}

TEST_F(ListInputTest, AClickOnTheListRestartsItsTime) {
    Runtime.Alpha = 1;
    Runtime.Alphavalue = 180;
    OsdShowList(Numbered(2));
    Ticks(150);
    FList->AlphaBlendValue = 90;
    toolkitsim::Click(*FList->lBox);
    EXPECT_EQ(Runtime.FormSlots[KindList].Countdown, DisplayTime * 10);
    EXPECT_EQ(FList->AlphaBlendValue, 180);
}

TEST_F(ListInputTest, AClickOnTheInputRestoresTheAlphaItWasShownWith) {
    struct Case {
        std::uint8_t alpha;
        int expected;
    };
    for (const Case c : {Case{1, 150}, Case{0, 255}}) {
        SCOPED_TRACE(static_cast<int>(c.alpha));
        Runtime.Alpha = c.alpha;
        Runtime.Alphavalue = 150;
        OsdShowInput(0);
        EXPECT_EQ(FInput->AlphaBlendValue, c.expected);
        Ticks(30);
        FInput->AlphaBlendValue = 40;
        toolkitsim::Click(*FInput->mEdit);
        EXPECT_EQ(FInput->AlphaBlendValue, c.expected);
        EXPECT_EQ(Runtime.FormSlots[KindInput].Countdown, DisplayTime * 10);
    }
}

TEST_F(ListInputTest, TheInputWindowEntersATimeAsSecondsFromNow) {
    struct Case {
        WORD hour, minute, second;
        const char* text;
        float seconds;
    };
    const Case cases[] = {
        {8, 0, 0, "07:30", -1800.0f},
        {0, 0, 0, "23:59", 86340.0f},
        {12, 0, 30, "12:01", 30.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SetTimeOfDay(c.hour, c.minute, c.second);
        Runtime.PendingInput = 1;
        OsdShowInput(0);
        EXPECT_EQ(FInput->mEdit->Text(), "00:00");
        FInput->mEdit->Text = c.text;
        toolkitsim::PressKey(*FInput, VK_RETURN);
        EXPECT_EQ(Runtime.NumberBuffer, c.seconds);
        EXPECT_EQ(FInput->AlphaBlendValue, 0);
        Ticks(1);
        EXPECT_FALSE(FInput->Visible);
    }
}

TEST_F(ListInputTest, TheInputWindowEntersANumber) {
    OsdShowInput(1);
    EXPECT_EQ(FInput->mEdit->MaxLength, 7);
    EXPECT_EQ(Trim(FInput->mEdit->Text()), "");
    FInput->mEdit->Text = "42";
    toolkitsim::PressKey(*FInput, VK_RETURN);
    EXPECT_EQ(Runtime.NumberBuffer, 42.0f);
}

TEST_F(ListInputTest, AnEmptyEntryClosesWithoutAResult) {
    for (std::int16_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        OsdShowInput(mode);
        FInput->mEdit->Text = "";
        toolkitsim::ClearBoxes();
        toolkitsim::PressKey(*FInput, VK_RETURN);
        EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
        EXPECT_EQ(Runtime.FormSlots[KindInput].Countdown, 0);
        EXPECT_TRUE(toolkitsim::Boxes().empty());
        Ticks(1);
        EXPECT_FALSE(FInput->Visible);
    }
}

TEST_F(ListInputTest, AnEntryThatIsNoNumberIsReportedAndTheWindowStays) {
    OsdShowInput(1);
    FInput->mEdit->Text = "1 2"; // the blank between the digits leaves a position empty
    toolkitsim::ClearBoxes();
    toolkitsim::PressKey(*FInput, VK_RETURN);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    const auto boxes = toolkitsim::Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Exception);
    EXPECT_NE(Runtime.FormSlots[KindInput].Countdown, 0);
    EXPECT_NE(FInput->AlphaBlendValue, 0);
    Ticks(1);
    EXPECT_TRUE(FInput->Visible);
}

TEST_F(ListInputTest, TheTimeFilterRefusesImpossibleDigits) {
    OsdShowInput(0);
    struct Case {
        const char* text;
        int caret;
        char key;
        char result;
        int caretAfter;
    };
    const Case cases[] = {
        {"00:00", 0, '\b', 0, 0},  {"00:00", 0, 'a', 0, 0},   {"00:00", 0, '3', 0, 0},
        {"00:00", 0, '2', '2', 0}, {"20:00", 1, '4', 0, 1},   {"20:00", 1, '3', '3', 1},
        {"10:00", 1, '9', '9', 1}, {"12:00", 3, '6', 0, 3},   {"12:00", 3, '5', '5', 3},
        {"12:00", 4, '9', '9', 4}, {"12:34", 5, '9', '9', 0}, {"12:34", 5, 'a', 0, 0},
        {"12:34", 5, '\b', 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " caret " + std::to_string(c.caret) + " key " +
                     std::to_string(c.key));
        FInput->mEdit->Text = c.text;
        FInput->mEdit->SelStart = c.caret;
        char key = c.key;
        FInput->FilterKey(key);
        EXPECT_EQ(key, c.result);
        EXPECT_EQ(FInput->mEdit->SelStart, c.caretAfter);
    }
}

TEST_F(ListInputTest, TheNumberFilterWrapsFromTheEndToTheFirstDigit) {
    OsdShowInput(1);
    FInput->mEdit->Text = "1234";
    FInput->mEdit->SelStart = 7;
    char key = '5';
    FInput->FilterKey(key);
    EXPECT_EQ(key, '5');
    EXPECT_EQ(FInput->mEdit->SelStart, 3);
}

TEST_F(ListInputTest, AKeyRestartsTheInputTime) {
    OsdShowInput(0);
    Ticks(100);
    EXPECT_EQ(Runtime.FormSlots[KindInput].Countdown, DisplayTime * 10 - 100);
    FInput->mEdit->SelStart = 0;
    toolkitsim::KeyPress(*FInput, '1');
    EXPECT_EQ(Runtime.FormSlots[KindInput].Countdown, DisplayTime * 10);
}

TEST_F(ListInputTest, EveryShowingMakesTheInputWindowLowerDownToTwelvePixels) {
    OsdShowInput(0);
    int height = FInput->ClientHeight;
    for (int i = 0; i < 40; ++i) {
        const int font = height * 5 / 7;
        const int expected = std::max(12, 96 * font / 72);
        OsdShowInput(0);
        ASSERT_EQ(FInput->ClientHeight, expected) << "showing " << i;
        height = expected;
    }
    EXPECT_EQ(height, 12);
}

TEST_F(ListInputTest, TheInputWindowIsCentredAndAsLargeAsItsEdit) {
    OsdShowInput(1);
    EXPECT_EQ(FInput->ClientWidth, FInput->mEdit->Width);
    EXPECT_EQ(FInput->ClientHeight, FInput->mEdit->Height);
    // The text fits the edit, with the edit's margins beside it.
    EXPECT_LE(FInput->Canvas.TextHeight("1"), FInput->mEdit->Height);
    EXPECT_EQ(FInput->mEdit->Width, FInput->Canvas.TextWidth("\xB9: 0000") + 4);
    EXPECT_EQ(FInput->Left, (1024 - FInput->Width) / 2);
    EXPECT_EQ(FInput->Top, (768 - FInput->Height) / 2);
    EXPECT_EQ(FInput->mEdit->EditMask(), "\xB9: 9999;0;_");
}

} // namespace
