#include "script/conformance_sweep.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/value_formatters.h"
#include "script/test_link.h"
#include "script/received_rows.h"
#include "script/row_wait.h"
#include "script/test_report.h"

#include <optional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kAnswerWithin = 1000ms;

class Sweep {
public:
    Sweep(ITestLink& session, CTestReport& report, std::string suite)
        : m_session(session), m_report(report), m_suite(std::move(suite))
    {
    }

    // Sends the command and waits for the matching answer; the answer's payload when it came.
    std::optional<CountedBytes> Ask(const CountedBytes& command, const std::string& subject, const std::string& step,
                                    const RowMatcher& matches)
    {
        auto start = Clock::now();
        std::string error;
        if (!m_session.Send(command, error)) {
            Report(subject, "send " + FormatBytes(command), false, error, start, {});
            return std::nullopt;
        }
        const WaitResult result = WaitForRow(m_session.Rows(), matches, kAnswerWithin, false);
        Report(subject, step, result.passed, result.arrived, start, result.decidedBy);
        return result.passed ? std::optional(result.payload) : std::nullopt;
    }

private:
    void Report(const std::string& subject, const std::string& step, bool passed, const std::string& arrived,
                Clock::time_point start, std::chrono::system_clock::time_point decidedBy)
    {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        const auto at = decidedBy == std::chrono::system_clock::time_point{} ? std::chrono::system_clock::now() : decidedBy;
        m_report.Add({m_suite, 0, {}, step, passed, arrived, elapsed, true, subject, false, at});
    }

    ITestLink& m_session;
    CTestReport& m_report;
    std::string m_suite;
};

RowMatcher ReadableValueOf(std::uint8_t id)
{
    return [id](const ArrivedRow& row) {
        return row.payload.Count() >= 2 && row.payload[0] == MessageType::kValue && row.payload[1] == id
            && row.row.description.find(kInvalidValue) == std::string::npos;
    };
}

RowMatcher PayloadIs(const CountedBytes& expected)
{
    return [expected](const ArrivedRow& row) { return row.payload == expected; };
}

CountedBytes WithValue(std::uint8_t type, std::uint8_t id, std::span<const std::uint8_t> value)
{
    CountedBytes bytes{type, id};
    for (const std::uint8_t b : value)
        bytes.Append(b);
    return bytes;
}

std::string NameOf(const VariableEntry& variable)
{
    return std::string(variable.name) + " (" + std::to_string(variable.id) + ")";
}

std::string ValueText(const VariableEntry& variable, std::span<const std::uint8_t> value)
{
    return value.size() == 1 ? LookupValueName(variable.values, value[0]) : FormatBytes(value);
}

} // namespace

void RunSweep(ITestLink& session, int modelRow, bool setValues, CTestReport& report, const std::atomic<bool>* stop)
{
    const auto stopped = [stop] { return stop && *stop; };
    const std::string suite = std::string("sweep ") + ModelName(modelRow);
    report.BeginSuite(suite);
    Sweep sweep(session, report, suite);
    const auto valueType = static_cast<std::uint8_t>(MessageType::kValue);
    const auto queryType = static_cast<std::uint8_t>(MessageType::kQuery);
    const auto setType = static_cast<std::uint8_t>(MessageType::kSet);

    for (const std::size_t row : OfferedVariables(modelRow, MessageType::kQuery)) {
        if (stopped())
            return;
        const VariableEntry& variable = g_VariableTable[row];
        const auto id = static_cast<std::uint8_t>(variable.id);
        sweep.Ask(CountedBytes{queryType, id}, NameOf(variable), "query " + NameOf(variable) + ": a readable Value",
                  ReadableValueOf(id));
    }
    if (!setValues)
        return;

    for (const std::size_t row : OfferedVariables(modelRow, MessageType::kSet)) {
        const VariableEntry& variable = g_VariableTable[row];
        if (!variable.values)
            continue;
        if (stopped())
            return;
        const auto id = static_cast<std::uint8_t>(variable.id);
        const std::string name = NameOf(variable);
        const auto present = sweep.Ask(CountedBytes{queryType, id}, name, "read " + name + " before setting it",
                                       ReadableValueOf(id));
        if (!present)
            continue; // without the present value it could not be put back
        const auto original = present->Bytes().subspan(2);
        for (const ValueEntry* entry = variable.values; entry->text && !stopped(); ++entry) {
            const std::uint8_t value[] = {static_cast<std::uint8_t>(entry->value)};
            sweep.Ask(WithValue(setType, id, value), name, "set " + name + " to " + entry->text,
                      PayloadIs(WithValue(valueType, id, value)));
        }
        // Put back even after a stop: the device is left as it was found.
        sweep.Ask(WithValue(setType, id, original), name, "set " + name + " back to " + ValueText(variable, original),
                  PayloadIs(WithValue(valueType, id, original)));
    }
}

std::size_t SweepSteps(int modelRow, bool setValues)
{
    std::size_t steps = OfferedVariables(modelRow, MessageType::kQuery).size();
    if (!setValues)
        return steps;
    // A read, each listed value, and the way back.
    for (const std::size_t row : OfferedVariables(modelRow, MessageType::kSet)) {
        const ValueEntry* values = g_VariableTable[row].values;
        if (!values)
            continue;
        for (steps += 2; values->text; ++values)
            ++steps;
    }
    return steps;
}
