// The session record's file calls on Windows: the C runtime's descriptors, opened from wide
// names so that any file name works, in binary mode so that lines end as they do on Linux.

#include "log/session_files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

namespace {

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

int Open(const std::string& path, int flags, int& error)
{
    int fd = -1;
    // Others may read a session file while it is written, as on Linux.
    error = _wsopen_s(&fd, Wide(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, _S_IREAD | _S_IWRITE);
    return error == 0 ? fd : -1;
}

int ErrnoOf(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

} // namespace

int OpenForAppend(const std::string& path, bool createNew, bool readable, int& error)
{
    return Open(path, (readable ? _O_RDWR : _O_WRONLY) | _O_APPEND | _O_CREAT | (createNew ? _O_EXCL : 0), error);
}

int OpenForReading(const std::string& path, int& error)
{
    return Open(path, _O_RDONLY, error);
}

// Files here never make a read wait on a writer, so `waiting` is never needed.
long long ReadOrWait(int fd, char* data, std::size_t size, const std::function<void()>&, int& error)
{
    const int n = _read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
    if (n < 0)
        error = errno;
    return n;
}

long long ReadAt(int fd, char* data, std::size_t size, long long offset, int& error)
{
    // Only used before the writer's thread starts, and every append goes to the end whatever
    // the position: moving it is harmless.
    if (_lseeki64(fd, offset, SEEK_SET) < 0) {
        error = errno;
        return -1;
    }
    const int n = _read(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
    if (n < 0)
        error = errno;
    return n;
}

long long FileSize(int fd)
{
    return _filelengthi64(fd);
}

bool WriteAllBytes(int fd, std::string_view bytes, int& error)
{
    while (!bytes.empty()) {
        const int n = _write(fd, bytes.data(), static_cast<unsigned>(std::min<std::size_t>(bytes.size(), 1u << 30)));
        if (n < 0) {
            error = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool SyncFile(int fd)
{
    return _commit(fd) == 0;
}

bool CloseFile(int fd)
{
    return _close(fd) == 0;
}

int CreateBeside(const std::string& path, std::string& temporary, int& error)
{
    static std::atomic<unsigned> s_count{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".partial-" + std::to_string(_getpid()) + "-" + std::to_string(++s_count);
        const int fd = Open(temporary, _O_WRONLY | _O_CREAT | _O_EXCL, error);
        if (fd >= 0 || error != EEXIST)
            return fd;
    }
    return -1;
}

bool MoveIntoPlace(const std::string& temporary, const std::string& path, int& error)
{
    // rename() on Windows refuses to replace a file; MoveFileEx does it in one step.
    if (MoveFileExW(Wide(temporary).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = ErrnoOf(GetLastError());
    return false;
}

void RemoveFile(const std::string& path)
{
    _wunlink(Wide(path).c_str());
}

std::string ErrorText(int error)
{
    return std::strerror(error);
}
