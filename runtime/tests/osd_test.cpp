// Tests of the on-screen window manager: creation, display time, fading, closing, hand-back.
#include "osd.h"

#include "command_executor.h"

#include "dialog_forms.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_list.h"
#include "form_time.h"
#include "osd_fixture.h"

#include <win32sim/regions.h>

#include <toolkit.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TStringList Lines(std::initializer_list<const char*> lines) {
    TStringList list;
    for (const char* line : lines)
        list.Add(line);
    return list;
}

class OsdTest : public OsdFixture {};

// Command steps as the command files hold them.
TCmdStep Step(const std::string& name, int step, int count, int type, const std::string& p1 = "") {
    TCmdStep s{};
    SetField(s.Name, name);
    s.Step = static_cast<std::int16_t>(step);
    s.StepCount = static_cast<std::int16_t>(count);
    s.CmdType = static_cast<std::int16_t>(type);
    SetField(s.Param1, p1);
    return s;
}

constexpr int kMode = 11;
constexpr int kTimer = 13;
constexpr int kShowRuning = 19;
constexpr int kIntBuf = 21;

// A command of the System application bound in function slot 0 and run, as a button would.
class OsdResumeTest : public OsdFixture {
protected:
    void SetUp() override {
        OsdFixture::SetUp();
        TApplEntry system{};
        SetField(system.Name, "System");
        TApplEntry player{};
        SetField(player.Name, "Player");
        player.Wnd = 0x1234;
        Runtime.ApplTable = {system, player};
        Runtime.ApplCount = 2;
    }
    void RunCommand(const std::vector<TCmdStep>& steps) {
        std::string bytes;
        for (const TCmdStep& s : steps)
            bytes.append(reinterpret_cast<const char*>(&s), sizeof s);
        PutFile(Prog("Bin\\defcmdSystem.bin"), bytes);
        TFuncCacheSlot& f = Runtime.FuncCache[0];
        SetField(f.ApplName, "System");
        SetField(f.Func.CmdName, steps[0].Name);
        f.Func.RcMode = 1;
        f.CmdSlot = -1;
        f.Active = -1;
        f.Hits = 1;
        std::int16_t slot = 0;
        ExecuteFunction(slot);
    }
};

TEST_F(OsdResumeTest, AnInputResumesTheWaitingCommandAtTheNextTick) {
    Runtime.RcMode = 1;
    RunCommand({Step("Sleep", 1, 2, kIntBuf, "1"), Step("", 2, 2, kTimer)});
    ASSERT_NE(FInput, nullptr);
    ASSERT_TRUE(FInput->Visible);
    EXPECT_EQ(Runtime.PendingInput, 1);
    EXPECT_EQ(Runtime.RcMode, 3);
    FInput->mEdit->Text = "42";
    toolkitsim::PressKey(*FInput, VK_RETURN);
    EXPECT_EQ(Runtime.SleepTimer, -1) << "nothing resumes before the tick";
    Ticks(1);
    EXPECT_EQ(Runtime.SleepTimer, 42);
    EXPECT_FALSE(FInput->Visible);
    EXPECT_EQ(Runtime.PendingInput, 0);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_EQ(Runtime.RcMode, 1);
}

TEST_F(OsdResumeTest, AResumedCommandMayAskAgainInTheSameWindow) {
    RunCommand(
        {Step("Twice", 1, 3, kIntBuf, "1"), Step("", 2, 3, kIntBuf, "1"), Step("", 3, 3, kTimer)});
    FInput->mEdit->Text = "5";
    toolkitsim::PressKey(*FInput, VK_RETURN);
    Ticks(1);
    EXPECT_TRUE(FInput->Visible) << "the second question stays on screen";
    EXPECT_EQ(Runtime.PendingInput, 1);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_EQ(Runtime.FormSlots[KindInput].Countdown, DisplayTime * 10);
    FInput->mEdit->Text = "7";
    toolkitsim::PressKey(*FInput, VK_RETURN);
    Ticks(1);
    EXPECT_FALSE(FInput->Visible);
    EXPECT_EQ(Runtime.SleepTimer, 7);
}

