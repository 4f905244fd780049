#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A script line cut into words at white space; a word in double quotes may hold spaces
// ("Power Mode"). Nothing is returned for an unclosed quote.
std::optional<std::vector<std::string>> SplitWords(std::string_view line);
