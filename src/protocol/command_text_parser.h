#pragma once

#include "counted_bytes.h"

#include <string_view>

// Turns the "Command Data" text (byte values in decimal or 0x hex, separated by spaces or commas)
// into a payload of 0 to 127 bytes. A text of 128 or more values gives the empty command; the
// word "<invalid>" ends the command; a token that is not a number takes a byte of value 0; a
// number out of range keeps its low 8 bits. It makes the preview of any text; whatever sends a
// typed command asks CheckCommandText first.
CountedBytes ParseCommandText(std::string_view text);

// Reads a C-style number prefix ("%d", or "%x" when hex) and keeps its low 8 bits, wrapping
// instead of overflowing. Nothing readable gives 0.
std::uint8_t ReadLowByte(std::string_view text, bool hex);