TEST_F(OsdResumeTest, AListChoiceRestoresTheModeBeforeTheCommandGoesOn) {
    Runtime.RcMode = 1;
    RunCommand({Step("Pick", 1, 2, kShowRuning), Step("", 2, 2, kMode, "3")});
    ASSERT_TRUE(FList->Visible);
    EXPECT_EQ(FList->lBox->Items.Text(), "Player\r\n");
    EXPECT_EQ(Runtime.RcMode, 2);
    toolkitsim::PressKey(*FList, VK_RETURN);
    Ticks(1);
    EXPECT_FALSE(FList->Visible);
    EXPECT_EQ(Runtime.RcMode, 3) << "the command's own mode step wins";
    EXPECT_EQ(Runtime.PendingList, 0);
    EXPECT_STREQ(Runtime.TextBuffer, "");
}

TEST_F(OsdTest, InfoWindowIsCreatedOnFirstUseAndKeptWhenItCloses) {
    EXPECT_EQ(FInfo, nullptr);
    OsdShowText("Hello", "");
    ASSERT_NE(FInfo, nullptr);
    TFInfo* first = FInfo;
    const TFormSlot& slot = Runtime.FormSlots[KindInfo];
    EXPECT_EQ(slot.Form, first);
    EXPECT_TRUE(first->Visible);
    EXPECT_EQ(slot.Countdown, DisplayTime);
    EXPECT_EQ(slot.Hold, 0);
    EXPECT_EQ(slot.Color, 11466791);
    EXPECT_EQ(first->Font.Color, 11466791);

    Ticks(DisplayTime + 1);
    EXPECT_EQ(FInfo, first) << "a closed on-screen window is hidden, not freed";
    EXPECT_FALSE(first->Visible);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Form, first);

    OsdShowText("Again", "");
    EXPECT_EQ(FInfo, first);
    EXPECT_TRUE(first->Visible);
}

TEST_F(OsdTest, FadesOutOverTenTicksAndClosesAtTheEleventh) {
    Runtime.Animation = 1;
    OsdShowText("Fade", "");
    ASSERT_EQ(FInfo->AlphaBlendValue, 255);
    Ticks(DisplayTime);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, 0);
    EXPECT_EQ(FInfo->AlphaBlendValue, 255);
    const int expected[] = {230, 205, 180, 155, 130, 105, 80, 55, 30, 5};
    for (int alpha : expected) {
        Ticks(1);
        ASSERT_TRUE(FInfo->Visible);
        EXPECT_EQ(FInfo->AlphaBlendValue, alpha);
    }
    Ticks(1);
    EXPECT_FALSE(FInfo->Visible);
}

TEST_F(OsdTest, WithoutFadingTheWindowClosesWhenItsCountdownHasRunOut) {
    struct Case {
        const char* name;
        std::uint8_t noLayered;
        std::uint8_t animation;
        int alpha; // after the show
    };
    const Case cases[] = {
        {"no layered windows, animation on", 1, 1, 0},
        {"layered windows, animation off", 0, 0, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Runtime.NoLayeredWindows = c.noLayered;
        Runtime.Animation = c.animation;
        OsdShowText("Text", "");
        EXPECT_EQ(FInfo->AlphaBlendValue, c.alpha);
        Ticks(DisplayTime);
        EXPECT_TRUE(FInfo->Visible);
        Ticks(1);
        EXPECT_FALSE(FInfo->Visible);
    }
}

TEST_F(OsdTest, TransparencyFollowsTheSettings) {
    Runtime.Alpha = 1;
    Runtime.Alphavalue = 0x1C8; // only the low byte is an alpha value
    Runtime.Infobackground = 1;
    OsdShowText("Text", "");
    EXPECT_TRUE(FInfo->AlphaBlend);
    EXPECT_EQ(FInfo->AlphaBlendValue, 0xC8);
    EXPECT_TRUE(FInfo->TransparentColor);

    Runtime.Alpha = 0;
    Runtime.Infobackground = 0;
    OsdShowText("Text", "");
    EXPECT_EQ(FInfo->AlphaBlendValue, 255);
    EXPECT_FALSE(FInfo->TransparentColor);
}

TEST_F(OsdTest, EveryTextShownRestartsTheDisplayTime) {
    OsdShowText("One", "");
    Ticks(15);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, DisplayTime - 15);
    OsdShowText("Two", "");
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, DisplayTime);
    Ticks(DisplayTime);
    EXPECT_TRUE(FInfo->Visible);
    Ticks(1);
    EXPECT_FALSE(FInfo->Visible);
}

