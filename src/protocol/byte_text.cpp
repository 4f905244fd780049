#include "protocol/byte_text.h"

#include <cctype>
#include <charconv>

namespace {

bool IsSeparator(char c)
{
    return c == ',' || std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::optional<std::uint8_t> ParseToken(std::string_view token)
{
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        token.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
    if (ec != std::errc{} || end != token.data() + token.size() || value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace

ByteTextResult ReadByteText(std::string_view text)
{
    ByteTextResult result;
    std::size_t pos = 0;
    std::size_t index = 0;
    while (pos < text.size()) {
        if (IsSeparator(text[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        const std::string_view token = text.substr(pos, end - pos);
        ++index;
        const auto byte = ParseToken(token);
        if (!byte) {
            result.error = "value " + std::to_string(index) + " (\"" + std::string(token)
                + "\") is not a byte value from 0 to 255";
            return result;
        }
        result.bytes.push_back(*byte);
        pos = end;
    }
    return result;
}
