#include "grid/reference/grid_ctrl.h"

#include "grid/grid_offscreen_dc.h"
#include "platform/system_colours.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace reference {

void CGridCtrl::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.setClipRect(event->rect());
    CDC target(&painter);
    {
        CGridOffscreenDC offscreen(&target);
        OnDraw(&offscreen);
    }
    m_updateRect = QRect();
}

void CGridCtrl::FillBackground(CDC* dc)
{
    CRect clip;
    if (dc->GetClipBox(&clip) == RGN_ERROR)
        return;
    CRect visible;
    GetVisibleScrolledRange(&visible);
    const int fixedW = GetFixedColumnWidth();
    const int fixedH = GetFixedRowHeight();

    if (clip.left < fixedW && clip.top < fixedH)
        dc->FillSolidRect(CRect(clip.left, clip.top, fixedW, visible.bottom), m_defaultCornerCell.GetBackColour());
    if (clip.left < fixedW && clip.top < visible.bottom)
        dc->FillSolidRect(CRect(clip.left, clip.top, fixedW, visible.bottom),
                          m_defaultFixedColumnCell.GetBackColour());
    if (clip.top < fixedH && clip.right > fixedW && clip.left < visible.right)
        dc->FillSolidRect(CRect(fixedW - 1, clip.top, visible.right, fixedH), m_defaultFixedRowCell.GetBackColour());
    CRect overlap;
    if (overlap.IntersectRect(visible, clip))
        dc->FillSolidRect(CRect(std::max(overlap.left, fixedW), std::max(overlap.top, fixedH), overlap.right,
                                overlap.bottom),
                          m_defaultCell.GetBackColour());
    if (visible.right < clip.right)
        dc->FillSolidRect(CRect(visible.right, clip.top, clip.right, clip.bottom), m_emptyAreaColour);
    if (visible.bottom < clip.bottom && clip.left < visible.right)
        dc->FillSolidRect(CRect(clip.left, visible.bottom, visible.right, clip.bottom), m_emptyAreaColour);
}

void CGridCtrl::OnDraw(CDC* dc)
{
    CRect clip;
    if (dc->GetClipBox(&clip) == RGN_ERROR)
        return;
    FillBackground(dc);

    const int fixedW = GetFixedColumnWidth();
    const int fixedH = GetFixedRowHeight();
    const CGridCellId topLeft = GetTopLeftScrolledCell();
    CRect visible;
    const CGridCellRange range = GetVisibleScrolledRange(&visible);
    const auto drawCell = [this, dc](int row, int column, const CRect& rect) {
        if (CGridCellBase* cell = GetCell(row, column))
            cell->Draw(dc, row, column, rect, false);
    };

    // Corner cells, always.
    int y = 0;
    for (int row = 0; row < m_fixedRowCount; ++row) {
        const int h = GetRowHeight(row);
        int x = 0;
        for (int column = 0; column < m_fixedColumnCount; ++column) {
            const int w = GetColumnWidth(column);
            drawCell(row, column, CRect(x, y, x + w - 1, y + h - 1));
            x += w;
        }
        y += h;
    }

    // A band of rows against a band of columns, each band skipping what lies outside the clip
    // box and stopping at the first row or column past it.
    const auto drawBlock = [&](int firstRow, int lastRow, int top, int firstColumn, int lastColumn, int left) {
        int rowTop = top;
        for (int row = firstRow; row <= lastRow; ++row) {
            CRect rect;
            rect.top = rowTop;
            rect.bottom = rowTop + GetRowHeight(row) - 1;
            rowTop = rect.bottom + 1;
            if (rect.top > clip.bottom)
                break;
            if (rect.bottom < clip.top)
                continue;
            int columnLeft = left;
            for (int column = firstColumn; column <= lastColumn; ++column) {
                rect.left = columnLeft;
                rect.right = columnLeft + GetColumnWidth(column) - 1;
                columnLeft = rect.right + 1;
                if (rect.left > clip.right)
                    break;
                if (rect.right < clip.left)
                    continue;
                drawCell(row, column, rect);
            }
        }
    };
    drawBlock(topLeft.row, range.maxRow, fixedH, 0, m_fixedColumnCount - 1, 0);
    // A last column wider than the view, scrolled into, starts left of the fixed columns' edge;
    // what lies left of that edge is not drawn over them.
    const int shift = GetScrolledColumnShift();
    const int saved = shift > 0 && dc->GetPainter() != nullptr ? dc->SaveDC() : 0;
    if (saved != 0)
        dc->GetPainter()->setClipRect(QRect(fixedW, 0, std::max(0, clip.right - fixedW + 1), clip.bottom + 1),
                                      Qt::IntersectClip);
    drawBlock(0, m_fixedRowCount - 1, 0, topLeft.col, range.maxCol, fixedW - shift);
    drawBlock(topLeft.row, range.maxRow, fixedH, topLeft.col, range.maxCol, fixedW - shift);

    // Grid lines on the last pixel column and row of every visible scrolled column and row.
    const CPen gridPen(CPen::PS_SOLID, 0, m_gridLineColour);
    dc->SelectObject(&gridPen);
    int x = fixedW - shift;
    for (int column = topLeft.col; column <= range.maxCol; ++column) {
        x += GetColumnWidth(column);
        dc->MoveTo(x - 1, fixedH);
        dc->LineTo(x - 1, visible.bottom);
    }
    y = fixedH;
    for (int row = topLeft.row; row <= range.maxRow; ++row) {
        y += GetRowHeight(row);
        dc->MoveTo(fixedW, y - 1);
        dc->LineTo(visible.right, y - 1);
    }
    dc->SelectObject(GetStockPen(NULL_PEN));
    if (saved != 0)
        dc->RestoreDC(saved);
}

bool CGridCtrl::DrawCellNow(int row, int column, CDC* dc)
{
    CRect rect;
    if (!IsCellVisible(row, column) || !GetCellRect(row, column, &rect))
        return false;
    if (dc == nullptr || dc->GetPainter() == nullptr) {
        // Qt paints only from paint events: the cell is painted by the next one.
        InvalidateRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1));
        return true;
    }
    CGridCellBase* cell = GetCell(row, column);
    if (cell != nullptr)
        cell->Draw(dc, row, column, rect, true);
    if (row >= m_fixedRowCount && column >= m_fixedColumnCount) {
        const CPen gridPen(CPen::PS_SOLID, 0, m_gridLineColour);
        const CPen* oldPen = dc->SelectObject(&gridPen);
        dc->MoveTo(rect.left, rect.bottom);
        dc->LineTo(rect.right + 1, rect.bottom);
        dc->MoveTo(rect.right, rect.top);
        dc->LineTo(rect.right, rect.bottom + 1);
        dc->SelectObject(oldPen);
    }
    return true;
}

void CGridCtrl::OnSysColorChange()
{
    const QPalette& pal = palette();
    const COLORREF windowText = GetSysColor(COLOR_WINDOWTEXT, pal);
    const COLORREF window = GetSysColor(COLOR_WINDOW, pal);
    for (CGridDefaultCell* cell : {&m_defaultCell, &m_defaultFixedRowCell, &m_defaultFixedColumnCell,
                                   &m_defaultCornerCell}) {
        if (cell->GetTextColour() == m_sysWindowTextColour)
            cell->SetTextColour(windowText);
        if (cell->GetBackColour() == m_sysWindowColour)
            cell->SetBackColour(window);
    }
    if (m_emptyAreaColour == m_sysShadowColour)
        m_emptyAreaColour = GetSysColor(COLOR_BTNSHADOW, pal);
    ReadSystemColours();
}

} // namespace reference
