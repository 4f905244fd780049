// The network socket on Windows: a non-blocking Winsock stream socket. Its input is an event
// (WSAEventSelect), waited on together with a manual-reset event that wakes every wait; room to
// send, needed only while a gateway does not take what is sent, is looked for in short slices
// between looks at the wake-up, so that the reader alone owns the socket's event.

#include "network_socket.h"

#include "serial/network_channel.h"
#include "serial/socket_connect.h"
#include "serial/winsock_startup.h"

#include <algorithm>
#include <utility>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>

namespace {

using Clock = CNetworkSocket::Clock;
using Wait = CNetworkSocket::Wait;

// A gateway that vanishes without closing (a cable pulled) is noticed after about ten seconds.
constexpr ULONG kKeepAliveIdleMs = 5'000;
constexpr ULONG kKeepAliveIntervalMs = 2'000;
// Winsock signals input as it comes; a wait for it also looks again this often, as a safety net.
constexpr std::chrono::milliseconds kLookAgain{250};
// How long a wait for room looks before it looks at the wake-up again.
constexpr std::chrono::milliseconds kRoomSlice{20};

ConnectFault MapConnectWsaError(int error)
{
    switch (error) {
    case WSAECONNREFUSED: return ConnectFault::Refused;
    case WSAETIMEDOUT: return ConnectFault::TimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH: return ConnectFault::Unreachable;
    case WSAECANCELLED: return ConnectFault::Abandoned;
    default: return ConnectFault::Other;
    }
}

// The time left until the deadline, at most the slice.
std::chrono::milliseconds Slice(Clock::time_point deadline, std::chrono::milliseconds slice)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return std::clamp(left, std::chrono::milliseconds::zero(), slice);
}

// Whether the socket can be read (or has ended) or written within the time; Gone when looking
// failed. A broken connection counts as ready: the transfer then tells it.
Wait Look(SOCKET socket, bool forWriting, std::chrono::milliseconds within)
{
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(socket, &ready);
    timeval timeout{static_cast<long>(within.count() / 1000), static_cast<long>(within.count() % 1000 * 1000)};
    const int count = select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr, nullptr, &timeout);
    if (count == SOCKET_ERROR)
        return Wait::Gone;
    return count > 0 ? Wait::Ready : Wait::TimedOut;
}

// Waits for the connect under way; 0 when connected, else the Winsock error it failed with.
int FinishConnect(SOCKET socket, Clock::time_point deadline, const std::function<bool()>& abandoned)
{
    for (;;) {
        if (abandoned && abandoned())
            return WSAECANCELLED;
        if (Clock::now() >= deadline)
            return WSAETIMEDOUT;
        const auto slice = Slice(deadline, kAbandonPoll);
        fd_set connected;
        fd_set failed;
        FD_ZERO(&connected);
        FD_ZERO(&failed);
        FD_SET(socket, &connected);
        FD_SET(socket, &failed);
        timeval timeout{static_cast<long>(slice.count() / 1000), static_cast<long>(slice.count() % 1000 * 1000)};
        const int count = select(0, nullptr, &connected, &failed, &timeout);
        if (count == SOCKET_ERROR)
            return WSAGetLastError();
        if (count == 0)
            continue;
        int error = 0;
        int size = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
            return WSAGetLastError();
        // Windows reports a refused connect only among the failed sockets, with SO_ERROR set.
        return FD_ISSET(socket, &failed) && error == 0 ? WSAECONNREFUSED : error;
    }
}

void TuneSocket(SOCKET socket)
{
    // Packets are small and a test engineer waits for each answer: no coalescing delay.
    const BOOL on = TRUE;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    tcp_keepalive keepAlive{1, kKeepAliveIdleMs, kKeepAliveIntervalMs};
    DWORD returned = 0;
    WSAIoctl(socket, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned, nullptr, nullptr);
}

class CWinsockSocket final : public CNetworkSocket {
public:
    CWinsockSocket(SOCKET socket, HANDLE ready, HANDLE wake) : m_socket(socket), m_ready(ready), m_wake(wake) {}
    ~CWinsockSocket() override { Close(); }

    Wait WaitReadable(Clock::time_point deadline) const override;
    Wait WaitWritable(Clock::time_point deadline) const override;
    Transfer Receive(std::span<std::uint8_t> buffer) override
    {
        const int size = static_cast<int>(std::min<std::size_t>(buffer.size(), 1 << 30));
        return Outcome(recv(m_socket, reinterpret_cast<char*>(buffer.data()), size, 0), true);
    }
    Transfer Send(std::span<const std::uint8_t> bytes) override
    {
        const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 30));
        return Outcome(send(m_socket, reinterpret_cast<const char*>(bytes.data()), size, 0), false);
    }
    void Wake() const override { SetEvent(m_wake); }
    void Close() override
    {
        if (m_socket == INVALID_SOCKET)
            return;
        closesocket(m_socket);
        WSACloseEvent(m_ready);
        CloseHandle(m_wake);
        m_socket = INVALID_SOCKET;
    }
    bool IsClosed() const override { return m_socket == INVALID_SOCKET; }

