#include "serial_port.h"

#include "serial/port_channel.h"

#include <algorithm>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting thread with a pump hook lets its events through.
constexpr std::chrono::milliseconds kPumpInterval{10};

// Waits for room in the line until the deadline; with a pump the wait is cut into short slices
// with the pump run between them.
template <typename Pump>
CPortChannel::Wait WaitWritable(const CPortChannel& channel, Clock::time_point deadline, bool pumping, Pump&& pump)
{
    for (;;) {
        const auto until = pumping ? std::min(deadline, Clock::now() + kPumpInterval) : deadline;
        const auto result = channel.WaitWritable(until);
        if (result != CPortChannel::Wait::TimedOut || until >= deadline)
            return result;
        pump();
    }
}

} // namespace

struct CSerialPort::Session {
    std::string name;
    LineSettings settings;
    std::unique_ptr<CPortChannel> channel;

    // Guarded by the port's m_mutex.
    std::vector<std::thread::id> users;
    bool gone = false;

    // Guarded by the port's m_readMutex.
    ReceivedItems items;
    std::size_t head = 0;
};

// An operation's hold on the open session: while any lease is held, Close waits and the
// descriptor stays open. Taking one fails when the port is closed or gone, and for a read also
// while line errors wait to be cleared: the receive side stops until they are reported. A write
// goes on meanwhile: an error in what came in is no reason to refuse what goes out, and the
// sender never has to clear flags that are the receive worker's to report.
class CSerialPort::Lease {
public:
    enum class Use { Read, Write };
    Lease(CSerialPort& port, Use use) : m_port(port)
    {
        std::lock_guard lock(port.m_mutex);
        if (!port.m_session || (use == Use::Read && port.m_errors != 0))
            return;
        if (port.m_session->gone || port.m_session->channel->IsReleased()) {
            port.m_errors |= CE_IOE;
            return;
        }
        m_session = port.m_session;
        m_session->users.push_back(std::this_thread::get_id());
    }
    ~Lease()
    {
        if (!m_session)
            return;
        std::lock_guard lock(m_port.m_mutex);
        auto& users = m_session->users;
        users.erase(std::ranges::find(users, std::this_thread::get_id()));
        m_port.m_idle.notify_all();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

    explicit operator bool() const { return m_session != nullptr; }
    Session& session() const { return *m_session; }
    CPortChannel& channel() const { return *m_session->channel; }

private:
    CSerialPort& m_port;
    std::shared_ptr<Session> m_session;
};

CSerialPort::CSerialPort() = default;

CSerialPort::~CSerialPort()
{
    Close();
}

std::shared_ptr<CSerialPort::Session> CSerialPort::OpenSession(const std::string& name,
                                                               const LineSettings& settings,
                                                               const std::function<bool()>& stopRequested,
                                                               PortError& error)
{
    if (!IsValid(settings)) {
        error = {PortFault::BadSettings, 0, name,
                 "baud " + std::to_string(settings.baud) + ", " + std::to_string(settings.dataBits) + " data bits, "
                     + std::to_string(settings.stopBits) + " stop bits"};
        return nullptr;
    }
    CPortChannel::Options options;
    {
        std::lock_guard lock(m_mutex);
        options.counterReader = m_counterReader;
    }
    options.abandoned = [this, &stopRequested] {
        return m_closesWaiting.load() > 0 || (stopRequested && stopRequested());
    };
    auto channel = CPortChannel::Open(name, settings, options, error);
    if (!channel)
        return nullptr;
    auto session = std::make_shared<Session>();
    session->name = name;
    session->settings = settings;
    session->channel = std::move(channel);
    return session;
}

// Opens the device and makes it the port's, in place of a closed or gone session; the caller
// holds m_openMutex.
bool CSerialPort::Establish(const std::string& name, const LineSettings& settings,
                            const std::function<bool()>& stopRequested)
{
    PortError error;
    auto session = OpenSession(name, settings, stopRequested, error);
    std::lock_guard lock(m_mutex);
    if (!session) {
        m_openError = std::move(error);
        return false;
    }
    m_session = std::move(session);
    m_errors = 0;
    m_openError = {};
    return true;
}

bool CSerialPort::Open(const std::string& name, const LineSettings& settings, std::function<bool()> stopRequested)
{
    std::lock_guard openLock(m_openMutex);
    {
        std::lock_guard lock(m_mutex);
        if (m_session) {
            m_openError = {PortFault::AlreadyOpen, 0, name, {}};
            return false;
        }
    }
    return Establish(name, settings, stopRequested);
}

// Wakes every wait on the session and waits until the other threads have left it; the device is
// given back at once unless this thread itself is inside a transfer (Close from the pump hook),
// in which case it goes when that transfer lets go of the session.
void CSerialPort::Retire(std::unique_lock<std::mutex>& lock, Session& session)
{
    session.channel->Wake();
    const auto self = std::this_thread::get_id();
    m_idle.wait(lock, [&] { return std::ranges::all_of(session.users, [&](auto id) { return id == self; }); });
    if (session.users.empty())
        session.channel->Release();
}

void CSerialPort::Close()
{
    ++m_closesWaiting;
    std::lock_guard openLock(m_openMutex);
    --m_closesWaiting;
    std::unique_lock lock(m_mutex);
    if (!m_session)
        return;
    const std::shared_ptr<Session> session = std::move(m_session);
    m_session.reset();
    m_errors = 0;
    Retire(lock, *session);
}

bool CSerialPort::IsOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_session != nullptr;
}

