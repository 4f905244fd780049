#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// The device end of a pseudo-terminal: the tool opens the other end (SlavePath) as its serial
// port. The line starts in raw mode so nothing is echoed back to the device before the tool has
// set it up, and the device can tell whether a tool has the port open.
class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // False, with the reason in error, when no pseudo-terminal could be made.
    bool Create(std::string& error);
    // Makes path a symbolic link to the port; removed by Close. Refuses a path that exists,
    // unless it is a link left behind to a pseudo-terminal that is gone, or to the one just made.
    bool Link(const std::string& path, std::string& error);
    // Closes the device end: the tool sees its device vanish.
    void Close();

    bool IsCreated() const { return m_master >= 0; }
    const std::string& SlavePath() const { return m_slavePath; }
    int MasterDescriptor() const { return m_master; }

    // Whether a tool has the port open; true again only after the next open.
    bool ClientPresent() const;
    // Waits until input is there, the tool comes or goes, or the time is up.
    void WaitInput(std::chrono::milliseconds timeout) const;
    // Whatever the tool has written (may be empty); never waits.
    std::size_t ReadAvailable(std::span<std::uint8_t> buffer) const;
    // Hands every byte to the line, waiting as long as the line is full (the tool reads slowly),
    // but no longer than the time-out; false when the tool closed the port, time ran out or stop
    // was set. written (if given) tells how many bytes went.
    bool WriteAll(std::span<const std::uint8_t> data, std::chrono::milliseconds timeout,
                  const std::atomic<bool>* stop = nullptr, std::size_t* written = nullptr) const;

private:
    int m_master = -1;
    std::string m_slavePath;
    std::string m_linkPath;
};
