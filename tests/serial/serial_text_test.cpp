#include "serial/line_errors.h"
#include "serial/line_settings.h"
#include "serial/marked_input_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(LineSettings, ReadsTheModeTextOverItsBase)
{
    EXPECT_EQ(ParseLineSettings("baud=9600 parity=N data=8 stop=1 dtr=on rts=off"), kDeviceLineSettings);

    const auto other = ParseLineSettings("  STOP=2 Parity=e  baud=115200 RTS=On");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->parity, Parity::Even);
    EXPECT_EQ(other->stopBits, 2u);
    EXPECT_EQ(other->baud, 115200u);
    EXPECT_TRUE(other->rts);
    EXPECT_EQ(other->dataBits, 8u); // left as the base has it
    EXPECT_TRUE(other->dtr);

    LineSettings seven = kDeviceLineSettings;
    seven.dataBits = 7;
    const auto mark = ParseLineSettings("parity=m dtr=off", seven);
    ASSERT_TRUE(mark);
    EXPECT_EQ(mark->parity, Parity::Mark);
    EXPECT_EQ(mark->dataBits, 7u);
    EXPECT_FALSE(mark->dtr);
}

TEST(LineSettings, RefusesMalformedText)
{
    for (const char* text : {"", "   ", "baud=9601", "baud=", "baud=96OO", "parity=X", "parity=NN",
                             "data=4", "data=9", "stop=0", "stop=1.5", "speed=9600", "baud 9600",
                             "baud=9600 baud=4800", "baud=-9600", "dtr=1", "rts=on rts=off"})
        EXPECT_FALSE(ParseLineSettings(text)) << text;
}

TEST(LineErrors, RowTextsFollowTheFlagsInOrder)
{
    EXPECT_STREQ(LineErrorText(CE_FRAME), "RS232 Framing Error!!!");
    EXPECT_STREQ(LineErrorText(CE_FRAME | CE_IOE), "RS232 Framing Error!!!");
    EXPECT_STREQ(LineErrorText(CE_IOE | CE_OVERRUN), "I/O Error!!!");
    EXPECT_STREQ(LineErrorText(CE_BREAK), "Unknown RS232 Error!!!");
    EXPECT_STREQ(LineErrorText(CE_RXPARITY), "Unknown RS232 Error!!!");
    EXPECT_STREQ(LineErrorText(0), "Unknown Error!!!");
}

namespace {

std::string Tagged(char tag, std::uint8_t value)
{
    std::string text(1, tag);
    text += std::to_string(value);
    return text;
}

// "b" plus the value for data, "m" plus the value for a marked byte.
std::vector<std::string> Parse(CMarkedInputParser& parser, std::vector<std::uint8_t> raw)
{
    std::vector<std::string> out;
    parser.Feed(raw, [&](std::uint8_t b) { out.push_back(Tagged('b', b)); },
                [&](std::uint8_t c) { out.push_back(Tagged('m', c)); });
    return out;
}

} // namespace

TEST(MarkedInputParser, UndoesMarkingAcrossChunkBoundaries)
{
    const std::vector<std::uint8_t> stream = {1, 0xFF, 0xFF, 2, 0xFF, 0x00, 0x41, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 3};
    const std::vector<std::string> expected = {"b1", "b255", "b2", "m65", "m0", "b255", "b255", "b3"};
    CMarkedInputParser whole;
    EXPECT_EQ(Parse(whole, stream), expected);

    // Every split into two chunks, and byte by byte, gives the same.
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        CMarkedInputParser parser;
        auto got = Parse(parser, {stream.begin(), stream.begin() + static_cast<long>(cut)});
        const auto rest = Parse(parser, {stream.begin() + static_cast<long>(cut), stream.end()});
        got.insert(got.end(), rest.begin(), rest.end());
        EXPECT_EQ(got, expected) << "cut at " << cut;
    }
    CMarkedInputParser single;
    std::vector<std::string> got;
    for (std::uint8_t b : stream) {
        const auto part = Parse(single, {b});
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(got, expected);
}

TEST(MarkedInputParser, KeepsAnUnmarkedFFRatherThanLosingIt)
{
    CMarkedInputParser parser;
    EXPECT_EQ(Parse(parser, {0xFF, 0x41, 0x42}), (std::vector<std::string>{"b255", "b65", "b66"}));
}
