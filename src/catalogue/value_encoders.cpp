#include "value_encoders.h"

#include "c_locale_strtod.h"
#include "protocol/command_text_parser.h"
#include "value_formatters.h"

#include <cstdint>
#include <string>

namespace {

// Reads a number the way atof does, but always with the C locale's decimal point (a GUI toolkit
// may have switched the process to the user's locale) and without atof's undefined behaviour on
// out-of-range input: strtod answers it with an infinity or zero, which the range test rejects.
double ReadDouble(std::string_view text)
{
    return StrtodInCLocale(std::string(text).c_str());
}

std::string EncodeWord(unsigned word)
{
    return std::to_string(word & 0xFF) + ' ' + std::to_string((word >> 8) & 0xFF);
}

} // namespace

std::string EncodeLevelText(std::string_view text)
{
    const double level = ReadDouble(text);
    // Written so that a NaN fails the test as well.
    if (!(level >= -100.0 && level <= 100.0))
        return kInvalidValue;
    // Truncation toward zero, then the 16-bit two's complement word.
    const auto scaled = static_cast<std::int32_t>(level * 256.0);
    return EncodeWord(static_cast<std::uint16_t>(scaled));
}

std::string EncodeByteText(std::string_view text)
{
    return std::to_string(ReadLowByte(text, false));
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
