// Network ports against a real gateway, ser2net, in front of a pseudo-terminal, and against a
// gateway of the test's own where ser2net cannot be made to misbehave.

#include "fake_rfc2217_gateway.h"
#include "pty_helpers.h"
#include "recording_row_sink.h"
#include "support/ser2net_gateway.h"

#include "serial/line_settings.h"
#include "serial/network_channel.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"
#include "support/waiting_thread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <atomic>
#include <fstream>
#include <future>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Rows = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr LineSettings kSettings = kDeviceLineSettings;

// Valid, broken and checksum-error frames, a payload byte 0xFF (with its checksum 0x00 escaped)
// and stray 0xFF bytes between frames: everything a Telnet layer could mangle.
const Bytes kDeviceTalk = {1, 20, 20, 2, 215, 65, 1, 20, 20, 2, 214, 1, 0xFF, 2, 0x5E, 0x40,
                           0xFF, 0xFF, 1, 237, 2, 94, 82};

// The rows a worker logs for the device talk over the named port, and what the device received
// when the port sent bytes with 0xFF in them.
struct Seen {
    Rows rows;
    Bytes deviceGot;
};

Seen TalkOver(CPseudoTerminal& pty, const std::string& portName)
{
    CSerialPort port;
    RecordingRowSink sink;
    ReceiveWorker worker(port, sink);
    Seen seen;
    EXPECT_TRUE(port.Open(portName, kSettings)) << port.GetOpenError();
    worker.Start();
    // A gateway opens its device when the client comes; the device talks once the port is there.
    for (int i = 0; i < 500 && !pty.ClientPresent(); ++i)
        pty.WaitInput(10ms);
    DeviceSends(pty, kDeviceTalk);
    seen.rows = sink.WaitFor(7, 10s);
    const Bytes sent = {1, 0xFF, 0xFF, 2, 0x5E, 0x40, 0xFF};
    std::size_t done = 0;
    EXPECT_TRUE(port.Write(sent.data(), sent.size(), &done));
    EXPECT_EQ(done, sent.size());
    seen.deviceGot = DeviceReceives(pty, sent.size());
    worker.RequestStop();
    port.Close();
    worker.Join();
    return seen;
}

class GatewayTest : public ::testing::TestWithParam<Ser2NetGateway::Mode> {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(pty.Create(error)) << error;
        gateway = std::make_unique<Ser2NetGateway>(pty.SlavePath(), GetParam());
        ASSERT_TRUE(gateway->Start(error)) << error;
    }

    CPseudoTerminal pty;
    std::unique_ptr<Ser2NetGateway> gateway;
};

// A loopback listener that queues one connection at most and accepts none by itself: further
// connections hang unanswered.
struct TinyQueueListener {
    TinyQueueListener()
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd, 0), 0);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~TinyQueueListener() { close(fd); }
    std::string PortName() const { return "tcp://127.0.0.1:" + std::to_string(port); }

    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t port = 0;
};

std::string ModeName(const ::testing::TestParamInfo<Ser2NetGateway::Mode>& info)
{
    return info.param == Ser2NetGateway::Mode::Raw ? "RawTcp" : "Rfc2217";
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Ser2Net, GatewayTest,
                         ::testing::Values(Ser2NetGateway::Mode::Raw, Ser2NetGateway::Mode::Rfc2217), ModeName);

TEST_P(GatewayTest, RowsAndBytesAreThoseOfTheDeviceItself)
{
    const Seen overNetwork = TalkOver(pty, gateway->PortName());
    gateway->Stop();
    const Seen direct = TalkOver(pty, pty.SlavePath());
    ASSERT_EQ(direct.rows, (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "broken: 65", "checksum: 1, 20, 20, 2, 214",
                                 "valid: 1, 255, 2, 94, 64 / 255", "broken: 255", "broken: 255",
                                 "valid: 1, 237, 2, 94, 82 / 237"}));
    EXPECT_EQ(overNetwork.rows, direct.rows);
    EXPECT_EQ(overNetwork.deviceGot, direct.deviceGot);
    EXPECT_EQ(direct.deviceGot, (Bytes{1, 0xFF, 0xFF, 2, 0x5E, 0x40, 0xFF}));
}

