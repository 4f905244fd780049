#pragma once

#include "serial/line_errors.h"
#include "serial/row_sink.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

// Keeps every row as a line of text ("valid: frame / payload", "checksum: frame",
// "broken: frame", "line error: text", "event: gone PORT" or "event: reopened PORT") with its time.
class RecordingRowSink : public IRowSink {
public:
    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override
    {
        if (payload)
            Add(when, "valid: " + FormatBytes(frame) + " / " + FormatBytes(*payload));
        else
            Add(when, (checksumError ? "checksum: " : "broken: ") + FormatBytes(frame));
    }
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override
    {
        Add(when, std::string("line error: ") + LineErrorText(flags));
    }
    void OnPortEvent(Clock::time_point when, PortEvent event, const std::string& port) override
    {
        Add(when, std::string(event == PortEvent::DeviceGone ? "event: gone " : "event: reopened ") + port);
    }

    // Waits until there are at least count rows or the time is up; returns the rows.
    std::vector<std::string> WaitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(3))
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, timeout, [&] { return m_rows.size() >= count; });
        return m_rows;
    }
    std::vector<std::string> Rows()
    {
        std::lock_guard lock(m_mutex);
        return m_rows;
    }
    Clock::time_point TimeOf(std::size_t row)
    {
        std::lock_guard lock(m_mutex);
        return m_times.at(row);
    }

private:
    void Add(Clock::time_point when, std::string row)
    {
        {
            std::lock_guard lock(m_mutex);
            m_rows.push_back(std::move(row));
            m_times.push_back(when);
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_rows;
    std::vector<Clock::time_point> m_times;
};
