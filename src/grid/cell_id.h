#pragma once

// A cell position; (-1, -1) is no cell.
struct CGridCellId {
    int row = -1;
    int col = -1;

    constexpr CGridCellId() = default;
    constexpr CGridCellId(int r, int c) : row(r), col(c) {}
    friend constexpr bool operator==(const CGridCellId&, const CGridCellId&) = default;
    // By row, then column.
    friend constexpr bool operator<(const CGridCellId& a, const CGridCellId& b)
    {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    }
};

// A block of cells, all bounds inclusive; -1 in every field is the empty range.
struct CGridCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    constexpr CGridCellRange() = default;
    constexpr CGridCellRange(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
    friend constexpr bool operator==(const CGridCellRange&, const CGridCellRange&) = default;
};
