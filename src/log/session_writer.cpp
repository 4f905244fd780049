#include "log/session_writer.h"

#include "log/file_writes.h"
#include "log/printable_text.h"
#include "log/session_format.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Describe(const std::string& what, const std::string& path, int error)
{
    return what + " " + PrintableText(path) + ": " + std::strerror(error);
}

// An existing file is continued only when it is a session file: its first line is the titles.
// Anything else was not made here and is left alone.
bool StartsWithTitles(int fd, bool& empty, int& error)
{
    std::string head(kSessionTitles.size() + 1, '\0');
    std::size_t got = 0;
    while (got < head.size()) {
        const ssize_t n = ::pread(fd, head.data() + got, head.size() - got, static_cast<off_t>(got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    empty = got == 0;
    return head.size() == kSessionTitles.size() + 1 && head.compare(0, kSessionTitles.size(), kSessionTitles) == 0
        && (head.back() == '\n' || head.back() == '\r');
}

bool EndsWithLineFeed(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_size == 0)
        return true;
    char last = 0;
    return ::pread(fd, &last, 1, info.st_size - 1) == 1 && last == '\n';
}

} // namespace

SessionWriter::~SessionWriter()
{
    Close();
}

bool SessionWriter::Open(const std::string& path, OpenMode mode, std::string& error)
{
    if (IsOpen()) {
        error = "a session file is already open: " + PrintableText(m_path);
        return false;
    }
    // Continuing a file needs its first line read.
    const int access = mode == OpenMode::CreateOrAppend ? O_RDWR : O_WRONLY;
    const int flags = access | O_APPEND | O_CREAT | O_CLOEXEC | (mode == OpenMode::CreateNew ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        error = Describe("cannot create", path, errno);
        return false;
    }
    std::string start;
    if (mode == OpenMode::CreateOrAppend) {
        bool empty = false;
        int readError = 0;
        if (!StartsWithTitles(fd, empty, readError) && !empty) {
            ::close(fd);
            error = readError ? Describe("cannot read", path, readError)
                              : PrintableText(path) + " exists and is not a session file; it is left as it is";
            return false;
        }
        if (empty)
            start = std::string(kSessionTitles) + '\n';
        // A recording cut off inside a line is continued on a line of its own.
        else if (!EndsWithLineFeed(fd))
            start.push_back('\n');
    } else {
        start = std::string(kSessionTitles) + '\n';
    }
    int writeError = 0;
    if (!WriteAllBytes(fd, start, writeError)) {
        ::close(fd);
        error = Describe("cannot write", path, writeError);
        return false;
    }

    const std::lock_guard lock(m_mutex);
    m_fd = fd;
    m_path = path;
    m_stop = false;
    m_failed = false;
    m_flushWanted = false;
    m_error.clear();
    m_thread = std::thread([this] { Run(); });
    return true;
}

void SessionWriter::Append(SessionRow row)
{
    std::unique_lock lock(m_mutex);
    if (m_fd < 0 || m_failed || m_stop)
        return;
    m_queue.push_back(std::move(row));
    ++m_appended;
    // The writer only sleeps without a time-out while nothing is queued.
    const bool wake = m_queue.size() == 1;
    lock.unlock();
    if (wake)
        m_wake.notify_one();
}

void SessionWriter::Flush()
{
    std::unique_lock lock(m_mutex);
    if (!m_thread.joinable())
        return;
    const std::uint64_t target = m_appended;
    m_flushWanted = true;
    m_wake.notify_one();
    m_written.wait(lock, [&] { return m_done >= target || m_failed; });
}

void SessionWriter::Close()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            return;
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
    const std::lock_guard lock(m_mutex);
    if (!m_failed)
        ::fdatasync(m_fd);
    ::close(m_fd);
    m_fd = -1;
}

bool SessionWriter::IsOpen() const
{
    const std::lock_guard lock(m_mutex);
    return m_fd >= 0;
}

std::string SessionWriter::Error() const
{
    const std::lock_guard lock(m_mutex);
    return m_error;
}

std::uint64_t SessionWriter::RowsWritten() const
{
    const std::lock_guard lock(m_mutex);
    return m_rowsWritten;
}

void SessionWriter::Run()
{
    std::vector<SessionRow> batch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_flushWanted || !m_queue.empty(); });
        // The first row of a batch waits at most one interval for the rows that follow it.
        const auto deadline = std::chrono::steady_clock::now() + kBatchInterval;
        m_wake.wait_until(lock, deadline, [&] { return m_stop || m_flushWanted; });
        const bool stopping = m_stop;
        m_flushWanted = false;
        batch.clear();
        batch.swap(m_queue);
        lock.unlock();
        const bool ok = batch.empty() || WriteBatch(batch);
        lock.lock();
        m_done += batch.size();
        if (ok)
            m_rowsWritten += batch.size();
        m_written.notify_all();
        if (stopping && m_queue.empty())
            return;
    }
}

bool SessionWriter::WriteBatch(const std::vector<SessionRow>& rows)
{
    std::string text;
    text.reserve(rows.size() * 96);
    for (const SessionRow& row : rows)
        AppendSessionLine(text, row);
    int error = 0;
    if (WriteAllBytes(m_fd, text, error))
        return true;
    Fail(Describe("cannot write the session file", m_path, error));
    return false;
}

void SessionWriter::Fail(std::string error)
{
    {
        const std::lock_guard lock(m_mutex);
        m_failed = true;
        m_error = error;
        m_done += m_queue.size();
        m_queue.clear();
    }
    if (m_onError)
        m_onError(error);
}