TEST_F(OsdTest, AHiddenWindowNeitherCountsDownNorFades) {
    Runtime.Animation = 1;
    OsdShowText("Text", "");
    Ticks(DisplayTime);
    FInfo->Hide();
    Ticks(50);
    EXPECT_EQ(FInfo->AlphaBlendValue, 255);
    Runtime.FormSlots[KindInfo].Countdown = 7;
    Ticks(50);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, 7);
}

TEST_F(OsdTest, AHeldClockStaysAndTheToggleClosesItAtOnce) {
    Runtime.Consttime = 1;
    Runtime.Animation = 1;
    OsdShowClock(false);
    ASSERT_NE(FTime, nullptr);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 1);
    Ticks(500);
    EXPECT_TRUE(FTime->Visible);
    EXPECT_EQ(FTime->AlphaBlendValue, 255);

    OsdShowClock(true);
    EXPECT_FALSE(FTime->Visible) << "closed without fading, hold or not";
}

TEST_F(OsdTest, TheClockRefreshKeepsItsCountdown) {
    OsdShowClock(false);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Countdown, DisplayTime);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 0);
    Ticks(5);
    OsdShowClock(false);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Countdown, DisplayTime - 5);
    EXPECT_EQ(FTime->lblMsgtext->Caption().find(':') != std::string::npos, true);
}

TEST_F(OsdTest, AClockShownAgainAfterItFadedIsSeenForTheFullTime) {
    Runtime.Animation = 1;
    OsdShowClock(false);
    Ticks(DisplayTime + 11);
    ASSERT_FALSE(FTime->Visible);
    EXPECT_EQ(FTime->AlphaBlendValue, 5);
    OsdShowClock(false);
    EXPECT_TRUE(FTime->Visible);
    EXPECT_EQ(FTime->AlphaBlendValue, 255);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Countdown, DisplayTime);
}

TEST_F(OsdTest, TheBarWindowShowsItsValue) {
    OsdShowBar("Volume", 40, "Vol");
    ASSERT_NE(FBar, nullptr);
    EXPECT_TRUE(FBar->Visible);
    EXPECT_EQ(FBar->cgBar->Progress, 40);
    EXPECT_EQ(FBar->lblMsgtext->Caption(), "Volume");
    EXPECT_EQ(Runtime.FormSlots[KindBar].Hold, 0);
    OsdShowBar("Volume", 250, "Vol");
    EXPECT_EQ(FBar->cgBar->Progress, 100);
}

TEST_F(OsdTest, AListLeftAloneClosesAfterTwentySecondsWithoutAResult) {
    Runtime.RcMode = 1;
    Runtime.PendingList = 1;
    Runtime.ListKind = 0;
    Runtime.PendingFunc = 4;
    OsdShowList(Lines({"Alpha", "Beta", "Gamma"}));
    ASSERT_NE(FList, nullptr);
    EXPECT_TRUE(FList->Visible);
    EXPECT_EQ(Runtime.RcMode, 2);
    EXPECT_EQ(Runtime.SavedRcMode, 1);
    EXPECT_EQ(Runtime.FormSlots[KindList].Countdown, DisplayTime * 10);

    Ticks(DisplayTime * 10);
    EXPECT_TRUE(FList->Visible);
    Ticks(1);
    EXPECT_FALSE(FList->Visible);
    EXPECT_EQ(Runtime.PendingList, 0);
    EXPECT_EQ(Runtime.ListKind, -1);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_EQ(Runtime.RcMode, 1) << "the remote gets its mode back";
    EXPECT_EQ(Runtime.PendingFunc, 4) << "the command stays suspended";
}

