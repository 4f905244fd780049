// The grid against the plain model of what it should do (plain_grid_model.h): random sequences
// of counts, deletions, sizes, texts, state bits, selection calls, clicks, drags and keys,
// applied to both, must leave the same texts, states, selection, focus, copied bytes and
// notifications after every step.
#include "grid_test_support.h"
#include "plain_grid_model.h"
#include "support/grid_test_access.h"

#include "grid/grid_default_cell.h"
#include "platform/ole_data_source.h"

#include <QMouseEvent>
#include <QTest>

#include <random>
#include <sstream>

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 180;

class AgainstModel : public GridTest, public ::testing::WithParamInterface<unsigned> {
protected:
    AgainstModel()
        : model(grid.GetDefaultCell(false, false)->GetHeight(), grid.GetDefaultCell(false, true)->GetWidth())
    {
        QObject::connect(&grid, &CGridCtrl::GridNotify, [this](const CGridNotify& nm) {
            notes.push_back(std::to_string(nm.code) + "@" + std::to_string(nm.row) + "," + std::to_string(nm.column));
        });
        grid.resize(kWidth + 2 * grid.frameWidth(), kHeight + 2 * grid.frameWidth());
        grid.show();
    }
    ~AgainstModel() override
    {
        if (QWidget* grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
    }

    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(int percent) { return Pick(1, 100) <= percent; }
    QPoint AnyPoint() { return QPoint(Pick(-5, kWidth + 10), Pick(-5, kHeight + 10)); }

    PlainGridModel::View View()
    {
        const CRect client = grid.GetClientRect();
        return {grid.GetTopLeftScrolledCell(), grid.GetScrolledColumnShift(), client.Width(), client.Height()};
    }

    std::string Describe()
    {
        std::ostringstream out;
        out << "size " << grid.GetRowCount() << "x" << grid.GetColumnCount() << " fixed " << grid.GetFixedRowCount()
            << "x" << grid.GetFixedColumnCount() << " focus " << grid.GetFocusCell().row << ","
            << grid.GetFocusCell().col << " anchor " << grid.GetSelectionStartCell().row << ","
            << grid.GetSelectionStartCell().col << " mode " << GridTestAccess::MouseMode(grid) << "\n";
        for (int r = 0; r < grid.GetRowCount(); ++r)
            out << "row " << r << " height " << grid.GetRowHeight(r) << "\n";
        for (int c = 0; c < grid.GetColumnCount(); ++c)
            out << "column " << c << " width " << grid.GetColumnWidth(c) << "\n";
        for (int r = 0; r < grid.GetRowCount(); ++r) {
            for (int c = 0; c < grid.GetColumnCount(); ++c)
                out << r << "," << c << " '" << grid.GetItemText(r, c) << "' state " << grid.GetItemState(r, c) << "\n";
        }
        return out.str();
    }
    std::string Copied()
    {
        const auto data = grid.CreateCopyData();
        const std::string* block = data ? data->GetGlobalData(CF_TEXT) : nullptr;
        return block != nullptr ? *block : std::string("<none>");
    }

    // One random operation on both; its name for the failure message.
    std::string Step()
    {
        const int rows = std::max(1, model.Rows());
        const int columns = std::max(1, model.Columns());
        const int r = Pick(-1, rows);
        const int c = Pick(-1, columns);
        switch (Pick(0, 17)) {
        case 0: {
            const int n = Pick(0, 40);
            grid.SetRowCount(n);
            model.SetRowCount(n);
            return "SetRowCount " + std::to_string(n);
        }
        case 1: {
            const int n = Pick(0, 6);
            grid.SetColumnCount(n);
            model.SetColumnCount(n);
            return "SetColumnCount " + std::to_string(n);
        }
        case 2: {
            const int n = Pick(0, 2);
            if (Chance(50)) {
                grid.SetFixedRowCount(n);
                model.SetFixedRowCount(n);
                return "SetFixedRowCount " + std::to_string(n);
            }
            grid.SetFixedColumnCount(n);
            model.SetFixedColumnCount(n);
            return "SetFixedColumnCount " + std::to_string(n);
        }
        case 3: {
            // Mostly the oldest rows, as a log with a scrollback limit drops them.
            const int first = Chance(60) ? model.FixedRows() : Pick(-1, rows);
            const int count = Pick(-1, 8);
            grid.DeleteRows(first, count);
            model.DeleteRows(first, count);
            return "DeleteRows " + std::to_string(first) + " " + std::to_string(count);
        }
        case 4: {
            const bool row = Chance(50);
            const int size = Chance(30) ? 0 : Pick(5, 40);
            if (row) {
                grid.SetRowHeight(r, size);
                model.SetRowHeight(r, size);
            } else {
                grid.SetColumnWidth(c, size);
                model.SetColumnWidth(c, size);
            }
            return std::string(row ? "SetRowHeight " + std::to_string(r) : "SetColumnWidth " + std::to_string(c))
                   + " " + std::to_string(size);
        }
        case 5: {
            if (wholeRows && Chance(50))
                return WholeRow(r);
            const std::string text = Chance(20) ? "" : std::string(static_cast<std::size_t>(Pick(1, 12)), static_cast<char>('a' + Pick(0, 25)));
            grid.SetItemText(r, c, text);
            model.SetItemText(r, c, text);
            return "SetItemText " + std::to_string(r) + "," + std::to_string(c) + " '" + text + "'";
        }
        case 6: {
            const unsigned bit = Chance(70) ? GRIDSTATE_SELECTED : GRIDSTATE_READONLY;
            grid.SetItemState(r, c, grid.GetItemState(r, c) ^ bit);
            model.ToggleState(r, c, bit);
            return "toggle state " + std::to_string(bit) + " at " + std::to_string(r) + "," + std::to_string(c);
        }
        case 7: {
            const int r1 = Pick(-1, rows), c1 = Pick(-1, columns);
            const bool select = Chance(70);
            grid.SelectRange(r, c, r1, c1, Chance(30), select);
            model.SelectRange(r, c, r1, c1, select);
            return "SelectRange " + std::to_string(r) + "," + std::to_string(c) + "-" + std::to_string(r1) + ","
                   + std::to_string(c1) + (select ? " select" : " deselect");
        }
        case 8:
            if (Chance(50)) {
                grid.SelectAll();
                model.SelectAll();
                return "SelectAll";
            }
            grid.ClearSelection();
            model.ClearSelection();
            return "ClearSelection";
        case 9:
            grid.SetFocusCell(r, c);
            model.SetFocusCell(CGridCellId(r, c));
            return "SetFocusCell " + std::to_string(r) + "," + std::to_string(c);
        case 10: {
            const int kind = Pick(0, 2);
            const bool select = Chance(70);
            const CGridCellId cell(r, c);
            if (kind == 0)
                grid.SelectCellSpan(cell, false, select);
            else if (kind == 1)
                grid.SelectRowSpan(cell, false, select);
            else
                grid.SelectColumnSpan(cell, false, select);
            model.SelectSpan(kind, cell, select);
            return "span " + std::to_string(kind) + " to " + std::to_string(r) + "," + std::to_string(c);
        }
        case 11:
            grid.SetSelectionStartCell(CGridCellId(r, c));
            model.SetSelectionStartCell(CGridCellId(r, c));
            return "SetSelectionStartCell " + std::to_string(r) + "," + std::to_string(c);
        case 12:
        case 13:
            return Drag();
        case 14:
        case 15:
            return Key();
        case 16: {
            const QPoint at = AnyPoint();
            const PlainGridModel::View view = View();
            QTest::mouseClick(grid.viewport(), Qt::RightButton, Qt::NoModifier, at);
            model.RightClick(view, at.x(), at.y());
            return "right click " + std::to_string(at.x()) + "," + std::to_string(at.y());
        }
        default: {
            const int to = Pick(0, 400);
            grid.SetScrollPosition(Chance(70) ? SB_VERT : SB_HORZ, to);
            grid.EnsureVisible(r, c);
            return "scroll";
        }
        }
    }

    // The first few texts of a row in one call; the model sets them one by one.
    std::string WholeRow(int r)
    {
        std::vector<std::string> texts(static_cast<std::size_t>(Pick(0, model.Columns())));
        for (std::string& text : texts)
            text = std::string(static_cast<std::size_t>(Pick(0, 12)), static_cast<char>('a' + Pick(0, 25)));
        const std::vector<std::string_view> views(texts.begin(), texts.end());
        grid.SetRowTexts(r, views);
        std::string name = "SetRowTexts " + std::to_string(r);
        for (std::size_t c = 0; c < texts.size(); ++c) {
            model.SetItemText(r, static_cast<int>(c), texts[c]);
            name += " '" + texts[c] + "'";
        }
        return name;
    }

    // A press, a drag through some points, a release; the view cannot move meanwhile.
    std::string Drag()
    {
        const QPoint down = AnyPoint();
        const int k = Pick(0, 4);
        const Qt::KeyboardModifiers modifiers = k == 0 ? Qt::ControlModifier : k == 1 ? Qt::ShiftModifier : Qt::NoModifier;
        std::vector<QPoint> path(static_cast<std::size_t>(Pick(0, 4)));
        for (QPoint& p : path)
            p = AnyPoint();
        const PlainGridModel::View view = View();
        QWidget* port = grid.viewport();
        QTest::mousePress(port, Qt::LeftButton, modifiers, down);
        model.LeftPress(view, down.x(), down.y(), k == 1, k == 0);
        std::string name = "drag from " + std::to_string(down.x()) + "," + std::to_string(down.y()) + " modifiers "
                           + std::to_string(modifiers.toInt());
        for (const QPoint& p : path) {
            QMouseEvent move(QEvent::MouseMove, p, port->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, modifiers);
            QApplication::sendEvent(port, &move);
            model.LeftDrag(view, p.x(), p.y());
            name += " through " + std::to_string(p.x()) + "," + std::to_string(p.y());
        }
        QTest::mouseRelease(port, Qt::LeftButton, modifiers, path.empty() ? down : path.back());
        model.LeftRelease();
        return name;
    }

    std::string Key()
    {
        static const int keys[] = {Qt::Key_Up,  Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home,
                                   Qt::Key_End, Qt::Key_Tab,  Qt::Key_A,    Qt::Key_C};
        const int key = keys[Pick(0, static_cast<int>(std::size(keys)) - 1)];
        const int k = Pick(0, 6);
        // Ctrl+Tab leaves the grid for the next control; that is the window's business.
        const bool control = k == 0 && key != Qt::Key_Tab;
        const bool shift = k == 1 || k == 4;
        const bool alt = k == 2;
        Qt::KeyboardModifiers modifiers;
        modifiers.setFlag(Qt::ControlModifier, control);
        modifiers.setFlag(Qt::ShiftModifier, shift);
        modifiers.setFlag(Qt::AltModifier, alt);
        QTest::keyClick(&grid, static_cast<Qt::Key>(key), modifiers);
        // An Alt chord is the desktop's.
        if (!alt)
            model.Key(key, shift, control);
        return "key " + std::to_string(key) + " modifiers " + std::to_string(modifiers.toInt());
    }

    // A log's shape: a header row over a dozen rows of four columns.
    void StartAsLog()
    {
        grid.SetColumnCount(4);
        grid.SetRowCount(12);
        grid.SetFixedRowCount(1);
        model.SetColumnCount(4);
        model.SetRowCount(12);
        model.SetFixedRowCount(1);
    }

    void Run(unsigned seed, int steps)
    {
        rng.seed(seed);
        for (int step = 0; step < steps; ++step) {
            history += Step() + "\n";
            SCOPED_TRACE("seed " + std::to_string(seed) + ", after:\n" + history);
            ASSERT_EQ(Describe(), model.Describe());
            ASSERT_EQ(notes, model.Notes());
            ASSERT_EQ(Copied(), model.Copied());
            if (step % 16 == 0) {
                ASSERT_EQ(GridTestAccess::CheckIndexes(grid), "");
            }
        }
    }

    CGridCtrl grid;
    PlainGridModel model;
    std::vector<std::string> notes;
    std::mt19937 rng;
    std::string history;
    // Texts are also set a row at a time.
    bool wholeRows = false;
};

} // namespace

// Each seed starts from a log's shape: a header row over a dozen rows of four columns.
TEST_P(AgainstModel, RandomOperationSequencesGiveWhatTheModelSays)
{
    StartAsLog();
    Run(GetParam(), 160);
}

INSTANTIATE_TEST_SUITE_P(Seeds, AgainstModel, ::testing::Range(1u, 25u));

// The same with rows written whole, as the log writes them, among the texts set one by one.
TEST_P(AgainstModel, RowsWrittenWholeGiveWhatTheModelSays)
{
    wholeRows = true;
    StartAsLog();
    Run(GetParam() + 1000, 160);
}
