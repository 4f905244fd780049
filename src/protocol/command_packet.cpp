#include "command_packet.h"

#include <cassert>

static_assert(2 * CCommandPacket::kMaxPayload + 4 <= CountedBytes::kCapacity,
              "the packet of the longest payload must fit");

bool CCommandPacket::SetCommand(const CountedBytes& command)
{
    const bool fits = command.Count() <= kMaxPayload;
    if (fits)
        m_command = command;
    else
        m_command.Clear();
    BeginFrame();
    for (std::uint8_t b : m_command.Bytes())
        AppendEscaped(b);
    EndFrame();
    return fits;
}

void CCommandPacket::BeginFrame()
{
    m_sum = 0;
    m_encoded.Clear();
    AppendRaw(Packet::kStart);
}

void CCommandPacket::AppendRaw(std::uint8_t byte)
{
    // Cannot fail: SetCommand admits only payloads whose worst-case packet fits.
    [[maybe_unused]] bool appended = m_encoded.Append(byte);
    assert(appended);
}

void CCommandPacket::AppendEscaped(std::uint8_t byte)
{
    m_sum = static_cast<std::uint8_t>(m_sum + byte);
    if (Packet::NeedsEscape(byte)) {
        AppendRaw(Packet::kEscape);
        AppendRaw(static_cast<std::uint8_t>(byte | Packet::kEscapeBit));
    } else {
        AppendRaw(byte);
    }
}

void CCommandPacket::EndFrame()
{
    AppendRaw(Packet::kEnd);
    AppendEscaped(static_cast<std::uint8_t>(~m_sum));
}
