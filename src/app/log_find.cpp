#include "app/log_find.h"

#include "grid/grid_ctrl.h"

#include <algorithm>

namespace {

constexpr int kDescriptionColumn = 3;

} // namespace

int FindLogRow(const CGridCtrl& grid, const CTextRule& rule, int from, bool forward, bool& wrapped)
{
    wrapped = false;
    const int first = grid.GetFixedRowCount();
    const int count = grid.GetRowCount() - first;
    // Positions among the scrolled rows; -1 and count stand before the first and after the last.
    // Without a row to start from, a search begins at the end it walks away from.
    int position = from - first;
    if (position < 0 || position >= count)
        position = forward ? -1 : count;
    // Every row once, the starting row last: a lone match is found again from itself.
    for (int i = 1; i <= count; ++i) {
        int at = forward ? position + i : position - i;
        const bool round = at >= count || at < 0;
        at = at >= count ? at - count : at < 0 ? at + count : at;
        const int row = first + at;
        if (at >= 0 && at < count && grid.GetRowHeight(row) > 0
            && rule.Matches(grid.GetItemTextView(row, kDescriptionColumn))) {
            wrapped = round;
            return row;
        }
    }
    return -1;
}

void GoToLogRow(CGridCtrl& grid, int row)
{
    const int lastColumn = grid.GetColumnCount() - 1;
    const int column = std::max(grid.GetFocusCell().col, grid.GetFixedColumnCount());
    grid.ClearSelection();
    grid.SetFocusCell(row, column);
    grid.SelectRange(row, grid.GetFixedColumnCount(), row, lastColumn, false, true);
    grid.SetSelectionStartCell(CGridCellId(row, grid.GetFixedColumnCount()));
    // The grid scrolls a line at a time towards a cell; a row far off is first brought near by
    // moving the view straight to it.
    const CGridCellRange visible = grid.GetVisibleScrolledRange();
    if (row < visible.minRow || row > visible.maxRow) {
        grid.SetScrollPosition(SB_VERT, 0);
        CPoint origin;
        if (grid.GetCellOrigin(row, column, &origin)) {
            const int page = grid.GetClientRect().Height() - grid.GetFixedRowHeight();
            grid.SetScrollPosition(SB_VERT, std::max(0, origin.y - grid.GetFixedRowHeight() - page / 2));
        }
    }
    grid.EnsureVisible(row, column);
    grid.InvalidateAll();
}
