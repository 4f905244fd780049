#pragma once

#include <QRect>
#include <QSize>

#include <functional>
#include <vector>

// How a control follows the window's client area when the window is resized.
enum : unsigned {
    RESIZE_MOVE_RIGHT = 1, // moves with the right edge
    RESIZE_MOVE_DOWN = 2,  // moves with the bottom edge
    RESIZE_WIDEN = 4,      // its right edge moves with the window's right edge
    RESIZE_LENGTHEN = 8,   // its bottom edge moves with the window's bottom edge
};

// Places controls from the rectangles recorded when the window was shown, never from their current
// ones, so that repeated resizing, minimising and restoring cannot accumulate rounding errors.
class CResizeRules {
public:
    void Add(int id, unsigned flags) { m_rules.push_back({id, flags, {}}); }

    void Record(QSize client, const std::function<QRect(int id)>& rectOf);
    bool IsRecorded() const { return m_recorded; }

    // Calls place(id, rect) for every control with its rectangle for the given client size.
    void Apply(QSize client, const std::function<void(int id, const QRect& rect)>& place) const;

    static QRect Place(const QRect& recorded, unsigned flags, int dW, int dH);

private:
    struct Rule {
        int id;
        unsigned flags;
        QRect recorded;
    };
    std::vector<Rule> m_rules;
    QSize m_client;
    bool m_recorded = false;
};
