#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// An oracle for the tests, written apart from the program's own scanner: the code points of a
// UTF-8 text, or nothing when it is not valid UTF-8 (RFC 3629: shortest form, no surrogates,
// nothing past U+10FFFF).
inline std::optional<std::vector<char32_t>> DecodeUtf8(std::string_view text)
{
    std::vector<char32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || lead > 0xF7 || i + static_cast<std::size_t>(extra) >= text.size())
            return std::nullopt;
        char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (point < kSmallest[extra] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return std::nullopt;
        points.push_back(point);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return points;
}

inline bool IsValidUtf8(std::string_view text) { return DecodeUtf8(text).has_value(); }
