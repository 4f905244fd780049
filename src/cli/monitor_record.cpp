#include "monitor_record.h"

#include <cstdio>

bool MonitorRecord::Open(const std::string& path, std::string port, std::string& error)
{
    m_port = std::move(port);
    m_writer.OnError([](const std::string& text) {
        std::fprintf(stderr, "vantrolix-cli: %s; rows are still printed but no longer recorded\n", text.c_str());
    });
    m_recording.WriteTo(&m_writer);
    return m_writer.Open(path, SessionWriter::OpenMode::CreateOrAppend, error);
}

void MonitorRecord::Received(std::chrono::system_clock::time_point when, const LogRow& row, RowDirection side)
{
    SessionRow recorded = ReceivedRow(when, row);
    recorded.direction = side;
    m_recording.Record(std::move(recorded));
}

void MonitorRecord::Port(const std::string& port, PortEventKind event, const std::string& reason)
{
    m_recording.Record(PortRow(std::chrono::system_clock::now(), event, port, reason));
}
