#include "plain_grid_model.h"

#include "grid/grid_ctrl.h"
#include "grid/grid_state.h"

#include <algorithm>
#include <sstream>

namespace {

// Moves the cells of a set or map up past deleted rows; cells in the deleted rows go.
template <class Cells>
void RemoveRows(Cells& cells, int first, int count)
{
    Cells kept;
    for (auto item : cells) {
        CGridCellId& cell = [&item]() -> CGridCellId& {
            if constexpr (std::is_same_v<decltype(item), CGridCellId>)
                return item;
            else
                return const_cast<CGridCellId&>(item.first);
        }();
        if (cell.row >= first && cell.row < first + count)
            continue;
        if (cell.row >= first + count)
            cell.row -= count;
        kept.insert(item);
    }
    cells = std::move(kept);
}

CGridCellId MovedPastDeletedRows(CGridCellId cell, int first, int count)
{
    if (cell.row < first)
        return cell;
    return cell.row >= first + count ? CGridCellId(cell.row - count, cell.col) : CGridCellId();
}

template <class Cells>
void CutTo(Cells& cells, int rows, int columns)
{
    std::erase_if(cells, [&](const auto& item) {
        const CGridCellId* cell = nullptr;
        if constexpr (std::is_same_v<std::decay_t<decltype(item)>, CGridCellId>)
            cell = &item;
        else
            cell = &item.first;
        return cell->row >= rows || cell->col >= columns;
    });
}

} // namespace

void PlainGridModel::Notify(int code, CGridCellId cell)
{
    m_notes.push_back(std::to_string(code) + "@" + std::to_string(cell.row) + "," + std::to_string(cell.col));
}

void PlainGridModel::Cut(int rows, int columns)
{
    CutTo(m_texts, rows, columns);
    CutTo(m_readOnly, rows, columns);
    CutTo(m_selected, rows, columns);
}

void PlainGridModel::SetRowCount(int rows)
{
    if (rows < 0 || rows == m_rows)
        return;
    m_fixedRows = std::min(m_fixedRows, rows);
    if (m_focus.row >= rows)
        SetFocusCell(CGridCellId());
    Cut(rows, m_columns);
    m_heights.resize(static_cast<std::size_t>(rows), m_newRowHeight);
    m_rows = rows;
}

void PlainGridModel::SetColumnCount(int columns)
{
    if (columns < 0 || columns == m_columns)
        return;
    m_fixedColumns = std::min(m_fixedColumns, columns);
    if (m_focus.col >= columns)
        SetFocusCell(CGridCellId());
    Cut(m_rows, columns);
    m_widths.resize(static_cast<std::size_t>(columns), m_newColumnWidth);
    m_columns = columns;
}

void PlainGridModel::SetFixedRowCount(int fixedRows)
{
    if (fixedRows < 0 || fixedRows == m_fixedRows)
        return;
    ClearSelection();
    if (m_rows < fixedRows)
        SetRowCount(fixedRows);
    m_fixedRows = fixedRows;
}

void PlainGridModel::SetFixedColumnCount(int fixedColumns)
{
    if (fixedColumns < 0 || fixedColumns == m_fixedColumns)
        return;
    if (m_columns < fixedColumns)
        SetColumnCount(fixedColumns);
    ClearSelection();
    m_fixedColumns = fixedColumns;
}

void PlainGridModel::DeleteRows(int first, int count)
{
    if (count <= 0 || first < m_fixedRows || first > m_rows - count)
        return;
    m_heights.erase(m_heights.begin() + first, m_heights.begin() + first + count);
    RemoveRows(m_texts, first, count);
    RemoveRows(m_readOnly, first, count);
    RemoveRows(m_selected, first, count);
    RemoveRows(m_kept, first, count);
    m_focus = MovedPastDeletedRows(m_focus, first, count);
    m_anchor = MovedPastDeletedRows(m_anchor, first, count);
    m_clickDown = MovedPastDeletedRows(m_clickDown, first, count);
    m_rows -= count;
}

void PlainGridModel::SetRowHeight(int row, int height)
{
    if (row >= 0 && row < m_rows && height >= 0)
        m_heights[static_cast<std::size_t>(row)] = height;
}

void PlainGridModel::SetColumnWidth(int column, int width)
{
    if (column >= 0 && column < m_columns && width >= 0)
        m_widths[static_cast<std::size_t>(column)] = width;
}

