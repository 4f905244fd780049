#include "grid_test_support.h"
#include "support/grid_test_access.h"

#include <QScrollBar>
#include <QStyle>

#include <random>

namespace {

// A grid shown with a client area of exactly w x h pixels and sizes easy to reckon with:
// every row 20 pixels high, every column 50 wide.
class Layout : public GridTest {
protected:
    void Make(int rows, int columns, int fixedRows, int fixedColumns, int w = 200, int h = 100)
    {
        MakeUniform(grid, rows, columns, fixedRows, fixedColumns, w, h);
        SetClientSize(w, h);
    }
    void SetClientSize(int w, int h)
    {
        const int frame = 2 * grid.frameWidth();
        grid.resize(w + frame, h + frame);
        grid.UpdateScrollBars();
        ASSERT_EQ(grid.GetClientRect().Width() + BarWidth(2), w);
        ASSERT_EQ(grid.GetClientRect().Height() + BarWidth(1), h);
    }
    int BarWidth(unsigned bar) const
    {
        return (grid.GetScrollBarsShown() & bar) != 0 ? grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    }

    CGridCtrl grid;
};

CRect Rect(CGridCtrl& grid, int row, int column)
{
    CRect r(-9, -9, -9, -9);
    grid.GetCellRect(row, column, &r);
    return r;
}

} // namespace

TEST_F(Layout, SizesAndCellRectangles)
{
    Make(10, 5, 1, 1);
    EXPECT_EQ(grid.GetFixedRowHeight(), 20);
    EXPECT_EQ(grid.GetFixedColumnWidth(), 50);
    EXPECT_EQ(grid.GetTotalHeight(), 200);
    EXPECT_EQ(grid.GetTotalWidth(), 250);
    EXPECT_EQ(Rect(grid, 0, 0), CRect(0, 0, 49, 19));
    EXPECT_EQ(Rect(grid, 1, 1), CRect(50, 20, 99, 39));
    EXPECT_EQ(Rect(grid, 3, 2), CRect(100, 60, 149, 79));
    CRect r;
    EXPECT_FALSE(grid.GetCellRect(10, 0, &r));
    EXPECT_EQ(grid.GetCellOffset(3, 2, CPoint(105, 70)), CPoint(5, 10));
    EXPECT_EQ(grid.GetCellOffset(30, 2, CPoint(105, 70)), CPoint(0, 0));

    // Scrolled by a row and a half: the view starts at the next whole row.
    grid.SetScrollPosition(SB_VERT, 30);
    EXPECT_EQ(grid.GetTopLeftScrolledCell(), CGridCellId(3, 1));
    EXPECT_FALSE(grid.GetCellRect(2, 1, &r));
    EXPECT_EQ(Rect(grid, 3, 1), CRect(50, 20, 99, 39));
    // Fixed cells stay where they are.
    EXPECT_EQ(Rect(grid, 0, 0), CRect(0, 0, 49, 19));
    EXPECT_EQ(Rect(grid, 3, 0), CRect(0, 20, 49, 39));
    EXPECT_TRUE(grid.GetTextRect(3, 1, &r));
    EXPECT_EQ(r, CRect(50, 20, 99, 39));

    // Hidden rows and columns take no room.
    grid.SetScrollPosition(SB_VERT, 0);
    grid.SetColumnWidth(2, 0);
    EXPECT_EQ(Rect(grid, 1, 3), CRect(100, 20, 149, 39));
    EXPECT_EQ(Rect(grid, 1, 2), CRect(100, 20, 99, 39));
    ExpectConsistent(grid);
}

TEST_F(Layout, VisibleRangeEndsWhereTheClientAreaEnds)
{
    Make(10, 5, 1, 1);
    CRect rect;
    EXPECT_EQ(grid.GetVisibleScrolledRange(&rect), CGridCellRange(1, 1, 4, 3));
    EXPECT_EQ(rect, CRect(0, 0, 200 - BarWidth(2), 100 - BarWidth(1)));

    // Rows that end before the client area does.
    CGridCtrl& g = grid;
    g.SetRowCount(3);
    g.UpdateScrollBars();
    EXPECT_EQ(g.GetVisibleScrolledRange(&rect), CGridCellRange(1, 1, 2, 3));
    EXPECT_EQ(rect.bottom, 60);

    // Only the header: no scrolled rows at all.
    g.SetRowCount(1);
    EXPECT_EQ(g.GetVisibleScrolledRange(&rect), CGridCellRange(1, 1, 0, 3));
    EXPECT_EQ(rect.bottom, 20);
}

