#include "log/session_format.h"

#include "log/printable_text.h"

#include <array>

namespace {

// Whether a field may hold something to escape: a control byte, or a byte of a non-ASCII
// character, which is checked to be valid UTF-8.
bool MayNeedEscapes(std::string_view text)
{
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F)
            return true;
    }
    return false;
}

// The common case, plain ASCII, is copied as it is.
void AppendField(std::string& out, std::string_view text)
{
    if (MayNeedEscapes(text))
        AppendPrintableText(out, text);
    else
        out += text;
}

// Escaped as in the session format first, so a CSV file is valid UTF-8 too; then quoted.
void AppendCsvField(std::string& out, std::string_view text)
{
    std::string printable;
    if (MayNeedEscapes(text)) {
        printable = PrintableText(text);
        text = printable;
    }
    if (text.find_first_of(",\"") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

template <class Field>
void AppendRow(std::string& out, const SessionRow& row, char separator, Field field, std::string_view end)
{
    out += FormatIsoTime(row.time);
    out += separator;
    out += DirectionName(row.direction);
    out += separator;
    field(out, row.encoded);
    out += separator;
    field(out, row.data);
    out += separator;
    field(out, row.description);
    out += end;
}

} // namespace

void AppendSessionLine(std::string& out, const SessionRow& row)
{
    AppendRow(out, row, '\t', AppendField, "\n");
}

std::variant<SessionRow, std::string> ParseSessionLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::array<std::string_view, 5> fields;
    std::size_t count = 0;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        if (count == fields.size())
            return "more than five tab-separated fields";
        fields[count++] = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    if (count != fields.size())
        return "only " + std::to_string(count) + " of the five tab-separated fields";
    const auto time = ParseIsoTime(fields[0]);
    if (!time)
        return "the time \"" + PrintableText(fields[0]) + "\" is not of the form 2026-12-07T13:04:56.123+01:00";
    const auto direction = ParseDirection(fields[1]);
    if (!direction)
        return "the direction \"" + PrintableText(fields[1]) + "\" is not received, sent, port, controller or device";
    // A file edited by hand may hold control bytes, and one written before every file here was
    // UTF-8 holds device bytes 0x80-0xFF as they came: both are shown as \xNN, as the writer
    // shows control characters. Reading such a byte as Latin-1 would be right for old device
    // text but wrong for a name in another encoding, and a bad byte cannot tell which it is;
    // escaped, it keeps its value and passes nothing unreadable on to a terminal or a file.
    SessionRow row{*time, *direction, {}, {}, {}};
    AppendField(row.encoded, fields[2]);
    AppendField(row.data, fields[3]);
    AppendField(row.description, fields[4]);
    return row;
}

void AppendCsvLine(std::string& out, const SessionRow& row)
{
    AppendRow(out, row, ',', AppendCsvField, "\r\n");
}
