#include "grid/grid_ctrl.h"

#include "platform/key_state.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTimerEvent>

#include <algorithm>

namespace {

CPoint EventPoint(const QMouseEvent* event) { return FromQPoint(event->position().toPoint()); }
unsigned EventFlags(const QMouseEvent* event) { return MouseKeyFlags(event->modifiers(), event->buttons()); }

} // namespace

void CGridCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(EventFlags(event), EventPoint(event));
}

void CGridCtrl::mouseMoveEvent(QMouseEvent* event)
{
    // The cursor is chosen for every move the grid does not hold the mouse for.
    if (!HasCapture())
        OnSetCursor(EventPoint(event));
    OnMouseMove(EventFlags(event), EventPoint(event));
}

void CGridCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(EventFlags(event), EventPoint(event));
    else if (event->button() == Qt::RightButton)
        OnRButtonUp(EventFlags(event), EventPoint(event));
}

// The base class would treat the second press of a double click as a press.
void CGridCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDblClk(EventFlags(event), EventPoint(event));
}

void CGridCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    event->setAccepted(event->reason() == QContextMenuEvent::Mouse);
}

void CGridCtrl::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_autoScrollTimer.timerId())
        OnTimer(kAutoScrollTimerId);
    else
        QAbstractScrollArea::timerEvent(event);
}

bool CGridCtrl::HasCapture() const { return m_captured && QWidget::mouseGrabber() == viewport(); }

void CGridCtrl::SetArrowCursor() { viewport()->setCursor(Qt::ArrowCursor); }

void CGridCtrl::KillAutoScrollTimer()
{
    m_autoScrollTimer.stop();
    m_timerId = 0;
}

void CGridCtrl::OnLButtonDown(unsigned flags, CPoint point)
{
    setFocus(Qt::MouseFocusReason);
    m_leftButtonDown = true;
    m_clickDownCell = GetCellFromPoint(point, true);
    // Beside the cells the lookup may still find a row or a column; that is no cell.
    if (!IsValid(m_clickDownCell)) {
        m_clickDownCell = CGridCellId();
        return;
    }

    if ((flags & MK_SHIFT) != 0) {
        if (!IsValid(m_selectionStartCell))
            m_selectionStartCell = m_focusCell;
    } else {
        m_selectionStartCell = m_clickDownCell;
    }
    if (m_clickDownCell == m_focusCell)
        return;

    if (IsCellSelected(m_clickDownCell.row, m_clickDownCell.col)) {
        if ((flags & MK_CONTROL) != 0) {
            SetFocusCell(m_clickDownCell);
            SelectCellSpan(m_clickDownCell, true, false);
            return;
        }
    } else {
        SetFocusCell(-1, -1);
        if (m_rowCount > m_fixedRowCount && m_columnCount > m_fixedColumnCount)
            SetFocusCell(RaisedToScrolled(m_clickDownCell));
    }

    viewport()->grabMouse();
    m_captured = true;

    m_previousSelection.Clear();
    if ((flags & MK_CONTROL) != 0)
        m_previousSelection = m_selection;

    if (m_clickDownCell.row < m_fixedRowCount) {
        OnFixedRowClick(m_clickDownCell);
    } else if (m_clickDownCell.col < m_fixedColumnCount) {
        OnFixedColumnClick(m_clickDownCell);
    } else {
        m_mouseMode = MouseSelectCells;
        ExtendSelection(m_clickDownCell);
        m_autoScrollTimer.start(m_timerInterval, this);
        m_timerId = kAutoScrollTimerId;
    }
}

void CGridCtrl::OnFixedRowClick(const CGridCellId& cell)
{
    if (!IsValid(cell))
        return;
    m_mouseMode = cell.col < m_fixedColumnCount ? MouseSelectAll : MouseSelectColumns;
    ExtendSelection(cell);
}

void CGridCtrl::OnFixedColumnClick(const CGridCellId& cell)
{
    if (!IsValid(cell))
        return;
    m_mouseMode = cell.row < m_fixedRowCount ? MouseSelectAll : MouseSelectRows;
    ExtendSelection(cell);
}

