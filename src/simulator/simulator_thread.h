#pragma once

#include "simulator/pseudo_terminal.h"
#include "simulator/simulated_device.h"
#include "simulator/simulator_runner.h"

#include <atomic>
#include <string>
#include <thread>

// A simulated device served on a thread of its own, for programs that want a device in-process
// (tests, benchmarks). It stops and joins when destroyed.
class CSimulatorThread {
public:
    CSimulatorThread(int modelRow, const SimulatorOptions& options);
    ~CSimulatorThread();
    CSimulatorThread(const CSimulatorThread&) = delete;
    CSimulatorThread& operator=(const CSimulatorThread&) = delete;

    // False when no pseudo-terminal could be made; error then says why.
    bool Started() const { return m_thread.joinable(); }
    const std::string& Error() const { return m_error; }
    // The name of the port for the tool to open.
    const std::string& PortName() const { return m_line.SlavePath(); }
    const CSimulatorRunner& Runner() const { return m_runner; }

private:
    CPseudoTerminal m_line;
    CSimulatedDevice m_device;
    CSimulatorRunner m_runner;
    std::string m_error;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
