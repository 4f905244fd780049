#include "grid_test_support.h"
#include "support/log_grid.h"

#include <random>

namespace {

// The widest extent of a column's cells, measured afresh as the plain walk would.
int FreshWidth(CGridCtrl& grid, int column, int style = 3)
{
    const int first = (style & 1) != 0 ? 0 : grid.GetFixedRowCount();
    const int last = (style & 2) != 0 ? grid.GetRowCount() - 1 : grid.GetFixedRowCount() - 1;
    int widest = 0;
    for (int r = first; r <= last; ++r) {
        if (CGridCellBase* cell = grid.GetCell(r, column))
            widest = std::max(widest, cell->GetCellExtent(nullptr).cx);
    }
    return widest;
}

void ExpectFreshWidths(CGridCtrl& grid, int style = 3)
{
    for (int c = 0; c < grid.GetColumnCount(); ++c) {
        if (grid.GetColumnWidth(c) > 0) {
            EXPECT_EQ(grid.GetColumnWidth(c), FreshWidth(grid, c, style)) << "column " << c;
        }
    }
}

} // namespace

TEST_F(GridTest, ColumnWidthsMatchFreshMeasurementThroughALogsLife)
{
    CGridCtrl grid;
    SetUpLogGrid(grid);
    ExpectFreshWidths(grid);

    std::mt19937 rng(3);
    const auto text = [&rng] { return std::string(rng() % 40, static_cast<char>('a' + rng() % 26)); };
    for (int n = 1; n <= 300; ++n) {
        grid.SetRowCount(n + 1);
        for (int c = 0; c < 4; ++c)
            grid.SetItemText(n, c, text());
        grid.AutoSizeColumns(0);
        if (n % 25 == 0) {
            ExpectFreshWidths(grid);
            ExpectConsistent(grid);
        }
    }

    // The widest cell of a column shrinks: so does the column.
    int widestRow = 1;
    for (int r = 1; r <= 300; ++r) {
        if (grid.GetCell(r, 1)->GetCellExtent(nullptr).cx > grid.GetCell(widestRow, 1)->GetCellExtent(nullptr).cx)
            widestRow = r;
    }
    const int before = grid.GetColumnWidth(1);
    grid.GetCell(widestRow, 1)->SetText(""); // straight to the cell, past the grid
    grid.AutoSizeColumns(0);
    EXPECT_LE(grid.GetColumnWidth(1), before);
    ExpectFreshWidths(grid);
    ExpectConsistent(grid);

    // Margins, templates, fixed rows, the font: every change reaches the widths.
    grid.GetCell(7, 2)->SetMargin(40);
    grid.AutoSizeColumns(0);
    ExpectFreshWidths(grid);
    grid.GetDefaultCell(false, false)->SetMargin(9);
    grid.AutoSizeColumns(0);
    ExpectFreshWidths(grid);
    grid.SetFixedRowCount(3);
    grid.AutoSizeColumns(1);
    ExpectFreshWidths(grid, 1);
    grid.AutoSizeColumns(2);
    ExpectFreshWidths(grid, 2);
    ExpectConsistent(grid);
    QFont font("DejaVu Sans");
    font.setPixelSize(17);
    grid.setFont(font);
    grid.AutoSizeColumns(0);
    ExpectFreshWidths(grid);
    ExpectConsistent(grid);

    // Cleared and refilled.
    grid.SetRowCount(1);
    grid.AutoSizeColumns(0);
    ExpectFreshWidths(grid);
    grid.SetRowCount(50);
    grid.SetColumnCount(6);
    grid.AutoSizeColumns(0);
    ExpectFreshWidths(grid);
    ExpectConsistent(grid);
    // The header keeps the height it was made with; the new rows take the new font's.
    EXPECT_EQ(grid.GetTotalHeight(), grid.GetRowHeight(0) + 49 * grid.GetDefaultCell(false, false)->GetHeight());
}

TEST_F(GridTest, RowsMadeAndDroppedWithoutSizingDoNotPileUp)
{
    CGridCtrl grid(1, 2);
    for (int round = 0; round < 40; ++round) {
        grid.SetRowCount(400);
        grid.SetRowCount(1);
    }
    grid.SetRowCount(5);
    grid.SetItemText(4, 1, "still measured right");
    grid.AutoSizeColumns(0);
    ExpectFreshWidths(grid);
    ExpectConsistent(grid);
}
