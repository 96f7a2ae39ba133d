// A grid under Wine scrolls as a user works it: real clicks, keys, the wheel and its scroll bars.
#include <presentation_support.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using wine_test::Pump;
using wine_test::SendMouse;

namespace {

void ClickAt(POINT p) {
    wine_test::SendClick(p);
    Pump(200);
}

void Key(WORD key, bool ctrl = false) {
    wine_test::SendKey(key, ctrl);
    Pump(150);
}

struct Fixture {
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    TStringGrid* grid = nullptr;
    HWND window = nullptr;

    Fixture() {
        form->BorderStyle = bsNone;
        form->FormStyle = fsStayOnTop;
        form->SetBounds(150, 150, 360, 200);
        grid = new TStringGrid(form.get());
        grid->Parent = form.get();
        grid->SetBounds(10, 10, 300, 150);
        grid->SetColCount(8);
        grid->SetRowCount(30);
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < 8; ++c)
                grid->Cells(c, r) = std::to_string(c) + ":" + std::to_string(r);
        form->Show();
        window = wine_test::ChildOf(form->Handle(), "TStringGrid");
        SetForegroundWindow(form->Handle());
        Pump();
    }

    // A point of the grid's client area on the screen.
    POINT Screen(int x, int y) const {
        POINT p{x, y};
        ClientToScreen(window, &p);
        return p;
    }

    POINT CellMiddle(int col, int row) const {
        const RECT r = grid->CellRect(col, row);
        return Screen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // The view on the window: its scroll bars' thumbs stand where the model's view is.
    void ExpectBarsAtTheView() const {
        EXPECT_EQ(GetScrollPos(window, SB_VERT), grid->TopRow);
        EXPECT_EQ(GetScrollPos(window, SB_HORZ), grid->LeftCol);
    }

    // The current cell is painted highlighted where the model places it.
    void ExpectCurrentPainted() const {
        Pump();
        const wine_test::Pixels pixels(window);
        const RECT cell = grid->CellRect(grid->Col, grid->Row);
        ASSERT_LT(cell.left, cell.right) << "the current cell is in view";
        EXPECT_GT(pixels.Count(GetSysColor(COLOR_HIGHLIGHT), cell), 0);
    }

    void Save(const char* name) const {
        const wine_test::Pixels pixels(window);
        wine_test::WriteBitmap(name, pixels.Width(), pixels.Height(),
                               [&](int x, int y) { return pixels.At(x, y); });
    }
};

TEST(GridScrolling, TheWindowHasTheModelsScrollBarsAndClientArea) {
    Fixture f;
    ASSERT_NE(f.window, nullptr);
    const LONG_PTR style = GetWindowLongPtrA(f.window, GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_TRUE(style & WS_HSCROLL);
    RECT client{};
    GetClientRect(f.window, &client);
    EXPECT_EQ(client.right, f.grid->ClientWidth);
    EXPECT_EQ(client.bottom, f.grid->ClientHeight);
    f.ExpectBarsAtTheView();

    // Both bars go where the cells fit, and the vertical alone where only the rows do not.
    f.grid->ScrollBars = ssVertical;
    f.grid->SetColCount(3);
    Pump();
    const LONG_PTR narrow = GetWindowLongPtrA(f.window, GWL_STYLE);
    EXPECT_TRUE(narrow & WS_VSCROLL);
    EXPECT_FALSE(narrow & WS_HSCROLL);
    f.grid->SetRowCount(3);
    Pump();
    EXPECT_FALSE(GetWindowLongPtrA(f.window, GWL_STYLE) & WS_VSCROLL);
    GetClientRect(f.window, &client);
    EXPECT_EQ(client.right, f.grid->ClientWidth);
}

TEST(GridScrolling, RealKeysMoveTheCurrentCellAndTheViewFollows) {
    Fixture f;
    ClickAt(f.CellMiddle(1, 2));
    EXPECT_EQ(f.grid->Col, 1);
    EXPECT_EQ(f.grid->Row, 2);
    EXPECT_EQ(GetFocus(), f.window);

    struct Case {
        WORD key;
        bool ctrl;
        int col, row;
    };
    const Case cases[] = {{VK_DOWN, false, 1, 3},   {VK_NEXT, false, 1, 3 + 4},
                          {VK_NEXT, false, 1, 11},  {VK_END, false, 7, 11},
                          {VK_HOME, false, 0, 11},  {VK_END, true, 7, 29},
                          {VK_PRIOR, false, 7, 25}, {VK_LEFT, false, 6, 25},
                          {VK_HOME, true, 0, 1},    {VK_UP, false, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.key) + (c.ctrl ? " with Ctrl" : ""));
        Key(c.key, c.ctrl);
        EXPECT_EQ(f.grid->Col, c.col);
        EXPECT_EQ(f.grid->Row, c.row);
        EXPECT_GE(f.grid->Row, f.grid->TopRow);
        EXPECT_LT(f.grid->Row, f.grid->TopRow + f.grid->VisibleRowCount());
        EXPECT_GE(f.grid->Col, f.grid->LeftCol);
        EXPECT_LT(f.grid->Col, f.grid->LeftCol + f.grid->VisibleColCount());
        f.ExpectBarsAtTheView();
        f.ExpectCurrentPainted();
        if (c.key == VK_END && c.ctrl) {
            EXPECT_EQ(f.grid->TopRow, f.grid->MaxTopRow());
            EXPECT_EQ(f.grid->LeftCol, f.grid->MaxLeftCol());
            f.Save("grid_scrolled_to_the_end.bmp");
        }
    }
}

TEST(GridScrolling, TheWheelAndTheScrollBarsScrollTheView) {
    Fixture f;
    ClickAt(f.CellMiddle(0, 1));
    // A notch towards the user: three rows on.
    SendMouse(0, f.CellMiddle(2, 2));
    SendMouse(MOUSEEVENTF_WHEEL, f.CellMiddle(2, 2), static_cast<DWORD>(-WHEEL_DELTA));
    Pump(200);
    EXPECT_EQ(f.grid->TopRow, 4);
    EXPECT_EQ(f.grid->Row, 1) << "the wheel leaves the current cell";
    f.ExpectBarsAtTheView();

    // The arrows at the ends of the bars: a row, a column.
    RECT outer{};
    GetWindowRect(f.window, &outer);
    RECT client{};
    GetClientRect(f.window, &client);
    POINT origin{0, 0};
    ClientToScreen(f.window, &origin);
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    const POINT down{origin.x + client.right + bar / 2, origin.y + client.bottom - bar / 2};
    const POINT right{origin.x + client.right - bar / 2, origin.y + client.bottom + bar / 2};
    ClickAt(down);
    EXPECT_EQ(f.grid->TopRow, 5);
    ClickAt(right);
    EXPECT_EQ(f.grid->LeftCol, 1);
    // The trough below the thumb: a page.
    const int before = f.grid->TopRow;
    ClickAt(POINT{down.x, down.y - bar - 4});
    EXPECT_EQ(f.grid->TopRow, before + f.grid->VisibleRowCount());
    f.ExpectBarsAtTheView();
    EXPECT_EQ(f.grid->Row, 1);
    f.Save("grid_scrolled_by_its_bars.bmp");
    // The first row shown after the title row is the view's top row.
    const RECT top = f.grid->CellRect(1, f.grid->TopRow);
    EXPECT_EQ(top.top, f.grid->DefaultRowHeight + 1);
}

} // namespace
