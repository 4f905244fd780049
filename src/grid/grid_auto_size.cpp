#include "grid/grid_ctrl.h"

#include "platform/device_context.h"

#include <algorithm>
#include <new>
#include <string>

// Column auto-sizing asks every cell of a column for its extent. Measuring text is the costly
// part, so each cell's width is measured once, when it is new or has changed, and counted in its
// column's tally; the widest width is then read off the tally. The answer is the one a fresh
// measurement of every cell would give.

namespace {
constexpr std::size_t kKeptExtentQueue = 1 << 16;
// Text has no overhang here (see CDC::GetTextMetrics), so plain cells are measured without a
// context.
constexpr int kTextOverhang = 0;

int CountedWidth(CGridCellBase* cell, CDC* dc) { return std::clamp(cell->GetCellExtent(dc).cx, 0, CCellExtent::kMaxWidth); }
} // namespace

void CGridCtrl::PlaceRow(int row, int firstColumn)
{
    Row& cells = m_rows[static_cast<std::size_t>(row)];
    for (int c = firstColumn; c < cells.Columns(); ++c) {
        if (CGridCellBase* cell = cells.Object(c)) {
            cell->m_slot = CGridCellBase::Slot{StoredRow(row), c, CCellExtent()};
            QueueFoundExtent(row, c, cell->m_slot.extent);
        } else if (cells.At(c).format != Row::kNoCell) {
            cells.At(c).extent = CCellExtent();
            QueueFoundExtent(row, c, cells.At(c).extent);
        }
    }
}

// A new row's plain cells are measured only when their texts could widen their columns: a text
// whose width bound is no more than its column's widest measured width is left unmeasured.
void CGridCtrl::PlaceAppendedRow(int row, std::span<const std::string_view> texts)
{
    Row& cells = m_rows[static_cast<std::size_t>(row)];
    const bool fixedRow = row < m_fixedRowCount;
    for (int c = 0; c < cells.Columns(); ++c) {
        const std::string_view text = static_cast<std::size_t>(c) < texts.size() ? texts[static_cast<std::size_t>(c)] : std::string_view();
        if (CGridCellBase* cell = cells.Object(c)) {
            cell->m_slot = CGridCellBase::Slot{StoredRow(row), c, CCellExtent()};
            QueueFoundExtent(row, c, cell->m_slot.extent);
            cell->SetText(std::string(text).c_str());
            continue;
        }
        CCellExtent& extent = cells.At(c).extent;
        CColumnExtentTally& tally = m_columnTallies[static_cast<std::size_t>(c)];
        const int bound = m_extentsStale ? -1 : PlainWidthBound(fixedRow, c < m_fixedColumnCount, text);
        if (bound >= 0 && bound <= tally.SideMax(fixedRow)) {
            extent.SetUnmeasured(bound);
            extent.countedFixed = fixedRow;
            tally.AddUnmeasured(extent.UnmeasuredBound(), fixedRow);
        } else {
            QueueFoundExtent(row, c, extent);
        }
    }
}

int CGridCtrl::PlainWidthBound(bool fixedRow, bool fixedColumn, std::string_view text) const
{
    const CGridDefaultCell* model = GetDefaultCell(fixedRow, fixedColumn);
    const CFont* font = model->GetFontObject();
    if (font == nullptr || font->GetSafeHandle() == nullptr)
        return -1;
    const int bound = font->TextWidthBound(text);
    if (bound < 0)
        return -1;
    return std::min(CGridCellBase::ExtentWidth(bound, kTextOverhang, model->GetMargin()), CCellExtent::kMaxWidth);
}

int CGridCtrl::MeasuredWidth(int row, int column, CDC* dc) const
{
    // A plain cell is measured in its template's font straight from its row, as the stand-in
    // would measure it.
    const Row& cells = m_rows[static_cast<std::size_t>(row)];
    if (cells.Object(column) == nullptr) {
        const CGridDefaultCell* model = GetDefaultCell(row < m_fixedRowCount, column < m_fixedColumnCount);
        const CFont* font = model->GetFontObject();
        if (font != nullptr && font->GetSafeHandle() != nullptr) {
            const int width = CGridCellBase::ExtentWidth(font->TextWidth(cells.TextView(column)), kTextOverhang, model->GetMargin());
            return std::clamp(width, 0, CCellExtent::kMaxWidth);
        }
    }
    return CountedWidth(CellView(row, column), dc);
}

CCellExtent* CGridCtrl::FoundExtent(Row& cells, int column)
{
    if (column >= cells.Columns())
        return nullptr;
    if (CGridCellBase* object = cells.Object(column))
        return &object->m_slot.extent;
    return cells.At(column).format != Row::kNoCell ? &cells.At(column).extent : nullptr;
}

