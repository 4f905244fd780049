// A thread waiting for rows borrows the receive worker's reading: what it reads keeps the
// order of the line, the worker takes the reading back when the borrower stops, and what the
// borrower's read cannot deal with (a line error) still becomes the worker's rows; while the
// borrower waits, the worker stays quiet.
#include "pty_helpers.h"
#include "recording_row_sink.h"

#include "serial/line_settings.h"
#include "serial/receive_worker.h"
#include "serial/serial_port.h"
#include "support/process_cpu.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using Rows = std::vector<std::string>;
using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Notes the thread each row was made on.
class ThreadNotingSink : public RecordingRowSink {
public:
    void LogPacket(Clock::time_point when, const CountedBytes& frame, const CountedBytes* payload,
                   bool checksumError) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_threads.push_back(std::this_thread::get_id());
        }
        RecordingRowSink::LogPacket(when, frame, payload, checksumError);
    }
    std::thread::id ThreadOf(std::size_t row)
    {
        const std::lock_guard lock(m_mutex);
        return m_threads.at(row);
    }

private:
    std::mutex m_mutex;
    std::vector<std::thread::id> m_threads;
};

class ReadingLoanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(pty.Create(error)) << error;
        ASSERT_TRUE(port.Open(pty.SlavePath(), kDeviceLineSettings)) << port.GetOpenError();
        worker.Start();
    }
    void TearDown() override
    {
        worker.RequestStop();
        port.Close();
        worker.Join();
    }
    // Asks for the reading, lets the device send a packet, and waits until the worker has lent
    // the reading after delivering that packet's row.
    void Borrow()
    {
        const std::size_t before = sink.Rows().size();
        ASSERT_FALSE(worker.ReadOnThisThread(SteadyClock::now()));
        DeviceSends(pty, {1, 20, 20, 2, 215});
        ASSERT_EQ(sink.WaitFor(before + 1).size(), before + 1);
        const auto giveUp = SteadyClock::now() + 20s;
        while (!worker.ReadOnThisThread(SteadyClock::now()))
            ASSERT_LT(SteadyClock::now(), giveUp) << "the reading was never lent";
    }
    // Reads on this thread until the sink holds count rows.
    void ReadHereUntil(std::size_t count)
    {
        const auto giveUp = SteadyClock::now() + 20s;
        while (sink.Rows().size() < count) {
            ASSERT_TRUE(worker.ReadOnThisThread(SteadyClock::now() + 100ms)) << "the loan ended early";
            ASSERT_LT(SteadyClock::now(), giveUp);
        }
    }

    CPseudoTerminal pty;
    CSerialPort port;
    ThreadNotingSink sink;
    ReceiveWorker worker{port, sink};
};

} // namespace

TEST_F(ReadingLoanTest, BorrowedReadingKeepsTheOrderAndIsTakenBack)
{
    Borrow();
    // A packet split across reads, then two in one: framed here, in the order they came.
    DeviceSends(pty, {1, 20});
    DeviceSends(pty, {20, 2, 215, 1, 20, 20, 2, 214, 1, 237, 2, 94, 82});
    ReadHereUntil(4);
    EXPECT_EQ(sink.Rows(), (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "valid: 1, 20, 20, 2, 215 / 20, 20",
                                 "checksum: 1, 20, 20, 2, 214", "valid: 1, 237, 2, 94, 82 / 237"}));
    for (std::size_t row = 1; row < 4; ++row)
        EXPECT_EQ(sink.ThreadOf(row), std::this_thread::get_id()) << "row " << row;

    // The borrower stops reading without a word: the worker reads again on its own.
    DeviceSends(pty, {1, 20, 20, 2, 215});
    ASSERT_EQ(sink.WaitFor(5, 20s).size(), 5u);
    EXPECT_NE(sink.ThreadOf(4), std::this_thread::get_id());

    // Returned at once, the reading is the worker's however soon the next packet comes.
    Borrow();
    worker.ReturnReading();
    EXPECT_FALSE(worker.ReadOnThisThread(SteadyClock::now())) << "still lent after its return";
    DeviceSends(pty, {1, 20, 21, 2, 214});
    ASSERT_EQ(sink.WaitFor(7, 20s).size(), 7u);
    EXPECT_NE(sink.ThreadOf(6), std::this_thread::get_id());
}

TEST_F(ReadingLoanTest, TheWorkerSitsQuietWhileTheBorrowerWaitsLong)
{
    Borrow();
    // A borrowed read that waits half a second for a device that says nothing: the worker only
    // looks now and then meanwhile, a few milliseconds of processor time in all. A worker
    // spinning on the loan takes as much of a core as the machine gives it (a quarter of one
    // at a load of 20 on 2 cores).
    const double cpuBefore = ProcessCpuMilliseconds();
    const auto begun = SteadyClock::now();
    ASSERT_TRUE(worker.ReadOnThisThread(begun + 500ms));
    const std::chrono::duration<double, std::milli> waited = SteadyClock::now() - begun;
    EXPECT_LT(ProcessCpuMilliseconds() - cpuBefore, waited.count() / 10);
    EXPECT_EQ(sink.Rows().size(), 1u);
}

TEST_F(ReadingLoanTest, ALineErrorTheBorrowerMeetsBecomesTheWorkersRows)
{
    Borrow();
    SetPortMarking(pty, false);
    DeviceSends(pty, {1, 20, 0xFF, 0x00, 0x41});
    // The borrower reads the bytes before the error, then meets the error and gives the reading
    // back at once (not when the worker finds it idle); the worker reports the broken frame and
    // the error, and reads on. A few reads take the bytes; a kept reading would fail over and over.
    int reads = 0;
    while (worker.ReadOnThisThread(SteadyClock::now() + 100ms))
        ASSERT_LT(++reads, 50) << "the borrower kept the reading";
    EXPECT_EQ(sink.WaitFor(3, 20s),
              (Rows{"valid: 1, 20, 20, 2, 215 / 20, 20", "broken: 1, 20", "line error: RS232 Framing Error!!!"}));
    SetPortMarking(pty, true);
    DeviceSends(pty, {1, 20, 20, 2, 215});
    EXPECT_EQ(sink.WaitFor(4, 20s).back(), "valid: 1, 20, 20, 2, 215 / 20, 20");
}
