// Grids: geometry, the current cell kept in range, the user's moves and edits; the string grid.
#include "toolkit/grids.h"

#include "toolkit/exceptions.h"

#include "internal.h"

#include <algorithm>

// ---- TCustomGrid ----

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner) {
    TabStop = true;
    width_ = 320;
    height_ = 120;
    color_ = clWindow;
    parentColor_ = false;
}

void TCustomGrid::ChangeSize(int cols, int rows) {
    colCount_ = std::max(1, cols);
    rowCount_ = std::max(1, rows);
    // Widths of their own only once one was set; until then every column is DefaultColWidth.
    if (!colWidths_.empty())
        colWidths_.resize(static_cast<std::size_t>(colCount_), DefaultColWidth);
    fixedCols_ = std::min(fixedCols_, colCount_ - 1);
    fixedRows_ = std::min(fixedRows_, rowCount_ - 1);
    ClampCurrent();
}

void TCustomGrid::SetColCount(int count) {
    ChangeSize(count, rowCount_);
    SizeChanged();
}

void TCustomGrid::SetRowCount(int count) {
    ChangeSize(colCount_, count);
    SizeChanged();
}

void TCustomGrid::SetFixedCols(int v) {
    fixedCols_ = std::clamp(v, 0, colCount_ - 1);
    ClampCurrent();
}

void TCustomGrid::SetFixedRows(int v) {
    fixedRows_ = std::clamp(v, 0, rowCount_ - 1);
    ClampCurrent();
}

void TCustomGrid::ClampCurrent() {
    col_ = std::clamp(col_, fixedCols_, colCount_ - 1);
    row_ = std::clamp(row_, fixedRows_, rowCount_ - 1);
    CellsChanged();
}

void TCustomGrid::CellsChanged() {
    toolkit_detail::ControlChanged(*this, toolkit_detail::Aspect::Look);
}

void TCustomGrid::SetCol(int v) {
    col_ = v;
    ClampCurrent();
}

void TCustomGrid::SetRow(int v) {
    row_ = v;
    ClampCurrent();
}

int TCustomGrid::ColWidths(int col) const {
    CheckCell(col, 0);
    return colWidths_.empty() ? DefaultColWidth : colWidths_[static_cast<std::size_t>(col)];
}

void TCustomGrid::SetColWidths(int col, int width) {
    CheckCell(col, 0);
    colWidths_.resize(static_cast<std::size_t>(colCount_), DefaultColWidth);
    colWidths_[static_cast<std::size_t>(col)] = std::max(0, width);
    CellsChanged();
}

void TCustomGrid::ScaleContents(int m, int d) {
    const auto scale = [&](int v) { return static_cast<int>(static_cast<long long>(v) * m / d); };
    DefaultColWidth = scale(DefaultColWidth);
    DefaultRowHeight = scale(DefaultRowHeight);
    for (int& w : colWidths_)
        w = scale(w);
}

void TCustomGrid::CheckCell(int col, int row) const {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_)
        throw EInvalidGridOperation("Grid index out of range");
}

TGridRect TCustomGrid::Selection() const {
    if (Options.Contains(goRowSelect))
        return TGridRect{fixedCols_, row_, colCount_ - 1, row_};
    return TGridRect{col_, row_, col_, row_};
}

