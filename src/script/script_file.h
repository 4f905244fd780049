#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>

// A script is a page of text; anything far larger is the wrong file.
inline constexpr std::size_t kLargestScript = 16 * 1024 * 1024;

// The text of a script file, read whole; nothing, with the reason in error, when it cannot be
// read or is larger than kLargestScript. A named pipe waits for a writer as it opens; a stop
// request ends that wait and the reading, giving nothing with no error.
std::optional<std::string> ReadScriptFile(const std::string& path, std::string& error,
                                          const std::atomic<bool>* stop = nullptr);
