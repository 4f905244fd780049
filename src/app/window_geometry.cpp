#include "app/window_geometry.h"

#include "app/port_setting.h"

#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace {

// Enough of the title bar to take hold of the window.
constexpr int kGripWidth = 100;
constexpr int kGripHeight = 20;
// The first run's window: wide enough for every column of a Device ID answer, within a 1280x800
// screen with room for its frame and a panel.
constexpr QSize kFirstRunSize(1180, 640);

qint64 Distance(const QRect& a, const QRect& b)
{
    const qint64 dx = qint64(a.center().x()) - b.center().x();
    const qint64 dy = qint64(a.center().y()) - b.center().y();
    return dx * dx + dy * dy;
}

} // namespace

StoredGeometry ReadWindowGeometry(const QString& settingsFile)
{
    const auto settings = OpenSettings(settingsFile);
    StoredGeometry stored;
    const QRect frame = settings->value("Window/Geometry").toRect();
    if (frame.isValid() && frame.width() > 0 && frame.height() > 0)
        stored.frame = frame;
    stored.maximized = settings->value("Window/Maximized", false).toBool();
    return stored;
}

bool WriteWindowGeometry(const QString& settingsFile, const QWidget& window)
{
    const auto settings = OpenSettings(settingsFile);
    // A maximised window keeps the place it had before, to go back to it.
    const QRect normal = window.isMaximized() ? window.normalGeometry() : window.frameGeometry();
    settings->setValue("Window/Geometry", normal);
    settings->setValue("Window/Maximized", window.isMaximized());
    settings->sync();
    return settings->status() == QSettings::NoError;
}

QRect BringOnScreen(const QRect& frame, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return frame;
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), kGripHeight));
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(titleBar);
        if (seen.width() >= std::min(frame.width(), kGripWidth) && seen.height() >= kGripHeight / 2)
            return frame;
    }
    const QRect nearest = *std::min_element(screens.begin(), screens.end(), [&](const QRect& a, const QRect& b) {
        return Distance(a, frame) < Distance(b, frame);
    });
    QRect placed(QPoint(), frame.size().boundedTo(nearest.size()));
    placed.moveCenter(nearest.center());
    return placed;
}

QSize FirstRunSize(const QRect& available)
{
    return available.isEmpty() ? kFirstRunSize : kFirstRunSize.boundedTo(available.size());
}
