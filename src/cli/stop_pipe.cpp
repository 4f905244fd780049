#include "stop_pipe.h"

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<int> g_signalFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

extern "C" void NoteStopSignal(int)
{
    const int fd = g_signalFd;
    const char why = 'S';
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t n = write(fd, &why, 1);
    }
}

} // namespace

StopPipe::StopPipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_read = fds[0];
    m_write = fds[1];
}

StopPipe::~StopPipe()
{
    int expected = m_write;
    g_signalFd.compare_exchange_strong(expected, -1);
    if (m_read >= 0) {
        close(m_read);
        close(m_write);
    }
}

void StopPipe::Note(char why) const
{
    // A full pipe already holds a note; the waiter wakes either way.
    [[maybe_unused]] const ssize_t n = write(m_write, &why, 1);
}

void StopPipe::CatchStopSignals() const
{
    g_signalFd = m_write;
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}