TEST_P(GatewayTest, RestartGivesOneRowThenTheConnectionReturns)
{
    CSerialPort port;
    RecordingRowSink sink;
    ReceiveWorker worker(port, sink);
    ASSERT_TRUE(port.Open(gateway->PortName(), kSettings)) << port.GetOpenError();
    worker.Start();

    gateway->Stop();
    const std::string gone = "event: gone " + gateway->PortName();
    ASSERT_EQ(sink.WaitFor(2, 10s), (Rows{"line error: I/O Error!!!", gone}));
    std::string error;
    ASSERT_TRUE(gateway->Start(error)) << error;
    ASSERT_EQ(sink.WaitFor(3, 10s).size(), 3u);
    for (int i = 0; i < 500 && !pty.ClientPresent(); ++i)
        pty.WaitInput(10ms);
    DeviceSends(pty, {1, 20, 20, 2, 215});
    EXPECT_EQ(sink.WaitFor(4, 10s), (Rows{"line error: I/O Error!!!", gone, "event: reopened " + gateway->PortName(),
                                          "valid: 1, 20, 20, 2, 215 / 20, 20"}));
    worker.RequestStop();
    port.Close();
    worker.Join();
}

TEST(NetworkPort, LineStatesTheGatewayNotifiesAreLineErrorRows)
{
    FakeRfc2217Gateway gateway(FakeRfc2217Gateway::Agreeing());
    CSerialPort port;
    RecordingRowSink sink;
    ReceiveWorker worker(port, sink);
    ASSERT_TRUE(port.Open(gateway.PortName(), kSettings)) << port.GetOpenError();
    worker.Start();
    // A frame, a framing error in the middle of the next one, an overrun and a break.
    ASSERT_TRUE(gateway.Send({1, 20, 20, 2, 215, 1, 20, 255, 250, 44, 106, 0x08, 255, 240, 1, 20, 20, 2, 215,
                              255, 250, 44, 106, 0x03, 255, 240, 255, 250, 44, 106, 0x10, 255, 240}));
    EXPECT_EQ(sink.WaitFor(6, 10s), (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "broken: 1, 20",
                                          "line error: RS232 Framing Error!!!", "valid: 1, 20, 20, 2, 215 / 20, 20",
                                          "line error: Unknown RS232 Error!!!", "line error: Unknown RS232 Error!!!"}));
    worker.RequestStop();
    port.Close();
    worker.Join();
}

TEST(NetworkPort, OpenFailuresSayWhy)
{
    auto openError = [](const std::string& name) {
        CSerialPort port;
        EXPECT_FALSE(port.Open(name, kSettings)) << name;
        EXPECT_FALSE(port.IsOpen());
        return port.GetOpenError();
    };
    const std::string nobody = "tcp://127.0.0.1:" + std::to_string(FreeLoopbackPort());
    EXPECT_NE(openError(nobody).find("refused"), std::string::npos);
    {
        CSerialPort refused;
        EXPECT_FALSE(refused.Open(nobody, kSettings));
        EXPECT_EQ(refused.OpenFailure().fault, PortFault::Network);
        EXPECT_EQ(refused.OpenFailure().systemCode, ECONNREFUSED);
    }
    EXPECT_NE(openError("rfc2217://host-that-is-not.invalid:4001").find("host not found"), std::string::npos);
    EXPECT_NE(openError("tcp://[::1:4001").find("bracket"), std::string::npos);

    FakeRfc2217Gateway plainTelnet({255, 254, 44});
    EXPECT_NE(openError(plainTelnet.PortName()).find("does not offer serial port control"), std::string::npos);
    // A gateway that sets another rate than asked would garble every byte.
    FakeRfc2217Gateway otherRate(FakeRfc2217Gateway::Agreeing(19200));
    EXPECT_NE(openError(otherRate.PortName()).find("does not accept the line settings"), std::string::npos);
}

