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
class ReceiveWorker {
public:
    static constexpr std::chrono::milliseconds kClosedPoll{100};
    static constexpr std::chrono::milliseconds kReopenPoll{500};

    ReceiveWorker(CSerialPort& port, IRowSink& sink);
    // Stops and joins the thread.
    ~ReceiveWorker();
    ReceiveWorker(const ReceiveWorker&) = delete;
    ReceiveWorker& operator=(const ReceiveWorker&) = delete;

    // Called on the worker thread with each byte read, before it is framed: a pass-through hands
    // it on from here without waiting for its packet to close. Set before Start.
    void ObserveBytes(std::function<void(std::uint8_t)> observer) { m_observer = std::move(observer); }

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

    private:
        IRowSink& m_sink;
    };

    void Run();
    // False when a stop was requested before or during the pause.
    bool Pause(std::chrono::milliseconds pause);

    CSerialPort& m_port;
    IRowSink& m_sink;
    TimedFrames m_frames;
    CReceiveFramer m_framer;
    std::function<void(std::uint8_t)> m_observer;
    std::atomic<bool> m_stop{false};
    std::mutex m_pauseMutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};