private:
    // A receive of nothing is the peer's end; a send of nothing, no room.
    static Transfer Outcome(int n, bool nothingIsTheEnd)
    {
        Transfer result;
        if (n > 0)
            result.count = static_cast<std::size_t>(n);
        else if ((n == 0 && nothingIsTheEnd) || (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK))
            result.gone = true;
        else
            result.wouldBlock = true;
        return result;
    }

    bool Woken() const { return WaitForSingleObject(m_wake, 0) == WAIT_OBJECT_0; }

    SOCKET m_socket;
    HANDLE m_ready; // set by Winsock when input comes or the peer closes; the reader's alone
    HANDLE m_wake;  // manual reset: once set, every wait ends
};

Wait CWinsockSocket::WaitReadable(Clock::time_point deadline) const
{
    const HANDLE events[2] = {m_wake, m_ready};
    for (;;) {
        if (Woken())
            return Wait::Woken;
        // Reset before looking: input that comes after the look sets the event again.
        ResetEvent(m_ready);
        if (const Wait now = Look(m_socket, false, {}); now != Wait::TimedOut)
            return now;
        if (Clock::now() >= deadline)
            return Wait::TimedOut;
        const auto slice = Slice(deadline, kLookAgain);
        if (WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(slice.count())) == WAIT_FAILED)
            return Wait::Gone;
    }
}

Wait CWinsockSocket::WaitWritable(Clock::time_point deadline) const
{
    for (;;) {
        if (Woken())
            return Wait::Woken;
        if (const Wait now = Look(m_socket, true, Slice(deadline, kRoomSlice)); now != Wait::TimedOut)
            return now;
        if (Clock::now() >= deadline)
            return Wait::TimedOut;
    }
}

// Connects one address; the socket, or INVALID_SOCKET with error set.
SOCKET ConnectOne(const addrinfo& entry, Clock::time_point deadline, const std::function<bool()>& abandoned, int& error)
{
    const SOCKET socket = WSASocketW(entry.ai_family, entry.ai_socktype, entry.ai_protocol, nullptr, 0,
                                     WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) {
        error = WSAGetLastError();
        return INVALID_SOCKET;
    }
    u_long nonBlocking = 1;
    error = 0;
    if (ioctlsocket(socket, FIONBIO, &nonBlocking) != 0)
        error = WSAGetLastError();
    else if (connect(socket, entry.ai_addr, static_cast<int>(entry.ai_addrlen)) != 0) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS)
            error = FinishConnect(socket, deadline, abandoned);
    }
    if (error == 0)
        return socket;
    closesocket(socket);
    return INVALID_SOCKET;
}

} // namespace

std::unique_ptr<CNetworkSocket> ConnectNetworkSocket(const NetworkAddress& address, Clock::time_point deadline,
                                                     const std::function<bool()>& abandoned, std::string& reason,
                                                     long& systemCode)
{
    const std::string where = address.HostAndPort();
    if (const int started = StartWinsock(); started != 0) {
        systemCode = started;
        reason = ConnectFailureText(ConnectFault::Other, started, where);
        return nullptr;
    }
    const auto addresses = LookUpGateway(address, deadline, abandoned, reason);
    if (!addresses)
        return nullptr;
    int lastError = WSAECONNREFUSED;
    for (const addrinfo* entry = addresses.get(); entry; entry = entry->ai_next) {
        int error = 0;
        const SOCKET socket = ConnectOne(*entry, deadline, abandoned, error);
        if (socket != INVALID_SOCKET) {
            TuneSocket(socket);
            const HANDLE ready = WSACreateEvent();
            const HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            if (ready != WSA_INVALID_EVENT && wake != nullptr
                && WSAEventSelect(socket, ready, FD_READ | FD_CLOSE) == 0)
                return std::make_unique<CWinsockSocket>(socket, ready, wake);
            error = WSAGetLastError();
            if (ready != WSA_INVALID_EVENT)
                WSACloseEvent(ready);
            if (wake != nullptr)
                CloseHandle(wake);
            closesocket(socket);
        }
        lastError = error;
        if (error == WSAETIMEDOUT || error == WSAECANCELLED)
            break;
    }
    systemCode = lastError;
    reason = ConnectFailureText(MapConnectWsaError(lastError), lastError, where);
    return nullptr;
}
