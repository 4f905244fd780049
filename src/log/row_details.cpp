#include "log/row_details.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "log/error_row.h"
#include "protocol/byte_text.h"
#include "protocol/command_packet.h"

#include <cstdio>
#include <vector>

namespace {

std::string ByteColumns(std::size_t offset, std::uint8_t b)
{
    char text[64];
    std::snprintf(text, sizeof text, "%4lu  0x%02X  %3u  ", static_cast<unsigned long>(offset), static_cast<unsigned>(b),
                  static_cast<unsigned>(b));
    return text;
}

std::string Hex(std::uint8_t b)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", b);
    return text;
}

// What walking the packet byte by byte, as the receiver does, found.
struct PacketWalk {
    std::string lines;
    std::vector<std::uint8_t> payload;
    bool started = false;
    bool ended = false;        // the end marker came
    bool checksumSeen = false;
    bool checksumGood = false;
    std::string fault;         // the first thing that breaks the packet, in words
};

void Fault(PacketWalk& walk, std::string text)
{
    if (walk.fault.empty())
        walk.fault = std::move(text);
}

// The receiver's rules (see CReceiveFramer): a start marker opens a packet, bytes below 0x14 may
// travel only escaped (an escape byte, then the value with 0x40 added), the end marker closes the
// payload, and the byte after it is the checksum: the complement of the payload's sum.
PacketWalk WalkPacket(const std::vector<std::uint8_t>& bytes)
{
    PacketWalk walk;
    bool escape = false;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        std::string what;
        if (b < Packet::kFirstPlain)
            escape = false; // as the receiver: a control byte is never an escaped value
        if (i == 0 && b == Packet::kStart) {
            walk.started = true;
            what = "start marker";
        } else if (!walk.started) {
            what = "outside a packet";
            Fault(walk, "the bytes do not begin with a start marker (" + Hex(Packet::kStart) + ")");
        } else if (walk.checksumSeen) {
            what = "after the checksum";
            Fault(walk, "bytes follow the checksum");
        } else if (b == Packet::kEscape && !escape) {
            escape = true;
            what = walk.ended ? "escape: the checksum follows with 0x40 added" : "escape: the next byte is a payload byte with 0x40 added";
        } else if (b < Packet::kFirstPlain && !(b == Packet::kEnd && !walk.ended)) {
            what = "control byte where none may be";
            Fault(walk, "byte " + std::to_string(i) + " (" + Hex(b) + ") is a control byte, which may travel only "
                        "escaped inside a packet");
        } else if (b == Packet::kEnd && !walk.ended) {
            walk.ended = true;
            what = "end marker";
        } else {
            const std::uint8_t value = escape && b != Packet::kEscape ? static_cast<std::uint8_t>(b & ~Packet::kEscapeBit) : b;
            const std::string unescaped = escape ? " (unescaped " + std::to_string(value) + ", " + Hex(value) + ")" : "";
            escape = false;
            if (walk.ended) {
                const auto computed = static_cast<std::uint8_t>(~sum);
                walk.checksumSeen = true;
                walk.checksumGood = value == computed;
                what = "checksum" + unescaped + ": received " + std::to_string(value) + ", computed " +
                       std::to_string(computed) + ", " + (walk.checksumGood ? "correct" : "WRONG");
            } else {
                walk.payload.push_back(value);
                sum = static_cast<std::uint8_t>(sum + value);
                what = "payload byte " + std::to_string(walk.payload.size()) + unescaped;
            }
        }
        walk.lines += ByteColumns(i, b) + what + '\n';
    }
    if (walk.started && !walk.ended)
        Fault(walk, "the packet stops before its end marker: the next start marker, a failed read or the "
                    "128-byte limit cut it short");
    else if (walk.ended && !walk.checksumSeen)
        Fault(walk, "the packet stops after its end marker, before its checksum");
    else if (walk.checksumSeen && !walk.checksumGood)
        Fault(walk, "the checksum received is not the one computed from the payload: a byte was changed or "
                    "lost on the line");
    return walk;
}

