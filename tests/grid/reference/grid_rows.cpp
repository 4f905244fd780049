#include "grid/reference/grid_ctrl.h"

#include <algorithm>
#include <set>

namespace reference {

// Removing rows renumbers every row after them: the cells' own slots, the selection, the focus
// and the queue of cells waiting to be measured all move up by `count`.
bool CGridCtrl::DeleteRows(int first, int count)
{
    if (count == 0)
        return true;
    if (count < 0 || first < m_fixedRowCount || first > m_rowCount - count)
        return false;
    const int end = first + count;
    const auto index = [](int n) { return static_cast<std::size_t>(n); };
    const auto moved = [&](const CGridCellId& cell) {
        if (cell.row < first)
            return cell;
        return cell.row >= end ? CGridCellId(cell.row - count, cell.col) : CGridCellId();
    };

    ForgetTopLeft();
    HideTitleTip();
    // Rows above the view leave it where it was: the scroll position drops by their height.
    const int topPixel = GetScrollPosition(SB_VERT);
    const std::int64_t removedTop = m_rowSums.Prefix(index(end)) - m_rowSums.Prefix(index(first));
    const bool aboveView = m_rowSums.Prefix(index(end)) - m_rowSums.Prefix(index(m_fixedRowCount)) <= topPixel;

    for (int r = first; r < end; ++r) {
        for (CGridCellBase*& cell : m_rows[index(r)]) {
            if (cell) {
                UncountCell(cell);
                delete cell;
                cell = nullptr;
            }
        }
    }
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + end);
    m_rowHeights.erase(m_rowHeights.begin() + first, m_rowHeights.begin() + end);
    m_rowCount -= count;
    for (int r = first; r < m_rowCount; ++r) {
        for (CGridCellBase* cell : m_rows[index(r)]) {
            if (cell)
                cell->m_slot.row = r;
        }
    }
    m_rowSums.Clear();
    for (unsigned height : m_rowHeights)
        m_rowSums.PushBack(height);

    const auto shift = [&](std::set<CGridCellId>& cells) {
        std::set<CGridCellId> kept;
        for (const CGridCellId& cell : cells) {
            if (const CGridCellId to = moved(cell); to.row >= 0)
                kept.insert(kept.end(), to);
        }
        cells.swap(kept);
    };
    shift(m_selectedCells);
    shift(m_previousSelectedCells);
    m_focusCell = moved(m_focusCell);
    m_selectionStartCell = moved(m_selectionStartCell);
    m_clickDownCell = moved(m_clickDownCell);
    std::erase_if(m_extentQueue, [&](CGridCellId& cell) {
        cell = moved(cell);
        return cell.row < 0;
    });

    UpdateScrollBars();
    if (aboveView)
        SetScrollPosition(SB_VERT, static_cast<int>(std::max<std::int64_t>(0, topPixel - removedTop)));
    InvalidateAll();
    return true;
}

} // namespace reference
