#include "serial/line_errors.h"
#include "serial/telnet_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Codec = CTelnetCodec;
constexpr std::uint8_t IAC = Codec::kIac, DO = Codec::kDo, DONT = Codec::kDont, WILL = Codec::kWill,
                       WONT = Codec::kWont, SB = Codec::kSb, SE = Codec::kSe, COM = Codec::kComPort;
constexpr std::uint8_t kEcho = 1, kTerminalType = 24, kWindowSize = 31, kNop = 241;

// What a codec made of a stream: data and line errors, the answers it owes, what it agreed.
struct Outcome {
    ReceivedItems items;
    Bytes replies;
    bool comPortAgreed = false;
    std::uint32_t baudAnswer = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome FeedInPieces(const Bytes& stream, const std::vector<std::size_t>& cuts)
{
    Codec codec;
    codec.Greeting();
    Outcome outcome;
    std::size_t from = 0;
    auto feedTo = [&](std::size_t to) {
        codec.Feed(std::span(stream).subspan(from, to - from), outcome.items);
        const Bytes replies = codec.TakeReplies();
        outcome.replies.insert(outcome.replies.end(), replies.begin(), replies.end());
        from = to;
    };
    for (const std::size_t cut : cuts)
        feedTo(cut);
    feedTo(stream.size());
    outcome.comPortAgreed = codec.ComPortAgreed();
    outcome.baudAnswer = codec.AnswerTo(Codec::kSetBaudRate).value;
    return outcome;
}

// A gateway's talk with every construct in it: negotiation, a command, a doubled 0xFF in data and
// in a subnegotiation value, a settings answer and a line-state notice between data bytes.
const Bytes kGatewayTalk = {
    IAC, DO, COM, IAC, WILL, kEcho, IAC, DO, kTerminalType, 0x41, IAC, IAC, 0x42, IAC, kNop,
    IAC, SB, COM, 101, 0x00, 0x00, IAC, IAC, 0x80, IAC, SE, 0x43, IAC, SB, COM, 106, 0x08, IAC, SE, 0x44};

} // namespace

TEST(TelnetCodec, EverySplitOfTheStreamGivesTheSameOutcome)
{
    const Outcome whole = FeedInPieces(kGatewayTalk, {});
    const ReceivedItems expected = {0x41, 0xFF, 0x42, 0x43, kErrorItem | CE_FRAME, 0x44};
    EXPECT_EQ(whole.items, expected);
    EXPECT_TRUE(whole.comPortAgreed);
    EXPECT_EQ(whole.baudAnswer, 0x0000FF80u);
    // Our WILL COM-PORT was asked for: the DO answers it and is not answered again.
    EXPECT_EQ(whole.replies, (Bytes{IAC, DONT, kEcho, IAC, WONT, kTerminalType}));

    for (std::size_t a = 1; a < kGatewayTalk.size(); ++a)
        for (std::size_t b = a; b < kGatewayTalk.size(); ++b)
            ASSERT_EQ(FeedInPieces(kGatewayTalk, {a, b}), whole) << "cut at " << a << " and " << b;
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < kGatewayTalk.size(); ++i)
        everyByte.push_back(i);
    EXPECT_EQ(FeedInPieces(kGatewayTalk, everyByte), whole);
}

TEST(TelnetCodec, NegotiationAnswersRequestsButNeverAnswers)
{
    Codec codec;
    EXPECT_EQ(codec.Greeting(),
              (Bytes{IAC, WILL, COM, IAC, WILL, Codec::kBinary, IAC, DO, Codec::kBinary, IAC, DO, Codec::kSuppressGoAhead}));
    ReceivedItems items;
    auto answerTo = [&](Bytes talk) {
        codec.Feed(talk, items);
        return codec.TakeReplies();
    };
    // Unknown options are refused politely, once per request.
    EXPECT_EQ(answerTo({IAC, DO, kTerminalType}), (Bytes{IAC, WONT, kTerminalType}));
    EXPECT_EQ(answerTo({IAC, WILL, kWindowSize}), (Bytes{IAC, DONT, kWindowSize}));
    // Refusals of what was never on draw no answer, so two ends cannot loop.
    EXPECT_TRUE(answerTo({IAC, DONT, kTerminalType, IAC, WONT, kWindowSize}).empty());
    // Answers to our own requests are taken silently, and so is a repeat of an agreed option.
    EXPECT_TRUE(answerTo({IAC, DO, Codec::kBinary, IAC, WILL, Codec::kBinary, IAC, WILL, Codec::kBinary}).empty());
    // The gateway may offer binary before we ask again, or turn it off: we follow and say so once.
    EXPECT_EQ(answerTo({IAC, DONT, Codec::kBinary}), (Bytes{IAC, WONT, Codec::kBinary}));
    EXPECT_EQ(answerTo({IAC, DO, Codec::kBinary}), (Bytes{IAC, WILL, Codec::kBinary}));
    // A gateway without serial port control refuses our offer.
    EXPECT_FALSE(codec.ComPortRefused());
    EXPECT_TRUE(answerTo({IAC, DONT, COM}).empty());
    EXPECT_TRUE(codec.ComPortRefused());
    EXPECT_FALSE(codec.ComPortAgreed());
    EXPECT_TRUE(items.empty());
}

