#include "log/session_files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenForAppend(const std::string& path, bool createNew, bool readable, int& error)
{
    const int flags = (readable ? O_RDWR : O_WRONLY) | O_APPEND | O_CREAT | O_CLOEXEC | (createNew ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        error = errno;
    return fd;
}

int OpenForReading(const std::string& path, int& error)
{
    // Without O_NONBLOCK, opening a pipe nobody writes to would wait for good.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        error = errno;
    return fd;
}

long long ReadOrWait(int fd, char* data, std::size_t size, const std::function<void()>& waiting, int& error)
{
    constexpr int kWaitSliceMs = 100;
    for (;;) {
        const ssize_t n = ::read(fd, data, size);
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            error = errno;
            return -1;
        }
        waiting();
        pollfd ready{fd, POLLIN, 0};
        ::poll(&ready, 1, kWaitSliceMs);
    }
}

long long ReadAt(int fd, char* data, std::size_t size, long long offset, int& error)
{
    for (;;) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            error = errno;
            return -1;
        }
    }
}

long long FileSize(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? static_cast<long long>(info.st_size) : -1;
}

bool WriteAllBytes(int fd, std::string_view bytes, int& error)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SyncFile(int fd)
{
    return ::fdatasync(fd) == 0;
}

bool CloseFile(int fd)
{
    return ::close(fd) == 0;
}

// The file is made with the mode an ordinary file gets (0666 less the process's umask, applied by
// the system), unlike mkstemp's owner-only one: a saved log is an ordinary file. Reading the umask
// would mean changing it, and it is the whole process's, other threads' files included.
int CreateBeside(const std::string& path, std::string& temporary, int& error)
{
    // O_EXCL refuses a name that exists, a planted link included, so the name need not be secret.
    static std::atomic<unsigned> made{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        std::snprintf(suffix, sizeof suffix, ".%d.%u.%llx", static_cast<int>(::getpid()), made.fetch_add(1),
                      static_cast<unsigned long long>(now));
        temporary = path + suffix;
        const int fd = ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

bool MoveIntoPlace(const std::string& temporary, const std::string& path, int& error)
{
    if (std::rename(temporary.c_str(), path.c_str()) == 0)
        return true;
    error = errno;
    return false;
}

void RemoveFile(const std::string& path)
{
    ::unlink(path.c_str());
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}
