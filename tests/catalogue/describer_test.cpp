#include "catalogue/describer.h"
#include "catalogue/radio_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DescribeCase {
    CountedBytes message; // the bytes after the count byte
    std::string expected;
};

} // namespace

TEST(DescribeCommand, Cases)
{
    const DescribeCase cases[] = {
        {{20, 23}, "Query Volume"},
        {{20, 23, 5}, "Query <invalid>"},
        {{20, 63}, "Query"},
        {{20, 20}, "Query Device ID"},
        {{20}, "Query"},
        {{21, 24, 1}, "Set Mute = On"},
        {{21, 24}, "Set Mute = <invalid>"},
        {{21, 24, 1, 0}, "Set Mute = <invalid>"},
        {{21, 24, 7}, "Set Mute = <invalid>"},
        {{21, 23, 128, 245}, "Set Volume = -10.500000 dB"},
        {{21, 23}, "Set Volume"},
        {{21, 23, 1, 2, 3}, "Set Volume = <invalid>"},
        {{21, 55, 65}, "Set Input Name"}, // neither a list nor a formatter
        {{21, 63, 1}, "Set"},
        {{21, 81, 3, 12}, "Set Track Info = Title: 3   Chapter: 12"},
        {{22, 16, 5}, "IR Command 16 5"},
        {{22, 1, 2, 3, 4}, "IR Command <invalid>"},
        {{22}, "IR Command"},
        {{25, 7}, "Store A/V Preset 7"},
        {{26, 1, 2, 3}, "Store Tuner Preset 1 2 3"},
        {{23}, "Get Version"},
        {{23, 1, 2}, "Get Version"},
        {{24, 9, 9}, "Software Update"},
        {{}, ""},
        {{30}, ""},
        {{19, 20}, ""},
        {{27, 0}, ""}, // a response type only
    };
    for (const DescribeCase& c : cases)
        EXPECT_EQ(DescribeCommand(c.message), c.expected) << FormatBytes(c.message);
}

TEST(DescribeResponse, Cases)
{
    CRadioText radioText;
    const DescribeCase cases[] = {
        {{20, 24, 0}, "Value Mute = Off"},
        {{20, 24, 1, 9}, "Value Mute = On"},
        {{20, 24}, "Value Mute = <invalid>"},
        {{20, 23}, "Value Volume = <invalid>"},
        {{20, 23, 0xF4}, "Value Volume = -12 dB"},
        {{20, 20}, "Value Device ID = "},
        {{20, 20, 'E', 'l', 'm', 'o', 'r', 'a', 0, 'x'}, "Value Device ID = Elmora"},
        {{20, 45, 0x52, 0x26}, "Value FM Frequency = 98.10"},
        {{20, 112, 2}, "Value Downmix = off"},
        {{20, 38}, "Value Audio Input Type = <invalid>"}, // owned by no model, still named
        {{20, 55, 'T', 'V'}, "Value Input Name"},
        {{20, 63, 1}, "Value"},
        {{20}, "Value"},
        {{21, 5}, ""},
        {{22}, ""},
        {{24, 1}, ""},
        {{23}, "Software Version"},
        {{23, 1, 0, 3}, "Software Version"},
        {{25, 3}, "A/V Preset Stored - Preset 3"},
        {{25}, "A/V Preset Stored - Preset <invalid>"},
        {{26, 3, 4}, "Tuner Preset Stored - Preset <invalid>"},
        {{27}, "RDS PS - No PS Name"},
        {{27, 'R', 'a', 'd', 'i', 'o', ' ', ' ', '1'}, "RDS PS - \"Radio  1\""},
        {{27, 'R', 'a', 'd', 0, 'o', ' ', ' ', '1'}, "RDS PS - Invalid Data!"},
        {{27, 'R', 'a', 'd', 'i', 'o', ' ', ' '}, "RDS PS - Invalid Data!"},
        {{27, 'R', 'a', 'd', 'i', 'o', ' ', ' ', '1', '2'}, "RDS PS - Invalid Data!"},
        {{}, ""},
        {{19}, ""},
        {{29, 1}, ""},
    };
    for (const DescribeCase& c : cases)
        EXPECT_EQ(DescribeResponse(c.message, radioText), c.expected) << FormatBytes(c.message);
}

// Bytes left behind in a buffer past its count must not leak into a description.
TEST(Describers, NeverReadPastTheCount)
{
    CRadioText radioText;
    CountedBytes value{20, 24, 1};
    value.RemoveLast();
    EXPECT_EQ(DescribeResponse(value, radioText), "Value Mute = <invalid>");

    CountedBytes text{20, 20, 'A', 'B', 'C'};
    text.RemoveLast();
    EXPECT_EQ(DescribeResponse(text, radioText), "Value Device ID = AB");

    CountedBytes query{20, 23, 5};
    query.RemoveLast();
    EXPECT_EQ(DescribeCommand(query), "Query Volume");

    CountedBytes name{27, 'R', 'a', 'd', 'i', 'o', ' ', ' ', '1'};
    name.RemoveLast();
    EXPECT_EQ(DescribeResponse(name, radioText), "RDS PS - Invalid Data!");
}

TEST(Describers, LongestMessagesAreDescribed)
{
    CRadioText radioText;
    std::vector<std::uint8_t> bytes(CountedBytes::kCapacity, 'x');
    bytes[0] = 20;
    bytes[1] = 150; // "iPod Title", shown as text of any length
    const CountedBytes message(bytes);
    EXPECT_EQ(DescribeResponse(message, radioText), "Value iPod Title = " + std::string(CountedBytes::kCapacity - 2, 'x'));
    EXPECT_EQ(DescribeCommand(message), "Query <invalid>");
}
