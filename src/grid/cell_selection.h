#pragma once

#include "grid/cell_id.h"

#include <vector>

// The selected cells of a grid, kept as disjoint blocks. Selecting a block adds it whole (cutting
// it out of the blocks it overlaps first); deselecting cuts it out of every block it overlaps,
// each leaving at most four pieces; a single cell toggled with Ctrl is a one-cell block or a cut.
// Every operation costs in the number of blocks, never in the number of cells: selecting a
// million rows is one block.
class CCellSelection {
public:
    bool Empty() const { return m_blocks.empty(); }
    bool Contains(int row, int column) const;
    void Clear() { m_blocks.clear(); }
    void Add(const CGridCellRange& block);
    void Remove(const CGridCellRange& block);
    void Set(int row, int column, bool selected);
    // Keeps only the cells of the first rows and columns.
    void Clip(int rows, int columns);
    // The rows from first on, count of them, go; the rows below move up.
    void RemoveRows(int first, int count);
    // The smallest block holding every selected cell; the empty range when nothing is selected.
    CGridCellRange Bounds() const;
    const std::vector<CGridCellRange>& Blocks() const { return m_blocks; }
    // The blocks that cross the row, for walking one row's cells without asking every block.
    void BlocksOnRow(int row, std::vector<CGridCellRange>& out) const;

private:
    std::vector<CGridCellRange> m_blocks;
};
