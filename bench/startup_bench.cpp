// Start-up: processor time from the program's start to the first paint of its window, and its
// peak resident memory by then, offscreen; beside it a bare Qt Widgets window (bare_window_probe)
// started the same way.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Start {
    bool ok = false;
    double cpuMs = 0;
    long peakKb = 0;
};

Start StartOnce(const char* program, const char* argument)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(program, program, argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Start start;
    start.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && std::sscanf(text.c_str(), "cpu_ms %lf", &start.cpuMs) == 1;
    start.peakKb = usage.ru_maxrss;
    return start;
}

void Starts(benchmark::State& state, const char* program, const char* argument = nullptr)
{
    double cpuMs = 0;
    long peakKb = 0;
    for (auto _ : state) {
        const Start start = StartOnce(program, argument);
        if (!start.ok) {
            state.SkipWithError("the program did not reach its first paint");
            return;
        }
        cpuMs += start.cpuMs;
        peakKb = std::max(peakKb, start.peakKb);
    }
    state.counters["cpu_ms_to_first_paint"] = cpuMs / static_cast<double>(state.iterations());
    state.counters["peak_resident_MB"] = static_cast<double>(peakKb) / 1024.0;
}

void BM_VantrolixStart(benchmark::State& state)
{
    Starts(state, VANTROLIX_PROBE_PATH);
}
BENCHMARK(BM_VantrolixStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_PeerBareWindowStart(benchmark::State& state)
{
    Starts(state, BARE_WINDOW_PROBE_PATH);
}
BENCHMARK(BM_PeerBareWindowStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_PeerWindowWithTextStart(benchmark::State& state)
{
    Starts(state, BARE_WINDOW_PROBE_PATH, "text");
}
BENCHMARK(BM_PeerWindowWithTextStart)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace
