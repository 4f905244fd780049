#include "grid/prefix_sums.h"

namespace {
constexpr std::size_t LowBit(std::size_t i) { return i & (~i + 1); }
} // namespace

void CPrefixSums::PushBack(std::int64_t value)
{
    const std::size_t i = m_tree.size();
    m_tree.push_back(value + Prefix(i - 1) - Prefix(i - LowBit(i)));
}

void CPrefixSums::Assign(const std::vector<unsigned>& values)
{
    m_tree.assign(values.size() + 1, 0);
    for (std::size_t i = 1; i < m_tree.size(); ++i) {
        m_tree[i] += values[i - 1];
        if (const std::size_t parent = i + LowBit(i); parent < m_tree.size())
            m_tree[parent] += m_tree[i];
    }
}

void CPrefixSums::Add(std::size_t index, std::int64_t delta)
{
    for (std::size_t i = index + 1; i < m_tree.size(); i += LowBit(i))
        m_tree[i] += delta;
}

std::int64_t CPrefixSums::Prefix(std::size_t n) const
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
    const std::size_t n = Size();
    std::size_t step = 1;
    while (step * 2 <= n)
        step *= 2;
    // Walk down the tree keeping pos the largest index whose prefix is still before the target.
    std::size_t pos = 0;
    std::int64_t sum = 0;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && before(sum + m_tree[pos + step])) {
            pos += step;
            sum += m_tree[pos];
        }
    }
    return pos + 1;
}
