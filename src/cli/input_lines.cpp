#include "input_lines.h"

bool InputLines::TakeLine(std::string& line)
{
    while (m_blockPos < m_block.size()) {
        const std::size_t end = m_block.find('\n', m_blockPos);
        const std::size_t stop = end == std::string::npos ? m_block.size() : end;
        if (!m_skipping) {
            const std::size_t room = m_maxLine - m_pending.size();
            const std::size_t take = std::min(room, stop - m_blockPos);
            m_pending.append(m_block, m_blockPos, take);
            m_skipping = take < stop - m_blockPos;
        }
        m_blockPos = stop;
        if (end == std::string::npos)
            return false;
        ++m_blockPos;
        m_cut = m_skipping;
        m_skipping = false;
        line.swap(m_pending);
        m_pending.clear();
        return true;
    }
    return false;
}

InputLines::Got InputLines::Next(std::string& line)
{
    m_cut = false;
    for (;;) {
        if (TakeLine(line))
            return Got::Line;
        if (m_ended)
            return Got::End;
        m_blockPos = 0;
        const Fill got = FillBlock();
        if (got == Fill::Woken)
            return Got::Woken;
        if (got == Fill::End) {
            m_ended = true;
            // The text after the last line feed is the last line.
            if (!m_pending.empty() || m_skipping) {
                m_cut = m_skipping;
                m_skipping = false;
                line.swap(m_pending);
                m_pending.clear();
                return Got::Line;
            }
            return Got::End;
        }
    }
}
