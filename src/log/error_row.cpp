#include "log/error_row.h"

namespace {

bool StartsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

// A received row whose encoded column is not byte values is a line error's text.
bool IsLineError(std::string_view encoded)
{
    return !encoded.empty() && (encoded.front() < '0' || encoded.front() > '9');
}

} // namespace

bool IsErrorRow(RowDirection direction, std::string_view encoded, std::string_view data)
{
    switch (direction) {
    case RowDirection::Received:
    case RowDirection::Controller: // what each side of a watched line sends is heard like an answer
    case RowDirection::Device:
        return data == "Checksum Error!" || data == "Invalid Packet!" || IsLineError(encoded);
    case RowDirection::Sent:
        return data == "RS232 Transmit Error";
    case RowDirection::Port:
        return StartsWith(encoded, "Could not open port: ") || StartsWith(encoded, "Device gone: ");
    }
    return false;
}
