#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A serial port reached through a network gateway: "tcp://HOST:PORT" is the raw byte stream,
// "rfc2217://HOST:PORT" Telnet with serial port control. An IPv6 literal stands in brackets
// ("tcp://[::1]:4001"); the scheme may be written in any case.
struct NetworkAddress {
    enum class Kind { RawTcp, Rfc2217 };
    Kind kind = Kind::RawTcp;
    std::string host; // without brackets
    std::uint16_t port = 0;

    // "HOST:PORT" as users write it, brackets included for IPv6.
    std::string HostAndPort() const;
};

// Whether the name asks for a network port at all (by its scheme), well formed or not.
bool IsNetworkPortName(std::string_view name);

// The address of a network port name; nothing, with the reason in error, when the name is not
// one or is malformed (no host, a port outside 1 to 65535, unbalanced brackets, a path after it).
std::optional<NetworkAddress> ParseNetworkAddress(std::string_view name, std::string& error);
