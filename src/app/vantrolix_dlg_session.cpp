// The main window's session record: recording every row to a file, saving the log, reviewing a
// saved session, and the log's display options.
#include "app/vantrolix_dlg.h"

#include "app/filter_extension.h"
#include "app/hex_byte_text.h"
#include "app/main_menu.h"
#include "app/vantrolix_dlg_ids.h"

#include "grid/grid_ctrl.h"
#include "log/session_export.h"
#include "platform/message_box.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include <cstdio>
#include <limits>

namespace {

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void CVantrolixDlg::SetUpSessionActions()
{
    m_sessionSettings = ReadSessionSettings(m_setting.File());
    m_log->SetDisplay({m_sessionSettings.showSent, m_sessionSettings.showMilliseconds, m_sessionSettings.scrollback,
                       m_sessionSettings.hexBytes, m_sessionSettings.sincePrevious});
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
    UpdateSessionStatus();
    AfxMessageBox("This session is not being recorded: " + error.toStdString()
                  + "\nThe log goes on showing every row.");
}

std::string CVantrolixDlg::SessionFile() const
{
    return m_recorder.IsOpen() && m_recordingProblem.isEmpty() ? m_recorder.Path() : std::string();
}

QString CVantrolixDlg::SessionToolTip() const
{
    // Until the session file is made just after the first paint, there is nothing to say of it.
    if (m_reviewFile || m_lineStartPending)
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
    port->setToolTip(name);
    for (int id : {IDC_SETUP, IDC_BUILD_COMMAND, IDC_SEND, IDC_COMMAND_DATA})
        m_controls.Item(id)->setEnabled(false);
    // Every row of the file is shown, up to the review's own limit.
    LogDisplay display = m_log->Display();
    display.scrollback = std::numeric_limits<int>::max();
    m_log->SetDisplay(display);

    RememberRecent(name);
    const auto status = [this, port, name](const QString& state) {
        port->setText(name + (state.isEmpty() ? tr(" (read-only, no port)") : " (read-only, " + state + ")"));
        port->setCursorPosition(0);
        ShowReviewState(name, state);
        // The log's first row tells how far the loading is; emptied now, it would fall out of step.
        m_controls.Item(IDC_CLEAR)->setEnabled(state.isEmpty());
    };
    m_review = std::make_unique<CSessionReview>(*m_log, *m_reviewFile, m_reviewRowLimit, status);
    m_review->PaceRepaints(Grid());
    m_review->Start();
}

bool CVantrolixDlg::IsLoading() const
{
    return m_review && m_review->Loading();
}

bool CVantrolixDlg::SaveLogAs(const QString& path)
{
    std::vector<SessionRow> rows = m_log->ShownRows();
    // Written as the log shows the bytes.
    if (m_log->Display().hexBytes) {
        for (SessionRow& row : rows) {
            row.encoded = DecimalBytesToHex(row.encoded).value_or(row.encoded);
            row.data = DecimalBytesToHex(row.data).value_or(row.data);
        }
    }
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
    QFileDialog dialog(this, tr("Save Log As"), QString(), tr("Session files (*.tsv);;CSV files (*.csv);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // A name typed without an extension gets the one of the format chosen, which is the format
    // written. The dialog asked about replacing the name as typed; the completed one is asked here.
    const QString chosen = dialog.selectedFiles().constFirst();
    const QString path = WithFilterExtension(chosen, dialog.selectedNameFilter());
    if (path != chosen && QFileInfo::exists(path)
        && QMessageBox::question(this, tr("Save Log As"), tr("%1 already exists.\nDo you want to replace it?").arg(path))
            != QMessageBox::Yes)
        return;
    SaveLogAs(path);
}

namespace {

template <class Change>
LogDisplay Changed(const LogDisplay& display, Change change)
{
    LogDisplay changed = display;
    change(changed);
    return changed;
}

} // namespace

void CVantrolixDlg::SetShowSentCommands(bool show)
{
    m_log->SetDisplay(Changed(m_log->Display(), [show](LogDisplay& d) { d.showSent = show; }));
    StoreDisplay();
}

void CVantrolixDlg::SetShowMilliseconds(bool show)
{
    m_log->SetDisplay(Changed(m_log->Display(), [show](LogDisplay& d) { d.showMilliseconds = show; }));
    StoreDisplay();
}

void CVantrolixDlg::SetBytesInHex(bool hex)
{
    m_log->SetDisplay(Changed(m_log->Display(), [hex](LogDisplay& d) { d.hexBytes = hex; }));
    StoreDisplay();
}

void CVantrolixDlg::SetTimeSincePrevious(bool show)
{
    m_log->SetDisplay(Changed(m_log->Display(), [show](LogDisplay& d) { d.sincePrevious = show; }));
    StoreDisplay();
}

void CVantrolixDlg::StoreDisplay()
{
    const LogDisplay& display = m_log->Display();
    m_sessionSettings.showSent = display.showSent;
    m_sessionSettings.showMilliseconds = display.showMilliseconds;
    m_sessionSettings.hexBytes = display.hexBytes;
    m_sessionSettings.sincePrevious = display.sincePrevious;
    if (!WriteLogDisplaySettings(m_setting.File(), m_sessionSettings))
        std::fprintf(stderr, "vantrolix: the log's display options could not be stored\n");
    // The View menu follows, whichever way the choice was made.
    if (m_menu) {
        const std::pair<QAction*, bool> checks[] = {{m_menu->showSent, display.showSent},
                                                    {m_menu->showMilliseconds, display.showMilliseconds},
                                                    {m_menu->hexBytes, display.hexBytes},
                                                    {m_menu->sincePrevious, display.sincePrevious}};
        for (const auto& [action, on] : checks) {
            const QSignalBlocker quiet(action);
            action->setChecked(on);
        }
    }
}

// The View menu's choices, where the log is.
void CVantrolixDlg::AddLogMenuItems(QMenu& menu)
{
    menu.addSeparator();
    menu.addAction(m_saveAction);
    if (!m_menu)
        return;
    for (QAction* action : {m_menu->showSent, m_menu->showMilliseconds, m_menu->hexBytes, m_menu->sincePrevious})
        menu.addAction(action);
}
