#include "serial/line_errors.h"
#include "catalogue/radio_text.h"
#include "log/log_row.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

const auto kWhen = std::chrono::system_clock::now();

} // namespace

TEST(LogRow, ColumnsByOutcome)
{
    CRadioText radioText;
    const CountedBytes frame{1, 20, 24, 94, 65, 2, 230};
    const CountedBytes payload{20, 24, 1};
    const LogRow valid = MakePacketRow(kWhen, frame, &payload, false, radioText);
    EXPECT_TRUE(std::regex_match(valid.time, std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]"))) << valid.time;
    EXPECT_EQ(valid.encoded, "1, 20, 24, 94, 65, 2, 230");
    EXPECT_EQ(valid.data, "20, 24, 1");
    EXPECT_EQ(valid.description, "Value Mute = On");

    const LogRow checksum = MakePacketRow(kWhen, frame, nullptr, true, radioText);
    EXPECT_EQ(checksum.data, "Checksum Error!");
    EXPECT_EQ(checksum.description, "");
    const LogRow broken = MakePacketRow(kWhen, CountedBytes{65}, nullptr, false, radioText);
    EXPECT_EQ(broken.encoded, "65");
    EXPECT_EQ(broken.data, "Invalid Packet!");
    EXPECT_EQ(broken.description, "");

    const LogRow line = MakeLineErrorRow(kWhen, CE_FRAME | CE_IOE);
    EXPECT_EQ(line.time, valid.time);
    EXPECT_EQ(line.encoded, "RS232 Framing Error!!!");
    EXPECT_EQ(line.data + line.description, "");
}

TEST(LogRow, DeviceNameOnlyFromADeviceIdValueWithAName)
{
    EXPECT_EQ(ReportedDeviceName(CountedBytes{20, 20, 'E', 'l', 'm', 'o', 'r', 'a'}), "Elmora");
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{20, 20})); // logged, but names no model
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{20, 21, 'E'}));
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{23, 20, 'E'}));
    EXPECT_FALSE(ReportedDeviceName(CountedBytes{}));
}

TEST(LogRow, DeviceTextControlBytesShownAsEscapes)
{
    CRadioText radioText;
    // A Device ID answer whose name carries a tab and a line feed stays one line of four columns.
    const CountedBytes payload{20, 20, 'T', 'a', 'b', 9, 'h', 'e', 'r', 'e', 10};
    const LogRow row = MakePacketRow(kWhen, CountedBytes{1, 2}, &payload, false, radioText);
    EXPECT_EQ(row.description.find_first_of("\t\n"), std::string::npos) << row.description;
    EXPECT_NE(row.description.find("Tab\\x09here\\x0a"), std::string::npos) << row.description;

    // C1 bytes are controls too (0x9B starts a terminal escape); the letters above them are text,
    // each byte its Latin-1 character in UTF-8.
    const CountedBytes c1{20, 20, 0x80, 'A', 0x9B, '2', 'J', 0x9F, 0xA0, 0xE9, 0x7F};
    EXPECT_EQ(MakePacketRow(kWhen, CountedBytes{1, 2}, &c1, false, radioText).description,
              "Value Device ID = \\x80A\\x9b2J\\x9f\xC2\xA0\xC3\xA9\\x7f");
}
