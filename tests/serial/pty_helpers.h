#pragma once

#include "simulator/pseudo_terminal.h"

#include <chrono>
#include <cstdint>
#include <vector>

#include <termios.h>

// Termios calls on the device end act on the port's end: with marking switched off there, bytes
// written by the device reach the port exactly as written, so a test can write the kernel's
// marks for line errors itself.
inline void SetPortMarking(const CPseudoTerminal& pty, bool on)
{
    termios mode {};
    tcgetattr(pty.MasterDescriptor(), &mode);
    if (on)
        mode.c_iflag |= PARMRK;
    else
        mode.c_iflag &= ~static_cast<tcflag_t>(PARMRK);
    tcsetattr(pty.MasterDescriptor(), TCSANOW, &mode);
}

inline void DeviceSends(const CPseudoTerminal& pty, std::vector<std::uint8_t> bytes)
{
    pty.WriteAll(bytes, std::chrono::seconds(2));
}

// What the device has received, waiting until count bytes are there or two seconds have passed.
inline std::vector<std::uint8_t> DeviceReceives(const CPseudoTerminal& pty, std::size_t count)
{
    std::vector<std::uint8_t> got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::uint8_t buffer[4096];
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        pty.WaitInput(std::chrono::milliseconds(20));
        const std::size_t n = pty.ReadAvailable(buffer);
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

inline double MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
