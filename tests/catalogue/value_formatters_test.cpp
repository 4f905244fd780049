#include "catalogue/value_formatters.h"
#include "decimal_comma_locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

struct FormatCase {
    ValueFormatter formatter;
    std::vector<std::uint8_t> bytes;
    std::string expected;
};

// Each formatter gets a heap buffer of exactly the bytes given, so that a read past the count
// shows up under AddressSanitizer.
std::string FormatExact(ValueFormatter formatter, const std::vector<std::uint8_t>& bytes)
{
    auto exact = std::make_unique<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return formatter(exact.get(), static_cast<int>(bytes.size()));
}

} // namespace

TEST(ValueFormatters, ExactTexts)
{
    const FormatCase cases[] = {
        {FormatLevel, {0xF4}, "-12 dB"},
        {FormatLevel, {0x7F}, "127 dB"},
        {FormatLevel, {0x80}, "-128 dB"},
        {FormatLevel, {0x80, 0xF5}, "-10.500000 dB"},
        {FormatLevel, {0x00, 0x80}, "-128.000000 dB"},
        {FormatLevel, {0xFF, 0x7F}, "127.996094 dB"},
        {FormatLevel, {0x01, 0x00}, "0.003906 dB"},
        {FormatFmFrequency, {0x52, 0x26}, "98.10"},
        {FormatFmFrequency, {0xFF, 0xFF}, "655.35"},
        {FormatFmFrequency, {0x05, 0x00}, "0.05"},
        {FormatWord, {0x2E, 0x03}, "814"},
        {FormatPlayTime, {0x01, 0x02, 0x03}, "01:02:03"},
        {FormatPlayTime, {0x64, 0x05, 0x07}, "100:05:07"},
        {FormatTitleChapter, {0x03, 0x0C}, "Title: 3   Chapter: 12"},
        {FormatSignedByte, {0xFF}, "-1"},
        {FormatByte, {0xFF}, "255"},
        {FormatByteList, {0x10}, "16"},
        {FormatByteList, {0x10, 0x05}, "16 5"},
        {FormatByteList, {0x10, 0x05, 0x00}, "16 5 0"},
        {FormatText, {0x41, 0x42, 0x00, 0x43}, "AB"},
        {FormatText, {0x41, 0x42}, "AB"},
        {FormatText, {0xE9, 0x09, 0x7F}, "\xE9\t\x7F"}, // device bytes pass unchanged
        {FormatText, {}, ""},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(FormatExact(c.formatter, c.bytes), c.expected) << c.expected;
}

TEST(ValueFormatters, CountsNotAcceptedGiveInvalid)
{
    const std::vector<std::uint8_t> many(5, 0x01);
    struct Accepts {
        ValueFormatter formatter;
        std::vector<int> counts;
    };
    const Accepts formatters[] = {
        {FormatLevel, {1, 2}},    {FormatByte, {1}},        {FormatByteList, {1, 2, 3}},
        {FormatWord, {2}},        {FormatFmFrequency, {2}}, {FormatPlayTime, {3}},
        {FormatSignedByte, {1}},  {FormatTitleChapter, {2}},
    };
    for (const Accepts& f : formatters) {
        for (int count = -1; count <= 5; ++count) {
            const bool accepted = std::find(f.counts.begin(), f.counts.end(), count) != f.counts.end();
            // A rejected count reads nothing, so a null pointer is safe.
            const std::string text = accepted ? f.formatter(many.data(), count) : f.formatter(nullptr, count);
            EXPECT_EQ(text == "<invalid>", !accepted) << "count " << count;
        }
    }
    EXPECT_EQ(FormatText(nullptr, 0), "");
    EXPECT_EQ(FormatText(nullptr, -3), "");
}

TEST(ValueFormatters, DecimalPointIgnoresTheProcessLocale)
{
    const DecimalCommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const std::uint8_t level[] = {0x80, 0xF5};
    const std::uint8_t frequency[] = {0x52, 0x26};
    EXPECT_EQ(FormatLevel(level, 2), "-10.500000 dB");
    EXPECT_EQ(FormatFmFrequency(frequency, 2), "98.10");
}
