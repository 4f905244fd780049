#include "platform/resource_loader.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QString LoadResourceString(int id)
{
    // Read once: the table is small and fixed for the life of the program.
    static const QJsonObject table = [] {
        QFile file(":/strings.json");
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }();
    return table.value(QString::number(id)).toString();
}

QIcon LoadResourceIcon(int id)
{
    const QString path = QString(":/icons/%1.png").arg(id);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}