void PlainGridModel::SetItemText(int row, int column, const std::string& text)
{
    if (IsValid(CGridCellId(row, column)))
        m_texts[CGridCellId(row, column)] = text;
}

void PlainGridModel::ToggleState(int row, int column, unsigned bit)
{
    const CGridCellId cell(row, column);
    if (!IsValid(cell))
        return;
    std::set<CGridCellId>& cells = bit == GRIDSTATE_SELECTED ? m_selected : m_readOnly;
    if (!cells.erase(cell))
        cells.insert(cell);
}

unsigned PlainGridModel::State(int row, int column) const
{
    const CGridCellId cell(row, column);
    if (!IsValid(cell))
        return 0;
    unsigned state = 0;
    if (row < m_fixedRows)
        state |= GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW;
    if (column < m_fixedColumns)
        state |= GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL;
    if (cell == m_focus)
        state |= GRIDSTATE_FOCUSED;
    if (m_selected.count(cell))
        state |= GRIDSTATE_SELECTED;
    if (m_readOnly.count(cell))
        state |= GRIDSTATE_READONLY;
    return state;
}

// The focus is never on a header cell, nor on a cell that does not exist. The owner hears of the
// cell that loses it and of the one that gets it, even when they are the same.
void PlainGridModel::SetFocusCell(CGridCellId cell)
{
    if (cell == m_focus)
        return;
    if (cell.row != -1)
        cell.row = std::max(cell.row, m_fixedRows);
    if (cell.col != -1)
        cell.col = std::max(cell.col, m_fixedColumns);
    if (!IsValid(cell))
        cell = CGridCellId();
    const CGridCellId previous = m_focus;
    m_focus = cell;
    if (IsValid(previous))
        Notify(LVN_ITEMCHANGING, previous);
    if (IsValid(cell))
        Notify(LVN_ITEMCHANGED, cell);
}

// Bounds below the headers are raised to the first scrolled row or column; selecting starts from
// what a Ctrl press kept (nothing without a block), deselecting takes the block out.
void PlainGridModel::SelectRange(int minRow, int minColumn, int maxRow, int maxColumn, bool select)
{
    int bounds[4] = {minRow, minColumn, maxRow, maxColumn};
    for (int k = 0; k < 4; ++k) {
        if (bounds[k] >= 0)
            bounds[k] = std::max(bounds[k], k % 2 == 0 ? m_fixedRows : m_fixedColumns);
    }
    const bool bounded = std::all_of(std::begin(bounds), std::end(bounds), [](int b) { return b >= 0; });
    const bool blockValid = bounded && bounds[2] < m_rows && bounds[3] < m_columns && bounds[0] <= bounds[2]
                            && bounds[1] <= bounds[3];
    if (select) {
        m_selected.clear();
        if (bounded) {
            for (const CGridCellId& cell : m_kept) {
                if (IsValid(cell))
                    m_selected.insert(cell);
            }
        }
    }
    if (!blockValid)
        return;
    for (int r = bounds[0]; r <= bounds[2]; ++r) {
        for (int c = bounds[1]; c <= bounds[3]; ++c) {
            if (select)
                m_selected.insert(CGridCellId(r, c));
            else
                m_selected.erase(CGridCellId(r, c));
        }
    }
}

void PlainGridModel::ClearSelection()
{
    m_kept.clear();
    m_selected.clear();
    SetFocusCell(CGridCellId());
}

void PlainGridModel::SelectAll() { SelectRange(m_fixedRows, m_fixedColumns, m_rows - 1, m_columns - 1, true); }

// A span runs from the anchor (the cell itself when there is none) to the cell.
void PlainGridModel::SelectSpan(int kind, CGridCellId cell, bool select)
{
    if (!IsValid(cell) || (kind == 0 && IsFixed(cell)) || (kind == 1 && cell.row < m_fixedRows)
        || (kind == 2 && cell.col < m_fixedColumns))
        return;
    const CGridCellId start = IsValid(m_anchor) ? m_anchor : cell;
    const int top = std::min(start.row, cell.row);
    const int bottom = std::max(start.row, cell.row);
    const int left = std::min(start.col, cell.col);
    const int right = std::max(start.col, cell.col);
    if (kind == 0)
        SelectRange(top, left, bottom, right, select);
    else if (kind == 1)
        SelectRange(top, m_fixedColumns, bottom, m_columns - 1, select);
    else
        SelectRange(m_fixedRows, left, m_rows - 1, right, select);
}