TEST_F(Layout, CellFromPoint)
{
    Make(10, 5, 1, 1);
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(0, 0)), CGridCellId(0, 0));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(49, 19)), CGridCellId(0, 0));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(50, 20)), CGridCellId(1, 1));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(149, 79)), CGridCellId(3, 2));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(10, 10), false), CGridCellId(-1, -1));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(-1, 30)), CGridCellId(1, -1));
    // Past the last column.
    grid.SetColumnCount(3);
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(150, 30)), CGridCellId(1, -1));

    // After scrolling, points map to the rows now shown.
    grid.SetScrollPosition(SB_VERT, 40);
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(60, 25)), CGridCellId(3, 1));

    // Without a valid top-left cell nothing is hit, not even a header.
    grid.SetRowCount(1);
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(10, 10)), CGridCellId(-1, -1));
    CGridCtrl empty;
    EXPECT_EQ(empty.GetCellFromPoint(CPoint(0, 0)), CGridCellId(-1, -1));
}

TEST_F(Layout, ACellIsVisibleWhileItsTopLeftPixelIs)
{
    Make(10, 8, 1, 1);
    const int width = grid.GetClientRect().Width();
    const int height = grid.GetClientRect().Height();
    // Columns start at 0, 50, 100, ...; rows at 0, 20, 40, ...
    for (int c = 1; c < 8; ++c)
        EXPECT_EQ(grid.IsCellVisible(1, c), 50 * c < width) << c;
    for (int r = 1; r < 10; ++r)
        EXPECT_EQ(grid.IsCellVisible(r, 1), 20 * r < height) << r;
    EXPECT_FALSE(grid.IsCellVisible(10, 1));

    // Only the top-left pixel inside: visible; one pixel further: not.
    grid.SetColumnWidth(2, width - 1 - 100);
    grid.SetRowHeight(3, height - 1 - 60);
    EXPECT_TRUE(grid.IsCellVisible(4, 3));
    grid.SetColumnWidth(2, width - 100);
    EXPECT_FALSE(grid.IsCellVisible(4, 3));
    grid.SetColumnWidth(2, width - 1 - 100);
    grid.SetRowHeight(3, height - 60);
    EXPECT_FALSE(grid.IsCellVisible(4, 3));
    grid.SetRowHeight(3, 20);
    grid.SetColumnWidth(2, 50);

    // Scrolled away above the top-left row.
    grid.SetScrollPosition(SB_VERT, 40);
    EXPECT_FALSE(grid.IsCellVisible(2, 1));
    EXPECT_FALSE(grid.IsCellVisible(2, 0));
    EXPECT_TRUE(grid.IsCellVisible(0, 0));
}

TEST_F(Layout, ScrollBarsShowExactlyWhenNeeded)
{
    const int bar = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Everything fits.
    Make(5, 4, 1, 1, 200, 100);
    EXPECT_EQ(grid.GetScrollBarsShown(), 0u);
    EXPECT_EQ(grid.GetScrollMax(SB_VERT), 0);
    EXPECT_EQ(grid.GetScrollPage(SB_VERT), 0);
    EXPECT_EQ(grid.GetScrollMax(SB_HORZ), 0);

    // One row more than fits: the vertical bar, which leaves the columns too little room.
    grid.SetRowCount(6);
    grid.SetRowHeight(5, 20);
    grid.UpdateScrollBars();
    EXPECT_EQ(grid.GetScrollBarsShown(), 3u);
    EXPECT_EQ(grid.GetScrollMax(SB_VERT), 100 - 1);
    EXPECT_EQ(grid.GetScrollPage(SB_VERT), 100 - bar - 20);
    EXPECT_EQ(grid.GetScrollMax(SB_HORZ), 150 - 1);
    EXPECT_EQ(grid.GetScrollPage(SB_HORZ), 200 - bar - 50);
    // The bar's own range stops where the last page begins.
    EXPECT_EQ(grid.verticalScrollBar()->maximum(), 99 - (100 - bar - 20) + 1);
    EXPECT_EQ(grid.verticalScrollBar()->pageStep(), 100 - bar - 20);
    EXPECT_EQ(grid.GetClientRect(), CRect(0, 0, 200 - bar, 100 - bar));

    // Wide enough for the columns with the vertical bar: only that bar.
    SetClientSize(200 + bar, 100);
    EXPECT_EQ(grid.GetScrollBarsShown(), 2u);
    EXPECT_EQ(grid.GetScrollMax(SB_HORZ), 0);
    EXPECT_EQ(grid.GetScrollPage(SB_HORZ), 0);

    // Narrower than the fixed column: no bars at all, and back again when widened.
    SetClientSize(40, 100);
    EXPECT_EQ(grid.GetScrollBarsShown(), 0u);
    SetClientSize(200 + bar, 100);
    EXPECT_EQ(grid.GetScrollBarsShown(), 2u);

    // The answer does not depend on which bars were shown before.
    SetClientSize(150, 150);
    const unsigned fromNone = grid.GetScrollBarsShown();
    SetClientSize(60, 60);
    SetClientSize(150, 150);
    EXPECT_EQ(grid.GetScrollBarsShown(), fromNone);
}

