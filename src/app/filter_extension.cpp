#include "app/filter_extension.h"

#include <QFileInfo>

QString FilterExtension(const QString& filter)
{
    const qsizetype open = filter.indexOf(QLatin1String("(*."));
    if (open < 0)
        return {};
    const qsizetype start = open + 3;
    qsizetype end = start;
    while (end < filter.size() && (filter[end].isLetterOrNumber() || filter[end] == '_'))
        ++end;
    // "*.tsv" ends the pattern; "*.ts?" or "*.tar.gz" names no one extension to add.
    if (end == start || end == filter.size() || (filter[end] != ')' && filter[end] != ' ' && filter[end] != ';'))
        return {};
    return filter.mid(start, end - start);
}

QString WithFilterExtension(const QString& path, const QString& filter)
{
    const QString extension = FilterExtension(filter);
    const QString name = QFileInfo(path).fileName();
    // "notes." has no suffix but was ended on purpose; a path without a file name is left alone.
    if (extension.isEmpty() || name.isEmpty() || name.contains('.'))
        return path;
    return path + '.' + extension;
}
