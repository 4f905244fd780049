#include "grid/grid_ctrl.h"

#include <QScrollBar>

#include <algorithm>

namespace {

int ToInt(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); }
std::size_t Index(int i) { return static_cast<std::size_t>(i); }

// The first index of the run [first, count) whose content start lies at or beyond pos pixels
// past the start of first; the last index when the run ends first (the view starts at a whole
// row or column).
int FirstAtOrBeyond(const CPrefixSums& sums, int first, int count, int pos)
{
    if (first >= count - 1 || pos <= 0)
        return first;
    const std::size_t k = sums.LowerBound(sums.Prefix(Index(first)) + pos);
    return std::min(ToInt(static_cast<std::int64_t>(k)), count - 1);
}

// The last index visible from start when the run begins at pixel origin and the client ends at
// limit, and where the drawn part ends: the client end when a cell reaches it, else the end
// of the last cell.
std::pair<int, int> LastVisible(const CPrefixSums& sums, int start, int count, int origin, int limit)
{
    if (start >= count)
        return {count - 1, origin};
    const std::int64_t base = sums.Prefix(Index(start));
    const std::size_t k = std::max(sums.LowerBound(base + limit - origin), Index(start) + 1);
    if (k <= Index(count))
        return {ToInt(static_cast<std::int64_t>(k)) - 1, limit};
    return {count - 1, ToInt(origin + sums.Prefix(Index(count)) - base)};
}

// The index holding pixel x of the run that starts at index start and pixel origin; -1 past its end.
int IndexAt(const CPrefixSums& sums, int start, int count, int origin, int x)
{
    const std::size_t k = sums.UpperBound(sums.Prefix(Index(start)) + x - origin);
    return k <= Index(count) ? ToInt(static_cast<std::int64_t>(k)) - 1 : -1;
}

} // namespace

int CGridCtrl::GetRowHeight(int row) const
{
    return row >= 0 && row < m_rowCount ? static_cast<int>(m_rowHeights[Index(row)]) : -1;
}

int CGridCtrl::GetColumnWidth(int column) const
{
    return column >= 0 && column < m_columnCount ? static_cast<int>(m_columnWidths[Index(column)]) : -1;
}

bool CGridCtrl::SetRowHeight(int row, int height)
{
    if (row < 0 || row >= m_rowCount || height < 0)
        return false;
    m_rowSums.Add(Index(row), static_cast<std::int64_t>(height) - m_rowHeights[Index(row)]);
    m_rowHeights[Index(row)] = static_cast<unsigned>(height);
    ForgetTopLeft();
    return true;
}

// The running sums are built again from all the heights at once: row by row, each change would
// cost a walk of the sums, which at a million rows is most of the time a filter may take.
void CGridCtrl::SetScrolledRowHeights(const std::function<int(int row)>& height)
{
    std::vector<unsigned> heights(m_rowHeights.begin(), m_rowHeights.end());
    for (int r = m_fixedRowCount; r < m_rowCount; ++r) {
        if (const int h = height(r); h >= 0)
            heights[Index(r)] = static_cast<unsigned>(h);
    }
    std::copy(heights.begin(), heights.end(), m_rowHeights.begin());
    m_rowSums.Assign(heights);
    ForgetTopLeft();
    HideTitleTip();
    UpdateScrollBars();
    InvalidateAll();
}

bool CGridCtrl::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= m_columnCount || width < 0)
        return false;
    SetColumnWidthInternal(column, width);
    ForgetTopLeft();
    return true;
}

void CGridCtrl::SetColumnWidthInternal(int column, int width)
{
    m_columnSums.Add(Index(column), static_cast<std::int64_t>(width) - m_columnWidths[Index(column)]);
    m_columnWidths[Index(column)] = static_cast<unsigned>(width);
}

int CGridCtrl::GetFixedRowHeight() const { return ToInt(m_rowSums.Prefix(Index(m_fixedRowCount))); }
int CGridCtrl::GetFixedColumnWidth() const { return ToInt(m_columnSums.Prefix(Index(m_fixedColumnCount))); }
int CGridCtrl::GetTotalHeight() const { return ToInt(m_rowSums.Total()); }
int CGridCtrl::GetTotalWidth() const { return ToInt(m_columnSums.Total()); }

