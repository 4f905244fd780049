#include "grid/grid_ctrl.h"

#include <algorithm>

// Removing rows renumbers every row after them: the selection, the focus and the queue of cells
// waiting to be measured move up by `count`. The rows' storage and running sums close the gap by
// moving its shorter side, and the cell objects' slots are renumbered on that side only (the
// grid's row base stands for the other), so a log that drops its oldest rows just below its
// header pays for the rows dropped, not for the rows it keeps.

namespace {
// Past this many rows dropped from the front, every slot is renumbered once and the base starts
// again, long before an int would overflow.
constexpr int kRowBaseLimit = 1 << 30;
} // namespace

void CGridCtrl::ShiftStoredRows(int row, int delta)
{
    const Row& cells = m_rows[static_cast<std::size_t>(row)];
    for (int c = 0; cells.HasObjects() && c < cells.Columns(); ++c) {
        if (CGridCellBase* cell = cells.Object(c))
            cell->m_slot.storedRow += delta;
    }
}

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
        Row& cells = m_rows[index(r)];
        for (int c = 0; c < cells.Columns(); ++c) {
            if (CGridCellBase* cell = cells.Object(c)) {
                UncountCell(cell->m_slot.extent, c);
                cells.SetObject(c, nullptr);
                delete cell;
            } else if (cells.At(c).format != Row::kNoCell) {
                UncountCell(cells.At(c).extent, c);
            }
        }
    }
    if (first <= m_rowCount - end) {
        for (int r = 0; r < first; ++r)
            ShiftStoredRows(r, count);
        m_rowBase += count;
    } else {
        for (int r = end; r < m_rowCount; ++r)
            ShiftStoredRows(r, -count);
    }
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + end);
    m_rowHeights.erase(m_rowHeights.begin() + first, m_rowHeights.begin() + end);
    m_rowSums.Erase(index(first), index(count));
    m_rowCount -= count;
    if (m_rowBase > kRowBaseLimit) {
        for (int r = 0; r < m_rowCount; ++r)
            ShiftStoredRows(r, -m_rowBase);
        m_rowBase = 0;
    }

    m_selection.RemoveRows(first, count);
    m_previousSelection.RemoveRows(first, count);
    m_focusCell = moved(m_focusCell);
    m_plainFocus = moved(m_plainFocus);
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
