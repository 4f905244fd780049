// The stop pipe on POSIX.

#include "stop_flag.h"
#include "stop_flag_posix.h"
#include "stop_pipe_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

StopPipe::StopPipe() : m_native(std::make_unique<Native>())
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_native->read = fds[0];
    m_native->write = fds[1];
}

StopPipe::~StopPipe()
{
    StopWakingOn(m_native->write);
    if (m_native->read >= 0) {
        close(m_native->read);
        close(m_native->write);
    }
}

bool StopPipe::IsOpen() const
{
    return m_native->read >= 0;
}

void StopPipe::Note(char why) const
{
    // A full pipe already holds a note; the waiter wakes either way.
    [[maybe_unused]] const ssize_t n = write(m_native->write, &why, 1);
}

void StopPipe::CatchStopSignals() const
{
    CatchStopRequests();
    WakeOnStopRequests(m_native->write);
}

std::string StopPipe::Take(std::optional<Clock::time_point> until) const
{
    for (;;) {
        int timeout = -1;
        if (until) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now());
            if (left.count() <= 0)
                return {};
            timeout = static_cast<int>(left.count());
        }
        pollfd fd{m_native->read, POLLIN, 0};
        if (poll(&fd, 1, timeout) <= 0)
            continue;
        char why[16];
        const ssize_t n = read(m_native->read, why, sizeof why);
        if (n > 0)
            return std::string(why, static_cast<std::size_t>(n));
    }
}
