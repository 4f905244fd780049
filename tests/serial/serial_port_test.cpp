#include "pty_helpers.h"

#include "serial/line_settings.h"
#include "serial/serial_port.h"
#include "support/waiting_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <future>
#include <thread>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr LineSettings kSettings = kDeviceLineSettings;

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(pty.Create(error)) << error;
        ASSERT_TRUE(port.Open(pty.SlavePath(), kSettings)) << port.GetOpenError();
    }

    // One byte at a time, as the receive worker reads, until count bytes or a failure.
    std::vector<std::uint8_t> ReadBytes(std::size_t count, bool* failed = nullptr)
    {
        std::vector<std::uint8_t> got;
        while (got.size() < count) {
            std::uint8_t b = 0;
            std::size_t done = 0;
            if (!port.Read(&b, 1, &done)) {
                if (failed)
                    *failed = true;
                break;
            }
            if (done == 0)
                break;
            got.push_back(b);
        }
        return got;
    }

    CPseudoTerminal pty;
    CSerialPort port;
};

} // namespace

TEST_F(SerialPortTest, OpensExclusively)
{
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.GetName(), pty.SlavePath());

    // Open on an open port fails and leaves it open.
    EXPECT_FALSE(port.Open(pty.SlavePath(), kSettings));
    EXPECT_EQ(port.OpenFailure().fault, PortFault::AlreadyOpen);
    EXPECT_TRUE(port.IsOpen());

    CSerialPort second;
    EXPECT_FALSE(second.Open(pty.SlavePath(), kSettings));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.OpenFailure().fault, PortFault::Busy) << second.GetOpenError();

    port.Close();
    EXPECT_FALSE(port.IsOpen());
    port.Close(); // closing a closed port does nothing
    EXPECT_TRUE(second.Open(pty.SlavePath(), kSettings)) << second.GetOpenError();
}

TEST_F(SerialPortTest, FailedOpensSayWhyAndLeaveNothingOpen)
{
    port.Close();
    CSerialPort other;
    EXPECT_FALSE(other.Open("/dev/vantrolix-no-such-port", kSettings));
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.OpenFailure().fault, PortFault::Missing);
    EXPECT_EQ(other.OpenFailure().systemCode, ENOENT);
    EXPECT_EQ(other.OpenFailure().where, "/dev/vantrolix-no-such-port");
    EXPECT_FALSE(other.Open("ttyVantrolixMissing", kSettings));
    EXPECT_EQ(other.OpenFailure().fault, PortFault::Missing);
    EXPECT_EQ(other.OpenFailure().where, "ttyVantrolixMissing (/dev/ttyVantrolixMissing)");

    EXPECT_FALSE(other.Open("/dev/null", kSettings));
    EXPECT_EQ(other.OpenFailure().fault, PortFault::NotSerial);
    EXPECT_EQ(other.OpenFailure().systemCode, ENOTTY);

    LineSettings impossible = kSettings;
    impossible.baud = 9601;
    EXPECT_FALSE(other.Open(pty.SlavePath(), impossible));
    EXPECT_EQ(other.OpenFailure().fault, PortFault::BadSettings);

    // A pseudo-terminal always carries 8 data bits without parity: the change does not take.
    LineSettings even = kSettings;
    even.parity = Parity::Even;
    EXPECT_FALSE(other.Open(pty.SlavePath(), even));
    EXPECT_EQ(other.OpenFailure().fault, PortFault::SettingsRefused);
    EXPECT_FALSE(other.IsOpen());

    // None of the failures kept the port: it still opens.
    EXPECT_TRUE(other.Open(pty.SlavePath(), kSettings)) << other.GetOpenError();
    EXPECT_FALSE(other.OpenFailure());
    EXPECT_EQ(other.GetOpenError(), "");
}

