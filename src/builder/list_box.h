#pragma once

#include <QString>

#include <functional>

class QObject;
class QListWidget;

// A single-selection list box as a dialog uses it: entries with an integer datum, a selection the
// program sets without raising the list's selection signal.
namespace ListBox {
// Appends an entry and returns its index.
int AddString(QListWidget* list, const QString& text, int data);
void ResetContent(QListWidget* list);
// The selected entry, or -1. The keyboard focus alone (a current entry) is no selection.
int GetCurSel(const QListWidget* list);
// Selects by index (-1 for none) without raising selection signals.
void SetCurSel(QListWidget* list, int index);
// The datum of an entry; 0 when none was attached.
int GetItemData(const QListWidget* list, int index);
// Runs handler whenever the user selects an entry, as a notifying list box reports it: a change of
// the selection, and also a click on the entry that was selected already. Selections the program
// makes with SetCurSel do not run it.
void OnSelChange(QListWidget* list, QObject* context, std::function<void()> handler);
} // namespace ListBox
