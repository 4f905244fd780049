// Finding and filtering a log of a million rows: a filter applied and cleared, a find that passes
// over every row (nothing matches), and the memory a filter holds per row. The rows are a live
// log's: received answers whose texts only the grid keeps.

#include "app/log_find.h"
#include "app/response_log.h"
#include "grid/grid_ctrl.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

namespace {

constexpr int kRows = 1'000'000;

// The log, made once for every benchmark: filling it takes longer than anything measured here.
struct BigLog {
    CGridCtrl grid{0, 0, 0, 0};
    CResponseLog log{grid};

    BigLog()
    {
        grid.resize(800, 600);
        log.SetUp();
        const auto start = std::chrono::system_clock::now();
        const char* const descriptions[] = {"Value Master Volume = -35.5 dB", "Value Mute = On", "Value Mute = Off",
                                            "RDS RT: Radio text so far, up to sixty-four characters long"};
        constexpr int kBatch = 10'000;
        for (int done = 0; done < kRows; done += kBatch) {
            log.BeginBatch();
            for (int i = done; i < done + kBatch; ++i)
                log.Add(ReceivedRow(start + std::chrono::milliseconds(i),
                                    {"", "1, 20, 21, 94, 86, 22, 2, 157", "20, 21, 22, " + std::to_string(i % 200),
                                     descriptions[i % 4]}));
            log.EndBatch();
        }
    }
};

BigLog& Log()
{
    static BigLog log;
    return log;
}

CTextRule Rule(const char* text)
{
    std::string error;
    return *CTextRule::Make(text, false, false, error);
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_FilterApply(benchmark::State& state)
{
    BigLog& big = Log();
    std::size_t held = 0;
    for (auto _ : state) {
        state.PauseTiming();
        big.log.SetFilter({});
        const std::size_t before = HeapInUse();
        state.ResumeTiming();
        big.log.SetFilter({Rule("mute"), false, false, false, std::nullopt});
        state.PauseTiming();
        held = HeapInUse() - before;
        state.ResumeTiming();
    }
    state.counters["rows_shown"] = static_cast<double>(big.log.PassedRows());
    state.counters["bytes_per_row_held"] = static_cast<double>(held) / kRows;
}
BENCHMARK(BM_FilterApply)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FilterClear(benchmark::State& state)
{
    BigLog& big = Log();
    for (auto _ : state) {
        state.PauseTiming();
        big.log.SetFilter({Rule("mute"), false, false, false, std::nullopt});
        state.ResumeTiming();
        big.log.SetFilter({});
    }
    state.counters["rows_shown"] = static_cast<double>(big.log.PassedRows());
}
BENCHMARK(BM_FilterClear)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FindWholeLog(benchmark::State& state, bool regex)
{
    BigLog& big = Log();
    big.log.SetFilter({});
    std::string error;
    const CTextRule rule = *CTextRule::Make(regex ? "Volume = -9[0-9]" : "not there", regex, false, error);
    int found = 0;
    for (auto _ : state) {
        bool wrapped = false;
        found = FindLogRow(big.grid, rule, big.grid.GetFixedRowCount(), true, wrapped);
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}
BENCHMARK_CAPTURE(BM_FindWholeLog, text, false)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_FindWholeLog, regex, true)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
