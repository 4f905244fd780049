#pragma once

#include <optional>
#include <string>
#include <string_view>

// The log writes bytes as decimal values, "1, 20, 20, 2, 215". Read as hexadecimal they are
// "01 14 14 02 D7". A text that is not wholly such a list (a verdict, a line error) has no other form.
std::optional<std::string> DecimalBytesToHex(std::string_view text);
// The way back, for a text DecimalBytesToHex made.
std::optional<std::string> HexBytesToDecimal(std::string_view text);
