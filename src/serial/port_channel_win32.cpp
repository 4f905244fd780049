// The channel of a local device on Windows: a COM port opened exclusively for overlapped I/O, a
// manual-reset event that ends every wait once the port is closed, and line errors collected
// with ClearCommError after each read.

#include "device_channel.h"

#include "serial/port_name.h"
#include "serial/serial_port.h"
#include "serial/win32_error.h"
#include "serial/win32_line_setup.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <utility>

#include <windows.h>

namespace {

constexpr std::size_t kChunk = 1024; // the device's input queue size
// A read hands over what has come once the line is quiet this long: a packet at 9600 baud
// arrives with a millisecond between bytes, so a packet is rarely split.
constexpr std::chrono::milliseconds kReadGap{20};

DWORD MillisecondsUntil(CPortChannel::Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - CPortChannel::Clock::now());
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, MAXDWORD - 1));
}

// A kernel handle closed when it goes out of scope, unless taken.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void Close()
    {
        if (Valid())
            CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    HANDLE Take() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }

private:
    HANDLE m_handle;
};

class CWin32Channel final : public CPortChannel {
public:
    // found and foundTimeouts are the port's settings before this program changed them.
    CWin32Channel(HANDLE port, HANDLE wake, HANDLE readDone, HANDLE writeDone, const DCB& found,
                  const COMMTIMEOUTS& foundTimeouts)
        : m_port(port), m_wake(wake), m_readDone(readDone), m_writeDone(writeDone), m_found(found),
          m_foundTimeouts(foundTimeouts)
    {
    }
    ~CWin32Channel() override { Release(); }

    Wait WaitReadable(Clock::time_point deadline) const override;
    Wait WaitWritable(Clock::time_point deadline) const override;
    Transfer ReadSome(ReceivedItems& items) override;
    Transfer WriteSome(std::span<const std::uint8_t> data) override;
    void Wake() const override { SetEvent(m_wake.Get()); }
    void Release() override;
    bool IsReleased() const override { return !m_port.Valid(); }

private:
    bool Woken() const { return WaitForSingleObject(m_wake.Get(), 0) == WAIT_OBJECT_0; }
    // Starts a read into the buffer, or collects one that has finished. False on a failure that
    // ends the device.
    bool StartRead() const;
    bool FinishRead() const;

    Handle m_port;
    Handle m_wake;
    Handle m_readDone;
    Handle m_writeDone;
    DCB m_found;
    COMMTIMEOUTS m_foundTimeouts;

    // The reader's state: a wait starts the read that a later ReadSome hands over. One reader at
    // a time, so no lock.
    mutable OVERLAPPED m_readOverlapped {};
    mutable std::array<std::uint8_t, kChunk> m_readBuffer {};
    mutable DWORD m_readCount = 0;
    mutable bool m_readPending = false;
    // Set by the reader and the writer alike.
    mutable std::atomic<bool> m_gone{false};
};

bool CWin32Channel::StartRead() const
{
    m_readOverlapped = OVERLAPPED {};
    m_readOverlapped.hEvent = m_readDone.Get();
    ResetEvent(m_readDone.Get());
    DWORD got = 0;
    if (ReadFile(m_port.Get(), m_readBuffer.data(), static_cast<DWORD>(m_readBuffer.size()), &got, &m_readOverlapped)) {
        m_readCount = got;
        return true;
    }
    if (MapWin32Error(GetLastError(), Win32PortStep::Transfer) == PortFault::Pending) {
        m_readPending = true;
        return true;
    }
    return false;
}

bool CWin32Channel::FinishRead() const
{
    DWORD got = 0;
    const bool done = GetOverlappedResult(m_port.Get(), &m_readOverlapped, &got, FALSE);
    m_readPending = false;
    m_readCount = done ? got : 0;
    return done;
}

CPortChannel::Wait CWin32Channel::WaitReadable(Clock::time_point deadline) const
{
    for (;;) {
        if (Woken())
            return Wait::Woken;
        if (m_gone)
            return Wait::Gone;
        if (m_readCount > 0)
            return Wait::Ready;
        if (!m_readPending && !StartRead()) {
            m_gone = true;
            return Wait::Gone;
        }
        if (!m_readPending) {
            // Finished at once. With no total time-out a read only ends with data, so an empty
            // one means the device has hung up, as a read of nothing does on POSIX.
            if (m_readCount == 0) {
                m_gone = true;
                return Wait::Gone;
            }
            continue;
        }
        const HANDLE events[2] = {m_wake.Get(), m_readDone.Get()};
        switch (WaitForMultipleObjects(2, events, FALSE, MillisecondsUntil(deadline))) {
        case WAIT_OBJECT_0:
            return Wait::Woken; // the read stays pending until Release cancels it
        case WAIT_OBJECT_0 + 1:
            if (!FinishRead() || m_readCount == 0) {
                m_gone = true;
                return Wait::Gone;
            }
            break;
        case WAIT_TIMEOUT:
            if (Clock::now() >= deadline)
                return Wait::TimedOut;
            break;
        default:
            m_gone = true;
            return Wait::Gone;
        }
    }
}

