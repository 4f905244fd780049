// The channel of a local device on POSIX: termios, poll and an eventfd for waking waits.

#include "device_channel.h"

#include "serial/descriptor_wait.h"
#include "serial/line_errors.h"
#include "serial/marked_input_parser.h"
#include "serial/port_name.h"
#include "serial/port_error.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Where in the life of a port a system call failed; the same errno means different things.
enum class Step { OpenNode, Lock, Configure, ApplySettings, ModemLines, Transfer };

// The one place that decides what an errno means for a port.
PortFault MapErrno(int err, Step step)
{
    switch (err) {
    case EINTR:
        return PortFault::Retry;
    case EAGAIN: // also EWOULDBLOCK
        return step == Step::Lock ? PortFault::Busy : PortFault::Retry;
    case EACCES:
    case EPERM:
        return step == Step::OpenNode ? PortFault::PermissionDenied : PortFault::Failed;
    case EBUSY:
        return PortFault::Busy;
    case ENOENT:
    case ENOTDIR:
        return PortFault::Missing;
    case EIO:
    case ENXIO:
    case ENODEV:
        // A node without hardware behind it fails to open with these; an open port that later
        // fails with them has lost its device (an adapter pulled out).
        return step == Step::OpenNode ? PortFault::Missing : PortFault::Gone;
    case ENOTTY:
    case EINVAL:
        // Pseudo-terminals have no modem lines and answer ENOTTY (older kernels EINVAL).
        if (step == Step::ModemLines)
            return PortFault::None;
        if (step == Step::ApplySettings && err == EINVAL)
            return PortFault::SettingsRefused;
        return err == ENOTTY ? PortFault::NotSerial : PortFault::Failed;
    default:
        return step == Step::Transfer ? PortFault::Gone : PortFault::Failed;
    }
}

