// The simulated device and the monitor, run as two programs the way ./run shows them.

#include "background_simulator.h"
#include "cli_run.h"

#include "serial/line_settings.h"
#include "serial/serial_port.h"
#include "simulator/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <spawn.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;


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
    EXPECT_LT(elapsed, 5s); // half a second is the behaviour; room for a loaded machine
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
    ASSERT_TRUE(holder.Open(simulator.link, kDeviceLineSettings)) << holder.GetOpenError();
    const CliRun busy = RunCli("monitor --port '" + simulator.link + "' --seconds 1");
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_EQ(busy.out, "vantrolix-cli: cannot open " + simulator.link + ": " + simulator.link
                            + " is in use by another program\n");
}

TEST(CliSimulate, RefusesAnUnknownModel)
{
    const CliRun run = RunCli("simulate --model Nobody");
    EXPECT_EQ(run.exitCode, 2);
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

// A text that would put other bytes on the line than the ones written never goes out: as --send
// it is a usage error found before the port opens (so a missing port does not even matter); as a
// line of standard input it is named and skipped.
TEST(CliMonitor, RefusesCommandTextThatIsNotSentAsWritten)
{
    const CliRun usage = RunCli("monitor --port ttyVantrolixNone --send '20 20' --send '20 300' --seconds 1");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.out, "vantrolix-cli: --send refused, nothing was sent: value 2 (\"300\") is not a byte value: "
                         "write 0 to 255, or 0x00 to 0xFF\n");

    BackgroundSimulator simulator({"--model", "Elmora"});
    const std::string input = ::testing::TempDir() + "vantrolix-monitor-bad-input";
    std::string tooMany;
    for (int i = 0; i < 128; ++i)
        tooMany += "20 ";
    std::ofstream(input) << "20 300\nabc\n" << tooMany << "\n20 <invalid> 21\n20 21\n";
    const std::string log = ::testing::TempDir() + "vantrolix-monitor-bad-input.tsv";
    std::filesystem::remove(log);
    const CliRun run = RunCli("monitor --port '" + simulator.link + "' --log '" + log + "' < '" + input + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const auto lines = Lines(run.out);
    // Four refusals, then the one answer: to the only command that went out.
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], "vantrolix-cli: not sent: value 2 (\"300\") is not a byte value: write 0 to 255, or 0x00 to 0xFF");
    EXPECT_TRUE(lines[1].starts_with("vantrolix-cli: not sent: value 1 (\"abc\")")) << lines[1];
    EXPECT_TRUE(lines[2].starts_with("vantrolix-cli: not sent: value 128 (\"20\") is one too many")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("vantrolix-cli: not sent: value 2 (\"<invalid>\")")) << lines[3];
    EXPECT_EQ(Columns(lines[4])[3], "Value Power Mode = On");
    const auto sent = Lines(RunCli("session --all '" + log + "'").out);
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(), [](const std::string& row) { return row.find("\tSent: ") != std::string::npos; }), 1);
    std::filesystem::remove(log);
}

