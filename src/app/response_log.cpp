#include "app/response_log.h"

#include "grid/grid_ctrl.h"

void CResponseLog::SetUp()
{
    m_grid.SetColumnCount(4);
    m_grid.SetFixedRowCount(1);
    m_grid.EnableColumnResize(false);
    m_grid.EnableRowResize(false);
    m_grid.SetTrackFocusHeaders(false);
    m_grid.SetEditable(false);
    m_grid.SetItemText(0, 0, "Time");
    m_grid.SetItemText(0, 1, "Encoded");
    m_grid.SetItemText(0, 2, "Data");
    m_grid.SetItemText(0, 3, "Description");
    m_grid.AutoSizeColumns(0);
}

void CResponseLog::BeginBatch()
{
    // Only the row counts: scrolled right to read a long description, the log still follows.
    m_followEnd = m_grid.IsCellVisible(m_grid.GetRowCount() - 1, m_grid.GetTopLeftScrolledCell().col);
    m_added = 0;
}

void CResponseLog::Add(const LogRow& row)
{
    const int n = m_grid.GetRowCount();
    m_grid.SetRowCount(n + 1);
    m_grid.SetItemText(n, 0, row.time);
    m_grid.SetItemText(n, 1, row.encoded);
    m_grid.SetItemText(n, 2, row.data);
    m_grid.SetItemText(n, 3, row.description);
    ++m_added;
}

void CResponseLog::EndBatch()
{
    if (m_added == 0)
        return;
    m_grid.AutoSizeColumns(0);
    if (m_followEnd)
        m_grid.EnsureVisible(m_grid.GetRowCount() - 1, m_grid.GetTopLeftScrolledCell().col);
    m_grid.InvalidateAll();
}

void CResponseLog::Clear()
{
    // The columns keep their widths until the next row sizes them.
    m_grid.SetRowCount(1);
    m_grid.InvalidateAll();
}