void PlainGridModel::ExtendSelection(CGridCellId cell)
{
    if (!IsValid(cell))
        return;
    switch (m_mode) {
    case MouseSelectAll: SelectAll(); break;
    case MouseSelectColumns: SelectSpan(2, cell, true); break;
    case MouseSelectRows: SelectSpan(1, cell, true); break;
    case MouseSelectCells: SelectSpan(0, cell, true); break;
    default: break;
    }
    SetFocusCell(Raised(cell));
}

// Header rows and columns from the top left; the scrolled ones from the view's first cell on,
// its column moved left by the shift. Zero-sized rows and columns are never found.
CGridCellId PlainGridModel::CellAt(const View& view, int x, int y) const
{
    if (!IsValid(view.topLeft))
        return CGridCellId();
    const auto locate = [](const std::vector<int>& sizes, int fixed, int first, int shift, int at) {
        if (at < 0)
            return -1;
        int edge = 0;
        for (int i = 0; i < fixed; ++i)
            edge += sizes[static_cast<std::size_t>(i)];
        const bool inHeader = at < edge;
        int start = inHeader ? 0 : first;
        int end = inHeader ? fixed : static_cast<int>(sizes.size());
        edge = inHeader ? 0 : edge - shift;
        for (int i = start; i < end; ++i) {
            edge += sizes[static_cast<std::size_t>(i)];
            if (at < edge)
                return i;
        }
        return -1;
    };
    return CGridCellId(locate(m_heights, m_fixedRows, view.topLeft.row, 0, y),
                       locate(m_widths, m_fixedColumns, view.topLeft.col, view.columnShift, x));
}

void PlainGridModel::LeftPress(const View& view, int x, int y, bool shift, bool control)
{
    m_buttonDown = true;
    m_clickDown = CellAt(view, x, y);
    if (!IsValid(m_clickDown)) {
        m_clickDown = CGridCellId();
        return;
    }
    if (!shift)
        m_anchor = m_clickDown;
    else if (!IsValid(m_anchor))
        m_anchor = m_focus;
    if (m_clickDown == m_focus)
        return;
    if (m_selected.count(m_clickDown)) {
        // Ctrl on a selected cell takes that one cell out and does not start a drag.
        if (control) {
            SetFocusCell(m_clickDown);
            SelectSpan(0, m_clickDown, false);
            return;
        }
    } else {
        SetFocusCell(CGridCellId());
        if (m_rows > m_fixedRows && m_columns > m_fixedColumns)
            SetFocusCell(Raised(m_clickDown));
    }
    m_kept = control ? m_selected : std::set<CGridCellId>();
    if (m_clickDown.row < m_fixedRows)
        m_mode = m_clickDown.col < m_fixedColumns ? MouseSelectAll : MouseSelectColumns;
    else if (m_clickDown.col < m_fixedColumns)
        m_mode = MouseSelectRows;
    else
        m_mode = MouseSelectCells;
    ExtendSelection(m_clickDown);
}

void PlainGridModel::LeftDrag(const View& view, int x, int y)
{
    if (x < 0 || y < 0 || x >= view.width || y >= view.height)
        return;
    if (!m_buttonDown || m_mode == MouseIdle || !IsValid(m_clickDown))
        return;
    const CGridCellId cell = CellAt(view, x, y);
    if (!IsValid(cell) || cell == m_focus)
        return;
    ExtendSelection(cell);
    if (!(m_mode == MouseSelectCells && IsFixed(cell)))
        SetFocusCell(cell);
}

void PlainGridModel::LeftRelease()
{
    m_buttonDown = false;
    Notify(NM_CLICK, m_clickDown);
    m_mode = MouseIdle;
}

void PlainGridModel::RightClick(const View& view, int x, int y)
{
    const CGridCellId cell = CellAt(view, x, y);
    if (!IsValid(cell)) {
        Notify(NM_RCLICK, CGridCellId());
        return;
    }
    SetFocusCell(CGridCellId());
    SetFocusCell(Raised(cell));
    Notify(NM_RCLICK, m_focus);
}

