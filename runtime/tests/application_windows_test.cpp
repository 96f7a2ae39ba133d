// Tests of other applications' windows and processes: learning classes, activation, dropping
// files and waiting for the search program.
#include "application_windows.h"
#include "runtime_state.h"

#include "runtime_fixture.h"
#include "win32sim/desktop.h"
#include "win32sim/processes.h"
#include "win32sim/system.h"

#include <cp1251.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using win32sim::SimulatedProgram;
using win32sim::WindowSpec;

constexpr const char* kPlayerPath = "C:\\Apps\\Player.exe";

WindowSpec Spec(const std::string& cls, bool visible = true, const std::string& caption = "") {
    WindowSpec s;
    s.className = cls;
    s.caption = caption;
    s.visible = visible;
    return s;
}

class ApplicationWindowsTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        Runtime.ApplTable = {Appl("System", "", ""), Appl("Player", "PlayerMain", kPlayerPath)};
        Runtime.ApplCount = 2;
    }
    // A foreign window under the cursor (the middle of the screen).
    static HWND WindowUnderCursor(const std::string& cls) {
        WindowSpec s = Spec(cls);
        s.bounds = RECT{0, 0, 1024, 768};
        return win32sim::CreateForeignWindow(s, 900, 901);
    }
    static SimulatedProgram Program(std::vector<WindowSpec> windows) {
        SimulatedProgram p;
        p.idleAfter = 500;
        p.windows = std::move(windows);
        return p;
    }
};

TEST_F(ApplicationWindowsTest, LearnsTheClassOfTheFirstVisibleWindow) {
    win32sim::RegisterProgram(kPlayerPath,
                              Program({Spec("Hidden", false), Spec("PlayerMain"), Spec("Other")}));
    const DWORD before = GetTickCount();
    EXPECT_EQ(LearnWindowClass(std::string(kPlayerPath) + " /x"), "PlayerMain");
    EXPECT_GE(GetTickCount() - before, 10500u); // idle after 0.5 s, then 10 s
    const auto processes = win32sim::Processes();
    ASSERT_EQ(processes.size(), 1u);
    EXPECT_FALSE(processes[0].running); // ended again
    const auto launches = win32sim::LaunchLog();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_FALSE(launches[0].hasApplicationName);
    EXPECT_EQ(launches[0].commandLine, std::string(kPlayerPath) + " /x");
    EXPECT_FALSE(launches[0].hasSecurity);
    EXPECT_EQ(launches[0].inheritHandles, FALSE);
    EXPECT_EQ(launches[0].creationFlags, 0u);
    EXPECT_FALSE(launches[0].hasEnvironment);
    EXPECT_TRUE(launches[0].directory.empty());
    EXPECT_TRUE(launches[0].startupInfoZero);
    EXPECT_EQ(launches[0].startupInfoSize, sizeof(STARTUPINFOA));
}

TEST_F(ApplicationWindowsTest, FallsBackToTheWindowUnderTheCursor) {
    struct Case {
        const char* label;
        SimulatedProgram program;
    };
    SimulatedProgram never = Program({Spec("PlayerMain")});
    never.idleAfter = std::nullopt;
    const Case cases[] = {
        {"dialog box first", Program({Spec("#32770"), Spec("PlayerMain")})},
        {"no visible window", Program({Spec("PlayerMain", false)})},
        {"never idle", never},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::RegisterProgram(kPlayerPath, c.program);
        const HWND under = WindowUnderCursor("UnderCursor");
        EXPECT_EQ(LearnWindowClass(kPlayerPath), "UnderCursor");
        win32sim::RemoveWindow(under);
    }
}

TEST_F(ApplicationWindowsTest, ProgramThatDoesNotStartGivesNothing) {
    WindowUnderCursor("UnderCursor");
    EXPECT_EQ(LearnWindowClass("C:\\Apps\\Missing.exe"), "");
    EXPECT_EQ(Runtime.ClassBuffer[0], 0);
}

