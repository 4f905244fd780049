#include "host_lookup.h"

#include "serial/network_channel.h"
#include "serial/system_lookup.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

struct HostResolver::Pending {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int status = 0;
    addrinfo* found = nullptr;

    ~Pending()
    {
        if (found)
            FreeAddressList(found);
    }
};

struct HostResolver::Shared {
    LookUp lookUp;
    std::size_t maxWaiting = 0;
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Pending>> running; // by host and service
};

namespace {

int SystemLookUp(const std::string& host, const std::string& service, addrinfo** found)
{
    const int status = LookUpStreamAddresses(host, service, true, found);
    // A machine with only loopback addresses configures no family, yet "::1" or "localhost"
    // still name a host it reaches.
    return IsHostNotFound(status) ? LookUpStreamAddresses(host, service, false, found) : status;
}

} // namespace

HostResolver::HostResolver(LookUp lookUp, std::size_t maxWaiting) : m_shared(std::make_shared<Shared>())
{
    m_shared->lookUp = std::move(lookUp);
    m_shared->maxWaiting = maxWaiting;
}

HostResolver& HostResolver::System()
{
    // Never destroyed: a look-up thread may still finish while the program exits.
    static auto* const resolver = new HostResolver(SystemLookUp);
    return *resolver;
}

std::size_t HostResolver::Waiting() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->running.size();
}

HostResolver::Result HostResolver::Resolve(const std::string& host, const std::string& service,
                                           Clock::time_point deadline, const std::function<bool()>& abandoned) const
{
    Result result;
    std::shared_ptr<Pending> pending;
    {
        std::lock_guard lock(m_shared->mutex);
        const std::string key = host + '\n' + service;
        auto& slot = m_shared->running[key];
        if (!slot) {
            if (m_shared->running.size() > m_shared->maxWaiting) {
                m_shared->running.erase(key);
                result.outcome = Result::Outcome::TooBusy;
                return result;
            }
            slot = std::make_shared<Pending>();
            try {
                std::thread([shared = m_shared, pending = slot, host, service, key] {
                    addrinfo* found = nullptr;
                    const int status = shared->lookUp(host, service, &found);
                    {
                        std::lock_guard done(pending->mutex);
                        pending->status = status;
                        pending->found = status == 0 ? found : nullptr;
                        pending->done = true;
                    }
                    pending->finished.notify_all();
                    std::lock_guard registry(shared->mutex);
                    const auto it = shared->running.find(key);
                    if (it != shared->running.end() && it->second == pending)
                        shared->running.erase(it);
                }).detach();
            } catch (const std::system_error&) {
                m_shared->running.erase(key);
                result.outcome = Result::Outcome::TooBusy;
                return result;
            }
        }
        pending = slot;
    }

    std::unique_lock lock(pending->mutex);
    while (!pending->done) {
        if (abandoned && abandoned()) {
            result.outcome = Result::Outcome::Abandoned;
            return result;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            result.outcome = Result::Outcome::TimedOut;
            return result;
        }
        pending->finished.wait_until(lock, std::min(deadline, now + kAbandonPoll));
    }
    result.status = pending->status;
    if (pending->status != 0)
        return result;
    result.outcome = Result::Outcome::Found;
    // The list lives as long as the look-up's record, which the result shares.
    result.addresses = std::shared_ptr<const addrinfo>(pending, pending->found);
    return result;
}
