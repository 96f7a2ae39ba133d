// Tests of the step interpreter: number reading, buffers, conditions, messages, input, timer,
// volume, lists and programs.
#include "application_windows.h"
#include "command_steps.h"
#include "runtime_state.h"

#include "runtime_fixture.h"
#include "win32sim/desktop.h"
#include "win32sim/multimedia.h"
#include "win32sim/processes.h"
#include "win32sim/system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

using win32sim::InputEvent;

win32sim::WindowSpec Spec(const std::string& cls) {
    win32sim::WindowSpec s;
    s.className = cls;
    return s;
}

std::vector<std::string> Lines(const TStringList& list) {
    return std::vector<std::string>(list.begin(), list.end());
}

class CommandStepsTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        Runtime.ApplTable = {Appl("System", "", ""), Appl("Player", "PlayerMain", kPlayer)};
        Runtime.ApplCount = 2;
    }
    static std::int16_t Run(std::int16_t type, const std::string& p1 = "",
                            const std::string& p2 = "", const std::string& p3 = "",
                            const std::string& p4 = "", std::int32_t applIndex = 1) {
        return ExecuteCommand(applIndex, type, p1, p2, p3, p4);
    }
    static void SetText(const std::string& t) { SetTextBuffer(t); }

    static constexpr const char* kPlayer = "C:\\Apps\\Player.exe";
};

