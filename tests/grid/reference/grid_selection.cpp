#include "grid/reference/grid_ctrl.h"

#include "platform/device_context.h"

#include <algorithm>

namespace reference {

CGridCellId CGridCtrl::SetFocusCell(int row, int column)
{
    if (CGridCellId(row, column) == m_focusCell)
        return m_focusCell;
    const CGridCellId previous = m_focusCell;
    // The focus is never on a header cell.
    if (row != -1)
        row = std::max(row, m_fixedRowCount);
    if (column != -1)
        column = std::max(column, m_fixedColumnCount);
    // Raised out of the headers of a grid that has nothing else, a cell would be a focus that
    // does not exist, and would turn into one without its mark when rows arrive.
    if (!IsValid(row, column))
        row = column = -1;
    m_focusCell = CGridCellId(row, column);

    if (IsValid(previous)) {
        NotifyParent(previous.row, previous.col, LVN_ITEMCHANGING);
        SetItemState(previous.row, previous.col,
                     GetItemState(previous.row, previous.col) & ~static_cast<unsigned>(GRIDSTATE_FOCUSED));
        DrawCellNow(previous.row, previous.col);
    }
    if (IsValid(m_focusCell)) {
        SetItemState(row, column, GetItemState(row, column) | GRIDSTATE_FOCUSED);
        DrawCellNow(row, column);
        NotifyParent(row, column, LVN_ITEMCHANGED);
    }
    return previous;
}

CGridCellId CGridCtrl::RaisedToScrolled(const CGridCellId& cell) const
{
    return CGridCellId(std::max(cell.row, m_fixedRowCount), std::max(cell.col, m_fixedColumnCount));
}

void CGridCtrl::SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, bool repaintNow, bool select)
{
    std::unique_ptr<CDC> dc = repaintNow ? GetDC() : nullptr;
    const auto repaint = [&](int r, int c) {
        if (dc)
            DrawCellNow(r, c, dc.get());
        else
            InvalidateCell(r, c);
    };
    if (minRow >= 0)
        minRow = std::max(minRow, m_fixedRowCount);
    if (maxRow >= 0)
        maxRow = std::max(maxRow, m_fixedRowCount);
    if (minColumn >= 0)
        minColumn = std::max(minColumn, m_fixedColumnCount);
    if (maxColumn >= 0)
        maxColumn = std::max(maxColumn, m_fixedColumnCount);
    const bool bounded = minRow >= 0 && minColumn >= 0 && maxRow >= 0 && maxColumn >= 0;
    const auto inRange = [&](const CGridCellId& cell) {
        return cell.row >= minRow && cell.row <= maxRow && cell.col >= minColumn && cell.col <= maxColumn;
    };

    if (select) {
        for (auto it = m_selectedCells.begin(); it != m_selectedCells.end();) {
            const CGridCellId cell = *it;
            ++it; // the entry goes away below
            if (IsValid(cell)) {
                SetItemState(cell.row, cell.col,
                             GetItemState(cell.row, cell.col) & ~static_cast<unsigned>(GRIDSTATE_SELECTED));
                if (!inRange(cell))
                    repaint(cell.row, cell.col);
            } else {
                m_selectedCells.erase(cell);
            }
        }
        if (bounded) {
            for (const CGridCellId& cell : m_previousSelectedCells) {
                if (IsValid(cell)) {
                    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | GRIDSTATE_SELECTED);
                    repaint(cell.row, cell.col);
                }
            }
        }
    }

    if (bounded && maxRow < m_rowCount && maxColumn < m_columnCount && minRow <= maxRow && minColumn <= maxColumn) {
        for (int r = minRow; r <= maxRow; ++r) {
            for (int c = minColumn; c <= maxColumn; ++c) {
                const unsigned state = GetItemState(r, c);
                const bool selected = (state & GRIDSTATE_SELECTED) != 0;
                if (select && !selected) {
                    SetItemState(r, c, state | GRIDSTATE_SELECTED);
                    repaint(r, c);
                } else if (!select && selected) {
                    SetItemState(r, c, state & ~static_cast<unsigned>(GRIDSTATE_SELECTED));
                    repaint(r, c);
                }
            }
        }
    }
}

void CGridCtrl::ClearSelection()
{
    m_previousSelectedCells.clear();
    SelectRange(-1, -1, -1, -1, false, true);
    SetFocusCell(-1, -1);
}

void CGridCtrl::SelectAll()
{
    SelectRange(m_fixedRowCount, m_fixedColumnCount, m_rowCount - 1, m_columnCount - 1, false, true);
}

// Without an anchor (the focus came from a right click or from the owner), a span starts at the
// cell itself rather than selecting nothing.
CGridCellId CGridCtrl::SpanStart(const CGridCellId& cell) const
{
    return IsValid(m_selectionStartCell) ? m_selectionStartCell : cell;
}

void CGridCtrl::SelectColumnSpan(const CGridCellId& cell, bool repaintNow, bool select)
{
    if (!IsValid(cell) || cell.col < m_fixedColumnCount)
        return;
    const CGridCellId start = SpanStart(cell);
    SelectRange(m_fixedRowCount, std::min(start.col, cell.col), m_rowCount - 1, std::max(start.col, cell.col),
                repaintNow, select);
}

void CGridCtrl::SelectRowSpan(const CGridCellId& cell, bool repaintNow, bool select)
{
    if (!IsValid(cell) || cell.row < m_fixedRowCount)
        return;
    const CGridCellId start = SpanStart(cell);
    SelectRange(std::min(start.row, cell.row), m_fixedColumnCount, std::max(start.row, cell.row), m_columnCount - 1,
                repaintNow, select);
}

void CGridCtrl::SelectCellSpan(const CGridCellId& cell, bool repaintNow, bool select)
{
    if (!IsValid(cell) || IsFixedCell(cell))
        return;
    const CGridCellId start = SpanStart(cell);
    SelectRange(std::min(start.row, cell.row), std::min(start.col, cell.col), std::max(start.row, cell.row),
                std::max(start.col, cell.col), repaintNow, select);
}

void CGridCtrl::ExtendSelection(const CGridCellId& cell)
{
    // No cell under the pointer (beyond the last row or column) leaves focus and selection alone;
    // raised to the first scrolled cell it would throw the focus back to the top.
    if (!IsValid(cell))
        return;
    switch (m_mouseMode) {
    case MouseSelectAll: SelectAll(); break;
    case MouseSelectColumns: SelectColumnSpan(cell, false, true); break;
    case MouseSelectRows: SelectRowSpan(cell, false, true); break;
    case MouseSelectCells: SelectCellSpan(cell, false, true); break;
    default: break;
    }
    SetFocusCell(RaisedToScrolled(cell));
}

bool CGridCtrl::IsCellSelected(int row, int column) const
{
    return (GetItemState(row, column) & GRIDSTATE_SELECTED) != 0;
}

CGridCellRange CGridCtrl::GetSelectedCellRange() const
{
    CGridCellRange range(m_rowCount, m_columnCount, -1, -1);
    if (m_selectedCells.empty())
        return range;
    // Ordered by row, then column.
    range.minRow = m_selectedCells.begin()->row;
    range.maxRow = m_selectedCells.rbegin()->row;
    for (const CGridCellId& cell : m_selectedCells) {
        range.minCol = std::min(range.minCol, cell.col);
        range.maxCol = std::max(range.maxCol, cell.col);
    }
    return range;
}

int CGridCtrl::NotifyParent(int row, int column, int code)
{
    emit GridNotify(CGridNotify{this, m_controlId, code, row, column});
    return 0;
}

} // namespace reference
