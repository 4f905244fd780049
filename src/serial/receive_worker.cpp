#include "receive_worker.h"

#include "serial/serial_port.h"

void ReceiveWorker::TimedFrames::OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError)
{
    m_sink.LogPacket(IRowSink::Clock::now(), frame, payload, checksumError);
    ++m_delivered;
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

bool ReceiveWorker::ReadOnThisThread(std::chrono::steady_clock::time_point deadline)
{
    {
        const std::lock_guard lock(m_pauseMutex);
        if (!m_lent || m_stop) {
            m_lendAsked = true;
            return false;
        }
        m_borrowerReading = true;
    }
    const bool read = ReadAndFrame(deadline);
    {
        const std::lock_guard lock(m_pauseMutex);
        m_borrowerReading = false;
        m_lentUsedAt = std::chrono::steady_clock::now();
        // What made the read fail (pending line errors, a closed or vanished port) is the
        // worker's to report and mend.
        if (!read)
            m_lent = false;
    }
    if (!read)
        m_wake.notify_all();
    return true;
}

void ReceiveWorker::ReturnReading()
{
    {
        const std::lock_guard lock(m_pauseMutex);
        m_lendAsked = false;
        if (!m_lent)
            return;
        m_lent = false;
    }
    m_wake.notify_all();
}

bool ReceiveWorker::WaitWhileLent()
{
    std::unique_lock lock(m_pauseMutex);
    while (m_lent && !m_stop) {
        const auto now = std::chrono::steady_clock::now();
        if (!m_borrowerReading && now - m_lentUsedAt >= kLentIdle) {
            m_lent = false;
            break;
        }
        // A borrower inside a long read (an expect waiting for a slow answer) is looked at
        // again a little later, never in a busy loop.
        m_wake.wait_until(lock, (m_borrowerReading ? now : m_lentUsedAt) + kLentIdle);
    }
    return !m_stop;
}

// Only right after a row: the row wakes the thread that asked, which then finds the reading its
// own. Lent at any other time, a waiter already asleep would leave the port unread.
void ReceiveWorker::LendIfAsked()
{
    const std::lock_guard lock(m_pauseMutex);
    if (!m_lendAsked)
        return;
    m_lendAsked = false;
    m_lent = true;
    m_lentUsedAt = std::chrono::steady_clock::now();
}

bool ReceiveWorker::ReadAndFrame(std::chrono::steady_clock::time_point deadline)
{
    // A 9600-baud line brings about a byte a millisecond, so a read seldom finds more than this.
    std::uint8_t bytes[256];
    std::size_t done = 0;
    if (!m_port.ReadAvailable(bytes, sizeof bytes, &done, deadline))
        return false;
    for (std::size_t i = 0; i < done; ++i) {
        if (m_observer)
            m_observer(bytes[i]);
        m_framer.PutByte(bytes[i]);
    }
    return true;
}

void ReceiveWorker::ReportReadFailure()
{
    const auto seen = IRowSink::Clock::now();
    m_framer.AbortFrame();
    std::uint32_t flags = 0;
    if (!m_port.ClearErrors(&flags))
        flags = 0;
    // No flags: the read was ended by a close on purpose (Setup, a suspend), which the line did
    // not report; the port's new session, if any, starts clean.
    if (flags == 0)
        return;
    m_sink.ReportLineError(seen, flags);
    if (m_port.IsDeviceGone())
        m_sink.OnPortEvent(seen, IRowSink::PortEvent::DeviceGone, m_port.GetName());
}

void ReceiveWorker::Run()
{
    while (WaitWhileLent()) {
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
        const std::size_t delivered = m_frames.Delivered();
        if (ReadAndFrame(std::chrono::steady_clock::now() + m_port.ReadTimeout())) {
            if (m_frames.Delivered() != delivered)
                LendIfAsked();
            continue;
        }
        // The close that ended this read may be the shutdown: then nobody wants the row.
        if (m_stop)
            break;
        ReportReadFailure();
    }
}
