#pragma once

#include <string>
#include <string_view>

// Device text reaches the console byte for byte, except control characters: a tab or line feed
// sent by a device would otherwise break the one-line, tab-separated rows. Each control byte is
// shown as \xNN.
std::string PrintableText(std::string_view text);
