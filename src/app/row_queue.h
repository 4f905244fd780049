#pragma once

#include "app/log_row.h"

#include <mutex>
#include <vector>

// Hands rows from the receive thread to the UI thread in order and in batches: the producer learns
// when the queue turns non-empty and wakes the consumer once; the consumer takes everything queued.
class CRowQueue {
public:
    // Returns true when the queue was empty before, i.e. when the consumer needs a wake-up.
    bool Push(LogRow row)
    {
        const std::lock_guard lock(m_mutex);
        m_rows.push_back(std::move(row));
        return m_rows.size() == 1;
    }

    std::vector<LogRow> TakeAll()
    {
        std::vector<LogRow> rows;
        const std::lock_guard lock(m_mutex);
        rows.swap(m_rows);
        return rows;
    }

private:
    std::mutex m_mutex;
    std::vector<LogRow> m_rows;
};