TEST_F(Layout, EnsureVisibleScrollsTheNewestRowJustIntoView)
{
    Make(1, 4, 1, 0, 400, 100);
    // Rows appended as the log appends them, the view following while the last row shows.
    for (int n = 1; n < 30; ++n) {
        grid.SetRowCount(n + 1);
        grid.SetRowHeight(n, 20);
        grid.UpdateScrollBars();
        const bool follow = grid.IsCellVisible(n - 1, 0);
        EXPECT_TRUE(follow) << n;
        if (follow)
            grid.EnsureVisible(n, 0);
        CRect r = Rect(grid, n, 0);
        EXPECT_LE(r.bottom, grid.GetClientRect().bottom) << n;
        // Just enough: the row above is still in view too.
        EXPECT_TRUE(grid.IsCellVisible(n - 1, 0));
    }
    // Scrolled back up, the newest row is left alone by the log and brought back on request.
    GridTestAccess::VScroll(grid, SB_TOP);
    EXPECT_FALSE(grid.IsCellVisible(28, 0));
    grid.EnsureVisible(29, 0);
    EXPECT_LE(Rect(grid, 29, 0).bottom, grid.GetClientRect().bottom);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), grid.verticalScrollBar()->maximum());

    // Columns too, left and right.
    grid.SetColumnCount(12);
    for (int c = 0; c < 12; ++c)
        grid.SetColumnWidth(c, 50);
    grid.UpdateScrollBars();
    grid.EnsureVisible(5, 11);
    EXPECT_TRUE(grid.IsCellVisible(5, 11));
    EXPECT_LE(Rect(grid, 5, 11).right, grid.GetClientRect().right);
    grid.EnsureVisible(5, 0);
    EXPECT_EQ(Rect(grid, 5, 0).left, 0);
}

TEST_F(Layout, EnsureVisibleEndsWhenTheViewCannotMove)
{
    Make(3, 3, 0, 0, 200, 100);
    // Widths changed without bringing the bars up to date: no bar range to scroll in.
    grid.SetColumnWidth(0, 150);
    grid.SetColumnWidth(1, 150);
    grid.EnsureVisible(0, 1);
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), 0);
}

TEST_F(Layout, AutoSizingTakesTheWidestCellAndLeavesHiddenColumnsHidden)
{
    Make(4, 3, 1, 0);
    grid.SetItemText(0, 0, "Time");
    grid.SetItemText(1, 0, "12:00:01");
    grid.SetItemText(2, 0, "a longer text than the rest");
    grid.SetItemText(0, 1, "A header wider than its data");
    grid.SetItemText(1, 1, "x");
    grid.SetColumnWidth(2, 0);
    grid.SetItemText(1, 2, "hidden");
    const auto extent = [&](int r, int c) { return grid.GetCell(r, c)->GetCellExtent(nullptr).cx; };

    grid.AutoSizeColumns(0);
    EXPECT_EQ(grid.GetColumnWidth(0), extent(2, 0));
    EXPECT_EQ(grid.GetColumnWidth(1), extent(0, 1));
    EXPECT_EQ(grid.GetColumnWidth(2), 0);
    EXPECT_FALSE(grid.AutoSizeColumn(2));
    ExpectConsistent(grid);

    // Headers only, data only, neither.
    EXPECT_TRUE(grid.AutoSizeColumn(0, 1));
    EXPECT_EQ(grid.GetColumnWidth(0), extent(0, 0));
    EXPECT_TRUE(grid.AutoSizeColumn(1, 2));
    EXPECT_EQ(grid.GetColumnWidth(1), extent(1, 1));
    grid.AutoSizeColumn(1, 4);
    EXPECT_EQ(grid.GetColumnWidth(1), 0);
    EXPECT_FALSE(grid.AutoSizeColumn(1));
    EXPECT_FALSE(grid.AutoSizeColumn(7));

    // The widest text shrinking shrinks the column.
    grid.SetItemText(2, 0, "short");
    grid.AutoSizeColumns(0);
    EXPECT_EQ(grid.GetColumnWidth(0), std::max(extent(1, 0), extent(2, 0)));
    ExpectConsistent(grid);
}

