// Any text typed as a value converts without undefined behaviour, to "<invalid>" or to byte values.
#include "catalogue/value_encoders.h"
#include "protocol/command_text_parser.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string level = EncodeLevelText(text);
    if (level != "<invalid>" && ParseCommandText(level).Count() != 2)
        std::abort();
    const std::string byte = EncodeByteText(text);
    if (byte != "<invalid>" && ParseCommandText(byte).Count() != 1)
        std::abort();
    for (int model : {-1, 1, 4})
        ConvertValueEntry(text, 23, model);
    return 0;
}
