// Tests of the run-time state: start-up values, reset, the data module and the program folder.
#include "program_folder.h"
#include "runtime_state.h"
#include "settings_file.h"

#include "runtime_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class RuntimeStateTest : public RuntimeTest {};

template <typename T>
bool AllZeroBytes(const T& object) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&object);
    return std::all_of(bytes, bytes + sizeof(T), [](unsigned char b) { return b == 0; });
}

static_assert(DisplayTime == 20 && RepeatTicks == 2 && FadeStep == 25);

TEST_F(RuntimeStateTest, BuffersAreEmptyAtStartUp) {
    // A first command's systemshutdown step must ask like any later one.
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_STREQ(Runtime.TextBuffer, "");
    EXPECT_EQ(Runtime.RcMode, 1) << "mouse mode, not hold";
}

TEST_F(RuntimeStateTest, StartUpValues) {
    const TRuntimeState& r = Runtime;
    EXPECT_TRUE(r.CodeTable.empty());
    EXPECT_EQ(r.CodeCount, 0);
    EXPECT_TRUE(r.ApplTable.empty());
    EXPECT_EQ(r.ApplCount, 0);
    EXPECT_EQ(r.WorkList.Count(), 0);
    EXPECT_TRUE(AllZeroBytes(r.FuncCache));
    EXPECT_TRUE(AllZeroBytes(r.CmdCache));
    EXPECT_EQ(r.LangIni, nullptr);

    EXPECT_EQ(r.SavedRcMode, 0);
    EXPECT_EQ(r.PendingFunc, -1);
    EXPECT_EQ(r.SleepTimer, -1);
    EXPECT_EQ(r.TimerDisplay, 0);
    EXPECT_EQ(r.ReplayRequest, 0);
    EXPECT_EQ(r.ListKind, -1);
    EXPECT_EQ(r.PendingList, 0);
    EXPECT_EQ(r.PendingInput, 0);
    EXPECT_EQ(r.VolumeKind, 0);
    EXPECT_EQ(r.MouseAccel, 1.0f);
    EXPECT_EQ(r.IdleTicks, 0);
    EXPECT_EQ(r.NoLayeredWindows, 0);

    EXPECT_EQ(r.CurrentCode, -1);
    EXPECT_EQ(r.LastCode, -1);
    EXPECT_EQ(r.RepeatCountdown, 0);
    EXPECT_STREQ(r.ButtonCombination, "");
    EXPECT_EQ(r.ComboCount, 0);
    EXPECT_EQ(r.ComboCountdown, 0);
    EXPECT_EQ(r.ComboPrevCode, 0);
    EXPECT_EQ(r.ComboAppl, "");
    EXPECT_EQ(r.ComboFuncSlot, 0);
    EXPECT_STREQ(r.ButtonName, "");
    EXPECT_EQ(r.FirstTick, 1);
    EXPECT_EQ(r.ComboTimeout, DisplayTime);

    EXPECT_EQ(r.ConfigMode, 0);
    EXPECT_EQ(r.CaptureState, 0);

    EXPECT_EQ(r.Regions, 0);
    EXPECT_EQ(r.Animation, 0);
    EXPECT_EQ(r.Infobackground, 0);
    EXPECT_EQ(r.Alpha, 0);
    EXPECT_EQ(r.Alphavalue, 255);
    EXPECT_EQ(r.Consttime, 0);
    EXPECT_EQ(r.passed, 0);
    EXPECT_EQ(r.MouseSpeedStep, 0.3f);
    EXPECT_EQ(r.ExtOptions, 0);
    EXPECT_EQ(r.language, "") << "empty until the settings are read";
    EXPECT_EQ(r.showcmdtext, 1);
    EXPECT_EQ(r.timersound, 1);
    EXPECT_EQ(r.KeywordsLoaded, 0);
}

