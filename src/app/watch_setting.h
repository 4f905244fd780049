#pragma once

#include <QString>

// How the window listens: to one device on its port, or to the line between a room controller
// and the device it drives, on two ports (the port setting is then the controller's). Kept in the
// configuration file beside the port (group "Setup": Mode, DevicePort, PassThrough).
struct WatchSetup {
    bool watch = false;
    QString devicePort;
    // The tool sits in the line and hands every byte on; otherwise both ports only listen (a tap).
    bool passThrough = false;

    friend bool operator==(const WatchSetup&, const WatchSetup&) = default;
};

// `file` as CPortSetting's: empty for the per-user place. An unknown mode reads as one device.
WatchSetup ReadWatchSetup(const QString& file);
// False when the values could not be stored.
bool WriteWatchSetup(const QString& file, const WatchSetup& setup);
