#include "serial/line_errors.h"
#include "serial/line_settings.h"
#include "serial/marked_input_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(LineSettings, ReadsTheModeText)
{
    const auto device = ParseLineSettings(kDeviceLineSettings);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->baud, 9600u);
    EXPECT_EQ(device->parity, 'N');
    EXPECT_EQ(device->dataBits, 8u);
    EXPECT_EQ(device->stopBits, 1u);

    const auto other = ParseLineSettings("  STOP=2 Parity=e  baud=115200 ");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->parity, 'E');
    EXPECT_EQ(other->stopBits, 2u);
    EXPECT_EQ(other->baud, 115200u);
    EXPECT_FALSE(other->dataBits); // left as the port has it
}

TEST(LineSettings, RefusesMalformedText)
{
    for (const char* text : {"", "   ", "baud=9601", "baud=", "baud=96OO", "parity=X", "parity=NN",
                             "data=4", "data=9", "stop=0", "stop=1.5", "speed=9600", "baud 9600",
                             "baud=9600 baud=4800", "baud=-9600"})
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
