#pragma once

#include "log/session_row.h"

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
class CRowQueue {
public:
    // Returns true when the queue was empty before, i.e. when the consumer needs a wake-up.
    bool Push(ReceivedEntry entry)
    {
        const std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
        return m_entries.size() == 1;
    }

    std::vector<ReceivedEntry> TakeAll()
    {
        std::vector<ReceivedEntry> entries;
        const std::lock_guard lock(m_mutex);
        entries.swap(m_entries);
        return entries;
    }

private:
    std::mutex m_mutex;
    std::vector<ReceivedEntry> m_entries;
};
