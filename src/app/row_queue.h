#pragma once

#include "log/session_row.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// What the receive thread (and the send path) hand to the UI thread: a log row, or a change of the
// port's state.
struct ReceivedEntry {
    enum class Kind { Row, DeviceGone, Reopened };
    Kind kind = Kind::Row;
    SessionRow row;
    // The model a Device ID answer names; the Build Command window selects it as the row is added.
    std::optional<std::string> deviceName;
};

// Hands entries from the receive thread to the UI thread in order and in batches: the producer learns
// when the queue turns non-empty and wakes the consumer once; the consumer takes everything queued.
// The queue is bounded: when the UI thread cannot keep up with a flood (a network port can deliver
// rows faster than any log can show them), the receive thread waits for room, and the bytes wait in
// the port's own buffers, as flow control on the line would hold them.
class CRowQueue {
public:
    static constexpr std::size_t kMostWaiting = 65536;

    // From the receive thread: waits while the queue is full, until the consumer takes or the queue
    // is abandoned (then the entry is dropped). Returns true when the consumer needs a wake-up.
    bool Push(ReceivedEntry entry)
    {
        const std::atomic<bool> never{false};
        return Push(std::move(entry), never);
    }

    // The same for a producer that may be stopped while the consumer stays (a watched line the
    // window leaves): once `cancel` is set and Wake called, a wait for room ends and the entry
    // is dropped.
    bool Push(ReceivedEntry entry, const std::atomic<bool>& cancel)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [&] { return m_abandoned || cancel || m_entries.size() < kMostWaiting; });
        if (cancel && m_entries.size() >= kMostWaiting)
            return false;
        return Add(std::move(entry));
    }

    // Wakes every producer waiting for room, to look at its `cancel` again.
    void Wake()
    {
        { const std::lock_guard lock(m_mutex); }
        m_room.notify_all();
    }

    // From the UI thread itself (its own sent rows, as many as the user sends): never waits, as
    // nothing would take while it did.
    bool PushNow(ReceivedEntry entry)
    {
        const std::lock_guard lock(m_mutex);
        return Add(std::move(entry));
    }

    std::vector<ReceivedEntry> TakeAll()
    {
        std::vector<ReceivedEntry> entries;
        {
            const std::lock_guard lock(m_mutex);
            entries.swap(m_entries);
        }
        m_room.notify_all();
        return entries;
    }

    // The consumer is going: a producer waiting for room, and every later one, returns at once.
    void Abandon()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_abandoned = true;
            m_entries.clear();
        }
        m_room.notify_all();
    }

private:
    bool Add(ReceivedEntry&& entry)
    {
        if (m_abandoned)
            return false;
        m_entries.push_back(std::move(entry));
        return m_entries.size() == 1;
    }

    std::mutex m_mutex;
    std::condition_variable m_room;
    std::vector<ReceivedEntry> m_entries;
    bool m_abandoned = false;
};
