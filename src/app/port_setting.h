#pragma once

#include <QString>

// The one persisted setting: the serial port to open (group "Setup", key "Port", default "COM1").
class CPortSetting {
public:
    // An empty file means the per-user place Qt chooses for this application.
    explicit CPortSetting(QString file = {}) : m_file(std::move(file)) {}

    QString Read() const;
    // Returns false when the value could not be stored.
    bool Write(const QString& port) const;

private:
    QString m_file;
};
