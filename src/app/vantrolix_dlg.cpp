#include "app/vantrolix_dlg.h"

#include "app/about_dlg.h"
#include "app/after_first_paint.h"
#include "app/power_notices.h"
#include "app/setup_dlg.h"
#include "app/status_bar.h"
#include "app/vantrolix_dlg_ids.h"
#include "builder/build_command_dlg.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/describer.h"
#include "grid/grid_ctrl.h"
#include "log/printable_text.h"
#include "log/sent_row.h"
#include "platform/message_box.h"
#include "platform/resource_loader.h"
#include "protocol/command_text_parser.h"
#include "serial/line_settings.h"
#include "version/version.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// A displayed frame: rows arriving faster than this are added in one batch per frame.
constexpr qint64 kFrameMs = 16;
// The part of a frame spent adding rows; the sizing of the columns and the painting follow.
// Columns are sized from remembered text widths, so most of a frame can go to the rows.
constexpr qint64 kRowBudgetMs = 10;
// Between two batches the window always gets this long for input and painting.
constexpr qint64 kBreatheMs = 4;

const CountedBytes kDeviceIdQuery{MessageType::kQuery, kDeviceIdVariable};

void AddResizeRules(CResizeRules& rules)
{
    rules.Add(1021, RESIZE_WIDEN);
    rules.Add(1022, RESIZE_WIDEN);
    rules.Add(1023, RESIZE_WIDEN | RESIZE_LENGTHEN);
    rules.Add(IDC_COMMAND_DATA, RESIZE_WIDEN);
    rules.Add(IDC_COMMAND_WARNING, RESIZE_WIDEN);
    rules.Add(IDC_BUILD_COMMAND, RESIZE_MOVE_RIGHT);
    rules.Add(IDC_ENCODED_COMMAND, RESIZE_WIDEN);
    rules.Add(IDC_DESCRIPTION, RESIZE_WIDEN);
    rules.Add(IDC_SEND, RESIZE_MOVE_RIGHT);
    rules.Add(IDC_GRID, RESIZE_WIDEN | RESIZE_LENGTHEN);
    rules.Add(IDC_CLEAR, RESIZE_MOVE_RIGHT | RESIZE_MOVE_DOWN);
}

} // namespace