bool CSerialPort::IsDeviceGone() const
{
    std::lock_guard lock(m_mutex);
    return m_session && m_session->gone;
}

PortError CSerialPort::OpenFailure() const
{
    std::lock_guard lock(m_mutex);
    return m_openError;
}

std::string CSerialPort::GetName() const
{
    std::lock_guard lock(m_mutex);
    return m_session ? m_session->name : std::string();
}

bool CSerialPort::TryReopen()
{
    std::lock_guard openLock(m_openMutex);
    std::string name;
    LineSettings settings;
    {
        std::unique_lock lock(m_mutex);
        if (!m_session || !m_session->gone)
            return false;
        name = m_session->name;
        settings = m_session->settings;
        // The dead descriptor still holds the lock on the node; give it back first.
        if (!m_session->channel->IsReleased())
            Retire(lock, *m_session);
    }
    return Establish(name, settings);
}

void CSerialPort::SetCounterReader(LineCounterReader reader)
{
    std::lock_guard lock(m_mutex);
    m_counterReader = std::move(reader);
}

void CSerialPort::SetPumpHook(std::function<void()> hook)
{
    std::lock_guard lock(m_mutex);
    m_pumpHook = std::move(hook);
    m_pumpThread = std::this_thread::get_id();
}

void CSerialPort::PumpMessages()
{
    std::function<void()> hook;
    {
        std::lock_guard lock(m_mutex);
        hook = m_pumpHook;
    }
    if (hook)
        hook();
}

bool CSerialPort::ClearErrors(std::uint32_t* errors)
{
    std::lock_guard lock(m_mutex);
    const std::uint32_t flags = m_session ? m_errors : 0;
    m_errors = 0;
    if (errors)
        *errors = flags;
    return m_session != nullptr;
}

bool CSerialPort::PumpsOnThisThread() const
{
    std::lock_guard lock(m_mutex);
    return m_pumpHook && m_pumpThread == std::this_thread::get_id();
}

// Moves what the device has sent into the item queue. False when the wait was ended by Close.
bool CSerialPort::FillFromDevice(const Lease& lease, Clock::time_point deadline, bool& timedOut)
{
    Session& session = lease.session();
    switch (lease.channel().WaitReadable(deadline)) {
    case CPortChannel::Wait::Woken:
        return false;
    case CPortChannel::Wait::TimedOut:
        timedOut = true;
        return true;
    case CPortChannel::Wait::Gone:
        session.items.push_back(kErrorItem | kGoneItem | CE_IOE);
        return true;
    case CPortChannel::Wait::Ready:
        break;
    }
    const auto got = lease.channel().ReadSome(session.items);
    if (got.gone)
        session.items.push_back(kErrorItem | kGoneItem | CE_IOE);
    return true;
}

