#pragma once

#include <QString>

#include <memory>

class QSettings;

// The configuration file: `file`, or the per-user place Qt chooses for this application when empty.
std::unique_ptr<QSettings> OpenSettings(const QString& file);

// The serial port to open (group "Setup", key "Port", default "COM1").
class CPortSetting {
public:
    // An empty file means the per-user place Qt chooses for this application.
    explicit CPortSetting(QString file = {}) : m_file(std::move(file)) {}

    QString Read() const;
    // Returns false when the value could not be stored.
    bool Write(const QString& port) const;
    // The configuration file, empty for the per-user default; other settings live in it too.
    const QString& File() const { return m_file; }

private:
    QString m_file;
};
