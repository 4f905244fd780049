#include "script/device_session.h"

#include "catalogue/describer.h"
#include "log/printable_text.h"
#include "log/session_writer.h"
#include "protocol/command_packet.h"
#include "serial/line_settings.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using SystemClock = std::chrono::system_clock;
// How often an open that is under way looks at the stop flag, which a signal handler sets and so
// cannot wake anyone.
constexpr auto kStopLook = std::chrono::milliseconds(20);

// While it lives, a stop request closes the port, which abandons an open under way.
class OpenWatch {
public:
    OpenWatch(CSerialPort& port, const std::atomic<bool>* stop)
    {
        if (!stop)
            return;
        m_thread = std::thread([this, &port, stop] {
            std::unique_lock lock(m_mutex);
            while (!m_done) {
                if (*stop) {
                    lock.unlock();
                    port.Close();
                    return;
                }
                m_wake.wait_for(lock, kStopLook);
            }
        });
    }
    ~OpenWatch()
    {
        if (!m_thread.joinable())
            return;
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;
};

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
    bool opened = false;
    {
        OpenWatch watch(m_port, stop);
        opened = m_port.Open(portName, std::string(kDeviceLineSettings));
    }
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
    CCommandPacket packet;
    if (!packet.SetCommand(payload)) {
        error = "the command is longer than " + std::to_string(CCommandPacket::kMaxPayload) + " bytes";
        return false;
    }
    const CountedBytes& encoded = packet.GetEncoded();
    const auto when = SystemClock::now();
    std::size_t done = 0;
    const bool sent = m_port.Write(encoded.Data(), encoded.Count(), &done);
    if (!sent) {
        m_port.ClearErrors(nullptr);
        error = "RS232 Transmit Error: " + std::to_string(done) + " of " + std::to_string(encoded.Count())
            + " bytes sent";
    }
    if (m_recorder)
        m_recorder->Append(SentRow(when, FormatBytes(encoded), sent ? FormatBytes(payload) : error,
                                   PrintableText(DescribeCommand(payload))));
    return sent;
}
