#include "log/session_reader.h"

#include "log/session_format.h"

#include <algorithm>
#include <cstring>
#include <variant>
#include <vector>

namespace {

// The lines of a stream, taken from it a block at a time and split where their line feeds are,
// so a long file costs a search per line rather than a call per byte. Never more than
// kMaxSessionLine of a line is held; a block is only taken as far as the stream already holds it,
// so a source that pauses (a pipe) is asked for more only once every line it gave has been handed
// over.
class LineSplitter {
public:
    explicit LineSplitter(std::streambuf& buffer) : m_buffer(buffer), m_block(kBlockBytes) {}

    // The next line, valid until the next call; false at the end.
    bool Next(std::string_view& line, bool& complete, bool& tooLong)
    {
        m_long.clear();
        complete = false;
        tooLong = false;
        bool any = false;
        for (;;) {
            if (m_begin == m_end && !Refill())
                break;
            any = true;
            const char* const start = m_block.data() + m_begin;
            const std::size_t size = m_end - m_begin;
            const auto* feed = static_cast<const char*>(std::memchr(start, '\n', size));
            const std::size_t piece = feed ? static_cast<std::size_t>(feed - start) : size;
            m_begin += feed ? piece + 1 : piece;
            if (feed && m_long.empty() && !tooLong) {
                line = std::string_view(start, piece);
                complete = true;
                return true;
            }
            const std::size_t room = kMaxSessionLine - m_long.size();
            m_long.append(start, std::min(piece, room));
            tooLong = tooLong || piece > room;
            if (feed) {
                complete = true;
                break;
            }
        }
        line = m_long;
        return any;
    }

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    // Takes what the stream holds without reading further, or else one byte, which may wait.
    bool Refill()
    {
        m_begin = 0;
        m_end = 0;
        const std::streamsize held = m_buffer.in_avail();
        if (held > 0) {
            m_end = static_cast<std::size_t>(m_buffer.sgetn(m_block.data(), std::min<std::streamsize>(held, kBlockBytes)));
            if (m_end > 0)
                return true;
        }
        const auto c = m_buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            return false;
        m_block[0] = std::char_traits<char>::to_char_type(c);
        m_end = 1;
        return true;
    }

    std::streambuf& m_buffer;
    std::vector<char> m_block;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::string m_long; // a line that runs past the end of a block
};

// Whether the stream starts with the column titles and a line feed (CR LF too). Reads no more
// than the titles' length: whatever else a file starts with, it is refused at once, however
// large it is.
bool ReadTitleLine(std::streambuf& buffer)
{
    for (const char expected : kSessionTitles)
        if (buffer.sbumpc() != std::char_traits<char>::to_int_type(expected))
            return false;
    auto c = buffer.sbumpc();
    if (c == '\r')
        c = buffer.sbumpc();
    return c == '\n';
}

} // namespace

bool ReadSession(std::istream& in, const SessionReadCallbacks& callbacks)
{
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !in.good())
        return false;
    try {
        // An empty file holds no rows and claims nothing; anything else must start as ours do.
        if (buffer->sgetc() == std::char_traits<char>::eof())
            return !in.bad();
        if (!ReadTitleLine(*buffer)) {
            callbacks.problem({1, std::string(kNotASessionFile), false, true});
            return !in.bad();
        }
        LineSplitter lines(*buffer);
        std::string_view text;
        bool complete = false;
        bool tooLong = false;
        for (std::size_t number = 2; lines.Next(text, complete, tooLong); ++number) {
            if (!text.empty() && text.back() == '\r')
                text.remove_suffix(1);
            // Checked first: a megabyte without a line feed is no row a killed recording left.
            if (tooLong) {
                callbacks.problem({number, "longer than " + std::to_string(kMaxSessionLine) + " bytes", false});
                continue;
            }
            if (!complete) {
                callbacks.problem({number, "cut short: the recording ended inside this line", true});
                break;
            }
            if (text.empty())
                continue;
            auto parsed = ParseSessionLine(text);
            if (auto* row = std::get_if<SessionRow>(&parsed))
                callbacks.row(std::move(*row));
            else
                callbacks.problem({number, std::get<std::string>(parsed), false});
        }
    } catch (const std::ios_base::failure&) {
        return false;
    }
    return !in.bad();
}
