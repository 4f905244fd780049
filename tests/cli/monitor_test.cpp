// The simulated device and the monitor, run as two programs the way ./run shows them.

#include "cli_run.h"

#include "serial/line_settings.h"
#include "serial/serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
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
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        EXPECT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
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

TEST(CliMonitor, LogRecordsEveryPrintedRowWithTheCommandsAndPortEvents)
{
    BackgroundSimulator simulator({"--model", "Elmora"});
    const std::string dir = ::testing::TempDir() + "vantrolix-monitor-log-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string log = dir + "/run.tsv";
    const std::string input = dir + "/input";
    std::ofstream(input) << "20 21\n";
    const CliRun run = RunCli("monitor --port '" + simulator.link + "' --send '20 20' --log '" + log + "' < '" + input
                              + "' 2>/dev/null");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    ASSERT_EQ(Lines(run.out).size(), 2u) << run.out;

    // Read back with the console tool: the same rows, the same layout.
    EXPECT_EQ(RunCli("session '" + log + "'").out, run.out);
    const auto all = Lines(RunCli("session --all '" + log + "'").out);
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(Columns(all[0])[1], "Port opened: " + simulator.link);
    EXPECT_EQ(Columns(all[1])[1], "Sent: 1, 20, 20, 2, 215");
    EXPECT_EQ(Columns(all[1])[3], "Query Device ID");
    EXPECT_EQ(Columns(all.back())[1], "Port closed: " + simulator.link);

    // A second run continues the same file; a file that is no session is never touched.
    ASSERT_EQ(RunCli("monitor --port '" + simulator.link + "' --send '20 21' --seconds 0.3 --log '" + log
                     + "' < /dev/null")
                  .exitCode,
              0);
    EXPECT_EQ(Lines(RunCli("session --all '" + log + "'").out).size(), 10u);
    std::ofstream(dir + "/notes.txt") << "mine\n";
    const CliRun refused = RunCli("monitor --port '" + simulator.link + "' --seconds 0.3 --log '" + dir + "/notes.txt'");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("is not a session file"), std::string::npos) << refused.out;
    std::ifstream notes(dir + "/notes.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(notes), {}), "mine\n");
    std::filesystem::remove_all(dir);
}

TEST(CliMonitor, LogKilledMidFloodHoldsAPrefixOfThePrintedRows)
{
    BackgroundSimulator simulator({"--model", "Arvane", "--flood", "1000000"});
    const std::string dir = ::testing::TempDir() + "vantrolix-monitor-kill-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string log = dir + "/flood.tsv";
    const std::string out = dir + "/out.txt";
    const std::string command = std::string("exec '") + VANTROLIX_CLI_PATH + "' monitor --port '" + simulator.link
        + "' --send '20 20' --seconds 60 --log '" + log + "' < /dev/null > '" + out + "' 2>/dev/null";
    pid_t pid = 0;
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    // Mid-flood: the file has grown well past its first rows.
    const auto giveUp = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < giveUp
           && (!std::filesystem::exists(log) || std::filesystem::file_size(log) < 400'000))
        std::this_thread::sleep_for(10ms);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    // Every recorded row was printed first, in the same order; nothing in the file is damaged but
    // perhaps its last line.
    const CliRun replay = RunCli("session '" + log + "' 2>/dev/null");
    EXPECT_EQ(replay.exitCode, 0);
    const auto recorded = Lines(replay.out);
    std::ifstream printedFile(out);
    std::vector<std::string> printed;
    for (std::string line; std::getline(printedFile, line);)
        printed.push_back(line);
    ASSERT_GT(recorded.size(), 1000u);
    ASSERT_LE(recorded.size(), printed.size());
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        const auto a = Columns(recorded[i]);
        const auto b = Columns(printed[i]);
        ASSERT_EQ(std::vector(a.begin() + 1, a.end()), std::vector(b.begin() + 1, b.end())) << "row " << i;
        ASSERT_NE(a[2], "Invalid Packet!") << "row " << i;
    }
    std::filesystem::remove_all(dir);
}
