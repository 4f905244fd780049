#include "script/received_rows.h"

#include <utility>

std::string ArrivedRow::Summary() const
{
    switch (kind) {
    case Kind::Packet: return row.description.empty() ? "payload " + row.data : row.description;
    case Kind::ChecksumError:
    case Kind::BrokenPacket: return row.data + " (" + row.encoded + ")";
    case Kind::LineError: return row.encoded;
    }
    return {};
}

std::optional<ArrivedRow> CReceivedRows::Next(std::chrono::steady_clock::time_point deadline)
{
    using SteadyClock = std::chrono::steady_clock;
    const auto waiting = [this] { return !m_rows.empty(); };
    const auto idleAt = SteadyClock::now() + kIdleAfter;
    bool idleTold = !m_idleHook || idleAt >= deadline;
    std::unique_lock lock(m_mutex);
    while (!waiting()) {
        const auto now = SteadyClock::now();
        if (now >= deadline)
            return std::nullopt;
        if (!idleTold && now >= idleAt) {
            idleTold = true;
            lock.unlock();
            GoingIdle();
            lock.lock();
            continue;
        }
        const auto until = idleTold ? deadline : idleAt;
        lock.unlock();
        const bool readHere = m_read && m_read(until);
        lock.lock();
        if (!readHere)
            m_arrived.wait_until(lock, until, waiting);
    }
    ArrivedRow row = std::move(m_rows.front());
    m_rows.pop_front();
    return row;
}

std::size_t CReceivedRows::TakeLetGo()
{
    const std::lock_guard lock(m_mutex);
    return std::exchange(m_letGo, 0);
}

void CReceivedRows::Push(ArrivedRow row)
{
    if (m_observer)
        m_observer(row);
    {
        const std::lock_guard lock(m_mutex);
        if (m_rows.size() == kMostWaiting) {
            m_rows.pop_front();
            ++m_letGo;
        }
        m_rows.push_back(std::move(row));
    }
    m_arrived.notify_one();
}

void CReceivedRows::LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                              bool checksumError)
{
    ArrivedRow row;
    row.kind = checksumError ? ArrivedRow::Kind::ChecksumError
        : payload           ? ArrivedRow::Kind::Packet
                            : ArrivedRow::Kind::BrokenPacket;
    row.when = when;
    row.row = MakePacketRow(when, frame, payload, checksumError, m_radioText);
    if (payload)
        row.payload = *payload;
    Push(std::move(row));
}

void CReceivedRows::ReportLineError(Clock::time_point when, std::uint32_t flags)
{
    Push({ArrivedRow::Kind::LineError, when, MakeLineErrorRow(when, flags), {}});
}

// A vanished device has already shown as an I/O error row; its return changes no expectation.
void CReceivedRows::OnPortEvent(Clock::time_point when, PortEvent event, const std::string&)
{
    if (m_portObserver)
        m_portObserver(when, event);
}
