#include "grid_test_support.h"
#include "support/grid_test_access.h"

#include "platform/device_context.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// Records the input that reaches a widget.
class InputRecorder : public QObject {
public:
    struct Input {
        QEvent::Type type;
        QPoint pos;
        Qt::MouseButton button;
        int key;
    };
    std::vector<Input> inputs;

    bool eventFilter(QObject*, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            const auto* m = static_cast<QMouseEvent*>(e);
            inputs.push_back({e->type(), m->position().toPoint(), m->button(), 0});
            return true;
        }
        case QEvent::KeyPress:
            inputs.push_back({e->type(), {}, Qt::NoButton, static_cast<QKeyEvent*>(e)->key()});
            return true;
        default:
            return false;
        }
    }
};

// A log grid with 50-pixel columns; the title tip believes the application active, reads the
// clock and finds the window under a point from the test.
class TitleTip : public GridTest {
protected:
    TitleTip()
    {
        grid.SetColumnCount(3);
        grid.SetRowCount(4);
        grid.SetFixedRowCount(1);
        for (int r = 0; r < 4; ++r)
            grid.SetRowHeight(r, 20);
        for (int c = 0; c < 3; ++c)
            grid.SetColumnWidth(c, 50);
        grid.resize(300, 200);
        grid.show();
        tip().SetApplicationActiveQuery([this] { return active; });
        tip().SetTickSource([this] { return now; });
        tip().SetWidgetLocator([this](QPoint) { return &below; });
        below.setMouseTracking(true);
        below.installEventFilter(&recorder);
        grid.viewport()->installEventFilter(&keys);
        grid.SetItemText(2, 1, kLong);
    }

    CGridTitleTip& tip() { return GridTestAccess::TitleTip(grid); }
    int PaddedWidth(const char* text) const
    {
        return QFontMetrics(grid.GetFont()->Font()).horizontalAdvance(QString(" ") + text + " ");
    }
    QPoint Global(int x, int y) const { return grid.viewport()->mapToGlobal(QPoint(x, y)); }
    // A point given in the grid's client coordinates, as the tip window sees it.
    QPoint InTip(int x, int y) const { return tip().GetWindow()->mapFromGlobal(Global(x, y)); }
    CGridTitleTip& tip() const { return GridTestAccess::TitleTip(const_cast<CGridCtrl&>(grid)); }

    static constexpr const char* kLong = "Value: Master Volume = -35.5 dB";
    CGridCtrl grid;
    QWidget below;
    InputRecorder recorder;
    InputRecorder keys;
    bool active = true;
    std::uint32_t now = 100000;
};

} // namespace

TEST_F(TitleTip, ShownOverTheCellWhenTheTextIsCutOff)
{
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45)); // cell (2, 1): 50..99 x 40..59
    ASSERT_TRUE(tip().IsVisible());
    const QRect geometry = tip().GetWindow()->geometry();
    EXPECT_EQ(geometry.topLeft(), Global(50, 40));
    EXPECT_EQ(geometry.width(), PaddedWidth(kLong));
    EXPECT_EQ(geometry.height(), 19); // the cell rectangle's height: bottom - top
    EXPECT_EQ(tip().GetShownText(), std::string(" ") + kLong + " ");
    EXPECT_EQ(tip().GetHoverRect(), CRect(Global(50, 40).x(), Global(50, 40).y(), Global(100, 60).x(), Global(100, 60).y()));

    // Shown once: another cell gets its tip only after the pointer has left this one.
    grid.SetItemText(3, 1, "another text far too long for the cell");
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 65));
    EXPECT_EQ(tip().GetShownText(), std::string(" ") + kLong + " ");
}

TEST_F(TitleTip, NotShownWhenThePaddedTextFits)
{
    const int padded = PaddedWidth("20, 20");
    grid.SetItemText(1, 1, "20, 20");
    // right - left of the cell rectangle is the column width minus one.
    grid.SetColumnWidth(1, padded + 1);
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 25));
    EXPECT_FALSE(tip().IsVisible());
    grid.SetColumnWidth(1, padded);
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 25));
    EXPECT_TRUE(tip().IsVisible());
    tip().Hide();

    // Empty cells and points outside the client area show nothing.
    GridTestAccess::MouseMove(grid, 0, CPoint(110, 25));
    GridTestAccess::MouseMove(grid, 0, CPoint(-5, 25));
    EXPECT_FALSE(tip().IsVisible());
}

TEST_F(TitleTip, NothingWhileTheApplicationIsInactive)
{
    active = false;
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    EXPECT_FALSE(tip().IsVisible());

    active = true;
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    ASSERT_TRUE(tip().IsVisible());
    active = false;
    EXPECT_TRUE(tip().OnOtherInput());
    EXPECT_FALSE(tip().IsVisible());
}