CVantrolixDlg::CVantrolixDlg(CPortSetting setting, std::optional<std::string> portOverride, QWidget* parent)
    : QDialog(parent), m_setting(std::move(setting)), m_portOverride(std::move(portOverride)),
      m_history(m_setting.File())
{
    BuildDialog(*this, IDD_VANTROLIX_DIALOG, m_controls,
                [](const DialogItemTemplate&, QWidget* owner) -> QWidget* { return new CGridCtrl(0, 0, 0, 0, owner); });
    // The template's caption names a fixed version; the title names the one this program is.
    setWindowTitle(QStringLiteral("Vantrolix v") + QString::fromUtf8(kVantrolixVersion));
    AddResizeRules(m_resizeRules);

    auto* edit = m_controls.Get<QLineEdit>(IDC_COMMAND_DATA);
    connect(edit, &QLineEdit::textChanged, this, [this] { OnChangeCommandData(); });
    const auto onClick = [this](int id, void (CVantrolixDlg::*handler)()) {
        connect(m_controls.Get<QPushButton>(id), &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    onClick(IDC_SETUP, &CVantrolixDlg::OnSetup);
    onClick(IDC_BUILD_COMMAND, &CVantrolixDlg::OnBuildCommand);
    onClick(IDC_SEND, &CVantrolixDlg::Transmit);
    onClick(IDC_CLEAR, &CVantrolixDlg::OnClear);

    Grid()->SetDlgCtrlID(IDC_GRID);
    connect(Grid(), &CGridCtrl::GridNotify, this, &CVantrolixDlg::OnGridNotify);

    m_sentRows.WriteTo(&m_recorder);
    // Sent rows come from the UI thread or a script's run, neither of which may wait for room.
    m_sentRows.HandOnTo([this](SessionRow row) { Enqueue({ReceivedEntry::Kind::Row, std::move(row), {}}, QueueWait::Never); });
    m_port.SetPumpHook([] {
        // Paint and take rows while a write waits; input waits too, so nothing re-enters Transmit.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

CVantrolixDlg::~CVantrolixDlg()
{
    StopReceiving();
}

CGridCtrl* CVantrolixDlg::Grid() const
{
    return m_controls.Get<CGridCtrl>(IDC_GRID);
}

void CVantrolixDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        const bool first = !m_resizeRules.IsRecorded();
        // The rules record the log's whole place, the find bar's and details pane's parts included.
        if (!m_logArea.isNull())
            Grid()->setGeometry(m_logArea);
        m_resizeRules.Record(size(), [this](int id) { return m_controls.Item(id)->geometry(); });
        m_logArea = Grid()->geometry();
        LayOutLogArea();
        // The stored place and size, from the rectangles just recorded.
        if (first)
            PlaceWindow();
    }
}

void CVantrolixDlg::OnInitDialog()
{
    // A live line starts just after the first paint (StartLine); until then the window says it is
    // on its way, not that nothing is recorded.
    m_lineStartPending = !m_reviewFile;
    // No system menu to extend on Linux desktops: the About entry lives in the window's context
    // menu and on F1.
    const QString about = LoadResourceString(IDS_ABOUTBOX);
    if (!about.isEmpty()) {
        m_aboutAction = new QAction(about, this);
        m_aboutAction->setShortcut(QKeySequence(Qt::Key_F1));
        addAction(m_aboutAction);
        connect(m_aboutAction, &QAction::triggered, this, [this] { OnAbout(); });
    }
    SetCommandData(QString("%1 %2").arg(MessageType::kQuery).arg(kDeviceIdVariable));

    m_log = std::make_unique<CResponseLog>(*Grid());
    m_log->SetUp();
    SetUpSessionActions();
    SetUpFindActions();
    SetUpScriptActions();
    SetUpWindowChrome();

    // Hidden until asked for, the Build Command window is made after the first paint.
    RunAfterFirstPaint(*this, [this] { Builder(); });

    if (m_reviewFile) {
        LoadReviewFile();
        return;
    }
    m_portName = m_portOverride ? *m_portOverride : m_setting.Read().toStdString();
    ReadWatchChoice();
    // The device names itself in answer, which picks its model in the builder.
    m_queryWhenOpen = !m_scriptWhenOpen;
    if (!m_watchSetup.watch)
        ShowPortState(PortState::Opening);
    // The session file, the receive thread, the port's open on a thread of its own and the
    // system's sleep notices are not needed for the first sight of the window, and a good part of
    // its start: they come just after the first paint, the port field saying meanwhile that the
    // port is opening (or sooner, if the port is opened before).
    RunAfterFirstPaint(*this, [this] {
        // A window closed before it was ever painted opens nothing.
        if (m_lineStartPending && isVisible())
            OpenPort();
    });
}

void CVantrolixDlg::StartLine()
{
    if (!std::exchange(m_lineStartPending, false))
        return;
    StartRecording();
    UpdateSessionStatus();
    m_worker = std::make_unique<ReceiveWorker>(m_port, static_cast<IRowSink&>(*this));
    m_worker->Start();
    m_powerNotices = new CPowerNotices(this);
    connect(m_powerNotices, &CPowerNotices::PowerBroadcast, this, &CVantrolixDlg::OnPowerBroadcast);
}

void CVantrolixDlg::OpenPort()
{
    StartLine();
    ClosePort();
    if (m_watchSetup.watch) {
        StartWatch();
        return;
    }
    ShowPortState(PortState::Opening);
    m_opener.Open(m_portName);
}

// Every close of an open port goes into the record, under the name the port had.
void CVantrolixDlg::ClosePort()
{
    StopWatch();
    m_openRetry.Stop();
    m_opener.Cancel();
    // An open the window has not heard of yet (its outcome was superseded) was never recorded.
    const bool recorded = std::exchange(m_openRecorded, false) && m_port.IsOpen();
    m_port.Close(); // also cuts an open under way short
    if (recorded)
        RecordPort(PortEventKind::Closed);
}

bool CVantrolixDlg::RetryOpen()
{
    if (m_port.IsOpen())
        return true;
    if (!m_opener.IsBusy())
        m_opener.Retry(m_portName);
    return false;
}

void CVantrolixDlg::OnOpenOutcome(const CPortOpener::Outcome& outcome)
{
    const bool query = std::exchange(m_queryWhenOpen, false);
    if (outcome.opened) {
        m_openRetry.Stop();
        m_openRecorded = true;
        RecordPort(PortEventKind::Opened);
        ShowPortState(PortState::Open);
        if (query)
            SendDeviceIdQuery();
        if (auto script = std::exchange(m_scriptWhenOpen, std::nullopt))
            RunScriptFile(QString::fromStdString(*script));
        return;
    }
    // A retry fails quietly, unless the reason changed (the port came and went, another program
    // took it); the first attempt says why.
    const QString reason = QString::fromStdString(outcome.error);
    if (outcome.retry) {
        if (reason != m_openError)
            ShowPortState(PortState::CouldNotOpen, reason);
        return;
    }
    if (m_scriptWhenOpen && m_exitWhenDone) {
        // The rig that asked learns that nothing ran, as from the console tool.
        std::fprintf(stderr, "vantrolix: %s\n", outcome.error.c_str());
        m_exitStatus = 1;
        QMetaObject::invokeMethod(this, &CVantrolixDlg::reject, Qt::QueuedConnection);
    }
    RecordPort(PortEventKind::CouldNotOpen, outcome.error);
    ShowPortState(PortState::CouldNotOpen, reason);
    m_openRetry.Start();
}

void CVantrolixDlg::ShowPortState(PortState state, const QString& reason)
{
    static const char* const kFieldText[] = {" (opening port)", " (port open)", " (could not open port)", " (device gone)"};
    ShowPortText(QString::fromStdString(m_portName) + kFieldText[static_cast<int>(state)], reason);

    m_openError = state == PortState::CouldNotOpen ? reason : QString();
    const QString words[] = {tr("opening"), tr("open"), tr("could not open: %1, trying again").arg(reason),
                             tr("device gone, retrying")};
    if (m_statusBar)
        m_statusBar->SetPortState(QString::fromStdString(m_portName), words[static_cast<int>(state)]);
}

// The port field's text, its tool tip the reason of a failure and the session file recorded.
void CVantrolixDlg::ShowPortText(const QString& text, const QString& reason)
{
    auto* field = m_controls.Get<QLineEdit>(IDC_PORT);
    field->setText(text);
    field->setCursorPosition(0);
    const QString session = SessionToolTip();
    field->setToolTip(reason.isEmpty() || session.isEmpty() ? reason + session : reason + "\n" + session);
}

void CVantrolixDlg::SetCommandData(const QString& text)
{
    auto* edit = m_controls.Get<QLineEdit>(IDC_COMMAND_DATA);
    // Setting the same text is still a change of the field, as typing is.
    if (edit->text() == text)
        OnChangeCommandData();
    else
        edit->setText(text);
}

void CVantrolixDlg::OnChangeCommandData()
{
    const std::string text = m_controls.Get<QLineEdit>(IDC_COMMAND_DATA)->text().toStdString();
    m_commandPacket.SetCommand(ParseCommandText(text));
    auto* encoded = m_controls.Get<QLineEdit>(IDC_ENCODED_COMMAND);
    encoded->setText(QString::fromStdString(m_commandPacket.GetEncodedText()));
    encoded->setCursorPosition(0);
    auto* description = m_controls.Get<QLineEdit>(IDC_DESCRIPTION);
    description->setText(QString::fromStdString(DeviceText(DescribeCommand(m_commandPacket.GetCommand()))));
    description->setCursorPosition(0);

    // The fields above preview what the parser makes of any text; the warning says when that is
    // not the text as written, and goes as soon as it is.
    m_commandProblem = CheckCommandText(text);
    auto* warning = m_controls.Get<QLabel>(IDC_COMMAND_WARNING);
    if (m_commandProblem) {
        const QString why = "Not sent: " + QString::fromUtf8(m_commandProblem->Text());
        warning->setText(why);
        warning->setToolTip(why);
        warning->show();
    } else {
        warning->hide();
    }
}

void CVantrolixDlg::Transmit()
{
    // A script owns the line while it runs: a send of the user's would come between its steps.
    if (IsScriptRunning()) {
        QApplication::beep();
        return;
    }
    // The warning under "Command Data" already says why; the bytes it would send are not the ones typed.
    if (m_commandProblem) {
        QApplication::beep();
        return;
    }
    RememberCommand();
    TransmitPacket(m_commandPacket, true);
}

// The query travels in a packet of its own, so Send goes on sending what "Encoded Command" shows.
void CVantrolixDlg::SendDeviceIdQuery()
{
    m_deviceIdQuery.SetCommand(kDeviceIdQuery);
    TransmitPacket(m_deviceIdQuery, false);
}

void CVantrolixDlg::TransmitPacket(const CCommandPacket& packet, bool userSend)
{
    if (m_watch) {
        TransmitWatched(packet, userSend);
        return;
    }
    if (packet.GetEncoded().Empty() || (!m_port.IsOpen() && !userSend))
        return;
    // A copy: the pump hook runs events while the write waits, and a row handled meanwhile (a
    // Device ID answer, the builder) may set a new command into the packet being written. A port
    // that never opened fails the user's Send as a failed write does: nothing went out.
    const CountedBytes payload = packet.GetCommand();
    if (!m_sender.Send(payload).Sent())
        AfxMessageBox(kTransmitErrorText);
}

void CVantrolixDlg::OnSetup()
{
    if (IsScriptRunning()) {
        // Another port under a running script would break it in the middle of a step.
        if (QMessageBox::question(this, windowTitle(), tr("A script is running on this port. Stop it?"))
            == QMessageBox::Yes)
            StopScript();
        return;
    }
    CSetupDlg dlg(nullptr);
    dlg.SetPortName(QString::fromStdString(m_portName));
    dlg.SetWatch(m_watchSetup);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const std::string chosen = dlg.GetPortName().toStdString();
    // Stored when changed: a watch given for this run is no choice of the user's either.
    const WatchSetup watch = dlg.GetWatch();
    if (watch != m_watchSetup)
        WriteWatchSetup(m_setting.File(), watch);
    // A port given for this run only (a simulated device's pseudo-terminal, --port) is not the
    // user's choice: stored, the next start would open whatever has that name by then.
    if (!m_portOverride || chosen != m_portName) {
        m_setting.Write(dlg.GetPortName());
        m_portOverride.reset();
    }
    ClosePort();
    m_portName = chosen;
    m_watchSetup = watch;
    OpenPort();
}

CBuildCommandDlg* CVantrolixDlg::Builder()
{
    if (m_builder)
        return m_builder;
    m_builder = new CBuildCommandDlg(this, {[this](const QString& text) { SetCommandData(text); },
                                            [this] { m_controls.Get<QPushButton>(IDC_SEND)->click(); }});
    m_builder->FillDeviceList();
    // Made while a script runs, its Send is off as the window's is.
    if (IsScriptRunning())
        OnScriptRunning(true);
    return m_builder;
}

void CVantrolixDlg::OnBuildCommand()
{
    if (Builder()->isVisible()) {
        m_builder->hide();
        return;
    }
    // A running script expects the device's answers to its own commands alone.
    if (!IsScriptRunning())
        SendDeviceIdQuery();
    m_builder->show();
}

void CVantrolixDlg::OnClear()
{
    m_log->Clear();
}

void CVantrolixDlg::OnGridNotify(const CGridNotify& notify)
{
    if (notify.code != NM_RCLICK)
        return;
    CGridCtrl* grid = Grid();
    QMenu menu(this);
    QAction* copy = menu.addAction("Copy");
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    grid->OnUpdateEditCopy(copy);
    QAction* selectAll = menu.addAction("Select All");
    selectAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    grid->OnUpdateEditSelectAll(selectAll);
    AddLogMenuItems(menu);
    menu.addSeparator();
    menu.addActions(m_findActions);
    menu.addActions(m_detailsActions);
    menu.addSeparator();
    menu.addActions(ToolsActions());
    const QAction* chosen = menu.exec(QCursor::pos());
    if (chosen == copy)
        grid->OnCommand(ID_EDIT_COPY);
    else if (chosen == selectAll)
        grid->OnCommand(ID_EDIT_SELECT_ALL);
}

void CVantrolixDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CVantrolixDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_aboutAction)
        return;
    QMenu menu(this);
    menu.addAction(m_aboutAction);
    menu.exec(event->globalPos());
}

void CVantrolixDlg::OnPowerBroadcast(unsigned event)
{
    switch (event) {
    case PBT_APMQUERYSUSPEND:
        ClosePort();
        break;
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMEAUTOMATIC:
        QThread::msleep(10);
        OpenPort();
        break;
    default:
        break;
    }
}

void CVantrolixDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceChrome();
    if (!isVisible())
        return;
    // The minimum size keeps every control usable; below it (a window manager that ignores it)
    // controls squeeze to nothing rather than overlap.
    m_resizeRules.Apply(size(), [this](int id, const QRect& rect) {
        m_controls.Item(id)->setGeometry(rect.x(), rect.y(), std::max(0, rect.width()), std::max(0, rect.height()));
    });
    m_logArea = Grid()->geometry();
    LayOutLogArea();
    LayOutScriptPane();
    update();
}

