#include "protocol/byte_text.h"

#include <cctype>
#include <charconv>

namespace {

// No byte value is longer ("0x00ff"); a longer token is an error however it ends, so a stream
// without separators cannot make the reader hold more than this.
constexpr std::size_t kLongestShown = 16;

bool IsSeparator(char c)
{
    return c == ',' || std::isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::optional<std::uint8_t> ReadByteValue(std::string_view token)
{
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        token.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, base);
    if (ec != std::errc{} || end != token.data() + token.size() || value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

bool ByteTextReader::Token(std::string_view token, std::vector<std::uint8_t>& bytes)
{
    ++m_index;
    const auto byte = token.size() <= kLongestShown ? ReadByteValue(token) : std::nullopt;
    if (!byte) {
        const std::string shown = token.size() <= kLongestShown ? std::string(token)
                                                                : std::string(token.substr(0, kLongestShown)) + "...";
        m_error = "value " + std::to_string(m_index) + " (\"" + shown + "\") is not a byte value from 0 to 255";
        return false;
    }
    bytes.push_back(*byte);
    return true;
}

bool ByteTextReader::Feed(std::string_view block, std::vector<std::uint8_t>& bytes)
{
    if (!m_error.empty())
        return false;
    std::size_t pos = 0;
    if (!m_partial.empty()) {
        while (pos < block.size() && !IsSeparator(block[pos]) && m_partial.size() <= kLongestShown)
            m_partial += block[pos++];
        if (pos == block.size() && m_partial.size() <= kLongestShown)
            return true;
        const bool ok = Token(m_partial, bytes);
        m_partial.clear();
        if (!ok)
            return false;
    }
    while (pos < block.size()) {
        if (IsSeparator(block[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < block.size() && !IsSeparator(block[end]))
            ++end;
        if (end == block.size() && end - pos <= kLongestShown) {
            m_partial.assign(block.substr(pos));
            return true;
        }
        if (!Token(block.substr(pos, end - pos), bytes))
            return false;
        pos = end;
    }
    return true;
}

bool ByteTextReader::Finish(std::vector<std::uint8_t>& bytes)
{
    if (!m_error.empty())
        return false;
    if (m_partial.empty())
        return true;
    const bool ok = Token(m_partial, bytes);
    m_partial.clear();
    return ok;
}

ByteTextResult ReadByteText(std::string_view text)
{
    ByteTextResult result;
    ByteTextReader reader;
    if (!reader.Feed(text, result.bytes) || !reader.Finish(result.bytes))
        result.error = reader.Error();
    return result;
}
