#include "app/response_log.h"
#include "support/grid_test_access.h"
#include "grid/grid_ctrl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

SessionRow Row(int n, RowDirection direction = RowDirection::Received)
{
    return {RowTime::Local(std::chrono::system_clock::now()), direction, "1, 20, " + std::to_string(n), std::to_string(n),
            "Row " + std::to_string(n)};
}

class ResponseLog : public ::testing::Test {
protected:
    void SetUp() override { log.SetUp(); }
    // Every data row holds its row's texts, and no row is left empty.
    void ExpectRows(int first, int last)
    {
        ASSERT_EQ(grid.GetRowCount(), 1 + last - first + 1);
        for (int r = 1; r < grid.GetRowCount(); ++r)
            ASSERT_EQ(grid.GetItemText(r, 3), "Row " + std::to_string(first + r - 1)) << r;
        EXPECT_EQ(GridTestAccess::CheckIndexes(grid), "");
    }

    CGridCtrl grid;
    CResponseLog log{grid};
};

} // namespace

// A batch grows the grid in steps ahead of its rows; the rows it did not fill go at its end,
// whether the batch brought fewer rows than announced, more, or rows came outside a batch.
TEST_F(ResponseLog, BatchesLeaveExactlyTheirRows)
{
    log.BeginBatch();
    for (int n = 1; n <= 3; ++n)
        log.Add(Row(n));
    log.EndBatch();
    ExpectRows(1, 3);

    log.BeginBatch();
    for (int n = 4; n <= 5000; ++n)
        log.Add(Row(n));
    log.EndBatch();
    ExpectRows(1, 5000);

    log.BeginBatch();
    log.EndBatch();
    ExpectRows(1, 5000);

    log.Add(Row(5001));
    log.AddNote("a note");
    EXPECT_EQ(grid.GetRowCount(), 5003);
    EXPECT_EQ(grid.GetItemText(5002, 1), "a note");
}

// Sent rows hidden and shown again redraw every row, and the scrollback trims a grown batch to
// whole rows.
TEST_F(ResponseLog, RedrawAndScrollbackKeepWholeRows)
{
    log.SetDisplay({false, false, 1000});
    log.BeginBatch();
    for (int n = 1; n <= 1500; ++n)
        log.Add(Row(n, n % 3 == 0 ? RowDirection::Sent : RowDirection::Received));
    log.EndBatch();
    const int shown = grid.GetRowCount() - 1;
    EXPECT_EQ(static_cast<std::size_t>(shown), log.ShownRows().size());
    EXPECT_EQ(grid.GetItemText(shown, 3), "Row 1499");
    log.SetDisplay({true, false, 1000});
    EXPECT_EQ(static_cast<std::size_t>(grid.GetRowCount() - 1), log.KeptRows());
    EXPECT_EQ(grid.GetItemText(grid.GetRowCount() - 1, 3), "Row 1500");
    EXPECT_EQ(GridTestAccess::CheckIndexes(grid), "");
}

namespace {

RowFilter TextFilter(const char* text)
{
    std::string error;
    return {*CTextRule::Make(text, false, false, error), false, false, false, std::nullopt};
}

int ShownHeight(const CGridCtrl& grid)
{
    int height = 0;
    for (int r = grid.GetFixedRowCount(); r < grid.GetRowCount(); ++r)
        height += grid.GetRowHeight(r);
    return height;
}

} // namespace

// The filter's counts and hidden rows stay right through everything else the log does: rows that
// leave the scrollback, sent rows shown and hidden again, notes, and rows asked for by grid row.
TEST_F(ResponseLog, FilterKeepsItsCountsThroughTrimRedrawAndNotes)
{
    log.SetDisplay({false, false, 100});
    log.SetFilter(TextFilter("row 1"));
    log.BeginBatch();
    for (int n = 1; n <= 150; ++n)
        log.Add(Row(n, n % 10 == 0 ? RowDirection::Sent : RowDirection::Received));
    log.EndBatch();
    // 100 rows were kept, less a hundredth; the display hides the ten sent among them.
    ASSERT_EQ(log.KeptRows(), 99u);
    const std::size_t listed = log.ListedRows();
    EXPECT_EQ(listed, 99u - 10u);
    // Kept are rows 52 to 150: "Row 1" is in 100 to 150, less the sent 100, 110, 120, 130, 140, 150.
    EXPECT_EQ(log.PassedRows(), 45u);
    EXPECT_EQ(ShownHeight(grid), 45 * grid.GetDefaultCell(false, false)->GetHeight());
    EXPECT_EQ(GridTestAccess::CheckIndexes(grid), "");

    log.SetDisplay({true, false, 100});
    EXPECT_EQ(log.ListedRows(), 99u);
    EXPECT_EQ(log.PassedRows(), 51u);
    const std::optional<SessionRow> row = log.RowAt(grid.GetRowCount() - 1);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->description, "Row 150");
    EXPECT_EQ(row->direction, RowDirection::Sent);

    log.SetDisplay({false, false, 100});
    log.AddNote("a note");
    EXPECT_EQ(log.ListedRows(), 89u);
    EXPECT_EQ(log.PassedRows(), 45u);
    EXPECT_GT(grid.GetRowHeight(grid.GetRowCount() - 1), 0);
    EXPECT_FALSE(log.RowAt(grid.GetRowCount() - 1));
    EXPECT_EQ(log.RowAt(grid.GetRowCount() - 2)->description, "Row 149");

    log.SetFilter({});
    EXPECT_EQ(log.PassedRows(), 89u);
    EXPECT_EQ(log.ShownRows().size(), 89u);
    log.Clear();
    EXPECT_EQ(log.ListedRows(), 0u);
    EXPECT_EQ(log.PassedRows(), 0u);
}
