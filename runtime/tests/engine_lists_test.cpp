// Tests of commands that wait for the list chooser or the input window: what they show, and how
// a choice resumes them through the window manager's tick with the chosen value.
#include "engine_fixture.h"

#include "win32sim/system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace engine_test;

class EngineListsTest : public EngineFixture {
protected:
    // The state of a command that waits for a choice in the list chooser.
    static void ExpectWaitingForList(const std::vector<std::string>& items) {
        ASSERT_TRUE(Shown(FList));
        EXPECT_EQ(Lines(FList->lBox->Items), items);
        EXPECT_EQ(Runtime.FormSlots[KindList].Countdown, DisplayTime * 10);
        EXPECT_EQ(Runtime.FormSlots[KindList].Hold, 0);
        EXPECT_EQ(Runtime.PendingList, 1);
        EXPECT_EQ(Runtime.RcMode, 2);
        ASSERT_GE(Runtime.PendingFunc, 0);
        EXPECT_EQ(Runtime.FuncCache[Runtime.PendingFunc].Active, 1);
        EXPECT_EQ(GetForegroundWindow(), FList->Handle());
    }
    // The list's choice was handed back and the command ran on.
    static void ExpectResumed() {
        EXPECT_FALSE(Shown(FList));
        EXPECT_EQ(Runtime.PendingList, 0);
        EXPECT_EQ(Runtime.PendingFunc, -1);
        EXPECT_EQ(Runtime.ListKind, -1);
        EXPECT_EQ(Runtime.RcMode, 1);
        EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
        EXPECT_STREQ(Runtime.TextBuffer, "");
    }
    // An Up-arrow press and release, the only input made since the log held from events, while
    // the chooser was in front.
    static void ExpectUpArrowToTheList(std::size_t from) {
        const auto input = win32sim::InputLog();
        ASSERT_EQ(input.size(), from + 2);
        for (std::size_t i = from; i < input.size(); ++i) {
            EXPECT_EQ(input[i].vk, VK_UP);
            EXPECT_EQ(input[i].foreground, FList->Handle());
        }
        EXPECT_EQ(input[from].flags, 0u);
        EXPECT_EQ(input[from + 1].flags, static_cast<DWORD>(KEYEVENTF_KEYUP));
    }
};

TEST_F(EngineListsTest, EachListStepShowsItsListAndTheNextStepSeesTheChoice) {
    struct Case {
        const char* label;
        StepSpec list;
        std::vector<std::string> items;
        bool pressesUp;
    };
    PutFile(Prog("Bin\\favoritVideo.bin"), "Player\r\nViewer\r\nRadio\r\n");
    PutFile(Prog("PL\\playlists.aud"), "Rock\r\nJazz\r\n");
    const Case cases[] = {
        {"showfavorites", {kShowFavorites, "1"}, {"Player", "Viewer", "Radio"}, false},
        {"showruning", {kShowRuning}, {"Player", "Viewer"}, false},
        {"showtimermode",
         {kShowTimerMode},
         std::vector<std::string>(std::begin(kTimerModes), std::end(kTimerModes)),
         true},
        {"showplaylist", {kShowPlaylist, "0"}, {"Rock", "Jazz"}, false},
    };
    OpenPlayerWindow();
    win32sim::WindowSpec viewer;
    viewer.className = "ViewerMain";
    win32sim::CreateForeignWindow(viewer, 600, 601);
    TApplEntry entry{};
    SetField(entry.Name, "Viewer");
    SetField(entry.ClassName, "ViewerMain");
    Runtime.ApplTable.push_back(entry);
    Runtime.ApplCount = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Runtime.FuncCache = {};
        Runtime.CmdCache = {};
        const std::size_t before = win32sim::InputLog().size();
        Bind("System", {{"Choose", "\"A\"", {c.list, {kShowBar}}}});
        Press(kA);
        ExpectWaitingForList(c.items);
        if (c.pressesUp)
            ExpectUpArrowToTheList(before);
        else
            EXPECT_EQ(win32sim::InputLog().size(), before);
        EXPECT_FALSE(Shown(FBar)) << "the step after the list waits";

        ChooseLine(1);
        EXPECT_FALSE(Shown(FBar)) << "nothing resumes before the tick";
        Ticks(1);
        ASSERT_TRUE(Shown(FBar));
        EXPECT_EQ(FBar->lblMsgtext->Caption, c.items[1]);
        EXPECT_EQ(FBar->cgBar->Progress, 1);
        ExpectResumed();
        Ticks(DisplayTime + 1);
    }
}

TEST_F(EngineListsTest, AListClosedWithoutAChoiceLeavesTheCommandWaiting) {
    Bind("System", {{"Choose", "\"A\"", {{kShowTimerMode}, {kShowBar}}}});
    Press(kA);
    const std::int16_t waiting = Runtime.PendingFunc;
    ASSERT_GE(waiting, 0);
    toolkitsim::PressKey(*FList, VK_ESCAPE);
    Ticks(1);
    EXPECT_FALSE(Shown(FList));
    EXPECT_EQ(FBar, nullptr) << "the following step never ran";
    EXPECT_EQ(Runtime.PendingList, 0);
    EXPECT_EQ(Runtime.PendingFunc, waiting);
    EXPECT_EQ(Runtime.FuncCache[waiting].Active, 1);
    EXPECT_EQ(Runtime.RcMode, 1);
}

