#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One byte value written exactly: a whole decimal number from 0 to 255, or 0x followed by hex
// digits up to 0xFF (leading zeros allowed). Nothing for anything else, signs and blanks included.
std::optional<std::uint8_t> ReadByteValue(std::string_view token);

// Reads byte values written as text: decimal or 0x hex, separated by white space or commas.
// Unlike the command field, which is forgiving, a capture must be exact: a token that is not a
// byte value is an error, reported with its position. The text arrives in blocks of any size;
// a value cut at the end of a block is completed by the next.
class ByteTextReader {
public:
    // Appends the values of this block to bytes. False, with the reason in Error(), at the
    // first token that is not a byte value.
    bool Feed(std::string_view block, std::vector<std::uint8_t>& bytes);
    // The text has ended: the value it ends with counts.
    bool Finish(std::vector<std::uint8_t>& bytes);
    const std::string& Error() const { return m_error; }

private:
    bool Token(std::string_view token, std::vector<std::uint8_t>& bytes);

    std::string m_partial; // a token the last block ended in
    std::size_t m_index = 0;
    std::string m_error;
};

// A whole text at once: its values, or the reason it is not byte values.
struct ByteTextResult {
    std::vector<std::uint8_t> bytes;
    std::string error; // empty when every token was a byte value
};
ByteTextResult ReadByteText(std::string_view text);
