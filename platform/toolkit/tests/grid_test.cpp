// Tests of the string grid model.
#include <toolkit.h>

#include <gtest/gtest.h>

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

} // namespace
