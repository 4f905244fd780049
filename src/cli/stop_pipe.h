#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

// Wakes a waiting thread: notes are written by other threads and by requests to stop (signals on
// POSIX, console control events on Windows) and taken by whoever waits. Each note is one character
// saying why. One implementation per platform: a pipe and poll, or a condition variable.
class StopPipe {
public:
    using Clock = std::chrono::steady_clock;

    StopPipe();
    ~StopPipe();
    StopPipe(const StopPipe&) = delete;
    StopPipe& operator=(const StopPipe&) = delete;

    bool IsOpen() const;
    void Note(char why) const;
    // Catches requests to end the process as CatchStopRequests does (SIGINT, SIGTERM, SIGHUP;
    // Ctrl+C, Ctrl+Break and the console closing on Windows) and wakes this pipe with a note 'S'
    // for each while it lives; one made before is noted at once.
    void CatchStopSignals() const;
    // The notes written so far, waiting for the first until `until` (for ever without one);
    // nothing when the deadline came first.
    std::string Take(std::optional<Clock::time_point> until) const;

    // The platform's means of waiting, for a reader that waits for its input and a note at once.
    struct Native;
    Native& GetNative() const { return *m_native; }

private:
    std::unique_ptr<Native> m_native;
};
