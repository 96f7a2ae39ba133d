// Enter and Esc under Wine, typed for real: a control that takes them keeps them from the form's
// default and cancel buttons, as Windows' dialog manager has it.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using wine_test::Pump;

namespace {

void ClickAt(POINT p, int times = 1) {
    wine_test::SendMouse(0, p);
    for (int i = 0; i < times; ++i) {
        wine_test::SendMouse(MOUSEEVENTF_LEFTDOWN, p);
        wine_test::SendMouse(MOUSEEVENTF_LEFTUP, p);
    }
    Pump(300);
}

void Key(WORD key) {
    wine_test::SendKey(key);
    Pump(200);
}

struct Fixture {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TComboBox* combo = nullptr;
    TStringGrid* grid = nullptr;
    std::vector<std::string> seen;

    Fixture() {
        form->BorderStyle = bsNone;
        form->FormStyle = fsStayOnTop;
        form->SetBounds(150, 150, 400, 260);
        combo = new TComboBox(form.get());
        combo->Parent = form.get();
        combo->Style = csDropDownList;
        combo->SetBounds(10, 10, 150, 21);
        combo->Items.SetText("System\r\nWinamp\r\nPlayer\r\n");
        combo->ItemIndex = 0;
        grid = new TStringGrid(form.get());
        grid->Parent = form.get();
        grid->SetBounds(10, 120, 300, 100);
        grid->Options << goEditing;
        grid->OnSetEditText = [this](TObject*, int, int, const std::string& text) {
            seen.push_back("edit " + text);
        };
        for (bool isDefault : {true, false}) {
            auto* button = new TButton(form.get());
            button->Parent = form.get();
            button->SetBounds(isDefault ? 200 : 290, 10, 80, 25);
            (isDefault ? button->Default : button->Cancel) = true;
            button->OnClick = [this, isDefault](TObject*) {
                seen.push_back(isDefault ? "ok" : "cancel");
            };
        }
        form->Show();
        SetForegroundWindow(form->Handle());
        Pump();
    }

    HWND ComboWindow() const { return wine_test::ChildOf(form->Handle(), "COMBOBOX"); }
    bool Dropped() const { return SendMessageA(ComboWindow(), CB_GETDROPPEDSTATE, 0, 0) != 0; }
    POINT OnForm(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(form->Handle(), &p);
        return p;
    }
};

TEST(DialogKeys, EnterAndEscCloseADroppedDownListAndPressNoButton) {
    Fixture f;
    ClickAt(f.OnForm(80, 20));
    ASSERT_TRUE(f.Dropped());
    EXPECT_TRUE(f.combo->DroppedDown);
    Key(VK_DOWN);
    Key(VK_RETURN);
    EXPECT_FALSE(f.Dropped()) << "Enter closes the list";
    EXPECT_FALSE(f.combo->DroppedDown);
    EXPECT_EQ(f.combo->ItemIndex, 1) << "and keeps the choice";

    ClickAt(f.OnForm(80, 20));
    ASSERT_TRUE(f.Dropped());
    Key(VK_DOWN);
    Key(VK_ESCAPE);
    EXPECT_FALSE(f.Dropped()) << "Esc closes the list";
    EXPECT_EQ(f.combo->ItemIndex, 1) << "and restores the item it was opened on";
    EXPECT_EQ(SendMessageA(f.ComboWindow(), CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(f.seen.empty()) << "no button was pressed";

    // Closed, the keys are the buttons'.
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(f.seen, (std::vector<std::string>{"ok", "cancel"}));
}

TEST(DialogKeys, EnterAndEscEndTheGridsEditAndPressNoButton) {
    Fixture f;
    const RECT cell = f.grid->CellRect(1, 1);
    POINT middle{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    HWND gridWindow = wine_test::ChildOf(f.form->Handle(), "TStringGrid");
    ClientToScreen(gridWindow, &middle);
    ClickAt(middle, 2);
    HWND editor = wine_test::ChildOf(gridWindow, "EDIT");
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(GetFocus(), editor);
    Key('X');
    Key(VK_RETURN);
    EXPECT_EQ(f.grid->Cells(1, 1), "x");
    EXPECT_FALSE(IsWindowVisible(editor)) << "Enter ends the edit";
    Key(VK_F2);
    editor = wine_test::ChildOf(gridWindow, "EDIT");
    ASSERT_NE(editor, nullptr);
    Key('Y');
    Key(VK_ESCAPE);
    EXPECT_EQ(f.grid->Cells(1, 1), "x") << "Esc drops the edit";
    EXPECT_EQ(f.seen, (std::vector<std::string>{"edit x"})) << "no button was pressed";
    Key(VK_RETURN);
    EXPECT_EQ(f.seen, (std::vector<std::string>{"edit x", "ok"}));
}

} // namespace