TEST_F(OsdTest, AnInputLeftAloneClosesAfterTwentySecondsWithoutAResult) {
    Runtime.RcMode = 0;
    Runtime.PendingInput = 1;
    OsdShowInput(1);
    ASSERT_NE(FInput, nullptr);
    EXPECT_EQ(FInput->InputMode, 1);
    EXPECT_EQ(Runtime.RcMode, 3);
    Ticks(DisplayTime * 10);
    EXPECT_TRUE(FInput->Visible);
    Ticks(1);
    EXPECT_FALSE(FInput->Visible);
    EXPECT_EQ(Runtime.PendingInput, 0);
    EXPECT_EQ(Runtime.RcMode, 0);
}

TEST_F(OsdTest, AListReplacingOneOnScreenKeepsTheModeFromBefore) {
    Runtime.RcMode = 1;
    OsdShowList(Lines({"a"}));
    OsdShowList(Lines({"b", "c"}));
    EXPECT_EQ(Runtime.SavedRcMode, 1);
    Ticks(DisplayTime * 10 + 1);
    EXPECT_FALSE(FList->Visible);
    EXPECT_EQ(Runtime.RcMode, 1);

    OsdShowInput(0);
    OsdShowInput(1);
    EXPECT_EQ(Runtime.SavedRcMode, 1);
}

TEST_F(OsdTest, AFunctionListChoiceIsReplayedNotResumed) {
    Runtime.RcMode = 1;
    Runtime.PendingList = 1;
    Runtime.ReplayRequest = 1;
    OsdShowList(Lines({"first line", "second line"}));
    FList->lBox->ItemIndex = 1;
    toolkitsim::PressKey(*FList, VK_RETURN);
    EXPECT_EQ(Runtime.NumberBuffer, 1.0f);
    Ticks(1);
    EXPECT_FALSE(FList->Visible);
    EXPECT_EQ(Runtime.ReplayRequest, 2);
    EXPECT_STREQ(Runtime.TextBuffer, "second line");
    EXPECT_EQ(Runtime.NumberBuffer, 1.0f);
    EXPECT_EQ(Runtime.RcMode, 1);
    EXPECT_EQ(Runtime.PendingList, 0);
    EXPECT_EQ(Runtime.ListKind, -1);
}

TEST_F(OsdTest, EscapeAndDoubleClickCloseTheListWithoutAResult) {
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way == 0 ? "Esc" : "double click");
        Runtime.RcMode = 1;
        Runtime.PendingList = 1;
        Runtime.ReplayRequest = 1;
        OsdShowList(Lines({"a", "b"}));
        if (way == 0)
            toolkitsim::PressKey(*FList, VK_ESCAPE);
        else
            toolkitsim::DblClick(*FList->lBox);
        EXPECT_EQ(FList->AlphaBlendValue, 0);
        Ticks(1);
        EXPECT_FALSE(FList->Visible);
        EXPECT_EQ(Runtime.ReplayRequest, 0) << "nothing to replay, and the request ends";
        EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
        EXPECT_EQ(Runtime.PendingList, 0);
        EXPECT_EQ(Runtime.RcMode, 1);
    }
}

TEST_F(OsdTest, AChoiceWithNothingSuspendedClearsTheBuffers) {
    Runtime.RcMode = 1;
    Runtime.PendingList = 1;
    OsdShowList(Lines({"only"}));
    toolkitsim::PressKey(*FList, VK_RETURN);
    EXPECT_STREQ(Runtime.TextBuffer, "only");
    Ticks(1);
    EXPECT_FALSE(FList->Visible);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_STREQ(Runtime.TextBuffer, "");
    EXPECT_EQ(Runtime.RcMode, 1);
    EXPECT_EQ(Runtime.PendingList, 0);
}

