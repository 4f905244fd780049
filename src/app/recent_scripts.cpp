#include "app/recent_scripts.h"

#include "app/port_setting.h"

#include <QFileInfo>
#include <QSettings>

QStringList CRecentScripts::List() const
{
    QStringList list = OpenSettings(m_file)->value("Scripts/Recent").toStringList();
    list.removeAll(QString());
    return list.mid(0, kMost);
}

QString CRecentScripts::Folder() const
{
    return OpenSettings(m_file)->value("Scripts/Folder").toString();
}

void CRecentScripts::Add(const QString& path) const
{
    const QString full = QFileInfo(path).absoluteFilePath();
    QStringList list = List();
    list.removeAll(full);
    list.prepend(full);
    const auto settings = OpenSettings(m_file);
    settings->setValue("Scripts/Recent", list.mid(0, kMost));
    settings->setValue("Scripts/Folder", QFileInfo(full).absolutePath());
}
