#include "frame_recorder.h"
#include "protocol/command_packet.h"
#include "protocol/command_text_parser.h"

#include <gtest/gtest.h>

#include <random>

// Every payload whose packet fits the framer's 128 bytes comes back whole and valid, also when
// its packet is cut off at every length and the line then carries the next packet.
TEST(RoundTrip, RandomPayloadsFrameBackToThemselves)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 2000; ++round) {
        CountedBytes payload;
        const std::size_t count = rng() % 63;
        for (std::size_t i = 0; i < count; ++i)
            payload.Append(static_cast<std::uint8_t>(rng()));
        CCommandPacket packet;
        packet.SetCommand(payload);
        ASSERT_LE(packet.GetEncoded().Count(), CReceiveFramer::kMaxFrame);

        FrameRecorder sink;
        CReceiveFramer framer(sink);
        for (std::uint8_t b : packet.GetEncoded().Bytes())
            framer.PutByte(b);
        ASSERT_EQ(sink.frames.size(), 1u);
        EXPECT_TRUE(sink.frames[0].valid);
        EXPECT_EQ(sink.frames[0].payload, payload);
        EXPECT_EQ(sink.frames[0].frame, packet.GetEncoded());
    }
}

TEST(RoundTrip, TruncatedPacketsNeverPassAsValidAndCostOnlyThemselves)
{
    CCommandPacket packet;
    packet.SetCommand(ParseCommandText("21 23 0x5e 3 255 19 20"));
    const CountedBytes& encoded = packet.GetEncoded();
    CCommandPacket next;
    next.SetCommand(CountedBytes{20, 20});
    for (std::size_t cut = 1; cut < encoded.Count(); ++cut) {
        FrameRecorder sink;
        CReceiveFramer framer(sink);
        for (std::size_t i = 0; i < cut; ++i)
            framer.PutByte(encoded[i]);
        for (std::uint8_t b : next.GetEncoded().Bytes())
            framer.PutByte(b);
        ASSERT_FALSE(sink.frames.empty());
        EXPECT_TRUE(sink.frames.back().valid) << "cut at " << cut;
        EXPECT_EQ(FormatBytes(sink.frames.back().payload), "20, 20");
        for (std::size_t i = 0; i + 1 < sink.frames.size(); ++i)
            EXPECT_FALSE(sink.frames[i].valid) << "cut at " << cut;
    }
}

TEST(RoundTrip, RandomStreamLosesNoByte)
{
    std::mt19937 rng(99);
    std::vector<std::uint8_t> stream(200000);
    for (auto& b : stream) {
        // Mostly plain bytes, with markers and escapes often enough to exercise every state.
        const unsigned pick = rng() % 16;
        b = pick == 0 ? 1 : pick == 1 ? 2 : pick == 2 ? 94 : static_cast<std::uint8_t>(rng());
    }
    struct Concat : IFrameSink {
        std::vector<std::uint8_t> bytes;
        void OnFrame(const CountedBytes& frame, const CountedBytes*, bool) override
        {
            ASSERT_GT(frame.Count(), 0u);
            ASSERT_LE(frame.Count(), CReceiveFramer::kMaxFrame);
            bytes.insert(bytes.end(), frame.Bytes().begin(), frame.Bytes().end());
        }
    } sink;
    CReceiveFramer framer(sink);
    for (std::uint8_t b : stream)
        framer.PutByte(b);
    framer.AbortFrame();
    EXPECT_EQ(sink.bytes, stream);
}
