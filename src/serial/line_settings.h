#pragma once

#include <optional>
#include <string_view>

// Line settings written as a mode text, "baud=9600 parity=N data=8 stop=1". Keys may come in any
// order and any case, separated by spaces; a key that is left out keeps the port's present value.
struct LineSettings {
    std::optional<unsigned> baud;
    std::optional<char> parity; // 'N', 'E', 'O', 'M' or 'S'
    std::optional<unsigned> dataBits; // 5 to 8
    std::optional<unsigned> stopBits; // 1 or 2
};

// The settings the tool always uses with its devices.
constexpr std::string_view kDeviceLineSettings = "baud=9600 parity=N data=8 stop=1";

// Nothing is returned for malformed text: an unknown key, a value out of range, a key given
// twice, or no key at all.
std::optional<LineSettings> ParseLineSettings(std::string_view text);
