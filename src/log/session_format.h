#pragma once

#include "log/session_row.h"

#include <string>
#include <string_view>
#include <variant>

// A session file is UTF-8 text, one row a line of five tab-separated fields, under a line of
// column titles. Every field has its control characters and any byte that is not valid UTF-8
// shown as \xNN (see printable_text.h), so no field holds a tab or a line break whatever a device
// or a port name contains, and the file is valid UTF-8 whatever it was made from.
inline constexpr std::string_view kSessionTitles = "Time\tDirection\tEncoded\tData\tDescription";

// Appends the row and its line feed.
void AppendSessionLine(std::string& out, const SessionRow& row);

// A line without its line feed (a carriage return before it is tolerated): the row, or why it is
// not one.
std::variant<SessionRow, std::string> ParseSessionLine(std::string_view line);

// The same rows as comma-separated values (RFC 4180), escaped as above: fields quoted where they
// hold a comma or a quote, lines ended by CR LF.
inline constexpr std::string_view kCsvTitles = "Time,Direction,Encoded,Data,Description\r\n";
void AppendCsvLine(std::string& out, const SessionRow& row);