CRect CGridCtrl::GetClientRect() const
{
    const QRect r = viewport()->rect();
    return CRect(0, 0, r.width(), r.height());
}

CGridCellId CGridCtrl::GetTopLeftScrolledCell()
{
    if (m_topLeftCache.row >= 0 && m_topLeftCache.col >= 0)
        return m_topLeftCache;
    m_topLeftCache.col = FirstAtOrBeyond(m_columnSums, m_fixedColumnCount, m_columnCount,
                                         horizontalScrollBar()->value());
    m_topLeftCache.row = TopRowAt(verticalScrollBar()->value());
    return m_topLeftCache;
}

int CGridCtrl::TopRowAt(int pos) const { return FirstAtOrBeyond(m_rowSums, m_fixedRowCount, m_rowCount, pos); }

int CGridCtrl::GetScrolledColumnShift()
{
    const CGridCellId topLeft = GetTopLeftScrolledCell();
    if (topLeft.col < m_fixedColumnCount)
        return 0;
    const std::int64_t start = m_columnSums.Prefix(Index(topLeft.col)) - m_columnSums.Prefix(Index(m_fixedColumnCount));
    return ToInt(std::max<std::int64_t>(0, horizontalScrollBar()->value() - start));
}

CGridCellRange CGridCtrl::GetVisibleScrolledRange(CRect* rect)
{
    const CRect client = GetClientRect();
    const CGridCellId topLeft = GetTopLeftScrolledCell();
    const auto [lastRow, bottom] =
        LastVisible(m_rowSums, topLeft.row, m_rowCount, GetFixedRowHeight(), client.bottom);
    const auto [lastColumn, right] = LastVisible(m_columnSums, topLeft.col, m_columnCount,
                                                 GetFixedColumnWidth() - GetScrolledColumnShift(), client.right);
    if (rect != nullptr)
        *rect = CRect(0, 0, std::min(right, client.right), std::min(bottom, client.bottom));
    return CGridCellRange(topLeft.row, topLeft.col, lastRow, lastColumn);
}

bool CGridCtrl::GetCellOrigin(int row, int column, CPoint* point)
{
    if (!IsValid(row, column))
        return false;
    const CGridCellId topLeft = GetTopLeftScrolledCell();
    if ((column >= m_fixedColumnCount && column < topLeft.col) || (row >= m_fixedRowCount && row < topLeft.row))
        return false;
    const std::int64_t x = column < m_fixedColumnCount
                               ? m_columnSums.Prefix(Index(column))
                               : GetFixedColumnWidth() - GetScrolledColumnShift() + m_columnSums.Prefix(Index(column))
                                     - m_columnSums.Prefix(Index(topLeft.col));
    const std::int64_t y = row < m_fixedRowCount ? m_rowSums.Prefix(Index(row))
                                                 : GetFixedRowHeight() + m_rowSums.Prefix(Index(row))
                                                       - m_rowSums.Prefix(Index(topLeft.row));
    *point = CPoint(ToInt(x), ToInt(y));
    return true;
}

bool CGridCtrl::GetCellRect(int row, int column, CRect* rect)
{
    CPoint origin;
    if (!GetCellOrigin(row, column, &origin))
        return false;
    *rect = CRect(origin.x, origin.y, origin.x + GetColumnWidth(column) - 1, origin.y + GetRowHeight(row) - 1);
    return true;
}

bool CGridCtrl::GetTextRect(int row, int column, CRect* rect)
{
    CGridCellBase* cell = CellView(row, column);
    if (cell == nullptr || !GetCellRect(row, column, rect))
        return false;
    return cell->GetTextRect(rect);
}

