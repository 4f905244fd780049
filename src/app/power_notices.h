#pragma once

#include <QObject>

#include <memory>

// Power broadcast codes the main window reacts to.
enum : unsigned {
    PBT_APMQUERYSUSPEND = 0,
    PBT_APMSUSPEND = 4,
    PBT_APMRESUMECRITICAL = 6,
    PBT_APMRESUMESUSPEND = 7,
    PBT_APMRESUMEAUTOMATIC = 18,
};

// Tells when the machine is about to sleep (PBT_APMQUERYSUSPEND: the port is closed before it
// does) and when it has woken (a resume code), whatever the system's own notice is:
// systemd-logind's PrepareForSleep on the system bus (power_notices_posix.cpp), or the
// WM_POWERBROADCAST messages Windows sends every top-level window (power_notices_win32.cpp).
// Where the system offers no notice, nothing is ever reported.
class CPowerNotices : public QObject {
    Q_OBJECT
public:
    explicit CPowerNotices(QObject* parent = nullptr);
    ~CPowerNotices() override;

    // Whether the system's notices are asked for (on Linux the subscription itself is made on a
    // thread of its own and may still be under way, or find no system bus).
    bool IsListening() const { return m_listener != nullptr; }

signals:
    void PowerBroadcast(unsigned event);

private:
    class Listener;
    std::unique_ptr<Listener> m_listener;
};

// logind's PrepareForSleep(start) as the window's code.
unsigned PowerCodeOfPrepareForSleep(bool start);
// A WM_POWERBROADCAST event as the window's code. Since Windows Vista, a machine going to sleep
// sends PBT_APMSUSPEND alone (the query came only before), so it stands for the query.
unsigned PowerCodeOfWindowsEvent(unsigned event);
