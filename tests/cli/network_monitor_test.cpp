// The monitor on a network port: the simulated device behind ser2net, raw and RFC 2217.

#include "cli_run.h"
#include "support/ser2net_gateway.h"

#include "simulator/simulator_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

namespace {

using namespace std::chrono_literals;

// The console tool's environment for a name server that never answers: a stand-in for the
// system's look-up is preloaded (beside a sanitizer's runtime, when the tool has one).
const std::string kUnansweredNameServer = "LD_PRELOAD='" VANTROLIX_UNANSWERED_NAME_SERVER "' "
                                          "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" ";
const std::string kUnansweredGateway = "rfc2217://gateway.unanswered.test:4001";

// The monitor's rows for a few commands, without their time column.
std::vector<std::string> MonitorRows(const std::string& portName)
{
    const std::string input = ::testing::TempDir() + "vantrolix-network-monitor-" + std::to_string(getpid());
    std::ofstream(input) << "20 21\n23\n";
    const CliRun run = RunCli("monitor --port '" + portName + "' --send '20 20' < '" + input + "'");
    std::remove(input.c_str());
    EXPECT_EQ(run.exitCode, 0) << run.out;
    std::vector<std::string> rows;
    for (const std::string& line : Lines(run.out))
        rows.push_back(line.substr(line.find('\t') + 1));
    return rows;
}

} // namespace

TEST(CliNetworkMonitor, RowsOverSer2NetEqualThoseOverTheDevice)
{
    SimulatorOptions options;
    options.rdsInterval = std::chrono::hours(1); // only answers, so that every run sees the same rows
    CSimulatorThread simulator(0, options);
    ASSERT_TRUE(simulator.Started()) << simulator.Error();
    Ser2NetGateway raw(simulator.PortName(), Ser2NetGateway::Mode::Raw);
    Ser2NetGateway telnet(simulator.PortName(), Ser2NetGateway::Mode::Rfc2217);
    std::string error;
    ASSERT_TRUE(raw.Start(error)) << error;
    ASSERT_TRUE(telnet.Start(error)) << error;

    const auto overRaw = MonitorRows(raw.PortName());
    const auto overTelnet = MonitorRows(telnet.PortName());
    raw.Stop();
    telnet.Stop();
    const auto direct = MonitorRows(simulator.PortName());
    ASSERT_EQ(direct.size(), 3u);
    EXPECT_EQ(overRaw, direct);
    EXPECT_EQ(overTelnet, direct);
}

TEST(CliNetworkMonitor, ARefusedConnectionIsAnOpenFailure)
{
    const std::string name = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    const CliRun run = RunCli("monitor --port '" + name + "' --seconds 1");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("cannot open " + name + ": the connection to"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("was refused"), std::string::npos) << run.out;
}

TEST(CliNetworkMonitor, ANameServerThatNeverAnswersFailsTheOpenAtTheTimeOut)
{
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunShell(kUnansweredNameServer + "\"$CLI\" monitor --port " + kUnansweredGateway + " < /dev/null 2>&1");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.exitCode, 1) << run.out;
    EXPECT_NE(run.out.find("cannot open " + kUnansweredGateway
                           + ": the name server gave no address for gateway.unanswered.test within 3 seconds"),
              std::string::npos) << run.out;
    // The stand-in gives up after a minute; a monitor that waits for it has ignored the time-out.
    EXPECT_LT(took, 30s);
}

TEST(CliNetworkMonitor, CtrlCEndsALookUpTheNameServerNeverAnswers)
{
    const std::string mark = ::testing::TempDir() + "vantrolix-lookup-" + std::to_string(getpid());
    std::remove(mark.c_str());
    // Ctrl+C once the look-up waits: the monitor ends at once, saying that it never opened.
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = RunShell(kUnansweredNameServer + "VANTROLIX_LOOKUP_MARK='" + mark + "' \"$CLI\" monitor --port "
                                + kUnansweredGateway + " < /dev/null 2>&1 &\n"
                                "monitor=$!\n"
                                "for i in $(seq 6000); do [ -e '" + mark + "' ] && break; sleep 0.01; done\n"
                                "kill -INT $monitor\n"
                                "wait $monitor\n"
                                "echo \"status $?\"");
    std::remove(mark.c_str());
    EXPECT_NE(run.out.find("cannot open " + kUnansweredGateway + ": the run ended before the port opened\nstatus 1"),
              std::string::npos) << run.out;
    // Well short of the stand-in's minute, which a monitor waiting for the look-up sits out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}
