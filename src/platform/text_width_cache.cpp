#include "platform/text_width_cache.h"

int CTextWidthCache::Find(std::string_view text) const
{
    const auto it = m_widths.find(text);
    return it != m_widths.end() ? it->second : -1;
}

void CTextWidthCache::Remember(std::string_view text, int width)
{
    if (text.size() > kMaxTextBytes)
        return;
    // Starting again keeps the memory bounded; a log's texts that recur are back within a batch.
    if (m_widths.size() >= kMaxTexts)
        m_widths.clear();
    m_widths.emplace(text, width);
}
