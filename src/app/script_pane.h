#pragma once

#include "app/script_session.h"

#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QTreeWidget;
class QTreeWidgetItem;

// The results of a script or sweep run in the window: a line per step as it finishes (ok / FAIL,
// file:line with the round, the step, what was sent or arrived, the time; failures in red), the
// summary at the end, and how far the run has come. Stop (or Escape in the pane) ends the run after
// the step under way; Ctrl+C copies the lines as the console tool prints them; double-clicking a
// step asks the log to show the rows it was decided by; "Save Report..." writes the JUnit report.
class CScriptPane : public QWidget {
    Q_OBJECT
public:
    // The lines kept; older ones leave, as the log's oldest rows do.
    static constexpr int kMostLines = 100'000;

    struct Host {
        CScriptSession::Sender send;
        // The run's rows come from here while it goes on (set, and cleared once it has ended).
        std::function<void(IRowSink*)> tapRows;
        std::function<void(bool running)> runningChanged;
        // The log rows of a step: from..to, in the receiving clock; for a passed step, the row
        // whose description its arrived text begins with.
        std::function<void(std::chrono::system_clock::time_point from, std::chrono::system_clock::time_point to,
                           const QString& matched)>
            showInLog;
        std::function<void(const CScriptSession::Finished&)> finished;
    };

    CScriptPane(Host host, QWidget* parent);
    ~CScriptPane() override;

    // Starts a run; the pane is cleared for it. Call only when none is running.
    void Start(ScriptJob job);
    void Stop();
    bool IsRunning() const { return m_session != nullptr && m_running; }
    // Ends a run under way and waits for its thread (the window is closing).
    void End();

    // The lines as the console tool prints them: the selected ones, or all with the summary.
    QString CopyText() const;
    bool SaveReport(const QString& path, QString& error) const;

    QTreeWidget* Steps() const { return m_steps; }
    QLabel* Status() const { return m_status; }
    QProgressBar* Progress() const { return m_progress; }
    QPushButton* StopButton() const { return m_stopButton; }
    QPushButton* SaveButton() const { return m_saveButton; }

protected:
    // The step list claims Ctrl+C before the window's Copy, as a text field claims its own keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the run's thread has told since the UI thread last looked. It crosses behind a lock of
    // its own and the queued call carries nothing, so no value is shared through Qt's event queue.
    struct RunNews {
        unsigned run = 0;
        std::optional<std::size_t> planned;
        bool outcomes = false;
        std::optional<CScriptSession::Finished> finished;
    };
    void Post(unsigned run, const std::function<void(RunNews&)>& change);
    void TakeNews();
    void TakeOutcomes();
    void AddLine(const StepOutcome& outcome);
    void OnFinished(const CScriptSession::Finished& finished);
    void OnDoubleClick(QTreeWidgetItem* item);
    void OnSaveReport();

    Host m_host;
    std::unique_ptr<CScriptSession> m_session;
    bool m_running = false;
    unsigned m_run = 0; // which run the notices of the run's thread belong to
    std::mutex m_newsMutex;
    RunNews m_news;
    QString m_summary;
    QLabel* m_status = nullptr;
    QLabel* m_subject = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QShortcut* m_escape = nullptr;
    QString m_reportPath; // the finished run's JUnit report
    QTreeWidget* m_steps = nullptr;
    std::size_t m_planned = 0;
    std::size_t m_done = 0;
};
