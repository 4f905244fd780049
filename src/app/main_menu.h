#pragma once

#include <QList>
#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// Actions the window makes elsewhere and the menus show in their places.
struct MainMenuPlaces {
    QAction* saveLog = nullptr;
    QAction* about = nullptr;
    QList<QAction*> find;    // Edit, after Select All
    QList<QAction*> details; // View, at its end
    QList<QAction*> tools;   // Tools, between Port and Help
};

// The main window's menu bar: File, Edit, View, Port, Tools and Help. The actions belong to the window
// too, so their shortcuts work wherever the focus is in it (a text field keeps its own editing
// keys, which it claims before the window's). The window connects each action to what it does.
class CMainMenu : public QObject {
    Q_OBJECT
public:
    CMainMenu(QWidget& window, const MainMenuPlaces& places);

    QMenuBar* Bar() const { return m_bar; }
    // Fills File > Open Recent anew from `files`, newest first; choosing one calls open(file).
    void SetRecentFiles(const QStringList& files);

    QAction* openSession;
    QMenu* openRecent;
    QAction* quit;
    QAction* copy;
    QAction* selectAll;
    QAction* clearLog;
    QAction* showSent;
    QAction* showMilliseconds;
    QAction* hexBytes;
    QAction* sincePrevious;
    QAction* setup;
    QAction* reconnect;

signals:
    void RecentChosen(const QString& file);

private:
    QMenuBar* m_bar;
};
