#pragma once

#include <map>

// The measured text widths of one column's cells, counted by value and kept apart for fixed
// and scrolled rows, so the widest is known at once and stays right when a cell shrinks or goes.
// Cells left unmeasured (known, when they came, to be no wider than the widest then) are counted
// apart by the bound on their widths: while no bound exceeds the widest measured width, they
// cannot change the answer.
class CColumnExtentTally {
public:
    void Add(int width, bool fixedRow) { ++Side(fixedRow).widths[width]; }
    void Remove(int width, bool fixedRow) { Uncount(Side(fixedRow).widths, width); }
    void AddUnmeasured(int bound, bool fixedRow) { ++Side(fixedRow).bounds[bound]; }
    void RemoveUnmeasured(int bound, bool fixedRow) { Uncount(Side(fixedRow).bounds, bound); }
    // The widest counted width among the chosen rows; 0 when there is none.
    int Max(bool fixedRows, bool scrolledRows) const;
    // The widest counted width of the fixed rows, or of the scrolled ones; 0 when there is none.
    int SideMax(bool fixedRow) const { return Top(Side(fixedRow).widths); }
    // Whether an unmeasured cell of the chosen rows could be wider than Max: those of its cells
    // whose bounds exceed Max must be measured, widest bound first, until none does.
    bool UnmeasuredMayWiden(bool fixedRows, bool scrolledRows) const;
    int Unmeasured(bool fixedRow) const;
    void Clear();
    friend bool operator==(const CColumnExtentTally&, const CColumnExtentTally&) = default;

private:
    struct Counts {
        std::map<int, int> widths;
        std::map<int, int> bounds; // of the unmeasured cells
        friend bool operator==(const Counts&, const Counts&) = default;
    };
    Counts& Side(bool fixedRow) { return fixedRow ? m_fixed : m_scrolled; }
    const Counts& Side(bool fixedRow) const { return fixedRow ? m_fixed : m_scrolled; }
    static void Uncount(std::map<int, int>& counts, int value);
    static int Top(const std::map<int, int>& counts) { return counts.empty() ? 0 : counts.rbegin()->first; }

    Counts m_fixed;
    Counts m_scrolled;
};
