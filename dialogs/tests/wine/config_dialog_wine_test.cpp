// The settings dialog as a real window under Wine: opened modally by the window manager in a
// program folder holding the shipped data, seen and worked only through Win32 (real mouse and
// keys from a second thread, as a user), with a screenshot of each page.
#include "code_appl_tables.h"
#include "config_form.h"
#include "dialogs.h"
#include "form_bar.h"
#include "form_info.h"
#include "form_time.h"
#include "osd.h"
#include "program_folder.h"
#include "runtime_state.h"
#include "screenshot.h"
#include "settings_file.h"
#include "tray_program_run.h"

#include <toolkit.h>

#include <commctrl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// "Параметры", the dialog's caption from the language file.
constexpr const char* kCaption = "\xCF\xE0\xF0\xE0\xEC\xE5\xF2\xF0\xFB";

std::string Config() {
    return ProgramFolder() + "config.ini";
}

std::string LanguageText(const char* section, const char* key) {
    char text[256] = {};
    GetPrivateProfileStringA(section, key, "", text, sizeof text,
                             (ProgramFolder() + "LANG\\Rus.ini").c_str());
    return text;
}

// A visible top-level window of this process and class.
HWND OwnVisibleWindow(const char* className) {
    struct TSearch {
        const char* className;
        HWND found = nullptr;
    } search{className};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && WindowClass(w) == s->className &&
                IsWindowVisible(w)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The descendants of the window of that class, in the order Windows keeps them.
std::vector<HWND> Children(HWND parent, const char* className) {
    struct TSearch {
        const char* className;
        std::vector<HWND> found;
    } search{className, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<TSearch*>(p);
            if (_stricmp(WindowClass(child).c_str(), s->className) == 0)
                s->found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> Visible(std::vector<HWND> windows) {
    windows.erase(
        std::remove_if(windows.begin(), windows.end(), [](HWND w) { return !IsWindowVisible(w); }),
        windows.end());
    return windows;
}

HWND ButtonWithText(HWND dialog, const std::string& text) {
    for (HWND b : Children(dialog, "Button"))
        if (WindowText(b) == text)
            return b;
    return nullptr;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The real mouse: moved to the screen point, then the buttons of the flags.
void Mouse(DWORD flags, int x, int y) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof in);
}

void ClickAt(int x, int y) {
    Mouse(0, x, y);
    Mouse(MOUSEEVENTF_LEFTDOWN, x, y);
    Mouse(MOUSEEVENTF_LEFTUP, x, y);
}

void ClickOn(HWND window) {
    const RECT r = ScreenRect(window);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void PressKey(WORD key) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = key;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof in[0]);
}

std::string TabText(HWND tabs, int index) {
    char text[128] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The one sheet of the tab control on show.
HWND ShownSheet(HWND tabs) {
    const std::vector<HWND> sheets = Visible(Children(tabs, "TTabSheet"));
    return sheets.size() == 1 ? sheets[0] : nullptr;
}

// A real click on the tab, and the wait until its sheet is on show.
bool ClickTab(HWND tabs, int index) {
    RECT r{};
    if (!SendMessageA(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)))
        return false;
    MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const HWND before = ShownSheet(tabs);
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return WaitFor(
        [&] {
            const HWND now = ShownSheet(tabs);
            return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index && now &&
                   (now != before || index == 0);
        },
        5000);
}

struct TTrackBars {
    HWND timeSize = nullptr, txtSize = nullptr, barSize = nullptr, alpha = nullptr,
         speedUp = nullptr;
};

int Pos(HWND bar) {
    return static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
}

// The interface page's sliders by their ranges; the three size sliders from top to bottom.
TTrackBars FindTrackBars(HWND dialog) {
    TTrackBars found;
    std::vector<HWND> sizes;
    for (HWND bar : Children(dialog, "msctls_trackbar32")) {
        const auto min = SendMessageA(bar, TBM_GETRANGEMIN, 0, 0);
        const auto max = SendMessageA(bar, TBM_GETRANGEMAX, 0, 0);
        if (min == 12 && max == 150)
            sizes.push_back(bar);
        else if (min == 50 && max == 255)
            found.alpha = bar;
        else if (min == 0 && max == 20)
            found.speedUp = bar;
    }
    std::sort(sizes.begin(), sizes.end(),
              [](HWND a, HWND b) { return ScreenRect(a).top < ScreenRect(b).top; });
    if (sizes.size() == 3) {
        found.timeSize = sizes[0];
        found.txtSize = sizes[1];
        found.barSize = sizes[2];
    }
    return found;
}

// Drags the slider's thumb with the real mouse to the middle of its channel.
void DragThumbToMiddle(HWND bar) {
    RECT thumb{}, channel{};
    SendMessageA(bar, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageA(bar, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&thumb), 2);
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&channel), 2);
    const int y = (thumb.top + thumb.bottom) / 2;
    int x = (thumb.left + thumb.right) / 2;
    const int target = (channel.left + channel.right) / 2;
    Mouse(0, x, y);
    Mouse(MOUSEEVENTF_LEFTDOWN, x, y);
    while (x > target) {
        x = std::max(target, x - 10);
        Mouse(0, x, y);
        Sleep(20);
    }
    Mouse(MOUSEEVENTF_LEFTUP, x, y);
}

