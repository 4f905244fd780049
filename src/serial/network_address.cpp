#include "network_address.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr std::string_view kRawScheme = "tcp://";
constexpr std::string_view kTelnetScheme = "rfc2217://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::optional<std::uint16_t> ReadPort(std::string_view digits)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

bool HostCharactersValid(std::string_view host)
{
    return std::ranges::all_of(host, [](unsigned char c) { return c > ' ' && c < 0x7F && c != '/' && c != '@'; });
}

} // namespace

std::string NetworkAddress::HostAndPort() const
{
    const bool bracket = host.find(':') != std::string::npos;
    return (bracket ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool IsNetworkPortName(std::string_view name)
{
    return StartsWithNoCase(name, kRawScheme) || StartsWithNoCase(name, kTelnetScheme);
}

std::optional<NetworkAddress> ParseNetworkAddress(std::string_view name, std::string& error)
{
    NetworkAddress address;
    std::string_view rest;
    if (StartsWithNoCase(name, kRawScheme)) {
        rest = name.substr(kRawScheme.size());
    } else if (StartsWithNoCase(name, kTelnetScheme)) {
        address.kind = NetworkAddress::Kind::Rfc2217;
        rest = name.substr(kTelnetScheme.size());
    } else {
        error = "not a network port name (tcp://HOST:PORT or rfc2217://HOST:PORT)";
        return std::nullopt;
    }
    auto malformed = [&](const char* why) {
        error = "malformed network port name: " + std::string(why);
        return std::nullopt;
    };

    std::string_view host;
    std::string_view afterHost;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos)
            return malformed("the IPv6 address has no closing bracket");
        host = rest.substr(1, close - 1);
        afterHost = rest.substr(close + 1);
        if (host.find(':') == std::string_view::npos)
            return malformed("only IPv6 addresses stand in brackets");
    } else {
        const auto colon = rest.rfind(':');
        host = rest.substr(0, colon == std::string_view::npos ? rest.size() : colon);
        afterHost = colon == std::string_view::npos ? std::string_view() : rest.substr(colon);
        if (host.find(':') != std::string_view::npos)
            return malformed("an IPv6 address goes in brackets, as in tcp://[::1]:4001");
    }
    if (host.empty())
        return malformed("no host");
    if (!HostCharactersValid(host))
        return malformed("the host has characters a host name cannot have");
    if (afterHost.empty() || afterHost.front() != ':')
        return malformed("no port number after the host (HOST:PORT)");
    const auto port = ReadPort(afterHost.substr(1));
    if (!port)
        return malformed("the port number must be 1 to 65535");
    address.host = std::string(host);
    address.port = *port;
    return address;
}
