#include "app/session_settings.h"

#include "app/port_setting.h"

#include <QSettings>

#include <limits>

namespace {

template <class T>
T Positive(const QSettings& settings, const char* key, T fallback)
{
    bool ok = false;
    const qlonglong value = settings.value(key).toLongLong(&ok);
    if (!ok || value <= 0 || static_cast<unsigned long long>(value) > std::numeric_limits<T>::max())
        return fallback;
    return static_cast<T>(value);
}

bool Flag(const QSettings& settings, const char* key, bool fallback)
{
    const QVariant value = settings.value(key);
    return value.isValid() ? value.toBool() : fallback;
}

} // namespace

SessionSettings ReadSessionSettings(const QString& file)
{
    const auto settings = OpenSettings(file);
    SessionSettings result;
    result.record = Flag(*settings, "Session/Record", true);
    const QString folder = settings->value("Session/Folder").toString();
    result.folder = folder.isEmpty() ? DefaultSessionFolder() : std::filesystem::path(folder.toStdString());
    result.retention.maxFiles = Positive<std::size_t>(*settings, "Session/KeepFiles", result.retention.maxFiles);
    const auto megabytes = Positive<std::uintmax_t>(*settings, "Session/KeepMegabytes", result.retention.maxBytes >> 20);
    result.retention.maxBytes = megabytes > (std::numeric_limits<std::uintmax_t>::max() >> 20)
        ? std::numeric_limits<std::uintmax_t>::max()
        : megabytes << 20;
    result.scrollback = Positive<int>(*settings, "Log/Scrollback", result.scrollback);
    result.showSent = Flag(*settings, "Log/ShowSentCommands", false);
    result.showMilliseconds = Flag(*settings, "Log/ShowMilliseconds", false);
    result.hexBytes = Flag(*settings, "Log/BytesInHex", false);
    result.sincePrevious = Flag(*settings, "Log/TimeSincePreviousRow", false);
    return result;
}

bool WriteLogDisplaySettings(const QString& file, const SessionSettings& display)
{
    const auto settings = OpenSettings(file);
    settings->setValue("Log/ShowSentCommands", display.showSent);
    settings->setValue("Log/ShowMilliseconds", display.showMilliseconds);
    settings->setValue("Log/BytesInHex", display.hexBytes);
    settings->setValue("Log/TimeSincePreviousRow", display.sincePrevious);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
