#pragma once

#include "script/received_rows.h"
#include "script/script.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

// Waiting for the row a test expects. Rows that do not match are passed over; a checksum error,
// broken packet or line error ends the wait as a failure unless errors are allowed. A set stop
// flag ends the wait within a tenth of a second, as a failure.
using RowMatcher = std::function<bool(const ArrivedRow&)>;

struct WaitResult {
    bool passed = false;
    std::string arrived;  // what came, for the report
    CountedBytes payload; // the matching row's payload
    // When the row that decided the wait arrived (the match, or the row that failed it); none
    // when the time ran out.
    std::chrono::system_clock::time_point decidedBy{};
};

WaitResult WaitForRow(CReceivedRows& rows, const RowMatcher& matches, std::chrono::milliseconds within,
                      bool allowErrors, const std::atomic<bool>* stop = nullptr);
// Passes when no valid row arrives within the time.
WaitResult WaitForSilence(CReceivedRows& rows, std::chrono::milliseconds within, bool allowErrors,
                          const std::atomic<bool>* stop = nullptr);

// The matcher of an expect step (not of "expect nothing").
RowMatcher MatcherFor(const Expectation& expect);