TEST(PortErrorText, NamesThePortAndTheCauseWhicheverSystemReportedIt)
{
    EXPECT_EQ(PortErrorText({PortFault::Busy, 16, "COM3 (/dev/ttyS2)", {}}), "COM3 (/dev/ttyS2) is in use by another program");
    EXPECT_EQ(PortErrorText({PortFault::Missing, 2, "/dev/ttyUSB7", {}}), "there is no such port: /dev/ttyUSB7");
    EXPECT_EQ(PortErrorText({PortFault::NotSerial, 25, "/dev/null", {}}), "/dev/null is not a serial port");
    EXPECT_EQ(PortErrorText({PortFault::SettingsRefused, 22, "/dev/pts/3", {}}),
              "/dev/pts/3 does not accept the line settings");
    EXPECT_EQ(PortErrorText({PortFault::BadSettings, 0, "ttyS0", "baud 9601, 8 data bits, 1 stop bits"}),
              "line settings no port can take (baud 9601, 8 data bits, 1 stop bits)");
    // Other failures carry the system's own words for the code.
    EXPECT_EQ(PortErrorText({PortFault::Failed, EIO, "ttyS0", {}}), "ttyS0: " + SystemErrorText(EIO));
}

TEST_F(SerialPortTest, ReadTimesOutAfterAboutOneSecond)
{
    std::uint8_t b = 0;
    std::size_t done = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.Read(&b, 1, &done));
    const double elapsed = MillisecondsSince(start);
    EXPECT_EQ(done, 0u);
    EXPECT_GE(elapsed, 990.0);
    EXPECT_LT(elapsed, 10'000.0); // a second is the behaviour; room for a loaded machine
    RecordProperty("read_timeout_ms", std::to_string(elapsed));
}

TEST_F(SerialPortTest, CloseWakesAPendingRead)
{
    // A read that would wait half a minute, ended well before that: only the close can have.
    port.SetReadTimeout(std::chrono::seconds(30));
    auto read = std::async(std::launch::async, [this] {
        std::uint8_t b = 0;
        std::size_t done = 0;
        // A read that ends at its time-out succeeds with no byte; one ended by Close fails.
        return port.Read(&b, 1, &done);
    });
    ASSERT_TRUE(WaitUntilAnotherThreadWaitsInPoll());
    port.Close();
    ASSERT_EQ(read.wait_for(std::chrono::seconds(15)), std::future_status::ready);
    EXPECT_FALSE(read.get());

    // The pending read ended with failure and no flags; the port is free again.
    std::uint32_t flags = 1;
    EXPECT_FALSE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, 0u);
    CSerialPort other;
    EXPECT_TRUE(other.Open(pty.SlavePath(), kSettings)) << other.GetOpenError();
}

TEST_F(SerialPortTest, WritesAndReadsEveryByteValue)
{
    std::vector<std::uint8_t> all(256);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i);

    std::size_t done = 0;
    ASSERT_TRUE(port.Write(all.data(), all.size(), &done));
    EXPECT_EQ(done, all.size());
    EXPECT_EQ(DeviceReceives(pty, all.size()), all);

    // The device's FF bytes reach the reader once each, however the reads are cut.
    DeviceSends(pty, all);
    EXPECT_EQ(ReadBytes(10), std::vector<std::uint8_t>(all.begin(), all.begin() + 10));
    std::vector<std::uint8_t> rest(all.size() - 10);
    ASSERT_TRUE(port.Read(rest.data(), rest.size(), &done));
    EXPECT_EQ(done, rest.size());
    EXPECT_EQ(rest, std::vector<std::uint8_t>(all.begin() + 10, all.end()));
}

TEST_F(SerialPortTest, ShortReadOnTimeOutKeepsWhatArrived)
{
    DeviceSends(pty, {1, 2, 3});
    std::uint8_t buffer[8] = {};
    std::size_t done = 0;
    EXPECT_TRUE(port.Read(buffer, sizeof buffer, &done));
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(buffer[2], 3);
}

namespace {

// Writes a line-error mark the way the kernel would, then lets the port mark again once the
// reader has consumed it.
void DeviceSendsMarked(const CPseudoTerminal& pty, std::vector<std::uint8_t> bytes)
{
    SetPortMarking(pty, false);
    DeviceSends(pty, bytes);
}

} // namespace