TEST_F(OsdTest, ShowingAListTakesTheInfoWindowAwayAtTheNextTick) {
    OsdShowText("Info", "");
    OsdShowList(Lines({"a"}));
    EXPECT_EQ(FInfo->AlphaBlendValue, 0);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, 0);
    Ticks(1);
    EXPECT_FALSE(FInfo->Visible);
    EXPECT_TRUE(FList->Visible);
}

TEST_F(OsdTest, AnEmptyListShowsANoticeAndGivesTheRemoteItsModeBack) {
    PutFile(Prog("LANG\\Rus.ini"), "[Msg]\r\nmsg_noitems=Nothing here\r\n");
    Runtime.language = "Rus";
    Runtime.RcMode = 1;
    OsdShowList(TStringList());
    ASSERT_NE(FList, nullptr);
    EXPECT_FALSE(FList->Visible);
    ASSERT_NE(FInfo, nullptr);
    EXPECT_TRUE(FInfo->Visible);
    EXPECT_EQ(FInfo->lblMsgtext->Caption(), "Nothing here");
    EXPECT_EQ(Runtime.RcMode, 1);
}

TEST_F(OsdTest, AMovedWindowSavesItsLayoutUnderItsOwnNameWhenItCloses) {
    OsdShowText("Drag me", "");
    const int left = FInfo->Left, top = FInfo->Top;
    toolkitsim::MouseDown(*FInfo->lblMsgtext, mbLeft, 5, 5);
    toolkitsim::MouseMove(*FInfo->lblMsgtext, 15, 25);
    toolkitsim::MouseUp(*FInfo->lblMsgtext, mbLeft, 15, 25);
    EXPECT_EQ(FInfo->Left, left + 10);
    EXPECT_EQ(FInfo->Top, top + 20);
    EXPECT_EQ(FInfo->Tag, 1);
    Ticks(DisplayTime + 1);
    EXPECT_FALSE(FInfo->Visible);
    EXPECT_EQ(ConfigValue("FInfo", "Left"), std::to_string(left + 10));
    EXPECT_EQ(ConfigValue("FInfo", "Top"), std::to_string(top + 20));
    EXPECT_EQ(ConfigValue("FInfo", "Color"), "11466791");
    EXPECT_EQ(FInfo->Tag, 0);

    OsdShowInput(0);
    toolkitsim::MouseDown(*FInput, mbLeft, 2, 2);
    toolkitsim::MouseMove(*FInput, 4, 2);
    toolkitsim::MouseUp(*FInput, mbLeft, 4, 2);
    OsdTick(FInput);
    EXPECT_FALSE(FInput->Visible);
    EXPECT_EQ(ConfigValue("FInput", "Left"), std::to_string(FInput->Left));
}

TEST_F(OsdTest, AClickWithoutMovementDoesNotMarkTheWindowMoved) {
    OsdShowText("Click", "");
    toolkitsim::MouseDown(*FInfo, mbLeft, 5, 5);
    toolkitsim::MouseUp(*FInfo, mbLeft, 5, 5);
    EXPECT_EQ(FInfo->Tag, 0);
    OsdTick(FInfo);
    EXPECT_EQ(ConfigValue("FInfo", "Left"), "<none>");
}

TEST_F(OsdTest, ANewWindowTakesItsLayoutAndColourFromConfigIni) {
    PutFile(Prog("config.ini"), "[FTime]\r\nTop=40\r\nLeft=70\r\nHeight=60\r\nColor=255\r\n"
                                "[FInfo]\r\nTop=300\r\nColor=65280\r\n");
    OsdShowClock(false);
    EXPECT_EQ(FTime->Top, 40);
    EXPECT_EQ(FTime->Left, 70) << "the clock keeps its position";
    EXPECT_EQ(FTime->Height, 60);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Color, 255);
    EXPECT_EQ(FTime->Font.Color, 255);

    OsdShowInput(0);
    EXPECT_EQ(Runtime.FormSlots[KindInput].Color, 65280) << "the input window reads FInfo";
}

