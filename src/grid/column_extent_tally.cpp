#include "grid/column_extent_tally.h"

#include <algorithm>

void CColumnExtentTally::Uncount(std::map<int, int>& counts, int value)
{
    const auto it = counts.find(value);
    if (it != counts.end() && --it->second == 0)
        counts.erase(it);
}

int CColumnExtentTally::Max(bool fixedRows, bool scrolledRows) const
{
    return std::max(fixedRows ? SideMax(true) : 0, scrolledRows ? SideMax(false) : 0);
}

bool CColumnExtentTally::UnmeasuredMayWiden(bool fixedRows, bool scrolledRows) const
{
    const int widest = Max(fixedRows, scrolledRows);
    return (fixedRows && Top(m_fixed.bounds) > widest) || (scrolledRows && Top(m_scrolled.bounds) > widest);
}

int CColumnExtentTally::Unmeasured(bool fixedRow) const
{
    int cells = 0;
    for (const auto& [bound, count] : Side(fixedRow).bounds)
        cells += count;
    return cells;
}

void CColumnExtentTally::Clear()
{
    m_fixed = Counts();
    m_scrolled = Counts();
}
