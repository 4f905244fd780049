#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// Where a window was, from the configuration file ([Window] Geometry, Maximized). Nothing stored
// yet: an empty rectangle.
struct StoredGeometry {
    QRect frame; // the window with its frame, in desktop coordinates
    bool maximized = false;
};

StoredGeometry ReadWindowGeometry(const QString& settingsFile);
// False when it could not be stored.
bool WriteWindowGeometry(const QString& settingsFile, const QWidget& window);

// A stored place may lie off every screen today (a monitor unplugged, the resolution lowered): a
// window whose title bar does not show on any screen goes to the middle of the nearest one, made no
// larger than that screen's free area.
QRect BringOnScreen(const QRect& frame, const QList<QRect>& screens);
// The window's size on its first run, on a screen with this free area.
QSize FirstRunSize(const QRect& available);
