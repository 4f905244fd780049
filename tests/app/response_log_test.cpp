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
    log.BeginBatch(100);
    for (int n = 1; n <= 3; ++n)
        log.Add(Row(n));
    log.EndBatch();
    ExpectRows(1, 3);

    log.BeginBatch();
    for (int n = 4; n <= 5000; ++n)
        log.Add(Row(n));
    log.EndBatch();
    ExpectRows(1, 5000);

    log.BeginBatch(10);
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
    log.BeginBatch(2000);
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
