#include "counted_bytes.h"

#include <algorithm>
#include <charconv>

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

// Each byte's decimal text, made once: printing long captures is mostly this.
struct ByteTexts {
    std::array<std::array<char, 4>, 256> text{}; // digits, then their count in the last slot
    ByteTexts()
    {
        for (unsigned b = 0; b < 256; ++b) {
            auto [end, ec] = std::to_chars(text[b].data(), text[b].data() + 3, b);
            text[b][3] = static_cast<char>(end - text[b].data());
        }
    }
};

const ByteTexts kByteTexts;

} // namespace

void AppendBytesText(std::string& out, std::span<const std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out.append(", ", 2);
        const auto& text = kByteTexts.text[bytes[i]];
        out.append(text.data(), static_cast<std::size_t>(text[3]));
    }
}

std::string FormatBytes(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * 5);
    AppendBytesText(text, bytes);
    return text;
}
