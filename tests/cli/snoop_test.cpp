// `vantrolix-cli snoop` between a controller played by the test and a device (the simulator, or
// the test again where every byte must be compared), each on a pseudo-terminal of its own.

#include "background_simulator.h"
#include "cli_run.h"
#include "support/pty_peer.h"

#include "protocol/command_packet.h"
#include "simulator/pseudo_terminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Encoded(const CountedBytes& payload)
{
    CCommandPacket packet;
    packet.SetCommand(payload);
    const auto bytes = packet.GetEncoded().Bytes();
    return {bytes.begin(), bytes.end()};
}

std::string Text(const Bytes& bytes)
{
    std::string text;
    for (const std::uint8_t b : bytes)
        text += (text.empty() ? "" : ", ") + std::to_string(b);
    return text;
}

std::string ReadFile(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// One end of the watched line played by the test: the snoop opens the other end.
class Peer : public PtyPeer {
public:
    using PtyPeer::PtyPeer;

    void Send(const Bytes& bytes) { EXPECT_TRUE(Line().WriteAll(bytes, 60s)); }
    // Reads until count bytes have come, or a minute passes without them.
    Bytes Receive(std::size_t count)
    {
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + 60s;
        std::uint8_t block[4096];
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            Line().WaitInput(50ms);
            const std::size_t n = Line().ReadAvailable(block);
            got.insert(got.end(), block, block + n);
        }
        return got;
    }
    // Whatever is there now.
    Bytes Pending()
    {
        std::uint8_t block[4096];
        const std::size_t n = Line().ReadAvailable(block);
        return Bytes(block, block + n);
    }
};

// The snoop in the background; its standard output and error each to a file.
class Snoop {
public:
    explicit Snoop(std::vector<std::string> args)
        : m_out(BackgroundSimulator::NewPath("snoop-out")), m_err(BackgroundSimulator::NewPath("snoop-err"))
    {
        args.insert(args.begin(), {VANTROLIX_CLI_PATH, "snoop"});
        m_pid = SpawnQuietly(std::move(args), false, m_out, m_err);
        EXPECT_NE(m_pid, 0);
    }
    ~Snoop()
    {
        if (m_pid != 0)
            Stop(SIGKILL);
    }
    // Sends the signal and waits for the end; the wait status.
    int Stop(int signal)
    {
        const int status = StopSpawned(m_pid, signal);
        m_pid = 0;
        return status;
    }
    std::vector<std::string> Rows() const { return Lines(ReadFile(m_out)); }
    std::string Errors() const { return ReadFile(m_err); }
    // Waits up to two minutes for the printed rows to satisfy done.
    template <class Done>
    bool WaitRows(Done done) const
    {
        const auto end = std::chrono::steady_clock::now() + 120s;
        while (!done(Rows())) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
    bool WaitErrors(const std::string& text) const
    {
        for (int i = 0; i < 6000 && Errors().find(text) == std::string::npos; ++i)
            std::this_thread::sleep_for(20ms);
        return Errors().find(text) != std::string::npos;
    }

private:
    std::string m_out;
    std::string m_err;
    pid_t m_pid = 0;
};

bool WaitOpened(const Peer& a, const Peer& b)
{
    for (int i = 0; i < 3000 && !(a.Opened() && b.Opened()); ++i)
        std::this_thread::sleep_for(10ms);
    return a.Opened() && b.Opened();
}

// The rows of one side, without the side and the time: "encoded / data / description".
std::vector<std::string> SideRows(const std::vector<std::string>& rows, const std::string& side)
{
    std::vector<std::string> picked;
    for (const std::string& row : rows) {
        const auto c = Columns(row);
        if (c.size() == 5 && c[0] == side)
            picked.push_back(c[2] + " / " + c[3] + " / " + c[4]);
    }
    return picked;
}

std::size_t CountSide(const std::vector<std::string>& rows, const std::string& side)
{
    return SideRows(rows, side).size();
}

} // namespace

