#pragma once

#include "protocol/counted_bytes.h"

#include <chrono>
#include <cstdint>
#include <string>

// Where the receive worker's log rows go: the main window, the console monitor, a test. Called
// on the worker thread, in the order the rows happen; the time is when the frame closed or the
// failed read was seen. Buffers are valid only during the call.
class IRowSink {
public:
    using Clock = std::chrono::system_clock;
    enum class PortEvent {
        DeviceGone, // reads fail because the device has vanished; the worker waits for it
        Reopened,   // the same device is back and the port is open again
    };

    virtual ~IRowSink() = default;
    // payload is null for checksum errors and broken frames.
    virtual void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                           bool checksumError) = 0;
    virtual void ReportLineError(Clock::time_point when, std::uint32_t flags) = 0;
    // port names the port the event happened to, as the worker's port knew it then: a sink that
    // changes ports on another thread records the right name without sharing one with this thread.
    virtual void OnPortEvent(Clock::time_point when, PortEvent event, const std::string& port) = 0;
};
