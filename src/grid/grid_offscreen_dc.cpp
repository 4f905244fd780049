#include "grid/grid_offscreen_dc.h"

CGridOffscreenDC::CGridOffscreenDC(CDC* target) : m_target(target)
{
    QPainter* targetPainter = target->GetPainter();
    if (target->GetClipBox(&m_area) == RGN_ERROR || m_area.IsRectEmpty() || targetPainter == nullptr)
        return;
    const qreal ratio = targetPainter->device()->devicePixelRatioF();
    m_image = QImage(static_cast<int>(m_area.Width() * ratio), static_cast<int>(m_area.Height() * ratio),
                     QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_painter.begin(&m_image);
    m_painter.setFont(targetPainter->font());
    m_painter.translate(-m_area.left, -m_area.top);
    m_painter.setClipRect(ToQRect(m_area));
    AttachPainter(&m_painter);
    SetBkColor(target->GetBkColor());
    FillSolidRect(m_area, target->GetBkColor());
}

CGridOffscreenDC::~CGridOffscreenDC()
{
    if (!m_painter.isActive())
        return;
    m_painter.end();
    m_target->GetPainter()->drawImage(QPoint(m_area.left, m_area.top), m_image);
}
