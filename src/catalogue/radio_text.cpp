#include "radio_text.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kTrailingSpace = " \t\n\v\f\r";

} // namespace

std::string_view CRadioText::Visible() const
{
    return {m_text.data(), ::strnlen(m_text.data(), kLength)};
}

std::string CRadioText::Apply(const std::uint8_t* bytes, int count)
{
    // The first segment after the start or a clear finds fewer than 64 characters: it starts
    // from a blank line.
    if (Visible().size() < kLength)
        std::fill_n(m_text.begin(), kLength, ' ');

    if (count == 0) {
        m_text[0] = '\0';
        return "Clear RT";
    }
    if (count != 3 && count != 5)
        return "Invalid Data!";

    const std::size_t position = bytes[0];
    const std::size_t length = static_cast<std::size_t>(count) - 1;
    if (position + length > kLength)
        return "Invalid Data!";

    std::string segment;
    for (std::size_t i = 0; i < length; ++i)
        segment += bytes[1 + i] == 0 ? ' ' : static_cast<char>(bytes[1 + i]);
    std::copy(segment.begin(), segment.end(), m_text.begin() + static_cast<std::ptrdiff_t>(position));

    std::string_view full(m_text.data(), kLength);
    const std::size_t last = full.find_last_not_of(kTrailingSpace);
    full = last == std::string_view::npos ? std::string_view{} : full.substr(0, last + 1);

    return "This Packet: Pos " + std::to_string(position) + " = \"" + segment + "\", Full RT: \""
        + std::string(full) + "\"";
}
