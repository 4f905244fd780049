#include "grid/prefix_sums.h"

namespace {
constexpr std::size_t LowBit(std::size_t i) { return i & (~i + 1); }
} // namespace

void CPrefixSums::PushBack(std::int64_t value)
{
    const std::size_t i = m_tree.size();
    m_tree.push_back(value + Stored(i - 1) - Stored(i - LowBit(i)));
}

void CPrefixSums::Clear()
{
    m_tree.assign(1, 0);
    m_start = 0;
    m_startSum = 0;
}

void CPrefixSums::Assign(const std::vector<unsigned>& values)
{
    m_start = 0;
    m_startSum = 0;
    m_tree.assign(values.size() + 1, 0);
    for (std::size_t i = 1; i < m_tree.size(); ++i) {
        m_tree[i] += values[i - 1];
        if (const std::size_t parent = i + LowBit(i); parent < m_tree.size())
            m_tree[parent] += m_tree[i];
    }
}

void CPrefixSums::Add(std::size_t index, std::int64_t delta)
{
    for (std::size_t i = m_start + index + 1; i < m_tree.size(); i += LowBit(i))
        m_tree[i] += delta;
}

void CPrefixSums::Erase(std::size_t first, std::size_t count)
{
    const std::size_t size = Size();
    if (count == 0 || first >= size)
        return;
    if (count > size - first)
        count = size - first;
    const std::size_t end = first + count;
    if (first <= size - end) {
        // The values before the gap move down onto its end, the last first, and the sequence
        // starts count values later.
        for (std::size_t i = first; i-- > 0;)
            Set(count + i, Value(i));
        m_start += count;
        m_startSum = Stored(m_start);
    } else {
        for (std::size_t i = end; i < size; ++i)
            Set(i - count, Value(i));
        Truncate(size - count);
    }
    // Values out of view may take as much room as those in view, no more.
    if (m_start > Size()) {
        std::vector<unsigned> values(Size());
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = static_cast<unsigned>(Value(i));
        Assign(values);
    }
}

std::int64_t CPrefixSums::Stored(std::size_t n) const
{
    std::int64_t sum = 0;
    for (std::size_t i = n; i > 0; i -= LowBit(i))
        sum += m_tree[i];
    return sum;
}

std::size_t CPrefixSums::Search(std::int64_t target, bool strictly) const
{
    const auto before = [strictly, target](std::int64_t sum) { return strictly ? sum <= target : sum < target; };
    if (!before(0))
        return 0;
    // Searched among the stored values, offset by those out of view: their sum is at most
    // m_startSum, so a positive target lies in view.
    const std::int64_t stored = target + m_startSum;
    const auto storedBefore = [strictly, stored](std::int64_t sum) { return strictly ? sum <= stored : sum < stored; };
    const std::size_t n = m_tree.size() - 1;
    std::size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    // Walk down the tree keeping pos the largest index whose prefix is still before the target.
    std::size_t pos = 0;
    std::int64_t sum = 0;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && storedBefore(sum + m_tree[pos + step])) {
            pos += step;
            sum += m_tree[pos];
        }
    }
    return pos + 1 - m_start;
}