int WindowHeight(HWND window) {
    const RECT r = ScreenRect(window);
    return r.bottom - r.top;
}

class ConfigDialogWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime = TRuntimeState{};
        DeleteFileA(Config().c_str());
        WritePrivateProfileStringA("Interface", "language", "Rus", Config().c_str());
        WritePrivateProfileStringA("Interface", "Alphavalue", "200", Config().c_str());
        RegisterDialogs();
    }
    void TearDown() override {
        for (TForm* form : std::vector<TForm*>{FInfo, FBar, FTime})
            if (form)
                form->Free();
        Runtime = TRuntimeState{};
        DeleteFileA(Config().c_str());
    }

    // The dialog's layout as designed, as a dialog once moved has it in config.ini; without one
    // it opens at half the screen's width, which on this screen cuts off the right of its pages.
    static void DesignedLayout() {
        for (const auto& [key, value] : {std::pair<const char*, const char*>{"Top", "138"},
                                         {"Left", "172"},
                                         {"Height", "492"},
                                         {"Width", "680"}})
            WritePrivateProfileStringA("FConfig", key, value, Config().c_str());
    }

    void ReadSettings(bool extOptions) {
        WritePrivateProfileStringA("Interface", "ext options", extOptions ? "1" : "0",
                                   Config().c_str());
        ASSERT_EQ(ReadWriteConfig(true, Runtime.Regions, Runtime.Animation, Runtime.Infobackground,
                                  Runtime.Alpha, Runtime.Alphavalue, Runtime.Consttime,
                                  Runtime.passed, Runtime.MouseSpeedStep, Runtime.ExtOptions,
                                  Runtime.language, Runtime.showcmdtext, Runtime.timersound),
                  0);
        ASSERT_EQ(Runtime.language, "Rus");
        ASSERT_EQ(LoadCodeTable(false), 0);
        ASSERT_EQ(LoadApplTable(false), 0);
    }

    // Opens the dialog as the tray menu does, with the main timer's tick running, and lets the
    // user work on its window from a thread of its own. Whatever the user did, the dialog is
    // made to go in the end, so that the modal loop returns.
    void RunDialog(const std::function<void(HWND dialog)>& user) {
        TTimer tick(nullptr);
        tick.Interval = 100;
        tick.OnTimer = [](TObject*) { OsdTick(nullptr); };
        tick.Enabled = true;
        std::thread helper([&] {
            HWND dialog = nullptr;
            if (!WaitFor([&] { return (dialog = OwnVisibleWindow("TFConfig")) != nullptr; },
                         20000)) {
                ADD_FAILURE() << "no visible window of class TFConfig";
                return;
            }
            user(dialog);
            auto gone = [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); };
            for (int i = 0; i < 3 && !WaitFor(gone, 5000); ++i) {
                ADD_FAILURE() << "the dialog is still open; closed by a close request";
                PostMessageA(dialog, WM_CLOSE, 0, 0);
            }
        });
        Runtime.ConfigMode = 1;
        ShowForm(KindConfig);
        helper.join();
        // The freed dialog goes once the message loop runs.
        Application->ProcessMessages();
        EXPECT_EQ(FConfig, nullptr);
        EXPECT_EQ(Runtime.ConfigMode, 0);
    }
};

