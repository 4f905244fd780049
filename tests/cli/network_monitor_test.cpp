// The monitor on a network port: the simulated device behind ser2net, raw and RFC 2217.

#include "cli_run.h"
#include "support/ser2net_gateway.h"

#include "simulator/simulator_thread.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

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
