#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads byte values written as text: decimal or 0x hex, separated by white space or commas.
// Unlike the command field, which is forgiving, a capture must be exact: a token that is not a
// byte value is an error, reported with its position.
struct ByteTextResult {
    std::vector<std::uint8_t> bytes;
    std::string error; // empty when every token was a byte value
};

ByteTextResult ReadByteText(std::string_view text);
