#include "protocol/command_packet.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string Encode(std::initializer_list<std::uint8_t> payload)
{
    CCommandPacket packet;
    packet.SetCommand(CountedBytes(payload));
    return packet.GetEncodedText();
}

CountedBytes Filled(std::size_t count, std::uint8_t value)
{
    CountedBytes bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes.Append(value);
    return bytes;
}

} // namespace

TEST(FormatBytes, JoinsUnsignedDecimalsWithCommaSpace)
{
    EXPECT_EQ(FormatBytes(CountedBytes{}), "");
    EXPECT_EQ(FormatBytes(CountedBytes{0}), "0");
    EXPECT_EQ(FormatBytes(CountedBytes{1, 20, 255}), "1, 20, 255");
}

TEST(CommandPacket, WorkedExamples)
{
    EXPECT_EQ(Encode({}), "1, 2, 255");
    EXPECT_EQ(Encode({20, 20}), "1, 20, 20, 2, 215");
    EXPECT_EQ(Encode({1}), "1, 94, 65, 2, 254");
    EXPECT_EQ(Encode({94}), "1, 94, 94, 2, 161");
    EXPECT_EQ(Encode({237}), "1, 237, 2, 94, 82");
    EXPECT_EQ(Encode({19}), "1, 94, 83, 2, 236");
    EXPECT_EQ(Encode({20}), "1, 20, 2, 235");
}

TEST(CommandPacket, NewObjectIsEmptyAndSecondSetLeavesNoTrace)
{
    CCommandPacket packet;
    EXPECT_EQ(packet.GetEncoded().Count(), 0u);
    EXPECT_EQ(packet.GetCommand().Count(), 0u);
    packet.SetCommand(CountedBytes{1, 2, 3});
    packet.SetCommand(CountedBytes{20, 20});
    EXPECT_EQ(packet.GetEncodedText(), "1, 20, 20, 2, 215");
    EXPECT_EQ(FormatBytes(packet.GetCommand()), "20, 20");
}

// Payload sizes at the edges of the 128-byte frame and of the parser's 127-byte limit, once with
// bytes that never need escaping and once with bytes that all do.
TEST(CommandPacket, LongPayloadsEncodeWhole)
{
    for (std::size_t count : {62u, 63u, 125u, 126u, 127u}) {
        for (std::uint8_t value : {std::uint8_t{0x30}, std::uint8_t{0x05}}) {
            CCommandPacket packet;
            const CountedBytes payload = Filled(count, value);
            ASSERT_TRUE(packet.SetCommand(payload));
            const bool escaped = Packet::NeedsEscape(value);
            const std::uint8_t checksum = static_cast<std::uint8_t>(~(count * value));
            const std::size_t expected = 1 + count * (escaped ? 2 : 1) + 1 + (Packet::NeedsEscape(checksum) ? 2 : 1);
            const CountedBytes& encoded = packet.GetEncoded();
            ASSERT_EQ(encoded.Count(), expected) << count << " bytes of " << int(value);
            EXPECT_EQ(encoded[0], Packet::kStart);
            EXPECT_EQ(packet.GetCommand(), payload);
        }
    }
}

TEST(CommandPacket, OverlongPayloadBecomesEmptyCommand)
{
    CCommandPacket packet;
    EXPECT_FALSE(packet.SetCommand(Filled(128, 7)));
    EXPECT_EQ(packet.GetCommand().Count(), 0u);
    EXPECT_EQ(packet.GetEncodedText(), "1, 2, 255");
}

TEST(CommandPacket, NoUnescapedControlByteInsideAPacket)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        CountedBytes payload;
        const std::size_t count = rng() % 128;
        for (std::size_t i = 0; i < count; ++i)
            payload.Append(static_cast<std::uint8_t>(rng()));
        CCommandPacket packet;
        packet.SetCommand(payload);
        const CountedBytes& encoded = packet.GetEncoded();
        int markers = 0;
        for (std::size_t i = 0; i < encoded.Count(); ++i)
            if (encoded[i] < Packet::kFirstPlain && (encoded[i] == Packet::kStart || encoded[i] == Packet::kEnd))
                ++markers;
            else
                EXPECT_GE(encoded[i], Packet::kFirstPlain);
        EXPECT_EQ(markers, 2);
    }
}