TEST_F(SerialPortTest, FramingErrorFailsTheReadUntilCleared)
{
    DeviceSendsMarked(pty, {0x41, 0xFF, 0x00, 0x42, 0x43});
    bool failed = false;
    EXPECT_EQ(ReadBytes(5, &failed), std::vector<std::uint8_t>{0x41}); // the byte before it first
    EXPECT_TRUE(failed);
    SetPortMarking(pty, true);

    // Reads fail at once while the flags are pending.
    std::uint8_t b = 0;
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.Read(&b, 1, &done));
    EXPECT_LT(MillisecondsSince(start), 1000.0); // at once; room for a loaded machine
    // A command still goes out meanwhile, and leaves the flags for the receive worker to report.
    const std::uint8_t command = 0x55;
    EXPECT_TRUE(port.Write(&command, 1, &done));
    EXPECT_EQ(done, 1u);
    EXPECT_EQ(DeviceReceives(pty, 1), std::vector<std::uint8_t>{0x55});

    std::uint32_t flags = 0;
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, CE_FRAME);
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, 0u);
    // The marked byte itself is dropped; what follows it reads normally.
    EXPECT_EQ(ReadBytes(1), std::vector<std::uint8_t>{0x43});
}

TEST_F(SerialPortTest, BreakIsReportedAsBreak)
{
    DeviceSendsMarked(pty, {0xFF, 0x00, 0x00});
    bool failed = false;
    EXPECT_TRUE(ReadBytes(1, &failed).empty());
    EXPECT_TRUE(failed);
    SetPortMarking(pty, true);
    std::uint32_t flags = 0;
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, CE_BREAK);
}

TEST(SerialPortCounters, RefineMarksAndReportOverruns)
{
    CPseudoTerminal pty;
    std::string error;
    ASSERT_TRUE(pty.Create(error)) << error;

    // A driver that counts: the test moves the counters as a UART would.
    struct Counters {
        std::mutex mutex;
        LineCounters now;
    };
    auto counters = std::make_shared<Counters>();
    CSerialPort port;
    port.SetCounterReader([counters](int, LineCounters& out) {
        std::lock_guard lock(counters->mutex);
        out = counters->now;
        return true;
    });
    ASSERT_TRUE(port.Open(pty.SlavePath(), kSettings)) << port.GetOpenError();
    auto bump = [&](std::uint64_t LineCounters::*field) {
        std::lock_guard lock(counters->mutex);
        ++(counters->now.*field);
    };
    std::uint8_t buffer[4];
    std::size_t done = 0;
    std::uint32_t flags = 0;

    // A mark that the counters call a parity error.
    bump(&LineCounters::parity);
    SetPortMarking(pty, false);
    DeviceSends(pty, {0xFF, 0x00, 0x41});
    EXPECT_FALSE(port.Read(buffer, 1, &done));
    SetPortMarking(pty, true);
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, CE_RXPARITY);

    // An overrun leaves no mark: the read after the bytes that came with it fails.
    bump(&LineCounters::overrun);
    bump(&LineCounters::bufferOverrun);
    DeviceSends(pty, {7, 8});
    EXPECT_TRUE(port.Read(buffer, 4, &done));
    EXPECT_EQ(done, 2u);
    EXPECT_FALSE(port.Read(buffer, 1, &done));
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, CE_OVERRUN | CE_RXOVER);
}

