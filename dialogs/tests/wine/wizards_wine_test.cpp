// The two wizards as real windows under Wine, opened by the window manager as the settings
// dialog's Add opens them: their translated captions, their real controls, what the user does
// on them reaching the forms, and a picture of each as the screen shows it.
#include "cmd_wizard.h"
#include "config_form.h"
#include "dialogs.h"
#include "func_wizard.h"
#include "osd.h"
#include "program_folder.h"
#include "runtime_state.h"

#include <presentation_support.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using wine_test::Pump;

// Acts on the open wizard from a timer inside its modal loop.
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

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Every descendant window of the class.
std::vector<HWND> ChildrenOf(HWND parent, const std::string& windowClass) {
    std::vector<HWND> found;
    struct Search {
        std::string cls;
        std::vector<HWND>* found;
    } search{windowClass, &found};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            if (_stricmp(wine_test::ClassOf(w).c_str(), s->cls.c_str()) == 0)
                s->found->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return found;
}

// The real window of a windowed control: the child of its parent's window where it stands.
HWND WindowOf(TWinControl* control) {
    if (auto* form = dynamic_cast<TCustomForm*>(control))
        return form->Handle();
    HWND parent = WindowOf(control->GetParent());
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        if (r.left == control->GetLeft() && r.top == control->GetTop() &&
            r.right - r.left == control->GetWidth())
            return w;
    }
    ADD_FAILURE() << "no window for " << control->Name;
    return nullptr;
}

// The user picks the item in the real drop-down list: the box tells its parent.
void PickInWindow(TComboBox* combo, int index) {
    HWND window = WindowOf(combo);
    SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(window));
}

void TypeInto(HWND window, const std::string& text) {
    for (char c : text)
        SendMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 0);
}

// The wizard's window as the screen shows it, kept beside the test as a picture; the number of
// colours seen in it.
std::size_t Screenshot(HWND window, const std::string& name) {
    RECT r;
    GetWindowRect(window, &r);
    const wine_test::Pixels screen(GetDesktopWindow());
    std::set<COLORREF> colours;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    wine_test::WriteBitmap(ProgramFolder() + name + ".bmp", width, height, [&](int x, int y) {
        const COLORREF c = screen.At(r.left + x, r.top + y);
        colours.insert(c);
        return c;
    });
    return colours.size();
}

class WizardWindows : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime = TRuntimeState{};
        Runtime.language = "Rus";
        Runtime.Animation = 0;
        DeleteFileA((ProgramFolder() + "config.ini").c_str());
        RegisterDialogs();
        ASSERT_NE(CreateDialogOfKind(KindConfig, Application), nullptr);
        TStringGrid& commands = *FConfig->stgCommand;
        commands.RowCount = 3;
        commands.Cells(0, 1) = "Play";
        commands.Cells(1, 1) = "time";
        commands.Cells(0, 2) = "Stop";
        commands.Cells(1, 2) = "show_bar";
        for (const char* line : {"Power=10", "Mute=11", "Ok=12"})
            FConfig->vleCode->Strings.Add(line);
    }
    void TearDown() override {
        if (FConfig)
            FConfig->Free();
        Pump();
        Runtime = TRuntimeState{};
    }

    // Opens the wizard as Add does; act runs on it once it is shown and closes it.
    static void Open(std::int16_t kind, std::function<void()> act) {
        TimerAction() = std::move(act);
        SetTimer(nullptr, 0, 300, OnTimer);
        ShowForm(kind);
        Pump();
        // Released forms go once the program's message loop runs again.
        Application->ProcessMessages();
        EXPECT_EQ(DialogOfKind(kind), nullptr) << "closed and freed";
    }
    // Cancel clicked on the real button, then the window manager's tick closes the wizard.
    static void CancelAndTick(TButton* cancel) {
        SendMessageA(WindowOf(cancel), BM_CLICK, 0, 0);
        OsdTick(nullptr);
    }
};

