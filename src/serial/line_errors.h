#pragma once

#include <cstdint>

// Line-error flags as ClearErrors reports them. The values are those of the serial interface the
// tool was first written for, so logs and documentation stay comparable across platforms.
constexpr std::uint32_t CE_RXOVER = 0x0001;   // input queue overflow
constexpr std::uint32_t CE_OVERRUN = 0x0002;  // the hardware lost a byte
constexpr std::uint32_t CE_RXPARITY = 0x0004; // parity error
constexpr std::uint32_t CE_FRAME = 0x0008;    // framing error
constexpr std::uint32_t CE_BREAK = 0x0010;    // break condition
constexpr std::uint32_t CE_IOE = 0x0400;      // I/O error, including a device that has gone

// The text of the log row for the flags of a failed read: framing first, then I/O errors, then
// anything else; no flag at all means the read ended for another reason (the port was closed).
const char* LineErrorText(std::uint32_t flags);