void CVantrolixDlg::reject()
{
    StoreWindowPlace();
    StopReceiving();
    QDialog::reject();
}

void CVantrolixDlg::StopReceiving()
{
    EndScript(); // before the port closes under it
    StopWatch();
    m_openRetry.Stop();
    m_opener.Stop();
    const bool wasOpen = m_port.IsOpen();
    if (m_worker) {
        m_worker->RequestStop();
        m_rows.Abandon(); // the worker may be waiting for room in it
        m_port.Close();
        m_worker->Join();
        m_worker.reset();
    }
    m_port.Close();
    if (wasOpen)
        RecordPort(PortEventKind::Closed);
    m_recorder.Close();
}

// ---- receive thread ----

void CVantrolixDlg::LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                              bool checksumError)
{
    ReceivedEntry entry{ReceivedEntry::Kind::Row, ReceivedRow(when, MakePacketRow(when, frame, payload, checksumError, m_radioText)), {}};
    if (payload && !checksumError)
        entry.deviceName = ReportedDeviceName(*payload);
    Record(entry.row);
    Enqueue(std::move(entry));
    m_scriptRows.LogPacket(when, frame, payload, checksumError);
}

void CVantrolixDlg::ReportLineError(Clock::time_point when, std::uint32_t flags)
{
    ReceivedEntry entry{ReceivedEntry::Kind::Row, ReceivedRow(when, MakeLineErrorRow(when, flags)), {}};
    Record(entry.row);
    Enqueue(std::move(entry));
    m_scriptRows.ReportLineError(when, flags);
}