void CGridCtrl::OnMouseMove(unsigned /*flags*/, CPoint point)
{
    if (!GetClientRect().PtInRect(point))
        return;

    if (m_leftButtonDown && m_mouseMode != MouseIdle) {
        if (!IsValid(m_clickDownCell))
            return;
        const CGridCellId cell = GetCellFromPoint(point, true);
        if (!IsValid(cell) || cell == m_focusCell)
            return;
        ExtendSelection(cell);
        if (!(m_mouseMode == MouseSelectCells && IsFixedCell(cell)))
            SetFocusCell(cell);
        return;
    }

    if (m_mouseMode != MouseIdle) {
        m_mouseMode = MouseIdle;
        SetArrowCursor();
    }
    // Over a cell whose text is cut off, the title tip shows the text whole; the tip itself
    // decides whether the text fits.
    const CGridCellId id = GetCellFromPoint(point, true);
    CGridCellBase* cell = CellView(id.row, id.col);
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

void CGridCtrl::OnTimer(int id)
{
    if (id != kAutoScrollTimerId)
        return;
    // Qt tells no widget that it lost the mouse; the running timer notices.
    if (m_captured && !HasCapture()) {
        OnCaptureChanged(QWidget::mouseGrabber());
        return;
    }
    const QPoint pos = viewport()->mapFromGlobal(m_cursorPos());
    const CRect client = GetClientRect();
    const int fixedH = GetFixedRowHeight();
    const int fixedW = GetFixedColumnWidth();
    // The cell reached is the last one drawn in the pointer's direction: its last pixel row or
    // column inside the window (the window's edge itself belongs to the next row, which would
    // make every tick run two rows ahead), or the last row or column of a log that ends short
    // of the window's edge.
    const auto lastX = [this] {
        CRect drawn;
        GetVisibleScrolledRange(&drawn);
        return drawn.right - 1;
    };
    const auto lastY = [this] {
        CRect drawn;
        GetVisibleScrolledRange(&drawn);
        return drawn.bottom - 1;
    };

    if (pos.y() > client.bottom) {
        OnKeyDown(VK_DOWN);
        ExtendSelection(GetCellFromPoint(CPoint(std::clamp(pos.x(), client.left, lastX()), lastY()), true));
    } else if (pos.y() < fixedH) {
        OnKeyDown(VK_UP);
        ExtendSelection(GetCellFromPoint(CPoint(std::clamp(pos.x(), client.left, lastX()), fixedH + 1), true));
    }
    if (pos.x() > client.right) {
        OnKeyDown(VK_RIGHT);
        ExtendSelection(GetCellFromPoint(CPoint(lastX(), std::clamp(pos.y(), client.top, lastY())), true));
    } else if (pos.x() < fixedW) {
        OnKeyDown(VK_LEFT);
        ExtendSelection(GetCellFromPoint(CPoint(fixedW + 1, std::clamp(pos.y(), client.top, lastY())), true));
    }
}

void CGridCtrl::OnLButtonUp(unsigned /*flags*/, CPoint /*point*/)
{
    m_leftButtonDown = false;
    if (m_captured && !HasCapture())
        OnCaptureChanged(QWidget::mouseGrabber());
    if (HasCapture()) {
        viewport()->releaseMouse();
        m_captured = false;
        KillAutoScrollTimer();
    }

    NotifyParent(m_clickDownCell.row, m_clickDownCell.col, NM_CLICK);
    m_mouseMode = MouseIdle;
    SetArrowCursor();

    if (IsValid(m_clickDownCell)) {
        // Posted: the owner sees the command after this handler has returned.
        const int wParam = m_controlId & 0xFFFF;
        QMetaObject::invokeMethod(this, [this, wParam] { emit GridCommand(wParam, this); }, Qt::QueuedConnection);
    }
}

void CGridCtrl::OnLButtonDblClk(unsigned /*flags*/, CPoint point)
{
    const CGridCellId cell = GetCellFromPoint(point, true);
    if (!IsValid(cell) || m_mouseMode != MouseIdle)
        return;
    CRect textRect;
    if (!IsFixedCell(cell) && IsValid(m_clickDownCell) && GetTextRect(cell.row, cell.col, &textRect)
        && point.x >= textRect.left && point.x <= textRect.right && point.y >= textRect.top
        && point.y <= textRect.bottom)
        HideTitleTip();
    NotifyParent(cell.row, cell.col, NM_DBLCLK);
}

void CGridCtrl::OnRButtonUp(unsigned /*flags*/, CPoint point)
{
    const CGridCellId cell = GetCellFromPoint(point, true);
    if (!IsValid(cell)) {
        NotifyParent(-1, -1, NM_RCLICK);
        return;
    }
    SetFocusCell(-1, -1);
    SetFocusCell(RaisedToScrolled(cell));
    NotifyParent(m_focusCell.row, m_focusCell.col, NM_RCLICK);
}

void CGridCtrl::OnCaptureChanged(QWidget* gaining)
{
    if (gaining == viewport())
        return;
    m_captured = false;
    if (m_timerId != 0)
        KillAutoScrollTimer();
}

bool CGridCtrl::OnSetCursor(CPoint point)
{
    const CGridCellId id = GetCellFromPoint(point, true);
    if (CGridCellBase* cell = CellView(id.row, id.col))
        return cell->OnSetCursor();
    SetArrowCursor();
    return true;
}
