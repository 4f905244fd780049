#include "printable_text.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendEscape(std::string& out, unsigned code)
{
    const char escape[] = {'\\', 'x', kHex[(code >> 4) & 0x0F], kHex[code & 0x0F]};
    out.append(escape, sizeof escape);
}

bool IsControl(unsigned code)
{
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence starting at text[i], or 0 when the byte there starts
// none (a stray continuation byte, an overlong form, a surrogate, a code point past U+10FFFF, or
// a sequence cut short).
std::size_t SequenceLength(std::string_view text, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t left = text.size() - i;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && IsContinuation(at(1)) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(at(1)) || !IsContinuation(at(2)))
            return 0;
        if ((lead == 0xE0 && at(1) < 0xA0) || (lead == 0xED && at(1) >= 0xA0))
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(at(1)) || !IsContinuation(at(2)) || !IsContinuation(at(3)))
            return 0;
        if ((lead == 0xF0 && at(1) < 0x90) || (lead == 0xF4 && at(1) >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

// Calls plain(from, to) for each run of text to keep and escape(code) for each character or
// byte to show as \xNN, in order. Returns whether anything was escaped.
template <class Plain, class Escape>
bool Scan(std::string_view text, Plain plain, Escape escape)
{
    bool escaped = false;
    std::size_t run = 0; // start of the run not yet handed over
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = SequenceLength(text, i);
        unsigned code = byte;
        if (length == 2)
            code = ((byte & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
        // Longer sequences are never controls; a 0 length is a bad byte, escaped as it is.
        if (length != 0 && (length > 2 || !IsControl(code))) {
            i += length;
            continue;
        }
        plain(run, i);
        escape(code);
        escaped = true;
        i += length != 0 ? length : 1;
        run = i;
    }
    plain(run, text.size());
    return escaped;
}

} // namespace

void AppendPrintableText(std::string& out, std::string_view text)
{
    Scan(
        text, [&](std::size_t from, std::size_t to) { out.append(text, from, to - from); },
        [&](unsigned code) { AppendEscape(out, code); });
}

std::string PrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendPrintableText(out, text);
    return out;
}

bool IsPrintableText(std::string_view text)
{
    return !Scan(text, [](std::size_t, std::size_t) {}, [](unsigned) {});
}

void AppendDeviceText(std::string& out, std::string_view bytes)
{
    std::size_t run = 0; // start of the run of plain ASCII not yet appended
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 0x80 && !IsControl(byte))
            continue;
        out.append(bytes, run, i - run);
        run = i + 1;
        if (IsControl(byte)) {
            AppendEscape(out, byte);
        } else {
            const char sequence[] = {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
            out.append(sequence, sizeof sequence);
        }
    }
    out.append(bytes, run);
}

std::string DeviceText(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    AppendDeviceText(out, bytes);
    return out;
}
