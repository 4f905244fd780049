#include "app/response_log.h"

#include "grid/grid_ctrl.h"

#include <algorithm>

namespace {

constexpr const char* kSentMark = "Sent: ";
constexpr COLORREF kSentText = RGB(0x1F, 0x4E, 0xA8);
constexpr COLORREF kNoteText = RGB(0xB0, 0x20, 0x20);

} // namespace

CResponseLog::CResponseLog(CGridCtrl& grid) : m_grid(grid) {}

CResponseLog::~CResponseLog() = default;

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

void CResponseLog::SetDisplay(const LogDisplay& display)
{
    const LogDisplay before = m_display;
    m_display = display;
    m_display.scrollback = std::max(1, m_display.scrollback);
    if (before.showSent != m_display.showSent || before.showMilliseconds != m_display.showMilliseconds)
        Redraw(before.showSent);
    else
        Trim();
}

bool CResponseLog::IsShown(const Entry& entry, bool showSent)
{
    return entry.direction != RowDirection::Sent || entry.note || showSent;
}

void CResponseLog::BeginBatch(std::size_t expectedRows)
{
    // Only the row counts: scrolled right to read a long description, the log still follows.
    m_followEnd = m_follow && m_grid.IsCellVisible(m_grid.GetRowCount() - 1, m_grid.GetTopLeftScrolledCell().col);
    m_added = 0;
    m_inBatch = true;
    m_nextRow = m_grid.GetRowCount();
    m_growth = static_cast<int>(std::clamp<std::size_t>(expectedRows, 1, kFirstGrowth));
}

int CResponseLog::NextGridRow()
{
    if (!m_inBatch)
        m_nextRow = m_grid.GetRowCount();
    if (m_nextRow >= m_grid.GetRowCount()) {
        m_grid.SetRowCount(m_nextRow + (m_inBatch ? m_growth : 1));
        m_growth = std::min(2 * m_growth, kMaxGrowth);
    }
    return m_nextRow++;
}

void CResponseLog::Add(const SessionRow& row)
{
    Entry entry{row.time, row.direction, false, nullptr};
    if (row.direction != RowDirection::Received)
        entry.kept = std::make_shared<const SessionRow>(row);
    m_entries.push_back(std::move(entry));
    if (IsShown(m_entries.back(), m_display.showSent))
        Show(m_entries.back(), row);
}

void CResponseLog::AddNote(const std::string& text)
{
    const RowTime time = m_entries.empty() ? RowTime{} : m_entries.back().time;
    auto note = std::make_shared<const SessionRow>(SessionRow{time, RowDirection::Port, text, {}, {}});
    m_entries.push_back({time, RowDirection::Port, true, note});
    Show(m_entries.back(), *note);
}

bool CResponseLog::SetLeadingNote(const std::string& text)
{
    BeginBatch();
    if (m_entries.empty()) {
        AddNote(text);
    } else if (m_entries.front().note) {
        m_entries.front().kept = std::make_shared<const SessionRow>(SessionRow{{}, RowDirection::Port, text, {}, {}});
        m_grid.SetItemText(m_grid.GetFixedRowCount(), 1, text);
        ++m_added;
    }
    EndBatch();
    return m_entries.front().note;
}

void CResponseLog::RemoveLeadingNote()
{
    if (m_entries.empty() || !m_entries.front().note)
        return;
    m_entries.pop_front();
    m_grid.DeleteRows(m_grid.GetFixedRowCount(), 1);
    m_grid.AutoSizeColumns(0);
    m_grid.InvalidateAll();
}

void CResponseLog::Show(const Entry& entry, const SessionRow& row)
{
    const int n = NextGridRow();
    m_grid.SetItemText(n, 0, entry.note ? std::string() : FormatClockTime(row.time, m_display.showMilliseconds));
    if (entry.direction == RowDirection::Sent)
        m_grid.SetItemText(n, 1, kSentMark + row.encoded);
    else
        m_grid.SetItemText(n, 1, row.encoded);
    m_grid.SetItemText(n, 2, row.data);
    m_grid.SetItemText(n, 3, row.description);
    if (entry.note || entry.direction == RowDirection::Sent) {
        for (int c = 0; c < 4; ++c)
            m_grid.SetItemTextColour(n, c, entry.note ? kNoteText : kSentText);
    }
    ++m_added;
}

