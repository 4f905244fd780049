#include "grid_input_support.h"
#include "support/grid_test_access.h"

#include "grid/grid_cell.h"

#include <QCursor>

namespace {

using Notes = std::vector<std::pair<int, CGridCellId>>;

// The response log's shape: one header row, four columns of 50 pixels (the window is wider),
// 30 rows of 20 pixels of which rows 1 to 9 show.
class Mouse : public GridInput {
protected:
    Mouse() { Build(30, 4, 1, 0); }
};

} // namespace

TEST_F(Mouse, APressBesideTheCellsTakesTheKeyboardFocusOnly)
{
    parent.activateWindow();
    QApplication::setActiveWindow(&parent);
    Click(QPoint(250, 50));
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(GridTestAccess::TimerId(grid), 0);
    // The release still tells of the click, with no cell; no command follows.
    EXPECT_EQ(notes, (Notes{{NM_CLICK, {-1, -1}}}));
    Deliver();
    EXPECT_TRUE(commands.empty());
}

TEST_F(Mouse, PressAndDragSelectsABlockAndTheReleaseReports)
{
    Press(At(2, 1));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(2, 1));
    EXPECT_EQ(Selected(), Block(2, 1, 2, 1));
    EXPECT_TRUE(GridTestAccess::HasCapture(grid));
    EXPECT_EQ(QWidget::mouseGrabber(), view());
    EXPECT_EQ(GridTestAccess::TimerId(grid), kAutoScrollTimerId);
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseSelectCells);

    Move(At(4, 2));
    EXPECT_EQ(Selected(), Block(2, 1, 4, 2));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(4, 2));
    // Outside the client area a move does nothing; the timer covers it.
    Move(QPoint(40, 400));
    EXPECT_EQ(Selected(), Block(2, 1, 4, 2));
    // Over the header the block stays (the timer takes it up); the focus goes to the first row.
    Move(QPoint(At(4, 2).x(), 10));
    EXPECT_EQ(Selected(), Block(2, 1, 4, 2));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 2));

    notes.clear();
    Release(At(1, 2));
    EXPECT_EQ(notes, (Notes{{NM_CLICK, {2, 1}}}));
    EXPECT_FALSE(GridTestAccess::HasCapture(grid));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(GridTestAccess::TimerId(grid), 0);
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseIdle);
    // The command is posted: it arrives once the event loop runs.
    EXPECT_TRUE(commands.empty());
    Deliver();
    EXPECT_EQ(commands, std::vector<int>{kControlId});
}

TEST_F(Mouse, AHeaderPressSelectsTheColumnAndADragAlongTheHeaderMoreColumns)
{
    Press(At(0, 0));
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseSelectColumns);
    EXPECT_EQ(Selected(), Block(1, 0, 29, 0));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 0));
    EXPECT_EQ(GridTestAccess::TimerId(grid), 0);

    notes.clear();
    Move(At(0, 2));
    EXPECT_EQ(Selected(), Block(1, 0, 29, 2));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 2));
    // The focus is set once more from the header cell itself: the same cell loses and regains it.
    EXPECT_EQ(notes, (Notes{{LVN_ITEMCHANGING, {1, 0}},
                            {LVN_ITEMCHANGED, {1, 2}},
                            {LVN_ITEMCHANGING, {1, 2}},
                            {LVN_ITEMCHANGED, {1, 2}}}));
    Release(At(0, 2));

    // The border between two header cells is the cell under the pointer.
    Press(QPoint(50, 10));
    EXPECT_EQ(Selected(), Block(1, 1, 29, 1));
    Release(QPoint(50, 10));
    EXPECT_EQ(grid.GetColumnWidth(0), 50);
    EXPECT_EQ(grid.GetColumnWidth(1), 50);
}

TEST_F(Mouse, RowHeadersSelectRowsAndTheCornerSelectsEverything)
{
    grid.SetFixedColumnCount(1);
    Press(At(3, 0));
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseSelectRows);
    EXPECT_EQ(Selected(), Block(3, 1, 3, 3));
    Move(At(5, 0));
    EXPECT_EQ(Selected(), Block(3, 1, 5, 3));
    Release(At(5, 0));

    Press(At(0, 0));
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseSelectAll);
    EXPECT_EQ(Selected(), Block(1, 1, 29, 3));
    Release(At(0, 0));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 1));
}

