// run, sweep and session against what a hostile or careless set-up gives them: one file for two
// outputs, a reader that goes away, a stop at every stage, named pipes and links for paths, and
// runs that end early, whose JUnit report must say so.

#include "background_simulator.h"
#include "cli_run.h"

#include "serial/fake_rfc2217_gateway.h"
#include "simulator/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string NewPath(const std::string& name)
{
    return BackgroundSimulator::NewPath(name);
}

std::string Write(const std::string& name, const std::string& text)
{
    const std::string path = NewPath(name);
    std::ofstream(path) << text;
    return path;
}

std::string Read(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits, without a fixed sleep, until the condition holds or a generous time has passed.
template <typename Condition>
bool WaitFor(Condition condition)
{
    for (int i = 0; i < 3000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

// The process is blocked in the system call with this number (/proc/PID/syscall).
bool BlockedIn(pid_t pid, long call)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    return in >> number && number == call;
}

// Ends the child with the signal; its wait status, or -1 when it did not end in a generous time.
int StopAndWait(pid_t pid, int signal)
{
    kill(pid, signal);
    int status = 0;
    if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; })) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return status;
}

bool ExitedWith(int status, int code)
{
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code;
}

} // namespace

TEST(CliRunOutputs, OneFileForTheReportAndTheRecordIsAUsageError)
{
    const std::string script = Write("same.vxs", "send 20 20\n");
    const std::string file = NewPath("same-output");
    const std::string folder = fs::path(file).parent_path().string();
    const std::string name = fs::path(file).filename().string();
    for (const std::string& log : {file, "./" + name, fs::absolute(file).string()}) {
        const CliRun run = RunShell("cd '" + folder + "' && \"$CLI\" run '" + script + "' --port ttyVantrolixNone --junit '"
                                    + name + "' --log '" + log + "' 2>&1");
        EXPECT_EQ(run.exitCode, 2) << log;
        EXPECT_NE(run.out.find("--junit and --log name the same file"), std::string::npos) << run.out;
        EXPECT_FALSE(fs::exists(file)) << log;
    }
}

// A report is written whenever it is asked for, and a run that ended early says why in it.
TEST(CliRunOutputs, ARunThatEndsEarlyWritesAReportWithTheReason)
{
    const std::string script = Write("early.vxs", "send query \"power mode\"\nexpect Value Power Mode = On\n");
    const std::string junit = NewPath("early.xml");
    CliRun run = RunCli("run '" + script + "' --port ttyVantrolixNone --junit '" + junit + "'");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    std::string xml = Read(junit);
    EXPECT_NE(xml.find("errors=\"1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<error message=\"cannot open ttyVantrolixNone"), std::string::npos) << xml;

    CPseudoTerminal silent;
    std::string error;
    ASSERT_TRUE(silent.Create(error)) << error;
    run = RunCli("run '" + script + "' --port '" + silent.SlavePath() + "' --junit '" + junit + "'");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("name the model with a model line in " + script), std::string::npos) << run.out;
    xml = Read(junit);
    EXPECT_NE(xml.find("<error message=\"the device did not answer the Device ID query"), std::string::npos) << xml;

    run = RunCli("sweep --port '" + silent.SlavePath() + "' --junit '" + junit + "'");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("); name the model with --model\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("model line"), std::string::npos) << run.out;

    // Stopped during a long wait: the report says so rather than read as a pass.
    BackgroundSimulator device({"--model", "Elmora"});
    const std::string waits = Write("waits.vxs", "model Elmora\nsend query \"power mode\"\n"
                                                 "expect Value Nothing Like It within 86400000 ms\n");
    const std::string log = NewPath("early.session");
    const pid_t pid = SpawnQuietly({VANTROLIX_CLI_PATH, "run", waits, "--port", device.link, "--junit", junit, "--log", log}, true);
    ASSERT_NE(pid, 0);
    EXPECT_TRUE(WaitFor([&] { return Read(log).find("\treceived\t") != std::string::npos; }));
    EXPECT_TRUE(ExitedWith(StopAndWait(pid, SIGINT), 1));
    xml = Read(junit);
    EXPECT_NE(xml.find("failures=\"1\" errors=\"1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<error message=\"stopped before the end"), std::string::npos) << xml;
}

