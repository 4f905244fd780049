// Start-up: processor time from the program's start to the first paint of its window, and its
// peak resident memory by then, offscreen; beside it a bare Qt Widgets window, empty and with a
// line of text (bare_window_probe), started the same way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

struct Program {
    const char* path;
    const char* argument;
};

constexpr Program kVantrolix{VANTROLIX_PROBE_PATH, nullptr};
constexpr Program kBareWindow{BARE_WINDOW_PROBE_PATH, nullptr};
constexpr Program kWindowWithText{BARE_WINDOW_PROBE_PATH, "text"};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each iteration starts every program once, in turn, so that what the machine does meanwhile
// falls on all of them alike; the medians leave out the starts a busy moment slowed.
void BM_StartsSideBySide(benchmark::State& state)
{
    const Program programs[] = {kVantrolix, kWindowWithText, kBareWindow};
    std::vector<double> cpuMs[3];
    long peakKb[3] = {};
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i) {
            const Start start = StartOnce(programs[i].path, programs[i].argument);
            if (!start.ok) {
                state.SkipWithError("a program did not reach its first paint");
                return;
            }
            cpuMs[i].push_back(start.cpuMs);
            peakKb[i] = std::max(peakKb[i], start.peakKb);
        }
    }
    const double vantrolix = Median(cpuMs[0]);
    const double withText = Median(cpuMs[1]);
    const double bare = Median(cpuMs[2]);
    state.counters["vantrolix_cpu_ms"] = vantrolix;
    state.counters["text_window_cpu_ms"] = withText;
    state.counters["bare_window_cpu_ms"] = bare;
    state.counters["ratio_to_text_window"] = vantrolix / withText;
    state.counters["ratio_to_bare_window"] = vantrolix / bare;
    state.counters["vantrolix_peak_MB"] = static_cast<double>(peakKb[0]) / 1024.0;
    state.counters["text_window_peak_MB"] = static_cast<double>(peakKb[1]) / 1024.0;
    state.counters["bare_window_peak_MB"] = static_cast<double>(peakKb[2]) / 1024.0;
}
BENCHMARK(BM_StartsSideBySide)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

} // namespace
