#include "app/watch_session.h"

#include "log/log_row.h"
#include "serial/line_settings.h"

#include <QCoreApplication>

#include <chrono>

namespace {

PortEventKind KindOf(IRowSink::PortEvent event)
{
    return event == IRowSink::PortEvent::DeviceGone ? PortEventKind::DeviceGone : PortEventKind::Reopened;
}

} // namespace

CWatchSession::Side::Side(CWatchSession& owningSession, QObject* owner, RowDirection side, std::string portName)
    : session(owningSession), direction(side), name(std::move(portName)),
      opener(owner, port, kDeviceLineSettings,
             [this](const CPortOpener::Outcome& outcome) { session.OnOutcome(*this, outcome); }),
      retry(owner, [this] { return session.RetryOpen(*this); })
{
}

// ---- a side's worker thread ----

void CWatchSession::Side::LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                                    bool checksumError)
{
    // The controller sends commands and is described as the command field describes them.
    const bool fromController = direction == RowDirection::Controller;
    ReceivedEntry entry{ReceivedEntry::Kind::Row,
                        ReceivedRow(when, fromController ? MakeCommandRow(when, frame, payload, checksumError)
                                                         : MakePacketRow(when, frame, payload, checksumError, radioText)),
                        {}};
    // The device naming itself picks its model in the builder, as on one port.
    if (!fromController && payload && !checksumError)
        entry.deviceName = ReportedDeviceName(*payload);
    Deliver(std::move(entry));
}

void CWatchSession::Side::ReportLineError(Clock::time_point when, std::uint32_t flags)
{
    Deliver({ReceivedEntry::Kind::Row, ReceivedRow(when, MakeLineErrorRow(when, flags)), {}});
}

void CWatchSession::Side::OnPortEvent(Clock::time_point when, PortEvent event, const std::string& portName)
{
    session.m_hooks.record(PortRow(when, KindOf(event), portName));
    ReceivedEntry change;
    change.kind = event == PortEvent::DeviceGone ? ReceivedEntry::Kind::DeviceGone : ReceivedEntry::Kind::Reopened;
    change.row.direction = direction; // which side's state changes
    session.m_hooks.deliver(std::move(change), session.m_stopping);
}

void CWatchSession::Side::Deliver(ReceivedEntry entry)
{
    entry.row.direction = direction;
    session.m_hooks.record(entry.row);
    session.m_hooks.deliver(std::move(entry), session.m_stopping);
}

// ---- UI thread ----

CWatchSession::CWatchSession(QObject* owner, std::string controller, std::string device, bool passThrough,
                             SessionRecording& sent, Hooks hooks)
    : m_passThrough(passThrough), m_hooks(std::move(hooks)),
      m_controller(*this, owner, RowDirection::Controller, std::move(controller)),
      m_device(*this, owner, RowDirection::Device, std::move(device)), m_sender(m_device.port, sent)
{
    // The engineer's send waits on the UI thread for a slow line: the window paints meanwhile.
    m_device.port.SetPumpHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

CWatchSession::~CWatchSession()
{
    Stop();
}

void CWatchSession::Start()
{
    m_stopping = false;
    m_watch = std::make_unique<CLineWatch>(m_controller.port, m_controller, m_device.port, m_device, m_passThrough);
    // The workers look at a closed port every so often: they begin to read as each port opens.
    m_watch->Start();
    for (Side* side : {&m_controller, &m_device}) {
        side->state = State::Opening;
        side->opener.Open(side->name);
    }
    m_hooks.changed();
}

void CWatchSession::Stop()
{
    if (!m_watch)
        return;
    for (Side* side : {&m_controller, &m_device}) {
        side->retry.Stop();
        side->opener.Stop();
    }
    // A worker waiting for room in the row queue gives up, so the join below cannot wait on the
    // UI thread, which is this one.
    m_stopping = true;
    m_hooks.wake();
    const bool open[] = {m_controller.port.IsOpen() && m_controller.openRecorded,
                         m_device.port.IsOpen() && m_device.openRecorded};
    m_watch->Stop();
    m_watch.reset();
    if (open[0])
        RecordPort(m_controller, PortEventKind::Closed);
    if (open[1])
        RecordPort(m_device, PortEventKind::Closed);
    m_controller.openRecorded = m_device.openRecorded = false;
}

void CWatchSession::OnOutcome(Side& side, const CPortOpener::Outcome& outcome)
{
    if (outcome.opened) {
        side.retry.Stop();
        side.openRecorded = true;
        side.state = State::Open;
        side.reason.clear();
        RecordPort(side, PortEventKind::Opened);
        m_hooks.changed();
        return;
    }
    const QString reason = QString::fromStdString(outcome.error);
    // Retries are quiet unless the reason changes; the first failure goes into the record.
    if (!outcome.retry)
        RecordPort(side, PortEventKind::CouldNotOpen, outcome.error);
    if (!outcome.retry || reason != side.reason) {
        side.state = State::CouldNotOpen;
        side.reason = reason;
        m_hooks.changed();
    }
    side.retry.Start();
}

bool CWatchSession::RetryOpen(Side& side)
{
    if (side.port.IsOpen())
        return true;
    if (!side.opener.IsBusy())
        side.opener.Retry(side.name);
    return false;
}

void CWatchSession::OnPortEntry(const ReceivedEntry& entry)
{
    if (!m_watch || !IsWatchedSide(entry.row.direction))
        return;
    Side& side = SideOf(entry.row.direction);
    const bool gone = entry.kind == ReceivedEntry::Kind::DeviceGone;
    side.state = gone ? State::Gone : State::Open;
    side.reason = gone ? QCoreApplication::translate("CWatchSession", "The port has gone away; it opens again when it returns.")
                       : QString();
    m_hooks.changed();
}

void CWatchSession::RecordPort(const Side& side, PortEventKind event, const std::string& reason)
{
    m_hooks.record(PortRow(std::chrono::system_clock::now(), event, side.name, reason));
}

QString CWatchSession::Side::Text() const
{
    const QString words[] = {
        QCoreApplication::translate("CWatchSession", "opening"),
        QCoreApplication::translate("CWatchSession", "open"),
        QCoreApplication::translate("CWatchSession", "could not open: %1, trying again").arg(reason),
        QCoreApplication::translate("CWatchSession", "gone, retrying"),
    };
    const QString who = direction == RowDirection::Controller ? QCoreApplication::translate("CWatchSession", "Controller")
                                                               : QCoreApplication::translate("CWatchSession", "Device");
    return who + " " + QString::fromStdString(name) + ": " + words[static_cast<int>(state)];
}

QString CWatchSession::StateText() const
{
    return m_controller.Text() + QStringLiteral(" \u00B7 ") + m_device.Text();
}

QString CWatchSession::Reasons() const
{
    QStringList lines;
    for (const Side* side : {&m_controller, &m_device})
        if (!side->reason.isEmpty())
            lines << QString::fromStdString(side->name) + ": " + side->reason;
    return lines.join('\n');
}
