// Sleep and wake from systemd-logind, whose PrepareForSleep signal on the system bus says true
// before the machine sleeps and false once it has woken.
#include "app/power_notices.h"

#include <QDBusConnection>

class CPowerNotices::Listener : public QObject {
    Q_OBJECT
public:
    explicit Listener(CPowerNotices* notices) : m_notices(notices) {}

public slots:
    void OnPrepareForSleep(bool start) { emit m_notices->PowerBroadcast(PowerCodeOfPrepareForSleep(start)); }

private:
    CPowerNotices* m_notices;
};

CPowerNotices::CPowerNotices(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    auto listener = std::make_unique<Listener>(this);
    if (bus.connect("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                    "PrepareForSleep", listener.get(), SLOT(OnPrepareForSleep(bool))))
        m_listener = std::move(listener);
}

CPowerNotices::~CPowerNotices() = default;

#include "power_notices_posix.moc"
