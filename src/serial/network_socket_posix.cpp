// The network socket on POSIX: a non-blocking stream socket, poll, and an eventfd that wakes
// every wait.

#include "network_socket.h"

#include "serial/descriptor_wait.h"
#include "serial/network_channel.h"
#include "serial/socket_connect.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = CNetworkSocket::Clock;

// A gateway that vanishes without closing (a cable pulled) is noticed after about ten seconds.
constexpr int kKeepAliveIdle = 5;
constexpr int kKeepAliveInterval = 2;
constexpr int kKeepAliveProbes = 3;
constexpr unsigned kUnacknowledgedLimitMs = 10'000;

ConnectFault MapConnectErrno(int err)
{
    switch (err) {
    case ECONNREFUSED: return ConnectFault::Refused;
    case ETIMEDOUT: return ConnectFault::TimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH: return ConnectFault::Unreachable;
    case ECANCELED: return ConnectFault::Abandoned;
    default: return ConnectFault::Other;
    }
}

bool WouldBlock(int err)
{
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
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

class CPosixSocket final : public CNetworkSocket {
public:
    CPosixSocket(int fd, int wakeFd) : m_fd(fd), m_wakeFd(wakeFd) {}
    ~CPosixSocket() override { Close(); }

    Wait WaitReadable(Clock::time_point deadline) const override
    {
        return WaitOnDescriptor(m_fd, POLLIN, m_wakeFd, deadline);
    }
    Wait WaitWritable(Clock::time_point deadline) const override
    {
        return WaitOnDescriptor(m_fd, POLLOUT, m_wakeFd, deadline);
    }
    Transfer Receive(std::span<std::uint8_t> buffer) override
    {
        return Outcome(recv(m_fd, buffer.data(), buffer.size(), 0), true);
    }
    Transfer Send(std::span<const std::uint8_t> bytes) override
    {
        return Outcome(send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), false);
    }
    void Wake() const override { SignalWake(m_wakeFd); }
    void Close() override
    {
        if (m_fd < 0)
            return;
        close(m_fd);
        close(m_wakeFd);
        m_fd = m_wakeFd = -1;
    }
    bool IsClosed() const override { return m_fd < 0; }

private:
    // A receive of nothing is the peer's end; a send of nothing, no room.
    static Transfer Outcome(ssize_t n, bool nothingIsTheEnd)
    {
        Transfer result;
        if (n > 0)
            result.count = static_cast<std::size_t>(n);
        else if ((n == 0 && nothingIsTheEnd) || (n < 0 && !WouldBlock(errno)))
            result.gone = true;
        else
            result.wouldBlock = true;
        return result;
    }

    int m_fd;
    int m_wakeFd;
};

} // namespace

std::unique_ptr<CNetworkSocket> ConnectNetworkSocket(const NetworkAddress& address, Clock::time_point deadline,
                                                     const std::function<bool()>& abandoned, std::string& reason,
                                                     long& systemCode)
{
    const auto addresses = LookUpGateway(address, deadline, abandoned, reason);
    if (!addresses)
        return nullptr;
    int lastError = ECONNREFUSED;
    for (const addrinfo* entry = addresses.get(); entry; entry = entry->ai_next) {
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
            const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            if (wakeFd >= 0)
                return std::make_unique<CPosixSocket>(fd, wakeFd);
            err = errno;
        }
        close(fd);
        lastError = err;
        if (err == ETIMEDOUT || err == ECANCELED)
            break;
    }
    systemCode = lastError;
    reason = ConnectFailureText(MapConnectErrno(lastError), lastError, address.HostAndPort());
    return nullptr;
}