TEST_F(CommandStepsTest, ReadingNumbersFromTexts) {
    struct Case {
        const char* text;
        std::int32_t integer;
        double decimal;
    };
    const Case cases[] = {
        {"", 0, 0.0},
        {"abc", 0, 0.0},
        {"42", 42, 42.0},
        {"  -7x", -7, -7.0},
        {"+3", 3, 3.0},
        {"2.5", 2, 2.5},
        {"-2.9", -2, -2.9},
        {".5", 0, 0.5},
        {"1e3", 1, 1000.0},
        {"1.5E-1z", 1, 0.15},
        {"7e", 7, 7.0},
        {"0x10", 0, 0.0},
        {"99999999999", 2147483647, 99999999999.0},
        {"-99999999999", -2147483647 - 1, -99999999999.0},
        {"inf", 0, 0.0},
        {"- 5", 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IntValue(c.text), c.integer);
        EXPECT_DOUBLE_EQ(DecimalValue(c.text), c.decimal);
    }
    EXPECT_EQ(Truncate(5.9), 5);
    EXPECT_EQ(Truncate(-5.9), -5);
    EXPECT_EQ(Truncate(1e20), 2147483647);
    EXPECT_EQ(Truncate(-1e20), -2147483647 - 1);
    EXPECT_EQ(Truncate(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(CommandStepsTest, ChangeBufOperations) {
    struct Case {
        const char* label;
        std::string op, p3, p4;
        std::string text;
        float number;
        std::int16_t result;
        std::string textAfter;
        float numberAfter;
    };
    const std::string s77(77, 'z');
    const Case cases[] = {
        {"add number", "iBuf + X", "2.5", "", "", 1.0f, 0, "", 3.5f},
        {"keyword without case", "IBUF - x", "4", "", "", 1.0f, 0, "", -3.0f},
        {"multiply", "iBuf * X", "3", "", "", 2.0f, 0, "", 6.0f},
        {"divide", "iBuf / X", "4", "", "", 2.0f, 0, "", 0.5f},
        {"x divided", "X / iBuf", "4", "", "", 2.0f, 0, "", 2.0f},
        {"clear number", "Clear", "", "", "keep", 7.0f, 0, "keep", 0.0f},
        {"number plus text", "iBuf = iBuf + txtBuf", "", "", "1.5", 2.0f, 0, "1.5", 3.5f},
        {"append", "Add", "xyz", "", "ab", 0.0f, 0, "abxyz", 0.0f},
        {"left", "Left", "2", "", "abcdef", 0.0f, 0, "ab", 0.0f},
        {"left beyond", "Left", "9", "", "abc", 0.0f, 0, "abc", 0.0f},
        {"left nothing", "Left", "0", "", "abc", 0.0f, 0, "", 0.0f},
        {"right two", "Right", "2", "", "abcdef", 0.0f, 0, "de", 0.0f},
        {"right one", "Right", "1", "", "abc", 0.0f, 0, "b", 0.0f},
        {"right all", "Right", "6", "", "abcdef", 0.0f, 0, "abcdef", 0.0f},
        {"right none", "Right", "0", "", "abcdef", 0.0f, 0, "", 0.0f},
        {"mid", "Mid", "2", "3", "abcdef", 0.0f, 0, "bcd", 0.0f},
        {"mid from zero", "Mid", "0", "3", "abcdef", 0.0f, 0, "abc", 0.0f},
        {"mid past the end", "Mid", "7", "3", "abcdef", 0.0f, 0, "", 0.0f},
        {"mid cut", "Mid", "5", "9", "abcdef", 0.0f, 0, "ef", 0.0f},
        {"clear text", "Clear ", "", "", "abc", 3.0f, 3, "abc", 3.0f},
        {"text plus number", "Txt = Txt + Int", "", "", "n", 5.0f, 0, "n5", 5.0f},
        {"text plus empty number", "Txt = Txt + Int", "", "", "n", -1.0f, 0, "n-1", -1.0f},
        {"number then text", "Txt = Int + Txt", "", "", "n", 2.5f, 0, "2.5n", 2.5f},
        {"append cut at 77", "Add", "123", "", s77.substr(0, 75), 0.0f, 0, s77.substr(0, 75) + "12",
         0.0f},
        {"unknown operation", "Sqrt", "2", "", "t", 4.0f, 3, "t", 4.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetText(c.text);
        Runtime.NumberBuffer = c.number;
        EXPECT_EQ(Run(kChangeBuf, "Int", c.op, c.p3, c.p4), c.result);
        EXPECT_EQ(std::string(Runtime.TextBuffer), c.textAfter);
        EXPECT_FLOAT_EQ(Runtime.NumberBuffer, c.numberAfter);
    }
    // "Clear" belongs to both buffers: the step's buffer marker decides which it empties.
    SetText("abc");
    Runtime.NumberBuffer = 3.0f;
    EXPECT_EQ(Run(kChangeBuf, "Txt", "clear"), 0);
    EXPECT_EQ(std::string(Runtime.TextBuffer), "");
    EXPECT_FLOAT_EQ(Runtime.NumberBuffer, 3.0f);
    SetText("abc");
    EXPECT_EQ(Run(kChangeBuf, "Int", "Clear"), 0);
    EXPECT_EQ(std::string(Runtime.TextBuffer), "abc");
    EXPECT_FLOAT_EQ(Runtime.NumberBuffer, 0.0f);
}

TEST_F(CommandStepsTest, FloatErrorsFailTheStepAndKeepTheBuffer) {
    struct Case {
        const char* op;
        const char* x;
        float number;
    };
    for (const Case& c : {Case{"iBuf / X", "0", 5.0f}, Case{"X / iBuf", "3", 0.0f},
                          Case{"iBuf * X", "1e300", 2.0f}, Case{"iBuf + X", "1e39", 1.0f}}) {
        SCOPED_TRACE(std::string(c.op) + " " + c.x);
        Runtime.NumberBuffer = c.number;
        EXPECT_THROW(Run(kChangeBuf, "", c.op, c.x), std::exception);
        EXPECT_FLOAT_EQ(Runtime.NumberBuffer, c.number);
    }
}

TEST_F(CommandStepsTest, Conditions) {
    struct Case {
        const char* label;
        std::string p1, p2, p3;
        std::string text;
        float number;
        bool holds;
    };
    const Case cases[] = {
        {"int >= equal", "Int", "Buf >= X", "3", "", 3.0f, true},
        {"int >= below", "Int", "Buf >= X", "3", "", 2.9f, false},
        {"int < with fraction in X", "Int", "Buf < X", "2.5", "", 2.1f, false},
        {"int <", "Int", "Buf < X", "3", "", 2.0f, true},
        {"int >", "int", "buf > x", "-1", "", 0.0f, true},
        {"int <=", "Int", "Buf <= X", "3", "", 3.5f, false},
        {"int =", "Int", "Buf = X", "7", "", 7.0f, true},
        {"int <>", "Int", "Buf <> X", "7", "", 7.0f, false},
        {"txt = without case", "txt", "Buf = X", "ABC", "abc", 0.0f, true},
        {"txt <", "Txt", "Buf < X", "b", "a", 0.0f, true},
        {"txt >", "TXT", "Buf > X", "b", "a", 0.0f, false},
        {"txt <>", "Txt", "Buf <> X", "a", "abc", 0.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetText(c.text);
        Runtime.NumberBuffer = c.number;
        EXPECT_EQ(Run(kContinueIf, c.p1, c.p2, c.p3), c.holds ? 0 : 3);
        EXPECT_EQ(Run(kNextIf, c.p1, c.p2, c.p3), c.holds ? 0 : 2);
    }
    EXPECT_EQ(Run(kContinueIf, "Int", "Buf ? X", "3"), 0); // no comparison keyword
    EXPECT_EQ(Run(kNextIf, "Int", "", "3"), 0);
}

TEST_F(CommandStepsTest, OutOfRangeTypesOnlyResetTheMouseAcceleration) {
    for (std::int16_t type : {std::int16_t(-1), std::int16_t(24), std::int16_t(1000)}) {
        SCOPED_TRACE(type);
        Runtime.MouseAccel = 2.5f;
        Runtime.WorkList.Add("left over");
        SetText("t");
        Runtime.NumberBuffer = 4.0f;
        EXPECT_EQ(Run(type, "1", "2", "3", "4"), 0);
        EXPECT_FLOAT_EQ(Runtime.MouseAccel, 1.0f);
        EXPECT_EQ(Runtime.WorkList.Count(), 0);
        EXPECT_EQ(std::string(Runtime.TextBuffer), "t");
        EXPECT_FLOAT_EQ(Runtime.NumberBuffer, 4.0f);
        EXPECT_TRUE(win32sim::InputLog().empty());
    }
    Runtime.MouseAccel = 0.5f; // below 1.0 stays
    Run(-1);
    EXPECT_FLOAT_EQ(Runtime.MouseAccel, 0.5f);
}

TEST_F(CommandStepsTest, SendMessageSteps) {
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    Runtime.ApplTable[1].Wnd = WndValue(player);
    Runtime.NumberBuffer = 5.9f;
    EXPECT_EQ(Run(kSendMsg, "273", "2.7", "-3", "", -1), 0);
    EXPECT_EQ(Run(kSendMsg, "1024", "1", "2"), 0);
    EXPECT_EQ(Run(kSendMsgBuf, "Int", "3", "1024", "7"), 0);
    EXPECT_EQ(Run(kSendMsgBuf, "Int", "4", "1024", "7"), 0);
    SetText("12abc");
    EXPECT_EQ(Run(kSendMsgBuf, "Txt", "3", "1025", "0"), 0);
    EXPECT_EQ(Run(kSendMsgBuf, "txt", "3", "1025", "0"), 0); // "txt" selects the number
    const auto log = win32sim::MessageLog();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].window, HWND_BROADCAST);
    EXPECT_EQ(log[0].message, 273u);
    EXPECT_EQ(log[0].wParam, 2u);
    EXPECT_EQ(log[0].lParam, -3);
    EXPECT_EQ(log[1].window, player);
    EXPECT_EQ(log[1].message, 1024u);
    EXPECT_EQ(log[2].wParam, 5u);
    EXPECT_EQ(log[2].lParam, 7);
    EXPECT_EQ(log[3].wParam, 7u);
    EXPECT_EQ(log[3].lParam, 5);
    EXPECT_EQ(log[4].wParam, 12u);
    EXPECT_EQ(log[5].wParam, 5u);
    for (const auto& m : log)
        EXPECT_FALSE(m.posted);
}

TEST_F(CommandStepsTest, BufSendMessageAnswers) {
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    Runtime.ApplTable[1].Wnd = WndValue(player);
    win32sim::SetMessageResult(player, 1030, 42);
    EXPECT_EQ(Run(kBufSendMsg, "Int", "1030", "1", "2"), 0);
    EXPECT_FLOAT_EQ(Runtime.NumberBuffer, 42.0f);
    // A text answer from another program is never read from memory: the step fails.
    SetText("before");
    for (LRESULT answer : {LRESULT(0), LRESULT(0x1234)}) {
        SCOPED_TRACE(answer);
        win32sim::SetMessageResult(player, 1031, answer);
        EXPECT_THROW(Run(kBufSendMsg, "Txt", "1031", "0", "0"), std::exception);
        EXPECT_EQ(std::string(Runtime.TextBuffer), "before");
    }
    EXPECT_EQ(win32sim::MessageLog().size(), 3u);
}

TEST_F(CommandStepsTest, SetCursorAndKeys) {
    EXPECT_EQ(Run(kSetCurPos, "100", "200"), 0);
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    const HWND other = win32sim::CreateForeignWindow(Spec("Other"), 600, 601);
    ASSERT_NE(GetForegroundWindow(), player);
    Runtime.ApplTable[1].Wnd = WndValue(player);
    EXPECT_EQ(Run(kKeybEvent, "65", "0"), 0);
    EXPECT_EQ(GetForegroundWindow(), player);
    win32sim::ResetMachine();
    win32sim::MapDrive('C', hostRoot);
    EXPECT_EQ(Run(kKeybEvent, "65", "2", "", "", 0), 0); // "System": no window brought up
    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.size(), 1u);
    EXPECT_EQ(input[0].kind, InputEvent::Kind::Key);
    EXPECT_EQ(input[0].vk, 65);
    EXPECT_EQ(input[0].flags, static_cast<DWORD>(KEYEVENTF_KEYUP));
    (void)other;
}

TEST_F(CommandStepsTest, KeyGoesToTheApplicationWindowInFront) {
    SetCursorPos(1, 1);
    const HWND other = win32sim::CreateForeignWindow(Spec("Other"), 600, 601);
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    SetForegroundWindow(other);
    Runtime.ApplTable[1].Wnd = WndValue(player);
    EXPECT_EQ(Run(kKeybEvent, "13", "0"), 0);
    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.back().kind, InputEvent::Kind::Key);
    EXPECT_EQ(input.back().vk, 13);
    EXPECT_EQ(input.back().flags, 0u);
    EXPECT_EQ(input.back().foreground, player);
}

TEST_F(CommandStepsTest, MouseAcceleration) {
    Runtime.MouseSpeedStep = 0.25f; // exact in binary: -5, -5 * 1.25, -5 * 1.5
    Runtime.RepeatCountdown = 2;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Run(kMousEvent, "1", "0", "-5", "0"), 0);
    EXPECT_EQ(Runtime.RepeatCountdown, 0);
    Run(kMousEvent, "1", "0", "-4", "0"); // different offsets: factor back to 1.0
    Run(kMousEvent, "2048", "0", "0", "120");
    Run(kMousEvent, "2048", "0", "0", "120"); // wheel data is not accelerated
    Runtime.MouseAccel = 3.0f;
    Run(kMousEvent, "2", "0", "0", "0"); // a button: factor 1.0
    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.size(), 7u);
    const LONG dys[] = {-5, -6, -7, -4, 0, 0, 0};
    for (std::size_t i = 0; i < input.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(input[i].kind, InputEvent::Kind::Mouse);
        EXPECT_EQ(input[i].dy, dys[i]);
    }
    EXPECT_EQ(input[5].data, 120u);
    EXPECT_EQ(input[6].flags, static_cast<DWORD>(MOUSEEVENTF_LEFTDOWN));
    EXPECT_FLOAT_EQ(Runtime.MouseAccel, 1.0f);
}

