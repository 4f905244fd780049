#pragma once

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

// One control of a dialog template; positions are in dialog units.
struct DialogItemTemplate {
    int id = -1; // -1 for controls the code never addresses (labels)
    QString kind; // static, edit, button, defbutton, groupbox, combobox, listbox, icon, custom
    QString text;
    QString windowClass; // for kind "custom"
    int resource = 0; // for kind "icon"
    QRect rect;
    QStringList styles; // readonly, hidden, autohscroll, dropdown, sort, notify, vscroll, clientedge

    bool Has(const QString& style) const { return styles.contains(style); }
};

// A dialog's layout as data: caption, font, client size in dialog units and the controls in tab order.
struct DialogTemplate {
    int id = 0;
    QString caption;
    QString fontFace;
    int fontPoints = 0;
    QSize size;
    QStringList styles;
    std::vector<DialogItemTemplate> items;

    bool Has(const QString& style) const { return styles.contains(style); }
    const DialogItemTemplate* Item(int itemId) const;
};

// Reads a template from its JSON text. On a malformed text, returns false and says why in error.
bool ParseDialogTemplate(const QByteArray& json, DialogTemplate& out, QString* error = nullptr);

// Loads template `id` from the program's resources (":/dialogs/<id>.json").
bool LoadDialogTemplate(int id, DialogTemplate& out, QString* error = nullptr);
