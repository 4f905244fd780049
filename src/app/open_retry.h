#pragma once

#include <QTimer>

#include <chrono>
#include <functional>

// Tries again to open a port that could not be opened (not there yet, or held by another
// program), every half second and quietly: no row, no message, the port field changes only when
// it opens. A vanished device is the receive worker's to bring back; this is for the first open.
class COpenRetry {
public:
    static constexpr std::chrono::milliseconds kInterval{500};

    // tryOpen opens the port and returns true when it did; the retries end then.
    COpenRetry(QObject* owner, std::function<bool()> tryOpen);

    void Start();
    void Stop();
    bool IsActive() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<bool()> m_tryOpen;
};
