#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>

// The longest the UI thread could not run its own work: a 1 ms timer measures the gaps between
// its ticks while the event loop runs.
class StallMeter {
public:
    StallMeter()
    {
        m_tick.setTimerType(Qt::PreciseTimer);
        m_tick.setInterval(1);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { m_longestMs = std::max(m_longestMs, m_sinceTick.restart()); });
    }
    void Start()
    {
        m_longestMs = 0;
        m_sinceTick.start();
        m_tick.start();
    }
    void Stop() { m_tick.stop(); }
    qint64 LongestMs() const { return m_longestMs; }

private:
    QTimer m_tick;
    QElapsedTimer m_sinceTick;
    qint64 m_longestMs = 0;
};