void CResponseLog::EndBatch()
{
    m_inBatch = false;
    if (m_grid.GetRowCount() > m_nextRow)
        m_grid.SetRowCount(m_nextRow);
    if (m_added == 0)
        return;
    Trim();
    m_grid.AutoSizeColumns(0);
    if (m_followEnd)
        m_grid.EnsureVisible(m_grid.GetRowCount() - 1, m_grid.GetTopLeftScrolledCell().col);
    m_grid.InvalidateAll();
}

// Rows leave a hundredth of the scrollback at a time, so a full log does not renumber its grid
// for every new row.
void CResponseLog::Trim()
{
    const auto limit = static_cast<std::size_t>(m_display.scrollback);
    if (m_entries.size() <= limit)
        return;
    const std::size_t leaving = m_entries.size() - limit + limit / 100;
    int shown = 0;
    for (std::size_t i = 0; i < leaving; ++i)
        shown += IsShown(m_entries[i], m_display.showSent) ? 1 : 0;
    m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(leaving));
    m_grid.DeleteRows(m_grid.GetFixedRowCount(), shown);
}

SessionRow CResponseLog::RowOf(const Entry& entry, int gridRow) const
{
    if (entry.kept)
        return *entry.kept;
    return {entry.time, entry.direction, m_grid.GetItemText(gridRow, 1), m_grid.GetItemText(gridRow, 2),
            m_grid.GetItemText(gridRow, 3)};
}

std::vector<SessionRow> CResponseLog::ShownRows() const
{
    std::vector<SessionRow> rows;
    int gridRow = m_grid.GetFixedRowCount();
    for (const Entry& entry : m_entries) {
        if (!IsShown(entry, m_display.showSent))
            continue;
        if (!entry.note)
            rows.push_back(RowOf(entry, gridRow));
        ++gridRow;
    }
    return rows;
}

// Every kept row again, as the display now asks for it. Received rows take their texts from the
// grid before it is emptied, found where the display before the change put them.
void CResponseLog::Redraw(bool shownBefore)
{
    std::vector<SessionRow> rows;
    rows.reserve(m_entries.size());
    int gridRow = m_grid.GetFixedRowCount();
    for (const Entry& entry : m_entries) {
        const bool shown = IsShown(entry, shownBefore);
        rows.push_back(RowOf(entry, shown ? gridRow : -1));
        gridRow += shown ? 1 : 0;
    }

    BeginBatch(rows.size());
    m_grid.SetRowCount(m_grid.GetFixedRowCount());
    m_nextRow = m_grid.GetFixedRowCount();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (IsShown(m_entries[i], m_display.showSent))
            Show(m_entries[i], rows[i]);
    }
    // The columns fit the new texts even when no row is left.
    m_added = std::max(m_added, 1);
    EndBatch();
}

void CResponseLog::Clear()
{
    m_entries.clear();
    // The columns keep their widths until the next row sizes them.
    m_grid.SetRowCount(m_grid.GetFixedRowCount());
    m_grid.InvalidateAll();
}

std::optional<std::pair<int, int>> CResponseLog::RowsBetween(RowTime from, RowTime to) const
{
    int row = m_grid.GetFixedRowCount();
    std::optional<std::pair<int, int>> inside;
    std::optional<int> before;
    std::optional<int> after;
    for (const Entry& entry : m_entries) {
        if (!IsShown(entry, m_display.showSent))
            continue;
        const std::int64_t t = entry.time.utcMs;
        if (t >= from.utcMs && t <= to.utcMs)
            inside = inside ? std::pair(inside->first, row) : std::pair(row, row);
        else if (t < from.utcMs)
            before = row;
        else if (!after)
            after = row;
        ++row;
    }
    if (inside)
        return inside;
    if (const auto nearest = before ? before : after)
        return std::pair(*nearest, *nearest);
    return std::nullopt;
}
