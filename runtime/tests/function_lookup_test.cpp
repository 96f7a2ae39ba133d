// Tests of the binding lookup: the RC-mode rule, the function cache and the function files.
#include "function_lookup.h"
#include "records.h"
#include "runtime_state.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FunctionLookupTest : public RuntimeTest {
protected:
    void PutFuncs(const std::string& file, const std::vector<TFuncEntry>& records) {
        PutFile(Prog("Bin\\" + file), Bytes(records));
    }
    static std::string CmdOf(std::int16_t slot) {
        return FieldText(Runtime.FuncCache[slot].Func.CmdName);
    }
    // Fills every cache slot with a binding of its own.
    static void FillCache() {
        for (int i = 0; i < 20; ++i) {
            TFuncCacheSlot& s = Runtime.FuncCache[i];
            SetField(s.ApplName, "Filler");
            s.Func = Func("F" + std::to_string(i), 1, "\"F" + std::to_string(i) + "\"");
            s.Active = -1;
            s.CmdSlot = -1;
            s.Hits = 5;
        }
    }
};

TEST_F(FunctionLookupTest, RcModeRule) {
    struct Case {
        int binding;
        int current;
        bool match;
    };
    const Case cases[] = {
        {0, 0, true}, {0, 1, false}, {1, 1, true},  {1, 2, false}, {2, 2, true},
        {3, 3, true}, {4, 0, false}, {4, 1, true},  {4, 2, true},  {4, 3, true},
        {4, 4, true}, {1, 0, false}, {3, 1, false}, {5, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.binding) + " in " + std::to_string(c.current));
        EXPECT_EQ(RcModeMatches(static_cast<std::int16_t>(c.binding),
                                static_cast<std::int16_t>(c.current)),
                  c.match);
    }
}

TEST_F(FunctionLookupTest, FindsInTheDefaultFileAndFillsTheFirstFreeSlot) {
    PutFuncs("deffuncPlayer.bin", {Func("Stop", 1, "\"B\""), Func("Play", 1, "\"A\"")});
    const std::int16_t slot = FindButtonFunc("Player", "\"A\"");
    ASSERT_EQ(slot, 0);
    const TFuncCacheSlot& s = Runtime.FuncCache[0];
    EXPECT_EQ(FieldText(s.ApplName), "Player");
    EXPECT_EQ(CmdOf(slot), "Play");
    EXPECT_EQ(s.Func.RcMode, 1);
    EXPECT_EQ(FieldText(s.Func.Keys), "\"A\"");
    EXPECT_EQ(s.Hits, 1);
    EXPECT_EQ(s.CmdSlot, -1);
    EXPECT_EQ(s.Active, -1);
    EXPECT_EQ(FindButtonFunc("Player", "\"B\""), 1);
}

TEST_F(FunctionLookupTest, CacheHitNeedsNoFileAndCountsHits) {
    PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"A\"")});
    ASSERT_EQ(FindButtonFunc("Player", "\"A\""), 0);
    Remove(Prog("Bin\\deffuncPlayer.bin"));
    EXPECT_EQ(FindButtonFunc("Player", "\"a\""), 0); // expressions compare without case
    EXPECT_EQ(Runtime.FuncCache[0].Hits, 2);
    // The cached binding is for mode 1 only.
    Runtime.RcMode = 2;
    EXPECT_EQ(FindButtonFunc("Player", "\"A\""), -1);
}

TEST_F(FunctionLookupTest, ApplicationNamesInTheCacheCompareExactly) {
    PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"A\"")});
    ASSERT_EQ(FindButtonFunc("Player", "\"A\""), 0);
    // The file name matches without regard to case on the drive; the cache does not.
    EXPECT_EQ(FindButtonFunc("PLAYER", "\"A\""), 1);
    EXPECT_EQ(FieldText(Runtime.FuncCache[1].ApplName), "PLAYER");
}

TEST_F(FunctionLookupTest, UserFileComesFirst) {
    PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"A\"")});
    PutFuncs("userfuncPlayer.bin", {Func("Pause", 1, "\"A\"")});
    EXPECT_EQ(CmdOf(FindButtonFunc("Player", "\"A\"")), "Pause");
}

