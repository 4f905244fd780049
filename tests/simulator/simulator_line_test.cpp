// The simulated device on its pseudo-terminal, seen through the tool's own port and worker.

#include "serial/line_settings.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"
#include "simulator/simulator_thread.h"
#include "protocol/receive_framer.h"
#include "support/settled_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Counts the rows by kind; keeps the payloads of valid packets.
class CountingSink : public IRowSink {
public:
    void LogPacket(Clock::time_point, const CountedBytes&, const CountedBytes* payload, bool checksumError) override
    {
        std::lock_guard lock(m_mutex);
        if (payload) {
            ++valid;
            if (keepPayloads)
                payloads.push_back(FormatBytes(*payload));
        } else if (checksumError) {
            ++checksumErrors;
        } else {
            ++broken;
        }
        m_changed.notify_all();
    }
    void ReportLineError(Clock::time_point, std::uint32_t) override
    {
        std::lock_guard lock(m_mutex);
        ++lineErrors;
    }
    void OnPortEvent(Clock::time_point, PortEvent, const std::string&) override {}

    // Waits until at least count valid packets have been logged or the time is up.
    std::size_t WaitForValid(std::size_t count, std::chrono::milliseconds timeout)
    {
        WaitUntil([&] { return valid >= count; }, timeout);
        std::lock_guard lock(m_mutex);
        return valid;
    }
    // Waits until the counts satisfy the condition or the time is up; whether they do.
    template <typename F>
    bool WaitUntil(F&& condition, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, condition);
    }
    template <typename F>
    auto Read(F&& f)
    {
        std::lock_guard lock(m_mutex);
        return f();
    }

    bool keepPayloads = true;
    std::size_t valid = 0;
    std::size_t checksumErrors = 0;
    std::size_t broken = 0;
    std::size_t lineErrors = 0;
    std::vector<std::string> payloads;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

// A simulated device with the tool's port and worker on the other end of the line.
class SimulatorLine {
public:
    explicit SimulatorLine(const SimulatorOptions& options, bool keepPayloads = true)
        : m_simulator(0, options)
    {
        sink.keepPayloads = keepPayloads;
        EXPECT_TRUE(m_simulator.Started()) << m_simulator.Error();
        EXPECT_TRUE(port.Open(m_simulator.PortName(), kDeviceLineSettings)) << port.GetOpenError();
        m_worker.Start();
    }
    ~SimulatorLine()
    {
        m_worker.RequestStop();
        port.Close();
        m_worker.Join();
    }

    void Send(const std::vector<std::uint8_t>& packet)
    {
        std::size_t done = 0;
        EXPECT_TRUE(port.Write(packet.data(), packet.size(), &done));
    }
    const CSimulatorRunner& Runner() const { return m_simulator.Runner(); }

    CountingSink sink;
    CSerialPort port;

private:
    CSimulatorThread m_simulator;
    ReceiveWorker m_worker{port, sink};
};

const std::vector<std::uint8_t> kDeviceIdQuery = {1, 20, 20, 2, 215};

SimulatorOptions Quiet()
{
    SimulatorOptions options;
    options.rdsInterval = 1h;
    options.seed = 7;
    return options;
}

} // namespace

TEST(SimulatorLine, AnswersTheDeviceIdQuery)
{
    SimulatorLine line(Quiet());
    line.Send(kDeviceIdQuery);
    ASSERT_EQ(line.sink.WaitForValid(1, 2s), 1u);
    EXPECT_EQ(line.sink.Read([&] { return line.sink.payloads; }),
              std::vector<std::string>{"20, 20, 65, 114, 118, 97, 110, 101"});
}

TEST(SimulatorLine, SendsRadioDataOfItsOwnAccord)
{
    SimulatorOptions options = Quiet();
    options.rdsInterval = 20ms;
    SimulatorLine line(options);
    ASSERT_GE(line.sink.WaitForValid(3, 2s), 3u);
    const auto payloads = line.sink.Read([&] { return line.sink.payloads; });
    EXPECT_EQ(payloads[0].substr(0, 3), "27,");
    EXPECT_EQ(payloads[1].substr(0, 6), "28, 0,");
}

