// vantrolix-cli run and sweep as an engineer or a CI server calls them: exit status, what is
// printed, the JUnit file, and that a script with an error sends nothing.

#include "cli_run.h"

#include "log/session_reader.h"
#include "simulator/pseudo_terminal.h"
#include "simulator/simulator_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kElmora = 4;

std::string WriteScript(const std::string& name, const std::string& text)
{
    const std::string path = ::testing::TempDir() + "vantrolix-" + std::to_string(getpid()) + "-" + name;
    std::ofstream(path) << text;
    return path;
}

// What the tool put on the line; it has exited, so all of it is there already.
std::size_t BytesSent(const CPseudoTerminal& device)
{
    std::uint8_t buffer[512];
    return device.ReadAvailable(buffer);
}

struct SimulatedPort {
    explicit SimulatedPort(int model, MisbehaviourMap faults = {})
        : simulator(model, [&faults] {
              SimulatorOptions options;
              options.misbehave = std::move(faults);
              return options;
          }())
    {
        EXPECT_TRUE(simulator.Started()) << simulator.Error();
    }
    std::string Port() const { return "--port '" + simulator.PortName() + "'"; }
    CSimulatorThread simulator;
};

} // namespace

TEST(CliRun, PassingScriptsPrintEveryStepAndWriteJUnit)
{
    SimulatedPort device(kElmora);
    const std::string first = WriteScript("pass1.vxs", "send query \"power mode\"\nexpect Value Power Mode = On\n");
    // No model line: the tool asks the device for its Device ID to read the names.
    const std::string second = WriteScript("pass2.vxs", "send set \"Play Mode\" pause\nexpect payload 20 88 2\n");
    const std::string junit = ::testing::TempDir() + "vantrolix-run-report.xml";
    std::filesystem::remove(junit);
    const CliRun run = RunCli("run '" + first + "' '" + second + "' " + device.Port() + " --junit '" + junit + "'");
    EXPECT_EQ(run.exitCode, 0) << run.out;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_TRUE(lines[1].starts_with("ok\t" + first + ":2\texpect Value Power Mode = On\tValue Power Mode = On\t"))
        << lines[1];
    EXPECT_TRUE(lines[3].starts_with("ok\t" + second + ":2\texpect payload 20 88 2\tValue Play Mode = Pause")) << lines[3];
    EXPECT_EQ(lines[4], "4 passed, 0 failed");

    std::ifstream report(junit);
    const std::string xml((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
    EXPECT_NE(xml.find("<testsuite name=\"" + first + "\" tests=\"1\" failures=\"0\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<testsuite name=\"" + second + "\" tests=\"1\" failures=\"0\""), std::string::npos) << xml;
}

TEST(CliRun, AFailedStepExitsWithOne)
{
    SimulatedPort device(kElmora, {{21, Misbehaviour::Silent}});
    const std::string script = WriteScript("fail.vxs", "model elmora\nsend query 21\nexpect /Value .*/ within 100 ms\n"
                                                       "send query 88\nexpect Value Play Mode = Play\n");
    const CliRun run = RunCli("run '" + script + "' " + device.Port());
    EXPECT_EQ(run.exitCode, 1) << run.out;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_TRUE(lines[1].starts_with("FAIL\t" + script + ":3\texpect /Value .*/ within 100 ms\tnothing arrived\t"));
    EXPECT_TRUE(lines[3].starts_with("ok\t"));
    EXPECT_EQ(lines[4], "3 passed, 1 failed");
}

TEST(CliRun, ScriptErrorsNameFileAndLineAndSendNothing)
{
    CPseudoTerminal device;
    std::string error;
    ASSERT_TRUE(device.Create(error)) << error;
    const std::string port = " --port '" + device.SlavePath() + "'";
    const std::string good = WriteScript("good.vxs", "send 20 20\nexpect Value\n");

    const std::string bad = WriteScript("bad.vxs", "send 20 20\n\nexpect nothing\n");
    CliRun run = RunCli("run '" + good + "' '" + bad + "'" + port);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: " + bad + ":3: write \"within N ms\" at the end\n");
    EXPECT_EQ(BytesSent(device), 0u);

    // Found once the model is known, still before the script sends anything.
    const std::string unknown = WriteScript("unknown.vxs", "model Dunvey\nsend 20 20\nsend set volume 3\n");
    run = RunCli("run '" + unknown + "'" + port);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: " + unknown + ":3: Dunvey has no variable named \"volume\"\n");
    EXPECT_EQ(BytesSent(device), 0u);

    run = RunCli("run '" + ::testing::TempDir() + "no-such-script.vxs'" + port);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.out.find("cannot read"), std::string::npos) << run.out;

    run = RunCli("run '" + good + "'" + port + " --junit /nonexistent-folder/report.xml");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.out.find("cannot write a report in /nonexistent-folder"), std::string::npos) << run.out;
    EXPECT_EQ(BytesSent(device), 0u);

    const std::string notes = WriteScript("notes.xml", "<notes>mine</notes>\n");
    run = RunCli("run '" + good + "'" + port + " --junit '" + notes + "'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: " + notes + " exists and is not a JUnit report; it is left as it is\n");
    EXPECT_EQ(BytesSent(device), 0u);

    // A port that does not open fails the run, as for monitor; it is no usage error.
    run = RunCli("run '" + good + "' --port ttyVantrolixNone");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("cannot open ttyVantrolixNone"), std::string::npos) << run.out;
}