TEST_F(TitleTip, LeavingTheCellHidesTheTipAndPassesTheMoveOn)
{
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    ASSERT_TRUE(tip().IsVisible());
    tip().OnMouseMove(Qt::NoButton, Qt::NoModifier, InTip(99, 59)); // the cell's last pixel
    EXPECT_TRUE(tip().IsVisible());
    tip().OnMouseMove(Qt::NoButton, Qt::NoModifier, InTip(100, 59)); // one beyond
    EXPECT_FALSE(tip().IsVisible());
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.inputs.size(), 1u);
    EXPECT_EQ(recorder.inputs[0].type, QEvent::MouseMove);
    EXPECT_EQ(recorder.inputs[0].pos, below.mapFromGlobal(Global(100, 59)));

    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    tip().OnMouseMove(Qt::NoButton, Qt::NoModifier, InTip(60, 60)); // one below
    EXPECT_FALSE(tip().IsVisible());
}

TEST_F(TitleTip, ClicksGoToTheWindowBelowAndTwoMakeADoubleClick)
{
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    tip().OnButtonDown(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, InTip(70, 50));
    EXPECT_FALSE(tip().IsVisible());
    tip().OnButtonUp(Qt::LeftButton, Qt::NoButton, Qt::NoModifier, InTip(70, 50));

    now += static_cast<std::uint32_t>(QApplication::doubleClickInterval()); // just in time
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    tip().OnButtonDown(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, InTip(70, 50));

    now += static_cast<std::uint32_t>(QApplication::doubleClickInterval()) + 1; // too late
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    tip().OnButtonDown(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, InTip(70, 50));

    // Other buttons are never double clicks.
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    tip().OnButtonDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, InTip(70, 50));
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    tip().OnButtonDown(Qt::RightButton, Qt::RightButton, Qt::NoModifier, InTip(70, 50));

    QCoreApplication::processEvents();
    std::vector<std::pair<QEvent::Type, Qt::MouseButton>> got;
    for (const auto& input : recorder.inputs) {
        got.emplace_back(input.type, input.button);
        EXPECT_EQ(input.pos, below.mapFromGlobal(Global(70, 50)));
    }
    using E = std::vector<std::pair<QEvent::Type, Qt::MouseButton>>;
    EXPECT_EQ(got, (E{{QEvent::MouseButtonPress, Qt::LeftButton},
                      {QEvent::MouseButtonRelease, Qt::LeftButton},
                      {QEvent::MouseButtonDblClick, Qt::LeftButton},
                      {QEvent::MouseButtonPress, Qt::LeftButton},
                      {QEvent::MouseButtonPress, Qt::RightButton},
                      {QEvent::MouseButtonPress, Qt::RightButton}}));
}

TEST_F(TitleTip, InputReachingTheTipWindowIsForwarded)
{
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    QWidget* window = tip().GetWindow();
    const QPoint p = InTip(70, 50);
    QMouseEvent press(QEvent::MouseButtonPress, p, window->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    EXPECT_FALSE(tip().IsVisible());

    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &key);
    EXPECT_FALSE(tip().IsVisible());
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.inputs.size(), 1u);
    EXPECT_EQ(recorder.inputs[0].type, QEvent::MouseButtonPress);
    // The key reaches the grid.
    ASSERT_EQ(keys.inputs.size(), 1u);
    EXPECT_EQ(keys.inputs[0].key, Qt::Key_Down);
}

TEST_F(TitleTip, AClickOverTheTipItselfGoesToTheGrid)
{
    tip().SetWidgetLocator([this](QPoint) { return tip().GetWindow(); });
    GridTestAccess::MouseMove(grid, 0, CPoint(60, 45));
    grid.viewport()->installEventFilter(&recorder);
    tip().OnButtonDown(Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, InTip(70, 50));
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.inputs.size(), 1u);
    EXPECT_EQ(recorder.inputs[0].pos, QPoint(70, 50));
}

TEST_F(TitleTip, DestroyedWithTheGrid)
{
    auto owner = std::make_unique<CGridCtrl>(2, 2);
    owner->SetColumnWidth(1, 20);
    owner->SetItemText(1, 1, "long enough to need a tip");
    GridTestAccess::TitleTip(*owner).SetApplicationActiveQuery([] { return true; });
    owner->show();
    CRect r;
    owner->GetCellRect(1, 1, &r);
    GridTestAccess::MouseMove(*owner, 0, CPoint(r.left + 2, r.top + 2));
    QPointer<QWidget> window = GridTestAccess::TitleTip(*owner).GetWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isVisible());
    owner.reset();
    EXPECT_TRUE(window.isNull());
}