TEST_F(CommandStepsTest, MouseAccelerationStopsGrowingAtOneHundred) {
    Runtime.MouseSpeedStep = 30.0f;
    for (int i = 0; i < 6; ++i)
        Run(kMousEvent, "1", "1", "0", "0");
    // 1, 31, 61, 91, 121 (grew while below 100), then held at 100.
    EXPECT_FLOAT_EQ(Runtime.MouseAccel, 100.0f);
    EXPECT_EQ(win32sim::InputLog()[4].dx, 121);
}

TEST_F(CommandStepsTest, TimerSteps) {
    struct Case {
        float number;
        std::int32_t timer;
    };
    for (const Case& c : {Case{90.7f, 90}, Case{0.0f, -1}, Case{-1.0f, -1}}) {
        SCOPED_TRACE(c.number);
        Runtime.TimerDisplay = 1;
        Runtime.SleepTimer = 5;
        Runtime.NumberBuffer = c.number;
        EXPECT_EQ(Run(kTimer), 1);
        EXPECT_EQ(Runtime.SleepTimer, c.timer);
        EXPECT_EQ(Runtime.TimerDisplay, c.timer < 0 ? 0 : 1);
    }
    Runtime.TimerDisplay = 0;
    EXPECT_EQ(Run(kShowTimer), 0);
    EXPECT_EQ(Runtime.TimerDisplay, 1);
    EXPECT_EQ(Run(kShowTimer), 0);
    EXPECT_EQ(Runtime.TimerDisplay, 0);
}

