// The main window's test scripts and conformance sweep: run on the window's own port through the
// console tool's runner, their traffic in the log and the session record, their results in a pane
// below the log.
#include "app/vantrolix_dlg.h"

#include "app/recent_scripts.h"
#include "app/script_pane.h"
#include "app/sweep_dlg.h"
#include "app/vantrolix_dlg_ids.h"
#include "builder/build_command_dlg.h"
#include "grid/grid_ctrl.h"
#include "platform/message_box.h"
#include "script/test_link.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>

#include <cstdio>

namespace {

// The pane's share of the log's place when it shows, and the least it takes.
constexpr int kPaneShare = 40;
constexpr int kPaneLeast = 120;
constexpr int kPaneGap = 4;

} // namespace

void CVantrolixDlg::SetUpScriptActions()
{
    m_runScriptAction = new QAction(tr("Run Script..."), this);
    m_runScriptAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    addAction(m_runScriptAction);
    connect(m_runScriptAction, &QAction::triggered, this, [this] { OnRunScript(); });

    m_recentScripts = new QMenu(tr("Run Recent Script"), this);
    m_recentScriptsAction = m_recentScripts->menuAction();
    connect(m_recentScripts, &QMenu::aboutToShow, this, [this] { FillRecentScripts(); });
    FillRecentScripts();

    m_sweepAction = new QAction(tr("Conformance Sweep..."), this);
    connect(m_sweepAction, &QAction::triggered, this, [this] { OnConformanceSweep(); });

}

CScriptPane* CVantrolixDlg::ScriptPane()
{
    if (!m_scriptPane && m_runScriptAction) {
        m_scriptPane = new CScriptPane(
            {[this](const CountedBytes& payload, std::string& error) { return SendForScript(payload, error); },
             [this](IRowSink* sink) { m_scriptRows.SetTarget(sink); },
             [this](bool running) { OnScriptRunning(running); },
             [this](auto from, auto to, const QString& matched) { ShowInLog(from, to, matched); },
             [this](const CScriptSession::Finished& finished) { OnScriptFinished(finished); }},
            this);
        m_scriptPane->hide();
    }
    return m_scriptPane;
}

QList<QAction*> CVantrolixDlg::ToolsActions() const
{
    if (!m_runScriptAction)
        return {};
    return {m_runScriptAction, m_recentScriptsAction, m_sweepAction};
}

void CVantrolixDlg::FillRecentScripts()
{
    m_recentScripts->clear();
    const QStringList recent = CRecentScripts(m_setting.File()).List();
    for (const QString& path : recent) {
        QAction* action = m_recentScripts->addAction(path);
        connect(action, &QAction::triggered, this, [this, path] { RunScriptFile(path); });
    }
    m_recentScriptsAction->setEnabled(!recent.isEmpty() && !IsReviewing());
}

void CVantrolixDlg::OnRunScript()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Run Script"), CRecentScripts(m_setting.File()).Folder(),
                                                      tr("Test scripts (*.vxs);;All files (*)"));
    if (!path.isEmpty())
        RunScriptFile(path);
}

void CVantrolixDlg::RunScriptFile(const QString& path)
{
    StartScriptJob({ScriptJob::Kind::Script, path.toStdString(), -1, false});
}

void CVantrolixDlg::OnConformanceSweep()
{
    CSweepDlg dlg(Builder()->GetModelRow(), this);
    if (dlg.exec() == QDialog::Accepted)
        StartScriptJob({ScriptJob::Kind::Sweep, {}, dlg.ModelRow(), dlg.SetValues()});
}

bool CVantrolixDlg::StartScriptJob(ScriptJob job)
{
    std::string refusal;
    if (!m_runScriptAction || IsReviewing())
        refusal = "A saved session is shown: there is no port to run on.";
    else if (IsScriptRunning())
        refusal = "A script is running already; stop it first.";
    // A script's commands and its checks of the answers would cut into the controller's conversation.
    else if (m_watch)
        refusal = "A controller and a device are being watched: scripts run in Setup's one-device mode.";
    else if (!m_port.IsOpen())
        refusal = "The port " + m_portName + " is not open" + (IsOpeningPort() ? " yet" : "") + ": nothing was run.";
    if (!refusal.empty()) {
        if (m_exitWhenDone) {
            std::fprintf(stderr, "vantrolix: %s\n", refusal.c_str());
            m_exitStatus = 1;
            QMetaObject::invokeMethod(this, &CVantrolixDlg::reject, Qt::QueuedConnection);
        } else {
            AfxMessageBox(refusal);
        }
        return false;
    }
    if (!ScriptPane()->isVisible()) {
        m_scriptPane->show();
        LayOutScriptPane();
    }
    if (job.kind == ScriptJob::Kind::Script) {
        CRecentScripts(m_setting.File()).Add(QString::fromStdString(job.path));
        FillRecentScripts();
    }
    m_scriptPane->Start(std::move(job));
    return true;
}

