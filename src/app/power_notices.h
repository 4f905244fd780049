#pragma once

#include <QObject>

// Power broadcast codes the main window reacts to.
enum : unsigned {
    PBT_APMQUERYSUSPEND = 0,
    PBT_APMRESUMECRITICAL = 6,
    PBT_APMRESUMESUSPEND = 7,
    PBT_APMRESUMEAUTOMATIC = 18,
};

// Turns systemd-logind's PrepareForSleep signal on the system bus into power broadcast codes:
// true (about to sleep) becomes PBT_APMQUERYSUSPEND, false (woken up) PBT_APMRESUMESUSPEND.
// Without a system bus nothing is ever reported.
class CPowerNotices : public QObject {
    Q_OBJECT
public:
    explicit CPowerNotices(QObject* parent = nullptr);

    bool IsListening() const { return m_listening; }

signals:
    void PowerBroadcast(unsigned event);

public slots:
    void OnPrepareForSleep(bool start);

private:
    bool m_listening = false;
};
