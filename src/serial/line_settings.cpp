#include "line_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>
#include <utility>

namespace {

std::optional<unsigned> ReadNumber(std::string_view text)
{
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::optional<bool> ReadSwitch(std::string_view value)
{
    const std::string word = Lower(value);
    if (word == "on")
        return true;
    if (word == "off")
        return false;
    return std::nullopt;
}

enum Key : unsigned { kBaud = 1, kParity = 2, kData = 4, kStop = 8, kDtr = 16, kRts = 32 };

// Stores one "key=value" pair; false when the pair is not understood or repeats a key.
bool ApplyPair(LineSettings& settings, unsigned& seen, std::string_view key, std::string_view value)
{
    const std::string name = Lower(key);
    const auto once = [&seen](Key k) { return (std::exchange(seen, seen | k) & k) == 0; };
    if (name == "baud" && once(kBaud)) {
        const auto baud = ReadNumber(value);
        if (!baud || !IsBaudRate(*baud))
            return false;
        settings.baud = *baud;
        return true;
    }
    if (name == "parity" && once(kParity)) {
        static constexpr std::string_view kLetters = "NEOMS"; // in the order of Parity
        const std::size_t at = value.size() == 1
            ? kLetters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(value[0]))))
            : std::string_view::npos;
        if (at == std::string_view::npos)
            return false;
        settings.parity = static_cast<Parity>(at);
        return true;
    }
    if (name == "data" && once(kData)) {
        const auto bits = ReadNumber(value);
        if (!bits || *bits < 5 || *bits > 8)
            return false;
        settings.dataBits = *bits;
        return true;
    }
    if (name == "stop" && once(kStop)) {
        const auto bits = ReadNumber(value);
        if (!bits || (*bits != 1 && *bits != 2))
            return false;
        settings.stopBits = *bits;
        return true;
    }
    if ((name == "dtr" && once(kDtr)) || (name == "rts" && once(kRts))) {
        const auto on = ReadSwitch(value);
        if (!on)
            return false;
        (name == "dtr" ? settings.dtr : settings.rts) = *on;
        return true;
    }
    return false;
}

} // namespace

bool IsBaudRate(unsigned baud)
{
#define VANTROLIX_BAUD_CASE(rate) case rate:
    switch (baud) {
        VANTROLIX_BAUD_RATES(VANTROLIX_BAUD_CASE)
        return true;
    default:
        return false;
    }
#undef VANTROLIX_BAUD_CASE
}

bool IsValid(const LineSettings& settings)
{
    return IsBaudRate(settings.baud) && settings.dataBits >= 5 && settings.dataBits <= 8
        && (settings.stopBits == 1 || settings.stopBits == 2);
}

std::optional<LineSettings> ParseLineSettings(std::string_view text, const LineSettings& base)
{
    LineSettings settings = base;
    unsigned seen = 0;
    bool any = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ' || text[pos] == '\t') {
            ++pos;
            continue;
        }
        std::size_t end = text.find_first_of(" \t", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view pair = text.substr(pos, end - pos);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos || !ApplyPair(settings, seen, pair.substr(0, equals), pair.substr(equals + 1)))
            return std::nullopt;
        any = true;
        pos = end;
    }
    if (!any)
        return std::nullopt;
    return settings;
}
