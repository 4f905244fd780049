#include "app/power_notices.h"

#include <QDBusConnection>

CPowerNotices::CPowerNotices(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        m_listening = bus.connect("org.freedesktop.login1", "/org/freedesktop/login1",
                                  "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                                  SLOT(OnPrepareForSleep(bool)));
}

void CPowerNotices::OnPrepareForSleep(bool start)
{
    emit PowerBroadcast(start ? PBT_APMQUERYSUSPEND : PBT_APMRESUMESUSPEND);
}
