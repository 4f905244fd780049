#include "grid/title_tip.h"

#include "platform/device_context.h"
#include "platform/system_colours.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

// The popup itself: a frameless tool window that never takes the focus from the grid and hands
// all input to its tip.
class CGridTitleTip::Window : public QWidget {
public:
    explicit Window(CGridTitleTip& tip) : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), m_tip(tip)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setMouseTracking(true);
    }

protected:
    bool event(QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Paint:
        case QEvent::Wheel:
        case QEvent::KeyRelease:
        case QEvent::Timer:
            if (m_tip.OnOtherInput())
                return true;
            break;
        default:
            break;
        }
        return QWidget::event(event);
    }
    void paintEvent(QPaintEvent*) override { m_tip.Paint(this); }
    void mouseMoveEvent(QMouseEvent* e) override { m_tip.OnMouseMove(e->buttons(), e->modifiers(), e->position().toPoint()); }
    void mousePressEvent(QMouseEvent* e) override
    {
        m_tip.OnButtonDown(e->button(), e->buttons(), e->modifiers(), e->position().toPoint());
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        m_tip.OnButtonUp(e->button(), e->buttons(), e->modifiers(), e->position().toPoint());
    }
    void keyPressEvent(QKeyEvent* e) override { m_tip.OnKeyDown(*e); }

private:
    CGridTitleTip& m_tip;
};

CGridTitleTip::CGridTitleTip()
    : m_doubleClickTime(static_cast<std::uint32_t>(QApplication::doubleClickInterval())),
      m_isApplicationActive([] { return QApplication::activeWindow() != nullptr; }),
      m_ticks([] {
          static QElapsedTimer clock = [] {
              QElapsedTimer t;
              t.start();
              return t;
          }();
          return static_cast<std::uint32_t>(clock.msecsSinceReference());
      }),
      m_widgetAt([](QPoint p) { return QApplication::widgetAt(p); })
{
}

CGridTitleTip::~CGridTitleTip() = default;

QWidget* CGridTitleTip::GetWindow() const { return m_window.get(); }

bool CGridTitleTip::IsVisible() const { return m_window && m_window->isVisible(); }

bool CGridTitleTip::Create(QWidget* parent)
{
    if (m_window)
        return true;
    m_parent = parent;
    m_window = std::make_unique<Window>(*this);
    return true;
}

bool CGridTitleTip::DestroyWindow()
{
    if (!m_window)
        return false;
    Hide();
    m_window.reset();
    return true;
}

void CGridTitleTip::Show(CRect cellRect, const char* text, int xOffset, const CRect* hoverRect,
                         const LOGFONT* font, COLORREF textColour, COLORREF backColour)
{
    if (!m_window && !Create(m_parent))
        return;
    if (cellRect.IsRectEmpty() || m_window->isVisible() || m_parent == nullptr)
        return;

    CRect hover = hoverRect != nullptr ? *hoverRect : cellRect;
    ++hover.right;
    ++hover.bottom;
    const QPoint hoverOrigin = m_parent->mapToGlobal(QPoint(hover.left, hover.top));
    hover.OffsetRect(hoverOrigin.x() - hover.left, hoverOrigin.y() - hover.top);
    m_hoverRect = hover;

    if (!m_isApplicationActive())
        return;

    const QPoint cellOrigin = m_parent->mapToGlobal(QPoint(cellRect.left, cellRect.top));
    std::string padded(1, ' ');
    padded += text != nullptr ? text : "";
    padded += ' ';
    if (font != nullptr)
        m_font.CreateFontIndirect(font);
    else
        m_font.CreateFromQFont(m_parent->font());
    CDC dc(m_font.Font());
    const int width = dc.GetTextExtent(padded.c_str()).cx + dc.GetTextMetrics().tmOverhang;
    const int tipLeft = cellRect.left + xOffset;
    if (tipLeft + width + xOffset <= cellRect.right - xOffset)
        return;

    m_text = padded;
    m_textColour = textColour;
    m_backColour = backColour;
    m_window->setGeometry(cellOrigin.x() + xOffset, cellOrigin.y(), width + xOffset, cellRect.Height());
    m_window->show();
    m_window->raise();
    m_window->update();
    m_window->grabMouse();
}

void CGridTitleTip::Hide()
{
    if (!m_window)
        return;
    if (QWidget::mouseGrabber() == m_window.get())
        m_window->releaseMouse();
    m_window->hide();
}

void CGridTitleTip::Paint(QWidget* window)
{
    QPainter painter(window);
    const QRect r = window->rect();
    // The window's border, then its client area one pixel inside it.
    painter.fillRect(r, Qt::black);
    const QRect client = r.adjusted(1, 1, -1, -1);
    const COLORREF back = m_backColour != CLR_DEFAULT ? m_backColour : GetSysColor(COLOR_INFOBK, window->palette());
    painter.fillRect(client, ToQColor(back));
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    CDC dc(&painter);
    dc.SelectObject(&m_font);
    if (m_textColour != CLR_DEFAULT)
        dc.SetTextColor(m_textColour);
    dc.SetBkMode(TRANSPARENT);
    dc.TextOut(0, 0, m_text.c_str());
}

QWidget* CGridTitleTip::TargetAt(QPoint screenPoint) const
{
    QWidget* target = m_widgetAt(screenPoint);
    if (target == m_window.get())
        target = m_parent;
    return target;
}

void CGridTitleTip::Forward(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
                            Qt::KeyboardModifiers modifiers, QPoint screenPoint)
{
    // Only client areas exist here: a point over no window of ours goes nowhere.
    QWidget* target = TargetAt(screenPoint);
    if (target == nullptr)
        return;
    const QPointF local = target->mapFromGlobal(QPointF(screenPoint));
    QCoreApplication::postEvent(target,
                                new QMouseEvent(type, local, QPointF(screenPoint), button, buttons, modifiers));
}

void CGridTitleTip::OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point)
{
    if (!m_window)
        return;
    const QPoint screen = m_window->mapToGlobal(point);
    if (m_hoverRect.PtInRect(FromQPoint(screen)))
        return;
    Hide();
    Forward(QEvent::MouseMove, Qt::NoButton, buttons, modifiers, screen);
}

void CGridTitleTip::OnButtonDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                                 QPoint point)
{
    if (!m_window)
        return;
    bool doubleClick = false;
    if (button == Qt::LeftButton) {
        const std::uint32_t now = m_ticks();
        doubleClick = now - m_lastButtonDown <= m_doubleClickTime;
        m_lastButtonDown = now;
    }
    const QPoint screen = m_window->mapToGlobal(point);
    Hide();
    Forward(doubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress, button, buttons, modifiers, screen);
}

void CGridTitleTip::OnButtonUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers,
                               QPoint point)
{
    // Qt hands the release to the window that had the press even after it hid; the window
    // underneath got the press and must get the release too.
    if (!m_window)
        return;
    Forward(QEvent::MouseButtonRelease, button, buttons, modifiers, m_window->mapToGlobal(point));
}

void CGridTitleTip::OnKeyDown(const QKeyEvent& key)
{
    Hide();
    if (m_parent != nullptr)
        QCoreApplication::postEvent(m_parent, key.clone());
}

bool CGridTitleTip::OnOtherInput()
{
    if (m_isApplicationActive())
        return false;
    Hide();
    return true;
}
