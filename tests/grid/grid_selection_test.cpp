#include "grid_input_support.h"
#include "support/grid_test_access.h"

#include "platform/ole_data_source.h"

namespace {

using Selection = GridInput;

} // namespace

TEST_F(Selection, NotificationsCarryTheGridAndItsControlId)
{
    Build(5, 3, 1, 0);
    grid.SetFocusCell(2, 1);
    grid.SetFocusCell(3, 2);
    EXPECT_EQ(notes, (decltype(notes){{LVN_ITEMCHANGED, {2, 1}},
                                      {LVN_ITEMCHANGING, {2, 1}},
                                      {LVN_ITEMCHANGED, {3, 2}}}));
}

TEST_F(Selection, AHeaderOnlyGridHasNeitherFocusNorSelection)
{
    Build(1, 4, 1, 0);
    grid.SelectAll();
    EXPECT_FALSE(grid.IsValid(grid.GetSelectedCellRange()));
    EXPECT_TRUE(Selected().empty());
    // Raised out of the header the cell would not exist.
    grid.SetFocusCell(0, 2);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    grid.SetRowCount(3);
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    EXPECT_FALSE(grid.GetCell(1, 2)->IsFocused());
    EXPECT_TRUE(notes.empty());
}

TEST_F(Selection, SpansRunFromTheAnchorAndStayOutOfTheHeaders)
{
    Build(10, 5, 1, 1);
    grid.SetSelectionStartCell(CGridCellId(5, 1));
    grid.SelectCellSpan(CGridCellId(2, 3), false, true);
    EXPECT_EQ(Selected(), Block(2, 1, 5, 3));

    grid.SelectRowSpan(CGridCellId(7, 2), false, true);
    EXPECT_EQ(Selected(), Block(5, 1, 7, 4));
    grid.SelectColumnSpan(CGridCellId(3, 2), false, true);
    EXPECT_EQ(Selected(), Block(1, 1, 9, 2));

    // Header cells and cells that do not exist change nothing.
    grid.SelectCellSpan(CGridCellId(0, 2), false, true);
    grid.SelectCellSpan(CGridCellId(4, 0), false, true);
    grid.SelectRowSpan(CGridCellId(0, 2), false, true);
    grid.SelectColumnSpan(CGridCellId(4, 0), false, true);
    grid.SelectCellSpan(CGridCellId(10, 2), false, true);
    EXPECT_EQ(Selected(), Block(1, 1, 9, 2));

    // Deselecting a span leaves the rest.
    grid.SelectCellSpan(CGridCellId(3, 2), false, false);
    std::set<CGridCellId> expected = Block(1, 1, 9, 2);
    for (const CGridCellId& cell : Block(3, 1, 5, 2))
        expected.erase(cell);
    EXPECT_EQ(Selected(), expected);

    // Without an anchor a span is the cell itself.
    grid.SetSelectionStartCell(CGridCellId());
    grid.SelectCellSpan(CGridCellId(6, 3), false, true);
    EXPECT_EQ(Selected(), Block(6, 3, 6, 3));
    ExpectConsistent(grid);
}

TEST_F(Selection, ClearingRepaintsWhatWasSelectedAndDropsTheFocus)
{
    Build(10, 4, 1, 0);
    grid.SetFocusCell(3, 1);
    grid.SelectRange(2, 1, 4, 2, false, true);
    GridTestAccess::Validate(grid);
    grid.ClearSelection();
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    CRect dirty;
    ASSERT_TRUE(GridTestAccess::UpdateRect(grid, &dirty));
    for (const CGridCellId& cell : Block(2, 1, 4, 2)) {
        CRect r;
        grid.GetCellRect(cell.row, cell.col, &r);
        EXPECT_TRUE(dirty.left <= r.left && dirty.top <= r.top && dirty.right > r.right && dirty.bottom > r.bottom);
    }
    const CGridCellRange empty = grid.GetSelectedCellRange();
    EXPECT_EQ(empty, CGridCellRange(10, 4, -1, -1));
    EXPECT_FALSE(grid.IsValid(empty));
}

TEST_F(Selection, SelectionIsRepaintedAsItChanges)
{
    Build(10, 4, 1, 0);
    grid.SelectRange(1, 0, 1, 0, false, true);
    GridTestAccess::Validate(grid);
    grid.SelectRange(5, 2, 5, 2, true, true);
    CRect dirty;
    ASSERT_TRUE(GridTestAccess::UpdateRect(grid, &dirty));
    CRect left;
    CRect joined;
    grid.GetCellRect(1, 0, &left);
    grid.GetCellRect(5, 2, &joined);
    EXPECT_LE(dirty.top, left.top);
    EXPECT_GT(dirty.bottom, joined.bottom);
}

// Rows 65,536 apart are different cells.
TEST_F(Selection, RowsFarApartAreSelectedApart)
{
    CGridCtrl log(65540, 2, 1, 0);
    const int far = 65537;
    log.SetItemState(1, 0, GRIDSTATE_SELECTED);
    log.SetItemState(far, 0, GRIDSTATE_SELECTED);
    EXPECT_EQ(log.GetSelectedCellRange(), CGridCellRange(1, 0, far, 0));
    log.SetItemState(far, 0, 0);
    EXPECT_TRUE(log.IsCellSelected(1, 0));
    EXPECT_EQ(log.GetSelectedCellRange(), CGridCellRange(1, 0, 1, 0));

    log.SelectRange(far, 0, far + 1, 1, false, true);
    EXPECT_FALSE(log.IsCellSelected(1, 0));
    EXPECT_FALSE(log.IsCellSelected(2, 1));
    EXPECT_EQ(log.GetSelectedCellRange(), CGridCellRange(far, 0, far + 1, 1));

    log.SetItemState(1, 1, GRIDSTATE_SELECTED);
    log.ClearSelection();
    EXPECT_FALSE(log.IsCellSelected(1, 1));
    EXPECT_FALSE(log.IsCellSelected(far, 1));
    EXPECT_FALSE(log.IsValid(log.GetSelectedCellRange()));
}

TEST_F(Selection, RemovedCellsLeaveTheSelection)
{
    Build(10, 4, 1, 0);
    grid.SelectRange(5, 0, 9, 3, false, true);
    grid.SetRowCount(7);
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(5, 0, 6, 3));
    grid.DeleteAllItems();
    EXPECT_FALSE(grid.IsValid(grid.GetSelectedCellRange()));
}
