#pragma once

#include "platform/dialog_template.h"

#include <QWidget>

#include <functional>
#include <map>

class QDialog;

// Creates the widget of a control whose kind the builder does not know itself ("custom", by class).
using CustomControlFactory = std::function<QWidget*(const DialogItemTemplate& item, QWidget* parent)>;

// The controls of a built dialog, found by id.
class CDialogControls {
public:
    QWidget* Item(int id) const;
    template <class T> T* Get(int id) const { return qobject_cast<T*>(Item(id)); }
    void Add(int id, QWidget* widget) { m_items[id] = widget; }

private:
    std::map<int, QWidget*> m_items;
};

// Gives `dialog` the template's caption, kind of frame and client size, and creates every control as
// a child at its place, in tab order. Dialog units are mapped through the dialog's own font, which is
// the user's font unless the caller set another. Buttons 1 and 2 accept and reject the dialog.
bool BuildDialog(QDialog& dialog, const DialogTemplate& t, CDialogControls& controls,
                 const CustomControlFactory& custom = {}, QString* error = nullptr);

// Loads template `id` from the resources and builds it.
bool BuildDialog(QDialog& dialog, int templateId, CDialogControls& controls,
                 const CustomControlFactory& custom = {}, QString* error = nullptr);
