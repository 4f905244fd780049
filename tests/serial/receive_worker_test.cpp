#include "pty_helpers.h"
#include "recording_row_sink.h"

#include "serial/line_settings.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"
#include "support/process_cpu.h"
#include "support/waiting_thread.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

#include <unistd.h>

namespace {

using Rows = std::vector<std::string>;
using namespace std::chrono_literals;

constexpr LineSettings kSettings = kDeviceLineSettings;

class ReceiveWorkerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(pty.Create(error)) << error;
    }
    void TearDown() override
    {
        worker.RequestStop();
        port.Close();
        worker.Join();
    }
    void OpenAndStart()
    {
        ASSERT_TRUE(port.Open(pty.SlavePath(), kSettings)) << port.GetOpenError();
        worker.Start();
    }

    CPseudoTerminal pty;
    CSerialPort port;
    RecordingRowSink sink;
    ReceiveWorker worker{port, sink};
};

} // namespace

TEST_F(ReceiveWorkerTest, RowsArriveInOrder)
{
    OpenAndStart();
    DeviceSends(pty, {1, 20, 20, 2, 215, 65, 1, 20, 20, 2, 214, 1, 237, 2, 94, 82});
    EXPECT_EQ(sink.WaitFor(4), (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "broken: 65",
                                     "checksum: 1, 20, 20, 2, 214", "valid: 1, 237, 2, 94, 82 / 237"}));
}

TEST_F(ReceiveWorkerTest, TimeStampIsWhenTheFrameClosed)
{
    OpenAndStart();
    DeviceSends(pty, {1, 20, 20, 2});
    std::this_thread::sleep_for(300ms);
    const auto lastByte = IRowSink::Clock::now();
    DeviceSends(pty, {215});
    ASSERT_EQ(sink.WaitFor(1).size(), 1u);
    EXPECT_GE(sink.TimeOf(0), lastByte);
}

TEST_F(ReceiveWorkerTest, BrokenFrameRowComesBeforeTheLineErrorThatCausedIt)
{
    OpenAndStart();
    SetPortMarking(pty, false);
    DeviceSends(pty, {1, 20, 0xFF, 0x00, 0x41});
    EXPECT_EQ(sink.WaitFor(2), (Rows{"broken: 1, 20", "line error: RS232 Framing Error!!!"}));
    SetPortMarking(pty, true);
    // A line error with nothing gathered gives only its own row; then reading goes on.
    SetPortMarking(pty, false);
    DeviceSends(pty, {0xFF, 0x00, 0x00});
    EXPECT_EQ(sink.WaitFor(3).back(), "line error: Unknown RS232 Error!!!");
    SetPortMarking(pty, true);
    DeviceSends(pty, {1, 20, 20, 2, 215});
    EXPECT_EQ(sink.WaitFor(4).back(), "valid: 1, 20, 20, 2, 215 / 20, 20");
}

TEST_F(ReceiveWorkerTest, APortOpenedAfterTheStartIsPickedUp)
{
    // Started on a closed port, the worker looks again now and then rather than giving up.
    worker.Start();
    ASSERT_TRUE(port.Open(pty.SlavePath(), kSettings)) << port.GetOpenError();
    DeviceSends(pty, {1, 20, 20, 2, 215});
    EXPECT_EQ(sink.WaitFor(1), Rows{"valid: 1, 20, 20, 2, 215 / 20, 20"});
}

TEST_F(ReceiveWorkerTest, ClosingThePortOnPurposeIsNoLineError)
{
    // Closed while a read waits and opened again, as Setup does: the next row is the device's.
    OpenAndStart();
    DeviceSends(pty, {1, 20, 20, 2, 215});
    ASSERT_EQ(sink.WaitFor(1).size(), 1u);
    port.Close();
    ASSERT_TRUE(port.Open(pty.SlavePath(), kSettings)) << port.GetOpenError();
    DeviceSends(pty, {1, 20, 21, 2, 214});
    EXPECT_EQ(sink.WaitFor(2), (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "valid: 1, 20, 21, 2, 214 / 20, 21"}));
}

TEST_F(ReceiveWorkerTest, ShutdownWakesTheWaitingReadAndIsSilent)
{
    // Reads that would wait half a minute: a worker that is out well before that was woken by
    // the close, not let go by its read's time-out.
    port.SetReadTimeout(30s);
    OpenAndStart();
    // A packet and a frame half received: once the packet's row is in, the worker's next wait
    // for the device is the read that the close must end.
    DeviceSends(pty, {1, 20, 20, 2, 215, 1, 20});
    ASSERT_EQ(sink.WaitFor(1).size(), 1u);
    ASSERT_TRUE(WaitUntilAnotherThreadWaitsInPoll());
    // Close waits for the read to leave, so the whole shutdown runs aside and is waited for.
    auto shutdown = std::async(std::launch::async, [this] {
        worker.RequestStop();
        port.Close();
        worker.Join();
    });
    EXPECT_EQ(shutdown.wait_for(15s), std::future_status::ready);
    shutdown.get();
    EXPECT_EQ(sink.Rows(), Rows{"valid: 1, 20, 20, 2, 215 / 20, 20"});
}

TEST_F(ReceiveWorkerTest, VanishedDeviceGivesOneRowAndComesBack)
{
    const std::string link = ::testing::TempDir() + "vantrolix-worker-" + std::to_string(getpid());
    std::string error;
    ASSERT_TRUE(pty.Link(link, error)) << error;
    ASSERT_TRUE(port.Open(link, kSettings)) << port.GetOpenError();
    worker.Start();
    // A hang-up drops what the port has not read yet: the half frame comes in one write with a
    // whole packet, and the packet's row shows that the worker has read both.
    DeviceSends(pty, {1, 20, 20, 2, 215, 1, 20, 20});
    ASSERT_EQ(sink.WaitFor(1).size(), 1u);

    pty.Close(); // the adapter is pulled out
    EXPECT_EQ(sink.WaitFor(4), (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "broken: 1, 20, 20",
                                     "line error: I/O Error!!!", "event: gone " + link}));

    // Away for a while: no more rows, and the worker only looks now and then.
    const double cpuBefore = ProcessCpuMilliseconds();
    std::this_thread::sleep_for(1200ms);
    // A spinning worker would take the whole 1200 ms; a few looks take a few.
    EXPECT_LT(ProcessCpuMilliseconds() - cpuBefore, 600.0);
    EXPECT_EQ(sink.Rows().size(), 4u);
    EXPECT_TRUE(port.IsOpen());

    CPseudoTerminal again;
    ASSERT_TRUE(again.Create(error)) << error;
    ASSERT_TRUE(again.Link(link, error)) << error;
    EXPECT_EQ(sink.WaitFor(5, 20s).back(), "event: reopened " + link);
    DeviceSends(again, {1, 20, 20, 2, 215});
    EXPECT_EQ(sink.WaitFor(6).back(), "valid: 1, 20, 20, 2, 215 / 20, 20");
}
