// Tests of what pressed buttons and their commands show: the combination and hold texts, the
// command name, text and bar steps, the volume bar and mute texts, the clock and where keys go.
#include "engine_fixture.h"

#include "win32sim/machine.h"
#include "win32sim/multimedia.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace engine_test;

class EngineWindowsTest : public EngineFixture {};

TEST_F(EngineWindowsTest, AnUnboundCombinationGrowsInTheInfoWindowAndStartsAnewAfterTheThird) {
    Runtime.RcMode = 1;
    Press(kA);
    EXPECT_EQ(InfoText(), "\"A\"");
    EXPECT_EQ(PictureOf(FInfo->imMsgpict), "keylist");
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, DisplayTime);
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Hold, 0);
    Ticks(5);
    Press(kB);
    EXPECT_EQ(InfoText(), "\"A\"+\"B\"");
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, DisplayTime) << "each text restarts the time";
    EXPECT_EQ(Runtime.ComboCount, 2);
    Press(kC);
    EXPECT_EQ(InfoText(), "\"A\"+\"B\"+\"C\"");
    EXPECT_EQ(Runtime.ComboCount, 0);
    EXPECT_STREQ(Runtime.ButtonCombination, "");
    EXPECT_EQ(Runtime.ComboPrevCode, 0);
    EXPECT_EQ(Runtime.ComboFuncSlot, -1);
    Press(kD);
    EXPECT_EQ(InfoText(), "\"D\"") << "a fourth button starts a new combination";
    EXPECT_EQ(Runtime.ComboCount, 1);
    Ticks(DisplayTime + 1);
    EXPECT_EQ(InfoText(), "<hidden>");
    EXPECT_EQ(Runtime.ComboCount, 1) << "the window's time-out leaves the combination alone";
}

TEST_F(EngineWindowsTest, InHoldModeAnUnboundButtonShowsTheHoldTextAndResets) {
    Runtime.RcMode = 0;
    for (const std::int64_t code : {kA, kB}) {
        SCOPED_TRACE(code);
        Press(code);
        EXPECT_EQ(InfoText(), Text(kRemoteHold));
        EXPECT_EQ(PictureOf(FInfo->imMsgpict), "rchold");
        EXPECT_EQ(Runtime.ComboCount, 0);
        EXPECT_STREQ(Runtime.ButtonCombination, "");
        EXPECT_EQ(Runtime.ComboAppl, "");
    }
}

TEST_F(EngineWindowsTest, TheModeStepShowsTheHoldTextOnlyWhenItSwitchesToHold) {
    Bind("System", {{"Quiet", "\"A\"", {{kMode, "2"}}}, {"Hold", "\"B\"", {{kMode, "0"}}}});
    Press(kA);
    EXPECT_EQ(Runtime.RcMode, 2);
    EXPECT_EQ(FInfo, nullptr) << "switching to another mode shows nothing";
    Press(kB);
    EXPECT_EQ(Runtime.RcMode, 0);
    EXPECT_EQ(InfoText(), Text(kRemoteHold));
    EXPECT_EQ(PictureOf(FInfo->imMsgpict), "rchold");
}

TEST_F(EngineWindowsTest, TheBoundCommandsNameIsShownWhenSwitchedOn) {
    Bind("System", {{"Louder Now", "\"A\"", {{kChangeBuf, "", "Add", "x"}}}});
    Runtime.showcmdtext = 0;
    Press(kA);
    EXPECT_EQ(FInfo, nullptr);
    Runtime.showcmdtext = 1;
    Press(kA);
    EXPECT_EQ(InfoText(), "Louder Now");
    EXPECT_EQ(PictureOf(FInfo->imMsgpict), "keylist");
    EXPECT_STREQ(Runtime.TextBuffer, "") << "the dispatch empties the buffers after the run";
}

