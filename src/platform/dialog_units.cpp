#include "platform/dialog_units.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}

} // namespace

CDialogUnits::CDialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = std::max(1, (alphabet / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

QRect CDialogUnits::MapDialogRect(const QRect& r) const
{
    const int left = MulDiv(r.x(), m_baseX, 4);
    const int top = MulDiv(r.y(), m_baseY, 8);
    const int right = MulDiv(r.x() + r.width(), m_baseX, 4);
    const int bottom = MulDiv(r.y() + r.height(), m_baseY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize CDialogUnits::MapDialogSize(const QSize& s) const
{
    return MapDialogRect(QRect(QPoint(0, 0), s)).size();
}
