// The string grid: a table of text cells with fixed rows and columns and a current row.
#pragma once

#include "toolkit/classes.h"

#include <string>
#include <vector>

// Tag is used as the grid's change mark.
class TStringGrid : public TComponent {
public:
    explicit TStringGrid(TComponent* owner);

    int ColCount() const;
    // Keeps the cells that remain, new cells are empty; at least 1.
    void SetColCount(int count);
    int RowCount() const;
    // As SetColCount; the current row moves onto the last row when it falls off.
    void SetRowCount(int count);

    int FixedRows = 1;
    int FixedCols = 0;
    int Row = 1;
    std::string Hint;

    // Out of range throws EInvalidGridOperation "Grid index out of range".
    std::string& Cells(int col, int row);
    const std::string& Cells(int col, int row) const;
    // Empties every cell of the row; out of range throws as Cells.
    void ClearRow(int row);

    const char* ClassName() const override;

private:
    void CheckCell(int col, int row) const;
    int colCount_ = 5;
    // cells_[row][col]
    std::vector<std::vector<std::string>> cells_;
};