TEST_F(ApplicationWindowsTest, ActivatesAKnownWindow) {
    const HWND w = win32sim::CreateForeignWindow(Spec("playermain"), 500, 501);
    WindowUnderCursor("Front");       // something else in front
    Runtime.ApplTable[1].Wnd = 12345; // stale handle: the class finds the window again
    EXPECT_TRUE(ActivateApplication(1, nullptr));
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, WndValue(w));
    EXPECT_EQ(GetForegroundWindow(), w);
    EXPECT_TRUE(win32sim::LaunchLog().empty());
    EXPECT_EQ(Runtime.EnumApplIndex, -1);
}

TEST_F(ApplicationWindowsTest, StartsTheApplicationAndFindsItsWindow) {
    win32sim::RegisterProgram(kPlayerPath, Program({Spec("Splash"), Spec("PlayerMain")}));
    Runtime.ApplTable[1].Wnd = 777; // its window has closed and no other has the class
    const DWORD before = GetTickCount();
    EXPECT_TRUE(ActivateApplication(1, nullptr));
    EXPECT_EQ(GetTickCount() - before, 2500u);
    const auto windows = win32sim::Windows();
    HWND main = nullptr;
    for (const auto& w : windows)
        if (w.className == "PlayerMain")
            main = w.handle;
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, WndValue(main));
    EXPECT_EQ(Runtime.EnumApplIndex, -1);
    ASSERT_EQ(win32sim::Processes().size(), 1u);
    EXPECT_TRUE(win32sim::Processes()[0].running); // it keeps running
}

TEST_F(ApplicationWindowsTest, FailuresToActivate) {
    struct Case {
        const char* label;
        bool registered;
        SimulatedProgram program;
    };
    SimulatedProgram never = Program({Spec("PlayerMain")});
    never.idleAfter = std::nullopt;
    const Case cases[] = {
        {"does not start", false, {}},
        {"never idle", true, never},
        {"no window of the class", true, Program({Spec("Other")})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::ResetMachine();
        win32sim::MapDrive('C', hostRoot);
        if (c.registered)
            win32sim::RegisterProgram(kPlayerPath, c.program);
        TStringList files;
        files.Add("C:\\song.mp3");
        EXPECT_FALSE(ActivateApplication(1, &files));
        EXPECT_EQ(Runtime.ApplTable[1].Wnd, 0);
        EXPECT_TRUE(win32sim::Drops().empty());
    }
    EXPECT_FALSE(ActivateApplication(2, nullptr)); // no such entry
    EXPECT_FALSE(ActivateApplication(-1, nullptr));
}

TEST_F(ApplicationWindowsTest, DropsTheFilesOnTheFoundWindow) {
    const HWND w = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    Runtime.ApplTable[1].Wnd = WndValue(w);
    TStringList files;
    files.Add("a");
    files.Add("bc");
    EXPECT_TRUE(ActivateApplication(1, &files));
    const auto drops = win32sim::Drops();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].window, w);
    EXPECT_TRUE(drops[0].wellFormed);
    EXPECT_EQ(drops[0].blockSize, 32u); // 20 bytes of header and 12 of list
    EXPECT_EQ(drops[0].pFiles, 20u);
    EXPECT_EQ(drops[0].pt.x, 1);
    EXPECT_EQ(drops[0].pt.y, 1);
    EXPECT_EQ(drops[0].fNC, FALSE);
    EXPECT_EQ(drops[0].fWide, TRUE);
    EXPECT_EQ(drops[0].files, (std::vector<std::string>{"a", "bc"}));
    const auto messages = win32sim::MessageLog();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_DROPFILES));
    EXPECT_TRUE(messages[0].posted);
    EXPECT_EQ(messages[0].lParam, 0);
    EXPECT_EQ(win32sim::GlobalBlockCount(), 0u); // the window released the block
}

