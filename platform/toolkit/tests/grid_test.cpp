// Tests of the string grid: its cells, the current cell kept in range, the user's edits.
#include <toolkit.h>

#include <toolkit_fixture.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

TEST(StringGrid, Defaults) {
    TStringGrid grid(nullptr);
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.FixedRows, 1);
    EXPECT_EQ(grid.FixedCols, 0);
    EXPECT_EQ(grid.Row, 1);
    EXPECT_EQ(grid.Tag, 0);
    EXPECT_EQ(grid.Cells(4, 4), "");
    EXPECT_STREQ(grid.ClassName(), "TStringGrid");
}

TEST(StringGrid, ResizeKeepsRemainingCells) {
    TStringGrid grid(nullptr);
    grid.SetColCount(3);
    grid.SetRowCount(3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            grid.Cells(c, r) = std::to_string(c) + "," + std::to_string(r);

    grid.SetColCount(2);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.Cells(1, 1), "1,1");
    EXPECT_THROW(grid.Cells(2, 0), EInvalidGridOperation);

    grid.SetColCount(4);
    grid.SetRowCount(4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
            const bool kept = c < 2 && r < 2;
            EXPECT_EQ(grid.Cells(c, r), kept ? std::to_string(c) + "," + std::to_string(r) : "")
                << "cells cut off come back empty";
        }
}

TEST(StringGrid, SizesAreAtLeastOne) {
    TStringGrid grid(nullptr);
    grid.SetColCount(0);
    grid.SetRowCount(-3);
    EXPECT_EQ(grid.ColCount(), 1);
    EXPECT_EQ(grid.RowCount(), 1);
    grid.Cells(0, 0) = "x";
    EXPECT_EQ(grid.Cells(0, 0), "x");
}

TEST(StringGrid, CurrentRowStaysInsideTheGrid) {
    TStringGrid grid(nullptr);
    grid.SetRowCount(10);
    grid.Row = 8;
    grid.SetRowCount(4);
    EXPECT_EQ(grid.Row, 3);
    grid.SetRowCount(20);
    EXPECT_EQ(grid.Row, 3);
}

TEST(StringGrid, CellsOutOfRangeThrow) {
    TStringGrid grid(nullptr);
    grid.SetColCount(3);
    grid.SetRowCount(2);
    const TStringGrid& constGrid = grid;
    const int cases[][2] = {{3, 0}, {0, 2}, {-1, 0}, {0, -1}, {100, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c[0]) + "," + std::to_string(c[1]));
        try {
            grid.Cells(c[0], c[1]) = "x";
            FAIL() << "no error";
        } catch (const EInvalidGridOperation& e) {
            EXPECT_EQ(e.Message, "Grid index out of range");
        }
        EXPECT_THROW((void)constGrid.Cells(c[0], c[1]), EInvalidGridOperation);
    }
    EXPECT_THROW(grid.ClearRow(2), EInvalidGridOperation);
    EXPECT_THROW(grid.ClearRow(-1), EInvalidGridOperation);
}

TEST(StringGrid, ClearRowEmptiesOnlyThatRow) {
    TStringGrid grid(nullptr);
    grid.SetColCount(3);
    grid.SetRowCount(3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            grid.Cells(c, r) = "v";
    grid.ClearRow(1);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(std::to_string(c) + "," + std::to_string(r));
            EXPECT_EQ(grid.Cells(c, r), r == 1 ? "" : "v");
        }
}

TEST(StringGrid, ColAndRowAreClampedOntoCellsThatAreNotFixed) {
    TStringGrid grid(nullptr);
    grid.SetColCount(4);
    grid.FixedCols = 1;
    EXPECT_EQ(grid.Col, 1) << "moved off the fixed column";
    struct Case {
        int col, row;
        int wantCol, wantRow;
    };
    const Case cases[] = {{2, 3, 2, 3}, {-1, -1, 1, 1}, {0, 0, 1, 1}, {9, 9, 3, 4}, {3, 4, 3, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.col) + "," + std::to_string(c.row));
        grid.Col = c.col;
        grid.Row = c.row;
        EXPECT_EQ(grid.Col, c.wantCol);
        EXPECT_EQ(grid.Row, c.wantRow);
    }
    grid.FixedRows = 3;
    grid.Row = 1;
    EXPECT_EQ(grid.Row, 3);
    grid.SetRowCount(2);
    EXPECT_EQ(grid.FixedRows, 1) << "at least one row stays not fixed";
    EXPECT_EQ(grid.Row, 1);
    grid.FixedRows = 5;
    EXPECT_EQ(grid.FixedRows, 1);
}

