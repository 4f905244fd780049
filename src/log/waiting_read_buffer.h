#pragma once

#include <functional>
#include <streambuf>
#include <vector>

// A stream buffer over a file or a pipe for a reader that batches what it reads: before a read
// would wait for a pipe's writer, `waiting` is called (and again while the wait goes on), so the
// reader can hand over what came before the pause instead of holding it until more comes, which
// may be never. `waiting` may throw to give up the read. It owns and closes the descriptor.
class CWaitingReadBuffer : public std::streambuf {
public:
    CWaitingReadBuffer(int fd, std::function<void()> waiting);
    ~CWaitingReadBuffer() override;
    CWaitingReadBuffer(const CWaitingReadBuffer&) = delete;
    CWaitingReadBuffer& operator=(const CWaitingReadBuffer&) = delete;

    // The errno value of a read that failed, 0 if none did: the stream sees such a read as its end.
    int Error() const { return m_error; }

protected:
    int_type underflow() override;
    // Tells the position (bytes taken from the stream so far); it cannot seek.
    pos_type seekoff(off_type offset, std::ios_base::seekdir from, std::ios_base::openmode which) override;

private:
    int m_fd;
    std::function<void()> m_waiting;
    std::vector<char> m_buffer;
    long long m_filled = 0; // bytes read from the descriptor so far
    int m_error = 0;
};
