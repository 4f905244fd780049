// Anything a gateway sends gives the same data, line errors, answers and agreements however it is
// cut into reads; no data byte is invented, and answers stay bounded by the requests.
#include "serial/telnet_codec.h"

#include <cstdlib>

namespace {

struct Outcome {
    ReceivedItems items;
    std::vector<std::uint8_t> replies;
    bool agreed = false;
    bool refused = false;
    std::uint32_t baud = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome Run(std::span<const std::uint8_t> raw, std::size_t cut)
{
    CTelnetCodec codec;
    codec.Greeting();
    Outcome outcome;
    for (const auto piece : {raw.first(cut), raw.subspan(cut)}) {
        codec.Feed(piece, outcome.items);
        const auto replies = codec.TakeReplies();
        outcome.replies.insert(outcome.replies.end(), replies.begin(), replies.end());
    }
    outcome.agreed = codec.ComPortAgreed();
    outcome.refused = codec.ComPortRefused();
    outcome.baud = codec.AnswerTo(CTelnetCodec::kSetBaudRate).value;
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> raw(data, size);
    const Outcome whole = Run(raw, size);
    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    if (Run(raw, cut) != whole)
        std::abort();
    // Each data byte and line error takes at least one raw byte; each answer of three bytes
    // answers a request of three.
    if (whole.items.size() > size || whole.replies.size() > size || whole.replies.size() % 3 != 0)
        std::abort();
    return 0;
}