bool CVantrolixDlg::IsScriptRunning() const
{
    return m_scriptPane && m_scriptPane->IsRunning();
}

void CVantrolixDlg::StopScript()
{
    if (m_scriptPane)
        m_scriptPane->Stop();
}

void CVantrolixDlg::EndScript()
{
    if (m_scriptPane)
        m_scriptPane->End();
}

void CVantrolixDlg::RunScriptWhenOpen(std::string path, bool exitWhenDone)
{
    m_scriptWhenOpen = std::move(path);
    m_exitWhenDone = exitWhenDone;
}

bool CVantrolixDlg::SendForScript(const CountedBytes& payload, std::string& error)
{
    if (!TestPacket(payload, error))
        return false;
    // From the run's thread: the sender and the queue its rows go to take any thread.
    const PacketSender::Result result = m_sender.Send(payload);
    if (result.Sent())
        return true;
    error = TransmitErrorText(result.bytesSent, result.packetSize);
    return false;
}

void CVantrolixDlg::OnScriptRunning(bool running)
{
    // The user's sends would come between the script's steps.
    const QString why = running ? tr("A script is running: Send is off until it ends or is stopped.") : QString();
    for (QWidget* send : {Control(IDC_SEND), m_builder ? m_builder->Control(IDC_SEND) : nullptr}) {
        if (!send)
            continue;
        send->setEnabled(!running);
        send->setToolTip(why);
    }
    m_runScriptAction->setEnabled(!running);
    m_recentScriptsAction->setEnabled(!running && !CRecentScripts(m_setting.File()).List().isEmpty());
    m_sweepAction->setEnabled(!running);
}

void CVantrolixDlg::OnScriptFinished(const CScriptSession::Finished& finished)
{
    if (!m_exitWhenDone)
        return;
    // A rig reads the run from standard error as it reads the console tool's.
    if (!finished.error.empty())
        std::fprintf(stderr, "vantrolix: %s\n", finished.error.c_str());
    if (!finished.summary.empty())
        std::fprintf(stderr, "%s\n", finished.summary.c_str());
    m_exitStatus = finished.status;
    QMetaObject::invokeMethod(this, &CVantrolixDlg::reject, Qt::QueuedConnection);
}

// The pane takes the lower part of the log's place; the resize rules give the log its whole place
// first.
void CVantrolixDlg::LayOutScriptPane()
{
    if (!m_scriptPane || m_scriptPane->isHidden())
        return;
    const QRect place = Grid()->geometry();
    const int pane = std::min(place.height(), std::max(kPaneLeast, place.height() * kPaneShare / 100));
    const int log = std::max(0, place.height() - pane - kPaneGap);
    Grid()->setGeometry(place.x(), place.y(), place.width(), log);
    m_scriptPane->setGeometry(place.x(), place.y() + log + kPaneGap, place.width(), pane);
}

void CVantrolixDlg::ShowInLog(std::chrono::system_clock::time_point from, std::chrono::system_clock::time_point to,
                              const QString& matched)
{
    ProcessReceivedRows();
    auto range = m_log->RowsBetween(RowTime::Local(from), RowTime::Local(to));
    if (!range)
        return;
    CGridCtrl* grid = Grid();
    // A passed step's row is the one it names; its command and the next may share its millisecond.
    if (!matched.isEmpty()) {
        for (int row = range->first; row <= range->second; ++row) {
            const QString description = QString::fromLatin1(grid->GetItemText(row, 3));
            if (!description.isEmpty() && matched.startsWith(description)) {
                range = std::pair(row, row);
                break;
            }
        }
    }
    grid->ClearSelection();
    grid->SetFocusCell(range->first, 0);
    grid->SelectRange(range->first, 0, range->second, grid->GetColumnCount() - 1, false, true);
    grid->EnsureVisible(range->first, 0);
    grid->setFocus();
    grid->InvalidateAll();
}
