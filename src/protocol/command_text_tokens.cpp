#include "protocol/command_text_tokens.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kDelimiters = " ,";

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

} // namespace

bool CommandTokens::Next(std::string_view& token)
{
    m_pos = m_text.find_first_not_of(kDelimiters, m_pos);
    if (m_pos == std::string_view::npos) {
        m_pos = m_text.size();
        return false;
    }
    std::size_t end = m_text.find_first_of(kDelimiters, m_pos);
    if (end == std::string_view::npos)
        end = m_text.size();
    token = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    while (!token.empty() && std::isspace(static_cast<unsigned char>(token.front())) != 0)
        token.remove_prefix(1);
    return true;
}

bool IsCommandStopWord(std::string_view token)
{
    return std::ranges::equal(token, kCommandStopWord, [](char a, char b) { return Lower(a) == b; });
}
