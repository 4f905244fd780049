#include "grid/grid_ctrl.h"

#include "platform/key_state.h"

#include <QKeyEvent>

#include <algorithm>

void CGridCtrl::keyPressEvent(QKeyEvent* event)
{
    // An Alt chord is a system key (a menu's mnemonic, the window manager's): not the grid's.
    if (event->modifiers().testFlag(Qt::AltModifier)) {
        event->ignore();
        return;
    }
    const unsigned key = VirtualKeyFromQt(event->key());
    const bool back = event->key() == Qt::Key_Backtab || event->modifiers().testFlag(Qt::ShiftModifier);
    // With Ctrl down Tab belongs to the dialog, which moves the focus on.
    if (key == VK_TAB && event->modifiers().testFlag(Qt::ControlModifier)) {
        QAbstractScrollArea::focusNextPrevChild(!back);
        return;
    }
    bool used = key != 0 && OnKeyDown(key);
    if (!event->text().isEmpty())
        OnChar(event->text().at(0).unicode());
    // The grid asks for Tab: one with no cell to go to (past either end, or before any cell has
    // the focus) is still the grid's, and the keyboard focus stays. Ctrl+Tab leaves.
    if (key == VK_TAB)
        used = true;
    // What the grid does not use goes on to the parent, as the platform's default handling.
    event->setAccepted(used);
}

bool CGridCtrl::focusNextPrevChild(bool next)
{
    if (GetKeyState(VK_CONTROL) >= 0)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void CGridCtrl::OnChar(unsigned character)
{
    if (GetKeyState(VK_CONTROL) >= 0 && m_mouseMode == MouseIdle && character != VK_ESCAPE && character != VK_TAB)
        HideTitleTip();
}

bool CGridCtrl::OnKeyDown(unsigned key)
{
    if (!IsValid(m_focusCell))
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool shift = GetKeyState(VK_SHIFT) < 0;

    bool used = false;
    if (control) {
        used = true;
        switch (key) {
        case VK_INSERT:
        case 'C': OnEditCopy(); break;
        case 'A': SelectAll(); break;
        case 'V': OnEditPaste(); break;
        case 'X': OnEditCut(); break;
        default: used = false; break;
        }
    }
    if (shift && key == VK_INSERT) {
        OnEditPaste();
        used = true;
    }

    CGridCellId next = m_focusCell;
    bool wrapped = false;
    if (!NextKeyCell(key, shift, control, next, wrapped))
        return used;
    if (next == m_focusCell)
        return true;

    if (m_mouseMode == MouseIdle) {
        m_previousSelection.Clear();
        m_mouseMode = MouseSelectCells;
        if (!shift || key == VK_TAB)
            m_selectionStartCell = next;
        ExtendSelection(next);
        m_mouseMode = MouseIdle;
    }
    SetFocusCell(next);

    if (IsCellVisible(next.row, next.col)) {
        EnsureVisible(next.row, next.col);
        return true;
    }
    ScrollTowards(key, shift, wrapped);
    EnsureVisible(next.row, next.col);
    InvalidateAll();
    EnsureVisible(next.row, next.col);
    return true;
}

bool CGridCtrl::NextKeyCell(unsigned key, bool shift, bool control, CGridCellId& next, bool& wrapped)
{
    const auto rowSized = [this](int r) { return GetRowHeight(r) > 0; };
    const auto columnSized = [this](int c) { return GetColumnWidth(c) > 0; };
    switch (key) {
    case VK_TAB:
        if (!shift) {
            if (next.col < m_columnCount - 1) {
                ++next.col;
            } else if (next.row < m_rowCount - 1) {
                ++next.row;
                next.col = m_fixedColumnCount;
                wrapped = true;
            } else {
                return false;
            }
        } else if (next.col > m_fixedColumnCount) {
            --next.col;
        } else if (next.row > m_fixedRowCount) {
            --next.row;
            next.col = m_columnCount - 1;
            wrapped = true;
        } else {
            return false;
        }
        return true;
    case VK_PRIOR:
    case VK_NEXT: {
        const int before = GetTopLeftScrolledCell().row;
        OnVScroll(key == VK_PRIOR ? SB_PAGEUP : SB_PAGEDOWN);
        const int moved = GetTopLeftScrolledCell().row - before;
        if (key == VK_PRIOR)
            next.row = moved == 0 ? m_fixedRowCount : std::max(next.row + moved, m_fixedRowCount);
        else
            next.row = moved == 0 ? m_rowCount - 1 : std::min(next.row + moved, m_rowCount - 1);
        return true;
    }
    case VK_END:
        if (control) {
            OnVScroll(SB_BOTTOM);
            OnHScroll(SB_RIGHT);
            next.row = m_rowCount - 1;
        } else {
            OnHScroll(SB_RIGHT);
        }
        next.col = m_columnCount - 1;
        while (next.col > m_fixedColumnCount + 1 && !columnSized(next.col))
            --next.col;
        while (next.row > m_fixedRowCount + 1 && !rowSized(next.row))
            --next.row;
        return true;
    case VK_HOME:
        if (control) {
            OnVScroll(SB_TOP);
            OnHScroll(SB_LEFT);
            next.row = m_fixedRowCount;
        } else {
            OnHScroll(SB_LEFT);
        }
        next.col = m_fixedColumnCount;
        while (next.col < m_columnCount - 1 && !columnSized(next.col))
            ++next.col;
        while (next.row < m_rowCount - 1 && !rowSized(next.row))
            ++next.row;
        return true;
    case VK_LEFT:
    case VK_RIGHT: {
        const int step = key == VK_LEFT ? -1 : 1;
        for (int c = next.col + step; c >= m_fixedColumnCount && c < m_columnCount; c += step) {
            if (columnSized(c)) {
                next.col = c;
                break;
            }
        }
        return true;
    }
    case VK_UP:
    case VK_DOWN: {
        const int step = key == VK_UP ? -1 : 1;
        // Sized rows are found through the running sums: a long run of hidden rows costs no walk.
        const std::size_t from = static_cast<std::size_t>(next.row);
        if (step > 0) {
            const std::size_t k = m_rowSums.UpperBound(m_rowSums.Prefix(from + 1));
            if (k <= static_cast<std::size_t>(m_rowCount))
                next.row = static_cast<int>(k) - 1;
        } else {
            const std::size_t k = m_rowSums.LowerBound(m_rowSums.Prefix(from));
            if (k >= 1 && static_cast<int>(k) - 1 >= m_fixedRowCount && rowSized(static_cast<int>(k) - 1))
                next.row = static_cast<int>(k) - 1;
        }
        return true;
    }
    case VK_DELETE:
        return true;
    case VK_F2:
        HideTitleTip();
        return true;
    default:
        return false;
    }
}

void CGridCtrl::ScrollTowards(unsigned key, bool shift, bool wrapped)
{
    switch (key) {
    case VK_LEFT: OnHScroll(SB_LINELEFT); break;
    case VK_RIGHT: OnHScroll(SB_LINERIGHT); break;
    case VK_UP: OnVScroll(SB_LINEUP); break;
    case VK_DOWN: OnVScroll(SB_LINEDOWN); break;
    case VK_TAB:
        if (!shift && !wrapped) {
            OnHScroll(SB_LINERIGHT);
        } else if (!shift) {
            OnVScroll(SB_LINEDOWN);
            SetScrollPosition(SB_HORZ, 0, true);
        } else if (!wrapped) {
            OnHScroll(SB_LINELEFT);
        } else {
            OnVScroll(SB_LINEUP);
            SetScrollPosition(SB_HORZ, m_hScrollMax, true);
        }
        break;
    default: break;
    }
}
