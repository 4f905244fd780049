// Any message, sent or received, is described without reading past its count, and the radio text
// is either empty or a full line afterwards.
#include "catalogue/describer.h"
#include "catalogue/radio_text.h"
#include "catalogue/value_formatters.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <span>

namespace {

bool DescribesNothing(std::span<const std::uint8_t> bytes, int lastType)
{
    return bytes.empty() || bytes[0] < 20 || bytes[0] > lastType;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CountedBytes message(std::span<const std::uint8_t>(data, size));

    const std::string command = DescribeCommand(message);
    if (command.empty() != DescribesNothing(message.Bytes(), 26))
        std::abort();
    // Kept across inputs, as a receiver keeps its text across packets.
    static CRadioText radioText;
    DescribeResponse(message, radioText);
    const std::size_t visible = radioText.Visible().size();
    if (visible != 0 && visible != CRadioText::kLength)
        std::abort();

    // The value readers on a buffer of exactly the given size, so that any read past the count
    // is caught by AddressSanitizer.
    const int count = static_cast<int>(std::min<std::size_t>(size, 300));
    auto exact = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(count));
    std::copy_n(data, count, exact.get());
    for (ValueFormatter formatter : {FormatText, FormatLevel, FormatByte, FormatByteList, FormatWord,
                                     FormatFmFrequency, FormatPlayTime, FormatSignedByte, FormatTitleChapter})
        formatter(exact.get(), count);
    DescribeRdsPs(exact.get(), count);
    DescribeRdsRt(exact.get(), count, radioText);
    return 0;
}
