// Name look-ups that a name server never answers: the caller's deadline and way out hold, and the
// look-ups left running stay few and end by themselves.

#include "serial/host_lookup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include <netdb.h>
#include <sys/socket.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Outcome = HostResolver::Result::Outcome;

// A name server that answers only when the test lets it: each look-up waits for Release, then
// finds the loopback address.
class HeldNameServer {
public:
    HostResolver::LookUp LookUp()
    {
        return [this](const std::string&, const std::string& service, addrinfo** found) {
            ++m_asked;
            std::unique_lock lock(m_mutex);
            m_released.wait(lock, [this] { return m_open; });
            addrinfo hints {};
            hints.ai_socktype = SOCK_STREAM;
            hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
            return getaddrinfo("127.0.0.1", service.c_str(), &hints, found);
        };
    }
    void Release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_released.notify_all();
    }
    int Asked() const { return m_asked; }

private:
    std::atomic<int> m_asked{0};
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_open = false;
};

bool WaitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 3000 && !condition(); ++i)
        std::this_thread::sleep_for(10ms);
    return condition();
}

} // namespace

TEST(HostLookup, AnUnansweredLookUpEndsAtTheDeadlineOrWhenAbandoned)
{
    HeldNameServer server;
    const HostResolver resolver(server.LookUp());

    const auto start = Clock::now();
    const auto timedOut = resolver.Resolve("gateway.example", "4001", start + 200ms, {});
    EXPECT_EQ(timedOut.outcome, Outcome::TimedOut);
    EXPECT_GE(Clock::now() - start, 200ms);

    std::atomic<bool> abandon{false};
    auto abandoned = std::async(std::launch::async, [&] {
        return resolver.Resolve("gateway.example", "4001", Clock::now() + 1h, [&] { return abandon.load(); });
    });
    abandon = true;
    // Without a way out this waits the hour.
    ASSERT_EQ(abandoned.wait_for(60s), std::future_status::ready);
    EXPECT_EQ(abandoned.get().outcome, Outcome::Abandoned);

    server.Release();
    ASSERT_TRUE(WaitUntil([&] { return resolver.Waiting() == 0; }));
    const auto found = resolver.Resolve("gateway.example", "4001", Clock::now() + 60s, {});
    ASSERT_EQ(found.outcome, Outcome::Found);
    ASSERT_NE(found.addresses, nullptr);
    EXPECT_EQ(found.addresses->ai_family, AF_INET);
}

TEST(HostLookup, RetriesShareTheLookUpUnderWayAndFewNamesWaitAtOnce)
{
    HeldNameServer server;
    const HostResolver resolver(server.LookUp(), 2);
    auto once = [&](const std::string& host) { return resolver.Resolve(host, "4001", Clock::now() + 20ms, {}).outcome; };

    // A port retried every half second against a dead name server: one look-up, not one a retry.
    for (int retry = 0; retry < 5; ++retry)
        EXPECT_EQ(once("a.example"), Outcome::TimedOut);
    EXPECT_EQ(once("b.example"), Outcome::TimedOut);
    EXPECT_EQ(once("c.example"), Outcome::TooBusy);
    EXPECT_EQ(resolver.Waiting(), 2u);
    EXPECT_TRUE(WaitUntil([&] { return server.Asked() == 2; }));

    // Once the name server answers, the threads end and free what they found; new look-ups go.
    server.Release();
    ASSERT_TRUE(WaitUntil([&] { return resolver.Waiting() == 0; }));
    EXPECT_EQ(once("c.example"), Outcome::Found);
}

TEST(HostLookup, TheSystemResolverFindsLiteralsAndSaysWhatIsNotThere)
{
    const auto deadline = Clock::now() + 60s;
    const auto literal = HostResolver::System().Resolve("127.0.0.1", "4001", deadline, {});
    ASSERT_EQ(literal.outcome, Outcome::Found);
    EXPECT_EQ(literal.addresses->ai_socktype, SOCK_STREAM);
    // A service that is no number is refused without asking any name server.
    const auto bad = HostResolver::System().Resolve("127.0.0.1", "not-a-port", deadline, {});
    EXPECT_EQ(bad.outcome, Outcome::Failed);
    EXPECT_NE(bad.status, 0);
}
