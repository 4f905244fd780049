#pragma once

#include <memory>
#include <string>

// The simulated device of --simulate, served while the object lives. It runs on a pseudo-terminal,
// which POSIX systems have (simulated_port_posix.cpp) and Windows does not
// (simulated_port_win32.cpp: nothing starts, and SimulationUnavailable says why).
class CSimulatedPort {
public:
    virtual ~CSimulatedPort() = default;
    // The name of the port for the window to open.
    virtual const std::string& PortName() const = 0;
};

// Starts the device of catalogue row `model`; on failure returns nullptr and sets `error`.
std::unique_ptr<CSimulatedPort> StartSimulatedPort(int model, std::string& error);

// Empty where --simulate works; else why it does not, as the option's error.
std::string SimulationUnavailable();
