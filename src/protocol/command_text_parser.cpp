#include "command_text_parser.h"

#include "protocol/command_text_tokens.h"

#include <cctype>

namespace {

int DigitValue(char c, bool hex)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (hex) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower >= 'a' && lower <= 'f')
            return lower - 'a' + 10;
    }
    return -1;
}

bool IsCSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::uint8_t ReadLowByte(std::string_view text, bool hex)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // "%x" accepts its own optional 0x prefix, as the C library's reader does.
    if (hex && text.size() - i >= 3 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')
        && DigitValue(text[i + 2], true) >= 0)
        i += 2;
    // Unsigned arithmetic wraps modulo 2^64, which keeps the low 8 bits exact for any length.
    std::uint64_t value = 0;
    const unsigned base = hex ? 16 : 10;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], hex);
        if (digit < 0)
            break;
        value = value * base + static_cast<unsigned>(digit);
    }
    if (negative)
        value = ~value + 1;
    return static_cast<std::uint8_t>(value & 0xFF);
}

CountedBytes ParseCommandText(std::string_view text)
{
    CountedBytes result;
    CommandTokens tokens(text);
    for (std::string_view token; tokens.Next(token);) {
        if (IsCommandStopWord(token))
            break;
        const bool hex = token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
        result.Append(hex ? ReadLowByte(token.substr(2), true) : ReadLowByte(token, false));
        if (result.Count() > kMaxCommandBytes) {
            result.Clear();
            break;
        }
    }
    return result;
}