TEST_F(SerialPortTest, VanishedDeviceSetsIoErrorAndReturns)
{
    const std::string link = ::testing::TempDir() + "vantrolix-port-" + std::to_string(getpid());
    std::string error;
    ASSERT_TRUE(pty.Link(link, error)) << error;
    port.Close();
    ASSERT_TRUE(port.Open(link, kSettings)) << port.GetOpenError();

    pty.Close(); // the adapter is pulled out
    std::uint8_t b = 0;
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.Read(&b, 1, &done));
    EXPECT_LT(MillisecondsSince(start), 1000.0); // at once; room for a loaded machine
    std::uint32_t flags = 0;
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, CE_IOE);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(port.IsDeviceGone());
    EXPECT_FALSE(port.Write(&b, 1, &done));
    EXPECT_TRUE(port.ClearErrors(&flags));
    EXPECT_EQ(flags, CE_IOE);
    EXPECT_FALSE(port.TryReopen());
    EXPECT_TRUE(port.IsDeviceGone());

    // The device comes back under the same name.
    CPseudoTerminal again;
    ASSERT_TRUE(again.Create(error)) << error;
    ASSERT_TRUE(again.Link(link, error)) << error;
    EXPECT_TRUE(port.TryReopen()) << port.GetOpenError();
    EXPECT_FALSE(port.IsDeviceGone());
    EXPECT_FALSE(port.TryReopen()); // nothing to do on a working port
    DeviceSends(again, {42});
    EXPECT_TRUE(port.Read(&b, 1, &done));
    EXPECT_EQ(done, 1u);
    EXPECT_EQ(b, 42);
}

TEST_F(SerialPortTest, PumpRunsDuringASlowWriteAndMayCloseThePort)
{
    // Nobody reads at the device end, so a large write waits for room in the line.
    std::vector<std::uint8_t> big(1 << 20, 0x41);
    int pumps = 0;
    bool nestedWrite = true;
    port.SetPumpHook([&] {
        if (++pumps == 1) {
            // The user presses Send again: refused, rather than cut into the pending packet.
            const std::uint8_t other = 0x42;
            std::size_t nestedDone = 0;
            nestedWrite = port.Write(&other, 1, &nestedDone);
        }
        if (pumps == 3)
            port.Close(); // the user closes the window while the write waits
    });
    std::size_t done = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.Write(big.data(), big.size(), &done));
    EXPECT_LT(MillisecondsSince(start), 1000.0);
    EXPECT_EQ(pumps, 3);
    EXPECT_FALSE(nestedWrite);
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, big.size());
    EXPECT_FALSE(port.IsOpen());
    const auto received = DeviceReceives(pty, done);
    EXPECT_EQ(received, std::vector<std::uint8_t>(done, 0x41));
    // The device was given back once the write let go of it.
    CSerialPort other;
    EXPECT_TRUE(other.Open(pty.SlavePath(), kSettings)) << other.GetOpenError();
}

namespace {

// Tries to open the port as an ordinary user; the reason it gave, or "opened".
std::string OpenAsNobody(const std::string& name)
{
    int result[2];
    if (pipe(result) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(result[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        CSerialPort other;
        std::string reason = "opened";
        if (!other.Open(name, kSettings)) {
            const PortError error = other.OpenFailure();
            reason = error.fault == PortFault::PermissionDenied ? other.GetOpenError() : "another fault: " + other.GetOpenError();
        }
        [[maybe_unused]] const ssize_t n = write(result[1], reason.data(), reason.size());
        _exit(0);
    }
    close(result[1]);
    std::string reason;
    char buffer[512];
    for (ssize_t n; (n = read(result[0], buffer, sizeof buffer)) > 0;)
        reason.append(buffer, static_cast<std::size_t>(n));
    close(result[0]);
    waitpid(child, nullptr, 0);
    return reason;
}

} // namespace

TEST_F(SerialPortTest, PermissionDeniedSaysHowToGetAccess)
{
    const group* dialout = getgrnam("dialout");
    if (getuid() != 0 || !dialout)
        GTEST_SKIP() << "needs root and a dialout group to try the port as another user";
    port.Close();
    const std::string& path = pty.SlavePath();
    ASSERT_EQ(chown(path.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(path.c_str(), 0660), 0);
    EXPECT_EQ(OpenAsNobody(path), "permission denied on " + path
                                      + ": the port belongs to group dialout; join it with "
                                        "\"sudo usermod -aG dialout $USER\", then log in again");
    ASSERT_EQ(chown(path.c_str(), 0, 0), 0);
    EXPECT_EQ(OpenAsNobody(path), "permission denied on " + path + ": only root may open it; ask an administrator for access");
}
