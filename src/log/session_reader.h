#pragma once

#include "log/session_row.h"

#include <cstddef>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

// A line of a session file that is not a row, and why.
struct SessionProblem {
    std::size_t line = 0; // 1 for the first line of the file
    std::string reason;
    // The last line, without its line feed: what a program killed while writing leaves.
    bool cutShort = false;
    // The first line is not the column titles: nothing of the file was read as rows.
    bool notASession = false;

    std::string Text() const { return notASession ? reason : "line " + std::to_string(line) + ": " + reason; }
};

struct SessionReadCallbacks {
    std::function<void(SessionRow&&)> row;
    std::function<void(SessionProblem&&)> problem;
};

// Longer lines than this are no rows of ours; they are skipped without being held in memory.
inline constexpr std::size_t kMaxSessionLine = 1 << 20;

inline constexpr std::string_view kNotASessionFile = "not a session file: its first line is not the column titles";

// Reads a session stream line by line, handing over each row and each problem in file order: a
// malformed line, a line too long to be a row, a last line the recording was cut off inside (no
// line feed at its end, as a killed program leaves it). A stream that does not start with the
// title line is no session: one problem (notASession) says so and nothing more is read. Returns
// false only when the stream itself failed to read.
bool ReadSession(std::istream& in, const SessionReadCallbacks& callbacks);
