#pragma once

#include <map>

// The measured text widths of one column's cells, counted by value and kept apart for fixed
// and scrolled rows, so the widest is known at once and stays right when a cell shrinks or goes.
class CColumnExtentTally {
public:
    void Add(int width, bool fixedRow) { ++Side(fixedRow)[width]; }
    void Remove(int width, bool fixedRow);
    // The widest counted width among the chosen rows; 0 when there is none.
    int Max(bool fixedRows, bool scrolledRows) const;
    void Clear();
    friend bool operator==(const CColumnExtentTally&, const CColumnExtentTally&) = default;

private:
    std::map<int, int>& Side(bool fixedRow) { return fixedRow ? m_fixed : m_scrolled; }

    std::map<int, int> m_fixed;
    std::map<int, int> m_scrolled;
};