// A record that could not be written is a failed run, as it is for run and sweep.
TEST(CliMonitor, ALogThatCannotBeWrittenFailsTheRun)
{
    BackgroundSimulator simulator({"--model", "Elmora"});
    const std::string log = ::testing::TempDir() + "vantrolix-monitor-full.tsv";
    // A session file already at the size limit the shell sets below: the first row does not fit.
    std::string text = "Time\tDirection\tEncoded\tData\tDescription\n";
    text.resize(4096, '\n');
    std::ofstream(log, std::ios::binary) << text;
    const CliRun run = RunShell("trap '' XFSZ; ulimit -f 4; \"$CLI\" monitor --port '" + simulator.link
                                + "' --send '20 20' --log '" + log + "' < /dev/null 2>&1");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("no longer recorded"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Value Device ID = Elmora"), std::string::npos) << run.out; // rows still printed
    std::filesystem::remove(log);
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

namespace {

// A port whose far end the test holds and never reads.
class SilentPeer {
public:
    SilentPeer()
    {
        std::string error;
        EXPECT_TRUE(m_line.Create(error)) << error;
    }
    const std::string& Port() const { return m_line.SlavePath(); }
    int Descriptor() const { return m_line.MasterDescriptor(); }

private:
    CPseudoTerminal m_line;
};

long ChildrenPeakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

} // namespace

TEST(CliMonitor, GivesThePortBackWithTheLineSettingsItFound)
{
    SilentPeer peer;
    termios before {};
    ASSERT_EQ(tcgetattr(peer.Descriptor(), &before), 0);
    // As a console line would be: canonical, echoing, no marking of bad bytes.
    before.c_lflag |= ICANON | ECHO | ISIG;
    before.c_iflag = (before.c_iflag | ICRNL) & ~PARMRK;
    ASSERT_EQ(tcsetattr(peer.Descriptor(), TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(peer.Descriptor(), &before), 0);

    const CliRun run = RunCli("monitor --port '" + peer.Port() + "' --seconds 0.2 < /dev/null");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    termios after {};
    ASSERT_EQ(tcgetattr(peer.Descriptor(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);

    // Ended by Ctrl+C while it waits for input that never comes: the same.
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, input[1]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string port = peer.Port();
    // The record tells when the monitor has the port: the port's marks alone come a moment
    // before its open has returned, and a stop then is a stop before the port opened.
    const std::filesystem::path record =
        std::filesystem::temp_directory_path() / ("monitor-settings-" + std::to_string(getpid()) + ".tsv");
    std::filesystem::remove(record);
    std::string recordPath = record.string();
    char* argv[] = {const_cast<char*>(VANTROLIX_CLI_PATH), const_cast<char*>("monitor"), const_cast<char*>("--port"),
                    port.data(), const_cast<char*>("--log"), recordPath.data(), nullptr};
    pid_t monitor = 0;
    ASSERT_EQ(posix_spawn(&monitor, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    const auto opened = [&record] {
        std::ifstream in(record);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return text.find("Port opened: ") != std::string::npos;
    };
    for (int i = 0; i < 3000 && !opened(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(opened());
    termios during {};
    ASSERT_EQ(tcgetattr(peer.Descriptor(), &during), 0);
    EXPECT_TRUE(during.c_iflag & PARMRK);
    kill(monitor, SIGINT);
    int status = 0;
    waitpid(monitor, &status, 0);
    close(input[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_EQ(tcgetattr(peer.Descriptor(), &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    std::filesystem::remove(record);
}

// The far end takes nothing: writes block. The deadline still ends the run, and a line of
// 100 MB on standard input is read in bounded memory, only its start kept.
TEST(CliMonitor, TheDeadlineEndsABlockedWriteAndALongLineStaysSmall)
{
    SilentPeer peer;
    // What the program takes anyway (a sanitizer's shadow memory makes it tens of megabytes).
    const CliRun quiet = RunCli("monitor --port '" + peer.Port() + "' --seconds 0.2 < /dev/null");
    EXPECT_EQ(quiet.exitCode, 0) << quiet.out;
    const long baseline = ChildrenPeakKilobytes();
    const CliRun longLine = RunCli("monitor --port '" + peer.Port() + "' "
                                   "< <(head -c 100000000 /dev/zero | tr '\\0' ' '; echo '20 20')");
    EXPECT_EQ(longLine.exitCode, 0) << longLine.out;
    EXPECT_NE(longLine.out.find("a line of standard input is longer than 16384 characters; the rest of it was not kept"),
              std::string::npos) << longLine.out;
    // Far below the line itself (measured before the blocked run below, which is no part of it).
    EXPECT_LT(ChildrenPeakKilobytes(), baseline + 32 * 1024)
        << "kB at the peak of the monitor (or its input's makers), against " << baseline << " kB without the line";

    const auto start = std::chrono::steady_clock::now();
    const CliRun blocked = RunCli("monitor --port '" + peer.Port() + "' --seconds 1 < <(yes '20 20' | head -n 100000)");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(blocked.exitCode, 0) << blocked.out;
    EXPECT_GE(took, 1s);
    EXPECT_LT(took, 10s); // the deadline is the behaviour: a second, with room for a loaded machine

}
