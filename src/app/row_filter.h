#pragma once

#include "log/session_row.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class CompiledPattern;

// A text typed to find or filter rows: plain text found anywhere in a row's description, or a
// regular expression in RE2's syntax (no back-references or look-arounds, so any pattern takes time
// in proportion to the text) when it is written /like this/ or the Regex box is checked. Letters
// match either case unless asked otherwise. An empty text matches every row.
class CTextRule {
public:
    CTextRule() = default;
    // Nothing, with the reason in `error`, for a regular expression that does not compile.
    static std::optional<CTextRule> Make(std::string_view text, bool regex, bool caseSensitive, std::string& error);

    bool IsEmpty() const { return m_text.empty() && !m_pattern; }
    bool Matches(std::string_view description) const;

private:
    std::string m_text; // folded to lower case when letters match either case
    bool m_caseSensitive = false;
    std::shared_ptr<const CompiledPattern> m_pattern;
};

// What a filter or a search reads of a row: its direction and columns, as the log shows them.
struct LogRowView {
    RowDirection direction = RowDirection::Received;
    std::string_view encoded;
    std::string_view data;
    std::string_view description;
};

// The rows the log shows: those whose description the text matches and that pass each toggle.
// Received rows are all the rows heard from the line: a watched line's both sides too.
struct RowFilter {
    CTextRule text;
    bool errorsOnly = false;
    bool sentOnly = false;
    bool receivedOnly = false;
    // One side of a watched line.
    std::optional<RowDirection> side;

    bool IsEmpty() const { return text.IsEmpty() && !errorsOnly && !sentOnly && !receivedOnly && !side; }
    bool Matches(const LogRowView& row) const;
};
