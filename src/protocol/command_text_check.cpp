#include "protocol/command_text_check.h"

#include "protocol/byte_text.h"
#include "protocol/command_text_tokens.h"

#include <cctype>

namespace {

// Longer than any byte value ("0x00ff"); a longer token is shown by its start.
constexpr std::size_t kTokenShown = 24;

CommandTextProblem Problem(CommandTextProblem::Kind kind, std::size_t index, std::string_view token)
{
    std::string shown(token.substr(0, kTokenShown));
    if (token.size() > kTokenShown)
        shown += "...";
    return {kind, index, std::move(shown)};
}

} // namespace

std::string CommandTextProblem::Text() const
{
    const std::string value = "value " + std::to_string(index) + " (\"" + token + "\")";
    switch (kind) {
    case Kind::NotAByte:
        return value + " is not a byte value: write 0 to 255, or 0x00 to 0xFF";
    case Kind::StopWord:
        return value + " ends the command there: the values after it would not be sent";
    case Kind::TooLong:
        break;
    }
    return value + " is one too many: a command holds at most " + std::to_string(kMaxCommandBytes) + " bytes";
}

std::optional<CommandTextProblem> CheckCommandText(std::string_view text)
{
    CommandTokens tokens(text);
    std::size_t index = 0;
    for (std::string_view token; tokens.Next(token);) {
        ++index;
        // Blanks after a value are no part of it; blanks before it the tokens have dropped.
        while (!token.empty() && std::isspace(static_cast<unsigned char>(token.back())) != 0)
            token.remove_suffix(1);
        if (IsCommandStopWord(token))
            return Problem(CommandTextProblem::Kind::StopWord, index, token);
        if (!ReadByteValue(token))
            return Problem(CommandTextProblem::Kind::NotAByte, index, token);
        if (index > kMaxCommandBytes)
            return Problem(CommandTextProblem::Kind::TooLong, index, token);
    }
    return std::nullopt;
}
