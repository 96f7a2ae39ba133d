// A grid's rows dragged with the real mouse, and a combo box's key filter, on real windows: the
// press, the move and the release reach the model, which moves the row; a key the filter
// changes or drops is typed changed or not at all.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using wine_test::Pump;

namespace {

struct GridFixture {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TStringGrid* grid = nullptr;
    std::vector<std::string> moves;

    GridFixture() {
        form->BorderStyle = bsNone;
        form->SetBounds(40, 40, 420, 200);
        grid = new TStringGrid(form.get());
        grid->Name = "stgCommand";
        grid->Parent = form.get();
        grid->SetBounds(0, 0, 400, 180);
        grid->SetColCount(2);
        grid->SetRowCount(5);
        grid->Options << goRowSelect << goRowMoving;
        const char* names[] = {"title", "a", "b", "c", "d"};
        for (int r = 0; r < 5; ++r)
            grid->Cells(0, r) = names[r];
        grid->OnRowMoved = [this](TObject*, int from, int to) {
            moves.push_back(std::to_string(from) + ">" + std::to_string(to));
        };
        form->Show();
        Pump();
    }
    std::vector<std::string> Column0() const {
        std::vector<std::string> col;
        for (int r = 0; r < grid->RowCount; ++r)
            col.push_back(grid->Cells(0, r));
        return col;
    }
    HWND Window() const { return wine_test::ChildOf(form->Handle(), "TStringGrid"); }
    POINT Middle(int row) const {
        const RECT r = grid->CellRect(0, row);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
};

TEST(GridRowDragging, PressMoveAndReleaseMessagesMoveTheRow) {
    GridFixture f;
    HWND window = f.Window();
    ASSERT_NE(window, nullptr);
    const POINT from = f.Middle(1);
    const POINT to = f.Middle(3);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    EXPECT_EQ(GetCapture(), window) << "the grid keeps the mouse while the button is down";
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
    Pump();
    EXPECT_EQ(f.Column0(), (std::vector<std::string>{"title", "b", "c", "a", "d"}));
    EXPECT_EQ(f.moves, std::vector<std::string>{"1>3"});
    EXPECT_EQ(f.grid->Row, 3);
    EXPECT_NE(GetCapture(), window);
    // A click moves nothing.
    const POINT other = f.Middle(2);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(other.x, other.y));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(other.x, other.y));
    EXPECT_EQ(f.moves.size(), 1u);
}

TEST(GridRowDragging, TheRealMouseDragsARow) {
    GridFixture f;
    HWND window = f.Window();
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(f.form->Handle());
    Pump();
    POINT from = f.Middle(4);
    POINT to = f.Middle(1);
    ClientToScreen(window, &from);
    ClientToScreen(window, &to);
    SetCursorPos(from.x, from.y);
    Pump();
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Pump();
    for (int step = 1; step <= 4; ++step) {
        SetCursorPos(from.x, from.y + (to.y - from.y) * step / 4);
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        Pump(20);
    }
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump(100);
    EXPECT_EQ(f.Column0(), (std::vector<std::string>{"title", "d", "a", "b", "c"}));
    EXPECT_EQ(f.moves, std::vector<std::string>{"4>1"});
}

TEST(ComboBoxKeyFilter, AKeyTheFilterChangesOrDropsIsTypedChangedOrNotAtAll) {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    form->BorderStyle = bsNone;
    form->SetBounds(40, 40, 300, 100);
    auto* combo = new TComboBox(form.get());
    combo->Name = "cmbParam1";
    combo->Parent = form.get();
    combo->SetBounds(10, 10, 200, 21);
    combo->Style = csDropDownList;
    combo->Tag = 1;
    // What the command wizard's numeric fields do: digits, a point for a comma, one minus first.
    combo->OnKeyPress = [combo](TObject*, char& key) {
        const std::string text = combo->Text;
        if (key == ',')
            key = '.';
        if ((key < '0' || key > '9') && key != '.' && key != '-' && key != '\b')
            key = 0;
        if (key == '-' && !text.empty())
            key = 0;
    };
    form->Show();
    Pump();
    // A list becomes an edit field while the form is shown.
    combo->Style = csDropDown;
    combo->MaxLength = 5;
    Pump();
    HWND window = wine_test::ChildOf(form->Handle(), "ComboBox");
    if (!window)
        window = wine_test::ChildOf(form->Handle(), "COMBOBOX");
    ASSERT_NE(window, nullptr);
    HWND edit = GetWindow(window, GW_CHILD);
    ASSERT_NE(edit, nullptr) << "the edit part after the change of style";
    for (char c : std::string("-1a,5-x\b27"))
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(combo->Text(), "-1.27");
    char shown[32] = {};
    GetWindowTextA(window, shown, sizeof shown);
    EXPECT_STREQ(shown, "-1.27");
}

} // namespace