TEST_F(RuntimeStateTest, KeywordListsStartAsTheirBuiltInRows) {
    EXPECT_EQ(std::memcmp(Runtime.CMDTYPE, BuiltinCMDTYPE, sizeof BuiltinCMDTYPE), 0);
    EXPECT_EQ(std::memcmp(Runtime.VKEY, BuiltinVKEY, sizeof BuiltinVKEY), 0);
    EXPECT_EQ(std::memcmp(Runtime.PLTYPE, BuiltinPLTYPE, sizeof BuiltinPLTYPE), 0);
    for (const TKeyword& row : Runtime.VKEY)
        EXPECT_STREQ(row.Text, "") << row.Keyword;
}

TEST_F(RuntimeStateTest, ResetRestoresTheStartUpState) {
    SetField(Runtime.TextBuffer, "left over");
    Runtime.NumberBuffer = 12.5f;
    Runtime.RcMode = 0;
    Runtime.WorkList.Add("name=value");
    SetField(Runtime.FuncCache[19].ApplName, "Winamp");
    Runtime.CmdCache[199].Hits = 7;
    Runtime.LangIni = std::make_unique<TIniFile>("C:\\x.ini");
    SetField(Runtime.CMDTYPE[3].Text, "text");
    Runtime.KeywordsLoaded = 1;
    Runtime.language = "Eng";
    Runtime.CodeTable.resize(3);
    Runtime.CodeCount = 3;

    ResetRuntimeState();

    EXPECT_STREQ(Runtime.TextBuffer, "");
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_EQ(Runtime.RcMode, 1);
    EXPECT_EQ(Runtime.WorkList.Count(), 0);
    EXPECT_TRUE(AllZeroBytes(Runtime.FuncCache));
    EXPECT_TRUE(AllZeroBytes(Runtime.CmdCache));
    EXPECT_EQ(Runtime.LangIni, nullptr);
    EXPECT_STREQ(Runtime.CMDTYPE[3].Text, "");
    EXPECT_STREQ(Runtime.CMDTYPE[3].Keyword, "setcurpos");
    EXPECT_EQ(Runtime.KeywordsLoaded, 0);
    EXPECT_EQ(Runtime.language, "");
    EXPECT_TRUE(Runtime.CodeTable.empty());
    EXPECT_EQ(Runtime.CodeCount, 0);
}

TEST_F(RuntimeStateTest, InitDefaultDataSetsComboTimeoutAndEmptiesLanguage) {
    Runtime.ComboTimeout = 5;
    Runtime.language = "Eng";
    InitDefaultData();
    EXPECT_EQ(Runtime.ComboTimeout, DisplayTime);
    EXPECT_EQ(Runtime.language, "");
}

TEST_F(RuntimeStateTest, ComboTimeoutDoesNotFollowTheSettings) {
    InitDefaultData();
    PutFile(Prog("config.ini"), "[Interface]\r\nAlphavalue=10\r\nConsttime=1\r\n"
                                "mouspeedstep=2\r\nComboTimeout=99\r\nDisplayTime=99\r\n");
    TRuntimeState& r = Runtime;
    ASSERT_EQ(ReadWriteConfig(true, r.Regions, r.Animation, r.Infobackground, r.Alpha, r.Alphavalue,
                              r.Consttime, r.passed, r.MouseSpeedStep, r.ExtOptions, r.language,
                              r.showcmdtext, r.timersound),
              0);
    ASSERT_EQ(r.Alphavalue, 10);
    EXPECT_EQ(r.ComboTimeout, 20);
}

TEST_F(RuntimeStateTest, FreeDefaultDataReleasesLanguage) {
    Runtime.language = std::string(500, 'x');
    FreeDefaultData();
    EXPECT_TRUE(Runtime.language.empty());
}

TEST_F(RuntimeStateTest, ProgramFolderEndsWithItsBackslash) {
    EXPECT_EQ(ProgramFolder(), "C:\\Tavrin RC\\");
}

TEST_F(RuntimeStateTest, ProgramFolderOfAPathLongerThanMaxPath) {
    const std::string folder = "C:\\" + std::string(150, 'a') + "\\" + std::string(150, 'b') + "\\";
    win32sim::SetProgramPath(folder + "Tavrin RC.exe");
    EXPECT_EQ(ProgramFolder(), folder);
}

} // namespace
