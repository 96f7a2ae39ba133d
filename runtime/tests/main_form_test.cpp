// Tests of the main form: start-up, the 100 ms and one-second ticks, code learning, the replay
// of a functions-list line and the tray menu.
#include "main_form.h"

#include "dialog_forms.h"
#include "form_info.h"
#include "form_input.h"
#include "form_time.h"
#include "osd.h"
#include "osd_fixture.h"
#include "receiver_binding.h"

#include <win32sim/desktop.h>
#include <win32sim/modules.h>
#include <win32sim/multimedia.h>
#include <win32sim/processes.h>
#include <win32sim/system.h>

#include <toolkit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace {

// The bi-phase durations of a code (short 10, long 20): a repeated bit is two shorts, a changed
// bit one long; the leading 1 is implied.
std::vector<BYTE> Durations(std::uint64_t code) {
    int top = 63;
    while (top > 0 && !(code >> top & 1))
        --top;
    std::vector<BYTE> d;
    int bit = 1;
    for (int i = top - 1; i >= 0; --i) {
        const int b = static_cast<int>(code >> i & 1);
        if (b == bit) {
            d.push_back(10);
            d.push_back(10);
        } else {
            d.push_back(20);
            bit = b;
        }
    }
    return d;
}

// What the fake receiver library hands out: one entry per call, an empty one for no code.
std::deque<std::vector<BYTE>>* queued = nullptr;

INT WINAPI FakeGetInfraCode(BYTE* buffer, INT, INT* len) {
    *len = 0;
    if (queued && !queued->empty()) {
        const std::vector<BYTE> code = queued->front();
        queued->pop_front();
        for (std::size_t i = 0; i < code.size(); ++i)
            buffer[i] = code[i];
        *len = static_cast<INT>(code.size());
    }
    return 0;
}
INT WINAPI FakeEEPROMRead(BYTE, BYTE*) {
    return 0;
}
INT WINAPI FakeEEPROMWrite(BYTE, BYTE) {
    return 0;
}
INT WINAPI FakeSetDataPortDirection(BYTE) {
    return 0;
}
INT WINAPI FakeSetOutDataPort(BYTE) {
    return 0;
}

template <class F>
FARPROC Export(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

void RegisterReceiver() {
    win32sim::ModuleSpec spec;
    spec.fileName = "VarnUSB.dll";
    spec.exports = {{"DoGetInfraCode", 0, Export(&FakeGetInfraCode)},
                    {"DoEEPROMRead", 0, Export(&FakeEEPROMRead)},
                    {"DoEEPROMWrite", 0, Export(&FakeEEPROMWrite)},
                    {"DoSetDataPortDirection", 0, Export(&FakeSetDataPortDirection)},
                    {"DoSetOutDataPort", 0, Export(&FakeSetOutDataPort)}};
    win32sim::RegisterModule(spec);
}

class MainFormTest : public OsdFixture {
protected:
    void SetUp() override {
        OsdFixture::SetUp();
        queued = &codes;
        RegisterReceiver();
        PutFile(Prog("config.ini"), "[Tuning]\r\npassed=1\r\n");
        PutFile(Prog("LANG\\Rus.ini"),
                "[Msg]\r\nerr_nocodefile=No codes\r\nerr_noapplfile=No applications\r\n"
                "msg_tuningnotpass=Search now?\r\nerr_notuning=No search\r\n"
                "[Menu]\r\nNHelp=Help\r\nNExit=Exit\r\nNParam=\r\n"
                "[TIMERMODE]\r\n0=Timer off\r\n");
    }
    void TearDown() override {
        toolkitsim::Reset();
        UnbindReceiverLibrary();
        queued = nullptr;
        OsdFixture::TearDown();
    }

    void Start() {
        Application->CreateForm(FMain);
        ASSERT_NE(FMain, nullptr);
    }
    // One code on the receiver for each of the next ticks (-1: none).
    void Queue(std::initializer_list<std::int64_t> list) {
        for (std::int64_t c : list)
            codes.push_back(c < 0 ? std::vector<BYTE>{} : Durations(static_cast<std::uint64_t>(c)));
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const auto& b : toolkitsim::Boxes())
            texts.push_back(b.text);
        return texts;
    }

    std::deque<std::vector<BYTE>> codes;
};