TEST_F(CommandStepsTest, ModeSwitches) {
    EXPECT_EQ(Run(kMode, "2"), 0);
    EXPECT_EQ(Runtime.RcMode, 2);
    EXPECT_EQ(Run(kMode, "0"), 0);
    EXPECT_EQ(Runtime.RcMode, 0);
}

TEST_F(CommandStepsTest, ShutdownByNumberBuffer) {
    Runtime.NumberBuffer = 1.0f; // "No" chosen
    EXPECT_EQ(Run(kSystemShutdown), 0);
    EXPECT_TRUE(win32sim::ExitWindowsLog().empty());
    EXPECT_TRUE(win32sim::InputLog().empty());

    Runtime.NumberBuffer = -1.0f; // asks first
    EXPECT_EQ(Run(kSystemShutdown), 1);
    EXPECT_EQ(Runtime.PendingList, 1);
    EXPECT_EQ(Runtime.WorkList.Count(), 2);
    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.size(), 2u);
    EXPECT_EQ(input[0].vk, VK_UP);
    EXPECT_EQ(input[0].flags, 0u);
    EXPECT_EQ(input[1].vk, VK_UP);
    EXPECT_EQ(input[1].flags, static_cast<DWORD>(KEYEVENTF_KEYUP));
    EXPECT_TRUE(win32sim::ExitWindowsLog().empty());

    Runtime.NumberBuffer = 0.0f; // "Yes" chosen
    EXPECT_EQ(Run(kSystemShutdown), 0);
    EXPECT_TRUE(win32sim::ShutdownPrivilegeEnabled());
    const auto exits = win32sim::ExitWindowsLog();
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].flags, static_cast<UINT>(EWX_SHUTDOWN | EWX_FORCE));
    EXPECT_EQ(exits[0].reason, 0u);
}

