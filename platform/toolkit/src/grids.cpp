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
    ClampView();
    ScrollInView();
    CellsChanged();
}

void TCustomGrid::ClampView() {
    topRow_ = std::clamp(topRow_, fixedRows_, MaxTopRow());
    leftCol_ = std::clamp(leftCol_, fixedCols_, MaxLeftCol());
}

void TCustomGrid::ScrollInView() {
    if (row_ < topRow_)
        topRow_ = row_;
    else if (row_ >= topRow_ + PageRows())
        topRow_ = row_ - PageRows() + 1;
    if (col_ < leftCol_)
        leftCol_ = col_;
    else
        leftCol_ = std::max(leftCol_, LeftColShowing(col_));
    ClampView();
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

void TCustomGrid::SetTopRow(int v) {
    topRow_ = v;
    ClampView();
    CellsChanged();
}

void TCustomGrid::SetLeftCol(int v) {
    leftCol_ = v;
    ClampView();
    CellsChanged();
}

int TCustomGrid::BorderSize() const {
    return BorderStyle == bsSingle ? 4 : 0;
}

void TCustomGrid::ScrollBarsNeeded(bool& vert, bool& horz) const {
    const int bar = toolkit_detail::ScrollBarSize();
    const int width = width_ - BorderSize();
    const int height = height_ - BorderSize();
    const long long cellsHeight = static_cast<long long>(rowCount_) * (DefaultRowHeight + 1);
    long long cellsWidth = 0;
    for (int c = 0; c < colCount_; ++c)
        cellsWidth += ColWidths(c) + 1;
    const bool mayVert = ScrollBars == ssVertical || ScrollBars == ssBoth;
    const bool mayHorz = ScrollBars == ssHorizontal || ScrollBars == ssBoth;
    vert = mayVert && cellsHeight > height;
    horz = mayHorz && cellsWidth > width - (vert ? bar : 0);
    // The horizontal bar takes room from the rows.
    if (horz && !vert)
        vert = mayVert && cellsHeight > height - bar;
}

bool TCustomGrid::ShowsVertScrollBar() const {
    bool vert = false;
    bool horz = false;
    ScrollBarsNeeded(vert, horz);
    return vert;
}

bool TCustomGrid::ShowsHorzScrollBar() const {
    bool vert = false;
    bool horz = false;
    ScrollBarsNeeded(vert, horz);
    return horz;
}

int TCustomGrid::FrameWidth() const {
    return BorderSize() + (ShowsVertScrollBar() ? toolkit_detail::ScrollBarSize() : 0);
}

int TCustomGrid::FrameHeight() const {
    return BorderSize() + (ShowsHorzScrollBar() ? toolkit_detail::ScrollBarSize() : 0);
}

void TCustomGrid::BoundsChanged(bool moved, bool resized) {
    TCustomControl::BoundsChanged(moved, resized);
    if (resized) {
        ClampView();
        CellsChanged();
    }
}

int TCustomGrid::FixedHeight() const {
    return fixedRows_ * (DefaultRowHeight + 1);
}

int TCustomGrid::FixedWidth() const {
    int width = 0;
    for (int c = 0; c < fixedCols_; ++c)
        width += ColWidths(c) + 1;
    return width;
}

int TCustomGrid::PageRows() const {
    return std::max(1, (GetClientHeight() - FixedHeight()) / (DefaultRowHeight + 1));
}

int TCustomGrid::LeftColShowing(int col) const {
    const int room = GetClientWidth() - FixedWidth();
    int left = col;
    int used = ColWidths(col) + 1;
    while (left > fixedCols_ && used + ColWidths(left - 1) + 1 <= room) {
        --left;
        used += ColWidths(left) + 1;
    }
    return left;
}

int TCustomGrid::MaxTopRow() const {
    return std::max(fixedRows_, rowCount_ - PageRows());
}

int TCustomGrid::MaxLeftCol() const {
    return std::max(fixedCols_, LeftColShowing(colCount_ - 1));
}

int TCustomGrid::VisibleRowCount() const {
    const int fit = std::max(0, (GetClientHeight() - FixedHeight()) / (DefaultRowHeight + 1));
    return std::min(fit, rowCount_ - topRow_);
}

int TCustomGrid::VisibleColCount() const {
    const int room = GetClientWidth() - FixedWidth();
    int count = 0;
    int used = 0;
    for (int c = leftCol_; c < colCount_ && used + ColWidths(c) + 1 <= room; ++c) {
        used += ColWidths(c) + 1;
        ++count;
    }
    return count;
}

int TCustomGrid::RowAt(int y) const {
    if (y < 0 || DefaultRowHeight < 0)
        return -1;
    const int step = DefaultRowHeight + 1;
    if (y < FixedHeight())
        return y / step;
    return std::min(rowCount_, topRow_ + (y - FixedHeight()) / step);
}

int TCustomGrid::ColAt(int x) const {
    if (x < 0)
        return -1;
    int left = 0;
    for (int c = 0; c < colCount_; ++c) {
        if (c == fixedCols_)
            c = leftCol_;
        left += ColWidths(c) + 1;
        if (x < left)
            return c;
    }
    return colCount_;
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
    if ((col >= fixedCols_ && col < leftCol_) || (row >= fixedRows_ && row < topRow_))
        return RECT{0, 0, 0, 0};
    int left = 0;
    for (int c = 0; c < col; ++c)
        if (c < fixedCols_ || c >= leftCol_)
            left += ColWidths(c) + 1;
    const int top = (row < fixedRows_ ? row : fixedRows_ + row - topRow_) * (DefaultRowHeight + 1);
    if (left >= GetClientWidth() || top >= GetClientHeight())
        return RECT{0, 0, 0, 0};
    return RECT{left, top, left + ColWidths(col), top + DefaultRowHeight};
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
    const int r = RowAt(y);
    const int c = ColAt(x);
    if (r < 0 || r >= rowCount_ || c < 0 || c >= colCount_)
        return false;
    col = c;
    row = r;
    return true;
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    int col = 0;
    int row = 0;
    dragRow_ = -1;
    if (button == mbLeft && GetEnabled() && MouseToCell(x, y, col, row) && col >= fixedCols_ &&
        row >= fixedRows_) {
        col_ = col;
        row_ = row;
        ClampCurrent();
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
    if (button == mbLeft && from >= 0 && y >= 0) {
        // Released below the last row: the row goes to the end.
        const int to = std::min(RowAt(y), rowCount_ - 1);
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

namespace {
// The virtual keys by their codes (the host's platform names only some).
constexpr WORD kPageUp = 0x21;
constexpr WORD kPageDown = 0x22;
constexpr WORD kEnd = 0x23;
constexpr WORD kHome = 0x24;
} // namespace

void TCustomGrid::DoKeyDown(WORD& key, TShiftState shift) {
    const bool rows = Options.Contains(goRowSelect);
    const bool ctrl = shift.Contains(ssCtrl);
    switch (key) {
    case VK_UP:
        SetRow(row_ - 1);
        break;
    case VK_DOWN:
        SetRow(row_ + 1);
        break;
    case VK_LEFT:
        if (rows)
            SetLeftCol(leftCol_ - 1);
        else
            SetCol(col_ - 1);
        break;
    case VK_RIGHT:
        if (rows)
            SetLeftCol(leftCol_ + 1);
        else
            SetCol(col_ + 1);
        break;
    case kHome:
        if (ctrl || rows)
            SetRow(fixedRows_);
        if (ctrl || !rows)
            SetCol(fixedCols_);
        break;
    case kEnd:
        if (ctrl || rows)
            SetRow(rowCount_ - 1);
        if (ctrl || !rows)
            SetCol(colCount_ - 1);
        break;
    case kPageUp:
        SetTopRow(topRow_ - PageRows());
        SetRow(row_ - PageRows());
        break;
    case kPageDown:
        SetTopRow(topRow_ + PageRows());
        SetRow(row_ + PageRows());
        break;
    default:
        break;
    }
}

void TCustomGrid::MouseWheel(TShiftState, int wheelDelta) {
    if (!GetEnabled())
        return;
    SetTopRow(topRow_ - wheelDelta * 3 / WHEEL_DELTA);
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
