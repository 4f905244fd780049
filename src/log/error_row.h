#pragma once

#include "log/session_row.h"

#include <string_view>

// Whether a row of the log tells of something that went wrong: a received frame with a bad
// checksum or broken framing, a line error, a command that could not be written, or a port that
// could not be opened or whose device went away; either side of a watched line is judged as an
// answer is. Read from the row's own columns, so a row read back from a session file is judged as
// the live one was.
bool IsErrorRow(RowDirection direction, std::string_view encoded, std::string_view data);