void CVantrolixDlg::OnPortEvent(Clock::time_point when, PortEvent event, const std::string& port)
{
    m_scriptRows.OnPortEvent(when, event, port);
    // Under the name the event came with: the port name the window shows is the UI thread's.
    Record(PortRow(when, event == PortEvent::DeviceGone ? PortEventKind::DeviceGone : PortEventKind::Reopened, port));
    ReceivedEntry change;
    change.kind = event == PortEvent::DeviceGone ? ReceivedEntry::Kind::DeviceGone : ReceivedEntry::Kind::Reopened;
    Enqueue(std::move(change));
}

void CVantrolixDlg::Enqueue(ReceivedEntry entry, QueueWait wait)
{
    if (wait == QueueWait::ForRoom ? m_rows.Push(std::move(entry)) : m_rows.PushNow(std::move(entry)))
        QMetaObject::invokeMethod(this, &CVantrolixDlg::OnRowsReady, Qt::QueuedConnection);
}

// ---- UI thread ----

void CVantrolixDlg::OnRowsReady()
{
    const qint64 since = m_sinceDrain.isValid() ? m_sinceDrain.elapsed() : kFrameMs;
    if (since >= kFrameMs && !m_drainScheduled)
        DrainRows(false);
    else
        ScheduleDrain();
}

