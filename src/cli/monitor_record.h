#pragma once

#include "log/session_recording.h"
#include "log/session_row.h"
#include "log/session_writer.h"

#include <string>

// The session file of `monitor --log FILE`: every row the monitor prints, each command it sends
// and each port event, in the window's session format. Does nothing until opened.
class MonitorRecord {
public:
    // Starts FILE, or continues it when it is a session file already; any other file is left
    // alone and refused. A later write failure is told once on standard error.
    bool Open(const std::string& path, std::string port, std::string& error);

    // From any thread.
    // side: Received, or the side of a watched line the row was heard on.
    void Received(std::chrono::system_clock::time_point when, const LogRow& row,
                  RowDirection side = RowDirection::Received);
    void Port(PortEventKind event, const std::string& reason = {}) { Port(m_port, event, reason); }
    // An event of another port than the one the record was opened for.
    void Port(const std::string& port, PortEventKind event, const std::string& reason = {});
    // Where the monitor's sender records the commands it sends.
    SessionRecording& Recording() { return m_recording; }

    // Writes what is queued and closes; false when a row could not be recorded (the record is
    // then incomplete, which ends the monitor with a failure).
    bool Close()
    {
        m_writer.Close();
        return m_writer.Error().empty();
    }

private:
    SessionWriter m_writer;
    SessionRecording m_recording;
    std::string m_port;
};
