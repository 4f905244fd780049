#include "counted_bytes.h"

#include <algorithm>
#include <charconv>
#include <cstring>

CountedBytes::CountedBytes(std::initializer_list<std::uint8_t> bytes)
    : CountedBytes(std::span<const std::uint8_t>(bytes.begin(), bytes.size()))
{
}

CountedBytes::CountedBytes(std::span<const std::uint8_t> bytes)
{
    m_count = std::min(bytes.size(), kCapacity);
    std::copy_n(bytes.begin(), m_count, m_data.begin());
}

bool operator==(const CountedBytes& a, const CountedBytes& b)
{
    return std::ranges::equal(a.Bytes(), b.Bytes());
}

namespace {

// Each byte's text with the separator before it, ", 255", made once: printing long captures is
// mostly this. Eight bytes an entry, so that one fixed-size copy moves any of them.
struct ByteTexts {
    struct Entry {
        char text[8];
        std::uint8_t length; // of the separator and the digits
    };
    std::array<Entry, 256> entries{};
    ByteTexts()
    {
        for (unsigned b = 0; b < 256; ++b) {
            Entry& entry = entries[b];
            entry.text[0] = ',';
            entry.text[1] = ' ';
            auto [end, ec] = std::to_chars(entry.text + 2, entry.text + 5, b);
            entry.length = static_cast<std::uint8_t>(end - entry.text);
        }
    }
};

const ByteTexts kByteTexts;

} // namespace

void AppendBytesText(std::string& out, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return;
    // Gathered on the stack and appended in pieces: one append per byte is the slow part.
    char piece[1024 + 8];
    std::size_t used = 0;
    auto put = [&](std::uint8_t b, std::size_t skip) {
        const auto& entry = kByteTexts.entries[b];
        std::memcpy(piece + used, entry.text + skip, 8 - skip);
        used += entry.length - skip;
    };
    put(bytes[0], 2); // no separator before the first
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        if (used > 1024) {
            out.append(piece, used);
            used = 0;
        }
        put(bytes[i], 0);
    }
    out.append(piece, used);
}

std::string FormatBytes(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * 5);
    AppendBytesText(text, bytes);
    return text;
}
