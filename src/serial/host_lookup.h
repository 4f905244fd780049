#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

struct addrinfo;

// Looks host names up with a deadline and a way out. The system's look-up cannot be cancelled and
// may wait far longer than a port may take to open (a name server that never answers), so each
// runs on a thread of its own that the caller stops waiting for; the thread ends when the look-up
// does and frees what it found unless a caller still uses it. A second caller for a name still
// being looked up waits for that look-up instead of starting another, and only a few names may
// be waiting at once, so a port retried every half second never piles threads up.
class HostResolver {
public:
    using Clock = std::chrono::steady_clock;
    // The look-up itself: getaddrinfo's status, and on success a list freeaddrinfo releases.
    using LookUp = std::function<int(const std::string& host, const std::string& service, addrinfo** found)>;

    static constexpr std::size_t kMaxWaiting = 8;

    struct Result {
        enum class Outcome { Found, Failed, TimedOut, Abandoned, TooBusy };
        Outcome outcome = Outcome::Failed;
        int status = 0; // getaddrinfo's, when Failed
        std::shared_ptr<const addrinfo> addresses; // when Found
    };

    explicit HostResolver(LookUp lookUp, std::size_t maxWaiting = kMaxWaiting);
    // The system's resolver, set up for a stream socket to a numeric port.
    static HostResolver& System();

    // Waits for the addresses until the deadline; abandoned is asked every few tens of
    // milliseconds and ends the wait at once when true.
    Result Resolve(const std::string& host, const std::string& service, Clock::time_point deadline,
                   const std::function<bool()>& abandoned) const;

    // Look-ups whose thread is still running.
    std::size_t Waiting() const;

private:
    struct Pending;
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

// Whether a look-up's status says that the name names no host (as opposed to a failing resolver).
bool IsHostNotFound(int status);