bool CSerialPort::Read(std::uint8_t* buffer, std::size_t count, std::size_t* done)
{
    return ReadUntil(buffer, count, done, Clock::now() + std::chrono::milliseconds(m_readTimeout.load()), true);
}

bool CSerialPort::ReadAvailable(std::uint8_t* buffer, std::size_t count, std::size_t* done,
                                Clock::time_point deadline)
{
    return ReadUntil(buffer, count, done, deadline, false);
}

bool CSerialPort::ReadUntil(std::uint8_t* buffer, std::size_t count, std::size_t* done, Clock::time_point deadline,
                            bool whole)
{
    std::size_t got = 0;
    if (done)
        *done = 0;
    std::lock_guard readLock(m_readMutex);
    Lease lease(*this, Lease::Use::Read);
    if (!lease)
        return false;
    Session& session = lease.session();
    for (;;) {
        while (got < count && session.head < session.items.size()) {
            const std::uint32_t item = session.items[session.head];
            if (item & kErrorItem) {
                // The bytes before an error are delivered first; the next Read meets the error.
                if (got > 0)
                    break;
                ++session.head;
                std::lock_guard lock(m_mutex);
                m_errors |= item & ~(kErrorItem | kGoneItem);
                if (item & kGoneItem)
                    session.gone = true;
                return false;
            }
            buffer[got++] = static_cast<std::uint8_t>(item);
            ++session.head;
        }
        if (session.head == session.items.size()) {
            session.items.clear();
            session.head = 0;
        }
        if (done)
            *done = got;
        if (got == count || (got > 0 && (!whole || session.head < session.items.size())))
            return true;
        bool timedOut = false;
        if (!FillFromDevice(lease, deadline, timedOut))
            return false;
        if (timedOut)
            return true;
    }
}

bool CSerialPort::Write(const std::uint8_t* data, std::size_t count, std::size_t* done)
{
    if (done)
        *done = 0;
    const auto self = std::this_thread::get_id();
    {
        // A Write started from the pump hook while this thread's Write waits would put its bytes
        // into the middle of the other packet.
        std::lock_guard lock(m_mutex);
        if (m_writer == self)
            return false;
    }
    std::lock_guard writeLock(m_writeMutex);
    {
        std::lock_guard lock(m_mutex);
        m_writer = self;
    }
    const bool written = WriteWhole(data, count, done);
    std::lock_guard lock(m_mutex);
    m_writer = {};
    return written;
}

bool CSerialPort::WriteWhole(const std::uint8_t* data, std::size_t count, std::size_t* done)
{
    Lease lease(*this, Lease::Use::Write);
    if (!lease)
        return false;
    const auto deadline = Clock::now() + count * kWriteTimeoutPerByte;
    const bool pumping = PumpsOnThisThread();
    std::size_t sent = 0;
    bool gone = false;
    while (sent < count) {
        const auto put = lease.channel().WriteSome(std::span(data + sent, count - sent));
        sent += put.count;
        if (done)
            *done = sent;
        if (put.gone) {
            gone = true;
            break;
        }
        if (put.count > 0)
            continue;
        const auto wait = WaitWritable(lease.channel(), deadline, pumping, [this] { PumpMessages(); });
        if (wait == CPortChannel::Wait::Gone) {
            gone = true;
            break;
        }
        if (wait != CPortChannel::Wait::Ready)
            return false;
    }
    if (gone) {
        std::lock_guard lock(m_mutex);
        lease.session().gone = true;
        m_errors |= CE_IOE;
        return false;
    }
    return true;
}
