#include "grid_input_support.h"
#include "support/grid_test_access.h"

#include <QDropEvent>
#include <QMimeData>

#include "platform/key_state.h"

namespace {

using DropTarget = GridInput;

} // namespace

TEST_F(DropTarget, TheGridIsRegisteredOnceAndOnlyAGridCanBe)
{
    Build(4, 4, 1, 0);
    CGridOleDropTarget& target = GridTestAccess::DropTarget(grid);
    EXPECT_TRUE(target.IsRegistered());
    EXPECT_TRUE(grid.acceptDrops());
    EXPECT_TRUE(grid.viewport()->acceptDrops());
    EXPECT_FALSE(target.Register(&grid));
    EXPECT_TRUE(target.IsRegistered());

    CGridOleDropTarget other;
    QWidget notAGrid;
    EXPECT_FALSE(other.Register(&notAGrid));
    EXPECT_FALSE(other.Register(nullptr));
    EXPECT_FALSE(other.IsRegistered());
    EXPECT_FALSE(notAGrid.acceptDrops());

    target.Revoke();
    EXPECT_FALSE(target.IsRegistered());
    EXPECT_FALSE(grid.acceptDrops());
    EXPECT_TRUE(target.Register(&grid));
    EXPECT_TRUE(grid.viewport()->acceptDrops());
}

TEST_F(DropTarget, TextDraggedOntoTheGridIsRefusedAndChangesNothing)
{
    Build(4, 4, 1, 0);
    grid.SelectRange(2, 1, 2, 1, false, true);
    QMimeData text;
    text.setText("dropped");
    const QPoint at = At(2, 1);

    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    enter.acceptProposedAction();
    QApplication::sendEvent(view(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::IgnoreAction);

    // Refused on entering, the drag brings Qt no further events; sent anyway, they are refused.
    QDragMoveEvent over(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view(), &over);
    EXPECT_FALSE(over.isAccepted());

    QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view(), &drop);
    EXPECT_FALSE(drop.isAccepted());

    QDragLeaveEvent leave;
    QApplication::sendEvent(view(), &leave);

    EXPECT_EQ(grid.GetItemText(2, 1), "2.1");
    EXPECT_EQ(grid.GetRowCount(), 4);
    EXPECT_EQ(Selected(), Block(2, 1, 2, 1));
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
    EXPECT_TRUE(notes.empty());
}

TEST_F(DropTarget, DragsOverAnotherWindowAreRefusedToo)
{
    Build(4, 4, 1, 0);
    QWidget elsewhere;
    QMimeData text;
    text.setText("x");
    CGridOleDropTarget& target = GridTestAccess::DropTarget(grid);
    EXPECT_EQ(target.OnDragEnter(&elsewhere, &text, 0, CPoint(1, 1)), DROPEFFECT_NONE);
    EXPECT_EQ(target.OnDragOver(&elsewhere, &text, 0, CPoint(1, 1)), DROPEFFECT_NONE);
    EXPECT_FALSE(target.OnDrop(&elsewhere, &text, DROPEFFECT_COPY, CPoint(1, 1)));
    EXPECT_EQ(target.OnDragScroll(&grid, 0, CPoint(1, 1)), DROPEFFECT_NONE);
    EXPECT_EQ(target.OnDragOver(&grid, &text, MK_LBUTTON, CPoint(1, 1)), DROPEFFECT_NONE);
    EXPECT_FALSE(target.OnDrop(&grid, &text, DROPEFFECT_COPY, CPoint(1, 1)));
}
