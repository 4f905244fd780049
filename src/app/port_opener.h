#pragma once

#include "serial/line_settings.h"

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

class CSerialPort;

// Opens the window's port on a thread of its own: an open may wait seconds on a network gateway
// (a name server, a connection or a handshake that does not answer), and the window must answer
// its user meanwhile. A newer request cuts an older one short; only the newest one's outcome
// reaches the window, through its event loop. The outcome waits in a slot under the opener's lock
// and the queued call carries nothing, so every hand-over between the threads is one the program
// itself synchronises (and ThreadSanitizer checks).
class CPortOpener : public QObject {
public:
    struct Outcome {
        bool opened = false;
        bool retry = false; // the outcome of a quiet retry
        std::string error;  // why it did not open
    };
    using Done = std::function<void(const Outcome&)>;

    // done runs on the thread that makes the opener (the owner's).
    CPortOpener(QObject* owner, CSerialPort& port, const LineSettings& settings, Done done);
    ~CPortOpener();
    CPortOpener(const CPortOpener&) = delete;
    CPortOpener& operator=(const CPortOpener&) = delete;

    // Closes the port and opens the named one.
    void Open(const std::string& name);
    // Opens the named port; an open port stays as it is.
    void Retry(const std::string& name);
    // Cuts the present request short; its outcome is not delivered.
    void Cancel();
    // Cancels, and ends the thread; nothing is delivered after this.
    void Stop();
    // A request has been made whose outcome has not been delivered yet.
    bool IsBusy() const { return m_busy; }

private:
    struct Request {
        unsigned generation = 0;
        std::string name;
        bool retry = false;
    };

    void Post(const std::string& name, bool retry);
    void Run();
    void Deliver();
    bool Superseded(unsigned generation) const { return m_stop || m_generation.load() != generation; }

    CSerialPort& m_port;
    LineSettings m_settings;
    Done m_done;
    bool m_busy = false; // on the owner's thread

    std::atomic<unsigned> m_generation{0}; // of the newest request; older ones give way
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_request; // guarded by m_mutex
    std::optional<std::pair<unsigned, Outcome>> m_ready; // an outcome and its request's generation; guarded by m_mutex
    std::thread m_thread;
};