// The controller sends noise, commands (one split across writes) and a packet with a wrong
// checksum; the simulated device answers. Every answer reaches the controller byte for byte, and
// each side's rows are described as what they are: commands and answers.
TEST(CliSnoop, PassesThroughBetweenAControllerAndTheSimulatedDevice)
{
    BackgroundSimulator device({"--model", "Elmora"});
    Peer controller;
    const std::string log = BackgroundSimulator::NewPath("snoop-log");
    Snoop snoop({"--controller", controller.Port(), "--device", device.link, "--pass-through", "--log", log});
    for (int i = 0; i < 3000 && !controller.Opened(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(controller.Opened()) << snoop.Errors();

    const Bytes deviceId = Encoded({20, 20});
    const Bytes power = Encoded({20, 21});
    Bytes badChecksum = Encoded({20, 23});
    badChecksum.back() ^= 1;
    controller.Send({0x55, 0x66});
    controller.Send(deviceId);
    controller.Send(Bytes(power.begin(), power.begin() + 3));
    ASSERT_TRUE(snoop.WaitRows([](const auto& rows) { return CountSide(rows, "controller") >= 3; }));
    controller.Send(Bytes(power.begin() + 3, power.end()));
    controller.Send(badChecksum);
    ASSERT_TRUE(snoop.WaitRows([](const auto& rows) {
        return CountSide(rows, "controller") >= 5 && CountSide(rows, "device") >= 2;
    })) << snoop.Errors();

    const auto rows = snoop.Rows();
    const auto fromController = SideRows(rows, "controller");
    EXPECT_EQ(fromController, (std::vector<std::string>{
                                  "85 / Invalid Packet! / ",
                                  "102 / Invalid Packet! / ",
                                  Text(deviceId) + " / 20, 20 / Query Device ID",
                                  Text(power) + " / 20, 21 / Query Power Mode",
                                  Text(badChecksum) + " / Checksum Error! / ",
                              }));
    const auto fromDevice = SideRows(rows, "device");
    ASSERT_EQ(fromDevice.size(), 2u);
    EXPECT_NE(fromDevice[0].find("/ Value Device ID = Elmora"), std::string::npos) << fromDevice[0];
    EXPECT_NE(fromDevice[1].find("/ Value Power Mode = "), std::string::npos) << fromDevice[1];

    // What the controller got back is exactly what the device's rows show it sent.
    std::string answered;
    for (const std::string& row : fromDevice)
        answered += (answered.empty() ? "" : ", ") + row.substr(0, row.find(" / "));
    EXPECT_EQ(Text(controller.Receive(std::count(answered.begin(), answered.end(), ',') + 1)), answered);

    const int status = snoop.Stop(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << snoop.Errors();
    // The record keeps the sides, and `session` prints them first.
    const CliRun session = RunCli("session '" + log + "'");
    EXPECT_EQ(session.exitCode, 0) << session.out;
    const auto recorded = Lines(session.out);
    ASSERT_EQ(recorded.size(), 7u) << session.out;
    EXPECT_EQ(SideRows(recorded, "controller"), fromController);
    EXPECT_EQ(SideRows(recorded, "device"), fromDevice);
}

// Both ends flood at once, packets and noise, 100,000 packets each way: every byte arrives on the
// other side unchanged and in order, and each side has one row per packet, none lost or doubled.
TEST(CliSnoop, AFloodBothWaysPassesEveryByteOnce)
{
    constexpr int kPackets = 100'000;
    Peer controller;
    Peer device;
    Snoop snoop({"--controller", controller.Port(), "--device", device.Port(), "--pass-through"});
    ASSERT_TRUE(WaitOpened(controller, device)) << snoop.Errors();

    // Every value a payload byte can take, escaped ones included.
    const auto stream = [](std::uint8_t type, unsigned seed) {
        std::mt19937 random(seed);
        Bytes bytes;
        for (int i = 0; i < kPackets; ++i) {
            const auto packet = Encoded({type, static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(random())});
            bytes.insert(bytes.end(), packet.begin(), packet.end());
        }
        return bytes;
    };
    const Bytes commands = stream(20, 1);
    const Bytes answers = stream(21, 2);
    Bytes heardByDevice;
    Bytes heardByController;
    std::thread toDevice([&] { controller.Send(commands); });
    std::thread toController([&] { device.Send(answers); });
    std::thread deviceReads([&] { heardByDevice = device.Receive(commands.size()); });
    std::thread controllerReads([&] { heardByController = controller.Receive(answers.size()); });
    toDevice.join();
    toController.join();
    deviceReads.join();
    controllerReads.join();
    EXPECT_TRUE(heardByDevice == commands) << heardByDevice.size() << " of " << commands.size() << " bytes";
    EXPECT_TRUE(heardByController == answers) << heardByController.size() << " of " << answers.size() << " bytes";

    ASSERT_TRUE(snoop.WaitRows([](const auto& rows) { return rows.size() >= 2u * kPackets; })) << snoop.Errors();
    const int status = snoop.Stop(SIGINT);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << snoop.Errors();
    const auto rows = snoop.Rows();
    EXPECT_EQ(rows.size(), 2u * kPackets);
    const auto commandRows = SideRows(rows, "controller");
    const auto answerRows = SideRows(rows, "device");
    ASSERT_EQ(commandRows.size(), static_cast<std::size_t>(kPackets));
    ASSERT_EQ(answerRows.size(), static_cast<std::size_t>(kPackets));
    // In order: the second payload byte counts the packets up.
    for (int i = 0; i < kPackets; i += 997) {
        EXPECT_NE(commandRows[i].find("/ 20, " + std::to_string(i % 256) + ", "), std::string::npos) << commandRows[i];
        EXPECT_NE(answerRows[i].find("/ 21, " + std::to_string(i % 256) + ", "), std::string::npos) << answerRows[i];
    }
    EXPECT_EQ(snoop.Errors(), "");
}

// Tapped, the ports only listen: both sides' rows show, and not one byte is written to either.
// A hang-up ends the watch cleanly, each port given back the line settings it had.
TEST(CliSnoop, TappingWritesNothingAndGivesBothPortsBack)
{
    Peer controller;
    Peer device;
    termios before {};
    ASSERT_EQ(tcgetattr(device.Line().MasterDescriptor(), &before), 0);
    Snoop snoop({"--controller", controller.Port(), "--device", device.Port()});
    ASSERT_TRUE(WaitOpened(controller, device)) << snoop.Errors();

    controller.Send(Encoded({21, 21, 1}));
    device.Send(Encoded({20, 21, 1}));
    controller.Send({7}); // noise
    device.Send(Encoded({28, 0, 'H', 'i'}));
    ASSERT_TRUE(snoop.WaitRows([](const auto& rows) { return rows.size() >= 4u; })) << snoop.Errors();
    EXPECT_EQ(SideRows(snoop.Rows(), "controller"),
              (std::vector<std::string>{Text(Encoded({21, 21, 1})) + " / 21, 21, 1 / Set Power Mode = On",
                                        "7 / Invalid Packet! / "}));
    const auto answers = SideRows(snoop.Rows(), "device");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].substr(answers[0].rfind(" / ")), " / Value Power Mode = On");
    EXPECT_NE(answers[1].find("Full RT: \"Hi\""), std::string::npos) << answers[1];
    EXPECT_EQ(controller.Pending(), Bytes{});
    EXPECT_EQ(device.Pending(), Bytes{});

    const int status = snoop.Stop(SIGHUP);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << snoop.Errors();
    termios after {};
    ASSERT_EQ(tcgetattr(device.Line().MasterDescriptor(), &after), 0);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(controller.Pending(), Bytes{});
    EXPECT_EQ(device.Pending(), Bytes{});
}

// Either side's adapter pulled out: that side alone shows an I/O error row and is opened again
// when it is back; passing on resumes.
TEST(CliSnoop, ASidePulledOutComesBackOnItsOwn)
{
    for (const std::string side : {"controller", "device"}) {
        SCOPED_TRACE(side);
        const std::string controllerLink = BackgroundSimulator::NewPath("snoop-controller");
        const std::string deviceLink = BackgroundSimulator::NewPath("snoop-device");
        auto controller = std::make_unique<Peer>(controllerLink);
        auto device = std::make_unique<Peer>(deviceLink);
        Snoop snoop({"--controller", controllerLink, "--device", deviceLink, "--pass-through"});
        ASSERT_TRUE(WaitOpened(*controller, *device)) << snoop.Errors();

        auto& pulled = side == "controller" ? controller : device;
        pulled.reset();
        pulled = std::make_unique<Peer>(side == "controller" ? controllerLink : deviceLink);
        ASSERT_TRUE(snoop.WaitErrors("is open again")) << snoop.Errors();
        ASSERT_TRUE(WaitOpened(*controller, *device)) << snoop.Errors();
        const auto rows = snoop.Rows();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(Columns(rows[0])[0], side);
        EXPECT_EQ(Columns(rows[0])[2], "I/O Error!!!");

        const Bytes command = Encoded({20, 21});
        const Bytes answer = Encoded({20, 21, 1});
        controller->Send(command);
        EXPECT_EQ(device->Receive(command.size()), command);
        device->Send(answer);
        EXPECT_EQ(controller->Receive(answer.size()), answer);
        EXPECT_TRUE(snoop.WaitRows([](const auto& rows) { return rows.size() >= 3u; }));
        const int status = snoop.Stop(SIGINT);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << snoop.Errors();
    }
}

TEST(CliSnoop, RefusesOnePortForBothSidesAndAPortThatDoesNotOpen)
{
    Peer controller;
    const CliRun same = RunCli("snoop --controller '" + controller.Port() + "' --device '" + controller.Port() + "'");
    EXPECT_EQ(same.exitCode, 2) << same.out;
    EXPECT_NE(same.out.find("is named for both"), std::string::npos) << same.out;

    termios before {};
    ASSERT_EQ(tcgetattr(controller.Line().MasterDescriptor(), &before), 0);
    const CliRun missing = RunCli("snoop --controller '" + controller.Port() + "' --device /dev/vantrolix-no-such-port");
    EXPECT_EQ(missing.exitCode, 1) << missing.out;
    EXPECT_NE(missing.out.find("cannot open /dev/vantrolix-no-such-port"), std::string::npos) << missing.out;
    termios after {};
    ASSERT_EQ(tcgetattr(controller.Line().MasterDescriptor(), &after), 0);
    EXPECT_EQ(after.c_iflag, before.c_iflag); // the side that had opened is given back
}
