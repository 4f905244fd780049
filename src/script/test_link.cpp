#include "script/test_link.h"

std::optional<CCommandPacket> TestPacket(const CountedBytes& payload, std::string& error)
{
    CCommandPacket packet;
    if (packet.SetCommand(payload))
        return packet;
    error = "the command is longer than " + std::to_string(CCommandPacket::kMaxPayload) + " bytes";
    return std::nullopt;
}

std::string TransmitErrorText(std::size_t sent, std::size_t count)
{
    return "RS232 Transmit Error: " + std::to_string(sent) + " of " + std::to_string(count) + " bytes sent";
}