TEST(NetworkPort, TheGatewayMustSetFlowControlDtrAndRtsAsAsked)
{
    FakeRfc2217Gateway agreeing(FakeRfc2217Gateway::Agreeing());
    CSerialPort port;
    EXPECT_TRUE(port.Open(agreeing.PortName(), kSettings)) << port.GetOpenError();
    // A port without modem lines (a pseudo-terminal behind ser2net) leaves DTR and RTS unanswered,
    // as such a local port does.
    FakeRfc2217Gateway noModemLines(FakeRfc2217Gateway::Agreeing(9600, {1}));
    CSerialPort other;
    EXPECT_TRUE(other.Open(noModemLines.PortName(), kSettings)) << other.GetOpenError();

    // Hardware flow control holds the device's answers back; DTR off or RTS on, as many devices
    // wire them, keep it from listening.
    const struct {
        std::vector<std::uint8_t> controls;
        std::string refused;
    } wrong[] = {{{3, 8, 12}, "flow control off"}, {{1, 9, 12}, "DTR on"}, {{1, 8, 11}, "RTS off"}};
    for (const auto& [controls, refused] : wrong) {
        FakeRfc2217Gateway gateway(FakeRfc2217Gateway::Agreeing(9600, controls));
        CSerialPort refusing;
        EXPECT_FALSE(refusing.Open(gateway.PortName(), kSettings)) << refused;
        EXPECT_EQ(refusing.GetOpenError(),
                  "the gateway at 127.0.0.1:" + gateway.PortName().substr(gateway.PortName().rfind(':') + 1)
                      + " does not accept the line settings: it does not set " + refused);
    }
}

TEST(NetworkPort, AGatewayThatFloodsBeforeAgreeingFailsTheOpenKeepingLittle)
{
    // Bounded, so that a client that kept everything would still end; the open must give up long
    // before.
    constexpr std::size_t kFlood = 64 << 20;
    FakeRfc2217Gateway flooding({}, kFlood);
    CSerialPort port;
    EXPECT_FALSE(port.Open(flooding.PortName(), kSettings));
    EXPECT_NE(port.GetOpenError().find("sent more than 16384 bytes before agreeing on serial port control"),
              std::string::npos) << port.GetOpenError();
    EXPECT_LT(flooding.Flooded(), kFlood);
}

TEST(NetworkPort, CloseOrAStopRequestEndsANegotiationAtOnce)
{
    for (const bool byClose : {true, false}) {
        FakeRfc2217Gateway silent({});
        CSerialPort port;
        std::atomic<bool> stop{false};
        auto open = std::async(std::launch::async,
                               [&] { return port.Open(silent.PortName(), kSettings, [&] { return stop.load(); }); });
        ASSERT_TRUE(silent.Send({})) << "the open never connected";
        const auto start = std::chrono::steady_clock::now();
        if (byClose)
            port.Close();
        else
            stop = true;
        EXPECT_FALSE(open.get());
        // Without the cut it waits out the whole time-out; with it, a look or two at the flag.
        EXPECT_LT(std::chrono::steady_clock::now() - start, kNetworkOpenTimeout / 2);
        EXPECT_NE(port.GetOpenError().find("was abandoned"), std::string::npos) << port.GetOpenError();
        EXPECT_FALSE(port.IsOpen());
    }
}