TEST_F(MainFormTest, StartUpReportsMissingTablesAndStartsTheTick) {
    Start();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"No codes", "No applications"}));
    EXPECT_TRUE(FMain->tmrMain->Enabled);
    EXPECT_TRUE(FMain->tmrSec->Enabled);
    EXPECT_EQ(FMain->tmrMain->Interval, 100u);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_EQ(Runtime.ConfigMode, 0);
    EXPECT_NE(Runtime.ReceiverLibrary, nullptr);
    EXPECT_EQ(FMain->NHelp->Caption, "Help");
    EXPECT_EQ(FMain->NExit->Caption, "Exit");
    EXPECT_EQ(FMain->NParam->Caption, "") << "an empty menu text is taken";
    EXPECT_EQ(FMain->NPlayList->Caption, "NPlayList");
    EXPECT_TRUE(FMain->Visible);
    toolkitsim::RunFor(100);
    EXPECT_FALSE(FMain->Visible) << "the first tick hides the main form";
    EXPECT_EQ(Runtime.FirstTick, 0);
}

TEST_F(MainFormTest, AMissingLibraryOrExportEndsStartUpWithExitCodeOne) {
    struct Case {
        const char* name;
        bool removeModule;
        const char* message;
    };
    for (const Case& c : {Case{"no library", true, "Library missing"},
                          Case{"no export", false, "Export missing"}}) {
        SCOPED_TRACE(c.name);
        PutFile(Prog("config.ini"), "[Tuning]\r\npassed=1\r\n[Interface]\r\nlanguage=Eng\r\n");
        PutFile(Prog("LANG\\Eng.ini"),
                "[Msg]\r\nerr_nodll=Library missing\r\nerr_nofunc=Export missing\r\n");
        if (c.removeModule)
            win32sim::UnregisterModule("VarnUSB.dll");
        else
            win32sim::RemoveModuleExport("VarnUSB.dll", "DoSetOutDataPort");
        // The message box is shown before the exit; the child reports it on its way out.
        EXPECT_EXIT(
            {
                toolkitsim::ClearBoxes();
                std::atexit([] {
                    for (const auto& b : toolkitsim::Boxes())
                        std::fprintf(stderr, "box: %s\n", b.text.c_str());
                });
                Application->CreateForm(FMain);
            },
            ::testing::ExitedWithCode(1), std::string("box: ") + c.message);
        RegisterReceiver();
    }
}

TEST_F(MainFormTest, ASecondInstanceEndsAtOnceWithExitCodeOne) {
    HANDLE first = CreateMutexA(nullptr, TRUE, "pdu_oxu");
    ASSERT_NE(first, nullptr);
    EXPECT_EXIT(RunTrayProgram(), ::testing::ExitedWithCode(1), "");
    ReleaseMutex(first);
    CloseHandle(first);
}

TEST_F(MainFormTest, TheProgramRunsUntilExitIsChosenAndReleasesItsMutex) {
    toolkitsim::At(1500, [] { toolkitsim::ClickItem(*FMain->NExit); });
    EXPECT_EQ(RunTrayProgram(), 0);
    EXPECT_EQ(Application->Title(), "Tavrin RC");
    EXPECT_EQ(Application->HelpFile, "\\Help\\Tavrin RC.HLP");
    EXPECT_EQ(Runtime.ReceiverLibrary, nullptr);
    HANDLE again = CreateMutexA(nullptr, TRUE, "pdu_oxu");
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ReleaseMutex(again);
    CloseHandle(again);
}

TEST_F(MainFormTest, AFirstRunOffersTheSearch) {
    PutFile(Prog("config.ini"), "[Tuning]\r\npassed=0\r\n");
    toolkitsim::QueueAnswer(mrNo);
    Start();
    const auto boxes = toolkitsim::Boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, "Search now?");
    EXPECT_EQ(boxes[0].kind, toolkitsim::BoxKind::Dialog);
    EXPECT_EQ(boxes[0].dialogType, mtConfirmation);
}

