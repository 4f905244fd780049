#include "grid_input_support.h"
#include "support/grid_test_access.h"

#include <QClipboard>
#include <QLineEdit>

namespace {

using Notes = std::vector<std::pair<int, CGridCellId>>;

// The response log's shape: one header row, four columns, 30 rows of which rows 1 to 9 show.
class Keyboard : public GridInput {
protected:
    Keyboard()
    {
        Build(30, 4, 1, 0);
        QGuiApplication::clipboard()->setText("before");
    }
    // Focus and anchor on a cell, as a click leaves them.
    void Start(int row, int column)
    {
        Click(At(row, column));
        notes.clear();
        keysToParent.keys.clear();
    }
    CGridCellId Focus() const { return grid.GetFocusCell(); }
};

struct Chord {
    int key;
    Qt::KeyboardModifiers modifiers;
};

} // namespace

TEST_F(Keyboard, BeforeAnyCellHasTheFocusEveryKeyGoesToThePlatform)
{
    const Chord chords[] = {
        {Qt::Key_PageUp, {}},       {Qt::Key_PageDown, {}},
        {Qt::Key_End, {}},          {Qt::Key_End, Qt::ControlModifier},
        {Qt::Key_Home, {}},         {Qt::Key_Home, Qt::ControlModifier},
        {Qt::Key_Left, {}},         {Qt::Key_Right, {}},
        {Qt::Key_Up, {}},           {Qt::Key_Down, Qt::ShiftModifier},
        {Qt::Key_Delete, {}},       {Qt::Key_F2, {}},
        {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_A, Qt::ControlModifier},
        {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
        {Qt::Key_V, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_Q, {}},            {Qt::Key_Escape, {}},
    };
    for (const Chord& chord : chords)
        Key(chord.key, chord.modifiers);
    EXPECT_EQ(keysToParent.keys.size(), std::size(chords));
    EXPECT_EQ(Focus(), CGridCellId());
    EXPECT_TRUE(Selected().empty());
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), 0);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST_F(Keyboard, ArrowsMoveTheFocusAndSelectTheNewCell)
{
    Start(2, 1);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), CGridCellId(3, 1));
    EXPECT_EQ(Selected(), Block(3, 1, 3, 1));
    EXPECT_EQ(notes, (Notes{{LVN_ITEMCHANGING, {2, 1}}, {LVN_ITEMCHANGED, {3, 1}}}));
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focus(), CGridCellId(3, 3));
    Key(Qt::Key_Up);
    Key(Qt::Key_Left);
    EXPECT_EQ(Focus(), CGridCellId(2, 2));
    EXPECT_EQ(Selected(), Block(2, 2, 2, 2));
    EXPECT_TRUE(keysToParent.keys.empty());
}

TEST_F(Keyboard, AtTheEdgesArrowsChangeNothing)
{
    Start(1, 0);
    Key(Qt::Key_Up);
    Key(Qt::Key_Left);
    EXPECT_EQ(Focus(), CGridCellId(1, 0));
    grid.SetFocusCell(29, 3);
    notes.clear();
    Key(Qt::Key_Down);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focus(), CGridCellId(29, 3));
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(keysToParent.keys.empty());
}

TEST_F(Keyboard, ArrowsPassOverHiddenRowsAndColumns)
{
    Start(2, 0);
    grid.SetRowHeight(3, 0);
    grid.SetRowHeight(4, 0);
    grid.SetColumnWidth(1, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), CGridCellId(5, 0));
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), CGridCellId(2, 0));
    Key(Qt::Key_Right);
    EXPECT_EQ(Focus(), CGridCellId(2, 2));
    Key(Qt::Key_Left);
    EXPECT_EQ(Focus(), CGridCellId(2, 0));
    // Nothing sized beyond: the focus stays.
    grid.SetColumnWidth(2, 0);
    grid.SetColumnWidth(3, 0);
    Key(Qt::Key_Right);
    EXPECT_EQ(Focus(), CGridCellId(2, 0));
    grid.SetRowHeight(1, 0);
    Key(Qt::Key_Up);
    EXPECT_EQ(Focus(), CGridCellId(2, 0));
}

