#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The builder's reverse direction: a number typed by the engineer becomes the value-byte text that
// follows the variable id in the command text.

// Both encoders read the whole text (blanks around it aside) as one number; text that is not
// wholly a number in range gives "<invalid>", so that a typo never becomes a value: "x" read as
// 0 dB would be an amplifier's loudest setting.

// A level in dB from -100 to 100 becomes its two little-endian bytes in units of 1/256 dB
// ("128 245" for -10.5). Anything out of range, an infinity or a NaN gives "<invalid>".
std::string EncodeLevelText(std::string_view text);

// A byte from -128 to 255 (two's complement below zero: "-1" gives "255"), or 0x00 to 0xFF.
std::string EncodeByteText(std::string_view text);

// A byte written as a whole number from -128 to 255 (two's complement below zero), or 0x00 to 0xFF.
std::optional<std::uint8_t> ReadValueByte(std::string_view word);

// Picks the encoding by variable id and model row (-1 for none); every other pairing, id 0 (no
// variable) included, returns the text unchanged.
std::string ConvertValueEntry(std::string_view text, int id, int modelRow);
