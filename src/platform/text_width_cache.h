#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Widths already measured in one font, by text. A log repeats its texts (the same packets, the
// same second, the same descriptions), and shaping a text costs a thousand times more than
// finding it here. Bounded: at most kMaxTexts texts, in two generations of half as many each;
// when the recent one is full it becomes the older one and the one before is let go, so texts
// that recur (found again in the older generation and brought back) stay while a stream of
// texts seen once (a clock with milliseconds) passes through, and a log whose texts recur
// within 16,384 others finds them all. Long texts are not kept.
class CTextWidthCache {
public:
    static constexpr std::size_t kMaxTexts = 32768;
    static constexpr std::size_t kMaxTextBytes = 256;

    // The width remembered for the text, or -1.
    int Find(std::string_view text);
    void Remember(std::string_view text, int width);
    void Clear();
    std::size_t Size() const { return m_recent.size() + m_older.size(); }

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    using Widths = std::unordered_map<std::string, int, Hash, std::equal_to<>>;
    Widths m_recent;
    Widths m_older;
};
