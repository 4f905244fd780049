#include "grid_test_support.h"
#include "support/grid_test_access.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QStyle>

namespace {

// Rows of 20 pixels, columns of 50, one fixed row and column, a grid of 200 x 100 whose bars
// both show.
class Scrolling : public GridTest {
protected:
    Scrolling()
    {
        MakeUniform(grid, 30, 12, 1, 1, 200, 100);
        bar = grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        pageV = grid.GetClientRect().Height() - 20;
        pageH = grid.GetClientRect().Width() - 50;
        GridTestAccess::Validate(grid);
    }

    // Runs one scroll request; answers the new position and what was invalidated.
    std::pair<int, CRect> Scroll(int sb, int code)
    {
        GridTestAccess::Validate(grid);
        if (sb == SB_HORZ)
            GridTestAccess::HScroll(grid, code);
        else
            GridTestAccess::VScroll(grid, code);
        CRect invalid;
        GridTestAccess::UpdateRect(grid, &invalid);
        return {grid.GetScrollPosition(sb), invalid};
    }
    CRect ScrolledArea(int sb) const
    {
        CRect client = grid.GetClientRect();
        (sb == SB_HORZ ? client.left : client.top) = sb == SB_HORZ ? 50 : 20;
        return client;
    }

    CGridCtrl grid;
    int bar = 0;
    int pageV = 0; // the scrolled area's height and width
    int pageH = 0;
};

} // namespace

TEST_F(Scrolling, LinesMoveByTheNextRowOrColumn)
{
    for (int sb : {SB_VERT, SB_HORZ}) {
        const int size = sb == SB_VERT ? 20 : 50;
        EXPECT_EQ(Scroll(sb, SB_LINEDOWN), std::make_pair(size, ScrolledArea(sb))) << sb;
        EXPECT_EQ(Scroll(sb, SB_LINEDOWN).first, 2 * size);
        EXPECT_EQ(Scroll(sb, SB_LINEUP), std::make_pair(size, ScrolledArea(sb)));
        EXPECT_EQ(Scroll(sb, SB_LINEUP).first, 0);
        // Nothing above the first scrolled row: no move, nothing invalidated.
        EXPECT_EQ(Scroll(sb, SB_LINEUP), std::make_pair(0, CRect()));
    }

    // Hidden rows are stepped over, both ways.
    grid.SetRowHeight(1, 0);
    grid.SetRowHeight(2, 0);
    grid.SetRowHeight(3, 35);
    grid.UpdateScrollBars();
    EXPECT_EQ(Scroll(SB_VERT, SB_LINEDOWN).first, 35);
    EXPECT_EQ(grid.GetTopLeftScrolledCell().row, 4);
    EXPECT_EQ(Scroll(SB_VERT, SB_LINEUP).first, 0);
    EXPECT_EQ(grid.GetTopLeftScrolledCell().row, 1);
}

TEST_F(Scrolling, LineDownAtTheEndChangesNothing)
{
    for (int sb : {SB_VERT, SB_HORZ}) {
        grid.SetScrollPosition(sb, 1 << 20);
        const int last = grid.GetScrollPosition(sb);
        EXPECT_EQ(last, (sb == SB_VERT ? grid.verticalScrollBar() : grid.horizontalScrollBar())->maximum());
        EXPECT_EQ(Scroll(sb, SB_LINEDOWN), std::make_pair(last, CRect())) << sb;
    }
}

TEST_F(Scrolling, PagesMoveByTheScrolledAreasSize)
{
    EXPECT_EQ(Scroll(SB_VERT, SB_PAGEDOWN), std::make_pair(pageV, ScrolledArea(SB_VERT)));
    EXPECT_EQ(Scroll(SB_HORZ, SB_PAGEDOWN), std::make_pair(pageH, ScrolledArea(SB_HORZ)));
    EXPECT_EQ(Scroll(SB_VERT, SB_PAGEUP).first, 0);
    EXPECT_EQ(Scroll(SB_HORZ, SB_PAGEUP).first, 0);
    EXPECT_EQ(Scroll(SB_VERT, SB_PAGEUP), std::make_pair(0, CRect()));
    EXPECT_EQ(Scroll(SB_HORZ, SB_PAGEUP), std::make_pair(0, CRect()));
    // Page down stops at the last position.
    for (int i = 0; i < 20; ++i)
        GridTestAccess::VScroll(grid, SB_PAGEDOWN);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), grid.verticalScrollBar()->maximum());
}

TEST_F(Scrolling, TopAndBottom)
{
    for (int sb : {SB_VERT, SB_HORZ}) {
        EXPECT_EQ(Scroll(sb, SB_TOP), std::make_pair(0, CRect())) << sb;
        const auto [bottom, invalid] = Scroll(sb, SB_BOTTOM);
        EXPECT_EQ(bottom, (sb == SB_VERT ? grid.verticalScrollBar() : grid.horizontalScrollBar())->maximum());
        EXPECT_EQ(invalid, grid.GetClientRect());
        EXPECT_EQ(Scroll(sb, SB_TOP), std::make_pair(0, grid.GetClientRect()));
        // End of scrolling and unknown codes do nothing.
        EXPECT_EQ(Scroll(sb, SB_ENDSCROLL), std::make_pair(0, CRect()));
        EXPECT_EQ(Scroll(sb, 42), std::make_pair(0, CRect()));
    }
}

