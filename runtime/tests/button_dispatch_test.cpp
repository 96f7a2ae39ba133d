// Tests of the button dispatch: naming buttons, growing combinations, the application in front,
// the lookup order and the run of the bound function.
#include "application_windows.h"
#include "button_dispatch.h"
#include "records.h"
#include "runtime_state.h"

#include "runtime_fixture.h"
#include "win32sim/desktop.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr std::int16_t kChangeBuf = 9;

// A one-step command whose run leaves its mark in the number buffer before the dispatch
// empties the buffers; the mark is kept in the cache's hit count instead.
TCmdStep Command(const std::string& name) {
    TCmdStep s{};
    SetField(s.Name, name);
    s.Step = 1;
    s.StepCount = 1;
    s.CmdType = kChangeBuf;
    SetField(s.Param1, "Txt");
    SetField(s.Param2, "Add");
    SetField(s.Param3, name);
    return s;
}

win32sim::WindowSpec Spec(const std::string& cls) {
    win32sim::WindowSpec s;
    s.className = cls;
    return s;
}

class ButtonDispatchTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        Runtime.ApplTable = {Appl("System", ""), Appl("Player", "PlayerMain"),
                             Appl("Viewer", "ViewerMain")};
        Runtime.ApplCount = 3;
        Runtime.CodeTable = {Code("A", 10),  Code("B", 11),    Code("C", 12),
                             Code("a2", 10), Code("Same", 20), Code("Same", 21)};
        Runtime.CodeCount = 6;
        Runtime.showcmdtext = 0;
    }
    void Bindings(const std::string& appl, const std::vector<TFuncEntry>& funcs) {
        PutFile(Prog("Bin\\deffunc" + appl + ".bin"), Bytes(funcs));
        std::vector<TCmdStep> cmds;
        for (const TFuncEntry& f : funcs)
            cmds.push_back(Command(FieldText(f.CmdName)));
        PutFile(Prog("Bin\\defcmd" + appl + ".bin"), Bytes(cmds));
    }
    // The command that ran last: the function slot most recently filled and its command run.
    static std::string RanCommand() {
        for (int i = 19; i >= 0; --i) {
            const TFuncCacheSlot& s = Runtime.FuncCache[i];
            if (s.ApplName[0] != 0 && s.CmdSlot >= 0)
                return FieldText(s.ApplName) + ":" + FieldText(s.Func.CmdName);
        }
        return "";
    }
    static std::string Combination() { return Runtime.ButtonCombination; }
};

TEST_F(ButtonDispatchTest, UnknownCodesAreIgnored) {
    ProcessButtonCode(99);
    EXPECT_EQ(Combination(), "");
    EXPECT_EQ(Runtime.ComboCount, 0);
    EXPECT_EQ(Runtime.ComboPrevCode, 0);
    EXPECT_EQ(Runtime.ComboCountdown, 0);
}

TEST_F(ButtonDispatchTest, CombinationGrowsAndResetsAfterTheThirdMiss) {
    Runtime.RcMode = 1;
    ProcessButtonCode(10);
    EXPECT_EQ(Combination(), "\"A\"");
    EXPECT_EQ(std::string(Runtime.ButtonName), "A");
    EXPECT_EQ(Runtime.ComboCountdown, 20);
    EXPECT_EQ(Runtime.ComboPrevCode, 10);
    Runtime.ComboCountdown = 3;
    ProcessButtonCode(10); // the same code again: ignored, countdown not restarted
    EXPECT_EQ(Runtime.ComboCountdown, 3);
    EXPECT_EQ(Runtime.ComboCount, 1);
    ProcessButtonCode(11);
    EXPECT_EQ(Combination(), "\"A\"+\"B\"");
    EXPECT_EQ(Runtime.ComboCount, 2);
    ProcessButtonCode(12);
    EXPECT_EQ(Combination(), "");
    EXPECT_EQ(Runtime.ComboCount, 0);
    EXPECT_EQ(Runtime.ComboPrevCode, 0);
    EXPECT_EQ(Runtime.ComboFuncSlot, -1);
    ProcessButtonCode(10); // a fourth button starts afresh
    EXPECT_EQ(Combination(), "\"A\"");
}

TEST_F(ButtonDispatchTest, HoldModeResetsAtEveryMiss) {
    Runtime.RcMode = 0;
    ProcessButtonCode(10);
    EXPECT_EQ(Combination(), "");
    EXPECT_EQ(Runtime.ComboCount, 0);
    ProcessButtonCode(10); // the previous code was reset too
    EXPECT_EQ(Runtime.ComboCount, 0);
    EXPECT_EQ(std::string(Runtime.ButtonName), "A");
}

TEST_F(ButtonDispatchTest, TwoCodesWithOneName) {
    ProcessButtonCode(20);
    ProcessButtonCode(21);
    EXPECT_EQ(Combination(), "\"Same\"+\"Same\"");
}

TEST_F(ButtonDispatchTest, FirstCodeTableEntryNamesTheButton) {
    ProcessButtonCode(10);
    EXPECT_EQ(std::string(Runtime.ButtonName), "A");
}

