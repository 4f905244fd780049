#include "descriptor_wait.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <unistd.h>

CPortChannel::Wait WaitOnDescriptor(int fd, short events, int wakeFd, CPortChannel::Clock::time_point deadline)
{
    using Clock = CPortChannel::Clock;
    using Wait = CPortChannel::Wait;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
        const auto wait = std::max(left, std::chrono::nanoseconds::zero());
        const timespec timeout{static_cast<time_t>(wait.count() / 1'000'000'000),
                               static_cast<long>(wait.count() % 1'000'000'000)};
        pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ppoll(fds, 2, &timeout, nullptr);
        if (ready < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return Wait::Gone;
        }
        if (fds[1].revents != 0)
            return Wait::Woken;
        // Input that is still there is read before a hang-up counts.
        if (fds[0].revents & events)
            return Wait::Ready;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))
            return Wait::Gone;
        if (ready == 0 && Clock::now() >= deadline)
            return Wait::TimedOut;
    }
}

void SignalWake(int wakeFd)
{
    if (wakeFd < 0)
        return;
    const std::uint64_t one = 1;
    // The counter cannot overflow from a handful of wake-ups, and a full counter wakes anyway.
    [[maybe_unused]] const ssize_t written = write(wakeFd, &one, sizeof one);
}
