#pragma once

#include <cstdint>
#include <functional>

// Running totals of line events that a UART driver keeps. Only their growth between two readings
// matters: overruns leave no mark in the input stream, and marked bytes do not tell framing and
// parity errors apart.
struct LineCounters {
    std::uint64_t frame = 0;
    std::uint64_t parity = 0;
    std::uint64_t breaks = 0;
    std::uint64_t overrun = 0;       // the UART lost bytes
    std::uint64_t bufferOverrun = 0; // the driver's input buffer was full
};

// Reads the counters of an open port descriptor; false when the port keeps none (pseudo-terminals).
using LineCounterReader = std::function<bool(int descriptor, LineCounters& counters)>;
