#include "console_output.h"

#include "log/printable_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace {

// Windows' write takes an unsigned int; a short write is taken care of by the callers' loops.
unsigned WriteSize(std::size_t size)
{
    return static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
}

} // namespace

ConsoleOut::ConsoleOut(int fd) : m_fd(fd)
{
    m_buffer.reserve(kBlock + kBlock / 4);
}

bool ConsoleOut::Flush()
{
    std::size_t done = 0;
    while (m_error == 0 && done < m_buffer.size()) {
        const ssize_t n = write(m_fd, m_buffer.data() + done, WriteSize(m_buffer.size() - done));
        if (n > 0)
            done += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR)
            m_error = errno;
        else if (n == 0)
            m_error = EIO;
    }
    m_buffer.clear();
    return m_error == 0;
}

bool ConsoleOut::ReaderGone() const
{
    return m_error == EPIPE;
}

int ConsoleOut::Finish()
{
    if (Flush())
        return 0;
    if (!ReaderGone())
        PrintError(std::string("cannot write to standard output: ") + std::strerror(m_error));
    return 1;
}

ConsoleOut& StandardOut()
{
    static ConsoleOut out(STDOUT_FILENO);
    return out;
}

void PrintError(std::string_view message)
{
    const std::string line = "vantrolix-cli: " + PrintableText(message) + '\n';
    // Nothing is left to tell the user when standard error itself fails.
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, line.data(), WriteSize(line.size()));
}
