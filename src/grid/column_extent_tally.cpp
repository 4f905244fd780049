#include "grid/column_extent_tally.h"

#include <algorithm>

void CColumnExtentTally::Remove(int width, bool fixedRow)
{
    std::map<int, int>& side = Side(fixedRow);
    const auto it = side.find(width);
    if (it != side.end() && --it->second == 0)
        side.erase(it);
}

int CColumnExtentTally::Max(bool fixedRows, bool scrolledRows) const
{
    int widest = 0;
    if (fixedRows && !m_fixed.empty())
        widest = std::max(widest, m_fixed.rbegin()->first);
    if (scrolledRows && !m_scrolled.empty())
        widest = std::max(widest, m_scrolled.rbegin()->first);
    return widest;
}

void CColumnExtentTally::Clear()
{
    m_fixed.clear();
    m_scrolled.clear();
}
