// Sleep and wake from systemd-logind, whose PrepareForSleep signal on the system bus says true
// before the machine sleeps and false once it has woken.
#include "app/power_notices.h"

#include <QDBusConnection>

#include <thread>

namespace {

// Receives logind's signal for the whole program. Reaching the system bus and subscribing to the
// signal are calls that wait for the bus daemon (up to D-Bus's 25 s time-out when it hangs), so
// they are made on a thread of their own, never the window's. The relay is made once, on the UI
// thread, and never destroyed: that thread can never be left holding a receiver that is gone.
class SleepRelay : public QObject {
    Q_OBJECT
signals:
    void PrepareForSleep(bool start);

public slots:
    void OnPrepareForSleep(bool start) { emit PrepareForSleep(start); }
};

SleepRelay& Relay()
{
    static SleepRelay* const relay = [] {
        auto* made = new SleepRelay;
        std::thread([made] {
            QDBusConnection bus = QDBusConnection::systemBus();
            if (bus.isConnected())
                bus.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                            "PrepareForSleep", made, SLOT(OnPrepareForSleep(bool)));
        }).detach();
        return made;
    }();
    return *relay;
}

} // namespace

class CPowerNotices::Listener {
public:
    QMetaObject::Connection relay;
};

CPowerNotices::CPowerNotices(QObject* parent) : QObject(parent), m_listener(std::make_unique<Listener>())
{
    m_listener->relay = connect(&Relay(), &SleepRelay::PrepareForSleep, this,
                                [this](bool start) { emit PowerBroadcast(PowerCodeOfPrepareForSleep(start)); });
}

CPowerNotices::~CPowerNotices() = default;

#include "power_notices_posix.moc"