struct TTabsCase {
    bool extOptions;
    std::vector<const char*> captionKeys;
};

class ConfigDialogTabs : public ConfigDialogWindow,
                         public ::testing::WithParamInterface<TTabsCase> {};

TEST_P(ConfigDialogTabs, IsARealWindowWithItsControlsAndPagesAndGoesWithEsc) {
    const TTabsCase& c = GetParam();
    ReadSettings(c.extOptions);
    RunDialog([&](HWND dialog) {
        EXPECT_EQ(WindowText(dialog), kCaption);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_CAPTION);
        EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU);
        // No layout of its own in config.ini yet: half the screen, within its least size.
        const RECT r = ScreenRect(dialog);
        EXPECT_GE(r.right - r.left, 580);
        EXPECT_GE(r.bottom - r.top, 492);

        const std::vector<HWND> tabControls = Children(dialog, "SysTabControl32");
        ASSERT_EQ(tabControls.size(), 1u);
        HWND tabs = tabControls[0];
        ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0),
                  static_cast<LRESULT>(c.captionKeys.size()));
        for (std::size_t i = 0; i < c.captionKeys.size(); ++i) {
            SCOPED_TRACE(c.captionKeys[i]);
            EXPECT_EQ(TabText(tabs, static_cast<int>(i)), LanguageText("Labels", c.captionKeys[i]));
        }
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0) << "opens on the interface page";

        for (const char* key : {"btn_ok", "btn_cancel", "btn_add", "btn_del", "btn_default"}) {
            SCOPED_TRACE(key);
            HWND button = ButtonWithText(dialog, LanguageText("Buttons", key));
            ASSERT_NE(button, nullptr);
            EXPECT_TRUE(IsWindowVisible(button));
            EXPECT_EQ(IsWindowEnabled(button) != 0,
                      std::string(key) == "btn_ok" || std::string(key) == "btn_cancel")
                << "Add, Del and Default have nothing to do on the interface page";
        }
        const TTrackBars bars = FindTrackBars(dialog);
        for (HWND bar : {bars.timeSize, bars.txtSize, bars.barSize, bars.alpha, bars.speedUp}) {
            ASSERT_NE(bar, nullptr);
            EXPECT_TRUE(IsWindowVisible(bar));
        }
        EXPECT_EQ(Pos(bars.alpha), 200) << "from config.ini";
        EXPECT_EQ(Pos(bars.speedUp), 3) << "the default step 0.3";

        const HWND interfacePage = ShownSheet(tabs);
        ASSERT_NE(interfacePage, nullptr);
        const HWND add = ButtonWithText(dialog, LanguageText("Buttons", "btn_add"));
        for (int tab = 1; tab < static_cast<int>(c.captionKeys.size()); ++tab) {
            SCOPED_TRACE(tab);
            ASSERT_TRUE(ClickTab(tabs, tab)) << "the tab's page is not on show";
            EXPECT_FALSE(IsWindowVisible(interfacePage));
            EXPECT_FALSE(IsWindowVisible(bars.alpha));
            if (std::string(c.captionKeys[tab]) == "lbl_appl") {
                EXPECT_TRUE(IsWindowEnabled(add)) << "the applications page adds applications";
            }
        }
        ASSERT_TRUE(ClickTab(tabs, 0));
        EXPECT_EQ(ShownSheet(tabs), interfacePage);
        EXPECT_TRUE(IsWindowVisible(bars.alpha));
        EXPECT_FALSE(IsWindowEnabled(add));

        SetForegroundWindow(dialog);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000))
            << "Esc did not cancel the dialog";
    });
}

