#include "builder/list_box.h"

#include <QListWidget>
#include <QSignalBlocker>

namespace ListBox {

int AddString(QListWidget* list, const QString& text, int data)
{
    const QSignalBlocker blocker(list);
    auto* item = new QListWidgetItem(text, list);
    item->setData(Qt::UserRole, data);
    return list->count() - 1;
}

void ResetContent(QListWidget* list)
{
    const QSignalBlocker blocker(list);
    list->clear();
}

int GetCurSel(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

void SetCurSel(QListWidget* list, int index)
{
    const QSignalBlocker blocker(list);
    if (index < 0 || index >= list->count())
        list->clearSelection();
    else
        list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

int GetItemData(const QListWidget* list, int index)
{
    const QListWidgetItem* item = list->item(index);
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

} // namespace ListBox
