#pragma once

#include "protocol/counted_bytes.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

class CRadioText;

// The four columns of a response-log row, as every front end shows them. Device text in the
// description has its control bytes shown as \xNN, so a row is always one line of its columns.
struct LogRow {
    std::string time;        // local time of day, "HH:MM:SS"
    std::string encoded;     // the frame's bytes, or a line error's text
    std::string data;        // the payload's bytes, or a verdict
    std::string description; // what the payload means
};

std::string FormatLogTime(std::chrono::system_clock::time_point when);

// A closed frame: a valid packet is described, its radio text added to radioText, the stream's
// own; a checksum error or broken frame gets its verdict in the data column. payload is null for
// those two.
LogRow MakePacketRow(std::chrono::system_clock::time_point when, const CountedBytes& frame,
                     const CountedBytes* payload, bool checksumError, CRadioText& radioText);
// The same row without its time, as "encoded<TAB>data<TAB>description" appended to out: the form
// for printing long captures, without a string per column.
void AppendPacketColumns(std::string& out, const CountedBytes& frame, const CountedBytes* payload,
                         bool checksumError, CRadioText& radioText);
// A closed frame that a room controller sent to its device: described as the command it is.
LogRow MakeCommandRow(std::chrono::system_clock::time_point when, const CountedBytes& frame,
                      const CountedBytes* payload, bool checksumError);
LogRow MakeLineErrorRow(std::chrono::system_clock::time_point when, std::uint32_t flags);

// The model name a device reports in its Value response to the Device ID query, if this payload
// is one that carries a name.
std::optional<std::string> ReportedDeviceName(const CountedBytes& payload);