TEST_F(WizardWindows, TheCommandWizardIsARealWindowWithItsTranslatedCaptionAndControls) {
    bool acted = false;
    std::size_t colours = 0;
    Open(KindCmdwizard, [&] {
        acted = true;
        TFCmdwizard& w = *FCmdwizard;
        HWND window = w.Handle();
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(wine_test::ClassOf(window), "TFCmdwizard");
        EXPECT_EQ(TextOf(window),
                  "\xCC\xE0\xF1\xF2\xE5\xF0 \xEA\xEE\xEC\xE0\xED\xE4"); // "Мастер команд"
        EXPECT_EQ(ChildrenOf(window, "Button").size(), 7u) << "five buttons, two radio buttons";
        EXPECT_EQ(ChildrenOf(window, "TGroupBox").size(), 2u);
        EXPECT_GE(ChildrenOf(window, "ComboBox").size(), 5u);
        EXPECT_EQ(ChildrenOf(window, "TStringGrid").size(), 1u);
        EXPECT_EQ(ChildrenOf(window, "msctls_statusbar32").size(), 1u);
        EXPECT_EQ(TextOf(WindowOf(w.btnCancel)), "\xCE\xF2\xEC\xE5\xED\xE0"); // "Отмена"
        EXPECT_FALSE(IsWindowEnabled(WindowOf(w.btnAdd)));

        // The name typed into the real edit, a type picked in the real list.
        HWND name = WindowOf(w.eCmdName);
        SetFocus(name);
        TypeInto(name, "Cursor");
        EXPECT_EQ(w.eCmdName->Text(), "Cursor");
        EXPECT_TRUE(w.grbType->Enabled);
        PickInWindow(w.cmbType, 3); // setcurpos
        Pump();
        EXPECT_EQ(w.cmbType->Text(), "setcurpos");
        ASSERT_TRUE(w.cmbParam1->Visible);
        // The numeric field's key filter on the real edit part.
        HWND x = GetWindow(WindowOf(w.cmbParam1), GW_CHILD);
        ASSERT_NE(x, nullptr) << "the field became an edit field";
        TypeInto(x, "1a2,5.-");
        EXPECT_EQ(w.cmbParam1->Text(), "12.5");
        SendMessageA(x, WM_CHAR, '\b', 0);
        SendMessageA(x, WM_CHAR, '\b', 0);
        EXPECT_EQ(w.cmbParam1->Text(), "12");
        TypeInto(GetWindow(WindowOf(w.cmbParam2), GW_CHILD), "-40");
        EXPECT_EQ(w.cmbParam2->Text(), "-40");
        EXPECT_TRUE(IsWindowEnabled(WindowOf(w.btnAdd)));
        Pump();
        colours = Screenshot(window, "cmd_wizard_fields");
        SendMessageA(WindowOf(w.btnAdd), BM_CLICK, 0, 0);
        Pump();
        EXPECT_EQ(w.stgCommand->Cells(0, 1), "Cursor");
        EXPECT_EQ(w.stgCommand->Cells(2, 1), "12");
        EXPECT_EQ(w.stgCommand->Cells(3, 1), "-40");
        // A second step, then the first row dragged below it with the mouse on the real grid:
        // the name stays on the first row.
        PickInWindow(w.cmbType, 10); // time
        Pump();
        SendMessageA(WindowOf(w.btnAdd), BM_CLICK, 0, 0);
        Pump();
        HWND grid = WindowOf(w.stgCommand);
        const RECT first = w.stgCommand->CellRect(1, 1);
        const RECT second = w.stgCommand->CellRect(1, 2);
        SendMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.left + 5, first.top + 5));
        SendMessageA(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(second.left + 5, second.top + 5));
        SendMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(second.left + 5, second.top + 5));
        Pump();
        EXPECT_EQ(w.stgCommand->Cells(0, 1), "Cursor");
        EXPECT_EQ(w.stgCommand->Cells(1, 1), "time");
        EXPECT_EQ(w.stgCommand->Cells(0, 2), "");
        EXPECT_EQ(w.stgCommand->Cells(1, 2), "setcurpos");
        Screenshot(window, "cmd_wizard_steps");
        CancelAndTick(w.btnCancel);
    });
    EXPECT_TRUE(acted);
    EXPECT_GT(colours, 4u) << "the picture shows controls and texts, not one plain colour";
}

