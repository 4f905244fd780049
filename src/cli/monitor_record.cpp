#include "monitor_record.h"

#include "log/printable_text.h"
#include "log/sent_row.h"

#include <cstdio>

bool MonitorRecord::Open(const std::string& path, std::string port, std::string& error)
{
    m_port = std::move(port);
    m_writer.OnError([](const std::string& text) {
        std::fprintf(stderr, "vantrolix-cli: %s; rows are still printed but no longer recorded\n", text.c_str());
    });
    return m_writer.Open(path, SessionWriter::OpenMode::CreateOrAppend, error);
}

void MonitorRecord::Received(std::chrono::system_clock::time_point when, const LogRow& row, RowDirection side)
{
    SessionRow recorded = ReceivedRow(when, row);
    recorded.direction = side;
    m_writer.Append(std::move(recorded));
}

void MonitorRecord::Sent(const CountedBytes& packet, const CountedBytes& payload, bool written)
{
    m_writer.Append(MakeSentRow(std::chrono::system_clock::now(), packet, payload, written));
}

void MonitorRecord::Port(const std::string& port, PortEventKind event, const std::string& reason)
{
    m_writer.Append(PortRow(std::chrono::system_clock::now(), event, port, reason));
}
