// The main window's session record: recording every row to a file, saving the log, reviewing a
// saved session, and the log's display options.
#include "app/vantrolix_dlg.h"

#include "app/vantrolix_dlg_ids.h"

#include "grid/grid_ctrl.h"
#include "log/printable_text.h"
#include "log/session_export.h"
#include "log/session_reader.h"
#include "platform/message_box.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void CVantrolixDlg::SetUpSessionActions()
{
    m_sessionSettings = ReadSessionSettings(m_setting.File());
    m_log->SetDisplay({m_sessionSettings.showSent, m_sessionSettings.showMilliseconds, m_sessionSettings.scrollback});
    m_saveAction = new QAction(tr("Save Log As..."), this);
    m_saveAction->setShortcut(QKeySequence::Save);
    addAction(m_saveAction);
    connect(m_saveAction, &QAction::triggered, this, [this] { OnSaveLogAs(); });
}

void CVantrolixDlg::StartRecording()
{
    if (!m_sessionSettings.record)
        return;
    // Reported on the writer's thread; shown on this one, once.
    m_recorder.OnError([this](const std::string& error) {
        QMetaObject::invokeMethod(this, [this, text = FromUtf8(error)] { OnRecordingFailed(text); }, Qt::QueuedConnection);
    });
    std::string error;
    if (!StartSessionFile(m_recorder, m_sessionSettings.folder, std::chrono::system_clock::now(), m_portName, error)) {
        OnRecordingFailed(FromUtf8(error));
        return;
    }
    std::string pruneError;
    PruneSessions(m_sessionSettings.folder, m_sessionSettings.retention, m_recorder.Path(), pruneError);
    if (!pruneError.empty())
        std::fprintf(stderr, "vantrolix: %s\n", pruneError.c_str());
}

void CVantrolixDlg::Record(SessionRow row)
{
    m_recorder.Append(std::move(row));
}

void CVantrolixDlg::RecordPort(PortEventKind event, const std::string& reason)
{
    Record(PortRow(std::chrono::system_clock::now(), event, m_portName, reason));
}

void CVantrolixDlg::OnRecordingFailed(const QString& error)
{
    if (!m_recordingProblem.isEmpty())
        return;
    m_recordingProblem = error;
    auto* field = m_controls.Get<QLineEdit>(IDC_PORT);
    field->setToolTip(field->toolTip() + "\n" + SessionToolTip());
    AfxMessageBox("This session is not being recorded: " + error.toStdString()
                  + "\nThe log goes on showing every row.");
}

std::string CVantrolixDlg::SessionFile() const
{
    return m_recorder.IsOpen() && m_recordingProblem.isEmpty() ? m_recorder.Path() : std::string();
}

QString CVantrolixDlg::SessionToolTip() const
{
    if (m_reviewFile)
        return {};
    if (!m_recordingProblem.isEmpty())
        return tr("Not recording: ") + m_recordingProblem;
    if (m_recorder.IsOpen())
        return tr("Session file: ") + FromUtf8(m_recorder.Path());
    return tr("Sessions are not recorded (Record=false in the configuration file).");
}

void CVantrolixDlg::LoadReviewFile()
{
    const QString name = FromUtf8(*m_reviewFile);
    setWindowTitle(windowTitle() + " - " + QFileInfo(name).fileName() + tr(" (read-only)"));
    auto* port = m_controls.Get<QLineEdit>(IDC_PORT);
    port->setText(name + tr(" (read-only, no port)"));
    port->setCursorPosition(0);
    port->setToolTip(name);
    for (int id : {IDC_SETUP, IDC_BUILD_COMMAND, IDC_SEND, IDC_COMMAND_DATA})
        m_controls.Item(id)->setEnabled(false);

    std::ifstream in(*m_reviewFile, std::ios::binary);
    m_log->BeginBatch();
    // A long recording is taken in batches, so the scrollback keeps the memory bounded as it loads.
    std::size_t rows = 0;
    const auto add = [this, &rows](SessionRow&& row) {
        m_log->Add(row);
        if (++rows % 65536 == 0) {
            m_log->EndBatch();
            m_log->BeginBatch();
        }
    };
    if (!in) {
        m_log->AddNote("Cannot open " + PrintableText(*m_reviewFile) + ": " + std::strerror(errno));
    } else if (!ReadSession(in, {add, [this](SessionProblem&& problem) {
                   m_log->AddNote(problem.notASession ? PrintableText(*m_reviewFile) + ": " + problem.Text()
                                                      : "Line not read, " + problem.Text());
               }})) {
        m_log->AddNote("Reading " + PrintableText(*m_reviewFile) + " failed part way");
    }
    m_log->EndBatch();
}

bool CVantrolixDlg::SaveLogAs(const QString& path)
{
    const std::vector<SessionRow> rows = m_log->ShownRows();
    std::vector<const SessionRow*> pointers;
    pointers.reserve(rows.size());
    for (const SessionRow& row : rows)
        pointers.push_back(&row);
    std::string error;
    if (SaveRows(path.toStdString(), pointers, error))
        return true;
    AfxMessageBox("The log was not saved: " + error);
    return false;
}

void CVantrolixDlg::OnSaveLogAs()
{
    const QString path = QFileDialog::getSaveFileName(this, tr("Save Log As"), QString(),
                                                      tr("Session files (*.tsv);;CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        SaveLogAs(path);
}

void CVantrolixDlg::SetShowSentCommands(bool show)
{
    LogDisplay display = m_log->Display();
    display.showSent = show;
    m_log->SetDisplay(display);
    StoreDisplay();
}

void CVantrolixDlg::SetShowMilliseconds(bool show)
{
    LogDisplay display = m_log->Display();
    display.showMilliseconds = show;
    m_log->SetDisplay(display);
    StoreDisplay();
}

void CVantrolixDlg::StoreDisplay()
{
    const LogDisplay& display = m_log->Display();
    if (!WriteLogDisplaySettings(m_setting.File(), display.showSent, display.showMilliseconds))
        std::fprintf(stderr, "vantrolix: the log's display options could not be stored\n");
}

void CVantrolixDlg::AddLogMenuItems(QMenu& menu)
{
    menu.addSeparator();
    menu.addAction(m_saveAction);
    QAction* sent = menu.addAction(tr("Show Sent Commands"));
    sent->setCheckable(true);
    sent->setChecked(m_log->Display().showSent);
    connect(sent, &QAction::toggled, this, [this](bool on) { SetShowSentCommands(on); });
    QAction* milliseconds = menu.addAction(tr("Show Milliseconds"));
    milliseconds->setCheckable(true);
    milliseconds->setChecked(m_log->Display().showMilliseconds);
    connect(milliseconds, &QAction::toggled, this, [this](bool on) { SetShowMilliseconds(on); });
}