TEST_F(Keyboard, ShiftWithKeysExtendsTheBlockFromTheAnchor)
{
    Start(2, 1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), Block(2, 1, 4, 2));
    EXPECT_EQ(Focus(), CGridCellId(4, 2));
    Key(Qt::Key_Up);
    EXPECT_EQ(Selected(), Block(3, 2, 3, 2));
}

TEST_F(Keyboard, TabMovesAlongTheRowAndWrapsAtItsEnds)
{
    Start(2, 2);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), CGridCellId(2, 3));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), CGridCellId(3, 0));
    EXPECT_EQ(Selected(), Block(3, 0, 3, 0));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focus(), CGridCellId(2, 3));
    // Shift+Tab moves the anchor too: it selects just the new cell.
    EXPECT_EQ(Selected(), Block(2, 3, 2, 3));
    EXPECT_TRUE(keysToParent.keys.empty());

}

// The grid between two edits of an active window, with the keyboard focus.
class KeyboardFocus : public Keyboard {
protected:
    KeyboardFocus()
    {
        before = new QLineEdit(&parent);
        after = new QLineEdit(&parent);
        QWidget::setTabOrder(before, &grid);
        QWidget::setTabOrder(&grid, after);
        before->move(0, 250);
        after->move(100, 250);
        before->show();
        after->show();
        parent.activateWindow();
        QApplication::setActiveWindow(&parent);
        grid.setFocus();
    }
    QLineEdit* before = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(KeyboardFocus, CtrlTabLeavesTheGridTabWithNowhereToGoStays)
{
    Start(2, 1);
    Key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Focus(), CGridCellId(2, 1));
    EXPECT_TRUE(after->hasFocus());

    // The grid asks for Tab: from the last cell, from the first with Shift, and before any cell
    // has the focus, it keeps the keyboard focus and the dialog never sees the key.
    grid.setFocus();
    grid.SetFocusCell(29, 3);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), CGridCellId(29, 3));
    EXPECT_TRUE(grid.hasFocus());
    grid.SetFocusCell(1, 0);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focus(), CGridCellId(1, 0));
    EXPECT_TRUE(grid.hasFocus());
    grid.SetFocusCell(-1, -1);
    ASSERT_EQ(Focus(), CGridCellId());
    Key(Qt::Key_Tab);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(grid.hasFocus());
    EXPECT_EQ(Focus(), CGridCellId());
    EXPECT_TRUE(keysToParent.keys.empty());
}

TEST_F(Keyboard, AltChordsAreLeftToThePlatform)
{
    Start(5, 1);
    const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                        Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
    for (int key : keys) {
        Key(key, Qt::AltModifier);
        Key(key, Qt::AltModifier | Qt::ShiftModifier);
        Key(key, Qt::AltModifier | Qt::ControlModifier);
    }
    EXPECT_EQ(Focus(), CGridCellId(5, 1));
    EXPECT_EQ(Selected(), Block(5, 1, 5, 1));
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), 0);
    EXPECT_EQ(keysToParent.keys.size(), 3 * std::size(keys));
    EXPECT_TRUE(notes.empty());
}

TEST_F(Keyboard, PageKeysMoveByTheScrolledRowsOrToTheEnds)
{
    Start(2, 1);
    Key(Qt::Key_PageDown);
    const int scrolled = grid.GetTopLeftScrolledCell().row - 1;
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(Focus(), CGridCellId(2 + scrolled, 1));
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    // When the view cannot go further the focus goes to the last row.
    EXPECT_EQ(Focus(), CGridCellId(29, 1));
    Key(Qt::Key_PageUp);
    EXPECT_LT(Focus().row, 29);
    grid.SetScrollPosition(SB_VERT, 0);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Focus(), CGridCellId(1, 1));
}

