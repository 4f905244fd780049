#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Widths already measured in one font, by text. A log repeats its texts (the same packets, the
// same second, the same descriptions), and shaping a text costs a thousand times more than
// finding it here. Bounded: past kMaxTexts the cache starts again, and long texts are not kept.
class CTextWidthCache {
public:
    static constexpr std::size_t kMaxTexts = 16384;
    static constexpr std::size_t kMaxTextBytes = 256;

    // The width remembered for the text, or -1.
    int Find(std::string_view text) const;
    void Remember(std::string_view text, int width);
    void Clear() { m_widths.clear(); }
    std::size_t Size() const { return m_widths.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::unordered_map<std::string, int, Hash, std::equal_to<>> m_widths;
};
