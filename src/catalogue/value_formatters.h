#pragma once

#include <cstdint>
#include <string>

// Turns the value bytes of a message into the short text that ends its description. A formatter
// is given the first value byte and how many follow; it answers a count it does not accept with
// "<invalid>" and never reads more bytes than the count it accepted. Multi-byte numbers are
// little-endian.
using ValueFormatter = std::string (*)(const std::uint8_t* bytes, int count);

// The one marker text for a value that cannot be decoded or encoded.
inline constexpr const char* kInvalidValue = "<invalid>";

// Device text, byte for byte: a zero byte ends the visible text; never fails.
std::string FormatText(const std::uint8_t* bytes, int count);
// 1 byte: signed dB; 2 bytes: signed word / 256 dB with six decimals.
std::string FormatLevel(const std::uint8_t* bytes, int count);
std::string FormatByte(const std::uint8_t* bytes, int count);
// 1 to 3 bytes, separated by single spaces.
std::string FormatByteList(const std::uint8_t* bytes, int count);
std::string FormatWord(const std::uint8_t* bytes, int count);
// A word in units of 10 kHz, shown in MHz with two decimals.
std::string FormatFmFrequency(const std::uint8_t* bytes, int count);
// Hours, minutes, seconds.
std::string FormatPlayTime(const std::uint8_t* bytes, int count);
std::string FormatSignedByte(const std::uint8_t* bytes, int count);
std::string FormatTitleChapter(const std::uint8_t* bytes, int count);
