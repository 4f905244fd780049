#include "grid/cell_selection.h"

#include <algorithm>

namespace {

bool Overlap(const CGridCellRange& a, const CGridCellRange& b)
{
    return a.minRow <= b.maxRow && b.minRow <= a.maxRow && a.minCol <= b.maxCol && b.minCol <= a.maxCol;
}

bool Holds(const CGridCellRange& block, int row, int column)
{
    return row >= block.minRow && row <= block.maxRow && column >= block.minCol && column <= block.maxCol;
}

bool IsEmptyBlock(const CGridCellRange& b) { return b.minRow > b.maxRow || b.minCol > b.maxCol || b.minRow < 0 || b.minCol < 0; }

} // namespace

bool CCellSelection::Contains(int row, int column) const
{
    return std::any_of(m_blocks.begin(), m_blocks.end(),
                       [&](const CGridCellRange& block) { return Holds(block, row, column); });
}

void CCellSelection::Add(const CGridCellRange& block)
{
    if (IsEmptyBlock(block))
        return;
    // Already inside one block: nothing to cut or add (a drag re-selects the same cells often).
    for (const CGridCellRange& b : m_blocks) {
        if (b.minRow <= block.minRow && b.maxRow >= block.maxRow && b.minCol <= block.minCol && b.maxCol >= block.maxCol)
            return;
    }
    Remove(block);
    m_blocks.push_back(block);
}

void CCellSelection::Remove(const CGridCellRange& cut)
{
    if (IsEmptyBlock(cut))
        return;
    std::vector<CGridCellRange> kept;
    kept.reserve(m_blocks.size() + 4);
    for (const CGridCellRange& b : m_blocks) {
        if (!Overlap(b, cut)) {
            kept.push_back(b);
            continue;
        }
        // Above and below the cut across the block's whole width, then left and right of it on
        // the rows they share.
        const int top = std::max(b.minRow, cut.minRow);
        const int bottom = std::min(b.maxRow, cut.maxRow);
        if (b.minRow < cut.minRow)
            kept.emplace_back(b.minRow, b.minCol, cut.minRow - 1, b.maxCol);
        if (b.maxRow > cut.maxRow)
            kept.emplace_back(cut.maxRow + 1, b.minCol, b.maxRow, b.maxCol);
        if (b.minCol < cut.minCol)
            kept.emplace_back(top, b.minCol, bottom, cut.minCol - 1);
        if (b.maxCol > cut.maxCol)
            kept.emplace_back(top, cut.maxCol + 1, bottom, b.maxCol);
    }
    m_blocks = std::move(kept);
}

void CCellSelection::Set(int row, int column, bool selected)
{
    if (Contains(row, column) == selected)
        return;
    const CGridCellRange cell(row, column, row, column);
    if (selected)
        m_blocks.push_back(cell);
    else
        Remove(cell);
}

void CCellSelection::Clip(int rows, int columns)
{
    std::vector<CGridCellRange> kept;
    for (CGridCellRange b : m_blocks) {
        b.maxRow = std::min(b.maxRow, rows - 1);
        b.maxCol = std::min(b.maxCol, columns - 1);
        if (!IsEmptyBlock(b))
            kept.push_back(b);
    }
    m_blocks = std::move(kept);
}

void CCellSelection::RemoveRows(int first, int count)
{
    const int end = first + count;
    // A row's new index: rows above stay, rows below move up, removed rows close the gap.
    const auto moved = [&](int row) { return row < first ? row : row >= end ? row - count : first; };
    std::vector<CGridCellRange> kept;
    for (CGridCellRange b : m_blocks) {
        if (b.minRow >= first && b.maxRow < end)
            continue;
        b.minRow = moved(b.minRow);
        // The last row kept of a block that ends among the removed rows is the one above them.
        b.maxRow = b.maxRow < end && b.maxRow >= first ? first - 1 : moved(b.maxRow);
        if (!IsEmptyBlock(b))
            kept.push_back(b);
    }
    m_blocks = std::move(kept);
}

CGridCellRange CCellSelection::Bounds() const
{
    if (m_blocks.empty())
        return CGridCellRange();
    CGridCellRange bounds = m_blocks.front();
    for (const CGridCellRange& b : m_blocks) {
        bounds.minRow = std::min(bounds.minRow, b.minRow);
        bounds.minCol = std::min(bounds.minCol, b.minCol);
        bounds.maxRow = std::max(bounds.maxRow, b.maxRow);
        bounds.maxCol = std::max(bounds.maxCol, b.maxCol);
    }
    return bounds;
}

void CCellSelection::BlocksOnRow(int row, std::vector<CGridCellRange>& out) const
{
    out.clear();
    for (const CGridCellRange& b : m_blocks) {
        if (row >= b.minRow && row <= b.maxRow)
            out.push_back(b);
    }
}
