// Cells kept without objects until one is asked for: what the pointer handed out promises, and
// attributes set on a few cells among many plain ones.
#include "grid_test_support.h"
#include "support/grid_test_access.h"

#include "platform/device_context.h"

#include <QImage>
#include <QPainter>

using namespace test_colours;

TEST_F(GridTest, ACellAskedForByPointerStaysThatCellAndFollowsTheGrid)
{
    CGridCtrl grid(6, 3, 1, 0);
    grid.SetItemText(3, 1, "before");
    CGridCellBase* cell = grid.GetCell(3, 1);
    ASSERT_NE(cell, nullptr);
    EXPECT_STREQ(cell->GetText(), "before");

    // Rows arrive, other cells change, the headers move: the pointer holds.
    grid.SetRowCount(2000);
    for (int r = 1; r < 2000; r += 7)
        grid.SetItemText(r, 2, "row " + std::to_string(r));
    grid.SetFixedColumnCount(1);
    grid.SetItemText(3, 1, "after");
    grid.SetFocusCell(3, 1);
    grid.SelectAll();
    EXPECT_EQ(grid.GetCell(3, 1), cell);
    EXPECT_STREQ(cell->GetText(), "after");
    EXPECT_TRUE(cell->IsFocused());
    EXPECT_EQ(cell->GetState(), grid.GetItemState(3, 1));
    EXPECT_NE(cell->GetState() & GRIDSTATE_SELECTED, 0u);

    // What is done through the pointer is what the grid answers.
    grid.ClearSelection();
    cell->SetState(cell->GetState() | GRIDSTATE_SELECTED);
    EXPECT_TRUE(grid.IsCellSelected(3, 1));
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(3, 1, 3, 1));
    cell->SetText("through the pointer");
    EXPECT_EQ(grid.GetItemText(3, 1), "through the pointer");
    grid.AutoSizeColumns(0);
    ExpectConsistent(grid);

    // Its column going takes it; the same place then holds a fresh plain cell.
    grid.SetColumnCount(1);
    grid.SetColumnCount(3);
    EXPECT_EQ(grid.GetItemText(3, 1), "");
    EXPECT_FALSE(grid.IsCellSelected(3, 1));
    ExpectConsistent(grid);
}

TEST_F(GridTest, AttributesSetOnACellAmongPlainOnesAreKeptAndDrawn)
{
    CGridCtrl grid;
    MakeUniform(grid, 6, 3, 1, 0, 150, 120);
    for (int r = 1; r < 6; ++r) {
        for (int c = 0; c < 3; ++c)
            grid.SetItemText(r, c, "");
    }
    const COLORREF marked = RGB(1, 200, 3);
    ASSERT_TRUE(grid.SetItemBackColour(2, 1, marked));
    ASSERT_TRUE(grid.SetItemState(4, 2, grid.GetItemState(4, 2) | GRIDSTATE_READONLY));
    // Setting what a cell inherits anyway changes nothing.
    ASSERT_TRUE(grid.SetItemTextColour(3, 0, CLR_DEFAULT));
    grid.SetRowCount(40);
    grid.SetItemText(2, 1, "still marked");

    EXPECT_EQ(grid.GetCell(2, 1)->GetBackColour(), marked);
    EXPECT_EQ(grid.GetItemState(4, 2) & GRIDSTATE_READONLY, static_cast<unsigned>(GRIDSTATE_READONLY));
    EXPECT_EQ(grid.GetItemState(3, 2) & GRIDSTATE_READONLY, 0u);
    EXPECT_EQ(grid.GetItemText(2, 1), "still marked");

    // A cell drawn on its own fills its background with its own colour.
    QImage image(grid.viewport()->size(), QImage::Format_RGB32);
    image.fill(0);
    {
        QPainter painter(&image);
        CDC dc(&painter);
        ASSERT_TRUE(GridTestAccess::DrawCellNow(grid, 2, 1, &dc));
        ASSERT_TRUE(GridTestAccess::DrawCellNow(grid, 2, 2, &dc));
    }
    CRect markedRect;
    CRect plainRect;
    ASSERT_TRUE(grid.GetCellRect(2, 1, &markedRect));
    ASSERT_TRUE(grid.GetCellRect(2, 2, &plainRect));
    EXPECT_EQ(image.pixel(markedRect.left + 2, markedRect.top + 1), ToQColor(marked).rgb());
    EXPECT_EQ(image.pixel(plainRect.left + 2, plainRect.top + 1), ToQColor(kWindow).rgb());
    ExpectConsistent(grid);
}
