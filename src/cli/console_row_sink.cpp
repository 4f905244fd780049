#include "console_row_sink.h"

#include "console_output.h"
#include "monitor_record.h"

#include "log/log_row.h"

void ConsoleRowSink::LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                               bool checksumError)
{
    // A packet is described once: describing radio text again would add it twice.
    if (m_record || m_side == RowDirection::Controller) {
        const LogRow row = m_side == RowDirection::Controller
            ? MakeCommandRow(when, frame, payload, checksumError)
            : MakePacketRow(when, frame, payload, checksumError, m_radioText);
        Print(row.time, row.encoded + '\t' + row.data + '\t' + row.description);
        if (m_record)
            m_record->Received(when, row, m_side);
        return;
    }
    std::string columns;
    AppendPacketColumns(columns, frame, payload, checksumError, m_radioText);
    Print(FormatLogTime(when), columns);
}

void ConsoleRowSink::ReportLineError(Clock::time_point when, std::uint32_t flags)
{
    const LogRow row = MakeLineErrorRow(when, flags);
    Print(row.time, row.encoded + '\t' + row.data + '\t' + row.description);
    if (m_record)
        m_record->Received(when, row, m_side);
}

void ConsoleRowSink::OnPortEvent(Clock::time_point, PortEvent event, const std::string&)
{
    if (m_record)
        m_record->Port(m_port, event == PortEvent::DeviceGone ? PortEventKind::DeviceGone : PortEventKind::Reopened);
    const std::string what = m_side == RowDirection::Controller ? "the controller's port " : "the device on ";
    if (event == PortEvent::DeviceGone)
        PrintError(what + m_port + " has gone; waiting for it to come back");
    else
        PrintError(m_port + " is open again");
}

void ConsoleRowSink::Print(const std::string& time, const std::string& columns)
{
    std::unique_lock<std::mutex> shared;
    if (m_printing)
        shared = std::unique_lock(*m_printing);
    if (m_out.Failed())
        return;
    if (m_side != RowDirection::Received) {
        m_out.Buffer() += DirectionName(m_side);
        m_out.Buffer() += '\t';
    }
    m_out.Buffer() += time + '\t' + columns + '\n';
    // Rows show as they happen, not when a block is full.
    if (!m_out.Flush() && m_onFailed)
        m_onFailed();
}
