#pragma once

#include "serial/network_address.h"
#include "serial/port_channel.h"

#include <chrono>

// How long connecting, and for RFC 2217 agreeing on the line, may take before the open fails.
constexpr std::chrono::seconds kNetworkOpenTimeout{3};

// The channel of a serial port behind a network gateway. A raw TCP port carries the bytes as they
// are and leaves the line to the gateway's configuration; an RFC 2217 port negotiates serial port
// control and sets the line, DTR on and RTS off, and reports the line errors the gateway notifies.
// Nothing keeps another client off the gateway: network ports are not exclusive. On failure
// reason tells why, and systemCode is the system's code when a connect failed (else 0).
std::unique_ptr<CPortChannel> OpenNetworkChannel(const NetworkAddress& address, const LineSettings& settings,
                                                 const CPortChannel::Options& options, std::string& reason,
                                                 long& systemCode);

// How often a slow open looks whether it has been abandoned.
constexpr std::chrono::milliseconds kAbandonPoll{50};