INSTANTIATE_TEST_SUITE_P(ExtOptions, ConfigDialogTabs,
                         ::testing::Values(TTabsCase{false,
                                                     {"lbl_output", "lbl_appl", "lbl_applfunc"}},
                                           TTabsCase{true,
                                                     {"lbl_output", "lbl_keycode", "lbl_appl",
                                                      "lbl_cmd", "lbl_applfunc"}}),
                         [](const ::testing::TestParamInfo<TTabsCase>& info) {
                             return info.param.extOptions ? std::string("On") : std::string("Off");
                         });

TEST_F(ConfigDialogWindow, ADraggedSliderAndAClickedBoxPreviewOnTheInfoWindowAndEscPutsBack) {
    DesignedLayout();
    ReadSettings(false);
    int dragged = 0;
    RunDialog([&](HWND dialog) {
        const TTrackBars bars = FindTrackBars(dialog);
        ASSERT_NE(bars.txtSize, nullptr);
        ASSERT_EQ(Pos(bars.txtSize), 150) << "no FInfo height in config.ini: the maximum";
        ASSERT_EQ(OwnVisibleWindow("TFInfo"), nullptr);
        DragThumbToMiddle(bars.txtSize);
        HWND info = nullptr;
        EXPECT_TRUE(WaitFor(
            [&] {
                dragged = Pos(bars.txtSize);
                info = OwnVisibleWindow("TFInfo");
                return info && dragged < 150 && WindowHeight(info) == dragged;
            },
            5000))
            << "the info preview did not take the slider's height";
        EXPECT_GT(dragged, 40);
        EXPECT_LT(dragged, 120);
        ASSERT_NE(info, nullptr);
        Sleep(3000);
        EXPECT_TRUE(IsWindowVisible(info)) << "held past its display time";

        HWND alpha = ButtonWithText(dialog, LanguageText("Labels", "lbl_alphablend"));
        HWND regions = ButtonWithText(dialog, LanguageText("Labels", "lbl_regions"));
        ASSERT_NE(alpha, nullptr);
        ASSERT_NE(regions, nullptr);
        ClickOn(alpha);
        EXPECT_TRUE(WaitFor(
            [&] {
                COLORREF key = 0;
                BYTE value = 0;
                DWORD flags = 0;
                return SendMessageA(alpha, BM_GETCHECK, 0, 0) == BST_CHECKED &&
                       GetLayeredWindowAttributes(info, &key, &value, &flags) && value == 200;
            },
            5000))
            << "the info window did not take the transparency of the slider";
        EXPECT_FALSE(IsWindowEnabled(regions)) << "regions and alpha blending exclude each other";
        EXPECT_TRUE(IsWindowEnabled(bars.alpha));

        SetForegroundWindow(dialog);
        PressKey(VK_ESCAPE);
    });
    EXPECT_EQ(Runtime.Alpha, 0) << "put back by Cancel";
    EXPECT_EQ(Runtime.Alphavalue, 200);
    ASSERT_NE(FInfo, nullptr);
    EXPECT_EQ(FInfo->Height, dragged) << "the previewed height stays on the window";
    EXPECT_EQ(Runtime.FormSlots[KindInfo].Hold, 0) << "let go with the dialog";
}

