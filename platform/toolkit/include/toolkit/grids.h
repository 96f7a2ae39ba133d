// Grids: text cells with fixed rows and columns, a current cell, the user's selection and editing.
#pragma once

#include "toolkit/classes.h"
#include "toolkit/controls.h"

#include <string>
#include <vector>

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = Set<TGridOption>;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TGridRect&) const = default;
};

using TSetEditEvent =
    std::function<void(TObject* Sender, int ACol, int ARow, const std::string& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// The grid's geometry and its current cell. Row and Col always name a cell that is not fixed:
// values outside are clamped, and shrinking the grid or growing its fixed part moves them in.
// The fixed rows and columns stay in place; the others scroll: TopRow and LeftCol are the first
// shown after them, and a move of the current cell (by the user or by code) scrolls it into view.
class TCustomGrid : public TCustomControl {
public:
    explicit TCustomGrid(TComponent* owner);

    // At least 1; FixedRows (FixedCols) shrinks to keep one row (column) that is not fixed.
    Property<int, TCustomGrid> ColCount{this, &TCustomGrid::GetColCount, &TCustomGrid::SetColCount};
    Property<int, TCustomGrid> RowCount{this, &TCustomGrid::GetRowCount, &TCustomGrid::SetRowCount};
    // 0 .. count - 1.
    Property<int, TCustomGrid> FixedCols{this, &TCustomGrid::GetFixedCols,
                                         &TCustomGrid::SetFixedCols};
    Property<int, TCustomGrid> FixedRows{this, &TCustomGrid::GetFixedRows,
                                         &TCustomGrid::SetFixedRows};
    Property<int, TCustomGrid> Col{this, &TCustomGrid::GetCol, &TCustomGrid::SetCol};
    Property<int, TCustomGrid> Row{this, &TCustomGrid::GetRow, &TCustomGrid::SetRow};
    // FixedRows (FixedCols) .. the last top row (left column) that still fills the view; values
    // outside are clamped. Setting them scrolls without moving the current cell.
    Property<int, TCustomGrid> TopRow{this, &TCustomGrid::GetTopRow, &TCustomGrid::SetTopRow};
    Property<int, TCustomGrid> LeftCol{this, &TCustomGrid::GetLeftCol, &TCustomGrid::SetLeftCol};
    // A bar shows where it is allowed and the cells do not fit.
    TScrollStyle ScrollBars = ssBoth;
    TGridOptions Options{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    int DefaultColWidth = 64;
    int DefaultRowHeight = 24;
    TBorderStyle BorderStyle = bsSingle;

    // The user finished changing a cell's text in the editor (not fired by code).
    TSetEditEvent OnSetEditText;
    // The user dragged a row to another place (not fired by code).
    TMovedEvent OnRowMoved;

    // The rows (columns) that are not fixed and show whole from TopRow (LeftCol) on.
    int VisibleRowCount() const;
    int VisibleColCount() const;
    int MaxTopRow() const;
    int MaxLeftCol() const;
    // The scroll bars shown now.
    bool ShowsVertScrollBar() const;
    bool ShowsHorzScrollBar() const;

    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    // The current row, or with goRowSelect the current row across every column not fixed.
    TGridRect Selection() const;
    // The cell under a point of the client area (each cell is followed by a one-pixel line):
    // false outside every cell.
    bool MouseToCell(int x, int y, int& col, int& row) const;
    // A cell's rectangle in the client area; empty for a cell scrolled out of view.
    RECT CellRect(int col, int row) const;
    // Editing is on, not by whole rows, and the cell is not fixed.
    virtual bool CanEditCell(int col, int row) const;

    // What the user does: a left press makes the cell under it current. The keys move the
    // current cell: the arrows by one (Left and Right scroll instead with whole-row selection),
    // Page Up and Page Down by a page (the view with it), Home and End to the first and last
    // column (row with whole-row selection), Ctrl+Home and Ctrl+End to the first and last cell.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    // The wheel turned by wheelDelta (120 a notch, away from the user positive): the view
    // scrolls three rows a notch; the current cell stays.
    void MouseWheel(TShiftState shift, int wheelDelta);
    // The editor on the current cell, its text replaced by the user's text: false (nothing
    // changes) when the cell cannot be edited; otherwise the cell takes it and OnSetEditText fires.
    bool EditCurrentCell(const std::string& text);
    // With goRowMoving on a grid whose cells are not edited in place (no goEditing, or whole-row
    // selection), the user presses a row and releases the button over another: the row goes
    // there, the rows between move up or down by one, the moved row stays current and
    // OnRowMoved fires. A press on a fixed row drags nothing.
    bool CanMoveRows() const;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The drag as a whole: false (nothing changes) when rows cannot be moved, a row is fixed or
    // out of range, or both are the same.
    bool DragRow(int fromIndex, int toIndex);

    virtual std::string GetCellText(int col, int row) const = 0;

    int GetColCount() const { return colCount_; }
    virtual void SetColCount(int count);
    int GetRowCount() const { return rowCount_; }
    virtual void SetRowCount(int count);
    int GetFixedCols() const { return fixedCols_; }
    void SetFixedCols(int v);
    int GetFixedRows() const { return fixedRows_; }
    void SetFixedRows(int v);
    int GetCol() const { return col_; }
    void SetCol(int v);
    int GetRow() const { return row_; }
    void SetRow(int v);
    int GetTopRow() const { return topRow_; }
    void SetTopRow(int v);
    int GetLeftCol() const { return leftCol_; }
    void SetLeftCol(int v);

    const char* ClassName() const override;

protected:
    void DoKeyDown(WORD& key, TShiftState shift) override;
    // The client area lies inside the border and the scroll bars shown.
    int FrameWidth() const override;
    int FrameHeight() const override;
    void BoundsChanged(bool moved, bool resized) override;
    // The default sizes and the column widths.
    void ScaleContents(int m, int d) override;
    // Stores the user's text into a cell that may be edited; may refuse it by throwing.
    virtual void StoreEditText(int col, int row, const std::string& text) = 0;
    // The counts changed; the cells follow.
    virtual void SizeChanged() {}
    // A row of the data moves from one index to another, the rows between shifting by one.
    virtual void MoveRowData(int /*fromIndex*/, int /*toIndex*/) {}
    // Sets the counts without the cells following (for grids whose rows follow their data).
    void ChangeSize(int cols, int rows);
    // What the grid shows changed.
    void CellsChanged();
    void CheckCell(int col, int row) const;

private:
    void ClampCurrent();
    // TopRow and LeftCol into their range.
    void ClampView();
    void ScrollInView();
    int BorderSize() const;
    void ScrollBarsNeeded(bool& vert, bool& horz) const;
    // Pixels of the fixed rows (columns), lines included.
    int FixedHeight() const;
    int FixedWidth() const;
    // How many rows fit below the fixed ones; at least 1.
    int PageRows() const;
    // The first left column from which the columns up to col show whole (col itself at least).
    int LeftColShowing(int col) const;
    // The row (column) at a client coordinate, -1 outside; beyond the last one: the count.
    int RowAt(int y) const;
    int ColAt(int x) const;
    int colCount_ = 5;
    int rowCount_ = 5;
    int fixedCols_ = 0;
    int fixedRows_ = 1;
    int col_ = 0;
    int row_ = 1;
    int topRow_ = 1;
    int leftCol_ = 0;
    std::vector<int> colWidths_;
    int dragRow_ = -1;
};

// Tag is used as the grid's change mark.
class TStringGrid : public TCustomGrid {
public:
    explicit TStringGrid(TComponent* owner);

    // Out of range throws EInvalidGridOperation "Grid index out of range". Writing a cell in code
    // fires nothing.
    std::string& Cells(int col, int row);
    const std::string& Cells(int col, int row) const;
    // Empties every cell of the row; out of range throws as Cells.
    void ClearRow(int row);

    std::string GetCellText(int col, int row) const override;

    const char* ClassName() const override;

protected:
    void StoreEditText(int col, int row, const std::string& text) override;
    // Keeps the cells that remain, new cells are empty.
    void SizeChanged() override;
    void MoveRowData(int fromIndex, int toIndex) override;

private:
    // cells_[row][col]
    std::vector<std::vector<std::string>> cells_;
};
