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
    EXPECT_EQ(EncodeLevelText("  +2.5dB"), "128 2"); // white space, sign and trailing text as atof
    EXPECT_EQ(EncodeLevelText("100.5"), "<invalid>");
    EXPECT_EQ(EncodeLevelText("-100.001"), "<invalid>");
    EXPECT_EQ(EncodeLevelText("abc"), "0 0");
    EXPECT_EQ(EncodeLevelText(""), "0 0");
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
    EXPECT_EQ(EncodeLevelText(std::string("5\0" "999", 5)), "0 5"); // a zero byte ends the number

    EXPECT_EQ(EncodeByteText("99999999999"), "255"); // 99999999999 = 0x174876E7FF
    EXPECT_EQ(EncodeByteText("-99999999999"), "1");
    EXPECT_EQ(EncodeByteText(std::string(5000, '9')), std::to_string(ReadLowByte(std::string(5000, '9'), false)));
    EXPECT_EQ(EncodeByteText("1e999"), "1");
}

TEST(ValueEncoders, ByteText)
{
    EXPECT_EQ(EncodeByteText("-1"), "255");
    EXPECT_EQ(EncodeByteText("300"), "44");
    EXPECT_EQ(EncodeByteText(" 12abc"), "12");
    EXPECT_EQ(EncodeByteText(""), "0");
    EXPECT_EQ(EncodeByteText("abc"), "0");
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
    EXPECT_EQ(ConvertValueEntry("-10.5", 23, 4), "246"); // a byte for Elmora: -10 wraps
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
