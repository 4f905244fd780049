#pragma once

#include "catalogue/radio_text.h"
#include "log/session_row.h"
#include "serial/row_sink.h"

#include <functional>
#include <mutex>
#include <string>

class ConsoleOut;
class MonitorRecord;

// Prints each log row as one tab-separated line the moment it arrives; port events go to
// standard error, so standard output holds rows only. When standard output fails, onFailed is
// called once and later rows are dropped.
class ConsoleRowSink : public IRowSink {
public:
    ConsoleRowSink(std::string port, ConsoleOut& out, std::function<void()> onFailed)
        : m_port(std::move(port)), m_out(out), m_onFailed(std::move(onFailed))
    {
    }

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override;
    void ReportLineError(Clock::time_point when, std::uint32_t flags) override;
    void OnPortEvent(Clock::time_point when, PortEvent event, const std::string&) override;

    // Every row and port event also goes to this session record.
    void RecordTo(MonitorRecord* record) { m_record = record; }
    // The rows of one side of a watched line: printed and recorded with the side's name first;
    // the controller's packets are described as the commands they are.
    void ShowSide(RowDirection side) { m_side = side; }
    // Another sink prints through the same output on another thread: rows take this lock.
    void ShareOutput(std::mutex* printing) { m_printing = printing; }

private:
    void Print(const std::string& time, const std::string& columns);

    std::string m_port;
    ConsoleOut& m_out;
    std::function<void()> m_onFailed;
    MonitorRecord* m_record = nullptr;
    RowDirection m_side = RowDirection::Received;
    std::mutex* m_printing = nullptr;
    CRadioText m_radioText; // this port's
};
