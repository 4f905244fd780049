#include "script/row_wait.h"

#include "script/compiled_pattern.h"

#include <algorithm>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStopLook = std::chrono::milliseconds(100);

// Rows until the deadline, looking at the stop flag between slices of the wait.
class RowsUntil {
public:
    RowsUntil(CReceivedRows& rows, std::chrono::milliseconds within, const std::atomic<bool>* stop)
        : m_rows(rows), m_deadline(Clock::now() + within), m_stop(stop)
    {
    }
    std::optional<ArrivedRow> Next()
    {
        for (;;) {
            if (Stopped())
                return std::nullopt;
            const auto sliceEnd = std::min(m_deadline, Clock::now() + kStopLook);
            if (auto row = m_rows.Next(sliceEnd))
                return row;
            if (sliceEnd >= m_deadline)
                return std::nullopt;
        }
    }
    bool Stopped() const { return m_stop && *m_stop; }

private:
    CReceivedRows& m_rows;
    Clock::time_point m_deadline;
    const std::atomic<bool>* m_stop;
};

std::string Passed(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " other row" : " other rows");
}

// Rows the queue let go before or during the wait are named on the expect's line, so a flood
// that the test did not see is still on record.
WaitResult TellingLetGo(CReceivedRows& rows, WaitResult result)
{
    if (const std::size_t letGo = rows.TakeLetGo(); letGo > 0)
        result.arrived += " [" + std::to_string(letGo) + (letGo == 1 ? " earlier row" : " earlier rows")
            + " let go unseen: more than " + std::to_string(CReceivedRows::kMostWaiting) + " waited]";
    return result;
}

WaitResult FindRow(CReceivedRows& rows, const RowMatcher& matches, std::chrono::milliseconds within,
                   bool allowErrors, const std::atomic<bool>* stop)
{
    RowsUntil until(rows, within, stop);
    std::size_t passedOver = 0;
    std::string last;
    while (const auto row = until.Next()) {
        if (row->kind == ArrivedRow::Kind::Packet && matches(*row)) {
            WaitResult result{true, row->Summary(), row->payload, row->when};
            if (passedOver > 0)
                result.arrived += " (after " + Passed(passedOver) + ")";
            return result;
        }
        if (row->IsError() && !allowErrors)
            return {false, "error: " + row->Summary(), {}, row->when};
        ++passedOver;
        last = row->Summary();
    }
    if (until.Stopped())
        return {false, "stopped", {}, {}};
    if (passedOver == 0)
        return {false, "nothing arrived", {}, {}};
    return {false, Passed(passedOver) + ", the last: " + last, {}, {}};
}

WaitResult FindSilence(CReceivedRows& rows, std::chrono::milliseconds within, bool allowErrors,
                       const std::atomic<bool>* stop)
{
    RowsUntil until(rows, within, stop);
    std::size_t errors = 0;
    while (const auto row = until.Next()) {
        if (!row->IsError())
            return {false, row->Summary(), row->payload, row->when};
        if (!allowErrors)
            return {false, "error: " + row->Summary(), {}, row->when};
        ++errors;
    }
    if (until.Stopped())
        return {false, "stopped", {}, {}};
    return {true, errors == 0 ? "nothing" : "no valid row (" + std::to_string(errors) + (errors == 1 ? " error" : " errors") + " allowed)", {}, {}};
}

} // namespace

WaitResult WaitForRow(CReceivedRows& rows, const RowMatcher& matches, std::chrono::milliseconds within,
                      bool allowErrors, const std::atomic<bool>* stop)
{
    return TellingLetGo(rows, FindRow(rows, matches, within, allowErrors, stop));
}

WaitResult WaitForSilence(CReceivedRows& rows, std::chrono::milliseconds within, bool allowErrors,
                          const std::atomic<bool>* stop)
{
    return TellingLetGo(rows, FindSilence(rows, within, allowErrors, stop));
}

RowMatcher MatcherFor(const Expectation& expect)
{
    switch (expect.kind) {
    case Expectation::Kind::Description:
        return [text = expect.text](const ArrivedRow& row) { return row.row.description == text; };
    case Expectation::Kind::Regex:
        return [pattern = expect.pattern](const ArrivedRow& row) {
            return pattern->MatchesWhole(row.row.description);
        };
    case Expectation::Kind::Payload:
        return [payload = expect.payload](const ArrivedRow& row) { return row.payload == payload; };
    case Expectation::Kind::Nothing:
        break;
    }
    return [](const ArrivedRow&) { return false; };
}
