#include "platform/device_context.h"

#include "platform/display_text.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdlib>

namespace {

const QLatin1String kEllipsis("...");

// The longest head of text that fits in width together with the ellipsis, plus the ellipsis.
QString Ellipsized(const QString& text, int width, const QFontMetrics& fm)
{
    qsizetype fits = 0;
    qsizetype lo = 1;
    qsizetype hi = text.size();
    while (lo <= hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (fm.horizontalAdvance(text.left(mid) + kEllipsis) <= width) {
            fits = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return text.left(fits) + kEllipsis;
}

} // namespace

CDC::CDC() : CDC(QGuiApplication::font()) {}

CDC::CDC(const QFont& font)
{
    m_defaultFont.CreateFromQFont(font);
    m_state.font = &m_defaultFont;
    m_state.pen = GetStockPen(BLACK_PEN);
}

CDC::CDC(QPainter* painter) : CDC(painter->font()) { m_painter = painter; }

CDC::~CDC()
{
    if (m_painter != nullptr) {
        for (std::size_t i = 0; i < m_saved.size(); ++i)
            m_painter->restore();
    }
}

void CDC::AttachPainter(QPainter* painter)
{
    m_painter = painter;
    m_defaultFont.CreateFromQFont(painter->font());
}

int CDC::SaveDC()
{
    m_saved.push_back(m_state);
    if (m_painter != nullptr)
        m_painter->save();
    return static_cast<int>(m_saved.size());
}

bool CDC::RestoreDC(int savedDC)
{
    const int level = savedDC < 0 ? static_cast<int>(m_saved.size()) + 1 + savedDC : savedDC;
    if (level < 1 || level > static_cast<int>(m_saved.size()))
        return false;
    while (static_cast<int>(m_saved.size()) >= level) {
        m_state = m_saved.back();
        m_saved.pop_back();
        if (m_painter != nullptr)
            m_painter->restore();
    }
    return true;
}

int CDC::SetBkMode(int mode)
{
    const int old = m_state.bkMode;
    m_state.bkMode = mode;
    return old;
}

COLORREF CDC::SetTextColor(COLORREF colour)
{
    const COLORREF old = m_state.textColour;
    m_state.textColour = colour;
    return old;
}

COLORREF CDC::SetBkColor(COLORREF colour)
{
    const COLORREF old = m_state.bkColour;
    m_state.bkColour = colour;
    return old;
}

const CFont* CDC::SelectObject(const CFont* font)
{
    const CFont* old = m_state.font;
    if (font != nullptr && font->GetSafeHandle() != nullptr)
        m_state.font = font;
    return old;
}

const CPen* CDC::SelectObject(const CPen* pen)
{
    const CPen* old = m_state.pen;
    if (pen != nullptr)
        m_state.pen = pen;
    return old;
}

void CDC::FillPixels(int x, int y, int w, int h, COLORREF colour)
{
    if (m_painter != nullptr && w > 0 && h > 0)
        m_painter->fillRect(QRect(x, y, w, h), ToQColor(colour));
}

void CDC::FillSolidRect(const CRect& rect, COLORREF colour)
{
    FillPixels(rect.left, rect.top, rect.Width(), rect.Height(), colour);
}

void CDC::FrameRect(const CRect& rect, COLORREF colour)
{
    if (rect.IsRectEmpty())
        return;
    FillPixels(rect.left, rect.top, rect.Width(), 1, colour);
    FillPixels(rect.left, rect.bottom - 1, rect.Width(), 1, colour);
    FillPixels(rect.left, rect.top, 1, rect.Height(), colour);
    FillPixels(rect.right - 1, rect.top, 1, rect.Height(), colour);
}

CPoint CDC::MoveTo(int x, int y)
{
    const CPoint old = m_state.position;
    m_state.position = CPoint(x, y);
    return old;
}

bool CDC::LineTo(int x, int y)
{
    DrawLine(m_state.position, CPoint(x, y));
    m_state.position = CPoint(x, y);
    return true;
}

void CDC::DrawLine(CPoint from, CPoint to)
{
    const CPen* pen = m_state.pen;
    if (m_painter == nullptr || pen == nullptr || pen->style == CPen::PS_NULL)
        return;
    const COLORREF c = pen->colour;
    if (from.y == to.y) {
        if (to.x > from.x)
            FillPixels(from.x, from.y, to.x - from.x, 1, c);
        else if (to.x < from.x)
            FillPixels(to.x + 1, from.y, from.x - to.x, 1, c);
        return;
    }
    if (from.x == to.x) {
        if (to.y > from.y)
            FillPixels(from.x, from.y, 1, to.y - from.y, c);
        else
            FillPixels(from.x, to.y + 1, 1, from.y - to.y, c);
        return;
    }
    // Any other slope: Bresenham's pixels, the end point left out.
    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int sx = from.x < to.x ? 1 : -1;
    const int sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    CPoint p = from;
    while (!(p == to)) {
        FillPixels(p.x, p.y, 1, 1, c);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            p.x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            p.y += sy;
        }
    }
}

int CDC::DrawText(const char* text, CRect rect, unsigned format)
{
    const QFontMetrics& fm = m_state.font->Metrics();
    const int height = fm.height();
    if (m_painter == nullptr)
        return 0;
    QString s = DisplayText(text);
    int width = m_state.font->TextWidth(text);
    if ((format & DT_END_ELLIPSIS) != 0 && width > rect.Width()) {
        s = Ellipsized(s, rect.Width(), fm);
        width = fm.horizontalAdvance(s);
    }
    int x = rect.left;
    if ((format & DT_RIGHT) != 0)
        x = rect.right - width;
    else if ((format & DT_CENTER) != 0)
        x = rect.left + (rect.Width() - width) / 2;
    int y = rect.top;
    if ((format & DT_BOTTOM) != 0)
        y = rect.bottom - height;
    else if ((format & DT_VCENTER) != 0)
        y = rect.top + (rect.Height() - height) / 2;

    m_painter->save();
    if ((format & DT_NOCLIP) == 0)
        m_painter->setClipRect(ToQRect(rect), Qt::IntersectClip);
    if (m_state.bkMode == OPAQUE)
        m_painter->fillRect(QRect(x, y, width, height), ToQColor(m_state.bkColour));
    m_painter->setFont(m_state.font->Font());
    m_painter->setPen(ToQColor(m_state.textColour));
    m_painter->drawText(QPoint(x, y + fm.ascent()), s);
    m_painter->restore();
    return height;
}

bool CDC::TextOut(int x, int y, const char* text)
{
    if (m_painter == nullptr)
        return false;
    const QFontMetrics& fm = m_state.font->Metrics();
    const QString s = DisplayText(text);
    if (m_state.bkMode == OPAQUE)
        m_painter->fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), ToQColor(m_state.bkColour));
    m_painter->save();
    m_painter->setFont(m_state.font->Font());
    m_painter->setPen(ToQColor(m_state.textColour));
    m_painter->drawText(QPoint(x, y + fm.ascent()), s);
    m_painter->restore();
    return true;
}

CSize CDC::GetTextExtent(const char* text) const
{
    return CSize(m_state.font->TextWidth(text), m_state.font->Height());
}

TEXTMETRIC CDC::GetTextMetrics() const
{
    TEXTMETRIC tm;
    tm.tmHeight = m_state.font->Height();
    tm.tmAscent = m_state.font->Ascent();
    tm.tmDescent = m_state.font->Descent();
    tm.tmOverhang = 0;
    return tm;
}

int CDC::GetClipBox(CRect* rect) const
{
    if (m_painter == nullptr || m_painter->device() == nullptr) {
        *rect = CRect();
        return RGN_ERROR;
    }
    QRect box;
    if (m_painter->hasClipping()) {
        box = m_painter->clipBoundingRect().toAlignedRect();
    } else {
        const QPaintDevice* device = m_painter->device();
        box = m_painter->transform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    }
    *rect = FromQRect(box);
    return rect->IsRectEmpty() ? NULLREGION : SIMPLEREGION;
}

std::unique_ptr<CDC> CreateScreenDC()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    return std::make_unique<CDC>();
}
