#include "app/port_setting.h"

#include <QSettings>

#include <memory>

namespace {

const char* const kKey = "Setup/Port";
const char* const kDefault = "COM1";

} // namespace

std::unique_ptr<QSettings> OpenSettings(const QString& file)
{
    return file.isEmpty() ? std::make_unique<QSettings>()
                          : std::make_unique<QSettings>(file, QSettings::IniFormat);
}

QString CPortSetting::Read() const
{
    return OpenSettings(m_file)->value(kKey, kDefault).toString();
}

bool CPortSetting::Write(const QString& port) const
{
    const auto settings = OpenSettings(m_file);
    settings->setValue(kKey, port);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
