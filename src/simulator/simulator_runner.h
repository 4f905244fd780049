#pragma once

#include "simulator/misbehaviour.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

class CPseudoTerminal;
class CSimulatedDevice;
class CountedBytes;

// Faults and extras the simulated line can add, for tests and demonstrations.
struct SimulatorOptions {
    bool noise = false;       // a few random bytes between packets now and then
    bool badChecksum = false; // every packet carries a wrong checksum
    std::size_t flood = 0;    // after the first command, this many packets as fast as the line takes them
    std::chrono::milliseconds rdsInterval{1000}; // one radio-data packet this often, while on FM
    std::uint32_t seed = std::random_device{}();
    MisbehaviourMap misbehave; // variables the device gets wrong, and how
};

// Serves a simulated device on a pseudo-terminal: passes what the tool writes to the device and
// the device's answers back as packets. Unsolicited traffic (radio data, noise, a flood) only
// flows while a tool has the port open, so nothing stale waits in the line for the next one.
class CSimulatorRunner {
public:
    CSimulatorRunner(CPseudoTerminal& line, CSimulatedDevice& device, const SimulatorOptions& options);

    // Returns when stop is set; looks at it at least every 20 ms.
    void Run(const std::atomic<bool>& stop);

    // Packets handed whole to the line; those a stalled or stopped write dropped do not count.
    std::size_t PacketsSent() const { return m_packetsSent; }
    std::size_t FloodSent() const { return m_floodSent; }

private:
    void Send(const CountedBytes& payload, bool spoilChecksum = false);
    void AddNoise();
    bool Flush();
    void Flood(const std::atomic<bool>& stop);

    CPseudoTerminal& m_line;
    CSimulatedDevice& m_device;
    SimulatorOptions m_options;
    std::mt19937 m_random;
    std::vector<std::uint8_t> m_out;
    std::vector<std::size_t> m_packetEnds; // where each packet in m_out ends
    const std::atomic<bool>* m_stop = nullptr;
    std::atomic<std::size_t> m_packetsSent{0};
    std::atomic<std::size_t> m_floodSent{0};
};
