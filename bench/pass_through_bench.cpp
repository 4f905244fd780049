// Passing a watched line through: the time a byte takes from the controller's port to the
// device's (what the pass-through adds to the line), and the bytes per second it carries.
// Both ends are pseudo-terminals, which have no baud rate: what is measured is the tool alone.

#include "serial/line_settings.h"
#include "serial/line_watch.h"
#include "serial/row_sink.h"
#include "serial/serial_port.h"
#include "simulator/pseudo_terminal.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <span>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Rows are counted, as cheaply as a sink can take them: the cost measured is the passing.
class CountingRows : public IRowSink {
public:
    void LogPacket(Clock::time_point, const CountedBytes&, const CountedBytes*, bool) override { ++rows; }
    void ReportLineError(Clock::time_point, std::uint32_t) override { ++rows; }
    void OnPortEvent(Clock::time_point, PortEvent, const std::string&) override {}
    std::atomic<std::size_t> rows{0};
};

// A controller and a device, each a pseudo-terminal the benchmark drives, passed through.
struct WatchedLine {
    WatchedLine()
    {
        std::string error;
        ready = controllerEnd.Create(error) && deviceEnd.Create(error)
            && controllerPort.Open(controllerEnd.SlavePath(), kDeviceLineSettings)
            && devicePort.Open(deviceEnd.SlavePath(), kDeviceLineSettings);
        if (ready)
            watch.Start();
    }

    // Reads count bytes at the device's end; false when they do not come within a minute.
    bool DeviceReceives(std::size_t count)
    {
        std::uint8_t block[4096];
        const auto giveUp = Clock::now() + std::chrono::seconds(60);
        while (count > 0 && Clock::now() < giveUp) {
            deviceEnd.WaitInput(std::chrono::milliseconds(100));
            count -= std::min(count, deviceEnd.ReadAvailable(std::span(block, std::min(count, sizeof block))));
        }
        return count == 0;
    }

    CPseudoTerminal controllerEnd;
    CPseudoTerminal deviceEnd;
    CSerialPort controllerPort;
    CSerialPort devicePort;
    CountingRows controllerRows;
    CountingRows deviceRows;
    CLineWatch watch{controllerPort, controllerRows, devicePort, deviceRows, true};
    bool ready = false;
};

// One byte at a time, as a 9600-baud line delivers them (one every 1.04 ms): the time from its
// write at the controller to its arrival at the device. max_us is the slowest byte.
void BM_PassThroughLatencyPerByte(benchmark::State& state)
{
    WatchedLine line;
    if (!line.ready) {
        state.SkipWithError("cannot set up the pseudo-terminals");
        return;
    }
    double slowest = 0;
    std::uint8_t byte = 0;
    for (auto _ : state) {
        ++byte;
        const std::uint8_t one[] = {static_cast<std::uint8_t>(byte | 0x20)};
        const auto start = Clock::now();
        if (!line.controllerEnd.WriteAll(one, std::chrono::seconds(10)) || !line.DeviceReceives(1)) {
            state.SkipWithError("a byte did not pass");
            return;
        }
        const double took = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        slowest = std::max(slowest, took);
        state.SetIterationTime(took / 1e6);
    }
    state.counters["max_us"] = slowest;
}
BENCHMARK(BM_PassThroughLatencyPerByte)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(5000);

// A flood of packets from the controller: bytes per second passed on, one way and both ways.
void PassThroughFlood(benchmark::State& state, bool bothWays)
{
    WatchedLine line;
    if (!line.ready) {
        state.SkipWithError("cannot set up the pseudo-terminals");
        return;
    }
    std::vector<std::uint8_t> packets;
    for (int i = 0; i < 100'000; ++i) {
        const std::uint8_t packet[] = {1, 20, 23, static_cast<std::uint8_t>(0x20 + i % 0x3E), 2, 0};
        packets.insert(packets.end(), std::begin(packet), std::end(packet));
    }
    for (auto _ : state) {
        // Each end reads while it writes, as a controller and a device do.
        std::thread answers;
        std::thread answersRead;
        if (bothWays) {
            answers = std::thread([&] { line.deviceEnd.WriteAll(packets, std::chrono::seconds(60)); });
            answersRead = std::thread([&] {
                std::uint8_t block[4096];
                const auto giveUp = Clock::now() + std::chrono::seconds(60);
                for (std::size_t got = 0; got < packets.size() && Clock::now() < giveUp;) {
                    line.controllerEnd.WaitInput(std::chrono::milliseconds(100));
                    got += line.controllerEnd.ReadAvailable(block);
                }
            });
        }
        std::thread commands([&] { line.controllerEnd.WriteAll(packets, std::chrono::seconds(60)); });
        const bool passed = line.DeviceReceives(packets.size());
        commands.join();
        if (bothWays) {
            answers.join();
            answersRead.join();
        }
        if (!passed) {
            state.SkipWithError("bytes went missing");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packets.size() * (bothWays ? 2 : 1)));
}

void BM_PassThroughFloodOneWay(benchmark::State& state)
{
    PassThroughFlood(state, false);
}
BENCHMARK(BM_PassThroughFloodOneWay)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PassThroughFloodBothWays(benchmark::State& state)
{
    PassThroughFlood(state, true);
}
BENCHMARK(BM_PassThroughFloodBothWays)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
