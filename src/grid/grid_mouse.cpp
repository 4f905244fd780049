#include "grid/grid_ctrl.h"

#include <QMouseEvent>

void CGridCtrl::mouseMoveEvent(QMouseEvent* event) { OnMouseMove(FromQPoint(event->position().toPoint())); }

void CGridCtrl::OnMouseMove(CPoint point)
{
    if (!GetClientRect().PtInRect(point))
        return;
    // Over a cell whose text is cut off, the title tip shows the text whole; the tip itself
    // decides whether the text fits.
    const CGridCellId id = GetCellFromPoint(point, true);
    CGridCellBase* cell = GetCell(id.row, id.col);
    if (cell == nullptr)
        return;
    const char* text = cell->GetTipText();
    if (text == nullptr || *text == '\0')
        return;
    CRect textRect;
    CRect hoverRect;
    if (GetCellRect(id.row, id.col, &textRect) && cell->GetTipTextRect(&textRect)
        && GetCellRect(id.row, id.col, &hoverRect))
        m_titleTip.Show(textRect, text, 0, &hoverRect, cell->GetFont(), m_titleTipTextColour, m_titleTipBackColour);
}