TEST_F(ButtonDispatchTest, OverlongCombinationsAreCutToTheBuffer) {
    const std::string name(31, 'n');
    Runtime.CodeTable = {Code(name + "1", 1), Code(name + "2", 2), Code(name + "3", 3)};
    Runtime.CodeTable[0].Name[30] = '1';
    Runtime.CodeTable[1].Name[30] = '2';
    Runtime.CodeTable[2].Name[30] = '3';
    Runtime.CodeCount = 3;
    ProcessButtonCode(1);
    ProcessButtonCode(2);
    EXPECT_EQ(Combination().size(), 67u);
    ProcessButtonCode(3); // the third miss resets
    EXPECT_EQ(Runtime.ComboCount, 0);
    Runtime.ComboCount = 1;
    SetField(Runtime.ButtonCombination, std::string(70, 'x'));
    Runtime.ComboAppl = "Player";
    ProcessButtonCode(1);
    EXPECT_EQ(Combination().size(), 77u);
}

TEST_F(ButtonDispatchTest, RunsTheBindingOfTheApplicationInFrontAndEmptiesTheBuffers) {
    Bindings("Player", {Func("Play", 1, "\"A\"")});
    Bindings("System", {Func("Sys", 1, "\"A\"")});
    const HWND player = win32sim::CreateForeignWindow(Spec("playermain"), 500, 501);
    SetForegroundWindow(player);
    Runtime.NumberBuffer = 7.0f;
    SetField(Runtime.TextBuffer, "left");
    ProcessButtonCode(10);
    EXPECT_EQ(RanCommand(), "Player:Play");
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, WndValue(player));
    EXPECT_EQ(Combination(), "");
    EXPECT_EQ(Runtime.ComboAppl, "");
    EXPECT_EQ(Runtime.ComboFuncSlot, -1);
    EXPECT_FLOAT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_EQ(std::string(Runtime.TextBuffer), "");
}

TEST_F(ButtonDispatchTest, LookupOrderFallsBackToRunningApplicationsThenSystem) {
    Bindings("Viewer", {Func("View", 1, "\"B\"")});
    Bindings("System", {Func("Sys", 1, "\"B\""), Func("SysC", 1, "\"C\"")});
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    win32sim::CreateForeignWindow(Spec("ViewerMain"), 600, 601);
    SetForegroundWindow(player);
    ProcessButtonCode(11);
    EXPECT_EQ(RanCommand(), "Viewer:View");
    ProcessButtonCode(12);
    EXPECT_EQ(RanCommand(), "System:SysC");
}

TEST_F(ButtonDispatchTest, FallbackHitKeepsTheChosenApplication) {
    Bindings("System", {Func("SysAB", 1, "\"A\"+\"B\"")});
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    SetForegroundWindow(player);
    ProcessButtonCode(10); // no binding: kept
    EXPECT_EQ(Runtime.ComboAppl, "Player");
    ProcessButtonCode(11);
    EXPECT_EQ(RanCommand(), "System:SysAB");
}

TEST_F(ButtonDispatchTest, TimeOutKeepsThePreviousCodeAndApplication) {
    Runtime.RcMode = 1;
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    SetForegroundWindow(player);
    ProcessButtonCode(10);
    // What the tick does when the combination times out.
    Runtime.ButtonCombination[0] = 0;
    Runtime.ComboCount = 0;
    ProcessButtonCode(10);
    EXPECT_EQ(Combination(), "");
    ProcessButtonCode(11);
    EXPECT_EQ(Combination(), "\"B\"");
    EXPECT_EQ(Runtime.ComboAppl, "Player");
}

TEST_F(ButtonDispatchTest, ForegroundApplication) {
    EXPECT_EQ(GetForegroundApplication(), ""); // no known window at all
    const HWND viewerBack = win32sim::CreateForeignWindow(Spec("ViewerMain"), 600, 601);
    const HWND viewerFront = win32sim::CreateForeignWindow(Spec("ViewerMain"), 600, 601);
    const HWND other = win32sim::CreateForeignWindow(Spec("Unknown"), 700, 701);
    SetForegroundWindow(other);
    // The application in front is unknown: the frontmost known window decides.
    EXPECT_EQ(GetForegroundApplication(), "Viewer");
    EXPECT_EQ(Runtime.ApplTable[2].Wnd, WndValue(viewerBack)); // the rearmost of its class
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, 0);
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    SetForegroundWindow(player);
    EXPECT_EQ(GetForegroundApplication(), "Player");
    win32sim::RemoveWindow(player);
    win32sim::ClearForeground();
    EXPECT_EQ(GetForegroundApplication(), "Viewer");
    EXPECT_EQ(Runtime.ApplTable[1].Wnd, 0);
    (void)viewerFront;
}

TEST_F(ButtonDispatchTest, LongForegroundClassIsFoundOnlyByTheEnumeration) {
    const std::string longClass(60, 'K');
    Runtime.ApplTable.push_back(Appl("Long", longClass));
    Runtime.ApplCount = 4;
    win32sim::CreateForeignWindow(Spec("ViewerMain"), 600, 601);
    const HWND longWindow = win32sim::CreateForeignWindow(Spec(longClass), 800, 801);
    SetForegroundWindow(longWindow);
    // Not recognised in front: the frontmost known window in the enumeration decides.
    EXPECT_EQ(GetForegroundApplication(), "Long");
    EXPECT_EQ(Runtime.ApplTable[3].Wnd, WndValue(longWindow));
    EXPECT_EQ(Runtime.ApplTable[2].Wnd != 0, true);
}

TEST_F(ButtonDispatchTest, EnumerationCallbackAlwaysGoesOn) {
    const HWND w = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    EXPECT_EQ(EnumWindowsProc(w, 1), TRUE);
    EXPECT_EQ(EnumWindowsProc(w, 0), FALSE);
    EXPECT_EQ(std::string(Runtime.FoundAppl), "Player");
}

} // namespace
