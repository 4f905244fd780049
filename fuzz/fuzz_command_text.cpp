// Any text typed into the command field parses to at most 127 bytes and encodes whole.
#include "protocol/command_packet.h"
#include "protocol/command_text_parser.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CountedBytes payload = ParseCommandText(text);
    if (payload.Count() > CCommandPacket::kMaxPayload)
        std::abort();
    CCommandPacket packet;
    if (!packet.SetCommand(payload) || packet.GetCommand() != payload)
        std::abort();
    const std::size_t encoded = packet.GetEncoded().Count();
    if (encoded < payload.Count() + 3 || encoded > 2 * payload.Count() + 4)
        std::abort();
    return 0;
}
