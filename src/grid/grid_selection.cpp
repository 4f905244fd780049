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

// Cells on screen only: the fixed rows and columns that fit, then the scrolled ones in view.
template <class Pick>
void CGridCtrl::RepaintVisibleCells(Pick pick, CDC* dc)
{
    const CRect client = GetClientRect();
    const CGridCellRange visible = GetVisibleScrolledRange();
    std::vector<int> rows;
    std::vector<int> columns;
    int y = 0;
    for (int r = 0; r < m_fixedRowCount && y < client.bottom; y += GetRowHeight(r++))
        rows.push_back(r);
    for (int r = visible.minRow; r >= 0 && r <= visible.maxRow; ++r)
        rows.push_back(r);
    int x = 0;
    for (int c = 0; c < m_fixedColumnCount && x < client.right; x += GetColumnWidth(c++))
        columns.push_back(c);
    for (int c = visible.minCol; c >= 0 && c <= visible.maxCol; ++c)
        columns.push_back(c);
    for (int r : rows) {
        for (int c : columns) {
            if (!pick(r, c))
                continue;
            if (dc != nullptr)
                DrawCellNow(r, c, dc);
            else
                InvalidateCell(r, c);
        }
    }
}

void CGridCtrl::SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, bool repaintNow, bool select)
{
    if (minRow >= 0)
        minRow = std::max(minRow, m_fixedRowCount);
    if (maxRow >= 0)
        maxRow = std::max(maxRow, m_fixedRowCount);
    if (minColumn >= 0)
        minColumn = std::max(minColumn, m_fixedColumnCount);
    if (maxColumn >= 0)
        maxColumn = std::max(maxColumn, m_fixedColumnCount);
    const bool bounded = minRow >= 0 && minColumn >= 0 && maxRow >= 0 && maxColumn >= 0;
    const CGridCellRange block(minRow, minColumn, maxRow, maxColumn);
    const bool blockValid = bounded && IsValid(block);
    const auto inBlock = [&](int r, int c) {
        return blockValid && r >= minRow && r <= maxRow && c >= minColumn && c <= maxColumn;
    };

    const CCellSelection before = m_selection;
    if (select) {
        // Selecting starts again from what a Ctrl press kept; without a block, from nothing.
        m_selection.Clear();
        if (bounded) {
            m_selection = m_previousSelection;
            m_selection.Clip(m_rowCount, m_columnCount);
        }
        if (blockValid)
            m_selection.Add(block);
    } else if (blockValid) {
        m_selection.Remove(block);
    }

    // Every cell that was selected, kept or newly covered is drawn again; deselecting draws the
    // cells it took out.
    std::unique_ptr<CDC> dc = repaintNow ? GetDC() : nullptr;
    if (select) {
        RepaintVisibleCells([&](int r, int c) {
            return before.Contains(r, c) || inBlock(r, c) || (bounded && m_previousSelection.Contains(r, c));
        }, dc.get());
    } else {
        RepaintVisibleCells([&](int r, int c) { return inBlock(r, c) && before.Contains(r, c); }, dc.get());
    }
}

void CGridCtrl::ClearSelection()
{
    m_previousSelection.Clear();
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
    if (m_selection.Empty())
        return CGridCellRange(m_rowCount, m_columnCount, -1, -1);
    return m_selection.Bounds();
}

int CGridCtrl::NotifyParent(int row, int column, int code)
{
    emit GridNotify(CGridNotify{this, m_controlId, code, row, column});
    return 0;
}
