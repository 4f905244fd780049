#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Running sums over a sequence of non-negative sizes (row heights, column widths): appending,
// changing one size, the sum of the first n sizes and the search for a pixel position all cost
// O(log n), however long the sequence grows.
class CPrefixSums {
public:
    std::size_t Size() const { return m_tree.size() - 1; }
    void PushBack(std::int64_t value);
    // Keeps the first n values.
    void Truncate(std::size_t n) { m_tree.resize(n + 1); }
    void Clear() { Truncate(0); }
    // Starts again from these values, in one pass over them.
    void Assign(const std::vector<unsigned>& values);
    void Add(std::size_t index, std::int64_t delta);
    // The sum of the first n values (n <= Size()).
    std::int64_t Prefix(std::size_t n) const;
    std::int64_t Total() const { return Prefix(Size()); }
    // The smallest n with Prefix(n) >= target, or Size() + 1 when there is none.
    std::size_t LowerBound(std::int64_t target) const { return Search(target, false); }
    // The smallest n with Prefix(n) > target, or Size() + 1 when there is none.
    std::size_t UpperBound(std::int64_t target) const { return Search(target, true); }

private:
    std::size_t Search(std::int64_t target, bool strictly) const;

    // Fenwick tree, 1-based: m_tree[i] holds the sum of the values (i - lowbit(i), i].
    std::vector<std::int64_t> m_tree{0};
};