TEST_F(WizardWindows, TheFunctionWizardIsARealWindowWithItsTranslatedCaptionAndControls) {
    bool acted = false;
    std::size_t colours = 0;
    Open(KindFuncwizard, [&] {
        acted = true;
        TFFuncwizard& w = *FFuncwizard;
        HWND window = w.Handle();
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(wine_test::ClassOf(window), "TFFuncwizard");
        EXPECT_EQ(TextOf(window),
                  "\xCC\xE0\xF1\xF2\xE5\xF0 \xF4\xF3\xED\xEA\xF6\xE8\xE9"); // "Мастер функций"
        EXPECT_EQ(ChildrenOf(window, "ComboBox").size(), 5u);
        EXPECT_EQ(ChildrenOf(window, "Button").size(), 2u) << "OK and Cancel";
        EXPECT_EQ(ChildrenOf(window, "TGroupBox").size(), 1u);
        EXPECT_FALSE(IsWindowEnabled(WindowOf(w.cmbButt1)));
        EXPECT_EQ(SendMessageA(WindowOf(w.cmbCmdname), CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageA(WindowOf(w.cmbMode), CB_GETCURSEL, 0, 0), 4) << "nohold";

        PickInWindow(w.cmbCmdname, 1);
        Pump();
        EXPECT_EQ(w.cmbCmdname->Text(), "Stop");
        EXPECT_TRUE(IsWindowEnabled(WindowOf(w.cmbButt1)));
        PickInWindow(w.cmbButt1, 0);
        Pump();
        EXPECT_EQ(SendMessageA(WindowOf(w.cmbButt2), CB_GETCOUNT, 0, 0), 3)
            << "the empty entry and the two other buttons";
        PickInWindow(w.cmbButt2, 2);
        Pump();
        EXPECT_EQ(w.ButtonExpression(), "\"Power\"+\"Ok\"");
        EXPECT_TRUE(IsWindowEnabled(WindowOf(w.btnOK)));
        colours = Screenshot(window, "func_wizard");
        SendMessageA(WindowOf(w.btnOK), BM_CLICK, 0, 0);
        OsdTick(nullptr);
    });
    EXPECT_TRUE(acted);
    EXPECT_GT(colours, 4u);
    EXPECT_EQ(FConfig->stgFunc->Cells(0, 1), "Stop");
    EXPECT_EQ(FConfig->stgFunc->Cells(2, 1), "\"Power\"+\"Ok\"");
}

// Real keys on a drop-down list of the wizard in front: Enter keeps the item chosen in the
// open list, Esc puts back the one it was opened on; neither reaches the wizard's buttons.
void EnterAndEscCloseTheDroppedList(TComboBox* combo, WORD move) {
    HWND window = WindowOf(combo);
    SetForegroundWindow(GetAncestor(window, GA_ROOT));
    SetFocus(window);
    Pump(200);
    const auto dropped = [&] { return SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    const int opened = combo->ItemIndex;
    for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
        SCOPED_TRACE(key);
        const int before = combo->ItemIndex;
        RECT r;
        GetWindowRect(window, &r);
        wine_test::SendClick(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        Pump(300);
        ASSERT_TRUE(dropped()) << "a click did not drop the list down";
        wine_test::SendKey(move);
        Pump(200);
        wine_test::SendKey(key);
        Pump(300);
        EXPECT_FALSE(dropped()) << "the list stays open";
        EXPECT_TRUE(IsWindowVisible(GetAncestor(window, GA_ROOT)));
        if (key == VK_RETURN) {
            EXPECT_NE(combo->ItemIndex, opened) << "Enter kept the item chosen";
        } else {
            EXPECT_EQ(combo->ItemIndex, before) << "Esc put back the item";
        }
    }
}

TEST_F(WizardWindows, EnterAndEscInTheCommandWizardsListsCloseThemAndOnlyThenCancel) {
    bool acted = false;
    Open(KindCmdwizard, [&] {
        acted = true;
        TFCmdwizard& w = *FCmdwizard;
        TypeInto(WindowOf(w.eCmdName), "Keys");
        Pump();
        EnterAndEscCloseTheDroppedList(w.cmbType, VK_DOWN);
        EXPECT_FALSE(w.CloseDone) << "a key reached the wizard's buttons";
        EXPECT_TRUE(IsWindowVisible(w.Handle()));
        // The list closed, Esc is the Cancel button's.
        wine_test::SendKey(VK_ESCAPE);
        Pump(300);
        EXPECT_TRUE(w.CloseDone) << "Esc did not cancel the wizard";
        if (!w.CloseDone)
            SendMessageA(WindowOf(w.btnCancel), BM_CLICK, 0, 0);
        OsdTick(nullptr);
    });
    EXPECT_TRUE(acted);
}

TEST_F(WizardWindows, EnterAndEscInTheFunctionWizardsListsCloseThemAndLeaveItOpen) {
    bool acted = false;
    Open(KindFuncwizard, [&] {
        acted = true;
        TFFuncwizard& w = *FFuncwizard;
        EnterAndEscCloseTheDroppedList(w.cmbMode, VK_UP);
        PickInWindow(w.cmbCmdname, 1);
        Pump();
        EnterAndEscCloseTheDroppedList(w.cmbButt1, VK_DOWN);
        EXPECT_FALSE(w.CloseDone) << "a key reached the wizard's buttons";
        EXPECT_TRUE(IsWindowVisible(w.Handle()));
        CancelAndTick(w.btnCancel);
    });
    EXPECT_TRUE(acted);
}

} // namespace
