#include "grid/grid_ctrl.h"

#include <QApplication>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

namespace {

std::size_t Index(int i) { return static_cast<std::size_t>(i); }

// From index from downwards, the first index with a size, not below stop.
int PreviousSized(const CPrefixSums& sums, int from, int stop)
{
    const std::size_t k = sums.LowerBound(sums.Prefix(Index(from) + 1));
    const int index = static_cast<int>(k) - 1;
    return std::max(index, stop);
}

// From index from upwards, the first index with a size, not beyond last.
int NextSized(const CPrefixSums& sums, int from, int last)
{
    const std::size_t k = sums.UpperBound(sums.Prefix(Index(from)));
    return std::min(static_cast<int>(k) - 1, last);
}

} // namespace

int CGridCtrl::GetScrollPosition(int bar, bool tracking) const
{
    const QScrollBar* sb = bar == SB_HORZ ? horizontalScrollBar() : verticalScrollBar();
    return tracking ? sb->sliderPosition() : sb->value();
}

int CGridCtrl::SetScrollPosition(int bar, int position, bool /*redraw*/)
{
    QScrollBar* sb = bar == SB_HORZ ? horizontalScrollBar() : verticalScrollBar();
    sb->setValue(position);
    ForgetTopLeft();
    return sb->value();
}

