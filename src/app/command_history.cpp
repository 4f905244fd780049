#include "app/command_history.h"

#include "app/port_setting.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSettings>
#include <QStringListModel>

#include <algorithm>

namespace {

constexpr const char* kKey = "History/Commands";

} // namespace

CCommandHistory::CCommandHistory(QString settingsFile) : m_settingsFile(std::move(settingsFile)) {}

void CCommandHistory::Load()
{
    m_items = OpenSettings(m_settingsFile)->value(kKey).toStringList();
    m_items.removeAll(QString());
    if (m_items.size() > kLimit)
        m_items.resize(kLimit);
}

bool CCommandHistory::Add(const QString& text)
{
    if (text.trimmed().isEmpty() || (!m_items.isEmpty() && m_items.front() == text))
        return true;
    m_items.prepend(text);
    if (m_items.size() > kLimit)
        m_items.resize(kLimit);
    const auto settings = OpenSettings(m_settingsFile);
    settings->setValue(kKey, m_items);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

CCommandRecall::CCommandRecall(QLineEdit& edit, const CCommandHistory& history)
    : QObject(&edit), m_edit(edit), m_history(history)
{
    connect(&edit, &QLineEdit::textEdited, this, [this] { Restart(); });
    edit.installEventFilter(this);
}

void CCommandRecall::MakeCompleter()
{
    // Not the field's own completer: that one would pop up at every keystroke and take Enter,
    // which sends. Made when first wanted: most starts never drop the list down.
    m_completer = new QCompleter(this);
    m_completer->setModel(new QStringListModel(m_completer));
    m_completer->setWidget(&m_edit);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setMaxVisibleItems(12);
    connect(m_completer, qOverload<const QString&>(&QCompleter::activated), this, [this](const QString& text) {
        m_edit.setText(text);
        Restart();
    });
}

void CCommandRecall::Restart()
{
    m_index = -1;
}

void CCommandRecall::ShowList()
{
    if (m_history.Items().isEmpty())
        return;
    if (!m_completer)
        MakeCompleter();
    static_cast<QStringListModel*>(m_completer->model())->setStringList(m_history.Items());
    m_completer->setCompletionPrefix(QString());
    m_completer->complete();
    m_completer->popup()->setCurrentIndex(m_completer->completionModel()->index(0, 0));
}

void CCommandRecall::Step(int by)
{
    const int count = static_cast<int>(m_history.Items().size());
    const int next = std::clamp(m_index + by, -1, count - 1);
    if (next == m_index)
        return;
    if (m_index == -1)
        m_typed = m_edit.text();
    m_index = next;
    m_edit.setText(m_index == -1 ? m_typed : m_history.Items().at(m_index));
}

bool CCommandRecall::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_edit || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Down && modifiers == Qt::AltModifier) || (key->key() == Qt::Key_F4 && modifiers == Qt::NoModifier)) {
        ShowList();
        return true;
    }
    if (modifiers != Qt::NoModifier || (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down))
        return false;
    Step(key->key() == Qt::Key_Up ? 1 : -1);
    return true;
}
