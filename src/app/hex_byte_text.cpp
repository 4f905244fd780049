#include "app/hex_byte_text.h"

#include <charconv>

namespace {

// Calls take(token) for each piece of `text` between separators; false when a piece is refused
// or the text is empty.
template <class Take>
bool ForEachToken(std::string_view text, std::string_view separator, Take take)
{
    if (text.empty())
        return false;
    for (;;) {
        const std::size_t end = text.find(separator);
        if (!take(text.substr(0, end)))
            return false;
        if (end == std::string_view::npos)
            return true;
        text.remove_prefix(end + separator.size());
    }
}

std::optional<unsigned> ReadByte(std::string_view token, int base, std::size_t maxDigits)
{
    unsigned value = 0;
    if (token.empty() || token.size() > maxDigits)
        return std::nullopt;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value, base);
    if (error != std::errc() || end != token.data() + token.size() || value > 255)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> DecimalBytesToHex(std::string_view text)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    const bool whole = ForEachToken(text, ", ", [&out](std::string_view token) {
        // Only the log's own form: no sign, no leading zeros beyond a lone "0".
        if (token.size() > 1 && token.front() == '0')
            return false;
        const auto value = ReadByte(token, 10, 3);
        if (!value)
            return false;
        if (!out.empty())
            out += ' ';
        out += kDigits[*value >> 4];
        out += kDigits[*value & 0xF];
        return true;
    });
    return whole ? std::optional(std::move(out)) : std::nullopt;
}

std::optional<std::string> HexBytesToDecimal(std::string_view text)
{
    std::string out;
    out.reserve(text.size() * 2);
    const bool whole = ForEachToken(text, " ", [&out](std::string_view token) {
        const auto value = token.size() == 2 ? ReadByte(token, 16, 2) : std::nullopt;
        if (!value)
            return false;
        if (!out.empty())
            out += ", ";
        out += std::to_string(*value);
        return true;
    });
    return whole ? std::optional(std::move(out)) : std::nullopt;
}
