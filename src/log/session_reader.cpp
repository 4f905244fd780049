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

} // namespace

bool ReadSession(std::istream& in, const SessionReadCallbacks& callbacks)
{
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !in.good())
        return false;
    std::string line;
    bool complete = false;
    bool tooLong = false;
    std::size_t number = 0;
    try {
        while (NextLine(*buffer, line, complete, tooLong)) {
            ++number;
            std::string_view text(line);
            if (!text.empty() && text.back() == '\r')
                text.remove_suffix(1);
            if (number == 1 && text == kSessionTitles)
                continue;
            if (!complete) {
                callbacks.problem({number, "cut short: the recording ended inside this line", true});
                break;
            }
            if (tooLong) {
                callbacks.problem({number, "longer than " + std::to_string(kMaxSessionLine) + " bytes", false});
                continue;
            }
            if (text.empty())
                continue;
            if (number == 1)
                callbacks.problem({number, "the column titles are missing; this may not be a session file", false});
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