void CVantrolixDlg::ScheduleDrain()
{
    if (m_drainScheduled)
        return;
    m_drainScheduled = true;
    const qint64 since = m_sinceDrain.isValid() ? m_sinceDrain.elapsed() : kFrameMs;
    QTimer::singleShot(static_cast<int>(std::max(kBreatheMs, kFrameMs - since)), this, [this] {
        m_drainScheduled = false;
        DrainRows(false);
    });
}

void CVantrolixDlg::ProcessReceivedRows()
{
    DrainRows(true);
}

// Adds what has arrived, for at most kRowBudgetMs unless asked for everything: a device that sends
// faster than the log can take rows queues them, and the window stays responsive meanwhile.
void CVantrolixDlg::DrainRows(bool everything)
{
    m_sinceDrain.restart();
    // Taken only as the log catches up, so a flood waits in the bounded queue, not here.
    if (m_pending.size() < CRowQueue::kMostWaiting)
        for (ReceivedEntry& entry : m_rows.TakeAll())
            m_pending.push_back(std::move(entry));
    if (m_pending.empty() || !m_log)
        return;
    QElapsedTimer budget;
    budget.start();
    m_log->BeginBatch();
    for (int applied = 1; !m_pending.empty(); ++applied) {
        ApplyEntry(m_pending.front());
        m_pending.pop_front();
        if (!everything && applied % 16 == 0 && budget.elapsed() >= kRowBudgetMs)
            break;
    }
    m_log->EndBatch();
    if (!m_pending.empty())
        ScheduleDrain();
}

void CVantrolixDlg::ApplyEntry(const ReceivedEntry& entry)
{
    // A watched side's port gone or back changes that side's state alone.
    if (entry.kind != ReceivedEntry::Kind::Row && IsWatchedSide(entry.row.direction)) {
        if (m_watch)
            m_watch->OnPortEntry(entry);
        return;
    }
    switch (entry.kind) {
    case ReceivedEntry::Kind::Row:
        m_log->Add(entry.row);
        if (entry.deviceName)
            Builder()->SelectDeviceByName(*entry.deviceName);
        break;
    case ReceivedEntry::Kind::DeviceGone:
        ShowPortState(PortState::DeviceGone, tr("The device has gone away; the port opens again when it returns."));
        break;
    case ReceivedEntry::Kind::Reopened:
        ShowPortState(PortState::Open);
        break;
    }
}
