#pragma once

#include "log/log_row.h"
#include "protocol/counted_bytes.h"
#include "serial/row_sink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

// One thing the receive worker logged, with what a test needs to judge it.
struct ReceivedRow {
    enum class Kind { Packet, ChecksumError, BrokenPacket, LineError };
    Kind kind = Kind::Packet;
    LogRow row;
    CountedBytes payload; // Kind::Packet only

    bool IsError() const { return kind != Kind::Packet; }
    // The row in one line for a report: its description, or what went wrong.
    std::string Summary() const;
};

// The rows of the receive worker, queued for the test that waits on them in the order they
// arrived. Every row is also handed to the observer (a session file) on the worker's thread.
class CReceivedRows : public IRowSink {
public:
    using Observer = std::function<void(const ReceivedRow&)>;
    void SetObserver(Observer observer) { m_observer = std::move(observer); }

    // The oldest row not yet taken, waiting for one until the deadline.
    std::optional<ReceivedRow> Next(std::chrono::steady_clock::time_point deadline);

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override;
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override;
    void OnPortEvent(Clock::time_point when, PortEvent event) override;

private:
    void Push(ReceivedRow row);

    Observer m_observer;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<ReceivedRow> m_rows;
};
