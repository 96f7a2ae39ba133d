// Tests of the command executor: loading into the command cache, running, suspending, resuming,
// skipping and stopping, and eviction with packing.
#include "command_executor.h"
#include "records.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// CMDTYPE values the tests use as observable steps.
constexpr std::int16_t kChangeBuf = 9;
constexpr std::int16_t kTimer = 13;
constexpr std::int16_t kContinueIf = 15;
constexpr std::int16_t kNextIf = 16;

// A step that appends its mark to the text buffer, so that the buffer tells which steps ran.
TCmdStep Mark(const std::string& name, int step, int count, const std::string& mark) {
    return Step(name, step, count, kChangeBuf, "Txt", "Add", mark);
}

// A command of count marking steps "1", "2", ...
std::vector<TCmdStep> Marks(const std::string& name, int count) {
    std::vector<TCmdStep> steps;
    for (int i = 1; i <= count; ++i)
        steps.push_back(Mark(i == 1 ? name : "", i, count, std::to_string(i)));
    return steps;
}

template <class T>
std::vector<T> Join(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class CommandExecutorTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        TApplEntry system{};
        SetField(system.Name, "System");
        TApplEntry player{};
        SetField(player.Name, "Player");
        Runtime.ApplTable = {system, player};
        Runtime.ApplCount = 2;
    }
    void PutCmds(const std::string& file, const std::vector<TCmdStep>& steps) {
        PutFile(Prog("Bin\\" + file), Bytes(steps));
    }
    // Fills a function slot as the lookup does.
    static std::int16_t Bind(std::int16_t slot, const std::string& appl, const std::string& cmd) {
        TFuncCacheSlot& s = Runtime.FuncCache[slot];
        SetField(s.ApplName, appl);
        SetField(s.Func.CmdName, cmd);
        s.Func.RcMode = 1;
        s.CmdSlot = -1;
        s.Active = -1;
        s.Hits = 1;
        return slot;
    }
    static std::string Ran() { return Runtime.TextBuffer; }
    static void Run(std::int16_t slot) { ExecuteFunction(slot); }
    static void Resume() {
        std::int16_t slot = -1;
        ExecuteFunction(slot);
    }
};

TEST_F(CommandExecutorTest, LoadsIntoTheCacheAndRunsFromItTheSecondTime) {
    PutCmds("defcmdPlayer.bin", Join(Marks("Other", 2), Marks("Play", 3)));
    Run(Bind(0, "Player", "play"));
    EXPECT_EQ(Ran(), "123");
    const TFuncCacheSlot& f = Runtime.FuncCache[0];
    ASSERT_EQ(f.CmdSlot, 0);
    EXPECT_EQ(f.Active, -1);
    EXPECT_EQ(FieldText(Runtime.CmdCache[0].ApplName), "Player");
    EXPECT_EQ(FieldText(Runtime.CmdCache[0].Step.Name), "Play");
    EXPECT_EQ(Runtime.CmdCache[0].Hits, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Runtime.CmdCache[i].FuncSlot, 0);
    EXPECT_EQ(Runtime.CmdCache[3].ApplName[0], 0);
    EXPECT_EQ(Runtime.StepApplIndex, 1);

    Remove(Prog("Bin\\defcmdPlayer.bin"));
    SetField(Runtime.TextBuffer, "");
    Run(0);
    EXPECT_EQ(Ran(), "123");
    EXPECT_EQ(Runtime.CmdCache[0].Hits, 2);
    // Another binding of the same command finds it in the cache.
    Run(Bind(1, "PLAYER", "Play"));
    EXPECT_EQ(Runtime.FuncCache[1].CmdSlot, 0);
    EXPECT_EQ(Runtime.CmdCache[0].FuncSlot, 1);
    EXPECT_EQ(Runtime.CmdCache[0].Hits, 3);
}