// Bounds are close: usually the first cell measured with the widest bound is as wide as it, and
// the walk ends there. It starts from the newest rows, which a log keeps longest.
void CGridCtrl::MeasureUnmeasured(int column, bool fixedRows, bool scrolledRows, CDC* dc)
{
    const CColumnExtentTally& tally = m_columnTallies[static_cast<std::size_t>(column)];
    for (int r = m_rowCount - 1; r >= 0 && tally.UnmeasuredMayWiden(fixedRows, scrolledRows); --r) {
        CCellExtent* extent = FoundExtent(m_rows[static_cast<std::size_t>(r)], column);
        if (extent != nullptr && extent->Unmeasured() && extent->UnmeasuredBound() > tally.Max(fixedRows, scrolledRows)) {
            UncountCell(*extent, column);
            CountFoundCell(r, column, *extent, dc);
        }
    }
}

void CGridCtrl::QueueExtent(int row, int column)
{
    if (!m_extentsStale && HasCell(row, column))
        QueueFoundExtent(row, column, ExtentOf(row, column));
}

void CGridCtrl::QueueFoundExtent(int row, int column, CCellExtent& extent)
{
    if (m_extentsStale || extent.queued)
        return;
    // Rows made and dropped again and again without sizing would let the queue outgrow the grid;
    // measuring everything once is cheaper then.
    const std::size_t cells = static_cast<std::size_t>(m_rowCount) * static_cast<std::size_t>(m_columnCount);
    if (m_extentQueue.size() > 2 * cells + 4096) {
        m_extentsStale = true;
        m_extentQueue.clear();
        return;
    }
    try {
        m_extentQueue.emplace_back(row, column);
        extent.queued = true;
    } catch (const std::bad_alloc&) {
        m_extentsStale = true;
        m_extentQueue.clear();
    }
}

void CGridCtrl::OnCellContentChanged(CGridCellBase* cell)
{
    if (cell == &m_defaultCell || cell == &m_defaultFixedRowCell || cell == &m_defaultFixedColumnCell
        || cell == &m_defaultCornerCell) {
        // A template's font or margin is every inheriting cell's.
        m_extentsStale = true;
        m_extentQueue.clear();
        return;
    }
    const int row = PlacedRow(cell->m_slot);
    if (row >= 0 && CellObject(row, cell->m_slot.column) == cell)
        QueueExtent(row, cell->m_slot.column);
}

void CGridCtrl::UncountCell(CCellExtent& extent, int column)
{
    CColumnExtentTally& tally = m_columnTallies[static_cast<std::size_t>(column)];
    if (extent.Unmeasured())
        tally.RemoveUnmeasured(extent.UnmeasuredBound(), extent.countedFixed);
    else if (extent.CountedWidth() >= 0)
        tally.Remove(extent.CountedWidth(), extent.countedFixed);
    extent.SetCountedWidth(-1);
}

void CGridCtrl::CountCell(int row, int column, CDC* dc) { CountFoundCell(row, column, ExtentOf(row, column), dc); }

void CGridCtrl::CountFoundCell(int row, int column, CCellExtent& extent, CDC* dc)
{
    const int width = MeasuredWidth(row, column, dc);
    extent.SetCountedWidth(width);
    extent.countedFixed = row < m_fixedRowCount;
    m_columnTallies[static_cast<std::size_t>(column)].Add(extent.CountedWidth(), extent.countedFixed);
}

void CGridCtrl::RefreshExtents(CDC* dc)
{
    if (m_extentsStale) {
        for (CColumnExtentTally& tally : m_columnTallies)
            tally.Clear();
        m_extentQueue.clear();
        for (int r = 0; r < m_rowCount; ++r) {
            for (int c = 0; c < m_columnCount; ++c) {
                if (HasCell(r, c)) {
                    ExtentOf(r, c) = CCellExtent();
                    CountCell(r, c, dc);
                }
            }
        }
        m_extentsStale = false;
        return;
    }
    for (const CGridCellId& id : m_extentQueue) {
        // Entries of cells destroyed since are stale; a new cell in their place queued itself.
        if (!IsValid(id.row, id.col))
            continue;
        CCellExtent* extent = FoundExtent(m_rows[static_cast<std::size_t>(id.row)], id.col);
        if (extent == nullptr || !extent->queued)
            continue;
        extent->queued = false;
        UncountCell(*extent, id.col);
        CountFoundCell(id.row, id.col, *extent, dc);
    }
    // The rows of a whole log filled at once queue millions of cells; that room is not kept.
    if (m_extentQueue.capacity() > kKeptExtentQueue)
        std::vector<CGridCellId>().swap(m_extentQueue);
    else
        m_extentQueue.clear();
}

bool CGridCtrl::AutoSizeColumn(int column, int style, bool updateBars)
{
    if (column < 0 || column >= m_columnCount || GetColumnWidth(column) <= 0)
        return false;
    std::unique_ptr<CDC> dc = GetDC();
    if (!dc)
        return false;
    RefreshExtents(dc.get());
    if (style == 0)
        style = m_autoSizeStyle;
    const bool fixedRows = (style & 1) != 0;
    const bool scrolledRows = (style & 2) != 0;
    const CColumnExtentTally& tally = m_columnTallies[static_cast<std::size_t>(column)];
    MeasureUnmeasured(column, fixedRows, scrolledRows, dc.get());
    SetColumnWidthInternal(column, tally.Max(fixedRows, scrolledRows));
    if (updateBars)
        UpdateScrollBars();
    return true;
}