TEST_F(EngineWindowsTest, ShowTxtShowsTheTextOrTheNumberBuffer) {
    struct Case {
        const char* label;
        std::string selector;
        std::string shown;
    };
    // The command fills both buffers first: the text "hello", the number -1 + 3.5.
    const Case cases[] = {
        {"text buffer", "Txt", "hello"},
        {"number buffer", "Int", "2.5"},
        {"the selector is case sensitive", "txt", "2.5"},
        {"any other selector", "", "2.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Runtime.FuncCache = {};
        Runtime.CmdCache = {};
        Bind("System", {{"Show",
                         "\"A\"",
                         {{kChangeBuf, "", "Add", "hello"},
                          {kChangeBuf, "", "iBuf + X", "3.5"},
                          {kShowTxt, c.selector}}}});
        Press(kA);
        EXPECT_EQ(InfoText(), c.shown);
        EXPECT_EQ(PictureOf(FInfo->imMsgpict), "txtbuf");
        EXPECT_EQ(Runtime.FormSlots[KindInfo].Countdown, DisplayTime);
    }
}

TEST_F(EngineWindowsTest, ShowBarShowsTheTextAndTheNumberCutToAnInteger) {
    Bind("System",
         {{"Bar",
           "\"A\"",
           {{kChangeBuf, "", "Add", "Level"}, {kChangeBuf, "", "iBuf + X", "43.9"}, {kShowBar}}}});
    Press(kA);
    ASSERT_TRUE(Shown(FBar));
    EXPECT_EQ(FBar->lblMsgtext->Caption, "Level");
    EXPECT_EQ(FBar->cgBar->Progress, 42);
    EXPECT_EQ(PictureOf(FBar->imMsgpict), "bar");
    EXPECT_EQ(Runtime.FormSlots[KindBar].Countdown, DisplayTime);
    EXPECT_EQ(Runtime.FormSlots[KindBar].Hold, 0);
    Ticks(DisplayTime + 1);
    EXPECT_FALSE(Shown(FBar));
    EXPECT_NE(FBar, nullptr) << "hidden, not freed";
}

TEST_F(EngineWindowsTest, VolumeStepsShowTheBarAndTheMuteTexts) {
    Runtime.VolumeKind = 3;
    win32sim::WaveOutDevice device;
    device.volume = 0x80008000;
    win32sim::SetWaveOutDevices({device});
    Bind("System", {{"Louder", "\"A\"", {{kSetVolume, "Volume +", "10"}}},
                    {"Silence", "\"B\"", {{kSetVolume, "Mute"}}}});

    Press(kA);
    EXPECT_EQ(win32sim::WaveOutVolume(0), (0x8000u + 6550) * 0x10001);
    ASSERT_TRUE(Shown(FBar));
    EXPECT_EQ(FBar->lblMsgtext->Caption, Text(kVolume));
    EXPECT_EQ(FBar->cgBar->Progress, 60);
    EXPECT_EQ(PictureOf(FBar->imMsgpict), "Vol");
    EXPECT_EQ(FInfo, nullptr);

    Press(kB);
    EXPECT_EQ(win32sim::WaveOutVolume(0), 0u);
    EXPECT_EQ(InfoText(), Text(kMute));
    EXPECT_EQ(PictureOf(FInfo->imMsgpict), "Mute");

    Ticks(DisplayTime + 1);
    ASSERT_FALSE(Shown(FBar));
    Press(kB); // the same button again after the run: taken, and unmutes
    EXPECT_EQ(win32sim::WaveOutVolume(0), (0x8000u + 6550) * 0x10001);
    EXPECT_EQ(InfoText(), Text(kUnmute));
    EXPECT_EQ(PictureOf(FInfo->imMsgpict), "Vol");
    ASSERT_TRUE(Shown(FBar)) << "then the volume bar";
    EXPECT_EQ(FBar->cgBar->Progress, 60);
}

TEST_F(EngineWindowsTest, TheTimeStepTogglesTheClock) {
    SYSTEMTIME t{};
    t.wYear = 2024;
    t.wMonth = 5;
    t.wDay = 17;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 7;
    win32sim::SetLocalTime(t);
    Bind("System", {{"Clock", "\"A\"", {{kTime}}}});
    for (const std::uint8_t consttime : {0, 1}) {
        SCOPED_TRACE(static_cast<int>(consttime));
        Runtime.Consttime = consttime;
        Press(kA);
        ASSERT_TRUE(Shown(FTime));
        EXPECT_EQ(FTime->lblMsgtext->Caption, "9:05:07");
        EXPECT_EQ(PictureOf(FTime->imMsgpict), "clock");
        EXPECT_EQ(Runtime.FormSlots[KindTime].Hold, consttime);
        EXPECT_EQ(Runtime.FormSlots[KindTime].Countdown, DisplayTime) << "also when shown again";
        Ticks(3);
        Press(kA);
        EXPECT_FALSE(Shown(FTime)) << "the second press closes it at once";
        EXPECT_NE(FTime, nullptr);
    }
}

TEST_F(EngineWindowsTest, AKeyGoesToAVisibleListOrInputWindowBeforeTheApplication) {
    struct Case {
        const char* label;
        StepSpec wait;
        TForm** window;
    };
    const Case cases[] = {
        {"list", {kShowRuning}, reinterpret_cast<TForm**>(&FList)},
        {"input", {kInputNumber, "1"}, reinterpret_cast<TForm**>(&FInput)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const HWND player = OpenPlayerWindow();
        win32sim::WindowSpec otherSpec;
        otherSpec.className = "Other";
        const HWND other = win32sim::CreateForeignWindow(otherSpec, 600, 601);
        Bind("Player", {{"Wait", "\"A\"", {c.wait, {kShowTxt, "Txt"}}},
                        {"Key", "\"B\"", {{kKeybEvent, "65", "0"}}}});
        Runtime.FuncCache = {};
        Runtime.CmdCache = {};
        SetForegroundWindow(player);
        Press(kA);
        TForm* window = *c.window;
        ASSERT_TRUE(Shown(window));
        EXPECT_EQ(GetForegroundWindow(), window->Handle());

        SetForegroundWindow(other); // the user clicked elsewhere
        Press(kB);
        auto input = win32sim::InputLog();
        ASSERT_FALSE(input.empty());
        EXPECT_EQ(input.back().vk, 65);
        EXPECT_EQ(input.back().foreground, window->Handle());

        toolkitsim::PressKey(*window, VK_ESCAPE);
        Ticks(1);
        ASSERT_FALSE(Shown(window));
        SetForegroundWindow(other);
        Press(kB);
        input = win32sim::InputLog();
        EXPECT_EQ(input.back().foreground, player) << "with no chooser the application's window";
        win32sim::RemoveWindow(player);
        win32sim::RemoveWindow(other);
    }
}

} // namespace
