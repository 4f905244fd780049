// The grid against the reference grid (the straightforward model it grew out of, kept in
// reference/): random sequences of every operation, applied to both, must leave the same
// answers, texts, states, notifications, copied bytes, repaint areas and pixels. The reference
// takes row deletion as the log's scrollback first had it.
#include "grid_test_support.h"

#include "grid/reference/grid_ctrl.h"
#include "platform/device_context.h"
#include "platform/ole_data_source.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <functional>
#include <random>
#include <sstream>

namespace {

constexpr int kAutoScrollTimer = 0x201;
static_assert(kAutoScrollTimer == kAutoScrollTimerId && kAutoScrollTimer == reference::kAutoScrollTimerId);

// One grid of either kind, shown at a fixed size with every notification recorded.
template <class Grid>
struct Shown {
    Grid grid;
    std::vector<std::string> notes;

    Shown()
    {
        QObject::connect(&grid, &Grid::GridNotify, [this](const auto& nm) {
            notes.push_back(std::to_string(nm.code) + "@" + std::to_string(nm.row) + "," + std::to_string(nm.column));
        });
        grid.resize(320 + 2 * grid.frameWidth(), 180 + 2 * grid.frameWidth());
        grid.show();
    }
    ~Shown()
    {
        if (QWidget* grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
    }

    QImage Pixels()
    {
        QImage image(grid.viewport()->size(), QImage::Format_RGB32);
        image.fill(0xFFFF00FF);
        QPainter painter(&image);
        CDC dc(&painter);
        grid.OnDraw(&dc);
        return image;
    }
    std::string Copied()
    {
        const auto data = grid.CreateCopyData();
        const std::string* block = data ? data->GetGlobalData(CF_TEXT) : nullptr;
        return block != nullptr ? *block : std::string("<none>");
    }
    // Everything the grid answers about its model, as text so that a difference reads at once.
    std::string Answers()
    {
        std::ostringstream out;
        out << "size " << grid.GetRowCount() << "x" << grid.GetColumnCount() << " fixed " << grid.GetFixedRowCount()
            << "x" << grid.GetFixedColumnCount();
        const CGridCellId focus(grid.GetFocusCell().row, grid.GetFocusCell().col);
        const CGridCellId anchor(grid.GetSelectionStartCell().row, grid.GetSelectionStartCell().col);
        const CGridCellRange range = grid.GetSelectedCellRange();
        out << " focus " << focus.row << "," << focus.col << " anchor " << anchor.row << "," << anchor.col << " range "
            << range.minRow << "," << range.minCol << "-" << range.maxRow << "," << range.maxCol << " copy "
            << grid.IsEditCopyEnabled() << " mode " << grid.GetMouseMode() << " scroll "
            << grid.GetScrollPosition(SB_VERT) << "," << grid.GetScrollPosition(SB_HORZ) << "\n";
        for (int r = 0; r < grid.GetRowCount(); ++r) {
            for (int c = 0; c < grid.GetColumnCount(); ++c) {
                out << r << "," << c << " '" << grid.GetItemText(r, c) << "' state " << grid.GetItemState(r, c)
                    << " selected "
                    << grid.IsCellSelected(r, c) << " format " << grid.GetItemFormat(r, c) << "\n";
            }
        }
        return out.str();
    }
};

class AgainstReference : public GridTest {
protected:
    Shown<CGridCtrl> mine;
    Shown<reference::CGridCtrl> oracle;
    std::mt19937 rng;

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }

    // Applies the same operation to both grids, the whole of it to one before the other (a drag
    // holds the mouse, which only one window can).
    template <class Op>
    void Both(Op op)
    {
        op(mine.grid);
        op(oracle.grid);
    }

    QPoint AnyPoint() { return QPoint(Pick(-5, 330), Pick(-5, 190)); }
    Qt::KeyboardModifiers AnyModifiers()
    {
        const int k = Pick(0, 6);
        return k == 0 ? Qt::ControlModifier : k == 1 ? Qt::ShiftModifier : k == 2 ? Qt::AltModifier : Qt::NoModifier;
    }

