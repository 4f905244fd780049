#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Why a "Command Data" text is not the command it reads as. The parser is forgiving (it shows
// a preview of any text), so everything that sends a typed command asks this first: a text it
// names would put other bytes on the line than the ones written.
struct CommandTextProblem {
    enum class Kind {
        NotAByte,  // not a whole decimal 0-255 or hex 0x00-0xFF: the parser would read another byte
        StopWord,  // "<invalid>": the parser drops it and everything after it
        TooLong,   // the 128th value: a command holds 127 bytes, the parser gives the empty command
    };
    Kind kind = Kind::NotAByte;
    std::size_t index = 0; // of the token, counted from 1
    std::string token;     // as written, its start only when it is long

    // One line for the user: which value and why.
    std::string Text() const;
};

// The first token that keeps the text from being sent as written; nothing when the text is
// byte values only (an empty text included: the empty command, as written).
std::optional<CommandTextProblem> CheckCommandText(std::string_view text);