namespace {

// The walks as written out plainly, cell by cell, for comparison with the indexed answers.
struct PlainWalk {
    CGridCtrl& g;
    int Pos(int bar) const { return g.GetScrollPosition(bar); }
    CGridCellId TopLeft() const
    {
        int c = g.GetFixedColumnCount();
        for (int sum = 0; sum < Pos(SB_HORZ) && c < g.GetColumnCount() - 1; ++c)
            sum += g.GetColumnWidth(c);
        int r = g.GetFixedRowCount();
        for (int sum = 0; sum < Pos(SB_VERT) && r < g.GetRowCount() - 1; ++r)
            sum += g.GetRowHeight(r);
        return {r, c};
    }
    CGridCellRange Visible() const
    {
        const CGridCellId tl = TopLeft();
        const CRect client = g.GetClientRect();
        int bottom = g.GetFixedRowHeight();
        int r = tl.row;
        for (; r < g.GetRowCount(); ++r) {
            bottom += g.GetRowHeight(r);
            if (bottom >= client.bottom)
                break;
        }
        int right = g.GetFixedColumnWidth();
        int c = tl.col;
        for (; c < g.GetColumnCount(); ++c) {
            right += g.GetColumnWidth(c);
            if (right >= client.right)
                break;
        }
        return {tl.row, tl.col, std::min(r, g.GetRowCount() - 1), std::min(c, g.GetColumnCount() - 1)};
    }
    int Locate(int x, bool rows, bool allowFixed) const
    {
        const auto size = [&](int i) { return rows ? g.GetRowHeight(i) : g.GetColumnWidth(i); };
        const int fixed = rows ? g.GetFixedRowCount() : g.GetFixedColumnCount();
        const int count = rows ? g.GetRowCount() : g.GetColumnCount();
        const int fixedSize = rows ? g.GetFixedRowHeight() : g.GetFixedColumnWidth();
        if (x < 0)
            return -1;
        if (x < fixedSize) {
            if (!allowFixed)
                return -1;
            int i = 0;
            for (int sum = size(0); sum <= x; sum += size(++i)) {
            }
            return i;
        }
        int i = rows ? TopLeft().row : TopLeft().col;
        for (int edge = fixedSize; i < count; ++i) {
            edge += size(i);
            if (x < edge)
                return i;
        }
        (void)fixed;
        return -1;
    }
};

} // namespace

TEST_F(Layout, IndexedGeometryGivesThePlainWalksAnswers)
{
    Make(60, 9, 2, 1, 230, 170);
    std::mt19937 rng(5);
    for (int r = 0; r < 60; ++r)
        grid.SetRowHeight(r, rng() % 4 == 0 ? 0 : static_cast<int>(rng() % 30));
    for (int c = 0; c < 9; ++c)
        grid.SetColumnWidth(c, rng() % 5 == 0 ? 0 : static_cast<int>(rng() % 80));
    grid.UpdateScrollBars();
    PlainWalk plain{grid};
    for (int step = 0; step < 200; ++step) {
        grid.SetScrollPosition(SB_VERT, static_cast<int>(rng() % 1200));
        grid.SetScrollPosition(SB_HORZ, static_cast<int>(rng() % 500));
        ASSERT_EQ(grid.GetTopLeftScrolledCell(), plain.TopLeft()) << step;
        ASSERT_EQ(grid.GetVisibleScrolledRange(), plain.Visible()) << step;
        const CPoint p(static_cast<int>(rng() % 260) - 10, static_cast<int>(rng() % 200) - 10);
        const bool allowFixed = rng() % 2 == 0;
        ASSERT_EQ(grid.GetCellFromPoint(p, allowFixed),
                  CGridCellId(plain.Locate(p.y, true, allowFixed), plain.Locate(p.x, false, allowFixed)))
            << step << " at " << p.x << "," << p.y;
    }
    ExpectConsistent(grid);
}