class StringGridTest : public ToolkitTest {
protected:
    TStringGrid* Grid() {
        auto* form = new TForm(Application);
        auto* grid = new TStringGrid(form);
        grid->Name = "stgCommand";
        grid->Parent = form;
        grid->SetColCount(6);
        grid->SetRowCount(3);
        grid->Options << goEditing;
        grid->Cells(0, 0) = "lbl_cmdname";
        grid->Cells(0, 1) = "Play";
        grid->OnSetEditText = [this, grid](TObject*, int col, int row, const std::string& text) {
            edits_.push_back(std::to_string(col) + "," + std::to_string(row) + "=" + text);
            grid->Tag = 1;
        };
        form->Show();
        return grid;
    }
    std::vector<std::string> edits_;
};

TEST_F(StringGridTest, TheUserEditsCellsThatAreNotFixed) {
    TStringGrid* grid = Grid();
    EXPECT_EQ(grid->Color, clWindow) << "a colour of its own, not the form's";
    EXPECT_TRUE(toolkitsim::EditCell(*grid, 2, 2, "VK_SPACE"));
    EXPECT_EQ(grid->Cells(2, 2), "VK_SPACE");
    EXPECT_EQ(grid->Col, 2);
    EXPECT_EQ(grid->Row, 2);
    EXPECT_EQ(grid->Tag, 1);
    EXPECT_FALSE(toolkitsim::EditCell(*grid, 0, 0, "x")) << "the title row is fixed";
    EXPECT_EQ(grid->Cells(0, 0), "lbl_cmdname");
    EXPECT_EQ(grid->Row, 2) << "a click on a fixed cell selects nothing";
    grid->Options >> goEditing;
    EXPECT_FALSE(toolkitsim::EditCell(*grid, 0, 1, "x"));
    grid->Options << goEditing;
    grid->Enabled = false;
    EXPECT_FALSE(toolkitsim::EditCell(*grid, 0, 1, "x"));
    EXPECT_EQ(grid->Cells(0, 1), "Play");
    EXPECT_EQ(edits_, std::vector<std::string>{"2,2=VK_SPACE"});
}

TEST_F(StringGridTest, RowSelectionSelectsWholeRowsAndStopsEditing) {
    TStringGrid* grid = Grid();
    grid->Options << goRowSelect;
    toolkitsim::ClickCell(*grid, 3, 2);
    EXPECT_EQ(grid->Row, 2);
    EXPECT_EQ(grid->Selection(), (TGridRect{0, 2, 5, 2}));
    EXPECT_FALSE(toolkitsim::EditCell(*grid, 3, 1, "x"));
    grid->Options >> goRowSelect;
    EXPECT_EQ(grid->Selection(), (TGridRect{3, 1, 3, 1}));
}

