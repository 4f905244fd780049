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
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControl(byte)) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
}

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendPrintableText(out, text);
    return out;
}