std::string GroupOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    struct group entry {};
    struct group* found = nullptr;
    char buffer[1024];
    if (getgrgid_r(info.st_gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return std::to_string(info.st_gid);
    return found->gr_name;
}

speed_t SpeedFor(unsigned baud)
{
#define VANTROLIX_BAUD_SPEED(rate) {rate, B##rate},
    static constexpr std::pair<unsigned, speed_t> kSpeeds[] = {VANTROLIX_BAUD_RATES(VANTROLIX_BAUD_SPEED)};
#undef VANTROLIX_BAUD_SPEED
    for (const auto& [rate, speed] : kSpeeds)
        if (rate == baud)
            return speed;
    return B0;
}

void ApplySettings(termios& mode, const LineSettings& settings)
{
    cfmakeraw(&mode);
    mode.c_cflag |= CLOCAL | CREAD;
    mode.c_cflag &= ~CRTSCTS;
    mode.c_iflag &= ~(IXON | IXOFF | IXANY | IGNPAR | IGNBRK | BRKINT | ISTRIP);
    // Bad bytes and breaks are marked in the stream so that reads can fail on them.
    mode.c_iflag |= INPCK | PARMRK;
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    cfsetispeed(&mode, SpeedFor(settings.baud));
    cfsetospeed(&mode, SpeedFor(settings.baud));
    mode.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (settings.parity) {
    case Parity::Even: mode.c_cflag |= PARENB; break;
    case Parity::Odd: mode.c_cflag |= PARENB | PARODD; break;
    case Parity::Mark: mode.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: mode.c_cflag |= PARENB | CMSPAR; break;
    case Parity::None: break;
    }
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    mode.c_cflag = (mode.c_cflag & ~CSIZE) | kSizes[settings.dataBits - 5];
    mode.c_cflag &= ~CSTOPB;
    if (settings.stopBits == 2)
        mode.c_cflag |= CSTOPB;
}

// tcsetattr succeeds when any part of the change applied, so what counts is what reads back.
bool SettingsTook(const termios& wanted, const termios& actual)
{
    constexpr tcflag_t kControl = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD;
    constexpr tcflag_t kInput = IXON | IXOFF | IXANY | IGNPAR | IGNBRK | BRKINT | ISTRIP | INPCK | PARMRK;
    constexpr tcflag_t kLocal = ICANON | ECHO | ISIG | IEXTEN;
    return (wanted.c_cflag & kControl) == (actual.c_cflag & kControl)
        && (wanted.c_iflag & kInput) == (actual.c_iflag & kInput)
        && (wanted.c_lflag & kLocal) == (actual.c_lflag & kLocal)
        && cfgetispeed(&wanted) == cfgetispeed(&actual) && cfgetospeed(&wanted) == cfgetospeed(&actual)
        && actual.c_cc[VMIN] == 1 && actual.c_cc[VTIME] == 0;
}

// Closes what an Open has acquired so far unless the Open succeeds and takes it over.
class Acquired {
public:
    ~Acquired()
    {
        if (m_changed)
            tcsetattr(m_fd, TCSANOW, &m_original);
        if (m_exclusive)
            ioctl(m_fd, TIOCNXCL);
        if (m_fd >= 0)
            close(m_fd);
        if (m_wakeFd >= 0)
            close(m_wakeFd);
    }
    int m_fd = -1;
    int m_wakeFd = -1;
    bool m_exclusive = false;
    bool m_changed = false;
    termios m_original {};
};

bool ReadDriverCounters(int descriptor, LineCounters& counters)
{
    serial_icounter_struct raw {};
    if (ioctl(descriptor, TIOCGICOUNT, &raw) != 0)
        return false;
    counters.frame = static_cast<std::uint64_t>(raw.frame);
    counters.parity = static_cast<std::uint64_t>(raw.parity);
    counters.breaks = static_cast<std::uint64_t>(raw.brk);
    counters.overrun = static_cast<std::uint64_t>(raw.overrun);
    counters.bufferOverrun = static_cast<std::uint64_t>(raw.buf_overrun);
    return true;
}

// One opened device node: the descriptor, set up for the line, and the eventfd that wakes waits.
// Line errors come from the kernel's marks in the input, told apart by the driver's counters
// where it keeps them.
class CPosixChannel final : public CPortChannel {
public:
    CPosixChannel(int fd, int wakeFd, bool parityNone, const termios& original, LineCounterReader counterReader)
        : m_fd(fd), m_wakeFd(wakeFd), m_parityNone(parityNone), m_original(original),
          m_counterReader(std::move(counterReader))
    {
        if (m_counterReader && !m_counterReader(m_fd, m_counters))
            m_counterReader = nullptr;
    }
    ~CPosixChannel() override { Release(); }

    Wait WaitReadable(Clock::time_point deadline) const override
    {
        return WaitOnDescriptor(m_fd, POLLIN, m_wakeFd, deadline);
    }
    Wait WaitWritable(Clock::time_point deadline) const override
    {
        return WaitOnDescriptor(m_fd, POLLOUT, m_wakeFd, deadline);
    }
    Transfer ReadSome(ReceivedItems& items) override;
    Transfer WriteSome(std::span<const std::uint8_t> data) override;
    void Wake() const override;
    void Release() override;
    bool IsReleased() const override { return m_fd < 0; }

private:
    void NoteCounters();

    int m_fd;
    int m_wakeFd;
    bool m_parityNone;
    // The line settings the port had before this program changed them, given back when it closes,
    // as terminal programs do: the next user of the port finds it as it was.
    termios m_original;

    // The read state; one reader at a time.
    CMarkedInputParser m_parser;
    LineCounterReader m_counterReader;
    LineCounters m_counters;
    std::uint32_t m_markKinds = 0; // what the counters say the next marked byte was
    std::uint32_t m_lossFlags = 0; // overruns the counters reported, not yet queued
};

void CPosixChannel::Release()
{
    if (m_fd < 0)
        return;
    // Nothing is left to give back when the device has gone.
    tcsetattr(m_fd, TCSANOW, &m_original);
    ioctl(m_fd, TIOCNXCL);
    close(m_fd);
    close(m_wakeFd);
    m_fd = m_wakeFd = -1;
}

void CPosixChannel::Wake() const
{
    SignalWake(m_wakeFd);
}

void CPosixChannel::NoteCounters()
{
    LineCounters now;
    if (!m_counterReader(m_fd, now)) {
        m_counterReader = nullptr;
        return;
    }
    const LineCounters& was = m_counters;
    if (now.frame != was.frame)
        m_markKinds |= CE_FRAME;
    if (now.parity != was.parity)
        m_markKinds |= CE_RXPARITY;
    if (now.breaks != was.breaks)
        m_markKinds |= CE_BREAK;
    if (now.overrun != was.overrun)
        m_lossFlags |= CE_OVERRUN;
    if (now.bufferOverrun != was.bufferOverrun)
        m_lossFlags |= CE_RXOVER;
    m_counters = now;
}

CPortChannel::Transfer CPosixChannel::ReadSome(ReceivedItems& items)
{
    Transfer result;
    std::uint8_t raw[1024]; // the device's input queue size
    const ssize_t n = read(m_fd, raw, sizeof raw);
    if (n == 0) {
        result.gone = true; // end of file: the other side has hung up
        return result;
    }
    if (n < 0) {
        if (MapErrno(errno, Step::Transfer) == PortFault::Retry)
            result.wouldBlock = true;
        else
            result.gone = true;
        return result;
    }
    result.count = static_cast<std::size_t>(n);
    if (m_counterReader)
        NoteCounters();
    m_parser.Feed(
        std::span(raw, result.count), [&](std::uint8_t b) { items.push_back(b); },
        [&](std::uint8_t marked) {
            // Framing and parity errors look alike in the stream; the counters, where the driver
            // keeps them, tell them apart.
            std::uint32_t kind = m_markKinds;
            if (kind == 0)
                kind = marked == 0 ? CE_BREAK : m_parityNone ? CE_FRAME : CE_RXPARITY;
            PushLineError(items, kind | m_lossFlags);
            m_markKinds = 0;
            m_lossFlags = 0;
        });
    if (m_lossFlags != 0) {
        PushLineError(items, m_lossFlags);
        m_lossFlags = 0;
    }
    return result;
}

CPortChannel::Transfer CPosixChannel::WriteSome(std::span<const std::uint8_t> data)
{
    Transfer result;
    const ssize_t n = write(m_fd, data.data(), data.size());
    if (n > 0)
        result.count = static_cast<std::size_t>(n);
    else if (n == 0 || MapErrno(errno, Step::Transfer) == PortFault::Retry)
        result.wouldBlock = true;
    else
        result.gone = true;
    return result;
}

} // namespace

