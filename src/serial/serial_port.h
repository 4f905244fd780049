#pragma once

#include "serial/line_counters.h"
#include "serial/line_errors.h"
#include "serial/line_settings.h"
#include "serial/port_error.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// One serial port, opened exclusively by name. The user-interface thread opens, closes, writes
// and clears errors; the receive worker reads and clears errors; both may ask IsOpen. All of it
// may happen at the same time: Close wakes a pending Read and waits for it to leave before the
// descriptor is closed, so a late read never lands on a file opened afterwards.
//
// A line error (a bad byte, a break, an overrun) makes the Read that meets it fail, after the
// bytes before it have been delivered; from then on every Read fails at once until ClearErrors
// has returned the flags. Writes go on meanwhile, and only the receive worker clears the flags:
// a sender that cleared them would take line errors the worker is about to report. A device
// that vanishes (an adapter pulled out) sets CE_IOE and leaves the port open but gone; reads and
// writes fail then, and TryReopen brings it back when the device returns.
class CSerialPort {
public:
    static constexpr std::chrono::milliseconds kReadTimeout{1000};
    static constexpr std::chrono::milliseconds kWriteTimeoutPerByte{1000};

    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Fails at once, changing nothing, when the port is already open. On failure OpenFailure
    // tells why, and GetOpenError in words for the user. A slow open (a network gateway: look-up, connect,
    // negotiation) ends within tens of milliseconds when Close is called from another thread or
    // stopRequested, asked now and then while it waits, turns true.
    bool Open(const std::string& name, const LineSettings& settings, std::function<bool()> stopRequested = {});
    void Close();
    bool IsOpen() const;

    // Returns when count bytes have arrived or the read time-out (kReadTimeout unless set) has
    // passed in all; a time-out is a success with fewer bytes. done may be null.
    bool Read(std::uint8_t* buffer, std::size_t count, std::size_t* done);
    // As Read, but returns as soon as some bytes are in the buffer (what has arrived, up to
    // count), or at the deadline with none.
    bool ReadAvailable(std::uint8_t* buffer, std::size_t count, std::size_t* done,
                       std::chrono::steady_clock::time_point deadline);
    std::chrono::milliseconds ReadTimeout() const { return std::chrono::milliseconds(m_readTimeout.load()); }
    // For the Reads that start from now on. A longer wait shows that a read which ended early
    // was ended by Close, not by its own time-out.
    void SetReadTimeout(std::chrono::milliseconds timeout) { m_readTimeout = timeout.count(); }
    // Fails when the bytes could not all be handed to the device within kWriteTimeoutPerByte
    // per byte; done then tells how many were.
    bool Write(const std::uint8_t* data, std::size_t count, std::size_t* done);
    // Returns the pending CE_ flags and clears them so that transfers resume. Fails, with no
    // flags, when the port is closed. errors may be null.
    bool ClearErrors(std::uint32_t* errors);

    // Runs the pump hook: a Write that waits, on the thread that installed the hook, calls it
    // every few milliseconds, so a window stays responsive during a slow write. A Write from
    // inside the hook fails at once rather than cut into the pending one.
    void PumpMessages();
    void SetPumpHook(std::function<void()> hook);

    PortError OpenFailure() const;
    std::string GetOpenError() const { return PortErrorText(OpenFailure()); }
    std::string GetName() const;
    bool IsDeviceGone() const;
    // For a gone port: opens the same port again with the same settings. False while the device
    // is still away, and when the port is not gone (closed, or working).
    bool TryReopen();

    // Where a local device's line counters come from; by default the driver's (real UARTs, most
    // USB adapters). Taken at the next open.
    void SetCounterReader(LineCounterReader reader);

private:
    struct Session;
    class Lease;

    std::shared_ptr<Session> OpenSession(const std::string& name, const LineSettings& settings,
                                         const std::function<bool()>& stopRequested, PortError& error);
    bool WriteWhole(const std::uint8_t* data, std::size_t count, std::size_t* done);
    bool Establish(const std::string& name, const LineSettings& settings,
                   const std::function<bool()>& stopRequested = {});
    void Retire(std::unique_lock<std::mutex>& lock, Session& session);
    bool ReadUntil(std::uint8_t* buffer, std::size_t count, std::size_t* done,
                   std::chrono::steady_clock::time_point deadline, bool whole);
    bool FillFromDevice(const Lease& lease, std::chrono::steady_clock::time_point deadline,
                        bool& timedOut);
    bool PumpsOnThisThread() const;

    mutable std::mutex m_mutex; // guards everything below but the read state
    std::condition_variable m_idle;
    std::shared_ptr<Session> m_session;
    std::uint32_t m_errors = 0;
    PortError m_openError;
    std::function<void()> m_pumpHook;
    std::thread::id m_pumpThread;
    std::thread::id m_writer; // the thread inside Write
    LineCounterReader m_counterReader;

    std::mutex m_openMutex; // one Open, Close or TryReopen at a time
    std::atomic<int> m_closesWaiting{0}; // a waiting Close cuts a slow open short
    std::mutex m_readMutex; // one Read at a time; guards the session's read state
    std::atomic<std::chrono::milliseconds::rep> m_readTimeout{kReadTimeout.count()};
    std::mutex m_writeMutex; // one Write at a time, so packets never interleave
};