    // One random operation; its name for the failure message.
    std::string Step()
    {
        const int rows = std::max(1, oracle.grid.GetRowCount());
        const int columns = std::max(1, oracle.grid.GetColumnCount());
        const int r = Pick(-1, rows);
        const int c = Pick(-1, columns);
        switch (Pick(0, 19)) {
        case 18: {
            // Mostly the oldest rows, as a log with a scrollback limit drops them.
            const int first = Chance(60) ? oracle.grid.GetFixedRowCount() : Pick(-1, rows);
            const int count = Pick(-1, 8);
            Both([&](auto& g) { g.DeleteRows(first, count); });
            return "DeleteRows " + std::to_string(first) + " " + std::to_string(count);
        }
        case 17: {
            // A cell asked for by pointer answers as the grid does, and goes on answering so.
            std::string answers[2];
            int k = 0;
            Both([&](auto& g) {
                const auto* cell = g.GetCell(r, c);
                answers[k++] = cell == nullptr ? "none"
                                               : std::to_string(cell->GetState()) + " " + cell->GetText() + " "
                                                     + std::to_string(cell->GetFormat());
            });
            EXPECT_EQ(answers[0], answers[1]);
            return "GetCell " + std::to_string(r) + "," + std::to_string(c);
        }
        case 0: {
            const int n = Pick(0, 40);
            Both([&](auto& g) { g.SetRowCount(n); });
            return "SetRowCount " + std::to_string(n);
        }
        case 1: {
            const int n = Pick(0, 6);
            Both([&](auto& g) { g.SetColumnCount(n); });
            return "SetColumnCount " + std::to_string(n);
        }
        case 2: {
            const int n = Pick(0, 2);
            const bool rowsToo = Chance(50);
            Both([&](auto& g) { rowsToo ? g.SetFixedRowCount(n) : g.SetFixedColumnCount(n); });
            return std::string(rowsToo ? "SetFixedRowCount " : "SetFixedColumnCount ") + std::to_string(n);
        }
        case 3: {
            const std::string text = Chance(20) ? "" : std::string(static_cast<std::size_t>(Pick(1, 30)), static_cast<char>('a' + Pick(0, 25)));
            Both([&](auto& g) { g.SetItemText(r, c, text); });
            return "SetItemText " + std::to_string(r) + "," + std::to_string(c);
        }
        case 4: {
            const unsigned bit = Chance(70) ? GRIDSTATE_SELECTED : Chance(50) ? GRIDSTATE_READONLY : GRIDSTATE_FOCUSED;
            Both([&](auto& g) { g.SetItemState(r, c, g.GetItemState(r, c) ^ bit); });
            return "toggle state " + std::to_string(bit) + " at " + std::to_string(r) + "," + std::to_string(c);
        }
        case 5: {
            const int r1 = Pick(-1, rows), c1 = Pick(-1, columns);
            const bool select = Chance(70);
            const bool repaintNow = Chance(30);
            Both([&](auto& g) { g.SelectRange(r, c, r1, c1, repaintNow, select); });
            return "SelectRange " + std::to_string(r) + "," + std::to_string(c) + "-" + std::to_string(r1) + ","
                   + std::to_string(c1) + (select ? " select" : " deselect");
        }
        case 6:
            if (Chance(50)) {
                Both([](auto& g) { g.SelectAll(); });
                return "SelectAll";
            }
            Both([](auto& g) { g.ClearSelection(); });
            return "ClearSelection";
        case 7:
            Both([&](auto& g) { g.SetFocusCell(r, c); });
            return "SetFocusCell " + std::to_string(r) + "," + std::to_string(c);
        case 8: {
            const int kind = Pick(0, 2);
            const bool select = Chance(70);
            Both([&](auto& g) {
                if (kind == 0)
                    g.SelectCellSpan(CGridCellId(r, c), false, select);
                else if (kind == 1)
                    g.SelectRowSpan(CGridCellId(r, c), false, select);
                else
                    g.SelectColumnSpan(CGridCellId(r, c), false, select);
            });
            return "span " + std::to_string(kind) + " to " + std::to_string(r) + "," + std::to_string(c);
        }
        case 9:
            Both([&](auto& g) { g.SetSelectionStartCell(CGridCellId(r, c)); });
            return "SetSelectionStartCell";
        case 10:
        case 11:
        case 12: {
            // A press, a drag through some points with an auto-scroll tick or two, a release.
            const QPoint down = AnyPoint();
            const Qt::KeyboardModifiers modifiers = AnyModifiers();
            std::vector<QPoint> path(static_cast<std::size_t>(Pick(0, 4)));
            for (QPoint& p : path)
                p = AnyPoint();
            const QPoint outside(Pick(-40, 360), Chance(50) ? 230 : -20);
            const int ticks = Chance(30) ? Pick(1, 3) : 0;
            Both([&](auto& g) {
                QWidget* view = g.viewport();
                QTest::mousePress(view, Qt::LeftButton, modifiers, down);
                for (const QPoint& p : path) {
                    QMouseEvent move(QEvent::MouseMove, p, view->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, modifiers);
                    QApplication::sendEvent(view, &move);
                }
                g.SetCursorPositionSource([view, outside] { return view->mapToGlobal(outside); });
                for (int t = 0; t < ticks; ++t)
                    g.OnTimer(kAutoScrollTimer);
                QTest::mouseRelease(view, Qt::LeftButton, modifiers, path.empty() ? down : path.back());
            });
            return "drag from " + std::to_string(down.x()) + "," + std::to_string(down.y()) + " modifiers "
                   + std::to_string(modifiers.toInt()) + " through " + std::to_string(path.size()) + " ticks "
                   + std::to_string(ticks);
        }
        case 13:
        case 14: {
            static const int keys[] = {Qt::Key_Up,   Qt::Key_Down,   Qt::Key_Left, Qt::Key_Right,
                                       Qt::Key_Home, Qt::Key_End,    Qt::Key_Tab,  Qt::Key_PageDown,
                                       Qt::Key_PageUp, Qt::Key_A,   Qt::Key_C};
            const int key = keys[Pick(0, std::size(keys) - 1)];
            const Qt::KeyboardModifiers modifiers = AnyModifiers();
            Both([&](auto& g) { QTest::keyClick(&g, static_cast<Qt::Key>(key), modifiers); });
            return "key " + std::to_string(key) + " modifiers " + std::to_string(modifiers.toInt());
        }
        case 15: {
            const QPoint at = AnyPoint();
            Both([&](auto& g) { QTest::mouseClick(g.viewport(), Qt::RightButton, Qt::NoModifier, at); });
            return "right click";
        }
        case 16: {
            const bool row = Chance(50);
            const int size = Chance(30) ? 0 : Pick(5, 40);
            Both([&](auto& g) { row ? g.SetRowHeight(r, size) : g.SetColumnWidth(c, size); });
            return std::string(row ? "row height " : "column width ") + std::to_string(size);
        }
        default: {
            const int to = Pick(0, 400);
            const bool vertical = Chance(70);
            Both([&](auto& g) {
                g.SetScrollPosition(vertical ? SB_VERT : SB_HORZ, to);
                g.EnsureVisible(r, c);
            });
            return "scroll";
        }
        }
    }