TEST_F(MainFormTest, ASearchThatFailsIsReportedAndStartUpGoesOn) {
    struct Case {
        const char* label;
        bool registered;
        DWORD waited;
    } cases[] = {{"never ready for input", true, 20000}, {"not there", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        toolkitsim::Reset();
        ResetRuntimeState();
        win32sim::ResetMachine();
        win32sim::MapDrive('C', hostRoot);
        win32sim::SetProgramPath(kProgramPath);
        RegisterReceiver();
        PutFile(Prog("config.ini"), "[Tuning]\r\npassed=0\r\n");
        if (c.registered) {
            win32sim::SimulatedProgram search;
            search.idleAfter = std::nullopt;
            win32sim::WindowSpec window;
            window.className = "TFSetup";
            search.windows.push_back(window);
            win32sim::RegisterProgram(Prog("Orlimax.exe"), search);
        }
        toolkitsim::QueueAnswer(mrYes);
        const DWORD before = GetTickCount();
        Start();
        EXPECT_EQ(GetTickCount() - before, c.waited) << "no wait for its window";
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Search now?", "No search", "No codes",
                                                        "No applications"}));
        ASSERT_EQ(win32sim::LaunchLog().size(), 1u);
        EXPECT_EQ(win32sim::LaunchLog()[0].commandLine, "\"" + Prog("Orlimax.exe") + "\" auto");
        EXPECT_TRUE(FMain->tmrMain->Enabled);
        FMain->Close();
        UnbindReceiverLibrary();
    }
}

// The tray menu is there while the first-start question waits for its answer, before the tables
// are loaded and the tick runs: until start-up has finished it opens nothing.
TEST_F(MainFormTest, TheTrayMenuOpensNothingUntilStartUpHasFinished) {
    PutFile(Prog("config.ini"), "[Tuning]\r\npassed=0\r\n");
    std::vector<std::string> modals;
    toolkitsim::OnModal([&](TCustomForm& form) {
        modals.push_back(form.Name);
        form.ModalResult = mrCancel;
    });
    const char* const items[] = {"NParam", "NSearchAppl", "NPlayList"};
    auto pickEach = [&] {
        for (const char* item : items) {
            toolkitsim::QueueMenuPick(item);
            toolkitsim::TrayMouse(*FMain->TrayIcon, mbRight, tmUp);
        }
    };
    bool picked = false;
    toolkitsim::At(200, [&] {
        picked = true;
        pickEach();
    });
    toolkitsim::QueueAnswer(mrNo, 1000);
    Start();
    ASSERT_TRUE(picked) << "the picks ran while the question was open";
    EXPECT_EQ(toolkitsim::Popups().size(), 3u) << "the menu pops up";
    EXPECT_TRUE(modals.empty());
    EXPECT_TRUE(win32sim::LaunchLog().empty());
    EXPECT_EQ(Runtime.ConfigMode, 0);

    // Once started, the same picks open the settings dialog, the search and the editor.
    pickEach();
    EXPECT_EQ(modals, (std::vector<std::string>{"FConfig"}));
    const auto started = win32sim::LaunchLog();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].commandLine, "\"" + Prog("Orlimax.exe") + "\"");
    EXPECT_EQ(started[1].commandLine, Prog("Quendel.exe"));
}

TEST_F(MainFormTest, AnOldSystemHasNoLayeredWindows) {
    PutFile(Prog("config.ini"),
            "[Tuning]\r\npassed=1\r\n[Interface]\r\nAnimation=1\r\nAlpha=1\r\nAlphavalue=100\r\n");
    win32sim::SetPlatformId(VER_PLATFORM_WIN32_WINDOWS);
    win32sim::RemoveModuleExport("user32.dll", "SetLayeredWindowAttributes");
    Start();
    EXPECT_EQ(Runtime.NoLayeredWindows, 1);
    EXPECT_EQ(Runtime.Animation, 0);
    EXPECT_EQ(Runtime.Alpha, 0);
    EXPECT_EQ(Runtime.Alphavalue, 255);
    EXPECT_EQ(ConfigValue("Interface", "Alphavalue"), "100") << "only in memory";
    // It runs on: the info window shows, opaque, and closes after its time without fading.
    toolkitsim::RunFor(100);
    OsdShowText("Hello", "");
    ASSERT_NE(FInfo, nullptr);
    EXPECT_TRUE(FInfo->Visible);
    EXPECT_FALSE(win32sim::WindowLayeredAttributes(FInfo->Handle()).has_value());
    toolkitsim::RunFor(2100);
    EXPECT_FALSE(FInfo->Visible);
    FMain->Close();
    UnbindReceiverLibrary();
}

