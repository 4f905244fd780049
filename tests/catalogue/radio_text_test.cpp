#include "catalogue/describer.h"
#include "catalogue/radio_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class RadioText : public ::testing::Test {
protected:
    std::string Describe(const CountedBytes& message) { return DescribeResponse(message, m_text); }
    std::string DescribeRt(const std::uint8_t* bytes, int count) { return DescribeRdsRt(bytes, count, m_text); }

    CRadioText m_text;

    static std::string Rt(const std::string& segment, const std::string& full)
    {
        return "This Packet: Pos " + segment + ", Full RT: \"" + full + "\"";
    }
};

} // namespace

TEST_F(RadioText, SegmentsBuildUpAcrossResponses)
{
    const std::string hi = "Hi" + std::string(60, ' ') + "!";
    EXPECT_EQ(Describe({28, 0, 72, 105}), "RDS RT - " + Rt("0 = \"Hi\"", "Hi"));
    EXPECT_EQ(Describe({28, 62, 33, 0}), "RDS RT - " + Rt("62 = \"! \"", hi));
    EXPECT_EQ(Describe({28, 63, 65, 66}), "RDS RT - Invalid Data!");
    EXPECT_EQ(m_text.Visible(), hi + " ");
    EXPECT_EQ(Describe({28, 10, 65, 66, 67, 68}),
              "RDS RT - " + Rt("10 = \"ABCD\"", "Hi" + std::string(8, ' ') + "ABCD" + std::string(48, ' ') + "!"));
    EXPECT_EQ(Describe({28}), "RDS RT - Clear RT");
    EXPECT_EQ(m_text.Visible(), "");
    EXPECT_EQ(Describe({28, 2, 79, 75}), "RDS RT - " + Rt("2 = \"OK\"", "  OK"));
}

TEST_F(RadioText, SegmentsMustStayInsideTheLine)
{
    EXPECT_EQ(DescribeRt(std::array<std::uint8_t, 3>{62, 'a', 'b'}.data(), 3),
              Rt("62 = \"ab\"", std::string(62, ' ') + "ab"));
    EXPECT_EQ(DescribeRt(std::array<std::uint8_t, 5>{60, 'a', 'b', 'c', 'd'}.data(), 5),
              Rt("60 = \"abcd\"", std::string(60, ' ') + "abcd"));
    EXPECT_EQ(DescribeRt(std::array<std::uint8_t, 5>{61, 'a', 'b', 'c', 'd'}.data(), 5), "Invalid Data!");
    EXPECT_EQ(DescribeRt(std::array<std::uint8_t, 3>{255, 'a', 'b'}.data(), 3), "Invalid Data!");
    EXPECT_EQ(m_text.Visible(), std::string(60, ' ') + "abcd");
}

TEST_F(RadioText, OtherCountsAreRejectedButUndoAClear)
{
    Describe({28, 0, 'A', 'B'});
    Describe({28});
    EXPECT_EQ(m_text.Visible(), "");
    for (const CountedBytes& odd : {CountedBytes{28, 0}, CountedBytes{28, 0, 'A', 'B', 'C'},
                                    CountedBytes{28, 0, 'A', 'B', 'C', 'D', 'E'}}) {
        EXPECT_EQ(Describe(odd), "RDS RT - Invalid Data!");
        EXPECT_EQ(m_text.Visible(), std::string(64, ' '));
    }
}

TEST_F(RadioText, TrailingWhiteSpaceOfAnyKindIsTrimmed)
{
    EXPECT_EQ(Describe({28, 0, 'A', '\t', '\r', '\n'}), "RDS RT - " + Rt("0 = \"A\t\r\n\"", "A"));
    EXPECT_EQ(Describe({28, 10, '\v', '\f'}), "RDS RT - " + Rt("10 = \"\v\f\"", "A"));
}