TEST_F(Mouse, ShiftExtendsFromTheAnchorAndCtrlAddsOrRemoves)
{
    Click(At(2, 1));
    Click(At(4, 3), Qt::ShiftModifier);
    EXPECT_EQ(Selected(), Block(2, 1, 4, 3));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(4, 3));

    // Ctrl on an unselected cell keeps the old selection and adds the new block.
    Press(At(6, 0), Qt::ControlModifier);
    Move(At(7, 0));
    Release(At(7, 0), Qt::ControlModifier);
    std::set<CGridCellId> expected = Block(2, 1, 4, 3);
    expected.insert({6, 0});
    expected.insert({7, 0});
    EXPECT_EQ(Selected(), expected);

    // Ctrl on a selected cell deselects from the anchor (the cell itself) and takes no capture.
    Press(At(3, 2), Qt::ControlModifier);
    EXPECT_FALSE(GridTestAccess::HasCapture(grid));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(3, 2));
    expected.erase({3, 2});
    EXPECT_EQ(Selected(), expected);
    Release(At(3, 2), Qt::ControlModifier);

    // A plain press on a selected cell starts a new block there.
    Press(At(2, 1));
    EXPECT_EQ(Selected(), Block(2, 1, 2, 1));
    Release(At(2, 1));
}

TEST_F(Mouse, APressOnTheFocusCellChangesNothing)
{
    Click(At(2, 1));
    Click(At(4, 3), Qt::ShiftModifier);
    notes.clear();
    Press(At(4, 3));
    EXPECT_FALSE(GridTestAccess::HasCapture(grid));
    EXPECT_EQ(Selected(), Block(2, 1, 4, 3));
    EXPECT_TRUE(notes.empty());
    Release(At(4, 3));
    EXPECT_EQ(notes, (Notes{{NM_CLICK, {4, 3}}}));
}

TEST_F(Mouse, HeldBelowTheWindowEachTickSelectsOneRowMore)
{
    QPoint pointer = view()->mapToGlobal(QPoint(At(3, 1).x(), 260));
    GridTestAccess::SetCursorPositionSource(grid, [&pointer] { return pointer; });
    Press(At(3, 1));
    Move(At(9, 1));
    ASSERT_EQ(Selected(), Block(3, 1, 9, 1));

    GridTestAccess::Timer(grid, kAutoScrollTimerId);
    const int first = grid.GetSelectedCellRange().maxRow;
    EXPECT_EQ(first, 10);
    for (int tick = 1; tick <= 5; ++tick) {
        GridTestAccess::Timer(grid, kAutoScrollTimerId);
        EXPECT_EQ(Selected(), Block(3, 1, first + tick, 1));
        EXPECT_EQ(grid.GetFocusCell(), CGridCellId(first + tick, 1));
    }
    EXPECT_GT(grid.GetScrollPosition(SB_VERT), 0);
    // Other timers are not the auto-scroll timer.
    GridTestAccess::Timer(grid, 1);
    EXPECT_EQ(grid.GetSelectedCellRange().maxRow, first + 5);

    // Right of the last column the block still reaches it.
    pointer = view()->mapToGlobal(QPoint(280, 260));
    GridTestAccess::Timer(grid, kAutoScrollTimerId);
    EXPECT_EQ(grid.GetSelectedCellRange(), CGridCellRange(3, 1, first + 6, 3));

    // Above the rows it goes back up.
    pointer = view()->mapToGlobal(QPoint(60, 5));
    const int top = grid.GetTopLeftScrolledCell().row;
    GridTestAccess::Timer(grid, kAutoScrollTimerId);
    EXPECT_EQ(grid.GetFocusCell().row, top);
    Release(QPoint(60, 50));
}

TEST_F(Mouse, TheRealTimerRunsWhileTheButtonIsHeld)
{
    GridTestAccess::SetCursorPositionSource(grid, [this] { return view()->mapToGlobal(QPoint(60, 400)); });
    Press(At(2, 1));
    EXPECT_TRUE(QTest::qWaitFor([this] { return grid.GetSelectedCellRange().maxRow >= 15; }, 5000));
    Release(QPoint(60, 50));
    // Released, the timer is stopped, not merely ignored: nothing is left to fire.
    EXPECT_FALSE(GridTestAccess::AutoScrollTimerRuns(grid));
    EXPECT_EQ(GridTestAccess::TimerId(grid), 0);
}

