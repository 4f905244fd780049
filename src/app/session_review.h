#pragma once

#include "app/session_loader.h"

#include <QElapsedTimer>
#include <QObject>
#include <QAbstractScrollArea>
#include <QPointer>
#include <QString>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CResponseLog;

// A saved session shown read-only in the log. The file is read on a thread of its own and its rows
// are added in slices that leave the window free for input and painting between them. While it
// loads, the first row of the log tells how far it has come; past the row limit that row stays,
// saying how many rows of the file are not shown. Every row up to the limit is shown: the
// scrollback bounds the live log only.
class CSessionReview : public QObject {
    Q_OBJECT
public:
    // At about 250 bytes a row in the log, the limit holds the view to about 1 GB.
    static constexpr std::size_t kRowLimit = 4'000'000;

    // `status` hears how the loading goes, for the port field: "loading, 37 %" while it loads,
    // empty once it is done.
    CSessionReview(CResponseLog& log, std::string path, std::size_t rowLimit,
                   std::function<void(const QString&)> status, QObject* parent = nullptr);
    ~CSessionReview() override;

    void Start();
    bool Loading() const { return m_loader != nullptr; }
    // The view showing the log: while slices follow each other, it is repainted about every
    // kPaintEveryMs rather than after each, a repaint costing as much as thousands of rows (input
    // is still taken between every two slices). It paints at once whenever the loading waits for
    // the file, and when it ends.
    void PaceRepaints(QAbstractScrollArea* view);
    static constexpr qint64 kPaintEveryMs = 100;

protected:
    // Notes when the paced view last painted.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Schedule();
    // Adds rows for one slice of time, then lets the window run until the next.
    void Continue();
    void AddProblem(const SessionProblem& problem);
    void Finish();
    void ShowProgress();
    // Before a slice: whether its repaint waits for a later one.
    void HoldRepaint();
    void ReleaseRepaint();

    CResponseLog& m_log;
    std::string m_path;
    std::size_t m_rowLimit;
    std::function<void(const QString&)> m_status;
    std::unique_ptr<SessionLoader> m_loader;
    SessionLoadState m_state;
    std::vector<LoadedLine> m_batch;
    std::size_t m_next = 0;    // the first line of m_batch not yet in the log
    std::size_t m_shown = 0;   // lines of the file in the log
    std::size_t m_rowsPerSlice = 1024;
    bool m_scheduled = false;
    QPointer<QAbstractScrollArea> m_paced;
    QElapsedTimer m_sincePaint; // since the paced view last painted; invalid while a repaint is awaited
};
