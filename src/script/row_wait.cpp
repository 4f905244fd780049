#include "script/row_wait.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Passed(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " other row" : " other rows");
}

} // namespace

WaitResult WaitForRow(CReceivedRows& rows, const RowMatcher& matches, std::chrono::milliseconds within,
                      bool allowErrors)
{
    const auto deadline = Clock::now() + within;
    std::size_t passedOver = 0;
    std::string last;
    while (const auto row = rows.Next(deadline)) {
        if (row->kind == ArrivedRow::Kind::Packet && matches(*row)) {
            WaitResult result{true, row->Summary(), row->payload};
            if (passedOver > 0)
                result.arrived += " (after " + Passed(passedOver) + ")";
            return result;
        }
        if (row->IsError() && !allowErrors)
            return {false, "error: " + row->Summary(), {}};
        ++passedOver;
        last = row->Summary();
    }
    if (passedOver == 0)
        return {false, "nothing arrived", {}};
    return {false, Passed(passedOver) + ", the last: " + last, {}};
}

WaitResult WaitForSilence(CReceivedRows& rows, std::chrono::milliseconds within, bool allowErrors)
{
    const auto deadline = Clock::now() + within;
    std::size_t errors = 0;
    while (const auto row = rows.Next(deadline)) {
        if (!row->IsError())
            return {false, row->Summary(), row->payload};
        if (!allowErrors)
            return {false, "error: " + row->Summary(), {}};
        ++errors;
    }
    return {true, errors == 0 ? "nothing" : "no valid row (" + std::to_string(errors) + (errors == 1 ? " error" : " errors") + " allowed)", {}};
}

RowMatcher MatcherFor(const Expectation& expect)
{
    switch (expect.kind) {
    case Expectation::Kind::Description:
        return [text = expect.text](const ArrivedRow& row) { return row.row.description == text; };
    case Expectation::Kind::Regex:
        return [regex = expect.regex](const ArrivedRow& row) { return std::regex_match(row.row.description, *regex); };
    case Expectation::Kind::Payload:
        return [payload = expect.payload](const ArrivedRow& row) { return row.payload == payload; };
    case Expectation::Kind::Nothing:
        break;
    }
    return [](const ArrivedRow&) { return false; };
}
