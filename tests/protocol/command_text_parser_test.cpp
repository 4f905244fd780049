#include "protocol/command_text_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Parse(std::string_view text)
{
    return FormatBytes(ParseCommandText(text));
}

std::string Tokens(int count, const char* token)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::string(token) + " ";
    return text;
}

} // namespace

TEST(ParseCommandText, DelimitersAndBases)
{
    EXPECT_EQ(Parse("20 20"), "20, 20");
    EXPECT_EQ(Parse(" ,20,,0x15 , "), "20, 21");
    EXPECT_EQ(Parse("0X1F 0x1f"), "31, 31");
    EXPECT_EQ(Parse("\t20"), "20");
    EXPECT_EQ(Parse("12abc"), "12");
    EXPECT_EQ(Parse("20\t21"), "20");
    EXPECT_EQ(Parse("+7"), "7");
}

TEST(ParseCommandText, StopWordEndsTheCommand)
{
    EXPECT_EQ(Parse("20 <invalid> 5"), "20");
    EXPECT_EQ(Parse("20,<INVALID>,5"), "20");
    EXPECT_EQ(Parse("<invalid>"), "");
    EXPECT_EQ(Parse("20 <invalid>x 5"), "20, 0, 5");
}

TEST(ParseCommandText, ValuesKeepTheirLowByte)
{
    EXPECT_EQ(Parse("-1 256 0x100 300 0x1ff"), "255, 0, 0, 44, 255");
    EXPECT_EQ(Parse("99999999999"), std::to_string(99999999999ULL % 256));
    EXPECT_EQ(Parse("-99999999999"), std::to_string((256 - 99999999999ULL % 256) % 256));
    EXPECT_EQ(Parse("0x1ffffffffffff"), "255");
    EXPECT_EQ(Parse("0x123456789abcdef0123456789"), "137");
    EXPECT_EQ(Parse(std::string(400, '9')), std::to_string(255 - 0)); // 10^400 - 1 is 255 mod 256
}

TEST(ParseCommandText, NonNumbersTakeAZeroByte)
{
    EXPECT_EQ(Parse("abc 0x - 0xg 20"), "0, 0, 0, 0, 20");
}

TEST(ParseCommandText, EmptyAndOverlongTexts)
{
    EXPECT_EQ(ParseCommandText("").Count(), 0u);
    EXPECT_EQ(ParseCommandText(" , ,, ").Count(), 0u);
    EXPECT_EQ(ParseCommandText(Tokens(127, "20")).Count(), 127u);
    EXPECT_EQ(ParseCommandText(Tokens(128, "20")).Count(), 0u);
    EXPECT_EQ(ParseCommandText(Tokens(1000, "0x5e")).Count(), 0u);
    EXPECT_EQ(ParseCommandText(Tokens(127, "1") + "<invalid> 5").Count(), 127u);
}
