// Packets per second from the simulated device's flood through a pseudo-terminal, the serial
// port and the receive worker: the path every received packet takes. The same through ser2net,
// raw and RFC 2217, shows what a network gateway on this machine adds.

#include "serial/line_settings.h"
#include "catalogue/radio_text.h"
#include "log/log_row.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"
#include "simulator/simulator_thread.h"
#include "support/ser2net_gateway.h"

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

namespace {

constexpr std::size_t kFlood = 20'000;

// Counts valid packets; with rows, also makes each row's texts as a front end does.
class CountingSink : public IRowSink {
public:
    explicit CountingSink(bool makeRows) : m_makeRows(makeRows) {}

    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override
    {
        if (m_makeRows)
            benchmark::DoNotOptimize(MakePacketRow(when, frame, payload, checksumError, m_radioText));
        std::lock_guard lock(m_mutex);
        if (payload)
            ++m_valid;
        else
            ++m_invalid;
        if (m_valid >= kFlood + 1)
            m_done.notify_all();
    }
    void ReportLineError(Clock::time_point, std::uint32_t) override
    {
        std::lock_guard lock(m_mutex);
        ++m_invalid;
    }
    void OnPortEvent(Clock::time_point, PortEvent, const std::string&) override {}

    // The answer to the query and the whole flood, or false after a minute.
    bool WaitForAll()
    {
        std::unique_lock lock(m_mutex);
        return m_done.wait_for(lock, std::chrono::minutes(1), [&] { return m_valid >= kFlood + 1; })
            && m_invalid == 0;
    }

private:
    bool m_makeRows;
    CRadioText m_radioText;
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::size_t m_valid = 0;
    std::size_t m_invalid = 0;
};

void FloodThroughPty(benchmark::State& state, bool makeRows, std::optional<Ser2NetGateway::Mode> gatewayMode = {})
{
    SimulatorOptions options;
    options.flood = kFlood;
    options.rdsInterval = std::chrono::hours(1);
    const std::uint8_t query[] = {1, 20, 20, 2, 215};
    for (auto _ : state) {
        state.PauseTiming();
        auto simulator = std::make_unique<CSimulatorThread>(0, options);
        CountingSink sink(makeRows);
        CSerialPort port;
        std::unique_ptr<Ser2NetGateway> gateway;
        std::string error;
        if (gatewayMode && simulator->Started()) {
            gateway = std::make_unique<Ser2NetGateway>(simulator->PortName(), *gatewayMode);
            if (!gateway->Start(error)) {
                state.SkipWithError(error.c_str());
                return;
            }
        }
        const std::string portName = gateway ? gateway->PortName() : simulator->PortName();
        if (!simulator->Started() || !port.Open(portName, kDeviceLineSettings)) {
            state.SkipWithError("cannot set up the simulated device");
            return;
        }
        ReceiveWorker worker(port, sink);
        worker.Start();
        state.ResumeTiming();

        std::size_t done = 0;
        port.Write(query, sizeof query, &done);
        if (!sink.WaitForAll()) {
            state.SkipWithError("packets went missing");
            return;
        }

        state.PauseTiming();
        worker.RequestStop();
        port.Close();
        worker.Join();
        gateway.reset();
        simulator.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * (kFlood + 1)));
}

void BM_FloodThroughPty(benchmark::State& state)
{
    FloodThroughPty(state, false);
}
BENCHMARK(BM_FloodThroughPty)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloodThroughPtyWithRowTexts(benchmark::State& state)
{
    FloodThroughPty(state, true);
}
BENCHMARK(BM_FloodThroughPtyWithRowTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloodThroughSer2NetRaw(benchmark::State& state)
{
    FloodThroughPty(state, false, Ser2NetGateway::Mode::Raw);
}
BENCHMARK(BM_FloodThroughSer2NetRaw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloodThroughSer2NetRfc2217(benchmark::State& state)
{
    FloodThroughPty(state, false, Ser2NetGateway::Mode::Rfc2217);
}
BENCHMARK(BM_FloodThroughSer2NetRfc2217)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