TEST_F(MainFormTest, TheVolumeKindFollowsTheWaveDevice) {
    Start();
    EXPECT_EQ(Runtime.VolumeKind, 3);
}

TEST_F(MainFormTest, AHeldButtonPassesEverySecondTick) {
    Start();
    toolkitsim::RunFor(100);
    const std::int64_t code = 0x1234;
    Queue({code, code, code, code, code | 0x800});
    std::vector<std::int64_t> seen;
    for (int i = 0; i < 5; ++i) {
        toolkitsim::RunFor(100);
        seen.push_back(Runtime.CurrentCode);
    }
    EXPECT_EQ(seen, (std::vector<std::int64_t>{code, -1, code, -1, code}));
    EXPECT_EQ(Runtime.LastCode, code) << "the toggle bit is cleared before the comparison";
}

TEST_F(MainFormTest, TheCombinationIsClearedBeforeTheTicksCodeIsRead) {
    Start();
    toolkitsim::RunFor(100);
    std::strcpy(Runtime.ButtonCombination, "\"A\"");
    Runtime.ComboCount = 1;
    Runtime.ComboCountdown = 1;
    toolkitsim::RunFor(100);
    EXPECT_STREQ(Runtime.ButtonCombination, "\"A\"");
    EXPECT_EQ(Runtime.ComboCountdown, 0);
    toolkitsim::RunFor(100);
    EXPECT_STREQ(Runtime.ButtonCombination, "");
    EXPECT_EQ(Runtime.ComboCount, 0);
}

TEST_F(MainFormTest, MouseAccelerationEndsOnTheSixthTickWithoutACode) {
    Start();
    toolkitsim::RunFor(100);
    Queue({0x55});
    toolkitsim::RunFor(100);
    EXPECT_EQ(Runtime.IdleTicks, 5);
    Runtime.MouseAccel = 3.0f;
    for (int i = 1; i <= 5; ++i) {
        toolkitsim::RunFor(100);
        EXPECT_EQ(Runtime.MouseAccel, 3.0f) << "idle tick " << i;
    }
    toolkitsim::RunFor(100);
    EXPECT_EQ(Runtime.MouseAccel, 1.0f);
}

TEST_F(MainFormTest, LearningOneCodeMovesItAwayFromTheRowThatHeldIt) {
    Start();
    toolkitsim::RunFor(100);
    TValueListEditor* grid = (new TTestConfigDialog(Application))->vleCode;
    grid->Strings.Add("Play=4660"); // 0x1234
    grid->Strings.Add("Stop=");
    grid->Strings.Add("Next=");
    grid->Row = 2;
    Runtime.ConfigMode = 1;
    Runtime.CaptureState = 1;
    EXPECT_EQ(LookupLearnedCode(0x1234), "Play");
    EXPECT_EQ(LookupLearnedCode(0x99), "");
    Queue({0x1234});
    toolkitsim::RunFor(100);
    EXPECT_EQ(grid->Cells(1, 0), "");
    EXPECT_EQ(grid->Cells(1, 2), "4660");
    EXPECT_EQ(Runtime.CaptureState, 0);
}

TEST_F(MainFormTest, RelearningFillsEveryRowOnceAndEndsAfterTheLast) {
    Start();
    toolkitsim::RunFor(100);
    TTestConfigDialog* dialog = new TTestConfigDialog(Application);
    TValueListEditor* grid = dialog->vleCode;
    grid->Strings.Add("A=");
    grid->Strings.Add("B=");
    Runtime.ConfigMode = 1;
    dialog->btnReconfigClick(nullptr);
    ASSERT_EQ(Runtime.CaptureState, 2);
    // The same button twice in a row fills one row only (the repeat filter lets the third
    // tick's code through again).
    Queue({0x21, -1, 0x21, 0x22});
    toolkitsim::RunFor(400);
    EXPECT_EQ(grid->Cells(1, 0), "33");
    EXPECT_EQ(grid->Cells(1, 1), "34");
    EXPECT_EQ(Runtime.CaptureState, 0) << "the last row ends the run";
}

