#include "value_encoders.h"

#include "c_locale_strtod.h"
#include "value_formatters.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <string>

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The whole text as a number, always with the C locale's decimal point (a GUI toolkit may have
// switched the process to the user's locale); nothing when anything but the number is there.
std::optional<double> ReadWholeNumber(std::string_view text)
{
    const std::string number(text);
    char* end = nullptr;
    const double value = StrtodInCLocale(number.c_str(), &end);
    if (number.empty() || end != number.c_str() + number.size())
        return std::nullopt;
    return value;
}

std::string EncodeWord(unsigned word)
{
    return std::to_string(word & 0xFF) + ' ' + std::to_string((word >> 8) & 0xFF);
}

} // namespace

std::optional<std::uint8_t> ReadValueByte(std::string_view word)
{
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        unsigned value = 0;
        const auto [end, failure] = std::from_chars(word.data() + 2, word.data() + word.size(), value, 16);
        if (failure != std::errc{} || end != word.data() + word.size() || value > 0xFF)
            return std::nullopt;
        return static_cast<std::uint8_t>(value);
    }
    int value = 0;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (failure != std::errc{} || end != word.data() + word.size() || value < -128 || value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

std::string EncodeLevelText(std::string_view text)
{
    const auto level = ReadWholeNumber(Trimmed(text));
    // Written so that a NaN fails the test as well.
    if (!level || !(*level >= -100.0 && *level <= 100.0))
        return kInvalidValue;
    // Truncation toward zero, then the 16-bit two's complement word.
    const auto scaled = static_cast<std::int32_t>(*level * 256.0);
    return EncodeWord(static_cast<std::uint16_t>(scaled));
}

std::string EncodeByteText(std::string_view text)
{
    const auto byte = ReadValueByte(Trimmed(text));
    return byte ? std::to_string(*byte) : kInvalidValue;
}

std::string ConvertValueEntry(std::string_view text, int id, int modelRow)
{
    constexpr int kVolume = 23;
    constexpr int kPictureBrightness = 103;
    constexpr int kPictureSharpness = 106;
    constexpr int kMasterVolume = 111;
    const bool levelModel = modelRow == 1 || modelRow == 2;   // Brisolt, Cadrell
    const bool byteModel = modelRow == 4 || modelRow == 6;    // Elmora, Gavrel

    if (id == kVolume && levelModel)
        return EncodeLevelText(text);
    if (id == kVolume && byteModel)
        return EncodeByteText(text);
    if (id >= kPictureBrightness && id <= kPictureSharpness && byteModel)
        return EncodeByteText(text);
    if (id == kMasterVolume && byteModel)
        return EncodeLevelText(text);
    return std::string(text);
}
