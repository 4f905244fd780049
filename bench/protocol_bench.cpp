// Throughput of the framer and the encoder, in bytes per second of wire data.
#include "protocol/command_packet.h"
#include "protocol/command_text_parser.h"
#include "protocol/receive_framer.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

struct CountingSink : IFrameSink {
    std::size_t frames = 0;
    void OnFrame(const CountedBytes& frame, const CountedBytes*, bool) override
    {
        frames += frame.Count() > 0;
    }
};

// A stream of valid packets with random payloads of 2 to 20 bytes, as a device sends them.
std::vector<std::uint8_t> PacketStream(std::size_t bytes)
{
    std::mt19937 rng(1);
    std::vector<std::uint8_t> stream;
    CCommandPacket packet;
    while (stream.size() < bytes) {
        CountedBytes payload;
        const std::size_t count = 2 + rng() % 19;
        for (std::size_t i = 0; i < count; ++i)
            payload.Append(static_cast<std::uint8_t>(rng()));
        packet.SetCommand(payload);
        stream.insert(stream.end(), packet.GetEncoded().Bytes().begin(), packet.GetEncoded().Bytes().end());
    }
    return stream;
}

void FrameStream(benchmark::State& state, const std::vector<std::uint8_t>& stream)
{
    CountingSink sink;
    CReceiveFramer framer(sink);
    for (auto _ : state) {
        for (std::uint8_t b : stream)
            framer.PutByte(b);
        benchmark::DoNotOptimize(sink.frames);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}

void BM_FramerPackets(benchmark::State& state)
{
    FrameStream(state, PacketStream(1 << 20));
}
BENCHMARK(BM_FramerPackets);

// Line noise: most bytes close a one-byte broken frame of their own.
void BM_FramerNoise(benchmark::State& state)
{
    std::mt19937 rng(2);
    std::vector<std::uint8_t> stream(1 << 20);
    for (auto& b : stream)
        b = static_cast<std::uint8_t>(rng());
    FrameStream(state, stream);
}
BENCHMARK(BM_FramerNoise);

void BM_EncodePayload(benchmark::State& state)
{
    std::mt19937 rng(3);
    CountedBytes payload;
    for (int i = 0; i < state.range(0); ++i)
        payload.Append(static_cast<std::uint8_t>(rng()));
    CCommandPacket packet;
    for (auto _ : state) {
        packet.SetCommand(payload);
        benchmark::DoNotOptimize(packet.GetEncoded().Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * payload.Count()));
}
BENCHMARK(BM_EncodePayload)->Arg(2)->Arg(20)->Arg(127);

void BM_ParseCommandText(benchmark::State& state)
{
    const std::string text = "21, 23, 0x5e, 3, 255, 19, 20, 100, 0x7f, 12";
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseCommandText(text).Count());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseCommandText);

} // namespace