void CGridCtrl::ShowScrollBars(int bar, bool show)
{
    if (bar == SB_HORZ || bar == SB_BOTH) {
        if (((m_scrollBarsShown & 1) != 0) != show)
            setHorizontalScrollBarPolicy(show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        m_scrollBarsShown = show ? (m_scrollBarsShown | 1) : (m_scrollBarsShown & ~1u);
    }
    if (bar == SB_VERT || bar == SB_BOTH) {
        if (((m_scrollBarsShown & 2) != 0) != show)
            setVerticalScrollBarPolicy(show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        m_scrollBarsShown = show ? (m_scrollBarsShown | 2) : (m_scrollBarsShown & ~2u);
    }
}

void CGridCtrl::UpdateScrollBars()
{
    ForgetTopLeft();
    CRect rect = GetClientRect();
    if (rect.Width() == 0 || rect.Height() == 0)
        return;
    // The client area as it would be without bars. A bar takes exactly its extent from the
    // client area here, so nothing more is added back.
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if ((m_scrollBarsShown & 2) != 0)
        rect.right += extent;
    if ((m_scrollBarsShown & 1) != 0)
        rect.bottom += extent;

    const int fixedW = GetFixedColumnWidth();
    const int fixedH = GetFixedRowHeight();
    if (fixedW >= rect.right || fixedH >= rect.bottom) {
        ShowScrollBars(SB_BOTH, false);
        return;
    }
    const int scrolledHeight = GetTotalHeight() - fixedH;
    const int scrolledWidth = GetTotalWidth() - fixedW;
    const int right = rect.right - (rect.bottom - fixedH < scrolledHeight ? extent : 0);
    const int visibleWidth = right - fixedW;
    const int bottom = rect.bottom - (visibleWidth < scrolledWidth ? extent : 0);
    const int visibleHeight = bottom - fixedH;

    const bool vertical = visibleHeight < scrolledHeight;
    const bool horizontal = visibleWidth < scrolledWidth;
    ShowScrollBars(SB_VERT, vertical);
    m_vScrollMax = vertical ? scrolledHeight - 1 : 0;
    ShowScrollBars(SB_HORZ, horizontal);
    m_hScrollMax = horizontal ? scrolledWidth - 1 : 0;

    m_scrollPage[0] = m_hScrollMax < 1 ? 0 : visibleWidth;
    m_scrollPage[1] = m_vScrollMax < 1 ? 0 : visibleHeight;
    ApplyScrollRange(SB_VERT);
    ApplyScrollRange(SB_HORZ);
}

// A range 0..max with page P lets the position reach max - P + 1.
void CGridCtrl::ApplyScrollRange(int bar)
{
    QScrollBar* sb = bar == SB_HORZ ? horizontalScrollBar() : verticalScrollBar();
    const int page = m_scrollPage[bar == SB_HORZ ? 0 : 1];
    const int max = bar == SB_HORZ ? m_hScrollMax : m_vScrollMax;
    // The scroll area listens to range changes only to show bars "as needed", which the grid
    // never asks for; unheard, the change costs no queued event for every appended row.
    const QSignalBlocker quiet(sb);
    sb->setPageStep(page);
    sb->setRange(0, std::max(0, max - std::max(page - 1, 0)));
}

// The positions SB_LINEDOWN would step through, worked out without moving the bar in between:
// each step adds the height of the next sized row from the top one, until the bar's end.
void CGridCtrl::ScrollLinesDown(int steps)
{
    if (steps <= 0)
        return;
    if (steps == 1) {
        OnVScroll(SB_LINEDOWN);
        return;
    }
    HideTitleTip();
    const QScrollBar* sb = verticalScrollBar();
    const int start = sb->value();
    int pos = start;
    for (int i = 0; i < steps; ++i) {
        const int first = TopRowAt(pos);
        if (pos >= m_vScrollMax || first >= m_rowCount)
            break;
        const int next = std::clamp(pos + GetRowHeight(NextSized(m_rowSums, first, m_rowCount - 1)), sb->minimum(),
                                    sb->maximum());
        if (next == pos)
            break;
        pos = next;
    }
    if (pos == start)
        return;
    SetScrollPosition(SB_VERT, pos);
    CRect scrolledArea = GetClientRect();
    scrolledArea.top = GetFixedRowHeight();
    InvalidateRect(scrolledArea);
}

void CGridCtrl::OnHScroll(int code) { OnScroll(SB_HORZ, code); }
void CGridCtrl::OnVScroll(int code) { OnScroll(SB_VERT, code); }

void CGridCtrl::OnScroll(int bar, int code)
{
    HideTitleTip();
    const bool horizontal = bar == SB_HORZ;
    const int pos = GetScrollPosition(bar, false);
    const CGridCellId topLeft = GetTopLeftScrolledCell();
    const int shift = horizontal ? GetScrolledColumnShift() : 0;
    const CPrefixSums& sums = horizontal ? m_columnSums : m_rowSums;
    const int first = horizontal ? topLeft.col : topLeft.row;
    const int fixedCount = horizontal ? m_fixedColumnCount : m_fixedRowCount;
    const int count = horizontal ? m_columnCount : m_rowCount;
    const int scrollMax = horizontal ? m_hScrollMax : m_vScrollMax;
    const CRect client = GetClientRect();
    const int fixedSize = horizontal ? GetFixedColumnWidth() : GetFixedRowHeight();
    const int clientSize = horizontal ? client.Width() : client.Height();
    CRect scrolledArea = client;
    (horizontal ? scrolledArea.left : scrolledArea.top) = fixedSize;
    const auto size = [this, horizontal](int i) { return horizontal ? GetColumnWidth(i) : GetRowHeight(i); };

    switch (code) {
    case SB_LINEUP:
        if (pos > 0 && first > fixedCount) {
            const int step = PreviousSized(sums, first - 1, fixedCount);
            SetScrollPosition(bar, std::max(0, pos - size(step)));
            InvalidateRect(scrolledArea);
        }
        break;
    case SB_LINEDOWN:
        if (pos < scrollMax && first < count) {
            const int step = NextSized(sums, first, count - 1);
            SetScrollPosition(bar, pos + size(step));
            if (GetScrollPosition(bar, false) != pos)
                InvalidateRect(scrolledArea);
        }
        break;
    case SB_PAGEUP:
        if (pos > 0) {
            SetScrollPosition(bar, std::max(0, pos - (clientSize - fixedSize)));
            InvalidateRect(scrolledArea);
        }
        break;
    case SB_PAGEDOWN:
        if (pos < scrollMax) {
            SetScrollPosition(bar, std::min(scrollMax, pos + clientSize - fixedSize));
            InvalidateRect(scrolledArea);
        }
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetScrollPosition(bar, GetScrollPosition(bar, true));
        ForgetTopLeft();
        // Within a last column wider than the view the first column stays and the view moves.
        if (!(GetTopLeftScrolledCell() == topLeft) || (horizontal && GetScrolledColumnShift() != shift))
            InvalidateRect(scrolledArea);
        break;
    case SB_TOP:
        if (pos > 0) {
            SetScrollPosition(bar, 0);
            InvalidateAll();
        }
        break;
    case SB_BOTTOM:
        if (pos < scrollMax) {
            SetScrollPosition(bar, scrollMax);
            InvalidateAll();
        }
        break;
    default:
        break;
    }
}

// The bar's own clicks, drags and keys take the one scrolling path. Qt reports the action with
// the slider already moved and sets the value from the slider afterwards, so the slider is put
// where the scroll handler left the value.
void CGridCtrl::OnScrollBarAction(int bar, int action)
{
    QScrollBar* sb = bar == SB_HORZ ? horizontalScrollBar() : verticalScrollBar();
    int code = SB_ENDSCROLL;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
    case QAbstractSlider::SliderMove: code = sb->isSliderDown() ? SB_THUMBTRACK : SB_THUMBPOSITION; break;
    default: return;
    }
    OnScroll(bar, code);
    sb->setSliderPosition(sb->value());
}

void CGridCtrl::OnMouseWheel(int delta)
{
    // Posted, not sent: each step runs from the event loop after this handler returns.
    const auto post = [this](int code, int times) {
        for (int i = 0; i < times; ++i)
            QMetaObject::invokeMethod(this, [this, code] { OnVScroll(code); }, Qt::QueuedConnection);
    };
    if (m_wheelScrollLines == -1) {
        const int n = delta / 120;
        post(n > 0 ? SB_PAGEUP : SB_PAGEDOWN, n > 0 ? n : -n);
    } else {
        const int n = delta * m_wheelScrollLines / 120;
        post(n > 0 ? SB_LINEUP : SB_LINEDOWN, n > 0 ? n : -n);
    }
}

void CGridCtrl::wheelEvent(QWheelEvent* event)
{
    OnMouseWheel(static_cast<std::int16_t>(event->angleDelta().y()));
    // The default handling passes the wheel on to the parent.
    event->ignore();
}

// The grid's own resize, after the scroll area has laid out its bars and viewport for the new
// size; handled any earlier, the bars sized here would be undone by that layout.
bool CGridCtrl::event(QEvent* event)
{
    const bool handled = QAbstractScrollArea::event(event);
    if (event->type() == QEvent::Resize)
        OnSize();
    return handled;
}

void CGridCtrl::OnSize()
{
    // Showing or hiding a bar can resize the grid again from within.
    static bool s_inSize = false;
    if (s_inSize)
        return;
    s_inSize = true;
    UpdateScrollBars();
    s_inSize = false;
}

void CGridCtrl::scrollContentsBy(int /*dx*/, int /*dy*/)
{
    // The scroll handlers invalidate exactly what moved.
}
