// The catalogue's sweep against every simulated model, against a device that gets some variables
// wrong, and the values a --set sweep must leave as it found them.

#include "simulated_bench.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "script/conformance_sweep.h"
#include "script/row_wait.h"

namespace {

constexpr int kFenlow = 5;

// The device's present value of a variable, asked over the line.
std::optional<CountedBytes> QueryValue(CDeviceSession& session, std::uint8_t id)
{
    std::string error;
    if (!session.Send(CountedBytes{20, id}, error))
        return std::nullopt;
    const auto isValue = [id](const ArrivedRow& row) {
        return row.payload.Count() >= 2 && row.payload[0] == 20 && row.payload[1] == id;
    };
    const WaitResult answer = WaitForRow(session.Rows(), isValue, std::chrono::milliseconds(1000), false);
    return answer.passed ? std::optional(answer.payload) : std::nullopt;
}

} // namespace

TEST(ConformanceSweep, EverySimulatedModelPassesWithAndWithoutSet)
{
    for (int model = 0; model < static_cast<int>(kModelCount); ++model) {
        SimulatedBench bench(model);
        RunSweep(bench.session, model, true, bench.report);
        EXPECT_EQ(bench.report.Failed(), 0u) << ModelName(model) << "\n" << FormatSummary(bench.report);
        // One query per offered variable, then for each settable listed variable a read, every
        // listed value and the way back.
        std::size_t expected = OfferedVariables(model, 20).size();
        for (const std::size_t row : OfferedVariables(model, 21))
            if (const ValueEntry* values = g_VariableTable[row].values)
                for (expected += 2; values->text; ++values)
                    ++expected;
        EXPECT_EQ(bench.report.Passed(), expected) << ModelName(model);
    }
}

TEST(ConformanceSweep, NamesExactlyTheVariablesThatMisbehave)
{
    SimulatedBench bench(kFenlow, {{23, Misbehaviour::WrongValue},
                                   {24, Misbehaviour::Silent},
                                   {43, Misbehaviour::BadChecksum},
                                   {55, Misbehaviour::WrongValue}});
    RunSweep(bench.session, kFenlow, false, bench.report);
    EXPECT_EQ(bench.report.FailedSubjects(),
              (std::vector<std::string>{"Volume (23)", "Mute (24)", "Tuner Band (43)", "Input Name (55)"}));
    EXPECT_EQ(bench.report.Failed(), 4u);
    EXPECT_EQ(FormatSummary(bench.report).substr(FormatSummary(bench.report).find('\n')),
              "\nfailed: Volume (23), Mute (24), Tuner Band (43), Input Name (55)");
}

TEST(ConformanceSweep, SetPutsEveryValueBack)
{
    SimulatedBench bench(kFenlow);
    // Start away from the first listed values, so that putting back is more than resetting.
    std::string error;
    for (const CountedBytes& command : {CountedBytes{21, 43, 0}, CountedBytes{21, 24, 1}, CountedBytes{21, 64, 2}}) {
        ASSERT_TRUE(bench.session.Send(command, error)) << error;
        ASSERT_TRUE(QueryValue(bench.session, command[1]));
    }
    std::vector<std::pair<std::uint8_t, CountedBytes>> before;
    for (const std::size_t row : OfferedVariables(kFenlow, 21)) {
        const auto id = static_cast<std::uint8_t>(g_VariableTable[row].id);
        const auto value = QueryValue(bench.session, id);
        ASSERT_TRUE(value) << g_VariableTable[row].name;
        before.emplace_back(id, *value);
    }
    RunSweep(bench.session, kFenlow, true, bench.report);
    EXPECT_EQ(bench.report.Failed(), 0u) << FormatSummary(bench.report);
    for (const auto& [id, value] : before)
        EXPECT_EQ(QueryValue(bench.session, id), value) << "variable " << int(id);
}

TEST(ConformanceSweep, StopsWhenAskedButPutsBackWhatItChanged)
{
    SimulatedBench bench(kFenlow);
    std::atomic<bool> stop{false};
    std::vector<StepOutcome> steps;
    CTestReport report([&stop, &steps](const StepOutcome& step) {
        if (step.step.starts_with("set ") && step.step.find(" to ") != std::string::npos)
            stop = true; // the first value set: stop there
        steps.push_back(step);
    });
    RunSweep(bench.session, kFenlow, true, report, &stop);
    ASSERT_FALSE(steps.empty());
    EXPECT_NE(steps.back().step.find(" back to "), std::string::npos) << steps.back().step;
    EXPECT_EQ(report.Failed(), 0u);
}
