#pragma once

#include "log/session_row.h"
#include "protocol/counted_bytes.h"

#include <cstddef>

// What the log, the console and the session file say for a command that did not go out whole.
inline constexpr const char* kTransmitErrorText = "RS232 Transmit Error";

// The row of a command put on the line: the packet as written, its payload and what it means.
SessionRow MakeSentRow(std::chrono::system_clock::time_point when, const CountedBytes& packet,
                       const CountedBytes& payload);
// The row of a command that could not be written whole: kTransmitErrorText in place of the
// payload, and after its meaning how many of the packet's bytes went out (a device may have
// taken the start of it).
SessionRow MakeTransmitFailureRow(std::chrono::system_clock::time_point when, const CountedBytes& packet,
                                  const CountedBytes& payload, std::size_t bytesSent);
