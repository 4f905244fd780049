#pragma once

#include <cstdint>

class QFont;

// A font description in the platform's 60-byte record shape. Heights are in pixels: negative is
// the character height, positive the cell height, 0 the default size.
struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};
static_assert(sizeof(LOGFONT) == 60);

inline constexpr std::int32_t FW_NORMAL = 400;
inline constexpr std::int32_t FW_BOLD = 700;

// Fonts made from a record are sized in pixels, so text measures the same on every paint device.
QFont ToQFont(const LOGFONT& font);
LOGFONT FromQFont(const QFont& font);

// The font of message boxes: the application font.
LOGFONT GetMessageFont();
