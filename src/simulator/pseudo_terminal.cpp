#include "pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

CPseudoTerminal::~CPseudoTerminal()
{
    Close();
}

bool CPseudoTerminal::Create(std::string& error)
{
    Close();
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("cannot set up the pseudo-terminal: ") + std::strerror(errno);
        close(master);
        return false;
    }
    // Termios calls on this end act on the port's end: raw, so nothing echoes back.
    termios mode {};
    tcgetattr(master, &mode);
    cfmakeraw(&mode);
    tcsetattr(master, TCSANOW, &mode);
    // A port that has been opened and closed once reports a hang-up here until the next open,
    // which is how the device tells whether a tool is there.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0)
        close(slave);
    m_master = master;
    m_slavePath = name;
    return true;
}

namespace {

// A link this program made once and left behind: it points at a pseudo-terminal that is gone,
// or at the one just made here, which was free to be made, so whoever linked to it before has
// gone (a simulator killed with SIGKILL, whose number came round again). Anything else at the
// path (a file, a directory, a link to something that exists) belongs to someone and stays.
bool IsStalePortLink(const std::string& path, const std::string& ownPort)
{
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return false;
    char target[256];
    const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0)
        return false;
    const std::string to(target, static_cast<std::size_t>(n));
    if (to == ownPort)
        return true;
    return to.starts_with("/dev/pts/") && access(to.c_str(), F_OK) != 0 && errno == ENOENT;
}

} // namespace

bool CPseudoTerminal::Link(const std::string& path, std::string& error)
{
    if (m_master < 0) {
        error = "no pseudo-terminal to link to";
        return false;
    }
    if (symlink(m_slavePath.c_str(), path.c_str()) == 0) {
        m_linkPath = path;
        return true;
    }
    if (errno != EEXIST) {
        error = "cannot link " + path + " to " + m_slavePath + ": " + std::strerror(errno);
        return false;
    }
    if (!IsStalePortLink(path, m_slavePath)) {
        error = "will not replace " + path + ": it exists and is not a link left by an earlier simulated device; "
            "remove it or choose another path";
        return false;
    }
    // Replaced through a temporary name and a rename, so a tool re-opening the link never misses it.
    const std::string temporary = path + ".new";
    if (symlink(m_slavePath.c_str(), temporary.c_str()) != 0) {
        error = "cannot link " + temporary + " to " + m_slavePath + ": " + std::strerror(errno);
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot link " + path + " to " + m_slavePath + ": " + std::strerror(errno);
        unlink(temporary.c_str()); // made just now, by this call
        return false;
    }
    m_linkPath = path;
    return true;
}

void CPseudoTerminal::Close()
{
    if (!m_linkPath.empty()) {
        // Only our own link goes: another device may have taken the name over since.
        char target[256];
        const ssize_t n = readlink(m_linkPath.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
            unlink(m_linkPath.c_str());
        m_linkPath.clear();
    }
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
    m_slavePath.clear();
}

bool CPseudoTerminal::ClientPresent() const
{
    pollfd fd{m_master, POLLIN, 0};
    return m_master >= 0 && poll(&fd, 1, 0) >= 0 && (fd.revents & POLLHUP) == 0;
}

void CPseudoTerminal::WaitInput(std::chrono::milliseconds timeout) const
{
    pollfd fd{m_master, POLLIN, 0};
    const int ready = poll(&fd, 1, static_cast<int>(timeout.count()));
    // While no tool is there poll reports the hang-up at once; sleep instead of spinning.
    if (ready > 0 && (fd.revents & POLLHUP) && !(fd.revents & POLLIN))
        usleep(static_cast<useconds_t>(timeout.count()) * 1000);
}

std::size_t CPseudoTerminal::ReadAvailable(std::span<std::uint8_t> buffer) const
{
    const ssize_t n = read(m_master, buffer.data(), buffer.size());
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool CPseudoTerminal::WriteAll(std::span<const std::uint8_t> data, std::chrono::milliseconds timeout,
                               const std::atomic<bool>* stop, std::size_t* written) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t done = 0;
    auto finish = [&](bool result) {
        if (written)
            *written = done;
        return result;
    };
    while (done < data.size()) {
        const ssize_t n = write(m_master, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return finish(false);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !ClientPresent() || (stop && *stop))
            return finish(false);
        // Short waits, so that a stop request is seen quickly while the line is full.
        pollfd fd{m_master, POLLOUT, 0};
        poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 20)));
    }
    return finish(true);
}
