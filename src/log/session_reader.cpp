#include "log/session_reader.h"

#include "log/session_format.h"

#include <variant>

namespace {

// One line at a time, never more than kMaxSessionLine of it in memory. False at the end.
bool NextLine(std::streambuf& buffer, std::string& line, bool& complete, bool& tooLong)
{
    line.clear();
    complete = false;
    tooLong = false;
    bool any = false;
    for (;;) {
        const auto c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            return any;
        any = true;
        if (c == '\n') {
            complete = true;
            return true;
        }
        if (line.size() < kMaxSessionLine)
            line += static_cast<char>(c);
        else
            tooLong = true;
    }
}

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
        std::string line;
        bool complete = false;
        bool tooLong = false;
        for (std::size_t number = 2; NextLine(*buffer, line, complete, tooLong); ++number) {
            std::string_view text(line);
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
