#pragma once

#include <QString>
#include <QStringList>

// The scripts run from the window, most recent first (at most kMost), and the folder the last one
// came from, kept in the configuration file (group "Scripts").
class CRecentScripts {
public:
    static constexpr int kMost = 10;

    explicit CRecentScripts(QString settingsFile = {}) : m_file(std::move(settingsFile)) {}

    QStringList List() const;
    QString Folder() const;
    // Puts the script first (once) and remembers its folder.
    void Add(const QString& path) const;

private:
    QString m_file;
};
