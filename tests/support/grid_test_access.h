#pragma once

#include "grid/grid_ctrl.h"
#include "platform/device_context.h"

#include <functional>
#include <string>

// What tests reach behind the grid's public surface: the handlers Qt's events arrive at, the
// state of a press, the repaint area, and the check of the grid's indexes against its sizes.
struct GridTestAccess {
    static void Timer(CGridCtrl& grid, int id) { grid.OnTimer(id); }
    static void MouseMove(CGridCtrl& grid, unsigned flags, CPoint point) { grid.OnMouseMove(flags, point); }
    static bool SetCursor(CGridCtrl& grid, CPoint point) { return grid.OnSetCursor(point); }
    static void Wheel(CGridCtrl& grid, int delta) { grid.OnMouseWheel(delta); }
    static void HScroll(CGridCtrl& grid, int code) { grid.OnHScroll(code); }
    static void VScroll(CGridCtrl& grid, int code) { grid.OnVScroll(code); }
    static void Draw(CGridCtrl& grid, CDC* dc) { grid.OnDraw(dc); }
    static bool DrawCellNow(CGridCtrl& grid, int row, int column, CDC* dc = nullptr)
    {
        return grid.DrawCellNow(row, column, dc);
    }
    static std::unique_ptr<CDC> GetDC(CGridCtrl& grid) { return grid.GetDC(); }
    static bool UpdateRect(const CGridCtrl& grid, CRect* rect) { return grid.GetUpdateRect(rect); }
    static void Validate(CGridCtrl& grid) { grid.ValidateAll(); }

    static int MouseMode(const CGridCtrl& grid) { return grid.GetMouseMode(); }
    static bool HasCapture(const CGridCtrl& grid) { return grid.HasCapture(); }
    static int TimerId(const CGridCtrl& grid) { return grid.GetTimerId(); }
    static bool AutoScrollTimerRuns(const CGridCtrl& grid) { return grid.m_autoScrollTimer.isActive(); }
    static void SetCursorPositionSource(CGridCtrl& grid, std::function<QPoint()> source)
    {
        grid.SetCursorPositionSource(std::move(source));
    }
    static CGridTitleTip& TitleTip(CGridCtrl& grid) { return grid.GetTitleTip(); }
    static CGridOleDropTarget& DropTarget(CGridCtrl& grid) { return grid.m_dropTarget; }
    static unsigned DragEnter(CGridCtrl& grid, const QMimeData* data, unsigned keyState, CPoint point)
    {
        return grid.OnDragEnter(data, keyState, point);
    }
    static unsigned DragOver(CGridCtrl& grid, const QMimeData* data, unsigned keyState, CPoint point)
    {
        return grid.OnDragOver(data, keyState, point);
    }
    static bool Drop(CGridCtrl& grid, const QMimeData* data, unsigned effect, CPoint point)
    {
        return grid.OnDrop(data, effect, point);
    }

    // The cell to read or measure, without giving a plain cell an object.
    static CGridCellBase* CellView(const CGridCtrl& grid, int row, int column) { return grid.CellView(row, column); }
    // Cells of the column left unmeasured, on either side of the fixed rows.
    static int UnmeasuredCells(const CGridCtrl& grid, int column)
    {
        const CColumnExtentTally& tally = grid.m_columnTallies[static_cast<std::size_t>(column)];
        return tally.Unmeasured(true) + tally.Unmeasured(false);
    }

    // "" when every index agrees with the sizes and cells, else the first difference.
    static std::string CheckIndexes(CGridCtrl& grid) { return grid.CheckIndexConsistency(); }
};