TEST_F(CommandExecutorTest, UserFileWinsAndDeletionMarkersHide) {
    struct Case {
        const char* label;
        std::vector<TCmdStep> user;
        std::string ran;
    };
    const Case cases[] = {
        {"user version", {Mark("play", 1, 1, "U")}, "U"},
        {"deletion marker", {Step("Play", 1, 0, kChangeBuf, "Txt", "Add", "X")}, ""},
        {"other commands only", Join(Marks("Stop", 2), {Step("Rew", 1, 0, 0)}), "123"},
        {"no user file", {}, "123"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetRuntimeState();
        Runtime.ApplTable.resize(2);
        Runtime.ApplCount = 2;
        PutCmds("defcmdPlayer.bin", Marks("Play", 3));
        if (c.user.empty())
            Remove(Prog("Bin\\usercmdPlayer.bin"));
        else
            PutCmds("usercmdPlayer.bin", c.user);
        Run(Bind(0, "Player", "Play"));
        EXPECT_EQ(Ran(), c.ran);
        EXPECT_EQ(Runtime.FuncCache[0].CmdSlot, c.ran.empty() ? -1 : 0);
    }
}

TEST_F(CommandExecutorTest, SuspendAndResume) {
    PutCmds("defcmdPlayer.bin",
            {Mark("Sleep", 1, 3, "1"), Step("", 2, 3, kTimer), Mark("", 3, 3, "3")});
    Run(Bind(4, "Player", "Sleep"));
    EXPECT_EQ(Ran(), "1");
    EXPECT_EQ(Runtime.FuncCache[4].Active, 2);
    EXPECT_EQ(Runtime.PendingFunc, 4);
    Resume();
    EXPECT_EQ(Ran(), "13");
    EXPECT_EQ(Runtime.FuncCache[4].Active, -1);
    EXPECT_EQ(Runtime.PendingFunc, -1);
    Resume(); // nothing pending any more
    EXPECT_EQ(Ran(), "13");
}

TEST_F(CommandExecutorTest, FreshRunOfASuspendedFunctionStartsAtStepOne) {
    PutCmds("defcmdPlayer.bin",
            {Mark("Sleep", 1, 3, "1"), Step("", 2, 3, kTimer), Mark("", 3, 3, "3")});
    Run(Bind(0, "Player", "Sleep"));
    Run(0);
    EXPECT_EQ(Ran(), "11");
    EXPECT_EQ(Runtime.FuncCache[0].Active, 2);
    EXPECT_EQ(Runtime.CmdCache[0].Hits, 2);
}

TEST_F(CommandExecutorTest, StepResultsAtTheEnd) {
    struct Case {
        const char* label;
        std::vector<TCmdStep> steps;
        std::string ran;
        std::int16_t pending;
    };
    const Case cases[] = {
        {"suspend as last step", {Mark("C", 1, 2, "1"), Step("", 2, 2, kTimer)}, "1", -1},
        {"skip as second-last step",
         {Mark("C", 1, 3, "1"), Step("", 2, 3, kNextIf, "Int", "Buf = X", "5"),
          Mark("", 3, 3, "3")},
         "1",
         -1},
        {"skip in the middle",
         {Step("C", 1, 4, kNextIf, "Int", "Buf = X", "5"), Mark("", 2, 4, "2"), Mark("", 3, 4, "3"),
          Mark("", 4, 4, "4")},
         "34",
         -1},
        {"skip as last step",
         {Mark("C", 1, 2, "1"), Step("", 2, 2, kNextIf, "Int", "Buf = X", "5")},
         "1",
         -1},
        {"stop",
         {Mark("C", 1, 3, "1"), Step("", 2, 3, kContinueIf, "Int", "Buf = X", "5"),
          Mark("", 3, 3, "3")},
         "1",
         -1},
        {"failing step ends silently",
         {Mark("C", 1, 3, "1"), Step("", 2, 3, kChangeBuf, "", "iBuf / X", "0"),
          Mark("", 3, 3, "3")},
         "1",
         -1},
        {"unknown type runs on", {Step("C", 1, 2, -1), Mark("", 2, 2, "2")}, "2", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetRuntimeState();
        PutCmds("defcmdSystem.bin", c.steps);
        Runtime.NumberBuffer = -1.0f;
        Run(Bind(0, "System", "C"));
        EXPECT_EQ(Ran(), c.ran);
        EXPECT_EQ(Runtime.PendingFunc, c.pending);
        EXPECT_EQ(Runtime.FuncCache[0].Active, -1);
        EXPECT_EQ(Runtime.StepApplIndex, -1); // no application table loaded
    }
}

TEST_F(CommandExecutorTest, FailingStepKeepsTheSuspension) {
    PutCmds("defcmdPlayer.bin",
            {Mark("S", 1, 4, "1"), Step("", 2, 4, kTimer),
             Step("", 3, 4, kChangeBuf, "", "X / iBuf", "1"), Mark("", 4, 4, "4")});
    Run(Bind(0, "Player", "S"));
    Runtime.NumberBuffer = 0.0f;
    Resume(); // step 3 fails: resumed, then ended
    EXPECT_EQ(Ran(), "1");
    EXPECT_EQ(Runtime.PendingFunc, -1);
    EXPECT_EQ(Runtime.FuncCache[0].Active, -1);
}

TEST_F(CommandExecutorTest, ResumeAfterTheCachesWereEmptiedRunsNothing) {
    PutCmds("defcmdPlayer.bin",
            {Mark("S", 1, 3, "1"), Step("", 2, 3, kTimer), Mark("", 3, 3, "3")});
    PutCmds("defcmdSystem.bin", Marks("Z", 5));
    Run(Bind(0, "Player", "S"));
    ASSERT_EQ(Runtime.PendingFunc, 0);
    // What the settings dialog does on commit.
    Runtime.FuncCache = {};
    Runtime.CmdCache = {};
    SetField(Runtime.TextBuffer, "");
    Resume();
    EXPECT_EQ(Ran(), "");
    EXPECT_EQ(Runtime.PendingFunc, -1);
    // Also when another command was loaded into the emptied cache meanwhile.
    Run(Bind(0, "Player", "S"));
    Runtime.FuncCache = {};
    Runtime.CmdCache = {};
    Run(Bind(0, "System", "Z"));
    SetField(Runtime.TextBuffer, "");
    Runtime.PendingFunc = 0;
    Resume();
    EXPECT_EQ(Ran(), "");
}

TEST_F(CommandExecutorTest, CommandsCutShortAreNotRun) {
    struct Case {
        const char* label;
        std::vector<TCmdStep> steps;
    };
    const Case cases[] = {
        {"file ends inside", {Mark("C", 1, 3, "1"), Mark("", 2, 3, "2")}},
        {"next command starts inside", {Mark("C", 1, 3, "1"), Mark("D", 1, 1, "D")}},
        {"negative count", {Mark("C", 1, -2, "1")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetRuntimeState();
        PutCmds("defcmdSystem.bin", c.steps);
        Run(Bind(0, "System", "C"));
        EXPECT_EQ(Ran(), "");
        EXPECT_EQ(Runtime.FuncCache[0].CmdSlot, -1);
        EXPECT_EQ(Runtime.CmdCache[0].ApplName[0], 0);
    }
}

// Fills CmdCache with 40 commands of 5 steps; command k has Hits hits[k] and function slot -1.
void FillCmdCache(const std::vector<std::int32_t>& hits) {
    for (int k = 0; k < 40; ++k)
        for (int i = 0; i < 5; ++i) {
            TCmdCacheSlot& c = Runtime.CmdCache[k * 5 + i];
            SetField(c.ApplName, "Filler");
            c.Step = Mark(i == 0 ? "F" + std::to_string(k) : "", i + 1, 5, "x");
            c.Hits = i == 0 ? hits[k] : 0;
            c.FuncSlot = -1;
        }
}

TEST_F(CommandExecutorTest, FullCacheEvictsTheLeastUsedIdleCommandsAndPacks) {
    std::vector<std::int32_t> hits(40, 50);
    hits[3] = 2;
    hits[10] = 1;
    hits[20] = 2;
    FillCmdCache(hits);
    // Command 3 belongs to a suspended function and stays; command 30 is linked and idle.
    Bind(5, "Filler", "F3");
    Runtime.FuncCache[5].CmdSlot = 15;
    Runtime.FuncCache[5].Active = 1;
    Runtime.CmdCache[15].FuncSlot = 5;
    Bind(6, "Filler", "F30");
    Runtime.FuncCache[6].CmdSlot = 150;
    Runtime.CmdCache[150].FuncSlot = 6;

    PutCmds("defcmdPlayer.bin", Join(Marks("Big", 6), Marks("Play", 5)));
    Run(Bind(0, "Player", "Big"));
    EXPECT_EQ(Ran(), "123456");
    // Pass 1 evicts command 10 (1 hit), pass 2 command 20 (2 hits; 3 is suspended).
    EXPECT_EQ(Runtime.FuncCache[0].CmdSlot, 190);
    EXPECT_EQ(FieldText(Runtime.CmdCache[190].Step.Name), "Big");
    EXPECT_EQ(FieldText(Runtime.CmdCache[195].ApplName), "Player");
    EXPECT_EQ(Runtime.CmdCache[196].ApplName[0], 0);
    EXPECT_EQ(FieldText(Runtime.CmdCache[15].Step.Name), "F3");
    EXPECT_EQ(Runtime.FuncCache[5].CmdSlot, 15);
    // Command 30 moved down by two commands; its function follows it.
    EXPECT_EQ(FieldText(Runtime.CmdCache[140].Step.Name), "F30");
    EXPECT_EQ(Runtime.FuncCache[6].CmdSlot, 140);
    for (int k = 0; k < 38; ++k) {
        SCOPED_TRACE(k);
        EXPECT_NE(FieldText(Runtime.CmdCache[k * 5].Step.Name), "F10");
        EXPECT_NE(FieldText(Runtime.CmdCache[k * 5].Step.Name), "F20");
    }
}

TEST_F(CommandExecutorTest, EvictionProtectsEverySuspendedFunctionOfACommand) {
    std::vector<std::int32_t> hits(40, 50);
    hits[0] = 1;
    FillCmdCache(hits);
    // Two bindings of command 0: the back-link names the idle one, the other is suspended.
    Bind(1, "Filler", "F0");
    Runtime.FuncCache[1].CmdSlot = 0;
    Runtime.FuncCache[1].Active = 2;
    Bind(2, "Filler", "F0");
    Runtime.FuncCache[2].CmdSlot = 0;
    Runtime.CmdCache[0].FuncSlot = 2;
    EXPECT_EQ(EvictCmdCache(5, 200), 195);
    EXPECT_EQ(FieldText(Runtime.CmdCache[0].Step.Name), "F0");
    EXPECT_EQ(Runtime.FuncCache[1].CmdSlot, 0);
}

TEST_F(CommandExecutorTest, EvictionGivesUpAndOversizedCommandsNeverLoad) {
    std::vector<std::int32_t> hits(40, 5000);
    FillCmdCache(hits);
    EXPECT_EQ(EvictCmdCache(5, 200), -1);
    EXPECT_EQ(FieldText(Runtime.CmdCache[0].Step.Name), "F0");

    ResetRuntimeState();
    hits.assign(40, 7);
    FillCmdCache(hits);
    PutCmds("defcmdSystem.bin", Marks("Huge", 201));
    Run(Bind(0, "System", "Huge"));
    EXPECT_EQ(Ran(), "");
    EXPECT_EQ(Runtime.FuncCache[0].CmdSlot, -1);
    // Every idle command below the give-up count went on the way.
    EXPECT_EQ(Runtime.CmdCache[0].ApplName[0], 0);
}

} // namespace
