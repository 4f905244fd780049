#include "app/script_pane.h"

#include <QApplication>
#include <QBrush>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

enum Column { kResult, kWhere, kStep, kArrived, kTime, kColumns };
// What an item keeps beyond its columns.
constexpr int kLineRole = Qt::UserRole;         // the console tool's line for the step
constexpr int kAtRole = Qt::UserRole + 1;       // milliseconds since the epoch: where to look in the log
constexpr int kElapsedRole = Qt::UserRole + 2;  // how long the step took, in ms
constexpr int kPassedRole = Qt::UserRole + 3;

const QColor kFailedText(0xB0, 0x20, 0x20);

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The fields of the console line, so that the pane reads as the console tool does.
QStringList LineFields(const StepOutcome& outcome)
{
    return FromUtf8(FormatStepLine(outcome)).split('\t');
}

} // namespace

CScriptPane::CScriptPane(Host host, QWidget* parent) : QWidget(parent), m_host(std::move(host))
{
    setAccessibleName(tr("Script results"));
    m_status = new QLabel(tr("No script has run yet."), this);
    m_status->setAccessibleName(tr("Script status"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_subject = new QLabel(this);
    m_subject->setAccessibleName(tr("Step under test"));
    m_progress = new QProgressBar(this);
    m_progress->setAccessibleName(tr("Script progress"));
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progress->setTextVisible(true);
    m_stopButton = new QPushButton(tr("Stop"), this);
    m_stopButton->setAccessibleName(tr("Stop the script"));
    m_stopButton->setEnabled(false);
    m_saveButton = new QPushButton(tr("Save Report..."), this);
    m_saveButton->setAccessibleName(tr("Save the JUnit report"));
    m_saveButton->setEnabled(false);
    connect(m_stopButton, &QPushButton::clicked, this, [this] { Stop(); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { OnSaveReport(); });

    m_steps = new QTreeWidget(this);
    m_steps->setAccessibleName(tr("Script steps"));
    m_steps->setRootIsDecorated(false);
    m_steps->setUniformRowHeights(true);
    m_steps->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_steps->setColumnCount(kColumns);
    m_steps->setHeaderLabels({tr("Result"), tr("Where"), tr("Step"), tr("Sent or arrived"), tr("Time")});
    m_steps->header()->setStretchLastSection(false);
    m_steps->header()->setSectionResizeMode(kArrived, QHeaderView::Stretch);
    connect(m_steps, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { OnDoubleClick(item); });

    // Inside the pane these keys are the pane's: Escape stops the run rather than close the window.
    // Between runs Escape is the window's again.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(m_escape, &QShortcut::activated, this, [this] { Stop(); });
    m_escape->setEnabled(false);
    m_steps->installEventFilter(this);

    auto* top = new QHBoxLayout;
    top->addWidget(m_status, 1);
    top->addWidget(m_subject);
    top->addWidget(m_progress);
    top->addWidget(m_stopButton);
    top->addWidget(m_saveButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(m_steps, 1);
}

CScriptPane::~CScriptPane()
{
    End();
}

void CScriptPane::End()
{
    if (!m_session)
        return;
    m_session->Stop();
    m_session.reset(); // joins the run's thread; the run's queued notices find no session then
    if (m_host.tapRows)
        m_host.tapRows(nullptr);
    if (std::exchange(m_running, false) && m_host.runningChanged)
        m_host.runningChanged(false);
}

void CScriptPane::Start(ScriptJob job)
{
    End();
    m_reportPath.clear();
    m_steps->clear();
    m_summary.clear();
    m_planned = 0;
    m_done = 0;
    m_progress->setValue(0);
    m_progress->setFormat(tr("starting"));
    m_subject->clear();
    m_status->setText(tr("A script is running on this port: Send is off until it ends."));
    m_status->setStyleSheet({});
    m_saveButton->setEnabled(false);
    m_stopButton->setEnabled(true);
    m_escape->setEnabled(true);

    CScriptSession::Callbacks callbacks;
    // A notice of an earlier run that comes after this one began is no longer news.
    const unsigned run = ++m_run;
    callbacks.outcomesReady = [this, run] { Post(run, [](RunNews& news) { news.outcomes = true; }); };
    callbacks.planned = [this, run](std::size_t steps) { Post(run, [steps](RunNews& news) { news.planned = steps; }); };
    callbacks.finished = [this, run](const CScriptSession::Finished& finished) {
        Post(run, [&finished](RunNews& news) { news.finished = finished; });
    };
    m_session = std::make_unique<CScriptSession>(m_host.send, std::move(callbacks));
    if (m_host.tapRows)
        m_host.tapRows(&m_session->RowSink());
    m_running = true;
    if (m_host.runningChanged)
        m_host.runningChanged(true);
    m_session->Start(std::move(job));
}

void CScriptPane::Stop()
{
    if (!IsRunning())
        return;
    m_session->Stop();
    m_stopButton->setEnabled(false);
    m_status->setText(tr("Stopping after the step under way..."));
}

void CScriptPane::TakeOutcomes()
{
    if (!m_session)
        return;
    const std::vector<StepOutcome> outcomes = m_session->TakeOutcomes();
    if (outcomes.empty())
        return;
    m_steps->setUpdatesEnabled(false);
    for (const StepOutcome& outcome : outcomes)
        AddLine(outcome);
    const int excess = m_steps->topLevelItemCount() - kMostLines;
    for (int i = 0; i < excess; ++i)
        delete m_steps->takeTopLevelItem(0);
    m_steps->setUpdatesEnabled(true);
    m_steps->scrollToBottom();
    const std::size_t planned = std::max(m_planned, m_done);
    if (planned > 0) {
        m_progress->setValue(static_cast<int>(static_cast<double>(m_done) / static_cast<double>(planned) * 1000.0));
        m_progress->setFormat(tr("%1 of %2 steps").arg(m_done).arg(planned));
    }
    if (!outcomes.back().subject.empty())
        m_subject->setText(FromUtf8(outcomes.back().subject));
}

void CScriptPane::AddLine(const StepOutcome& outcome)
{
    if (!outcome.error)
        ++m_done;
    QStringList fields = LineFields(outcome);
    if (outcome.error)
        fields = {tr("ERROR"), FromUtf8(outcome.file), {}, FromUtf8(outcome.arrived), {}};
    auto* item = new QTreeWidgetItem(fields);
    item->setData(kResult, kLineRole, outcome.error ? QString() : FromUtf8(FormatStepLine(outcome)));
    const auto at = std::chrono::duration_cast<std::chrono::milliseconds>(outcome.at.time_since_epoch()).count();
    item->setData(kResult, kAtRole, QVariant::fromValue<qint64>(at));
    item->setData(kResult, kElapsedRole, QVariant::fromValue<qint64>(outcome.elapsed.count()));
    item->setData(kResult, kPassedRole, outcome.passed && !outcome.error);
    if (!outcome.passed || outcome.error)
        for (int c = 0; c < kColumns; ++c)
            item->setForeground(c, QBrush(kFailedText));
    m_steps->addTopLevelItem(item);
}

void CScriptPane::OnFinished(const CScriptSession::Finished& finished)
{
    if (!m_running)
        return; // ended meanwhile
    TakeOutcomes();
    // The finished session stays until the next run: its report is kept for "Save Report...".
    m_reportPath = m_session ? QString::fromStdString(m_session->ReportPath()) : QString();
    if (m_host.tapRows)
        m_host.tapRows(nullptr);
    m_stopButton->setEnabled(false);
    m_escape->setEnabled(false);
    m_summary = FromUtf8(finished.summary);
    QString text = m_summary;
    if (!finished.error.empty())
        text = text.isEmpty() ? FromUtf8(finished.error) : FromUtf8(finished.error) + "\n" + text;
    m_status->setText(text.isEmpty() ? tr("The run has ended.") : text);
    m_status->setStyleSheet(finished.status == 0 ? QString() : QStringLiteral("color: #b02020"));
    m_saveButton->setEnabled(!m_reportPath.isEmpty());
    if (m_planned > 0 && finished.status == 0)
        m_progress->setValue(1000);
    m_running = false;
    if (m_host.runningChanged)
        m_host.runningChanged(false);
    if (m_host.finished)
        m_host.finished(finished);
}

QString CScriptPane::CopyText() const
{
    const QList<QTreeWidgetItem*> selected = m_steps->selectedItems();
    QStringList lines;
    const auto add = [&lines](const QTreeWidgetItem* item) {
        const QString line = item->data(kResult, kLineRole).toString();
        if (!line.isEmpty())
            lines << line;
    };
    if (!selected.isEmpty()) {
        // In the order of the run, however they were picked.
        for (int i = 0; i < m_steps->topLevelItemCount(); ++i)
            if (m_steps->topLevelItem(i)->isSelected())
                add(m_steps->topLevelItem(i));
    } else {
        for (int i = 0; i < m_steps->topLevelItemCount(); ++i)
            add(m_steps->topLevelItem(i));
        if (!m_summary.isEmpty())
            lines << m_summary;
    }
    return lines.isEmpty() ? QString() : lines.join('\n') + '\n';
}

void CScriptPane::OnDoubleClick(QTreeWidgetItem* item)
{
    if (!item || !m_host.showInLog)
        return;
    const std::chrono::system_clock::time_point at{std::chrono::milliseconds(item->data(kResult, kAtRole).toLongLong())};
    if (item->data(kResult, kPassedRole).toBool()) {
        m_host.showInLog(at, at, item->text(kArrived));
        return;
    }
    // A failed step: the rows it looked at, those that came while it waited and those that came
    // since the step before it ended (an expect reads the answer to the command sent before it).
    auto from = at - std::chrono::milliseconds(item->data(kResult, kElapsedRole).toLongLong());
    if (const int index = m_steps->indexOfTopLevelItem(item); index > 0) {
        const std::chrono::system_clock::time_point before{
            std::chrono::milliseconds(m_steps->topLevelItem(index - 1)->data(kResult, kAtRole).toLongLong())};
        from = std::min(from, before);
    }
    m_host.showInLog(from, at, {});
}

bool CScriptPane::SaveReport(const QString& path, QString& error) const
{
    if (m_reportPath.isEmpty()) {
        error = tr("No report has been written for this run.");
        return false;
    }
    QFile::remove(path);
    QFile report(m_reportPath);
    if (!report.copy(path)) {
        error = report.errorString();
        return false;
    }
    return true;
}

void CScriptPane::OnSaveReport()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Report"), QString(), tr("JUnit XML (*.xml)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!SaveReport(path, error))
        m_status->setText(tr("The report was not saved: %1").arg(error));
}

bool CScriptPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_steps && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)
        && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        if (event->type() == QEvent::KeyPress)
            QApplication::clipboard()->setText(CopyText());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CScriptPane::Post(unsigned run, const std::function<void(RunNews&)>& change)
{
    {
        const std::lock_guard lock(m_newsMutex);
        if (m_news.run != run) {
            m_news = RunNews();
            m_news.run = run;
        }
        change(m_news);
    }
    QMetaObject::invokeMethod(this, &CScriptPane::TakeNews, Qt::QueuedConnection);
}

void CScriptPane::TakeNews()
{
    RunNews news;
    {
        const std::lock_guard lock(m_newsMutex);
        news = std::move(m_news);
        m_news = RunNews();
        m_news.run = news.run;
    }
    if (news.run != m_run)
        return;
    if (news.planned)
        m_planned = *news.planned;
    if (news.outcomes)
        TakeOutcomes();
    if (news.finished)
        OnFinished(*news.finished);
}