TEST(TelnetCodec, LineStatesBecomeTheLogsLineErrors)
{
    EXPECT_EQ(Codec::LineStateErrors(0x08), CE_FRAME);
    EXPECT_EQ(Codec::LineStateErrors(0x04), CE_RXPARITY);
    EXPECT_EQ(Codec::LineStateErrors(0x02), CE_OVERRUN);
    EXPECT_EQ(Codec::LineStateErrors(0x10), CE_BREAK);
    EXPECT_EQ(Codec::LineStateErrors(0x1E), CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_BREAK);
    // Data ready, an empty transmitter and a time-out are states, not errors: no row for them.
    Codec codec;
    ReceivedItems items;
    codec.Feed(Bytes{IAC, SB, COM, 106, 0x61, IAC, SE, 0x30}, items);
    EXPECT_EQ(items, (ReceivedItems{0x30}));
}

TEST(TelnetCodec, BrokenAndOverlongSubnegotiationsLoseNoData)
{
    Codec codec;
    codec.Greeting();
    ReceivedItems items;
    // A subnegotiation cut short by a command: the command still counts, then data follows.
    codec.Feed(Bytes{IAC, SB, COM, 106, 0x08, IAC, DO, kTerminalType, 0x31}, items);
    EXPECT_EQ(codec.TakeReplies(), (Bytes{IAC, WONT, kTerminalType}));
    // A subnegotiation longer than any the codec keeps is cut, and the stream goes on after it.
    Bytes overlong = {IAC, SB, COM, 101};
    overlong.insert(overlong.end(), 500, 0x07);
    overlong.insert(overlong.end(), {IAC, SE, 0x32});
    codec.Feed(overlong, items);
    EXPECT_EQ(items, (ReceivedItems{0x31, 0x32}));
}

TEST(TelnetCodec, OutgoingDataAndRequestsDoubleEvery0xFF)
{
    Bytes out;
    Codec::AppendEscaped(Bytes{0x01, 0xFF, 0xFF, 0x02}, out);
    EXPECT_EQ(out, (Bytes{0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x02}));
    EXPECT_EQ(Codec::ComPortRequest(Codec::kSetBaudRate, Bytes{0x00, 0x00, 0xFF, 0x10}),
              (Bytes{IAC, SB, COM, 1, 0x00, 0x00, 0xFF, 0xFF, 0x10, IAC, SE}));
}

TEST(TelnetCodec, SetControlAnswersAreKeptApartByWhatTheySet)
{
    Codec codec;
    ReceivedItems items;
    // Answers in any order, a break-state answer among them, and a later one replacing an earlier.
    codec.Feed(Bytes{IAC, SB, COM, 105, 8, IAC, SE, IAC, SB, COM, 105, 5, IAC, SE, IAC, SB, COM, 105, 12, IAC, SE,
                     IAC, SB, COM, 105, 3, IAC, SE, IAC, SB, COM, 105, 1, IAC, SE},
               items);
    EXPECT_TRUE(items.empty());
    using Control = Codec::Control;
    EXPECT_EQ(codec.ControlAnswer(Control::OutboundFlow).value, Codec::kNoFlowControl);
    EXPECT_EQ(codec.ControlAnswer(Control::Dtr).value, Codec::kDtrOn);
    EXPECT_EQ(codec.ControlAnswer(Control::Rts).value, Codec::kRtsOff);
    // The SET-CONTROL answers say nothing about the rate.
    EXPECT_FALSE(codec.AnswerTo(Codec::kSetBaudRate).received);
    EXPECT_FALSE(codec.AnswerTo(Codec::kSetControl).received);
}
