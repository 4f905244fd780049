#include "app/open_retry.h"

COpenRetry::COpenRetry(QObject* owner, std::function<bool()> tryOpen) : m_tryOpen(std::move(tryOpen))
{
    m_timer.setInterval(kInterval);
    QObject::connect(&m_timer, &QTimer::timeout, owner, [this] {
        if (m_tryOpen())
            Stop();
    });
}

void COpenRetry::Start()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void COpenRetry::Stop()
{
    m_timer.stop();
}