TEST(CliRun, ADeviceThatDoesNotNameItselfCannotResolveNames)
{
    CPseudoTerminal device;
    std::string error;
    ASSERT_TRUE(device.Create(error)) << error;
    const std::string script = WriteScript("named.vxs", "send query \"power mode\"\n");
    const CliRun run = RunCli("run '" + script + "' --port '" + device.SlavePath() + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("did not answer the Device ID query"), std::string::npos) << run.out;
    EXPECT_EQ(BytesSent(device), 5u); // the Device ID query alone
}

TEST(CliSweep, APortThatDoesNotOpenFailsTheRun)
{
    const CliRun run = RunCli("sweep --model Elmora --port ttyVantrolixNone");
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("cannot open ttyVantrolixNone"), std::string::npos) << run.out;
}

TEST(CliSweep, NamesTheFailedVariablesAndChecksItsOptions)
{
    SimulatedPort device(kElmora, {{88, Misbehaviour::WrongValue}, {114, Misbehaviour::Silent}});
    CliRun run = RunCli("sweep " + device.Port());
    EXPECT_EQ(run.exitCode, 1) << run.out;
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "29 passed, 2 failed");
    EXPECT_EQ(lines.back(), "failed: Play Mode (88), AutoPlay (114)");

    run = RunCli("sweep --model Nobody " + device.Port());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.starts_with("vantrolix-cli: no model named \"Nobody\"")) << run.out;
}

TEST(CliSimulate, MisbehaveNamesAVariableOfTheModelAndAFault)
{
    CliRun run = RunCli("simulate --model Elmora --misbehave brightness=silent");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: --misbehave: \"brightness\" names two variables of Elmora: 22 and 103; "
                       "give the number\n");
    run = RunCli("simulate --model Elmora --misbehave 'play mode=slow'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "vantrolix-cli: --misbehave play mode=slow: write VARIABLE=wrong, VARIABLE=silent or "
                       "VARIABLE=bad-checksum\n");
}

TEST(CliRun, RecordsTheSessionAndLeavesOtherFilesAlone)
{
    SimulatedPort device(kElmora);
    const std::string script = WriteScript("log.vxs", "model Elmora\nsend query \"play mode\"\nexpect Value Play Mode = Play\n");
    const std::string log = ::testing::TempDir() + "vantrolix-run-" + std::to_string(getpid()) + ".session";
    std::filesystem::remove(log);
    for (int run = 1; run <= 2; ++run) // the second run continues the same record
        ASSERT_EQ(RunCli("run '" + script + "' " + device.Port() + " --log '" + log + "'").exitCode, 0);

    std::ifstream in(log);
    std::vector<SessionRow> rows;
    std::vector<std::string> problems;
    ASSERT_TRUE(ReadSession(in, {[&rows](SessionRow&& row) { rows.push_back(std::move(row)); },
                                 [&problems](SessionProblem&& problem) { problems.push_back(problem.Text()); }}));
    EXPECT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[0].direction, RowDirection::Port);
    EXPECT_EQ(rows[0].encoded, "Port opened: " + device.simulator.PortName());
    EXPECT_EQ(rows[1].direction, RowDirection::Sent);
    EXPECT_EQ(rows[1].data, "20, 88");
    EXPECT_EQ(rows[1].description, "Query Play Mode");
    EXPECT_EQ(rows[2].direction, RowDirection::Received);
    EXPECT_EQ(rows[2].description, "Value Play Mode = Play");
    EXPECT_EQ(rows[3].encoded, "Port closed: " + device.simulator.PortName());
    EXPECT_EQ(rows[7].direction, RowDirection::Port);

    const std::string other = WriteScript("notes.txt", "my notes\n");
    const CliRun refused = RunCli("run '" + script + "' " + device.Port() + " --log '" + other + "'");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.out.find("is not a session file"), std::string::npos) << refused.out;
    std::ifstream notes(other);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(notes), {}), "my notes\n");
}

namespace {

// The run in the background, its standard output read as it comes.
class WatchedRun {
public:
    explicit WatchedRun(std::vector<std::string> args)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
    }
    ~WatchedRun()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            close(m_out);
    }
    // Reads until the count of lines has come, the output ends or a generous time has passed.
    std::vector<std::string> ReadLines(std::size_t count)
    {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (Lines(m_text).size() < count && std::chrono::steady_clock::now() < giveUp) {
            pollfd entry{m_out, POLLIN, 0};
            if (poll(&entry, 1, 1000) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(m_out, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_text.append(buffer, static_cast<std::size_t>(n));
        }
        return Lines(m_text);
    }
    bool Running() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = 0;
    int m_out = -1;
    std::string m_text;
};

} // namespace

// Step lines that follow each other quickly go out together, but a run that sits waiting, in an
// expect or a wait step, has shown every step before it.
TEST(CliRun, StepLinesShowWhileTheRunWaits)
{
    SimulatedPort port(kElmora);
    for (const std::string waiting : {"expect payload 1 2 3 within 60000 ms", "wait 60000 ms"}) {
        SCOPED_TRACE(waiting);
        const std::string script = WriteScript("waits.vxs", "send 20 21\nsend 20 21\n" + waiting + "\n");
        WatchedRun run({VANTROLIX_CLI_PATH, "run", script, "--port", port.simulator.PortName()});
        const auto lines = run.ReadLines(2);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_NE(lines[1].find("send 20 21"), std::string::npos) << lines[1];
        EXPECT_TRUE(run.Running()) << "the lines came only at the end of the run";
    }
}
