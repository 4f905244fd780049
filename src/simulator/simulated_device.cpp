#include "simulated_device.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/value_formatters.h"
#include "protocol/command_packet.h"

#include <string>
#include <utility>

namespace {

// Message types this device sends and understands beyond Query and Set.
constexpr std::uint8_t kGetVersion = 23;
constexpr std::uint8_t kSoftwareVersion = 23;
constexpr std::uint8_t kTunerBandId = 43;
constexpr std::uint8_t kBandFm = 1;

constexpr std::uint8_t kVersion[] = {2, 1, 7};

constexpr std::string_view kStationName = "VX RADIO";
constexpr std::string_view kRadioText = "Vantrolix FM, the simulated tuner. Now playing: So What, M Davis";
static_assert(kStationName.size() == 8);
static_assert(kRadioText.size() == 64);
constexpr std::size_t kRtSegments = 64 / 4;
// A clear of the radio text before every third round of segments.
constexpr std::size_t kClearEvery = 3;

} // namespace

CSimulatedDevice::CSimulatedDevice(int modelRow)
    : m_modelRow(modelRow), m_variables(modelRow), m_floodIds(m_variables.Ids())
{
}

void CSimulatedDevice::Receive(std::span<const std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes)
        m_framer.PutByte(b);
}

std::vector<CountedBytes> CSimulatedDevice::TakeAnswers()
{
    return std::exchange(m_answers, {});
}

void CSimulatedDevice::OnFrame(const CountedBytes&, const CountedBytes* payload, bool)
{
    if (!payload)
        return; // broken or checksum error: a device does not answer what it cannot trust
    ++m_commands;
    Answer(*payload);
}

bool CSimulatedDevice::Offers(int messageType) const
{
    return BitTest(messageType - kFirstCommandType, ModelTypeMask(m_modelRow));
}

void CSimulatedDevice::Queue(const CountedBytes& answer)
{
    // An answer whose packet would not fit the tool's 128-byte frame is not sent: the device's
    // own frame has the same limit, so it never has such a value to report.
    CCommandPacket packet;
    packet.SetCommand(answer);
    if (packet.GetEncoded().Count() <= CReceiveFramer::kMaxFrame)
        m_answers.push_back(answer);
}

CountedBytes CSimulatedDevice::ValueResponse(std::uint8_t id) const
{
    CountedBytes response{static_cast<std::uint8_t>(MessageType::kValue), id};
    if (const auto* value = m_variables.Value(id))
        for (const std::uint8_t b : *value)
            response.Append(b);
    return response;
}

const Misbehaviour* CSimulatedDevice::FaultOf(std::uint8_t id) const
{
    const auto found = m_faults.find(id);
    return found == m_faults.end() ? nullptr : &found->second;
}

bool CSimulatedDevice::SpoilsChecksum(const CountedBytes& answer) const
{
    if (answer.Count() < 2 || answer[0] != MessageType::kValue)
        return false;
    const Misbehaviour* fault = FaultOf(answer[1]);
    return fault && *fault == Misbehaviour::BadChecksum;
}

// A value the catalogue reads as "<invalid>": a byte outside the variable's list, or a length
// its formatter refuses. A text can hold any bytes, so its wrong answer names no variable.
CountedBytes CSimulatedDevice::UnreadableValueResponse(std::uint8_t id) const
{
    const auto valueType = static_cast<std::uint8_t>(MessageType::kValue);
    const VariableEntry* variable = FindVariableEntry(id);
    if (variable && variable->values) {
        for (unsigned candidate = 0; candidate <= 0xFF; ++candidate) {
            const auto byte = static_cast<std::uint8_t>(candidate);
            if (std::string_view(LookupValueName(variable->values, byte)) == kInvalidValue)
                return CountedBytes{valueType, id, byte};
        }
    }
    if (variable && variable->formatter) {
        const std::uint8_t zeros[4] = {};
        for (int count = 0; count <= 4; ++count)
            if (variable->formatter(zeros, count) == kInvalidValue) {
                CountedBytes response{valueType, id};
                for (int i = 0; i < count; ++i)
                    response.Append(0);
                return response;
            }
    }
    return CountedBytes{valueType};
}

void CSimulatedDevice::Answer(const CountedBytes& command)
{
    if (command.Empty() || command[0] < kFirstCommandType || command[0] > kLastCommandType || !Offers(command[0]))
        return;
    const std::uint8_t type = command[0];
    if (type == MessageType::kQuery || type == MessageType::kSet) {
        if (command.Count() < 2 || !m_variables.Has(command[1]) || (type == MessageType::kQuery && command.Count() != 2))
            return;
        // A variable that is only reported keeps its value; the answer shows it unchanged.
        if (type == MessageType::kSet && command.Count() > 2)
            m_variables.Set(command[1], command.Bytes().subspan(2));
        const Misbehaviour* fault = FaultOf(command[1]);
        if (!fault)
            Queue(ValueResponse(command[1]));
        else if (*fault == Misbehaviour::WrongValue)
            Queue(UnreadableValueResponse(command[1]));
        else if (*fault == Misbehaviour::BadChecksum)
            Queue(ValueResponse(command[1]));
        return;
    }
    if (type == kGetVersion) {
        CountedBytes version{kSoftwareVersion};
        for (const std::uint8_t b : kVersion)
            version.Append(b);
        Queue(version);
        return;
    }
    if ((type == MessageType::kAvPreset || type == MessageType::kTunerPreset) && command.Count() == 2)
        Queue(CountedBytes{type, command[1]}); // "Preset Stored" carries the same type number
}

bool CSimulatedDevice::SendsRds() const
{
    const auto* band = m_variables.Value(kTunerBandId);
    return band && band->size() == 1 && (*band)[0] == kBandFm;
}

CountedBytes CSimulatedDevice::NextRdsPacket()
{
    // Steps: 0 station name, 1 to 16 the radio text segments, then a clear now and then.
    const std::size_t steps = 1 + kRtSegments + (m_rdsCycles % kClearEvery == kClearEvery - 1 ? 1 : 0);
    const std::size_t step = m_rdsStep;
    m_rdsStep = (m_rdsStep + 1) % steps;
    if (m_rdsStep == 0)
        ++m_rdsCycles;

    if (step == 0) {
        CountedBytes ps{static_cast<std::uint8_t>(MessageType::kRdsPs)};
        for (const char c : kStationName)
            ps.Append(static_cast<std::uint8_t>(c));
        return ps;
    }
    if (step > kRtSegments)
        return CountedBytes{static_cast<std::uint8_t>(MessageType::kRdsRt)}; // Clear RT
    const std::size_t position = (step - 1) * 4;
    CountedBytes rt{static_cast<std::uint8_t>(MessageType::kRdsRt), static_cast<std::uint8_t>(position)};
    for (std::size_t i = 0; i < 4; ++i)
        rt.Append(static_cast<std::uint8_t>(kRadioText[position + i]));
    return rt;
}

CountedBytes CSimulatedDevice::FloodPacket(std::size_t index) const
{
    return ValueResponse(m_floodIds[index % m_floodIds.size()]);
}
