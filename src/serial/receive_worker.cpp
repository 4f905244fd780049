#include "receive_worker.h"

#include "serial/serial_port.h"

void ReceiveWorker::TimedFrames::OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError)
{
    m_sink.LogPacket(IRowSink::Clock::now(), frame, payload, checksumError);
}

ReceiveWorker::ReceiveWorker(CSerialPort& port, IRowSink& sink)
    : m_port(port), m_sink(sink), m_frames(sink), m_framer(m_frames)
{
}

ReceiveWorker::~ReceiveWorker()
{
    Stop();
}

void ReceiveWorker::Start()
{
    if (m_thread.joinable())
        return;
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
}

void ReceiveWorker::RequestStop()
{
    {
        std::lock_guard lock(m_pauseMutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

void ReceiveWorker::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool ReceiveWorker::Pause(std::chrono::milliseconds pause)
{
    std::unique_lock lock(m_pauseMutex);
    return !m_wake.wait_for(lock, pause, [this] { return m_stop.load(); });
}

void ReceiveWorker::Run()
{
    while (!m_stop) {
        if (!m_port.IsOpen()) {
            Pause(kClosedPoll);
            continue;
        }
        if (m_port.IsDeviceGone()) {
            // Reported once when it went; from here on only a quiet look every half second.
            if (Pause(kReopenPoll) && m_port.TryReopen())
                m_sink.OnPortEvent(IRowSink::Clock::now(), IRowSink::PortEvent::Reopened, m_port.GetName());
            continue;
        }
        std::uint8_t byte = 0;
        std::size_t done = 0;
        if (!m_port.Read(&byte, 1, &done)) {
            const auto seen = IRowSink::Clock::now();
            // The close that ended this read may be the shutdown: then nobody wants the row.
            if (m_stop)
                break;
            m_framer.AbortFrame();
            std::uint32_t flags = 0;
            if (!m_port.ClearErrors(&flags))
                flags = 0;
            // No flags: the read was ended by a close on purpose (Setup, a suspend), which the
            // line did not report; the port's new session, if any, starts clean.
            if (flags == 0)
                continue;
            m_sink.ReportLineError(seen, flags);
            if (m_port.IsDeviceGone())
                m_sink.OnPortEvent(seen, IRowSink::PortEvent::DeviceGone, m_port.GetName());
            continue;
        }
        if (done != 1)
            continue;
        if (m_observer)
            m_observer(byte);
        m_framer.PutByte(byte);
    }
}
