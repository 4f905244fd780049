#include "app/watch_setting.h"

#include "app/port_setting.h"

#include <QSettings>

namespace {

const char* const kModeKey = "Setup/Mode";
const char* const kDevicePortKey = "Setup/DevicePort";
const char* const kPassThroughKey = "Setup/PassThrough";
const char* const kWatchMode = "watch";
const char* const kSingleMode = "device";

} // namespace

WatchSetup ReadWatchSetup(const QString& file)
{
    const auto settings = OpenSettings(file);
    WatchSetup setup;
    setup.watch = settings->value(kModeKey).toString() == kWatchMode;
    setup.devicePort = settings->value(kDevicePortKey, "COM2").toString();
    setup.passThrough = settings->value(kPassThroughKey, false).toBool();
    return setup;
}

bool WriteWatchSetup(const QString& file, const WatchSetup& setup)
{
    const auto settings = OpenSettings(file);
    settings->setValue(kModeKey, setup.watch ? kWatchMode : kSingleMode);
    settings->setValue(kDevicePortKey, setup.devicePort);
    settings->setValue(kPassThroughKey, setup.passThrough);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
