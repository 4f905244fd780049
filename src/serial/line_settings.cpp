#include "line_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

namespace {

constexpr unsigned kBaudRates[] = {50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400, 4800,
                                   9600, 19200, 38400, 57600, 115200, 230400, 460800, 500000,
                                   576000, 921600, 1000000, 1152000, 1500000, 2000000, 2500000,
                                   3000000, 3500000, 4000000};

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

// Stores one "key=value" pair; false when the pair is not understood or repeats a key.
bool ApplyPair(LineSettings& settings, std::string_view key, std::string_view value)
{
    const std::string name = Lower(key);
    if (name == "baud" && !settings.baud) {
        const auto baud = ReadNumber(value);
        if (!baud || std::ranges::find(kBaudRates, *baud) == std::end(kBaudRates))
            return false;
        settings.baud = baud;
        return true;
    }
    if (name == "parity" && !settings.parity) {
        if (value.size() != 1)
            return false;
        const char parity = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        if (std::string_view("NEOMS").find(parity) == std::string_view::npos)
            return false;
        settings.parity = parity;
        return true;
    }
    if (name == "data" && !settings.dataBits) {
        const auto bits = ReadNumber(value);
        if (!bits || *bits < 5 || *bits > 8)
            return false;
        settings.dataBits = bits;
        return true;
    }
    if (name == "stop" && !settings.stopBits) {
        const auto bits = ReadNumber(value);
        if (!bits || (*bits != 1 && *bits != 2))
            return false;
        settings.stopBits = bits;
        return true;
    }
    return false;
}

} // namespace

std::optional<LineSettings> ParseLineSettings(std::string_view text)
{
    LineSettings settings;
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
        if (equals == std::string_view::npos || !ApplyPair(settings, pair.substr(0, equals), pair.substr(equals + 1)))
            return std::nullopt;
        any = true;
        pos = end;
    }
    if (!any)
        return std::nullopt;
    return settings;
}
