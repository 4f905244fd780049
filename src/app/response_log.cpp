#include "app/response_log.h"

#include "log/error_row.h"

#include "app/hex_byte_text.h"
#include "grid/grid_ctrl.h"

#include <algorithm>

namespace {

constexpr const char* kSentMark = "Sent: ";
constexpr COLORREF kSentText = RGB(0x1F, 0x4E, 0xA8);
constexpr COLORREF kNoteText = RGB(0xB0, 0x20, 0x20);
// A watched line's rows lead their time with the side they came from, so the two directions read
// apart in the log and in a copy of it: "C" the controller, "D" the device. The controller's rows
// also take a colour of their own.
constexpr const char* kControllerMark = "C ";
constexpr const char* kDeviceMark = "D ";
constexpr COLORREF kControllerText = RGB(0x0B, 0x6E, 0x4F);
constexpr int kEncodedColumn = 1;
constexpr int kDataColumn = 2;

std::uint8_t ColumnBit(int column)
{
    return static_cast<std::uint8_t>(1u << column);
}

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
    if (before.showSent != m_display.showSent || before.showMilliseconds != m_display.showMilliseconds
        || before.hexBytes != m_display.hexBytes || before.sincePrevious != m_display.sincePrevious)
        Redraw(before.showSent);
    else
        Trim();
}

bool CResponseLog::IsShown(const Entry& entry, bool showSent)
{
    return entry.direction != RowDirection::Sent || entry.note || showSent;
}

void CResponseLog::BeginBatch()
{
    // Only the row counts: scrolled right to read a long description, the log still follows. The
    // last row shown is the one that counts: with a filter, the log's last rows may be hidden.
    m_followEnd = m_follow && (m_lastPassed < m_grid.GetFixedRowCount()
                               || m_grid.IsCellVisible(m_lastPassed, m_grid.GetTopLeftScrolledCell().col));
    m_added = 0;
}

void CResponseLog::Add(const SessionRow& row)
{
    Entry entry{row.time, row.direction, false, 0, nullptr};
    if (row.direction != RowDirection::Received)
        entry.kept = std::make_shared<const SessionRow>(row);
    m_entries.push_back(std::move(entry));
    if (IsErrorRow(row.direction, row.encoded, row.data))
        ++m_errors;
    if (IsShown(m_entries.back(), m_display.showSent))
        Show(m_entries.back(), row);
}

void CResponseLog::AddNote(const std::string& text)
{
    const RowTime time = m_entries.empty() ? RowTime{} : m_entries.back().time;
    auto note = std::make_shared<const SessionRow>(SessionRow{time, RowDirection::Port, text, {}, {}});
    m_entries.push_back({time, RowDirection::Port, true, 0, note});
    ++m_noteRows;
    Show(m_entries.back(), *note);
}

