#pragma once

#include <map>

// The measured text widths of one column's cells, counted by value and kept apart for fixed
// and scrolled rows, so the widest is known at once and stays right when a cell shrinks or goes.
// Cells left unmeasured (known, when they came, to be no wider than the widest then) are counted
// apart with the largest bound on their widths: while that bound is no more than the widest
// measured width, they cannot change the answer.
class CColumnExtentTally {
public:
    void Add(int width, bool fixedRow) { ++Side(fixedRow).widths[width]; }
    void Remove(int width, bool fixedRow);
    void AddUnmeasured(int bound, bool fixedRow);
    void RemoveUnmeasured(bool fixedRow);
    // The widest counted width among the chosen rows; 0 when there is none.
    int Max(bool fixedRows, bool scrolledRows) const;
    // The widest counted width of one side of the fixed rows; 0 when there is none.
    int SideMax(bool fixedRow) const;
    // Whether an unmeasured cell of the chosen rows could be wider than Max: those cells must be
    // measured before Max is the answer.
    bool UnmeasuredMayWiden(bool fixedRows, bool scrolledRows) const;
    int Unmeasured(bool fixedRow) const { return Side(fixedRow).unmeasured; }
    int UnmeasuredBound(bool fixedRow) const { return Side(fixedRow).unmeasuredBound; }
    void Clear();
    // The same measured widths and unmeasured counts; the bounds are not compared, as they only
    // say how wide the unmeasured cells could be.
    bool SameWidths(const CColumnExtentTally& other) const;

private:
    struct Counts {
        std::map<int, int> widths;
        int unmeasured = 0;
        // Only grows while cells are unmeasured: a bound that goes stays an upper bound.
        int unmeasuredBound = 0;
    };
    Counts& Side(bool fixedRow) { return fixedRow ? m_fixed : m_scrolled; }
    const Counts& Side(bool fixedRow) const { return fixedRow ? m_fixed : m_scrolled; }

    Counts m_fixed;
    Counts m_scrolled;
};
