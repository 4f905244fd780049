#include "app/resize_rules.h"

void CResizeRules::Record(QSize client, const std::function<QRect(int id)>& rectOf)
{
    m_client = client;
    for (Rule& rule : m_rules)
        rule.recorded = rectOf(rule.id);
    m_recorded = true;
}

void CResizeRules::Apply(QSize client, const std::function<void(int id, const QRect& rect)>& place) const
{
    if (!m_recorded)
        return;
    const int dW = client.width() - m_client.width();
    const int dH = client.height() - m_client.height();
    for (const Rule& rule : m_rules)
        place(rule.id, Place(rule.recorded, rule.flags, dW, dH));
}

QRect CResizeRules::Place(const QRect& recorded, unsigned flags, int dW, int dH)
{
    int left = recorded.x();
    int top = recorded.y();
    int right = recorded.x() + recorded.width();
    int bottom = recorded.y() + recorded.height();
    if (flags & RESIZE_MOVE_RIGHT) {
        left += dW;
        right += dW;
    }
    if (flags & RESIZE_MOVE_DOWN) {
        top += dH;
        bottom += dH;
    }
    if (flags & RESIZE_WIDEN)
        right += dW;
    if (flags & RESIZE_LENGTHEN)
        bottom += dH;
    return QRect(left, top, right - left, bottom - top);
}
