// Any stream from the kernel gives the same data bytes and marks however it is cut into reads,
// and every data byte and mark accounts for the raw bytes it came from.
#include "serial/marked_input_parser.h"

#include <cstdlib>
#include <string>

namespace {

// 'b' and the byte for data, 'm' and the byte for a mark.
std::string Parse(CMarkedInputParser& parser, std::span<const std::uint8_t> raw)
{
    std::string events;
    parser.Feed(raw, [&](std::uint8_t b) { events += 'b', events += static_cast<char>(b); },
                [&](std::uint8_t c) { events += 'm', events += static_cast<char>(c); });
    return events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> raw(data, size);
    CMarkedInputParser whole;
    const std::string all = Parse(whole, raw);

    const std::size_t cut = size == 0 ? 0 : data[0] % (size + 1);
    CMarkedInputParser split;
    const std::string pieces = Parse(split, raw.first(cut)) + Parse(split, raw.subspan(cut));
    if (pieces != all)
        std::abort();

    // A mark takes three raw bytes, a data FF one or two (FF FF, or an unmarked FF kept as it
    // came), any other data byte one; nothing is invented, and at most an unfinished mark of two
    // bytes is still held back.
    std::size_t least = 0;
    std::size_t most = 0;
    for (std::size_t i = 0; i < all.size(); i += 2) {
        const bool mark = all[i] == 'm';
        const bool ff = !mark && static_cast<std::uint8_t>(all[i + 1]) == 0xFF;
        least += mark ? 3 : 1;
        most += mark ? 3 : ff ? 2 : 1;
    }
    if (size < least || size > most + 2)
        std::abort();
    return 0;
}
