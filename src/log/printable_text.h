#pragma once

#include <string>
#include <string_view>

// The one text encoding of the program: every text it keeps, shows and writes is UTF-8.
//
// Names, paths and messages are UTF-8 already. A device sends bytes, and each byte is one Latin-1
// character (0xE9 is "é"): DeviceText turns them into UTF-8 when a row is made, and nothing after
// that point sees raw device bytes.
//
// Control characters are shown as \xNN: a tab or line feed would break the one-line,
// tab-separated rows, and a C1 character (U+009B introduces a terminal escape sequence) could
// take over a terminal. The controls are C0 (U+0000-U+001F), DEL (U+007F) and C1
// (U+0080-U+009F); NN is the code point, which for device text is the byte the device sent.

// UTF-8 text with its control characters shown as \xNN. A byte that is no part of a valid UTF-8
// sequence (a path in another encoding, a file written by hand or by an older version of this
// program, which wrote device bytes as they came) is shown as \xNN too, so the result is always
// valid UTF-8 and never passes a stray byte on to a terminal or a file.
std::string PrintableText(std::string_view text);
// The same, appended to out.
void AppendPrintableText(std::string& out, std::string_view text);

// Device bytes, one Latin-1 character each, as printable UTF-8 text.
std::string DeviceText(std::string_view bytes);
void AppendDeviceText(std::string& out, std::string_view bytes);

// Whether text is printable as it is: valid UTF-8 without control characters.
bool IsPrintableText(std::string_view text);
