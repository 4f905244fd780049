#pragma once

#include <string>
#include <string_view>

// Device text reaches the console and the log byte for byte, except control characters: a tab or
// line feed sent by a device would otherwise break the one-line, tab-separated rows, and a C1 byte
// (0x9B introduces a terminal escape sequence) could take over the terminal. Each control byte
// (0x00-0x1F, 0x7F, 0x80-0x9F) is shown as \xNN.
std::string PrintableText(std::string_view text);
// The same, appended to out.
void AppendPrintableText(std::string& out, std::string_view text);