void CGridCtrl::AutoSizeColumns(int style)
{
    for (int c = 0; c < m_columnCount; ++c) {
        if (GetColumnWidth(c) > 0)
            AutoSizeColumn(c, style, false);
    }
    UpdateScrollBars();
}

std::string CGridCtrl::CheckIndexConsistency()
{
    const auto count = [](int n) { return static_cast<std::size_t>(n); };
    if (m_rows.size() != count(m_rowCount) || m_rowHeights.size() != count(m_rowCount)
        || m_rowSums.Size() != count(m_rowCount))
        return "row arrays differ from the row count";
    if (m_columnWidths.size() != count(m_columnCount) || m_columnSums.Size() != count(m_columnCount)
        || m_columnTallies.size() != count(m_columnCount))
        return "column arrays differ from the column count";
    if (m_fixedRowCount > m_rowCount || m_fixedColumnCount > m_columnCount)
        return "more fixed rows or columns than rows or columns";
    const auto checkSums = [](const char* what, const CPrefixSums& sums, const auto& sizes) {
        std::int64_t sum = 0;
        for (std::size_t k = 0; k <= sizes.size(); ++k) {
            if (sums.Prefix(k) != sum)
                return std::string(what) + " sum " + std::to_string(k) + " is " + std::to_string(sums.Prefix(k))
                       + ", not " + std::to_string(sum);
            if (k < sizes.size())
                sum += sizes[k];
        }
        return std::string();
    };
    if (std::string error = checkSums("row", m_rowSums, m_rowHeights); !error.empty())
        return error;
    if (std::string error = checkSums("column", m_columnSums, m_columnWidths); !error.empty())
        return error;

    std::unique_ptr<CDC> dc = GetDC();
    std::vector<CColumnExtentTally> tallies(m_columnTallies.size());
    for (int r = 0; r < m_rowCount; ++r) {
        if (m_rows[count(r)].Columns() != m_columnCount)
            return "row " + std::to_string(r) + " has " + std::to_string(m_rows[count(r)].Columns()) + " cells";
        for (int c = 0; c < m_columnCount; ++c) {
            CGridCellBase* cell = CellView(r, c);
            if (cell == nullptr)
                continue;
            const std::string where = " at " + std::to_string(r) + ", " + std::to_string(c);
            const unsigned state = cell->GetState();
            if (r < m_fixedRowCount && (state & (GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW)) != (GRIDSTATE_FIXED | GRIDSTATE_FIXEDROW))
                return "fixed-row cell not marked fixed" + where;
            if (c < m_fixedColumnCount && (state & (GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL)) != (GRIDSTATE_FIXED | GRIDSTATE_FIXEDCOL))
                return "fixed-column cell not marked fixed" + where;
            if (cell != &m_standIn && (PlacedRow(cell->m_slot) != r || cell->m_slot.column != c))
                return "cell placed elsewhere" + where;
            if (((state & GRIDSTATE_SELECTED) != 0) != m_selection.Contains(r, c))
                return "selected bit differs from the selection" + where;
            const CCellExtent& extent = ExtentOf(r, c);
            if (m_extentsStale || extent.queued || !dc)
                continue;
            if (extent.Unmeasured()) {
                if (extent.countedFixed != (r < m_fixedRowCount))
                    return "unmeasured cell on the wrong side of the fixed rows" + where;
                if (CountedWidth(cell, dc.get()) > extent.UnmeasuredBound())
                    return "unmeasured cell wider than its bound " + std::to_string(extent.UnmeasuredBound()) + where;
                tallies[count(c)].AddUnmeasured(extent.UnmeasuredBound(), extent.countedFixed);
                continue;
            }
            if (extent.CountedWidth() < 0)
                return "cell neither measured nor queued" + where;
            const int fresh = CountedWidth(cell, dc.get());
            if (extent.CountedWidth() != fresh)
                return "cached width " + std::to_string(extent.CountedWidth()) + " is not the measured "
                       + std::to_string(fresh) + where;
            if (extent.countedFixed != (r < m_fixedRowCount))
                return "cell counted on the wrong side of the fixed rows" + where;
            tallies[count(c)].Add(extent.CountedWidth(), extent.countedFixed);
        }
    }
    if (m_extentsStale)
        return "";
    for (std::size_t c = 0; c < tallies.size(); ++c) {
        // Cells still queued are counted as they were measured last.
        for (int r = 0; r < m_rowCount; ++r) {
            if (!HasCell(r, static_cast<int>(c)))
                continue;
            const CCellExtent& extent = ExtentOf(r, static_cast<int>(c));
            if (extent.queued && extent.Unmeasured())
                tallies[c].AddUnmeasured(extent.UnmeasuredBound(), extent.countedFixed);
            else if (extent.queued && extent.CountedWidth() >= 0)
                tallies[c].Add(extent.CountedWidth(), extent.countedFixed);
        }
        if (!(tallies[c] == m_columnTallies[c]))
            return "width tally of column " + std::to_string(c) + " differs from its cells";
    }
    return "";
}
