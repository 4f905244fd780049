#pragma once

#include <cstddef>
#include <string_view>

// The tokens of a "Command Data" text as its parser reads them: separated by spaces and commas,
// each with its leading white space (a tab, a carriage return) dropped. The parser and the check
// of the text share this, so the check names exactly the token the parser would misread.
class CommandTokens {
public:
    explicit CommandTokens(std::string_view text) : m_text(text) {}

    // The next token; false at the end of the text.
    bool Next(std::string_view& token);

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The word that ends a command text: what the catalogue writes for a value it cannot render.
inline constexpr std::string_view kCommandStopWord = "<invalid>";
// A command holds this many bytes at most; a text with more is no command.
inline constexpr std::size_t kMaxCommandBytes = 127;

bool IsCommandStopWord(std::string_view token);