TEST_F(EngineListsTest, AnEmptyListShowsANoticeAndTheCommandStaysSuspended) {
    Bind("System", {{"Favourites", "\"A\"", {{kShowFavorites, "0"}, {kShowBar}}}});
    Press(kA); // no favourites file
    EXPECT_EQ(InfoText(), Text(kNoItems));
    EXPECT_FALSE(Shown(FList));
    EXPECT_EQ(Runtime.PendingList, 1);
    ASSERT_GE(Runtime.PendingFunc, 0);
    EXPECT_EQ(Runtime.FuncCache[Runtime.PendingFunc].Active, 1);
    EXPECT_EQ(Runtime.RcMode, 1) << "no chooser to drive";
    Ticks(DisplayTime + 1);
    EXPECT_EQ(InfoText(), "<hidden>");
    EXPECT_EQ(FBar, nullptr);
}

TEST_F(EngineListsTest, AChosenRunningApplicationIsBroughtToTheFront) {
    const HWND player = OpenPlayerWindow();
    win32sim::WindowSpec otherSpec;
    otherSpec.className = "Other";
    const HWND other = win32sim::CreateForeignWindow(otherSpec, 600, 601);
    SetForegroundWindow(other);
    Bind("System", {{"Switch", "\"A\"", {{kShowRuning}, {kRunAppl, "-1"}}}});
    Press(kA);
    ExpectWaitingForList({"Player"});
    ChooseLine(0);
    Ticks(1);
    ExpectResumed();
    EXPECT_EQ(GetForegroundWindow(), player);
    EXPECT_EQ(InfoText(), "Player");
    EXPECT_EQ(PictureOf(FInfo->imMsgpict), "runappl");
}

TEST_F(EngineListsTest, AKeyAfterAChoiceGoesToTheApplicationNotToTheAnsweredList) {
    const HWND player = OpenPlayerWindow();
    SetForegroundWindow(player);
    Bind("Player", {{"Mode key", "\"A\"", {{kShowTimerMode}, {kKeybEvent, "13", "0"}}}});
    Press(kA);
    ExpectWaitingForList(std::vector<std::string>(std::begin(kTimerModes), std::end(kTimerModes)));
    ChooseLine(2);
    Ticks(1);
    ExpectResumed();
    const auto input = win32sim::InputLog();
    ASSERT_FALSE(input.empty());
    EXPECT_EQ(input.back().vk, VK_RETURN);
    EXPECT_EQ(input.back().foreground, player);
    EXPECT_EQ(GetForegroundWindow(), player);
}

TEST_F(EngineListsTest, AChosenPlaylistIsDroppedOnTheFirstAudioFavourite) {
    const HWND player = OpenPlayerWindow();
    PutFile(Prog("Bin\\favoritAudio.bin"), "Player\r\n");
    PutFile(Prog("PL\\playlists.aud"), "Rock\r\nJazz\r\n");
    PutFile(Prog("PL\\Jazz.aud"), "C:\\Music\\a.mp3\r\nC:\\Music\\b.mp3\r\n");
    Bind("System", {{"Play list", "\"A\"", {{kShowPlaylist, "0"}, {kRunAppl, "-1"}}}});
    Press(kA);
    ExpectWaitingForList({"Rock", "Jazz"});
    EXPECT_EQ(Runtime.ListKind, 0);
    ChooseLine(1);
    Ticks(1);
    ExpectResumed();
    const auto drops = win32sim::Drops();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].window, player);
    EXPECT_EQ(drops[0].files, (std::vector<std::string>{"C:\\Music\\a.mp3", "C:\\Music\\b.mp3"}));
    EXPECT_EQ(InfoText(), "Player");
}

TEST_F(EngineListsTest, AFunctionListChoiceIsReplayedNotResumed) {
    Bind("System",
         {{"Choose", "\"A\"", {{kShowFunction}, {kShowBar}}}, {"Other", "\"B\"", {{kTime}}}});
    Press(kA);
    ASSERT_TRUE(Shown(FList));
    const std::vector<std::string> items = Lines(FList->lBox->Items);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].rfind("Other", 0), 0u);
    EXPECT_EQ(Runtime.ReplayRequest, 1);
    EXPECT_EQ(Runtime.PendingList, 1);
    ChooseLine(1);
    Ticks(1);
    EXPECT_FALSE(Shown(FList));
    EXPECT_EQ(FBar, nullptr) << "the suspended command is not resumed";
    EXPECT_EQ(Runtime.ReplayRequest, 2);
    EXPECT_EQ(std::string(Runtime.TextBuffer), items[1]);
    EXPECT_EQ(Runtime.PendingList, 0);
    EXPECT_EQ(Runtime.RcMode, 1);
}

