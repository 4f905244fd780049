#pragma once

#include "serial/row_sink.h"

#include <mutex>

// Hands the receive thread's rows on to a second sink while one is set (a running test script),
// in the order they come. Setting or clearing the sink waits for a row being handed on, so once
// cleared the sink sees no more rows and may go.
class CRowTap : public IRowSink {
public:
    void SetTarget(IRowSink* target)
    {
        const std::lock_guard lock(m_mutex);
        m_target = target;
    }

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override
    {
        const std::lock_guard lock(m_mutex);
        if (m_target)
            m_target->LogPacket(when, frame, payload, checksumError);
    }
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override
    {
        const std::lock_guard lock(m_mutex);
        if (m_target)
            m_target->ReportLineError(when, flags);
    }
    void OnPortEvent(Clock::time_point when, PortEvent event, const std::string& port) override
    {
        const std::lock_guard lock(m_mutex);
        if (m_target)
            m_target->OnPortEvent(when, event, port);
    }

private:
    std::mutex m_mutex;
    IRowSink* m_target = nullptr;
};