    void Run(unsigned seed, int steps)
    {
        rng.seed(seed);
        Both([](auto& g) {
            g.SetColumnCount(4);
            g.SetRowCount(12);
            g.SetFixedRowCount(1);
        });
        std::string history;
        for (int step = 0; step < steps; ++step) {
            mine.grid.ValidateAll();
            oracle.grid.ValidateAll();
            history += Step() + "\n";
            SCOPED_TRACE("seed " + std::to_string(seed) + ", after:\n" + history);
            ASSERT_EQ(mine.Answers(), oracle.Answers());
            ASSERT_EQ(mine.notes, oracle.notes);
            // Each repaints at least what the reference does; more would only cost time.
            CRect mineDirty;
            CRect oracleDirty;
            if (oracle.grid.GetUpdateRect(&oracleDirty)) {
                ASSERT_TRUE(mine.grid.GetUpdateRect(&mineDirty));
                ASSERT_TRUE(mineDirty.left <= oracleDirty.left && mineDirty.top <= oracleDirty.top
                            && mineDirty.right >= oracleDirty.right && mineDirty.bottom >= oracleDirty.bottom);
            }
            if (step % 4 == 0) {
                ASSERT_EQ(mine.Copied(), oracle.Copied());
                ASSERT_TRUE(mine.Pixels() == oracle.Pixels());
            }
            if (step % 16 == 0) {
                ASSERT_EQ(mine.grid.CheckIndexConsistency(), "");
            }
        }
    }
};

} // namespace

TEST_F(AgainstReference, RandomOperationSequencesGiveTheSameGrid)
{
    for (unsigned seed = 1; seed <= 24; ++seed) {
        Run(seed, 160);
        if (HasFatalFailure())
            return;
    }
}

// Toggled cells and blocks cut into pieces: the selection's bookkeeping is at its busiest.
TEST_F(AgainstReference, CtrlTogglesInsideLargeBlocksGiveTheSameGrid)
{
    Both([](auto& g) {
        g.SetColumnCount(5);
        g.SetRowCount(30);
        g.SetFixedRowCount(1);
        g.SetFixedColumnCount(1);
    });
    rng.seed(99);
    for (int round = 0; round < 40; ++round) {
        const QPoint from(Pick(60, 300), Pick(25, 170));
        const QPoint to(Pick(60, 300), Pick(25, 170));
        Both([&](auto& g) {
            QTest::mousePress(g.viewport(), Qt::LeftButton, Qt::ControlModifier, from);
            QMouseEvent move(QEvent::MouseMove, to, g.viewport()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                             Qt::ControlModifier);
            QApplication::sendEvent(g.viewport(), &move);
            QTest::mouseRelease(g.viewport(), Qt::LeftButton, Qt::ControlModifier, to);
            g.SetItemState(3 + round % 20, 1 + round % 4, g.GetItemState(3 + round % 20, 1 + round % 4) ^ GRIDSTATE_SELECTED);
        });
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(mine.Answers(), oracle.Answers());
        ASSERT_EQ(mine.Copied(), oracle.Copied());
        ASSERT_TRUE(mine.Pixels() == oracle.Pixels());
    }
}
