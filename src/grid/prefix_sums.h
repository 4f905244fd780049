#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Running sums over a sequence of non-negative sizes (row heights, column widths): appending,
// changing one size, the sum of the first n sizes and the search for a pixel position all cost
// O(log n), however long the sequence grows. Removing a run of values costs in proportion to the
// values on the shorter side of it, whatever the length of the run: a log drops its oldest rows
// just below a fixed header.
class CPrefixSums {
public:
    std::size_t Size() const { return m_tree.size() - 1 - m_start; }
    void PushBack(std::int64_t value);
    // Keeps the first n values.
    void Truncate(std::size_t n) { m_tree.resize(m_start + n + 1); }
    void Clear();
    // Starts again from these values, in one pass over them.
    void Assign(const std::vector<unsigned>& values);
    void Add(std::size_t index, std::int64_t delta);
    // Removes count values from first on; the values after them move up.
    void Erase(std::size_t first, std::size_t count);
    // The sum of the first n values (n <= Size()).
    std::int64_t Prefix(std::size_t n) const { return Stored(m_start + n) - m_startSum; }
    std::int64_t Total() const { return Prefix(Size()); }
    // The value at index (< Size()).
    std::int64_t Value(std::size_t index) const { return Prefix(index + 1) - Prefix(index); }
    // The smallest n with Prefix(n) >= target, or Size() + 1 when there is none.
    std::size_t LowerBound(std::int64_t target) const { return Search(target, false); }
    // The smallest n with Prefix(n) > target, or Size() + 1 when there is none.
    std::size_t UpperBound(std::int64_t target) const { return Search(target, true); }

private:
    // The sum of the first n stored values, those before m_start included.
    std::int64_t Stored(std::size_t n) const;
    std::size_t Search(std::int64_t target, bool strictly) const;
    // Sets the value at index without changing the others.
    void Set(std::size_t index, std::int64_t value) { Add(index, value - Value(index)); }

    // Fenwick tree, 1-based: m_tree[i] holds the sum of the stored values (i - lowbit(i), i]. The
    // sequence starts m_start values in: values removed from the front stay stored, out of view,
    // until they outnumber the values in view.
    std::vector<std::int64_t> m_tree{0};
    std::size_t m_start = 0;
    std::int64_t m_startSum = 0;
};
