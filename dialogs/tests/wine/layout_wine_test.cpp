// Every screen of the tray program as a user on a 1024x768 screen sees it, with the shipped data
// and config.ini: the settings dialog on each page, the two wizards (the command wizard with each
// kind of step), and the on-screen windows in each of their modes, at the size they open with
// and at their least size. Each must show every control inside its parent and every text
// whole; a picture of each is kept.
#include "cmd_wizard.h"
#include "code_appl_tables.h"
#include "config_form.h"
#include "dialogs.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_input.h"
#include "form_list.h"
#include "form_time.h"
#include "func_wizard.h"
#include "osd.h"
#include "program_folder.h"
#include "runtime_state.h"
#include "settings_file.h"

#include <layout_check.h>
#include <presentation_support.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using wine_test::KeepScreenshot;
using wine_test::LayoutFaults;
using wine_test::Pump;
using wine_test::WindowOf;

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines)
        all += "\n  " + line;
    return all;
}

// The window is checked and its picture kept under the name.
void CheckScreen(TCustomForm& form, const std::string& name) {
    Pump(150);
    const std::vector<std::string> faults = LayoutFaults(form);
    EXPECT_TRUE(faults.empty()) << name << ":" << Joined(faults);
    KeepScreenshot(form.Handle(), name);
}

// Acts on an open dialog from a timer inside its modal loop.
std::function<void()>& TimerAction() {
    static std::function<void()> action;
    return action;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::function<void()> action = TimerAction();
    TimerAction() = nullptr;
    if (action)
        action();
}

// Opens the dialog as the program does; act runs on it once it is shown and closes it.
void Open(std::int16_t kind, std::function<void()> act) {
    TimerAction() = std::move(act);
    SetTimer(nullptr, 0, 300, OnTimer);
    ShowForm(kind);
    Pump();
    Application->ProcessMessages();
    EXPECT_EQ(DialogOfKind(kind), nullptr) << "closed and freed";
}

// Cancel on the real button, then the window manager's ticks close the dialog.
void Cancel(TButton* cancel) {
    SendMessageA(WindowOf(*cancel), BM_CLICK, 0, 0);
    OsdTick(nullptr);
}

// The size the window opens with, and its least size where it has one.
struct TSize {
    const char* name;
    int width, height;
};

void Resize(TCustomForm& form, int width, int height) {
    SetWindowPos(form.Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    Pump(100);
}

std::string Config() {
    return ProgramFolder() + "config.ini";
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime = TRuntimeState{};
        // The shipped config.ini, with the pages for the experienced user shown.
        ASSERT_TRUE(
            CopyFileA((ProgramFolder() + "shipped_config.ini").c_str(), Config().c_str(), FALSE));
        WritePrivateProfileStringA("Interface", "ext options", "1", Config().c_str());
        ASSERT_EQ(ReadWriteConfig(true, Runtime.Regions, Runtime.Animation, Runtime.Infobackground,
                                  Runtime.Alpha, Runtime.Alphavalue, Runtime.Consttime,
                                  Runtime.passed, Runtime.MouseSpeedStep, Runtime.ExtOptions,
                                  Runtime.language, Runtime.showcmdtext, Runtime.timersound),
                  0);
        ASSERT_EQ(LoadCodeTable(false), 0);
        ASSERT_EQ(LoadApplTable(false), 0);
        Runtime.Animation = 0;
        RegisterDialogs();
    }
    void TearDown() override {
        for (TForm* form : std::vector<TForm*>{FInfo, FBar, FTime, FList, FInput})
            if (form)
                form->Free();
        if (FConfig)
            FConfig->Free();
        Pump();
        Runtime = TRuntimeState{};
    }
};

// A page chosen as a click on its tab chooses it.
void ChoosePage(HWND tabs, int index) {
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header{tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)), static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(GetParent(tabs), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    Pump(100);
}

TEST_F(Layout, TheSettingsDialogOpensWholeOnTheScreenAndShowsEachPageWholeDownToItsLeastSize) {
    bool acted = false;
    Runtime.ConfigMode = 1;
    Open(KindConfig, [&] {
        acted = true;
        TFConfig& d = *FConfig;
        RECT opened{};
        GetWindowRect(d.Handle(), &opened);
        EXPECT_GE(opened.right - opened.left, 680) << "at least as designed";
        const TSize sizes[] = {{"opened", opened.right - opened.left, opened.bottom - opened.top},
                               {"least", 580, 492}};
        HWND tabs = WindowOf(*d.pcConfig);
        ASSERT_NE(tabs, nullptr);
        for (const TSize& size : sizes) {
            Resize(d, size.width, size.height);
            for (int page = 0; page < d.pcConfig->PageCount(); ++page) {
                ChoosePage(tabs, page);
                EXPECT_EQ(d.pcConfig->ActivePageIndex, page);
                if (d.pcConfig->ActivePage == d.pCode) {
                    // The code grid's columns stand under their header panels.
                    EXPECT_EQ(d.vleCode->CellRect(0, 0).left, d.panCodeButton->Left);
                    EXPECT_EQ(d.vleCode->CellRect(1, 0).left, d.panCodeValue->Left);
                }
                CheckScreen(d, std::string("config_") + size.name + "_page" + std::to_string(page));
            }
        }
        Cancel(d.btnCancel);
    });
    EXPECT_TRUE(acted);
    Runtime.ConfigMode = 0;
}

