#include "log/error_row.h"
#include "log/row_details.h"

#include <gtest/gtest.h>

namespace {

// 13:04:56.123 UTC+01:00 on 7 December 2026.
const RowTime kTime{1'796'645'096'123, 60};

SessionRow Received(std::string encoded, std::string data, std::string description = {})
{
    return {kTime, RowDirection::Received, std::move(encoded), std::move(data), std::move(description)};
}

bool Has(const std::string& text, const std::string& line)
{
    return text.find(line) != std::string::npos;
}

} // namespace

TEST(RowDetails, ValidPacketByteByByteAndAsTheCatalogueReadsIt)
{
    const std::string text = RowDetailsText(Received("1, 20, 24, 94, 65, 2, 210", "20, 24, 1", "Value Mute = On"));
    EXPECT_TRUE(text.starts_with("Time: 2026-12-07T13:04:56.123+01:00\nDirection: received\n")) << text;
    EXPECT_TRUE(Has(text, "   0  0x01    1  start marker\n")) << text;
    EXPECT_TRUE(Has(text, "   1  0x14   20  payload byte 1\n")) << text;
    EXPECT_TRUE(Has(text, "   3  0x5E   94  escape: the next byte is a payload byte with 0x40 added\n")) << text;
    EXPECT_TRUE(Has(text, "   4  0x41   65  payload byte 3 (unescaped 1, 0x01)\n")) << text;
    EXPECT_TRUE(Has(text, "   5  0x02    2  end marker\n")) << text;
    EXPECT_TRUE(Has(text, "   6  0xD2  210  checksum: received 210, computed 210, correct\n")) << text;
    EXPECT_TRUE(Has(text, "Payload: 20, 24, 1\nMessage type: 20 Value\nVariable: Mute (id 24)\n"
                          "Value byte 1: 1 = On\nMeaning: Value Mute = On\n")) << text;
    EXPECT_FALSE(Has(text, "What went wrong")) << text;
}

TEST(RowDetails, SentCommandGetsTheSameBreakdownWithCommandNames)
{
    const SessionRow sent{kTime, RowDirection::Sent, "1, 21, 24, 94, 65, 2, 209", "21, 24, 1", "Set Mute = On"};
    const std::string text = RowDetailsText(sent);
    EXPECT_TRUE(Has(text, "Direction: sent\n")) << text;
    EXPECT_TRUE(Has(text, "checksum: received 209, computed 209, correct")) << text;
    EXPECT_TRUE(Has(text, "Message type: 21 Set\nVariable: Mute (id 24)\n")) << text;

    const SessionRow failed{kTime, RowDirection::Sent, "1, 20, 20, 2, 215", "RS232 Transmit Error", "Query Device ID"};
    EXPECT_TRUE(Has(RowDetailsText(failed), "What went wrong: the command could not be written")) << RowDetailsText(failed);
}

TEST(RowDetails, EscapedChecksumIsUnescapedBeforeItIsCompared)
{
    // Payload 20, 20, 200: its sum is 0xF0 and the checksum 0x0F, which travels escaped as 94, 79.
    const std::string text = RowDetailsText(Received("1, 20, 20, 200, 2, 94, 79", "20, 20, 200"));
    EXPECT_TRUE(Has(text, "   5  0x5E   94  escape: the checksum follows with 0x40 added\n")) << text;
    EXPECT_TRUE(Has(text, "   6  0x4F   79  checksum (unescaped 15, 0x0F): received 15, computed 15, correct\n")) << text;
}

TEST(RowDetails, FaultsAreNamedInPlainWords)
{
    const std::string checksum = RowDetailsText(Received("1, 20, 24, 94, 65, 2, 211", "Checksum Error!"));
    EXPECT_TRUE(Has(checksum, "checksum: received 211, computed 210, WRONG")) << checksum;
    EXPECT_TRUE(Has(checksum, "What went wrong: the checksum received is not the one computed")) << checksum;
    EXPECT_FALSE(Has(checksum, "Meaning:")) << checksum;

    const std::string cut = RowDetailsText(Received("1, 20, 24", "Invalid Packet!"));
    EXPECT_TRUE(Has(cut, "What went wrong: the packet stops before its end marker")) << cut;
    const std::string stray = RowDetailsText(Received("65, 66", "Invalid Packet!"));
    EXPECT_TRUE(Has(stray, "   0  0x41   65  outside a packet\n")) << stray;
    EXPECT_TRUE(Has(stray, "do not begin with a start marker")) << stray;
    const std::string control = RowDetailsText(Received("1, 20, 5", "Invalid Packet!"));
    EXPECT_TRUE(Has(control, "byte 2 (0x05) is a control byte")) << control;
    const std::string noSum = RowDetailsText(Received("1, 20, 2", "Invalid Packet!"));
    EXPECT_TRUE(Has(noSum, "after its end marker, before its checksum")) << noSum;

    const std::string framing = RowDetailsText(Received("RS232 Framing Error!!!", ""));
    EXPECT_TRUE(Has(framing, "Line error: RS232 Framing Error!!!\nWhat went wrong: the serial port received a byte "
                             "without its stop bit")) << framing;
    EXPECT_TRUE(Has(RowDetailsText(Received("I/O Error!!!", "")), "has gone away"));
}

TEST(ErrorRow, FaultsOfEveryKindAndNothingElse)
{
    EXPECT_TRUE(IsErrorRow(RowDirection::Received, "1, 20", "Checksum Error!"));
    EXPECT_TRUE(IsErrorRow(RowDirection::Received, "65", "Invalid Packet!"));
    EXPECT_TRUE(IsErrorRow(RowDirection::Received, "RS232 Framing Error!!!", ""));
    // Each side of a watched line is heard as the port's answers are.
    EXPECT_TRUE(IsErrorRow(RowDirection::Controller, "1, 21", "Checksum Error!"));
    EXPECT_TRUE(IsErrorRow(RowDirection::Device, "RS232 Framing Error!!!", ""));
    EXPECT_FALSE(IsErrorRow(RowDirection::Device, "1, 20, 20, 2, 215", "20, 20"));
    EXPECT_TRUE(IsErrorRow(RowDirection::Sent, "1, 20, 20, 2, 215", "RS232 Transmit Error"));
    EXPECT_TRUE(IsErrorRow(RowDirection::Port, "Could not open port: /dev/ttyS9", "no such port"));
    EXPECT_FALSE(IsErrorRow(RowDirection::Received, "1, 20, 24, 94, 65, 2, 210", "20, 24, 1"));
    EXPECT_FALSE(IsErrorRow(RowDirection::Sent, "1, 20, 20, 2, 215", "20, 20"));
    EXPECT_FALSE(IsErrorRow(RowDirection::Port, "Port opened: /dev/ttyS0", ""));
}
