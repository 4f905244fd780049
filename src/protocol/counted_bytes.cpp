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

std::string FormatBytes(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(bytes.size() * 5);
    char digits[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += ", ";
        auto [end, ec] = std::to_chars(digits, digits + sizeof digits, unsigned{bytes[i]});
        text.append(digits, end);
    }
    return text;
}
