#include "app/row_filter.h"

#include "log/error_row.h"
#include "script/compiled_pattern.h"

#include <algorithm>
#include <array>

namespace {

// Latin-1 lower case, as the log's text is shown: ASCII letters and the accented capitals.
constexpr std::array<char, 256> MakeFoldTable()
{
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const bool upper = (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        table[static_cast<std::size_t>(c)] = static_cast<char>(upper ? c + 0x20 : c);
    }
    return table;
}
constexpr std::array<char, 256> kFold = MakeFoldTable();

char Fold(char c) { return kFold[static_cast<unsigned char>(c)]; }

} // namespace

std::optional<CTextRule> CTextRule::Make(std::string_view text, bool regex, bool caseSensitive, std::string& error)
{
    CTextRule rule;
    rule.m_caseSensitive = caseSensitive;
    if (!regex && text.size() >= 2 && text.front() == '/' && text.back() == '/') {
        regex = true;
        text = text.substr(1, text.size() - 2);
    }
    if (regex && !text.empty()) {
        rule.m_pattern = CompiledPattern::Compile(text, error, caseSensitive);
        if (!rule.m_pattern)
            return std::nullopt;
        return rule;
    }
    rule.m_text = text;
    if (!caseSensitive)
        std::transform(rule.m_text.begin(), rule.m_text.end(), rule.m_text.begin(), Fold);
    return rule;
}

bool CTextRule::Matches(std::string_view description) const
{
    if (m_pattern)
        return m_pattern->MatchesPart(description);
    // Also for an empty description, where a search for nothing finds no place to start.
    if (m_text.empty())
        return true;
    if (m_caseSensitive)
        return description.find(m_text) != std::string_view::npos;
    return std::search(description.begin(), description.end(), m_text.begin(), m_text.end(),
                       [](char a, char b) { return Fold(a) == b; }) != description.end();
}

bool RowFilter::Matches(const LogRowView& row) const
{
    if (sentOnly && row.direction != RowDirection::Sent)
        return false;
    if (receivedOnly && row.direction != RowDirection::Received && !IsWatchedSide(row.direction))
        return false;
    if (side && row.direction != *side)
        return false;
    if (errorsOnly && !IsErrorRow(row.direction, row.encoded, row.data))
        return false;
    return text.Matches(row.description);
}
