#include "script/device_session.h"

#include "log/sent_row.h"
#include "protocol/command_packet.h"
#include "script/test_link.h"
#include "serial/line_settings.h"

#include <functional>

namespace {

using SystemClock = std::chrono::system_clock;

} // namespace

CDeviceSession::CDeviceSession()
{
    // The thread running the test reads the answers it waits for itself: a round trip then
    // wakes one thread of ours, not two.
    m_rows.SetReader([this](std::chrono::steady_clock::time_point until) { return m_worker.ReadOnThisThread(until); },
                     [this] { m_worker.ReturnReading(); });
}

CDeviceSession::~CDeviceSession()
{
    m_worker.RequestStop();
    const bool wasOpen = m_port.IsOpen();
    m_port.Close();
    m_worker.Join();
    if (wasOpen)
        m_recording.Record(PortRow(SystemClock::now(), PortEventKind::Closed, m_portName));
}

void CDeviceSession::RecordTo(SessionWriter& writer)
{
    m_recording.WriteTo(&writer);
    m_rows.SetObservers(
        [this](const ArrivedRow& row) { m_recording.Record(ReceivedRow(row.when, row.row)); },
        [this](IRowSink::Clock::time_point when, IRowSink::PortEvent event) {
            const bool gone = event == IRowSink::PortEvent::DeviceGone;
            m_recording.Record(PortRow(when, gone ? PortEventKind::DeviceGone : PortEventKind::Reopened, m_portName));
        });
}

bool CDeviceSession::Open(const std::string& portName, std::string& error, const std::atomic<bool>* stop)
{
    m_portName = portName;
    // The port looks at the stop flag while an open waits (a gateway's name server or handshake).
    std::function<bool()> stopRequested;
    if (stop)
        stopRequested = [stop] { return stop->load(); };
    const bool opened = m_port.Open(portName, kDeviceLineSettings, stopRequested);
    if (opened && stop && *stop)
        m_port.Close(); // the request came as the open succeeded
    if (!m_port.IsOpen()) {
        error = "cannot open " + portName + ": " + m_port.GetOpenError();
        m_recording.Record(PortRow(SystemClock::now(), PortEventKind::CouldNotOpen, portName, m_port.GetOpenError()));
        return false;
    }
    m_recording.Record(PortRow(SystemClock::now(), PortEventKind::Opened, portName));
    m_worker.Start();
    return true;
}

bool CDeviceSession::Send(const CountedBytes& payload, std::string& error)
{
    const PacketSender::Result result = m_sender.Send(payload);
    switch (result.kind) {
    case PacketSender::Result::Kind::Sent:
        return true;
    case PacketSender::Result::Kind::TooLong:
        error = "the command is longer than " + std::to_string(CCommandPacket::kMaxPayload) + " bytes";
        return false;
    case PacketSender::Result::Kind::Failed:
        break;
    }
    error = TransmitErrorText(result.bytesSent, result.packetSize);
    return false;
}