TEST_F(CommandStepsTest, ShutdownConfirmationTextsComeFromTheLanguageFile) {
    Runtime.language = "Eng";
    PutFile(Prog("LANG\\Eng.ini"), "[ConfirmOff]\r\nYes=Switch off\r\nNo=Keep on\r\n");
    Runtime.NumberBuffer = -1.0f;
    EXPECT_EQ(Run(kSystemShutdown), 1);
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Switch off", "Keep on"}));
}

TEST_F(CommandStepsTest, Volume) {
    struct Case {
        const char* label;
        std::int16_t kind;
        DWORD before;
        std::string p1, p2;
        DWORD after;
    };
    const DWORD half = 0x80008000;
    const Case cases[] = {
        {"up both", 3, half, "Volume +", "10", (0x8000u + 6550) * 0x10001},
        {"down all", 3, 0xFFFF1000, "Volume -", "100", 0x00230000},
        {"up capped", 3, 0xFFF0FFF0, "volume +", "1", 0xFFFFFFFF},
        {"mono device keeps right at 0", 2, 0x12341000, "Volume +", "1", 0x1000 + 655},
        {"no volume control", 1, half, "Volume +", "10", half},
        {"no device", 0, half, "Volume +", "10", half},
        {"negative change is held in range", 3, 0x00000010, "Volume +", "-1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ResetRuntimeState();
        Runtime.VolumeKind = c.kind;
        win32sim::WaveOutDevice device;
        device.volume = c.before;
        win32sim::SetWaveOutDevices({device});
        Runtime.RepeatCountdown = 2;
        EXPECT_EQ(Run(kSetVolume, c.p1, c.p2), 0);
        EXPECT_EQ(win32sim::WaveOutVolume(0), c.after);
        EXPECT_EQ(Runtime.RepeatCountdown, c.kind >= 2 ? 0 : 2);
    }
}

TEST_F(CommandStepsTest, MuteTogglesAndVolumeChangesRestore) {
    Runtime.VolumeKind = 3;
    win32sim::WaveOutDevice device;
    device.volume = 0x40004000;
    win32sim::SetWaveOutDevices({device});
    Runtime.RepeatCountdown = 2;
    EXPECT_EQ(Run(kSetVolume, "Mute"), 0);
    EXPECT_EQ(win32sim::WaveOutVolume(0), 0u);
    EXPECT_EQ(Runtime.VolumeMuted, 1);
    EXPECT_EQ(Runtime.VolumeBeforeMute, 0x40004000u);
    EXPECT_EQ(Runtime.RepeatCountdown, 2); // Mute keeps the repeat filter
    EXPECT_EQ(Run(kSetVolume, "MUTE"), 0);
    EXPECT_EQ(win32sim::WaveOutVolume(0), 0x40004000u);
    EXPECT_EQ(Runtime.VolumeMuted, 0);
    // Volume + while muted starts from the remembered volume.
    Run(kSetVolume, "Mute");
    EXPECT_EQ(Run(kSetVolume, "Volume +", "1"), 0);
    EXPECT_EQ(win32sim::WaveOutVolume(0), (0x4000u + 655) * 0x10001);
    EXPECT_EQ(Runtime.VolumeMuted, 0);
}

TEST_F(CommandStepsTest, ListSteps) {
    PutFile(Prog("Bin\\favoritVideo.bin"), "Player\r\nViewer\r\n");
    EXPECT_EQ(Run(kShowFavorites, "1"), 1);
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Player", "Viewer"}));
    EXPECT_EQ(Runtime.PendingList, 1);
    EXPECT_EQ(Runtime.RcMode, 2);

    Runtime.PendingList = 0;
    EXPECT_EQ(Run(kShowFavorites, "7"), 1); // no such group: an empty list still waits
    EXPECT_EQ(Runtime.WorkList.Count(), 0);
    EXPECT_EQ(Runtime.PendingList, 1);

    Runtime.ApplTable.push_back(Appl("Viewer", "ViewerMain", "C:\\v.exe", 0));
    Runtime.ApplTable.push_back(Appl("Radio", "RadioMain", "C:\\r.exe", 99));
    Runtime.ApplTable[1].Wnd = 55;
    Runtime.ApplCount = 4;
    EXPECT_EQ(Run(kShowRuning), 1);
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Player", "Radio"}));

    PutFile(Prog("PL\\playlists.vid"), "Films\r\nSeries\r\n");
    EXPECT_EQ(Run(kShowPlaylist, "1"), 1);
    EXPECT_EQ(Runtime.ListKind, 1);
    EXPECT_EQ(Lines(Runtime.WorkList), (std::vector<std::string>{"Films", "Series"}));

    EXPECT_EQ(Run(kShowTimerMode), 1);
    EXPECT_EQ(Runtime.WorkList.Count(), 6);
    const auto input = win32sim::InputLog();
    ASSERT_EQ(input.size(), 2u);
    EXPECT_EQ(input[0].vk, VK_UP);
}

TEST_F(CommandStepsTest, ShowFunctionListsTheApplicationsBindings) {
    TFuncEntry f{};
    SetField(f.CmdName, "Play");
    f.RcMode = 1;
    SetField(f.Keys, "\"A\"");
    PutFile(Prog("Bin\\deffuncPlayer.bin"), std::string(reinterpret_cast<char*>(&f), sizeof f));
    SetField(f.CmdName, "Sleep");
    PutFile(Prog("Bin\\deffuncSystem.bin"), std::string(reinterpret_cast<char*>(&f), sizeof f));
    EXPECT_EQ(Run(kShowFunction), 1);
    EXPECT_EQ(Runtime.ReplayRequest, 1);
    EXPECT_EQ(Runtime.PendingList, 1);
    ASSERT_EQ(Runtime.WorkList.Count(), 1);
    EXPECT_EQ(Runtime.WorkList[0].rfind("Play", 0), 0u);
    EXPECT_EQ(Run(kShowFunction, "", "", "", "", -1), 1);
    ASSERT_EQ(Runtime.WorkList.Count(), 1);
    EXPECT_EQ(Runtime.WorkList[0].rfind("Sleep", 0), 0u);
}

TEST_F(CommandStepsTest, InputStep) {
    EXPECT_EQ(Run(kInputNumber, "1"), 1);
    EXPECT_EQ(Runtime.PendingInput, 1);
    EXPECT_EQ(Runtime.RcMode, 3);
}

TEST_F(CommandStepsTest, RunApplAfterShowRuning) {
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    Runtime.ApplTable[1].Wnd = WndValue(player);
    SetText("player");
    EXPECT_EQ(Run(kRunAppl, "-1"), 0);
    EXPECT_EQ(GetForegroundWindow(), player);
    SetText("Nobody");
    EXPECT_EQ(Run(kRunAppl, "-1"), 3);
}

TEST_F(CommandStepsTest, RunApplTriesTheFavouritesInOrder) {
    PutFile(Prog("Bin\\favoritVideo.bin"), "Missing\r\nViewer\r\nPlayer\r\n");
    Runtime.ApplTable.push_back(Appl("Viewer", "ViewerMain", "C:\\Apps\\Viewer.exe"));
    Runtime.ApplCount = 3;
    win32sim::SimulatedProgram viewer;
    viewer.idleAfter = 100;
    viewer.windows = {Spec("Nothing")}; // never shows its main window
    win32sim::RegisterProgram("C:\\Apps\\Viewer.exe", viewer);
    win32sim::SimulatedProgram player;
    player.idleAfter = 100;
    player.windows = {Spec("PlayerMain")};
    win32sim::RegisterProgram(kPlayer, player);
    Runtime.NumberBuffer = -1.0f;
    EXPECT_EQ(Run(kRunAppl, "1"), 0);
    const auto launches = win32sim::LaunchLog();
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].commandLine, "C:\\Apps\\Viewer.exe");
    EXPECT_EQ(launches[1].commandLine, kPlayer);
    EXPECT_EQ(Runtime.ApplTable[2].Wnd, 0);
    EXPECT_NE(Runtime.ApplTable[1].Wnd, 0);
}

