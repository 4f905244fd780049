// Network ports in the Windows build, run under Wine: against ser2net serving the Linux build's
// simulated device (scripts/network-gateways starts them and says where), and against loopback
// listeners of the test's own for what ser2net will not do on demand.

#include "recording_row_sink.h"

#include "serial/line_settings.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>

#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kQueryDeviceId = {1, 20, 20, 2, 215};

class Winsock {
public:
    Winsock()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { WSACleanup(); }
};

// A loopback listener of the test's own: it takes one client at a time and sends it what the
// test says, or closes the connection.
class LoopbackListener {
public:
    LoopbackListener()
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 4);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackListener()
    {
        DropClient();
        closesocket(m_listener);
    }

    // Waits up to ten seconds for a client; false when none came.
    bool Accept()
    {
        DropClient();
        fd_set waiting;
        FD_ZERO(&waiting);
        FD_SET(m_listener, &waiting);
        timeval timeout{10, 0};
        if (select(0, &waiting, nullptr, nullptr, &timeout) != 1)
            return false;
        m_client = accept(m_listener, nullptr, nullptr);
        return m_client != INVALID_SOCKET;
    }
    bool Send(const Bytes& bytes)
    {
        return send(m_client, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0)
            == static_cast<int>(bytes.size());
    }
    void DropClient()
    {
        if (m_client != INVALID_SOCKET)
            closesocket(m_client);
        m_client = INVALID_SOCKET;
    }
    std::string PortName(const char* scheme = "tcp") const
    {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port);
    }

private:
    Winsock m_winsock;
    SOCKET m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    SOCKET m_client = INVALID_SOCKET;
    std::uint16_t m_port = 0;
};

// Waits until a row starting with the text has been logged; false when none was within the time.
bool WaitForRowStarting(RecordingRowSink& sink, const std::string& start, std::chrono::seconds within)
{
    const auto end = Clock::now() + within;
    std::size_t looked = 0;
    while (Clock::now() < end) {
        const auto rows = sink.WaitFor(looked + 1, std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()));
        for (; looked < rows.size(); ++looked)
            if (rows[looked].rfind(start, 0) == 0)
                return true;
    }
    return false;
}

std::string Gateway(const char* variable)
{
    const char* name = std::getenv(variable);
    return name ? name : "";
}

} // namespace

TEST(NetworkPortWin32, TheDeviceAnswersItsIdThroughSer2NetRawAndRfc2217)
{
    for (const char* variable : {"VANTROLIX_GATEWAY_RAW", "VANTROLIX_GATEWAY_RFC2217"}) {
        const std::string name = Gateway(variable);
        if (name.empty())
            GTEST_SKIP() << variable << " is not set: run through scripts/network-gateways (ctest does)";
        SCOPED_TRACE(name);
        CSerialPort port;
        RecordingRowSink sink;
        ReceiveWorker worker(port, sink);
        // Under RFC 2217 the open succeeds only once the gateway has set 9600 8N1, no flow control.
        ASSERT_TRUE(port.Open(name, kDeviceLineSettings)) << port.GetOpenError();
        worker.Start();
        std::size_t done = 0;
        EXPECT_TRUE(port.Write(kQueryDeviceId.data(), kQueryDeviceId.size(), &done));
        EXPECT_EQ(done, kQueryDeviceId.size());
        EXPECT_TRUE(WaitForRowStarting(sink, "valid: 1, 20, 20, ", 10s)) << ::testing::PrintToString(sink.Rows());
        worker.RequestStop();
        port.Close();
        worker.Join();
    }
}

TEST(NetworkPortWin32, OpenFailuresAreNetworkFaultsThatSayWhy)
{
    auto failure = [](const std::string& name) {
        CSerialPort port;
        EXPECT_FALSE(port.Open(name, kDeviceLineSettings)) << name;
        EXPECT_FALSE(port.IsOpen());
        const PortError error = port.OpenFailure();
        EXPECT_EQ(error.fault, PortFault::Network) << name;
        return error;
    };
    std::string nobody;
    {
        const LoopbackListener closed;
        nobody = closed.PortName();
    }
    const PortError refused = failure(nobody);
    EXPECT_NE(PortErrorText(refused).find("was refused"), std::string::npos) << PortErrorText(refused);
    EXPECT_EQ(refused.systemCode, WSAECONNREFUSED);
    const PortError unknown = failure("rfc2217://host-that-is-not.invalid:4001");
    EXPECT_EQ(PortErrorText(unknown), "host not found: host-that-is-not.invalid");
    EXPECT_EQ(unknown.systemCode, 0);

    // A gateway that sets another rate than asked would garble every byte.
    LoopbackListener otherRate;
    auto opened = std::async(std::launch::async, [&] { return PortErrorText(failure(otherRate.PortName("rfc2217"))); });
    ASSERT_TRUE(otherRate.Accept());
    ASSERT_TRUE(otherRate.Send({255, 253, 44, 255, 250, 44, 101, 0, 0, 0x4B, 0, 255, 240, 255, 250, 44, 102, 8, 255,
                                240, 255, 250, 44, 103, 1, 255, 240, 255, 250, 44, 104, 1, 255, 240, 255, 250, 44,
                                105, 1, 255, 240}));
    EXPECT_NE(opened.get().find("does not accept the line settings"), std::string::npos);
}

TEST(NetworkPortWin32, TheFarEndClosingIsOneGoneRowThenTheConnectionReturns)
{
    LoopbackListener gateway;
    const std::string name = gateway.PortName();
    CSerialPort port;
    RecordingRowSink sink;
    ReceiveWorker worker(port, sink);
    auto opened = std::async(std::launch::async, [&] { return port.Open(name, kDeviceLineSettings); });
    ASSERT_TRUE(gateway.Accept());
    ASSERT_TRUE(opened.get()) << port.GetOpenError();
    worker.Start();
    ASSERT_TRUE(gateway.Send(kQueryDeviceId));
    ASSERT_EQ(sink.WaitFor(1, 10s), (std::vector<std::string>{"valid: 1, 20, 20, 2, 215 / 20, 20"}));

    gateway.DropClient();
    EXPECT_EQ(sink.WaitFor(3, 10s), (std::vector<std::string>{"valid: 1, 20, 20, 2, 215 / 20, 20",
                                                             "line error: I/O Error!!!", "event: gone " + name}));
    ASSERT_TRUE(gateway.Accept());
    EXPECT_TRUE(WaitForRowStarting(sink, "event: reopened " + name, 10s)) << ::testing::PrintToString(sink.Rows());
    worker.RequestStop();
    port.Close();
    worker.Join();
}

TEST(NetworkPortWin32, CloseEndsAReadBlockedOnASilentGateway)
{
    LoopbackListener silent;
    CSerialPort port;
    auto opened = std::async(std::launch::async, [&] { return port.Open(silent.PortName(), kDeviceLineSettings); });
    ASSERT_TRUE(silent.Accept());
    ASSERT_TRUE(opened.get()) << port.GetOpenError();
    // Half a minute of waiting, ended well before that: only the close can have.
    port.SetReadTimeout(30s);
    std::atomic<bool> reading{false};
    auto read = std::async(std::launch::async, [&] {
        std::uint8_t b = 0;
        std::size_t done = 0;
        reading = true;
        // A read that ends at its time-out succeeds with no byte; one ended by Close fails.
        return port.Read(&b, 1, &done);
    });
    while (!reading)
        std::this_thread::yield();
    port.Close();
    ASSERT_EQ(read.wait_for(15s), std::future_status::ready);
    EXPECT_FALSE(read.get());
}
