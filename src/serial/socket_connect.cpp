#include "socket_connect.h"

#include "serial/host_lookup.h"
#include "serial/network_channel.h"
#include "serial/port_error.h"
#include "serial/system_lookup.h"

std::string ConnectFailureText(ConnectFault fault, long systemCode, const std::string& where)
{
    switch (fault) {
    case ConnectFault::Refused:
        return "the connection to " + where + " was refused (no gateway listens there)";
    case ConnectFault::TimedOut:
        return "no answer from " + where + " within " + std::to_string(kNetworkOpenTimeout.count()) + " seconds";
    case ConnectFault::Unreachable:
        return where + " cannot be reached from this machine";
    case ConnectFault::Abandoned:
        return "connecting to " + where + " was abandoned";
    case ConnectFault::Other:
        break;
    }
    return "cannot connect to " + where + ": " + SystemErrorText(systemCode);
}

namespace {

std::string LookUpFailureText(const HostResolver::Result& found, const std::string& host)
{
    using Outcome = HostResolver::Result::Outcome;
    switch (found.outcome) {
    case Outcome::TimedOut:
        return "the name server gave no address for " + host + " within "
            + std::to_string(kNetworkOpenTimeout.count()) + " seconds";
    case Outcome::Abandoned:
        return "looking up " + host + " was abandoned";
    case Outcome::TooBusy:
        return "cannot look up " + host + ": too many look-ups are still waiting for the name server";
    case Outcome::Found:
    case Outcome::Failed:
        break;
    }
    return IsHostNotFound(found.status) ? "host not found: " + host
                                        : "cannot look up " + host + ": " + LookUpStatusText(found.status);
}

} // namespace

std::shared_ptr<const addrinfo> LookUpGateway(const NetworkAddress& address,
                                              std::chrono::steady_clock::time_point deadline,
                                              const std::function<bool()>& abandoned, std::string& reason)
{
    auto found = HostResolver::System().Resolve(address.host, std::to_string(address.port), deadline, abandoned);
    if (found.outcome != HostResolver::Result::Outcome::Found)
        reason = LookUpFailureText(found, address.host);
    return std::move(found.addresses);
}
