#pragma once

#include "protocol/counted_bytes.h"

#include <cstddef>

class CSerialPort;
class SessionRecording;

// Puts commands on the line for the window, the console monitor and test runs alike: encodes the
// payload into its packet, writes it and records what happened, the sent row or the failure row.
// It never touches the port's line-error flags: those belong to the receive worker, which
// reports them as rows of their own; a failed write is told by the write itself.
class PacketSender {
public:
    struct Result {
        enum class Kind { Sent, Failed, TooLong };
        Kind kind = Kind::Failed;
        std::size_t bytesSent = 0;
        std::size_t packetSize = 0;

        bool Sent() const { return kind == Kind::Sent; }
    };

    PacketSender(CSerialPort& port, SessionRecording& recording) : m_port(port), m_recording(recording) {}

    // A payload longer than a packet holds is refused (TooLong) with nothing written or recorded.
    // A closed port fails the write as any other failure does.
    Result Send(const CountedBytes& payload);

private:
    CSerialPort& m_port;
    SessionRecording& m_recording;
};
