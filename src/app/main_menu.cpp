#include "app/main_menu.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace {

QAction* Add(QMenu& menu, QWidget& window, const QString& text, const QKeySequence& shortcut = {})
{
    QAction* action = menu.addAction(text);
    action->setShortcut(shortcut);
    window.addAction(action);
    return action;
}

QAction* AddCheck(QMenu& menu, QWidget& window, const QString& text, const QKeySequence& shortcut = {})
{
    QAction* action = Add(menu, window, text, shortcut);
    action->setCheckable(true);
    return action;
}

void AddPlaced(QMenu& menu, QWidget& window, const QList<QAction*>& actions)
{
    for (QAction* action : actions) {
        menu.addAction(action);
        window.addAction(action);
    }
}

} // namespace

CMainMenu::CMainMenu(QWidget& window, const MainMenuPlaces& places)
    : QObject(&window), m_bar(new QMenuBar(&window))
{
    m_bar->setAccessibleName(tr("Menu bar"));
    // A menu bar of its own inside the window: on desktops that would move it to a global bar it
    // stays here, where the window's layout leaves room for it.
    m_bar->setNativeMenuBar(false);

    QMenu* file = m_bar->addMenu(tr("&File"));
    openSession = Add(*file, window, tr("&Open Session..."), QKeySequence::Open);
    openRecent = file->addMenu(tr("Open &Recent"));
    if (places.saveLog)
        file->addAction(places.saveLog);
    file->addSeparator();
    quit = Add(*file, window, tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = m_bar->addMenu(tr("&Edit"));
    copy = Add(*edit, window, tr("&Copy"), QKeySequence::Copy);
    selectAll = Add(*edit, window, tr("Select &All"), QKeySequence::SelectAll);
    if (!places.find.isEmpty()) {
        edit->addSeparator();
        AddPlaced(*edit, window, places.find);
    }
    edit->addSeparator();
    clearLog = Add(*edit, window, tr("C&lear Log"));

    QMenu* view = m_bar->addMenu(tr("&View"));
    showSent = AddCheck(*view, window, tr("Show &Sent Commands"));
    showMilliseconds = AddCheck(*view, window, tr("Show &Milliseconds"));
    hexBytes = AddCheck(*view, window, tr("Bytes in &Hex"), QKeySequence(Qt::CTRL | Qt::Key_H));
    sincePrevious = AddCheck(*view, window, tr("&Time Since Previous Row"));
    if (!places.details.isEmpty()) {
        view->addSeparator();
        AddPlaced(*view, window, places.details);
    }

    QMenu* port = m_bar->addMenu(tr("&Port"));
    setup = Add(*port, window, tr("&Setup..."));
    reconnect = Add(*port, window, tr("&Reconnect"));

    if (!places.tools.isEmpty())
        AddPlaced(*m_bar->addMenu(tr("&Tools")), window, places.tools);

    QMenu* help = m_bar->addMenu(tr("&Help"));
    if (places.about)
        help->addAction(places.about);

    SetRecentFiles({});
}

void CMainMenu::SetRecentFiles(const QStringList& files)
{
    openRecent->clear();
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        // Numbered for the keyboard: &1 to &9, then &0 for the tenth.
        QString name = QFileInfo(path).fileName();
        const QString text = QStringLiteral("&%1 %2").arg((i + 1) % 10).arg(name.replace("&", "&&"));
        QAction* action = openRecent->addAction(text);
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { emit RecentChosen(path); });
    }
    openRecent->setEnabled(!files.isEmpty());
}
