#pragma once

#include "protocol/receive_framer.h"
#include "serial/row_sink.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CSerialPort;

// Receives everything the device sends on a thread of its own: reads the port one byte at a
// time, cuts the bytes into frames and turns failed reads into line-error rows; a read ended by
// closing the port is no line error and gives no row. While the port is closed it looks every
// 100 ms. When the device vanishes it reports that once and then tries
// to open the same port again every half second, telling the sink when it is back; the GUI and
// the console monitor share this behaviour by sharing the worker.
//
// A thread that sits waiting for the next row (a test's expect) can borrow the reading: it then
// reads and frames on its own thread, so an answer reaches it without waking the worker first,
// as a single-threaded reader's would. The worker lends it only right after it has delivered a
// row, which wakes the waiter anyway, and only while the port reads without fault: line errors,
// a closed port and a vanished device stay the worker's to handle. Rows keep their order, as one
// thread reads at a time. A borrower that stops reading has the reading taken back within
// kLentIdle, or at once when it returns it.
class ReceiveWorker {
public:
    static constexpr std::chrono::milliseconds kClosedPoll{100};
    static constexpr std::chrono::milliseconds kReopenPoll{500};
    static constexpr std::chrono::milliseconds kLentIdle{10};

    ReceiveWorker(CSerialPort& port, IRowSink& sink);
    // Stops and joins the thread.
    ~ReceiveWorker();
    ReceiveWorker(const ReceiveWorker&) = delete;
    ReceiveWorker& operator=(const ReceiveWorker&) = delete;

    // Called on the worker thread with each byte read, before it is framed: a pass-through hands
    // it on from here without waiting for its packet to close. Set before Start.
    void ObserveBytes(std::function<void(std::uint8_t)> observer) { m_observer = std::move(observer); }

    // Reads and frames what arrives on the calling thread, until some bytes came or the
    // deadline, when the worker has lent it the reading; its rows reach the sink from this thread.
    // False, reading nothing, when the reading is the worker's: the wish is noted, and the worker
    // lends the reading once it has delivered its next row.
    bool ReadOnThisThread(std::chrono::steady_clock::time_point deadline);
    // The caller stops waiting for rows for a while: the worker reads again at once.
    void ReturnReading();

    void Start();
    // After this no row is produced. A read that is waiting ends at its time-out, or at once
    // when the port is closed, which is the way to shut down: RequestStop, close, Join.
    void RequestStop();
    void Join();
    void Stop()
    {
        RequestStop();
        Join();
    }

private:
    class TimedFrames : public IFrameSink {
    public:
        explicit TimedFrames(IRowSink& sink) : m_sink(sink) {}
        void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) override;
        std::size_t Delivered() const { return m_delivered; }

    private:
        IRowSink& m_sink;
        std::size_t m_delivered = 0;
    };

    void Run();
    // Reads what has arrived, waiting until the deadline for some, and frames it. False when the
    // read failed (a line error, the port closed or gone).
    bool ReadAndFrame(std::chrono::steady_clock::time_point deadline);
    void ReportReadFailure();
    // False when a stop was requested before or during the pause.
    bool Pause(std::chrono::milliseconds pause);
    // Sits out a loan of the reading; false when a stop was requested.
    bool WaitWhileLent();
    void LendIfAsked();

    CSerialPort& m_port;
    IRowSink& m_sink;
    TimedFrames m_frames;
    CReceiveFramer m_framer;
    std::function<void(std::uint8_t)> m_observer;
    std::atomic<bool> m_stop{false};
    std::mutex m_pauseMutex; // guards the stop request and the loan of the reading
    std::condition_variable m_wake;
    bool m_lendAsked = false;
    bool m_lent = false;
    bool m_borrowerReading = false;
    std::chrono::steady_clock::time_point m_lentUsedAt;
    std::thread m_thread;
};