TEST(NetworkPort, CloseWakesAPendingRead)
{
    FakeRfc2217Gateway silent(FakeRfc2217Gateway::Agreeing());
    CSerialPort port;
    ASSERT_TRUE(port.Open(silent.PortName(), kSettings)) << port.GetOpenError();
    // Half a minute of waiting, ended well before that: only the close can have.
    port.SetReadTimeout(30s);
    auto read = std::async(std::launch::async, [&] {
        std::uint8_t b = 0;
        std::size_t done = 0;
        // A read that ends at its time-out succeeds with no byte; one ended by Close fails.
        return port.Read(&b, 1, &done);
    });
    ASSERT_TRUE(WaitUntilAnotherThreadWaitsInPoll());
    port.Close();
    ASSERT_EQ(read.wait_for(15s), std::future_status::ready);
    EXPECT_FALSE(read.get());
}

TEST(NetworkPort, AConnectThatHangsEndsAtTheTimeOut)
{
    // A listener whose queue is full lets further connections hang unanswered.
    const TinyQueueListener listener;
    const std::string name = listener.PortName();
    CSerialPort filler;
    ASSERT_TRUE(filler.Open(name, kSettings)) << filler.GetOpenError();

    CSerialPort port;
    EXPECT_FALSE(port.Open(name, kSettings));
    EXPECT_NE(port.GetOpenError().find("no answer from 127.0.0.1:"), std::string::npos) << port.GetOpenError();
}

TEST(NetworkPort, ALongWriteFullOf0xFFReachesTheDeviceExactly)
{
    // Far more than the socket buffers hold, so sends are cut, some between the halves of a
    // doubled 0xFF.
    CPseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Create(error)) << error;
    Ser2NetGateway gateway(pty.SlavePath(), Ser2NetGateway::Mode::Rfc2217);
    ASSERT_TRUE(gateway.Start(error)) << error;
    CSerialPort port;
    ASSERT_TRUE(port.Open(gateway.PortName(), kSettings)) << port.GetOpenError();
    Bytes sent(300'000);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = i % 3 == 0 ? 0x41 : 0xFF;
    auto received = std::async(std::launch::async, [&] {
        Bytes got;
        std::uint8_t buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (got.size() < sent.size() && std::chrono::steady_clock::now() < deadline) {
            pty.WaitInput(20ms);
            const std::size_t n = pty.ReadAvailable(buffer);
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    });
    std::size_t done = 0;
    EXPECT_TRUE(port.Write(sent.data(), sent.size(), &done));
    EXPECT_EQ(done, sent.size());
    const Bytes got = received.get();
    EXPECT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent);
}

TEST(NetworkPort, CloseCutsAHangingReconnectShort)
{
    // A gateway that drops the connection and then answers no more: its queue is full.
    const TinyQueueListener listener;
    const std::string name = listener.PortName();

    CSerialPort port;
    RecordingRowSink sink;
    ReceiveWorker worker(port, sink);
    ASSERT_TRUE(port.Open(name, kSettings)) << port.GetOpenError();
    const int accepted = accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC);
    ASSERT_GE(accepted, 0);
    CSerialPort filler;
    ASSERT_TRUE(filler.Open(name, kSettings)) << filler.GetOpenError();
    worker.Start();
    close(accepted);
    ASSERT_EQ(sink.WaitFor(2, 10s), (Rows{"line error: I/O Error!!!", "event: gone " + name}));

    // The reconnect is under way once its handshake waits unanswered.
    char pending[40];
    std::snprintf(pending, sizeof pending, "0100007F:%04X 02", listener.port);
    auto reconnecting = [&] {
        std::ifstream table("/proc/net/tcp");
        for (std::string line; std::getline(table, line);)
            if (line.find(pending) != std::string::npos)
                return true;
        return false;
    };
    for (int i = 0; i < 1000 && !reconnecting(); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(reconnecting());

    const auto start = std::chrono::steady_clock::now();
    worker.RequestStop();
    port.Close();
    worker.Join();
    // Without the cut the close waits out nearly all of the connect time-out; with it, a few
    // looks at the port's state, a small fraction of it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, kNetworkOpenTimeout / 2);
    EXPECT_FALSE(port.IsOpen());
}
