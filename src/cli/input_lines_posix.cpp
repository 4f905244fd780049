// Reading lines on POSIX: poll on the descriptor and the wake pipe together.

#include "input_lines.h"
#include "stop_pipe_posix.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 4096;

} // namespace

struct InputLines::Reader {};

InputLines::InputLines(int fd, const StopPipe& wake, std::size_t maxLine) : m_fd(fd), m_wake(wake), m_maxLine(maxLine) {}

InputLines::~InputLines() = default;

InputLines::Fill InputLines::FillBlock()
{
    for (;;) {
        m_block.clear();
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wake.GetNative().read, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return Fill::End;
        }
        if (fds[1].revents != 0)
            return Fill::Woken;
        m_block.resize(kBlock);
        const ssize_t n = read(m_fd, m_block.data(), m_block.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            m_block.clear();
            return Fill::End;
        }
        m_block.resize(static_cast<std::size_t>(n));
        return Fill::Data;
    }
}