TEST_F(MainFormTest, TheSleepTimerShowsItsLastMinuteAndResumesOnExpiry) {
    Start();
    toolkitsim::RunFor(100);
    Runtime.SleepTimer = 62;
    toolkitsim::RunFor(1000);
    EXPECT_EQ(Runtime.SleepTimer, 61);
    EXPECT_EQ(Runtime.TimerDisplay, 0);
    EXPECT_TRUE(FInfo == nullptr || !FInfo->Visible);
    toolkitsim::RunFor(1000);
    EXPECT_EQ(Runtime.SleepTimer, 60);
    EXPECT_EQ(Runtime.TimerDisplay, 1);
    ASSERT_NE(FInfo, nullptr);
    EXPECT_EQ(FInfo->lblMsgtext->Caption(), "0:01:00");
    const auto sounds = win32sim::SoundLog();
    ASSERT_FALSE(sounds.empty());
    EXPECT_EQ(sounds.back().sound, Prog("Data\\alarm.wav"));

    toolkitsim::RunFor(60 * 1000);
    EXPECT_EQ(Runtime.SleepTimer, 0);
    std::strcpy(Runtime.TextBuffer, "left");
    Runtime.NumberBuffer = 3.0f;
    toolkitsim::RunFor(1000);
    EXPECT_EQ(Runtime.SleepTimer, -1);
    EXPECT_EQ(Runtime.TimerDisplay, 0);
    EXPECT_EQ(Runtime.NumberBuffer, -1.0f);
    EXPECT_STREQ(Runtime.TextBuffer, "");
    EXPECT_EQ(FInfo->lblMsgtext->Caption(), "Timer off");
}

TEST_F(MainFormTest, TheReplayFeedsTheNamedButtonsInOrder) {
    Start();
    Runtime.CodeTable.resize(2);
    SetField(Runtime.CodeTable[0].Name, "A");
    Runtime.CodeTable[0].Code = 0x41;
    SetField(Runtime.CodeTable[1].Name, "B");
    Runtime.CodeTable[1].Code = 0x42;
    Runtime.CodeCount = 2;
    const std::string column(28, ' ');

    ReplayButtonSequence(column);
    EXPECT_STREQ(Runtime.ButtonName, "");

    ReplayButtonSequence(column + "\"a\"+\"b\"");
    EXPECT_STREQ(Runtime.ButtonName, "B");
    EXPECT_EQ(Runtime.ComboCount, 2);

    Runtime.ButtonName[0] = '\0';
    Runtime.ComboCount = 0;
    Runtime.ButtonCombination[0] = '\0';
    ReplayButtonSequence(column + "\"A+B\"");
    EXPECT_STREQ(Runtime.ButtonName, "") << "the pieces of a name with a plus name no button";
}

TEST_F(MainFormTest, TheTrayMenuStartsHelpAndThePlaylistEditor) {
    Start();
    FMain->NHelpClick(nullptr);
    FMain->NPlayListClick(nullptr);
    const auto started = win32sim::LaunchLog();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[0].function, "ShellExecuteA");
    EXPECT_EQ(started[0].verb, "open");
    EXPECT_EQ(started[0].applicationName, Prog("\\Help\\Tavrin RC.HLP"));
    EXPECT_EQ(started[1].function, "WinExec");
    EXPECT_EQ(started[1].commandLine, Prog("Quendel.exe"));
}