// A reader that closes the pipe ends the run quietly, with status 1, and the device is left alone.
TEST(CliRunOutputs, AClosedOutputEndsTheRunQuietly)
{
    BackgroundSimulator device({"--model", "Elmora"});
    const std::string soak = Write("soak.vxs", "repeat 1000000000\nsend 20 20\nexpect payload 20 20 69 108 109 111 114 97\nend\n");
    const std::string errors = NewPath("soak-errors");
    CliRun run = RunShell("\"$CLI\" run '" + soak + "' --port '" + device.link + "' 2>'" + errors
                          + "' | head -n 3 >/dev/null; echo ${PIPESTATUS[0]}");
    EXPECT_EQ(run.out, "1\n");
    EXPECT_EQ(Read(errors), "");

    // The session listing, too, ends without a word.
    std::string session = "Time\tDirection\tEncoded\tData\tDescription\n";
    for (int i = 0; i < 20000; ++i)
        session += "2026-12-07T13:04:56.123+01:00\treceived\t1, 20, 20, 2, 215\t20, 20\tQuery Device ID\n";
    const std::string file = Write("long.session", session);
    run = RunShell("\"$CLI\" session '" + file + "' 2>'" + errors + "' | head -n 1 >/dev/null; echo ${PIPESTATUS[0]}");
    EXPECT_EQ(run.out, "1\n");
    EXPECT_EQ(Read(errors), "");
}

// A named pipe as a path waits for its other end: a stop request ends that wait, and a report
// path is never opened when it is no regular file.
TEST(CliRunOutputs, AStopEndsTheRunWhileAPathBlocks)
{
    const std::string fifo = NewPath("script-fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t pid = SpawnQuietly({VANTROLIX_CLI_PATH, "run", fifo, "--port", "ttyVantrolixNone"}, true);
        ASSERT_NE(pid, 0);
        EXPECT_TRUE(WaitFor([&] { return BlockedIn(pid, 257); })) << "never blocked opening the pipe";
        EXPECT_TRUE(ExitedWith(StopAndWait(pid, signal), 1)) << "signal " << signal;
    }
    const std::string script = Write("fifo.vxs", "send 20 20\n");
    CliRun run = RunCli("run '" + script + "' --port ttyVantrolixNone --junit '" + fifo + "'");
    EXPECT_EQ(run.exitCode, 2) << run.out;
    EXPECT_NE(run.out.find("exists and is not a JUnit report"), std::string::npos) << run.out;
    run = RunCli("run '" + script + "' --port ttyVantrolixNone --log '" + fifo + "'");
    EXPECT_EQ(run.exitCode, 2) << run.out;
    EXPECT_NE(run.out.find("it is not a regular file"), std::string::npos) << run.out;
    fs::remove(fifo);
}

TEST(CliRunOutputs, MessagesGiveTheSystemsReasonAndLinksAreFollowed)
{
    const std::string folder = NewPath("messages");
    fs::create_directories(folder);
    CliRun run = RunCli("run '" + folder + "' --port ttyVantrolixNone");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: cannot read " + folder + ": Is a directory\n");
    run = RunCli("run '" + folder + "/none.vxs' --port ttyVantrolixNone");
    EXPECT_EQ(run.out, "vantrolix-cli: cannot read " + folder + "/none.vxs: No such file or directory\n");

    const std::string script = Write("links.vxs", "send 20 20\n");
    run = RunCli("run '" + script + "' --port ttyVantrolixNone --junit '" + folder + "/none/report.xml'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: cannot write a report in " + folder + "/none: No such file or directory\n");

    // A link to a report: the report behind it is replaced and the link stays a link.
    const std::string report = folder + "/report.xml";
    std::ofstream(report) << "<?xml version=\"1.0\"?>\n<testsuites>\n</testsuites>\n";
    fs::create_symlink(report, folder + "/link.xml");
    run = RunCli("run '" + script + "' --port ttyVantrolixNone --junit '" + folder + "/link.xml'");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_TRUE(fs::is_symlink(folder + "/link.xml"));
    EXPECT_NE(Read(report).find("cannot open ttyVantrolixNone"), std::string::npos) << Read(report);
    fs::remove_all(folder);
}

// A gateway that takes the connection and never answers the line set-up holds an open for seconds:
// a stop request ends it at once, and the report says the run was stopped, not that it timed out.
TEST(CliRunOutputs, AStopEndsAnOpenTheGatewayNeverAnswers)
{
    FakeRfc2217Gateway silent({});
    const std::string script = Write("gateway.vxs", "send 20 20\n");
    const std::string junit = NewPath("gateway.xml");
    const std::string record = NewPath("gateway.tsv");
    const pid_t pid = SpawnQuietly(
        {VANTROLIX_CLI_PATH, "run", script, "--port", silent.PortName(), "--junit", junit, "--log", record}, true);
    ASSERT_NE(pid, 0);
    // Sending nothing returns once the run has connected and is waiting for the agreement.
    ASSERT_TRUE(WaitFor([&] { return silent.Send({}); })) << "the run never connected";
    EXPECT_TRUE(ExitedWith(StopAndWait(pid, SIGINT), 1));
    const std::string report = Read(junit);
    EXPECT_NE(report.find("stopped while opening"), std::string::npos) << report;
    // The open itself was abandoned, rather than left to run out its time.
    EXPECT_NE(Read(record).find("abandoned"), std::string::npos) << Read(record);
}
