#include "platform/ole_drop_target.h"

#include "platform/key_state.h"

#include <QAbstractScrollArea>
#include <QDropEvent>

namespace {

Qt::DropAction ToDropAction(unsigned effect)
{
    if ((effect & DROPEFFECT_MOVE) != 0)
        return Qt::MoveAction;
    if ((effect & DROPEFFECT_COPY) != 0)
        return Qt::CopyAction;
    if ((effect & DROPEFFECT_LINK) != 0)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

unsigned ToDropEffect(Qt::DropAction action)
{
    switch (action) {
    case Qt::CopyAction: return DROPEFFECT_COPY;
    case Qt::MoveAction: return DROPEFFECT_MOVE;
    case Qt::LinkAction: return DROPEFFECT_LINK;
    default: return DROPEFFECT_NONE;
    }
}

} // namespace

class COleDropTarget::Filter : public QObject {
public:
    explicit Filter(COleDropTarget* target) : m_target(target) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        QWidget* window = m_target->m_window;
        if (window == nullptr)
            return false;
        const auto answer = [](QDropEvent* e, unsigned effect) {
            const Qt::DropAction action = ToDropAction(effect & ~static_cast<unsigned>(DROPEFFECT_SCROLL));
            e->setDropAction(action);
            e->setAccepted(action != Qt::IgnoreAction);
        };
        const auto clientPoint = [&](const QDropEvent* e) {
            const QPoint global = static_cast<QWidget*>(watched)->mapToGlobal(e->position().toPoint());
            return FromQPoint(ClientOf(window)->mapFromGlobal(global));
        };
        switch (event->type()) {
        case QEvent::DragEnter: {
            auto* e = static_cast<QDragEnterEvent*>(event);
            answer(e, m_target->OnDragEnter(window, e->mimeData(), KeyState(e), clientPoint(e)));
            return true;
        }
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            unsigned effect = m_target->OnDragScroll(window, KeyState(e), clientPoint(e));
            if ((effect & DROPEFFECT_SCROLL) == 0)
                effect = m_target->OnDragOver(window, e->mimeData(), KeyState(e), clientPoint(e));
            answer(e, effect);
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            const bool dropped =
                m_target->OnDrop(window, e->mimeData(), ToDropEffect(e->proposedAction()), clientPoint(e));
            e->setDropAction(dropped ? e->proposedAction() : Qt::IgnoreAction);
            e->setAccepted(dropped);
            return true;
        }
        case QEvent::DragLeave:
            m_target->OnDragLeave(window);
            return true;
        default:
            return false;
        }
    }

private:
    static unsigned KeyState(const QDropEvent* e) { return MouseKeyFlags(e->modifiers(), e->buttons()); }
    // A scroll area's client area is its viewport.
    static QWidget* ClientOf(QWidget* window)
    {
        auto* area = qobject_cast<QAbstractScrollArea*>(window);
        return area != nullptr ? area->viewport() : window;
    }

    COleDropTarget* m_target;
};

COleDropTarget::COleDropTarget() : m_filter(new Filter(this)) {}

COleDropTarget::~COleDropTarget()
{
    // Leaves the registration alone, as the framework's drop target does; only stops delivery.
    Watch(m_window, false);
    Watch(m_viewport, false);
    delete m_filter;
}

bool COleDropTarget::Register(QWidget* window)
{
    if (window == nullptr)
        return false;
    m_window = window;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(window))
        m_viewport = area->viewport();
    Watch(m_window, true);
    Watch(m_viewport, true);
    return true;
}

void COleDropTarget::Revoke()
{
    Watch(m_window, false);
    Watch(m_viewport, false);
    m_window = nullptr;
    m_viewport = nullptr;
}

void COleDropTarget::Watch(QWidget* widget, bool on)
{
    if (widget == nullptr)
        return;
    widget->setAcceptDrops(on);
    if (on)
        widget->installEventFilter(m_filter);
    else
        widget->removeEventFilter(m_filter);
}

unsigned COleDropTarget::OnDragEnter(QWidget*, const QMimeData*, unsigned, CPoint) { return DROPEFFECT_NONE; }
unsigned COleDropTarget::OnDragOver(QWidget*, const QMimeData*, unsigned, CPoint) { return DROPEFFECT_NONE; }
bool COleDropTarget::OnDrop(QWidget*, const QMimeData*, unsigned, CPoint) { return false; }
void COleDropTarget::OnDragLeave(QWidget*) {}
unsigned COleDropTarget::OnDragScroll(QWidget*, unsigned, CPoint) { return DROPEFFECT_NONE; }
