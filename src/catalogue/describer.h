#pragma once

#include "protocol/counted_bytes.h"

#include <cstdint>
#include <string>

class CRadioText;

// One-line English descriptions of messages: byte 1 (index 0) is the message type, byte 2 the
// variable id or first parameter, the rest value bytes. Only the counted bytes are read. A
// message that cannot be decoded gives empty text, a shortened description or "<invalid>" in
// place of a value; describing never fails.

// An outgoing command (types 20 to 26).
std::string DescribeCommand(const CountedBytes& message);

// A received response (types 20 to 28). RDS radio text accumulates in radioText, the one of the
// stream the response came in on.
std::string DescribeResponse(const CountedBytes& message, CRadioText& radioText);

// The content of an RDS PS response after its type byte: an 8-character station name.
std::string DescribeRdsPs(const std::uint8_t* bytes, int count);
// The content of an RDS RT response after its type byte, applied to radioText.
std::string DescribeRdsRt(const std::uint8_t* bytes, int count, CRadioText& radioText);
