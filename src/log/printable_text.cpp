#include "printable_text.h"

namespace {

bool IsControl(unsigned char byte)
{
    return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
}

} // namespace

void AppendPrintableText(std::string& out, std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::size_t plain = 0; // start of the run of text not yet appended
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!IsControl(byte))
            continue;
        out.append(text, plain, i - plain);
        const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0x0F]};
        out.append(escape, sizeof escape);
        plain = i + 1;
    }
    out.append(text, plain);
}

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendPrintableText(out, text);
    return out;
}
