#include "log/file_writes.h"

#include <cerrno>

#include <unistd.h>

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
