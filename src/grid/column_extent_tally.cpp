#include "grid/column_extent_tally.h"

#include <algorithm>

void CColumnExtentTally::Remove(int width, bool fixedRow)
{
    std::map<int, int>& widths = Side(fixedRow).widths;
    const auto it = widths.find(width);
    if (it != widths.end() && --it->second == 0)
        widths.erase(it);
}

void CColumnExtentTally::AddUnmeasured(int bound, bool fixedRow)
{
    Counts& side = Side(fixedRow);
    ++side.unmeasured;
    side.unmeasuredBound = std::max(side.unmeasuredBound, bound);
}

void CColumnExtentTally::RemoveUnmeasured(bool fixedRow)
{
    Counts& side = Side(fixedRow);
    if (side.unmeasured > 0 && --side.unmeasured == 0)
        side.unmeasuredBound = 0;
}

int CColumnExtentTally::SideMax(bool fixedRow) const
{
    const std::map<int, int>& widths = Side(fixedRow).widths;
    return widths.empty() ? 0 : widths.rbegin()->first;
}

int CColumnExtentTally::Max(bool fixedRows, bool scrolledRows) const
{
    return std::max(fixedRows ? SideMax(true) : 0, scrolledRows ? SideMax(false) : 0);
}

bool CColumnExtentTally::UnmeasuredMayWiden(bool fixedRows, bool scrolledRows) const
{
    const int widest = Max(fixedRows, scrolledRows);
    const auto mayWiden = [widest](const Counts& side) { return side.unmeasured > 0 && side.unmeasuredBound > widest; };
    return (fixedRows && mayWiden(m_fixed)) || (scrolledRows && mayWiden(m_scrolled));
}

void CColumnExtentTally::Clear()
{
    m_fixed = Counts();
    m_scrolled = Counts();
}

bool CColumnExtentTally::SameWidths(const CColumnExtentTally& other) const
{
    return m_fixed.widths == other.m_fixed.widths && m_scrolled.widths == other.m_scrolled.widths
           && m_fixed.unmeasured == other.m_fixed.unmeasured && m_scrolled.unmeasured == other.m_scrolled.unmeasured;
}