TEST_F(Keyboard, HomeAndEndGoToTheRowsEndsAndWithCtrlToTheLogsEnds)
{
    Start(3, 1);
    Key(Qt::Key_End);
    EXPECT_EQ(Focus(), CGridCellId(3, 3));
    Key(Qt::Key_Home);
    EXPECT_EQ(Focus(), CGridCellId(3, 0));
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Focus(), CGridCellId(29, 3));
    EXPECT_TRUE(grid.IsCellVisible(29, 3));
    EXPECT_GT(grid.GetScrollPosition(SB_VERT), 0);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Focus(), CGridCellId(1, 0));
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);

    // Hidden last and first columns are passed over.
    grid.SetColumnWidth(3, 0);
    grid.SetColumnWidth(0, 0);
    Key(Qt::Key_End);
    EXPECT_EQ(Focus(), CGridCellId(1, 2));
    Key(Qt::Key_Home);
    EXPECT_EQ(Focus(), CGridCellId(1, 1));
}

TEST_F(Keyboard, MovingPastTheWindowScrollsTheFocusIntoView)
{
    Start(9, 0);
    Key(Qt::Key_Down);
    EXPECT_EQ(Focus(), CGridCellId(10, 0));
    EXPECT_TRUE(grid.IsCellVisible(10, 0));
    CRect r;
    ASSERT_TRUE(grid.GetCellRect(10, 0, &r));
    EXPECT_LE(r.bottom, grid.GetClientRect().bottom - 1);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 20);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    EXPECT_TRUE(grid.IsCellVisible(8, 0));
}

TEST_F(GridTest, TabWrappingScrollsBackToTheRowsStart)
{
    QWidget parent;
    auto* grid = new CGridCtrl(0, 0, 0, 0, &parent);
    parent.show();
    MakeUniform(*grid, 30, 10, 1, 0, 200, 200);
    grid->SetFocusCell(2, 9);
    grid->EnsureVisible(2, 9);
    ASSERT_GT(grid->GetScrollPosition(SB_HORZ), 0);
    grid->SetFocusCell(9, 9);
    QTest::keyClick(grid, Qt::Key_Tab);
    EXPECT_EQ(grid->GetFocusCell(), CGridCellId(10, 0));
    EXPECT_EQ(grid->GetScrollPosition(SB_HORZ), 0);
    EXPECT_TRUE(grid->IsCellVisible(10, 0));
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->GetFocusCell(), CGridCellId(9, 9));
    EXPECT_TRUE(grid->IsCellVisible(9, 9));
}

TEST_F(Keyboard, DeleteAndF2ChangeNothingAndF2HidesTheTitleTip)
{
    grid.SetItemText(2, 1, "a text far too long for fifty pixels");
    GridTestAccess::TitleTip(grid).SetApplicationActiveQuery([] { return true; });
    Start(2, 1);
    Key(Qt::Key_Delete);
    EXPECT_EQ(grid.GetItemText(2, 1), "a text far too long for fifty pixels");
    Move(At(2, 1), Qt::NoButton);
    ASSERT_TRUE(GridTestAccess::TitleTip(grid).IsVisible());
    Key(Qt::Key_F2);
    EXPECT_FALSE(GridTestAccess::TitleTip(grid).IsVisible());
    EXPECT_EQ(Focus(), CGridCellId(2, 1));
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(keysToParent.keys.empty());

    // A typed character hides the tip too, Escape does not (and goes to the platform).
    Move(At(2, 1), Qt::NoButton);
    ASSERT_TRUE(GridTestAccess::TitleTip(grid).IsVisible());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(GridTestAccess::TitleTip(grid).IsVisible());
    Key(Qt::Key_Q);
    EXPECT_FALSE(GridTestAccess::TitleTip(grid).IsVisible());
    EXPECT_EQ(keysToParent.keys, (std::vector<int>{Qt::Key_Escape, Qt::Key_Q}));
}

TEST_F(Keyboard, CtrlCCopiesAndCtrlASelectsAll)
{
    Start(2, 1);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "2.1\n3.1");
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selected(), Block(1, 0, 29, 3));
    Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("1.0\t1.1\t1.2\t1.3\n2.0\t"));
    EXPECT_EQ(Focus(), CGridCellId(3, 1));

    // Paste and cut change nothing.
    QGuiApplication::clipboard()->setText("pasted");
    Key(Qt::Key_V, Qt::ControlModifier);
    Key(Qt::Key_X, Qt::ControlModifier);
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetItemText(3, 1), "3.1");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "pasted");
    EXPECT_EQ(Selected(), Block(1, 0, 29, 3));
    EXPECT_TRUE(keysToParent.keys.empty());
}
