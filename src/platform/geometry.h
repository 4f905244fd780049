#pragma once

#include <QPoint>
#include <QRect>

// Points, sizes and rectangles as the grid's drawing code expects them: a rectangle is four plain
// coordinates, and whether right and bottom belong to it is up to the code that uses it (the
// platform's fills leave them out; the grid's cell rectangles include them).
struct CPoint {
    int x = 0;
    int y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(int px, int py) : x(px), y(py) {}
    friend constexpr bool operator==(const CPoint&, const CPoint&) = default;
};

struct CSize {
    int cx = 0;
    int cy = 0;

    constexpr CSize() = default;
    constexpr CSize(int w, int h) : cx(w), cy(h) {}
    friend constexpr bool operator==(const CSize&, const CSize&) = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr CPoint TopLeft() const { return {left, top}; }
    // Right and bottom excluded, as for the platform's hit tests.
    constexpr bool PtInRect(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr void DeflateRect(int dx, int dy)
    {
        left += dx;
        top += dy;
        right -= dx;
        bottom -= dy;
    }
    constexpr void OffsetRect(int dx, int dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // The overlap of a and b (right and bottom excluded); false and an empty rectangle when none.
    constexpr bool IntersectRect(const CRect& a, const CRect& b)
    {
        CRect r(a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom);
        if (r.IsRectEmpty()) {
            *this = CRect();
            return false;
        }
        *this = r;
        return true;
    }
    friend constexpr bool operator==(const CRect&, const CRect&) = default;
};

// Conversions to Qt for rectangles whose right and bottom are excluded.
inline QRect ToQRect(const CRect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }
inline CRect FromQRect(const QRect& r) { return CRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height()); }
inline QPoint ToQPoint(CPoint p) { return QPoint(p.x, p.y); }
inline CPoint FromQPoint(QPoint p) { return CPoint(p.x(), p.y()); }
