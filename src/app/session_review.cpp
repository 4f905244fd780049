#include "app/session_review.h"

#include "app/response_log.h"
#include "log/printable_text.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QEvent>
#include <QLocale>
#include <QTimer>

#include <algorithm>

namespace {

// One slice of adding rows and sizing the columns to them; the window gets its input and painting
// in between.
constexpr double kSliceMs = 20;
constexpr std::size_t kMinRowsPerSlice = 64;
constexpr std::size_t kMaxRowsPerSlice = 65536;
// A slice stops adding once this share of its time is gone, whatever its row count.
constexpr double kAddingShare = 0.75;
constexpr std::size_t kRowsBetweenClockReadings = 256;

QString Count(std::size_t n)
{
    return QLocale(QLocale::English).toString(static_cast<qulonglong>(n));
}

std::string Text(const QString& text)
{
    return text.toStdString();
}

} // namespace

CSessionReview::CSessionReview(CResponseLog& log, std::string path, std::size_t rowLimit,
                               std::function<void(const QString&)> status, QObject* parent)
    : QObject(parent), m_log(log), m_path(std::move(path)), m_rowLimit(rowLimit), m_status(std::move(status))
{
}

// A file that is no session says so once, by its name; a bad line of a session is named by its number.
void CSessionReview::AddProblem(const SessionProblem& problem)
{
    m_log.AddNote(problem.notASession ? PrintableText(m_path) + ": " + problem.Text() : "Line not read, " + problem.Text());
}

// The loader goes first: after it, its thread calls nothing of this object's.
CSessionReview::~CSessionReview()
{
    m_loader.reset();
    ReleaseRepaint();
}

void CSessionReview::PaceRepaints(QAbstractScrollArea* view)
{
    m_paced = view;
    if (view)
        view->viewport()->installEventFilter(this);
}

bool CSessionReview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && m_paced && watched == m_paced->viewport())
        m_sincePaint.start();
    return false;
}

void CSessionReview::HoldRepaint()
{
    if (!m_paced)
        return;
    // Painted lately, the view waits; the first rows, and a repaint due and not yet made, never do.
    const bool due = m_shown == 0 || !m_sincePaint.isValid() || m_sincePaint.elapsed() >= kPaintEveryMs;
    if (due)
        m_sincePaint.invalidate();
    // Enabled again, the view schedules its own repaint.
    if (m_paced->updatesEnabled() != due)
        m_paced->setUpdatesEnabled(due);
}

void CSessionReview::ReleaseRepaint()
{
    if (m_paced && !m_paced->updatesEnabled()) {
        m_paced->setUpdatesEnabled(true);
        m_sincePaint.invalidate();
    }
}

void CSessionReview::Start()
{
    m_log.SetFollowNewRows(false);
    m_log.SetLeadingNote(Text(tr("Loading...")));
    m_status(tr("loading"));
    // Called on the loading thread; the slice runs on this object's.
    // The queued call carries nothing of its own: what it announces waits in the loader, behind
    // the loader's lock.
    m_loader = std::make_unique<SessionLoader>(m_path, m_rowLimit, [this] {
        QMetaObject::invokeMethod(this, &CSessionReview::Schedule, Qt::QueuedConnection);
    });
}

void CSessionReview::Schedule()
{
    if (m_scheduled || !m_loader)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        Continue();
    });
}

void CSessionReview::Continue()
{
    if (!m_loader)
        return;
    QElapsedTimer slice;
    slice.start();
    HoldRepaint();
    m_log.BeginBatch();
    bool more = true;
    std::size_t added = 0;
    for (; added < m_rowsPerSlice; ++added, ++m_next, ++m_shown) {
        if (m_next == m_batch.size()) {
            m_loader->Recycle(std::move(m_batch));
            m_batch = m_loader->Take(m_state);
            m_next = 0;
            if (m_batch.empty()) {
                more = false;
                break;
            }
        }
        // Rows that cost more than the last slice's (longer texts, a machine gone busy) still
        // leave the slice its time for the sizing.
        if (added % kRowsBetweenClockReadings == kRowsBetweenClockReadings - 1
            && static_cast<double>(slice.nsecsElapsed()) > kAddingShare * kSliceMs * 1e6)
            break;
        if (auto* row = std::get_if<SessionRow>(&m_batch[m_next]))
            m_log.Add(*row);
        else
            AddProblem(std::get<SessionProblem>(m_batch[m_next]));
    }
    m_log.EndBatch();
    // Sizing the columns to the new rows costs more than adding them: the next slice takes as many
    // rows as fit its time with the sizing counted. It grows at most twofold, so one quick slice
    // (the rows before it all measured already) does not make the next a long one.
    const double spent = std::max(0.05, static_cast<double>(slice.nsecsElapsed()) / 1e6);
    const auto fitting = static_cast<std::size_t>(static_cast<double>(std::max<std::size_t>(added, 1)) * kSliceMs / spent);
    // A slice that ran out of rows tells only whether it was too long.
    if (more || spent > kSliceMs)
        m_rowsPerSlice = std::clamp<std::size_t>(std::min(fitting, 2 * m_rowsPerSlice), kMinRowsPerSlice, kMaxRowsPerSlice);
    if (!more && m_state.finished) {
        Finish();
        return;
    }
    ShowProgress();
    // Without more at hand, the loader's news brings the next slice; what is in the log shows
    // meanwhile.
    if (more)
        Schedule();
    else
        ReleaseRepaint();
}

void CSessionReview::ShowProgress()
{
    QString progress;
    if (m_state.fileSize && *m_state.fileSize > 0)
        progress = QString::number(static_cast<int>(100 * m_state.bytesRead / *m_state.fileSize)) + " %, ";
    progress += Count(m_shown) + tr(" rows");
    m_log.SetLeadingNote(Text(tr("Loading: ") + progress));
    m_status(tr("loading, ") + progress);
}

void CSessionReview::Finish()
{
    m_loader.reset();
    ReleaseRepaint();
    m_batch = {};
    if (m_state.linesLeftOut > 0) {
        m_log.SetLeadingNote(Text(tr("Not shown: the last %1 rows of this file; the view holds its first %2")
                                      .arg(Count(m_state.linesLeftOut), Count(m_shown))));
    } else {
        m_log.RemoveLeadingNote();
    }
    if (!m_state.failure.empty()) {
        m_log.BeginBatch();
        m_log.AddNote(m_state.failure);
        m_log.EndBatch();
    }
    m_status({});
}
