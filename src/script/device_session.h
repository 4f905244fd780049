#pragma once

#include "log/packet_sender.h"
#include "log/session_recording.h"
#include "script/received_rows.h"
#include "script/test_link.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"

#include <atomic>
#include <string>

class SessionWriter;

// The port a test talks through, opened as the window opens it, with its receive worker feeding
// the rows a test waits on. It can record the session: the port's opening and closing, every
// packet sent and every row received.
class CDeviceSession : public ITestLink {
public:
    CDeviceSession();
    // Stops the worker and closes the port.
    ~CDeviceSession() override;
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    // Records into the open writer from the next Open on; the writer outlives the session.
    void RecordTo(SessionWriter& writer);
    // False, with the reason, when the port cannot be opened. A stop request (Ctrl+C) cuts an
    // open that takes its time (a gateway that does not answer) short.
    bool Open(const std::string& portName, std::string& error, const std::atomic<bool>* stop = nullptr);
    // Puts the payload's packet on the line; false, with the reason, when it could not all go.
    bool Send(const CountedBytes& payload, std::string& error) override;

    CReceivedRows& Rows() override { return m_rows; }

private:
    CSerialPort m_port;
    std::string m_portName;
    CReceivedRows m_rows;
    ReceiveWorker m_worker{m_port, m_rows};
    SessionRecording m_recording;
    PacketSender m_sender{m_port, m_recording};
};
