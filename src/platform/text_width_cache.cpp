#include "platform/text_width_cache.h"

#include <utility>

int CTextWidthCache::Find(std::string_view text)
{
    if (const auto it = m_recent.find(text); it != m_recent.end())
        return it->second;
    const auto it = m_older.find(text);
    if (it == m_older.end())
        return -1;
    const int width = it->second;
    Remember(text, width);
    return width;
}

void CTextWidthCache::Remember(std::string_view text, int width)
{
    if (text.size() > kMaxTextBytes)
        return;
    if (m_recent.size() >= kMaxTexts / 2) {
        m_older = std::move(m_recent);
        m_recent = Widths();
    }
    m_recent.emplace(text, width);
}

void CTextWidthCache::Clear()
{
    m_recent.clear();
    m_older.clear();
}
