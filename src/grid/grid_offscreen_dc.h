#pragma once

#include "platform/device_context.h"

#include <QImage>
#include <QPainter>

// Stands in for a target context during one paint: everything is drawn into an image of the
// target's clip box, in the target's coordinates, and the image is copied to the target when
// this context goes away, so the screen never shows a half-drawn grid.
class CGridOffscreenDC : public CDC {
public:
    explicit CGridOffscreenDC(CDC* target);
    ~CGridOffscreenDC() override;

    const CRect& GetArea() const { return m_area; }

private:
    CDC* m_target;
    CRect m_area;
    QImage m_image;
    QPainter m_painter;
};
