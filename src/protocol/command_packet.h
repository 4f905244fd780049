#pragma once

#include "counted_bytes.h"

#include <cstdint>
#include <string>

// The packet format of the serial line, in both directions.
namespace Packet {
constexpr std::uint8_t kStart = 0x01;
constexpr std::uint8_t kEnd = 0x02;
constexpr std::uint8_t kEscape = 0x5E;
constexpr std::uint8_t kFirstPlain = 0x14; // bytes below this travel escaped
constexpr std::uint8_t kEscapeBit = 0x40;

constexpr bool NeedsEscape(std::uint8_t b) { return b < kFirstPlain || b == kEscape; }
} // namespace Packet

// The command prepared in the main window together with its encoded packet. Every payload the
// command text parser can produce (up to 127 bytes) is encoded whole, even when its packet is
// longer than a device's 128-byte receive frame: a test engineer may send one on purpose.
class CCommandPacket {
public:
    CCommandPacket() = default;
    virtual ~CCommandPacket() = default;

    // The longest payload the command text parser produces; its packet needs at most 258 bytes.
    static constexpr std::size_t kMaxPayload = 127;

    // A payload longer than kMaxPayload is refused the way the parser refuses an over-long text:
    // it becomes the empty command, and the result is false.
    bool SetCommand(const CountedBytes& command);
    const CountedBytes& GetEncoded() const { return m_encoded; }
    std::string GetEncodedText() const { return FormatBytes(m_encoded); }
    const CountedBytes& GetCommand() const { return m_command; }

private:
    void BeginFrame();
    void AppendRaw(std::uint8_t byte);
    void AppendEscaped(std::uint8_t byte);
    void EndFrame();

    std::uint8_t m_sum = 0;
    CountedBytes m_encoded;
    CountedBytes m_command;
};
