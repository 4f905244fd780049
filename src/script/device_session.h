#pragma once

#include "script/received_rows.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"

#include <functional>
#include <string>

// The port a test talks through, opened as the window opens it, with its receive worker feeding
// the rows a test waits on.
class CDeviceSession {
public:
    using SentObserver = std::function<void(const CountedBytes& payload, const CountedBytes& packet)>;

    CDeviceSession();
    // Stops the worker and closes the port.
    ~CDeviceSession();
    CDeviceSession(const CDeviceSession&) = delete;
    CDeviceSession& operator=(const CDeviceSession&) = delete;

    // False, with the reason, when the port cannot be opened.
    bool Open(const std::string& portName, std::string& error);
    // Puts the payload's packet on the line; false, with the reason, when it could not all go.
    bool Send(const CountedBytes& payload, std::string& error);

    CReceivedRows& Rows() { return m_rows; }
    // Told of every packet sent, before it goes (a session file records it).
    void SetSentObserver(SentObserver observer) { m_sentObserver = std::move(observer); }

private:
    CSerialPort m_port;
    CReceivedRows m_rows;
    ReceiveWorker m_worker{m_port, m_rows};
    SentObserver m_sentObserver;
};
