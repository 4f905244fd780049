#include "catalogue/value_encoders.h"
#include "catalogue/value_formatters.h"
#include "decimal_comma_locale.h"
#include "protocol/command_text_parser.h"

#include <gtest/gtest.h>

#include <string>

TEST(ValueEncoders, LevelText)
{
    EXPECT_EQ(EncodeLevelText("100"), "0 100");
    EXPECT_EQ(EncodeLevelText("-100"), "0 156");
    EXPECT_EQ(EncodeLevelText("-10.5"), "128 245");
    EXPECT_EQ(EncodeLevelText("-0.3"), "180 255"); // -76.8 truncates toward zero
    EXPECT_EQ(EncodeLevelText(" \t+2.5 "), "128 2"); // blanks around the number and a sign
    EXPECT_EQ(EncodeLevelText("1e1"), "0 10");
    EXPECT_EQ(EncodeLevelText("100.5"), "<invalid>");
    EXPECT_EQ(EncodeLevelText("-100.001"), "<invalid>");
}

// Read as 0 dB, a typo would have asked an amplifier for its loudest setting.
TEST(ValueEncoders, TextThatIsNotWhollyANumberIsInvalid)
{
    for (const char* typed : {"x", "abc", "", "  ", "12abc", "10,5", "+2.5dB", "- 3", "1 2", "0x", "."}) {
        EXPECT_EQ(EncodeLevelText(typed), "<invalid>") << typed;
        EXPECT_EQ(EncodeByteText(typed), "<invalid>") << typed;
    }
}

TEST(ValueEncoders, LevelTextRoundTripsThroughTheFormatter)
{
    for (const char* typed : {"-100", "-10.5", "0", "0.25", "99.75", "100"}) {
        const CountedBytes bytes = ParseCommandText(EncodeLevelText(typed));
        ASSERT_EQ(bytes.Count(), 2u) << typed;
        const std::string shown = FormatLevel(bytes.Data(), 2);
        EXPECT_DOUBLE_EQ(std::stod(shown), std::stod(typed)) << typed;
    }
}

TEST(ValueEncoders, HugeAndOddInputIsDefined)
{
    for (const char* odd : {"1e999", "-1e999", "inf", "-inf", "INFINITY", "nan", "-nan", "NaN(123)", "1e308"})
        EXPECT_EQ(EncodeLevelText(odd), "<invalid>") << odd;
    EXPECT_EQ(EncodeLevelText("1e-999"), "0 0"); // underflows to zero
    EXPECT_EQ(EncodeLevelText(std::string(5000, '9')), "<invalid>");
    EXPECT_EQ(EncodeLevelText(std::string("5\0" "999", 5)), "<invalid>"); // a zero byte is no part of a number

    for (const std::string& odd : {std::string("99999999999"), std::string("-99999999999"), std::string(5000, '9'),
                                   std::string("5\0", 2), std::string("1e999")})
        EXPECT_EQ(EncodeByteText(odd), "<invalid>") << odd;
}

TEST(ValueEncoders, ByteText)
{
    EXPECT_EQ(EncodeByteText("-1"), "255"); // the picture settings are signed bytes
    EXPECT_EQ(EncodeByteText("-128"), "128");
    EXPECT_EQ(EncodeByteText(" 255 "), "255");
    EXPECT_EQ(EncodeByteText("0x1F"), "31");
    // Outside a byte: once kept as its low 8 bits (300 went out as 44).
    for (const char* typed : {"300", "256", "-129", "0x100", "1.5"})
        EXPECT_EQ(EncodeByteText(typed), "<invalid>") << typed;
}

TEST(ValueEncoders, LevelReadsAPointWhateverTheProcessLocale)
{
    const DecimalCommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(EncodeLevelText("-10.5"), "128 245");
}

TEST(ValueEncoders, ConversionByVariableAndModel)
{
    EXPECT_EQ(ConvertValueEntry("-10.5", 23, 1), "128 245");
    EXPECT_EQ(ConvertValueEntry("-10.5", 23, 2), "128 245");
    EXPECT_EQ(ConvertValueEntry("-10.5", 23, 5), "-10.5");
    EXPECT_EQ(ConvertValueEntry("-10", 23, 4), "246"); // a signed byte for Elmora
    EXPECT_EQ(ConvertValueEntry("-10.5", 23, 4), "<invalid>");
    EXPECT_EQ(ConvertValueEntry("x", 111, 6), "<invalid>");
    EXPECT_EQ(ConvertValueEntry("-10.5", 111, 6), "128 245");
    EXPECT_EQ(ConvertValueEntry("-10.5", 111, 1), "-10.5");
    EXPECT_EQ(ConvertValueEntry("200", 23, 1), "<invalid>");
    for (int picture : {103, 104, 105, 106}) {
        EXPECT_EQ(ConvertValueEntry("-1", picture, 4), "255") << picture;
        EXPECT_EQ(ConvertValueEntry("-1", picture, 2), "-1") << picture;
    }
    EXPECT_EQ(ConvertValueEntry("-1", 102, 4), "-1");
    EXPECT_EQ(ConvertValueEntry("-1", 107, 4), "-1");
    EXPECT_EQ(ConvertValueEntry("any text", 0, 4), "any text");
    EXPECT_EQ(ConvertValueEntry("-10.5", 23, -1), "-10.5"); // no model chosen
}