TEST_F(FunctionLookupTest, UserRecordsHideTheDefaultBindingsOfTheirCommand) {
    struct Case {
        const char* label;
        std::vector<TFuncEntry> user;
        std::string expectCmd; // "" none
    };
    const Case cases[] = {
        {"deletion marker", {Func("play", 1, "")}, ""},
        {"same command, other mode", {Func("PLAY", 2, "\"A\"")}, ""},
        {"same command, other buttons", {Func("Play", 1, "\"Z\"")}, ""},
        {"other command", {Func("Stop", 1, "\"Z\"")}, "Play"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetRuntimeState();
        PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"A\"")});
        PutFuncs("userfuncPlayer.bin", c.user);
        const std::int16_t slot = FindButtonFunc("Player", "\"A\"");
        if (c.expectCmd.empty())
            EXPECT_EQ(slot, -1);
        else
            EXPECT_EQ(CmdOf(slot), c.expectCmd);
    }
}

TEST_F(FunctionLookupTest, FirstMatchingRecordInFileOrderWins) {
    PutFuncs("deffuncPlayer.bin",
             {Func("Hold", 0, "\"A\""), Func("Any", 4, "\"A\""), Func("Mouse", 1, "\"A\"")});
    struct Case {
        int mode;
        const char* cmd;
    };
    for (const Case& c : {Case{1, "Any"}, Case{0, "Hold"}, Case{3, "Any"}}) {
        SCOPED_TRACE(c.mode);
        ResetRuntimeState();
        Runtime.RcMode = static_cast<std::int16_t>(c.mode);
        EXPECT_EQ(CmdOf(FindButtonFunc("Player", "\"A\"")), c.cmd);
    }
}

TEST_F(FunctionLookupTest, MissingFilesOrNoMatchGiveMinusOne) {
    EXPECT_EQ(FindButtonFunc("Player", "\"A\""), -1);
    PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"B\""), Func("Empty", 1, "")});
    EXPECT_EQ(FindButtonFunc("Player", "\"A\""), -1);
    EXPECT_EQ(FindButtonFunc("Player", ""), -1); // an empty Keys never matches
    EXPECT_EQ(Runtime.FuncCache[0].ApplName[0], 0);
}

TEST_F(FunctionLookupTest, TrailingPartialRecordIsIgnored) {
    std::string bytes = Bytes(std::vector<TFuncEntry>{Func("Play", 1, "\"A\"")});
    const std::string second = Bytes(std::vector<TFuncEntry>{Func("Stop", 1, "\"B\"")});
    bytes += second.substr(0, 60);
    PutFile(Prog("Bin\\deffuncPlayer.bin"), bytes);
    EXPECT_EQ(FindButtonFunc("Player", "\"B\""), -1);
    EXPECT_EQ(FindButtonFunc("Player", "\"A\""), 0);
}

TEST_F(FunctionLookupTest, FullCacheReusesAnIdleLeastUsedSlot) {
    PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"A\"")});
    FillCache();
    Runtime.FuncCache[3].Hits = 2;
    Runtime.FuncCache[7].Hits = 2;
    Runtime.FuncCache[7].CmdSlot = 12;
    Runtime.CmdCache[12].FuncSlot = 7;
    Runtime.FuncCache[2].Hits = 1;
    Runtime.FuncCache[2].Active = 1; // suspended: never reused
    // Hits of at most 1 are chosen at once; slot 2 is not idle, so the lowest is 2 hits: 3 first.
    EXPECT_EQ(PickCacheSlot(), 3);
    Runtime.FuncCache[3].Hits = 9;
    EXPECT_EQ(PickCacheSlot(), 7);
    EXPECT_EQ(Runtime.CmdCache[12].FuncSlot, -1);
    EXPECT_EQ(FindButtonFunc("Player", "\"A\""), 7);
    EXPECT_EQ(CmdOf(7), "Play");
    EXPECT_EQ(Runtime.FuncCache[7].Hits, 1);
    EXPECT_EQ(Runtime.FuncCache[7].CmdSlot, -1);
}

TEST_F(FunctionLookupTest, PickTakesTheFirstIdleSlotOfAtMostOneHit) {
    FillCache();
    Runtime.FuncCache[9].Hits = 1;
    Runtime.FuncCache[4].Hits = 0;
    Runtime.FuncCache[4].Active = 3;
    EXPECT_EQ(PickCacheSlot(), 9);
}

TEST_F(FunctionLookupTest, NoIdleSlotMeansNoBinding) {
    PutFuncs("deffuncPlayer.bin", {Func("Play", 1, "\"A\"")});
    FillCache();
    for (TFuncCacheSlot& s : Runtime.FuncCache)
        s.Active = 1;
    EXPECT_EQ(PickCacheSlot(), -1);
    EXPECT_EQ(FindButtonFunc("Player", "\"A\""), -1);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(CmdOf(static_cast<std::int16_t>(i)), "F" + std::to_string(i));
}

} // namespace
