#include "builder/list_box.h"

#include <QEvent>
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

namespace {

// Remembers which entry was selected when the button went down: a click that lands on that same
// entry changes no selection, so Qt reports nothing, yet the user has chosen it again.
class ReselectWatcher : public QObject {
public:
    ReselectWatcher(QListWidget* list, std::function<void()> handler)
        : QObject(list), m_list(list), m_handler(std::move(handler))
    {
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
            if (item && m_list->row(item) == m_selectedAtPress && GetCurSel(m_list) == m_selectedAtPress)
                m_handler();
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            m_selectedAtPress = GetCurSel(m_list);
        return false;
    }

private:
    QListWidget* m_list;
    std::function<void()> m_handler;
    int m_selectedAtPress = -1;
};

} // namespace

void OnSelChange(QListWidget* list, QObject* context, std::function<void()> handler)
{
    QObject::connect(list, &QListWidget::itemSelectionChanged, context, handler);
    new ReselectWatcher(list, std::move(handler));
}

} // namespace ListBox