TEST_F(EngineListsTest, AFunctionListClosedWithoutAChoiceLeavesTheNextListToItsCommand) {
    PutFile(Prog("Bin\\favoritVideo.bin"), "Player\r\nViewer\r\n");
    Bind("System", {{"Choose", "\"A\"", {{kShowFunction}, {kShowBar}}},
                    {"Favourites", "\"B\"", {{kShowFavorites, "1"}, {kShowBar}}}});
    for (const bool timeOut : {false, true}) {
        SCOPED_TRACE(timeOut ? "time-out" : "Esc");
        Press(kA);
        ASSERT_TRUE(Shown(FList));
        EXPECT_EQ(Runtime.ReplayRequest, 1);
        if (timeOut)
            Ticks(DisplayTime * 10 + 1);
        else
            toolkitsim::PressKey(*FList, VK_ESCAPE);
        Ticks(1);
        EXPECT_FALSE(Shown(FList));
        EXPECT_EQ(Runtime.ReplayRequest, 0);
    }
    Press(kB);
    ExpectWaitingForList({"Player", "Viewer"});
    ChooseLine(1);
    Ticks(1);
    ASSERT_TRUE(Shown(FBar)) << "the favourites command resumed";
    EXPECT_EQ(FBar->lblMsgtext->Caption, "Viewer");
    EXPECT_EQ(Runtime.ReplayRequest, 0);
    ExpectResumed();
}

TEST_F(EngineListsTest, AnEnteredNumberResumesTheCommand) {
    struct Case {
        const char* format;
        std::int16_t mode;
    };
    for (const Case& c : {Case{"0", 0}, Case{"1", 1}}) {
        SCOPED_TRACE(c.format);
        Runtime.FuncCache = {};
        Runtime.CmdCache = {};
        Bind("System", {{"Ask", "\"A\"", {{kInputNumber, c.format}, {kShowBar}}}});
        Press(kA);
        ASSERT_TRUE(Shown(FInput));
        EXPECT_EQ(FInput->InputMode, c.mode);
        EXPECT_EQ(GetForegroundWindow(), FInput->Handle());
        EXPECT_EQ(Runtime.FormSlots[KindInput].Countdown, DisplayTime * 10);
        EXPECT_EQ(Runtime.FormSlots[KindInput].Hold, 0);
        EXPECT_EQ(Runtime.PendingInput, 1);
        EXPECT_EQ(Runtime.RcMode, 3);
        // Both windows are dismissed the same way; the number mode is checked for its value.
        if (c.mode == 0) {
            toolkitsim::PressKey(*FInput, VK_ESCAPE);
            Ticks(1);
            EXPECT_FALSE(Shown(FInput));
            EXPECT_EQ(FBar, nullptr);
            continue;
        }
        FInput->mEdit->Text = "42";
        toolkitsim::PressKey(*FInput, VK_RETURN);
        EXPECT_EQ(FBar, nullptr) << "nothing resumes before the tick";
        Ticks(1);
        EXPECT_FALSE(Shown(FInput));
        ASSERT_TRUE(Shown(FBar));
        EXPECT_EQ(FBar->cgBar->Progress, 42);
        EXPECT_EQ(Runtime.PendingInput, 0);
        EXPECT_EQ(Runtime.PendingFunc, -1);
        EXPECT_EQ(Runtime.RcMode, 1);
        EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    }
}

TEST_F(EngineListsTest, ShutdownAsksFirstAndTheSecondStepShutsDownOnYes) {
    struct Case {
        const char* label;
        int line;
        bool shutsDown;
    };
    for (const Case& c : {Case{"No", 1, false}, Case{"Yes", 0, true}}) {
        SCOPED_TRACE(c.label);
        Runtime.FuncCache = {};
        Runtime.CmdCache = {};
        const std::size_t before = win32sim::InputLog().size();
        Bind("System", {{"Off", "\"A\"", {{kSystemShutdown}, {kSystemShutdown}}}});
        Press(kA);
        ExpectWaitingForList({Text(kYes), Text(kNo)});
        ExpectUpArrowToTheList(before);
        EXPECT_TRUE(win32sim::ExitWindowsLog().empty());

        ChooseLine(c.line);
        Ticks(1);
        ExpectResumed();
        const auto exits = win32sim::ExitWindowsLog();
        if (!c.shutsDown) {
            EXPECT_TRUE(exits.empty());
            EXPECT_EQ(InfoText(), "<hidden>");
            continue;
        }
        ASSERT_EQ(exits.size(), 1u);
        EXPECT_EQ(exits[0].flags, static_cast<UINT>(EWX_SHUTDOWN | EWX_FORCE));
        EXPECT_TRUE(win32sim::ShutdownPrivilegeEnabled());
        EXPECT_EQ(InfoText(), Text(kShutdownWarning));
        EXPECT_EQ(PictureOf(FInfo->imMsgpict), "warning");
    }
}

} // namespace
