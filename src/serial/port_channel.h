#pragma once

#include "serial/line_counters.h"
#include "serial/line_settings.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

// One opened device node with everything the operating system needs for it: the descriptor, set
// up for the line, and a wake-up event that ends every wait at once when the port is closed. It
// keeps the platform's calls out of the port's logic.
class CPortChannel {
public:
    using Clock = std::chrono::steady_clock;

    enum class Wait { Ready, TimedOut, Woken, Gone };
    struct Transfer {
        std::size_t count = 0; // bytes moved
        bool wouldBlock = false;
        bool gone = false; // the device has vanished or failed for good
    };

    // Opens the node exclusively and applies the settings over its present ones. On failure
    // nothing stays open and reason holds the text for the user.
    static std::unique_ptr<CPortChannel> Open(const std::string& portName, const std::string& path,
                                              const LineSettings& settings, std::string& reason);
    ~CPortChannel();
    CPortChannel(const CPortChannel&) = delete;
    CPortChannel& operator=(const CPortChannel&) = delete;

    Wait WaitReadable(Clock::time_point deadline) const;
    Wait WaitWritable(Clock::time_point deadline) const;
    Transfer ReadSome(std::span<std::uint8_t> buffer) const;
    Transfer WriteSome(std::span<const std::uint8_t> data) const;

    // Ends every present and future wait on this channel; safe from any thread.
    void Wake() const;
    // Gives the device back before the object goes; only when no transfer is running.
    void Release();
    bool IsReleased() const { return m_fd < 0; }

    int Descriptor() const { return m_fd; }
    bool ParityNone() const { return m_parityNone; }

    // The counters of the driver, for readers that have none of their own.
    static bool ReadDriverCounters(int descriptor, LineCounters& counters);

private:
    CPortChannel(int fd, int wakeFd, bool parityNone) : m_fd(fd), m_wakeFd(wakeFd), m_parityNone(parityNone) {}
    Wait WaitFor(short events, Clock::time_point deadline) const;

    int m_fd;
    int m_wakeFd;
    bool m_parityNone;
};
