#pragma once

#include "catalogue/radio_text.h"
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
struct ArrivedRow {
    enum class Kind { Packet, ChecksumError, BrokenPacket, LineError };
    Kind kind = Kind::Packet;
    std::chrono::system_clock::time_point when;
    LogRow row;
    CountedBytes payload; // Kind::Packet only

    bool IsError() const { return kind != Kind::Packet; }
    // The row in one line for a report: its description, or what went wrong.
    std::string Summary() const;
};

// The rows of the receive worker, queued for the test that waits on them in the order they
// arrived. A device that floods the line while no expect takes its rows (a wait step, a slow
// step) cannot fill memory: the newest kMostWaiting rows are kept and older ones let go, counted
// for the next expect to tell. Every row, and every change of the port, is also handed to the observers (a session
// file) on the worker's thread; they are set before the worker starts.
class CReceivedRows : public IRowSink {
public:
    static constexpr std::size_t kMostWaiting = 10'000;

    using Observer = std::function<void(const ArrivedRow&)>;
    using PortObserver = std::function<void(Clock::time_point, PortEvent)>;
    void SetObservers(Observer rows, PortObserver ports)
    {
        m_observer = std::move(rows);
        m_portObserver = std::move(ports);
    }

    // What the test does when it is about to sit waiting: show the step lines it holds back, so
    // that a wait is never hidden. Called on the waiting thread, by Next once a wait has found no
    // row for kIdleAfter (an answer usually comes sooner, and round trips are not slowed by a
    // write per step), and by GoingIdle.
    static constexpr std::chrono::milliseconds kIdleAfter{5};
    void SetIdleHook(std::function<void()> hook) { m_idleHook = std::move(hook); }
    void GoingIdle() const
    {
        if (m_idleHook)
            m_idleHook();
    }

    // How a waiting thread can read the port itself, so that an answer reaches it without a
    // hand-off from the receive thread: read is called by Next with the time it would wait until,
    // and returns true when it read (the rows it framed are queued already), false when the
    // receive thread reads for now. giveBack is called by Pausing. Set before the rows come.
    using Reader = std::function<bool(std::chrono::steady_clock::time_point)>;
    void SetReader(Reader read, std::function<void()> giveBack)
    {
        m_read = std::move(read);
        m_giveBack = std::move(giveBack);
    }
    // The test stops waiting for rows for a while (a wait step): the receive thread reads
    // meanwhile, so rows are stamped when they come, and the held-back step lines are shown.
    void Pausing() const
    {
        if (m_giveBack)
            m_giveBack();
        GoingIdle();
    }

    // The oldest row not yet taken, waiting for one until the deadline.
    std::optional<ArrivedRow> Next(std::chrono::steady_clock::time_point deadline);
    // How many rows were let go unseen since the last call.
    std::size_t TakeLetGo();

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override;
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override;
    void OnPortEvent(Clock::time_point when, PortEvent event, const std::string&) override;

private:
    void Push(ArrivedRow row);

    Observer m_observer;
    CRadioText m_radioText; // the receive thread's
    PortObserver m_portObserver;
    std::function<void()> m_idleHook;
    Reader m_read;
    std::function<void()> m_giveBack;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<ArrivedRow> m_rows;
    std::size_t m_letGo = 0;
};
