#include "log/session_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

int OpenForAppend(const std::string& path, bool createNew, bool readable, int& error)
{
    const int flags = (readable ? O_RDWR : O_WRONLY) | O_APPEND | O_CREAT | O_CLOEXEC | (createNew ? O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        error = errno;
    return fd;
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

int CreateBeside(const std::string& path, std::string& temporary, int& error)
{
    temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = errno;
        return -1;
    }
    // mkstemp makes the file readable by its owner only; a saved log is an ordinary file.
    if (::fchmod(fd, NewFileMode()) != 0) {
        error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        return -1;
    }
    return fd;
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
