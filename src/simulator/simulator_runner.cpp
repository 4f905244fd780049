#include "simulator_runner.h"

#include "protocol/command_packet.h"
#include "simulator/pseudo_terminal.h"
#include "simulator/simulated_device.h"

#include <algorithm>
#include <array>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kPoll = 20ms;
// How long the line may stay full before the tool counts as gone.
constexpr auto kWriteLimit = 5s;
constexpr std::size_t kFloodBatch = 256;

// The checksum is the last byte, or the second byte of its escape pair; changing it so that it
// stays a plain byte keeps the frame whole and only the sum wrong.
void SpoilChecksum(std::vector<std::uint8_t>& packet)
{
    std::uint8_t& last = packet.back();
    const bool escaped = packet[packet.size() - 2] != Packet::kEnd;
    std::uint8_t changed = static_cast<std::uint8_t>(last ^ 0x01);
    if (!escaped && Packet::NeedsEscape(changed))
        changed = static_cast<std::uint8_t>(last ^ 0x02);
    last = changed;
}

} // namespace

CSimulatorRunner::CSimulatorRunner(CPseudoTerminal& line, CSimulatedDevice& device, const SimulatorOptions& options)
    : m_line(line), m_device(device), m_options(options), m_random(options.seed)
{
    m_device.Misbehave(options.misbehave);
}

void CSimulatorRunner::AddNoise()
{
    const int count = 1 + static_cast<int>(m_random() % 3);
    for (int i = 0; i < count; ++i)
        m_out.push_back(static_cast<std::uint8_t>(m_random()));
}

void CSimulatorRunner::Send(const CountedBytes& payload, bool spoilChecksum)
{
    if (m_options.noise && m_random() % 3 == 0)
        AddNoise();
    CCommandPacket packet;
    packet.SetCommand(payload);
    const auto bytes = packet.GetEncoded().Bytes();
    m_out.insert(m_out.end(), bytes.begin(), bytes.end());
    if (m_options.badChecksum || spoilChecksum)
        SpoilChecksum(m_out);
    m_packetEnds.push_back(m_out.size());
}

bool CSimulatorRunner::Flush()
{
    std::size_t written = 0;
    const bool whole = m_line.WriteAll(m_out, kWriteLimit, m_stop, &written);
    // Only packets that reached the line count as sent; the rest of a stalled write is dropped.
    const auto sent = std::ranges::upper_bound(m_packetEnds, written) - m_packetEnds.begin();
    m_packetsSent += static_cast<std::size_t>(sent);
    m_out.clear();
    m_packetEnds.clear();
    return whole;
}

void CSimulatorRunner::Flood(const std::atomic<bool>& stop)
{
    for (std::size_t sent = 0; sent < m_options.flood && !stop;) {
        const std::size_t batch = std::min(kFloodBatch, m_options.flood - sent);
        for (std::size_t i = 0; i < batch; ++i)
            Send(m_device.FloodPacket(sent + i));
        if (!Flush())
            return; // the tool went away
        sent += batch;
        m_floodSent = sent;
    }
}

void CSimulatorRunner::Run(const std::atomic<bool>& stop)
{
    m_stop = &stop;
    bool present = false;
    bool flooded = false;
    auto nextTick = Clock::now();
    std::array<std::uint8_t, 1024> input;
    while (!stop) {
        m_line.WaitInput(kPoll);
        if (!m_line.ClientPresent()) {
            present = false;
            continue;
        }
        const auto now = Clock::now();
        if (!present) {
            // Give the tool a moment to set the line up before speaking unasked.
            present = true;
            nextTick = now + m_options.rdsInterval;
        }
        const std::size_t n = m_line.ReadAvailable(input);
        m_device.Receive(std::span(input.data(), n));
        for (const CountedBytes& answer : m_device.TakeAnswers())
            Send(answer, m_device.SpoilsChecksum(answer));
        if (now >= nextTick) {
            nextTick = now + m_options.rdsInterval;
            if (m_device.SendsRds())
                Send(m_device.NextRdsPacket());
            else if (m_options.noise)
                AddNoise();
        }
        Flush();
        if (!flooded && m_options.flood > 0 && m_device.CommandsReceived() > 0) {
            flooded = true;
            Flood(stop);
        }
    }
}