CGridCellId CGridCtrl::GetCellFromPoint(CPoint point, bool allowFixed)
{
    const CGridCellId topLeft = GetTopLeftScrolledCell();
    if (!IsValid(topLeft))
        return CGridCellId();
    const auto locate = [allowFixed](const CPrefixSums& sums, int fixedCount, int first, int count, int fixedSize,
                                     int shift, int x) {
        if (x < 0)
            return -1;
        if (x < fixedSize)
            return allowFixed ? IndexAt(sums, 0, fixedCount, 0, x) : -1;
        return IndexAt(sums, first, count, fixedSize - shift, x);
    };
    return CGridCellId(locate(m_rowSums, m_fixedRowCount, topLeft.row, m_rowCount, GetFixedRowHeight(), 0, point.y),
                       locate(m_columnSums, m_fixedColumnCount, topLeft.col, m_columnCount, GetFixedColumnWidth(),
                              GetScrolledColumnShift(), point.x));
}

CPoint CGridCtrl::GetCellOffset(int row, int column, CPoint point)
{
    CPoint origin;
    if (!GetCellOrigin(row, column, &origin))
        return CPoint(0, 0);
    return CPoint(point.x - origin.x, point.y - origin.y);
}

bool CGridCtrl::IsCellVisible(int row, int column)
{
    // Left and top edges only grow along a row or column, so the cell's own edges decide.
    CPoint origin;
    if (!GetCellOrigin(row, column, &origin))
        return false;
    const CRect client = GetClientRect();
    return origin.x < client.right && origin.y < client.bottom;
}

void CGridCtrl::EnsureVisible(int row, int column)
{
    const CGridCellRange visible = GetVisibleScrolledRange();
    for (int c = visible.maxCol + 1; c <= column; ++c) {
        if (GetColumnWidth(c) > 0)
            OnHScroll(SB_LINERIGHT);
    }
    for (int c = visible.minCol - 1; c >= column; --c) {
        if (GetColumnWidth(c) > 0)
            OnHScroll(SB_LINELEFT);
    }
    // A log far ahead of its view (a batch of thousands of rows) moves it once, not a row at a time.
    int linesDown = 0;
    for (int r = visible.maxRow + 1; r <= row; ++r)
        linesDown += GetRowHeight(r) > 0 ? 1 : 0;
    ScrollLinesDown(linesDown);
    for (int r = visible.minRow - 1; r >= row; --r) {
        if (GetRowHeight(r) > 0)
            OnVScroll(SB_LINEUP);
    }

    CRect rect;
    if (!GetCellRect(row, column, &rect))
        return;
    const CRect client = GetClientRect();
    // A step that does not move the view (bars not yet brought up to date) ends the walk.
    while (rect.right > client.right && rect.left > GetFixedColumnWidth()) {
        const int before = GetScrollPosition(SB_HORZ);
        OnHScroll(SB_LINERIGHT);
        if (GetScrollPosition(SB_HORZ) == before || !GetCellRect(row, column, &rect))
            break;
    }
    while (rect.bottom > client.bottom && rect.top > GetFixedRowHeight()) {
        const int before = GetScrollPosition(SB_VERT);
        OnVScroll(SB_LINEDOWN);
        if (GetScrollPosition(SB_VERT) == before || !GetCellRect(row, column, &rect))
            break;
    }
}

bool CGridCtrl::InvalidateCell(int row, int column)
{
    CRect rect;
    if (!IsValid(row, column) || !IsCellVisible(row, column) || !GetCellRect(row, column, &rect))
        return false;
    InvalidateRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1));
    return true;
}

void CGridCtrl::InvalidateRow(int row)
{
    CPoint origin;
    const int column = m_fixedColumnCount > 0 ? 0 : GetTopLeftScrolledCell().col;
    if (!GetCellOrigin(row, column, &origin))
        return;
    const CRect client = GetClientRect();
    if (origin.y < client.bottom)
        InvalidateRect(CRect(0, origin.y, client.right, origin.y + GetRowHeight(row)));
}

void CGridCtrl::InvalidateAll() { InvalidateRect(GetClientRect()); }

void CGridCtrl::InvalidateRect(const CRect& rect)
{
    if (rect.IsRectEmpty())
        return;
    const QRect r = ToQRect(rect);
    m_updateRect |= r;
    viewport()->update(r);
}

bool CGridCtrl::GetUpdateRect(CRect* rect) const
{
    if (rect != nullptr)
        *rect = FromQRect(m_updateRect);
    return !m_updateRect.isEmpty();
}

void CGridCtrl::ValidateAll() { m_updateRect = QRect(); }