TEST_F(OsdTest, DoubleClickOnTheTextClosesTheWindowAtTheNextTick) {
    Runtime.Animation = 1;
    Runtime.Consttime = 1;
    OsdShowClock(false);
    toolkitsim::DblClick(*FTime->lblMsgtext);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, 0);
    EXPECT_EQ(Runtime.FormSlots[KindTime].Countdown, 0);
    EXPECT_EQ(FTime->AlphaBlendValue, 0);
    Ticks(1);
    EXPECT_FALSE(FTime->Visible);
}

TEST_F(OsdTest, AltF4IsSwallowed) {
    OsdShowText("Stay", "");
    toolkitsim::KeyDown(*FInfo, VK_F4, TShiftState{ssAlt});
    EXPECT_TRUE(FInfo->Visible);
    OsdShowList(Lines({"a"}));
    toolkitsim::KeyDown(*FList, VK_F4, TShiftState{ssAlt});
    EXPECT_TRUE(FList->Visible);
}

TEST_F(OsdTest, SecondsBecomeATimeOfDay) {
    struct Case {
        std::int32_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {3909, "1:05:09"},   {0, "0:00:00"},      {59, "0:00:59"},
        {86399, "23:59:59"}, {90061, "25:01:01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(SecondsToTimeText(c.seconds), c.text);
    }
}

TEST_F(OsdTest, FreeWindowRegionDeletesWhatItIsGivenAndClearsTheHandles) {
    OsdShowText("Region", "");
    const HWND window = FInfo->Handle();
    HRGN installed = CreateRectRgn(0, 0, 10, 10);
    ASSERT_TRUE(SetWindowRgn(window, installed, TRUE));
    HRGN a = CreateRectRgn(0, 0, 5, 5);
    HRGN none = nullptr;
    HRGN c = CreateEllipticRgn(0, 0, 5, 5);
    const std::size_t held = win32sim::HeldGdiObjectCount();
    FreeWindowRegion(window, installed, a, none, c);
    EXPECT_EQ(installed, nullptr);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(win32sim::WindowRegion(window), nullptr);
    EXPECT_EQ(win32sim::HeldGdiObjectCount(), held - 2);
}

// The settings dialog closes in two stages: its own close releases the hold, the manager's
// tick fades and closes it, and the slot is cleared.
TEST_F(OsdTest, ADialogIsShownModallyAndClosedByTheTickOnceReleased) {
    Runtime.Animation = 1;
    std::vector<int> alphas;
    bool reshown = false;
    toolkitsim::OnModal([&](TCustomForm& form) {
        ASSERT_EQ(&form, TestConfig());
        EXPECT_EQ(Runtime.FormSlots[KindConfig].Hold, 1);
        toolkitsim::At(100, [&] {
            Ticks(5);
            EXPECT_EQ(TestConfig()->AlphaBlendValue, 255) << "held while open";
            TestConfig()->Close(); // refused, marks it done
        });
        toolkitsim::At(200, [&] {
            ASSERT_NE(TestConfig(), nullptr);
            EXPECT_EQ(Runtime.FormSlots[KindConfig].Hold, 0);
            Ticks(3);
            alphas.push_back(TestConfig()->AlphaBlendValue);
            // Shown again while it fades: held again, not shown a second time.
            reshown = ShowForm(KindConfig);
            Ticks(3);
            alphas.push_back(TestConfig()->AlphaBlendValue);
            TestConfig()->Finish();
        });
        toolkitsim::At(300, [&] {
            for (int i = 0; i < 20 && Runtime.FormSlots[KindConfig].Form; ++i)
                Ticks(1);
        });
    });
    ShowForm(KindConfig);
    EXPECT_TRUE(reshown);
    EXPECT_EQ(alphas, (std::vector<int>{180, 255}));
    EXPECT_EQ(Runtime.FormSlots[KindConfig].Form, nullptr);
    toolkitsim::RunFor(10);
    EXPECT_EQ(TestConfig(), nullptr) << "the dialog is freed";
}

} // namespace