std::string BytesText(const std::vector<std::uint8_t>& bytes, std::size_t from)
{
    std::string text;
    for (std::size_t i = from; i < bytes.size(); ++i)
        text += (i > from ? ", " : "") + std::to_string(bytes[i]);
    return text;
}

bool HasVariable(RowDirection direction, int type)
{
    return type == MessageType::kQuery || (direction == RowDirection::Sent && type == MessageType::kSet);
}

// The payload as the catalogue reads it: the type, the variable, each value byte and what it means.
std::string PayloadReading(const SessionRow& row, const std::vector<std::uint8_t>& payload)
{
    std::string text = "Payload: " + BytesText(payload, 0) + '\n';
    if (payload.empty())
        return text;
    const int type = payload[0];
    const char* typeName = row.direction == RowDirection::Sent ? CommandTypeName(type) : ResponseTypeName(type);
    text += "Message type: " + std::to_string(type) + " " + (typeName ? typeName : "(not a known type)") + '\n';
    if (payload.size() < 2)
        return text;
    const VariableEntry* variable = HasVariable(row.direction, type) ? FindVariableEntry(payload[1]) : nullptr;
    if (HasVariable(row.direction, type))
        text += "Variable: " + std::string(variable ? variable->name : "(not in the catalogue)") + " (id " +
                std::to_string(payload[1]) + ")\n";
    else
        text += "Parameter: " + std::to_string(payload[1]) + '\n';
    for (std::size_t i = 2; i < payload.size(); ++i) {
        text += "Value byte " + std::to_string(i - 1) + ": " + std::to_string(payload[i]);
        if (variable && variable->values && i == 2)
            text += std::string(" = ") + LookupValueName(variable->values, payload[i]);
        text += '\n';
    }
    if (variable && variable->formatter && payload.size() > 2)
        text += "Value reads: " + variable->formatter(payload.data() + 2, static_cast<int>(payload.size() - 2)) + '\n';
    return text;
}

std::string LineErrorWords(const std::string& text)
{
    if (text == "RS232 Framing Error!!!")
        return "the serial port received a byte without its stop bit: a line speed other than 9600 baud, a "
               "loose cable or noise on the line";
    if (text == "I/O Error!!!")
        return "the port could not be read: the device or its adapter has gone away";
    if (text == "Unknown RS232 Error!!!")
        return "the serial port reported an overrun, a parity error or a break: bytes were lost or changed";
    return "the read ended without a byte, for another reason (the port was closed)";
}

} // namespace

std::string RowDetailsText(const SessionRow& row)
{
    std::string text = "Time: " + FormatIsoTime(row.time) + '\n';
    text += "Direction: " + std::string(DirectionName(row.direction)) + '\n';
    if (row.direction == RowDirection::Port) {
        text += "Port event: " + row.encoded + '\n';
        if (!row.data.empty())
            text += "Reason: " + row.data + '\n';
        return text;
    }
    std::string packetText = row.encoded;
    if (row.direction == RowDirection::Sent && packetText.starts_with("Sent: "))
        packetText.erase(0, 6);
    const ByteTextResult bytes = ReadByteText(packetText);
    if (!bytes.error.empty() || bytes.bytes.empty()) {
        text += "Line error: " + row.encoded + '\n';
        text += "What went wrong: " + LineErrorWords(row.encoded) + '\n';
        return text;
    }
    const PacketWalk walk = WalkPacket(bytes.bytes);
    text += "Packet, " + std::to_string(bytes.bytes.size()) + " bytes as on the line:\n";
    text += "offset  hex   dec  meaning\n";
    text += walk.lines;
    if (walk.fault.empty())
        text += PayloadReading(row, walk.payload) + "Meaning: " + row.description + '\n';
    else
        text += "What went wrong: " + walk.fault + '\n';
    if (IsErrorRow(row.direction, row.encoded, row.data) && row.direction == RowDirection::Sent)
        text += "What went wrong: the command could not be written to the port whole\n";
    return text;
}