CPortChannel::Transfer CWin32Channel::ReadSome(ReceivedItems& items)
{
    Transfer result;
    if (const bool gone = m_gone; gone || m_readCount == 0) {
        result.gone = gone;
        result.wouldBlock = !gone;
        return result;
    }
    items.insert(items.end(), m_readBuffer.begin(), m_readBuffer.begin() + m_readCount);
    result.count = std::exchange(m_readCount, 0);
    // Windows tells that errors happened, not where: they are placed after the bytes they came
    // with, which is where a read meets them.
    DWORD errors = 0;
    COMSTAT status {};
    if (!ClearCommError(m_port.Get(), &errors, &status)) {
        m_gone = true;
        result.gone = true;
        return result;
    }
    if (const std::uint32_t flags = LineErrorsFromCommErrors(errors))
        PushLineError(items, flags);
    return result;
}

CPortChannel::Wait CWin32Channel::WaitWritable(Clock::time_point deadline) const
{
    // Writes wait for themselves, bounded by the driver's write time-out; there is never a
    // queue to wait for beforehand.
    if (Woken())
        return Wait::Woken;
    if (m_gone)
        return Wait::Gone;
    return Clock::now() >= deadline ? Wait::TimedOut : Wait::Ready;
}

CPortChannel::Transfer CWin32Channel::WriteSome(std::span<const std::uint8_t> data)
{
    Transfer result;
    OVERLAPPED overlapped {};
    overlapped.hEvent = m_writeDone.Get();
    ResetEvent(m_writeDone.Get());
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(data.size(), MAXDWORD));
    DWORD sent = 0;
    bool done = WriteFile(m_port.Get(), data.data(), size, &sent, &overlapped);
    if (!done && MapWin32Error(GetLastError(), Win32PortStep::Transfer) == PortFault::Pending) {
        const HANDLE events[2] = {m_writeDone.Get(), m_wake.Get()};
        // A close during the write cancels it; what went out before still counts.
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            CancelIoEx(m_port.Get(), &overlapped);
        done = GetOverlappedResult(m_port.Get(), &overlapped, &sent, TRUE);
        if (!done && GetLastError() == ERROR_OPERATION_ABORTED && Woken()) {
            result.count = sent;
            result.wouldBlock = true;
            return result;
        }
    }
    if (!done) {
        m_gone = true;
        result.gone = true;
        return result;
    }
    result.count = sent;
    result.wouldBlock = sent == 0; // the driver's time-out passed with nothing sent
    return result;
}

void CWin32Channel::Release()
{
    if (!m_port.Valid())
        return;
    if (m_readPending) {
        CancelIoEx(m_port.Get(), &m_readOverlapped);
        DWORD ignored = 0;
        GetOverlappedResult(m_port.Get(), &m_readOverlapped, &ignored, TRUE);
        m_readPending = false;
    }
    // The next program finds the port as this one did; a device that has gone takes no settings.
    if (!m_gone) {
        SetCommState(m_port.Get(), &m_found);
        SetCommTimeouts(m_port.Get(), &m_foundTimeouts);
    }
    m_port.Close();
    m_wake.Close();
    m_readDone.Close();
    m_writeDone.Close();
}

} // namespace

std::unique_ptr<CPortChannel> OpenDeviceChannel(const std::string& portName, const LineSettings& settings,
                                                const CPortChannel::Options&, PortError& portError)
{
    const std::string path = DevicePathForPort(portName);
    const std::string where = PortWhere(portName, path);

    // No sharing: the port is this program's alone while it is open.
    Handle port(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr));
    DCB found {};
    found.DCBlength = sizeof found;
    COMMTIMEOUTS foundTimeouts {};
    bool changed = false; // from then on a failure gives the port back as it was found
    const auto fail = [&](Win32PortStep step, DWORD error) {
        portError = {MapWin32Error(error, step), static_cast<long>(error), where, {}};
        if (changed) {
            SetCommState(port.Get(), &found);
            SetCommTimeouts(port.Get(), &foundTimeouts);
        }
        return nullptr;
    };
    if (!port.Valid())
        return fail(Win32PortStep::Open, GetLastError());
    if (!GetCommState(port.Get(), &found) || !GetCommTimeouts(port.Get(), &foundTimeouts))
        return fail(Win32PortStep::Configure, GetLastError());
    DCB wanted = found;
    if (!ApplyLineSettings(wanted, settings))
        return fail(Win32PortStep::ApplySettings, ERROR_INVALID_PARAMETER);
    changed = true;
    if (!SetCommState(port.Get(), &wanted))
        return fail(Win32PortStep::ApplySettings, GetLastError());
    DCB actual {};
    actual.DCBlength = sizeof actual;
    if (!GetCommState(port.Get(), &actual))
        return fail(Win32PortStep::Configure, GetLastError());
    if (!LineSettingsTook(wanted, actual))
        return fail(Win32PortStep::ApplySettings, ERROR_INVALID_PARAMETER);
    COMMTIMEOUTS timeouts = DeviceTimeouts(kReadGap, CSerialPort::kWriteTimeoutPerByte);
    if (!SetCommTimeouts(port.Get(), &timeouts))
        return fail(Win32PortStep::Configure, GetLastError());
    // Errors left from an earlier user of the port are not this session's.
    DWORD stale = 0;
    ClearCommError(port.Get(), &stale, nullptr);

    Handle wake(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Handle readDone(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Handle writeDone(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!wake.Valid() || !readDone.Valid() || !writeDone.Valid())
        return fail(Win32PortStep::Configure, GetLastError());
    return std::make_unique<CWin32Channel>(port.Take(), wake.Take(), readDone.Take(), writeDone.Take(), found,
                                           foundTimeouts);
}
