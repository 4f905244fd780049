#include "platform/dialog_builder.h"

#include "platform/dialog_units.h"
#include "platform/group_box.h"
#include "platform/resource_loader.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace {

QWidget* CreateControl(const DialogItemTemplate& item, QDialog& dialog, const CDialogUnits& units,
                       const CustomControlFactory& custom)
{
    const QString& kind = item.kind;
    if (kind == "static") {
        auto* label = new QLabel(item.text, &dialog);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    if (kind == "icon") {
        auto* label = new QLabel(&dialog);
        const QSize size = units.MapDialogSize(item.rect.size());
        label->setPixmap(LoadResourceIcon(item.resource).pixmap(std::min(size.width(), size.height())));
        return label;
    }
    if (kind == "edit") {
        auto* edit = new QLineEdit(item.text, &dialog);
        edit->setReadOnly(item.Has("readonly"));
        return edit;
    }
    if (kind == "button" || kind == "defbutton") {
        auto* button = new QPushButton(item.text, &dialog);
        button->setDefault(kind == "defbutton");
        if (item.id == 1)
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::accept);
        else if (item.id == 2)
            QObject::connect(button, &QPushButton::clicked, &dialog, &QDialog::reject);
        return button;
    }
    if (kind == "groupbox")
        return new CGroupBox(item.text, &dialog);
    if (kind == "combobox") {
        auto* combo = new QComboBox(&dialog);
        combo->setEditable(item.Has("dropdown"));
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    if (kind == "listbox")
        return new QListWidget(&dialog);
    if (kind == "custom" && custom)
        return custom(item, &dialog);
    return nullptr;
}

Qt::WindowFlags FlagsFor(const DialogTemplate& t)
{
    Qt::WindowFlags flags = t.Has("appwindow") ? Qt::Window : Qt::Dialog;
    flags |= Qt::WindowTitleHint;
    if (t.Has("sysmenu"))
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.Has("minimizebox"))
        flags |= Qt::WindowMinimizeButtonHint;
    if (t.Has("maximizebox"))
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

} // namespace

QWidget* CDialogControls::Item(int id) const
{
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second;
}

bool BuildDialog(QDialog& dialog, const DialogTemplate& t, CDialogControls& controls,
                 const CustomControlFactory& custom, QString* error)
{
    const CDialogUnits units(dialog.font());
    dialog.setWindowFlags(FlagsFor(t));
    dialog.setWindowTitle(t.caption);
    const QSize client = units.MapDialogSize(t.size);
    if (t.Has("thickframe"))
        dialog.resize(client);
    else
        dialog.setFixedSize(client);

    for (const DialogItemTemplate& item : t.items) {
        QWidget* widget = CreateControl(item, dialog, units, custom);
        if (!widget) {
            if (error)
                *error = QString("dialog %1: cannot create control %2 (%3)").arg(t.id).arg(item.id).arg(item.kind);
            return false;
        }
        QRect rect = units.MapDialogRect(item.rect);
        // A combo box's template height includes its dropped list; closed, it is as tall as it needs.
        if (item.kind == "combobox")
            rect.setHeight(widget->sizeHint().height());
        // Templates were laid out for one font; a label whose text needs more room under the
        // user's font grows to the right rather than cut its text.
        if (item.kind == "static" && !item.text.isEmpty())
            rect.setWidth(std::max(rect.width(), widget->sizeHint().width()));
        widget->setGeometry(rect);
        if (item.Has("clientedge"))
            if (auto* frame = qobject_cast<QFrame*>(widget))
                frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        if (item.Has("hidden"))
            widget->hide();
        if (item.id != -1) {
            widget->setObjectName(QString::number(item.id));
            controls.Add(item.id, widget);
        }
    }
    return true;
}

bool BuildDialog(QDialog& dialog, int templateId, CDialogControls& controls, const CustomControlFactory& custom,
                 QString* error)
{
    DialogTemplate t;
    QString why;
    if (LoadDialogTemplate(templateId, t, &why) && BuildDialog(dialog, t, controls, custom, &why))
        return true;
    // The templates are part of the program, so this is a build fault; say so where it shows.
    qCritical("%s", qPrintable(why));
    if (error)
        *error = why;
    return false;
}
