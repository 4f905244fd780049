#include "catalogue/c_locale_strtod.h"
#include "decimal_comma_locale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

// The value and how many characters it took.
std::pair<double, long> Read(const std::string& text)
{
    char* end = nullptr;
    const double value = StrtodInCLocale(text.c_str(), &end);
    return {value, end - text.c_str()};
}

} // namespace

TEST(CLocaleStrtod, ReadsAsStrtodDoesWithAPointInEveryLocale)
{
    const DecimalCommaLocale comma;
    EXPECT_EQ(Read("12.5dB"), (std::pair<double, long>{12.5, 4}));
    EXPECT_EQ(Read("  -3,5"), (std::pair<double, long>{-3.0, 4})); // a comma ends the number
    EXPECT_EQ(Read("+0.25"), (std::pair<double, long>{0.25, 5}));
    EXPECT_EQ(Read("abc"), (std::pair<double, long>{0.0, 0}));
    EXPECT_EQ(Read(""), (std::pair<double, long>{0.0, 0}));
    EXPECT_EQ(StrtodInCLocale("7.75"), 7.75); // without asking where it ended
}

TEST(CLocaleStrtod, InfinitiesAndNansAreReadAlikeOnEveryPlatform)
{
    for (const auto& [text, length] : {std::pair{"inf", 3L}, {"-Infinity", 9L}, {"INFx", 3L}, {"1e999", 5L}}) {
        const auto [value, used] = Read(text);
        EXPECT_TRUE(std::isinf(value)) << text;
        EXPECT_EQ(used, length) << text;
    }
    for (const auto& [text, length] : {std::pair{"nan", 3L}, {"-NaN", 4L}, {"nan(123)", 8L}, {"nan(12", 3L}}) {
        const auto [value, used] = Read(text);
        EXPECT_TRUE(std::isnan(value)) << text;
        EXPECT_EQ(used, length) << text;
    }
}