// Enter and Esc in the dropped-down application list close the list; the dialog stays.
TEST_F(ConfigDialogWindow, EnterAndEscInTheDroppedDownApplicationListLeaveTheDialogOpen) {
    DesignedLayout();
    ReadSettings(true);
    RunDialog([&](HWND dialog) {
        const std::vector<HWND> tabControls = Children(dialog, "SysTabControl32");
        ASSERT_EQ(tabControls.size(), 1u);
        ASSERT_TRUE(ClickTab(tabControls[0], 4));
        const std::vector<HWND> combos = Visible(Children(dialog, "ComboBox"));
        ASSERT_EQ(combos.size(), 1u);
        HWND combo = combos[0];
        const auto dropped = [&] { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; };
        for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
            SCOPED_TRACE(key);
            ClickOn(combo);
            ASSERT_TRUE(WaitFor(dropped, 5000)) << "the list did not drop down";
            PressKey(VK_DOWN);
            Sleep(300);
            PressKey(key);
            EXPECT_TRUE(WaitFor([&] { return !dropped(); }, 5000)) << "the list stays open";
            Sleep(500);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the key reached the dialog's button";
        }
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0) << "Enter kept the first item";
        SetForegroundWindow(dialog);
        PressKey(VK_ESCAPE);
    });
}

// A name typed into the application grid that cannot be part of a file name: the real editor
// hands it over, the message box refuses it, and OK stores the application under its old name.
TEST_F(ConfigDialogWindow, ANameWithASlashTypedIntoTheApplicationGridIsRefusedWithAMessage) {
    DesignedLayout();
    ReadSettings(false);
    const std::string userAppls = ProgramFolder() + "Bin\\userappl.bin";
    const std::string userCodes = ProgramFolder() + "Bin\\usercode.bin";
    DeleteFileA(userAppls.c_str());
    std::string boxText;
    RunDialog([&](HWND dialog) {
        const std::vector<HWND> tabControls = Children(dialog, "SysTabControl32");
        ASSERT_EQ(tabControls.size(), 1u);
        ASSERT_TRUE(ClickTab(tabControls[0], 1));
        const std::vector<HWND> grids = Visible(Children(dialog, "TStringGrid"));
        ASSERT_EQ(grids.size(), 1u);
        // Row 2 holds the shipped application Player.
        RECT cell = FConfig->stgAppl->CellRect(0, 2);
        MapWindowPoints(grids[0], nullptr, reinterpret_cast<POINT*>(&cell), 2);
        // A double click opens the editor with the cell's text selected; typing replaces it.
        const int x = (cell.left + cell.right) / 2;
        const int y = (cell.top + cell.bottom) / 2;
        ClickAt(x, y);
        ClickAt(x, y);
        ASSERT_TRUE(WaitFor([&] { return Visible(Children(grids[0], "Edit")).size() == 1; }, 5000))
            << "no editor over the cell";
        for (const char c : std::string("a/b")) {
            INPUT in[2] = {};
            in[0].type = in[1].type = INPUT_KEYBOARD;
            in[0].ki.wScan = in[1].ki.wScan = static_cast<WORD>(c);
            in[0].ki.dwFlags = KEYEVENTF_UNICODE;
            in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
            SendInput(2, in, sizeof in[0]);
            Sleep(100);
        }
        PressKey(VK_RETURN);
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = OwnVisibleWindow("#32770")) != nullptr; }, 5000))
            << "no message box";
        for (HWND text : Children(box, "Static"))
            boxText += WindowText(text);
        SetForegroundWindow(box);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000));
        Sleep(300);
        ClickOn(ButtonWithText(dialog, LanguageText("Buttons", "btn_ok")));
    });
    const std::string message = LanguageText("Msg", "err_applname");
    ASSERT_NE(message.find('"'), std::string::npos);
    EXPECT_EQ(boxText, message.substr(0, message.find('"') + 1) + "a/b" +
                           message.substr(message.find('"') + 1));
    // The table as shipped: nothing differs from the defaults.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(userAppls.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 0u);
    ASSERT_EQ(LoadApplTable(false), 0);
    ASSERT_GE(Runtime.ApplTable.size(), 2u);
    EXPECT_STREQ(Runtime.ApplTable[1].Name, "Player");
    DeleteFileA(userAppls.c_str());
    DeleteFileA(userCodes.c_str());
}

