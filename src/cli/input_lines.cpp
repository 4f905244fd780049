#include "input_lines.h"

#include <cerrno>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBlock = 4096;

} // namespace

bool InputLines::TakeLine(std::string& line)
{
    while (m_blockPos < m_block.size()) {
        const std::size_t end = m_block.find('\n', m_blockPos);
        const std::size_t stop = end == std::string::npos ? m_block.size() : end;
        if (!m_skipping) {
            const std::size_t room = m_maxLine - m_pending.size();
            const std::size_t take = std::min(room, stop - m_blockPos);
            m_pending.append(m_block, m_blockPos, take);
            m_skipping = take < stop - m_blockPos;
        }
        m_blockPos = stop;
        if (end == std::string::npos)
            return false;
        ++m_blockPos;
        m_cut = m_skipping;
        m_skipping = false;
        line.swap(m_pending);
        m_pending.clear();
        return true;
    }
    return false;
}

InputLines::Got InputLines::Next(std::string& line)
{
    m_cut = false;
    for (;;) {
        if (TakeLine(line))
            return Got::Line;
        if (m_ended)
            return Got::End;
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            m_ended = true;
        } else if (fds[1].revents != 0) {
            return Got::Woken;
        }
        m_block.resize(kBlock);
        m_blockPos = 0;
        const ssize_t n = m_ended ? 0 : read(m_fd, m_block.data(), m_block.size());
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            m_block.clear();
            continue;
        }
        m_block.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        if (n <= 0) {
            m_ended = true;
            // The text after the last line feed is the last line.
            if (!m_pending.empty() || m_skipping) {
                m_cut = m_skipping;
                m_skipping = false;
                line.swap(m_pending);
                m_pending.clear();
                return Got::Line;
            }
            return Got::End;
        }
    }
}
