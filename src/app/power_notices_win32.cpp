// Sleep and wake from Windows, which sends WM_POWERBROADCAST to every top-level window; Qt hands
// each message its windows receive to the application's native event filters first. The program
// has several top-level windows (a saved session's, the Build Command window), so only the
// message to the window that owns the notices counts, once per event.
#include "app/power_notices.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <windows.h>

class CPowerNotices::Listener : public QAbstractNativeEventFilter {
public:
    explicit Listener(CPowerNotices* notices) : m_notices(notices) {}

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_POWERBROADCAST || !ForOwnWindow(msg->hwnd))
            return false;
        emit m_notices->PowerBroadcast(PowerCodeOfWindowsEvent(static_cast<unsigned>(msg->wParam)));
        // Other windows and Qt itself see it too.
        return false;
    }

    bool ForOwnWindow(HWND hwnd) const
    {
        const auto* owner = qobject_cast<const QWidget*>(m_notices->parent());
        return !owner || reinterpret_cast<HWND>(owner->window()->internalWinId()) == hwnd;
    }

    CPowerNotices* m_notices;
};

CPowerNotices::CPowerNotices(QObject* parent) : QObject(parent)
{
    if (QCoreApplication* app = QCoreApplication::instance()) {
        m_listener = std::make_unique<Listener>(this);
        app->installNativeEventFilter(m_listener.get());
    }
}

// A filter removes itself from the application when it is destroyed.
CPowerNotices::~CPowerNotices() = default;