TEST_F(CommandStepsTest, RunApplStartsAtTheChosenFavourite) {
    PutFile(Prog("Bin\\favoritAudio.bin"), "Player\r\nPlayer\r\n");
    Runtime.NumberBuffer = 5.0f; // past the end of the list
    EXPECT_EQ(Run(kRunAppl, "0"), 3);
    EXPECT_TRUE(win32sim::LaunchLog().empty());
}

TEST_F(CommandStepsTest, RunApplFailures) {
    EXPECT_EQ(Run(kRunAppl, "1"), 3); // no favourites file
    PutFile(Prog("Bin\\favoritVideo.bin"), "");
    EXPECT_EQ(Run(kRunAppl, "1"), 3); // empty list
    EXPECT_EQ(Run(kRunAppl, "5"), 3); // no such group
    Runtime.ListKind = 0;
    SetText("Gone");
    Runtime.NumberBuffer = 0.0f;
    EXPECT_EQ(Run(kRunAppl, "-1"), 3); // the chosen playlist file is missing
    EXPECT_FLOAT_EQ(Runtime.NumberBuffer, 0.0f);
    EXPECT_TRUE(win32sim::LaunchLog().empty());
}

TEST_F(CommandStepsTest, RunApplDropsThePlaylistOnTheFirstAudioFavourite) {
    PutFile(Prog("Bin\\favoritAudio.bin"), "Player\r\n");
    PutFile(Prog("PL\\Rock.aud"), "C:\\Music\\a.mp3\r\nC:\\Music\\b.mp3\r\n");
    const HWND player = win32sim::CreateForeignWindow(Spec("PlayerMain"), 500, 501);
    Runtime.ApplTable[1].Wnd = WndValue(player);
    Runtime.ListKind = 0;
    SetText("Rock");
    Runtime.NumberBuffer = 1.0f; // the chosen line of the playlist index
    EXPECT_EQ(Run(kRunAppl, "-1"), 0);
    EXPECT_FLOAT_EQ(Runtime.NumberBuffer, -1.0f);
    const auto drops = win32sim::Drops();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].window, player);
    EXPECT_EQ(drops[0].files, (std::vector<std::string>{"C:\\Music\\a.mp3", "C:\\Music\\b.mp3"}));
}

} // namespace
