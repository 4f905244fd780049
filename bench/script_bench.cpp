// The test scripts' worst cases: patterns that take a backtracking engine minutes, matched by
// RE2 against a device-length text and a 1 MB one; and the heap of a soak (a million steps) and
// of a flooded wait (rows arriving while no expect takes them), counted as they go on.

#include "script/compiled_pattern.h"
#include "script/received_rows.h"
#include "script/test_report.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

namespace {

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void Match(benchmark::State& state, const char* pattern, std::string text)
{
    std::string error;
    const auto compiled = CompiledPattern::Compile(pattern, error);
    if (!compiled) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(compiled->MatchesWhole(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void BM_AnyRepeatedThenX_21Chars(benchmark::State& state) { Match(state, "(.*)*x", std::string(21, 'y')); }
void BM_AnyRepeatedThenX_1MB(benchmark::State& state) { Match(state, "(.*)*x", std::string(1 << 20, 'y')); }
void BM_NestedPlus_40AsAndB(benchmark::State& state) { Match(state, "(a+)+$", std::string(40, 'a') + "b"); }
void BM_NestedPlus_1MB(benchmark::State& state) { Match(state, "(a+)+$", std::string((1 << 20) - 1, 'a') + "b"); }

// The heap after each tenth of a million steps handed to the report, as the step lines are.
void BM_SoakHeapOverTime(benchmark::State& state)
{
    for (auto _ : state) {
        const std::size_t start = HeapInUse();
        std::size_t peak = 0;
        CTestReport report([](const StepOutcome& step) { benchmark::DoNotOptimize(step.arrived.size()); });
        report.BeginSuite("soak.vxs");
        for (int i = 1; i <= 1'000'000; ++i) {
            report.Add({"soak.vxs", 3, std::to_string(i) + "/1000000", "expect payload 20 20", true, "Value Device ID = Elmora",
                        std::chrono::milliseconds(1), true, {}});
            if (i % 100'000 == 0) {
                const std::size_t grown = HeapInUse() - start;
                peak = std::max(peak, grown);
                state.counters["heap_kb_at_" + std::to_string(i / 1000) + "k"] = static_cast<double>(grown) / 1024;
            }
        }
        state.counters["peak_heap_kb"] = static_cast<double>(peak) / 1024;
    }
}

// A device floods a million rows while no expect takes them.
void BM_FloodedWaitHeapOverTime(benchmark::State& state)
{
    for (auto _ : state) {
        const std::size_t start = HeapInUse();
        CReceivedRows rows;
        const CountedBytes payload{20, 20, 69, 108, 109, 111, 114, 97};
        for (int i = 1; i <= 1'000'000; ++i) {
            rows.LogPacket(IRowSink::Clock::now(), payload, &payload, false);
            if (i % 100'000 == 0)
                state.counters["heap_kb_at_" + std::to_string(i / 1000) + "k"]
                    = static_cast<double>(HeapInUse() - start) / 1024;
        }
        state.counters["let_go"] = static_cast<double>(rows.TakeLetGo());
    }
}

} // namespace

BENCHMARK(BM_AnyRepeatedThenX_21Chars);
BENCHMARK(BM_AnyRepeatedThenX_1MB);
BENCHMARK(BM_NestedPlus_40AsAndB);
BENCHMARK(BM_NestedPlus_1MB);
BENCHMARK(BM_SoakHeapOverTime)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloodedWaitHeapOverTime)->Iterations(1)->Unit(benchmark::kMillisecond);