TEST_F(ApplicationWindowsTest, DropListsByPlatform) {
    const std::string russian(cp1251::Literal("Песня.mp3").view());
    const std::string longName(1500, 'x');
    struct Case {
        const char* label;
        std::uint8_t noLayered;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"wide", 0, {russian, "b"}},
        {"eight-bit", 1, {russian, "b"}},
        {"very long name", 0, {longName}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Runtime.NoLayeredWindows = c.noLayered;
        const HWND w = win32sim::CreateForeignWindow(Spec("Target"), 500, 501);
        TStringList files;
        for (const std::string& n : c.names)
            files.Add(n);
        EXPECT_TRUE(DropFilesToWindow(w, files));
        const auto drops = win32sim::Drops();
        ASSERT_FALSE(drops.empty());
        EXPECT_TRUE(drops.back().wellFormed);
        EXPECT_EQ(drops.back().fWide, c.noLayered ? FALSE : TRUE);
        EXPECT_EQ(drops.back().files, c.names);
        std::size_t total = 0;
        for (const std::string& n : c.names)
            total += n.size();
        EXPECT_EQ(drops.back().blockSize, 20 + 2 * (total + c.names.size()) + 2);
    }
}

TEST_F(ApplicationWindowsTest, NothingToDropOrNoMemoryPostsNothing) {
    const HWND w = win32sim::CreateForeignWindow(Spec("Target"), 500, 501);
    TStringList none;
    EXPECT_FALSE(DropFilesToWindow(w, none));
    TStringList empties;
    empties.Add("");
    empties.Add("");
    EXPECT_FALSE(DropFilesToWindow(w, empties));
    TStringList files;
    files.Add("a");
    win32sim::FailGlobalAlloc(true);
    EXPECT_FALSE(DropFilesToWindow(w, files));
    win32sim::FailGlobalAlloc(false);
    EXPECT_TRUE(win32sim::MessageLog().empty());
    // A window that is gone takes no block: it is freed again.
    EXPECT_FALSE(DropFilesToWindow(reinterpret_cast<HWND>(0x7777), files));
    EXPECT_EQ(win32sim::GlobalBlockCount(), 0u);
}

TEST_F(ApplicationWindowsTest, RunSearchProgramWaitsForItsWindowToGo) {
    const std::string caption(cp1251::Literal("Поиск приложений").view());
    const std::string orlimax = std::string(kProgramFolder) + "Orlimax.exe";
    SimulatedProgram search = Program({Spec("TFSetup", true, caption)});
    search.exitAfter = 9000;
    win32sim::RegisterProgram(orlimax, search);
    const DWORD before = GetTickCount();
    EXPECT_TRUE(RunSearchProgram(1));
    const DWORD waited = GetTickCount() - before;
    EXPECT_GE(waited, 9000u);
    EXPECT_LE(waited, 10500u);
    const auto launches = win32sim::LaunchLog();
    ASSERT_EQ(launches.size(), 1u);
    EXPECT_EQ(launches[0].commandLine, "\"" + orlimax + "\" auto");
    EXPECT_FALSE(launches[0].hasApplicationName);
}

TEST_F(ApplicationWindowsTest, RunSearchProgramCases) {
    const std::string orlimax = std::string(kProgramFolder) + "Orlimax.exe";
    struct Case {
        const char* label;
        bool registered;
        std::optional<DWORD> idleAfter;
        std::string caption;
        bool unattended;
        bool result;
        DWORD waited;
    };
    const Case cases[] = {
        {"other caption: no wait", true, 500, "Application search", false, true, 2500},
        {"never idle", true, std::nullopt, "", true, false, 20000},
        {"does not start", false, 500, "", true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        win32sim::ResetMachine();
        win32sim::MapDrive('C', hostRoot);
        win32sim::SetProgramPath(kProgramPath);
        if (c.registered) {
            SimulatedProgram p = Program({Spec("TFSetup", true, c.caption)});
            p.idleAfter = c.idleAfter;
            win32sim::RegisterProgram(orlimax, p);
        }
        const DWORD before = GetTickCount();
        EXPECT_EQ(RunSearchProgram(c.unattended ? 1 : 0), c.result);
        EXPECT_EQ(GetTickCount() - before, c.waited);
        if (c.registered) {
            EXPECT_EQ(win32sim::LaunchLog().at(0).commandLine,
                      "\"" + orlimax + "\"" + (c.unattended ? " auto" : ""));
        }
    }
}

} // namespace
