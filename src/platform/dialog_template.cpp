#include "platform/dialog_template.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QStringList kKinds = {"static", "edit", "button", "defbutton", "groupbox",
                            "combobox", "listbox", "icon", "custom"};

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool ReadRect(const QJsonValue& value, QRect& out)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return false;
    for (const QJsonValue& v : a)
        if (!v.isDouble() || v.toInt(-1) < 0)
            return false;
    out = QRect(a[0].toInt(), a[1].toInt(), a[2].toInt(), a[3].toInt());
    return true;
}

QStringList ReadStrings(const QJsonValue& value)
{
    QStringList list;
    for (const QJsonValue& v : value.toArray())
        list << v.toString();
    return list;
}

bool ReadItem(const QJsonObject& o, DialogItemTemplate& item, QString* error)
{
    item.id = o.value("id").toInt(-1);
    item.kind = o.value("kind").toString();
    item.text = o.value("text").toString();
    item.windowClass = o.value("class").toString();
    item.resource = o.value("resource").toInt(0);
    item.styles = ReadStrings(o.value("style"));
    if (!kKinds.contains(item.kind))
        return Fail(error, QString("control %1: unknown kind \"%2\"").arg(item.id).arg(item.kind));
    if (!ReadRect(o.value("rect"), item.rect))
        return Fail(error, QString("control %1: rect must be four non-negative numbers").arg(item.id));
    if (item.kind == "custom" && item.windowClass.isEmpty())
        return Fail(error, QString("control %1: a custom control needs a class").arg(item.id));
    return true;
}

} // namespace

const DialogItemTemplate* DialogTemplate::Item(int itemId) const
{
    for (const DialogItemTemplate& item : items)
        if (item.id == itemId)
            return &item;
    return nullptr;
}

bool ParseDialogTemplate(const QByteArray& json, DialogTemplate& out, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject())
        return Fail(error, parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                        : QString("not a JSON object"));
    const QJsonObject root = doc.object();
    DialogTemplate t;
    t.id = root.value("id").toInt(0);
    t.caption = root.value("caption").toString();
    const QJsonObject font = root.value("font").toObject();
    t.fontFace = font.value("face").toString();
    t.fontPoints = font.value("points").toInt(0);
    t.styles = ReadStrings(root.value("style"));
    const QJsonArray size = root.value("size").toArray();
    if (size.size() != 2 || size[0].toInt(0) <= 0 || size[1].toInt(0) <= 0)
        return Fail(error, "size must be two positive numbers");
    t.size = QSize(size[0].toInt(), size[1].toInt());
    for (const QJsonValue& v : root.value("controls").toArray()) {
        DialogItemTemplate item;
        if (!ReadItem(v.toObject(), item, error))
            return false;
        if (item.id != -1 && t.Item(item.id))
            return Fail(error, QString("control id %1 appears twice").arg(item.id));
        t.items.push_back(item);
    }
    out = std::move(t);
    return true;
}

bool LoadDialogTemplate(int id, DialogTemplate& out, QString* error)
{
    QFile file(QString(":/dialogs/%1.json").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error, QString("no dialog template %1").arg(id));
    return ParseDialogTemplate(file.readAll(), out, error);
}