std::unique_ptr<CPortChannel> OpenDeviceChannel(const std::string& portName, const LineSettings& settings,
                                                const CPortChannel::Options& options, PortError& error)
{
    const std::string path = DevicePathForPort(portName);
    Acquired node;
    auto fail = [&](Step step) {
        const int err = errno;
        error = {MapErrno(err, step), err, PortWhere(portName, path), {}};
        if (error.fault == PortFault::PermissionDenied)
            error.detail = GroupOf(path);
        return nullptr;
    };
    node.m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (node.m_fd < 0)
        return fail(Step::OpenNode);
    termios mode {};
    if (tcgetattr(node.m_fd, &mode) != 0)
        return fail(Step::Configure);
    // TIOCEXCL keeps other users out but not root; the lock covers every process that locks too.
    if (flock(node.m_fd, LOCK_EX | LOCK_NB) != 0)
        return fail(Step::Lock);
    if (ioctl(node.m_fd, TIOCEXCL) != 0)
        return fail(Step::Configure);
    node.m_exclusive = true;

    node.m_original = mode;
    node.m_changed = true;
    ApplySettings(mode, settings);
    if (tcsetattr(node.m_fd, TCSANOW, &mode) != 0)
        return fail(Step::ApplySettings);
    termios actual {};
    if (tcgetattr(node.m_fd, &actual) != 0)
        return fail(Step::Configure);
    if (!SettingsTook(mode, actual)) {
        errno = EINVAL;
        return fail(Step::ApplySettings);
    }

    for (const auto& [line, on] : {std::pair{TIOCM_DTR, settings.dtr}, std::pair{TIOCM_RTS, settings.rts}}) {
        int bits = line;
        if (ioctl(node.m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && MapErrno(errno, Step::ModemLines) != PortFault::None)
            return fail(Step::ModemLines);
    }

    node.m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (node.m_wakeFd < 0)
        return fail(Step::Configure);

    const bool parityNone = (actual.c_cflag & PARENB) == 0;
    auto channel = std::make_unique<CPosixChannel>(node.m_fd, node.m_wakeFd, parityNone, node.m_original,
                                                   options.counterReader ? options.counterReader
                                                                         : LineCounterReader(&ReadDriverCounters));
    node.m_fd = node.m_wakeFd = -1;
    node.m_exclusive = node.m_changed = false;
    return channel;
}
