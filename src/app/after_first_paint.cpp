#include "app/after_first_paint.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kLatestMs = 500;

// Lives on the window until the task has run.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& window, std::function<void()> task) : QObject(&window), m_task(std::move(task))
    {
        window.installEventFilter(this);
        QTimer::singleShot(kLatestMs, this, [this] { Run(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Queued, so that the paint under way, and the rest of the first frame, finish first.
        if (event->type() == QEvent::Paint && watched == parent() && !m_queued) {
            m_queued = true;
            QTimer::singleShot(0, this, [this] { Run(); });
        }
        return false;
    }

private:
    void Run()
    {
        if (!m_task)
            return;
        parent()->removeEventFilter(this);
        const auto task = std::exchange(m_task, {});
        task();
        deleteLater();
    }

    std::function<void()> m_task;
    bool m_queued = false;
};

} // namespace

void RunAfterFirstPaint(QWidget& window, std::function<void()> task)
{
    new FirstPaintWatch(window, std::move(task));
}
