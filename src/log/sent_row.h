#pragma once

#include "log/session_row.h"
#include "protocol/counted_bytes.h"

// The row of a command put on the line: the packet as written, its payload and what it means; a
// command that could not be written whole has "RS232 Transmit Error" for its payload instead.
SessionRow MakeSentRow(std::chrono::system_clock::time_point when, const CountedBytes& packet,
                       const CountedBytes& payload, bool written);
