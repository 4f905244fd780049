#include "grid/prefix_sums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::int64_t NaivePrefix(const std::vector<int>& v, std::size_t n)
{
    std::int64_t s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s += v[i];
    return s;
}

std::size_t NaiveSearch(const std::vector<int>& v, std::int64_t target, bool strictly)
{
    for (std::size_t n = 0; n <= v.size(); ++n) {
        const std::int64_t p = NaivePrefix(v, n);
        if (strictly ? p > target : p >= target)
            return n;
    }
    return v.size() + 1;
}

// The first place where the sums, the values or the searches differ from plain sums, or "".
std::string Disagreement(const CPrefixSums& sums, const std::vector<int>& values)
{
    if (sums.Size() != values.size())
        return "size " + std::to_string(sums.Size());
    for (std::size_t n = 0; n <= values.size(); ++n) {
        if (sums.Prefix(n) != NaivePrefix(values, n))
            return "prefix " + std::to_string(n);
        if (n < values.size() && sums.Value(n) != values[n])
            return "value " + std::to_string(n);
    }
    const std::int64_t total = sums.Total();
    for (std::int64_t target = -1; target <= total + 1; target += 1 + total / 20) {
        if (sums.LowerBound(target) != NaiveSearch(values, target, false)
            || sums.UpperBound(target) != NaiveSearch(values, target, true))
            return "search for " + std::to_string(target);
    }
    return "";
}

} // namespace

TEST(PrefixSums, AgreeWithPlainSumsThroughAppendsChangesCutsAndRebuilds)
{
    std::mt19937 rng(7);
    std::vector<int> values;
    CPrefixSums sums;
    for (int step = 0; step < 400; ++step) {
        const int action = static_cast<int>(rng() % 10);
        if (action < 6 || values.empty()) {
            // Zero sizes (hidden rows) are common enough to matter.
            const int v = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 40);
            values.push_back(v);
            sums.PushBack(v);
        } else if (action < 9) {
            const std::size_t i = rng() % values.size();
            const int v = static_cast<int>(rng() % 40);
            sums.Add(i, v - values[i]);
            values[i] = v;
        } else if (rng() % 2 == 0) {
            const std::size_t n = rng() % (values.size() + 1);
            values.resize(n);
            sums.Truncate(n);
        } else {
            // The first values go (the oldest rows of a log) and the sums start again.
            values.erase(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rng() % (values.size() + 1)));
            sums.Assign(std::vector<unsigned>(values.begin(), values.end()));
        }
        ASSERT_EQ(sums.Size(), values.size());
        for (std::size_t n = 0; n <= values.size(); ++n)
            ASSERT_EQ(sums.Prefix(n), NaivePrefix(values, n)) << "step " << step << " n " << n;
        const std::int64_t total = sums.Total();
        for (std::int64_t target = -1; target <= total + 1; target += 1 + total / 20) {
            ASSERT_EQ(sums.LowerBound(target), NaiveSearch(values, target, false)) << target;
            ASSERT_EQ(sums.UpperBound(target), NaiveSearch(values, target, true)) << target;
        }
    }
}

TEST(PrefixSums, EmptySequence)
{
    CPrefixSums sums;
    EXPECT_EQ(sums.Total(), 0);
    EXPECT_EQ(sums.LowerBound(0), 0u);
    EXPECT_EQ(sums.LowerBound(1), 1u);
    EXPECT_EQ(sums.UpperBound(0), 1u);
}

// A log drops runs of its oldest rows just below its header, and sometimes rows further down:
// both sides of a run close up, the stored values out of view are reclaimed once they outnumber
// those in view, and appends, changes and searches stay right in between.
TEST(PrefixSums, ErasingRunsAnywhereAgreesWithPlainSums)
{
    std::mt19937 rng(11);
    std::vector<int> values;
    CPrefixSums sums;
    for (int step = 0; step < 600; ++step) {
        const int action = static_cast<int>(rng() % 10);
        if (action < 5 || values.empty()) {
            for (int k = static_cast<int>(rng() % 8); k >= 0; --k) {
                const int v = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % 40);
                values.push_back(v);
                sums.PushBack(v);
            }
        } else if (action < 6) {
            const std::size_t i = rng() % values.size();
            const int v = static_cast<int>(rng() % 40);
            sums.Add(i, v - values[i]);
            values[i] = v;
        } else {
            // Mostly right after a short head, as a log with a fixed header trims.
            const std::size_t first = action < 9 ? std::min<std::size_t>(rng() % 3, values.size()) : rng() % values.size();
            const std::size_t count = rng() % (values.size() - first + 1);
            values.erase(values.begin() + static_cast<std::ptrdiff_t>(first),
                         values.begin() + static_cast<std::ptrdiff_t>(first + count));
            sums.Erase(first, count);
        }
        ASSERT_EQ(Disagreement(sums, values), "") << "step " << step;
    }
}

TEST(PrefixSums, ErasingPastTheEndTakesWhatThereIs)
{
    CPrefixSums sums;
    for (int v : {5, 6, 7})
        sums.PushBack(v);
    sums.Erase(1, 10);
    EXPECT_EQ(sums.Size(), 1u);
    EXPECT_EQ(sums.Total(), 5);
    sums.Erase(3, 1);
    EXPECT_EQ(sums.Size(), 1u);
    sums.Clear();
    sums.PushBack(9);
    EXPECT_EQ(sums.Total(), 9);
}
