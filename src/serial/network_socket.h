#pragma once

#include "serial/network_address.h"
#include "serial/port_channel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

// The stream socket under a network channel, the one part of it that differs per platform
// (network_socket_posix.cpp, network_socket_win32.cpp): the channel's Telnet layer, negotiation
// and buffering are written once against this. Every wait also ends on Wake, from any thread.
class CNetworkSocket {
public:
    using Clock = CPortChannel::Clock;
    using Wait = CPortChannel::Wait;
    using Transfer = CPortChannel::Transfer;

    virtual ~CNetworkSocket() = default;
    CNetworkSocket(const CNetworkSocket&) = delete;
    CNetworkSocket& operator=(const CNetworkSocket&) = delete;

    virtual Wait WaitReadable(Clock::time_point deadline) const = 0;
    virtual Wait WaitWritable(Clock::time_point deadline) const = 0;
    // Never blocks: count 0 with wouldBlock when nothing is there, gone when the peer closed or
    // the connection broke.
    virtual Transfer Receive(std::span<std::uint8_t> buffer) = 0;
    virtual Transfer Send(std::span<const std::uint8_t> bytes) = 0;
    virtual void Wake() const = 0;
    // Closes the connection; only when no transfer or wait is running.
    virtual void Close() = 0;
    virtual bool IsClosed() const = 0;

protected:
    CNetworkSocket() = default;
};

// Looks the host up off the caller's thread and connects to the first of its addresses that
// answers before the deadline, set up for a serial link (no coalescing delay, keep-alive probes
// so that a gateway that vanishes without closing is noticed). Nothing, with the reason for the
// user, when none does, the deadline passes or abandoned says so; systemCode is then the system's
// code for the last connect's failure (errno, a Winsock error), 0 when no connect was tried.
std::unique_ptr<CNetworkSocket> ConnectNetworkSocket(const NetworkAddress& address, CNetworkSocket::Clock::time_point deadline,
                                                     const std::function<bool()>& abandoned, std::string& reason,
                                                     long& systemCode);
