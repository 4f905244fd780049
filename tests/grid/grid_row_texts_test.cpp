// A whole row's texts set in one call, as a log adds its rows, and the view brought far ahead to
// a new row in one move: each must leave what the cell-by-cell and line-by-line ways leave.
#include "grid_test_support.h"

#include <QScrollBar>

#include <string_view>

namespace {

std::vector<std::string> RowTexts(const CGridCtrl& grid, int row)
{
    std::vector<std::string> texts;
    for (int c = 0; c < grid.GetColumnCount(); ++c)
        texts.push_back(grid.GetItemText(row, c));
    return texts;
}

} // namespace

TEST_F(GridTest, ARowsTextsSetAtOnceAreThoseSetOneByOne)
{
    CGridCtrl grid(1, 4, 1, 0);
    grid.SetItemText(0, 0, "Time");
    grid.SetRowCount(6);
    // A cell with an object of its own (asked for by pointer, coloured) among plain ones.
    CGridCellBase* coloured = grid.GetCell(2, 1);
    ASSERT_NE(coloured, nullptr);
    ASSERT_TRUE(grid.SetItemTextColour(2, 1, RGB(1, 2, 3)));
    // Sized once already, as a log is: the new texts must be measured again.
    grid.AutoSizeColumns(0);

    const std::string_view texts[] = {"12:00:01", "1, 20, 20, 2, 215", "20, 20", "Query Device ID"};
    for (int row : {1, 2, 5})
        ASSERT_TRUE(grid.SetRowTexts(row, texts));
    for (int row : {1, 2, 5})
        EXPECT_EQ(RowTexts(grid, row), (std::vector<std::string>{texts, texts + 4}));
    EXPECT_STREQ(coloured->GetText(), "1, 20, 20, 2, 215");
    EXPECT_EQ(grid.GetCell(2, 1), coloured);

    // Fewer texts than columns leave the rest; a text ends at its NUL, as a C string does.
    const std::string withNul("ab\0cd", 5);
    const std::string_view two[] = {withNul, ""};
    ASSERT_TRUE(grid.SetRowTexts(5, two));
    EXPECT_EQ(RowTexts(grid, 5), (std::vector<std::string>{"ab", "", "20, 20", "Query Device ID"}));

    // Texts read from the same row may be written back to it, crossed over.
    const std::string_view crossed[] = {grid.GetItemTextView(1, 3), grid.GetItemTextView(1, 0)};
    ASSERT_TRUE(grid.SetRowTexts(1, crossed));
    EXPECT_EQ(RowTexts(grid, 1), (std::vector<std::string>{"Query Device ID", "12:00:01", "20, 20", "Query Device ID"}));

    // Bad rows and too many texts change nothing.
    const std::string_view five[] = {"a", "b", "c", "d", "e"};
    EXPECT_FALSE(grid.SetRowTexts(3, five));
    EXPECT_FALSE(grid.SetRowTexts(6, texts));
    EXPECT_FALSE(grid.SetRowTexts(-1, texts));
    EXPECT_EQ(RowTexts(grid, 3), (std::vector<std::string>{"", "", "", ""}));

    // The columns size to the new texts as they do to texts set one by one.
    CGridCtrl single(1, 4, 1, 0);
    single.SetItemText(0, 0, "Time");
    single.SetRowCount(6);
    single.AutoSizeColumns(0);
    for (int c = 0; c < 4; ++c) {
        for (int row : {1, 2, 5})
            single.SetItemText(row, c, std::string(texts[c]));
    }
    grid.SetRowTexts(1, texts);
    grid.SetRowTexts(5, texts);
    grid.AutoSizeColumns(0);
    single.AutoSizeColumns(0);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(grid.GetColumnWidth(c), single.GetColumnWidth(c)) << c;
    ExpectConsistent(grid);
}

TEST_F(GridTest, ARowsTextsAskForTheRowToBeRepaintedOnlyWhenItIsInView)
{
    CGridCtrl grid;
    MakeUniform(grid, 40, 4, 1, 0, 200, 100);
    GridTestAccess::Validate(grid);
    const std::string_view texts[] = {"a", "b", "c", "d"};

    // Row 2 shows 40 pixels down: its band across the view is what is asked for.
    ASSERT_TRUE(grid.SetRowTexts(2, texts));
    CRect dirty;
    ASSERT_TRUE(GridTestAccess::UpdateRect(grid, &dirty));
    EXPECT_EQ(dirty.top, 40);
    EXPECT_EQ(dirty.bottom, 60);
    EXPECT_EQ(dirty.left, 0);
    EXPECT_GE(dirty.right, 4 * 50 < grid.GetClientRect().right ? 4 * 50 : grid.GetClientRect().right);

    // A row below the view costs no repaint.
    GridTestAccess::Validate(grid);
    ASSERT_TRUE(grid.SetRowTexts(30, texts));
    EXPECT_FALSE(GridTestAccess::UpdateRect(grid, &dirty));
}

// Rows of mixed heights (some hidden), a fixed header, and views starting anywhere (between row
// edges too, and near the bar's end): the view brought to a row below it lands where one
// SB_LINEDOWN per row in between, then the rest of EnsureVisible, brings it.
TEST_F(GridTest, EnsureVisibleFarAheadLandsWhereScrollingLineByLineDoes)
{
    const auto make = [](CGridCtrl& grid) {
        MakeUniform(grid, 300, 3, 1, 0, 150, 120);
        for (int r = 1; r < 300; ++r)
            grid.SetRowHeight(r, r % 7 == 0 ? 0 : 12 + (r * 5) % 17);
        grid.UpdateScrollBars();
    };
    for (int start : {0, 7, 100, 2000, 4400}) {
        for (int target : {3, 40, 150, 298, 299}) {
            CGridCtrl jump;
            CGridCtrl stepped;
            make(jump);
            make(stepped);
            jump.SetScrollPosition(SB_VERT, start);
            stepped.SetScrollPosition(SB_VERT, start);

            const CGridCellRange visible = stepped.GetVisibleScrolledRange();
            // Rows above the view are reached a line at a time as ever.
            if (target <= visible.maxRow)
                continue;
            jump.EnsureVisible(target, 0);

            for (int r = visible.maxRow + 1; r <= target; ++r) {
                if (stepped.GetRowHeight(r) > 0)
                    GridTestAccess::VScroll(stepped, SB_LINEDOWN);
            }
            // Then on until the row's bottom shows, while the view moves.
            CRect rect;
            while (stepped.GetCellRect(target, 0, &rect) && rect.bottom > stepped.GetClientRect().bottom
                   && rect.top > stepped.GetFixedRowHeight()) {
                const int before = stepped.GetScrollPosition(SB_VERT);
                GridTestAccess::VScroll(stepped, SB_LINEDOWN);
                if (stepped.GetScrollPosition(SB_VERT) == before)
                    break;
            }
            EXPECT_EQ(jump.GetScrollPosition(SB_VERT), stepped.GetScrollPosition(SB_VERT))
                << "from " << start << " to row " << target;
            EXPECT_EQ(jump.GetTopLeftScrolledCell(), stepped.GetTopLeftScrolledCell());
        }
    }
}
