#include "socket_connect.h"

#include "serial/host_lookup.h"
#include "serial/network_channel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A gateway that vanishes without closing (a cable pulled) is noticed after about ten seconds.
constexpr int kKeepAliveIdle = 5;
constexpr int kKeepAliveInterval = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedLimitMs = 10'000;

std::string ConnectFailure(int err, const std::string& where)
{
    switch (err) {
    case ECONNREFUSED:
        return "the connection to " + where + " was refused (no gateway listens there)";
    case ETIMEDOUT:
        return "no answer from " + where + " within " + std::to_string(kNetworkOpenTimeout.count()) + " seconds";
    case ENETUNREACH:
    case EHOSTUNREACH:
        return where + " cannot be reached from this machine";
    case ECANCELED:
        return "connecting to " + where + " was abandoned";
    default:
        return "cannot connect to " + where + ": " + std::strerror(err);
    }
}

// Waits for the connect under way on fd; 0 when connected, else the errno it failed with.
int FinishConnect(int fd, Clock::time_point deadline, const std::function<bool()>& abandoned)
{
    for (;;) {
        if (abandoned && abandoned())
            return ECANCELED;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return ETIMEDOUT;
        pollfd entry{fd, POLLOUT, 0};
        const int ready = poll(&entry, 1, static_cast<int>(std::min(left, kAbandonPoll).count()) + 1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return errno;
        if (ready == 0)
            continue;
        int err = 0;
        socklen_t size = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &size) != 0)
            return errno;
        return err;
    }
}

void TuneSocket(int fd)
{
    // Packets are small and a test engineer waits for each answer: no coalescing delay.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdle, sizeof kKeepAliveIdle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveInterval, sizeof kKeepAliveInterval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof kKeepAliveProbes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUnacknowledgedLimitMs, sizeof kUnacknowledgedLimitMs);
}

// Why no address was found, in words for the user.
std::string LookUpFailure(const HostResolver::Result& found, const std::string& host)
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
                                        : "cannot look up " + host + ": " + gai_strerror(found.status);
}

} // namespace

int ConnectSocket(const NetworkAddress& address, Clock::time_point deadline,
                  const std::function<bool()>& abandoned, std::string& reason)
{
    const auto found = HostResolver::System().Resolve(address.host, std::to_string(address.port), deadline, abandoned);
    if (found.outcome != HostResolver::Result::Outcome::Found) {
        reason = LookUpFailure(found, address.host);
        return -1;
    }
    int lastError = ECONNREFUSED;
    for (const addrinfo* entry = found.addresses.get(); entry; entry = entry->ai_next) {
        const int fd = socket(entry->ai_family, entry->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, entry->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        int err = 0;
        if (connect(fd, entry->ai_addr, entry->ai_addrlen) != 0)
            err = errno == EINPROGRESS || errno == EINTR ? FinishConnect(fd, deadline, abandoned) : errno;
        if (err == 0) {
            TuneSocket(fd);
            return fd;
        }
        close(fd);
        lastError = err;
        if (err == ETIMEDOUT || err == ECANCELED)
            break;
    }
    reason = ConnectFailure(lastError, address.HostAndPort());
    return -1;
}
