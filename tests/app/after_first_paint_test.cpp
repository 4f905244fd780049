// Work put off until the window's first paint: it runs once, after that paint, and a window that
// is never painted still gets it.
#include "app/after_first_paint.h"
#include "support/windows_headless.h"

#include <QEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Counts the window's paints.
class PaintCount : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

TEST(AfterFirstPaint, RunsOnceAfterThePaintOrLaterWithoutOne)
{
    if (kHeadlessWindows)
        GTEST_SKIP() << "under Wine without a display a shown window is never painted";
    QWidget window;
    window.resize(200, 100);
    PaintCount count;
    window.installEventFilter(&count);
    const auto helpers = [&window] { return window.findChildren<QObject*>(Qt::FindDirectChildrenOnly).size(); };
    const auto before = helpers();
    int runs = 0;
    int paintsAtRun = -1;
    RunAfterFirstPaint(window, [&] {
        ++runs;
        paintsAtRun = count.paints;
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs > 0; }, 10000));
    EXPECT_GE(paintsAtRun, 1) << "ran before the window was painted";
    // Once run, the watch leaves the window, and its late run with it; later paints bring none.
    EXPECT_TRUE(QTest::qWaitFor([&] { return helpers() == before; }, 10000));
    window.update();
    ASSERT_TRUE(QTest::qWaitFor([&] { return count.paints > paintsAtRun; }, 10000));
    EXPECT_EQ(runs, 1);

    QWidget hidden;
    int hiddenRuns = 0;
    RunAfterFirstPaint(hidden, [&] { ++hiddenRuns; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return hiddenRuns == 1; }, 10000)) << "a window never painted never got it";
}