TEST(SimulatorLine, BadChecksumSpoilsEveryPacket)
{
    SimulatorOptions options = Quiet();
    options.badChecksum = true;
    SimulatorLine line(options);
    line.Send(kDeviceIdQuery);
    line.Send({1, 20, 43, 2, 192});
    line.Send({1, 23, 2, 232});
    EXPECT_TRUE(line.sink.WaitUntil([&] { return line.sink.checksumErrors >= 3; }, 10s));
    line.sink.Read([&] {
        EXPECT_EQ(line.sink.checksumErrors, 3u);
        EXPECT_EQ(line.sink.valid + line.sink.broken + line.sink.lineErrors, 0u);
        return 0;
    });
}

TEST(SimulatorLine, NoiseBreaksFramesButNoPacket)
{
    SimulatorOptions options = Quiet();
    options.noise = true;
    options.flood = 300;
    SimulatorLine line(options);
    line.Send(kDeviceIdQuery);
    EXPECT_EQ(line.sink.WaitForValid(301, 30s), 301u);
    EXPECT_TRUE(line.sink.WaitUntil([&] { return line.sink.broken > 50; }, 10s));
    line.sink.Read([&] {
        EXPECT_EQ(line.sink.checksumErrors, 0u);
        return 0;
    });
}

// Load: 100,000 packets as fast as the pseudo-terminal takes them, every one framed and logged
// as valid through the real port and worker.
TEST(SimulatorLine, FloodOfOneHundredThousandPacketsLosesNone)
{
    constexpr std::size_t kFlood = 100'000;
    SimulatorOptions options = Quiet();
    options.flood = kFlood;
    SimulatorLine line(options, false);
    line.Send(kDeviceIdQuery);
    EXPECT_EQ(line.sink.WaitForValid(kFlood + 1, 60s), kFlood + 1);
    std::this_thread::sleep_for(50ms);
    line.sink.Read([&] {
        EXPECT_EQ(line.sink.valid, kFlood + 1); // the answer to the query, then the flood
        EXPECT_EQ(line.sink.broken + line.sink.checksumErrors + line.sink.lineErrors, 0u);
        return 0;
    });
    EXPECT_EQ(line.Runner().FloodSent(), kFlood);
}

namespace {

class ValidFrames : public IFrameSink {
public:
    void OnFrame(const CountedBytes&, const CountedBytes* payload, bool) override { count += payload != nullptr; }
    std::size_t count = 0;
};

} // namespace

// The tool stops reading in the middle of a flood: the line fills and the writes stall. Stopping
// then is quick, and the packets counted as sent are exactly those that reached the tool whole.
TEST(SimulatorLine, StallsStopQuicklyAndCountOnlyWhatWentOut)
{
    CPseudoTerminal line;
    std::string error;
    ASSERT_TRUE(line.Create(error)) << error;
    CSimulatedDevice device(0);
    SimulatorOptions options = Quiet();
    options.flood = 1'000'000'000;
    CSimulatorRunner runner(line, device, options);
    std::atomic<bool> stop{false};
    std::thread serving([&] { runner.Run(stop); });

    const int tool = open(line.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(tool, 0);
    ASSERT_EQ(write(tool, kDeviceIdQuery.data(), kDeviceIdQuery.size()), static_cast<ssize_t>(kDeviceIdQuery.size()));
    ASSERT_GT(WaitForSettledInput(tool), 0);

    const auto start = std::chrono::steady_clock::now();
    stop = true;
    serving.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms); // 20 ms, with room for a loaded machine

    ValidFrames frames;
    CReceiveFramer framer(frames);
    std::uint8_t buffer[4096];
    for (ssize_t n; (n = read(tool, buffer, sizeof buffer)) > 0;)
        for (ssize_t i = 0; i < n; ++i)
            framer.PutByte(buffer[i]);
    EXPECT_EQ(frames.count, runner.PacketsSent());
    EXPECT_GT(frames.count, 1u);
    close(tool);
}
