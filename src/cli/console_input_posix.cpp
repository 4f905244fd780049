// Standard input through poll, with SIGINT and SIGTERM turned into a byte on a pipe so that a
// poll sees them.

#include "console_input.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

std::atomic<int> g_interruptFd{-1};

void OnInterrupt(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(g_interruptFd.load(), &byte, 1);
    errno = saved;
}

} // namespace

struct ConsoleInput::State {
    int pipe[2] = {-1, -1};
    struct sigaction previousInt {};
    struct sigaction previousTerm {};
    bool handling = false;
    bool ended = false;
};

ConsoleInput::ConsoleInput() : m_state(std::make_unique<State>())
{
    if (pipe2(m_state->pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without the pipe, Ctrl+C keeps its default: the tool ends at once
    g_interruptFd = m_state->pipe[1];
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_state->previousInt);
    sigaction(SIGTERM, &action, &m_state->previousTerm);
    m_state->handling = true;
}

ConsoleInput::~ConsoleInput()
{
    if (m_state->handling) {
        sigaction(SIGINT, &m_state->previousInt, nullptr);
        sigaction(SIGTERM, &m_state->previousTerm, nullptr);
        g_interruptFd = -1;
    }
    for (const int fd : m_state->pipe)
        if (fd >= 0)
            close(fd);
}

namespace {

// Polls standard input (when wanted) and the interrupt pipe until the deadline.
ConsoleInput::Result Wait(int interruptFd, bool withInput, std::optional<ConsoleInput::Clock::time_point> deadline)
{
    for (;;) {
        int timeout = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - ConsoleInput::Clock::now());
            if (left.count() <= 0)
                return ConsoleInput::Result::TimedOut;
            timeout = static_cast<int>(left.count());
        }
        pollfd fds[2] = {{interruptFd, POLLIN, 0}, {withInput ? STDIN_FILENO : -1, POLLIN, 0}};
        const int ready = poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR)
            return ConsoleInput::Result::End;
        if (ready <= 0)
            continue;
        if (fds[0].revents != 0)
            return ConsoleInput::Result::Interrupted;
        if (fds[1].revents != 0)
            return ConsoleInput::Result::Data;
    }
}

} // namespace

ConsoleInput::Result ConsoleInput::Read(std::string& chunk, std::optional<Clock::time_point> deadline)
{
    if (m_state->ended)
        return Result::End;
    for (;;) {
        const Result waited = Wait(m_state->pipe[0], true, deadline);
        if (waited != Result::Data)
            return waited;
        char buffer[4096];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            m_state->ended = true;
            return Result::End;
        }
        chunk.append(buffer, static_cast<std::size_t>(n));
        return Result::Data;
    }
}

bool ConsoleInput::WaitUntil(Clock::time_point deadline)
{
    return Wait(m_state->pipe[0], false, deadline) != Result::Interrupted;
}

void UseBinaryStandardInput()
{
    // POSIX streams never translate bytes.
}