TEST_F(Mouse, LosingTheMouseStopsTheTimer)
{
    Press(At(2, 1));
    QWidget other;
    other.show();
    other.grabMouse();
    GridTestAccess::Timer(grid, kAutoScrollTimerId);
    EXPECT_EQ(GridTestAccess::TimerId(grid), 0);
    EXPECT_FALSE(GridTestAccess::HasCapture(grid));
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseSelectCells);
    other.releaseMouse();
    Release(At(2, 1));
    EXPECT_EQ(GridTestAccess::MouseMode(grid), MouseIdle);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(Mouse, ARightClickMovesTheFocusAndLeavesTheSelection)
{
    Click(At(2, 1));
    Click(At(3, 2), Qt::ShiftModifier);
    notes.clear();
    QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, At(6, 3));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(6, 3));
    EXPECT_EQ(Selected(), Block(2, 1, 3, 2));
    EXPECT_EQ(notes, (Notes{{LVN_ITEMCHANGING, {3, 2}}, {LVN_ITEMCHANGED, {6, 3}}, {NM_RCLICK, {6, 3}}}));

    // On a header cell the focus goes to the first row below it.
    notes.clear();
    QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, At(0, 2));
    EXPECT_EQ(notes.back(), std::make_pair(int(NM_RCLICK), CGridCellId(1, 2)));

    notes.clear();
    QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, QPoint(250, 50));
    EXPECT_EQ(notes, (Notes{{NM_RCLICK, {-1, -1}}}));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId(1, 2));
    Deliver();
    EXPECT_EQ(commands.size(), 2u); // the two left clicks only
}

TEST_F(Mouse, ARightClickOnTheHeaderOfAnEmptyLogGivesNoCell)
{
    grid.SetRowCount(1);
    QTest::mouseClick(view(), Qt::RightButton, Qt::NoModifier, At(0, 1));
    EXPECT_EQ(notes, (Notes{{NM_RCLICK, {-1, -1}}}));
    EXPECT_EQ(grid.GetFocusCell(), CGridCellId());
}

TEST_F(Mouse, ADoubleClickReportsAndChangesNoText)
{
    grid.SetItemText(2, 1, "a text far too long for fifty pixels");
    GridTestAccess::TitleTip(grid).SetApplicationActiveQuery([] { return true; });
    const QPoint at = At(2, 1);
    Move(at, Qt::NoButton);
    ASSERT_TRUE(GridTestAccess::TitleTip(grid).IsVisible());

    QTest::mousePress(view(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(view(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(view(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(notes, (Notes{{LVN_ITEMCHANGED, {2, 1}}, {NM_CLICK, {2, 1}}, {NM_DBLCLK, {2, 1}}, {NM_CLICK, {2, 1}}}));
    EXPECT_FALSE(GridTestAccess::TitleTip(grid).IsVisible());
    EXPECT_EQ(grid.GetItemText(2, 1), "a text far too long for fifty pixels");
    EXPECT_EQ(Selected(), Block(2, 1, 2, 1));
    Deliver();
    EXPECT_EQ(commands, (std::vector<int>{kControlId, kControlId}));

    // Beside the cells a double click reports nothing.
    notes.clear();
    QTest::mouseDClick(view(), Qt::LeftButton, Qt::NoModifier, QPoint(250, 50));
    EXPECT_TRUE(notes.empty());
}

namespace {

// A cell that shows the text cursor.
class TextCell : public CGridCell {
public:
    bool OnSetCursor() override
    {
        GetGrid()->viewport()->setCursor(Qt::IBeamCursor);
        return true;
    }
};

class TextCellGrid : public CGridCtrl {
public:
    using CGridCtrl::CGridCtrl;
    CGridCellBase* CreateCell(int row, int column) override
    {
        if (row != 2 || column != 1)
            return CGridCtrl::CreateCell(row, column);
        auto* cell = new TextCell;
        cell->SetGrid(this);
        cell->SetCoords(row, column);
        return cell;
    }
};

} // namespace

TEST_F(GridTest, TheCursorIsTheCellsOwnOrTheArrow)
{
    TextCellGrid grid;
    MakeUniform(grid, 5, 3, 1, 0, 300, 200);
    const auto move = [&grid](QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, grid.viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(grid.viewport(), &e);
        return grid.viewport()->cursor().shape();
    };
    EXPECT_EQ(move(QPoint(75, 50)), Qt::IBeamCursor);
    EXPECT_EQ(move(QPoint(25, 50)), Qt::ArrowCursor);
    EXPECT_EQ(move(QPoint(75, 50)), Qt::IBeamCursor);
    EXPECT_EQ(move(QPoint(250, 150)), Qt::ArrowCursor);
}
