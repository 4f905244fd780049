#pragma once

#include "app/row_filter.h"
#include "log/session_row.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

class CGridCtrl;

// What the log shows and how much of it it keeps.
struct LogDisplay {
    bool showSent = false;         // sent commands as rows of their own, marked "Sent: "
    bool showMilliseconds = false; // HH:MM:SS.mmm in the time column
    int scrollback = 1'000'000;    // rows kept; older ones leave the log (never the session file)
    bool hexBytes = false;         // Encoded and Data as "01 14 14 02 D7" rather than "1, 20, 20, 2, 215"
    bool sincePrevious = false;    // the time column adds "+12 ms": the time since the previous shown row
};

// The response log in its grid: a header row "Time", "Encoded", "Data", "Description" and one row
// per received packet or line error, plus sent commands when they are shown, and port events and
// notes about unreadable lines in a reopened session. Rows are added in batches; after each batch
// the oldest rows beyond the scrollback leave, the columns fit their widest texts, the view follows
// the new rows only if the last row before them was in view, and the grid is redrawn once.
class CResponseLog {
public:
    explicit CResponseLog(CGridCtrl& grid);
    ~CResponseLog();

    void SetUp();
    // Changing what is shown or how the time reads redraws every row kept.
    void SetDisplay(const LogDisplay& display);
    const LogDisplay& Display() const { return m_display; }

    // The grid makes each row of a batch as it comes and updates its layout once, at the batch's end.
    void BeginBatch();
    void Add(const SessionRow& row);
    // A line of text in the encoded column that is no recorded row (an unreadable line of a file).
    void AddNote(const std::string& text);
    void EndBatch();

    // A note as the first row whose text can change (how far the loading of a file has come):
    // made when the log is empty, its text replaced while the first row is a note; false when the
    // first row is another. Outside a batch, as is RemoveLeadingNote.
    bool SetLeadingNote(const std::string& text);
    void RemoveLeadingNote();
    // Whether a batch scrolls to its new rows when the last row was in view before (on at first,
    // as the live log follows its device).
    void SetFollowNewRows(bool follow) { m_follow = follow; }

    // Every data row goes; the header stays, and the columns keep their widths until the next row.
    void Clear();

    // The grid rows (first, last) shown for the time from..to; when none falls in it, the shown row
    // nearest before it (or the first after). Nothing when no row is shown.
    std::optional<std::pair<int, int>> RowsBetween(RowTime from, RowTime to) const;

    // Rows kept, shown or not.
    std::size_t KeptRows() const { return m_entries.size(); }
    // Rows the scrollback has dropped since the last Clear.
    std::size_t DroppedRows() const { return m_dropped; }
    // Received rows since the last Clear that tell of a fault: a checksum error, a broken frame, a
    // line error. Counted as they come, so rows the scrollback dropped still count.
    std::size_t ErrorRows() const { return m_errors; }
    // Called after every batch that changed the rows, and after Clear.
    void OnChange(std::function<void()> changed) { m_changed = std::move(changed); }
    // The rows the log shows now, as they were recorded; notes are no rows and are left out.
    std::vector<SessionRow> ShownRows() const;
    // The recorded row on this grid row; nothing for a note, the header or no row.
    std::optional<SessionRow> RowAt(int gridRow) const;

    // Shows only the rows the filter passes (notes always show). The others stay in the log and
    // in the grid, at zero height, and come back when the filter passes them again; rows added
    // later are judged as they come. One pass over the rows, outside a batch.
    void SetFilter(RowFilter filter);
    const RowFilter& Filter() const { return m_filter; }
    // The rows the display lists (sent commands only when shown; notes never count), and how
    // many of them the filter passes.
    std::size_t ListedRows() const;
    std::size_t PassedRows() const { return ListedRows() - m_filteredOut; }

private:
    // Received rows keep their texts in the grid alone; the others keep them here, since they
    // may be hidden and shown again.
    struct Entry {
        RowTime time;
        RowDirection direction;
        bool note;
        // Which of the grid's Encoded and Data texts are shown in hexadecimal, to be read back.
        std::uint8_t hexColumns = 0;
        std::shared_ptr<const SessionRow> kept;
    };

    static bool IsShown(const Entry& entry, bool showSent);
    void Show(Entry& entry, const SessionRow& row);
    std::string TimeText(const Entry& entry);
    // The Encoded or Data column's text, in hexadecimal when the display asks and the text is bytes:
    // the row's own text when it is shown as it is, else one made in `made` (a copy per row is
    // what a long load can least afford).
    std::string_view BytesText(Entry& entry, int column, std::string_view prefix, const std::string& text, std::string& made);
    void Changed() const;
    // Whether the filter passes the entry on this grid row.
    bool Passes(const Entry& entry, int gridRow) const;
    // The grid row's height for the filter's verdict on it.
    int FilteredHeight(bool passes) const;
    SessionRow RowOf(const Entry& entry, int gridRow) const;
    void Trim();
    void Redraw(bool shownBefore);
    CGridCtrl& m_grid;
    LogDisplay m_display;
    std::deque<Entry> m_entries;
    bool m_follow = true;
    bool m_followEnd = false;
    int m_added = 0; // rows added or changed in this batch
    std::optional<std::int64_t> m_previousShownMs; // the time of the last row shown, for sincePrevious
    std::size_t m_dropped = 0;
    std::size_t m_errors = 0;
    std::function<void()> m_changed;

    // Filtering hides rows at zero height in the grid: the grid stays general-purpose, draws,
    // scrolls, walks by key and copies past them through its running sums at no cost per hidden
    // row, and the log keeps no per-row state for it. Received rows keep their texts in the grid
    // alone, so hiding, not removing, is what lets them come back.
    RowFilter m_filter;
    std::size_t m_filteredOut = 0; // grid rows the filter hides
    std::size_t m_noteRows = 0;    // grid rows that are notes
    int m_lastPassed = 0;          // the last grid row the filter passes (below the header: none)
};
