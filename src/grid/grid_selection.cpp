#include "grid/grid_ctrl.h"

#include "platform/device_context.h"

#include <algorithm>

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
            const CGridCellId cell = it->second;
            ++it; // the entry may go away below
            if (IsValid(cell)) {
                SetItemState(cell.row, cell.col,
                             GetItemState(cell.row, cell.col) & ~static_cast<unsigned>(GRIDSTATE_SELECTED));
                if (!inRange(cell))
                    repaint(cell.row, cell.col);
            } else {
                m_selectedCells.erase((static_cast<unsigned>(cell.col & 0xFFFF) << 16)
                                      | static_cast<unsigned>(cell.row & 0xFFFF));
            }
        }
        if (bounded) {
            for (const auto& [key, cell] : m_previousSelectedCells) {
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

bool CGridCtrl::IsCellSelected(int row, int column) const
{
    return (GetItemState(row, column) & GRIDSTATE_SELECTED) != 0;
}

CGridCellRange CGridCtrl::GetSelectedCellRange() const
{
    CGridCellRange range(m_rowCount, m_columnCount, -1, -1);
    for (const auto& [key, cell] : m_selectedCells) {
        range.minRow = std::min(range.minRow, cell.row);
        range.minCol = std::min(range.minCol, cell.col);
        range.maxRow = std::max(range.maxRow, cell.row);
        range.maxCol = std::max(range.maxCol, cell.col);
    }
    return range;
}

int CGridCtrl::NotifyParent(int row, int column, int code)
{
    emit GridNotify(CGridNotify{code, row, column});
    return 0;
}
