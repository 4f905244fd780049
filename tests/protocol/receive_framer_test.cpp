#include "frame_recorder.h"

#include "protocol/command_packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>

using Lines = std::vector<std::string>;

namespace {

Lines FrameAll(std::initializer_list<std::uint8_t> bytes)
{
    FrameRecorder sink;
    CReceiveFramer framer(sink);
    Feed(framer, bytes);
    return sink.Lines();
}

} // namespace

TEST(ReceiveFramer, Verdicts)
{
    EXPECT_EQ(FrameAll({1, 20, 20, 2, 215}), Lines{"valid: 1, 20, 20, 2, 215 / 20, 20"});
    EXPECT_EQ(FrameAll({1, 20, 20, 2, 214}), Lines{"checksum: 1, 20, 20, 2, 214"});
    EXPECT_EQ(FrameAll({1, 94, 65, 2, 254}), Lines{"valid: 1, 94, 65, 2, 254 / 1"});
    EXPECT_EQ(FrameAll({1, 94, 94, 2, 161}), Lines{"valid: 1, 94, 94, 2, 161 / 94"});
    EXPECT_EQ(FrameAll({1, 237, 2, 94, 82}), Lines{"valid: 1, 237, 2, 94, 82 / 237"});
    EXPECT_EQ(FrameAll({1, 2, 255}), Lines{"valid: 1, 2, 255 / "});
}

TEST(ReceiveFramer, BrokenFramesAndResynchronisation)
{
    EXPECT_EQ(FrameAll({1, 20, 1, 20, 20, 2, 215}),
              (Lines{"broken: 1, 20", "valid: 1, 20, 20, 2, 215 / 20, 20"}));
    EXPECT_EQ(FrameAll({65}), Lines{"broken: 65"});
    EXPECT_EQ(FrameAll({1, 20, 2, 2}), Lines{"broken: 1, 20, 2, 2"});
    EXPECT_EQ(FrameAll({1, 20, 10}), Lines{"broken: 1, 20, 10"});
    EXPECT_EQ(FrameAll({2}), Lines{"broken: 2"});
    // A start marker in the checksum position begins a new packet.
    EXPECT_EQ(FrameAll({1, 20, 2, 1, 2, 255}), (Lines{"broken: 1, 20, 2", "valid: 1, 2, 255 / "}));
    // An escape byte followed by a control byte: the control byte breaks the frame.
    EXPECT_EQ(FrameAll({1, 94, 5}), Lines{"broken: 1, 94, 5"});
}

TEST(ReceiveFramer, AbortFrameClosesOnlyAPartialFrame)
{
    FrameRecorder sink;
    CReceiveFramer framer(sink);
    framer.AbortFrame();
    EXPECT_TRUE(sink.frames.empty());
    Feed(framer, {1, 20});
    framer.AbortFrame();
    EXPECT_EQ(sink.Lines(), Lines{"broken: 1, 20"});
    EXPECT_EQ(framer.GetState(), CReceiveFramer::State::Idle);
    Feed(framer, {1, 20, 20, 2, 215});
    EXPECT_EQ(sink.Lines().back(), "valid: 1, 20, 20, 2, 215 / 20, 20");
}

TEST(ReceiveFramer, EscapeStateSurvivesAcrossCallsAndIsClearedByMarkers)
{
    FrameRecorder sink;
    CReceiveFramer framer(sink);
    Feed(framer, {1, 94});
    EXPECT_TRUE(sink.frames.empty());
    Feed(framer, {94, 2, 161});
    EXPECT_EQ(sink.Lines(), Lines{"valid: 1, 94, 94, 2, 161 / 94"});
}

// A frame that outgrows 128 bytes is shown as broken, not dropped; the next byte starts afresh.
TEST(ReceiveFramer, OverlongFrameIsHandedOnAsBroken)
{
    FrameRecorder sink;
    CReceiveFramer framer(sink);
    framer.PutByte(1);
    for (int i = 0; i < 127; ++i)
        framer.PutByte(0x30);
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(framer.PendingCount(), 128u);
    framer.PutByte(0x30);
    framer.PutByte(0x31);
    ASSERT_EQ(sink.frames.size(), 3u);
    EXPECT_EQ(sink.frames[0].frame.Count(), 128u);
    EXPECT_FALSE(sink.frames[0].valid);
    EXPECT_EQ(sink.Lines()[1], "broken: 48");
    EXPECT_EQ(sink.Lines()[2], "broken: 49");

    // The 129th byte as a start marker begins a packet that frames normally.
    sink.frames.clear();
    framer.PutByte(1);
    for (int i = 0; i < 127; ++i)
        framer.PutByte(0x30);
    Feed(framer, {1, 20, 20, 2, 215});
    ASSERT_EQ(sink.frames.size(), 2u);
    EXPECT_EQ(sink.frames[0].frame.Count(), 128u);
    EXPECT_EQ(sink.Lines()[1], "valid: 1, 20, 20, 2, 215 / 20, 20");
}

// Taking a block at once must close the same frames as taking it byte by byte, whatever the
// block holds (plain runs, escapes, markers, overlong frames) and wherever it is cut.
TEST(ReceiveFramer, BlocksCloseTheSameFramesAsSingleBytes)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes(1 + rng() % 4000);
        // Mostly plain bytes, so that long runs, overlong frames and escapes all occur; every
        // other round with markers rare enough for frames to outgrow kMaxFrame.
        const unsigned scale = round % 2 == 0 ? 100 : 3000;
        for (auto& b : bytes) {
            const auto pick = rng() % scale;
            b = pick < 3 ? 1 : pick < 6 ? 2 : pick < 9 ? Packet::kEscape : pick < 11 ? static_cast<std::uint8_t>(rng() % 20)
                                                                               : static_cast<std::uint8_t>(20 + rng() % 236);
        }
        FrameRecorder singly;
        CReceiveFramer one(singly);
        for (const std::uint8_t b : bytes)
            one.PutByte(b);
        FrameRecorder inBlocks;
        CReceiveFramer many(inBlocks);
        for (std::span<const std::uint8_t> rest(bytes); !rest.empty();) {
            const std::size_t cut = std::min<std::size_t>(rest.size(), 1 + rng() % 300);
            many.PutBytes(rest.first(cut));
            rest = rest.subspan(cut);
        }
        ASSERT_EQ(inBlocks.Lines(), singly.Lines()) << "round " << round;
        EXPECT_EQ(many.GetState(), one.GetState());
        EXPECT_EQ(many.PendingCount(), one.PendingCount());
    }
}