class WizardLayout : public Layout {
protected:
    void SetUp() override {
        Layout::SetUp();
        ASSERT_NE(CreateDialogOfKind(KindConfig, Application), nullptr);
        TStringGrid& commands = *FConfig->stgCommand;
        commands.RowCount = 2;
        commands.Cells(0, 1) = "Play";
        commands.Cells(1, 1) = "time";
        for (const char* line : {"Power=10", "Mute=11", "Ok=12"})
            FConfig->vleCode->Strings.Add(line);
    }
};

TEST_F(WizardLayout, TheFunctionWizardShowsEveryControlAndTextWhole) {
    bool acted = false;
    Open(KindFuncwizard, [&] {
        acted = true;
        CheckScreen(*FFuncwizard, "func_wizard");
        Cancel(FFuncwizard->btnCancel);
    });
    EXPECT_TRUE(acted);
}

// The user picks the item in the real drop-down list: the box tells its parent.
void Pick(TComboBox& combo, int index) {
    HWND window = WindowOf(combo);
    SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window));
    Pump(100);
}

TEST_F(WizardLayout, TheCommandWizardShowsEachKindOfStepWholeDownToItsLeastSize) {
    bool acted = false;
    Open(KindCmdwizard, [&] {
        acted = true;
        TFCmdwizard& w = *FCmdwizard;
        RECT opened{};
        GetWindowRect(w.Handle(), &opened);
        const TSize sizes[] = {{"opened", opened.right - opened.left, opened.bottom - opened.top},
                               {"least", 500, 340}};
        CheckScreen(w, "cmd_wizard_opened");
        HWND name = WindowOf(*w.eCmdName);
        SetFocus(name);
        for (char c : std::string("Cursor"))
            SendMessageA(name, WM_CHAR, static_cast<unsigned char>(c), 0);
        for (const TSize& size : sizes) {
            Resize(w, size.width, size.height);
            const int kinds =
                static_cast<int>(SendMessageA(WindowOf(*w.cmbType), CB_GETCOUNT, 0, 0));
            ASSERT_GT(kinds, 0);
            for (int kind = 0; kind < kinds; ++kind) {
                Pick(*w.cmbType, kind);
                CheckScreen(w, std::string("cmd_wizard_") + size.name + "_" + w.cmbType->Text());
            }
        }
        Cancel(w.btnCancel);
    });
    EXPECT_TRUE(acted);
}

// An on-screen window checked alone: the others stand at the top of the screen too and would
// cover it in its picture.
void CheckAlone(TForm& window, const std::string& name) {
    for (TForm* other : std::vector<TForm*>{FInfo, FBar, FTime, FList, FInput})
        if (other && other != &window && other->Visible)
            other->Hide();
    CheckScreen(window, name);
}

TEST_F(Layout, TheOnScreenWindowsShowTheirTextsWholeInEachMode) {
    OsdShowText("Player", "runappl");
    CheckAlone(*FInfo, "info");
    OsdShowText("\xC3\xF0\xEE\xEC\xEA\xEE\xF1\xF2\xFC 100%", "Vol"); // "Громкость 100%"
    CheckAlone(*FInfo, "info_long");
    OsdShowBar("\xC3\xF0\xEE\xEC\xEA\xEE\xF1\xF2\xFC", 60, "Vol"); // "Громкость"
    CheckAlone(*FBar, "bar");
    OsdShowClock(false);
    CheckAlone(*FTime, "clock");
    FTime->ShowTime("timer", SecondsToTimeText(3909));
    CheckAlone(*FTime, "clock_timer");
    // The heights the settings' sliders give, from the least to the greatest.
    for (int height : {12, 50, 150}) {
        const std::string h = std::to_string(height);
        FInfo->Height = height;
        OsdShowText("Player", "runappl");
        CheckAlone(*FInfo, "info_" + h);
        FBar->Height = height;
        OsdShowBar("\xC3\xF0\xEE\xEC\xEA\xEE\xF1\xF2\xFC", 60, "Vol");
        CheckAlone(*FBar, "bar_" + h);
        FTime->Height = height;
        FTime->ShowTime("clock", "12:34:56");
        CheckAlone(*FTime, "clock_" + h);
    }
    TStringList items;
    for (const char* item : {"Player", "WinAmp", "Media Player Classic", "Quick"})
        items.Add(item);
    OsdShowList(items);
    CheckAlone(*FList, "list");
    TStringList many;
    for (int i = 1; i <= 20; ++i)
        many.Add("Playlist " + std::to_string(i));
    OsdShowList(many);
    CheckAlone(*FList, "list_long");
    FList->Hide();
    for (std::int16_t mode : {0, 1}) {
        OsdShowInput(mode);
        CheckAlone(*FInput, "input_mode" + std::to_string(mode));
        FInput->Hide();
    }
}

} // namespace
