#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

// Standard input as the monitor reads it: chunks as they come, waits that end at a deadline, and
// Ctrl+C (or a request to terminate) ending every wait so the port is closed before the tool
// exits. One implementation per platform; the previous interrupt handling is restored on
// destruction.
class ConsoleInput {
public:
    using Clock = std::chrono::steady_clock;
    enum class Result { Data, End, TimedOut, Interrupted };

    ConsoleInput();
    ~ConsoleInput();
    ConsoleInput(const ConsoleInput&) = delete;
    ConsoleInput& operator=(const ConsoleInput&) = delete;

    // Appends what has arrived to chunk. Without a deadline it waits as long as it takes.
    Result Read(std::string& chunk, std::optional<Clock::time_point> deadline);
    // Waits for the deadline only; false when interrupted first.
    bool WaitUntil(Clock::time_point deadline);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Standard input delivers its bytes unchanged: Windows would otherwise turn CR LF into LF and end
// the input at the first 0x1A, corrupting a captured byte stream.
void UseBinaryStandardInput();
