#pragma once

#include <string_view>

// Writes all of `bytes` to the descriptor, across short writes and interruptions. On failure
// `error` is the errno of the write that failed.
bool WriteAllBytes(int fd, std::string_view bytes, int& error);
