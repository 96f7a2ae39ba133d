// The string grid.
#include "toolkit/grids.h"

#include "toolkit/exceptions.h"

TStringGrid::TStringGrid(TComponent* owner)
    : TComponent(owner), cells_(5, std::vector<std::string>(5)) {}

int TStringGrid::ColCount() const {
    return colCount_;
}

void TStringGrid::SetColCount(int count) {
    colCount_ = count < 1 ? 1 : count;
    for (auto& row : cells_)
        row.resize(static_cast<std::size_t>(colCount_));
}

int TStringGrid::RowCount() const {
    return static_cast<int>(cells_.size());
}

void TStringGrid::SetRowCount(int count) {
    cells_.resize(static_cast<std::size_t>(count < 1 ? 1 : count),
                  std::vector<std::string>(static_cast<std::size_t>(colCount_)));
    if (Row >= RowCount())
        Row = RowCount() - 1;
}

void TStringGrid::CheckCell(int col, int row) const {
    if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount())
        throw EInvalidGridOperation("Grid index out of range");
}

std::string& TStringGrid::Cells(int col, int row) {
    CheckCell(col, row);
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

const std::string& TStringGrid::Cells(int col, int row) const {
    CheckCell(col, row);
    return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void TStringGrid::ClearRow(int row) {
    CheckCell(0, row);
    for (auto& cell : cells_[static_cast<std::size_t>(row)])
        cell.clear();
}

const char* TStringGrid::ClassName() const {
    return "TStringGrid";
}
