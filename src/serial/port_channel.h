#pragma once

#include "serial/line_counters.h"
#include "serial/line_settings.h"
#include "serial/port_error.h"
#include "serial/received_items.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

// What an opened port needs from the system it lives on: waiting for input or room, moving
// bytes, and a wake-up that ends every wait at once when the port is closed. Each kind of port
// (a local device node, a network gateway) has its own channel; the port's logic above sees only
// this.
class CPortChannel {
public:
    using Clock = std::chrono::steady_clock;

    enum class Wait { Ready, TimedOut, Woken, Gone };
    struct Transfer {
        std::size_t count = 0; // bytes moved over the channel (for reads: before decoding)
        bool wouldBlock = false;
        bool gone = false; // the device has vanished or failed for good
    };

    // Hooks a port may give its channels; a channel uses those that apply to it.
    struct Options {
        // Driver line counters for a local device; none means the driver's own.
        LineCounterReader counterReader;
        // Asked now and then while an open waits on something slow (a network peer); true ends
        // the open at once, so that a Close need not wait for it.
        std::function<bool()> abandoned;
    };

    // Opens the port the name stands for, with the channel its name calls for, and applies the
    // settings. On failure nothing stays open and error tells why.
    static std::unique_ptr<CPortChannel> Open(const std::string& portName, const LineSettings& settings,
                                              const Options& options, PortError& error);
    virtual ~CPortChannel() = default;
    CPortChannel(const CPortChannel&) = delete;
    CPortChannel& operator=(const CPortChannel&) = delete;

    virtual Wait WaitReadable(Clock::time_point deadline) const = 0;
    virtual Wait WaitWritable(Clock::time_point deadline) const = 0;
    // Appends what arrived to items: data bytes, and the line errors the channel knows of at the
    // place they occurred. One reader at a time.
    virtual Transfer ReadSome(ReceivedItems& items) = 0;
    virtual Transfer WriteSome(std::span<const std::uint8_t> data) = 0;

    // Ends every present and future wait on this channel; safe from any thread.
    virtual void Wake() const = 0;
    // Gives the device back before the object goes; only when no transfer is running.
    virtual void Release() = 0;
    virtual bool IsReleased() const = 0;

protected:
    CPortChannel() = default;
};
