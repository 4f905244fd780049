#include "script/device_session.h"

#include "catalogue/describer.h"
#include "log/printable_text.h"
#include "log/session_writer.h"
#include "protocol/command_packet.h"
#include "serial/line_settings.h"

#include <functional>

namespace {

using SystemClock = std::chrono::system_clock;

} // namespace

CDeviceSession::CDeviceSession() = default;

CDeviceSession::~CDeviceSession()
{
    m_worker.RequestStop();
    const bool wasOpen = m_port.IsOpen();
    m_port.Close();
    m_worker.Join();
    if (m_recorder && wasOpen)
        m_recorder->Append(PortRow(SystemClock::now(), PortEventKind::Closed, m_portName));
}

void CDeviceSession::RecordTo(SessionWriter& writer)
{
    m_recorder = &writer;
    m_rows.SetObservers(
        [&writer](const ArrivedRow& row) { writer.Append(ReceivedRow(row.when, row.row)); },
        [&writer, this](IRowSink::Clock::time_point when, IRowSink::PortEvent event) {
            const bool gone = event == IRowSink::PortEvent::DeviceGone;
            writer.Append(PortRow(when, gone ? PortEventKind::DeviceGone : PortEventKind::Reopened, m_portName));
        });
}

bool CDeviceSession::Open(const std::string& portName, std::string& error, const std::atomic<bool>* stop)
{
    m_portName = portName;
    // The port looks at the stop flag while an open waits (a gateway's name server or handshake).
    std::function<bool()> stopRequested;
    if (stop)
        stopRequested = [stop] { return stop->load(); };
    const bool opened = m_port.Open(portName, std::string(kDeviceLineSettings), stopRequested);
    if (opened && stop && *stop)
        m_port.Close(); // the request came as the open succeeded
    if (!m_port.IsOpen()) {
        error = "cannot open " + portName + ": " + m_port.GetOpenError();
        if (m_recorder)
            m_recorder->Append(PortRow(SystemClock::now(), PortEventKind::CouldNotOpen, portName, m_port.GetOpenError()));
        return false;
    }
    if (m_recorder)
        m_recorder->Append(PortRow(SystemClock::now(), PortEventKind::Opened, portName));
    m_worker.Start();
    return true;
}

bool CDeviceSession::Send(const CountedBytes& payload, std::string& error)
{
    const auto packet = TestPacket(payload, error);
    if (!packet)
        return false;
    const CountedBytes& encoded = packet->GetEncoded();
    const auto when = SystemClock::now();
    std::size_t done = 0;
    const bool sent = m_port.Write(encoded.Data(), encoded.Count(), &done);
    if (!sent) {
        m_port.ClearErrors(nullptr);
        error = TransmitErrorText(done, encoded.Count());
    }
    if (m_recorder)
        m_recorder->Append(SentRow(when, FormatBytes(encoded), sent ? FormatBytes(payload) : error,
                                   DeviceText(DescribeCommand(payload))));
    return sent;
}
