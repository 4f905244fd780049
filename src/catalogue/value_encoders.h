#pragma once

#include <string>
#include <string_view>

// The builder's reverse direction: a number typed by the engineer becomes the value-byte text that
// follows the variable id in the command text.

// A level in dB from -100 to 100 becomes its two little-endian bytes in units of 1/256 dB
// ("128 245" for -10.5). Text that is not a number reads as 0; anything out of range, an infinity
// or a NaN gives "<invalid>".
std::string EncodeLevelText(std::string_view text);

// A whole number keeps its low 8 bits ("-1" gives "255", "300" gives "44"); no number reads as 0.
std::string EncodeByteText(std::string_view text);

// Picks the encoding by variable id and model row (-1 for none); every other pairing, id 0 (no
// variable) included, returns the text unchanged.
std::string ConvertValueEntry(std::string_view text, int id, int modelRow);
