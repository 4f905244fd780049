#pragma once

#include "protocol/counted_bytes.h"
#include "protocol/receive_framer.h"
#include "simulator/device_variables.h"
#include "simulator/misbehaviour.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A device of the catalogue as the tool meets it on the line: it frames what it receives the way
// the tool does, ignores broken frames and checksum errors, and answers the commands its model
// understands. Only the answers' payloads are made here; the line puts them into packets.
class CSimulatedDevice : private IFrameSink {
public:
    explicit CSimulatedDevice(int modelRow);

    // Bytes from the tool, in any pieces.
    void Receive(std::span<const std::uint8_t> bytes);
    // The answers made since the last call, oldest first.
    std::vector<CountedBytes> TakeAnswers();
    // Valid commands received so far, answered or not.
    std::size_t CommandsReceived() const { return m_commands; }

    // Whether the tuner is on FM, when the device sends radio data of its own accord.
    bool SendsRds() const;
    // The next radio-data packet: the station name, then the radio text in four-character
    // segments, now and then preceded by a clear.
    CountedBytes NextRdsPacket();
    // Packet number index of a flood: the Value responses of the model's variables in turn.
    CountedBytes FloodPacket(std::size_t index) const;

    // From now on the device gets these variables wrong in the way given; see Misbehaviour.
    void Misbehave(const MisbehaviourMap& faults) { m_faults = faults; }
    // Whether this answer is to go out with a wrong checksum.
    bool SpoilsChecksum(const CountedBytes& answer) const;

    int ModelRow() const { return m_modelRow; }
    const CDeviceVariables& Variables() const { return m_variables; }

private:
    void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) override;
    void Answer(const CountedBytes& command);
    CountedBytes ValueResponse(std::uint8_t id) const;
    CountedBytes UnreadableValueResponse(std::uint8_t id) const;
    const Misbehaviour* FaultOf(std::uint8_t id) const;
    void Queue(const CountedBytes& answer);
    bool Offers(int messageType) const;

    int m_modelRow;
    CDeviceVariables m_variables;
    std::vector<std::uint8_t> m_floodIds;
    MisbehaviourMap m_faults;
    CReceiveFramer m_framer{*this};
    std::vector<CountedBytes> m_answers;
    std::size_t m_commands = 0;
    std::size_t m_rdsStep = 0;
    std::size_t m_rdsCycles = 0;
};
