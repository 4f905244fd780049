#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QCompleter;
class QLineEdit;

// The texts of the commands sent, newest first, at most kLimit; sending the newest again adds
// nothing. Kept in the configuration file ([History] Commands), so they outlive the run.
class CCommandHistory {
public:
    static constexpr int kLimit = 100;

    explicit CCommandHistory(QString settingsFile);

    // Reads what an earlier run kept; a list longer than kLimit keeps its newest entries.
    void Load();
    // Returns false when the list could not be stored; it is kept for this run all the same.
    bool Add(const QString& text);
    const QStringList& Items() const { return m_items; }

private:
    QString m_settingsFile;
    QStringList m_items;
};

// Recalls the history in a line edit: Up goes to older texts, Down back to newer ones and at last to
// what was being typed; Alt+Down (or F4) drops the whole list down to pick from. Typing starts over.
class CCommandRecall : public QObject {
    Q_OBJECT
public:
    CCommandRecall(QLineEdit& edit, const CCommandHistory& history);

    // After a send: the next Up starts from the newest text again.
    void Restart();
    // The drop-down list's completer, made the first time the list drops down (nullptr before).
    QCompleter* Completer() const { return m_completer; }
    // Drops the list down (the history's newest first).
    void ShowList();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Step(int by);
    void MakeCompleter();

    QLineEdit& m_edit;
    const CCommandHistory& m_history;
    QCompleter* m_completer = nullptr;
    int m_index = -1; // the text shown, -1 for the one being typed
    QString m_typed;
};
