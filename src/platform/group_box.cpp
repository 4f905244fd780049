#include "platform/group_box.h"

#include <QPainter>

CGroupBox::CGroupBox(const QString& title, QWidget* parent) : QWidget(parent), m_title(title)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CGroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int top = metrics.height() / 2;
    const QRect frame = rect().adjusted(0, top, -1, -1);
    // Etched: a dark line with a light one just inside it.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.adjusted(1, 1, 0, 0));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    if (m_title.isEmpty())
        return;
    const int indent = metrics.averageCharWidth();
    const QRect text(indent, 0, metrics.horizontalAdvance(m_title) + indent, metrics.height());
    painter.fillRect(text, palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(text.adjusted(indent / 2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, m_title);
}