TEST_F(Scrolling, TheThumbShowsTheNextWholeRow)
{
    QScrollBar* vbar = grid.verticalScrollBar();
    vbar->setSliderDown(true);
    vbar->setSliderPosition(45); // inside row 3 (40..60 of the scrolled rows)
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 45);
    EXPECT_EQ(grid.GetTopLeftScrolledCell().row, 4);

    // Within the same top-left row: nothing to repaint.
    GridTestAccess::Validate(grid);
    vbar->setSliderPosition(55);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 55);
    EXPECT_FALSE(GridTestAccess::UpdateRect(grid, nullptr));
    vbar->setSliderPosition(61);
    CRect invalid;
    EXPECT_TRUE(GridTestAccess::UpdateRect(grid, &invalid));
    EXPECT_EQ(invalid, ScrolledArea(SB_VERT));
    vbar->setSliderDown(false);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 61);
}

TEST_F(Scrolling, TheBarsOwnButtonsTakeTheSamePath)
{
    QScrollBar* vbar = grid.verticalScrollBar();
    QScrollBar* hbar = grid.horizontalScrollBar();
    vbar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 20);
    EXPECT_EQ(vbar->sliderPosition(), 20);
    hbar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.GetScrollPosition(SB_HORZ), 50);
    vbar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 20 + pageV);
    EXPECT_EQ(grid.GetTopLeftScrolledCell().row, 1 + (20 + pageV + 19) / 20);
    vbar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_LT(grid.GetScrollPosition(SB_VERT), 20 + pageV);
    vbar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), vbar->maximum());
    // At the end the arrow moves nothing, and the slider stays with the position.
    vbar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), vbar->maximum());
    EXPECT_EQ(vbar->sliderPosition(), vbar->maximum());
    vbar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
    vbar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
}

TEST_F(Scrolling, TheWheelPostsItsSteps)
{
    grid.SetScrollPosition(SB_VERT, 200);
    grid.SetWheelScrollLines(3);
    GridTestAccess::Wheel(grid, 240);
    // Posted, not yet run.
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 200 - 6 * 20);

    GridTestAccess::Wheel(grid, -120);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 200 - 3 * 20);

    // Less than a step's worth of turning moves nothing.
    GridTestAccess::Wheel(grid, 30);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 140);

    // A page per notch.
    grid.SetWheelScrollLines(-1);
    GridTestAccess::Wheel(grid, -120);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 140 + pageV);
    GridTestAccess::Wheel(grid, 480);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
}

TEST_F(Scrolling, ScrollingHidesTheTitleTip)
{
    GridTestAccess::TitleTip(grid).SetApplicationActiveQuery([] { return true; });
    grid.SetItemText(2, 2, "a text far too long for fifty pixels");
    GridTestAccess::MouseMove(grid, 0, CPoint(110, 45));
    ASSERT_TRUE(GridTestAccess::TitleTip(grid).IsVisible());
    GridTestAccess::VScroll(grid, SB_LINEDOWN);
    EXPECT_FALSE(GridTestAccess::TitleTip(grid).IsVisible());
}

TEST_F(Scrolling, TheEndOfALastColumnWiderThanTheViewCanBeReached)
{
    grid.SetColumnWidth(11, 500);
    grid.UpdateScrollBars();
    const CRect client = grid.GetClientRect();
    const int excess = 500 - pageH;
    ASSERT_GT(excess, 0);

    // At the far right the last column ends at the view's right edge; the fixed column stays.
    EXPECT_EQ(Scroll(SB_HORZ, SB_RIGHT).second, client);
    EXPECT_EQ(grid.GetTopLeftScrolledCell().col, 11);
    EXPECT_EQ(grid.GetScrolledColumnShift(), excess);
    CRect rect;
    ASSERT_TRUE(grid.GetCellRect(1, 11, &rect));
    EXPECT_EQ(rect, CRect(50 - excess, 20, client.right - 1, 39));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(client.right - 1, 25)), CGridCellId(1, 11));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(25, 25)), CGridCellId(1, 0));
    EXPECT_EQ(grid.GetCellFromPoint(CPoint(51, 25)), CGridCellId(1, 11));
    EXPECT_TRUE(grid.IsCellVisible(1, 11));
    EXPECT_EQ(grid.GetVisibleScrolledRange().maxCol, 11);

    // Dragging the thumb within the last column moves the view and repaints it.
    QScrollBar* sb = grid.horizontalScrollBar();
    GridTestAccess::Validate(grid);
    sb->setSliderPosition(sb->value() - 10);
    GridTestAccess::HScroll(grid, SB_THUMBTRACK);
    EXPECT_EQ(grid.GetScrolledColumnShift(), excess - 10);
    CRect invalid;
    EXPECT_TRUE(GridTestAccess::UpdateRect(grid, &invalid));
    EXPECT_EQ(invalid, ScrolledArea(SB_HORZ));

    // Back at the left, every column starts whole again.
    Scroll(SB_HORZ, SB_LEFT);
    EXPECT_EQ(grid.GetScrolledColumnShift(), 0);
    ASSERT_TRUE(grid.GetCellRect(1, 1, &rect));
    EXPECT_EQ(rect.left, 50);
}