// Enter and Esc in a grid's in-place editor end the edit; the dialog stays until Esc reaches it
// with no edit open.
TEST_F(ConfigDialogWindow, EnterAndEscInTheApplicationGridsEditorEndTheEditAndLeaveTheDialogOpen) {
    DesignedLayout();
    ReadSettings(true);
    RunDialog([&](HWND dialog) {
        const std::vector<HWND> tabControls = Children(dialog, "SysTabControl32");
        ASSERT_EQ(tabControls.size(), 1u);
        ASSERT_TRUE(ClickTab(tabControls[0], 2));
        const std::vector<HWND> grids = Visible(Children(dialog, "TStringGrid"));
        ASSERT_EQ(grids.size(), 1u);
        HWND grid = grids[0];
        const auto editor = [&]() -> HWND {
            for (HWND e : Children(grid, "Edit"))
                if (IsWindowVisible(e))
                    return e;
            return nullptr;
        };
        // The class-name cell of the first application, below the title row.
        const RECT r = ScreenRect(grid);
        RECT client{};
        GetClientRect(grid, &client);
        POINT cell{client.right / 2, 25 + 12};
        ClientToScreen(grid, &cell);
        ASSERT_LT(cell.y, r.bottom);
        ClickAt(cell.x, cell.y);
        Sleep(100);
        ClickAt(cell.x, cell.y);
        ASSERT_TRUE(WaitFor([&] { return editor() != nullptr; }, 5000)) << "no in-place editor";
        const std::string before = WindowText(editor());
        for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
            SCOPED_TRACE(key);
            if (!editor()) {
                PressKey(VK_F2);
                ASSERT_TRUE(WaitFor([&] { return editor() != nullptr; }, 5000));
            }
            PressKey(VK_END);
            PressKey('X');
            ASSERT_TRUE(WaitFor([&] { return WindowText(editor()) == before + "x"; }, 5000));
            PressKey(key);
            EXPECT_TRUE(WaitFor([&] { return editor() == nullptr; }, 5000))
                << "the key did not end the edit";
            Sleep(500);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the key reached the dialog's button";
        }
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000))
            << "Esc with no edit open did not cancel the dialog";
    });
}

TEST_F(ConfigDialogWindow, ScreenshotOfEachPage) {
    if (!TScreenshot::Available())
        GTEST_SKIP() << "screenshots are taken by run_with_screenshots.sh";
    DesignedLayout();
    ReadSettings(true);
    RunDialog([&](HWND dialog) {
        const std::vector<HWND> tabControls = Children(dialog, "SysTabControl32");
        ASSERT_EQ(tabControls.size(), 1u);
        HWND tabs = tabControls[0];
        const RECT r = ScreenRect(dialog);
        const TRgb face = FromColorRef(GetSysColor(COLOR_BTNFACE));
        const char* names[] = {"interface", "codes", "applications", "commands", "functions"};
        for (int tab = 0; tab < 5; ++tab) {
            SCOPED_TRACE(names[tab]);
            if (tab > 0) {
                ASSERT_TRUE(ClickTab(tabs, tab));
            }
            // The X server shows what Wine drew a moment later.
            Sleep(500);
            const auto shot =
                TScreenshot::Take(std::string("config-") + std::to_string(tab) + "-" + names[tab]);
            ASSERT_TRUE(shot.has_value()) << "no screenshot";
            const int area = (r.right - r.left) * (r.bottom - r.top);
            EXPECT_GT(shot->CountNear(r, face, 8), area / 8) << "the dialog is not on the display";
        }
        ASSERT_TRUE(ClickTab(tabs, 0));
        const TTrackBars bars = FindTrackBars(dialog);
        ASSERT_NE(bars.barSize, nullptr);
        DragThumbToMiddle(bars.barSize);
        HWND bar = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (bar = OwnVisibleWindow("TFBar")) != nullptr; }, 5000));
        Sleep(500);
        EXPECT_TRUE(TScreenshot::Take("config-0-bar-preview").has_value());
        SetForegroundWindow(dialog);
        PressKey(VK_ESCAPE);
    });
}

} // namespace
