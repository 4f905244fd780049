#include "log/waiting_read_buffer.h"

#include "log/session_files.h"

#include <utility>

namespace {
constexpr std::size_t kBufferBytes = 64 * 1024;
}

CWaitingReadBuffer::CWaitingReadBuffer(int fd, std::function<void()> waiting)
    : m_fd(fd), m_waiting(std::move(waiting)), m_buffer(kBufferBytes)
{
    setg(m_buffer.data(), m_buffer.data(), m_buffer.data());
}

CWaitingReadBuffer::~CWaitingReadBuffer()
{
    CloseFile(m_fd);
}

CWaitingReadBuffer::int_type CWaitingReadBuffer::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    if (m_error != 0)
        return traits_type::eof();
    const long long n = ReadOrWait(m_fd, m_buffer.data(), m_buffer.size(), m_waiting, m_error);
    if (n <= 0)
        return traits_type::eof();
    m_filled += n;
    setg(m_buffer.data(), m_buffer.data(), m_buffer.data() + n);
    return traits_type::to_int_type(*gptr());
}

CWaitingReadBuffer::pos_type CWaitingReadBuffer::seekoff(off_type offset, std::ios_base::seekdir from, std::ios_base::openmode which)
{
    if (offset != 0 || from != std::ios_base::cur || !(which & std::ios_base::in))
        return pos_type(off_type(-1));
    return pos_type(off_type(m_filled - (egptr() - gptr())));
}