void PlainGridModel::Key(int qtKey, bool shift, bool control)
{
    if (!IsValid(m_focus))
        return;
    if (control && qtKey == Qt::Key_A)
        SelectAll();
    const auto rowShown = [this](int r) { return m_heights[static_cast<std::size_t>(r)] > 0; };
    const auto columnShown = [this](int c) { return m_widths[static_cast<std::size_t>(c)] > 0; };
    CGridCellId next = m_focus;
    switch (qtKey) {
    case Qt::Key_Tab:
        if (!shift && next.col < m_columns - 1) {
            ++next.col;
        } else if (!shift && next.row < m_rows - 1) {
            ++next.row;
            next.col = m_fixedColumns;
        } else if (shift && next.col > m_fixedColumns) {
            --next.col;
        } else if (shift && next.row > m_fixedRows) {
            --next.row;
            next.col = m_columns - 1;
        } else {
            return;
        }
        break;
    case Qt::Key_Home:
        if (control)
            next.row = m_fixedRows;
        next.col = m_fixedColumns;
        while (next.col < m_columns - 1 && !columnShown(next.col))
            ++next.col;
        while (next.row < m_rows - 1 && !rowShown(next.row))
            ++next.row;
        break;
    case Qt::Key_End:
        if (control)
            next.row = m_rows - 1;
        next.col = m_columns - 1;
        // The first scrolled row and column are passed over too: the search stops one short.
        while (next.col > m_fixedColumns + 1 && !columnShown(next.col))
            --next.col;
        while (next.row > m_fixedRows + 1 && !rowShown(next.row))
            --next.row;
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = qtKey == Qt::Key_Left ? -1 : 1;
        for (int c = next.col + step; c >= m_fixedColumns && c < m_columns; c += step) {
            if (columnShown(c)) {
                next.col = c;
                break;
            }
        }
        break;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = qtKey == Qt::Key_Up ? -1 : 1;
        for (int r = next.row + step; r >= 0 && r < m_rows; r += step) {
            if (rowShown(r)) {
                if (r >= m_fixedRows)
                    next.row = r;
                break;
            }
        }
        break;
    }
    default: return;
    }
    if (next == m_focus || m_mode != MouseIdle) {
        SetFocusCell(next);
        return;
    }
    m_kept.clear();
    m_mode = MouseSelectCells;
    if (!shift || qtKey == Qt::Key_Tab)
        m_anchor = next;
    ExtendSelection(next);
    m_mode = MouseIdle;
    SetFocusCell(next);
}

std::string PlainGridModel::Copied() const
{
    if (m_selected.empty())
        return "<none>";
    int top = m_rows, left = m_columns, bottom = -1, right = -1;
    for (const CGridCellId& cell : m_selected) {
        top = std::min(top, cell.row);
        bottom = std::max(bottom, cell.row);
        left = std::min(left, cell.col);
        right = std::max(right, cell.col);
    }
    std::string text;
    for (int r = top; r <= bottom; ++r) {
        if (m_heights[static_cast<std::size_t>(r)] == 0)
            continue;
        for (int c = left; c <= right; ++c) {
            if (m_widths[static_cast<std::size_t>(c)] == 0)
                continue;
            const auto it = m_texts.find(CGridCellId(r, c));
            if (m_selected.count(CGridCellId(r, c)) && it != m_texts.end())
                text += it->second;
            if (c != right)
                text += '\t';
        }
        if (r != bottom)
            text += '\n';
    }
    return text + '\0';
}

std::string PlainGridModel::Describe() const
{
    std::ostringstream out;
    out << "size " << m_rows << "x" << m_columns << " fixed " << m_fixedRows << "x" << m_fixedColumns << " focus "
        << m_focus.row << "," << m_focus.col << " anchor " << m_anchor.row << "," << m_anchor.col << " mode " << m_mode
        << "\n";
    for (int r = 0; r < m_rows; ++r)
        out << "row " << r << " height " << m_heights[static_cast<std::size_t>(r)] << "\n";
    for (int c = 0; c < m_columns; ++c)
        out << "column " << c << " width " << m_widths[static_cast<std::size_t>(c)] << "\n";
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const auto it = m_texts.find(CGridCellId(r, c));
            out << r << "," << c << " '" << (it != m_texts.end() ? it->second : "") << "' state " << State(r, c)
                << "\n";
        }
    }
    return out.str();
}
