// The simulated device and the monitor, run as two programs the way ./run shows them.

#include "cli_run.h"
#include "support/spawn_quietly.h"

#include "serial/line_settings.h"
#include "serial/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// "vantrolix-cli simulate" in the background, reachable through a link of its own.
class BackgroundSimulator {
public:
    explicit BackgroundSimulator(std::vector<std::string> extra = {})
    {
        link = ::testing::TempDir() + "vantrolix-sim-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
        std::vector<std::string> args = {VANTROLIX_CLI_PATH, "simulate", "--link", link};
        args.insert(args.end(), extra.begin(), extra.end());
        m_pid = SpawnQuietly(args);
        EXPECT_NE(m_pid, 0);
        for (int i = 0; i < 200 && !std::filesystem::exists(link); ++i)
            std::this_thread::sleep_for(10ms);
    }
    ~BackgroundSimulator()
    {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the simulator did not stop cleanly";
        EXPECT_FALSE(std::filesystem::exists(link)) << "the simulator left its link behind";
    }

    std::string link;

private:
    pid_t m_pid = 0;
    static inline int s_count = 0;
};

// Tab-separated columns of a monitor row.
std::vector<std::string> Columns(const std::string& row)
{
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (std::size_t tab; (tab = row.find('\t', start)) != std::string::npos; start = tab + 1)
        columns.push_back(row.substr(start, tab - start));
    columns.push_back(row.substr(start));
    return columns;
}

} // namespace

TEST(CliMonitor, ShowsTheSimulatedDevicesAnswers)
{
    BackgroundSimulator simulator({"--model", "Elmora"});
    const std::string input = ::testing::TempDir() + "vantrolix-monitor-input";
    std::ofstream(input) << "20 21\n\n23\n";
    const CliRun run = RunCli("monitor --port '" + simulator.link + "' --send '20 20' < '" + input + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const auto rows = Lines(run.out);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    const auto first = Columns(rows[0]);
    ASSERT_EQ(first.size(), 4u) << rows[0];
    EXPECT_EQ(first[0].size(), 8u); // HH:MM:SS
    EXPECT_EQ(first[1], "1, 20, 20, 69, 108, 109, 111, 114, 97, 2, 119");
    EXPECT_EQ(first[2], "20, 20, 69, 108, 109, 111, 114, 97");
    EXPECT_EQ(first[3], "Value Device ID = Elmora");
    EXPECT_EQ(Columns(rows[1])[3], "Value Power Mode = On");
    EXPECT_EQ(Columns(rows[2])[3], "Software Version");
}

TEST(CliMonitor, StopsAfterTheGivenSecondsAndShowsChecksumErrors)
{
    BackgroundSimulator simulator({"--model", "Dunvey", "--bad-checksum"});
    const auto start = std::chrono::steady_clock::now();
    // Standard input ends at once; the monitor keeps listening until the time is up.
    const CliRun run = RunCli("monitor --port '" + simulator.link + "' --send '20 20' --seconds 0.5 < /dev/null");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 500ms);
    EXPECT_LT(elapsed, 1500ms);
    ASSERT_EQ(Lines(run.out).size(), 1u) << run.out;
    EXPECT_EQ(Columns(Lines(run.out)[0])[2], "Checksum Error!");
    EXPECT_EQ(Columns(Lines(run.out)[0])[3], "");
}

TEST(CliMonitor, CannotOpenThePort)
{
    const CliRun run = RunCli("monitor --port ttyVantrolixNone --seconds 1");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "vantrolix-cli: cannot open ttyVantrolixNone: there is no such port: ttyVantrolixNone "
                       "(/dev/ttyVantrolixNone)\n");

    BackgroundSimulator simulator;
    CSerialPort holder; // another program has the port
    ASSERT_TRUE(holder.Open(simulator.link, std::string(kDeviceLineSettings))) << holder.GetOpenError();
    const CliRun busy = RunCli("monitor --port '" + simulator.link + "' --seconds 1");
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.out, "vantrolix-cli: cannot open " + simulator.link + ": " + simulator.link
                            + " is in use by another program\n");
}

TEST(CliSimulate, RefusesAnUnknownModel)
{
    const CliRun run = RunCli("simulate --model Nobody");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.starts_with("vantrolix-cli: no model named \"Nobody\"; the models are: Arvane,")) << run.out;
}
