#pragma once

#include "grid_test_support.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

// A grid of uniform cells ("row.column" texts) inside a parent that records the keys the grid
// leaves to it, with every notification and command recorded and input sent as Qt events.
class GridInput : public GridTest {
protected:
    static constexpr int kControlId = 1003;

    GridInput() : grid(*new CGridCtrl(0, 0, 0, 0, &parent))
    {
        grid.SetDlgCtrlID(kControlId);
        parent.installEventFilter(&keysToParent);
        QObject::connect(&grid, &CGridCtrl::GridNotify, [this](const CGridNotify& nm) {
            EXPECT_EQ(nm.grid, &grid);
            EXPECT_EQ(nm.controlId, kControlId);
            notes.emplace_back(nm.code, CGridCellId(nm.row, nm.column));
        });
        QObject::connect(&grid, &CGridCtrl::GridCommand, [this](int wParam, CGridCtrl* from) {
            EXPECT_EQ(from, &grid);
            commands.push_back(wParam);
        });
    }
    ~GridInput() override
    {
        QObject::disconnect(&grid, nullptr, nullptr, nullptr);
        if (QWidget* grabber = QWidget::mouseGrabber())
            grabber->releaseMouse();
    }

    // rows x columns of 20 x 50 pixels in a client area of w x h.
    void Build(int rows, int columns, int fixedRows, int fixedColumns, int w = 300, int h = 200)
    {
        parent.show();
        MakeUniform(grid, rows, columns, fixedRows, fixedColumns, w, h);
        grid.move(0, 0);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < columns; ++c)
                grid.SetItemText(r, c, CellText(r, c));
        }
    }

    static std::string CellText(int row, int column)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%d.%d", row, column);
        return text;
    }

    QWidget* view() { return grid.viewport(); }
    // The middle of a visible cell, in client pixels.
    QPoint At(int row, int column)
    {
        CRect r;
        EXPECT_TRUE(grid.GetCellRect(row, column, &r)) << row << "," << column;
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Press(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::mousePress(view(), Qt::LeftButton, m, p); }
    void Release(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mouseRelease(view(), Qt::LeftButton, m, p);
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        Press(p, m);
        Release(p, m);
    }
    void Move(QPoint p, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        QMouseEvent move(QEvent::MouseMove, p, view()->mapToGlobal(p), Qt::NoButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(view(), &move);
    }
    void Key(int key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(&grid, static_cast<Qt::Key>(key), m); }

    std::set<CGridCellId> Selected()
    {
        std::set<CGridCellId> cells;
        for (int r = 0; r < grid.GetRowCount(); ++r) {
            for (int c = 0; c < grid.GetColumnCount(); ++c) {
                if (grid.IsCellSelected(r, c))
                    cells.insert(CGridCellId(r, c));
            }
        }
        return cells;
    }
    static std::set<CGridCellId> Block(int r0, int c0, int r1, int c1)
    {
        std::set<CGridCellId> cells;
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c)
                cells.insert(CGridCellId(r, c));
        }
        return cells;
    }
    // The queued commands arrive.
    void Deliver() { QCoreApplication::processEvents(); }

    // Keys that reached the parent: what the grid left to the platform. Modifier keys are not counted.
    struct KeyRecorder : QObject {
        std::vector<int> keys;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress) {
                const int key = static_cast<QKeyEvent*>(e)->key();
                if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt)
                    keys.push_back(key);
            }
            return false;
        }
    };

    QWidget parent;
    KeyRecorder keysToParent;
    CGridCtrl& grid;
    std::vector<std::pair<int, CGridCellId>> notes;
    std::vector<int> commands;
};
