#include "value_formatters.h"

#include <charconv>

// Numbers are written with <charconv>, which ignores the process locale: a GUI toolkit switches
// the C locale to the user's, and a level must read "-10.500000 dB" there too, not "-10,500000 dB".

namespace {

std::string Decimal(long long value)
{
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, end);
}

std::string Fixed(double value, int decimals)
{
    // A 16-bit word over 256 or 100 needs at most 6 integer digits.
    char digits[48];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    return std::string(digits, end);
}

// Two digits at least, as "%02u".
std::string TwoDigits(unsigned value)
{
    std::string text = Decimal(value);
    if (text.size() < 2)
        text.insert(0, 1, '0');
    return text;
}

unsigned Word(const std::uint8_t* bytes)
{
    return bytes[0] + 256u * bytes[1];
}

} // namespace

std::string FormatText(const std::uint8_t* bytes, int count)
{
    std::string text;
    for (int i = 0; i < count && bytes[i] != 0; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

std::string FormatLevel(const std::uint8_t* bytes, int count)
{
    if (count == 1)
        return Decimal(static_cast<std::int8_t>(bytes[0])) + " dB";
    if (count == 2) {
        const auto w = static_cast<std::int16_t>(static_cast<std::uint16_t>(Word(bytes)));
        return Fixed(w * 0.00390625, 6) + " dB";
    }
    return kInvalidValue;
}

std::string FormatByte(const std::uint8_t* bytes, int count)
{
    if (count != 1)
        return kInvalidValue;
    return Decimal(bytes[0]);
}

std::string FormatByteList(const std::uint8_t* bytes, int count)
{
    if (count < 1 || count > 3)
        return kInvalidValue;
    std::string text = Decimal(bytes[0]);
    for (int i = 1; i < count; ++i)
        text += ' ' + Decimal(bytes[i]);
    return text;
}

std::string FormatWord(const std::uint8_t* bytes, int count)
{
    if (count != 2)
        return kInvalidValue;
    return Decimal(Word(bytes));
}

std::string FormatFmFrequency(const std::uint8_t* bytes, int count)
{
    if (count != 2)
        return kInvalidValue;
    return Fixed(Word(bytes) * 0.01, 2);
}

std::string FormatPlayTime(const std::uint8_t* bytes, int count)
{
    if (count != 3)
        return kInvalidValue;
    return TwoDigits(bytes[0]) + ':' + TwoDigits(bytes[1]) + ':' + TwoDigits(bytes[2]);
}

std::string FormatSignedByte(const std::uint8_t* bytes, int count)
{
    if (count != 1)
        return kInvalidValue;
    return Decimal(static_cast<std::int8_t>(bytes[0]));
}

std::string FormatTitleChapter(const std::uint8_t* bytes, int count)
{
    if (count != 2)
        return kInvalidValue;
    return "Title: " + Decimal(bytes[0]) + "   Chapter: " + Decimal(bytes[1]);
}
