#include "script/script_words.h"

#include <cctype>

std::optional<std::vector<std::string>> SplitWords(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[pos]))) {
            ++pos;
            continue;
        }
        if (line[pos] == '"') {
            const std::size_t close = line.find('"', pos + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            words.emplace_back(line.substr(pos + 1, close - pos - 1));
            pos = close + 1;
            continue;
        }
        std::size_t end = pos;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end])) && line[end] != '"')
            ++end;
        words.emplace_back(line.substr(pos, end - pos));
        pos = end;
    }
    return words;
}