bool CResponseLog::SetLeadingNote(const std::string& text)
{
    BeginBatch();
    if (m_entries.empty()) {
        AddNote(text);
    } else if (m_entries.front().note) {
        m_entries.front().kept = std::make_shared<const SessionRow>(SessionRow{{}, RowDirection::Port, text, {}, {}});
        m_grid.SetItemText(m_grid.GetFixedRowCount(), kEncodedColumn, text);
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
    --m_noteRows;
    m_lastPassed = std::max(m_grid.GetFixedRowCount() - 1, m_lastPassed - 1);
    m_grid.DeleteRows(m_grid.GetFixedRowCount(), 1);
    m_grid.AutoSizeColumns(0);
    m_grid.InvalidateAll();
    Changed();
}

void CResponseLog::Show(Entry& entry, const SessionRow& row)
{
    entry.hexColumns = 0;
    const std::string time = TimeText(entry);
    std::string madeEncoded;
    std::string madeData;
    const std::string_view encoded = BytesText(entry, kEncodedColumn, entry.direction == RowDirection::Sent ? kSentMark : "", row.encoded, madeEncoded);
    const std::string_view data = BytesText(entry, kDataColumn, {}, row.data, madeData);
    // The row is made once with its texts; the grid's scroll bars and repaint wait for the batch's end.
    const std::string_view texts[] = {time, encoded, data, row.description};
    const int n = m_grid.AppendRow(texts);
    if (n < 0)
        return;
    if (entry.note || entry.direction == RowDirection::Sent || entry.direction == RowDirection::Controller) {
        const COLORREF colour = entry.note ? kNoteText : entry.direction == RowDirection::Sent ? kSentText : kControllerText;
        for (int c = 0; c < 4; ++c)
            m_grid.SetItemTextColour(n, c, colour);
    }
    if (Passes(entry, n))
        m_lastPassed = n;
    else if (m_grid.SetRowHeight(n, FilteredHeight(false)))
        ++m_filteredOut;
    ++m_added;
}

std::string CResponseLog::TimeText(const Entry& entry)
{
    if (entry.note)
        return {};
    std::string text = entry.direction == RowDirection::Controller ? kControllerMark
                       : entry.direction == RowDirection::Device   ? kDeviceMark
                                                                   : "";
    text += FormatClockTime(entry.time, m_display.showMilliseconds);
    if (m_display.sincePrevious && m_previousShownMs)
        text += " +" + std::to_string(entry.time.utcMs - *m_previousShownMs) + " ms";
    m_previousShownMs = entry.time.utcMs;
    return text;
}

std::string_view CResponseLog::BytesText(Entry& entry, int column, std::string_view prefix, const std::string& text, std::string& made)
{
    if (m_display.hexBytes && !entry.note) {
        if (const auto hex = DecimalBytesToHex(text)) {
            entry.hexColumns |= ColumnBit(column);
            made.assign(prefix).append(*hex);
            return made;
        }
    }
    if (prefix.empty())
        return text;
    made.assign(prefix).append(text);
    return made;
}

void CResponseLog::Changed() const
{
    if (m_changed)
        m_changed();
}

bool CResponseLog::Passes(const Entry& entry, int gridRow) const
{
    if (entry.note || m_filter.IsEmpty())
        return true;
    if (entry.kept)
        return m_filter.Matches({entry.direction, entry.kept->encoded, entry.kept->data, entry.kept->description});
    return m_filter.Matches({entry.direction, m_grid.GetItemTextView(gridRow, 1), m_grid.GetItemTextView(gridRow, 2),
                             m_grid.GetItemTextView(gridRow, 3)});
}

int CResponseLog::FilteredHeight(bool passes) const
{
    return passes ? m_grid.GetDefaultCell(false, false)->GetHeight() : 0;
}

void CResponseLog::SetFilter(RowFilter filter)
{
    m_filter = std::move(filter);
    m_filteredOut = 0;
    m_lastPassed = m_grid.GetFixedRowCount() - 1;
    // The grid asks row by row, in order: the entries are walked alongside, once.
    auto entry = m_entries.begin();
    m_grid.SetScrolledRowHeights([&](int gridRow) {
        while (entry != m_entries.end() && !IsShown(*entry, m_display.showSent))
            ++entry;
        if (entry == m_entries.end())
            return -1;
        const bool passes = Passes(*entry++, gridRow);
        if (passes)
            m_lastPassed = gridRow;
        else
            ++m_filteredOut;
        return FilteredHeight(passes);
    });
    Changed();
}

std::size_t CResponseLog::ListedRows() const
{
    return static_cast<std::size_t>(m_grid.GetRowCount() - m_grid.GetFixedRowCount()) - m_noteRows;
}

void CResponseLog::EndBatch()
{
    if (m_added == 0)
        return;
    Trim();
    m_grid.AutoSizeColumns(0);
    if (m_followEnd && m_lastPassed >= m_grid.GetFixedRowCount())
        m_grid.EnsureVisible(m_lastPassed, m_grid.GetTopLeftScrolledCell().col);
    m_grid.InvalidateAll();
    Changed();
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
    for (std::size_t i = 0; i < leaving; ++i) {
        if (!IsShown(m_entries[i], m_display.showSent))
            continue;
        m_noteRows -= m_entries[i].note ? 1 : 0;
        m_filteredOut -= m_grid.GetRowHeight(m_grid.GetFixedRowCount() + shown) == 0 ? 1 : 0;
        ++shown;
    }
    m_entries.erase(m_entries.begin(), m_entries.begin() + static_cast<std::ptrdiff_t>(leaving));
    m_dropped += leaving;
    m_grid.DeleteRows(m_grid.GetFixedRowCount(), shown);
    m_lastPassed = std::max(m_grid.GetFixedRowCount() - 1, m_lastPassed - shown);
}

SessionRow CResponseLog::RowOf(const Entry& entry, int gridRow) const
{
    if (entry.kept)
        return *entry.kept;
    const auto text = [&](int column) {
        std::string shown = m_grid.GetItemText(gridRow, column);
        if (entry.hexColumns & ColumnBit(column))
            return HexBytesToDecimal(shown).value_or(shown);
        return shown;
    };
    return {entry.time, entry.direction, text(kEncodedColumn), text(kDataColumn), m_grid.GetItemText(gridRow, 3)};
}

std::vector<SessionRow> CResponseLog::ShownRows() const
{
    std::vector<SessionRow> rows;
    int gridRow = m_grid.GetFixedRowCount();
    for (const Entry& entry : m_entries) {
        if (!IsShown(entry, m_display.showSent))
            continue;
        if (!entry.note && m_grid.GetRowHeight(gridRow) > 0)
            rows.push_back(RowOf(entry, gridRow));
        ++gridRow;
    }
    return rows;
}

std::optional<SessionRow> CResponseLog::RowAt(int gridRow) const
{
    const int first = m_grid.GetFixedRowCount();
    if (gridRow < first || gridRow >= m_grid.GetRowCount())
        return std::nullopt;
    // Every entry has its grid row while sent commands show: no walk is needed then.
    if (m_display.showSent) {
        const auto index = static_cast<std::size_t>(gridRow - first);
        if (index >= m_entries.size() || m_entries[index].note)
            return std::nullopt;
        return RowOf(m_entries[index], gridRow);
    }
    int row = first;
    for (const Entry& entry : m_entries) {
        if (!IsShown(entry, false))
            continue;
        if (row == gridRow)
            return entry.note ? std::nullopt : std::optional(RowOf(entry, row));
        ++row;
    }
    return std::nullopt;
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

    BeginBatch();
    m_previousShownMs.reset();
    m_grid.SetRowCount(m_grid.GetFixedRowCount());
    m_filteredOut = 0;
    m_lastPassed = m_grid.GetFixedRowCount() - 1;
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
    m_previousShownMs.reset();
    m_dropped = 0;
    m_errors = 0;
    m_filteredOut = 0;
    m_noteRows = 0;
    m_lastPassed = m_grid.GetFixedRowCount() - 1;
    // The columns keep their widths until the next row sizes them.
    m_grid.SetRowCount(m_grid.GetFixedRowCount());
    m_grid.InvalidateAll();
    Changed();
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