TEST_F(StringGridTest, KeysMoveTheCurrentCellWithinTheGrid) {
    TStringGrid* grid = Grid();
    grid->SetRowCount(6);
    TCustomForm* form = grid->GetParentForm();
    grid->SetFocus();
    struct Case {
        WORD key;
        bool ctrl;
        int col, row;
    };
    // End and Home: the last and first column; with Ctrl the last and first cell.
    const Case cases[] = {{VK_DOWN, false, 0, 2}, {VK_RIGHT, false, 1, 2}, {0x23, false, 5, 2},
                          {0x24, false, 0, 2},    {0x23, true, 5, 5},      {VK_DOWN, false, 5, 5},
                          {VK_UP, false, 5, 4},   {0x24, true, 0, 1},      {VK_UP, false, 0, 1},
                          {VK_LEFT, false, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        TShiftState shift;
        if (c.ctrl)
            shift << ssCtrl;
        toolkitsim::PressKey(*form, c.key, shift);
        EXPECT_EQ(grid->Col, c.col);
        EXPECT_EQ(grid->Row, c.row);
    }
}

TEST_F(StringGridTest, CellsUnderTheMouseFollowTheColumnWidths) {
    TStringGrid* grid = Grid();
    grid->SetColWidths(0, 100);
    int col = -1;
    int row = -1;
    ASSERT_TRUE(grid->MouseToCell(100, 25, col, row));
    EXPECT_EQ(col, 0);
    EXPECT_EQ(row, 1);
    ASSERT_TRUE(grid->MouseToCell(101, 0, col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 0);
    EXPECT_FALSE(grid->MouseToCell(10, 3 * 25, col, row)) << "below the last row";
    EXPECT_EQ(grid->CellRect(1, 2).left, 101);
    EXPECT_EQ(grid->CellRect(1, 2).top, 50);
    grid->SetColCount(8);
    EXPECT_EQ(grid->ColWidths(0), 100);
    EXPECT_EQ(grid->ColWidths(7), 64);
}

TEST_F(StringGridTest, ScaleByScalesTheFormsControlsAndTheGridsSizes) {
    TStringGrid* grid = Grid();
    auto* form = static_cast<TForm*>(grid->GetParentForm());
    form->SetBounds(0, 0, 680, 492);
    auto* group = new TGroupBox(form);
    group->Parent = form;
    group->SetBounds(10, 20, 200, 100);
    auto* bar = new TTrackBar(form);
    bar->Parent = group;
    bar->SetBounds(8, 16, 150, 45);
    grid->SetBounds(0, 200, 300, 100);
    grid->SetColWidths(1, 90);
    form->ScaleBy(96, 120);
    EXPECT_EQ(form->Width, 544);
    EXPECT_EQ(form->Height, 393);
    EXPECT_EQ(group->Left, 8);
    EXPECT_EQ(group->Width, 160);
    EXPECT_EQ(bar->Top, 12);
    EXPECT_EQ(bar->Width, 120);
    EXPECT_EQ(grid->Top, 160);
    EXPECT_EQ(grid->ColWidths(1), 72);
    EXPECT_EQ(grid->ColWidths(0), 51);
    EXPECT_EQ(grid->DefaultRowHeight, 19);
}

} // namespace

namespace {

std::vector<std::string> Column0(const TStringGrid& grid) {
    std::vector<std::string> col;
    for (int r = 0; r < grid.RowCount(); ++r)
        col.push_back(grid.Cells(0, r));
    return col;
}

class RowMovingTest : public ToolkitTest {
protected:
    TStringGrid* Grid() {
        auto* form = new TForm(Application);
        auto* grid = new TStringGrid(form);
        grid->Name = "stgCommand";
        grid->Parent = form;
        grid->SetColCount(2);
        grid->SetRowCount(5);
        grid->Height = 140; // every row in view
        grid->Options << goRowSelect << goRowMoving;
        const char* names[] = {"title", "a", "b", "c", "d"};
        for (int r = 0; r < 5; ++r) {
            grid->Cells(0, r) = names[r];
            grid->Cells(1, r) = std::string(names[r]) + "1";
        }
        grid->OnRowMoved = [this](TObject*, int from, int to) {
            moves_.push_back(std::to_string(from) + ">" + std::to_string(to));
        };
        form->Show();
        return grid;
    }
    std::vector<std::string> moves_;
};

TEST_F(RowMovingTest, TheUserDragsARowAndTheRowsBetweenShift) {
    TStringGrid* grid = Grid();
    toolkitsim::DragRow(*grid, 1, 3);
    EXPECT_EQ(Column0(*grid), (std::vector<std::string>{"title", "b", "c", "a", "d"}));
    EXPECT_EQ(grid->Cells(1, 3), "a1") << "the whole row moves";
    EXPECT_EQ(grid->Row, 3) << "the moved row stays current";
    toolkitsim::DragRow(*grid, 4, 1);
    EXPECT_EQ(Column0(*grid), (std::vector<std::string>{"title", "d", "b", "c", "a"}));
    EXPECT_EQ(moves_, (std::vector<std::string>{"1>3", "4>1"}));
    EXPECT_EQ(grid->Tag, 0) << "moving marks nothing by itself";
}

TEST_F(RowMovingTest, NothingMovesWhereTheGridDoesNotLetRowsMove) {
    struct Case {
        const char* what;
        std::function<void(TStringGrid&)> set;
        int from;
        int to;
    };
    const Case cases[] = {
        {"no goRowMoving", [](TStringGrid& g) { g.Options >> goRowMoving; }, 1, 3},
        {"cells edited in place", [](TStringGrid& g) { g.Options >> goRowSelect << goEditing; }, 1,
         3},
        {"disabled", [](TStringGrid& g) { g.Enabled = false; }, 1, 3},
        {"from the title row", [](TStringGrid&) {}, 0, 2},
        {"onto itself", [](TStringGrid&) {}, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        moves_.clear();
        TStringGrid* grid = Grid();
        c.set(*grid);
        toolkitsim::DragRow(*grid, c.from, c.to);
        EXPECT_EQ(Column0(*grid), (std::vector<std::string>{"title", "a", "b", "c", "d"}));
        EXPECT_TRUE(moves_.empty());
        EXPECT_FALSE(grid->DragRow(c.from, c.to));
    }
    // Editable grids still let rows be dragged when they select whole rows.
    TStringGrid* grid = Grid();
    grid->Options << goEditing;
    EXPECT_TRUE(grid->DragRow(2, 1));
    EXPECT_FALSE(grid->DragRow(1, 5)) << "out of range";
}

TEST_F(RowMovingTest, ReleasedBelowTheLastRowTheRowGoesToTheEnd) {
    TStringGrid* grid = Grid();
    const RECT first = grid->CellRect(0, 1);
    toolkitsim::MouseDown(*grid, mbLeft, 5, first.top + 3, {ssLeft});
    toolkitsim::MouseUp(*grid, mbLeft, 5, first.top + 40 * (grid->DefaultRowHeight + 1));
    EXPECT_EQ(Column0(*grid), (std::vector<std::string>{"title", "b", "c", "d", "a"}));
    // A plain click moves nothing.
    toolkitsim::ClickCell(*grid, 0, 2);
    EXPECT_EQ(Column0(*grid), (std::vector<std::string>{"title", "b", "c", "d", "a"}));
    EXPECT_EQ(moves_, (std::vector<std::string>{"1>4"}));
}

} // namespace

namespace {

// 20 rows of 25 pixels (24 and the line) in a grid of 4 + 100 pixels: the title row and three
// rows in view; six columns of 64 in 4 + 200 pixels less the vertical bar of 16.
class ScrollingTest : public ToolkitTest {
protected:
    TStringGrid* Grid() {
        auto* form = new TForm(Application);
        auto* grid = new TStringGrid(form);
        grid->Parent = form;
        grid->SetColCount(6);
        grid->SetRowCount(20);
        grid->SetBounds(0, 0, 204, 104 + 16);
        form->Show();
        grid->SetFocus();
        return grid;
    }
};

TEST_F(ScrollingTest, TheViewHasBarsRowsAndColumnsAsTheGridFits) {
    TStringGrid* grid = Grid();
    EXPECT_TRUE(grid->ShowsVertScrollBar());
    EXPECT_TRUE(grid->ShowsHorzScrollBar());
    EXPECT_EQ(grid->ClientWidth, 204 - 4 - 16);
    EXPECT_EQ(grid->ClientHeight, 100);
    EXPECT_EQ(grid->TopRow, 1);
    EXPECT_EQ(grid->LeftCol, 0);
    EXPECT_EQ(grid->VisibleRowCount(), 3);
    EXPECT_EQ(grid->VisibleColCount(), 2);
    EXPECT_EQ(grid->MaxTopRow(), 17);
    EXPECT_EQ(grid->MaxLeftCol(), 4);
    grid->TopRow = 99;
    EXPECT_EQ(grid->TopRow, 17);
    grid->TopRow = 0;
    EXPECT_EQ(grid->TopRow, 1) << "never among the fixed rows";
    grid->LeftCol = 9;
    EXPECT_EQ(grid->LeftCol, 4);

    struct Case {
        TScrollStyle bars;
        int width, height;
        bool vert, horz;
    };
    const Case cases[] = {{ssBoth, 204, 120, true, true},
                          {ssVertical, 204, 120, true, false},
                          {ssHorizontal, 204, 120, false, true},
                          {ssNone, 204, 120, false, false},
                          {ssBoth, 4 + 6 * 65, 120, true, true},
                          {ssBoth, 4 + 6 * 65 + 16, 120, true, false},
                          {ssBoth, 4 + 6 * 65, 4 + 20 * 25, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bars) + " " + std::to_string(c.width));
        grid->ScrollBars = c.bars;
        grid->SetBounds(0, 0, c.width, c.height);
        EXPECT_EQ(grid->ShowsVertScrollBar(), c.vert);
        EXPECT_EQ(grid->ShowsHorzScrollBar(), c.horz);
    }
}

TEST_F(ScrollingTest, TheCurrentCellIsKeptInViewAndCellsFollowTheView) {
    TStringGrid* grid = Grid();
    TCustomForm* form = grid->GetParentForm();
    struct Case {
        WORD key;
        bool ctrl;
        int col, row, left, top;
    };
    const Case cases[] = {{VK_DOWN, false, 0, 2, 0, 1},   {VK_DOWN, false, 0, 3, 0, 1},
                          {VK_DOWN, false, 0, 4, 0, 2},   {0x22, false, 0, 7, 0, 5},
                          {0x23, true, 5, 19, 4, 17},     {0x21, false, 5, 16, 4, 14},
                          {VK_LEFT, false, 4, 16, 4, 14}, {VK_LEFT, false, 3, 16, 3, 14},
                          {0x24, false, 0, 16, 0, 14},    {0x23, false, 5, 16, 4, 14},
                          {0x24, true, 0, 1, 0, 1},       {VK_UP, false, 0, 1, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        TShiftState shift;
        if (c.ctrl)
            shift << ssCtrl;
        toolkitsim::PressKey(*form, c.key, shift);
        EXPECT_EQ(grid->Col, c.col);
        EXPECT_EQ(grid->Row, c.row);
        EXPECT_EQ(grid->LeftCol, c.left);
        EXPECT_EQ(grid->TopRow, c.top);
    }
    grid->Row = 12;
    EXPECT_EQ(grid->TopRow, 10) << "a move by code scrolls too";
    // The title row stays; the rows below it are the view's.
    const RECT title = grid->CellRect(0, 0);
    EXPECT_EQ(title.top, 0);
    const RECT first = grid->CellRect(0, 10);
    EXPECT_EQ(first.top, 25);
    EXPECT_EQ(grid->CellRect(0, 9).right, 0) << "scrolled out: empty";
    int col = -1;
    int row = -1;
    ASSERT_TRUE(grid->MouseToCell(70, 60, col, row));
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 11);
    ASSERT_TRUE(grid->MouseToCell(5, 5, col, row));
    EXPECT_EQ(row, 0);
}

TEST_F(ScrollingTest, TheWheelScrollsThreeRowsANotchAndLeavesTheCurrentCell) {
    TStringGrid* grid = Grid();
    grid->MouseWheel({}, -WHEEL_DELTA);
    EXPECT_EQ(grid->TopRow, 4);
    grid->MouseWheel({}, -2 * WHEEL_DELTA);
    EXPECT_EQ(grid->TopRow, 10);
    EXPECT_EQ(grid->Row, 1);
    grid->MouseWheel({}, -10 * WHEEL_DELTA);
    EXPECT_EQ(grid->TopRow, 17);
    grid->MouseWheel({}, WHEEL_DELTA);
    EXPECT_EQ(grid->TopRow, 14);
    toolkitsim::ClickCell(*grid, 2, 3);
    EXPECT_EQ(grid->Row, 3) << "a cell out of view is scrolled to, then clicked";
    EXPECT_EQ(grid->TopRow, 3);
}

} // namespace
