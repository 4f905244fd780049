#pragma once

#include "log/log_row.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Which way a recorded row went: from the device, to the device, or a change of the port; on a
// watched line (the tool listening between a room controller and a device) also what the
// controller sent and what the device sent.
enum class RowDirection { Received, Sent, Port, Controller, Device };

std::string_view DirectionName(RowDirection direction);
std::optional<RowDirection> ParseDirection(std::string_view name);
// A row heard on one side of a watched line.
bool IsWatchedSide(RowDirection direction);

// When a row happened, to the millisecond, with the local offset from UTC in force then, so a
// recording shows the clock of the machine that made it wherever it is read.
struct RowTime {
    std::int64_t utcMs = 0;     // milliseconds since the epoch, UTC
    int offsetMinutes = 0;      // local time minus UTC

    static RowTime Local(std::chrono::system_clock::time_point when);
    friend bool operator==(const RowTime&, const RowTime&) = default;
};

// "2026-12-07T13:04:56.123+01:00"
std::string FormatIsoTime(RowTime time);
std::optional<RowTime> ParseIsoTime(std::string_view text);
// The log's time column: "HH:MM:SS", or "HH:MM:SS.mmm" with milliseconds, in the recorded local time.
std::string FormatClockTime(RowTime time, bool milliseconds);

// One row of a session: what the log shows, plus when exactly and which way.
struct SessionRow {
    RowTime time;
    RowDirection direction = RowDirection::Received;
    std::string encoded;
    std::string data;
    std::string description;

    friend bool operator==(const SessionRow&, const SessionRow&) = default;
};

// A received frame or line error; the log row's own time text is not kept.
SessionRow ReceivedRow(std::chrono::system_clock::time_point when, LogRow row);
// A command put on the line, or one that failed (failure names why in the data column).
SessionRow SentRow(std::chrono::system_clock::time_point when, std::string packet, std::string payload,
                   std::string description);
enum class PortEventKind { Opened, CouldNotOpen, DeviceGone, Reopened, Closed };
// The event and the port's name in the encoded column; a reason, if any, in the data column.
SessionRow PortRow(std::chrono::system_clock::time_point when, PortEventKind event, std::string_view port,
                   std::string reason = {});