RECT TCustomGrid::CellRect(int col, int row) const {
    CheckCell(col, row);
    int left = 0;
    for (int c = 0; c < col; ++c)
        left += ColWidths(c) + 1;
    const int top = row * (DefaultRowHeight + 1);
    return RECT{left, top, left + ColWidths(col), top + DefaultRowHeight};
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
    if (x < 0 || y < 0 || DefaultRowHeight <= 0)
        return false;
    const int r = y / (DefaultRowHeight + 1);
    if (r >= rowCount_)
        return false;
    int left = 0;
    for (int c = 0; c < colCount_; ++c) {
        const int right = left + ColWidths(c) + 1;
        if (x < right) {
            col = c;
            row = r;
            return true;
        }
        left = right;
    }
    return false;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    int col = 0;
    int row = 0;
    dragRow_ = -1;
    if (button == mbLeft && GetEnabled() && MouseToCell(x, y, col, row) && col >= fixedCols_ &&
        row >= fixedRows_) {
        SetCol(col);
        SetRow(row);
        if (CanMoveRows() && !shift.Contains(ssDouble))
            dragRow_ = row;
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

bool TCustomGrid::CanMoveRows() const {
    return Options.Contains(goRowMoving) &&
           (!Options.Contains(goEditing) || Options.Contains(goRowSelect));
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    const int from = dragRow_;
    dragRow_ = -1;
    if (button == mbLeft && from >= 0 && y >= 0 && DefaultRowHeight > 0) {
        // Released below the last row: the row goes to the end.
        const int to = std::min(y / (DefaultRowHeight + 1), rowCount_ - 1);
        if (to >= fixedRows_ && to != from)
            DragRow(from, to);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

bool TCustomGrid::DragRow(int fromIndex, int toIndex) {
    if (!GetEnabled() || !CanMoveRows() || fromIndex == toIndex || fromIndex < fixedRows_ ||
        toIndex < fixedRows_ || fromIndex >= rowCount_ || toIndex >= rowCount_)
        return false;
    MoveRowData(fromIndex, toIndex);
    row_ = toIndex;
    ClampCurrent();
    if (OnRowMoved)
        OnRowMoved(this, fromIndex, toIndex);
    return true;
}

void TCustomGrid::DoKeyDown(WORD& key, TShiftState) {
    const int page = std::max(1, GetClientHeight() / (DefaultRowHeight + 1) - fixedRows_);
    switch (key) {
    case VK_UP:
        SetRow(row_ - 1);
        break;
    case VK_DOWN:
        SetRow(row_ + 1);
        break;
    case VK_LEFT:
        if (!Options.Contains(goRowSelect))
            SetCol(col_ - 1);
        break;
    case VK_RIGHT:
        if (!Options.Contains(goRowSelect))
            SetCol(col_ + 1);
        break;
    case 0x24: // Home
        SetRow(fixedRows_);
        break;
    case 0x23: // End
        SetRow(rowCount_ - 1);
        break;
    case 0x21: // Page Up
        SetRow(row_ - page);
        break;
    case 0x22: // Page Down
        SetRow(row_ + page);
        break;
    default:
        break;
    }
}

bool TCustomGrid::CanEditCell(int col, int row) const {
    return Options.Contains(goEditing) && !Options.Contains(goRowSelect) && col >= fixedCols_ &&
           row >= fixedRows_ && col < colCount_ && row < rowCount_;
}

bool TCustomGrid::EditCurrentCell(const std::string& text) {
    const int col = col_;
    const int row = row_;
    if (!GetEnabled() || !CanEditCell(col, row))
        return false;
    StoreEditText(col, row, text);
    if (OnSetEditText)
        OnSetEditText(this, col, row, text);
    return true;
}

const char* TCustomGrid::ClassName() const {
    return "TCustomGrid";
}

// ---- TStringGrid ----

TStringGrid::TStringGrid(TComponent* owner) : TCustomGrid(owner) {
    SizeChanged();
}

void TStringGrid::SizeChanged() {
    cells_.resize(static_cast<std::size_t>(GetRowCount()));
    for (auto& row : cells_)
        row.resize(static_cast<std::size_t>(GetColCount()));
}

std::string& TStringGrid::Cells(int col, int row) {
    CheckCell(col, row);
    // Written through the reference, maybe: shown anew.
    CellsChanged();
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

const std::string& TStringGrid::Cells(int col, int row) const {
    CheckCell(col, row);
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

std::string TStringGrid::GetCellText(int col, int row) const {
    return Cells(col, row);
}

void TStringGrid::StoreEditText(int col, int row, const std::string& text) {
    Cells(col, row) = text;
}

void TStringGrid::MoveRowData(int fromIndex, int toIndex) {
    const auto from = cells_.begin() + fromIndex;
    const auto to = cells_.begin() + toIndex;
    if (fromIndex < toIndex)
        std::rotate(from, from + 1, to + 1);
    else
        std::rotate(to, from, from + 1);
    CellsChanged();
}

void TStringGrid::ClearRow(int row) {
    CheckCell(0, row);
    for (auto& cell : cells_[static_cast<std::size_t>(row)])
        cell.clear();
}

const char* TStringGrid::ClassName() const {
    return "TStringGrid";
}
