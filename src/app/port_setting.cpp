#include "app/port_setting.h"

#include <QSettings>

#include <memory>

namespace {

const char* const kKey = "Setup/Port";
const char* const kDefault = "COM1";

std::unique_ptr<QSettings> Open(const QString& file)
{
    return file.isEmpty() ? std::make_unique<QSettings>()
                          : std::make_unique<QSettings>(file, QSettings::IniFormat);
}

} // namespace

QString CPortSetting::Read() const
{
    return Open(m_file)->value(kKey, kDefault).toString();
}

bool CPortSetting::Write(const QString& port) const
{
    const auto settings = Open(m_file);
    settings->setValue(kKey, port);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