TEST_F(MainFormTest, TheTrayIconAndEveryMenuItemShowAPictureOfTheImageList) {
    Start();
    const TImageList& images = *FMain->ImageList;
    ASSERT_EQ(FMain->PopupMenu->Images, &images);
    ASSERT_EQ(FMain->TrayIcon->Icons, &images);
    std::vector<const TBitmap*> shown;
    for (TMenuItem* item :
         {FMain->NHelp, FMain->NPlayList, FMain->NParam, FMain->NSearchAppl, FMain->NExit}) {
        SCOPED_TRACE(item->Name);
        ASSERT_GE(item->ImageIndex, 0);
        ASSERT_LT(item->ImageIndex, images.Count());
        shown.push_back(&images.Images(item->ImageIndex));
    }
    ASSERT_GE(FMain->TrayIcon->IconIndex, 0);
    ASSERT_LT(FMain->TrayIcon->IconIndex, images.Count());
    shown.push_back(&images.Images(FMain->TrayIcon->IconIndex));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i]->Width(), images.Width);
        EXPECT_EQ(shown[i]->Height(), images.Height);
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(shown[i]->PixelBytes(), shown[j]->PixelBytes()) << "the same as " << j;
    }
}

TEST_F(MainFormTest, ClosingSavesTheClockLayoutAndUnbindsTheReceiver) {
    Start();
    OsdShowClock(false);
    FTime->Left = 33;
    FTime->lblMsgtext->Font.Color = 0xFF;
    FMain->Close();
    EXPECT_EQ(ConfigValue("FTime", "Left"), "33");
    EXPECT_EQ(ConfigValue("FTime", "Color"), "255");
    EXPECT_EQ(Runtime.ReceiverLibrary, nullptr);
    EXPECT_EQ(Runtime.CodeCount, 0);
    EXPECT_EQ(Runtime.LangIni, nullptr);
    EXPECT_TRUE(Application->Terminated());
}

template <class T>
std::string Records(const std::vector<T>& records) {
    std::string bytes;
    for (const T& r : records)
        bytes.append(reinterpret_cast<const char*>(&r), sizeof r);
    return bytes;
}

// The whole road: a button on the receiver, the tick, the dispatch, a command that asks for a
// number in the input window, the answer, the sleep timer it sets, and its expiry.
TEST_F(MainFormTest, AButtonRunsItsCommandThroughTheWindowsAndTheSleepTimer) {
    TCodeEntry play{};
    SetField(play.Name, "Play");
    play.Code = 0x1234;
    TApplEntry system{};
    SetField(system.Name, "System");
    TFuncEntry binding{};
    SetField(binding.CmdName, "Ask");
    binding.RcMode = 1;
    SetField(binding.Keys, "\"Play\"");
    TCmdStep ask{};
    SetField(ask.Name, "Ask");
    ask.Step = 1;
    ask.StepCount = 2;
    ask.CmdType = 21; // intbuf=number
    SetField(ask.Param1, "1");
    TCmdStep timer{};
    timer.Step = 2;
    timer.StepCount = 2;
    timer.CmdType = 13; // timer
    PutFile(Prog("Bin\\defcode.bin"), Records(std::vector<TCodeEntry>{play}));
    PutFile(Prog("Bin\\defappl.bin"), Records(std::vector<TApplEntry>{system}));
    PutFile(Prog("Bin\\deffuncSystem.bin"), Records(std::vector<TFuncEntry>{binding}));
    PutFile(Prog("Bin\\defcmdSystem.bin"), Records(std::vector<TCmdStep>{ask, timer}));

    Start();
    EXPECT_TRUE(BoxTexts().empty());
    Queue({-1, 0x1234});
    toolkitsim::RunFor(200);
    ASSERT_NE(FInput, nullptr);
    const auto window = win32sim::Window(FInput->Handle());
    ASSERT_TRUE(window.has_value());
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(window->className, "TFInput");
    EXPECT_EQ(Runtime.RcMode, 3);

    toolkitsim::KeyPress(*FInput, '3');
    toolkitsim::PressKey(*FInput, VK_RETURN);
    toolkitsim::RunFor(100);
    EXPECT_FALSE(FInput->Visible);
    EXPECT_EQ(Runtime.RcMode, 1);
    EXPECT_GE(Runtime.SleepTimer, 2);

    toolkitsim::RunFor(5000);
    EXPECT_EQ(Runtime.SleepTimer, -1);
    ASSERT_NE(FInfo, nullptr);
    EXPECT_EQ(FInfo->lblMsgtext->Caption(), "Timer off");
    EXPECT_EQ(Runtime.PendingFunc, -1) << "the command has run to its end";
}

} // namespace
